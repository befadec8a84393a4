#include "ArchiveWriter.h"

#include <QFile>
#include <QSaveFile>
#include <QtEndian>

namespace {

void appendBigEndian(QByteArray &out, quint32 value)
{
    char bytes[4];
    qToBigEndian(value, bytes);
    out.append(bytes, 4);
}

} // namespace

void ArchiveWriter::addFile(const QString &name, const QByteArray &content)
{
    m_members.append({name, qCompress(content)});
}

void ArchiveWriter::addRaw(const QString &name, const QByteArray &stored)
{
    m_members.append({name, stored});
}

quint32 ArchiveWriter::tableSize() const
{
    quint32 size = 8;
    for (const Member &m : m_members)
        size += 12 + 2 * quint32(m.name.size());
    return size;
}

QByteArray ArchiveWriter::toByteArray() const
{
    QByteArray out;
    char format[4];
    qToLittleEndian(quint32(16), format);
    out.append(format, 4);
    appendBigEndian(out, quint32(m_members.size()));

    quint32 offset = tableSize();
    for (const Member &m : m_members) {
        appendBigEndian(out, quint32(m.name.size()));
        for (QChar c : m.name) {
            char unit[2];
            qToLittleEndian(c.unicode(), unit);
            out.append(unit, 2);
        }
        appendBigEndian(out, offset);
        appendBigEndian(out, quint32(m.stored.size()));
        offset += quint32(m.stored.size());
    }
    for (const Member &m : m_members)
        out.append(m.stored);
    return out;
}

bool ArchiveWriter::writeTo(const QString &path, QString *error) const
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        if (error)
            *error = file.errorString();
        return false;
    }
    file.write(toByteArray());
    if (!file.commit()) {
        if (error)
            *error = file.errorString();
        return false;
    }
    return true;
}
