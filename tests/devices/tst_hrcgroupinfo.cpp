#include "VrTest.h"

#include "RoomLists.h"

#include "devices/HRCGroupInfo.h"
#include "devices/RCCombo.h"
#include "devices/RCGroup.h"
#include "devices/RoomCombine.h"
#include "devices/RoomInfo.h"

#include <QPointer>
#include <QReadLocker>

namespace {

// Rooms 1..count of the group, combiner rooms named "Hall-<n>".
void addRooms(HRCGroupInfo &info, int groupId, int count)
{
    for (int room = 1; room <= count; ++room)
        info.addRoom(room, QStringLiteral("Hall-%1").arg(room), groupId, 1, 100 + room, {});
}

// Puts the rooms into combination index as a state report would.
void place(HRCGroupInfo &info, int groupId, int index, const QList<int> &rooms)
{
    QWriteLocker locker(info.lock());
    info.findGroup(groupId)->combo(index)->setRoomIds(rooms);
    info.updateComboIndexes();
}

} // namespace

// The room-combining tables of a chassis: rooms, groups, combinations and
// their colours, as the room-combiner blocks fill them.
class TestHRCGroupInfo : public QObject
{
    Q_OBJECT

private slots:
    void combinationsGrowWithRooms_data();
    void combinationsGrowWithRooms();
    void roomRegisteredTwice();
    void unknownRoomsAndGroups();
    void roomColourFollowsItsCombination();
    void combinedRoomNames();
    void parseRoomKey_data();
    void parseRoomKey();
    void roomListText_data();
    void roomListText();
    void copyGivesCombinationsOfItsOwn();
    void setCombosMatchesByFirstRoom_data();
    void setCombosMatchesByFirstRoom();
};

void TestHRCGroupInfo::combinationsGrowWithRooms_data()
{
    QTest::addColumn<int>("rooms");
    QTest::addColumn<QStringList>("colours");

    QTest::newRow("one room, none") << 1 << QStringList();
    QTest::newRow("two rooms") << 2 << QStringList{"crimson"};
    QTest::newRow("five rooms") << 5 << QStringList{"crimson", "orange"};
    QTest::newRow("fifteen rooms") << 15
                                   << QStringList{"crimson", "orange", "yellow", "lime",
                                                  "skyblue", "cyan", "orchid"};
    QTest::newRow("sixteen rooms, all eight")
        << 16 << QStringList{"crimson", "orange", "yellow", "lime", "skyblue", "cyan", "orchid", "sienna"};
    QTest::newRow("twenty rooms, still eight")
        << 20 << QStringList{"crimson", "orange", "yellow", "lime", "skyblue", "cyan", "orchid", "sienna"};
}

void TestHRCGroupInfo::combinationsGrowWithRooms()
{
    QFETCH(int, rooms);
    QFETCH(QStringList, colours);

    HRCGroupInfo info;
    addRooms(info, 1, rooms);
    QCOMPARE(info.comboColors(1), colours);
    const RCGroup *pGroup = info.findGroup(1);
    QCOMPARE(pGroup->comboCount(), int(colours.size()));
    for (const RCCombo *pCombo : pGroup->combos()) {
        QVERIFY(pCombo->isEmpty());
        QCOMPARE(pCombo->groupId(), 1);
    }
    QCOMPARE(pGroup->comboColor(int(colours.size())), QStringLiteral("lightgray"));
    QCOMPARE(pGroup->comboColor(-1), QStringLiteral("lightgray"));
    // No room starts in a combination.
    for (int room = 1; room <= rooms; ++room)
        QCOMPARE(info.findRoom(1, room)->comboIndex(), -1);
    QCOMPARE(RoomCombine::comboColorList().size(), 8);
}

void TestHRCGroupInfo::roomRegisteredTwice()
{
    HRCGroupInfo info;
    addRooms(info, 1, 2);
    QPointer<RoomInfo> pFirst = info.findRoom(1, 2);
    info.addRoom(2, QStringLiteral("Hall-Stage"), 1, 0, 202, {1});
    // The group holds the room once and gained no combination.
    QCOMPARE(info.findGroup(1)->roomIds(), (QList<int>{1, 2}));
    QCOMPARE(info.findGroup(1)->comboCount(), 1);
    QCOMPARE(info.roomName(1, 2), QStringLiteral("Hall-Stage"));
    QCOMPARE(info.roomBlockValue(1, 2), 202);
    // The record it replaced is gone, not left behind.
    QVERIFY(!pFirst);
    QCOMPARE(info.rooms().size(), 2);
}

void TestHRCGroupInfo::unknownRoomsAndGroups()
{
    HRCGroupInfo info;
    addRooms(info, 1, 2);
    QCOMPARE(info.roomName(1, 7), QStringLiteral("UNKNOWN"));
    QCOMPARE(info.roomBlockValue(1, 7), -1);
    QCOMPARE(info.roomColor(1, 7), QStringLiteral("lightgray"));
    QCOMPARE(info.roomColor(4, 1), QStringLiteral("lightgray"));
    QVERIFY(info.comboColors(4).isEmpty());
    QCOMPARE(info.comboIndexOfRoom(4, 1), -1);
    QVERIFY(!info.isRoomInCombo(1, 4, 0));
    QVERIFY(!info.isRoomInCombo(1, 1, 5));
    QStringList names{QStringLiteral("stale")};
    info.combinedRoomNames(7, 1, &names);
    QVERIFY(names.isEmpty());
    info.setGroupName(4, QStringLiteral("Nowhere"));
    QVERIFY(!info.findGroup(4));
    info.setGroupName(1, QStringLiteral("Ballroom"));
    QCOMPARE(info.findGroup(1)->name(), QStringLiteral("Ballroom"));

    info.clear();
    QVERIFY(info.rooms().isEmpty());
    QVERIFY(info.groups().isEmpty());
}

void TestHRCGroupInfo::roomColourFollowsItsCombination()
{
    HRCGroupInfo info;
    addRooms(info, 1, 4);
    // A room alone in a combination shows that combination's colour.
    place(info, 1, 1, {3});
    QCOMPARE(info.roomColor(1, 3), QStringLiteral("orange"));
    QCOMPARE(info.findRoom(1, 3)->comboIndex(), 1);
    QCOMPARE(info.roomColor(1, 1), QStringLiteral("lightgray"));
    QVERIFY(info.isRoomInCombo(3, 1, 1));
    QVERIFY(!info.isRoomInCombo(3, 1, 0));
    QCOMPARE(info.comboIndexOfRoom(1, 3), 1);

    place(info, 1, 0, {1, 2});
    QCOMPARE(info.roomColor(1, 1), QStringLiteral("crimson"));
    QCOMPARE(info.roomColor(1, 2), QStringLiteral("crimson"));
    // A room in two lists counts in the first.
    place(info, 1, 1, {2, 3});
    QCOMPARE(info.comboIndexOfRoom(1, 2), 0);
    QCOMPARE(info.findRoom(1, 2)->comboIndex(), 0);
}

void TestHRCGroupInfo::combinedRoomNames()
{
    HRCGroupInfo info;
    info.addRoom(1, QStringLiteral("Hall-East"), 1, 1, 1, {});
    info.addRoom(2, QStringLiteral("Hall-West"), 1, 1, 2, {});
    info.addRoom(3, QStringLiteral("Lobby"), 1, 1, 3, {});
    info.addRoom(4, QStringLiteral("Bar-North-Side"), 1, 1, 4, {});
    place(info, 1, 0, {1, 3, 2});
    QStringList names;
    info.combinedRoomNames(1, 1, &names);
    QCOMPARE(names, (QStringList{"Lobby", "West"}));

    // A name with two "-" is shown whole.
    place(info, 1, 0, {3, 2});
    place(info, 1, 1, {4, 1});
    info.combinedRoomNames(1, 1, &names);
    QCOMPARE(names, QStringList{"Bar-North-Side"});
    // Alone: nothing to show.
    place(info, 1, 0, {3});
    info.combinedRoomNames(3, 1, &names);
    QVERIFY(names.isEmpty());
}

void TestHRCGroupInfo::parseRoomKey_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<int>("group");
    QTest::addColumn<int>("room");

    QTest::newRow("made by roomKey") << RoomCombine::roomKey(3, 12) << true << 3 << 12;
    QTest::newRow("four parts") << "RK_1_2_3" << false << -1 << -1;
    QTest::newRow("two parts") << "RK_1" << false << -1 << -1;
    QTest::newRow("group no number") << "RK_x_2" << true << 0 << 2;
    QTest::newRow("numbers of two digits") << "RK_12_10" << true << 12 << 10;
    QTest::newRow("empty") << "" << false << -1 << -1;
}

void TestHRCGroupInfo::parseRoomKey()
{
    QFETCH(QString, key);
    int group = 99;
    int room = 99;
    QTEST(RoomCombine::parseRoomKey(key, &group, &room), "ok");
    QTEST(group, "group");
    QTEST(room, "room");
    QCOMPARE(RoomCombine::roomKey(3, 12), QStringLiteral("RK_3_12"));
}

void TestHRCGroupInfo::roomListText_data()
{
    QTest::addColumn<QList<int>>("rooms");
    QTest::addColumn<QString>("text");

    QTest::newRow("one digit before two") << QList<int>{10, 2, 1} << "1,2,10";
    QTest::newRow("each set in text order") << QList<int>{12, 3, 10, 1} << "1,3,10,12";
    QTest::newRow("one room") << QList<int>{7} << "7";
    QTest::newRow("none") << QList<int>{} << "";
}

void TestHRCGroupInfo::roomListText()
{
    QFETCH(QList<int>, rooms);
    RCCombo combo(1);
    combo.setRoomIds(rooms);
    QTEST(combo.roomListText(), "text");
    QCOMPARE(combo.roomIds(), rooms); // the list itself keeps its order
}

void TestHRCGroupInfo::copyGivesCombinationsOfItsOwn()
{
    HRCGroupInfo source;
    addRooms(source, 1, 4);
    source.addRoom(1, QStringLiteral("Other-1"), 2, 0, 9, {2});
    place(source, 1, 0, {1, 2});

    HRCGroupInfo target;
    source.copyGroupTo(&target, QStringLiteral("1"));
    QCOMPARE(target.rooms().keys(), (QStringList{"RK_1_1", "RK_1_2", "RK_1_3", "RK_1_4"}));
    QCOMPARE(target.findGroup(1)->comboCount(), 2);
    // The copy starts uncombined, and changing it leaves the source alone.
    QCOMPARE(target.roomColor(1, 1), QStringLiteral("lightgray"));
    place(target, 1, 1, {3, 4});
    QCOMPARE(source.roomColor(1, 3), QStringLiteral("lightgray"));
    QCOMPARE(source.roomColor(1, 1), QStringLiteral("crimson"));
}

void TestHRCGroupInfo::setCombosMatchesByFirstRoom_data()
{
    QTest::addColumn<QList<QList<int>>>("before");
    QTest::addColumn<QList<QList<int>>>("report");
    QTest::addColumn<QList<QList<int>>>("after");

    using Lists = QList<QList<int>>;
    QTest::newRow("into empty combinations")
        << Lists{{}, {}, {}} << Lists{{1, 2}, {3, 4}} << Lists{{1, 2}, {3, 4}, {}};
    QTest::newRow("kept where its first room is")
        << Lists{{}, {5, 6}, {}} << Lists{{5, 6, 1}} << Lists{{}, {5, 6, 1}, {}};
    QTest::newRow("rooms move between combinations")
        << Lists{{1, 2, 3}, {4, 5}, {}} << Lists{{1, 2}, {4, 5, 3}} << Lists{{1, 2}, {4, 5, 3}, {}};
    QTest::newRow("unreported combined rooms leave, lone rooms stay")
        << Lists{{1, 2}, {3}, {4, 5}} << Lists{{4, 5}} << Lists{{}, {3}, {4, 5}};
    QTest::newRow("a lone room reported with others")
        << Lists{{1}, {}, {}} << Lists{{2, 1}} << Lists{{}, {2, 1}, {}};
    QTest::newRow("no empty combination: the last lone one")
        << Lists{{1}, {2}, {3, 4}} << Lists{{5, 6}} << Lists{{1}, {5, 6}, {}};
    QTest::newRow("more lists than combinations")
        << Lists{{}, {}, {}} << Lists{{1, 2}, {3, 4}, {5}, {6}} << Lists{{1, 2}, {3, 4}, {6}};
}

void TestHRCGroupInfo::setCombosMatchesByFirstRoom()
{
    QFETCH(QList<QList<int>>, before);
    QFETCH(QList<QList<int>>, report);
    QFETCH(QList<QList<int>>, after);

    // Six rooms: three combinations.
    HRCGroupInfo info;
    addRooms(info, 1, 6);
    RCGroup *pGroup = info.findGroup(1);
    QCOMPARE(pGroup->comboCount(), int(before.size()));
    for (int i = 0; i < before.size(); ++i)
        place(info, 1, i, before.at(i));
    {
        QWriteLocker locker(info.lock());
        pGroup->setCombos(report);
    }
    QList<QList<int>> lists;
    for (const RCCombo *pCombo : pGroup->combos())
        lists.append(pCombo->roomIds());
    QCOMPARE(roomListsText(lists), roomListsText(after));
}

VR_TEST_MAIN(TestHRCGroupInfo)
#include "tst_hrcgroupinfo.moc"
