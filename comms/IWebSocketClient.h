#pragma once

#include <QObject>
#include <QString>
#include <QUrl>

#include <functional>

// The WebSocket feed of one ARX amplifier: "ws://" + host + "/socket.io",
// over which the amplifier pushes its meter readings to two listeners, the
// ARX protocol and the meter repository.
//
// Only the bookkeeping is here yet: the client remembers what it was asked
// to open and whether it counts as connected, and keeps the listeners'
// handlers. It opens no socket until the amplifier access brings one, so
// reading a design with ARX amplifiers connects nowhere.
class IWebSocketClient : public QObject
{
    Q_OBJECT

public:
    using MessageHandler = std::function<void(const QString &message)>;

    explicit IWebSocketClient(QObject *parent = nullptr);
    ~IWebSocketClient() override;

    // Aims the client at the host and marks it open and connected.
    void connectToHost(const QString &host);
    // Marks it closed.
    void close();
    // Closes and opens the last URL again.
    void reconnect();

    QUrl url() const { return m_url; }
    bool isConnected() const { return m_connected; }
    bool isOpenRequested() const { return m_openRequested; }

    void setProtocolMessageHandler(MessageHandler handler);
    void setProtocolErrorHandler(MessageHandler handler);
    void setModelMessageHandler(MessageHandler handler);
    void setModelErrorHandler(MessageHandler handler);

    // One text frame: the protocol's handler first, then the model's.
    void deliverMessage(const QString &message);

signals:
    void websocketDisconnected();

private:
    QUrl m_url;
    bool m_connected = false;
    bool m_openRequested = false;
    MessageHandler m_protocolMessageHandler;
    MessageHandler m_protocolErrorHandler;
    MessageHandler m_modelMessageHandler;
    MessageHandler m_modelErrorHandler;
};
