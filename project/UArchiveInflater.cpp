#include "UArchiveInflater.h"

#include "UArchiveReader.h"

#include <QIODevice>
#include <QtEndian>

#include <zlib.h>

namespace {

constexpr quint32 LengthPrefixSize = 4;

} // namespace

UArchiveInflater::UArchiveInflater(const UArchiveReader &reader, quint32 offset, quint32 size,
                                   quint32 expectedLength)
    : m_reader(reader)
    , m_offset(offset)
    , m_size(size)
    , m_expected(expectedLength)
{
}

UArchiveInflater::~UArchiveInflater()
{
    if (m_streamOpen)
        inflateEnd(m_pStream.get());
}

bool UArchiveInflater::declaredLength(const UArchiveReader &reader, quint32 offset, quint32 size,
                                      quint32 &length)
{
    QByteArray prefix;
    if (size < LengthPrefixSize || !reader.readAt(offset, LengthPrefixSize, prefix))
        return false;
    length = qFromBigEndian<quint32>(prefix.constData());
    return true;
}

bool UArchiveInflater::fail(const QString &reason)
{
    m_state = State::Failed;
    m_failure = reason;
    m_input.clear();
    return false;
}

bool UArchiveInflater::start()
{
    quint32 declared = 0;
    if (!declaredLength(m_reader, m_offset, m_size, declared))
        return fail(QStringLiteral("has no length before its data"));
    // The file changed since its table was checked.
    if (declared != m_expected) {
        return fail(QStringLiteral("declares %1 bytes, not the %2 checked before")
                        .arg(declared)
                        .arg(m_expected));
    }
    m_inputAt = quint64(m_offset) + LengthPrefixSize;
    m_inputLeft = m_size - LengthPrefixSize;
    // qCompress writes an empty content as the length 0 alone.
    if (m_inputLeft == 0) {
        if (m_expected != 0)
            return fail(QStringLiteral("has no zlib data"));
        m_state = State::Done;
        return true;
    }
    m_pStream = std::make_unique<z_stream_s>();
    if (inflateInit(m_pStream.get()) != Z_OK)
        return fail(QStringLiteral("cannot be unpacked (out of memory)"));
    m_streamOpen = true;
    m_state = State::Running;
    return true;
}

bool UArchiveInflater::next(QByteArray &piece)
{
    piece.clear();
    if (m_state == State::Start && !start())
        return false;
    if (m_state == State::Failed)
        return false;
    if (m_state == State::Done)
        return true;

    z_stream &stream = *m_pStream;
    // Room for one byte more than the declared rest: that byte, if the
    // stream gives it, is the proof of a lie and is never handed out.
    const quint64 room = qMin<quint64>(quint64(m_expected) - m_produced + 1, ChunkSize);
    piece.resize(qsizetype(room));
    quint64 made = 0;
    // A step can consume input and give nothing yet; go on until it gives.
    while (made == 0) {
        if (stream.avail_in == 0 && m_inputLeft > 0) {
            const quint64 step = qMin<quint64>(m_inputLeft, ChunkSize);
            if (!m_reader.readAt(m_inputAt, step, m_input)) {
                piece.clear();
                return fail(QStringLiteral("cannot be read"));
            }
            m_inputAt += step;
            m_inputLeft -= step;
            stream.next_in = reinterpret_cast<Bytef *>(m_input.data());
            stream.avail_in = uInt(m_input.size());
        }
        stream.next_out = reinterpret_cast<Bytef *>(piece.data());
        stream.avail_out = uInt(room);
        const int result = ::inflate(&stream, Z_NO_FLUSH);
        made = room - stream.avail_out;
        if (made > quint64(m_expected) - m_produced) {
            piece.clear();
            return fail(
                QStringLiteral("unpacks to more than the %1 bytes it declares").arg(m_expected));
        }
        m_produced += made;
        if (result == Z_STREAM_END) {
            if (m_produced != m_expected) {
                piece.clear();
                return fail(QStringLiteral("unpacks to %1 bytes, not the %2 it declares")
                                .arg(m_produced)
                                .arg(m_expected));
            }
            m_state = State::Done;
            m_input.clear();
            break;
        }
        if (result == Z_BUF_ERROR && stream.avail_in == 0 && m_inputLeft == 0) {
            piece.clear();
            return fail(QStringLiteral("ends inside its zlib stream"));
        }
        if (result != Z_OK && result != Z_BUF_ERROR) {
            piece.clear();
            return fail(QStringLiteral("holds broken zlib data"));
        }
    }
    piece.resize(qsizetype(made));
    return true;
}

bool UArchiveInflater::inflate(const UArchiveReader &reader, quint32 offset, quint32 size,
                               quint32 expectedLength, QIODevice *pOut, QString *pReason)
{
    UArchiveInflater inflater(reader, offset, size, expectedLength);
    QByteArray piece;
    while (!inflater.atEnd()) {
        if (!inflater.next(piece)) {
            if (pReason)
                *pReason = inflater.failure();
            return false;
        }
        if (!piece.isEmpty() && pOut && pOut->write(piece) != piece.size()) {
            if (pReason)
                *pReason = QStringLiteral("cannot be written: %1").arg(pOut->errorString());
            return false;
        }
    }
    return true;
}
