#include "VrTest.h"

#include "app/MLayout.h"
#include "app/MNavigation.h"
#include "app/MQmlInterface.h"
#include "controls/CCanvas.h"
#include "controls/CComposite.h"

#include <QQuickItem>
#include <QSignalSpy>

#include <memory>

namespace {

CComposite *addComposite(CComposite *pParent, const QString &type, const QString &name)
{
    auto *pChild = new CComposite;
    pChild->setType(type);
    pChild->setName(name);
    pParent->addChild(pChild);
    return pChild;
}

// A control tree as the panel reader builds it: scene "First" with one
// page, scene "Second" with the pages "A", "ToneEQ B" and "C"; an interface
// object without QML, its control view 680 pixels high.
struct Tree
{
    Tree()
    {
        scenes.setKind(QStringLiteral("Scenes"));
        addComposite(addComposite(&scenes, "Scene", "First"), "Panel", "Start");
        CComposite *pSecond = addComposite(&scenes, "Scene", "Second");
        for (const char *page : {"A", "ToneEQ B", "C"})
            addComposite(pSecond, "Panel", page);
        viewItem.setSize(QSizeF(1000, 680));
        interface.setProperty("maxControlHeight", 340);
        interface.setObject(QStringLiteral("QmlView"), &viewItem);
        layout.setInterface(&interface);
        layout.setScenes(&scenes);
        layout.setCanvas(&canvas);
        navigation.setInterface(&interface);
        navigation.setScenes(&scenes);
        navigation.lookUpCurrentPanel();
    }

    QVariant property(const char *name) const { return interface.property(name); }
    QString page() const
    {
        return navigation.currentPanel() ? navigation.currentPanel()->name() : QString();
    }

    CComposite scenes;
    QQuickItem viewItem;
    MQmlInterface interface;
    CCanvas canvas;
    MLayout layout;
    MNavigation navigation{layout};
};

} // namespace

class TestMNavigation : public QObject
{
    Q_OBJECT

private slots:
    void selectSceneShowsItsPage();
    void stepPageWraps_data();
    void stepPageWraps();
    void followLink_data();
    void followLink();
    void scaleFollowsTheViewHeight();
    void centringNeedsTheFlagOrAToneEqPage();
};

void TestMNavigation::selectSceneShowsItsPage()
{
    Tree tree;
    QCOMPARE(tree.page(), QString("Start"));
    QSignalSpy focus(&tree.navigation, &MNavigation::resetQMLFocus);

    QVERIFY(tree.navigation.selectScene("Second"));
    QCOMPARE(tree.page(), QString("A"));
    QCOMPARE(tree.property("pageCount").toInt(), 3);
    QCOMPARE(tree.property("pageIndex").toInt(), 0);
    QCOMPARE(tree.property("sceneTitle").toString(), QString("Second"));
    QCOMPARE(focus.size(), 1);

    // The scene shown already: nothing happens.
    QVERIFY(tree.navigation.selectScene("Second"));
    QCOMPARE(focus.size(), 1);
    QVERIFY(!tree.navigation.selectScene("second"));
    QCOMPARE(tree.page(), QString("A"));
    QVERIFY(tree.navigation.selectSceneByIndex(0));
    QCOMPARE(tree.page(), QString("Start"));
}

void TestMNavigation::stepPageWraps_data()
{
    QTest::addColumn<int>("start");
    QTest::addColumn<QString>("key");
    QTest::addColumn<int>("index");
    QTest::newRow("right") << 0 << "rightarrow" << 1;
    QTest::newRow("right past the last") << 2 << "rightarrow" << 0;
    QTest::newRow("left before the first") << 0 << "leftarrow" << 2;
    QTest::newRow("left") << 2 << "leftarrow" << 1;
}

void TestMNavigation::stepPageWraps()
{
    QFETCH(int, start);
    QFETCH(QString, key);
    QFETCH(int, index);
    Tree tree;
    QVERIFY(tree.navigation.selectScene("Second"));
    QVERIFY(tree.navigation.showPage(start));
    QVERIFY(tree.navigation.pageArrow(key));
    QCOMPARE(tree.property("pageIndex").toInt(), index);
    QCOMPARE(tree.page(), tree.scenes.childAt(1)->childAt(index)->name());
    QVERIFY(!tree.navigation.pageArrow("Rightarrow"));
}

void TestMNavigation::followLink_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("page");
    QTest::addColumn<int>("pageIndex");
    QTest::addColumn<bool>("found");
    QTest::newRow("page of another scene") << "..\\Second\\C" << "C" << 2 << true;
    QTest::newRow("names nothing") << "..\\Second\\D" << "Start" << 0 << false;
}

// Found or not, the desktop is redrawn; a path that names nothing keeps the
// page and asks for a warning that ends with the path.
void TestMNavigation::followLink()
{
    QFETCH(QString, path);
    QFETCH(QString, page);
    QFETCH(int, pageIndex);
    QFETCH(bool, found);
    Tree tree;
    QSignalSpy reload(&tree.navigation, &MNavigation::reloadCanvas);
    QSignalSpy warning(&tree.navigation, &MNavigation::linkNotFound);

    QCOMPARE(tree.navigation.followLink(path), found);
    QCOMPARE(tree.page(), page);
    QCOMPARE(reload.size(), 1);
    QCOMPARE(warning.size(), found ? 0 : 1);
    if (found) {
        QCOMPARE(tree.property("pageIndex").toInt(), pageIndex);
        QCOMPARE(tree.property("sceneTitle").toString(), QString("Second"));
    } else {
        QVERIFY(warning.first().first().toString().endsWith("properties panel." + path));
    }
}

// A view 680 pixels high over an empty tree and a "maxControlHeight" of
// 340: scale 2.
void TestMNavigation::scaleFollowsTheViewHeight()
{
    Tree tree;
    QVERIFY(tree.layout.layoutCanvas());
    QCOMPARE(tree.layout.scale(), 2.0f);
    QCOMPARE(tree.property("viewScale").toFloat(), 2.0f);
    QCOMPARE(tree.property("textSize").toInt(), 24);
    QCOMPARE(tree.property("pixelScale").toFloat(), 2.0f);

    tree.viewItem.setHeight(0);
    QVERIFY(!tree.layout.computeViewScale());
    QCOMPARE(tree.layout.scale(), 2.0f);
}

void TestMNavigation::centringNeedsTheFlagOrAToneEqPage()
{
    Tree tree;
    QVERIFY(tree.navigation.selectScene("Second"));
    tree.canvas.setAttribute("horizcenter", "0");
    QVERIFY(!tree.layout.centerControls(tree.navigation.currentPanel()));
    QVERIFY(tree.navigation.showPage(1));
    QVERIFY(tree.layout.centerControls(tree.navigation.currentPanel()));
    tree.canvas.setAttribute("horizcenter", "1");
    QVERIFY(tree.navigation.showPage(0));
    QVERIFY(tree.layout.centerControls(tree.navigation.currentPanel()));
    tree.interface.setObject(QStringLiteral("QmlView"), nullptr);
    QVERIFY(!tree.layout.centerControls(tree.navigation.currentPanel()));
}

VR_TEST_MAIN(TestMNavigation)
#include "tst_mnavigation.moc"
