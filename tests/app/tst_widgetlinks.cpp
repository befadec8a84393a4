#include "VrTest.h"

#include "FakeWidgetFactory.h"
#include "ModelFixture.h"
#include "RegionOnItem.h"
#include "app/MModel.h"
#include "controls/CComposite.h"
#include "controls/CControl.h"
#include "controls/WDelegate.h"
#include "controls/WPanelLink.h"
#include "controls/WRegion.h"
#include "controls/WWidgetFactory.h"

#include <QMessageBox>
#include <QQuickItem>

// The demo project's panel links and regions take the model to the page
// they name.
class TestWidgetLinks : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void panelLinkClickShowsTheTarget();
    void jumpFollowsThePath_data();
    void jumpFollowsThePath();
};

void TestWidgetLinks::initTestCase()
{
    WWidgetFactory::registerWidgetTypes();
}

void TestWidgetLinks::panelLinkClickShowsTheTarget()
{
    ModelFixture f;
    f.model->loadProject(MModel::projectFilePath());
    QCOMPARE(f.model->currentPanel()->name(), QString("Overview"));
    WPanelLink *pLink = nullptr;
    const CComposite *pPanel = f.model->currentPanel();
    for (int i = 0; i < pPanel->childCount() && !pLink; ++i) {
        for (WWidget *pWidget : pPanel->childAt(i)->widgets()) {
            auto *pCandidate = qobject_cast<WPanelLink *>(pWidget);
            if (pCandidate && pCandidate->targetPath().contains("Zones"))
                pLink = pCandidate;
        }
    }
    QVERIFY(pLink);
    QVERIFY(pLink->item()->isVisible());
    QVERIFY(!pLink->itemText().isEmpty());
    // The item's click handler calls the native half.
    QVERIFY(QMetaObject::invokeMethod(pLink, "selectPanel"));
    QCOMPARE(f.model->currentPanel()->name(), QString("Overview"));
    QTRY_COMPARE(f.model->currentPanel()->name(), QString("Music Zone"));
}

void TestWidgetLinks::jumpFollowsThePath_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QPointF>("point");
    QTest::addColumn<QString>("panel");
    QTest::addColumn<int>("warnings");

    QTest::newRow("press inside") << "..\\Zones\\Mic Zone" << QPointF(5, 5) << "Mic Zone" << 0;
    QTest::newRow("press on the edge") << "..\\Demo\\Levels" << QPointF(0, 5) << "Levels" << 0;
    QTest::newRow("press outside") << "..\\Zones\\Mic Zone" << QPointF(11, 5) << "Overview" << 0;
    QTest::newRow("path naming nothing") << "..\\Demo\\Nowhere" << QPointF(5, 5) << "Overview" << 1;
}

void TestWidgetLinks::jumpFollowsThePath()
{
    QFETCH(QString, path);
    QFETCH(QPointF, point);
    QFETCH(QString, panel);
    QFETCH(int, warnings);

    int warningBoxes = 0;
    MModel::setWarningBoxRunner([&warningBoxes](QMessageBox &) {
        ++warningBoxes;
        return int(QMessageBox::Ok);
    });
    {
        ModelFixture f;
        WDelegate::instance()->setFactory(new FakeWidgetFactory);
        f.model->loadProject(MModel::projectFilePath());
        QVERIFY(f.model->currentPanel());
        QCOMPARE(f.model->currentPanel()->name(), QStringLiteral("Overview"));

        CControl control;
        control.setModel(f.model.get());
        RegionOnItem r(RegionOnItem::square());
        r.pRegion->setControl(&control);
        r.pRegion->readAttribute(QStringLiteral("path"), path);

        r.pRegion->outputPressed(point.x(), point.y());
        // The switch waits for the timer, never happens inside the press.
        QCOMPARE(f.model->currentPanel()->name(), QStringLiteral("Overview"));
        QTRY_VERIFY(!r.pRegion->isJumpPending());
        QCOMPARE(f.model->currentPanel()->name(), panel);
        QCOMPARE(warningBoxes, warnings);
    }
    MModel::setWarningBoxRunner(nullptr);
}

VR_TEST_MAIN(TestWidgetLinks)
#include "tst_widgetlinks.moc"
