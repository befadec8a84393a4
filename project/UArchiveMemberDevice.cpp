#include "UArchiveMemberDevice.h"

#include "UArchiveHeaderRecord.h"

#include <cstring>

UArchiveMemberDevice::UArchiveMemberDevice(const UArchiveReader &reader,
                                           const UArchiveHeaderRecord &record, QObject *pParent)
    : QIODevice(pParent)
    , m_inflater(reader, record.offset(), record.size(), record.declaredLength())
{
    // Unbuffered: the pieces are the buffer.
    open(QIODevice::ReadOnly | QIODevice::Unbuffered);
}

UArchiveMemberDevice::~UArchiveMemberDevice() = default;

bool UArchiveMemberDevice::atEnd() const
{
    return m_pieceAt >= m_piece.size() && (m_inflater.atEnd() || !m_inflater.failure().isEmpty());
}

qint64 UArchiveMemberDevice::bytesAvailable() const
{
    return qint64(m_piece.size() - m_pieceAt) + QIODevice::bytesAvailable();
}

qint64 UArchiveMemberDevice::readData(char *pData, qint64 maxSize)
{
    qint64 copied = 0;
    while (copied < maxSize) {
        if (m_pieceAt >= m_piece.size()) {
            if (m_inflater.atEnd())
                break;
            m_pieceAt = 0;
            if (!m_inflater.next(m_piece)) {
                setErrorString(m_inflater.failure());
                // What was read before the fault still counts once.
                return copied > 0 ? copied : -1;
            }
            continue;
        }
        const qint64 step = qMin<qint64>(maxSize - copied, m_piece.size() - m_pieceAt);
        std::memcpy(pData + copied, m_piece.constData() + m_pieceAt, size_t(step));
        copied += step;
        m_pieceAt += qsizetype(step);
    }
    return copied;
}

qint64 UArchiveMemberDevice::writeData(const char *, qint64)
{
    return -1;
}
