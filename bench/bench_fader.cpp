// Figures for the fader: a fader control (the shipped QML item and its
// WSlider) bound through PVDSProtocol and a connected ITcpClient to the
// simulated VDS device on 127.0.0.1. Each step is one mouse move of a drag
// on the knob; the figure is the time from that move to the set command's
// bytes arriving at the device, mean, 99th percentile and maximum (each step
// begins at a random point of the dispatcher's 10 ms tick), once in
// poll mode (sets wait for the acknowledge) and once in subscribe mode (the
// device reports each set back). The floor is the fader's send delay plus
// at most one dispatcher tick. It asserts nothing.

#include "app/MModel.h"
#include "comms/ITcpClient.h"
#include "comms/ITcpClientThread.h"
#include "comms/PVDSProtocol.h"
#include "comms/TTransform.h"
#include "controls/CControl.h"
#include "controls/TTransformFactory.h"
#include "controls/WDelegate.h"
#include "controls/WWidgetFactory.h"
#include "devices/HComposite.h"
#include "devices/HNode.h"
#include "widgets/WSlider.h"

#include "BenchMessages.h"
#include "BenchSandbox.h"
#include "BenchTiming.h"
#include "EngineTypes.h"
#include "SimulatedVdsDevice.h"

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QHostAddress>
#include <QMouseEvent>
#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickWindow>
#include <QRandomGenerator>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

namespace {

constexpr int Steps = 1000;
constexpr qreal StepPixels = 2.0;
const QByteArray kKey = "GA\"Bench Gain\">1";

// Keeps the event loop turning for a while, to the microsecond.
void pauseNs(qint64 ns)
{
    QElapsedTimer timer;
    timer.start();
    while (timer.nsecsElapsed() < ns)
        QCoreApplication::processEvents(QEventLoop::AllEvents);
}

struct Figures : LatencyFigures
{
    int lost = 0;
};

Figures figuresOf(std::vector<qint64> latenciesNs, int lost)
{
    Figures f;
    static_cast<LatencyFigures &>(f) = latencyFigures(std::move(latenciesNs), 1e6);
    f.lost = lost;
    return f;
}

// One fader on a window, bound to the device at port.
class Bench
{
public:
    explicit Bench(bool subscribe)
        : m_subscribe(subscribe)
    {
        m_device.setValueStoreEnabled(true);
        m_device.setSubscriptionAccepted(subscribe);
        m_device.setValue(kKey, "-10.0");
        m_client.setAddress(QHostAddress(QHostAddress::LocalHost));
        m_client.setPort(m_device.port());
        m_protocol.setInterface(&m_client);
        m_client.setOwner(&m_protocol);
        m_protocol.setModel(&m_model);
        m_window.resize(200, 300);
        auto *pFactory = new WWidgetFactory;
        pFactory->setParentItem(m_window.contentItem());
        pFactory->setContext(m_engine.rootContext());
        WDelegate::instance()->setFactory(pFactory);
        m_clock.start();
        QObject::connect(&m_device, &SimulatedVdsDevice::commandReceived, &m_device,
                         [this](const QByteArray &text) {
                             if (text.startsWith("SA "))
                                 m_arrivalsNs.push_back(m_clock.nsecsElapsed());
                         });
    }

    ~Bench()
    {
        m_pControl.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        TTransformFactory::clearRegistry();
        WDelegate::destroyInstance();
        m_client.close();
    }

    bool setUp()
    {
        if (!m_client.open() || !waitFor([&]() { return m_client.isConnected(); }, 5000))
            return false;
        if (!waitFor([&]() { return m_client.hasSubscriptionState(); }, 5000))
            return false;
        auto *pNode = new HNode;
        pNode->setTitle(QStringLiteral("Gain"));
        pNode->setLabel(QStringLiteral("Bench Gain"));
        m_nodes.addChild(pNode);
        pNode->setProtocol(&m_protocol);

        m_pControl = std::make_unique<CControl>();
        m_pControl->setType(QStringLiteral("Control"));
        m_pControl->setName(QStringLiteral("Level"));
        m_pControl->setKind(QStringLiteral("Slider"));
        m_pControl->setNode(pNode);
        const QList<QPair<QString, QString>> range = {
            {"index1", "1"}, {"minimum", "-60"}, {"maximum", "12"}, {"step", "0.5"},
            {"format", "nn.n"}, {"transform", "strV"}};
        for (const auto &leaf : range)
            m_pControl->setAttribute(QStringLiteral("range"), leaf.first, leaf.second);
        const QList<QPair<QString, QString>> geometry = {
            {"x", "20"}, {"y", "20"}, {"width", "40"}, {"height", "240"}};
        for (const auto &leaf : geometry)
            m_pControl->setWidgetAttribute(QStringLiteral("slider"), leaf.first, leaf.second);
        m_pControl->endWidget(QStringLiteral("slider"));
        m_pControl->bind();
        m_pControl->setVisible(true);
        m_pSlider = qobject_cast<WSlider *>(m_pControl->widgetByType(QStringLiteral("slider")));
        if (!m_pSlider)
            return false;
        m_window.show();
        if (!waitFor([&]() { return m_window.isExposed(); }, 5000))
            return false;
        if (m_subscribe) {
            if (!waitFor([&]() { return !m_device.subscriptions().isEmpty(); }, 5000))
                return false;
            m_device.push(m_device.replyLine(kKey));
        }
        // The device's value shown, and the knob's move to it over.
        if (!waitFor([&]() { return m_pSlider->itemProperty("value").toInt() == -20; }, 5000))
            return false;
        waitFor([]() { return false; }, 200);
        return true;
    }

    // A drag up and down the track, one step at a time; each step waits for
    // its set to arrive (and, subscribed, for the device's report of it).
    Figures run()
    {
        const QQuickItem *pKnob = m_pSlider->item()->findChild<QQuickItem *>(QStringLiteral("knob"));
        QPointF at = pKnob->mapToScene(QPointF(pKnob->width() / 2, pKnob->height() / 2));
        mouse(QEvent::MouseButtonPress, at, Qt::LeftButton, Qt::LeftButton);
        const qreal top = at.y() - 60;
        const qreal bottom = at.y() + 60;
        qreal direction = -1.0;

        std::vector<qint64> latencies;
        latencies.reserve(Steps);
        int lost = 0;
        // An operator's moves fall anywhere between two dispatcher ticks:
        // each step starts after a random part of one tick.
        QRandomGenerator random(20);
        for (int i = 0; int(latencies.size()) + lost < Steps && i < 2 * Steps; ++i) {
            if (at.y() + direction * StepPixels < top || at.y() + direction * StepPixels > bottom)
                direction = -direction;
            at.ry() += direction * StepPixels;
            pauseNs(qint64(random.bounded(ITcpClientThread::DispatchIntervalMs * 1000)) * 1000);
            const size_t arrived = m_arrivalsNs.size();
            const int before = m_pSlider->itemProperty("value").toInt();
            const qint64 startNs = m_clock.nsecsElapsed();
            mouse(QEvent::MouseMove, at, Qt::NoButton, Qt::LeftButton);
            if (m_pSlider->itemProperty("value").toInt() == before)
                continue; // a step within one slider unit: nothing to send
            if (!waitFor([&]() { return m_arrivalsNs.size() > arrived; }, 2000)) {
                ++lost;
                continue;
            }
            latencies.push_back(m_arrivalsNs[arrived] - startNs);
            if (m_subscribe) {
                const QString sent = m_pControl->transform()->text();
                waitFor([&]() { return m_pControl->transform()->replyText() == sent; }, 2000);
            }
        }
        mouse(QEvent::MouseButtonRelease, at, Qt::LeftButton, Qt::NoButton);
        waitFor([]() { return false; }, 100);
        return figuresOf(latencies, lost);
    }

    int failures() const { return m_client.failureCount(); }

private:
    void mouse(QEvent::Type type, const QPointF &at, Qt::MouseButton button, Qt::MouseButtons buttons)
    {
        QMouseEvent event(type, at, m_window.mapToGlobal(at), button, buttons, Qt::NoModifier);
        event.setTimestamp(m_timestamp += 16);
        QCoreApplication::sendEvent(&m_window, &event);
    }

    bool m_subscribe;
    SimulatedVdsDevice m_device;
    ITcpClient m_client;
    PVDSProtocol m_protocol;
    MModel m_model;
    QQmlEngine m_engine;
    QQuickWindow m_window;
    HComposite m_nodes;
    std::unique_ptr<CControl> m_pControl;
    WSlider *m_pSlider = nullptr;
    QElapsedTimer m_clock;
    std::vector<qint64> m_arrivalsNs;
    ulong m_timestamp = 1000;
};

} // namespace

int main(int argc, char **argv)
{
    BenchSandbox sandbox;
    preferOffscreenPlatform();
    QGuiApplication app(argc, argv);
    hideAllMessages();
    EngineTypes::registerAll();

    const double floorMs = WSlider::sendDelayInterval;
    const double ceilingMs = WSlider::sendDelayInterval + ITcpClientThread::DispatchIntervalMs;
    std::printf("fader drag step -> set command bytes at the simulated device (127.0.0.1)\n");
    std::printf("%d steps of %.0f px on the shipped QML fader, one step per send\n", Steps, StepPixels);
    std::printf("floor: send delay %d ms + at most one dispatch tick of %d ms = %.0f to %.0f ms\n\n",
                WSlider::sendDelayInterval, ITcpClientThread::DispatchIntervalMs, floorMs, ceilingMs);
    std::printf("%-16s %6s %9s %9s %9s %9s %6s %9s\n", "mode", "sends", "mean ms", "p99 ms",
                "max ms", "min ms", "lost", "failures");
    for (bool subscribe : {false, true}) {
        Bench bench(subscribe);
        const char *mode = subscribe ? "subscribe" : "poll (wait ack)";
        if (!bench.setUp()) {
            std::printf("%-16s could not set up the fader against the local device\n", mode);
            continue;
        }
        const Figures f = bench.run();
        std::printf("%-16s %6d %9.2f %9.2f %9.2f %9.2f %6d %9d\n", mode, f.count, f.mean, f.p99,
                    f.max, f.min, f.lost, bench.failures());
    }
    return 0;
}
