#pragma once

#include "comms/IMessageDispatcher.h"

#include <QByteArray>

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

    void setSubscribed(bool subscribed) { m_subscribed = subscribed; }
    bool isSubscribed() const { return m_subscribed; }

signals:
    // One failed attempt of the message; the client counts them.
    void messageError(const QByteArray &bytes);
    // Asks the client to write; it reports the bytes written back through
    // bytesWritten, so this must be a direct connection.
    void sendMessage(const QByteArray &bytes, uint &bytesWritten);

public slots:
    void onStartMessageProcessing();
    void onQuitMessageProcessing();
    void onReplyReady();
    void onDispatch();

private:
    void step();
    void clear();
    void takeNextMessage();
    void write();
    // Returns false while the current message is still waiting for its
    // reply, true when a reply was taken or the wait has ended.
    bool checkReplies();
    bool checkAcknowledge(const QByteArray &reply);
    bool checkText(const QByteArray &reply);
    void deliverLines(const QByteArray &text);
    void handleFailure();

    bool m_subscribed = false;
};
