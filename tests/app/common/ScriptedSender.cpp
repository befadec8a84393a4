#include "ScriptedSender.h"

#include <QHostAddress>
#include <QTimer>

#include <sys/socket.h>

ScriptedSender &ScriptedSender::write(const QByteArray &bytes)
{
    m_steps.append([bytes](QTcpSocket &socket) { socket.write(bytes); });
    return *this;
}

ScriptedSender &ScriptedSender::writeInChunks(const QByteArray &bytes, int chunk)
{
    for (int at = 0; at < bytes.size(); at += chunk)
        write(bytes.mid(at, chunk));
    return *this;
}

ScriptedSender &ScriptedSender::wait(int ms)
{
    m_steps.append([this, ms](QTcpSocket &) { m_nextGapMs = ms; });
    return *this;
}

ScriptedSender &ScriptedSender::then(const std::function<void()> &call)
{
    m_steps.append([call](QTcpSocket &) { call(); });
    return *this;
}

ScriptedSender &ScriptedSender::close()
{
    m_steps.append([](QTcpSocket &socket) { socket.disconnectFromHost(); });
    return *this;
}

ScriptedSender &ScriptedSender::reset()
{
    m_steps.append([](QTcpSocket &socket) {
        socket.flush();
        const struct linger hard = {1, 0};
        ::setsockopt(int(socket.socketDescriptor()), SOL_SOCKET, SO_LINGER, &hard, sizeof hard);
        socket.abort();
    });
    return *this;
}

void ScriptedSender::start(quint16 port)
{
    connect(&m_socket, &QTcpSocket::connected, this, [this] { schedule(); });
    m_socket.connectToHost(QHostAddress::LocalHost, port);
}

void ScriptedSender::schedule()
{
    QTimer::singleShot(m_nextGapMs, this, [this] { runNext(); });
    m_nextGapMs = 5;
}

void ScriptedSender::runNext()
{
    if (finished())
        return;
    m_steps.at(m_next++)(m_socket);
    schedule();
}
