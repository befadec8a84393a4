#include "comms/ITcpClientThread.h"

#include "comms/PProtocol.h"

#include <QDebug>
#include <QSemaphore>
#include <QTime>

ITcpClientThread::ITcpClientThread(QObject *parent)
    : IMessageDispatcher(parent)
{
    connect(&m_dispatchTimer, &QTimer::timeout, this, &ITcpClientThread::onDispatch);
    connect(&m_wakeTimer, &QTimer::timeout, this, &ITcpClientThread::onDispatch);
    m_clock.start();
}

void ITcpClientThread::setSubscribed(bool subscribed)
{
    m_subscribed = subscribed;
    if (!subscribed)
        m_unanswered.clear();
    else if (m_pReplySemaphore && m_pReplySemaphore->available() > 0)
        wake(); // what came meanwhile is now the device's own report
}

ITcpClientThread::~ITcpClientThread() = default;

void ITcpClientThread::onStartMessageProcessing()
{
    clear();
    m_processing = true;
    step();
}

void ITcpClientThread::onQuitMessageProcessing()
{
    m_processing = false;
    m_dispatchTimer.stop();
    m_wakeTimer.stop();
    m_replyTimer.stop();
    clear();
}

void ITcpClientThread::onReplyReady()
{
    if (m_state != WaitingForReply) {
        // Subscribed, the device reports by itself; the next tick reads it.
        if (m_subscribed)
            wake();
        return;
    }
    m_dispatchTimer.stop();
    m_replyTimer.stop();
    if (m_processing)
        step();
}

void ITcpClientThread::onDispatch()
{
    if (m_processing)
        step();
}

void ITcpClientThread::step()
{
    if (!m_pQueue || !m_pReplies)
        return;
    switch (m_state) {
    case WaitingForReply:
        // While subscribed replies are routed by their content, so a
        // waiting message does not hold back the next one.
        if (!checkReplies() && m_subscribed && m_processing && m_pQueueSemaphore->tryAcquire())
            takeNextMessage();
        break;
    case Resend:
        write();
        break;
    default:
        if (m_pQueueSemaphore->tryAcquire())
            takeNextMessage();
        else if (m_subscribed)
            checkReplies(); // what the device reports by itself
        break;
    }
    scheduleTick();
}

bool ITcpClientThread::hasWork() const
{
    return IMessageDispatcher::hasWork()
        || (m_subscribed && m_pReplySemaphore && m_pReplySemaphore->available() > 0);
}

void ITcpClientThread::clear()
{
    clearQueues();
    m_unanswered.clear();
}

void ITcpClientThread::takeNextMessage()
{
    // The semaphore counts the list; an empty list here means someone
    // emptied it without the count, so there is nothing to take.
    if (m_pQueue->isEmpty()) {
        m_state = Idle;
        return;
    }
    m_current = m_pQueue->takeFirst();
    m_attempts = 0;
    // Not subscribed, whatever arrived while nothing was awaited cannot
    // answer a message that has not been written yet.
    if (!m_subscribed)
        dropReplies();
    write();
}

void ITcpClientThread::write()
{
    if (m_current.data.isEmpty()) {
        m_state = Idle;
        return;
    }
    uint written = 0;
    emit sendMessage(m_current.data, written);
    if (!m_processing)
        return; // the connection went while writing
    if (written != uint(m_current.data.size())) {
        // A write that did not go out is an attempt like a failed reply;
        // otherwise a dead socket would be written to on every tick.
        qWarning() << "TCP write failed," << written << "of" << m_current.data.size() << "bytes";
        handleFailure();
        return;
    }
    if (m_subscribed)
        noteWritten();
    if (m_current.type == IInterface::SendNoReply) {
        m_state = Idle;
        return;
    }
    m_state = WaitingForReply;
    // Also while subscribed: a reply that takes longer than one tick is
    // not a failure.
    m_replyTimer.start(m_current.timeoutMs);
}

bool ITcpClientThread::takeReplies(bool *pTaken, bool *pPassed)
{
    while (m_pReplySemaphore->tryAcquire()) {
        const QByteArray reply = m_pReplies->isEmpty() ? QByteArray() : m_pReplies->takeFirst();
        *pTaken = true;
        const int type = m_current.type;
        if (!m_subscribed && type == IInterface::SendWaitAck)
            *pPassed = checkAcknowledge(reply);
        else if (type == IInterface::SendWaitReply
                 || (m_subscribed
                     && (type == IInterface::SendWaitAck || type == IInterface::SendNoReply)))
            *pPassed = checkText(reply);
        else
            *pPassed = true;
        if (!m_processing)
            return false; // the owner closed the connection meanwhile
    }
    return true;
}

bool ITcpClientThread::checkReplies()
{
    bool taken = false;
    bool passed = true;
    if (!takeReplies(&taken, &passed))
        return true;
    if (!taken && m_state == WaitingForReply && !m_replyTimer.isActive()) {
        // A reply that came within the time-out without its line end is
        // still the reply.
        emit replyOverdue();
        if (!takeReplies(&taken, &passed))
            return true;
    }
    if (taken) {
        if (passed)
            m_state = Idle;
        else
            handleFailure();
        return true;
    }
    if (m_state != WaitingForReply || m_replyTimer.isActive())
        return false;
    const QString expected = QString::fromLatin1(m_current.expectedReply);
    handleFailure();
    if (m_pOwner)
        m_pOwner->onReplyTimeout(expected);
    return true;
}

bool ITcpClientThread::checkAcknowledge(const QByteArray &reply)
{
    if (reply.isEmpty())
        return false;
    const char first = reply.at(0);
    if (first == AckByte)
        return true;
    const QString now = QTime::currentTime().toString(QStringLiteral("H:mm:ss.zzz"));
    if (first == NakByte)
        qDebug().noquote() << now << "RECEIVED NAK, not ACK";
    else
        qDebug().noquote() << now << "RECEIVED FIRST BYTE = " << int(uchar(first))
                           << ", EXPECTED ACK";
    return false;
}

void ITcpClientThread::noteWritten()
{
    if (m_unanswered.size() >= MaxUnanswered)
        m_unanswered.removeFirst();
    Unanswered entry;
    entry.data = m_current.data;
    entry.expectedReply = m_current.expectedReply;
    entry.type = m_current.type;
    // As long as the dispatcher would try the message in all.
    entry.deadlineMs = m_clock.elapsed() + qint64(qMax(m_current.timeoutMs, 1)) * (MaxResends + 1);
    m_unanswered.append(entry);
}

void ITcpClientThread::dropExpiredAnswers()
{
    const qint64 now = m_clock.elapsed();
    while (!m_unanswered.isEmpty() && m_unanswered.first().deadlineMs < now)
        m_unanswered.removeFirst();
}

void ITcpClientThread::pairAnswers(const QByteArray &reply)
{
    dropExpiredAnswers();
    int start = 0;
    // A device answers its commands in order; acknowledge and refusal
    // bytes answer the oldest message still open.
    for (; start < reply.size() && (reply.at(start) == AckByte || reply.at(start) == NakByte);
         ++start) {
        if (m_unanswered.isEmpty())
            continue;
        const Unanswered entry = m_unanswered.takeFirst();
        if (reply.at(start) == NakByte && entry.type == IInterface::SendNoReply && m_pOwner) {
            qDebug() << "Refused while subscribed:" << entry.data;
            m_pOwner->onMessageRefused(entry.data);
        }
    }
    // A text answers the message that waits for it (and so every message
    // before it); any other text is the device's own report.
    const QByteArray text = reply.mid(start);
    if (text.isEmpty())
        return;
    for (qsizetype i = 0; i < m_unanswered.size(); ++i) {
        const Unanswered &entry = m_unanswered.at(i);
        if (entry.type != IInterface::SendNoReply && !entry.expectedReply.isEmpty()
            && text.startsWith(entry.expectedReply)) {
            m_unanswered.remove(0, i + 1);
            return;
        }
    }
}

bool ITcpClientThread::checkText(const QByteArray &reply)
{
    if (m_subscribed)
        pairAnswers(reply);
    int start = 0;
    while (start < reply.size() && (reply.at(start) == AckByte || reply.at(start) == NakByte))
        ++start;
    const QByteArray text = reply.mid(start);
    if (!m_subscribed && !text.startsWith(m_current.expectedReply))
        return false;
    deliverLines(text);
    return true;
}

void ITcpClientThread::deliverLines(const QByteArray &text)
{
    if (!m_pOwner || text.isEmpty())
        return;
    const QList<QByteArray> lines = text.split('\r');
    for (const QByteArray &line : lines) {
        if (!m_pOwner)
            return;
        m_pOwner->onDataReceived(line, QString());
    }
}

void ITcpClientThread::handleFailure()
{
    dropReplies();
    ++m_attempts;
    m_state = m_attempts <= MaxResends ? Resend : Idle;
    emit messageError(m_current.data);
}
