#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>

#include <memory>

class QIODevice;
class UArchiveReader;
struct z_stream_s;

// Restores one member's stored bytes: a big-endian length, then a zlib
// stream (the form qCompress writes). Works in small steps from the file to
// the output, never holding the member whole, and never lets the stream
// produce more than the declared length: a stream that would is refused
// after at most one byte too many, before anything of it is handed out.
class UArchiveInflater
{
public:
    static constexpr qint64 ChunkSize = 64 * 1024;

    // The stored bytes lie at [offset, offset + size) of the reader's
    // device and must declare the expected length (the one the caller has
    // checked against its limits). The reader must outlive the inflater.
    UArchiveInflater(const UArchiveReader &reader, quint32 offset, quint32 size,
                     quint32 expectedLength);
    virtual ~UArchiveInflater();

    // The next piece of the member, at most ChunkSize bytes; empty once the
    // member is whole. False, with failure(), when the stored bytes turn out
    // broken, cut or longer than declared; every later call fails too.
    bool next(QByteArray &piece);
    bool atEnd() const { return m_state == State::Done; }
    const QString &failure() const { return m_failure; }

    // The whole member to pOut, or dropped when pOut is null (a check).
    // True only when the stream is whole and gives exactly the expected
    // length; otherwise false with the reason, and whatever went to pOut
    // is incomplete.
    static bool inflate(const UArchiveReader &reader, quint32 offset, quint32 size,
                        quint32 expectedLength, QIODevice *pOut, QString *pReason);

    // The declared length at the start of the stored bytes; false when
    // they are too short to hold one.
    static bool declaredLength(const UArchiveReader &reader, quint32 offset, quint32 size,
                               quint32 &length);

private:
    Q_DISABLE_COPY(UArchiveInflater)

    enum class State { Start, Running, Done, Failed };

    bool start();
    bool fail(const QString &reason);

    const UArchiveReader &m_reader;
    const quint32 m_offset;
    const quint32 m_size;
    const quint32 m_expected;
    State m_state = State::Start;
    QString m_failure;
    std::unique_ptr<z_stream_s> m_pStream;
    bool m_streamOpen = false;
    QByteArray m_input;
    quint64 m_inputAt = 0;
    quint64 m_inputLeft = 0;
    quint64 m_produced = 0;
};
