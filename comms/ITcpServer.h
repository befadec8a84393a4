#pragma once

#include "comms/IInterface.h"
#include "comms/ITcpResetWatch.h"

#include <QAbstractSocket>
#include <QHostAddress>
#include <QPointer>

class QTcpServer;
class QTcpSocket;

// The transport of receive mode: listens on one port for the design
// software, takes exactly one client, hands everything the client sends to
// the owner protocol and announces connectionClose when the client goes.
// It listens again only after the next open().
class ITcpServer : public IInterface
{
    Q_OBJECT

public:
    explicit ITcpServer(QObject *parent = nullptr);
    ~ITcpServer() override;

    bool open() override;
    bool close() override;
    // Writes to the one client at once; the send type, expected reply and
    // time-out play no part. A negative length means up to the first zero.
    int send(const char *data, int length, int messageType, const char *expectedReply,
             int timeoutMs) override;
    void dump() const override;
    QString typeName() const override;
    void setPort(int port) override;

    // Where open() listens; any address unless set.
    void setListenAddress(const QHostAddress &address) { m_listenAddress = address; }
    // The port actually listened on (the system's choice for port 0), else 0.
    quint16 serverPort() const;
    bool isListening() const;
    // False once the client's connection failed with anything other than
    // the peer closing it, a reset included.
    bool clientEndedCleanly() const { return !m_clientFailed; }

public slots:
    void newConnection();
    void readyRead();
    void readChannelFinished();
    void connected();
    void disconnected();
    void stateChanged(QAbstractSocket::SocketState state);
    void error(QAbstractSocket::SocketError err);
    void aboutToClose();
    void serverror(QAbstractSocket::SocketError err);

private:
    // Hands whatever the client has sent to the owner.
    void deliverPending();
    void dropClient();

    QPointer<QTcpServer> m_pListener;
    QPointer<QTcpSocket> m_pClient;
    int m_port = 0;
    QHostAddress m_listenAddress = QHostAddress(QHostAddress::Any);
    bool m_clientFailed = false;
    // Qt reports a reset as a close; this tells them apart.
    ITcpResetWatch m_resetWatch;
};
