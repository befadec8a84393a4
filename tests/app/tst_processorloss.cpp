#include "VrTest.h"

#include "DemoAtPorts.h"
#include "FakeHostProbe.h"
#include "ModelFixture.h"
#include "SimulatedVdsDevice.h"
#include "SimulatedVdsTelephone.h"
#include "app/MConnections.h"
#include "app/MModel.h"
#include "comms/IComposite.h"
#include "comms/ITcpClient.h"
#include "comms/PProtocol.h"
#include "controls/CComposite.h"
#include "controls/CControl.h"
#include "controls/WWidgetFactory.h"
#include "devices/HChassis.h"
#include "devices/HRoot.h"
#include "widgets/WButton.h"
#include "widgets/WDialer.h"
#include "widgets/WMeter.h"
#include "widgets/WMeterImage.h"
#include "widgets/WSlider.h"

#include <QAbstractSocket>
#include <QColor>
#include <QSignalSpy>
#include <QTcpSocket>

#include <memory>

namespace {

constexpr int Patience = 10000;

const QByteArray kMusic = "GA\"Music Gain\">1";
const QByteArray kMic = "GA\"Mic Gain\">1";
const QByteArray kMusicSets = "SA \"Music Gain\"";
const QList<QByteArray> kLoud = {"-3.0", "-3.0", "-3.0", "-3.0"};
const QStringList kUnlit = {"#c3c3c3", "#c3c3c3", "#c3c3c3"};

QStringList coloursOf(const WMeter *pMeter)
{
    QStringList colours;
    for (const char *name : {"colorAtPoint1", "colorAtPoint2", "colorAtPoint3"})
        colours << pMeter->itemProperty(name).value<QColor>().name();
    return colours;
}

bool isDark(const WMeter *pMeter)
{
    return coloursOf(pMeter) == kUnlit && !pMeter->itemProperty("isPeakEnabled").toBool();
}

bool isDark(const WMeterImage *pMeter)
{
    return pMeter->picture() == WMeterImage::GreyPicture;
}

// The demo project with its processor on the simulated device, which holds
// the values of its faders and moving level lists and accepts
// subscriptions; connected as at start.
class DemoOnDevice
{
public:
    DemoOnDevice()
        : telephone(&device, "Tel")
    {
        device.setValueStoreEnabled(true);
        device.setSubscriptionAccepted(true);
        device.setValue(kMusic, "-10.0");
        device.setValue(kMic, "-20.0");
        device.setLevelList("1", kLoud);
        device.setLevelList("2", kLoud);
    }

    bool start()
    {
        const QString path = writeDemoAtPorts(device.port());
        if (path.isEmpty())
            return false;
        f.model->loadProject(path);
        f.model->setConnectionsEnabled(true);
        f.model->rebuildInterfaceSet();
        return processor() && client();
    }

    HChassis *processor() const
    {
        for (HChassis *pChassis : MConnections::chassisOf(f.model->root())) {
            if (pChassis->title() == QLatin1String("DXR-880"))
                return pChassis;
        }
        return nullptr;
    }
    ITcpClient *client() const { return qobject_cast<ITcpClient *>(processor()->transport()); }
    PProtocol *protocol() const { return processor()->protocol(); }

    QString indicator() const
    {
        return f.model->getInterfaceProperty(QStringLiteral("connectInd")).toString();
    }
    bool isGreen() const { return indicator().endsWith(QStringLiteral("/indicator_grn.png")); }
    bool isRed() const { return indicator().endsWith(QStringLiteral("/indicator_red.png")); }

    // The widgets of a kind on the shown panel that follow the processor.
    template <typename Widget>
    QList<Widget *> shown() const
    {
        QList<Widget *> found;
        const CComposite *pPanel = f.model->currentPanel();
        for (int i = 0; pPanel && i < pPanel->childCount(); ++i) {
            const auto *pControl = qobject_cast<const CControl *>(pPanel->childAt(i));
            for (WWidget *pWidget : pControl ? pControl->widgets() : QList<WWidget *>()) {
                auto *pFound = qobject_cast<Widget *>(pWidget);
                if (pFound && pFound->protocol() == protocol())
                    found.append(pFound);
            }
        }
        return found;
    }

    SimulatedVdsDevice device;
    SimulatedVdsTelephone telephone;
    ModelFixture f;
};

// The processor goes away: it closes its connections, or resets them.
void lose(SimulatedVdsDevice &device, bool reset)
{
    device.stopListening();
    if (reset)
        device.resetClients();
    else
        device.dropClients();
}

// Waits until the client has been refused twice on its way back: the
// device has been away for a retry period at least.
bool awayForAWhile(ITcpClient *pClient)
{
    QTcpSocket *pSocket = pClient->socket();
    if (!pSocket)
        return false;
    int refusals = 0;
    const QMetaObject::Connection counting =
        QObject::connect(pSocket, &QAbstractSocket::errorOccurred, pSocket,
                         [&refusals](QAbstractSocket::SocketError error) {
                             if (error == QAbstractSocket::ConnectionRefusedError)
                                 ++refusals;
                         });
    const bool away = QTest::qWaitFor([&]() { return refusals >= 2; }, Patience);
    QObject::disconnect(counting);
    return away;
}

} // namespace

// The demo project against the simulated processor on 127.0.0.1: a
// processor that stops answering, or closes or resets its connection, is
// shown as gone on every widget that follows it, and all comes back once
// it answers again.
class TestProcessorLoss : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { WWidgetFactory::registerWidgetTypes(); }
    void silentProcessorLeavesGreen_data();
    void silentProcessorLeavesGreen();
    void loss_data();
    void droppedProcessorDarkensItsMeters_data() { loss_data(); }
    void droppedProcessorDarkensItsMeters();
    void droppedProcessorStopsItsControls_data() { loss_data(); }
    void droppedProcessorStopsItsControls();
};

void TestProcessorLoss::silentProcessorLeavesGreen_data()
{
    QTest::addColumn<IHostProbe::HostState>("hostState");
    // The host answers the check but the application behind it hangs.
    QTest::newRow("host reachable") << IHostProbe::Reachable;
    // No way to ask the host, as on a machine without "ping".
    QTest::newRow("host state unknown") << IHostProbe::Unknown;
}

// Subscribed and with nobody touching a control, a processor that stops
// answering while its connection stays open leaves green within one silence
// period and a probe (shortened here), is renewed, and is green again once
// it answers, its fader following the device as before.
void TestProcessorLoss::silentProcessorLeavesGreen()
{
    QFETCH(IHostProbe::HostState, hostState);
    DemoOnDevice demo;
    QVERIFY(demo.start());
    QCOMPARE(demo.client()->hostStatusTimer()->interval(), 30000);
    for (int i = 0; i < demo.f.model->interfaces()->interfaceCount(); ++i) {
        if (auto *pClient = qobject_cast<ITcpClient *>(demo.f.model->interfaces()->interfaceAt(i))) {
            pClient->setHostProbe(new FakeHostProbe(hostState));
            pClient->setHostStatusInterval(300);
        }
    }
    QVERIFY(demo.f.model->followLink(QStringLiteral("..\\Demo\\Levels")));
    const QList<WSlider *> faders = demo.shown<WSlider>();
    QCOMPARE(faders.size(), 2);
    QTRY_VERIFY_WITH_TIMEOUT(demo.isGreen(), Patience);
    QTRY_VERIFY_WITH_TIMEOUT(demo.device.subscriptions().contains(kMusic), Patience);
    QVERIFY(demo.client()->isSubscribed());
    const int connections = demo.device.connectionCount();

    demo.device.setSilent(true);
    QTRY_VERIFY_WITH_TIMEOUT(!demo.isGreen(), Patience);
    // Found out by the probe on the open connection, not by its renewal.
    QCOMPARE(demo.device.connectionCount(), connections);
    QVERIFY(!demo.client()->isConnected());
    QCOMPARE(demo.client()->connectionState(), int(ITcpClient::Running));
    QVERIFY(!demo.protocol()->isOnline());

    QTRY_VERIFY_WITH_TIMEOUT(demo.device.connectionCount() > connections, 3 * Patience);
    QVERIFY(!demo.isGreen());

    demo.device.setSilent(false);
    QTRY_VERIFY_WITH_TIMEOUT(demo.isGreen(), 2 * Patience);
    QVERIFY(demo.protocol()->isOnline());
    QTRY_VERIFY_WITH_TIMEOUT(demo.client()->isSubscribed(), Patience);
    QTRY_VERIFY_WITH_TIMEOUT(demo.device.subscriptions().contains(kMusic), Patience);
    demo.device.setValue(kMusic, "-4.0");
    demo.device.push(demo.device.replyLine(kMusic));
    WSlider *pMusic = faders.first()->control()->name() == QLatin1String("Music Level")
        ? faders.first() : faders.last();
    QTRY_COMPARE_WITH_TIMEOUT(pMusic->itemProperty("value").toInt(), -8, Patience);
}

void TestProcessorLoss::loss_data()
{
    QTest::addColumn<bool>("reset");
    QTest::newRow("device closes") << false;
    QTest::newRow("device resets") << true;
}

// The processor's meters (bars and the "Signal" picture) go dark the
// moment its connection is lost, ask nothing while it stays away, and
// light up again once it is back.
void TestProcessorLoss::droppedProcessorDarkensItsMeters()
{
    QFETCH(bool, reset);
    DemoOnDevice demo;
    QVERIFY(demo.start());
    QVERIFY(demo.f.model->followLink(QStringLiteral("..\\Meters\\Meters")));
    const QList<WMeter *> bars = demo.shown<WMeter>();
    const QList<WMeterImage *> pictures = demo.shown<WMeterImage>();
    QCOMPARE(bars.size(), 2);
    QCOMPARE(pictures.size(), 1);
    const auto allLit = [&]() {
        for (const WMeter *pBar : bars) {
            if (isDark(pBar) || !const_cast<WMeter *>(pBar)->core().isPolling())
                return false;
        }
        for (const WMeterImage *pPicture : pictures) {
            if (isDark(pPicture) || !const_cast<WMeterImage *>(pPicture)->core().isPolling())
                return false;
        }
        return true;
    };
    QTRY_VERIFY_WITH_TIMEOUT(allLit(), Patience);

    // What the meters show the moment the loss is reported.
    bool lost = false;
    int darkAtLoss = 0;
    int pollingAtLoss = 0;
    QObject watch; // goes before what the watch writes to
    connect(demo.client(), &IInterface::interfaceStateChanged, &watch, [&](bool connected) {
        if (connected || lost)
            return;
        lost = true;
        for (WMeter *pBar : bars) {
            darkAtLoss += isDark(pBar) ? 1 : 0;
            pollingAtLoss += pBar->core().isPolling() ? 1 : 0;
        }
        for (WMeterImage *pPicture : pictures) {
            darkAtLoss += isDark(pPicture) ? 1 : 0;
            pollingAtLoss += pPicture->core().isPolling() ? 1 : 0;
        }
    });
    const quint16 port = demo.device.port();
    lose(demo.device, reset);
    QTRY_VERIFY_WITH_TIMEOUT(lost, Patience);
    QCOMPARE(darkAtLoss, int(bars.size() + pictures.size()));
    QCOMPARE(pollingAtLoss, 0);

    // Away: no meter asks for its levels.
    std::vector<std::unique_ptr<QSignalSpy>> ticks;
    for (WMeter *pBar : bars)
        ticks.push_back(std::make_unique<QSignalSpy>(&pBar->core().statusTimer(), &QTimer::timeout));
    for (WMeterImage *pPicture : pictures)
        ticks.push_back(std::make_unique<QSignalSpy>(&pPicture->core().statusTimer(), &QTimer::timeout));
    QVERIFY(awayForAWhile(demo.client()));
    for (const auto &pTicks : ticks)
        QCOMPARE(pTicks->size(), 0);
    for (const WMeter *pBar : bars)
        QVERIFY(isDark(pBar));
    for (const WMeterImage *pPicture : pictures)
        QVERIFY(isDark(pPicture));

    // Back: they poll and light up again.
    const int levelRequests = demo.device.commandCount("GL ");
    QVERIFY(demo.device.listen(port));
    QTRY_VERIFY_WITH_TIMEOUT(demo.client()->isConnected(), Patience);
    QTRY_VERIFY_WITH_TIMEOUT(allLit(), Patience);
    QVERIFY(demo.device.commandCount("GL ") > levelRequests);
}

// The processor's other widgets follow it too: while it is away its fader
// and buttons send nothing, the dialer says so, and the indicator that the
// room widgets heed shows red; once it is back, sets go out again and the
// fader follows the device.
void TestProcessorLoss::droppedProcessorStopsItsControls()
{
    QFETCH(bool, reset);
    DemoOnDevice demo;
    QVERIFY(demo.start());
    QTRY_VERIFY_WITH_TIMEOUT(demo.isGreen(), Patience);
    QVERIFY(demo.f.model->followLink(QStringLiteral("..\\Telephone\\Telephone")));
    const QList<WDialer *> dialers = demo.shown<WDialer>();
    QCOMPARE(dialers.size(), 1);
    WDialer *pDialer = dialers.first();
    QTRY_VERIFY_WITH_TIMEOUT(demo.telephone.stateRequests() > 0, Patience);
    QTRY_VERIFY_WITH_TIMEOUT(pDialer->statusText() != WDialer::noConnectionText(), Patience);
    QVERIFY(demo.f.model->followLink(QStringLiteral("..\\Zones\\Music Zone")));
    const QList<WSlider *> faders = demo.shown<WSlider>();
    const QList<WButton *> buttons = demo.shown<WButton>();
    QCOMPARE(faders.size(), 1);
    QCOMPARE(buttons.size(), 1);
    QTRY_VERIFY_WITH_TIMEOUT(demo.device.subscriptions().contains(kMusic), Patience);

    bool lost = false;
    bool onlineAtLoss = true;
    QObject watch; // goes before what the watch writes to
    connect(demo.client(), &IInterface::interfaceStateChanged, &watch, [&](bool connected) {
        if (connected || lost)
            return;
        lost = true;
        onlineAtLoss = demo.protocol()->isOnline();
    });
    QSignalSpy online(demo.protocol(), &PProtocol::onlineStateChanged);
    const quint16 port = demo.device.port();
    lose(demo.device, reset);
    QTRY_VERIFY_WITH_TIMEOUT(lost, Patience);
    QVERIFY(!onlineAtLoss);
    // The amplifier's proxy line goes with the same device.
    QTRY_VERIFY_WITH_TIMEOUT(demo.isRed(), Patience);
    // Told at the loss, and again at every loss the model passes on.
    QVERIFY(!online.isEmpty());
    for (const QList<QVariant> &report : std::as_const(online))
        QCOMPARE(report.first().toBool(), false);

    // Away: a drag and a press go nowhere; the dialer finds the line gone.
    QVERIFY(awayForAWhile(demo.client()));
    faders.first()->outputValue(-30);
    buttons.first()->outputPressed();
    buttons.first()->outputReleased();
    QTRY_COMPARE_WITH_TIMEOUT(pDialer->statusText(), WDialer::noConnectionText(), Patience);
    const int setsWhileAway = demo.device.commandCount(kMusicSets);

    // Back: told online, and the controls work again.
    QVERIFY(demo.device.listen(port));
    QTRY_VERIFY_WITH_TIMEOUT(demo.client()->isConnected(), Patience);
    QCOMPARE(online.last().first().toBool(), true);
    int back = 0;
    for (const QList<QVariant> &report : std::as_const(online))
        back += report.first().toBool() ? 1 : 0;
    QCOMPARE(back, 1);
    QVERIFY(!demo.isRed());
    QTRY_VERIFY_WITH_TIMEOUT(demo.device.subscriptions().contains(kMusic), Patience);
    QCOMPARE(demo.device.commandCount(kMusicSets), setsWhileAway);
    faders.first()->outputValue(-24);
    QTRY_VERIFY_WITH_TIMEOUT(demo.device.commandTexts().contains(kMusicSets + ">1=-12.0"), Patience);
    buttons.first()->outputPressed();
    buttons.first()->outputReleased();
    QTRY_VERIFY_WITH_TIMEOUT(demo.device.commandCount(kMusicSets + ">2") > 0, Patience);
    demo.device.setValue(kMusic, "-6.0");
    demo.device.push(demo.device.replyLine(kMusic));
    QTRY_COMPARE_WITH_TIMEOUT(faders.first()->itemProperty("value").toInt(), -12, Patience);
}

VR_TEST_MAIN(TestProcessorLoss)
#include "tst_processorloss.moc"
