#include "VrTest.h"

#include "NodeProperties.h"
#include "devices/HChassis.h"
#include "devices/HGroup.h"
#include "devices/HParameterSet.h"
#include "devices/HParameterSetList.h"
#include "devices/HRoot.h"

#include <QXmlAttributes>

using NodeProperties::read;

namespace {

// One "Assign" element.
QXmlAttributes assign(const QList<QPair<QString, QString>> &pairs)
{
    QXmlAttributes atts;
    for (const auto &pair : pairs)
        atts.append(pair.first, QString(), pair.first, pair.second);
    return atts;
}

QXmlAttributes rangeAssign(const QString &target, const QString &min, const QString &max,
                             const QString &step)
{
    return assign({{"targetID", target}, {"targetProp", "selector"}, {"targetMin", min},
                   {"targetMax", max}, {"targetStep", step}});
}

// A group placed under a chassis with the title.
HGroup *addGroup(HChassis &chassis, const QString &groupType)
{
    auto *pGroup = new HGroup;
    read(*pGroup, {QStringLiteral("groupType=") + groupType, "title=Group", "label=Zone"});
    chassis.addChild(pGroup);
    return pGroup;
}

HParameterSet *addSet(HChassis &chassis, const QString &id, const QString &label)
{
    auto *pSet = new HParameterSet;
    pSet->setId(id);
    read(*pSet, {QStringLiteral("label=") + label, "title=PSet"});
    chassis.addChild(pSet);
    return pSet;
}

} // namespace

class TestHGroups : public QObject
{
    Q_OBJECT

private slots:
    void groupTypeNumber_data();
    void groupTypeNumber();
    void selectorRange_data();
    void selectorRange();
    void selectorKeepsItsFirstTarget();
    void selectorNamedOptions();
    void arxTargetIds();
    void groupWithoutChassis();
    void groupsGoUnderTheMainChassis();
    void groupCounterpart();

    void parameterSetTitle_data();
    void parameterSetTitle();
    void panelListCollectsNames();
    void setCounterpart_data();
    void setCounterpart();
};

void TestHGroups::groupTypeNumber_data()
{
    QTest::addColumn<QString>("groupType");
    QTest::addColumn<QString>("typenum");
    QTest::newRow("Level") << "Level" << "0";
    QTest::newRow("Level + Mute") << "Level + Mute" << "1";
    QTest::newRow("Mute") << "Mute" << "2";
    QTest::newRow("Selector") << "Selector" << "3";
    QTest::newRow("empty keeps the design's") << "" << "7";
    QTest::newRow("case-sensitive") << "level" << "7";
}

void TestHGroups::groupTypeNumber()
{
    QFETCH(QString, groupType);
    HGroup group;
    group.setTypenum(QStringLiteral("7"));
    read(group, {QStringLiteral("groupType=") + groupType, "label=Zone"});
    QCOMPARE(group.groupType(), groupType);
    QVERIFY(group.finishParsing());
    QTEST(group.typenum(), "typenum");
    QCOMPARE(group.label(), QStringLiteral("Zone"));
}

void TestHGroups::selectorRange_data()
{
    QTest::addColumn<QString>("min");
    QTest::addColumn<QString>("max");
    QTest::addColumn<QString>("step");
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<bool>("warns");

    QTest::newRow("one step") << "1" << "3" << "1" << QStringList{"<1>", "<2>", "<3>"} << false;
    QTest::newRow("step 2") << "0" << "4" << "2" << QStringList{"<0>", "<2>", "<4>"} << false;
    QTest::newRow("step past max") << "0" << "5" << "2" << QStringList{"<0>", "<2>", "<4>"} << false;
    QTest::newRow("single value") << "3" << "3" << "1" << QStringList{"<3>"} << false;
    QTest::newRow("negative range") << "-2" << "0" << "1" << QStringList{"<-2>", "<-1>", "<0>"} << false;
    QTest::newRow("max below min") << "4" << "1" << "1" << QStringList() << false;
    QTest::newRow("invalid min") << "x" << "4" << "1" << QStringList() << false;
    QTest::newRow("invalid step") << "0" << "4" << "" << QStringList() << false;
    QTest::newRow("step 0") << "0" << "4" << "0" << QStringList() << true;
    QTest::newRow("negative step") << "0" << "4" << "-1" << QStringList() << true;
    QTest::newRow("step 0, max equals min") << "2" << "2" << "0" << QStringList() << true;
    QTest::newRow("whole int32 range") << "-2147483648" << "2147483647" << "1" << QStringList() << true;
    QTest::newRow("just too many") << "1" << "1025" << "1" << QStringList() << true;
    QTest::newRow("up to int32 max") << "2147483646" << "2147483647" << "1"
                                     << QStringList{"<2147483646>", "<2147483647>"} << false;
}

void TestHGroups::selectorRange()
{
    QFETCH(QString, min);
    QFETCH(QString, max);
    QFETCH(QString, step);
    HChassis chassis;
    HGroup *pGroup = addGroup(chassis, QStringLiteral("Selector"));
    QFETCH(bool, warns);
    if (warns)
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("^Selector group Zone")));
    pGroup->readAssignment(rangeAssign(QStringLiteral("5"), min, max, step), false);
    QTEST(pGroup->options(), "options");
    QCOMPARE(pGroup->targetID(), 5);
}

void TestHGroups::selectorKeepsItsFirstTarget()
{
    HChassis chassis;
    read(chassis, {"title=ARX-4800"});
    HGroup *pGroup = addGroup(chassis, QStringLiteral("Selector"));
    pGroup->readAssignment(rangeAssign("5", "0", "4", "2"), false);
    pGroup->readAssignment(rangeAssign("6", "7", "8", "1"), false);
    QCOMPARE(pGroup->options(), (QStringList{"<0>", "<2>", "<4>"}));
    QCOMPARE(pGroup->targetID(), 5);
    // The dropped entry does not reach the amplifier's targets either.
    QCOMPARE(pGroup->arxTargetIDs(), QList<int>{5});
}

void TestHGroups::selectorNamedOptions()
{
    HChassis chassis;
    HGroup *pGroup = addGroup(chassis, QStringLiteral("Selector"));
    pGroup->readAssignment(assign({{"targetID", "9"}, {"targetProp", "name3"}, {"targetValue", "Lobby"}}), false);
    pGroup->readAssignment(assign({{"targetID", "9"}, {"targetProp", "level"}, {"targetValue", "Hall"}}), false);
    pGroup->readAssignment(assign({{"targetID", "9"}, {"targetProp", "names"}, {"targetValue", "Bar"}}), false);
    QCOMPARE(pGroup->options(), (QStringList{"Lobby", "Bar"}));

    // Other group kinds take no options.
    HGroup *pLevel = addGroup(chassis, QStringLiteral("Level"));
    pLevel->readAssignment(assign({{"targetID", "9"}, {"targetProp", "name1"}, {"targetValue", "X"}}), false);
    QVERIFY(pLevel->options().isEmpty());
    QCOMPARE(pLevel->targetID(), 0);
}

void TestHGroups::arxTargetIds()
{
    HChassis amplifier;
    read(amplifier, {"title=Hall aRx-4800"});
    HGroup *pGroup = addGroup(amplifier, QStringLiteral("Level"));
    for (const char *target : {"12", "4", "12", "x", "4"})
        pGroup->readAssignment(assign({{"targetID", target}}), true);
    QCOMPARE(pGroup->arxTargetIDs(), (QList<int>{12, 4, 0}));

    HChassis processor;
    read(processor, {"title=DXR-880"});
    HGroup *pOther = addGroup(processor, QStringLiteral("Level"));
    pOther->readAssignment(assign({{"targetID", "12"}}), false);
    QVERIFY(pOther->arxTargetIDs().isEmpty());
}

void TestHGroups::groupWithoutChassis()
{
    HGroup group;
    read(group, {"groupType=Selector", "label=Zone"});
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("^No chassis node found")));
    QTest::ignoreMessage(QtWarningMsg, "No chassis for HGroup found.");
    group.readAssignment(rangeAssign("3", "1", "2", "1"), false);
    QCOMPARE(group.options(), (QStringList{"<1>", "<2>"}));
}

void TestHGroups::groupsGoUnderTheMainChassis()
{
    HChassis main;
    HChassis active;
    HGroup group;
    HParameterSet set;
    HParameterSetList list;
    for (HNode *pNode : std::initializer_list<HNode *>{&group, &set, &list}) {
        QCOMPARE(pNode->selectParent(&main, &active), &main);
        QCOMPARE(pNode->selectParent(nullptr, &active), nullptr);
    }
    QCOMPARE(group.category(), QStringLiteral("Groups"));
    QCOMPARE(set.category(), QStringLiteral("ParameterSets"));
    QCOMPARE(list.category(), QStringLiteral("ParameterSetLists"));
}

void TestHGroups::groupCounterpart()
{
    HRoot other;
    auto *pChassis = new HChassis;
    other.addChild(pChassis);
    const auto addOther = [pChassis](const QString &label, int nodeID) {
        auto *pGroup = new HGroup;
        read(*pGroup, {"title=Group", QStringLiteral("label=") + label,
                       QStringLiteral("nodeID=%1").arg(nodeID)});
        pChassis->addChild(pGroup);
        return pGroup;
    };
    HGroup *pSameIdFirst = addOther(QStringLiteral("A"), 4);
    HGroup *pSameIdLast = addOther(QStringLiteral("B"), 4);
    HGroup *pSameLabel = addOther(QStringLiteral("Zone"), 9);
    Q_UNUSED(pSameIdFirst);

    HGroup byLabel;
    read(byLabel, {"title=Group", "label=Zone", "nodeID=4"});
    QCOMPARE(byLabel.findCounterpart(&other), pSameLabel);

    HGroup byId;
    read(byId, {"title=Group", "label=Other", "nodeID=4"});
    QCOMPARE(byId.findCounterpart(&other), pSameIdLast);

    HGroup noId;
    read(noId, {"title=Group", "label=Other"});
    QCOMPARE(noId.findCounterpart(&other), nullptr);
    QCOMPARE(byLabel.findCounterpart(nullptr), nullptr);
}

void TestHGroups::parameterSetTitle_data()
{
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("compact");
    QTest::newRow("dots and blanks") << "Scene 1.2" << "Scene12";
    QTest::newRow("nothing to drop") << "Evening" << "Evening";
    QTest::newRow("only dots") << ". ." << "";
}

void TestHGroups::parameterSetTitle()
{
    QFETCH(QString, title);
    HParameterSet set;
    HParameterSetList list;
    read(set, {QStringLiteral("title=") + title});
    read(list, {QStringLiteral("title=") + title});
    QVERIFY(set.finishParsing());
    QVERIFY(list.finishParsing());
    QTEST(set.title(), "compact");
    QTEST(list.title(), "compact");
    QCOMPARE(set.typenum(), QStringLiteral("0"));
    QCOMPARE(list.typenum(), QStringLiteral("0"));
}

void TestHGroups::panelListCollectsNames()
{
    HChassis main;
    addSet(main, QStringLiteral("11"), QStringLiteral("Morning"));
    addSet(main, QStringLiteral("12"), QStringLiteral("Evening"));
    addSet(main, QStringLiteral("12"), QStringLiteral("Evening B"));
    auto *pList = new HParameterSetList;
    main.addChild(pList);

    pList->addParameterSet(QStringLiteral("12"));
    pList->addParameterSet(QStringLiteral("99"));
    pList->addParameterSet(QStringLiteral("11"));
    pList->addParameterSet(QStringLiteral("x"));
    QCOMPARE(pList->names(), (QStringList{"Evening", "Evening B", "Morning"}));
    QCOMPARE(pList->ids(), (QList<int>{12, 99, 11, 0}));

    QStringList names;
    QList<int> ids;
    QVERIFY(pList->parameterSets(&names, &ids));
    QCOMPARE(names, pList->names());
    QCOMPARE(ids, pList->ids());

    // Without a parent the ids are kept and no names found.
    HParameterSetList loose;
    loose.addParameterSet(QStringLiteral("11"));
    QCOMPARE(loose.ids(), QList<int>{11});
    QVERIFY(loose.names().isEmpty());
}

void TestHGroups::setCounterpart_data()
{
    QTest::addColumn<int>("nodeID");
    QTest::addColumn<QString>("label");
    QTest::addColumn<QString>("expected"); // label of the found node, empty for none
    QTest::newRow("no node id: by label") << 0 << "Second" << "Second";
    QTest::newRow("no node id, unknown label") << 0 << "Third" << "";
    QTest::newRow("node id: the last with it") << 5 << "Third" << "Second";
    QTest::newRow("unknown node id") << 6 << "First" << "";
}

void TestHGroups::setCounterpart()
{
    QFETCH(int, nodeID);
    QFETCH(QString, label);
    QFETCH(QString, expected);
    HChassis other;
    for (const char *otherLabel : {"First", "Second"}) {
        auto *pSet = new HParameterSet;
        read(*pSet, {"title=Scene1", QStringLiteral("label=") + QLatin1String(otherLabel), "nodeID=5"});
        other.addChild(pSet);
    }
    HParameterSet set;
    read(set, {"title=Scene1", QStringLiteral("label=") + label, QStringLiteral("nodeID=%1").arg(nodeID)});
    HNode *pFound = set.findCounterpart(&other);
    QCOMPARE(pFound ? pFound->label() : QString(), expected);
}

VR_TEST_MAIN(TestHGroups)
#include "tst_hgroups.moc"
