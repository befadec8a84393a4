#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

// Writes project archives (".cpz"): a little-endian format word 16, a
// big-endian member count, the member table (name length in UTF-16 units,
// UTF-16LE name, absolute data offset, stored size; all big-endian) and then
// each member's qCompress()ed data, in table order and without gaps.
class ArchiveWriter
{
public:
    struct Member
    {
        QString name;       // "/Demo.cpf", "/image/Demo.png", ...
        QByteArray stored;  // bytes as they go into the archive
    };

    // Adds a member whose content is compressed with qCompress.
    void addFile(const QString &name, const QByteArray &content);
    // Adds a member whose stored bytes are taken as they are (for tests
    // that need broken or hand-made member data).
    void addRaw(const QString &name, const QByteArray &stored);

    const QList<Member> &members() const { return m_members; }

    // The whole archive as bytes.
    QByteArray toByteArray() const;
    bool writeTo(const QString &path, QString *error = nullptr) const;

    // Size of the header and table for the current members: where the first
    // member's data begin.
    quint32 tableSize() const;

private:
    QList<Member> m_members;
};
