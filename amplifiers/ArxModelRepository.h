#pragma once

#include "amplifiers/ArxWebSocketModel.h"

#include <QObject>
#include <QPointer>

class IWebSocketClient;

// The meter model of one ARX amplifier, fed by the chassis's WebSocket
// client: every frame that fills the whole model is announced with
// audioModelUpdate; a disconnection empties the model and is announced with
// websocketDisconnect. Every chassis holds one; only an ARX chassis
// attaches its client.
class ArxModelRepository : public QObject
{
    Q_OBJECT

public:
    explicit ArxModelRepository(QObject *parent = nullptr);
    // Takes its handlers off the client, which may outlive it.
    ~ArxModelRepository() override;

    // Keeps the client (borrowed) and listens to its frames and its
    // disconnection. Attaching the same client again changes nothing.
    void attachWebSocket(IWebSocketClient *pClient);
    IWebSocketClient *webSocket() const;

    // Reopens the attached client unless it is connected.
    void connectWebSocketIfClosed();
    void closeWebSocket();
    // Reopens the attached client, whatever its state.
    void reconnectWebSocket();
    bool isWebSocketConnected() const;

    const ArxWebSocketModel &model() const { return m_model; }
    // The 0..1 display level of one reading.
    static double meterDisplayLevel(double value);

    // How many text frames reached the repository.
    int frameCount() const { return m_frameCount; }

signals:
    void audioModelUpdate(ArxWebSocketModel model);
    void websocketDisconnect();

public slots:
    void onWebsocketDisconnect();

private:
    void onFrame(const QString &message);

    ArxWebSocketModel m_model;
    // The client belongs to the chassis and may go first.
    QPointer<IWebSocketClient> m_pWebSocket;
    int m_frameCount = 0;
};
