#pragma once

#include <QString>
#include <QtGlobal>

class QIODevice;
class UArchiveReader;

// Restores one member's stored bytes: a big-endian length, then a zlib
// stream (the form qCompress writes). Works in small steps from the file to
// the output, never holding the member whole, and never lets the stream
// produce more than the declared length: a stream that would is refused
// after at most one byte too many, before anything of it is written.
class UArchiveInflater
{
public:
    static constexpr qint64 ChunkSize = 64 * 1024;

    UArchiveInflater() = delete;

    // The stored bytes lie at [offset, offset + size) of the reader's
    // device and must declare the expected length (the one the caller has
    // checked against its limits). Writes the output to pOut, or drops it
    // when pOut is null (a check). True only when the stream is whole and
    // gives exactly that length; otherwise false with the reason, and
    // whatever went to pOut is incomplete.
    static bool inflate(const UArchiveReader &reader, quint32 offset, quint32 size,
                        quint32 expectedLength, QIODevice *pOut, QString *pReason);

    // The declared length at the start of the stored bytes; false when
    // they are too short to hold one.
    static bool declaredLength(const UArchiveReader &reader, quint32 offset, quint32 size,
                               quint32 &length);
};
