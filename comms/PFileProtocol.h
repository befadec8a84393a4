#pragma once

#include "comms/PProtocol.h"

#include <QFile>
#include <QString>

#include <functional>
#include <memory>

// Moves whole files over a transport. Sending writes the file in chunks
// under a progress dialog. Receiving (receive mode) stores what the server
// transport delivers in the target path + "t" and puts it in place of the
// target only when the transfer finished normally and the file passed the
// content check; anything else leaves the target as it was.
class PFileProtocol : public PProtocol
{
    Q_OBJECT

public:
    static constexpr int ChunkSize = 4096;
    static constexpr int ChunkWriteWaitMs = 30000;
    static constexpr int FinalWriteWaitMs = 1000;
    // A project is a few megabytes; a sender that goes on past this is
    // stopped before it fills the disk.
    static constexpr qint64 DefaultMaxReceiveBytes = qint64(256) * 1024 * 1024;

    // Answers whether a completely received file may replace the target;
    // fills the reason when not.
    using FileCheck = std::function<bool(const QString &path, QString *pReason)>;

    explicit PFileProtocol(QObject *parent = nullptr);
    ~PFileProtocol() override;

    // True only when every chunk was written whole and nothing was
    // cancelled.
    bool sendFile(const QString &path) override;
    // Runs the host's receive wait; true when the target now holds a newly
    // received file.
    bool receiveFile(const QString &path) override;
    bool onDataReceived(const QByteArray &data, const QString &errorText) override;
    QString protocolName() const override;

    // Puts the received temporary file in place of path in one step (a
    // rename over it); false, with the temporary file removed, for an
    // empty, unfinished or refused transfer.
    bool swapFile(const QString &path, const QString &tempPath);

    void setMaxReceiveBytes(qint64 bytes) { m_maxReceiveBytes = bytes; }
    qint64 maxReceiveBytes() const { return m_maxReceiveBytes; }
    void setFileCheck(FileCheck check) { m_fileCheck = std::move(check); }
    bool isReceiving() const { return m_receiveState == ReceiveState::Receiving; }

    // A receive-mode failure as the user reads it: the text and the advice
    // to reinstall and run with administrator rights.
    static QString failureMessage(const QString &text);

public slots:
    // The user ended the reception: a transfer still running is dropped.
    // Once a reception has ended it changes nothing.
    void connectionClose();

signals:
    // The reception has ended, finished or not; ends the receive wait.
    void receiveEnded();

private slots:
    // The server transport's client went away.
    void senderFinished();

private:
    enum class ReceiveState { Idle, Receiving, Complete, Failed };

    // Ends a running reception as failed and drops the temporary file. A
    // non-empty reason is reported to the user once the wait is over.
    void failReceive(const QString &reason);
    // The text of a file that cannot be written.
    QString writeFailureText() const;
    // The text goes to the debug output and, as failureMessage(), to the
    // host's failure box.
    void reportFailure(const QString &text);

    std::unique_ptr<QFile> m_pFile;
    ReceiveState m_receiveState = ReceiveState::Idle;
    qint64 m_receivedBytes = 0;
    qint64 m_maxReceiveBytes = DefaultMaxReceiveBytes;
    QString m_failure;
    FileCheck m_fileCheck;
};
