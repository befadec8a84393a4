#pragma once

#include "comms/IInterface.h"

#include <QByteArray>
#include <QList>
#include <QPointer>
#include <QThread>
#include <QTimer>

class IUDPClient;
class PProtocol;
class QSemaphore;

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
//
// Like the TCP dispatcher it is a thread object whose thread stays idle:
// its timers and slots run on the thread that made it.
class IUDPClientThread : public QThread
{
    Q_OBJECT

public:
    enum State {
        Idle = 0,
        WaitingForReply = 1,
        Resend = 2,
    };

    static constexpr int DispatchIntervalMs = 10;
    static constexpr int MaxAttempts = 4;

    explicit IUDPClientThread(IUDPClient *pClient);
    ~IUDPClientThread() override;

    void setSharedQueues(QList<IInterface::Message> *pQueue, QSemaphore *pQueueSemaphore,
                         QList<QByteArray> *pReplies, QSemaphore *pReplySemaphore);
    void setOwner(PProtocol *pOwner);
    bool isProcessing() const { return m_processing; }
    int state() const { return m_state; }

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

protected:
    void run() override;

private:
    enum class Check { Passed, Failed, Interrupted };

    void step();
    void clear();
    void takeNextMessage();
    void write();
    void checkReplies();
    Check checkReply(QByteArray reply);
    void handleFailure();
    void dropReplies();
    // Ends the request as given up; the last thing its caller does.
    void processNetworkErrorAfterRetryLmitReached(const IInterface::Message &message);
    // Hands one line to the owner. False when the owner changed the
    // dispatcher meanwhile (closed, or started again), so the caller must
    // stop looking at the current request.
    bool deliver(const QByteArray &line, const QString &status);

    QPointer<PProtocol> m_pOwner;
    QList<IInterface::Message> *m_pQueue = nullptr;
    QSemaphore *m_pQueueSemaphore = nullptr;
    QList<QByteArray> *m_pReplies = nullptr;
    QSemaphore *m_pReplySemaphore = nullptr;
    bool m_processing = false;
    IInterface::Message m_current;
    int m_attempts = 0;
    int m_state = Idle;
    // Not connected: the dispatcher only looks whether it still runs.
    QTimer m_replyTimer;
    QTimer m_dispatchTimer;
    IUDPClient *m_pClient;
    // Changes whenever the current request is replaced or dropped; a
    // delivery that returns to a changed epoch stops at once.
    quint64 m_epoch = 0;
};
