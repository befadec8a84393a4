#include "VrTest.h"

#include "comms/PProtocol.h"
#include "devices/HAudioIO.h"
#include "devices/HBlock.h"
#include "devices/HChassis.h"
#include "devices/HComposite.h"
#include "devices/HRoot.h"

#include <QPointer>

#include <memory>

namespace {

template<typename T>
T *named(T *pNode, const QString &name)
{
    pNode->setObjectName(name);
    return pNode;
}

HBlock *block(const QString &name, int nodeID, const QString &label)
{
    auto *pBlock = named(new HBlock, name);
    pBlock->setNodeID(nodeID);
    pBlock->setLabel(label);
    return pBlock;
}

// A small design, built by hand:
//   root
//     devA  (composite, chassis flag, nodeID 1, label "Main")
//       gainA  block  nodeID 2  label "Music"  id "g7"
//       card   input  nodeID 3  label "Mic In"
//       sub    composite
//         deep block  nodeID 4  label "Deep"
//     devB  (composite, chassis flag, nodeID 5, label "Second")
//       otherB block  nodeID 2  label "Other"
// Devices are plain composites here, so the searches are the composite's.
std::unique_ptr<HRoot> buildTree()
{
    auto pRoot = std::make_unique<HRoot>();
    pRoot->setObjectName(QStringLiteral("root"));

    auto *pDevA = named(new HComposite, QStringLiteral("devA"));
    pDevA->setFlags(HNode::ChassisFlag);
    pDevA->setNodeID(1);
    pDevA->setLabel(QStringLiteral("Main"));
    pRoot->addChild(pDevA);
    HBlock *pGain = block(QStringLiteral("gainA"), 2, QStringLiteral("Music"));
    pGain->setId(QStringLiteral("g7"));
    pDevA->addChild(pGain);
    auto *pCard = named(new HAudioIO(QStringLiteral("Analog"), HAudioIO::Input), QStringLiteral("card"));
    pCard->setNodeID(3);
    pCard->setLabel(QStringLiteral("Mic In"));
    pDevA->addChild(pCard);
    auto *pSub = named(new HComposite, QStringLiteral("sub"));
    pDevA->addChild(pSub);
    pSub->addChild(block(QStringLiteral("deep"), 4, QStringLiteral("Deep")));

    auto *pDevB = named(new HComposite, QStringLiteral("devB"));
    pDevB->setFlags(HNode::ChassisFlag);
    pDevB->setNodeID(5);
    pDevB->setLabel(QStringLiteral("Second"));
    pRoot->addChild(pDevB);
    pDevB->addChild(block(QStringLiteral("otherB"), 2, QStringLiteral("Other")));
    return pRoot;
}

QString nameOf(const HNode *pNode)
{
    return pNode ? pNode->objectName() : QString();
}

QStringList namesOf(const QList<HNode *> &nodes)
{
    QStringList names;
    for (const HNode *pNode : nodes)
        names.append(nameOf(pNode));
    return names;
}

// Every node below the given one, depth first (nodes have no QObject parent).
QList<HNode *> allBelow(HNode *pNode)
{
    QList<HNode *> nodes;
    auto *pComposite = qobject_cast<HComposite *>(pNode);
    for (int i = 0; pComposite && i < pComposite->childCount(); ++i) {
        HNode *pChild = pComposite->childAt(i);
        nodes.append(pChild);
        nodes += allBelow(pChild);
    }
    return nodes;
}

HNode *find(HRoot &root, const QString &name)
{
    for (HNode *pNode : allBelow(&root)) {
        if (pNode->objectName() == name)
            return pNode;
    }
    return nullptr;
}

} // namespace

class TestHComposite : public QObject
{
    Q_OBJECT

private slots:
    void search_data();
    void search();
    void emptyComposite();
    void collect_data();
    void collect();
    void collectAppendsToWhatIsThere();
    void statusDevices();
    void sortByOrder_data();
    void sortByOrder();
    void childList();
    void deletingTheRootDeletesTheTree();
    void pruneIfNotUsedLeafRule_data();
    void pruneIfNotUsedLeafRule();
    void pruneIfNotUsedDestroysEmptiedComposites();
    void pruneByUse_data();
    void pruneByUse();
    void pruneUnkept();
    void clearUsedAndAttached();
};

void TestHComposite::search_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("category");
    QTest::addColumn<int>("nodeID");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("found");

    QTest::newRow("id: earlier child of the root wins") << "id" << "" << 2 << "" << "" << "gainA";
    QTest::newRow("id: depth first into a nested composite") << "id" << "" << 4 << "" << "" << "deep";
    QTest::newRow("id: a composite never matches itself") << "id" << "" << 1 << "" << "" << "";
    QTest::newRow("id: none") << "id" << "" << 99 << "" << "" << "";

    QTest::newRow("category: first block") << "category" << "Blocks" << 0 << "" << "" << "gainA";
    QTest::newRow("category: card") << "category" << "Analog I/O" << 0 << "" << "" << "card";
    QTest::newRow("category: composites are never found") << "category" << "Composite" << 0 << "" << "" << "";
    QTest::newRow("category: not the root itself") << "category" << "Root" << 0 << "" << "" << "";
    QTest::newRow("category: case-sensitive") << "category" << "blocks" << 0 << "" << "" << "";

    QTest::newRow("category and id") << "categoryId" << "Blocks" << 4 << "" << "" << "deep";
    QTest::newRow("category and id: shared id, first wins") << "categoryId" << "Blocks" << 2 << "" << "" << "gainA";
    QTest::newRow("category and id: wrong category") << "categoryId" << "Blocks" << 3 << "" << "" << "";
    QTest::newRow("category and id: card") << "categoryId" << "Analog I/O" << 3 << "" << "" << "card";

    QTest::newRow("label") << "property" << "" << 0 << "label" << "Deep" << "deep";
    QTest::newRow("id text") << "property" << "" << 0 << "id" << "g7" << "gainA";
    QTest::newRow("category as a property") << "property" << "" << 0 << "category" << "Analog I/O" << "card";
    QTest::newRow("label: none") << "property" << "" << 0 << "label" << "Nope" << "";
    QTest::newRow("keys are case-sensitive") << "property" << "" << 0 << "Label" << "Deep" << "";

    QTest::newRow("category and label") << "categoryProperty" << "Blocks" << 0 << "label" << "Other" << "otherB";
    QTest::newRow("category and label: wrong category")
        << "categoryProperty" << "Analog I/O" << 0 << "label" << "Other" << "";
    QTest::newRow("category and label: by path through the tree")
        << "categoryProperty" << "Blocks" << 0 << "label" << "Deep" << "deep";
}

void TestHComposite::search()
{
    QFETCH(QString, kind);
    QFETCH(QString, category);
    QFETCH(int, nodeID);
    QFETCH(QString, key);
    QFETCH(QString, value);

    std::unique_ptr<HRoot> pRoot = buildTree();
    HNode *pFound = nullptr;
    if (kind == QLatin1String("id"))
        pFound = pRoot->findByNodeID(nodeID);
    else if (kind == QLatin1String("category"))
        pFound = pRoot->findByCategory(category);
    else if (kind == QLatin1String("categoryId"))
        pFound = pRoot->findByCategoryAndNodeID(category, nodeID);
    else if (kind == QLatin1String("property"))
        pFound = pRoot->findByProperty(key, value);
    else
        pFound = pRoot->findByCategoryAndProperty(category, key, value);
    QTEST(nameOf(pFound), "found");
}

void TestHComposite::emptyComposite()
{
    HComposite empty;
    QCOMPARE(empty.category(), QStringLiteral("Composite"));
    QVERIFY(!empty.isUsed());
    QVERIFY(!empty.childAt(0));
    QVERIFY(!empty.childAt(-1));
    QVERIFY(!empty.findByCategory(QStringLiteral("Composite")));
    QVERIFY(!empty.findByNodeID(0));
    QVERIFY(!empty.findByCategoryAndNodeID(QStringLiteral("Composite"), 0));
    QVERIFY(!empty.findByProperty(QStringLiteral("label"), QString()));
    QVERIFY(!empty.findByCategoryAndProperty(QStringLiteral("Composite"), QStringLiteral("label"), QString()));
    QList<HNode *> list;
    QVERIFY(!empty.collectByCategory(QStringLiteral("Blocks"), &list));
    QVERIFY(list.isEmpty());
    QVERIFY(!empty.collectByCategory(QStringLiteral("Blocks"), nullptr));
    QVERIFY(!empty.appendIfCategory(QStringLiteral("Blocks"), nullptr));
    QVERIFY(empty.pruneIfNotUsed());

    HRoot root;
    QCOMPARE(root.category(), QStringLiteral("Root"));
    QVERIFY(!root.pruneIfNotUsed()); // the root never asks to go
}

// Every level of the tree adds its matches to the one list.
void TestHComposite::collect_data()
{
    QTest::addColumn<QString>("operation");
    QTest::addColumn<QString>("category");
    QTest::addColumn<QStringList>("names");

    for (const char *operation : {"collectByCategory", "appendIfCategory"}) {
        const QString op = QLatin1String(operation);
        QTest::addRow("%s: blocks of every device and level", operation)
            << op << "Blocks" << QStringList{"gainA", "deep", "otherB"};
        QTest::addRow("%s: a card", operation) << op << "Analog I/O" << QStringList{"card"};
        QTest::addRow("%s: composites are not collected", operation) << op << "Composite" << QStringList();
        QTest::addRow("%s: unknown category", operation) << op << "Groups" << QStringList();
    }
}

void TestHComposite::collect()
{
    QFETCH(QString, operation);
    QFETCH(QString, category);
    QFETCH(QStringList, names);

    std::unique_ptr<HRoot> pRoot = buildTree();
    QList<HNode *> list;
    const bool found = operation == QLatin1String("collectByCategory")
        ? pRoot->collectByCategory(category, &list)
        : pRoot->appendIfCategory(category, &list);
    QCOMPARE(namesOf(list), names);
    QCOMPARE(found, !names.isEmpty());
}

void TestHComposite::collectAppendsToWhatIsThere()
{
    std::unique_ptr<HRoot> pRoot = buildTree();
    HNode sentinel;
    sentinel.setObjectName(QStringLiteral("sentinel"));
    QList<HNode *> list{&sentinel};
    QVERIFY(!pRoot->collectByCategory(QStringLiteral("Groups"), &list));
    QCOMPARE(namesOf(list), QStringList{"sentinel"});
    QVERIFY(pRoot->collectByCategory(QStringLiteral("Analog I/O"), &list));
    QCOMPARE(namesOf(list), (QStringList{"sentinel", "card"}));
}

void TestHComposite::statusDevices()
{
    std::unique_ptr<HRoot> pRoot = buildTree();
    QList<HNode *> list;
    QVERIFY(!pRoot->collectStatusDevices(&list));
    QVERIFY(list.isEmpty());
    QVERIFY(!pRoot->collectStatusDevices(nullptr));
}

void TestHComposite::sortByOrder_data()
{
    QTest::addColumn<QList<int>>("orders");
    QTest::addColumn<QStringList>("sorted");

    QTest::newRow("ascending, equal keys keep their order")
        << QList<int>{3, -1, 3, 0} << QStringList{"n1", "n3", "n0", "n2"};
    QTest::newRow("already sorted") << QList<int>{1, 2, 3} << QStringList{"n0", "n1", "n2"};
    QTest::newRow("all unset") << QList<int>{-1, -1} << QStringList{"n0", "n1"};
    QTest::newRow("empty") << QList<int>{} << QStringList{};
}

void TestHComposite::sortByOrder()
{
    QFETCH(QList<int>, orders);
    HComposite owner;
    QList<HNode *> list;
    for (int i = 0; i < orders.size(); ++i) {
        auto *pNode = named(new HNode, QStringLiteral("n%1").arg(i));
        pNode->setOrder(orders.at(i));
        owner.addChild(pNode);
        list.append(pNode);
    }
    owner.sortByOrder(&list);
    QTEST(namesOf(list), "sorted");
    owner.sortByOrder(nullptr);
}

void TestHComposite::childList()
{
    PProtocol protocol;
    HComposite parent;
    parent.HNode::setProtocol(&protocol);
    auto *pA = named(new HNode, QStringLiteral("a"));
    auto *pB = named(new HNode, QStringLiteral("b"));
    auto *pC = named(new HNode, QStringLiteral("c"));
    parent.addChild(pA);
    parent.addChild(pB);
    parent.addChild(pC);
    parent.addChild(pB); // listed once
    parent.addChild(nullptr);
    QCOMPARE(parent.childCount(), 3);
    QCOMPARE(pB->parentNode(), &parent);
    QCOMPARE(pB->protocol(), &protocol);

    auto order = [&parent] {
        QStringList names;
        for (int i = 0; i < parent.childCount(); ++i)
            names.append(nameOf(parent.childAt(i)));
        return names;
    };
    parent.moveChildToEnd(pA);
    QCOMPARE(order(), (QStringList{"b", "c", "a"}));
    parent.moveChildToEnd(pA); // already last
    HNode stranger;
    parent.moveChildToEnd(&stranger);
    parent.moveChildToEnd(nullptr);
    QCOMPARE(order(), (QStringList{"b", "c", "a"}));

    // Removing unlinks without deleting.
    QPointer<HNode> removed(pC);
    QVERIFY(parent.removeChild(pC));
    QVERIFY(!parent.removeChild(pC));
    QVERIFY(!parent.removeChild(nullptr));
    QCOMPARE(order(), (QStringList{"b", "a"}));
    QVERIFY(removed);
    delete pC;

    // The odd "1240 Inputs" group is logged and still takes its child.
    HComposite inputs;
    inputs.setLabel(QStringLiteral("1240 Inputs"));
    QTest::ignoreMessage(QtDebugMsg, "Found 1240 Inputs Group");
    inputs.addChild(new HNode);
    QCOMPARE(inputs.childCount(), 1);
}

void TestHComposite::deletingTheRootDeletesTheTree()
{
    std::unique_ptr<HRoot> pRoot = buildTree();
    QList<QPointer<HNode>> nodes;
    for (HNode *pNode : allBelow(pRoot.get()))
        nodes.append(pNode);
    QCOMPARE(nodes.size(), 7);
    pRoot.reset();
    for (const QPointer<HNode> &node : std::as_const(nodes))
        QVERIFY(node.isNull());
}

// A leaf goes when it is prunable and not used.
void TestHComposite::pruneIfNotUsedLeafRule_data()
{
    QTest::addColumn<bool>("prunable");
    QTest::addColumn<bool>("used");
    QTest::addColumn<bool>("pruned");

    QTest::newRow("prunable, unused") << true << false << true;
    QTest::newRow("prunable, used") << true << true << false;
    QTest::newRow("not prunable, unused") << false << false << false;
    QTest::newRow("not prunable, used") << false << true << false;
}

void TestHComposite::pruneIfNotUsedLeafRule()
{
    QFETCH(bool, prunable);
    QFETCH(bool, used);
    QFETCH(bool, pruned);

    HNode lone;
    if (!prunable)
        lone.clearFlags(HNode::PrunableFlag);
    if (used)
        lone.setFlags(HNode::UsedFlag);
    QCOMPARE(lone.pruneIfNotUsed(), pruned);

    HComposite parent;
    auto *pKeeper = new HNode;
    pKeeper->clearFlags(HNode::PrunableFlag);
    parent.addChild(pKeeper);
    auto *pLeaf = new HNode;
    parent.addChild(pLeaf);
    if (!prunable)
        pLeaf->clearFlags(HNode::PrunableFlag);
    pLeaf->setUsed(used);
    QPointer<HNode> watched(pLeaf);
    QVERIFY(!parent.pruneIfNotUsed());
    QCOMPARE(watched.isNull(), pruned);
    QCOMPARE(parent.childCount(), pruned ? 1 : 2);
}

void TestHComposite::pruneIfNotUsedDestroysEmptiedComposites()
{
    HRoot root;
    auto *pKeptDevice = new HComposite;
    root.addChild(pKeptDevice);
    auto *pUnused = new HNode;
    auto *pUsed = new HNode;
    auto *pDesigned = new HNode;
    pKeptDevice->addChild(pUnused);
    pKeptDevice->addChild(pUsed);
    pKeptDevice->addChild(pDesigned);
    pUsed->setUsed(true);
    pDesigned->clearFlags(HNode::PrunableFlag);

    // A device whose nodes all go, and one that never had any.
    auto *pEmptied = new HChassis;
    root.addChild(pEmptied);
    auto *pLonely = new HNode;
    pEmptied->addChild(pLonely);
    auto *pEmpty = new HComposite;
    root.addChild(pEmpty);

    // The array is shown in the status view, so it stays empty or not.
    auto *pArray = new HChassis(QStringLiteral("Kestrel"));
    root.addChild(pArray);
    auto *pArrayNode = new HNode;
    pArray->addChild(pArrayNode);

    QPointer<HNode> unused(pUnused), used(pUsed), designed(pDesigned), keptDevice(pKeptDevice);
    QPointer<HNode> emptied(pEmptied), lonely(pLonely), empty(pEmpty), array(pArray), arrayNode(pArrayNode);

    QVERIFY(!root.pruneIfNotUsed());
    QVERIFY(!unused);
    QVERIFY(used && designed && keptDevice);
    QVERIFY(!lonely);
    QVERIFY(!emptied); // destroyed, not only unlinked
    QVERIFY(!empty);
    QVERIFY(array);
    QVERIFY(!arrayNode);
    QCOMPARE(root.childCount(), 2);
    QCOMPARE(root.childAt(0), keptDevice.data());
    QCOMPARE(root.childAt(1), array.data());
    QCOMPARE(pKeptDevice->childCount(), 2);
}

// Each row names the leaves that are in use; the others are unused.
//   root
//     devA: a1, a2, sub: s1
//     devB: b1
void TestHComposite::pruneByUse_data()
{
    QTest::addColumn<bool>("pruneUsed");
    QTest::addColumn<QStringList>("usedLeaves");
    QTest::addColumn<QStringList>("survivors");

    QTest::newRow("unused go, composites once nothing used is left")
        << false << QStringList{"a2"} << QStringList{"devA", "a2"};
    QTest::newRow("a used leaf deep down keeps its composites")
        << false << QStringList{"s1"} << QStringList{"devA", "sub", "s1"};
    QTest::newRow("nothing used empties the tree") << false << QStringList{} << QStringList{};
    QTest::newRow("pruning the used")
        << true << QStringList{"a2", "s1"} << QStringList{"devA", "a1", "sub", "devB", "b1"};
}

void TestHComposite::pruneByUse()
{
    QFETCH(bool, pruneUsed);
    QFETCH(QStringList, usedLeaves);
    QFETCH(QStringList, survivors);

    HRoot root;
    QMap<QString, QPointer<HNode>> nodes;
    auto add = [&nodes](HNode *pParent, HNode *pChild, const QString &name) {
        pChild->setObjectName(name);
        pParent->addChild(pChild);
        nodes.insert(name, pChild);
        return pChild;
    };
    HNode *pDevA = add(&root, new HComposite, QStringLiteral("devA"));
    add(pDevA, new HNode, QStringLiteral("a1"));
    add(pDevA, new HNode, QStringLiteral("a2"));
    HNode *pSub = add(pDevA, new HComposite, QStringLiteral("sub"));
    add(pSub, new HNode, QStringLiteral("s1"));
    HNode *pDevB = add(&root, new HComposite, QStringLiteral("devB"));
    add(pDevB, new HNode, QStringLiteral("b1"));
    for (const QString &name : usedLeaves)
        nodes.value(name)->setUsed(true);

    QVERIFY(!root.pruneByUse(pruneUsed)); // the root has no parent
    QStringList alive;
    for (auto it = nodes.cbegin(); it != nodes.cend(); ++it) {
        if (it.value())
            alive.append(it.key());
    }
    survivors.sort();
    QCOMPARE(alive, survivors);
}

void TestHComposite::pruneUnkept()
{
    HRoot root;
    auto *pKeptDevice = new HComposite;
    pKeptDevice->setFlags(HNode::KeptFlag);
    root.addChild(pKeptDevice);
    auto *pKeptLeaf = new HNode;
    pKeptLeaf->setFlags(HNode::KeptFlag);
    auto *pLeaf = new HNode;
    pKeptDevice->addChild(pKeptLeaf);
    pKeptDevice->addChild(pLeaf);
    auto *pDevice = new HComposite;
    root.addChild(pDevice);
    auto *pKeptInside = new HNode;
    pKeptInside->setFlags(HNode::KeptFlag);
    pDevice->addChild(pKeptInside);

    QPointer<HNode> keptDevice(pKeptDevice), keptLeaf(pKeptLeaf), leaf(pLeaf);
    QPointer<HNode> device(pDevice), keptInside(pKeptInside);
    QVERIFY(!root.pruneUnkept());
    QVERIFY(keptDevice && keptLeaf);
    QVERIFY(!leaf);
    // A device without the mark goes, with whatever it holds.
    QVERIFY(!device && !keptInside);
    QCOMPARE(root.childCount(), 1);

    HNode lone;
    QVERIFY(lone.pruneUnkept());
    lone.setFlags(HNode::KeptFlag);
    QVERIFY(!lone.pruneUnkept());
}

void TestHComposite::clearUsedAndAttached()
{
    std::unique_ptr<HRoot> pRoot = buildTree();
    HNode *pDeep = find(*pRoot, QStringLiteral("deep"));
    HNode *pGain = find(*pRoot, QStringLiteral("gainA"));
    pDeep->setUsed(true);
    pGain->setUsed(true);
    QVERIFY(pRoot->isUsed());
    pRoot->clearUsed();
    QVERIFY(!pRoot->isUsed());
    QVERIFY(!pDeep->hasFlags(HNode::UsedFlag));
    QVERIFY(find(*pRoot, QStringLiteral("sub"))->hasFlags(HNode::HasUsedChildrenFlag));

    pRoot->setFlags(HNode::PlacedFlag);
    HNode *pSub = find(*pRoot, QStringLiteral("sub"));
    pSub->setFlags(HNode::PlacedFlag);
    pDeep->setFlags(HNode::PlacedFlag);
    pRoot->clearAttached(true);
    QVERIFY(pRoot->hasFlags(HNode::PlacedFlag));
    QVERIFY(!pSub->hasFlags(HNode::PlacedFlag));
    QVERIFY(!pDeep->hasFlags(HNode::PlacedFlag));
    pRoot->clearAttached(false);
    QVERIFY(!pRoot->hasFlags(HNode::PlacedFlag));
}

VR_TEST_MAIN(TestHComposite)
#include "tst_hcomposite.moc"
