#include "comms/IWebSocketClient.h"

#include <utility>

IWebSocketClient::IWebSocketClient(QObject *parent)
    : QObject(parent)
{
}

IWebSocketClient::~IWebSocketClient() = default;

void IWebSocketClient::connectToHost(const QString &host)
{
    m_url = QUrl(QStringLiteral("ws://") + host + QStringLiteral("/socket.io"));
    m_openRequested = true;
    m_connected = true;
}

void IWebSocketClient::close()
{
    m_connected = false;
    m_openRequested = false;
}

void IWebSocketClient::reconnect()
{
    close();
    m_openRequested = true;
    m_connected = true;
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
    if (m_protocolMessageHandler)
        m_protocolMessageHandler(message);
    if (m_modelMessageHandler)
        m_modelMessageHandler(message);
}
