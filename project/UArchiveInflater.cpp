#include "UArchiveInflater.h"

#include "UArchiveReader.h"

#include <QByteArray>
#include <QIODevice>
#include <QtEndian>

#include <zlib.h>

#include <memory>

namespace {

constexpr quint32 LengthPrefixSize = 4;

// Ends the zlib state however inflate() is left.
struct StreamGuard
{
    z_stream *pStream;
    ~StreamGuard() { inflateEnd(pStream); }
};

void fail(QString *pReason, const QString &reason)
{
    if (pReason)
        *pReason = reason;
}

} // namespace

bool UArchiveInflater::declaredLength(const UArchiveReader &reader, quint32 offset, quint32 size,
                                      quint32 &length)
{
    QByteArray prefix;
    if (size < LengthPrefixSize || !reader.readAt(offset, LengthPrefixSize, prefix))
        return false;
    length = qFromBigEndian<quint32>(prefix.constData());
    return true;
}

bool UArchiveInflater::inflate(const UArchiveReader &reader, quint32 offset, quint32 size,
                               quint32 expectedLength, QIODevice *pOut, QString *pReason)
{
    quint32 declared = 0;
    if (!declaredLength(reader, offset, size, declared)) {
        fail(pReason, QStringLiteral("has no length before its data"));
        return false;
    }
    // The file changed since its table was checked.
    if (declared != expectedLength) {
        fail(pReason, QStringLiteral("declares %1 bytes, not the %2 checked before")
                          .arg(declared)
                          .arg(expectedLength));
        return false;
    }
    quint64 inputAt = quint64(offset) + LengthPrefixSize;
    quint64 inputLeft = size - LengthPrefixSize;
    // qCompress writes an empty content as the length 0 alone.
    if (inputLeft == 0) {
        if (declared == 0)
            return true;
        fail(pReason, QStringLiteral("has no zlib data"));
        return false;
    }

    z_stream stream = {};
    if (inflateInit(&stream) != Z_OK) {
        fail(pReason, QStringLiteral("cannot be unpacked (out of memory)"));
        return false;
    }
    StreamGuard guard{&stream};

    QByteArray input;
    const auto output = std::make_unique<char[]>(ChunkSize);
    quint64 produced = 0;
    for (;;) {
        if (stream.avail_in == 0 && inputLeft > 0) {
            const quint64 step = qMin<quint64>(inputLeft, ChunkSize);
            if (!reader.readAt(inputAt, step, input)) {
                fail(pReason, QStringLiteral("cannot be read"));
                return false;
            }
            inputAt += step;
            inputLeft -= step;
            stream.next_in = reinterpret_cast<Bytef *>(input.data());
            stream.avail_in = uInt(input.size());
        }
        // Room for one byte more than the declared rest: that byte, if the
        // stream gives it, is the proof of a lie and is never written.
        const quint64 room = qMin<quint64>(quint64(declared) - produced + 1, ChunkSize);
        stream.next_out = reinterpret_cast<Bytef *>(output.get());
        stream.avail_out = uInt(room);
        const int result = ::inflate(&stream, Z_NO_FLUSH);
        const quint64 made = room - stream.avail_out;
        if (made > quint64(declared) - produced) {
            fail(pReason, QStringLiteral("unpacks to more than the %1 bytes it declares").arg(declared));
            return false;
        }
        if (made > 0 && pOut && pOut->write(output.get(), qint64(made)) != qint64(made)) {
            fail(pReason, QStringLiteral("cannot be written: %1").arg(pOut->errorString()));
            return false;
        }
        produced += made;
        if (result == Z_STREAM_END)
            break;
        if (result == Z_BUF_ERROR && stream.avail_in == 0 && inputLeft == 0) {
            fail(pReason, QStringLiteral("ends inside its zlib stream"));
            return false;
        }
        if (result != Z_OK && result != Z_BUF_ERROR) {
            fail(pReason, QStringLiteral("holds broken zlib data"));
            return false;
        }
    }
    if (produced != declared) {
        fail(pReason,
             QStringLiteral("unpacks to %1 bytes, not the %2 it declares").arg(produced).arg(declared));
        return false;
    }
    return true;
}
