#pragma once

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QTcpSocket>

#include <functional>

// A design-software stand-in on 127.0.0.1: connects to the receive port
// and plays its steps one after the other, a few milliseconds apart.
class ScriptedSender : public QObject
{
public:
    using Step = std::function<void(QTcpSocket &socket)>;

    ScriptedSender &write(const QByteArray &bytes);
    ScriptedSender &writeInChunks(const QByteArray &bytes, int chunk);
    ScriptedSender &wait(int ms);
    ScriptedSender &then(const std::function<void()> &call);
    ScriptedSender &close();
    // Drops the connection with a reset instead of a close.
    ScriptedSender &reset();

    void start(quint16 port);
    bool finished() const { return m_next >= m_steps.size(); }
    QTcpSocket &socket() { return m_socket; }

private:
    void schedule();
    void runNext();

    QList<Step> m_steps;
    int m_next = 0;
    int m_nextGapMs = 5;
    QTcpSocket m_socket;
};
