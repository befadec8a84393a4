#include "VrTest.h"

#include "FakeWidgetFactory.h"
#include "RecordingProtocol.h"
#include "comms/TTransform.h"
#include "controls/CComposite.h"
#include "controls/CControl.h"
#include "controls/TTransformFactory.h"
#include "controls/WDelegate.h"
#include "controls/WWidget.h"
#include "devices/HBlock.h"
#include "devices/HRoot.h"

#include <QPointer>
#include <QQuickItem>

namespace {
void flushDeletes()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

CControl *makeControl(HNode *pNode, const QString &name, const QString &kind,
                      const QString &transform)
{
    auto *pControl = new CControl;
    pControl->setType(QStringLiteral("Control"));
    pControl->setName(name);
    pControl->setKind(kind);
    pControl->setNode(pNode);
    if (!transform.isEmpty())
        pControl->setAttribute(QStringLiteral("list"), QStringLiteral("transform"), transform);
    return pControl;
}

// One widget element of the panel file.
void addWidget(CControl *pControl, const QString &type, const QList<QPair<QString, QString>> &leaves)
{
    for (const auto &leaf : leaves)
        pControl->setWidgetAttribute(type, leaf.first, leaf.second);
    pControl->endWidget(type);
}
} // namespace

class TestCControl : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void setTypeSetsKindAndName_data();
    void setTypeSetsKindAndName();
    void sharesTransformByNodeNameAndKind();
    void destroyingSharersDropsTheTransformLast();
    void sharedTransformNeverPointsAtAGoneControl();
    void detachLeavesTheRegistry();
    void unknownTransformLeavesControlUnbound();
    void requestState_data();
    void requestState();
    void widgetsFromFactory();
    void widgetLinks();
    void selectPath_data();
    void selectPath();
    void centerNeedsMatchingKind();
    void linkCyclesAreRefused_data();
    void linkCyclesAreRefused();
    void retainAndReleaseCountUses();
    void minimumSizeOnlyGrows();
};

void TestCControl::initTestCase()
{
    WDelegate::instance()->setFactory(new FakeWidgetFactory);
}

void TestCControl::init()
{
    TTransformFactory::clearRegistry();
}

void TestCControl::setTypeSetsKindAndName_data()
{
    QTest::addColumn<QString>("type");
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("name");
    QTest::newRow("scene") << "Scene" << "Panels" << "Scene";
    QTest::newRow("panel") << "Panel" << "Controls" << "Panel";
    QTest::newRow("control") << "Control" << "Slider" << "Fader";
    QTest::newRow("case matters") << "panel" << "Slider" << "Fader";
}

void TestCControl::setTypeSetsKindAndName()
{
    QFETCH(QString, type);
    QFETCH(QString, kind);
    QFETCH(QString, name);
    CControl control;
    control.setName("Fader");
    control.setKind("Slider");
    control.setType(type);
    QCOMPARE(control.type(), type);
    QCOMPARE(control.kind(), kind);
    QCOMPARE(control.name(), name);
}

void TestCControl::sharesTransformByNodeNameAndKind()
{
    HRoot root;
    auto *pBlock = new HBlock;
    root.addChild(pBlock);
    CComposite panel;
    panel.setType("Panel");
    CControl *pA = makeControl(pBlock, "Gain", "Slider", "grpV");
    CControl *pB = makeControl(pBlock, "Gain", "Slider", "grpV");
    CControl *pC = makeControl(pBlock, "Gain", "Button", "grpV");
    panel.addChild(pA);
    panel.addChild(pB);
    panel.addChild(pC);
    panel.bind();
    QVERIFY(pA->transform());
    QCOMPARE(pB->transform(), pA->transform());
    QVERIFY(pC->transform() != pA->transform());
    QCOMPARE(pA->transform()->useCount(), 2);
    QCOMPARE(pC->transform()->useCount(), 1);
    QCOMPARE(panel.hasTransform(), 3);
    // The shared transform speaks for the control that bound it last.
    QCOMPARE(pA->transform()->owner(), &pB->attributes());
    QCOMPARE(pA->transform()->ownerNode(), pBlock);
    // Only controls that made their transform are registered.
    QCOMPARE(TTransformFactory::registeredControls(), (QList<CControl *>{pA, pC}));
    // Binding again keeps the transform.
    TTransform *pShared = pA->transform();
    panel.bind();
    QCOMPARE(pA->transform(), pShared);
    QCOMPARE(pShared->useCount(), 2);
}

void TestCControl::destroyingSharersDropsTheTransformLast()
{
    HRoot root;
    auto *pBlock = new HBlock;
    root.addChild(pBlock);
    QList<CControl *> controls;
    for (int i = 0; i < 3; ++i) {
        controls.append(makeControl(pBlock, "Gain", "Slider", "grpV"));
        controls.last()->bind();
    }
    QPointer<TTransform> pTransform = controls.first()->transform();
    QCOMPARE(pTransform->useCount(), 3);
    delete controls.takeLast();
    flushDeletes();
    QVERIFY(pTransform);
    QCOMPARE(pTransform->useCount(), 2);
    delete controls.takeLast();
    flushDeletes();
    QVERIFY(pTransform);
    delete controls.takeLast();
    flushDeletes();
    QVERIFY(!pTransform);
}

void TestCControl::sharedTransformNeverPointsAtAGoneControl()
{
    HRoot root;
    auto *pBlock = new HBlock;
    root.addChild(pBlock);
    CControl *pFirst = makeControl(pBlock, "Gain", "Slider", "grpV");
    CControl *pLast = makeControl(pBlock, "Gain", "Slider", "grpV");
    pFirst->bind();
    pLast->bind();
    TTransform *pTransform = pFirst->transform();
    QCOMPARE(pTransform->owner(), &pLast->attributes());
    delete pLast;
    QCOMPARE(pTransform->owner(), &pFirst->attributes());
    // The maker goes while another control still holds the transform.
    CControl *pThird = makeControl(pBlock, "Gain", "Slider", "grpV");
    pThird->bind();
    QCOMPARE(pThird->transform(), pTransform);
    delete pFirst;
    QVERIFY(!TTransformFactory::registeredControls().contains(pFirst));
    QCOMPARE(pTransform->owner(), &pThird->attributes());
    delete pThird;
    flushDeletes();
}

void TestCControl::detachLeavesTheRegistry()
{
    HRoot root;
    auto *pBlock = new HBlock;
    root.addChild(pBlock);
    std::unique_ptr<CControl> control(makeControl(pBlock, "Mute", "Button", "bin8"));
    control->bind();
    QCOMPARE(TTransformFactory::registeredControls().size(), 1);
    control->detach();
    QVERIFY(TTransformFactory::registeredControls().isEmpty());
}

void TestCControl::unknownTransformLeavesControlUnbound()
{
    std::unique_ptr<CControl> empty(makeControl(nullptr, "A", "Label", QString()));
    std::unique_ptr<CControl> unknown(makeControl(nullptr, "B", "Slider", "noSuchTransform"));
    empty->bind();
    unknown->bind();
    QVERIFY(!empty->transform());
    QVERIFY(!unknown->transform());
    QVERIFY(TTransformFactory::registeredControls().isEmpty());
}

void TestCControl::requestState_data()
{
    QTest::addColumn<bool>("withTransform");
    QTest::addColumn<bool>("withProtocol");
    QTest::addColumn<bool>("doNotPoll");
    QTest::addColumn<bool>("busy");
    QTest::addColumn<int>("requests");
    QTest::newRow("asks") << true << true << false << false << 1;
    QTest::newRow("doNotPoll") << true << true << true << false << 0;
    QTest::newRow("busy") << true << true << false << true << 0;
    QTest::newRow("no transform") << false << true << false << false << 0;
    QTest::newRow("no protocol") << true << false << false << false << 0;
}

void TestCControl::requestState()
{
    QFETCH(bool, withTransform);
    QFETCH(bool, withProtocol);
    QFETCH(bool, doNotPoll);
    QFETCH(bool, busy);
    QFETCH(int, requests);
    HRoot root;
    auto *pBlock = new HBlock;
    root.addChild(pBlock);
    RecordingProtocol protocol;
    if (withProtocol)
        pBlock->setProtocol(&protocol);
    std::unique_ptr<CControl> control(
        makeControl(pBlock, "Gain", "Slider", withTransform ? "grpV" : QString()));
    control->setAttribute("list", "doNotPoll", doNotPoll ? "1" : "0");
    control->bind(); // a bound control asks at once
    if (control->transform())
        control->transform()->setBusy(busy);
    QCOMPARE(protocol.requests.size(), busy ? 1 : requests);
    protocol.requests.clear();
    // Then only every 4th request gets through the divider.
    for (int i = 0; i < 8; ++i)
        QVERIFY(control->requestState());
    QCOMPARE(protocol.requests.size(), 2 * requests);
    if (doNotPoll && control->transform()) {
        // The divider was never touched: the first allowed request passes.
        control->attributes().setDoNotPoll(false);
        control->requestState();
        QCOMPARE(protocol.requests.size(), 1);
    }
}

void TestCControl::widgetsFromFactory()
{
    HRoot root;
    auto *pBlock = new HBlock;
    root.addChild(pBlock);
    std::unique_ptr<CControl> control(makeControl(pBlock, "Gain", "Slider", "grpV"));
    addWidget(control.get(), "slider", {{"x", "10"}, {"y", "20"}, {"width", "30"}, {"height", "40"}});
    QVERIFY(!control->setWidgetAttribute("dropsite", "x", "5"));
    control->endWidget("dropsite");
    addWidget(control.get(), "label", {{"x", "50"}, {"y", "20"}, {"width", "10"}, {"height", "10"}});
    QCOMPARE(control->widgets().size(), 2);
    WWidget *pSlider = control->widgetByType("slider");
    QVERIFY(pSlider);
    QCOMPARE(pSlider->control(), control.get());
    QCOMPARE(pSlider->node(), pBlock);
    QCOMPARE(pSlider->geometry(), QRectF(10, 20, 30, 40));
    QCOMPARE(control->bounds(), QRectF(10, 20, 50, 40));
    control->bind();
    QCOMPARE(pSlider->transform(), control->transform());
    control->setVisible(false);
    QVERIFY(!pSlider->item()->isVisible());
    QPointer<QQuickItem> pItem = pSlider->item();
    control->unbind();
    QVERIFY(control->widgets().isEmpty());
    flushDeletes();
    QVERIFY(!pItem);
}

void TestCControl::widgetLinks()
{
    CComposite panel;
    panel.setType("Panel");
    auto *pA = makeControl(nullptr, "A", "Button", QString());
    addWidget(pA, "button", {{"id", "3"}});              // no link: links to id 0
    addWidget(pA, "label", {{"id", "0"}});
    addWidget(pA, "image", {{"id", "4"}, {"link", "4"}}); // itself: nothing
    addWidget(pA, "frame", {{"id", "5"}, {"link", "32768"}});
    addWidget(pA, "button", {{"id", "6"}, {"link", "32769"}});
    auto *pB = makeControl(nullptr, "B", "Label", QString());
    addWidget(pB, "label", {{"id", "32769"}});
    panel.addChild(pA);
    panel.addChild(pB);
    panel.bind();
    const QList<WWidget *> widgets = pA->widgets();
    QCOMPARE(widgets.size(), 5);
    QCOMPARE(widgets.at(0)->linkedWidget(), widgets.at(1));
    QCOMPARE(widgets.at(1)->linkedWidget(), nullptr);
    QCOMPARE(widgets.at(2)->linkedWidget(), nullptr);
    QCOMPARE(widgets.at(3)->linkedWidget(), nullptr);
    QCOMPARE(widgets.at(4)->linkedWidget(), pB->widgets().first());
}

void TestCControl::selectPath_data()
{
    QTest::addColumn<bool>("hasParent");
    QTest::addColumn<QString>("path");
    QTest::addColumn<bool>("found");
    QTest::addColumn<QString>("rest");
    QTest::newRow("head consumed") << true << "Scene 1\\Panel 2" << true << "Panel 2";
    QTest::newRow("whole path") << true << "Scene 1" << true << "";
    QTest::newRow("other name") << true << "Scene 2\\Panel 2" << false << "Scene 2\\Panel 2";
    QTest::newRow("case matters") << true << "scene 1" << false << "scene 1";
    QTest::newRow("root is ..") << false << "..\\Scene 1" << true << "Scene 1";
    QTest::newRow("root by name") << false << "Scene 1" << false << "Scene 1";
}

void TestCControl::selectPath()
{
    QFETCH(bool, hasParent);
    QFETCH(QString, path);
    QFETCH(bool, found);
    QFETCH(QString, rest);
    CComposite parent;
    CControl control;
    control.setName("Scene 1");
    if (hasParent)
        control.setParentControl(&parent);
    QCOMPARE(control.selectPath(path), found);
    QCOMPARE(path, rest);
}

void TestCControl::centerNeedsMatchingKind()
{
    std::unique_ptr<CControl> control(makeControl(nullptr, "A", "Slider", QString()));
    addWidget(control.get(), "slider", {{"x", "100"}, {"y", "0"}, {"width", "200"}, {"height", "50"}});
    QVERIFY(!control->centerHorizontally("Controls", 800));
    QCOMPARE(control->bounds().x(), 100.0);
    QVERIFY(control->centerHorizontally("Slider", 800));
    QCOMPARE(control->bounds().x(), 300.0);
}

void TestCControl::linkCyclesAreRefused_data()
{
    QTest::addColumn<bool>("pair");
    QTest::newRow("linked to itself") << false;
    QTest::newRow("two linked to each other") << true;
}

void TestCControl::linkCyclesAreRefused()
{
    QFETCH(bool, pair);
    CComposite panel;
    panel.setType("Panel");
    auto *pA = makeControl(nullptr, "A", "Slider", "grpV");
    auto *pB = makeControl(nullptr, "B", "Slider", "grpV");
    pA->setId(11);
    pB->setId(12);
    pA->setAttribute("range", "link", pair ? "12" : "11");
    pB->setAttribute("range", "link", "11");
    panel.addChild(pA);
    panel.addChild(pB);
    panel.bind();
    QCOMPARE(pB->attributes().linkedTransform(), pA->transform());
    panel.linkTransform(0);
    panel.linkTransform(1);
    // Following the chain from either end comes to an end.
    for (CControl *pControl : {pA, pB}) {
        int steps = 0;
        for (TTransform *p = pControl->transform(); p && steps < 10; p = p->next())
            ++steps;
        QVERIFY(steps < 10);
    }
    if (pair) {
        // The first link is made, the one closing the loop refused.
        QCOMPARE(pA->transform()->next(), pB->transform());
        QCOMPARE(pB->transform()->next(), nullptr);
    } else {
        QCOMPARE(pA->transform()->next(), nullptr);
        QCOMPARE(pB->transform()->next(), pA->transform());
    }
}

void TestCControl::retainAndReleaseCountUses()
{
    std::unique_ptr<CControl> control(makeControl(nullptr, "A", "Slider", "grpV"));
    control->bind();
    TTransform *pTransform = control->transform();
    QCOMPARE(pTransform->useCount(), 1);
    CComposite panel;
    panel.addChild(control.get());
    QCOMPARE(pTransform->useCount(), 2);
    QVERIFY(pTransform->isAttached());
    panel.removeChild(control.get(), false);
    QCOMPARE(pTransform->useCount(), 1);
    QCOMPARE(control->transform(), pTransform);
    QVERIFY(TTransformFactory::registeredControls().contains(control.get()));
    control->releaseTransform();
    QVERIFY(!TTransformFactory::registeredControls().contains(control.get()));
    QVERIFY(!pTransform->isAttached());
}

void TestCControl::minimumSizeOnlyGrows()
{
    CControl control;
    QCOMPARE(control.minimumWidth(), 15);
    control.expandMinimumSize(15, 40);
    control.expandMinimumSize(10, 20);
    QCOMPARE(control.minimumWidth(), 15);
    QCOMPARE(control.minimumHeight(), 40);
}

VR_TEST_MAIN(TestCControl)
#include "tst_ccontrol.moc"
