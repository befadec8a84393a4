#include "amplifiers/PARXProtocol.h"

#include "comms/IWebSocketClient.h"

#include <QDebug>

PARXProtocol::PARXProtocol() = default;

PARXProtocol::~PARXProtocol()
{
    // The client may outlive us; it must not call into a deleted protocol.
    if (m_pWebSocket) {
        m_pWebSocket->setProtocolMessageHandler(nullptr);
        m_pWebSocket->setProtocolErrorHandler(nullptr);
    }
}

QString PARXProtocol::protocolName() const
{
    return QStringLiteral("ARXProtocol");
}

void PARXProtocol::attachWebSocket(IWebSocketClient *pClient)
{
    if (!pClient || pClient == m_pWebSocket)
        return;
    if (m_pWebSocket)
        m_pWebSocket->disconnect(this);
    m_pWebSocket = pClient;
    pClient->setProtocolMessageHandler(
        [this](const QString &message) { m_lastReadings = message; });
    pClient->setProtocolErrorHandler([](const QString &error) {
        qWarning().noquote() << "ARX feed error: " + error;
    });
    connect(pClient, &IWebSocketClient::websocketDisconnected, this,
            &PARXProtocol::onWebsocketDisconnect, Qt::UniqueConnection);
}

void PARXProtocol::onWebsocketDisconnect()
{
    qDebug() << "ARX protocol: meter feed disconnected.";
}
