#include "VrTest.h"

#include "FakeWidgetFactory.h"
#include "comms/TTransform.h"
#include "controls/CControl.h"
#include "controls/TTransformFactory.h"
#include "controls/WDelegate.h"
#include "devices/HBlock.h"
#include "devices/HRoot.h"

#include <memory>
#include <vector>

// The registry through which controls on the same parameter share one
// transform answers from its lookups; these follow every change of what a
// registered control is filed under.
namespace {
std::unique_ptr<CControl> makeControl(HNode *pNode, const QString &name, const QString &kind)
{
    auto pControl = std::make_unique<CControl>();
    pControl->setType(QStringLiteral("Control"));
    pControl->setName(name);
    pControl->setKind(kind);
    pControl->setNode(pNode);
    pControl->setAttribute(QStringLiteral("list"), QStringLiteral("transform"), QStringLiteral("grpV"));
    return pControl;
}

HBlock *addBlock(HRoot &root)
{
    auto *pBlock = new HBlock;
    root.addChild(pBlock);
    return pBlock;
}
} // namespace

class TestTransformRegistry : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void renamedControlSharesUnderItsNewName_data();
    void renamedControlSharesUnderItsNewName();
    void controlMovedToAnotherNode();
    void theControlRegisteredLastWins();
    void goneNodeCountsAsNone();
    void manyControlsComeAndGo();
};

void TestTransformRegistry::initTestCase()
{
    WDelegate::instance()->setFactory(new FakeWidgetFactory);
}

void TestTransformRegistry::init()
{
    TTransformFactory::clearRegistry();
}

void TestTransformRegistry::cleanup()
{
    TTransformFactory::clearRegistry();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

void TestTransformRegistry::renamedControlSharesUnderItsNewName_data()
{
    QTest::addColumn<bool>("renameKind");
    QTest::newRow("name") << false;
    QTest::newRow("kind") << true;
}

void TestTransformRegistry::renamedControlSharesUnderItsNewName()
{
    QFETCH(bool, renameKind);
    HRoot root;
    HBlock *pBlock = addBlock(root);
    auto pMaker = makeControl(pBlock, "Gain", "Slider");
    pMaker->bind();
    QVERIFY(pMaker->transform());
    if (renameKind)
        pMaker->setKind("Knob");
    else
        pMaker->setName("Level");

    auto pOld = makeControl(pBlock, "Gain", "Slider");
    pOld->bind();
    QVERIFY(pOld->transform() != pMaker->transform());

    auto pNew = makeControl(pBlock, renameKind ? "Gain" : "Level", renameKind ? "Knob" : "Slider");
    pNew->bind();
    QCOMPARE(pNew->transform(), pMaker->transform());
}

void TestTransformRegistry::controlMovedToAnotherNode()
{
    HRoot root;
    HBlock *pFirst = addBlock(root);
    HBlock *pSecond = addBlock(root);
    auto pMaker = makeControl(pFirst, "Gain", "Slider");
    pMaker->bind();
    pMaker->setNode(pSecond);

    auto pOnFirst = makeControl(pFirst, "Gain", "Slider");
    auto pOnSecond = makeControl(pSecond, "Gain", "Slider");
    pOnFirst->bind();
    pOnSecond->bind();
    QVERIFY(pOnFirst->transform() != pMaker->transform());
    QCOMPARE(pOnSecond->transform(), pMaker->transform());
}

void TestTransformRegistry::theControlRegisteredLastWins()
{
    HRoot root;
    HBlock *pBlock = addBlock(root);
    auto pEarly = makeControl(pBlock, "Gain", "Slider");
    auto pLate = makeControl(pBlock, "Mute", "Slider");
    pEarly->bind();
    pLate->bind();
    // Both now on the same parameter, each with a transform of its own.
    pLate->setName("Gain");
    QVERIFY(pEarly->transform() != pLate->transform());

    auto pAsking = makeControl(pBlock, "Gain", "Slider");
    pAsking->bind();
    QCOMPARE(pAsking->transform(), pLate->transform());

    // With the later one gone, the earlier one answers.
    pLate.reset();
    auto pNext = makeControl(pBlock, "Gain", "Slider");
    pNext->bind();
    QCOMPARE(pNext->transform(), pEarly->transform());
}

void TestTransformRegistry::goneNodeCountsAsNone()
{
    HRoot root;
    HBlock *pBlock = addBlock(root);
    auto pMaker = makeControl(pBlock, "Gain", "Slider");
    pMaker->bind();
    root.pruneByUse(false); // the unused block goes
    QVERIFY(!pMaker->node());

    auto pWithoutNode = makeControl(nullptr, "Gain", "Slider");
    pWithoutNode->bind();
    QCOMPARE(pWithoutNode->transform(), pMaker->transform());
}

void TestTransformRegistry::manyControlsComeAndGo()
{
    HRoot root;
    std::vector<HBlock *> blocks;
    std::vector<std::unique_ptr<CControl>> controls;
    for (int i = 0; i < 300; ++i) {
        blocks.push_back(addBlock(root));
        controls.push_back(makeControl(blocks.back(), "Gain", "Slider"));
        controls.back()->bind();
    }
    QCOMPARE(TTransformFactory::registeredControls().size(), 300);
    // Every other control goes, the first ones detached, the rest deleted.
    for (int i = 0; i < 300; i += 2) {
        if (i < 100)
            controls[size_t(i)]->detach();
        else
            controls[size_t(i)].reset();
    }
    QList<CControl *> expected;
    for (const auto &pControl : controls) {
        if (pControl && pControl->transform() && TTransformFactory::isRegistered(pControl.get()))
            expected.append(pControl.get());
    }
    QCOMPARE(expected.size(), 150);
    QCOMPARE(TTransformFactory::registeredControls(), expected);
    for (int i = 0; i < 300; ++i) {
        auto pAsking = makeControl(blocks[size_t(i)], "Gain", "Slider");
        pAsking->bind();
        if (i % 2)
            QCOMPARE(pAsking->transform(), controls[size_t(i)]->transform());
        else
            QVERIFY(TTransformFactory::registeredControls().contains(pAsking.get()));
    }
}

VR_TEST_MAIN(TestTransformRegistry)
#include "tst_transformregistry.moc"
