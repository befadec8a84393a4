#include "VrTest.h"

#include "ClosedPort.h"
#include "MeterRig.h"
#include "SimulatedArxAmplifier.h"
#include "SimulatedVdsDevice.h"

#include "amplifiers/ArxModelRepository.h"
#include "FakeProtocolHost.h"
#include "controls/WWidgetFactory.h"
#include "comms/IArxAddress.h"
#include "comms/ITcpClient.h"
#include "comms/IWebSocketClient.h"
#include "comms/PVDSProtocol.h"
#include "devices/HChassis.h"
#include "widgets/WMeter.h"
#include "widgets/WMeterImage.h"

#include <QColor>
#include <cmath>
#include <QHostAddress>
#include <QSignalSpy>

#include <functional>

namespace {

constexpr int Patience = 5000;

QStringList coloursOf(const WMeter *pMeter)
{
    QStringList colours;
    for (const char *name : {"colorAtPoint1", "colorAtPoint2", "colorAtPoint3"})
        colours << pMeter->itemProperty(name).value<QColor>().name();
    return colours;
}

const QStringList kUnlit = {"#c3c3c3", "#c3c3c3", "#c3c3c3"};
const QStringList kOrange = {"#21f321", "#fff780", "#ff8000"};
const QStringList kYellow = {"#21f321", "#fff780", "#c3c3c3"};
const QStringList kGreen = {"#21f321", "#c3c3c3", "#c3c3c3"};

// A bar meter on output `channel` of an ARX amplifier at 127.0.0.1, below
// the rig's device.
WMeter *addArxMeter(MeterRig &rig, int channel)
{
    auto *pChassis = new HChassis;
    NodeProperties::read(*pChassis, {"title=ARX-4800", "label=Stage Amplifier", "deviceType=ARX-4800",
                                     "ipAddress=127.0.0.1"});
    rig.device.addChild(pChassis);
    pChassis->finishParsing();
    HNode *pCard =
        rig.addCard(HAudioIO::Output, channel, {"title=Amp Output", "label=Stage Outputs"}, pChassis);
    return MeterRig::bind<WMeter>(rig.addMeter("meter", pCard, {}));
}

ArxModelRepository *repositoryOf(const WMeter *pMeter)
{
    auto *pChassis = qobject_cast<HChassis *>(pMeter->node()->parentNode());
    return pChassis ? pChassis->arxModelRepository() : nullptr;
}

// The output reading an ARX meter shows as the fraction of its bar (below
// the first colour break): the inverse of the amplifier's display scale.
double voltsShownAt(double fraction)
{
    const double dB = 50.0 * (fraction - 0.05) - 50.0;
    return 40.0 * std::pow(10.0, dB / (20.0 * 0.8328567561957783));
}

} // namespace

// Meters against the simulated devices on 127.0.0.1: a VDS processor's
// level lists and an ARX amplifier's meter feed.
class TestWMeterDevice : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { WWidgetFactory::registerWidgetTypes(); }
    void cleanup() { IArxAddress::setPort(closedLocalPort()); }

    void shownMeterPollsAtItsRate();
    void arxFeedLightsAndGreysTheBar();
    void arxMeterOpensOnlyAClosedFeed_data();
    void arxMeterOpensOnlyAClosedFeed();
    void floodedFeedShowsTheNewestFrame();
};

// A shown meter at "5x/s" sends about five "GL" a second and shows the
// entry of its level channel; a hidden one sends none.
void TestWMeterDevice::shownMeterPollsAtItsRate()
{
    SimulatedVdsDevice device;
    device.setValueStoreEnabled(true);
    device.setSubscriptionAccepted(false);
    device.setLevelList("1", {"-50.0", "-10.0", "-30.0", "-40.0"});
    device.setLevelList("2", {"-5.0", "-5.0", "-5.0", "-5.0"});
    ITcpClient client;
    client.setAddress(QHostAddress::LocalHost);
    client.setPort(device.port());
    PVDSProtocol protocol;
    protocol.setInterface(&client);
    client.setOwner(&protocol);
    FakeProtocolHost host;
    protocol.setHost(&host);
    QVERIFY(client.open());
    QTRY_VERIFY_WITH_TIMEOUT(client.isConnected(), Patience);
    QTRY_VERIFY_WITH_TIMEOUT(client.hasSubscriptionState(), Patience);

    MeterRig rig;
    rig.device.setTitle(QStringLiteral("DXR-880"));
    HNode *pInput = rig.addCard(HAudioIO::Input, 0, {"title=Input 1", "label=Mics", "channel=1"});
    HNode *pOutput = rig.addCard(HAudioIO::Output, 0, {"title=Output 1", "label=Zones", "channel=2"});
    pInput->setProtocol(&protocol);
    pOutput->setProtocol(&protocol);
    QCOMPARE(pInput->cardSlotIndex(), 1);
    QCOMPARE(pOutput->cardSlotIndex(), 2);
    WMeter *pShown = MeterRig::bind<WMeter>(rig.addMeter("meter", pInput, {{"meterRate", "5x/s"}}));
    WMeter *pHidden = MeterRig::bind<WMeter>(rig.addMeter("meter", pOutput, {{"meterRate", "5x/s"}}), false);
    QVERIFY(pShown && pHidden);

    QTRY_VERIFY_WITH_TIMEOUT(device.commandCount("GL 1") >= 11, Patience);
    QList<qint64> times;
    for (const SimulatedVdsDevice::Command &command : device.commands()) {
        if (command.text == "GL 1")
            times << command.atMs;
    }
    const qint64 span = times.at(10) - times.at(0);
    // Ten periods of 200 ms: never quicker, and not much slower.
    QVERIFY2(span >= 1500 && span <= 6000, qPrintable(QString::number(span)));
    QCOMPARE(device.commandCount("GL 2"), 0);
    // The list's entry 1, -10 dB: green and yellow.
    QTRY_COMPARE_WITH_TIMEOUT(coloursOf(pShown), kYellow, Patience);
    QCOMPARE(coloursOf(pHidden), kUnlit);

    // Hidden, it stops; shown, the other starts.
    pShown->setItemVisible(false);
    pHidden->setItemVisible(true);
    const int shownBefore = device.commandCount("GL 1");
    QTRY_VERIFY_WITH_TIMEOUT(device.commandCount("GL 2") >= 3, Patience);
    QVERIFY(device.commandCount("GL 1") <= shownBefore + 1);
    QTRY_COMPARE_WITH_TIMEOUT(coloursOf(pHidden), kOrange, Patience);
    client.close();
}

// The amplifier's frames light the bar; a closed socket empties the model
// and greys it; reconnectWebSocket opens the feed again.
void TestWMeterDevice::arxFeedLightsAndGreysTheBar()
{
    SimulatedArxAmplifier amplifier;
    IArxAddress::setPort(amplifier.port());
    amplifier.setOutputRms(0, 4.0);
    amplifier.setOutputRms(1, 40.0);
    amplifier.startFeed(50);

    MeterRig rig;
    WMeter *pMeter = addArxMeter(rig, 1);
    QVERIFY(pMeter);
    ArxModelRepository *pRepository = repositoryOf(pMeter);
    QTRY_COMPARE_WITH_TIMEOUT(coloursOf(pMeter), kOrange, Patience);
    QVERIFY(qAbs(pMeter->itemProperty("peakLevelPoint").toDouble() - 1.0) < 1e-9);
    QVERIFY(pRepository->isWebSocketConnected());

    QSignalSpy emptied(pRepository, &ArxModelRepository::websocketDisconnect);
    amplifier.closeFeeds();
    QTRY_COMPARE_WITH_TIMEOUT(emptied.size(), 1, Patience);
    QVERIFY(pRepository->model().isEmpty());
    QCOMPARE(coloursOf(pMeter), kUnlit);

    pRepository->reconnectWebSocket();
    QTRY_COMPARE_WITH_TIMEOUT(coloursOf(pMeter), kOrange, Patience);
    QCOMPARE(amplifier.feedConnectionCount(), 2);
}

void TestWMeterDevice::arxMeterOpensOnlyAClosedFeed_data()
{
    QTest::addColumn<QString>("type");
    QTest::addColumn<bool>("feedOpen");
    QTest::newRow("bar meter, feed open") << "meter" << true;
    QTest::newRow("bar meter, feed closed") << "meter" << false;
    QTest::newRow("image meter, feed open") << "meterimage" << true;
    QTest::newRow("image meter, feed closed") << "meterimage" << false;
}

// A meter bound on an amplifier whose feed is open leaves the feed as it
// is: no new connection, no gap in the readings of the meters already
// shown. A feed found closed is opened again.
void TestWMeterDevice::arxMeterOpensOnlyAClosedFeed()
{
    QFETCH(QString, type);
    QFETCH(bool, feedOpen);
    SimulatedArxAmplifier amplifier;
    IArxAddress::setPort(amplifier.port());
    amplifier.setOutputRms(1, 40.0);
    amplifier.startFeed(50);

    MeterRig rig;
    auto *pChassis = new HChassis;
    NodeProperties::read(*pChassis, {"title=ARX-4800", "label=Stage Amplifier", "deviceType=ARX-4800",
                                     "ipAddress=127.0.0.1"});
    rig.device.addChild(pChassis);
    pChassis->finishParsing();
    ArxModelRepository *pRepository = pChassis->arxModelRepository();
    QTRY_VERIFY_WITH_TIMEOUT(pRepository->isWebSocketConnected(), Patience);
    QCOMPARE(amplifier.feedConnectionCount(), 1);
    if (!feedOpen) {
        pRepository->closeWebSocket();
        QTRY_COMPARE_WITH_TIMEOUT(amplifier.feedClientCount(), 0, Patience);
        QVERIFY(!pRepository->isWebSocketConnected());
    }
    QSignalSpy dropped(pRepository, &ArxModelRepository::websocketDisconnect);

    HNode *pCard = rig.addCard(HAudioIO::Output, 1, {"title=Amp Output", "label=Stage Outputs"}, pChassis);
    CControl *pControl = rig.addMeter(type, pCard, {});
    std::function<bool()> lit;
    if (type == QLatin1String("meter")) {
        WMeter *pMeter = MeterRig::bind<WMeter>(pControl);
        QVERIFY(pMeter);
        lit = [pMeter] { return coloursOf(pMeter) == kOrange; };
    } else {
        WMeterImage *pMeter = MeterRig::bind<WMeterImage>(pControl);
        QVERIFY(pMeter);
        lit = [pMeter] { return pMeter->picture() == WMeterImage::OrangePicture; };
    }
    QTRY_VERIFY_WITH_TIMEOUT(lit(), Patience);
    QVERIFY(pRepository->isWebSocketConnected());
    // Open or reopened, one connection more only when it was closed.
    QCOMPARE(amplifier.feedConnectionCount(), feedOpen ? 1 : 2);
    QCOMPARE(dropped.count(), 0);
}

// An amplifier that floods its feed faster than frames can be shown: the
// frames that pile up in the meantime are dropped unread, and the bar
// shows the newest one.
void TestWMeterDevice::floodedFeedShowsTheNewestFrame()
{
    constexpr qint64 Frames = 400;
    constexpr int Channel = 1;
    SimulatedArxAmplifier amplifier;
    IArxAddress::setPort(amplifier.port());
    amplifier.setInputCount(64);
    amplifier.setOutputCount(64);

    MeterRig rig;
    WMeter *pMeter = addArxMeter(rig, Channel);
    QVERIFY(pMeter);
    ArxModelRepository *pRepository = repositoryOf(pMeter);
    QTRY_VERIFY_WITH_TIMEOUT(pRepository->isWebSocketConnected(), Patience);

    // Every frame a level of its own, the last one at half the bar.
    connect(&amplifier, &SimulatedArxAmplifier::floodFrameDue, this, [&amplifier](qint64 index) {
        const double fraction = index + 1 == Frames ? 0.5 : 0.1 + 0.3 * double(index) / double(Frames);
        amplifier.setOutputRms(Channel, voltsShownAt(fraction));
    });
    QSignalSpy finished(&amplifier, &SimulatedArxAmplifier::floodFinished);
    const int framesBefore = pRepository->frameCount();
    amplifier.startFlood(Frames);
    QTRY_COMPARE_WITH_TIMEOUT(finished.size(), 1, Patience);
    const double shown = ArxModelRepository::meterDisplayLevel(double(float(voltsShownAt(0.5))));
    QVERIFY(qAbs(shown - 0.5) < 1e-3);
    QTRY_VERIFY_WITH_TIMEOUT(qAbs(pMeter->itemProperty("colorStopPoint1").toDouble() - shown) < 1e-9,
                             Patience);
    QCOMPARE(coloursOf(pMeter), kGreen);
    QCOMPARE(pRepository->model().outputLevels.value(Channel), shown);
    const int framesRead = pRepository->frameCount() - framesBefore;
    QCOMPARE(amplifier.floodFramesSent(), Frames);
    QVERIFY2(framesRead < Frames,
             qPrintable(QStringLiteral("%1 of %2 frames read").arg(framesRead).arg(Frames)));
}

VR_TEST_MAIN(TestWMeterDevice)
#include "tst_wmeterdevice.moc"
