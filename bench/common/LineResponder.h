#pragma once

#include <QByteArray>
#include <QObject>
#include <QTcpServer>

class QTcpSocket;

// The device end of a benchmark: a server on 127.0.0.1 (a free port) that
// splits what it receives into carriage-return terminated commands and
// writes back what answer() gives for each.
class LineResponder : public QObject
{
public:
    LineResponder();
    ~LineResponder() override;

    quint16 port() const { return m_server.serverPort(); }

protected:
    virtual QByteArray answer(const QByteArray &command) = 0;

private:
    void onReadyRead(QTcpSocket *pSocket);

    QTcpServer m_server;
    QByteArray m_buffer;
};
