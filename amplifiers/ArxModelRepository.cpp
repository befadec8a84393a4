#include "amplifiers/ArxModelRepository.h"

#include "comms/IWebSocketClient.h"

#include <QDebug>

ArxModelRepository::ArxModelRepository(QObject *parent)
    : QObject(parent)
{
}

ArxModelRepository::~ArxModelRepository()
{
    if (m_pWebSocket) {
        m_pWebSocket->setModelMessageHandler(nullptr);
        m_pWebSocket->setModelErrorHandler(nullptr);
    }
}

void ArxModelRepository::attachWebSocket(IWebSocketClient *pClient)
{
    if (!pClient || pClient == m_pWebSocket)
        return;
    if (m_pWebSocket)
        m_pWebSocket->disconnect(this);
    m_pWebSocket = pClient;
    pClient->setModelMessageHandler([this](const QString &message) { onFrame(message); });
    // Socket errors are the protocol's business.
    pClient->setModelErrorHandler([](const QString &) {});
    connect(pClient, &IWebSocketClient::websocketDisconnected, this,
            &ArxModelRepository::onWebsocketDisconnect, Qt::UniqueConnection);
}

void ArxModelRepository::connectWebSocketIfClosed()
{
    if (m_pWebSocket && !m_pWebSocket->isConnected())
        m_pWebSocket->reconnect();
}

void ArxModelRepository::closeWebSocket()
{
    if (m_pWebSocket)
        m_pWebSocket->close();
}

void ArxModelRepository::onWebsocketDisconnect()
{
    qDebug() << "ARX meter feed disconnected.";
}

void ArxModelRepository::onFrame(const QString &)
{
    ++m_frameCount;
}
