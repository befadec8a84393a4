#include "VrTest.h"

#include "RoomLists.h"

#include "devices/HRCGroupInfo.h"
#include "devices/RCCombo.h"
#include "devices/RCGroup.h"
#include "devices/RoomInfo.h"

#include <QLoggingCategory>
#include <QRandomGenerator>
#include <QThread>

#include <memory>

namespace {

using Lists = QList<QList<int>>;

// Group 1 of seven combiner rooms "Hall-1" .. "Hall-7" (three
// combinations); with router set, room 5 is a conference router's room
// next to rooms 4 and 6.
void addHall(HRCGroupInfo &info, bool router = false)
{
    for (int room = 1; room <= 7; ++room) {
        const bool isRouter = router && room == 5;
        info.addRoom(room, QStringLiteral("Hall-%1").arg(room), 1, isRouter ? 0 : 1, 100 + room,
                     isRouter ? QList<int>{4, 6} : QList<int>());
    }
}

void setLists(HRCGroupInfo &info, const Lists &lists)
{
    QWriteLocker locker(info.lock());
    RCGroup *pGroup = info.findGroup(1);
    for (int i = 0; i < pGroup->comboCount(); ++i)
        pGroup->combo(i)->setRoomIds(lists.value(i));
    info.updateComboIndexes();
}

// The group's combinations as "[1,2][][3]".
QString listsOf(HRCGroupInfo &info, int groupId = 1)
{
    QReadLocker locker(info.lock());
    Lists lists;
    for (const RCCombo *pCombo : info.findGroup(groupId)->combos())
        lists.append(pCombo->roomIds());
    return roomListsText(lists);
}

// Every room's combination index agrees with the lists, and no room sits
// in two combinations.
bool indexesAgree(HRCGroupInfo &info)
{
    QReadLocker locker(info.lock());
    for (const RoomInfo *pRoom : info.rooms()) {
        const RCGroup *pGroup = info.findGroup(pRoom->groupId());
        int holders = 0;
        for (const RCCombo *pCombo : pGroup->combos())
            holders += pCombo->hasRoom(pRoom->roomId()) ? 1 : 0;
        if (holders > 1 || pRoom->comboIndex() != pGroup->comboIndexOfRoom(pRoom->roomId()))
            return false;
    }
    return true;
}

} // namespace

// Clicks on rooms: the text each sends to the processor and the colour it
// shows; the processor's state reports taken back into the tables.
class TestRoomClicks : public QObject
{
    Q_OBJECT

private slots:
    void click_data();
    void click();
    void groupOfOneRoomHasNothingToClick();
    void singleCommandsNameTheFirstRoom_data();
    void singleCommandsNameTheFirstRoom();
    void parseStateReply_data();
    void parseStateReply();
    void stateReply_data();
    void stateReply();
    void repeatedReplyIsIgnored();
    void clickMakesTheNextReplyCount();
    void lastReplyIsPerChassis();
    void clicksFromTwoThreads();
};

void TestRoomClicks::click_data()
{
    QTest::addColumn<bool>("router");
    QTest::addColumn<Lists>("before");
    QTest::addColumn<int>("selected");
    QTest::addColumn<int>("room");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("colour");
    QTest::addColumn<Lists>("after");

    const QString refused = QStringLiteral("FAILURE::Cannot add 'Hall-5' to the selected combination.");
    QTest::newRow("a lone room needs no command")
        << false << Lists{} << 0 << 2 << "" << "crimson" << Lists{{2}, {}, {}};
    QTest::newRow("a join goes as the whole state")
        << false << Lists{{2}} << 0 << 3 << "SRC 1,[2,3]\r" << "crimson" << Lists{{2, 3}, {}, {}};
    QTest::newRow("a split that leaves one room")
        << false << Lists{{2, 3}} << 0 << 3 << "SRC 1,2,3,S\r" << "lightgray" << Lists{{2}, {}, {}};
    QTest::newRow("a split of the first of two rooms")
        << false << Lists{{2, 3}} << 0 << 2 << "SRC 1,3,2,S\r" << "lightgray" << Lists{{3}, {}, {}};
    QTest::newRow("a split from three rooms")
        << false << Lists{{2, 3, 4}} << 0 << 4 << "SRC 1,[2,3]\r" << "lightgray"
        << Lists{{2, 3}, {}, {}};
    QTest::newRow("a move to another combination")
        << false << Lists{{2, 3, 5}, {6, 7}} << 1 << 3 << "SRC 1,[2,5][3,6,7]\r" << "orange"
        << Lists{{2, 5}, {6, 7, 3}, {}};
    QTest::newRow("a move that leaves both alone")
        << false << Lists{{2, 3}} << 1 << 3 << "SRC 1,2,3,S\r" << "orange" << Lists{{2}, {3}, {}};
    QTest::newRow("a split that leaves one room beside a combination")
        << false << Lists{{2, 3}, {6, 7}} << 0 << 3 << "SRC 1,2,3,S\r" << "lightgray"
        << Lists{{2}, {6, 7}, {}};
    QTest::newRow("a router room joins each neighbour")
        << true << Lists{{4, 6}} << 0 << 5 << "SRC 1,4,5,J\r;SRC 1,6,5,J\r" << "crimson"
        << Lists{{4, 6, 5}, {}, {}};
    QTest::newRow("a router room splits from each neighbour")
        << true << Lists{{4, 5, 6}} << 0 << 5 << "SRC 1,4,5,S\r;SRC 1,6,5,S\r" << "lightgray"
        << Lists{{4, 6}, {}, {}};
    QTest::newRow("a router room with no neighbour left splits silently")
        << true << Lists{{5, 7}} << 0 << 5 << "" << "lightgray" << Lists{{7}, {}, {}};
    QTest::newRow("a router room without a neighbour there is refused")
        << true << Lists{{1, 2}} << 0 << 5 << refused << "lightgray" << Lists{{1, 2}, {}, {}};
    QTest::newRow("a router room leaves, then is refused")
        << true << Lists{{4, 5}, {1, 2}} << 1 << 5 << QStringLiteral("SRC 1,4,5,S\r;") + refused
        << "lightgray" << Lists{{4}, {1, 2}, {}};
    QTest::newRow("a combination the group does not have")
        << false << Lists{{2, 3}} << 3 << 3 << "" << "" << Lists{{2, 3}, {}, {}};
    QTest::newRow("a negative combination")
        << false << Lists{{2, 3}} << -1 << 3 << "" << "" << Lists{{2, 3}, {}, {}};
    QTest::newRow("a room that is not registered")
        << false << Lists{{2, 3}} << 0 << 9 << "" << "" << Lists{{2, 3}, {}, {}};
}

void TestRoomClicks::click()
{
    QFETCH(bool, router);
    QFETCH(Lists, before);
    QFETCH(int, selected);
    QFETCH(int, room);
    QFETCH(Lists, after);

    HRCGroupInfo info;
    addHall(info, router);
    setLists(info, before);
    QString colour = QStringLiteral("unset");
    QTEST(info.roomClicked(room, 1, selected, &colour), "text");
    QTEST(colour, "colour");
    QCOMPARE(listsOf(info), roomListsText(after));
    QVERIFY(indexesAgree(info));
    if (!colour.isEmpty())
        QCOMPARE(info.roomColor(1, room), colour);
}

void TestRoomClicks::groupOfOneRoomHasNothingToClick()
{
    HRCGroupInfo info;
    info.addRoom(1, QStringLiteral("Solo-1"), 2, 1, 1, {});
    QString colour;
    QCOMPARE(info.roomClicked(1, 2, 0, &colour), QString());
    QVERIFY(colour.isEmpty());
    QCOMPARE(info.roomColor(2, 1), QStringLiteral("lightgray"));
    // A group that does not exist neither.
    QCOMPARE(info.roomClicked(1, 3, 0, &colour), QString());
}

void TestRoomClicks::singleCommandsNameTheFirstRoom_data()
{
    QTest::addColumn<bool>("join");
    QTest::addColumn<QList<int>>("combination");
    QTest::addColumn<int>("room");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QList<int>>("after");

    // A click's split leaves one room, which its command names; the join
    // and split steps themselves name the combination's first room, seen
    // here with more rooms left than a click's single command has.
    QTest::newRow("split of the first") << false << QList<int>{2, 5, 7} << 2 << "SRC 1,5,2,S\r"
                                        << QList<int>{5, 7};
    QTest::newRow("split of the middle") << false << QList<int>{2, 5, 7} << 5 << "SRC 1,2,5,S\r"
                                         << QList<int>{2, 7};
    QTest::newRow("split of the last") << false << QList<int>{2, 5, 7} << 7 << "SRC 1,2,7,S\r"
                                       << QList<int>{2, 5};
    QTest::newRow("split, first in list order") << false << QList<int>{7, 2, 5} << 2 << "SRC 1,7,2,S\r"
                                                << QList<int>{7, 5};
    QTest::newRow("split of the last room") << false << QList<int>{4} << 4 << "" << QList<int>{};
    QTest::newRow("join, first in list order") << true << QList<int>{5, 2, 7} << 3 << "SRC 1,5,3,J\r"
                                               << QList<int>{5, 2, 7, 3};
    QTest::newRow("join of a room already in it") << true << QList<int>{5, 2} << 2 << ""
                                                  << QList<int>{5, 2};
}

void TestRoomClicks::singleCommandsNameTheFirstRoom()
{
    QFETCH(bool, join);
    QFETCH(QList<int>, combination);
    QFETCH(int, room);
    QFETCH(QList<int>, after);

    HRCGroupInfo info;
    addHall(info);
    setLists(info, {combination});
    QWriteLocker locker(info.lock());
    RCGroup *pGroup = info.findGroup(1);
    const RoomInfo *pInfo = info.findRoom(1, room);
    QVERIFY(pInfo);
    bool flag = false;
    const QString text = join ? pGroup->joinRoomToCombo(room, 0, pInfo, &flag)
                              : pGroup->splitRoomFromCombo(room, 0, pInfo, &flag);
    QTEST(text, "text");
    QCOMPARE(pGroup->combo(0)->roomIds(), after);
}

void TestRoomClicks::parseStateReply_data()
{
    QTest::addColumn<QString>("reply");
    QTest::addColumn<int>("group");
    QTest::addColumn<bool>("hasLists");
    QTest::addColumn<bool>("wellFormed");
    QTest::addColumn<Lists>("lists");

    QTest::newRow("two lists") << "GRC 3,[1,2][10,4]\r" << 3 << true << true << Lists{{1, 2}, {10, 4}};
    QTest::newRow("no list") << "GRC 3,\r" << 3 << false << true << Lists{};
    QTest::newRow("an empty list is no room 0") << "GRC 1,[]" << 1 << true << true << Lists{{}};
    QTest::newRow("empty ids and no numbers")
        << "GRC 1,[1,x,,2, 7]" << 1 << true << true << Lists{{1, 2, 7}};
    QTest::newRow("cut off") << "GRC 1,[1,2][3" << 1 << true << false << Lists{{1, 2}};
    QTest::newRow("not GRC") << "GRX 1,[1,2]" << -1 << true << true << Lists{{1, 2}};
}

void TestRoomClicks::parseStateReply()
{
    QFETCH(QString, reply);
    const HRCGroupInfo::StateReply parsed = HRCGroupInfo::parseStateReply(reply);
    QTEST(parsed.groupId, "group");
    QTEST(parsed.hasLists, "hasLists");
    QTEST(parsed.wellFormed, "wellFormed");
    QFETCH(Lists, lists);
    QCOMPARE(roomListsText(parsed.lists), roomListsText(lists));
}

void TestRoomClicks::stateReply_data()
{
    QTest::addColumn<QString>("reply");
    QTest::addColumn<Lists>("after");

    const Lists unchanged{{1, 2}, {3}, {}};
    QTest::newRow("none combined") << "GRC 1,\r" << Lists{{}, {3}, {}};
    QTest::newRow("two combinations")
        << "GRC 1,[4,5][6,7]\r" << Lists{{}, {6, 7}, {4, 5}};
    QTest::newRow("without carriage return") << "GRC 1,[1,2,4]" << Lists{{1, 2, 4}, {3}, {}};
    QTest::newRow("an empty list names no room 0") << "GRC 1,[]" << Lists{{}, {3}, {}};
    QTest::newRow("empty ids and no numbers are left out")
        << "GRC 1,[1,x,,2]" << unchanged;
    QTest::newRow("rooms of no group's are left out") << "GRC 1,[1,99,0]" << Lists{{1}, {3}, {}};
    QTest::newRow("a room twice counts once") << "GRC 1,[4,5,4]" << Lists{{}, {3}, {4, 5}};
    QTest::newRow("a group that does not exist") << "GRC 2,[1,2]" << unchanged;
    QTest::newRow("group 0") << "GRC 0,[4,5]" << unchanged;
    QTest::newRow("a negative group") << "GRC -1,[4,5]" << unchanged;
    QTest::newRow("a group no number") << "GRC x,[4,5]" << unchanged;
    QTest::newRow("a group too large") << "GRC 99999999999,[4,5]" << unchanged;
    QTest::newRow("another first word") << "GRX 1,[4,5]" << unchanged;
    QTest::newRow("no comma after the group") << "GRC 1[4,5]" << unchanged;
    QTest::newRow("two blanks") << "GRC  1,[4,5]" << unchanged;
    QTest::newRow("a list cut off") << "GRC 1,[4,5][6" << unchanged;
    QTest::newRow("a list closed twice") << "GRC 1,[4,5]]" << unchanged;
    QTest::newRow("bytes") << QString::fromLatin1("\x06\x15GRC\x00", 6) << unchanged;
}

void TestRoomClicks::stateReply()
{
    QFETCH(QString, reply);
    QFETCH(Lists, after);

    HRCGroupInfo info;
    addHall(info);
    setLists(info, {{1, 2}, {3}});
    info.handleCombineStateReply(reply);
    QCOMPARE(listsOf(info), roomListsText(after));
    QVERIFY(indexesAgree(info));
    // Taken, whether or not it could be used.
    QCOMPARE(info.lastStateReply(), reply);
}

void TestRoomClicks::repeatedReplyIsIgnored()
{
    HRCGroupInfo info;
    addHall(info);
    const QString reply = QStringLiteral("GRC 1,[1,2][3,4]\r");
    info.handleCombineStateReply(reply);
    QCOMPARE(listsOf(info), QStringLiteral("[1,2][3,4][]"));
    setLists(info, {{5, 6}});
    info.handleCombineStateReply(reply);
    QCOMPARE(listsOf(info), QStringLiteral("[5,6][][]"));
    // An empty reply repeats the empty start.
    HRCGroupInfo fresh;
    addHall(fresh);
    fresh.handleCombineStateReply(QString());
    QVERIFY(fresh.lastStateReply().isEmpty());
}

// A click shows at once what its command will make. When the processor
// refuses the command, it keeps reporting its old state: that report must
// set the tables right again, even though it repeats the last one.
void TestRoomClicks::clickMakesTheNextReplyCount()
{
    HRCGroupInfo info;
    addHall(info);
    const QString nothing = QStringLiteral("GRC 1,\r");
    info.handleCombineStateReply(nothing);
    QString colour;
    QCOMPARE(info.roomClicked(1, 1, 0, &colour), QString());
    QVERIFY(info.lastStateReply().isEmpty());
    info.handleCombineStateReply(nothing); // the lone room stays
    QCOMPARE(info.roomClicked(2, 1, 0, &colour), QStringLiteral("SRC 1,[1,2]\r"));
    QCOMPARE(info.roomColor(1, 2), QStringLiteral("crimson"));

    // Refused: the processor still has nothing combined.
    info.handleCombineStateReply(nothing);
    QCOMPARE(info.roomColor(1, 1), QStringLiteral("lightgray"));
    QCOMPARE(info.roomColor(1, 2), QStringLiteral("lightgray"));
    QCOMPARE(listsOf(info), QStringLiteral("[][][]"));

    // A refused router join empties it too.
    HRCGroupInfo routers;
    addHall(routers, true);
    setLists(routers, {{1, 2}});
    routers.handleCombineStateReply(QStringLiteral("GRC 1,[1,2]"));
    QVERIFY(routers.roomClicked(5, 1, 0, &colour).startsWith(QLatin1String("FAILURE::")));
    QVERIFY(routers.lastStateReply().isEmpty());
}

// Two processors that report the same text each take it.
void TestRoomClicks::lastReplyIsPerChassis()
{
    HRCGroupInfo first;
    HRCGroupInfo second;
    addHall(first);
    addHall(second);
    const QString reply = QStringLiteral("GRC 1,[1,2]\r");
    first.handleCombineStateReply(reply);
    second.handleCombineStateReply(reply);
    QCOMPARE(listsOf(first), QStringLiteral("[1,2][][]"));
    QCOMPARE(listsOf(second), QStringLiteral("[1,2][][]"));
}

// Everything runs on the GUI thread, but the lock must hold if it did not:
// clicks, reports and colour queries from two threads at once finish (no
// thread takes the lock twice) and leave the tables consistent.
void TestRoomClicks::clicksFromTwoThreads()
{
    HRCGroupInfo info;
    addHall(info, true);
    // Thousands of clicks write two debug lines each.
    QLoggingCategory::setFilterRules(QStringLiteral("default.debug=false"));
    constexpr int Clicks = 3000;
    auto work = [&info](quint32 seed, bool reports) {
        QRandomGenerator random(seed);
        for (int i = 0; i < Clicks; ++i) {
            QString colour;
            info.roomClicked(random.bounded(1, 8), 1, random.bounded(0, 3), &colour);
            info.roomColor(1, random.bounded(1, 8));
            info.isRoomInCombo(random.bounded(1, 8), 1, random.bounded(0, 3));
            QStringList names;
            info.combinedRoomNames(random.bounded(1, 8), 1, &names);
            info.findGroup(1)->fullStateCommand(info.lock());
            if (reports && i % 10 == 0)
                info.handleCombineStateReply(QStringLiteral("GRC 1,[%1,%2]")
                                                 .arg(random.bounded(1, 4))
                                                 .arg(random.bounded(4, 8)));
        }
    };
    std::unique_ptr<QThread> pFirst(QThread::create(work, 1u, false));
    std::unique_ptr<QThread> pSecond(QThread::create(work, 2u, true));
    pFirst->start();
    pSecond->start();
    const bool firstDone = pFirst->wait(120000);
    const bool secondDone = pSecond->wait(120000);
    QLoggingCategory::setFilterRules(QString());
    QVERIFY2(firstDone && secondDone, "a click thread is stuck on the lock");
    QVERIFY(indexesAgree(info));
}

VR_TEST_MAIN(TestRoomClicks)
#include "tst_roomclicks.moc"
