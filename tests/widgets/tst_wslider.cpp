#include "VrTest.h"

#include "FaderRig.h"
#include "InterfaceQml.h"
#include "PanelFragment.h"

#include "comms/TTransform.h"
#include "controls/CAttributes.h"
#include "controls/CControl.h"
#include "controls/TTransformFactory.h"
#include "controls/WWidgetFactory.h"
#include "devices/HDXRLink.h"
#include "project/SkinLoader.h"
#include "project/XmlWriter.h"
#include "widgets/WSlider.h"

#include <QBuffer>
#include <QColor>
#include <QElapsedTimer>
#include <QQmlComponent>
#include <QQmlContext>
#include <QRegularExpression>
#include <QXmlStreamReader>

#include <cmath>
#include <memory>

namespace {

const QStringList kMusicGain = {"title=Gain", "label=Music Gain", "level=-10 @max=12 @min=-60"};
const Leaves kGainRange = {{"index1", "1"},  {"minimum", "-60"}, {"maximum", "12"},
                           {"step", "0.5"},  {"units", "dB"},    {"format", "nn.n"},
                           {"transform", "strV"}};

Leaves range(const QString &minimum, const QString &maximum, const QString &step,
             const QString &units = QString(), const QString &transform = QStringLiteral("strV"))
{
    Leaves leaves = {{"index1", "1"}, {"minimum", minimum}, {"maximum", maximum}, {"step", step},
                     {"transform", transform}};
    if (!units.isEmpty())
        leaves.append({"units", units});
    return leaves;
}

// Moves the item as the operator's drag does, without the mouse: in drag
// mode every change of "value" is the operator's.
void dragItemTo(WSlider *pSlider, int position)
{
    pSlider->setItemProperty("dragMode", true);
    pSlider->setItemProperty("value", position);
    pSlider->setItemProperty("dragMode", false);
}

// A pause long enough for several send delays to run out.
void settle()
{
    QTest::qWait(4 * WSlider::sendDelayInterval);
}

QColor colorOf(const QQuickItem *pItem, const char *childName)
{
    const auto *pChild = pItem->findChild<QObject *>(QLatin1String(childName));
    return pChild ? pChild->property("color").value<QColor>() : QColor();
}

} // namespace

class TestWSlider : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();
    void looksFollowTheSkin_data();
    void looksFollowTheSkin();
    void rangeFromBinding_data();
    void rangeFromBinding();
    void sendsPositionTimesStep_data();
    void sendsPositionTimesStep();
    void dragSendsOnlyTheLastValue();
    void dragStopsAtTheEnds();
    void longDragSendsAlongTheWay();
    void replyIsShown_data();
    void replyIsShown();
    void deviceValueIsNeverSentBack();
    void replyBetweenMoveAndSendKeepsTheOperatorsValue();
    void lastSentValueIsSentAgainAfterTheDeviceChanged();
    void oneValueRange_data();
    void oneValueRange();
    void parameterChoice_data();
    void parameterChoice();
    void labelText_data();
    void labelText();
    void panelAttributes();
    void savedAndReadBack();
    void readFromThePanelFile();
    void linkedFadersPassTheValueOnce();
    void withoutTransform();
};

void TestWSlider::initTestCase()
{
    WWidgetFactory::registerWidgetTypes();
}

void TestWSlider::cleanup()
{
    TTransformFactory::clearRegistry();
}

void TestWSlider::looksFollowTheSkin_data()
{
    QTest::addColumn<QString>("skin");
    QTest::addColumn<QString>("accent");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QColor>("upper");
    QTest::addColumn<QColor>("lower");

    // Without an interface object the light skin's values stand in.
    QTest::newRow("no skin") << "" << "" << "Gain" << QColor("#A8AAAD") << QColor("#1D98D5");
    QTest::newRow("light blue") << "Light" << "Blue" << "Gain" << QColor("#A8AAAD") << QColor("#1D98D5");
    QTest::newRow("dark red") << "Dark" << "Red" << "Gain" << QColor("#FFFFFF") << QColor();
    QTest::newRow("tone EQ") << "Dark" << "Blue" << "Tone EQ" << QColor("#1D98D5") << QColor("#1D98D5");
}

// Groove and level take the skin's colours, also when the skin changes
// after the fader was made, and the fader loads without any warning.
void TestWSlider::looksFollowTheSkin()
{
    QFETCH(QString, skin);
    QFETCH(QString, accent);
    QFETCH(QString, title);
    QFETCH(QColor, upper);
    QFETCH(QColor, lower);

    FaderRig rig;
    std::unique_ptr<QObject> pInterface;
    if (!skin.isEmpty()) {
        QString errors;
        pInterface = InterfaceQml::create(rig.engine, &errors);
        QVERIFY2(pInterface, qPrintable(errors));
        rig.engine.rootContext()->setContextProperty(QStringLiteral("intrf"), pInterface.get());
    }
    QTest::failOnWarning(QRegularExpression(QStringLiteral(".*")));
    HNode *pNode = rig.addBlock({"title=" + title, "label=EQ"});
    WSlider *pSlider = FaderRig::bind(rig.addFader("Level", pNode, kGainRange));
    QVERIFY(pSlider);
    QCOMPARE(pSlider->isToneEqControl(), title == QLatin1String("Tone EQ"));

    if (pInterface) {
        // Skins are applied to a living view.
        SkinLoader loader;
        loader.setTarget(pInterface.get());
        QString skinName = skin;
        QString accentName = accent;
        QVERIFY(loader.loadSkin(skinName));
        QVERIFY(loader.loadSkin(accentName));
        if (!lower.isValid())
            lower = pInterface->property("accentColor").value<QColor>();
    }
    QCOMPARE(colorOf(pSlider->item(), "upperGroove"), upper);
    QCOMPARE(colorOf(pSlider->item(), "lowerGroove"), lower);
    if (pInterface) {
        QCOMPARE(colorOf(pSlider->item(), "knob"),
                 pInterface->property("toolBarColor").value<QColor>());
    }
}

void TestWSlider::rangeFromBinding_data()
{
    QTest::addColumn<Leaves>("binding");
    QTest::addColumn<double>("minimum");
    QTest::addColumn<double>("maximum");
    QTest::addColumn<bool>("bipolar");
    QTest::addColumn<int>("start");

    QTest::newRow("half-dB steps") << range("-60", "12", "0.5") << -120.0 << 24.0 << false << 0;
    QTest::newRow("tiny step counts as 1") << range("-60", "12", "0.01") << -60.0 << 12.0 << false << 0;
    // The threshold itself is a step; just below it is not.
    QTest::newRow("step 0.02 is kept") << range("-60", "12", "0.02") << -3000.0 << 600.0 << false << 0;
    QTest::newRow("step 0.019 counts as 1") << range("-60", "12", "0.019") << -60.0 << 12.0 << false << 0;
    QTest::newRow("no step counts as 1") << range("0", "100", "") << 0.0 << 100.0 << false << 0;
    QTest::newRow("bipolar") << range("-10", "10", "1") << -10.0 << 10.0 << true << 0;
    // A first value outside the range starts at the top.
    QTest::newRow("range below zero") << range("-60", "-30", "0.5") << -120.0 << -60.0 << false << -60;
}

void TestWSlider::rangeFromBinding()
{
    QFETCH(Leaves, binding);
    QFETCH(double, minimum);
    QFETCH(double, maximum);
    QFETCH(bool, bipolar);
    QFETCH(int, start);

    FaderRig rig;
    WSlider *pSlider = FaderRig::bind(rig.addFader("Level", rig.addBlock(kMusicGain), binding));
    QVERIFY(pSlider);
    QCOMPARE(pSlider->itemProperty("minimumValue").toDouble(), minimum);
    QCOMPARE(pSlider->itemProperty("maximumValue").toDouble(), maximum);
    QCOMPARE(pSlider->itemProperty("bipolar").toBool(), bipolar);
    QCOMPARE(FaderRig::itemValue(pSlider), start);
    // Writing the range reports no operator input.
    settle();
    QVERIFY(rig.protocol.sentTexts().isEmpty());
}

void TestWSlider::sendsPositionTimesStep_data()
{
    QTest::addColumn<Leaves>("binding");
    QTest::addColumn<int>("position");
    QTest::addColumn<QString>("sent");
    QTest::addColumn<QString>("shown");

    QTest::newRow("half-dB steps") << range("-60", "12", "0.5") << 10 << "5.0" << "5";
    QTest::newRow("format with a decimal")
        << (range("-60", "12", "0.5") << Leaves{{"format", "nn.n"}}) << -7 << "-3.5" << "-3.5";
    QTest::newRow("percent") << range("0", "100", "1", "pct") << 25 << "25.0" << "25%";
    QTest::newRow("percent of a wider range") << range("-50", "150", "1", "pct") << 0 << "0.0" << "25%";
    QTest::newRow("first position zero") << range("-60", "12", "0.5") << 0 << "0.0" << "0";
    // Whatever the item reports, only positions in the range go out.
    QTest::newRow("beyond the top") << range("-60", "12", "0.5") << 500 << "12.0" << "12";
    QTest::newRow("below the bottom") << range("-60", "12", "0.5") << -500 << "-60.0" << "-60";
    QTest::newRow("no whole position in the range") << range("-10.6", "-10.2", "1") << -10 << "" << "";
}

void TestWSlider::sendsPositionTimesStep()
{
    QFETCH(Leaves, binding);
    QFETCH(int, position);
    QFETCH(QString, sent);
    QFETCH(QString, shown);

    FaderRig rig;
    CControl *pControl = rig.addFader("Level", rig.addBlock(kMusicGain), binding);
    WSlider *pSlider = FaderRig::bind(pControl);
    QVERIFY(pSlider);
    // A value the item already holds is no change to it: start elsewhere.
    if (FaderRig::itemValue(pSlider) == position)
        pSlider->setItemProperty("value", position + 3);
    dragItemTo(pSlider, position);
    QVERIFY(rig.protocol.sentTexts().isEmpty()); // not before the send delay
    if (sent.isEmpty()) {
        settle();
        QVERIFY(rig.protocol.sentTexts().isEmpty());
        return;
    }
    QTRY_COMPARE(rig.protocol.sentTexts(), QStringList{sent});
    QCOMPARE(pControl->transform()->displayText(), shown);
    if (binding.contains({"units", "pct"}))
        QCOMPARE(pControl->attributes().decimals(), 0);
}

// Many small steps within one send delay send one value: the last one.
// Later drags send again, each once, and a drag that ends where the value
// last sent was sends the knob's value, never one it passed.
void TestWSlider::dragSendsOnlyTheLastValue()
{
    FaderRig rig;
    WSlider *pSlider = FaderRig::bind(rig.addFader("Level", rig.addBlock(kMusicGain), kGainRange));
    QVERIFY(pSlider);
    QVERIFY(rig.showWindow());
    QTRY_VERIFY(FaderRig::isKnobAtRest(pSlider));
    const int start = FaderRig::itemValue(pSlider);

    QPointF at = rig.dragBy(pSlider, 20, -1.0);
    const int dragged = FaderRig::itemValue(pSlider);
    QVERIFY(dragged > start + 10);
    QVERIFY(rig.protocol.sentTexts().isEmpty());
    QTRY_COMPARE(rig.protocol.sentTexts(), QStringList{FaderRig::strVText(dragged, 0.5f)});
    settle();
    QCOMPARE(rig.protocol.sentTexts().size(), 1);
    QVERIFY(pSlider->itemProperty("dragMode").toBool());

    // Three more bursts while the button stays down.
    for (int burst = 1; burst <= 3; ++burst) {
        const int before = FaderRig::itemValue(pSlider);
        for (int i = 0; i < 5; ++i) {
            at.ry() += 2.0;
            rig.moveTo(at);
        }
        QVERIFY(FaderRig::itemValue(pSlider) < before);
        QTRY_COMPARE(rig.protocol.sentTexts().size(), 1 + burst);
        QCOMPARE(rig.protocol.sentTexts().last(), FaderRig::strVText(FaderRig::itemValue(pSlider), 0.5f));
    }

    // Away and back within one delay: the knob's value goes out.
    const int lastSent = FaderRig::itemValue(pSlider);
    const QPointF back = at;
    at.ry() -= 12.0;
    rig.moveTo(at);
    QVERIFY(FaderRig::itemValue(pSlider) != lastSent);
    rig.moveTo(back);
    QCOMPARE(FaderRig::itemValue(pSlider), lastSent);
    rig.release(back);
    settle();
    QCOMPARE(rig.protocol.sentTexts().last(), FaderRig::strVText(lastSent, 0.5f));
    QCOMPARE(FaderRig::itemValue(pSlider), lastSent);
}

void TestWSlider::dragStopsAtTheEnds()
{
    FaderRig rig;
    WSlider *pSlider = FaderRig::bind(rig.addFader("Level", rig.addBlock(kMusicGain), kGainRange));
    QVERIFY(pSlider);
    QVERIFY(rig.showWindow());
    QTRY_VERIFY(FaderRig::isKnobAtRest(pSlider));

    rig.release(rig.dragBy(pSlider, 3, -400.0));
    QCOMPARE(FaderRig::itemValue(pSlider), 24);
    QTRY_COMPARE(rig.protocol.sentTexts(), QStringList{"12.0"});

    rig.release(rig.dragBy(pSlider, 3, 400.0));
    QCOMPARE(FaderRig::itemValue(pSlider), -120);
    QTRY_COMPARE(rig.protocol.sentTexts(), (QStringList{"12.0", "-60.0"}));

    // The knob stays on the track.
    const QQuickItem *pKnob = FaderRig::knob(pSlider);
    QTRY_COMPARE(pKnob->y() + pKnob->height(), pSlider->item()->height());
}

// The send delay is one single-shot timer that a move starts only when it
// is not running: a drag that never pauses as long sends along the way, at
// most once per delay.
void TestWSlider::longDragSendsAlongTheWay()
{
    FaderRig rig;
    WSlider *pSlider = FaderRig::bind(rig.addFader("Level", rig.addBlock(kMusicGain), kGainRange));
    QVERIFY(pSlider);
    const QTimer *pTimer = pSlider->sendDelayTimer();
    QCOMPARE(pTimer->interval(), 20);
    QCOMPARE(WSlider::sendDelayInterval, 20);
    QVERIFY(pTimer->isSingleShot());

    QElapsedTimer clock;
    clock.start();
    QList<qint64> sends;
    connect(pTimer, &QTimer::timeout, this, [&]() { sends.append(clock.elapsed()); });
    int moves = 0;
    while (clock.elapsed() < 1000) {
        // A few moves at once, then a pause shorter than the delay.
        for (int i = 0; i < 3; ++i)
            dragItemTo(pSlider, -100 + (moves++ % 120));
        QTest::qWait(5);
    }
    const qint64 elapsed = clock.elapsed();
    const auto sent = rig.protocol.sentTexts().size();
    qint64 closest = elapsed;
    for (qsizetype i = 1; i < sends.size(); ++i)
        closest = qMin(closest, sends.at(i) - sends.at(i - 1));
    const QString figures = QStringLiteral("%1 sent in %2 ms, %3 moves, closest %4 ms apart")
                                .arg(sent).arg(elapsed).arg(moves).arg(closest);
    // Sent during the drag, not once at its end ...
    QVERIFY2(sent >= 4, qPrintable(figures));
    QCOMPARE(sends.size(), sent);
    // ... never closer than the delay, nor ten times as far apart.
    QVERIFY2(closest >= 15, qPrintable(figures));
    QVERIFY2(sent * 150 >= elapsed, qPrintable(figures));
}

void TestWSlider::replyIsShown_data()
{
    QTest::addColumn<Leaves>("binding");
    QTest::addColumn<QString>("reply");
    QTest::addColumn<int>("shown");

    QTest::newRow("half-dB steps") << range("-60", "12", "0.5") << "-9.5" << -19;
    QTest::newRow("above the range") << range("0", "100", "1") << "200" << 100;
    QTest::newRow("below the range") << range("-60", "12", "0.5") << "-500" << -120;
    QTest::newRow("far out of any range") << range("-60", "12", "0.5") << "1e300" << 24;
    QTest::newRow("not a number") << range("-60", "12", "0.5") << "nan" << 4;
    QTest::newRow("endless") << range("-60", "12", "0.5") << "inf" << 4;
    // A get answered by an acknowledge arrives as the sync-error text: no
    // value, nothing moves.
    QTest::newRow("sync error") << range("-60", "12", "0.5") << "SYNC_ERROR" << 4;
    QTest::newRow("a word") << range("-60", "12", "0.5") << "loud" << 4;
    QTest::newRow("gain code") << range("-60", "12", "0.5", "dB", "grpV") << "6c" << -12;
    QTest::newRow("gain off") << range("-60", "12", "0.5", "dB", "grpV") << "FF" << -120;
    QTest::newRow("gain code, sync error") << range("-60", "12", "0.5", "dB", "grpV") << "SYNC_ERROR"
                                           << 4;
}

void TestWSlider::replyIsShown()
{
    QFETCH(Leaves, binding);
    QFETCH(QString, reply);
    QFETCH(int, shown);

    FaderRig rig;
    CControl *pControl = rig.addFader("Level", rig.addBlock(kMusicGain), binding);
    WSlider *pSlider = FaderRig::bind(pControl);
    QVERIFY(pSlider);
    QCOMPARE(rig.protocol.requests.size(), 1); // the control asked for the value
    // A value that no position shows leaves the item where it was.
    pSlider->setItemProperty("value", 4);
    pControl->transform()->setReplyText(reply);
    QCOMPARE(FaderRig::itemValue(pSlider), shown);
    settle();
    QVERIFY(rig.protocol.sentTexts().isEmpty());
}

// The item reports every change of its value, also those the device
// caused; none of them goes back to the device, in drag mode or not.
void TestWSlider::deviceValueIsNeverSentBack()
{
    FaderRig rig;
    CControl *pControl = rig.addFader("Level", rig.addBlock(kMusicGain), kGainRange);
    WSlider *pSlider = FaderRig::bind(pControl);
    QVERIFY(pSlider);
    QVERIFY(rig.showWindow());
    QTRY_VERIFY(FaderRig::isKnobAtRest(pSlider));
    TTransform *pTransform = pControl->transform();

    // The button is down on the knob: the item is in drag mode.
    const QPointF at = FaderRig::knobCentre(pSlider);
    rig.press(at);
    QVERIFY(pSlider->itemProperty("dragMode").toBool());
    pTransform->setReplyText(QStringLiteral("-3.0"));
    QCOMPARE(FaderRig::itemValue(pSlider), -6);
    QVERIFY(!pSlider->hasPendingValue());
    settle();
    QVERIFY(rig.protocol.sentTexts().isEmpty());

    // Released, on a subscribed connection.
    rig.release(at);
    rig.protocol.subscribed = true;
    pTransform->setReplyText(QStringLiteral("-7.5"));
    QCOMPARE(FaderRig::itemValue(pSlider), -15);
    settle();
    QVERIFY(rig.protocol.sentTexts().isEmpty());

    // The operator's next move is sent as usual.
    QPointF moved = rig.dragBy(pSlider, 10, -1.0);
    rig.release(moved);
    QTRY_COMPARE(rig.protocol.sentTexts().size(), 1);
    QCOMPARE(rig.protocol.sentTexts().first(), FaderRig::strVText(FaderRig::itemValue(pSlider), 0.5f));
}

// A reply that arrives after the operator's last move and before that move
// was sent changes what the item shows, not what is sent: the device gets
// the operator's value and nothing of the reply.
void TestWSlider::replyBetweenMoveAndSendKeepsTheOperatorsValue()
{
    FaderRig rig;
    rig.protocol.subscribed = true;
    CControl *pControl = rig.addFader("Level", rig.addBlock(kMusicGain), kGainRange);
    WSlider *pSlider = FaderRig::bind(pControl);
    QVERIFY(pSlider);
    QVERIFY(rig.showWindow());
    QTRY_VERIFY(FaderRig::isKnobAtRest(pSlider));

    const QPointF at = rig.dragBy(pSlider, 20, -1.0);
    const int dragged = FaderRig::itemValue(pSlider);
    // Before the event loop turns, the device reports a value.
    pControl->transform()->setReplyText(QStringLiteral("-30.0"));
    QCOMPARE(FaderRig::itemValue(pSlider), -60);
    QTRY_COMPARE(rig.protocol.sentTexts(), QStringList{FaderRig::strVText(dragged, 0.5f)});
    // Let go, the knob shows the value it sent.
    rig.release(at);
    QCOMPARE(FaderRig::itemValue(pSlider), dragged);
    settle();
    QCOMPARE(rig.protocol.sentTexts().size(), 1);
}

void TestWSlider::lastSentValueIsSentAgainAfterTheDeviceChanged()
{
    FaderRig rig;
    CControl *pControl = rig.addFader("Level", rig.addBlock(kMusicGain), kGainRange);
    WSlider *pSlider = FaderRig::bind(pControl);
    QVERIFY(pSlider);

    dragItemTo(pSlider, -20);
    QTRY_COMPARE(rig.protocol.sentTexts(), QStringList{"-10.0"});
    // Its own value back from the device changes nothing.
    pControl->transform()->setReplyText(QStringLiteral("-10.0"));
    dragItemTo(pSlider, -20);
    settle();
    QCOMPARE(rig.protocol.sentTexts().size(), 1);

    // Someone else moved the device; the operator moves back to -10.
    pControl->transform()->setReplyText(QStringLiteral("-30.0"));
    QCOMPARE(FaderRig::itemValue(pSlider), -60);
    dragItemTo(pSlider, -20);
    QTRY_COMPARE(rig.protocol.sentTexts(), (QStringList{"-10.0", "-10.0"}));
}

void TestWSlider::oneValueRange_data()
{
    QTest::addColumn<Leaves>("binding");
    QTest::addColumn<int>("position");

    QTest::newRow("dB") << range("-10", "-10", "0.5") << -20;
    QTest::newRow("percent at zero") << range("0", "0", "1", "pct") << 0;
    QTest::newRow("no step") << range("5", "5", "") << 5;
    QTest::newRow("between positions") << range("-10.25", "-10.25", "0.5", "pct") << -21;
}

// A binding whose minimum equals its maximum: the fader shows its one
// value wherever the knob is dragged, never divides by its empty span and
// sends nothing.
void TestWSlider::oneValueRange()
{
    QFETCH(Leaves, binding);
    QFETCH(int, position);

    FaderRig rig;
    CControl *pControl = rig.addFader("Level", rig.addBlock(kMusicGain), binding);
    WSlider *pSlider = FaderRig::bind(pControl);
    QVERIFY(pSlider);
    QVERIFY(rig.showWindow());
    QTRY_VERIFY(FaderRig::isKnobAtRest(pSlider));
    QCOMPARE(pSlider->itemProperty("minimumValue"), pSlider->itemProperty("maximumValue"));
    QCOMPARE(FaderRig::itemValue(pSlider), position);
    const QQuickItem *pKnob = FaderRig::knob(pSlider);
    QVERIFY(std::isfinite(pKnob->y()));
    QCOMPARE(pKnob->y() + pKnob->height(), pSlider->item()->height());

    rig.release(rig.dragBy(pSlider, 20, -5.0));
    QVERIFY(std::isfinite(pKnob->y()));
    dragItemTo(pSlider, position + 7);
    settle();
    QVERIFY(rig.protocol.sentTexts().isEmpty());

    // A reply shows the one value, and its display has a number.
    TTransform *pTransform = pControl->transform();
    pTransform->setReplyText(QStringLiteral("50"));
    QCOMPARE(FaderRig::itemValue(pSlider), position);
    const QString shown = pTransform->displayText();
    QVERIFY2(!shown.contains(QLatin1String("nan"), Qt::CaseInsensitive)
                 && !shown.contains(QLatin1String("inf"), Qt::CaseInsensitive),
             qPrintable(shown));
    settle();
    QVERIFY(rig.protocol.sentTexts().isEmpty());
}

void TestWSlider::parameterChoice_data()
{
    QTest::addColumn<bool>("link");
    QTest::addColumn<QStringList>("properties");
    QTest::addColumn<QString>("controlName");
    QTest::addColumn<QString>("channelLabel");
    QTest::addColumn<QString>("labelText");
    QTest::addColumn<float>("maxLimit");
    QTest::addColumn<float>("minLimit");

    // The binding comes with limits 1 and -1: those mean "unchanged".
    const QStringList router = {"title=Conference Room Router", "label=Router",
                                "masterVolume=0 @max=12 @min=-60", "programLevel=0 @max=6 @min=-40",
                                "teleconLevel1=0 @max=10 @min=-70"};
    QTest::newRow("router master volume") << false << router << "Master Volume" << "" << QString() << 12.f << -60.f;
    QTest::newRow("router program level") << false << router << "Program Level" << "" << QString() << 6.f << -40.f;
    QTest::newRow("router far end") << false << router << "Far End 1 Level" << "" << QString() << 10.f << -70.f;
    QTest::newRow("router name case differs") << false << router << "Master volume" << "" << QString() << 1.f << -1.f;
    QTest::newRow("router parameter missing") << false << router << "Mic Mix Level" << "" << QString() << 1.f << -1.f;

    const QStringList combiner = {"title=Standard Room Combiner", "label=Combiner",
                                  "inputLevel=0 @max=5 @min=-50", "bgmLevel=0 @max=4 @min=-44",
                                  "level=0 @max=3 @min=-33"};
    QTest::newRow("combiner input") << false << combiner << "Input Level" << "" << QString() << 5.f << -50.f;
    QTest::newRow("combiner music") << false << combiner << "Background Music Level" << "" << QString() << 4.f << -44.f;
    QTest::newRow("combiner output") << false << combiner << "Output Level" << "" << QString() << 3.f << -33.f;

    const QStringList link = {"title=DXRLink", "label=Link", "label1=Left", "label2=Right",
                              "label3=Out 3", "level1=0 @max=11 @min=-81",
                              "level3=0 @max=10 @min=-80"};
    QTest::newRow("link channel 3") << true << link << "Out 3" << "Out 3" << QString() << 10.f << -80.f;
    QTest::newRow("link first digit only") << true << link << "Out 12" << "Out 12" << QString() << 11.f << -81.f;
    QTest::newRow("link label without digit") << true << link << "Left" << "Left" << QString() << 11.f << -81.f;
    QTest::newRow("link label unknown") << true << link << "Aux" << "Aux" << QString() << 1.f << -1.f;

    const QStringList toneEq = {"title=Tone EQ", "label=EQ", "low=0 @max=15 @min=-15",
                                "mid=0 @max=12 @min=-12", "high=0 @max=9 @min=-9"};
    QTest::newRow("tone EQ low") << false << toneEq << "Level 1" << "" << "LOW" << 15.f << -15.f;
    QTest::newRow("tone EQ high") << false << toneEq << "Level 3" << "" << "HIGH" << 9.f << -9.f;
    QTest::newRow("tone EQ label case") << false << toneEq << "Level 1" << "" << "Low" << 1.f << -1.f;
    QTest::newRow("tone EQ no label") << false << toneEq << "Level 1" << "" << QString() << 1.f << -1.f;

    QTest::newRow("group") << false << QStringList{"title=Group", "label=G", "level=0 @max=0 @min=-80"}
                           << "Level" << "" << QString() << 0.f << -60.f;
    QTest::newRow("group at -60") << false << QStringList{"title=Group", "label=G", "level=0 @max=-60 @min=-80"}
                                  << "Level" << "" << QString() << 1.f << -1.f;
    QTest::newRow("gain block") << false << kMusicGain << "Level" << "" << QString() << 12.f << -60.f;
    QTest::newRow("gain block without range") << false << QStringList{"title=Gain", "label=G"}
                                              << "Level" << "" << QString() << 1.f << -1.f;

    QTest::newRow("one part") << false << QStringList{"title=Standard Room Combiner", "label=C"}
                              << "Output Level" << "" << QString() << 1.f << -1.f;
    QTest::newRow("equal limits") << false << QStringList{"title=Tone EQ", "label=E", "mid=0 @max=6 @min=6"}
                                  << "Level 2" << "" << "MID" << 1.f << -1.f;
}

void TestWSlider::parameterChoice()
{
    QFETCH(bool, link);
    QFETCH(QStringList, properties);
    QFETCH(QString, controlName);
    QFETCH(QString, channelLabel);
    QFETCH(QString, labelText);
    QFETCH(float, maxLimit);
    QFETCH(float, minLimit);

    FaderRig rig;
    HNode *pNode = link ? rig.addNode(new HDXRLink, properties) : rig.addBlock(properties);
    Leaves binding = range("-60", "12", "0.5") << Leaves{{"minLimit", "-1"}, {"maxLimit", "1"}};
    if (!channelLabel.isEmpty())
        binding.append({"channelLabel", channelLabel});
    CControl *pControl = rig.addFader(controlName, pNode, binding, labelText);
    WSlider *pSlider = FaderRig::bind(pControl);
    QVERIFY(pSlider);
    QCOMPARE(pControl->attributes().maxLimit(), maxLimit);
    QCOMPARE(pControl->attributes().minLimit(), minLimit);
    // The fader's own range is the binding's, whatever the limits.
    QCOMPARE(pSlider->itemProperty("minimumValue").toDouble(), -120.0);
    QCOMPARE(pSlider->itemProperty("maximumValue").toDouble(), 24.0);
    if (maxLimit != 1.f)
        QCOMPARE(pSlider->upperLimit(), maxLimit);

    // Only the first application chooses.
    pControl->attributes().setMaxLimit(99.f);
    pSlider->applyAttributes(&pControl->attributes());
    QCOMPARE(pControl->attributes().maxLimit(), 99.f);
}

void TestWSlider::labelText_data()
{
    QTest::addColumn<bool>("link");
    QTest::addColumn<QString>("controlName");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("shown");

    QTest::newRow("node label") << false << "Level" << "*LABEL*" << "Music Gain";
    QTest::newRow("node label and more") << false << "Level" << "*LABEL* Level" << "Music Gain Level";
    QTest::newRow("marker inside stays") << false << "Level" << "My *LABEL*" << "My *LABEL*";
    QTest::newRow("title on a block stays") << false << "Level" << "*TITLE*" << "*TITLE*";
    QTest::newRow("title on a link") << true << "Out 2" << "*TITLE*" << "Link-Right";
    QTest::newRow("title on a link, no number") << true << "Out two" << "*TITLE*" << "";
    QTest::newRow("case matters") << false << "Level" << "*label*" << "*label*";
    QTest::newRow("plain text") << false << "Level" << "Main" << "Main";
}

void TestWSlider::labelText()
{
    QFETCH(bool, link);
    QFETCH(QString, controlName);
    QFETCH(QString, text);
    QFETCH(QString, shown);

    FaderRig rig;
    HNode *pNode = link
        ? rig.addNode(new HDXRLink, {"title=DXRLink", "label=Link", "label1=Left", "label2=Right"})
        : rig.addBlock(kMusicGain);
    CControl *pControl = rig.addFader(controlName, pNode, kGainRange, text);
    QVERIFY(FaderRig::bind(pControl));
    QCOMPARE(pControl->widgetByType(QStringLiteral("label"))->itemText(), shown);
}

void TestWSlider::panelAttributes()
{
    FaderRig rig;
    CControl *pControl = rig.addFader("Level", rig.addBlock(kMusicGain), kGainRange, QString(),
                                      {{"orient", "vertical"}, {"knobcolor", "#FF0000"}, {"rotation", "90"}});
    WSlider *pSlider = FaderRig::sliderOf(pControl);
    QVERIFY(pSlider);
    QCOMPARE(pSlider->itemProperty("knobColor").value<QColor>(), QColor(Qt::red));
    QCOMPARE(pSlider->itemProperty("rotation").toDouble(), 90.0);
    QCOMPARE(pSlider->rotationAngle(), 90.f);
    QVERIFY(pControl->isRotatedLayout());
    QCOMPARE(pSlider->item()->width(), 40.0);

    QVERIFY(pSlider->readAttribute(QStringLiteral("orient"), QStringLiteral("horizontal")));
    QVERIFY(pSlider->readAttribute(QStringLiteral("rotation"), QStringLiteral("quarter")));
    QCOMPARE(pSlider->itemProperty("rotation").toDouble(), 0.0);
    QVERIFY(pSlider->readAttribute(QStringLiteral("knobcolor"), QStringLiteral("green")));
    QCOMPARE(pSlider->itemProperty("knobColor").value<QColor>(), QColor("green"));
    QVERIFY(!pSlider->readAttribute(QStringLiteral("title"), QStringLiteral("Fader")));
    QVERIFY(!pSlider->readAttribute(QStringLiteral("Rotation"), QStringLiteral("90")));

    QVERIFY(pSlider->isType(QStringLiteral("slider")));
    QVERIFY(pSlider->isType(QStringLiteral("vslider")));
    QVERIFY(!pSlider->isType(QStringLiteral("Slider")));
    QVERIFY(!pSlider->isType(QStringLiteral("label")));
}

// What a fader saves, a fader reads back to the same state.
void TestWSlider::savedAndReadBack()
{
    FaderRig rig;
    const Leaves leaves = {{"x", "30"}, {"y", "40"}, {"width", "50"}, {"height", "180"},
                           {"id", "3"}, {"link", "7"}, {"knobcolor", "#80FF8000"}, {"rotation", "90"}};
    CControl *pFirst = rig.addFader("Level", rig.addBlock(kMusicGain), kGainRange, QString(), leaves);
    WSlider *pSaved = FaderRig::sliderOf(pFirst);
    QVERIFY(pSaved);
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    XmlWriter writer(&buffer);
    pSaved->writeAttributes(writer);
    QCOMPARE(writer.indent(), 0);

    Leaves read;
    QXmlStreamReader reader(buffer.data());
    QVERIFY(reader.readNextStartElement());
    QCOMPARE(reader.name().toString(), QStringLiteral("slider"));
    while (reader.readNextStartElement())
        read.append({reader.name().toString(), reader.readElementText()});
    QVERIFY2(!reader.hasError(), qPrintable(reader.errorString()));
    QVERIFY(read.contains({"orient", "vertical"}));
    QVERIFY(read.contains({"rotation", "90"}));

    WSlider *pRead = FaderRig::sliderOf(rig.addFader("Level 2", rig.addBlock(kMusicGain), kGainRange,
                                                     QString(), read));
    QVERIFY(pRead);
    QCOMPARE(pRead->itemGeometry(), pSaved->itemGeometry());
    QCOMPARE(pRead->widgetId(), 3u);
    QCOMPARE(pRead->linkId(), 7u);
    QCOMPARE(pRead->itemProperty("knobColor").value<QColor>(), QColor::fromString("#80FF8000"));
    QCOMPARE(pRead->rotationAngle(), 90.f);

    // No rotation is written for an upright fader.
    buffer.buffer().clear();
    buffer.seek(0);
    QVERIFY(pRead->readAttribute(QStringLiteral("rotation"), QStringLiteral("0")));
    pRead->writeAttributes(writer);
    QVERIFY(!buffer.data().contains("rotation"));
}

// A fader control as the panel reader makes it from the panel file.
void TestWSlider::readFromThePanelFile()
{
    WWidgetFactory::registerWidgetTypes();
    PanelFragment panel(QStringLiteral(R"(
<Control name="Level" type="Slider">
	<block>Sel</block>
	<nodeID>9</nodeID>
	<nodeCategory>Blocks</nodeCategory>
	<connection>Chassis|||30216</connection>
	<id>1104</id>
	<Property name="widget">
		<slider>
			<x>203</x><y>170</y><width>50</width><height>200</height><z>1</z>
			<orient>vertical</orient>
			<knobcolor>#E0E0E0</knobcolor>
		</slider>
		<label>
			<x>153</x><y>380</y><width>150</width><height>30</height><z>1</z>
			<text>*LABEL* Level</text>
		</label>
	</Property>
	<Property name="attributes">
		<range>
			<index1>1</index1><minimum>-60</minimum><minLimit>-60</minLimit>
			<maximum>12</maximum><maxLimit>12</maxLimit><step>0.5</step>
			<units>dB</units><format>nn.n</format><transform>strV</transform>
		</range>
	</Property>
</Control>)"));
    QVERIFY(panel.isParsed());
    CControl *pControl = panel.control(QStringLiteral("Level"));
    QVERIFY(pControl);
    WSlider *pSlider = FaderRig::sliderOf(pControl);
    QVERIFY(pSlider);
    QCOMPARE(pSlider->node(), panel.block());
    pControl->bind();
    QCOMPARE(pSlider->itemProperty("minimumValue").toDouble(), -120.0);
    QCOMPARE(pSlider->itemProperty("maximumValue").toDouble(), 24.0);
    QCOMPARE(pSlider->itemProperty("knobColor").value<QColor>(), QColor("#E0E0E0"));
    QCOMPARE(pSlider->item()->height(), 200.0);
    QVERIFY(pControl->widgetByType(QStringLiteral("label"))->itemText().contains(QLatin1String("Sel Level")));
    TTransformFactory::clearRegistry();
}

// Two faders of one control linked to each other: a value sent by one is
// shown by the other and stops at its source; nothing is sent twice.
void TestWSlider::linkedFadersPassTheValueOnce()
{
    FaderRig rig;
    CControl *pControl = rig.addFader("Level", rig.addBlock(kMusicGain), kGainRange, QString(),
                                      {{"id", "1"}, {"link", "2"}});
    for (const auto &leaf : Leaves{{"x", "100"}, {"y", "20"}, {"width", "40"}, {"height", "200"},
                                   {"id", "2"}, {"link", "1"}})
        pControl->setWidgetAttribute(QStringLiteral("slider"), leaf.first, leaf.second);
    pControl->endWidget(QStringLiteral("slider"));
    FaderRig::bind(pControl);
    const QList<WWidget *> widgets = pControl->widgets();
    QCOMPARE(widgets.size(), 2);
    auto *pFirst = qobject_cast<WSlider *>(widgets.at(0));
    auto *pSecond = qobject_cast<WSlider *>(widgets.at(1));
    QVERIFY(pFirst && pSecond);
    QCOMPARE(pFirst->linkedWidget(), pSecond);
    QCOMPARE(pSecond->linkedWidget(), pFirst);

    dragItemTo(pFirst, 8);
    QTRY_COMPARE(rig.protocol.sentTexts(), QStringList{"4.0"});
    QCOMPARE(FaderRig::itemValue(pSecond), 8);
    QCOMPARE(pSecond->value(), 4.f);
    settle();
    QCOMPARE(rig.protocol.sentTexts().size(), 1);

    // A device value shows on both and goes nowhere.
    pControl->transform()->setReplyText(QStringLiteral("-2.0"));
    QCOMPARE(FaderRig::itemValue(pFirst), -4);
    QCOMPARE(FaderRig::itemValue(pSecond), -4);
    settle();
    QCOMPARE(rig.protocol.sentTexts().size(), 1);
}

void TestWSlider::withoutTransform()
{
    FaderRig rig;
    CControl *pControl = rig.addFader("Level", rig.addBlock(kMusicGain),
                                      {{"minimum", "0"}, {"maximum", "10"}, {"step", "1"}});
    QTest::ignoreMessage(QtWarningMsg, "Setting a null TTransform on WSlider");
    WSlider *pSlider = FaderRig::bind(pControl);
    QVERIFY(pSlider);
    QVERIFY(!pSlider->transform());
    QTest::ignoreMessage(QtWarningMsg, "Cannot set state on WSlider with no TTransform");
    pSlider->setState();
    // A move without a transform is kept, and nothing is sent.
    dragItemTo(pSlider, 6);
    QTRY_VERIFY(!pSlider->hasPendingValue());
    QCOMPARE(pSlider->value(), 6.f);
    QVERIFY(rig.protocol.sentTexts().isEmpty());
    QTest::ignoreMessage(QtWarningMsg, "Setting a null TTransform on WSlider");
    pSlider->setTransform(nullptr);
}

VR_TEST_MAIN(TestWSlider)
#include "tst_wslider.moc"
