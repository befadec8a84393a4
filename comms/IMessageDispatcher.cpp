#include "comms/IMessageDispatcher.h"

#include "comms/PProtocol.h"

#include <QDebug>
#include <QSemaphore>

IMessageDispatcher::IMessageDispatcher(QObject *parent)
    : QThread(parent)
{
    m_replyTimer.setSingleShot(true);
    m_replyTimer.setInterval(200);
    m_dispatchTimer.setSingleShot(true);
    m_dispatchTimer.setInterval(DispatchIntervalMs);
    m_wakeTimer.setSingleShot(true);
    m_wakeTimer.setInterval(0);
}

IMessageDispatcher::~IMessageDispatcher()
{
    if (isRunning()) {
        quit();
        if (!wait(3000))
            qWarning() << "Dispatcher thread did not end";
    }
}

void IMessageDispatcher::run()
{
    exec();
}

void IMessageDispatcher::setSharedQueues(QList<IInterface::Message> *pQueue,
                                         QSemaphore *pQueueSemaphore, QList<QByteArray> *pReplies,
                                         QSemaphore *pReplySemaphore)
{
    m_pQueue = pQueue;
    m_pQueueSemaphore = pQueueSemaphore;
    m_pReplies = pReplies;
    m_pReplySemaphore = pReplySemaphore;
}

void IMessageDispatcher::setOwner(PProtocol *pOwner)
{
    m_pOwner = pOwner;
}

void IMessageDispatcher::clearQueues()
{
    if (m_pQueue) {
        m_pQueue->clear();
        while (m_pQueueSemaphore->tryAcquire()) {
        }
    }
    dropReplies();
    m_state = Idle;
}

void IMessageDispatcher::dropReplies()
{
    if (!m_pReplies)
        return;
    m_pReplies->clear();
    while (m_pReplySemaphore->tryAcquire()) {
    }
}

void IMessageDispatcher::onMessageQueued()
{
    wake();
}

bool IMessageDispatcher::hasWork() const
{
    return m_state != Idle || (m_pQueueSemaphore && m_pQueueSemaphore->available() > 0);
}

void IMessageDispatcher::scheduleTick()
{
    m_wakeTimer.stop();
    if (m_processing && hasWork())
        m_dispatchTimer.start();
}

void IMessageDispatcher::wake()
{
    if (!m_processing || m_dispatchTimer.isActive())
        return;
    m_dispatchTimer.start();
    m_wakeTimer.start();
}
