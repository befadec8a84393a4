#include "comms/IWebSocketClient.h"

#include "comms/IArxAddress.h"
#include "comms/ReplyTags.h"

#include <QDebug>
#include <QNetworkProxy>
#include <QPointer>
#include <QStringView>

#include <utility>

namespace {

QString stateName(QAbstractSocket::SocketState state)
{
    switch (state) {
    case QAbstractSocket::UnconnectedState:
        return QStringLiteral("Unconnected");
    case QAbstractSocket::HostLookupState:
        return QStringLiteral("Host Lookup");
    case QAbstractSocket::ConnectingState:
        return QStringLiteral("Connecting");
    case QAbstractSocket::ConnectedState:
        return QStringLiteral("Connected");
    case QAbstractSocket::BoundState:
        return QStringLiteral("Bound");
    case QAbstractSocket::ClosingState:
        return QStringLiteral("Closing");
    case QAbstractSocket::ListeningState:
        return QStringLiteral("Listening");
    }
    return QStringLiteral("Undefined");
}

} // namespace

IWebSocketClient::IWebSocketClient(QObject *parent)
    : QObject(parent)
{
}

QWebSocket &IWebSocketClient::socket()
{
    if (m_pSocket)
        return *m_pSocket;
    m_pSocket = std::make_unique<QWebSocket>(QString(), QWebSocketProtocol::Version13);
    QWebSocket &webSocket = *m_pSocket;
    // The amplifiers sit on the local network; no proxy stands between.
    webSocket.setProxy(QNetworkProxy::NoProxy);
    webSocket.setMaxAllowedIncomingFrameSize(MaxFrameBytes);
    webSocket.setMaxAllowedIncomingMessageSize(MaxFrameBytes);
    // Room for the largest frame and the start of the next, so that one
    // turn of the event loop reads no more than that of a flood.
    webSocket.setReadBufferSize(qint64(2 * MaxFrameBytes));
    connect(&webSocket, &QWebSocket::connected, this, &IWebSocketClient::onConnected);
    connect(&webSocket, &QWebSocket::textMessageReceived, this, &IWebSocketClient::onMesssageReceived);
    connect(&webSocket, &QWebSocket::stateChanged, this, &IWebSocketClient::onStateChanged);
    connect(&webSocket, &QWebSocket::disconnected, this, &IWebSocketClient::onDisconnected);
    connect(&webSocket, qOverload<QAbstractSocket::SocketError>(&QWebSocket::error), this,
            &IWebSocketClient::onErrorOccurred);
    connect(&webSocket, &QWebSocket::pong, this, &IWebSocketClient::onPong);
    return webSocket;
}

IWebSocketClient::~IWebSocketClient()
{
    // The socket's last signals must reach neither this half-destroyed
    // client nor the listeners through it.
    if (m_pSocket)
        m_pSocket->disconnect(this);
    m_protocolMessageHandler = nullptr;
    m_protocolErrorHandler = nullptr;
    m_modelMessageHandler = nullptr;
    m_modelErrorHandler = nullptr;
    if (m_pSocket)
        m_pSocket->abort();
}

bool IWebSocketClient::isConnected() const
{
    return m_connected && socketState() == QAbstractSocket::ConnectedState;
}

QAbstractSocket::SocketState IWebSocketClient::socketState() const
{
    return m_pSocket ? m_pSocket->state() : QAbstractSocket::UnconnectedState;
}

void IWebSocketClient::connectToHost(const QString &host)
{
    m_url = IArxAddress::webSocketUrl(host);
    if (!m_url.isValid())
        qWarning().noquote() << "Not an amplifier address for the WebSocket feed: " + host;
    open();
}

void IWebSocketClient::open()
{
    m_connected = false;
    if (!m_url.isValid()) {
        m_openRequested = false;
        return;
    }
    m_openRequested = true;
    socket().open(m_url);
}

void IWebSocketClient::close()
{
    m_connected = false;
    m_openRequested = false;
    // Only an open socket has a closing handshake; one that is still
    // connecting is dropped.
    if (!m_pSocket)
        return;
    if (m_pSocket->state() == QAbstractSocket::ConnectedState)
        m_pSocket->close(QWebSocketProtocol::CloseCodeNormal, QString());
    else
        m_pSocket->abort();
}

void IWebSocketClient::reconnect()
{
    close();
    open();
}

void IWebSocketClient::setProtocolMessageHandler(MessageHandler handler)
{
    m_protocolMessageHandler = std::move(handler);
}

void IWebSocketClient::setProtocolErrorHandler(MessageHandler handler)
{
    m_protocolErrorHandler = std::move(handler);
}

void IWebSocketClient::setModelMessageHandler(MessageHandler handler)
{
    m_modelMessageHandler = std::move(handler);
}

void IWebSocketClient::setModelErrorHandler(MessageHandler handler)
{
    m_modelErrorHandler = std::move(handler);
}

void IWebSocketClient::deliverMessage(const QString &message)
{
    // A listener may replace its handler, or have the client deleted, from
    // inside its own call.
    const QPointer<IWebSocketClient> self(this);
    if (const MessageHandler handler = m_protocolMessageHandler)
        handler(message);
    if (!self)
        return;
    if (const MessageHandler handler = m_modelMessageHandler)
        handler(message);
}

void IWebSocketClient::onConnected()
{
    m_connected = true;
    qDebug().noquote() << "WebSocket connected to " + m_url.toString();
}

void IWebSocketClient::onMesssageReceived(const QString &message)
{
    const QString key = replacementKey(message);
    if (!key.isNull()) {
        m_waiting.removeIf(
            [&key](const Waiting &waiting) { return !waiting.key.isNull() && waiting.key == key; });
    }
    m_waiting.append({key, message});
    if (m_deliveryPosted)
        return;
    m_deliveryPosted = true;
    QMetaObject::invokeMethod(this, &IWebSocketClient::deliverWaiting, Qt::QueuedConnection);
}

QString IWebSocketClient::replacementKey(const QString &message)
{
    // "42[": an engine.io message (4) carrying a socket.io event (2), whose
    // array begins with the event's name. Only a plain name is read; an
    // event without one is keyed by the empty name.
    static const QLatin1String eventStart("42[");
    if (!message.startsWith(eventStart))
        return QString();
    constexpr qsizetype MaxNameLength = 64;
    const qsizetype nameStart = eventStart.size() + 1;
    if (message.size() <= nameStart || message.at(eventStart.size()) != QLatin1Char('"'))
        return QStringLiteral("");
    const QStringView head = QStringView(message).mid(nameStart, MaxNameLength + 1);
    const qsizetype nameLength = head.indexOf(QLatin1Char('"'));
    if (nameLength <= 0)
        return QStringLiteral("");
    const QStringView name = head.left(nameLength);
    return name.contains(QLatin1Char('\\')) ? QStringLiteral("") : name.toString();
}

void IWebSocketClient::deliverWaiting()
{
    m_deliveryPosted = false;
    // A listener may run an event loop, in which more frames come; they
    // wait for a turn of their own.
    const QList<Waiting> waiting = std::exchange(m_waiting, {});
    const QPointer<IWebSocketClient> self(this);
    for (const Waiting &frame : waiting) {
        deliverMessage(frame.message);
        if (!self)
            return;
    }
}

void IWebSocketClient::onStateChanged(QAbstractSocket::SocketState state)
{
    qDebug().noquote() << "WS State change: " + stateName(state);
    if (state == QAbstractSocket::UnconnectedState || state == QAbstractSocket::ClosingState)
        m_connected = false;
}

void IWebSocketClient::onDisconnected()
{
    m_connected = false;
    // The frames that came before the disconnection go first.
    const QPointer<IWebSocketClient> self(this);
    deliverWaiting();
    if (self)
        emit websocketDisconnected();
}

void IWebSocketClient::onErrorOccurred(QAbstractSocket::SocketError error)
{
    qDebug() << "WS: onErrorOccurred";
    qDebug() << "WS: Error: " << error;
    qDebug().noquote() << "WS: Error String: " + socket().errorString();
    m_connected = false;
    const QString text = ReplyTags::networkError() + socket().errorString();
    const QPointer<IWebSocketClient> self(this);
    if (const MessageHandler handler = m_protocolErrorHandler)
        handler(text);
    if (!self)
        return;
    if (const MessageHandler handler = m_modelErrorHandler)
        handler(text);
}

void IWebSocketClient::onPong(quint64 elapsedTime, const QByteArray &payload)
{
    Q_UNUSED(elapsedTime);
    Q_UNUSED(payload);
    m_missedPongs = 0;
}
