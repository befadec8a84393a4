#include "VrTest.h"

#include "MeterRig.h"

#include "amplifiers/ArxModelRepository.h"
#include "amplifiers/ArxWebSocketModel.h"
#include "controls/WWidgetFactory.h"
#include "comms/TTransform.h"
#include "controls/CControl.h"
#include "devices/HDante.h"
#include "devices/HChassis.h"
#include "devices/HDXRLink.h"
#include "devices/NodeCategory.h"
#include "widgets/WMeter.h"
#include "widgets/WMeterCore.h"

#include <QColor>

#include <cmath>

namespace {

const QStringList kInput = {"title=Input 1", "label=Mic In"};

// Stops and colours of the bar, as the item holds them.
struct Bar
{
    double stops[3];
    QString colours[3];
};

Bar barOf(const WMeter *pMeter)
{
    Bar bar;
    const char *stops[] = {"colorStopPoint1", "colorStopPoint2", "colorStopPoint3"};
    const char *colours[] = {"colorAtPoint1", "colorAtPoint2", "colorAtPoint3"};
    for (int i = 0; i < 3; ++i) {
        bar.stops[i] = pMeter->itemProperty(stops[i]).toDouble();
        bar.colours[i] = pMeter->itemProperty(colours[i]).value<QColor>().name();
    }
    return bar;
}

double peakPoint(const WMeter *pMeter)
{
    return pMeter->itemProperty("peakLevelPoint").toDouble();
}

// A device value arrives, as the level-list reply delivers it.
void deliver(WMeter *pMeter, double value)
{
    pMeter->transform()->setReplyText(QString::number(value, 'f', 2));
}

ArxWebSocketModel arxModel(const QList<double> &analog, const QList<double> &digital,
                           const QList<double> &outputs)
{
    ArxWebSocketModel model;
    model.analogInputLevels = analog;
    model.digitalInputLevels = digital;
    model.outputLevels = outputs;
    return model;
}

const QString G = QStringLiteral("#21f321");
const QString Y = QStringLiteral("#fff780");
const QString O = QStringLiteral("#ff8000");
const QString N = QStringLiteral("#c3c3c3");

// An input card of the digital category.
class DigitalInputCard : public HAudioIO
{
public:
    DigitalInputCard()
    {
        m_cardType = QStringLiteral("AES-4");
        m_ioCategory = IoCategory::digital();
        m_direction = Input;
    }
};

} // namespace

// The bar meter with its shipped QML item: rates, segments, peaks, the
// ARX feed, placeholders and what it saves.
class TestWMeter : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { WWidgetFactory::registerWidgetTypes(); }

    void rates_data();
    void rates();
    void segments_data();
    void segments();
    void peakHoldsThenFalls();
    void peakStartsAtTheBottomOfTheScale();
    void peakSinksInSilence();
    void replyThatIsNoNumberLeavesTheBar_data();
    void replyThatIsNoNumberLeavesTheBar();
    void rangeOfOneValueShowsGrey();
    void offlineGreysTheBar();
    void pollsOnlyShownAndOnline();
    void arxLevels_data();
    void arxLevels();
    void arxPeakHoldsThirtyUpdates();
    void arxConnectsOnceAndGreysOnDisconnect();
    void placeholders_data();
    void placeholders();
    void savesWhatItReads();
    void optionalElements_data();
    void optionalElements();
    void markerIsClamped_data();
    void markerIsClamped();
    void sharedTransformKeepsItsChannelName();
    void scaleFiguresSpanTheBar();
    void gaugeDrawsTheBar();
};

void TestWMeter::rates_data()
{
    // The rates read from the panel file, in order; what the table gives
    // the last of them (0: not in the table); the poll interval then.
    QTest::addColumn<QStringList>("read");
    QTest::addColumn<int>("table");
    QTest::addColumn<int>("interval");
    QTest::newRow("1x/s") << QStringList{"2x/s", "1x/s"} << 1000 << 1000;
    QTest::newRow("2x/s") << QStringList{"2x/s", "2x/s"} << 500 << 500;
    QTest::newRow("3x/s") << QStringList{"2x/s", "3x/s"} << 333 << 333;
    QTest::newRow("4x/s") << QStringList{"2x/s", "4x/s"} << 250 << 250;
    QTest::newRow("5x/s") << QStringList{"2x/s", "5x/s"} << 200 << 200;
    QTest::newRow("6x/s keeps the last") << QStringList{"2x/s", "6x/s"} << 0 << 500;
    QTest::newRow("case matters") << QStringList{"2x/s", "5X/s"} << 0 << 500;
    QTest::newRow("empty") << QStringList{"2x/s", ""} << 0 << 500;
    // Without a rate of its own a meter polls four times a second.
    QTest::newRow("none read") << QStringList{} << 0 << 250;
    QTest::newRow("only one not in the table") << QStringList{"6x/s"} << 0 << 250;
}

void TestWMeter::rates()
{
    QFETCH(QStringList, read);
    QFETCH(int, table);
    QFETCH(int, interval);
    if (!read.isEmpty())
        QCOMPARE(WMeterCore::rateInterval(read.last()), table);
    MeterRig rig;
    HNode *pNode = rig.addBlock(kInput);
    MeterLeaves leaves;
    for (const QString &rate : std::as_const(read))
        leaves.append({QStringLiteral("meterRate"), rate});
    CControl *pControl = rig.addMeter("meter", pNode, leaves);
    WMeter *pMeter = MeterRig::bind<WMeter>(pControl);
    QVERIFY(pMeter);
    QCOMPARE(pMeter->core().interval(), interval);
    QCOMPARE(pMeter->meterRate(), read.isEmpty() ? QStringLiteral("4x/s") : read.last());
    // The interval is the one the polls run at.
    emit rig.protocol.onlineStateChanged(true);
    QVERIFY(pMeter->core().isPolling());
    QCOMPARE(pMeter->core().statusTimer().interval(), interval);
}

void TestWMeter::segments_data()
{
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("typenum");
    QTest::addColumn<double>("value");
    QTest::addColumn<QList<double>>("stops");
    QTest::addColumn<QStringList>("colours");
    const QString in = QStringLiteral("Input 1");
    QTest::newRow("-30: green half") << in << "1" << -30.0 << QList<double>{0.5, 0.233, 0.1}
                                     << QStringList{G, N, N};
    QTest::newRow("-20: green to the break") << in << "1" << -20.0 << QList<double>{2.0 / 3, 0.233, 0.1}
                                             << QStringList{G, N, N};
    QTest::newRow("-10: yellow") << in << "1" << -10.0 << QList<double>{2.0 / 3, 1.0 / 6, 0.1}
                                 << QStringList{G, Y, N};
    QTest::newRow("-3: orange") << in << "1" << -3.0 << QList<double>{2.0 / 3, 14.0 / 60, 0.05}
                                << QStringList{G, Y, O};
    QTest::newRow("-60: unlit") << in << "1" << -60.0 << QList<double>{0.667, 0.233, 0.1}
                                << QStringList{N, N, N};
    QTest::newRow("output 24 up") << "Output 1" << "2" << -40.0 << QList<double>{2.0 / 3, 4.0 / 60, 0.1}
                                  << QStringList{G, Y, N};
    QTest::newRow("output of another type") << "Output 1" << "3" << -40.0
                                            << QList<double>{1.0 / 3, 0.233, 0.1} << QStringList{G, N, N};
    QTest::newRow("output of type 1") << "Output 1" << "1" << -40.0 << QList<double>{1.0 / 3, 0.233, 0.1}
                                      << QStringList{G, N, N};
}

void TestWMeter::segments()
{
    QFETCH(QString, title);
    QFETCH(QString, typenum);
    QFETCH(double, value);
    QFETCH(QList<double>, stops);
    QFETCH(QStringList, colours);
    MeterRig rig;
    HNode *pNode = rig.addBlock({QStringLiteral("title=") + title, "label=Level"});
    pNode->setTypenum(typenum);
    WMeter *pMeter = MeterRig::bind<WMeter>(rig.addMeter("meter", pNode, {}));
    QVERIFY(pMeter);
    deliver(pMeter, value);
    const Bar bar = barOf(pMeter);
    for (int i = 0; i < 3; ++i) {
        QVERIFY2(qAbs(bar.stops[i] - stops.at(i)) < 1e-6,
                 qPrintable(QStringLiteral("stop %1: %2").arg(i + 1).arg(bar.stops[i])));
        QCOMPARE(bar.colours[i], colours.at(i));
    }
    QVERIFY(pMeter->itemProperty("isPeakEnabled").toBool());
    QVERIFY(pMeter->peakFallTimer().isActive());
    QCOMPARE(pMeter->peakFallTimer().interval(), WMeter::PeakFallIntervalMs);
}

// After a device value drops below the peak, the peak stays through four
// updates and falls by 0.08 on each from the fifth, until the level meets it.
void TestWMeter::peakHoldsThenFalls()
{
    MeterRig rig;
    WMeter *pMeter = MeterRig::bind<WMeter>(rig.addMeter("meter", rig.addBlock(kInput), {}));
    QVERIFY(pMeter);
    // Set again, the transform still reaches the meter once per value.
    pMeter->setTransform(pMeter->transform());
    pMeter->setTransform(pMeter->transform());
    auto pointOf = [](double peak) { return (peak + 60.0 - 0.1) / 60.0; };
    deliver(pMeter, -10.0);
    QVERIFY(qAbs(peakPoint(pMeter) - pointOf(-10.0)) < 1e-9);
    for (int update = 1; update <= 4; ++update) {
        deliver(pMeter, -30.0);
        QVERIFY2(qAbs(peakPoint(pMeter) - pointOf(-10.0)) < 1e-9, qPrintable(QString::number(update)));
    }
    double expected = -10.0;
    for (int update = 5; update <= 8; ++update) {
        deliver(pMeter, -30.0);
        expected -= 0.08;
        QVERIFY2(qAbs(peakPoint(pMeter) - pointOf(expected)) < 1e-9, qPrintable(QString::number(update)));
    }
    // A level above the falling peak takes it.
    deliver(pMeter, -9.0);
    QVERIFY(qAbs(peakPoint(pMeter) - pointOf(-9.0)) < 1e-9);
}

// The peak starts at the bottom of the scale the panel file gives: the
// first level above it is the peak.
void TestWMeter::peakStartsAtTheBottomOfTheScale()
{
    MeterRig rig;
    WMeter *pMeter = MeterRig::bind<WMeter>(rig.addMeter("meter", rig.addBlock(kInput), {{"minimum", "-80"}}));
    QVERIFY(pMeter);
    deliver(pMeter, -70.0);
    QVERIFY2(qAbs(peakPoint(pMeter) - (10.0 - 0.1) / 80.0) < 1e-9, qPrintable(QString::number(peakPoint(pMeter))));
}

void TestWMeter::replyThatIsNoNumberLeavesTheBar_data()
{
    QTest::addColumn<QString>("reply");
    QTest::newRow("sync error") << "SYNC_ERROR";
    QTest::newRow("whole level list") << "GL 1 [a,b,c,d,e]";
    QTest::newRow("empty") << "";
}

// A reply that is no number gives no level: the bar and its peak stay.
void TestWMeter::replyThatIsNoNumberLeavesTheBar()
{
    QFETCH(QString, reply);
    MeterRig rig;
    WMeter *pMeter = MeterRig::bind<WMeter>(rig.addMeter("meter", rig.addBlock(kInput), {}));
    QVERIFY(pMeter);
    deliver(pMeter, -10.0);
    const Bar before = barOf(pMeter);
    const double peak = peakPoint(pMeter);
    pMeter->transform()->setReplyText(reply);
    const Bar after = barOf(pMeter);
    for (int i = 0; i < 3; ++i) {
        QCOMPARE(after.stops[i], before.stops[i]);
        QCOMPARE(after.colours[i], before.colours[i]);
    }
    QCOMPARE(peakPoint(pMeter), peak);
}

// With no device value for 2.5 s the shown peak sinks a dB each time, and
// stops at the bottom.
void TestWMeter::peakSinksInSilence()
{
    MeterRig rig;
    WMeter *pMeter = MeterRig::bind<WMeter>(rig.addMeter("meter", rig.addBlock(kInput), {}));
    QVERIFY(pMeter);
    deliver(pMeter, -10.0);
    // 2.5 s after the last device value, and every 2.5 s of silence after.
    QVERIFY(pMeter->peakFallTimer().isActive());
    QCOMPARE(pMeter->peakFallTimer().interval(), 2500);
    QVERIFY(!pMeter->peakFallTimer().isSingleShot());
    const double start = peakPoint(pMeter);
    pMeter->onSendDelayTimerTimeout();
    QVERIFY(qAbs(peakPoint(pMeter) - (start - 1.0 / 60.0)) < 1e-9);
    pMeter->setItemProperty("peakLevelPoint", 0.0);
    pMeter->onSendDelayTimerTimeout();
    QCOMPARE(peakPoint(pMeter), 0.0);
    // Half a dB above the bottom it sinks once more, a dB below it, and
    // then stays.
    pMeter->setItemProperty("peakLevelPoint", 0.5 / 60.0);
    pMeter->onSendDelayTimerTimeout();
    QVERIFY2(qAbs(peakPoint(pMeter) + 0.5 / 60.0) < 1e-9, qPrintable(QString::number(peakPoint(pMeter))));
    pMeter->onSendDelayTimerTimeout();
    QVERIFY(qAbs(peakPoint(pMeter) + 0.5 / 60.0) < 1e-9);
}

void TestWMeter::rangeOfOneValueShowsGrey()
{
    MeterRig rig;
    WMeter *pMeter = MeterRig::bind<WMeter>(rig.addMeter(
        "meter", rig.addBlock(kInput), {{"minimum", "-6"}, {"maximum", "-6"}, {"markerLevelPoint", "-6"}}));
    QVERIFY(pMeter);
    deliver(pMeter, -3.0);
    const Bar bar = barOf(pMeter);
    for (int i = 0; i < 3; ++i) {
        QVERIFY(std::isfinite(bar.stops[i]));
        QCOMPARE(bar.colours[i], N);
    }
    QVERIFY(std::isfinite(peakPoint(pMeter)));
    QVERIFY(std::isfinite(pMeter->itemProperty("markerLevelPoint").toDouble()));
    pMeter->onArxWebSocketUpdate(arxModel({0.5}, {}, {}));
    pMeter->onSendDelayTimerTimeout();
    QVERIFY(std::isfinite(peakPoint(pMeter)));
}

void TestWMeter::offlineGreysTheBar()
{
    MeterRig rig;
    WMeter *pMeter = MeterRig::bind<WMeter>(rig.addMeter("meter", rig.addBlock(kInput), {}));
    QVERIFY(pMeter);
    emit rig.protocol.onlineStateChanged(true);
    deliver(pMeter, -3.0);
    emit rig.protocol.onlineStateChanged(false);
    const Bar bar = barOf(pMeter);
    QCOMPARE(QStringList({bar.colours[0], bar.colours[1], bar.colours[2]}), QStringList({N, N, N}));
    QVERIFY(!pMeter->itemProperty("isPeakEnabled").toBool());
    QCOMPARE(peakPoint(pMeter), 0.0);
    QVERIFY(!pMeter->core().isPolling());
    // The peak starts again from the bottom.
    deliver(pMeter, -50.0);
    QVERIFY(qAbs(peakPoint(pMeter) - (10.0 - 0.1) / 60.0) < 1e-9);
}

// Level requests go out while the meter is shown and its device online,
// one at once and then at the rate; a hidden meter asks for nothing, also
// when its device comes online.
void TestWMeter::pollsOnlyShownAndOnline()
{
    MeterRig rig;
    HNode *pNode = rig.addBlock(kInput);
    WMeter *pHidden = MeterRig::bind<WMeter>(rig.addMeter("meter", pNode, {{"meterRate", "5x/s"}}), false);
    QVERIFY(pHidden);
    QVERIFY(pHidden->transform()->isSelected());
    QVERIFY(!pHidden->core().isPolling());
    emit rig.protocol.onlineStateChanged(true);
    QVERIFY(!pHidden->core().isPolling());
    QCOMPARE(rig.protocol.requests, 0);

    pHidden->setItemVisible(true);
    QCOMPARE(rig.protocol.requests, 1);
    QCOMPARE(rig.protocol.last, pHidden->transform());
    QVERIFY(pHidden->core().isPolling());
    QCOMPARE(pHidden->core().statusTimer().interval(), 200);
    QTRY_VERIFY(rig.protocol.requests >= 3);

    pHidden->setItemVisible(false);
    QVERIFY(!pHidden->core().isPolling());
    const int before = rig.protocol.requests;
    // Shown again: one at once.
    pHidden->setItemVisible(true);
    QCOMPARE(rig.protocol.requests, before + 1);
    // The QML item hidden by other means stops it as well.
    pHidden->item()->setVisible(false);
    QVERIFY(!pHidden->core().isPolling());
    pHidden->item()->setVisible(true);
    QVERIFY(pHidden->core().isPolling());
    emit rig.protocol.onlineStateChanged(false);
    QVERIFY(!pHidden->core().isPolling());

    // A transform not marked for level lists is never asked for.
    const int marked = rig.protocol.requests;
    pHidden->transform()->setSelected(false);
    pHidden->core().requestLevel();
    QCOMPARE(rig.protocol.requests, marked);
}

void TestWMeter::arxLevels_data()
{
    QTest::addColumn<int>("direction");
    QTest::addColumn<QString>("title");
    QTest::addColumn<int>("pin");
    QTest::addColumn<double>("g");          // -1: nothing shown
    QTest::addColumn<QStringList>("colours");
    QTest::addColumn<QString>("message");   // the debug or warning line
    QTest::addColumn<bool>("digitalCard");  // a card of the digital category
    const ArxWebSocketModel model = arxModel({0.5, 0.9}, {0.2, 0.95}, {0.5, 1.0});
    Q_UNUSED(model);
    QTest::newRow("analog input 0.5") << int(HAudioIO::Input) << "Analog In 1" << 0 << 0.5
                                      << QStringList{G, N, N} << "" << false;
    QTest::newRow("digital input by title") << int(HAudioIO::Input) << "Digital In 1" << 1 << 0.95
                                            << QStringList{G, Y, O} << "" << false;
    QTest::newRow("digital input by category") << int(HAudioIO::Input) << "In 1" << 0 << 0.2
                                               << QStringList{G, N, N} << "" << true;
    QTest::newRow("output 1.0") << int(HAudioIO::Output) << "Amp Output" << 1 << 1.0
                                << QStringList{G, Y, O} << "" << false;
    QTest::newRow("output beyond the list") << int(HAudioIO::Output) << "Amp Output" << 2 << -1.0
                                            << QStringList{} << "No output meter data available for arx channel 3"
                                            << false;
    QTest::newRow("digital input beyond the list")
        << int(HAudioIO::Input) << "In 1" << 2 << -1.0 << QStringList{}
        << "No digital input meter data available for arx channel 3" << true;
    QTest::newRow("no I/O index") << int(HAudioIO::Input) << "Analog In 1" << -1 << -1.0 << QStringList{}
                                  << "No analog input meter data available for arx channel 0" << false;
    QTest::newRow("neither input nor output") << int(HAudioIO::Unset) << "Amp Output" << 0 << -1.0
                                              << QStringList{} << "WMeter can't tell if it is input or output."
                                              << false;
}

void TestWMeter::arxLevels()
{
    QFETCH(int, direction);
    QFETCH(QString, title);
    QFETCH(int, pin);
    QFETCH(double, g);
    QFETCH(QStringList, colours);
    QFETCH(QString, message);
    QFETCH(bool, digitalCard);
    MeterRig rig;
    HNode *pCard = nullptr;
    if (digitalCard) {
        auto *pDigital = new DigitalInputCard;
        pDigital->setPinIndex(pin);
        pCard = rig.addNode(pDigital, {QStringLiteral("title=") + title}, nullptr);
    } else {
        pCard = rig.addCard(direction, pin, {QStringLiteral("title=") + title});
    }
    WMeter *pMeter = MeterRig::bind<WMeter>(rig.addMeter("meter", pCard, {}));
    QVERIFY(pMeter);
    const Bar before = barOf(pMeter);
    if (!message.isEmpty())
        QTest::ignoreMessage(direction == HAudioIO::Unset ? QtWarningMsg : QtDebugMsg, qPrintable(message));
    pMeter->onArxWebSocketUpdate(arxModel({0.5, 0.9}, {0.2, 0.95}, {0.5, 1.0}));
    const Bar bar = barOf(pMeter);
    if (g < 0) {
        for (int i = 0; i < 3; ++i) {
            QCOMPARE(bar.stops[i], before.stops[i]);
            QCOMPARE(bar.colours[i], before.colours[i]);
        }
        QVERIFY(!pMeter->itemProperty("isPeakEnabled").toBool());
        return;
    }
    QCOMPARE(QStringList({bar.colours[0], bar.colours[1], bar.colours[2]}), colours);
    if (colours.at(1) == N)
        QVERIFY(qAbs(bar.stops[0] - g) < 1e-9);
    else
        QVERIFY(qAbs(bar.stops[0] - 2.0 / 3) < 1e-9);
    if (colours.at(2) == O)
        QVERIFY(qAbs(bar.stops[2] - (60.0 * g - 54.0) / 60.0) < 1e-9);
    QVERIFY(qAbs(peakPoint(pMeter) - g) < 1e-9);
}

// An ARX peak above the level holds for 30 updates, then falls 0.001 on each.
void TestWMeter::arxPeakHoldsThirtyUpdates()
{
    MeterRig rig;
    HNode *pCard = rig.addCard(HAudioIO::Output, 0, {"title=Amp Output"});
    WMeter *pMeter = MeterRig::bind<WMeter>(rig.addMeter("meter", pCard, {}));
    QVERIFY(pMeter);
    pMeter->onArxWebSocketUpdate(arxModel({}, {}, {0.8}));
    for (int update = 1; update <= 30; ++update) {
        pMeter->onArxWebSocketUpdate(arxModel({}, {}, {0.5}));
        QVERIFY2(qAbs(peakPoint(pMeter) - 0.8) < 1e-12, qPrintable(QString::number(update)));
    }
    pMeter->onArxWebSocketUpdate(arxModel({}, {}, {0.5}));
    QVERIFY(qAbs(peakPoint(pMeter) - 0.799) < 1e-12);
    pMeter->onArxWebSocketUpdate(arxModel({}, {}, {0.5}));
    QVERIFY(qAbs(peakPoint(pMeter) - 0.798) < 1e-12);
    // A level that meets the held peak holds it afresh.
    pMeter->onArxWebSocketUpdate(arxModel({}, {}, {0.9}));
    for (int update = 1; update <= 5; ++update)
        pMeter->onArxWebSocketUpdate(arxModel({}, {}, {0.5}));
    QCOMPARE(pMeter->core().arxPeak().hold, WMeterCore::ArxPeak::HoldUpdates - 5);
    pMeter->onArxWebSocketUpdate(arxModel({}, {}, {0.9}));
    QCOMPARE(pMeter->core().arxPeak().hold, WMeterCore::ArxPeak::HoldUpdates);
}

// However often the transform is set, one model is shown once; a
// disconnected feed greys the bar until the next model.
void TestWMeter::arxConnectsOnceAndGreysOnDisconnect()
{
    MeterRig rig;
    HChassis *pChassis = new HChassis;
    NodeProperties::read(*pChassis, {"title=ARX-4800", "label=Stage Amplifier", "ipAddress=127.0.0.1"});
    rig.device.addChild(pChassis);
    HNode *pCard = rig.addCard(HAudioIO::Output, 0, {"title=Amp Output"}, pChassis);
    pCard->setProtocol(&rig.protocol);
    CControl *pControl = rig.addMeter("meter", pCard, {});
    WMeter *pMeter = MeterRig::bind<WMeter>(pControl);
    QVERIFY(pMeter);
    QCOMPARE(pMeter->core().arxRepository(), pChassis->arxModelRepository());
    pMeter->setTransform(pControl->transform());
    pMeter->setTransform(pControl->transform());

    ArxModelRepository *pRepository = pChassis->arxModelRepository();
    emit pRepository->audioModelUpdate(arxModel({}, {}, {0.9}));
    emit pRepository->audioModelUpdate(arxModel({}, {}, {0.5}));
    // One update each: the hold counted down once.
    QCOMPARE(pMeter->core().arxPeak().hold, WMeterCore::ArxPeak::HoldUpdates - 1);
    QCOMPARE(barOf(pMeter).colours[0], G);

    emit pRepository->websocketDisconnect();
    const Bar bar = barOf(pMeter);
    QCOMPARE(QStringList({bar.colours[0], bar.colours[1], bar.colours[2]}), QStringList({N, N, N}));
    emit pRepository->audioModelUpdate(arxModel({}, {}, {0.5}));
    QCOMPARE(barOf(pMeter).colours[0], G);
}

void TestWMeter::placeholders_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<QString>("channelName");
    QTest::newRow("label") << "block" << "*LABEL*" << "Mic In" << "";
    QTest::newRow("label inside text") << "block" << "Level of *LABEL*" << "Level of Mic In" << "";
    QTest::newRow("usb") << "usb" << "*USB*" << "USB Out Laptop R" << "";
    QTest::newRow("title of a block") << "block" << "*TITLE*" << "Meter 2" << "";
    QTest::newRow("title of a link") << "link" << "*TITLE*" << "Link-Lobby" << "Link-Lobby";
    QTest::newRow("channel label of Dante") << "dante" << "*CHLABEL*" << "Stage L" << "Stage L";
    QTest::newRow("channel label elsewhere") << "block" << "*CHLABEL*" << "*CHLABEL*" << "";
    QTest::newRow("plain") << "block" << "Level" << "Level" << "";
}

void TestWMeter::placeholders()
{
    QFETCH(QString, kind);
    QFETCH(QString, text);
    QFETCH(QString, shown);
    QFETCH(QString, channelName);
    MeterRig rig;
    HNode *pNode = nullptr;
    MeterLeaves binding;
    if (kind == QLatin1String("usb")) {
        pNode = rig.addBlock({"title=USB Out", "label=USB Out", "label1=Laptop L", "label2=Laptop R"});
    } else if (kind == QLatin1String("link")) {
        pNode = rig.addNode(new HDXRLink, {"title=DXRLink In", "label=Link", "label1=Foyer",
                                           "label2=Lobby"}, nullptr);
    } else if (kind == QLatin1String("dante")) {
        pNode = rig.addNode(new HDante(QStringLiteral("DANTE-16"), HAudioIO::Input),
                            {"title=Dante 16", "label=Dante"}, nullptr);
        binding = {{"channelLabel", "Stage L"}};
    } else {
        pNode = rig.addBlock(kInput);
    }
    WMeter *pMeter = MeterRig::bind<WMeter>(
        rig.addMeter("meter", pNode, {{"text", text}, {"indexOffset", "1"}}, QStringLiteral("Meter 2"), binding));
    QVERIFY(pMeter);
    QCOMPARE(pMeter->itemText(), shown);
    QCOMPARE(pMeter->channelName(), channelName);
    QCOMPARE(pMeter->transform()->ownText(), channelName);
    QCOMPARE(pMeter->transform()->usbChannel(), 1);
}

void TestWMeter::savesWhatItReads()
{
    MeterRig rig;
    HNode *pNode = rig.addBlock(kInput);
    const MeterLeaves leaves = {{"id", "7"},           {"text", "Mic"},        {"color", "#102030"},
                                {"minimum", "-40"},    {"maximum", "10"},      {"colorBreakValue1", "-15"},
                                {"colorBreakValue2", "0"}, {"unitsText", "dBu"}, {"markerLevelPoint", "-5"},
                                {"meterRate", "3x/s"}, {"channelName", "In-Ch 2"}, {"indexOffset", "2"}};
    CControl *pControl = rig.addMeter("meter", pNode, leaves, QStringLiteral("Meter"), {{"cardPin", "5"}});
    WMeter *pMeter = MeterRig::bind<WMeter>(pControl);
    QVERIFY(pMeter);
    QCOMPARE(pMeter->minimum(), -40.0);
    QCOMPARE(pMeter->maximum(), 10.0);
    QCOMPARE(pMeter->unitsText(), QStringLiteral("dBu"));
    QCOMPARE(pMeter->itemProperty("markerLevelPoint").toDouble(), 35.0 / 50.0);
    QCOMPARE(pMeter->transform()->danteChannel(), 5);
    QCOMPARE(pMeter->transform()->ownText(), QStringLiteral("In-Ch 2"));
    // The gauge reads the scale from the widget.
    QQuickItem *pGauge = pMeter->item()->findChild<QQuickItem *>(QStringLiteral("gauge"));
    QVERIFY(pGauge);
    QCOMPARE(pGauge->property("minimumValue").toDouble(), -40.0);
    QCOMPARE(pGauge->property("unitsText").toString(), QStringLiteral("dBu"));

    const QMap<QString, QString> saved = MeterRig::saved(pMeter);
    QCOMPARE(saved.value("text"), QStringLiteral("Mic"));
    QCOMPARE(saved.value("color"), QStringLiteral("#102030"));
    QCOMPARE(saved.value("minimum").toDouble(), -40.0);
    QCOMPARE(saved.value("colorBreakValue2").toDouble(), 0.0);
    QCOMPARE(saved.value("unitsText"), QStringLiteral("dBu"));
    QCOMPARE(saved.value("markerLevelPoint").toDouble(), -5.0);
    QCOMPARE(saved.value("meterRate"), QStringLiteral("3x/s"));
    QCOMPARE(saved.value("channelName"), QStringLiteral("In-Ch 2"));
    QCOMPARE(saved.value("indexOffset"), QStringLiteral("2"));

    // Without a node the scale is not taken.
    MeterRig other;
    WMeter *pLoose = MeterRig::bind<WMeter>(other.addMeter("meter", nullptr, {{"minimum", "-10"}}));
    QVERIFY(pLoose);
    QCOMPARE(pLoose->minimum(), -60.0);
}

void TestWMeter::optionalElements_data()
{
    // The attributes read ("name=value"); the index offset then; what is
    // saved under the element's name (empty: no such element).
    QTest::addColumn<QStringList>("read");
    QTest::addColumn<int>("offset");
    QTest::addColumn<QString>("element");
    QTest::addColumn<QString>("saved");
    QTest::newRow("indexOffset 10") << QStringList{"indexOffset=10"} << 10 << "indexOffset" << "10";
    QTest::newRow("indexOffset 0") << QStringList{"indexOffset=0"} << 0 << "indexOffset" << "";
    QTest::newRow("indexOffset below 0") << QStringList{"indexOffset=-2"} << -2 << "indexOffset" << "";
    QTest::newRow("indexOffset in hex") << QStringList{"indexOffset=1A"} << 0 << "indexOffset" << "";
    QTest::newRow("channelName") << QStringList{"channelName=In-Ch 7"} << 0 << "channelName" << "In-Ch 7";
    QTest::newRow("channelName empty") << QStringList{"channelName="} << 0 << "channelName" << "";
    QTest::newRow("marker") << QStringList{"markerLevelPoint=-12"} << 0 << "markerLevelPoint" << "-12";
    QTest::newRow("no marker") << QStringList{} << 0 << "markerLevelPoint" << "";
}

// Index offset, channel name and marker are saved only when they say
// something.
void TestWMeter::optionalElements()
{
    QFETCH(QStringList, read);
    QFETCH(int, offset);
    QFETCH(QString, element);
    QFETCH(QString, saved);
    MeterLeaves leaves;
    for (const QString &attribute : std::as_const(read))
        leaves.append({attribute.section(QLatin1Char('='), 0, 0), attribute.section(QLatin1Char('='), 1)});
    MeterRig rig;
    WMeter *pMeter = MeterRig::bind<WMeter>(rig.addMeter("meter", rig.addBlock(kInput), leaves));
    QVERIFY(pMeter);
    QCOMPARE(pMeter->indexOffset(), offset);
    const QMap<QString, QString> elements = MeterRig::saved(pMeter);
    QVERIFY(elements.contains(QStringLiteral("meterRate")));
    if (saved.isEmpty())
        QVERIFY2(!elements.contains(element), qPrintable(elements.value(element)));
    else if (element == QLatin1String("markerLevelPoint"))
        QVERIFY(qAbs(elements.value(element).toDouble() - saved.toDouble()) < 1e-4);
    else
        QCOMPARE(elements.value(element), saved);
}

void TestWMeter::markerIsClamped_data()
{
    QTest::addColumn<QString>("level");
    QTest::addColumn<double>("point");
    QTest::addColumn<double>("saved");
    QTest::newRow("-30, half way") << "-30" << 0.5 << -30.0;
    QTest::newRow("above the top") << "10" << 1.0 << 0.0;
    QTest::newRow("below the bottom") << "-75" << 0.0 << -60.0;
}

// The marker stays on the scale, and is saved where it is shown.
void TestWMeter::markerIsClamped()
{
    QFETCH(QString, level);
    QFETCH(double, point);
    QFETCH(double, saved);
    MeterRig rig;
    WMeter *pMeter =
        MeterRig::bind<WMeter>(rig.addMeter("meter", rig.addBlock(kInput), {{"markerLevelPoint", level}}));
    QVERIFY(pMeter);
    QVERIFY(pMeter->itemProperty("isMarkerEnabled").toBool());
    QVERIFY(qAbs(pMeter->itemProperty("markerLevelPoint").toDouble() - point) < 1e-9);
    QVERIFY(qAbs(MeterRig::saved(pMeter).value("markerLevelPoint").toDouble() - saved) < 1e-4);
}

// Two meters of one parameter share its transform: the one without a
// channel name leaves the other's on it.
void TestWMeter::sharedTransformKeepsItsChannelName()
{
    MeterRig rig;
    HNode *pNode = rig.addBlock(kInput);
    WMeter *pNamed = MeterRig::bind<WMeter>(rig.addMeter("meter", pNode, {{"channelName", "In-Ch 2"}}));
    WMeter *pPlain = MeterRig::bind<WMeter>(rig.addMeter("meter", pNode, {}));
    QVERIFY(pNamed && pPlain);
    QCOMPARE(pPlain->transform(), pNamed->transform());
    QCOMPARE(pNamed->transform()->ownText(), QStringLiteral("In-Ch 2"));
}

// The gauge's figures run from the minimum at the foot of the bar to the
// maximum at its head.
void TestWMeter::scaleFiguresSpanTheBar()
{
    MeterRig rig;
    WMeter *pMeter = MeterRig::bind<WMeter>(
        rig.addMeter("meter", rig.addBlock(kInput), {{"minimum", "-40"}, {"maximum", "10"}}));
    QVERIFY(pMeter);
    QQuickItem *pGauge = pMeter->item()->findChild<QQuickItem *>(QStringLiteral("gauge"));
    QQuickItem *pBar = pMeter->item()->findChild<QQuickItem *>(QStringLiteral("bar"));
    QVERIFY(pGauge && pBar);
    QMap<int, double> figures; // value -> y in the bar
    // The figures come from a repeater: visual children, not object ones.
    QList<QQuickItem *> items = pGauge->childItems();
    for (int i = 0; i < items.size(); ++i)
        items += items.at(i)->childItems();
    for (QQuickItem *pItem : std::as_const(items)) {
        bool ok = false;
        const int value = pItem->property("text").toString().toInt(&ok);
        if (ok && pItem->inherits("QQuickText"))
            figures.insert(value, pItem->mapToItem(pBar, QPointF(0, pItem->height() / 2)).y());
    }
    QCOMPARE(figures.keys(), (QList<int>{-40, -30, -20, -10, 0, 10}));
    QVERIFY(pBar->height() > 100);
    QVERIFY2(qAbs(figures.value(-40) - pBar->height()) < 8, qPrintable(QString::number(figures.value(-40))));
    QVERIFY(qAbs(figures.value(10)) < 8);
    QVERIFY(figures.value(-10) > figures.value(0));
}

// The gauge draws what the meter sets: the segments stacked from the foot
// of the bar in their colours, the peak line at the peak, the marker at
// its level, the units underneath.
void TestWMeter::gaugeDrawsTheBar()
{
    MeterRig rig;
    WMeter *pMeter =
        MeterRig::bind<WMeter>(rig.addMeter("meter", rig.addBlock(kInput), {{"markerLevelPoint", "-15"}}));
    QVERIFY(pMeter);
    auto part = [pMeter](const char *name) {
        return pMeter->item()->findChild<QQuickItem *>(QString::fromLatin1(name));
    };
    QQuickItem *pBar = part("bar");
    QQuickItem *pSegments[] = {part("segment1"), part("segment2"), part("segment3")};
    QQuickItem *pPeak = part("peak");
    QQuickItem *pMarker = part("marker");
    QQuickItem *pUnits = part("unitsLine");
    QVERIFY(pBar && pSegments[0] && pSegments[1] && pSegments[2] && pPeak && pMarker && pUnits);
    QVERIFY(pBar->height() > 100);
    // Before any level: no peak line; the units a meter has unless told.
    QVERIFY(!pPeak->isVisible());
    QCOMPARE(pUnits->property("text").toString(), QStringLiteral("dBFS"));
    // The marker's middle at -15, three quarters up.
    QVERIFY(pMarker->isVisible());
    const double scale = pMarker->parentItem()->height();
    QVERIFY2(qAbs(pMarker->y() + pMarker->height() / 2 - scale * 0.25) < 1.5,
             qPrintable(QString::number(pMarker->y())));

    deliver(pMeter, -3.0);
    const double h = pBar->height();
    const double lengths[] = {2.0 / 3, 14.0 / 60, 0.05};
    const QString colours[] = {G, Y, O};
    double foot = h;
    for (int i = 0; i < 3; ++i) {
        QQuickItem *pSegment = pSegments[i];
        const QString what =
            QStringLiteral("segment %1: y %2 height %3").arg(i + 1).arg(pSegment->y()).arg(pSegment->height());
        QVERIFY2(qAbs(pSegment->height() - h * lengths[i]) < 1.5, qPrintable(what));
        QVERIFY2(qAbs(pSegment->y() + pSegment->height() - foot) < 1.5, qPrintable(what));
        QCOMPARE(pSegment->property("color").value<QColor>().name(), colours[i]);
        foot = pSegment->y();
    }
    QVERIFY(pPeak->isVisible());
    const double peakY = h * (1.0 - peakPoint(pMeter));
    QVERIFY2(qAbs(pPeak->y() + pPeak->height() / 2 - peakY) < 1.5, qPrintable(QString::number(pPeak->y())));

    // Offline: the peak line goes.
    emit rig.protocol.onlineStateChanged(false);
    QVERIFY(!pPeak->isVisible());
}

VR_TEST_MAIN(TestWMeter)
#include "tst_wmeter.moc"
