#include "comms/ITcpServer.h"

#include "comms/PProtocol.h"

#include <QDebug>
#include <QTcpServer>
#include <QTcpSocket>

#include <cstring>

ITcpServer::ITcpServer(QObject *parent)
    : IInterface(parent)
{
}

ITcpServer::~ITcpServer()
{
    close();
}

bool ITcpServer::open()
{
    qDebug() << "ITcpServer::open()";
    if (!m_pListener) {
        m_pListener = new QTcpServer(this);
        connect(m_pListener, &QTcpServer::newConnection, this, &ITcpServer::newConnection);
        connect(m_pListener, &QTcpServer::acceptError, this, &ITcpServer::serverror);
    }
    if (!m_pListener) {
        qWarning() << "Attempting to open a QTcpServer that is null.";
        return false;
    }
    if (m_pListener->isListening() && (m_port == 0 || m_pListener->serverPort() == m_port)) {
        qDebug() << "ITCPServer is already listening on port " << m_pListener->serverPort();
        return true;
    }
    m_pListener->close();
    if (!m_pListener->listen(m_listenAddress, quint16(m_port))) {
        qWarning() << "Error " << m_pListener->serverError() << ": Starting listener on port: "
                   << m_port << " - " << m_pListener->errorString();
        return false;
    }
    qDebug() << "ITCPServer has started listening on port " << m_pListener->serverPort();
    return true;
}

bool ITcpServer::close()
{
    qDebug() << "TCP Server closed cleanly.";
    dropClient();
    if (m_pListener) {
        m_pListener->disconnect(this);
        m_pListener->close();
        // Pending connections that were never taken go with it.
        delete m_pListener;
    }
    return true;
}

void ITcpServer::dropClient()
{
    if (!m_pClient)
        return;
    QTcpSocket *pClient = m_pClient;
    m_pClient = nullptr;
    m_resetWatch.release();
    // Quiet first: the drop must not look like the sender finishing.
    pClient->disconnect(this);
    pClient->abort();
    // We may be inside one of the socket's own signals.
    pClient->deleteLater();
}

int ITcpServer::send(const char *data, int length, int messageType, const char *expectedReply,
                     int timeoutMs)
{
    Q_UNUSED(messageType);
    Q_UNUSED(expectedReply);
    Q_UNUSED(timeoutMs);
    if (!m_pClient || !data)
        return 0;
    const qint64 count = length < 0 ? qint64(std::strlen(data)) : qint64(length);
    const qint64 written = m_pClient->write(data, count);
    return written < 0 ? 0 : int(written);
}

void ITcpServer::dump() const
{
    qDebug() << this << typeName();
}

QString ITcpServer::typeName() const
{
    return QStringLiteral("TcpServer Interface");
}

void ITcpServer::setPort(int port)
{
    m_port = port;
}

quint16 ITcpServer::serverPort() const
{
    return m_pListener && m_pListener->isListening() ? m_pListener->serverPort() : 0;
}

bool ITcpServer::isListening() const
{
    return m_pListener && m_pListener->isListening();
}

void ITcpServer::newConnection()
{
    if (!m_pListener)
        return;
    // One client per opening.
    if (m_pClient)
        return;
    QTcpSocket *pClient = m_pListener->nextPendingConnection();
    if (!pClient)
        return;
    pClient->setParent(this);
    m_pClient = pClient;
    m_clientFailed = false;
    m_resetWatch.watch(pClient->socketDescriptor());
    connect(pClient, &QTcpSocket::readyRead, this, &ITcpServer::readyRead);
    connect(pClient, &QTcpSocket::readChannelFinished, this, &ITcpServer::readChannelFinished);
    connect(pClient, &QTcpSocket::connected, this, &ITcpServer::connected);
    connect(pClient, &QTcpSocket::disconnected, this, &ITcpServer::disconnected);
    connect(pClient, &QTcpSocket::stateChanged, this, &ITcpServer::stateChanged);
    connect(pClient, &QTcpSocket::errorOccurred, this, &ITcpServer::error);
    connect(pClient, &QIODevice::aboutToClose, this, &ITcpServer::aboutToClose);
    m_pListener->close();
    // Others that were accepted together with it are turned away.
    while (QTcpSocket *pOther = m_pListener->nextPendingConnection()) {
        pOther->abort();
        pOther->deleteLater();
    }
    // Bytes that came with the connection are already waiting.
    if (pClient->bytesAvailable() > 0)
        deliverPending();
}

void ITcpServer::readyRead()
{
    deliverPending();
}

void ITcpServer::deliverPending()
{
    if (!m_pClient)
        return;
    const QByteArray data = m_pClient->readAll();
    if (data.isEmpty())
        return;
    if (PProtocol *pOwner = owner())
        pOwner->onDataReceived(data, QString());
}

void ITcpServer::readChannelFinished()
{
}

void ITcpServer::connected()
{
}

void ITcpServer::disconnected()
{
    // What arrived just before the close is still in the socket's buffer.
    deliverPending();
    if (m_resetWatch.peerReset()) {
        m_clientFailed = true;
        qDebug() << "Receive Mode TCP Error: the sender reset the connection.";
    }
    m_resetWatch.release();
    if (QTcpSocket *pClient = m_pClient) {
        // Announced once, whichever way the socket says it went.
        pClient->disconnect(this);
    }
    emit connectionClose();
}

void ITcpServer::stateChanged(QAbstractSocket::SocketState state)
{
    // A socket that fails without ever reporting the disconnect must still
    // end the receive wait.
    if (state == QAbstractSocket::UnconnectedState && m_pClient)
        disconnected();
}

void ITcpServer::error(QAbstractSocket::SocketError err)
{
    if (err == QAbstractSocket::RemoteHostClosedError)
        return;
    m_clientFailed = true;
    qDebug() << "Receive Mode TCP Error: " << (m_pClient ? m_pClient->errorString() : QString());
}

void ITcpServer::aboutToClose()
{
}

void ITcpServer::serverror(QAbstractSocket::SocketError err)
{
    Q_UNUSED(err);
}
