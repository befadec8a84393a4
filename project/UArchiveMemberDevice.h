#pragma once

#include "UArchiveInflater.h"

#include <QByteArray>
#include <QIODevice>

class UArchiveHeaderRecord;
class UArchiveReader;

// One member of an archive, read as it unpacks: a sequential, read-only
// device that holds at most one piece of the member at a time, so a reader
// can go through a large member without its whole content in memory or on
// disk. A member whose data turn out broken reads as an error (-1).
class UArchiveMemberDevice : public QIODevice
{
public:
    // The reader and the record must outlive the device.
    UArchiveMemberDevice(const UArchiveReader &reader, const UArchiveHeaderRecord &record,
                         QObject *pParent = nullptr);
    ~UArchiveMemberDevice() override;

    bool isSequential() const override { return true; }
    bool atEnd() const override;
    qint64 bytesAvailable() const override;
    // Why the member stopped reading; empty while it reads well.
    QString failure() const { return m_inflater.failure(); }

protected:
    qint64 readData(char *pData, qint64 maxSize) override;
    qint64 writeData(const char *pData, qint64 maxSize) override;

private:
    UArchiveInflater m_inflater;
    QByteArray m_piece;
    qsizetype m_pieceAt = 0;
};
