#include "VrTest.h"

#include "FloorPlanRig.h"
#include "devices/HChassis.h"
#include "devices/HRCGroupInfo.h"
#include "roomcombine/HRCGroup.h"
#include "roomcombine/HRCRoom.h"
#include "roomcombine/WActiveCombo.h"
#include "roomcombine/WComboSelection.h"
#include "roomcombine/WRoomSelection.h"

#include <QElapsedTimer>
#include <QSignalSpy>

namespace {

constexpr int Patience = 15000;
using Sets = SimulatedVdsRoomCombiner::Sets;

const QStringList kNothingCombined = {"lightgray", "lightgray", "lightgray", "lightgray"};

QList<QByteArray> linesStartingWith(const SimulatedVdsDevice &device, const QByteArray &prefix)
{
    QList<QByteArray> lines;
    const QList<QByteArray> texts = device.commandTexts();
    for (const QByteArray &text : texts) {
        if (text.startsWith(prefix))
            lines.append(text);
    }
    return lines;
}

} // namespace

// A floor plan of four rooms from a panel file, drawn by the shipped QML,
// against the simulated room-combining processor on 127.0.0.1: presses on
// the rooms and the selector go through the window, commands reach the
// processor, its state comes back to the rooms and the labels.
class TestFloorPlanDevice : public QObject
{
    Q_OBJECT

private slots:
    void mode_data();
    void clickInsideARoomSendsOneLine_data() { mode_data(); }
    void clickInsideARoomSendsOneLine();
    void processorChangeReachesRoomsAndLabels_data() { mode_data(); }
    void processorChangeReachesRoomsAndLabels();
    void selectorPicksTheCombination();
    void routerRefusalShowsTheFailureBox();
    void pressesDoNothingWhileTheProcessorIsDown_data();
    void pressesDoNothingWhileTheProcessorIsDown();
    void editModeDragsACorner();
};

void TestFloorPlanDevice::mode_data()
{
    QTest::addColumn<bool>("subscribe");
    QTest::newRow("poll mode") << false;
    QTest::newRow("subscribe mode") << true;
}

// Every room widget hears its group's answer to a click; only the clicked
// room's widget sends it, once.
void TestFloorPlanDevice::clickInsideARoomSendsOneLine()
{
    QFETCH(bool, subscribe);
    FloorPlanRig rig;
    QCOMPARE(rig.start(subscribe), QString());
    QTRY_COMPARE_WITH_TIMEOUT(rig.combiner.isSubscribed(1), subscribe, Patience);
    QTRY_VERIFY_WITH_TIMEOUT(!rig.chassis()->roomCombineInfo()->lastStateReply().isEmpty(), Patience);

    rig.clickRoom(1); // alone in the first combination: nothing to send
    QTRY_COMPARE_WITH_TIMEOUT(rig.room(1)->fillColor(), QStringLiteral("crimson"), Patience);
    rig.clickRoom(2);
    QTRY_COMPARE_WITH_TIMEOUT(rig.combiner.acceptedCount(), 1, Patience);
    QCOMPARE(rig.combiner.combinations(1), (Sets{{1, 2}}));
    QTRY_COMPARE_WITH_TIMEOUT(rig.colours(), (QStringList{"crimson", "crimson", "lightgray", "lightgray"}),
                              Patience);
    QTRY_COMPARE_WITH_TIMEOUT(rig.shownNames(), (QStringList{"Two", "One", "", ""}), Patience);
    // A press between two rooms hits neither.
    QTest::mouseClick(&rig.window, Qt::LeftButton, {}, QPoint(175, 150));
    // Let a later report come in: nothing more goes out.
    const int asked = rig.device.commandCount("GRC 1");
    QTRY_VERIFY_WITH_TIMEOUT(subscribe || rig.device.commandCount("GRC 1") > asked + 1, Patience);
    QCOMPARE(linesStartingWith(rig.device, "SRC "), QList<QByteArray>{"SRC 1,[1,2]"});
    QCOMPARE(rig.colours(), (QStringList{"crimson", "crimson", "lightgray", "lightgray"}));
}

// The front panel of the processor changes the combinations: rooms and
// labels follow from the next report, not a later one.
void TestFloorPlanDevice::processorChangeReachesRoomsAndLabels()
{
    QFETCH(bool, subscribe);
    FloorPlanRig rig;
    QCOMPARE(rig.start(subscribe), QString());
    QTRY_COMPARE_WITH_TIMEOUT(rig.combiner.isSubscribed(1), subscribe, Patience);
    QTRY_VERIFY_WITH_TIMEOUT(!rig.chassis()->roomCombineInfo()->lastStateReply().isEmpty(), Patience);
    QTRY_COMPARE_WITH_TIMEOUT(rig.shownNames(), (QStringList{"", "", "", ""}), Patience);

    QElapsedTimer clock;
    clock.start();
    const int asked = rig.device.commandCount("GRC 1");
    rig.combiner.setCombinations(1, {{2, 3, 4}});
    QTRY_COMPARE_WITH_TIMEOUT(rig.colours(), (QStringList{"lightgray", "crimson", "crimson", "crimson"}),
                              Patience);
    QTRY_COMPARE_WITH_TIMEOUT(rig.shownNames(), (QStringList{"", "Three+Four", "Two+Four", "Two+Three"}),
                              Patience);
    qInfo("processor to rooms and labels: %lld ms", static_cast<long long>(clock.elapsed()));
    // Polled, the query that went out next (or one already on its way)
    // brought the change; subscribed, the push did, unasked.
    if (subscribe)
        QCOMPARE(rig.device.commandCount("GRC 1"), 0);
    else
        QVERIFY2(rig.device.commandCount("GRC 1") - asked <= 2,
                 qPrintable(QStringLiteral("%1 queries").arg(rig.device.commandCount("GRC 1") - asked)));

    rig.combiner.setCombinations(1, {{1, 4}, {2, 3}});
    QTRY_COMPARE_WITH_TIMEOUT(rig.shownNames(), (QStringList{"Four", "Three", "Two", "One"}), Patience);
    const QStringList colours = rig.colours();
    QCOMPARE(colours.at(0), colours.at(3));
    QCOMPARE(colours.at(1), colours.at(2));
    QVERIFY(colours.at(0) != colours.at(1));
    QVERIFY(!colours.contains(QStringLiteral("lightgray")));
}

// A press on the selector's second swatch makes the next room click join
// the second combination.
void TestFloorPlanDevice::selectorPicksTheCombination()
{
    FloorPlanRig rig;
    QCOMPARE(rig.start(false), QString());
    QTRY_VERIFY_WITH_TIMEOUT(!rig.chassis()->roomCombineInfo()->lastStateReply().isEmpty(), Patience);
    QCOMPARE(rig.selector()->comboColors(), (QStringList{"crimson", "orange"}));
    QSignalSpy selected(rig.selector(), &WComboSelection::selectedIndexChanged);
    QVERIFY(rig.clickSwatch(1));
    QTRY_COMPARE(selected.count(), 1);
    QCOMPARE(rig.group()->selectedCombo(), 1);

    rig.clickRoom(3);
    rig.clickRoom(4);
    QTRY_COMPARE_WITH_TIMEOUT(rig.combiner.combinations(1), (Sets{{3, 4}}), Patience);
    QTRY_COMPARE_WITH_TIMEOUT(rig.colours(), (QStringList{"lightgray", "lightgray", "orange", "orange"}),
                              Patience);
    QVERIFY(!rig.clickSwatch(2));
}

// A conference room cannot join a combination that holds no room beside
// it: the operator reads why, the split from its old combination goes
// out, and no failure text reaches the processor.
void TestFloorPlanDevice::routerRefusalShowsTheFailureBox()
{
    FloorPlanRig rig;
    QCOMPARE(rig.start(false, QStringLiteral("Conference Room Router")), QString());
    QTRY_VERIFY_WITH_TIMEOUT(!rig.chassis()->roomCombineInfo()->lastStateReply().isEmpty(), Patience);
    rig.clickRoom(1);
    rig.clickRoom(2);
    QTRY_COMPARE_WITH_TIMEOUT(rig.combiner.combinations(1), (Sets{{1, 2}}), Patience);
    QVERIFY(rig.clickSwatch(1));
    QTRY_COMPARE(rig.group()->selectedCombo(), 1);
    rig.clickRoom(4);
    QTRY_COMPARE_WITH_TIMEOUT(rig.room(4)->fillColor(), QStringLiteral("orange"), Patience);
    QVERIFY(rig.panelHost.warnings.isEmpty());

    rig.clickRoom(2);
    QTRY_COMPARE_WITH_TIMEOUT(rig.panelHost.warnings.size(), 1, Patience);
    QCOMPARE(rig.panelHost.warnings.first(),
             QStringLiteral("Room Combine Failure|Cannot add 'Hall-Two' to the selected combination."));
    QTRY_VERIFY_WITH_TIMEOUT(rig.combiner.combinations(1).isEmpty(), Patience);
    QTRY_COMPARE_WITH_TIMEOUT(rig.room(2)->fillColor(), QStringLiteral("lightgray"), Patience);
    for (const QByteArray &text : rig.device.commandTexts())
        QVERIFY2(!text.contains("FAILURE"), text.constData());
}

void TestFloorPlanDevice::pressesDoNothingWhileTheProcessorIsDown_data()
{
    QTest::addColumn<bool>("otherDevice");
    QTest::addColumn<QString>("indicator");
    QTest::newRow("no device connected") << false << "red";
    QTest::newRow("another device connected") << true << "ylw";
}

// With the rooms' processor down a press changes nothing, sends nothing,
// and the rooms keep the processor's last state, whether or not another
// device is connected. Back on line, presses work again.
void TestFloorPlanDevice::pressesDoNothingWhileTheProcessorIsDown()
{
    QFETCH(bool, otherDevice);
    QFETCH(QString, indicator);

    FloorPlanRig rig;
    rig.otherDeviceConnected = otherDevice;
    rig.combiner.setCombinations(1, {{1, 2}});
    QCOMPARE(rig.start(false), QString());
    QTRY_COMPARE_WITH_TIMEOUT(rig.colours(), (QStringList{"crimson", "crimson", "lightgray", "lightgray"}),
                              Patience);

    rig.device.stopListening();
    rig.device.dropClients();
    QTRY_VERIFY_WITH_TIMEOUT(!rig.isConnected(), Patience);
    QVERIFY(rig.panelHost.getInterfaceProperty(QStringLiteral("connectInd")).toString().contains(indicator));
    QSignalSpy clicked(rig.group()->findRoomByIdText(QStringLiteral("3")), &HRCRoom::roomControlClicked);
    QSignalSpy clickedToo(rig.group()->findRoomByIdText(QStringLiteral("1")), &HRCRoom::roomControlClicked);
    rig.clickRoom(3);
    rig.clickRoom(1);
    QCOMPARE(clicked.count(), 0);
    QCOMPARE(clickedToo.count(), 0);
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
    QCOMPARE(rig.colours(), (QStringList{"crimson", "crimson", "lightgray", "lightgray"}));
    QCOMPARE(rig.chassis()->roomCombineInfo()->comboIndexOfRoom(1, 3), -1);
    QCOMPARE(rig.combiner.acceptedCount(), 0);
    QVERIFY(rig.panelHost.warnings.isEmpty());

    // Back on line: the same press joins the room.
    QVERIFY(rig.device.listen(rig.device.port()));
    QTRY_VERIFY_WITH_TIMEOUT(rig.isConnected(), Patience);
    QTRY_COMPARE_WITH_TIMEOUT(rig.colours(), (QStringList{"crimson", "crimson", "lightgray", "lightgray"}),
                              Patience);
    rig.clickRoom(3);
    QTRY_COMPARE_WITH_TIMEOUT(rig.combiner.acceptedCount(), 1, Patience);
    QCOMPARE(rig.combiner.combinations(1), (Sets{{1, 2, 3}}));
    QTRY_COMPARE_WITH_TIMEOUT(rig.room(3)->fillColor(), QStringLiteral("crimson"), Patience);
}

// In edit mode a room's corner follows a drag and the edited outline is
// the room's from then on; a press on the room clicks nothing.
void TestFloorPlanDevice::editModeDragsACorner()
{
    FloorPlanRig rig;
    QCOMPARE(rig.start(false), QString());
    QTRY_VERIFY_WITH_TIMEOUT(!rig.chassis()->roomCombineInfo()->lastStateReply().isEmpty(), Patience);
    rig.setEditMode(true);
    QSignalSpy clicked(rig.group()->findRoomByIdText(QStringLiteral("1")), &HRCRoom::roomControlClicked);

    // The second corner of room 1 (150, 0 in the room) sits at (170, 100).
    const QPoint from(170, 100);
    const QPoint to(160, 130);
    QTest::mousePress(&rig.window, Qt::LeftButton, {}, from);
    for (int step = 1; step <= 10; ++step)
        QTest::mouseMove(&rig.window, from + (to - from) * step / 10);
    QTest::mouseRelease(&rig.window, Qt::LeftButton, {}, to);
    // The corner follows once the drag has passed its threshold.
    QTRY_VERIFY(rig.room(1)->vertices().at(1) != QPointF(150, 0));
    const QList<QPointF> vertices = rig.room(1)->vertices();
    QCOMPARE(vertices.size(), 4);
    QVERIFY2(vertices.at(1).x() < 150 && vertices.at(1).y() > 10,
             qPrintable(QStringLiteral("%1,%2").arg(vertices.at(1).x()).arg(vertices.at(1).y())));
    QCOMPARE(vertices.at(0), QPointF(0, 0));
    QCOMPARE(vertices.at(2), QPointF(150, 100));
    QCOMPARE(vertices.at(3), QPointF(0, 100));
    QVERIFY(!rig.room(1)->containsPoint(149, 5));

    rig.clickRoom(1);
    QCOMPARE(clicked.count(), 0);
    rig.setEditMode(false);
    rig.clickRoom(1);
    QCOMPARE(clicked.count(), 1);
}

VR_TEST_MAIN(TestFloorPlanDevice)
#include "tst_floorplandevice.moc"
