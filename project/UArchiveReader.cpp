#include "UArchiveReader.h"

#include <QIODevice>
#include <QtEndian>

UArchiveReader::UArchiveReader(QIODevice &device)
    : m_device(device)
    , m_size(qMax<qint64>(device.size(), 0))
{
}

UArchiveReader::~UArchiveReader() = default;

bool UArchiveReader::contains(quint64 offset, quint64 length) const
{
    const quint64 size = quint64(m_size);
    return offset <= size && length <= size - offset;
}

bool UArchiveReader::skip(qint64 length)
{
    if (length < 0 || length > remaining())
        return false;
    m_pos += length;
    return true;
}

bool UArchiveReader::readUInt32BigEndian(quint32 &value)
{
    char bytes[4];
    if (!readNext(bytes, 4))
        return false;
    value = qFromBigEndian<quint32>(bytes);
    return true;
}

bool UArchiveReader::readUInt32LittleEndian(quint32 &value)
{
    char bytes[4];
    if (!readNext(bytes, 4))
        return false;
    value = qFromLittleEndian<quint32>(bytes);
    return true;
}

bool UArchiveReader::readUtf16LittleEndian(quint32 units, QString &text)
{
    const quint64 length = 2 * quint64(units);
    if (!contains(quint64(m_pos), length))
        return false;
    QByteArray bytes;
    if (!readAt(quint64(m_pos), length, bytes))
        return false;
    m_pos += qint64(length);
    text.resize(qsizetype(units));
    QChar *pOut = text.data();
    for (quint32 i = 0; i < units; ++i)
        pOut[i] = QChar(qFromLittleEndian<quint16>(bytes.constData() + 2 * qsizetype(i)));
    return true;
}

bool UArchiveReader::readAt(quint64 offset, quint64 length, QByteArray &bytes) const
{
    bytes.clear();
    if (!contains(offset, length))
        return false;
    if (!m_device.seek(qint64(offset)))
        return false;
    bytes = m_device.read(qint64(length));
    // The file may have shrunk since its size was taken.
    return quint64(bytes.size()) == length;
}

bool UArchiveReader::readNext(char *pData, qint64 length)
{
    if (length > remaining())
        return false;
    if (!m_device.seek(m_pos) || m_device.read(pData, length) != length)
        return false;
    m_pos += length;
    return true;
}
