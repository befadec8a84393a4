// The GUI thread while an ARX amplifier floods its meter feed: 32 bar
// meters (the shipped QML items and their WMeter) bound to the outputs of an
// ARX amplifier chassis whose WebSocket client is connected to the
// simulated amplifier on 127.0.0.1. The amplifier runs on a thread of its
// own, so that only the program's side of the feed weighs on the GUI
// thread.
//
// The stall is the longest turn of the GUI thread's event loop: a queued
// call that queues itself again runs once a turn, and the longest time
// between two runs is the longest the thread kept input and drawing
// waiting. Beside it, the longest gap between the ticks of a 1 ms timer:
// while sockets keep the event loop busy, Qt runs timers only once
// nothing else is waiting, so this one also shows how long timers wait.
//
// Three phases of the same length, in this order:
// - no flood: frames of 32 inputs and 32 outputs at 20 a second, as an
//   amplifier sends them;
// - no flood, large frames: frames of about 900 kB at 4 a second;
// - flood: frames of about 900 kB, as fast as the socket takes them.
// Each prints the longest stall and the 99th percentile of the turns, the
// longest timer gap, the frames sent, the frames that reached the meter
// model and the meter updates. The figure is the flood's longest stall
// beside the first phase's. It asserts nothing.

#include "amplifiers/ArxModelRepository.h"
#include "comms/IArxAddress.h"
#include "devices/HChassis.h"

#include "ArxMeterRig.h"
#include "BenchMessages.h"
#include "BenchSandbox.h"
#include "BenchTiming.h"
#include "SimulatedArxAmplifier.h"

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QThread>
#include <QTimer>

#include <cmath>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

constexpr int Meters = 32;
constexpr int PhaseMs = 5000;
constexpr qint64 LargeFrameBytes = 900 * 1000;

// The simulated amplifier on a thread of its own; every call runs there
// and returns once done.
class AmplifierThread
{
public:
    AmplifierThread()
    {
        m_thread.start();
        m_context.moveToThread(&m_thread);
        run([this] { m_pAmplifier = new SimulatedArxAmplifier; });
    }
    ~AmplifierThread()
    {
        run([this] {
            delete m_pAmplifier;
            m_context.moveToThread(QCoreApplication::instance()->thread());
        });
        m_thread.quit();
        m_thread.wait();
    }

    void run(const std::function<void()> &work)
    {
        QMetaObject::invokeMethod(&m_context, work, Qt::BlockingQueuedConnection);
    }
    template<typename T>
    T get(const std::function<T(SimulatedArxAmplifier &)> &read)
    {
        T value{};
        run([&] { value = read(*m_pAmplifier); });
        return value;
    }
    void with(const std::function<void(SimulatedArxAmplifier &)> &work)
    {
        run([&] { work(*m_pAmplifier); });
    }

private:
    QThread m_thread;
    QObject m_context;
    SimulatedArxAmplifier *m_pAmplifier = nullptr;
};

// Gives every channel a reading the meters show.
void setReadings(SimulatedArxAmplifier &amplifier, int channels)
{
    amplifier.setInputCount(channels);
    amplifier.setOutputCount(channels);
    for (int ch = 0; ch < channels; ++ch) {
        const double swing = 0.5 + 0.45 * std::sin(double(ch));
        amplifier.setOutputRms(ch, 40.0 * std::pow(10.0, (-52.0 + 54.0 * swing) / 16.657));
        amplifier.setInputReading(ch, {0.1 * swing, 0.2 * swing, 0.0, 0.0});
    }
}

// Runs once a turn of the event loop while started, and keeps the time
// between two runs.
class TurnProbe : public QObject
{
public:
    void start()
    {
        m_running = true;
        m_clock.start();
        m_lastNs = 0;
        QMetaObject::invokeMethod(this, [this] { onTurn(); }, Qt::QueuedConnection);
    }
    void stop() { m_running = false; }
    std::vector<qint64> turnsNs;

private:
    void onTurn()
    {
        if (!m_running)
            return;
        const qint64 now = m_clock.nsecsElapsed();
        turnsNs.push_back(now - m_lastNs);
        m_lastNs = now;
        QMetaObject::invokeMethod(this, [this] { onTurn(); }, Qt::QueuedConnection);
    }

    QElapsedTimer m_clock;
    qint64 m_lastNs = 0;
    bool m_running = false;
};

struct PhaseFigures
{
    double longestStallMs = 0;
    double p99TurnMs = 0;
    double longestTimerGapMs = 0;
    qint64 framesSent = 0;
    int framesParsed = 0;
    int meterUpdates = 0;
    qint64 frameBytes = 0;
};

} // namespace

int main(int argc, char **argv)
{
    BenchSandbox sandbox;
    preferOffscreenPlatform();
    QGuiApplication app(argc, argv);
    hideAllMessages();

    AmplifierThread amplifier;
    IArxAddress::setPort(amplifier.get<quint16>([](SimulatedArxAmplifier &a) { return a.port(); }));
    amplifier.with([](SimulatedArxAmplifier &a) { setReadings(a, Meters); });

    ArxMeterRig rig(Meters);
    const int bound = rig.boundCount();

    ArxModelRepository *pRepository = rig.chassis()->arxModelRepository();
    int updates = 0;
    QObject::connect(pRepository, &ArxModelRepository::audioModelUpdate, &app,
                     [&](const ArxWebSocketModel &) { ++updates; });

    std::printf("ARX meter flood: the GUI thread's longest stall, %d bar meters on an ARX amplifier's feed\n",
                Meters);
    std::printf("simulated amplifier on 127.0.0.1, on a thread of its own; %d ms a phase; stall: the longest "
                "turn of the GUI thread's event loop\n",
                PhaseMs);
    if (bound != Meters || !waitFor([&] { return pRepository->isWebSocketConnected(); }, 5000)) {
        std::printf("could not set up %d meters against the local amplifier (%d bound)\n", Meters, bound);
        return 0;
    }

    auto measure = [&](const std::function<void()> &start, const std::function<void()> &stop) {
        PhaseFigures figures;
        auto framesSent = [&] {
            return amplifier.get<qint64>([](SimulatedArxAmplifier &a) { return a.framesSent(); });
        };
        const qint64 sentBefore = framesSent();
        const int parsedBefore = pRepository->frameCount();
        const int updatesBefore = updates;
        std::vector<qint64> gapsNs;
        QElapsedTimer clock;
        qint64 lastNs = -1;
        QTimer probe;
        probe.setTimerType(Qt::PreciseTimer);
        probe.setInterval(1);
        QObject::connect(&probe, &QTimer::timeout, &app, [&] {
            const qint64 now = clock.nsecsElapsed();
            if (lastNs >= 0)
                gapsNs.push_back(now - lastNs);
            lastNs = now;
        });
        TurnProbe turns;
        start();
        clock.start();
        probe.start();
        turns.start();
        waitFor([&] { return clock.elapsed() >= PhaseMs; }, 2 * PhaseMs);
        turns.stop();
        probe.stop();
        stop();
        // Let what is on the way arrive before the next phase.
        waitFor([&] { return false; }, 500);
        const LatencyFigures turnFigures = latencyFigures(turns.turnsNs, 1e6);
        figures.longestStallMs = turnFigures.max;
        figures.p99TurnMs = turnFigures.p99;
        figures.longestTimerGapMs = latencyFigures(gapsNs, 1e6).max;
        figures.framesSent = framesSent() - sentBefore;
        figures.framesParsed = pRepository->frameCount() - parsedBefore;
        figures.meterUpdates = updates - updatesBefore;
        return figures;
    };
    auto frameBytes = [&] {
        return amplifier.get<qint64>(
            [](SimulatedArxAmplifier &a) { return qint64(a.metersFrame().toUtf8().size()); });
    };

    PhaseFigures normal = measure([&] { amplifier.with([](SimulatedArxAmplifier &a) { a.startFeed(20); }); },
                                  [&] { amplifier.with([](SimulatedArxAmplifier &a) { a.stopFeed(); }); });
    normal.frameBytes = frameBytes();

    // Enough channels for a frame of the large size.
    amplifier.with([](SimulatedArxAmplifier &a) {
        int channels = 1000;
        setReadings(a, channels);
        const qint64 bytes = a.metersFrame().toUtf8().size();
        channels = int(double(channels) * double(LargeFrameBytes) / double(bytes));
        setReadings(a, channels);
    });
    const qint64 largeBytes = frameBytes();

    PhaseFigures slow = measure([&] { amplifier.with([](SimulatedArxAmplifier &a) { a.startFeed(4); }); },
                                [&] { amplifier.with([](SimulatedArxAmplifier &a) { a.stopFeed(); }); });
    slow.frameBytes = largeBytes;
    PhaseFigures flood = measure([&] { amplifier.with([](SimulatedArxAmplifier &a) { a.startFlood(); }); },
                                 [&] { amplifier.with([](SimulatedArxAmplifier &a) { a.stopFlood(); }); });
    flood.frameBytes = largeBytes;

    std::printf("\n%-32s %10s %10s %10s %9s %7s %7s %7s\n", "", "stall ms", "p99 turn", "timer gap",
                "frame kB", "sent", "parsed", "updates");
    auto row = [](const char *name, const PhaseFigures &f) {
        std::printf("%-32s %10.1f %10.2f %10.1f %9.0f %7lld %7d %7d\n", name, f.longestStallMs, f.p99TurnMs,
                    f.longestTimerGapMs, double(f.frameBytes) / 1000.0, static_cast<long long>(f.framesSent),
                    f.framesParsed, f.meterUpdates);
    };
    row("no flood: 20 frames/s", normal);
    row("no flood: large frames, 4/s", slow);
    row("flood: large frames, no pause", flood);
    const double ratio = normal.longestStallMs > 0 ? flood.longestStallMs / normal.longestStallMs : 0.0;
    std::printf("\nlongest stall, flood / no flood: %.1f ms / %.1f ms (ratio %.1f)\n", flood.longestStallMs,
                normal.longestStallMs, ratio);
    return 0;
}
