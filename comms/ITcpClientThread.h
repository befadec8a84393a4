#pragma once

#include "comms/IInterface.h"

#include <QByteArray>
#include <QList>
#include <QPointer>
#include <QThread>
#include <QTimer>

class PProtocol;
class QSemaphore;

// The message dispatcher of a TCP client. It takes the queued messages one
// at a time, has the client write each one, checks the reply and hands the
// reply lines to the owner protocol; a failed message is written at most
// three times in all.
//
// It is a thread object whose thread is started but left idle: the object
// stays on the thread that made it, so its timers and slots run there, and
// the shared lists are only ever counted with tryAcquire().
class ITcpClientThread : public QThread
{
    Q_OBJECT

public:
    enum State {
        Idle = 0,
        WaitingForReply = 1,
        Resend = 2,
    };

    static constexpr int DispatchIntervalMs = 10;
    static constexpr int MaxResends = 2;
    static constexpr char AckByte = 0x06;
    static constexpr char NakByte = 0x15;

    explicit ITcpClientThread(QObject *parent = nullptr);
    ~ITcpClientThread() override;

    // The client's message queue and reply list, each with the semaphore
    // that counts its entries.
    void setSharedQueues(QList<IInterface::Message> *pQueue, QSemaphore *pQueueSemaphore,
                         QList<QByteArray> *pReplies, QSemaphore *pReplySemaphore);
    void setOwner(PProtocol *pOwner);
    void setSubscribed(bool subscribed) { m_subscribed = subscribed; }
    bool isSubscribed() const { return m_subscribed; }
    bool isProcessing() const { return m_processing; }
    int state() const { return m_state; }

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

protected:
    void run() override;

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
    void dropReplies();

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
    bool m_subscribed = false;
};
