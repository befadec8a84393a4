#pragma once

#include "comms/PProtocolHost.h"

#include <QHostAddress>
#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>
#include <memory>

class ITcpServer;
class MConnections;
class MQmlInterface;
class QMessageBox;

// Receive mode: the design software pushes a project over TCP; it is stored
// as "download.cpn" in the designs folder and opened at once. The mode owns
// the single-client server for the length of one receive and hosts the
// file protocol that takes the transfer: the receive box, its wait, the
// failure box. Polling stops for the receive; after a receive that brought
// no project it runs again as before.
class MReceiveMode : public QObject, public PProtocolHost
{
    Q_OBJECT

public:
    static constexpr int ReceiveModePort = 10056;

    explicit MReceiveMode(MConnections &connections, QObject *parent = nullptr);
    ~MReceiveMode() override;

    // The receive box's Cancel reaches the transfer through it.
    void setInterface(MQmlInterface *pInterface);

    // From start to end: the transfer, then, when a project was received,
    // loadReceived opens it. True when a project was received.
    bool receiveAndLoad(const std::function<void()> &loadReceived);
    // The transfer alone; true when a file was received and stored.
    bool receiveDesign();
    // Where a received project is stored; with createFolder the designs
    // folder is made with every missing level, and when that fails the
    // result is empty.
    QString receivedDesignPath(bool createFolder) const;
    bool isReceiving() const { return m_receiving; }
    // The server while a receive runs, else null.
    ITcpServer *receiveServer() const { return m_pServer.get(); }

    // The host of the file protocol.
    void setPollingActive(bool active) override;
    // The wait with the receive box; returns once the reception has ended.
    void runReceiveDialog(PFileProtocol *pProtocol, IInterface *pServer) override;
    void showReceiveFailure(const QString &text) override;

    // Test seams: where the server listens, how much it takes, and a call
    // made once the receive box is open and the server listens (tests start
    // their sender or press Cancel there).
    using WaitHook = std::function<void(QMessageBox *pReceiveBox)>;
    void setPort(int port) { m_port = port; }
    void setListenAddress(const QHostAddress &address) { m_listenAddress = address; }
    void setSizeLimit(qint64 bytes) { m_sizeLimit = bytes; }
    void setWaitHook(WaitHook hook) { m_waitHook = std::move(hook); }

private:
    // After a receive that brought no project: polling runs again when it
    // ran before, and a connection loss that the receive kept quiet is
    // passed on, so the protocols subscribe again.
    void resumeAfterFailedReceive(bool wasPolling, bool wasActive);

    MConnections &m_connections;
    QPointer<MQmlInterface> m_pInterface;
    // Owned for the length of one receive (longer only after a failed
    // protocol lookup).
    std::unique_ptr<ITcpServer> m_pServer;
    bool m_receiving = false;
    bool m_transferRunning = false;
    int m_port = ReceiveModePort;
    QHostAddress m_listenAddress = QHostAddress(QHostAddress::Any);
    // Negative: the file protocol's own cap.
    qint64 m_sizeLimit = -1;
    WaitHook m_waitHook;
};
