#include "VrTest.h"

#include "ButtonRig.h"
#include "DeviceLink.h"
#include "comms/TTransform.h"
#include "devices/HDXRLink.h"
#include "project/XmlWriter.h"
#include "widgets/WLevelButtons.h"

#include <QBuffer>
#include <QColor>
#include <QElapsedTimer>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QXmlStreamReader>

namespace {

constexpr int Patience = 5000;
const QStringList kMusicGain = {QStringLiteral("title=Gain"), QStringLiteral("label=Music Gain")};
const Leaves kGainRange = {{"index1", "1"}, {"minimum", "-60"}, {"maximum", "12"}, {"step", "0.5"},
                           {"units", "dB"}, {"format", "nn.n"}, {"transform", "strV"}};
const Leaves kTenSteps = {{"index1", "1"}, {"minimum", "0"}, {"maximum", "10"}, {"step", "1"},
                          {"format", "nn.n"}, {"transform", "strV"}};

CControl *addLevels(ButtonRig &rig, HNode *pNode, const Leaves &range, const Leaves &leaves = {},
                    const QString &name = QStringLiteral("Level"))
{
    return rig.addControl(QStringLiteral("LevelButtons"), QStringLiteral("levelbutton"), pNode,
                          QStringLiteral("range"), range, Leaves{{"height", "150"}} + leaves, name);
}

QQuickItem *stepButton(const WLevelButtons *pLevels, const char *name)
{
    return pLevels->item() ? pLevels->item()->findChild<QQuickItem *>(QLatin1String(name)) : nullptr;
}

int itemValue(const WLevelButtons *pLevels)
{
    return pLevels->itemProperty("value").toInt();
}

} // namespace

// Hands each change of the item's value to the native side as a step, as a
// change handler in the item would.
class StepReporter : public QObject
{
    Q_OBJECT

public:
    explicit StepReporter(WLevelButtons *pLevels)
        : m_pLevels(pLevels)
    {
        connect(pLevels->item(), SIGNAL(valueChanged()), this, SLOT(report()));
    }

public slots:
    void report() { m_pLevels->outputValue(itemValue(m_pLevels)); }

private:
    WLevelButtons *m_pLevels;
};

// The times, since it was made, at which a signal of the item came.
class ChangeClock : public QObject
{
    Q_OBJECT

public:
    ChangeClock(QObject *pSource, const char *signal)
    {
        m_clock.start();
        connect(pSource, signal, this, SLOT(record()));
    }

    QList<qint64> times;

public slots:
    void record() { times.append(m_clock.elapsed()); }

private:
    QElapsedTimer m_clock;
};

class TestWLevelButtons : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { WWidgetFactory::registerWidgetTypes(); }
    void shippedItem();
    void valueText_data();
    void valueText();
    void replyClampedToTheRange_data();
    void replyClampedToTheRange();
    void everyStepIsSentAtOnce();
    void limitIsSentAgain();
    void stepsNearTheLimits_data();
    void stepsNearTheLimits();
    void flashAndHoldRepeat();
    void timersRunTheirOwnIntervals();
    void twoQuickClicksReachTheDevice();
    void deviceValueMovesTheItemOnly();
    void attributes();
    void savedAndReadBack();
    void textMarkers_data();
    void textMarkers();
    void typeNames();
};

void TestWLevelButtons::shippedItem()
{
    QTest::failOnWarning(QRegularExpression(QStringLiteral(".*")));
    ButtonRig rig;
    auto *pLevels = ButtonRig::bind<WLevelButtons>(addLevels(rig, rig.addBlock(kMusicGain), kGainRange));
    QVERIFY(pLevels && pLevels->item());
    for (const char *name : {"value", "minimumValue", "maximumValue", "knobColor", "hasBorder",
                             "isCircularEnabled", "text", "valueText"})
        QVERIFY2(pLevels->item()->metaObject()->indexOfProperty(name) >= 0, name);
    QVERIFY(stepButton(pLevels, "upButton"));
    QVERIFY(stepButton(pLevels, "downButton"));
    QCOMPARE(pLevels->itemProperty("minimumValue").toDouble(), -120.0);
    QCOMPARE(pLevels->itemProperty("maximumValue").toDouble(), 24.0);
}

void TestWLevelButtons::valueText_data()
{
    QTest::addColumn<Leaves>("range");
    QTest::addColumn<double>("position");
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("number");

    QTest::newRow("half dB steps") << kGainRange << 10.0 << "5.0" << 5.0;
    QTest::newRow("negative") << kGainRange << -121.0 << "-60.5" << -60.5;
    QTest::newRow("whole steps") << kTenSteps << 10.0 << "10.0" << 10.0;
    const Leaves percent = {{"index1", "1"}, {"minimum", "0"}, {"maximum", "100"}, {"step", "1"},
                            {"units", "pct"}, {"transform", "strV"}};
    QTest::newRow("percent") << percent << 25.0 << "25%" << 25.0;
    const Leaves offset = {{"index1", "1"}, {"minimum", "20"}, {"maximum", "60"}, {"step", "1"},
                           {"units", "pct"}, {"transform", "strV"}};
    QTest::newRow("percent of an offset range") << offset << 30.0 << "25%" << 25.0;
    // A range of one value has no share to show: never a division by zero.
    const Leaves single = {{"index1", "1"}, {"minimum", "50"}, {"maximum", "50"}, {"step", "1"},
                           {"units", "pct"}, {"transform", "strV"}};
    QTest::newRow("percent, one value") << single << 50.0 << "0%" << 0.0;
}

void TestWLevelButtons::valueText()
{
    QFETCH(Leaves, range);
    QFETCH(double, position);
    QFETCH(QString, text);
    QFETCH(double, number);

    ButtonRig rig;
    auto *pLevels = ButtonRig::bind<WLevelButtons>(addLevels(rig, rig.addBlock(kMusicGain), range));
    QVERIFY(pLevels);
    QCOMPARE(pLevels->valueText(position), number);
    QCOMPARE(pLevels->itemProperty("valueText").toString(), text);
}

void TestWLevelButtons::replyClampedToTheRange_data()
{
    QTest::addColumn<QString>("reply");
    QTest::addColumn<int>("value");
    QTest::addColumn<QString>("text");

    QTest::newRow("above") << "200" << 100 << "100.0";
    QTest::newRow("below") << "-5" << 0 << "0.0";
    QTest::newRow("inside") << "42" << 42 << "42.0";
}

// A device value shows at its place in the range, or at the nearer limit;
// nothing is sent for it.
void TestWLevelButtons::replyClampedToTheRange()
{
    QFETCH(QString, reply);
    QFETCH(int, value);
    QFETCH(QString, text);

    ButtonRig rig;
    const Leaves range = {{"index1", "1"}, {"minimum", "0"}, {"maximum", "100"}, {"step", "1"},
                          {"format", "nn.n"}, {"transform", "strV"}};
    auto *pLevels = ButtonRig::bind<WLevelButtons>(addLevels(rig, rig.addBlock(kMusicGain), range));
    QVERIFY(pLevels);
    pLevels->transform()->setReplyText(reply);
    QCOMPARE(itemValue(pLevels), value);
    QCOMPARE(pLevels->itemProperty("valueText").toString(), text);
    QVERIFY(rig.protocol.sends.isEmpty());
}

// No send delay, no test for an unchanged value, whatever isSendNeeded says.
void TestWLevelButtons::everyStepIsSentAtOnce()
{
    ButtonRig rig;
    auto *pLevels = ButtonRig::bind<WLevelButtons>(addLevels(rig, rig.addBlock(kMusicGain), kGainRange));
    QVERIFY(pLevels);
    pLevels->outputValue(10);
    QCOMPARE(rig.protocol.sentTexts(), QStringList{"5.0"});
    QVERIFY(!pLevels->hasPendingValue());
    QCOMPARE(pLevels->value(), 5.0f);
    QCOMPARE(pLevels->itemProperty("valueText").toString(), QStringLiteral("5.0"));
    pLevels->outputValue(10);
    pLevels->setIsSendNeeded(false);
    pLevels->outputValue(11);
    QCOMPARE(rig.protocol.sentTexts(), (QStringList{"5.0", "5.0", "5.5"}));
    QCOMPARE(pLevels->itemProperty("valueText").toString(), QStringLiteral("5.5"));

    // Without a protocol the value is taken, nothing is sent.
    pLevels->setProtocol(nullptr);
    pLevels->outputValue(12);
    QCOMPARE(pLevels->value(), 6.0f);
    QCOMPARE(rig.protocol.sends.size(), 3);
}

// "+" at the maximum keeps the value and sends it again; "-" likewise at
// the minimum.
void TestWLevelButtons::limitIsSentAgain()
{
    ButtonRig rig;
    auto *pLevels = ButtonRig::bind<WLevelButtons>(addLevels(rig, rig.addBlock(kMusicGain), kTenSteps));
    QVERIFY(pLevels);
    QVERIFY(rig.showWindow());
    pLevels->transform()->setReplyText(QStringLiteral("10.0"));
    QCOMPARE(itemValue(pLevels), 10);
    rig.click(ButtonRig::centreOf(stepButton(pLevels, "upButton")));
    QCOMPARE(itemValue(pLevels), 10);
    QCOMPARE(rig.protocol.sentTexts(), QStringList{"10.0"});
    rig.click(ButtonRig::centreOf(stepButton(pLevels, "downButton")));
    QCOMPARE(itemValue(pLevels), 9);
    QCOMPARE(rig.protocol.sentTexts(), (QStringList{"10.0", "9.0"}));

    pLevels->setItemProperty("value", 0);
    rig.click(ButtonRig::centreOf(stepButton(pLevels, "downButton")));
    QCOMPARE(itemValue(pLevels), 0);
    QCOMPARE(rig.protocol.sentTexts().constLast(), QStringLiteral("0.0"));
}

void TestWLevelButtons::stepsNearTheLimits_data()
{
    QTest::addColumn<Leaves>("range");
    QTest::addColumn<int>("start");
    QTest::addColumn<QString>("button");
    QTest::addColumn<int>("value");
    QTest::addColumn<QString>("sent");

    const Leaves between = {{"index1", "1"}, {"minimum", "-60.25"}, {"maximum", "12.25"}, {"step", "0.5"},
                            {"format", "nn.n"}, {"transform", "strV"}};
    QTest::newRow("+ onto the maximum") << kTenSteps << 9 << "upButton" << 10 << "10.0";
    QTest::newRow("+ at the maximum") << kTenSteps << 10 << "upButton" << 10 << "10.0";
    QTest::newRow("- onto the minimum") << kTenSteps << 1 << "downButton" << 0 << "0.0";
    QTest::newRow("- at the minimum") << kTenSteps << 0 << "downButton" << 0 << "0.0";
    QTest::newRow("- onto a negative minimum") << kGainRange << -119 << "downButton" << -120 << "-60.0";
    QTest::newRow("- at a negative minimum") << kGainRange << -120 << "downButton" << -120 << "-60.0";
    // Limits between two steps: the last whole step inside is the limit.
    QTest::newRow("- onto a minimum between steps") << between << -119 << "downButton" << -120 << "-60.0";
    QTest::newRow("- at a minimum between steps") << between << -120 << "downButton" << -120 << "-60.0";
    QTest::newRow("+ at a maximum between steps") << between << 24 << "upButton" << 24 << "12.0";
}

// One click of the item's button beside a limit: the value reaches the
// limit, never passes it, and is sent either way.
void TestWLevelButtons::stepsNearTheLimits()
{
    QFETCH(Leaves, range);
    QFETCH(int, start);
    QFETCH(QString, button);
    QFETCH(int, value);
    QFETCH(QString, sent);

    ButtonRig rig;
    auto *pLevels = ButtonRig::bind<WLevelButtons>(addLevels(rig, rig.addBlock(kMusicGain), range));
    QVERIFY(pLevels);
    QVERIFY(rig.showWindow());
    pLevels->setItemProperty("value", start);
    rig.click(ButtonRig::centreOf(stepButton(pLevels, button.toLatin1().constData())));
    QCOMPARE(itemValue(pLevels), value);
    QCOMPARE(rig.protocol.sentTexts(), QStringList{sent});
}

// A click lights the button for a moment; held down, it steps on until
// let go.
void TestWLevelButtons::flashAndHoldRepeat()
{
    ButtonRig rig;
    auto *pLevels = ButtonRig::bind<WLevelButtons>(addLevels(rig, rig.addBlock(kMusicGain), kGainRange));
    QVERIFY(pLevels);
    QVERIFY(rig.showWindow());
    QQuickItem *pUp = stepButton(pLevels, "upButton");
    const int start = itemValue(pLevels) - 20;
    pLevels->setItemProperty("value", start);

    rig.click(ButtonRig::centreOf(pUp));
    QVERIFY(pUp->property("flash").toBool());
    QTRY_VERIFY_WITH_TIMEOUT(!pUp->property("flash").toBool(), Patience);
    QCOMPARE(itemValue(pLevels), start + 1);
    QSignalSpy still(pLevels->item(), SIGNAL(valueChanged()));
    QVERIFY(!still.wait(500));

    rig.press(ButtonRig::centreOf(pUp));
    QTRY_VERIFY_WITH_TIMEOUT(itemValue(pLevels) >= start + 4, Patience);
    rig.release(ButtonRig::centreOf(pUp));
    const int held = itemValue(pLevels);
    QCOMPARE(rig.protocol.sends.size(), held - start);
    QSignalSpy stopped(pLevels->item(), SIGNAL(valueChanged()));
    QVERIFY(!stopped.wait(500));
    QCOMPARE(rig.protocol.sends.size(), held - start);
}

// The item's own timers: a click lights its button for 100 ms, a held
// button steps again every 200 ms. Measured loosely beside each value, so
// that neither runs ten times too fast or too slow.
void TestWLevelButtons::timersRunTheirOwnIntervals()
{
    ButtonRig rig;
    auto *pLevels = ButtonRig::bind<WLevelButtons>(addLevels(rig, rig.addBlock(kMusicGain), kGainRange));
    QVERIFY(pLevels);
    QVERIFY(rig.showWindow());
    for (const char *name : {"upButton", "downButton"}) {
        QQuickItem *pButton = stepButton(pLevels, name);
        QVERIFY(pButton);
        auto *pFlash = pButton->findChild<QObject *>(QStringLiteral("flashTimer"));
        auto *pHold = pButton->findChild<QObject *>(QStringLiteral("holdTimer"));
        QVERIFY2(pFlash && pHold, name);
        QCOMPARE(pFlash->property("interval").toInt(), 100);
        QVERIFY(!pFlash->property("repeat").toBool());
        QCOMPARE(pHold->property("interval").toInt(), 200);
        QVERIFY(!pHold->property("repeat").toBool());
    }

    QQuickItem *pUp = stepButton(pLevels, "upButton");
    const QPointF centre = ButtonRig::centreOf(pUp);
    pLevels->setItemProperty("value", -100);
    ChangeClock flashes(pUp, SIGNAL(flashChanged()));
    rig.click(centre);
    QVERIFY(pUp->property("flash").toBool());
    QTRY_COMPARE_WITH_TIMEOUT(flashes.times.size(), 2, Patience);
    const qint64 lit = flashes.times.at(1) - flashes.times.at(0);
    QVERIFY2(lit >= 50 && lit < 900, qPrintable(QStringLiteral("lit for %1 ms").arg(lit)));

    // Held: the first step at once, then one step each interval.
    pLevels->setItemProperty("value", -100);
    ChangeClock steps(pLevels->item(), SIGNAL(valueChanged()));
    rig.press(centre);
    QCOMPARE(itemValue(pLevels), -99);
    QTRY_VERIFY_WITH_TIMEOUT(steps.times.size() >= 4, Patience);
    rig.release(centre);
    for (qsizetype i = 1; i < 4; ++i) {
        const qint64 gap = steps.times.at(i) - steps.times.at(i - 1);
        QVERIFY2(gap >= 100 && gap < 1000, qPrintable(QStringLiteral("steps %1 ms apart").arg(gap)));
    }
}

// Two clicks well within the fader's send delay: two set commands.
void TestWLevelButtons::twoQuickClicksReachTheDevice()
{
    DeviceLink link;
    QVERIFY(link.open());
    link.device.setValue("GA\"Music Gain\">1", "-10.0");
    ButtonRig rig;
    HNode *pNode = rig.addBlock(kMusicGain);
    pNode->setProtocol(&link.protocol);
    auto *pLevels = ButtonRig::bind<WLevelButtons>(addLevels(rig, pNode, kGainRange));
    QVERIFY(pLevels);
    QVERIFY(rig.showWindow());
    QTRY_COMPARE_WITH_TIMEOUT(itemValue(pLevels), -20, Patience);

    const QPointF up = ButtonRig::centreOf(stepButton(pLevels, "upButton"));
    rig.click(up);
    rig.click(up);
    QTRY_COMPARE_WITH_TIMEOUT(link.sets().size(), 2, Patience);
    QCOMPARE(link.sets(), (QList<QByteArray>{"SA \"Music Gain\">1=-9.5", "SA \"Music Gain\">1=-9.0"}));
    QCOMPARE(link.device.value("GA\"Music Gain\">1"), QByteArray("-9.0"));
}

// A value the device reports moves the item and its text and sends
// nothing back.
void TestWLevelButtons::deviceValueMovesTheItemOnly()
{
    DeviceLink link(true);
    QVERIFY(link.open());
    const QByteArray key = "GA\"Music Gain\">1";
    link.device.setValue(key, "-10.0");
    ButtonRig rig;
    HNode *pNode = rig.addBlock(kMusicGain);
    pNode->setProtocol(&link.protocol);
    auto *pLevels = ButtonRig::bind<WLevelButtons>(addLevels(rig, pNode, kGainRange));
    QVERIFY(pLevels);
    QVERIFY(rig.showWindow());
    QTRY_COMPARE_WITH_TIMEOUT(link.device.subscriptions(), QList<QByteArray>{key}, Patience);
    // A step reported from inside the write is not the operator's.
    StepReporter reporter(pLevels);

    link.device.setValue(key, "3.5");
    link.device.push(link.device.replyLine(key));
    QTRY_COMPARE_WITH_TIMEOUT(itemValue(pLevels), 7, Patience);
    QCOMPARE(pLevels->itemProperty("valueText").toString(), QStringLiteral("3.5"));
    // Beyond the range: shown at the limit.
    link.device.setValue(key, "40.0");
    link.device.push(link.device.replyLine(key));
    QTRY_COMPARE_WITH_TIMEOUT(itemValue(pLevels), 24, Patience);
    QCOMPARE(pLevels->itemProperty("valueText").toString(), QStringLiteral("12.0"));
    QVERIFY(link.barrier());
    QVERIFY(link.sets().isEmpty());
    QVERIFY(pLevels->isOutputEnabled());
}

void TestWLevelButtons::attributes()
{
    ButtonRig rig;
    auto *pLevels = qobject_cast<WLevelButtons *>(
        addLevels(rig, nullptr, {}, {{"knobcolor", "#FF8000"}, {"text", "*LABEL*"}, {"hasBorder", "1"},
                                     {"isCircularEnabled", "yes"}, {"xfract", "0.25"}})
            ->widgets()
            .value(0));
    QVERIFY(pLevels);
    QCOMPARE(pLevels->itemProperty("knobColor").value<QColor>(), QColor(0xFF, 0x80, 0x00));
    QCOMPARE(pLevels->itemText(), QStringLiteral("*LABEL*"));
    QVERIFY(pLevels->itemProperty("hasBorder").toBool());
    QVERIFY(!pLevels->itemProperty("isCircularEnabled").toBool());
    QCOMPARE(pLevels->xFraction(), 0.25);
    QVERIFY(pLevels->readAttribute(QStringLiteral("isCircularEnabled"), QStringLiteral("2")));
    QVERIFY(pLevels->itemProperty("isCircularEnabled").toBool());
    QVERIFY(!pLevels->readAttribute(QStringLiteral("orient"), QStringLiteral("vertical")));
    QVERIFY(!pLevels->readAttribute(QStringLiteral("rotation"), QStringLiteral("90")));
    QCOMPARE(pLevels->rotationAngle(), 0.0f);
}

void TestWLevelButtons::savedAndReadBack()
{
    ButtonRig rig;
    const Leaves leaves = {{"id", "3"}, {"knobcolor", "#FF8000"}, {"text", "Volume"}, {"hasBorder", "1"},
                           {"isCircularEnabled", "1"}};
    auto *pSaved = qobject_cast<WLevelButtons *>(addLevels(rig, nullptr, {}, leaves)->widgets().value(0));
    QVERIFY(pSaved);
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    XmlWriter writer(&buffer);
    pSaved->writeAttributes(writer);
    Leaves read;
    QXmlStreamReader reader(buffer.data());
    QVERIFY(reader.readNextStartElement());
    QCOMPARE(reader.name().toString(), QStringLiteral("levelbutton"));
    while (reader.readNextStartElement())
        read.append({reader.name().toString(), reader.readElementText()});
    for (const auto &leaf : Leaves{{"knobcolor", "#ff8000"}, {"text", "Volume"}, {"hasBorder", "1"},
                                   {"isCircularEnabled", "1"}, {"id", "3"}})
        QVERIFY2(read.contains(leaf), qPrintable(leaf.first));
    for (const auto &leaf : read)
        QVERIFY(leaf.first != QLatin1String("orient") && leaf.first != QLatin1String("rotation"));

    auto *pRead = qobject_cast<WLevelButtons *>(addLevels(rig, nullptr, {}, read)->widgets().value(0));
    QVERIFY(pRead);
    QCOMPARE(pRead->itemGeometry(), pSaved->itemGeometry());
    QCOMPARE(pRead->itemText(), QStringLiteral("Volume"));
    QVERIFY(pRead->itemProperty("isCircularEnabled").toBool());
}

void TestWLevelButtons::textMarkers_data()
{
    QTest::addColumn<int>("node"); // 0 none, 1 block, 2 link card
    QTest::addColumn<QString>("controlName");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("shown");

    QTest::newRow("label of a block") << 1 << "Level" << "*LABEL*" << "Music Gain";
    QTest::newRow("label of a link") << 2 << "Out 2" << "*LABEL*" << "Link-Right";
    QTest::newRow("label of a link, no number") << 2 << "Out two" << "*LABEL*" << "";
    QTest::newRow("label without a node") << 0 << "Level" << "*LABEL*" << "*LABEL*";
    QTest::newRow("label and word") << 1 << "Level" << "*LABEL* Level" << "Music Gain Level";
    QTest::newRow("title without a node") << 0 << "Out 2" << "*TITLE*" << "Out 2";
    QTest::newRow("title of a link") << 2 << "Out 2" << "*TITLE*" << "Link-Right";
    QTest::newRow("title of a block stays") << 1 << "Level" << "*TITLE*" << "*TITLE*";
    QTest::newRow("other text") << 1 << "Level" << "Gain" << "Gain";
}

void TestWLevelButtons::textMarkers()
{
    QFETCH(int, node);
    QFETCH(QString, controlName);
    QFETCH(QString, text);
    QFETCH(QString, shown);

    ButtonRig rig;
    HNode *pNode = nullptr;
    if (node == 1)
        pNode = rig.addBlock(kMusicGain);
    else if (node == 2)
        pNode = rig.addNode(new HDXRLink, {"title=DXRLink", "label=Link", "label1=Left", "label2=Right"});
    auto *pLevels = ButtonRig::bind<WLevelButtons>(
        addLevels(rig, pNode, kGainRange, {{"text", text}}, controlName));
    QVERIFY(pLevels);
    QCOMPARE(pLevels->itemText(), shown);
    // The value line is filled once bound.
    QCOMPARE(pLevels->itemProperty("valueText").toString(), QStringLiteral("0.0"));
}

void TestWLevelButtons::typeNames()
{
    ButtonRig rig;
    auto *pLevels = qobject_cast<WLevelButtons *>(addLevels(rig, nullptr, {})->widgets().value(0));
    QVERIFY(pLevels);
    QVERIFY(pLevels->isType(QStringLiteral("levelbutton")));
    QVERIFY(pLevels->isType(QStringLiteral("a levelbutton list")));
    QVERIFY(!pLevels->isType(QStringLiteral("label")));
    pLevels->setTypeName(QStringLiteral("typeX"));
    QVERIFY(pLevels->isType(QStringLiteral("label")));
    pLevels->setTypeName(QString());
    QVERIFY(!pLevels->isType(QStringLiteral("label")));
}

VR_TEST_MAIN(TestWLevelButtons)
#include "tst_wlevelbuttons.moc"
