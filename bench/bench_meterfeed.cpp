// Figures for the ARX meter feed: 32 bar meters (the shipped QML items and
// their WMeter) bound to the outputs of an ARX amplifier chassis whose
// WebSocket client is connected to the simulated amplifier on 127.0.0.1.
// The amplifier pushes 1,000 "meters" frames, one after the other's last
// meter update; the figure is the time from the client's handing a frame
// on to its listeners to the last meter's update, as a ratio against a bare
// QJsonDocument::fromJson of the same frame timed in the same run. It
// asserts nothing.

#include "amplifiers/ArxModelRepository.h"
#include "comms/IArxAddress.h"
#include "comms/IWebSocketClient.h"
#include "devices/HChassis.h"

#include "ArxMeterRig.h"
#include "BenchMessages.h"
#include "BenchSandbox.h"
#include "BenchTiming.h"
#include "SimulatedArxAmplifier.h"

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QJsonDocument>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

namespace {

constexpr int Frames = 1000;
constexpr int Meters = 32;

double percentile(std::vector<double> values, double p)
{
    if (values.empty())
        return 0.0;
    std::sort(values.begin(), values.end());
    return values[std::min(values.size() - 1, size_t(p * double(values.size())))];
}

} // namespace

int main(int argc, char **argv)
{
    BenchSandbox sandbox;
    preferOffscreenPlatform();
    QGuiApplication app(argc, argv);
    hideAllMessages();

    SimulatedArxAmplifier amplifier;
    amplifier.setOutputCount(Meters);
    amplifier.setInputCount(Meters);
    IArxAddress::setPort(amplifier.port());

    ArxMeterRig rig(Meters);
    HChassis *pChassis = rig.chassis();
    const int bound = rig.boundCount();

    // Handed on: the protocol's handler runs first for every frame. Done: a
    // slot connected after every meter's runs after the last one.
    IWebSocketClient *pClient = pChassis->arxWebSocket();
    ArxModelRepository *pRepository = pChassis->arxModelRepository();
    QElapsedTimer clock;
    clock.start();
    qint64 arrivedNs = 0;
    int updates = 0;
    std::vector<double> latenciesUs;
    pClient->setProtocolMessageHandler([&](const QString &) { arrivedNs = clock.nsecsElapsed(); });
    QObject::connect(pRepository, &ArxModelRepository::audioModelUpdate, &app,
                     [&](const ArxWebSocketModel &) {
                         latenciesUs.push_back(double(clock.nsecsElapsed() - arrivedNs) / 1000.0);
                         ++updates;
                     });

    std::printf("ARX meter feed: frame handed on by the WebSocket client -> last of %d bar meters updated\n",
                Meters);
    std::printf("simulated amplifier on 127.0.0.1, %d frames of %d inputs and %d outputs, one at a time\n",
                Frames, Meters, Meters);
    if (bound != Meters || !waitFor([&] { return pRepository->isWebSocketConnected(); }, 5000)) {
        std::printf("could not set up %d meters against the local amplifier (%d bound)\n", Meters, bound);
        return 0;
    }

    std::vector<double> parseUs;
    int lost = 0;
    for (int frame = 0; frame < Frames; ++frame) {
        for (int ch = 0; ch < Meters; ++ch) {
            const double swing = 0.5 + 0.45 * std::sin(0.05 * frame + ch);
            amplifier.setOutputRms(ch, 40.0 * std::pow(10.0, (-52.0 + 54.0 * swing) / 16.657));
            amplifier.setInputReading(ch, {0.1 * swing, 0.2 * swing, 0.0, 0.0});
        }
        const QString text = amplifier.metersFrame();
        // The floor: the bare JSON parse of this frame's array.
        const QByteArray json = text.mid(2).toUtf8();
        QElapsedTimer parse;
        parse.start();
        const QJsonDocument document = QJsonDocument::fromJson(json);
        parseUs.push_back(double(parse.nsecsElapsed()) / 1000.0);
        if (!document.isArray())
            ++lost;
        const int before = updates;
        amplifier.pushText(text);
        if (!waitFor([&] { return updates > before; }, 2000))
            ++lost;
    }

    const double latency = median(latenciesUs);
    const double floor = median(parseUs);
    std::printf("\n%-36s %10s %10s %10s\n", "", "median us", "p99 us", "max us");
    std::printf("%-36s %10.1f %10.1f %10.1f\n", "handed on -> last meter updated", latency,
                percentile(latenciesUs, 0.99), percentile(latenciesUs, 1.0));
    std::printf("%-36s %10.1f %10.1f %10.1f\n", "floor: QJsonDocument::fromJson", floor,
                percentile(parseUs, 0.99), percentile(parseUs, 1.0));
    std::printf("\nratio (median / floor): %.1f   frames measured: %zu   lost: %d   frame size: %lld bytes\n",
                floor > 0 ? latency / floor : 0.0, latenciesUs.size(), lost,
                static_cast<long long>(amplifier.metersFrame().toUtf8().size()));
    std::printf("per meter: %.1f us\n", (latency - floor) / Meters);
    return 0;
}
