#pragma once

#include "comms/IInterface.h"

#include <QAbstractSocket>
#include <QByteArray>
#include <QHostAddress>
#include <QList>
#include <QSemaphore>

class IUDPClientThread;
class QUdpSocket;

// The UDP transport of the loudspeaker array. Requests go out as datagrams
// to the array's address and port; every datagram that comes back is one
// reply. A dispatcher writes the queued requests one at a time, checks the
// replies and resends, four attempts in all.
//
// There is no connection to watch: the transport is never "connected", and
// the composite leaves it out of the connection indicator. The dispatcher
// starts with the first send, not with open().
//
// Only datagrams from the array's own address and port are taken; anything
// else that reaches the socket is dropped.
//
// Everything runs on the thread that made the client. The dispatcher's own
// thread is started but stays idle; destroying the client ends it.
class IUDPClient : public IInterface
{
    Q_OBJECT

public:
    // The failure count runs from 1 to this and then starts again at 0.
    static constexpr int MaxFailureCount = 12;

    explicit IUDPClient(QObject *parent = nullptr);
    ~IUDPClient() override;

    // A new socket, bound to a port the system picks: on the loopback when
    // the array is on this machine, else on every IPv4 address.
    bool open() override;
    bool close() override;
    void startConnection() override;
    void stopConnection() override;
    // SendDirect writes one datagram at once and returns its byte count;
    // other types are queued and give 0 (as does a client without socket).
    int send(const char *data, int length, int messageType, const char *expectedReply,
             int timeoutMs) override;
    QString stateText() const override;
    void dump() const override;
    QString typeName() const override;
    QString address() const override;
    void setAddress(const QHostAddress &address) override;
    void setPort(int port) override;
    void setOwner(PProtocol *pOwner) override;
    bool hasConnectionState() const override { return false; }

    int port() const { return m_port; }
    bool isOpen() const { return m_pUDPSocket != nullptr; }
    // The port the socket is bound to; 0 while closed.
    quint16 localPort() const;
    QUdpSocket *socket() const { return m_pUDPSocket; }
    IUDPClientThread *dispatcher() const { return m_pDispatcher; }
    int lastError() const { return m_lastError; }

    // One datagram to the array: the bytes written, -1 when it did not go.
    qint64 writeDatagram(const QByteArray &bytes);
    // Takes one received datagram: dropped unless it comes from the array,
    // else one reply for the dispatcher. dataReady() hands each datagram
    // of the socket here; the fuzz target feeds its input the same way.
    void takeDatagram(const QHostAddress &sender, quint16 senderPort, QByteArray bytes);

signals:
    void startMessageProcessing();
    void quitMessageProcessing();
    void replyReady();
    // A request was queued; wakes the dispatcher's tick.
    void messageQueued();
    // Never emitted: there is no connection to become active.
    void connectionActive();

public slots:
    void dataReady();
    void error(QAbstractSocket::SocketError socketError);
    void stateChanged(QAbstractSocket::SocketState socketState);
    void onMessageSendError(const QByteArray &bytes);

private:
    QUdpSocket *m_pUDPSocket = nullptr;
    QHostAddress m_address;
    int m_port = 0;
    int m_lastError = -1;
    int m_socketState = QAbstractSocket::UnconnectedState;
    IUDPClientThread *m_pDispatcher = nullptr;
    QList<Message> m_queue;
    QSemaphore m_queueSemaphore;
    QList<QByteArray> m_replies;
    QSemaphore m_replySemaphore;
};
