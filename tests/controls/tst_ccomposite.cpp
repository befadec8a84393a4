#include "VrTest.h"

#include "FakePanelHost.h"
#include "FakeWidgetFactory.h"
#include "RecordingProtocol.h"
#include "comms/TTransform.h"
#include "controls/CCanvas.h"
#include "controls/CComposite.h"
#include "controls/TTransformFactory.h"
#include "controls/WDelegate.h"
#include "controls/WWidget.h"
#include "devices/HBlock.h"
#include "devices/HRoot.h"

#include <QPointer>
#include <QQuickItem>

namespace {
// A panel of controls bound to one block whose protocol records requests.
struct PollFixture
{
    explicit PollFixture(const QList<bool> &doNotPoll)
    {
        pBlock = new HBlock;
        root.addChild(pBlock);
        pBlock->setProtocol(&protocol);
        panel.setType("Panel");
        for (int i = 0; i < doNotPoll.size(); ++i) {
            auto *pControl = new CControl;
            pControl->setName(QStringLiteral("C%1").arg(i));
            pControl->setKind("Slider");
            pControl->setNode(pBlock);
            pControl->setAttribute("range", "transform", "grpV");
            pControl->setAttribute("range", "doNotPoll", doNotPoll.at(i) ? "1" : "0");
            panel.addChild(pControl);
        }
        panel.bind();
        for (int i = 0; i < panel.childCount(); ++i) {
            // Every request passes the divider.
            if (TTransform *pTransform = panel.childAt(i)->transform())
                pTransform->setDivider(1);
        }
        protocol.requests.clear();
    }

    // Names of the controls asked, in order.
    QStringList asked() const
    {
        QStringList names;
        for (const auto &pTransform : protocol.requests) {
            for (int i = 0; i < panel.childCount(); ++i) {
                if (panel.childAt(i)->transform() == pTransform)
                    names.append(panel.childAt(i)->name());
            }
        }
        return names;
    }

    HRoot root;
    HBlock *pBlock = nullptr;
    RecordingProtocol protocol;
    CComposite panel;
};

CControl *placedControl(const QString &kind, const QRectF &rect, const QString &widgetType = "frame")
{
    auto *pControl = new CControl;
    pControl->setKind(kind);
    pControl->setWidgetAttribute(widgetType, "x", QString::number(rect.x()));
    pControl->setWidgetAttribute(widgetType, "y", QString::number(rect.y()));
    pControl->setWidgetAttribute(widgetType, "width", QString::number(rect.width()));
    pControl->setWidgetAttribute(widgetType, "height", QString::number(rect.height()));
    pControl->endWidget(widgetType);
    return pControl;
}

// "Kind x,y,width,height widget" for placedControl; the widget type
// defaults to a frame.
CControl *placedControl(const QString &spec)
{
    const QStringList parts = spec.split(QLatin1Char(' '));
    const QStringList numbers = parts.at(1).split(QLatin1Char(','));
    const QRectF rect(numbers.at(0).toDouble(), numbers.at(1).toDouble(), numbers.at(2).toDouble(),
                      numbers.at(3).toDouble());
    return placedControl(parts.at(0), rect, parts.value(2, QStringLiteral("frame")));
}
} // namespace

class TestCComposite : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void sweepAsksOneControlPerStep();
    void sweepRunsOnItsTimer();
    void sweepSkipsDoNotPoll();
    void pausedSweepResumesWhereItStopped();
    void hiddenPanelStopsItsSweep();
    void emptyPanelDoesNothing();
    void panelKind_data();
    void panelKind();
    void treeQueries();
    void currentChildNeverIndexesPastTheList();
    void selectPathAndPathOf();
    void removeChild();
    void scaleGuardsZeroExtent_data();
    void scaleGuardsZeroExtent();
    void centerHorizontally();
    void customPanelCentring_data();
    void customPanelCentring();
    void boundsPreferTheBoundsWidget();
};

void TestCComposite::initTestCase()
{
    WDelegate::instance()->setFactory(new FakeWidgetFactory);
}

void TestCComposite::init()
{
    TTransformFactory::clearRegistry();
}

void TestCComposite::sweepAsksOneControlPerStep()
{
    PollFixture f({false, false, false, false});
    QVERIFY(f.panel.requestState());
    QCOMPARE(f.asked(), (QStringList{"C0"}));
    QVERIFY(f.panel.isSweepRunning());
    f.panel.onGetStateTimerTimeout();
    f.panel.onGetStateTimerTimeout();
    QCOMPARE(f.asked(), (QStringList{"C0", "C1", "C2"}));
    f.panel.onGetStateTimerTimeout();
    QCOMPARE(f.asked(), (QStringList{"C0", "C1", "C2", "C3"}));
    QCOMPARE(f.panel.pollIndex(), 4);
    // The next tick starts at the first control again.
    f.panel.requestState();
    QCOMPARE(f.asked().last(), QString("C0"));
}

void TestCComposite::sweepRunsOnItsTimer()
{
    PollFixture f({false, false, false, false});
    f.panel.requestState();
    QTRY_COMPARE(f.asked(), (QStringList{"C0", "C1", "C2", "C3"}));
    QTRY_VERIFY(!f.panel.isSweepRunning());
}

void TestCComposite::sweepSkipsDoNotPoll()
{
    PollFixture f({false, true, false});
    f.panel.requestState();
    QTRY_VERIFY(!f.panel.isSweepRunning());
    QCOMPARE(f.asked(), (QStringList{"C0", "C2"}));
}

void TestCComposite::pausedSweepResumesWhereItStopped()
{
    PollFixture f({false, false, false, false});
    f.panel.requestState();
    f.panel.onGetStateTimerTimeout();
    QCOMPARE(f.panel.pollIndex(), 2);
    f.panel.setPollingActive(0);
    f.panel.onGetStateTimerTimeout();
    QVERIFY(f.panel.requestState());
    QCOMPARE(f.asked(), (QStringList{"C0", "C1"}));
    f.panel.setPollingActive(1);
    f.panel.requestState();
    QCOMPARE(f.asked(), (QStringList{"C0", "C1", "C2"}));
}

void TestCComposite::hiddenPanelStopsItsSweep()
{
    PollFixture f({false, false, false});
    f.panel.requestState();
    QVERIFY(f.panel.isSweepRunning());
    f.panel.setVisible(false);
    QVERIFY(!f.panel.isSweepRunning());
    QTest::qWait(30);
    QCOMPARE(f.asked(), (QStringList{"C0"}));
}

void TestCComposite::emptyPanelDoesNothing()
{
    CComposite panel;
    panel.setType("Panel");
    QVERIFY(panel.requestState());
    QVERIFY(!panel.isSweepRunning());
    panel.onGetStateTimerTimeout();
    QCOMPARE(panel.pollIndex(), 0);
}

void TestCComposite::panelKind_data()
{
    QTest::addColumn<QString>("type");
    QTest::addColumn<int>("children");
    QTest::addColumn<int>("kind");
    QTest::newRow("complete") << "complete" << 2 << int(CComposite::PanelComplete);
    QTest::newRow("template") << "template" << 2 << int(CComposite::PanelTemplate);
    QTest::newRow("custom") << "custom" << 2 << int(CComposite::PanelCustom);
    QTest::newRow("empty, one child") << "" << 1 << int(CComposite::PanelCustom);
    QTest::newRow("empty, two children") << "" << 2 << int(CComposite::PanelComplete);
    QTest::newRow("capital letter") << "Custom" << 1 << int(CComposite::PanelNone);
}

void TestCComposite::panelKind()
{
    QFETCH(QString, type);
    QFETCH(int, children);
    QFETCH(int, kind);
    CComposite panel;
    panel.setType("Panel");
    for (int i = 0; i < children; ++i)
        panel.addChild(new CControl);
    panel.setPanelKind(type);
    QCOMPARE(panel.panelKind(), kind);
    CComposite scene;
    scene.setType("Scene");
    scene.setPanelKind("custom");
    QCOMPARE(scene.panelKind(), int(CComposite::PanelNone));
}

void TestCComposite::treeQueries()
{
    CComposite root;
    root.setKind("Scenes");
    auto *pScene = new CComposite;
    pScene->setType("Scene");
    pScene->setName("Main");
    auto *pPanel = new CComposite;
    pPanel->setType("Panel");
    pPanel->setName("Page");
    auto *pControl = new CControl;
    pControl->setName("Gain");
    pControl->setId(77);
    root.addChild(pScene);
    pScene->addChild(pPanel);
    pPanel->addChild(pControl);
    QVERIFY(root.contains(pScene));
    QVERIFY(!root.contains(pPanel));
    QCOMPARE(root.currentChild("Scenes"), pScene);
    QCOMPARE(root.currentChild("Panels"), pPanel);
    QCOMPARE(root.currentChild("Controls"), pControl);
    QCOMPARE(root.controlByName("Gain"), pControl);
    // Containers are found by path, never by name.
    QCOMPARE(root.controlByName("Main"), nullptr);
    QCOMPARE(root.controlById(77), pControl);
    QCOMPARE(root.controlById(0), nullptr);
    QCOMPARE(pControl->rootControl(), &root);
    QVERIFY(!pPanel->isNameFree("Gain", pScene));
    QVERIFY(pPanel->isNameFree("Gain", pControl));
    QCOMPARE(pPanel->indexOfChild(pControl), 0);
    QCOMPARE(pPanel->indexOfChild(pScene), -1);
}

void TestCComposite::currentChildNeverIndexesPastTheList()
{
    CComposite scene;
    scene.setType("Scene");
    scene.addChild(new CComposite);
    for (int index : {-1, 1, 5}) {
        scene.setCurrentIndex(index);
        QCOMPARE(scene.currentChild("Panels"), nullptr);
        QCOMPARE(scene.currentChild("Controls"), nullptr);
    }
}

void TestCComposite::selectPathAndPathOf()
{
    CComposite root;
    root.setKind("Scenes");
    for (const char *sceneName : {"Lobby", "Hall"}) {
        auto *pScene = new CComposite;
        pScene->setType("Scene");
        pScene->setName(sceneName);
        root.addChild(pScene);
        for (const char *panelName : {"Page 1", "Page 2"}) {
            auto *pPanel = new CComposite;
            pPanel->setType("Panel");
            pPanel->setName(panelName);
            pScene->addChild(pPanel);
        }
    }
    QString path = "..\\Hall\\Page 2";
    QVERIFY(root.selectPath(path));
    QCOMPARE(root.currentIndex(), 1);
    auto *pHall = qobject_cast<CComposite *>(root.childAt(1));
    QCOMPARE(pHall->currentIndex(), 1);
    QCOMPARE(root.pathOf(pHall->childAt(1)), QString("..\\Hall\\Page 2"));
    QString missing = "..\\Hall\\Page 3";
    QVERIFY(!root.selectPath(missing));
    QVERIFY(root.selectChild("Scenes", "Lobby"));
    QCOMPARE(root.currentIndex(), 0);
    QVERIFY(root.selectChild("Panels", "Page 2"));
    QVERIFY(!root.selectChild("Scenes", "Nowhere"));
}

void TestCComposite::removeChild()
{
    CComposite panel;
    auto *pKept = new CControl;
    QPointer<CControl> pGone = new CControl;
    panel.addChild(pKept);
    panel.addChild(pGone);
    panel.setCurrentIndex(1);
    panel.removeChild(pGone, true);
    QCOMPARE(panel.currentIndex(), 0);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(!pGone);
    panel.removeChild(pKept, false);
    QCOMPARE(panel.childCount(), 0);
    QCOMPARE(pKept->parentControl(), nullptr);
    delete pKept;
}

void TestCComposite::scaleGuardsZeroExtent_data()
{
    QTest::addColumn<QRectF>("rect");
    QTest::newRow("background only, zero size") << QRectF(0, 0, 0, 0);
    QTest::newRow("zero height") << QRectF(10, 10, 100, 0);
}

void TestCComposite::scaleGuardsZeroExtent()
{
    QFETCH(QRectF, rect);
    CComposite panel;
    panel.setType("Panel");
    CControl *pControl = placedControl("Image", rect, "image");
    panel.addChild(pControl);
    panel.scale(1.0f, 600.0f, true);
    const QRectF after = pControl->bounds();
    QVERIFY(qIsFinite(after.x()) && qIsFinite(after.width()) && qIsFinite(after.height()));
    QCOMPARE(after, rect);
}

void TestCComposite::centerHorizontally()
{
    CComposite panel;
    panel.setType("Panel");
    panel.setPanelKind("complete");
    CControl *pControl = placedControl("Slider", QRectF(0, 0, 200, 100));
    panel.addChild(pControl);
    QVERIFY(!panel.centerHorizontally("Controls", 0));
    QCOMPARE(pControl->bounds().x(), 0.0);
    QVERIFY(!panel.centerHorizontally("Controls", 800));
    QCOMPARE(pControl->bounds().x(), 300.0);
    // A custom panel only moves when the model's canvas asks for centring,
    // and here there is no model.
    CComposite custom;
    custom.setType("Panel");
    CControl *pOther = placedControl("Slider", QRectF(0, 0, 200, 100));
    custom.addChild(pOther);
    custom.setPanelKind("custom");
    QVERIFY(custom.centerHorizontally("Controls", 800));
    QCOMPARE(pOther->bounds().x(), 0.0);
}

void TestCComposite::customPanelCentring_data()
{
    QTest::addColumn<bool>("withModel");
    QTest::addColumn<QString>("horizcenter");
    QTest::addColumn<QStringList>("controls");
    QTest::addColumn<double>("shift");
    const QStringList slider{"Slider 0,0,200,100"};
    QTest::newRow("no model") << false << "1" << slider << 0.0;
    QTest::newRow("centring off") << true << "0" << slider << 0.0;
    QTest::newRow("centred") << true << "1" << slider << 300.0;
    QTest::newRow("left edge counts") << true << "1" << QStringList{"Slider 100,0,200,100"} << 200.0;
    // A background ("bounds" widget) takes no part in what is centred...
    QTest::newRow("bounds control skipped")
        << true << "1" << QStringList{"Slider 0,0,200,100", "Bounds 0,0,800,300 bounds"} << 300.0;
    // ...but a dialer's own bounds widget does.
    QTest::newRow("dialer with bounds counts")
        << true << "1" << QStringList{"Slider 0,0,200,100", "dialer 0,0,400,100 bounds"} << 200.0;
    // Room selectors only make the rectangle taller, never wider.
    QTest::newRow("room selector widens nothing")
        << true << "1" << QStringList{"Slider 100,0,200,100", "ComboSelector 0,200,800,50"} << 200.0;
    QTest::newRow("active room combo widens nothing")
        << true << "1" << QStringList{"Slider 100,0,200,100", "activeRoomCombo 0,200,800,50"} << 200.0;
}

// A custom panel centres the union of its controls in the width, as the
// model's canvas asks.
void TestCComposite::customPanelCentring()
{
    QFETCH(bool, withModel);
    QFETCH(QString, horizcenter);
    QFETCH(QStringList, controls);
    QFETCH(double, shift);
    CCanvas canvas;
    canvas.setAttribute("horizcenter", horizcenter);
    FakePanelHost host;
    host.pCanvas = &canvas;
    CComposite panel;
    panel.setType("Panel");
    for (const QString &spec : std::as_const(controls))
        panel.addChild(placedControl(spec));
    panel.setPanelKind("custom");
    if (withModel)
        panel.setModel(&host);
    QList<double> before;
    for (int i = 0; i < panel.childCount(); ++i)
        before.append(panel.childAt(i)->bounds().x());
    QVERIFY(panel.centerHorizontally("Controls", 800));
    // Every control moves by the same amount.
    for (int i = 0; i < panel.childCount(); ++i)
        QCOMPARE(panel.childAt(i)->bounds().x() - before.at(i), shift);
}

void TestCComposite::boundsPreferTheBoundsWidget()
{
    CComposite panel;
    panel.setType("Panel");
    panel.addChild(placedControl("Slider", QRectF(10, 10, 50, 50)));
    QCOMPARE(panel.bounds(), QRectF(10, 10, 50, 50));
    panel.addChild(placedControl("Bounds", QRectF(0, 0, 400, 300), "bounds"));
    QCOMPARE(panel.bounds(), QRectF(0, 0, 400, 300));
    // The panel scales to the extent by its bounds' height.
    panel.scale(1.0f, 600.0f, true);
    QCOMPARE(panel.childAt(0)->bounds(), QRectF(20, 20, 100, 100));
}

VR_TEST_MAIN(TestCComposite)
#include "tst_ccomposite.moc"
