#include "comms/ITcpClient.h"

#include "comms/IPingProbe.h"
#include "comms/ITcpClientThread.h"
#include "comms/PProtocol.h"

#include <QDebug>
#include <QTcpSocket>
#include <QTime>

namespace {

bool isAckOrNakOnly(const QByteArray &bytes)
{
    if (bytes.isEmpty())
        return false;
    for (const char c : bytes) {
        if (c != ITcpClientThread::AckByte && c != ITcpClientThread::NakByte)
            return false;
    }
    return true;
}

} // namespace

ITcpClient::ITcpClient(QObject *parent)
    : IInterface(parent)
    , m_pDispatcher(new ITcpClientThread(this))
{
    m_pDispatcher->setSharedQueues(&m_queue, &m_queueSemaphore, &m_replies, &m_replySemaphore);
    connect(this, &ITcpClient::startMessageProcessing, m_pDispatcher,
            &ITcpClientThread::onStartMessageProcessing);
    connect(this, &ITcpClient::quitMessageProcessing, m_pDispatcher,
            &ITcpClientThread::onQuitMessageProcessing);
    connect(this, &ITcpClient::replyReady, m_pDispatcher, &ITcpClientThread::onReplyReady);
    connect(this, &ITcpClient::messageQueued, m_pDispatcher, &ITcpClientThread::onMessageQueued);
    connect(m_pDispatcher, &ITcpClientThread::sendMessage, this, &ITcpClient::onSendMessage,
            Qt::DirectConnection);
    connect(m_pDispatcher, &ITcpClientThread::messageError, this,
            &ITcpClient::onMessageSendError);
    connect(m_pDispatcher, &ITcpClientThread::replyOverdue, this, &ITcpClient::onReplyOverdue,
            Qt::DirectConnection);
    m_pDispatcher->start(QThread::InheritPriority);

    // Connected here once: every open reuses them.
    m_retryTimer.setInterval(RetryIntervalMs);
    connect(&m_retryTimer, &QTimer::timeout, this, &ITcpClient::retry);
    m_hostStatusTimer.setSingleShot(true);
    m_hostStatusTimer.setInterval(HostStatusIntervalMs);
    connect(&m_hostStatusTimer, &QTimer::timeout, this, &ITcpClient::onHostStatusTimerTimesout);
    m_tailTimer.setSingleShot(true);
    m_tailTimer.setInterval(TailFlushMs);
    connect(&m_tailTimer, &QTimer::timeout, this, &ITcpClient::flushTail);
    m_renewalProbeTimer.setInterval(RenewalProbeIntervalMs);
    connect(&m_renewalProbeTimer, &QTimer::timeout, this, &ITcpClient::onRenewalProbeTimeout);
    m_silenceProbeTimer.setSingleShot(true);
    m_silenceProbeTimer.setInterval(ProbeReplyTimeoutMs);
    connect(&m_silenceProbeTimer, &QTimer::timeout, this, &ITcpClient::onSilenceProbeTimeout);

    setHostProbe(new IPingProbe);
}

ITcpClient::~ITcpClient()
{
    m_retryTimer.stop();
    m_hostStatusTimer.stop();
    m_tailTimer.stop();
    m_renewalProbeTimer.stop();
    m_silenceProbeTimer.stop();
    if (m_pTcpSocket) {
        m_pTcpSocket->disconnect(this);
        m_pTcpSocket->abort();
    }
    m_pDispatcher->disconnect(this);
    if (m_pDispatcher->isRunning()) {
        m_pDispatcher->quit();
        if (!m_pDispatcher->wait(3000))
            qWarning() << "TCP dispatcher thread did not end";
    }
}

bool ITcpClient::open()
{
    qDebug() << "ITcpClient::open, m_TcpSocket = " << m_pTcpSocket;
    if (m_pTcpSocket)
        close();
    if (m_address.isNull() || m_port <= 0 || m_port > 65535) {
        qWarning() << "TCP client without a valid address or port:" << m_address << m_port;
        return false;
    }
    m_pTcpSocket = new QTcpSocket(this);
    qDebug() << "QTcpSocket object created.";
    QTcpSocket *pSocket = m_pTcpSocket;
    connect(pSocket, &QTcpSocket::connected, this, &ITcpClient::onConnected);
    connect(pSocket, &QTcpSocket::disconnected, this, &ITcpClient::onDisconnected);
    connect(pSocket, &QTcpSocket::readyRead, this, &ITcpClient::dataReady);
    connect(pSocket, &QTcpSocket::errorOccurred, this, &ITcpClient::error);
    connect(pSocket, &QTcpSocket::stateChanged, this, &ITcpClient::stateChanged);
    m_tail.clear();
    m_skippingLine = false;
    // Opened anew, the owner follows its chassis's own word on line.
    m_ownerToldOffline = false;

    qDebug().nospace() << "Sock connect (2?) - " << address() << ":" << m_port;
    pSocket->connectToHost(m_address, quint16(m_port), QIODevice::ReadWrite);
    qDebug().nospace() << "Sock wait connect (2?) - " << m_connectWaitMs << " ms";
    // The wait runs the socket's signals, and a listener may close us.
    if (pSocket->waitForConnected(m_connectWaitMs) && pSocket == m_pTcpSocket) {
        startHostStatusTimer();
        return true;
    }
    return false;
}

bool ITcpClient::close()
{
    if (m_pDispatcher->isProcessing())
        emit quitMessageProcessing();
    if (!m_pTcpSocket)
        return false;
    QTcpSocket *pSocket = m_pTcpSocket;
    if (pSocket->state() != QAbstractSocket::UnconnectedState) {
        qDebug() << "Sock disconnect";
        pSocket->disconnectFromHost();
        if (pSocket->state() != QAbstractSocket::UnconnectedState
            && !pSocket->waitForDisconnected(DisconnectWaitMs))
            pSocket->abort();
    }
    qDebug() << "Sock close";
    releaseSocket();
    // Without a socket there is nothing to retry, watch or probe.
    m_retryTimer.stop();
    m_hostStatusTimer.stop();
    m_tailTimer.stop();
    m_renewalProbeTimer.stop();
    m_silenceProbeTimer.stop();
    m_tail.clear();
    return true;
}

void ITcpClient::releaseSocket()
{
    if (!m_pTcpSocket)
        return;
    QTcpSocket *pSocket = m_pTcpSocket;
    m_pTcpSocket = nullptr;
    pSocket->disconnect(this);
    pSocket->close();
    // Later: we may be inside one of its signals.
    pSocket->deleteLater();
}

void ITcpClient::startConnection()
{
    if (!m_pTcpSocket)
        open();
}

void ITcpClient::stopConnection()
{
    close();
}

bool ITcpClient::isLevelRequest(const QByteArray &bytes)
{
    const QByteArray text = bytes.trimmed();
    if (!text.startsWith("GL"))
        return false;
    return text.size() == 2 || QChar::isSpace(uchar(text.at(2)));
}

int ITcpClient::send(const char *data, int length, int messageType, const char *expectedReply,
                     int timeoutMs)
{
    if (!data || length <= 0)
        return 0;
    const QByteArray bytes(data, length);
    if (dropsLevelRequests() && isLevelRequest(bytes))
        return 0;
    if (!m_pTcpSocket)
        return 0;
    if (messageType == SendDirect) {
        const qint64 written = writeNow(bytes);
        return written > 0 ? int(written) : 0;
    }
    Message message;
    message.type = messageType;
    message.data = bytes;
    message.expectedReply = QByteArray(expectedReply ? expectedReply : "");
    message.timeoutMs = timeoutMs;
    m_queue.append(message);
    m_queueSemaphore.release();
    emit messageQueued();
    return 0;
}

qint64 ITcpClient::writeNow(const QByteArray &bytes)
{
    if (!m_pTcpSocket || m_pTcpSocket->state() != QAbstractSocket::ConnectedState)
        return -1;
    const qint64 written = m_pTcpSocket->write(bytes);
    // Out now rather than at the next turn of the event loop.
    m_pTcpSocket->flush();
    startHostStatusTimer();
    return written;
}

bool ITcpClient::waitForWrite(int ms)
{
    qDebug().nospace() << "Waiting for write - " << ms << " ms";
    return m_pTcpSocket && m_pTcpSocket->waitForBytesWritten(ms);
}

QString ITcpClient::stateText() const
{
    switch (m_connectionState) {
    case Idle:
        return tr(" - Offline - Idle");
    case Connecting:
        return tr(" - Offline - Connecting");
    case Running:
        return tr(" - Online - Running");
    case Reconnecting:
        return tr(" - Offline - Reconnecting");
    case Resetting:
        return tr(" - Offline - Resetting");
    default:
        return tr(" - Unknown State");
    }
}

void ITcpClient::dump() const
{
    qDebug() << this << typeName() << address() << m_port << owner()
             << (m_isConnected ? "true" : "false");
}

QString ITcpClient::typeName() const
{
    return QStringLiteral("TcpClient Interface");
}

QString ITcpClient::address() const
{
    return m_address.toString();
}

void ITcpClient::setAddress(const QHostAddress &address)
{
    m_address = address;
}

void ITcpClient::setPort(int port)
{
    m_port = port;
}

int ITcpClient::connectionState() const
{
    return m_connectionState;
}

void ITcpClient::setOwner(PProtocol *pOwner)
{
    IInterface::setOwner(pOwner);
    m_pDispatcher->setOwner(pOwner);
}

bool ITcpClient::hasSubscriptionState() const
{
    return m_hasSubscriptionState;
}

bool ITcpClient::isSubscribed() const
{
    return m_hasSubscriptionState && m_subscribed;
}

void ITcpClient::setSubscribed(bool subscribed)
{
    m_subscribed = subscribed;
    m_hasSubscriptionState = true;
    m_pDispatcher->setSubscribed(isSubscribed());
}

void ITcpClient::clearSubscription()
{
    m_subscribed = false;
    m_hasSubscriptionState = false;
    m_pDispatcher->setSubscribed(false);
}

void ITcpClient::notifyOwner()
{
    PProtocol *pOwner = owner();
    if (!pOwner)
        return;
    m_hasSubscriptionState = false;
    m_pDispatcher->setSubscribed(isSubscribed());
    // Not connected is offline, whatever the socket's own state: a remote
    // close reports its error before the socket leaves the connected state,
    // and an open socket may have a silent device behind it.
    if (!m_isConnected) {
        m_ownerToldOffline = true;
        pOwner->onOnlineStateChanged(false);
    } else {
        pOwner->resetSubscriptions();
    }
}

void ITcpClient::startHostStatusTimer()
{
    if (!m_hostStatusTimer.isActive())
        m_hostStatusTimer.start();
}

void ITcpClient::setHostProbe(IHostProbe *pProbe)
{
    if (!pProbe || pProbe == m_pHostProbe)
        return;
    delete m_pHostProbe;
    m_pHostProbe = pProbe;
    m_pHostProbe->setParent(this);
    connect(m_pHostProbe, &IHostProbe::finished, this, &ITcpClient::onHostProbeFinished);
}

// --- Socket events and the connection states ----------------------------

void ITcpClient::stateChanged(QAbstractSocket::SocketState socketState)
{
    m_socketState = socketState;
    m_lastError = -1;
    step();
    if (socketState == QAbstractSocket::UnconnectedState && m_pTcpSocket)
        m_retryTimer.start(RetryIntervalMs);
}

void ITcpClient::onConnected()
{
    qDebug() << "Client connected.";
    m_socketState = QAbstractSocket::ConnectedState;
    step();
}

void ITcpClient::onDisconnected()
{
    qDebug() << "Client disconnected.";
    m_socketState = QAbstractSocket::UnconnectedState;
    step();
}

void ITcpClient::error(QAbstractSocket::SocketError socketError)
{
    qWarning().noquote() << "Socket error" << socketError
                         << QTime::currentTime().toString(QStringLiteral("mm:ss.z"));
    m_lastError = socketError;
    step();
}

void ITcpClient::step()
{
    switch (m_connectionState) {
    case Idle:
        if (m_socketState == QAbstractSocket::HostLookupState
            || m_socketState == QAbstractSocket::ConnectingState)
            m_connectionState = Connecting;
        break;
    case Connecting:
        if (m_socketState == QAbstractSocket::ConnectedState) {
            enterRunning(true);
        } else if (m_socketState == QAbstractSocket::UnconnectedState) {
            m_connectionState = Reconnecting;
            m_retryTimer.start(RetryIntervalMs);
            m_failureCount = 0;
            setConnected(false);
        }
        break;
    case Running:
        if (m_failureCount >= MaxSendFailures)
            resetConnection();
        else if (m_lastError == QAbstractSocket::RemoteHostClosedError)
            leaveRunning(Reconnecting);
        else if (m_socketState == QAbstractSocket::UnconnectedState)
            leaveRunning(Idle);
        break;
    case Reconnecting:
        if (!m_pTcpSocket)
            m_connectionState = Idle;
        else if (m_socketState == QAbstractSocket::ConnectedState)
            enterRunning(false);
        break;
    case Resetting:
        finishReset();
        break;
    default:
        break;
    }
}

void ITcpClient::enterRunning(bool firstConnection)
{
    m_retryTimer.stop();
    startHostStatusTimer();
    // Nothing read on an earlier connection belongs to this one.
    m_tail.clear();
    m_skippingLine = false;
    m_tailTimer.stop();
    m_connectionState = Running;
    m_failureCount = 0;
    m_heardSinceWrite = false;
    // A socket that connects tells nothing of the device behind it:
    // connected once it answers.
    m_awaitingAnswer = true;
    m_probeOutstanding = false;
    emit startMessageProcessing();
    if (firstConnection) {
        // The owner's first messages (its subscription) ask the device
        // first; the line is probed only when they go unanswered.
        emit connectionActive();
        if (m_connectionState != Running || !m_awaitingAnswer)
            return;
    } else {
        writeRenewalProbe();
    }
    m_renewalProbeTimer.start();
}

void ITcpClient::leaveRunning(ConnectionState next)
{
    m_connectionState = next;
    if (next == Reconnecting)
        m_retryTimer.start(RetryIntervalMs);
    m_hostStatusTimer.stop();
    m_renewalProbeTimer.stop();
    m_silenceProbeTimer.stop();
    m_failureCount = 0;
    // A new connection starts without the device's subscriptions.
    clearSubscription();
    setConnected(false);
    emit quitMessageProcessing();
}

void ITcpClient::resetConnection()
{
    qWarning().nospace() << "No answers from " << address() << ":" << m_port
                         << ", renewing the connection";
    m_connectionState = Resetting;
    m_failureCount = 0;
    m_awaitingAnswer = true;
    m_hostStatusTimer.stop();
    m_renewalProbeTimer.stop();
    m_silenceProbeTimer.stop();
    clearSubscription();
    emit quitMessageProcessing();
    finishReset();
}

void ITcpClient::finishReset()
{
    if (m_connectionState != Resetting)
        return;
    // Reconnecting before the socket goes, so that its signals find the
    // new state.
    m_connectionState = Reconnecting;
    if (m_pTcpSocket && m_pTcpSocket->state() != QAbstractSocket::UnconnectedState) {
        qDebug() << "Sock disconnect (2)";
        m_pTcpSocket->abort();
    } else {
        qDebug() << "Sock state == QAbstractSocket::UnconnectedState";
    }
    m_retryTimer.start(RetryIntervalMs);
    m_failureCount = 0;
    m_lastError = -1;
    setConnected(false);
}

void ITcpClient::retry()
{
    if (!m_pTcpSocket || m_isConnected)
        return;
    QTcpSocket *pSocket = m_pTcpSocket;
    // An attempt still hanging from the last period is given up, so there
    // is one fresh attempt per period.
    if (pSocket->state() != QAbstractSocket::UnconnectedState)
        pSocket->abort();
    qDebug().nospace() << "Sock connect - " << address() << ":" << m_port;
    pSocket->connectToHost(m_address, quint16(m_port), QIODevice::ReadWrite);
    qDebug().nospace() << "Sock wait for connect - " << RetryConnectWaitMs << " ms";
    if (pSocket->waitForConnected(RetryConnectWaitMs) && pSocket == m_pTcpSocket)
        m_retryTimer.stop();
}

// --- Data ---------------------------------------------------------------

void ITcpClient::dataReady()
{
    if (!m_pTcpSocket || !owner())
        return;
    QByteArray bytes = m_pTcpSocket->readAll();
    if (bytes.isEmpty())
        return;
    heardFromDevice();
    if (m_skippingLine) {
        const qsizetype end = bytes.indexOf('\r');
        if (end < 0)
            return;
        bytes.remove(0, end + 1);
        m_skippingLine = false;
        if (bytes.isEmpty())
            return;
    }
    m_tail.append(bytes);

    QByteArray block;
    const qsizetype lastEnd = m_tail.lastIndexOf('\r');
    if (lastEnd >= 0) {
        block = m_tail.left(lastEnd + 1);
        m_tail.remove(0, lastEnd + 1);
    } else if (isAckOrNakOnly(m_tail)) {
        block.swap(m_tail);
    }
    if (m_tail.size() > MaxTailBytes) {
        qWarning() << "Received line too long, dropped";
        m_tail.clear();
        m_skippingLine = true;
    }
    if (m_tail.isEmpty())
        m_tailTimer.stop();
    else if (!m_tailTimer.isActive())
        m_tailTimer.start();

    if (!block.isEmpty())
        handOnReplies(block);
}

void ITcpClient::flushTail()
{
    if (m_tail.isEmpty() || !owner())
        return;
    QByteArray block;
    block.swap(m_tail);
    handOnReplies(block);
}

void ITcpClient::heardFromDevice()
{
    m_failureCount = 0;
    m_heardSinceWrite = true;
    m_silenceProbeTimer.stop();
    m_probeOutstanding = false;
    if (!m_awaitingAnswer || m_connectionState != Running)
        return;
    qDebug().nospace() << address() << ":" << m_port << " answers on the connection";
    m_awaitingAnswer = false;
    m_renewalProbeTimer.stop();
    setConnected(true);
    // Told offline on the way, the owner learns that its device is back.
    PProtocol *pOwner = owner();
    if (m_ownerToldOffline && pOwner && m_isConnected) {
        m_ownerToldOffline = false;
        pOwner->onOnlineStateChanged(true);
    }
}

bool ITcpClient::writeProbe()
{
    // Any answer will do.
    static const char probe[] = "SUB\r";
    m_heardSinceWrite = false;
    return writeNow(QByteArray(probe, 4)) > 0;
}

bool ITcpClient::isAskingDevice() const
{
    return m_pDispatcher->isProcessing() && m_pDispatcher->state() != IMessageDispatcher::Idle;
}

void ITcpClient::writeRenewalProbe()
{
    m_probeOutstanding = writeProbe();
}

void ITcpClient::writeSilenceProbe()
{
    // A message of the dispatcher's in flight asks the device already; a
    // probe beside it could be taken for its reply.
    if (isAskingDevice() || writeProbe())
        m_silenceProbeTimer.start();
}

void ITcpClient::onSilenceProbeTimeout()
{
    if (!m_isConnected || m_connectionState != Running)
        return;
    qWarning().nospace() << "No answer to the line probe from " << address() << ":" << m_port
                         << ", not counted as connected until it answers";
    ++m_failureCount;
    awaitAnswer();
}

void ITcpClient::awaitAnswer()
{
    m_awaitingAnswer = true;
    // Announced at once; a listener may close us meanwhile.
    setConnected(false);
    if (m_connectionState != Running || !m_awaitingAnswer)
        return;
    if (m_failureCount >= MaxSendFailures) {
        resetConnection();
        return;
    }
    m_renewalProbeTimer.start();
}

void ITcpClient::onRenewalProbeTimeout()
{
    if (!m_awaitingAnswer || m_connectionState != Running) {
        m_renewalProbeTimer.stop();
        return;
    }
    if (m_probeOutstanding) {
        m_probeOutstanding = false;
        ++m_failureCount;
    }
    if (m_failureCount >= MaxSendFailures) {
        resetConnection();
        return;
    }
    // The dispatcher's message in flight asks the device: its answer or its
    // failure tells, and a probe beside it could be taken for its reply.
    if (!isAskingDevice())
        writeRenewalProbe();
}

void ITcpClient::onReplyOverdue()
{
    if (m_tail.isEmpty())
        return;
    m_tailTimer.stop();
    QByteArray block;
    block.swap(m_tail);
    handOnReplies(block, false);
}

void ITcpClient::handOnReplies(QByteArray block, bool announce)
{
    if (block.endsWith('\r'))
        block.chop(1);
    if (block.endsWith(';'))
        block.chop(1);
    if (block.isEmpty())
        return;
    const QList<QByteArray> pieces = block.split(';');
    for (const QByteArray &piece : pieces) {
        m_replies.append(piece);
        m_replySemaphore.release();
    }
    m_hostStatusTimer.stop();
    if (announce)
        emit replyReady();
}

// --- Dispatcher ---------------------------------------------------------

void ITcpClient::onSendMessage(const QByteArray &bytes, uint &bytesWritten)
{
    m_heardSinceWrite = false;
    const qint64 written = writeNow(bytes);
    bytesWritten = written > 0 ? uint(written) : 0;
}

void ITcpClient::onMessageSendError(const QByteArray &bytes)
{
    Q_UNUSED(bytes);
    // Failures in a row: an attempt the device answered, if only with a
    // refusal, shows the line alive and ends the row.
    if (m_heardSinceWrite) {
        m_failureCount = 0;
        return;
    }
    ++m_failureCount;
    // At once, not at the next socket event: a device whose application
    // hangs keeps its TCP connection quiet and open.
    if (m_connectionState == Running && m_failureCount >= MaxSendFailures)
        resetConnection();
}

// --- Silence check ------------------------------------------------------

void ITcpClient::onHostStatusTimerTimesout()
{
    if (m_pHostProbe->isRunning())
        return;
    m_pHostProbe->start(address());
}

void ITcpClient::onHostProbeFinished(IHostProbe::HostState state)
{
    // Not counted as connected, the line is down or probed already.
    if (!m_isConnected || m_connectionState != Running)
        return;
    // A write shows whether the connection still holds: a dead one fails
    // and the socket reports it. Its answer shows whether the device does:
    // a host that answers may run an application that hangs.
    if (state != IHostProbe::Reachable)
        qDebug() << "Host check failed for" << address() << state << ", probing the connection";
    writeSilenceProbe();
    m_hostStatusTimer.start();
}
