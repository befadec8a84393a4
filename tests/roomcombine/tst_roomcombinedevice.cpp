#include "VrTest.h"

#include "RoomCombineRig.h"
#include "RoomLists.h"
#include "devices/HChassis.h"
#include "devices/HRCGroupInfo.h"
#include "devices/RCCombo.h"
#include "devices/RCGroup.h"
#include "roomcombine/HRCGroup.h"
#include "roomcombine/HRCRoom.h"

#include <QElapsedTimer>

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

// The model's combinations of group 1 as "[1,2][][3]".
QString modelLists(RoomCombineRig &rig)
{
    HRCGroupInfo *pInfo = rig.chassis()->roomCombineInfo();
    QReadLocker locker(pInfo->lock());
    QList<QList<int>> lists;
    for (const RCCombo *pCombo : pInfo->findGroup(1)->combos())
        lists.append(pCombo->roomIds());
    return roomListsText(lists);
}

} // namespace

// Four rooms of one group against the simulated processor on 127.0.0.1:
// clicks go out as "SRC" lines, the processor's state comes back by poll
// or by push and reaches every room.
class TestRoomCombineDevice : public QObject
{
    Q_OBJECT

private slots:
    void mode_data();
    void oneClickOneLine_data() { mode_data(); }
    void oneClickOneLine();
    void pollingAsksAboutOnceASecond();
    void subscribedStateIsPushed();
    void frontPanelChangeReachesTheRooms_data() { mode_data(); }
    void frontPanelChangeReachesTheRooms();
    void refusedLineIsCorrected();
    void routerRefusalShowsTheBoxAndSendsTheSplit_data() { mode_data(); }
    void routerRefusalShowsTheBoxAndSendsTheSplit();
    void malformedRepliesChangeNothing();
};

void TestRoomCombineDevice::mode_data()
{
    QTest::addColumn<bool>("subscribe");
    QTest::newRow("poll mode") << false;
    QTest::newRow("subscribe mode") << true;
}

void TestRoomCombineDevice::oneClickOneLine()
{
    QFETCH(bool, subscribe);
    RoomCombineRig rig;
    QCOMPARE(rig.start(subscribe), QString());
    QTRY_VERIFY_WITH_TIMEOUT(rig.room(1).reports > 0, Patience);

    rig.click(1); // alone in the first combination: nothing to send
    QTRY_COMPARE_WITH_TIMEOUT(rig.room(1).colour, QStringLiteral("crimson"), Patience);
    rig.click(2);
    QTRY_COMPARE_WITH_TIMEOUT(rig.combiner.acceptedCount(), 1, Patience);
    QCOMPARE(rig.combiner.combinations(1), (Sets{{1, 2}}));
    // Let the next state report come in: nothing more goes out.
    const int reports = rig.room(3).reports;
    QTRY_VERIFY_WITH_TIMEOUT(rig.room(3).reports > reports || subscribe, Patience);
    QTRY_COMPARE_WITH_TIMEOUT(rig.colours(),
                              (QStringList{"crimson", "crimson", "lightgray", "lightgray"}), Patience);
    QCOMPARE(linesStartingWith(rig.device, "SRC "), QList<QByteArray>{"SRC 1,[1,2]"});
}

// Four rooms poll one group: the query goes out once in each interval,
// not once per room and polling period.
void TestRoomCombineDevice::pollingAsksAboutOnceASecond()
{
    RoomCombineRig rig;
    QCOMPARE(rig.start(false), QString());
    QTRY_VERIFY_WITH_TIMEOUT(rig.device.commandCount("GRC 1") >= 4, 30000);
    QList<qint64> times;
    for (const SimulatedVdsDevice::Command &command : rig.device.commands()) {
        if (command.text == "GRC 1")
            times.append(command.atMs);
    }
    for (int i = 1; i < times.size(); ++i)
        QVERIFY2(times.at(i) - times.at(i - 1) >= 990,
                 qPrintable(QStringLiteral("queries %1 ms apart").arg(times.at(i) - times.at(i - 1))));
    QCOMPARE(rig.device.commandCount("SUB \"GRC"), 0);
}

// Subscribed, the processor's pushes keep the rooms in step without a
// single query.
void TestRoomCombineDevice::subscribedStateIsPushed()
{
    RoomCombineRig rig;
    QCOMPARE(rig.start(true), QString());
    QTRY_VERIFY_WITH_TIMEOUT(rig.combiner.isSubscribed(1), Patience);
    rig.combiner.setCombinations(1, {{3, 4}});
    QTRY_COMPARE_WITH_TIMEOUT(rig.colours(),
                              (QStringList{"lightgray", "lightgray", "crimson", "crimson"}), Patience);
    rig.combiner.setCombinations(1, {{1, 4}, {2, 3}});
    QTRY_COMPARE_WITH_TIMEOUT(rig.colours(),
                              (QStringList{"orange", "crimson", "crimson", "orange"}), Patience);
    QCOMPARE(rig.device.commandCount("GRC "), 0);
    QCOMPARE(rig.device.commandCount("SUB \"GRC 1\""), 1);
}

void TestRoomCombineDevice::frontPanelChangeReachesTheRooms()
{
    QFETCH(bool, subscribe);
    RoomCombineRig rig;
    QCOMPARE(rig.start(subscribe), QString());
    QTRY_VERIFY_WITH_TIMEOUT(rig.room(4).reports > 0, Patience);
    QTRY_COMPARE_WITH_TIMEOUT(rig.combiner.isSubscribed(1), subscribe, Patience);
    QElapsedTimer clock;
    clock.start();
    rig.combiner.setCombinations(1, {{2, 3}});
    QTRY_COMPARE_WITH_TIMEOUT(rig.colours(),
                              (QStringList{"lightgray", "crimson", "crimson", "lightgray"}), Patience);
    qInfo("front panel to rooms: %lld ms", static_cast<long long>(clock.elapsed()));
    QStringList names;
    rig.room(2).pNode->combinedRoomNames(0, &names);
    QCOMPARE(names, QStringList{"Three"});
}

// The processor refuses a join (the program repeats it twice more): the
// rooms first show the join, then the processor's next report, which
// equals the one before the click, takes it back.
void TestRoomCombineDevice::refusedLineIsCorrected()
{
    RoomCombineRig rig;
    QCOMPARE(rig.start(false), QString());
    QTRY_VERIFY_WITH_TIMEOUT(rig.room(1).reports > 0, Patience);
    const QString before = rig.chassis()->roomCombineInfo()->lastStateReply();
    QCOMPARE(before, QStringLiteral("GRC 1,"));

    rig.combiner.refuseNextSrc();
    rig.click(1);
    rig.click(2);
    QTRY_VERIFY_WITH_TIMEOUT(rig.combiner.refusedCount() >= 1, Patience);
    QTRY_COMPARE_WITH_TIMEOUT(rig.room(2).history,
                              (QStringList{"lightgray", "crimson", "lightgray"}), Patience);
    QCOMPARE(rig.colours(), kNothingCombined);
    QCOMPARE(modelLists(rig), QStringLiteral("[][]"));
    QCOMPARE(rig.combiner.acceptedCount(), 0);
    QVERIFY(rig.combiner.combinations(1).isEmpty());
}

// A router room leaves its combination and cannot join the selected one:
// the split goes out, the operator sees why in the warning box, the room
// shows no combination, and no failure text reaches the processor.
void TestRoomCombineDevice::routerRefusalShowsTheBoxAndSendsTheSplit()
{
    QFETCH(bool, subscribe);
    RoomCombineRig rig;
    QCOMPARE(rig.start(subscribe, QStringLiteral("Conference Room Router")), QString());
    QTRY_VERIFY_WITH_TIMEOUT(rig.room(1).reports > 0, Patience);
    rig.click(1);
    rig.click(2);
    QTRY_COMPARE_WITH_TIMEOUT(rig.combiner.combinations(1), (Sets{{1, 2}}), Patience);
    rig.select(1);
    rig.click(4);
    QTRY_COMPARE_WITH_TIMEOUT(rig.room(4).colour, QStringLiteral("orange"), Patience);
    rig.click(2);
    QTRY_COMPARE_WITH_TIMEOUT(rig.panelHost.warnings.size(), 1, Patience);
    QCOMPARE(rig.panelHost.warnings.first(),
             QStringLiteral("Room Combine Failure|Cannot add 'Hall-Two' to the selected combination."));
    QTRY_VERIFY_WITH_TIMEOUT(rig.combiner.combinations(1).isEmpty(), Patience);
    QTRY_COMPARE_WITH_TIMEOUT(rig.room(2).colour, QStringLiteral("lightgray"), Patience);
    QCOMPARE(linesStartingWith(rig.device, "SRC "),
             (QList<QByteArray>{"SRC 1,1,2,J", "SRC 1,1,2,S"}));
    for (const QByteArray &text : rig.device.commandTexts())
        QVERIFY2(!text.contains("FAILURE"), text.constData());
    QCOMPARE(rig.combiner.refusedCount(), 0);
}

// Replies the processor garbles are routed like any other, crash nothing
// and leave the rooms as they were.
void TestRoomCombineDevice::malformedRepliesChangeNothing()
{
    RoomCombineRig rig;
    rig.combiner.setCombinations(1, {{1, 2}, {3, 4}});
    QCOMPARE(rig.start(false), QString());
    const QStringList shown = {"crimson", "crimson", "orange", "orange"};
    QTRY_COMPARE_WITH_TIMEOUT(rig.colours(), shown, Patience);
    const QString lists = modelLists(rig);

    const QList<QByteArray> answers = {
        "GRC 1,[1,2][3\r",   "GRC 1,[1,4]]\r",       "GRC 1,junk\r",
        "GRC 1,[2,3\r",      "GRC 1,\x15[\x06]]\r",  QByteArray("GRC 1,[\0,3]\r", 12),
        "GRC 1,[1,2][3,4][",  "GRC 1\r",             "GRC x,[1,2]\r",
        "\xff\xfe\r",
    };
    for (const QByteArray &answer : answers) {
        rig.combiner.setQueryAnswer(answer);
        const int asked = rig.device.commandCount("GRC 1");
        // The second query goes out after the answer to the first was taken.
        QTRY_VERIFY_WITH_TIMEOUT(rig.device.commandCount("GRC 1") >= asked + 2, Patience);
        QCOMPARE(rig.colours(), shown);
        QCOMPARE(modelLists(rig), lists);
    }
    rig.combiner.setQueryAnswer(QByteArray());
    rig.combiner.setCombinations(1, {{2, 3}});
    QTRY_COMPARE_WITH_TIMEOUT(rig.colours(),
                              (QStringList{"lightgray", "crimson", "crimson", "lightgray"}), Patience);
}

VR_TEST_MAIN(TestRoomCombineDevice)
#include "tst_roomcombinedevice.moc"
