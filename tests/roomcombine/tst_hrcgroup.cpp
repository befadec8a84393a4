#include "VrTest.h"

#include "NodeProperties.h"
#include "devices/HChassis.h"
#include "devices/HNodeFactory.h"
#include "devices/HRCGroupInfo.h"
#include "devices/RCCombo.h"
#include "devices/RCGroup.h"
#include "roomcombine/HRCGroup.h"
#include "roomcombine/HRCRoom.h"

#include <QSignalSpy>
#include <QStandardItemModel>

#include <memory>

using NodeProperties::read;

namespace {

HRCGroup *addGroup(HChassis &chassis, const QString &id)
{
    auto *pGroup = new HRCGroup;
    pGroup->setId(id);
    read(*pGroup, {"label=Hall Group", "index=1"});
    chassis.addChild(pGroup);
    return pGroup;
}

QStringList roomLabels(const HRCGroup &group)
{
    QStringList labels;
    for (int i = 0; i < group.childCount(); ++i)
        labels << group.childAt(i)->label();
    return labels;
}

// A chassis with group 1 of four rooms "Hall-1" .. "Hall-4" (two
// combinations) and its group node with the room nodes built; with router
// set, room 3 is a conference router's room next to room 4.
struct Hall
{
    explicit Hall(bool router = false)
    {
        for (int room = 1; room <= 4; ++room) {
            const bool isRouter = router && room == 3;
            info()->addRoom(room, QStringLiteral("Hall-%1").arg(room), 1, isRouter ? 0 : 1,
                            70 + room, isRouter ? QList<int>{4} : QList<int>());
        }
        pGroup = addGroup(chassis, QStringLiteral("1"));
        HNodeFactory factory;
        pGroup->buildChildren(&factory, false);
    }

    HRCGroupInfo *info() { return chassis.roomCombineInfo(); }
    HRCRoom *room(int number) const { return qobject_cast<HRCRoom *>(pGroup->childAt(number - 1)); }

    HChassis chassis;
    HRCGroup *pGroup = nullptr;
};

// Group 1's combinations as "[1,2][]".
QString listsOf(HRCGroupInfo *pInfo)
{
    QReadLocker locker(pInfo->lock());
    QString text;
    for (const RCCombo *pCombo : pInfo->findGroup(1)->combos()) {
        QStringList ids;
        for (const int room : pCombo->roomIds())
            ids << QString::number(room);
        text += QLatin1Char('[') + ids.join(QLatin1Char(',')) + QLatin1Char(']');
    }
    return text;
}

// What one room node passes on to its widgets.
struct RoomSignals
{
    explicit RoomSignals(HNode *pNode)
        : colours(pNode, &HNode::updateRoomColor)
        , messages(pNode, &HNode::sendMessage)
        , errors(pNode, &HNode::showErrorDialog)
        , replies(pNode, &HNode::queryResponseReady)
    {
    }

    int total() const { return int(colours.size() + messages.size() + errors.size()); }

    QSignalSpy colours;
    QSignalSpy messages;
    QSignalSpy errors;
    QSignalSpy replies;
};

} // namespace

// The room-combining group as a container: it names its group in the
// chassis's tables and holds a room node per registered room.
class TestHRCGroup : public QObject
{
    Q_OBJECT

private slots:
    void construction();
    void roomsUpToTheFirstGap();
    void mergeRefreshesExistingRooms();
    void idThatIsNoNumber();
    void idIsReadAsDecimal();
    void withoutChassis();
    void queryIsPendingForItsInterval();
    void replyReachesEveryRoom();
    void onlyStateReportsReachTheTables_data();
    void onlyStateReportsReachTheTables();
    void clickReachesOnlyItsRoom();
    void refusedClickShowsOnlyTheMessage();
    void leavingThenRefusedSendsTheSplitAndShowsTheMessage();
    void clickThatChangesNothingSaysNothing();
    void rebuildingTakesTheNextReply();
    void roomsAskTheirGroup();
    void roomInUsePutsTheChassisInUse();
    void findInModel();
};

void TestHRCGroup::construction()
{
    HRCGroup group;
    HRCRoom room;
    QCOMPARE(group.title(), QStringLiteral("RCGroup"));
    QCOMPARE(group.typenum(), QStringLiteral("0"));
    QCOMPARE(group.category(), QStringLiteral("RCGroups"));
    QCOMPARE(room.title(), QStringLiteral("RCRoom"));
    QCOMPARE(room.typenum(), QStringLiteral("0"));
    QCOMPARE(room.category(), QStringLiteral("RCRooms"));
    QCOMPARE(group.resourceFolder(), QStringLiteral("Varolin"));
    HChassis main;
    QCOMPARE(group.selectParent(&main, nullptr), &main);
}

void TestHRCGroup::roomsUpToTheFirstGap()
{
    HChassis chassis;
    HRCGroupInfo *pInfo = chassis.roomCombineInfo();
    pInfo->addRoom(1, QStringLiteral("Hall-North"), 3, 1, 71, {});
    pInfo->addRoom(2, QStringLiteral("Hall-South"), 3, 1, 72, {});
    pInfo->addRoom(4, QStringLiteral("Hall-East"), 3, 1, 74, {});
    pInfo->addRoom(1, QStringLiteral("Other-One"), 5, 1, 80, {});
    HRCGroup *pGroup = addGroup(chassis, QStringLiteral("3"));
    // Placing the group names its group in the tables (by its index).
    pInfo->addRoom(1, QStringLiteral("Named-One"), 1, 1, 90, {});
    addGroup(chassis, QStringLiteral("9"));
    QCOMPARE(pInfo->findGroup(1)->name(), QStringLiteral("Hall Group"));

    HNodeFactory factory;
    pGroup->buildChildren(&factory, false);
    QCOMPARE(roomLabels(*pGroup), (QStringList{"[Hall-North]", "[Hall-South]"}));
    auto *pSouth = qobject_cast<HRCRoom *>(pGroup->childAt(1));
    QVERIFY(pSouth);
    QCOMPARE(pSouth->id(), QStringLiteral("2"));
    QCOMPARE(pSouth->roomNumber(), 2);
    QCOMPARE(pSouth->nodeID(), 72);
    QCOMPARE(pSouth->protocol(), chassis.protocol());
    QVERIFY(pSouth->hasFlags(HNode::PlacedFlag));
    QVERIFY(!pSouth->hasFlags(HNode::PrunableFlag));
    QVERIFY(!pGroup->hasFlags(HNode::PrunableFlag));
    QCOMPARE(pGroup->findRoomByIdText(QStringLiteral("1")), pGroup->childAt(0));
    QCOMPARE(pGroup->findRoomByIdText(QStringLiteral("4")), nullptr);
    // The group is found as itself, its rooms below it.
    QCOMPARE(chassis.findByCategoryAndProperty(QStringLiteral("RCGroups"), QStringLiteral("id"),
                                               QStringLiteral("3")),
             pGroup);
    QCOMPARE(chassis.findByCategoryAndNodeID(QStringLiteral("RCRooms"), 72), pSouth);
}

void TestHRCGroup::mergeRefreshesExistingRooms()
{
    HChassis chassis;
    HRCGroupInfo *pInfo = chassis.roomCombineInfo();
    pInfo->addRoom(1, QStringLiteral("Hall-North"), 3, 1, 71, {});
    HRCGroup *pGroup = addGroup(chassis, QStringLiteral("3"));
    HNodeFactory factory;
    pGroup->buildChildren(&factory, false);
    HNode *pNorth = pGroup->childAt(0);
    pNorth->clearFlags(HNode::PlacedFlag);

    pInfo->clear();
    pInfo->addRoom(1, QStringLiteral("Hall-Stage"), 3, 1, 81, {});
    pInfo->addRoom(2, QStringLiteral("Hall-South"), 3, 1, 82, {});
    pGroup->buildChildren(&factory, true);
    QCOMPARE(pGroup->childCount(), 2);
    QCOMPARE(pGroup->childAt(0), pNorth);
    QCOMPARE(pNorth->label(), QStringLiteral("[Hall-Stage]"));
    QCOMPARE(pNorth->nodeID(), 81);
    QVERIFY(pNorth->hasFlags(HNode::PlacedFlag));
    QCOMPARE(pGroup->childAt(1)->label(), QStringLiteral("[Hall-South]"));
}

void TestHRCGroup::idThatIsNoNumber()
{
    HChassis chassis;
    chassis.roomCombineInfo()->addRoom(1, QStringLiteral("Zero-One"), 0, 1, 1, {});
    chassis.roomCombineInfo()->addRoom(1, QStringLiteral("Three-One"), 3, 1, 2, {});
    HRCGroup *pGroup = addGroup(chassis, QStringLiteral("three"));
    HNodeFactory factory;
    pGroup->buildChildren(&factory, false);
    QCOMPARE(pGroup->groupId(), 0);
    QCOMPARE(roomLabels(*pGroup), QStringList{"[Zero-One]"});
}

// Group 12 is group 12 everywhere: in its rooms, its query, the commands
// of a click, the processor's report and a copy of the group; read in
// another base it would be 10 or 18, which have no rooms here.
void TestHRCGroup::idIsReadAsDecimal()
{
    HChassis chassis;
    HRCGroupInfo *pInfo = chassis.roomCombineInfo();
    for (int room = 1; room <= 4; ++room)
        pInfo->addRoom(room, QStringLiteral("Hall-%1").arg(room), 12, 1, 70 + room, {});
    HRCGroup *pGroup = addGroup(chassis, QStringLiteral("12"));
    HNodeFactory factory;
    pGroup->buildChildren(&factory, false);
    QCOMPARE(pGroup->groupId(), 12);
    QCOMPARE(roomLabels(*pGroup), (QStringList{"[Hall-1]", "[Hall-2]", "[Hall-3]", "[Hall-4]"}));
    QCOMPARE(pGroup->stateQueryCommand(), QStringLiteral("GRC 12\r"));

    RoomSignals second(pGroup->childAt(1));
    pGroup->childAt(0)->controlClicked();
    pGroup->childAt(1)->controlClicked();
    QVERIFY(second.messages.wait(5000));
    QCOMPARE(second.messages.first(), (QVariantList{QStringLiteral("SRC 12,[1,2]\r"), 2}));
    pGroup->childAt(1)->controlClicked();
    QTRY_COMPARE_WITH_TIMEOUT(second.messages.size(), 2, 5000);
    QCOMPARE(second.messages.last(), (QVariantList{QStringLiteral("SRC 12,1,2,S\r"), 2}));

    pGroup->handleQueryResponse(QStringLiteral("GRC 12,[1,3,4]\r"));
    QCOMPARE(pInfo->roomColor(12, 4), QStringLiteral("crimson"));
    QCOMPARE(pInfo->roomColor(12, 2), QStringLiteral("lightgray"));
    QStringList names;
    pGroup->childAt(3)->combinedRoomNames(0, &names);
    QCOMPARE(names, (QStringList{"1", "3"}));

    HRCGroupInfo copy;
    pInfo->copyGroupTo(&copy, QStringLiteral("12"));
    QCOMPARE(copy.rooms().keys(), (QStringList{"RK_12_1", "RK_12_2", "RK_12_3", "RK_12_4"}));
}

void TestHRCGroup::withoutChassis()
{
    HRCGroup group;
    group.setId(QStringLiteral("1"));
    HNodeFactory factory;
    group.buildChildren(&factory, false);
    QCOMPARE(group.childCount(), 0);
    QVERIFY(!group.hasFlags(HNode::PrunableFlag));
    QCOMPARE(group.roomColor(1), QStringLiteral("lightblue"));
    QVERIFY(group.combos().isEmpty());
    QSignalSpy replies(&group, &HNode::queryResponseReady);
    group.handleQueryResponse(QStringLiteral("GRC 1,[1,2]"));
    QCOMPARE(replies.size(), 0);

    HRCRoom room;
    QCOMPARE(room.roomColor(1), QStringLiteral("purple"));
    QVERIFY(room.stateQueryCommand().isEmpty());
    QVERIFY(!room.isQueryPending());
    QVERIFY(room.roomCombineName().isEmpty());
    room.handleQueryResponse(QStringLiteral("GRC 1,[1,2]"));
}

// The query counts as outstanding for 997 ms after the last one, so the
// panels' polling asks about once a second however often it comes by.
void TestHRCGroup::queryIsPendingForItsInterval()
{
    Hall hall;
    QCOMPARE(hall.pGroup->queryTimer().interval(), 997);
    QVERIFY(hall.pGroup->queryTimer().isSingleShot());
    QVERIFY(!hall.pGroup->isQueryPending());
    QCOMPARE(hall.pGroup->stateQueryCommand(), QStringLiteral("GRC 1\r"));
    QVERIFY(hall.pGroup->isQueryPending());
    QVERIFY(hall.room(2)->isQueryPending());
    // A room's query is its group's.
    QCOMPARE(hall.room(2)->stateQueryCommand(), QStringLiteral("GRC 1\r"));
    QVERIFY(hall.pGroup->queryTimer().remainingTime() > 500);
    QTRY_VERIFY_WITH_TIMEOUT(!hall.pGroup->isQueryPending(), 10000);
    QVERIFY(!hall.room(2)->isQueryPending());
}

void TestHRCGroup::replyReachesEveryRoom()
{
    Hall hall;
    QSignalSpy groupReplies(hall.pGroup, &HNode::queryResponseReady);
    std::vector<std::unique_ptr<RoomSignals>> rooms;
    for (int number = 1; number <= 4; ++number)
        rooms.push_back(std::make_unique<RoomSignals>(hall.room(number)));

    // Through a room, as a room's control hands it over.
    hall.room(3)->handleQueryResponse(QStringLiteral("GRC 1,[1,3]"));
    QCOMPARE(groupReplies.size(), 1);
    for (const auto &pRoom : rooms)
        QCOMPARE(pRoom->replies.size(), 1);
    QCOMPARE(hall.room(3)->roomColor(0), QStringLiteral("crimson"));
    QCOMPARE(hall.pGroup->roomColor(1), QStringLiteral("crimson"));
    QCOMPARE(hall.room(2)->roomColor(0), QStringLiteral("lightgray"));
    QStringList names;
    hall.room(1)->combinedRoomNames(0, &names);
    QCOMPARE(names, QStringList{"3"});

    // A repeated report changes nothing and is still announced.
    hall.pGroup->handleQueryResponse(QStringLiteral("GRC 1,[1,3]"));
    QCOMPARE(groupReplies.size(), 2);
    QCOMPARE(rooms.back()->replies.size(), 2);
}

void TestHRCGroup::onlyStateReportsReachTheTables_data()
{
    QTest::addColumn<QStringList>("replies");
    QTest::addColumn<QString>("lists");
    QTest::addColumn<QString>("last");
    QTest::addColumn<int>("announced");

    const QString taken = QStringLiteral("GRC 1,[1,2]");
    const QString confirmation = QStringLiteral("SUB \"GRC 1\",yes");
    const QString clicked = QStringLiteral("[3,4][]"); // what the click made
    QTest::newRow("a new report") << QStringList{"GRC 1,[2,4]"} << "[][2,4]"
                                  << "GRC 1,[2,4]" << 1;
    QTest::newRow("a repeated report") << QStringList{taken} << clicked << taken << 1;
    QTest::newRow("the subscription's confirmation")
        << QStringList{confirmation} << clicked << taken << 0;
    QTest::newRow("a refused subscription")
        << QStringList{"SUB \"GRC 1\",no"} << clicked << taken << 0;
    QTest::newRow("a query answered by an acknowledge")
        << QStringList{"SYNC_ERROR"} << clicked << taken << 0;
    QTest::newRow("a repeated report after a re-subscription")
        << QStringList{confirmation, taken} << clicked << taken << 1;
    QTest::newRow("a new report after a re-subscription")
        << QStringList{confirmation, "GRC 1,[2,4]"} << "[][2,4]" << "GRC 1,[2,4]" << 1;
}

// Only the processor's state reports reach the tables. A subscription's
// confirmation is routed to the room's control like its reports, but says
// nothing of the rooms: it must not count as the last report either, or
// the report that follows it would be taken even when it repeats the last.
void TestHRCGroup::onlyStateReportsReachTheTables()
{
    QFETCH(QStringList, replies);
    QFETCH(QString, lists);
    QFETCH(QString, last);
    QFETCH(int, announced);

    Hall hall;
    hall.pGroup->handleQueryResponse(QStringLiteral("GRC 1,[1,2]"));
    QCOMPARE(listsOf(hall.info()), QStringLiteral("[1,2][]"));
    // A click since has changed the tables.
    {
        QWriteLocker locker(hall.info()->lock());
        RCGroup *pGroup = hall.info()->findGroup(1);
        pGroup->combo(0)->setRoomIds({3, 4});
        pGroup->combo(1)->setRoomIds({});
        hall.info()->updateComboIndexes();
    }
    QSignalSpy reports(hall.pGroup, &HNode::queryResponseReady);
    for (const QString &reply : std::as_const(replies))
        hall.room(2)->handleQueryResponse(reply); // as the room's control hands it over
    QCOMPARE(listsOf(hall.info()), lists);
    QCOMPARE(hall.info()->lastStateReply(), last);
    QCOMPARE(reports.size(), announced);
}

// The click runs a turn of the event loop after the press; its answer runs
// another turn later and reaches only the clicked room's widgets.
void TestHRCGroup::clickReachesOnlyItsRoom()
{
    Hall hall;
    std::vector<std::unique_ptr<RoomSignals>> rooms;
    for (int number = 1; number <= 4; ++number)
        rooms.push_back(std::make_unique<RoomSignals>(hall.room(number)));
    QSignalSpy groupColours(hall.pGroup, &HNode::updateRoomColor);

    hall.room(2)->controlClicked();
    QCOMPARE(groupColours.size(), 0);
    QCOMPARE(hall.info()->roomColor(1, 2), QStringLiteral("lightgray"));
    QVERIFY(rooms.at(1)->colours.wait(5000));
    QCOMPARE(rooms.at(1)->colours.first(), (QVariantList{QStringLiteral("crimson"), 2}));
    QCOMPARE(rooms.at(1)->messages.size(), 1);
    QCOMPARE(rooms.at(1)->messages.first(), (QVariantList{QString(), 2}));

    hall.pGroup->setSelectedCombo(0);
    hall.room(4)->controlClicked();
    QVERIFY(rooms.at(3)->messages.wait(5000));
    QCOMPARE(rooms.at(3)->messages.first(), (QVariantList{QStringLiteral("SRC 1,[2,4]\r"), 4}));
    QCOMPARE(rooms.at(3)->colours.first(), (QVariantList{QStringLiteral("crimson"), 4}));
    QCOMPARE(rooms.at(0)->total(), 0);
    QCOMPARE(rooms.at(2)->total(), 0);
    QCOMPARE(rooms.at(1)->total(), 2);
    QCOMPARE(rooms.at(3)->errors.size(), 0);
}

void TestHRCGroup::refusedClickShowsOnlyTheMessage()
{
    Hall hall(true);
    RoomSignals three(hall.room(3));
    hall.info()->handleCombineStateReply(QStringLiteral("GRC 1,[1,2]"));
    hall.room(3)->controlClicked();
    QVERIFY(three.errors.wait(5000));
    QCOMPARE(three.errors.first(),
             (QVariantList{QStringLiteral("Cannot add 'Hall-3' to the selected combination."), 3}));
    QCOMPARE(three.colours.size(), 0);
    QCOMPARE(three.messages.size(), 0);
}

// A router room leaves its combination and its join is refused: the split
// still goes out, the message is shown, the room shows no combination. The
// failure text never becomes part of a command.
void TestHRCGroup::leavingThenRefusedSendsTheSplitAndShowsTheMessage()
{
    Hall hall(true);
    RoomSignals three(hall.room(3));
    QList<QString> order;
    connect(hall.room(3), &HNode::sendMessage, this, [&order]() { order << QStringLiteral("send"); });
    connect(hall.room(3), &HNode::showErrorDialog, this, [&order]() { order << QStringLiteral("box"); });
    hall.info()->handleCombineStateReply(QStringLiteral("GRC 1,[4,3][1,2]"));
    hall.pGroup->setSelectedCombo(1);
    hall.room(3)->controlClicked();
    QVERIFY(three.errors.wait(5000));
    QCOMPARE(three.messages.size(), 1);
    QCOMPARE(three.messages.first(), (QVariantList{QStringLiteral("SRC 1,4,3,S\r"), 3}));
    QCOMPARE(three.colours.first(), (QVariantList{QStringLiteral("lightgray"), 3}));
    QCOMPARE(three.errors.first().first().toString(),
             QStringLiteral("Cannot add 'Hall-3' to the selected combination."));
    QCOMPARE(order, (QList<QString>{"send", "box"}));
    QCOMPARE(hall.room(3)->roomColor(0), QStringLiteral("lightgray"));
}

void TestHRCGroup::clickThatChangesNothingSaysNothing()
{
    Hall hall;
    RoomSignals one(hall.room(1));
    RoomSignals two(hall.room(2));
    hall.pGroup->setSelectedCombo(2); // two combinations: 0 and 1
    QCOMPARE(hall.pGroup->selectedCombo(), 2);
    hall.room(1)->controlClicked();
    // The click's turn of the event loop, then its answers' turn.
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
    QCOMPARE(one.total(), 0);
    QCOMPARE(hall.room(1)->roomColor(0), QStringLiteral("lightgray"));

    // The selection is read when the click runs.
    hall.room(2)->controlClicked();
    hall.pGroup->setSelectedCombo(1);
    QVERIFY(two.colours.wait(5000));
    QCOMPARE(two.colours.first(), (QVariantList{QStringLiteral("orange"), 2}));
    QCOMPARE(one.total(), 0);
}

// The group's rooms start from the tables as they are when it builds
// them: the next report is taken even if it repeats the last one. Built
// again while merging, the rooms keep one connection each.
void TestHRCGroup::rebuildingTakesTheNextReply()
{
    Hall hall;
    const QString reply = QStringLiteral("GRC 1,[1,2]");
    hall.pGroup->handleQueryResponse(reply);
    QCOMPARE(hall.info()->lastStateReply(), reply);
    HNodeFactory factory;
    hall.pGroup->buildChildren(&factory, true);
    QCOMPARE(hall.pGroup->childCount(), 4);
    QVERIFY(hall.info()->lastStateReply().isEmpty());

    RoomSignals one(hall.room(1));
    hall.room(1)->controlClicked();
    QVERIFY(one.colours.wait(5000));
    QCOMPARE(one.colours.size(), 1);
    QCoreApplication::processEvents();
    QCOMPARE(one.colours.size(), 1);
    QCOMPARE(one.colours.first(), (QVariantList{QStringLiteral("lightgray"), 1}));
}

void TestHRCGroup::roomsAskTheirGroup()
{
    Hall hall;
    QCOMPARE(hall.pGroup->combos(), (QStringList{"crimson", "orange"}));
    QVERIFY(hall.room(1)->combos().isEmpty());
    QVERIFY(hall.pGroup->roomCombineName().isEmpty());
    QCOMPARE(hall.room(1)->roomCombineName(), hall.pGroup->roomCombineName());
    QSignalSpy colourLists(hall.pGroup, &HNode::updateComboColorList);
    emit hall.room(2)->updateComboColorList();
    QCOMPARE(colourLists.size(), 1);
}

// A panel may bind nothing but rooms: their use must reach the chassis,
// which opens its connection only for nodes in use below it.
void TestHRCGroup::roomInUsePutsTheChassisInUse()
{
    Hall hall;
    QVERIFY(!hall.chassis.hasFlags(HNode::HasUsedChildrenFlag));
    hall.room(2)->setUsed(true);
    QVERIFY(hall.room(2)->isUsed());
    QVERIFY(hall.pGroup->isUsed());
    QVERIFY(hall.chassis.hasFlags(HNode::HasUsedChildrenFlag));
    hall.room(2)->setUsed(false);
    QVERIFY(!hall.room(2)->isUsed());
}

void TestHRCGroup::findInModel()
{
    Hall hall;
    QStandardItemModel model;
    auto *pTop = new QStandardItem(QStringLiteral("Rooms"));
    model.appendRow(pTop);
    auto *pMatch = new QStandardItem(QStringLiteral("Hall Group"));
    pTop->appendRow(pMatch);
    pTop->appendRow(new QStandardItem(QStringLiteral("hall group")));
    QCOMPARE(hall.room(1)->findInModel(&model), pMatch);
    pTop->appendRow(new QStandardItem(QStringLiteral("Hall Group")));
    QCOMPARE(hall.room(1)->findInModel(&model), nullptr);
    HRCRoom orphan;
    QCOMPARE(orphan.findInModel(&model), nullptr);
}

VR_TEST_MAIN(TestHRCGroup)
#include "tst_hrcgroup.moc"
