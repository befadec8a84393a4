// Figures for the TCP transport: set messages sent through a connected
// client to a device on 127.0.0.1 that acknowledges each one at once.
// Prints messages per second and the mean time from send() to the command
// arriving at the device, beside the floor that the dispatcher's tick sets
// (one message per tick). It asserts nothing.

#include "comms/ITcpClient.h"
#include "comms/ITcpClientThread.h"
#include "comms/PProtocol.h"

#include "BenchTiming.h"
#include "LineResponder.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QHostAddress>
#include <QList>
#include <QTcpServer>
#include <QTcpSocket>

#include <cstdio>

namespace {

constexpr int MessageCount = 1000;

// The device end: acknowledges every carriage-return terminated command
// at once and notes when each one arrived.
class AckServer : public LineResponder
{
public:
    explicit AckServer(const QElapsedTimer &clock)
        : m_clock(clock)
    {
    }

    const QList<qint64> &arrivals() const { return m_arrivals; }
    void reset() { m_arrivals.clear(); }

protected:
    QByteArray answer(const QByteArray &) override
    {
        m_arrivals.append(m_clock.nsecsElapsed());
        return QByteArray("\x06");
    }

private:
    const QElapsedTimer &m_clock;
    QList<qint64> m_arrivals;
};

QByteArray setCommand(int i)
{
    return "SA \"Gain1\">2=" + QByteArray::number(-(i % 120) * 0.5, 'f', 1) + '\r';
}

void report(const char *name, qint64 totalNs, const QList<qint64> &sent,
            const QList<qint64> &arrived)
{
    double latencyNs = 0;
    for (int i = 0; i < MessageCount; ++i)
        latencyNs += double(arrived.at(i) - sent.at(i));
    const double seconds = totalNs / 1e9;
    std::printf("%-34s %8.1f msg/s   mean send-to-arrival %9.2f ms   total %7.2f s\n", name,
                MessageCount / seconds, latencyNs / MessageCount / 1e6, seconds);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QElapsedTimer clock;
    clock.start();
    AckServer server(clock);

    PProtocol owner;
    ITcpClient client;
    client.setAddress(QHostAddress(QHostAddress::LocalHost));
    client.setPort(server.port());
    client.setOwner(&owner);
    if (!client.open()) {
        std::printf("could not connect to the local device\n");
        return 1;
    }

    std::printf("%d set messages (send type %d, acknowledge at once), 127.0.0.1\n", MessageCount,
                int(IInterface::SendWaitAck));
    std::printf("tick floor: one message per %d ms tick = at most %.0f msg/s\n\n",
                ITcpClientThread::DispatchIntervalMs,
                1000.0 / ITcpClientThread::DispatchIntervalMs);

    // One at a time: the next message is sent once the previous one has
    // arrived, as a fader sends while it is dragged.
    {
        server.reset();
        QList<qint64> sent;
        const qint64 start = clock.nsecsElapsed();
        for (int i = 0; i < MessageCount; ++i) {
            const QByteArray bytes = setCommand(i);
            sent.append(clock.nsecsElapsed());
            client.send(bytes.constData(), int(bytes.size()), IInterface::SendWaitAck, "", 200);
            if (!waitFor([&]() { return server.arrivals().size() > i; }, 5000)) {
                std::printf("message %d did not arrive\n", i);
                return 1;
            }
        }
        report("one at a time", clock.nsecsElapsed() - start, sent, server.arrivals());
    }
    waitFor([&]() { return client.dispatcher()->state() == ITcpClientThread::Idle; }, 5000);

    // All queued at once, as a panel's controls are polled.
    {
        server.reset();
        QList<qint64> sent;
        const qint64 start = clock.nsecsElapsed();
        for (int i = 0; i < MessageCount; ++i) {
            const QByteArray bytes = setCommand(i);
            sent.append(clock.nsecsElapsed());
            client.send(bytes.constData(), int(bytes.size()), IInterface::SendWaitAck, "", 200);
        }
        if (!waitFor([&]() { return server.arrivals().size() >= MessageCount; }, 60000)) {
            std::printf("only %d messages arrived\n", int(server.arrivals().size()));
            return 1;
        }
        report("queued at once", clock.nsecsElapsed() - start, sent, server.arrivals());
    }
    std::printf("\nfailed attempts: %d\n", client.failureCount());
    client.close();
    return 0;
}
