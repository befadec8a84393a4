#include "comms/IUDPClient.h"

#include "comms/IUDPClientThread.h"
#include "comms/PProtocol.h"

#include <QDebug>
#include <QNetworkDatagram>
#include <QTime>
#include <QUdpSocket>

IUDPClient::IUDPClient(QObject *parent)
    : IInterface(parent)
    , m_pDispatcher(new IUDPClientThread(this))
{
    m_pDispatcher->setSharedQueues(&m_queue, &m_queueSemaphore, &m_replies, &m_replySemaphore);
    connect(this, &IUDPClient::startMessageProcessing, m_pDispatcher,
            &IUDPClientThread::onStartMessageProcessing);
    connect(this, &IUDPClient::quitMessageProcessing, m_pDispatcher,
            &IUDPClientThread::onQuitMessageProcessing);
    connect(this, &IUDPClient::replyReady, m_pDispatcher, &IUDPClientThread::onReplyReady);
    connect(this, &IUDPClient::messageQueued, m_pDispatcher, &IUDPClientThread::onMessageQueued);
    connect(m_pDispatcher, &IUDPClientThread::messageError, this,
            &IUDPClient::onMessageSendError);
    m_pDispatcher->start(QThread::InheritPriority);
}

IUDPClient::~IUDPClient()
{
    if (m_pUDPSocket)
        m_pUDPSocket->disconnect(this);
    m_pDispatcher->disconnect(this);
    if (m_pDispatcher->isRunning()) {
        m_pDispatcher->quit();
        if (!m_pDispatcher->wait(3000))
            qWarning() << "UDP dispatcher thread did not end";
    }
}

bool IUDPClient::open()
{
    qDebug() << "UDPClient::   opening new socket";
    if (m_pUDPSocket)
        close();
    m_pUDPSocket = new QUdpSocket(this);
    QUdpSocket *pSocket = m_pUDPSocket;
    connect(pSocket, &QUdpSocket::readyRead, this, &IUDPClient::dataReady);
    connect(pSocket, &QUdpSocket::errorOccurred, this, &IUDPClient::error);
    connect(pSocket, &QUdpSocket::stateChanged, this, &IUDPClient::stateChanged);
    // An array on this machine answers over the loopback; binding there
    // keeps the port closed to the network.
    const QHostAddress local = m_address.isLoopback() ? QHostAddress(QHostAddress::LocalHost)
                                                      : QHostAddress(QHostAddress::AnyIPv4);
    const bool bound = pSocket->bind(local, 0);
    qDebug() << "UDPClient::   Socket is bound to address:" << pSocket->localAddress();
    qDebug() << "UDPClient::   Socket is bound to port:" << pSocket->localPort();
    return bound;
}

bool IUDPClient::close()
{
    qDebug() << "IUDPClient::close, m_pUDPSocket = " << m_pUDPSocket;
    QUdpSocket *pSocket = m_pUDPSocket;
    // The socket goes first: the dispatcher answers the dropped requests
    // when it stops, and a request sent from such an answer must find this
    // client closed, not a socket on its way out.
    m_pUDPSocket = nullptr;
    if (pSocket) {
        pSocket->disconnect(this);
        pSocket->close();
        // Later: we may be inside one of its signals.
        pSocket->deleteLater();
    }
    if (m_pDispatcher->isProcessing())
        emit quitMessageProcessing();
    return pSocket != nullptr;
}

void IUDPClient::startConnection()
{
    if (!m_pUDPSocket)
        open();
}

void IUDPClient::stopConnection()
{
    close();
}

int IUDPClient::send(const char *data, int length, int messageType, const char *expectedReply,
                     int timeoutMs)
{
    if (!m_pDispatcher->isProcessing())
        emit startMessageProcessing();
    if (!m_pUDPSocket || !data || length <= 0)
        return 0;
    const QByteArray bytes(data, length);
    if (messageType == SendDirect) {
        const qint64 written = writeDatagram(bytes);
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

qint64 IUDPClient::writeDatagram(const QByteArray &bytes)
{
    if (!m_pUDPSocket)
        return -1;
    return m_pUDPSocket->writeDatagram(bytes, m_address, quint16(m_port));
}

quint16 IUDPClient::localPort() const
{
    return m_pUDPSocket ? m_pUDPSocket->localPort() : quint16(0);
}

QString IUDPClient::stateText() const
{
    return tr(" - Unknown State");
}

void IUDPClient::dump() const
{
    qDebug() << this << typeName() << address() << m_port << owner()
             << (m_isConnected ? "true" : "false");
}

QString IUDPClient::typeName() const
{
    return QStringLiteral("UDPClient Interface");
}

QString IUDPClient::address() const
{
    return m_address.toString();
}

void IUDPClient::setAddress(const QHostAddress &address)
{
    m_address = address;
}

void IUDPClient::setPort(int port)
{
    m_port = port;
}

void IUDPClient::setOwner(PProtocol *pOwner)
{
    IInterface::setOwner(pOwner);
    m_pDispatcher->setOwner(pOwner);
}

void IUDPClient::stateChanged(QAbstractSocket::SocketState socketState)
{
    m_socketState = socketState;
    if (socketState == QAbstractSocket::UnconnectedState
        || socketState == QAbstractSocket::ClosingState)
        emit quitMessageProcessing();
}

void IUDPClient::error(QAbstractSocket::SocketError socketError)
{
    m_lastError = socketError;
}

void IUDPClient::onMessageSendError(const QByteArray &bytes)
{
    Q_UNUSED(bytes);
    ++m_failureCount;
    if (m_failureCount > MaxFailureCount)
        m_failureCount = 0;
}

void IUDPClient::dataReady()
{
    while (m_pUDPSocket && m_pUDPSocket->hasPendingDatagrams()) {
        const QNetworkDatagram datagram = m_pUDPSocket->receiveDatagram();
        takeDatagram(datagram.senderAddress(), quint16(datagram.senderPort()), datagram.data());
    }
}

void IUDPClient::takeDatagram(const QHostAddress &sender, quint16 senderPort, QByteArray bytes)
{
    if (!owner())
        return;
    // Anyone on the network can send to the bound port; only the array
    // answers requests.
    if (!sender.isEqual(m_address, QHostAddress::ConvertV4MappedToIPv4)
        || senderPort != quint16(m_port)) {
        qDebug().noquote() << "UDPClient::   Datagram from" << sender.toString() + QLatin1Char(':')
                                  + QString::number(senderPort)
                           << "is not from the array, dropped";
        return;
    }
    // Nothing awaits a reply while the dispatcher stands still, and its
    // next start would empty the list anyway.
    if (!m_pDispatcher->isProcessing())
        return;
    const QByteArray received = bytes;
    if (!bytes.isEmpty()) {
        if (bytes.endsWith('\r'))
            bytes.chop(1);
        if (bytes.endsWith(';'))
            bytes.chop(1);
    }
    if (bytes.isEmpty()) {
        qDebug().noquote().nospace()
            << "UDPClient::   Response had zero size: " << received << " IPAddress: "
            << m_address.toString() << ":" << m_port << " at TIME: "
            << QTime::currentTime().toString(QStringLiteral("H:mm:ss.zzz"));
        return;
    }
    m_replies.append(bytes);
    m_replySemaphore.release();
    emit replyReady();
}
