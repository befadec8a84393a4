#pragma once

#include "comms/IMessageDispatcher.h"

#include <QByteArray>

class IUDPClient;

// The request dispatcher of the array's UDP transport. It takes the queued
// requests one at a time, has the client write each as one datagram, checks
// every reply line for the array's "ACK", "NACK" and "NACK BUSY" answers and
// the expected text, and hands each line to the owner protocol with a
// status text. A request that fails is written again, four attempts in all;
// after the last one the owner hears "Timeout occoured" with the network
// error tag.
//
// Every request ends with the owner: answered, refused, not understood, or
// given up. That holds also when processing stops (the socket closes):
// the request in flight and those queued behind it are reported as given
// up, so nobody waits for an answer that cannot come.
class IUDPClientThread : public IMessageDispatcher
{
    Q_OBJECT

public:
    static constexpr int MaxAttempts = 4;

    explicit IUDPClientThread(IUDPClient *pClient);
    ~IUDPClientThread() override;

    // The text the owner receives as the line of a given-up request.
    static QByteArray timeoutLine() { return QByteArrayLiteral("Timeout occoured"); }

signals:
    // One failed attempt of the current request; the client counts them.
    void messageError(const QByteArray &bytes);

public slots:
    void onStartMessageProcessing();
    void onQuitMessageProcessing();
    void onReplyReady();
    void onDispatch();

private:
    enum class Check { Passed, Failed, Interrupted };

    void step();
    void clear();
    void takeNextMessage();
    void write();
    void checkReplies();
    Check checkReply(QByteArray reply);
    void handleFailure();
    // Ends the request as given up; the last thing its caller does.
    void processNetworkErrorAfterRetryLmitReached(const IInterface::Message &message);
    // Hands one line to the owner. False when the owner changed the
    // dispatcher meanwhile (closed, or started again), so the caller must
    // stop looking at the current request.
    bool deliver(const QByteArray &line, const QString &status);

    IUDPClient *m_pClient;
    // Changes whenever the current request is replaced or dropped; a
    // delivery that returns to a changed epoch stops at once.
    quint64 m_epoch = 0;
};
