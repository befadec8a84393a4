#include "amplifiers/ArxModelRepository.h"

#include "amplifiers/ArxMeterFrame.h"
#include "comms/IWebSocketClient.h"

#include <QDebug>

ArxModelRepository::ArxModelRepository(QObject *parent)
    : QObject(parent)
{
    qRegisterMetaType<ArxWebSocketModel>();
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
    if (m_pWebSocket) {
        m_pWebSocket->disconnect(this);
        m_pWebSocket->setModelMessageHandler(nullptr);
        m_pWebSocket->setModelErrorHandler(nullptr);
    }
    m_pWebSocket = pClient;
    pClient->setModelMessageHandler([this](const QString &message) { onFrame(message); });
    // Socket errors are the protocol's business.
    pClient->setModelErrorHandler([](const QString &) {});
    connect(pClient, &IWebSocketClient::websocketDisconnected, this,
            &ArxModelRepository::onWebsocketDisconnect, Qt::UniqueConnection);
}

IWebSocketClient *ArxModelRepository::webSocket() const
{
    return m_pWebSocket;
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

void ArxModelRepository::reconnectWebSocket()
{
    if (m_pWebSocket)
        m_pWebSocket->reconnect();
}

bool ArxModelRepository::isWebSocketConnected() const
{
    return m_pWebSocket && m_pWebSocket->isConnected();
}

double ArxModelRepository::meterDisplayLevel(double value)
{
    return ArxMeterFrame::meterDisplayLevel(value);
}

void ArxModelRepository::onWebsocketDisconnect()
{
    m_model.clear();
    emit websocketDisconnect();
}

void ArxModelRepository::onFrame(const QString &message)
{
    ++m_frameCount;
    QString warning;
    switch (ArxMeterFrame::decode(message, &m_model, &warning)) {
    case ArxMeterFrame::Result::Filled:
        emit audioModelUpdate(m_model);
        break;
    case ArxMeterFrame::Result::Malformed:
        // A frame may be up to a mebibyte: the log gets its beginning.
        qWarning().noquote() << (warning.size() > 2048 ? warning.left(2048) + QStringLiteral("...") : warning);
        break;
    case ArxMeterFrame::Result::Ignored:
    case ArxMeterFrame::Result::NoMeters:
        break;
    }
}
