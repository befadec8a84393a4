#pragma once

#include <QAbstractSocket>
#include <QList>
#include <QObject>
#include <QString>
#include <QUrl>
#include <QWebSocket>
#include <QWebSocketProtocol>

#include <functional>
#include <memory>

// The WebSocket feed of one ARX amplifier, "ws://" + host + "/socket.io",
// over which the amplifier pushes its meter readings. Every text frame goes
// to two listeners, the ARX protocol's handler first and then the meter
// repository's; the client knows nothing of the frames' contents.
//
// Connected means an open socket: the flag is set when the handshake is
// done and cleared by every close, disconnection or failure. Frames and
// messages above MaxFrameBytes close the connection instead of being read.
//
// Frames from the socket reach the listeners in a later turn of the event
// loop. Until then a socket.io event frame ("42[\"name\",...]") that is
// still waiting is replaced by a newer one of the same event name: an
// amplifier that sends faster than the frames can be read costs the GUI
// thread one frame of each kind per turn, the newest, and the others are
// dropped unread. Other frames are all passed on, in order.
class IWebSocketClient : public QObject
{
    Q_OBJECT

public:
    using MessageHandler = std::function<void(const QString &message)>;

    static constexpr quint64 MaxFrameBytes = 1024 * 1024;

    explicit IWebSocketClient(QObject *parent = nullptr);
    ~IWebSocketClient() override;

    // Opens the feed of the host. An address that names no host opens
    // nothing and leaves the client closed.
    void connectToHost(const QString &host);
    // Closes with the normal close code.
    void close();
    // Closes and opens the last URL again.
    void reconnect();

    QUrl url() const { return m_url; }
    bool isConnected() const;
    bool isOpenRequested() const { return m_openRequested; }
    QAbstractSocket::SocketState socketState() const;

    void setProtocolMessageHandler(MessageHandler handler);
    void setProtocolErrorHandler(MessageHandler handler);
    void setModelMessageHandler(MessageHandler handler);
    void setModelErrorHandler(MessageHandler handler);

    // One text frame: the protocol's handler first, then the model's; at
    // once, past the frames waiting.
    void deliverMessage(const QString &message);

signals:
    void websocketDisconnected();

public slots:
    void onConnected();
    void onMesssageReceived(const QString &message);
    void onStateChanged(QAbstractSocket::SocketState state);
    void onDisconnected();
    void onErrorOccurred(QAbstractSocket::SocketError error);
    void onPong(quint64 elapsedTime, const QByteArray &payload);

private:
    // What a waiting frame is replaced by: a newer frame with the same key.
    // Null for a frame that nothing replaces.
    static QString replacementKey(const QString &message);
    void deliverWaiting();

    void open();
    // Made at the first open: a socket loads the TLS libraries, and most
    // chassis never open their feed.
    QWebSocket &socket();

    int m_missedPongs = 0;
    std::unique_ptr<QWebSocket> m_pSocket;
    QUrl m_url;
    bool m_connected = false;
    bool m_openRequested = false;
    MessageHandler m_protocolMessageHandler;
    MessageHandler m_protocolErrorHandler;
    MessageHandler m_modelMessageHandler;
    MessageHandler m_modelErrorHandler;
    struct Waiting
    {
        QString key;
        QString message;
    };
    QList<Waiting> m_waiting;
    bool m_deliveryPosted = false;
};
