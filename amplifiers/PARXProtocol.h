#pragma once

#include "comms/PProtocol.h"

#include <QPointer>
#include <QString>

class IWebSocketClient;

// The protocol through which the status view reads an ARX amplifier. It
// does not use the chassis's transport: it talks to the amplifier's network
// API and listens to the chassis's WebSocket feed.
//
// So far it keeps the device address and the latest frame of the feed; the
// status requests come with the amplifier access.
class PARXProtocol : public PProtocol
{
    Q_OBJECT

public:
    PARXProtocol();
    ~PARXProtocol() override;

    QString protocolName() const override;

    void setDeviceAddress(const QString &address) { m_deviceAddress = address; }
    QString deviceAddress() const { return m_deviceAddress; }

    // Keeps the client (borrowed) and takes its frames.
    void attachWebSocket(IWebSocketClient *pClient);
    IWebSocketClient *webSocket() const { return m_pWebSocket; }

    QString lastReadings() const { return m_lastReadings; }

public slots:
    void onWebsocketDisconnect();

private:
    QString m_deviceAddress;
    // The client belongs to the chassis, which may go before this protocol
    // (the protocol is deleted later).
    QPointer<IWebSocketClient> m_pWebSocket;
    QString m_lastReadings;
};
