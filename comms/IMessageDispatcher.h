#pragma once

#include "comms/IInterface.h"

#include <QByteArray>
#include <QList>
#include <QPointer>
#include <QThread>
#include <QTimer>

class PProtocol;
class QSemaphore;

// What the TCP and the UDP dispatcher share: the client's message queue and
// reply list with the semaphores that count them, the current message with
// its attempts and state, and the two timers.
//
// A dispatcher is a thread object whose thread is started but left idle:
// the object stays on the thread that made it, so its timers and slots run
// there, and the shared lists are only ever counted with tryAcquire().
//
// The dispatch tick runs only while there is work: a message in flight or
// waiting to be written again, or one queued. Once all is done it stands
// still, and the queueing side wakes it (onMessageQueued) for the next
// message. That message goes out at once (a zero timer, so never inside
// the call that queued it) and the tick keeps its rhythm from there.
class IMessageDispatcher : public QThread
{
    Q_OBJECT

public:
    enum State {
        Idle = 0,
        WaitingForReply = 1,
        Resend = 2,
    };

    static constexpr int DispatchIntervalMs = 10;

    // Ends the idle thread, waiting at most 3000 ms.
    ~IMessageDispatcher() override;

    // The client's message queue and reply list, each with the semaphore
    // that counts its entries.
    void setSharedQueues(QList<IInterface::Message> *pQueue, QSemaphore *pQueueSemaphore,
                         QList<QByteArray> *pReplies, QSemaphore *pReplySemaphore);
    void setOwner(PProtocol *pOwner);
    bool isProcessing() const { return m_processing; }
    int state() const { return m_state; }
    // The timers, for a look at their settings.
    const QTimer *replyTimer() const { return &m_replyTimer; }
    const QTimer *dispatchTimer() const { return &m_dispatchTimer; }
    const QTimer *wakeTimer() const { return &m_wakeTimer; }

public slots:
    // A message was added to the queue: a tick that stands still starts
    // again; a running one keeps its rhythm.
    void onMessageQueued();

protected:
    explicit IMessageDispatcher(QObject *parent);

    void run() override;
    // Empties the message list and the reply list with their counts, and
    // goes to Idle.
    void clearQueues();
    void dropReplies();
    // Whether another tick has anything to do.
    virtual bool hasWork() const;
    // At the end of a step: the next tick, unless all is done.
    void scheduleTick();
    // Starts the tick unless it runs already.
    void wake();

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
    // Single shot; each dispatcher connects it to its onDispatch().
    QTimer m_dispatchTimer;
    // The step a wake asks for at once; a step that runs stops it.
    QTimer m_wakeTimer;
};
