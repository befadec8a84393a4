#include "LineResponder.h"

#include <QTcpSocket>

LineResponder::LineResponder()
{
    connect(&m_server, &QTcpServer::newConnection, this, [this]() {
        while (QTcpSocket *pSocket = m_server.nextPendingConnection()) {
            pSocket->setParent(this);
            connect(pSocket, &QTcpSocket::readyRead, this, [this, pSocket]() { onReadyRead(pSocket); });
        }
    });
    m_server.listen(QHostAddress::LocalHost, 0);
}

LineResponder::~LineResponder() = default;

void LineResponder::onReadyRead(QTcpSocket *pSocket)
{
    m_buffer.append(pSocket->readAll());
    qsizetype end;
    while ((end = m_buffer.indexOf('\r')) >= 0) {
        const QByteArray command = m_buffer.left(end);
        m_buffer.remove(0, end + 1);
        pSocket->write(answer(command));
    }
    pSocket->flush();
}
