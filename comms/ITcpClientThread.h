#pragma once

#include "comms/IMessageDispatcher.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QList>

// The message dispatcher of a TCP client. It takes the queued messages one
// at a time, has the client write each one, checks the reply and hands the
// reply lines to the owner protocol; a failed message is written at most
// three times in all.
class ITcpClientThread : public IMessageDispatcher
{
    Q_OBJECT

public:
    static constexpr int MaxResends = 2;
    static constexpr char AckByte = 0x06;
    static constexpr char NakByte = 0x15;

    explicit ITcpClientThread(QObject *parent = nullptr);
    ~ITcpClientThread() override;

    void setSubscribed(bool subscribed);
    bool isSubscribed() const { return m_subscribed; }

signals:
    // One failed attempt of the message; the client counts them.
    void messageError(const QByteArray &bytes);
    // Asks the client to write; it reports the bytes written back through
    // bytesWritten, so this must be a direct connection.
    void sendMessage(const QByteArray &bytes, uint &bytesWritten);
    // The current message's time-out has passed without a reply: the
    // client queues what it holds of an unterminated line before the
    // message is given up. Must be a direct connection.
    void replyOverdue();

public slots:
    void onStartMessageProcessing();
    void onQuitMessageProcessing();
    void onReplyReady();
    void onDispatch();

protected:
    // Subscribed, the device's own reports are work too.
    bool hasWork() const override;

private:
    void step();
    void clear();
    void takeNextMessage();
    void write();
    // Returns false while the current message is still waiting for its
    // reply, true when a reply was taken or the wait has ended.
    bool checkReplies();
    // Checks every queued reply; false when the connection went meanwhile.
    bool takeReplies(bool *pTaken, bool *pPassed);
    bool checkAcknowledge(const QByteArray &reply);
    bool checkText(const QByteArray &reply);
    void deliverLines(const QByteArray &text);
    void handleFailure();
    // While subscribed nothing waits for its answer; the answers are
    // paired with the messages here, in the order written, so that a
    // refusal reaches the owner with the message it refused.
    void noteWritten();
    void pairAnswers(const QByteArray &reply);
    void dropExpiredAnswers();

    struct Unanswered
    {
        QByteArray data;
        QByteArray expectedReply;
        int type = IInterface::SendNoReply;
        qint64 deadlineMs = 0;
    };
    // Bounds the list when a device leaves answers out.
    static constexpr int MaxUnanswered = 64;

    bool m_subscribed = false;
    QList<Unanswered> m_unanswered;
    QElapsedTimer m_clock;
};
