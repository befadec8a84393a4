#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>

class QIODevice;

// Bounds-checked reads from an archive file. Every read first checks that
// the bytes are there, so a table with lengths or offsets that point past
// the end of the file fails cleanly instead of reading short or allocating
// what the file claims.
class UArchiveReader
{
public:
    explicit UArchiveReader(QIODevice &device);
    virtual ~UArchiveReader();

    qint64 size() const { return m_size; }
    qint64 pos() const { return m_pos; }
    qint64 remaining() const { return m_size - m_pos; }

    // True when [offset, offset + length) lies within the file; no overflow.
    bool contains(quint64 offset, quint64 length) const;

    bool skip(qint64 length);
    bool readUInt32BigEndian(quint32 &value);
    bool readUInt32LittleEndian(quint32 &value);
    bool readUtf16LittleEndian(quint32 units, QString &text);
    // Reads at an absolute position without moving the sequential position.
    bool readAt(quint64 offset, quint64 length, QByteArray &bytes) const;

private:
    bool readNext(char *pData, qint64 length);

    QIODevice &m_device;
    qint64 m_size = 0;
    qint64 m_pos = 0;
};
