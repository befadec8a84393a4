#pragma once

#include <QObject>
#include <QPointer>

class IWebSocketClient;

// The meter model of one ARX amplifier, fed by the chassis's WebSocket
// client. Every chassis holds one; only an ARX chassis attaches its client.
//
// So far it only keeps the client and opens and closes it for the chassis;
// turning the frames into meter readings comes with the amplifier access.
class ArxModelRepository : public QObject
{
    Q_OBJECT

public:
    explicit ArxModelRepository(QObject *parent = nullptr);
    ~ArxModelRepository() override;

    // Keeps the client (borrowed) and listens to its frames. Attaching the
    // same client again changes nothing.
    void attachWebSocket(IWebSocketClient *pClient);
    IWebSocketClient *webSocket() const { return m_pWebSocket; }

    // Reopens the attached client unless it is connected.
    void connectWebSocketIfClosed();
    void closeWebSocket();

    // How many frames reached the repository.
    int frameCount() const { return m_frameCount; }

public slots:
    void onWebsocketDisconnect();

private:
    void onFrame(const QString &message);

    // The client belongs to the chassis and may go first.
    QPointer<IWebSocketClient> m_pWebSocket;
    int m_frameCount = 0;
};
