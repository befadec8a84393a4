#include "VrTest.h"

#include "NodeProperties.h"
#include "devices/HChassis.h"
#include "devices/HNodeFactory.h"
#include "roomcombine/HRCGroup.h"
#include "roomcombine/HRCRoom.h"

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
    void withoutChassis();
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
    QCOMPARE(pInfo->groupName(1), QStringLiteral("Hall Group"));

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

void TestHRCGroup::withoutChassis()
{
    HRCGroup group;
    group.setId(QStringLiteral("1"));
    HNodeFactory factory;
    group.buildChildren(&factory, false);
    QCOMPARE(group.childCount(), 0);
    QVERIFY(!group.hasFlags(HNode::PrunableFlag));
}

VR_TEST_MAIN(TestHRCGroup)
#include "tst_hrcgroup.moc"
