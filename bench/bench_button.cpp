// Figures for the button: a mute button (the shipped QML item and its
// WButton) bound through PVDSProtocol and a connected ITcpClient to the
// simulated VDS device on 127.0.0.1, which acknowledges each set at once.
// Each press is one call of outputPressed; the figure is the time from that
// call to the set command's bytes arriving at the device, mean and 99th
// percentile. The floor is the same bytes handed straight to
// ITcpClient::send in the same run, one send after each press, so both go
// through the same dispatcher under the same load; the ratios compare the
// two. Each step begins at a random point of the dispatcher's 10 ms tick
// and only once the device's acknowledge of the step before was taken. It
// asserts nothing.

#include "comms/ITcpClient.h"
#include "comms/ITcpClientThread.h"
#include "comms/PProtocolHost.h"
#include "comms/PVDSProtocol.h"
#include "comms/TTransform.h"
#include "controls/CControl.h"
#include "controls/TTransformFactory.h"
#include "controls/WDelegate.h"
#include "controls/WWidgetFactory.h"
#include "devices/HComposite.h"
#include "devices/HNode.h"
#include "widgets/WButton.h"

#include "BenchMessages.h"
#include "BenchSandbox.h"
#include "BenchTiming.h"
#include "EngineTypes.h"
#include "SimulatedVdsDevice.h"

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QHostAddress>
#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickWindow>
#include <QRandomGenerator>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

namespace {

constexpr int Presses = 1000;
const QByteArray kKey = "GA\"Bench Mute\">2";
// Long enough for the acknowledge of a step to be taken before the next.
constexpr qint64 SettleNs = 2LL * ITcpClientThread::DispatchIntervalMs * 1000 * 1000;

// The polling pause a set asks for goes nowhere: there is no model here.
class QuietHost : public PProtocolHost
{
public:
    void setPollingActive(bool) override {}
    void runReceiveDialog(PFileProtocol *, IInterface *) override {}
    void showReceiveFailure(const QString &) override {}
};

// Keeps the event loop turning for a while, to the microsecond.
void pauseNs(qint64 ns)
{
    QElapsedTimer timer;
    timer.start();
    while (timer.nsecsElapsed() < ns)
        QCoreApplication::processEvents(QEventLoop::AllEvents);
}


class Bench
{
public:
    Bench()
    {
        m_device.setValueStoreEnabled(true);
        m_device.setSubscriptionAccepted(false);
        m_device.setValue(kKey, "0");
        m_client.setAddress(QHostAddress(QHostAddress::LocalHost));
        m_client.setPort(m_device.port());
        m_protocol.setInterface(&m_client);
        m_client.setOwner(&m_protocol);
        m_protocol.setHost(&m_host);
        auto *pFactory = new WWidgetFactory;
        pFactory->setParentItem(m_window.contentItem());
        pFactory->setContext(m_engine.rootContext());
        WDelegate::instance()->setFactory(pFactory);
        m_clock.start();
        QObject::connect(&m_device, &SimulatedVdsDevice::commandReceived, &m_device,
                         [this](const QByteArray &text) {
                             if (text.startsWith("SA "))
                                 m_arrivals.push_back({m_clock.nsecsElapsed(), text});
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
        if (!m_client.open() || !waitFor([&]() { return m_client.isConnected(); }, 5000)
            || !waitFor([&]() { return m_client.hasSubscriptionState(); }, 5000))
            return false;
        auto *pNode = new HNode;
        pNode->setTitle(QStringLiteral("Gain"));
        pNode->setLabel(QStringLiteral("Bench Mute"));
        m_nodes.addChild(pNode);
        pNode->setProtocol(&m_protocol);

        m_pControl = std::make_unique<CControl>();
        m_pControl->setType(QStringLiteral("Control"));
        m_pControl->setName(QStringLiteral("Mute"));
        m_pControl->setKind(QStringLiteral("Button"));
        m_pControl->setNode(pNode);
        const QList<QPair<QString, QString>> list = {
            {"index1", "2"}, {"set", "F,O,T"}, {"format", "s"}, {"transform", "bin8"}};
        for (const auto &leaf : list)
            m_pControl->setAttribute(QStringLiteral("list"), leaf.first, leaf.second);
        const QList<QPair<QString, QString>> leaves = {
            {"x", "20"}, {"y", "20"}, {"width", "100"}, {"height", "60"}, {"action", "alternating"}};
        for (const auto &leaf : leaves)
            m_pControl->setWidgetAttribute(QStringLiteral("button"), leaf.first, leaf.second);
        m_pControl->endWidget(QStringLiteral("button"));
        m_pControl->bind();
        m_pControl->setVisible(true);
        m_pButton = qobject_cast<WButton *>(m_pControl->widgets().value(0));
        // The bound button's first get, answered, out of the way.
        if (!m_pButton || !waitFor([&]() { return m_device.commandCount("GA") > 0; }, 5000))
            return false;
        pauseNs(SettleNs);
        return true;
    }

    // Presses and straight sends in turn; each waits for its bytes.
    void run(LatencyFigures *pPressed, LatencyFigures *pSent, int *pLost)
    {
        std::vector<qint64> pressed;
        std::vector<qint64> sent;
        pressed.reserve(Presses);
        sent.reserve(Presses);
        int lost = 0;
        QRandomGenerator random(21);
        for (int i = 0; i < Presses; ++i) {
            pauseNs(SettleNs + qint64(random.bounded(ITcpClientThread::DispatchIntervalMs * 1000)) * 1000);
            size_t before = m_arrivals.size();
            qint64 startNs = m_clock.nsecsElapsed();
            m_pButton->outputPressed();
            if (!waitFor([&]() { return m_arrivals.size() > before; }, 2000)) {
                ++lost;
                continue;
            }
            pressed.push_back(m_arrivals[before].atNs - startNs);
            const QByteArray bytes = m_arrivals[before].text + '\r';

            pauseNs(SettleNs + qint64(random.bounded(ITcpClientThread::DispatchIntervalMs * 1000)) * 1000);
            before = m_arrivals.size();
            startNs = m_clock.nsecsElapsed();
            m_client.send(bytes.constData(), int(bytes.size()), IInterface::SendWaitAck, "",
                          PVDSProtocol::ReplyTimeoutMs);
            if (!waitFor([&]() { return m_arrivals.size() > before; }, 2000)) {
                ++lost;
                continue;
            }
            sent.push_back(m_arrivals[before].atNs - startNs);
        }
        *pPressed = latencyFigures(pressed, 1e6);
        *pSent = latencyFigures(sent, 1e6);
        *pLost = lost;
    }

    int failures() const { return m_client.failureCount(); }

private:
    struct Arrival
    {
        qint64 atNs = 0;
        QByteArray text;
    };

    SimulatedVdsDevice m_device;
    ITcpClient m_client;
    PVDSProtocol m_protocol;
    QuietHost m_host;
    QQmlEngine m_engine;
    QQuickWindow m_window;
    HComposite m_nodes;
    std::unique_ptr<CControl> m_pControl;
    WButton *m_pButton = nullptr;
    QElapsedTimer m_clock;
    std::vector<Arrival> m_arrivals;
};

} // namespace

int main(int argc, char **argv)
{
    BenchSandbox sandbox;
    preferOffscreenPlatform();
    QGuiApplication app(argc, argv);
    hideAllMessages();
    EngineTypes::registerAll();

    std::printf("button press (outputPressed) -> set command bytes at the simulated device (127.0.0.1)\n");
    std::printf("%d presses of an alternating mute, the device acknowledging each at once;\n", Presses);
    std::printf("floor: the same bytes through ITcpClient::send, in turn with the presses\n\n");
    Bench bench;
    if (!bench.setUp()) {
        std::printf("could not set up the button against the local device\n");
        return 0;
    }
    LatencyFigures pressed;
    LatencyFigures sent;
    int lost = 0;
    bench.run(&pressed, &sent, &lost);
    std::printf("%-22s %6s %9s %9s %9s\n", "path", "sends", "mean ms", "p99 ms", "max ms");
    std::printf("%-22s %6d %9.3f %9.3f %9.3f\n", "outputPressed", pressed.count, pressed.mean, pressed.p99,
                pressed.max);
    std::printf("%-22s %6d %9.3f %9.3f %9.3f\n", "ITcpClient::send", sent.count, sent.mean, sent.p99,
                sent.max);
    std::printf("\nratio press / send: mean %.2f, p99 %.2f   (lost %d, send failures %d)\n",
                sent.mean > 0 ? pressed.mean / sent.mean : 0.0,
                sent.p99 > 0 ? pressed.p99 / sent.p99 : 0.0, lost, bench.failures());
    return 0;
}
