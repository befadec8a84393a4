#include "VrTest.h"

#include "devices/HBlock.h"
#include "devices/HChassis.h"
#include "devices/HComposite.h"
#include "devices/HRoot.h"
#include "devices/NodeCategory.h"

#include <memory>

// A search by category and nodeID answers from the composite's index; the
// answer must stay the one a walk of the tree as it is now would give,
// whatever happened to the tree since the index was made.
namespace {
const QString kChassis = QStringLiteral("Chassis");

HBlock *block(int nodeID, const QString &label = QString())
{
    auto *pBlock = new HBlock;
    pBlock->setNodeID(nodeID);
    pBlock->setLabel(label);
    return pBlock;
}

struct Tree
{
    // root
    //   chassis 100
    //     block 1
    //     group (composite)
    //       block 2
    //   chassis 200
    //     block 1 ("other")
    std::unique_ptr<HRoot> pRoot = std::make_unique<HRoot>();
    HChassis *pFirst = new HChassis(QStringLiteral("Wren"));
    HChassis *pSecond = new HChassis(QStringLiteral("Wren"));
    HComposite *pGroup = new HComposite;

    Tree()
    {
        pFirst->setNodeID(100);
        pSecond->setNodeID(200);
        pRoot->addChild(pFirst);
        pRoot->addChild(pSecond);
        pFirst->addChild(block(1, QStringLiteral("first")));
        pFirst->addChild(pGroup);
        pGroup->addChild(block(2));
        pSecond->addChild(block(1, QStringLiteral("other")));
    }

    HNode *find(HNode *pScope, int nodeID) const
    {
        return pScope->findByCategoryAndNodeID(NodeCategory::blocks(), nodeID);
    }
};
} // namespace

class TestHNodeIndex : public QObject
{
    Q_OBJECT

private slots:
    void findsThroughTheTree();
    void appendedNodesAreFound();
    void removedNodesAreNotFound();
    void prunedNodesAreNotFound();
    void changedIdsAreFollowed();
    void firstInTreeOrderWins();
    void reparentedNodeIsFoundUnderItsNewParent();
    // Last: a node listed twice makes every later search walk the tree.
    void nodeListedTwiceStillFoundLikeAWalk();
};

void TestHNodeIndex::findsThroughTheTree()
{
    Tree tree;
    QCOMPARE(tree.pRoot->findByCategoryAndNodeID(kChassis, 200), tree.pSecond);
    QCOMPARE(tree.pSecond->findByCategoryAndNodeID(kChassis, 200), tree.pSecond);
    QCOMPARE(tree.find(tree.pSecond, 1)->label(), QString("other"));
    QCOMPARE(tree.find(tree.pFirst, 1)->label(), QString("first"));
    QCOMPARE(tree.find(tree.pRoot.get(), 1)->label(), QString("first"));
    QVERIFY(tree.find(tree.pFirst, 2));
    QVERIFY(!tree.find(tree.pSecond, 2));
    QVERIFY(!tree.pRoot->findByCategoryAndNodeID(kChassis, 1));
    QVERIFY(!tree.pRoot->findByCategoryAndNodeID(NodeCategory::groups(), 2));
    // A plain composite is never an answer itself.
    tree.pGroup->setNodeID(7);
    QVERIFY(!tree.pRoot->findByCategoryAndNodeID(tree.pGroup->category(), 7));
}

void TestHNodeIndex::appendedNodesAreFound()
{
    Tree tree;
    QVERIFY(!tree.find(tree.pRoot.get(), 42));
    QVERIFY(!tree.find(tree.pFirst, 42));
    // Deep below, after both indexes were made.
    HBlock *pNew = block(42);
    tree.pGroup->addChild(pNew);
    QCOMPARE(tree.find(tree.pRoot.get(), 42), pNew);
    QCOMPARE(tree.find(tree.pFirst, 42), pNew);
    QCOMPARE(tree.find(tree.pGroup, 42), pNew);
    // A composite that brings nodes of its own.
    auto *pCard = new HComposite;
    HBlock *pInCard = block(43);
    pCard->addChild(pInCard);
    tree.pSecond->addChild(pCard);
    QCOMPARE(tree.find(tree.pRoot.get(), 43), pInCard);
    // A whole device.
    auto *pThird = new HChassis(QStringLiteral("Wren"));
    pThird->setNodeID(300);
    tree.pRoot->addChild(pThird);
    QCOMPARE(tree.pRoot->findByCategoryAndNodeID(kChassis, 300), pThird);
}

void TestHNodeIndex::removedNodesAreNotFound()
{
    Tree tree;
    HNode *pBlock = tree.find(tree.pFirst, 2);
    QVERIFY(pBlock);
    QVERIFY(tree.find(tree.pRoot.get(), 2));
    QVERIFY(tree.pGroup->removeChild(pBlock));
    QVERIFY(!tree.find(tree.pRoot.get(), 2));
    QVERIFY(!tree.find(tree.pFirst, 2));
    delete pBlock;
    QVERIFY(!tree.find(tree.pRoot.get(), 2));
}

void TestHNodeIndex::prunedNodesAreNotFound()
{
    Tree tree;
    QVERIFY(tree.find(tree.pRoot.get(), 2));
    QVERIFY(tree.find(tree.pFirst, 2));
    tree.find(tree.pFirst, 1)->setUsed(true);
    tree.pRoot->pruneByUse(false); // every unused node goes
    QVERIFY(!tree.find(tree.pRoot.get(), 2));
    QVERIFY(!tree.find(tree.pFirst, 2));
    QCOMPARE(tree.find(tree.pRoot.get(), 1)->label(), QString("first"));
}

void TestHNodeIndex::changedIdsAreFollowed()
{
    Tree tree;
    HNode *pBlock = tree.find(tree.pFirst, 2);
    QVERIFY(pBlock);
    pBlock->setNodeID(5);
    QVERIFY(!tree.find(tree.pRoot.get(), 2));
    QCOMPARE(tree.find(tree.pRoot.get(), 5), pBlock);
    QCOMPARE(tree.find(tree.pFirst, 5), pBlock);
}

void TestHNodeIndex::firstInTreeOrderWins()
{
    Tree tree;
    HBlock *pTwin = block(1, QStringLiteral("twin"));
    tree.pFirst->addChild(pTwin);
    QCOMPARE(tree.find(tree.pFirst, 1)->label(), QString("first"));
    QCOMPARE(tree.find(tree.pRoot.get(), 1)->label(), QString("first"));
    // Moving the first one to the end of its list puts the twin first.
    tree.pFirst->moveChildToEnd(tree.find(tree.pFirst, 1));
    QCOMPARE(tree.find(tree.pFirst, 1), pTwin);
    QCOMPARE(tree.find(tree.pRoot.get(), 1), pTwin);
    // A chassis answers for itself before the nodes below it.
    HBlock *pLikeChassis = block(100);
    tree.pFirst->addChild(pLikeChassis);
    QCOMPARE(tree.pRoot->findByCategoryAndNodeID(pLikeChassis->category(), 100), pLikeChassis);
    QCOMPARE(tree.pRoot->findByCategoryAndNodeID(kChassis, 100), tree.pFirst);
}

void TestHNodeIndex::reparentedNodeIsFoundUnderItsNewParent()
{
    Tree tree;
    HNode *pBlock = tree.find(tree.pFirst, 2);
    QVERIFY(tree.find(tree.pSecond, 1));
    QVERIFY(tree.pGroup->removeChild(pBlock));
    tree.pSecond->addChild(pBlock);
    QCOMPARE(tree.find(tree.pSecond, 2), pBlock);
    QVERIFY(!tree.find(tree.pFirst, 2));
    QCOMPARE(tree.find(tree.pRoot.get(), 2), pBlock);
}

void TestHNodeIndex::nodeListedTwiceStillFoundLikeAWalk()
{
    Tree tree;
    HNode *pBlock = tree.find(tree.pFirst, 2);
    QVERIFY(!tree.find(tree.pSecond, 2));
    tree.pSecond->addChild(pBlock); // now in both lists
    QCOMPARE(tree.find(tree.pSecond, 2), pBlock);
    QCOMPARE(tree.find(tree.pFirst, 2), pBlock);
    // Appended under the node's first composite, found from the root.
    HBlock *pNew = block(9);
    tree.pGroup->addChild(pNew);
    QCOMPARE(tree.find(tree.pRoot.get(), 9), pNew);
    QVERIFY(tree.pGroup->removeChild(pBlock));
    QCOMPARE(tree.find(tree.pFirst, 2), nullptr);
    QCOMPARE(tree.find(tree.pSecond, 2), pBlock);
}

VR_TEST_MAIN(TestHNodeIndex)
#include "tst_hnodeindex.moc"
