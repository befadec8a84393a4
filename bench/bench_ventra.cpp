// Figures for the loudspeaker array's path: 1,000 module batches of eight
// requests each (fault and warning status, driver faults, firmware, four
// temperatures) sent through PVentraProtocol and an IUDPClient to the
// simulated array on 127.0.0.1, which answers every datagram at once.
// Prints requests answered per second and the mean round trip of a batch
// (from sendBatch() to its last answer), once one batch at a time and once
// with all batches queued together.
//
// The floor comes from the same run: the dispatcher writes at most one
// message per tick, so a batch costs at least one tick (the real period of
// a 10 ms single-shot timer here, measured) plus one bare datagram round
// trip to the same array (measured with a plain socket). It asserts nothing.

#include "amplifiers/PVentraProtocol.h"
#include "comms/IUDPClient.h"
#include "comms/IUDPClientThread.h"
#include "comms/TText.h"

#include "BenchMessages.h"
#include "BenchTiming.h"
#include "SimulatedVentraArray.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QHostAddress>
#include <QTimer>
#include <QUdpSocket>

#include <cstdio>
#include <memory>
#include <vector>

namespace {

constexpr int Batches = 1000;
constexpr int FloorSamples = 200;
const QList<int> kModuleRequests = {9, 12, 15, 18, 21, 22, 23, 24};

// The real period of the dispatcher's tick: a chain of single-shot timers
// of its interval, as the dispatcher restarts its own.
double measuredTickMs()
{
    QTimer timer;
    timer.setSingleShot(true);
    timer.setInterval(IUDPClientThread::DispatchIntervalMs);
    int fired = 0;
    QObject::connect(&timer, &QTimer::timeout, &timer, [&]() {
        if (++fired < FloorSamples)
            timer.start();
    });
    QElapsedTimer clock;
    clock.start();
    timer.start();
    waitFor([&]() { return fired >= FloorSamples; }, 60000);
    return clock.nsecsElapsed() / 1e6 / fired;
}

// One batch datagram to the array and its answer back, with nothing in
// between.
double measuredDatagramRoundTripMs(const SimulatedVentraArray &array, const QByteArray &batch)
{
    QUdpSocket socket;
    socket.bind(QHostAddress(QHostAddress::LocalHost), 0);
    std::vector<double> times;
    for (int i = 0; i < FloorSamples; ++i) {
        QElapsedTimer clock;
        clock.start();
        socket.writeDatagram(batch, QHostAddress(QHostAddress::LocalHost), array.port());
        if (!waitFor([&]() { return socket.hasPendingDatagrams(); }, 5000))
            return 0;
        socket.readDatagram(nullptr, 0);
        times.push_back(clock.nsecsElapsed() / 1e6);
    }
    return median(times);
}

// The eight TTexts of one batch, counting their answers.
struct Batch
{
    std::vector<std::unique_ptr<TText>> texts;
    int answered = 0;
    qint64 sentNs = 0;
    qint64 doneNs = 0;
};

struct Run
{
    double seconds = 0;
    double meanRoundTripMs = 0;
    int failed = 0;
};

std::unique_ptr<Batch> makeBatch(const QElapsedTimer &clock)
{
    auto pBatch = std::make_unique<Batch>();
    Batch *p = pBatch.get();
    for (int id : kModuleRequests) {
        p->texts.push_back(std::make_unique<TText>());
        TText *pText = p->texts.back().get();
        pText->setCommandId(id);
        QObject::connect(pText, &TTransform::replyValueReady, pText, [p, &clock]() {
            if (++p->answered == int(p->texts.size()))
                p->doneNs = clock.nsecsElapsed();
        });
    }
    return pBatch;
}

bool send(PVentraProtocol &protocol, Batch &batch, const QElapsedTimer &clock)
{
    QList<TTransform *> transforms;
    for (const auto &pText : batch.texts)
        transforms.append(pText.get());
    batch.sentNs = clock.nsecsElapsed();
    return protocol.sendBatch(transforms);
}

Run finish(const std::vector<std::unique_ptr<Batch>> &batches, qint64 startNs, qint64 endNs)
{
    Run run;
    run.seconds = (endNs - startNs) / 1e9;
    double total = 0;
    for (const auto &pBatch : batches) {
        total += (pBatch->doneNs - pBatch->sentNs) / 1e6;
        for (const auto &pText : pBatch->texts) {
            if (!pText->auxText().isEmpty())
                ++run.failed;
        }
    }
    run.meanRoundTripMs = total / double(batches.size());
    return run;
}

void report(const char *name, const Run &run, double floorRequestsPerSecond,
            double floorRoundTripMs)
{
    const double requests = double(Batches) * kModuleRequests.size();
    const double perSecond = requests / run.seconds;
    std::printf("%s\n", name);
    std::printf("  requests answered   %8.1f /s    floor %8.1f /s    ratio %5.2f\n", perSecond,
                floorRequestsPerSecond, perSecond / floorRequestsPerSecond);
    std::printf("  mean round trip     %8.2f ms    floor %8.2f ms    ratio %5.2f\n",
                run.meanRoundTripMs, floorRoundTripMs, run.meanRoundTripMs / floorRoundTripMs);
    std::printf("  failed requests     %8d       total %.2f s\n", run.failed, run.seconds);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    showMessagesFrom(QtWarningMsg);

    SimulatedVentraArray array;
    PVentraProtocol protocol;
    IUDPClient client;
    client.setAddress(QHostAddress(QHostAddress::LocalHost));
    client.setPort(array.port());
    client.setOwner(&protocol);
    protocol.setInterface(&client);

    QByteArray batchBytes;
    for (int id : kModuleRequests)
        batchBytes += protocol.requestText(id).toUtf8();
    const double tickMs = measuredTickMs();
    const double datagramMs = measuredDatagramRoundTripMs(array, batchBytes);
    const double floorBatchMs = tickMs + datagramMs;
    const double floorPerSecond = kModuleRequests.size() * 1000.0 / floorBatchMs;

    std::printf("%d module batches of %d requests, simulated array on 127.0.0.1\n", Batches,
                int(kModuleRequests.size()));
    std::printf("floor, measured now: dispatch tick %.2f ms (nominal %d) + bare datagram round "
                "trip %.3f ms = %.2f ms a batch\n\n",
                tickMs, IUDPClientThread::DispatchIntervalMs, datagramMs, floorBatchMs);

    QElapsedTimer clock;
    clock.start();

    // One at a time: the next batch goes when the last one is answered,
    // as the dashboard's modules report.
    {
        std::vector<std::unique_ptr<Batch>> batches;
        const qint64 start = clock.nsecsElapsed();
        for (int i = 0; i < Batches; ++i) {
            batches.push_back(makeBatch(clock));
            Batch &batch = *batches.back();
            if (!send(protocol, batch, clock)
                || !waitFor([&]() { return batch.answered == int(batch.texts.size()); }, 10000)) {
                std::printf("batch %d was not answered\n", i);
                return 1;
            }
        }
        report("one batch at a time", finish(batches, start, clock.nsecsElapsed()),
               floorPerSecond, floorBatchMs);
    }

    // All queued at once: batch i waits for the i batches before it.
    {
        std::vector<std::unique_ptr<Batch>> batches;
        const qint64 start = clock.nsecsElapsed();
        for (int i = 0; i < Batches; ++i) {
            batches.push_back(makeBatch(clock));
            send(protocol, *batches.back(), clock);
        }
        const Batch &last = *batches.back();
        if (!waitFor([&]() { return last.answered == int(last.texts.size()); }, 120000)) {
            std::printf("the last batch was not answered\n");
            return 1;
        }
        const double queuedFloorMs = floorBatchMs * (Batches + 1) / 2.0;
        std::printf("\n");
        report("all queued at once", finish(batches, start, clock.nsecsElapsed()),
               floorPerSecond, queuedFloorMs);
    }
    std::printf("\nfailed attempts counted by the client (wraps at %d): %d\n",
                IUDPClient::MaxFailureCount, client.failureCount());
    return 0;
}
