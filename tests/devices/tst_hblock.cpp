#include "VrTest.h"

#include "NodeProperties.h"
#include "devices/HBlock.h"
#include "devices/HChassis.h"
#include "devices/HRCGroupInfo.h"
#include "devices/HRoot.h"
#include "devices/RCGroup.h"
#include "devices/RoomInfo.h"

class TestHBlock : public QObject
{
    Q_OBJECT

private slots:
    void keptBlocks_data();
    void keptBlocks();
    void channelNames_data();
    void channelNames();
    void neighbours_data();
    void neighbours();
    void roomRegistration_data();
    void roomRegistration();
    void roomTablesAcrossDevices();
};

void TestHBlock::keptBlocks_data()
{
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("scriptFile");
    QTest::addColumn<bool>("kept");

    for (const char *title : {"Gain", "Selector", "Conference Room Router", "General Purpose Room Combiner",
                              "Standard Room Combiner", "Tone EQ", "ToneEQ"})
        QTest::addRow("%s", title) << title << "" << true;
    for (const char *title : {"AMM", "AMM 8x2", "Virtual GPI 4", "Logic Input 2", "Virtual GPO", "Logic Output 8",
                              "Ventra Array"})
        QTest::addRow("begins: %s", title) << title << "" << true;
    QTest::newRow("Logic with a toggle script") << "Logic" << "scripts/toggleff.js" << true;
    QTest::newRow("Logic with another script") << "Logic" << "scripts/latch.js" << false;
    QTest::newRow("Logic without script") << "Logic" << "" << false;
    QTest::newRow("Logic 2 with a toggle script") << "Logic 2" << "toggleff" << false;
    QTest::newRow("titles are case-sensitive") << "gain" << "" << false;
    QTest::newRow("an unsupported block") << "Delay" << "" << false;
    QTest::newRow("a longer title is not the title") << "Gain 2" << "" << false;
    QTest::newRow("no title") << "" << "" << false;
}

void TestHBlock::keptBlocks()
{
    QFETCH(QString, title);
    QFETCH(QString, scriptFile);
    HBlock block;
    NodeProperties::read(block, {QStringLiteral("title=") + title, QStringLiteral("scriptFile=") + scriptFile});
    QCOMPARE(block.category(), QStringLiteral("Blocks"));
    QTEST(block.finishParsing(), "kept");
}

// Properties in file order; the selector's names afterwards.
void TestHBlock::channelNames_data()
{
    QTest::addColumn<QStringList>("properties");
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<bool>("noneSelection");
    QTest::addColumn<int>("inputCount");
    QTest::addColumn<int>("bgmCount");

    const QString four = QStringLiteral("leftLabelList=A,B,C,D");
    QTest::newRow("empty names are kept")
        << QStringList{"leftLabelList=A,,C"} << QStringList{"A", "", "C"} << false << 0 << 0;
    QTest::newRow("music after the inputs")
        << QStringList{four, "inputCount=2", "bgmCount=2"} << QStringList{"None", "C", "D"} << true << 2 << 2;
    QTest::newRow("no music") << QStringList{four, "inputCount=2", "bgmCount=0"} << QStringList{"None"} << true
                              << 2 << 0;
    QTest::newRow("more music than names left")
        << QStringList{four, "inputCount=3", "bgmCount=5"} << QStringList{"None", "D"} << true << 3 << 5;
    QTest::newRow("no names left to take")
        << QStringList{four, "inputCount=4", "bgmCount=2"} << QStringList{} << true << 4 << 2;
    QTest::newRow("more inputs than names")
        << QStringList{four, "inputCount=9", "bgmCount=1"} << QStringList{} << true << 9 << 1;
    QTest::newRow("negative input count reads as zero")
        << QStringList{four, "inputCount=-2", "bgmCount=2"} << QStringList{"None", "A", "B"} << true << 0 << 2;
    QTest::newRow("negative music count reads as zero")
        << QStringList{four, "inputCount=1", "bgmCount=-3"} << QStringList{"None"} << true << 1 << 0;
    QTest::newRow("counts that do not parse keep zero")
        << QStringList{four, "inputCount=two", "bgmCount=x"} << QStringList{"None"} << true << 0 << 0;
    QTest::newRow("a later name list replaces the selection")
        << QStringList{"bgmCount=0", "leftLabelList=X,Y"} << QStringList{"X", "Y"} << true << 0 << 0;
    QTest::newRow("channel names of other blocks are passed over")
        << QStringList{"name1=Foo", "inLchName2=Bar", "leftLabelListX=Q"} << QStringList{} << false << 0 << 0;
}

void TestHBlock::channelNames()
{
    QFETCH(QStringList, properties);
    HBlock block;
    NodeProperties::read(block, properties);
    QStringList names{QStringLiteral("stale")};
    QVERIFY(block.channelNames(&names));
    QTEST(names, "names");
    QTEST(block.noneSelection(), "noneSelection");
    QTEST(block.inputCount(), "inputCount");
    QTEST(block.bgmCount(), "bgmCount");
}

void TestHBlock::neighbours_data()
{
    QTest::addColumn<int>("room");
    QTest::addColumn<QString>("roomCombine");
    QTest::addColumn<QList<int>>("neighbours");

    QTest::newRow("pairs") << 3 << "{3|5}{4|6}{2|3}" << QList<int>{5, 2};
    QTest::newRow("pairs joined by plus") << 3 << "{3+4}{1+3}" << QList<int>{4, 1};
    QTest::newRow("list includes the own room") << 3 << "[3,5,7]" << QList<int>{3, 5, 7};
    QTest::newRow("list of one") << 3 << "[9]" << QList<int>{9};
    QTest::newRow("several lists") << 3 << "[1,2][4]" << QList<int>{1, 2, 4};
    QTest::newRow("duplicates stay") << 3 << "{3|5}{5|3}" << QList<int>{5, 5};
    QTest::newRow("broken pairs are skipped") << 3 << "{3|x}{3|4|5}{3}{3|6}" << QList<int>{6};
    QTest::newRow("list items that are no number are skipped") << 3 << "[1,,2,a]" << QList<int>{1, 2};
    QTest::newRow("unclosed pieces are ignored") << 3 << "{3|5" << QList<int>{};
    QTest::newRow("no text") << 3 << "" << QList<int>{};
    QTest::newRow("room not in the pairs") << 8 << "{3|5}" << QList<int>{};
}

void TestHBlock::neighbours()
{
    QFETCH(int, room);
    QFETCH(QString, roomCombine);
    HBlock block;
    NodeProperties::read(block, {"title=Conference Room Router", QStringLiteral("roomNumber=%1").arg(room),
                                 QStringLiteral("roomCombine=") + roomCombine});
    QTEST(block.parseNeighbourList(), "neighbours");
}

// The block is placed under a chassis as the design reader does it: the
// chassis attaches it and then asks it to register its room.
void TestHBlock::roomRegistration_data()
{
    QTest::addColumn<QString>("title");
    QTest::addColumn<bool>("registered");
    QTest::addColumn<int>("combinerFlag");
    QTest::addColumn<QList<int>>("neighbours");

    QTest::newRow("standard combiner") << "Standard Room Combiner" << true << 1 << QList<int>{};
    QTest::newRow("general combiner") << "General Purpose Room Combiner" << true << 1 << QList<int>{};
    QTest::newRow("conference router") << "Conference Room Router" << true << 0 << QList<int>{5};
    QTest::newRow("other blocks register nothing") << "Gain" << false << 0 << QList<int>{};
}

void TestHBlock::roomRegistration()
{
    QFETCH(QString, title);
    QFETCH(bool, registered);

    HChassis chassis;
    auto *pBlock = new HBlock;
    NodeProperties::read(*pBlock, {QStringLiteral("title=") + title, "label=Hall", "roomName=East", "nodeID=42",
                                   "roomNumber=3", "rcGroupNumber=1", "roomCombine={3|5}"});
    QVERIFY(pBlock->finishParsing());
    chassis.addChild(pBlock);
    chassis.childAttached(pBlock);

    HRCGroupInfo *pInfo = chassis.roomCombineInfo();
    const RoomInfo *pRoom = pInfo->findRoom(1, 3);
    QCOMPARE(pRoom != nullptr, registered);
    QCOMPARE(pInfo->rooms().size(), registered ? 1 : 0);
    if (!registered)
        return;
    QCOMPARE(pRoom->name(), QStringLiteral("Hall-East"));
    QCOMPARE(pRoom->groupId(), 1);
    QCOMPARE(pRoom->roomId(), 3);
    QCOMPARE(pRoom->blockValue(), 42);
    QCOMPARE(pRoom->comboIndex(), -1);
    QTEST(pRoom->combinerFlag(), "combinerFlag");
    QTEST(pRoom->neighbours(), "neighbours");
    QCOMPARE(pInfo->findGroup(1)->name(), QStringLiteral("NOT_NAMED"));
    QCOMPARE(pInfo->rooms().firstKey(), QStringLiteral("RK_1_3"));

    // The group takes its name through the chassis.
    chassis.setRoomCombineText(1, QStringLiteral("Ballroom"));
    chassis.setRoomCombineText(7, QStringLiteral("Nowhere"));
    QCOMPARE(pInfo->findGroup(1)->name(), QStringLiteral("Ballroom"));
    QVERIFY(!pInfo->findGroup(7));

    // Registering no tables at all is harmless.
    pBlock->registerRoomCombine(nullptr);
}

// The rooms of a group registered on one device are shared with the main
// device, which carries out the combining.
void TestHBlock::roomTablesAcrossDevices()
{
    HRoot root;
    auto *pExpander = new HChassis;
    auto *pMain = new HChassis;
    root.addChild(pExpander);
    root.addChild(pMain);
    HRCGroupInfo *pExpanderInfo = pExpander->roomCombineInfo();
    pExpanderInfo->addRoom(1, QStringLiteral("A-One"), 1, 1, 10, {});
    pExpanderInfo->addRoom(2, QStringLiteral("A-Two"), 1, 1, 11, {});
    pExpanderInfo->addRoom(1, QStringLiteral("B-One"), 2, 0, 12, {2});
    pMain->roomCombineInfo()->addRoom(5, QStringLiteral("M-Five"), 3, 1, 13, {});

    root.shareRoomCombineState(pMain, QStringLiteral("1"));
    HRCGroupInfo *pMainInfo = pMain->roomCombineInfo();
    QCOMPARE(pMainInfo->rooms().size(), 3);
    QVERIFY(pMainInfo->findRoom(1, 1) && pMainInfo->findRoom(1, 2));
    QCOMPARE(pMainInfo->findRoom(1, 2)->blockValue(), 11);
    QVERIFY(!pMainInfo->findRoom(2, 1));
    QCOMPARE(pMainInfo->groups().keys(), (QList<int>{1, 3}));
    // The copy has combinations of its own.
    QCOMPARE(pMainInfo->findGroup(1)->comboCount(), 1);
    QVERIFY(pMainInfo->findGroup(1)->combo(0) != pExpanderInfo->findGroup(1)->combo(0));
    QCOMPARE(pExpanderInfo->rooms().size(), 3); // the source keeps its rooms

    // A group id that is no number shares nothing.
    root.shareRoomCombineState(pMain, QStringLiteral("two"));
    QCOMPARE(pMainInfo->rooms().size(), 3);

    pExpanderInfo->clear();
    QVERIFY(pExpanderInfo->rooms().isEmpty());
    QVERIFY(pExpanderInfo->groups().isEmpty());
}

VR_TEST_MAIN(TestHBlock)
#include "tst_hblock.moc"
