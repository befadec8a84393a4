#include "VrTest.h"

#include "ButtonRig.h"
#include "DeviceLink.h"
#include "widgets/WButton.h"

#include <QSignalSpy>

namespace {

constexpr int Patience = 5000;
const QByteArray kMuteKey = "GA\"Music Gain\">2";

} // namespace

// Buttons bound through the VDS protocol to the simulated device: what
// each action sends for presses and releases of the shipped QML item, and
// how device values show.
class TestWButtonDevice : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { WWidgetFactory::registerWidgetTypes(); }
    void pressesAndReleases_data();
    void pressesAndReleases();
    void deviceValuesAfterTheHoldOff();
    void refusedPressShowsTheDeviceValue();
};

void TestWButtonDevice::pressesAndReleases_data()
{
    QTest::addColumn<QString>("action");
    QTest::addColumn<QString>("type");
    QTest::addColumn<QString>("set");
    QTest::addColumn<QString>("events");
    QTest::addColumn<QList<QByteArray>>("sets");
    QTest::addColumn<bool>("checked");

    const QByteArray mute = "SA \"Music Gain\">2=";
    const QByteArray logic = "SA \"Logic Out\">1>";
    QTest::newRow("alternating: press") << "alternating" << "mute" << "F,O,T" << "P"
                                        << QList<QByteArray>{mute + "1"} << true;
    QTest::newRow("alternating: two clicks") << "alternating" << "mute" << "F,O,T" << "PRPR"
                                             << QList<QByteArray>{mute + "1", mute + "0"} << false;
    QTest::newRow("sequence") << "sequence" << "mute" << "F,O" << "PR" << QList<QByteArray>{mute + "1", mute + "0"}
                              << false;
    QTest::newRow("sendOthenF") << "sendOthenF" << "mute" << "F,O" << "PR"
                                << QList<QByteArray>{mute + "1", mute + "0"} << false;
    QTest::newRow("sendOthenF, two clicks") << "sendOthenF" << "mute" << "F,O" << "PRPR"
                                            << QList<QByteArray>{mute + "1", mute + "0", mute + "1", mute + "0"}
                                            << false;
    // A logic channel that was off before the press stays lit.
    QTest::newRow("sendOthenF, logic channel") << "sendOthenF" << "logicChannel" << "F,O" << "PR"
                                               << QList<QByteArray>{logic + "3=1", logic + "3=0"} << true;
    QTest::newRow("toggle") << "toggle" << "mute" << "F,O,T" << "PRP" << QList<QByteArray>{mute + "2", mute + "2"}
                            << false;
    // Flipped back once the pulse is over.
    QTest::newRow("pulse") << "pulse" << "mute" << "F,O,T,P" << "PR" << QList<QByteArray>{mute + "3"} << false;
    QTest::newRow("toggle without T") << "toggle" << "mute" << "F,O" << "PR" << QList<QByteArray>{} << false;
    QTest::newRow("pulse without P") << "pulse" << "mute" << "F,O,T" << "PR" << QList<QByteArray>{} << false;
    QTest::newRow("none") << "none" << "mute" << "F,O,T" << "PRPR" << QList<QByteArray>{} << false;
    QTest::newRow("setup menu") << "showSetupMenu" << "mute" << "F,O,T" << "pr" << QList<QByteArray>{} << false;
    QTest::newRow("connection status") << "showConnectionStatus" << "mute" << "F,O,T" << "PR"
                                       << QList<QByteArray>{} << false;
    QTest::newRow("logic channel") << "alternating" << "logicChannel" << "F,O" << "P"
                                   << QList<QByteArray>{logic + "3=1"} << true;
    QTest::newRow("logic set") << "sendOthenF" << "logicSet" << "F,O" << "PR"
                               << QList<QByteArray>{logic + "5=1", logic + "5=0"} << false;
    QTest::newRow("logic reset") << "alternating" << "logicReset" << "F,O" << "P"
                                 << QList<QByteArray>{logic + "6=1"} << true;
}

// Presses and releases of the item ("P", "R"; "p", "r" straight on the
// native side), each checked by the set commands the device receives.
void TestWButtonDevice::pressesAndReleases()
{
    QFETCH(QString, action);
    QFETCH(QString, type);
    QFETCH(QString, set);
    QFETCH(QString, events);
    QFETCH(QList<QByteArray>, sets);
    QFETCH(bool, checked);

    DeviceLink link;
    QVERIFY(link.open());
    ButtonRig rig;
    const bool isLogic = type.startsWith(QLatin1String("logic"));
    HNode *pNode = isLogic ? rig.addBlock({"title=Logic", "label=Logic Out", "index=4"})
                           : rig.addBlock({"title=Gain", "label=Music Gain"});
    pNode->setProtocol(&link.protocol);
    const Leaves list = isLogic ? Leaves{{"index1", "1"}, {"struct", "2"}, {"set", set}, {"transform", "bin8"}}
                                : Leaves{{"index1", "2"}, {"set", set}, {"transform", "bin8"}};
    Leaves leaves = {{"action", action}, {"buttonType", type}};
    if (type == QLatin1String("logicChannel"))
        leaves.append(qMakePair(QStringLiteral("channel"), QStringLiteral("3")));
    WButton *pButton = ButtonRig::bind<WButton>(rig.addButton(pNode, list, leaves));
    QVERIFY(pButton);
    QVERIFY(rig.showWindow());
    const QPointF centre = ButtonRig::centreOf(pButton->item());

    for (const QChar event : events) {
        if (event == QLatin1Char('P'))
            rig.press(centre);
        else if (event == QLatin1Char('R'))
            rig.release(centre);
        else if (event == QLatin1Char('p'))
            pButton->outputPressed();
        else
            pButton->outputReleased();
    }
    QTRY_COMPARE_WITH_TIMEOUT(link.sets().size(), sets.size(), Patience);
    // A button that sends nothing passes the wait above at once: only once
    // a get queued after the events has reached the device has it seen
    // every set they made.
    QVERIFY(link.barrier());
    QCOMPARE(link.sets(), sets);
    QTRY_COMPARE_WITH_TIMEOUT(pButton->itemProperty("checked").toBool(), checked, Patience);
}

// A device value is not shown for 5 s after a press (the real interval);
// after that it is. A value above 1 shows as checked, and the next press
// switches off.
void TestWButtonDevice::deviceValuesAfterTheHoldOff()
{
    DeviceLink link;
    QVERIFY(link.open());
    link.device.setValue(kMuteKey, "0");
    ButtonRig rig;
    HNode *pNode = rig.addBlock({"title=Gain", "label=Music Gain"});
    pNode->setProtocol(&link.protocol);
    WButton *pButton = ButtonRig::bind<WButton>(
        rig.addButton(pNode, {{"index1", "2"}, {"set", "F,O,T"}, {"transform", "bin8"}}, {}));
    QVERIFY(pButton);
    QVERIFY(rig.showWindow());
    TTransform *pTransform = pButton->transform();
    QTRY_COMPARE_WITH_TIMEOUT(pTransform->replyText(), QStringLiteral("0"), Patience);

    rig.click(ButtonRig::centreOf(pButton->item()));
    QTRY_COMPARE_WITH_TIMEOUT(link.device.value(kMuteKey), QByteArray("1"), Patience);
    QVERIFY(pButton->itemProperty("checked").toBool());

    // Switched back at the device meanwhile: not shown yet.
    link.device.setValue(kMuteKey, "0");
    QVERIFY(link.poll(pTransform));
    QTRY_COMPARE_WITH_TIMEOUT(pTransform->replyText(), QStringLiteral("0"), Patience);
    QVERIFY(pButton->isHoldingOff());
    QVERIFY(pButton->itemProperty("checked").toBool());
    QTRY_VERIFY_WITH_TIMEOUT(!pButton->isHoldingOff(), WButton::holdOffInterval + Patience);
    QVERIFY(link.poll(pTransform));
    QTRY_VERIFY_WITH_TIMEOUT(!pButton->itemProperty("checked").toBool(), Patience);

    // A value of 2 shows as checked; the next press sends 0.
    link.device.setValue(kMuteKey, "2");
    QVERIFY(link.poll(pTransform));
    QTRY_VERIFY_WITH_TIMEOUT(pButton->itemProperty("checked").toBool(), Patience);
    const int before = link.device.commandCount("SA");
    rig.click(ButtonRig::centreOf(pButton->item()));
    QTRY_COMPARE_WITH_TIMEOUT(link.device.commandCount("SA"), before + 1, Patience);
    QCOMPARE(link.sets().constLast(), QByteArray("SA \"Music Gain\">2=0"));
    QVERIFY(!pButton->itemProperty("checked").toBool());
}

// Subscribed, a set goes out without waiting for its answer. A device that
// refuses it keeps its value and reports no change; the value is read back
// at once, and the button shows it within its 5 s hold-off.
void TestWButtonDevice::refusedPressShowsTheDeviceValue()
{
    DeviceLink link(true);
    QVERIFY(link.open());
    QVERIFY(link.protocol.isSubscribed());
    link.device.setValue(kMuteKey, "0");
    link.device.setResponse("SA \"Music Gain\">2", SimulatedVdsDevice::Response::refuse());
    ButtonRig rig;
    HNode *pNode = rig.addBlock({"title=Gain", "label=Music Gain"});
    pNode->setProtocol(&link.protocol);
    WButton *pButton = ButtonRig::bind<WButton>(
        rig.addButton(pNode, {{"index1", "2"}, {"set", "F,O,T"}, {"transform", "bin8"}}, {}));
    QVERIFY(pButton);
    QVERIFY(rig.showWindow());
    QTRY_VERIFY_WITH_TIMEOUT(link.device.subscriptions().contains(kMuteKey), Patience);
    QVERIFY(!pButton->itemProperty("checked").toBool());

    for (int press = 1; press <= 2; ++press) {
        const int readBacks = link.device.commandCount(kMuteKey);
        QSignalSpy answered(pButton->transform(), &TTransform::replyValueReady);
        rig.click(ButtonRig::centreOf(pButton->item()));
        QVERIFY(pButton->itemProperty("checked").toBool());
        QVERIFY(answered.wait(Patience));
        QCOMPARE(link.device.commandCount(kMuteKey), readBacks + 1);
        QCOMPARE(pButton->transform()->replyText(), QStringLiteral("0"));
        QVERIFY2(!pButton->itemProperty("checked").toBool(), qPrintable(QString::number(press)));
        QCOMPARE(link.device.value(kMuteKey), QByteArray("0"));
        // Off again, so the next press asks for "on" once more.
        QCOMPARE(link.sets(), QList<QByteArray>(press, "SA \"Music Gain\">2=1"));
    }
}

VR_TEST_MAIN(TestWButtonDevice)
#include "tst_wbuttondevice.moc"
