#include "VrTest.h"

#include "NodeProperties.h"
#include "devices/HChassis.h"
#include "devices/HComposite.h"
#include "comms/PProtocol.h"
#include "devices/HNode.h"

#include <QPointer>

namespace {

// The node fields the property table checks, by name.
QVariant field(const HNode &node, const QString &name)
{
    if (name.startsWith(QLatin1String("range:")))
        return node.rangeFor(name.mid(6));
    if (name == QLatin1String("title"))
        return node.title();
    if (name == QLatin1String("label"))
        return node.label();
    if (name == QLatin1String("scriptFile"))
        return node.scriptFile();
    if (name == QLatin1String("module"))
        return node.module();
    if (name == QLatin1String("channel"))
        return node.channel();
    if (name == QLatin1String("index"))
        return node.index();
    if (name == QLatin1String("nodeID"))
        return node.nodeID();
    if (name == QLatin1String("logicValue"))
        return node.logicValue();
    if (name == QLatin1String("ammChannelCount"))
        return node.ammChannelCount();
    if (name == QLatin1String("logicPinCount"))
        return node.logicPinCount();
    if (name == QLatin1String("teleconInputs"))
        return node.teleconInputs();
    if (name == QLatin1String("micInputs"))
        return node.micInputs();
    if (name == QLatin1String("roomNumber"))
        return node.roomNumber();
    if (name == QLatin1String("rcGroupNumber"))
        return node.rcGroupNumber();
    if (name == QLatin1String("roomCombine"))
        return node.roomCombine();
    if (name == QLatin1String("maxText"))
        return node.maxText();
    if (name == QLatin1String("minText"))
        return node.minText();
    if (name == QLatin1String("inputLabels"))
        return node.inputLabels();
    if (name == QLatin1String("portLabels"))
        return node.portLabels();
    if (name == QLatin1String("exclusiveTransform"))
        return node.exclusiveTransform();
    if (name == QLatin1String("noneSelection"))
        return node.noneSelection();
    return QStringLiteral("<unknown field %1>").arg(name);
}

} // namespace

class TestHNode : public QObject
{
    Q_OBJECT

private slots:
    void freshNode();
    void readAttributes_data();
    void readAttributes();
    void flagWord();
    void setUsed();
    void chassisKey_data();
    void chassisKey();
    void getChassisNeedsAChassisObject();
    void protocolIsHandedDown();
    void findCounterpart();
};

void TestHNode::freshNode()
{
    HNode node;
    QCOMPARE(node.flags(), quint32(HNode::PrunableFlag));
    QCOMPARE(node.order(), -1);
    QCOMPARE(node.nodeID(), 0);
    QCOMPARE(node.portIndex(), -1);
    QCOMPARE(node.pinIndex(), -1);
    QCOMPARE(node.ammChannelCount(), -1);
    QCOMPARE(node.teleconInputs(), -1);
    QCOMPARE(node.micInputs(), -1);
    QCOMPARE(node.roomNumber(), -1);
    QCOMPARE(node.rcGroupNumber(), -1);
    QVERIFY(node.label().isEmpty() && node.title().isEmpty() && node.typenum().isEmpty());
    QVERIFY(node.inputLabels().isEmpty() && node.portLabels().isEmpty());
    QVERIFY(!node.noneSelection() && !node.exclusiveTransform());
    QVERIFY(node.category().isEmpty());
    QVERIFY(node.getProperty(QStringLiteral("typenum")).isEmpty());
    QVERIFY(node.getProperty(QStringLiteral("colour")).isEmpty());
    QVERIFY(!node.parentNode() && !node.protocol() && !node.mainChassis());

    // Index look-ups never fail.
    QCOMPARE(node.portLabel(0), QStringLiteral("noPortLabel"));
    QVERIFY(node.inputLabelAt(0).isEmpty());
    QVERIFY(node.channelLabelAt(0).isEmpty());
    QCOMPARE(node.cardPinAt(0), -1);
    QCOMPARE(node.indexOfChannelLabel(QStringLiteral("A")), -1);
    QVERIFY(!node.childAt(0));
    QCOMPARE(node.cardSlotIndex(), -1);
    QStringList names{QStringLiteral("kept")};
    QVERIFY(!node.channelNames(&names));
    QCOMPARE(names, QStringList{QStringLiteral("kept")});

    // The room-combining operations are inert.
    QCOMPARE(node.roomColor(1), QStringLiteral("black"));
    QCOMPARE(node.selectedCombo(), 0);
    QVERIFY(node.combos().isEmpty());
    QVERIFY(!node.isQueryPending());
    QVERIFY(node.stateQueryCommand().isEmpty());
    QVERIFY(node.roomCombineName().isEmpty());
}

// Each row reads its properties in order into a fresh node and checks the
// named fields.
void TestHNode::readAttributes_data()
{
    QTest::addColumn<QStringList>("properties");
    QTest::addColumn<QVariantMap>("expected");

    QTest::newRow("texts") << QStringList{"title=Gain", "label=Mic 1", "scriptFile=gain.js"}
                           << QVariantMap{{"title", "Gain"}, {"label", "Mic 1"}, {"scriptFile", "gain.js"}};
    QTest::newRow("numbers") << QStringList{"module=3", "channel=2", "index=5", "nodeID=7"}
                             << QVariantMap{{"module", 3}, {"channel", 2}, {"index", 5}, {"nodeID", 7}};
    QTest::newRow("a number that does not parse keeps the field")
        << QStringList{"nodeID=4", "nodeID=abc", "index=", "module=1.5", "channel=0x10"}
        << QVariantMap{{"nodeID", 4}, {"index", 0}, {"module", 0}, {"channel", 0}};
    QTest::newRow("names compare case-sensitively")
        << QStringList{"Title=Gain", "NodeID=3", "InputLabel7=Lead"}
        << QVariantMap{{"title", ""}, {"nodeID", 0}, {"inputLabels", QStringList()}};

    QTest::newRow("actionCount of a virtual GPO")
        << QStringList{"title=Virtual GPO 4", "actionCount=4"}
        << QVariantMap{{"logicPinCount", 4}, {"exclusiveTransform", true}};
    QTest::newRow("actionCount of another block is ignored")
        << QStringList{"title=Gain", "actionCount=4"}
        << QVariantMap{{"logicPinCount", 0}, {"exclusiveTransform", false}};
    QTest::newRow("controlCount of a logic input")
        << QStringList{"title=Logic Input 2", "controlCount=6"}
        << QVariantMap{{"logicPinCount", 6}, {"logicValue", 0}, {"exclusiveTransform", true}};
    QTest::newRow("controlCount of Logic")
        << QStringList{"title=Logic", "controlCount=2"}
        << QVariantMap{{"logicValue", 2}, {"logicPinCount", 0}, {"exclusiveTransform", true}};
    QTest::newRow("negative logic counts read as zero")
        << QStringList{"title=Logic", "controlCount=-5"} << QVariantMap{{"logicValue", 0}};
    QTest::newRow("negative pin counts read as zero")
        << QStringList{"title=Logic Output 1", "actionCount=-1"} << QVariantMap{{"logicPinCount", 0}};

    QTest::newRow("AMM takes only channelCount")
        << QStringList{"title=AMM 8x2", "level=-10 @max=12 @min=-60", "low=0 @max=6 @min=-6", "channelCount=8"}
        << QVariantMap{{"ammChannelCount", 8}, {"maxText", ""}, {"range:low", QString()},
                       {"exclusiveTransform", true}};
    QTest::newRow("AMM negative channelCount reads as zero")
        << QStringList{"title=AMM 8x2", "channelCount=-8"} << QVariantMap{{"ammChannelCount", 0}};
    QTest::newRow("AMM channelCount that does not parse keeps -1")
        << QStringList{"title=AMM 8x2", "channelCount=eight"} << QVariantMap{{"ammChannelCount", -1}};
    QTest::newRow("AMM still reads the common properties")
        << QStringList{"title=AMM 4x1", "nodeID=9", "label=Mixer"}
        << QVariantMap{{"nodeID", 9}, {"label", "Mixer"}};

    QTest::newRow("room combiner")
        << QStringList{"title=Standard Room Combiner", "roomNumber=3", "rcGroupNumber=1",
                       "level=0 @max=12 @min=-60", "bgmLevel=0 @max=6 @min=-40", "inputLevel=0 @max=0 @min=-20",
                       "teleconInputs=2", "roomCombine=[1,2]", "masterVolume=0 @max=1 @min=-1"}
        << QVariantMap{{"roomNumber", 3}, {"rcGroupNumber", 1}, {"range:level", "12,-60"},
                       {"range:bgmLevel", "6,-40"}, {"range:inputLevel", "0,-20"}, {"maxText", ""},
                       {"teleconInputs", -1}, {"roomCombine", ""}, {"range:masterVolume", QString()}};
    QTest::newRow("room numbers that do not parse keep -1")
        << QStringList{"title=General Purpose Room Combiner", "roomNumber=two", "rcGroupNumber="}
        << QVariantMap{{"roomNumber", -1}, {"rcGroupNumber", -1}};
    QTest::newRow("conference room router")
        << QStringList{"title=Conference Room Router", "teleconInputs=2", "micInputs=8",
                       "roomCombine={1|2}", "masterVolume=0 @max=10 @min=-70", "teleconLevel1=0 @max=3 @min=-3",
                       "programLevel=0 @max=4 @min=-4"}
        << QVariantMap{{"teleconInputs", 2}, {"micInputs", 8}, {"roomCombine", "{1|2}"},
                       {"range:masterVolume", "10,-70"}, {"range:teleconLevel1", "3,-3"},
                       {"range:programLevel", "4,-4"}};
    QTest::newRow("router negative input counts read as zero")
        << QStringList{"title=Conference Room Router", "teleconInputs=-2", "micInputs=-1"}
        << QVariantMap{{"teleconInputs", 0}, {"micInputs", 0}};

    QTest::newRow("level of another block sets max and min")
        << QStringList{"title=Gain", "level=-10 @max=12 @min=-60"}
        << QVariantMap{{"maxText", "12"}, {"minText", "-60"}, {"range:level", QString()}};
    QTest::newRow("tone ranges")
        << QStringList{"title=Tone EQ", "low=0 @max=12 @min=-12", "mid=0 @max=6 @min=-6", "high=0 @max=3 @min=-3"}
        << QVariantMap{{"range:low", "12,-12"}, {"range:mid", "6,-6"}, {"range:high", "3,-3"}};
    QTest::newRow("USB level names set max and min")
        << QStringList{"title=USB In", "level2=0 @max=0 @min=-80"}
        << QVariantMap{{"maxText", "0"}, {"minText", "-80"}};
    QTest::newRow("USB In port labels")
        << QStringList{"title=USB In", "outName2=PC Left", "outName1=PC Right", "label1=ignored"}
        << QVariantMap{{"portLabels", QStringList{"PC Left", "PC Right"}}};
    QTest::newRow("USB Out port labels are label plus one character")
        << QStringList{"title=USB Out", "label3=Rec L", "label12=too long", "label=name", "labelA=Rec R"}
        << QVariantMap{{"portLabels", QStringList{"Rec L", "Rec R"}}, {"label", "name"}};
    QTest::newRow("inputLabel on any node, also when handled otherwise")
        << QStringList{"title=Conference Room Router", "inputLabel7=Lectern", "inputLabel1=Lapel"}
        << QVariantMap{{"inputLabels", QStringList{"Lectern", "Lapel"}}};
}

void TestHNode::readAttributes()
{
    QFETCH(QStringList, properties);
    QFETCH(QVariantMap, expected);
    HNode node;
    NodeProperties::read(node, properties);
    for (auto it = expected.cbegin(); it != expected.cend(); ++it) {
        const QVariant actual = field(node, it.key());
        if (actual != it.value()) {
            qWarning().noquote() << "field" << it.key() << "is" << actual << "expected" << it.value();
            QFAIL("a field differs");
        }
    }
}

void TestHNode::flagWord()
{
    HNode node;
    node.setFlags(HNode::UsedFlag | HNode::KeptFlag);
    QVERIFY(node.hasFlags(HNode::UsedFlag | HNode::KeptFlag | HNode::PrunableFlag));
    QVERIFY(!node.hasFlags(HNode::UsedFlag | HNode::ChassisFlag));
    node.clearFlags(HNode::PrunableFlag | HNode::UsedFlag);
    QCOMPARE(node.flags(), quint32(HNode::KeptFlag));
    node.clearAttached(true);
    node.setFlags(HNode::PlacedFlag);
    node.clearAttached(true);
    QVERIFY(!node.hasFlags(HNode::PlacedFlag));
}

void TestHNode::setUsed()
{
    HNode lone;
    lone.setUsed(true);
    QVERIFY(!lone.isUsed());
    QCOMPARE(lone.flags(), quint32(HNode::PrunableFlag));

    HComposite parent;
    auto *pChild = new HNode;
    parent.addChild(pChild);
    pChild->setUsed(true);
    QVERIFY(pChild->hasFlags(HNode::UsedFlag));
    QVERIFY(pChild->isUsed());
    QVERIFY(parent.hasFlags(HNode::HasUsedChildrenFlag));
    QVERIFY(!parent.hasFlags(HNode::UsedFlag));

    pChild->setUsed(false);
    QVERIFY(!pChild->hasFlags(HNode::UsedFlag));
    QVERIFY(pChild->hasFlags(HNode::PrunableFlag));
    QVERIFY(parent.hasFlags(HNode::HasUsedChildrenFlag)); // stays once set

    pChild->setUsed(true);
    pChild->clearUsed();
    QVERIFY(!pChild->isUsed());
}

void TestHNode::chassisKey_data()
{
    QTest::addColumn<bool>("underChassis");
    QTest::addColumn<QString>("chassisLabel");
    QTest::addColumn<int>("chassisNodeID");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("label");

    QTest::newRow("nodeID 0 gives the label") << true << "Main" << 0 << "Main" << "Main";
    QTest::newRow("negative nodeID gives the label") << true << "Main" << -2 << "Main" << "Main";
    QTest::newRow("nodeID 3") << true << "Main" << 3 << "Chassis|||3" << "Main";
    QTest::newRow("no chassis above") << false << "Main" << 3 << "???" << "???";
}

void TestHNode::chassisKey()
{
    QFETCH(bool, underChassis);
    QFETCH(QString, chassisLabel);
    QFETCH(int, chassisNodeID);

    // The key follows the chassis flag through any composite in between.
    HComposite device;
    device.setLabel(chassisLabel);
    device.setNodeID(chassisNodeID);
    if (underChassis)
        device.setFlags(HNode::ChassisFlag);
    auto *pGroup = new HComposite;
    device.addChild(pGroup);
    auto *pBlock = new HNode;
    pGroup->addChild(pBlock);

    QTEST(pBlock->chassisKey(), "key");
    QTEST(pBlock->chassisLabel(), "label");
    QTEST(device.chassisKey(), "key");
}

void TestHNode::getChassisNeedsAChassisObject()
{
    // The flag alone is not a chassis object.
    HComposite flagged;
    flagged.setFlags(HNode::ChassisFlag);
    flagged.setLabel(QStringLiteral("Top"));
    auto *pBlock = new HNode;
    flagged.addChild(pBlock);
    QTest::ignoreMessage(QtWarningMsg, "No chassis found in a parent search from Top");
    QVERIFY(!pBlock->getChassis());
    QTest::ignoreMessage(QtWarningMsg, "No chassis node found in a parent search from Top");
    QVERIFY(!pBlock->findChassisAncestor());

    HChassis chassis;
    auto *pGroup = new HComposite;
    chassis.addChild(pGroup);
    auto *pDeep = new HNode;
    pGroup->addChild(pDeep);
    QCOMPARE(pDeep->getChassis(), &chassis);
    QCOMPARE(pDeep->findChassisAncestor(), &chassis);
    QCOMPARE(chassis.getChassis(), &chassis);
}

void TestHNode::protocolIsHandedDown()
{
    PProtocol first;
    PProtocol second;
    HComposite device;
    device.HNode::setProtocol(&first);
    auto *pGroup = new HComposite;
    auto *pBlock = new HNode;
    pGroup->addChild(pBlock);
    device.addChild(pGroup);
    QCOMPARE(pBlock->protocol(), &first);
    QVERIFY(!pGroup->protocol()); // a composite only passes it on

    // A composite hands a new protocol down and keeps its own.
    device.setProtocol(&second);
    QCOMPARE(pBlock->protocol(), &second);
    QCOMPARE(device.protocol(), &first);

    // A parsed node takes its parent's protocol when it is finished.
    auto *pLate = new HNode;
    device.addChild(pLate);
    pLate->setProtocol(nullptr);
    QVERIFY(pLate->finishParsing());
    QCOMPARE(pLate->protocol(), &first);

    HNode lone;
    QVERIFY(lone.finishParsing());
    QVERIFY(!lone.protocol());
}

void TestHNode::findCounterpart()
{
    HComposite other;
    auto addBlock = [&other](int nodeID, const QString &title, const QString &typenum, int index) {
        auto *pLeaf = new HNode;
        pLeaf->setNodeID(nodeID);
        pLeaf->setTitle(title);
        pLeaf->setTypenum(typenum);
        pLeaf->setIndex(index);
        other.addChild(pLeaf);
        return pLeaf;
    };
    addBlock(5, QStringLiteral("Gain"), QStringLiteral("20"), 1);
    HNode *pMatch = addBlock(5, QStringLiteral("Gain"), QStringLiteral("20"), 0);
    addBlock(5, QStringLiteral("Gain"), QStringLiteral("20"), 0);

    HNode parsed;
    parsed.setNodeID(5);
    parsed.setTitle(QStringLiteral("Gain"));
    parsed.setTypenum(QStringLiteral("20"));
    QCOMPARE(parsed.findCounterpart(&other), pMatch);
    QVERIFY(!parsed.findCounterpart(nullptr));
    parsed.setTypenum(QStringLiteral("21"));
    QVERIFY(!parsed.findCounterpart(&other));
}

VR_TEST_MAIN(TestHNode)
#include "tst_hnode.moc"
