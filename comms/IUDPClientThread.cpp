#include "comms/IUDPClientThread.h"

#include "comms/IUDPClient.h"
#include "comms/PProtocol.h"
#include "comms/ReplyTags.h"

#include <QDebug>
#include <QSemaphore>
#include <QTime>

namespace {

QByteArray withoutCarriageReturns(QByteArray text)
{
    text.replace('\r', QByteArray());
    return text.trimmed();
}

} // namespace

IUDPClientThread::IUDPClientThread(IUDPClient *pClient)
    : IMessageDispatcher(pClient)
    , m_pClient(pClient)
{
    connect(&m_dispatchTimer, &QTimer::timeout, this, &IUDPClientThread::onDispatch);
    connect(&m_wakeTimer, &QTimer::timeout, this, &IUDPClientThread::onDispatch);
}

IUDPClientThread::~IUDPClientThread() = default;

void IUDPClientThread::onStartMessageProcessing()
{
    clear();
    m_processing = true;
    step();
}

void IUDPClientThread::onQuitMessageProcessing()
{
    if (!m_pQueue)
        return;
    // What can no longer be answered: the request in flight (unless it has
    // just ended) and everything queued behind it, in sending order.
    QList<IInterface::Message> dropped;
    if (m_state != Idle)
        dropped.append(m_current);
    dropped.append(*m_pQueue);
    m_processing = false;
    m_dispatchTimer.stop();
    m_wakeTimer.stop();
    m_replyTimer.stop();
    clear();
    for (const IInterface::Message &message : std::as_const(dropped))
        processNetworkErrorAfterRetryLmitReached(message);
}

void IUDPClientThread::onReplyReady()
{
    if (m_state != WaitingForReply || !m_pReplySemaphore || m_pReplySemaphore->available() == 0)
        return;
    m_dispatchTimer.stop();
    m_replyTimer.stop();
    if (m_processing)
        step();
}

void IUDPClientThread::onDispatch()
{
    if (m_processing)
        step();
}

void IUDPClientThread::step()
{
    if (!m_pQueue || !m_pReplies)
        return;
    switch (m_state) {
    case WaitingForReply:
        checkReplies();
        break;
    case Resend:
        write();
        break;
    default:
        if (m_pQueueSemaphore->tryAcquire())
            takeNextMessage();
        break;
    }
    scheduleTick();
}

void IUDPClientThread::clear()
{
    clearQueues();
    ++m_epoch;
}

void IUDPClientThread::takeNextMessage()
{
    // The semaphore counts the list; an empty list means someone emptied
    // it without the count, so there is nothing to take.
    if (m_pQueue->isEmpty()) {
        m_state = Idle;
        return;
    }
    m_current = m_pQueue->takeFirst();
    m_attempts = 0;
    ++m_epoch;
    // Whatever arrived before this request was written cannot answer it,
    // and a batch would take its lines position by position.
    dropReplies();
    write();
}

void IUDPClientThread::write()
{
    if (m_current.data.isEmpty()) {
        m_state = Idle;
        return;
    }
    const qint64 written = m_pClient->writeDatagram(m_current.data);
    if (written != m_current.data.size()) {
        handleFailure();
        return;
    }
    if (m_current.type == IInterface::SendNoReply) {
        m_state = Idle;
        return;
    }
    m_state = WaitingForReply;
    m_replyTimer.start(m_current.timeoutMs);
}

void IUDPClientThread::checkReplies()
{
    if (m_state != WaitingForReply)
        return;
    bool taken = false;
    Check last = Check::Passed;
    while (m_pReplySemaphore->tryAcquire()) {
        taken = true;
        QByteArray reply;
        if (m_pReplies->isEmpty())
            qDebug() << "Response empty";
        else
            reply = m_pReplies->takeFirst();
        const int type = m_current.type;
        if (type != IInterface::SendWaitReply && type != IInterface::SendBatch) {
            // Not sent over UDP by any protocol: any answer will do.
            last = Check::Passed;
            continue;
        }
        last = checkReply(reply);
        if (last == Check::Interrupted)
            return;
    }
    if (!taken) {
        if (!m_replyTimer.isActive())
            handleFailure();
        return;
    }
    if (last == Check::Failed) {
        handleFailure();
        return;
    }
    m_state = Idle;
    if (m_pQueue->isEmpty())
        m_processing = false; // the next send starts again
}

IUDPClientThread::Check IUDPClientThread::checkReply(QByteArray reply)
{
    reply = reply.trimmed();
    const QByteArray expected = m_current.expectedReply.trimmed();
    const QList<QByteArray> lines = reply.split('\r');
    const QList<QByteArray> expectedLines = expected.split('\r');
    const bool lineByLine =
        m_current.type == IInterface::SendBatch && lines.size() == expectedLines.size();

    for (qsizetype i = 0; i < lines.size(); ++i) {
        QByteArray line = lines.at(i).trimmed();
        if (line.startsWith("NACK BUSY"))
            return Check::Failed;
        bool refused = false;
        if (line.startsWith("ACK")) {
            line.remove(0, 3);
        } else if (line.startsWith("NACK")) {
            line.remove(0, 4);
            refused = true;
        }
        line = line.trimmed();

        QByteArray expectedText = expected;
        QByteArray expectedLine;
        bool matches = true;
        if (lineByLine) {
            expectedLine = withoutCarriageReturns(expectedLines.at(i));
            expectedText = expectedLine;
            matches = line.startsWith(expectedLine);
        } else if (!line.startsWith(expected)) {
            return Check::Failed;
        }

        QString status;
        if (matches && refused)
            status = ReplyTags::nackReceived() + QString::fromUtf8(expectedText);
        else if (matches)
            status = QString::fromUtf8(expectedText);
        else
            status = ReplyTags::unknownReceived()
                + QString::fromUtf8(expectedLine.isEmpty() ? expected : expectedLine);
        // In a batch every position is answered, an empty line too: its
        // request would otherwise wait for ever.
        if (line.isEmpty() && !lineByLine)
            continue;
        if (!deliver(line, status))
            return Check::Interrupted;
    }
    return Check::Passed;
}

bool IUDPClientThread::deliver(const QByteArray &line, const QString &status)
{
    if (!m_pOwner)
        return true;
    const quint64 epoch = m_epoch;
    m_pOwner->onDataReceived(line, status);
    return epoch == m_epoch && m_processing;
}

void IUDPClientThread::handleFailure()
{
    dropReplies();
    emit messageError(m_current.data);
    ++m_attempts;
    if (m_attempts < MaxAttempts) {
        m_state = Resend;
        return;
    }
    const IInterface::Message given = m_current;
    m_state = Idle;
    ++m_epoch;
    if (m_pQueue->isEmpty())
        m_processing = false;
    processNetworkErrorAfterRetryLmitReached(given);
}

void IUDPClientThread::processNetworkErrorAfterRetryLmitReached(const IInterface::Message &message)
{
    if (!m_pOwner)
        return;
    qDebug().noquote() << "UDPThread::  processNetworkErrorAfterRetryLmitReached: "
                       << QTime::currentTime().toString(QStringLiteral("H:mm:ss.zzz"));
    m_pOwner->onDataReceived(timeoutLine(),
                             ReplyTags::networkError() + QString::fromUtf8(message.expectedReply));
}
