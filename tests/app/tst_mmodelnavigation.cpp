#include "VrTest.h"

#include "FakeWidgetFactory.h"
#include "ModelFixture.h"
#include "app/MModel.h"
#include "controls/CComposite.h"
#include "controls/WDelegate.h"
#include "controls/WWidget.h"

#include <QMessageBox>
#include <QSignalSpy>

namespace {
// The demo project, loaded with widgets whose visibility can be read.
struct DemoFixture : ModelFixture
{
    DemoFixture()
    {
        WDelegate::instance()->setFactory(new FakeWidgetFactory);
        model->loadProject(MModel::projectFilePath());
    }

    QString panelName() const
    {
        return model->currentPanel() ? model->currentPanel()->name() : QString();
    }
    int pageIndex() const { return model->getInterfaceProperty("pageIndex").toInt(); }
    QString sceneTitle() const { return model->getInterfaceProperty("sceneTitle").toString(); }

    // Whether the named panel of the named scene shows its first widget.
    bool isShown(const QString &scene, const QString &panel) const
    {
        CComposite *pScenes = model->scenes();
        for (int s = 0; s < pScenes->childCount(); ++s) {
            CControl *pScene = pScenes->childAt(s);
            for (int p = 0; pScene->name() == scene && p < pScene->childCount(); ++p) {
                CControl *pPanel = pScene->childAt(p);
                if (pPanel->name() == panel)
                    return pPanel->childAt(0)->widgets().first()->item()->isVisible();
            }
        }
        return false;
    }
};
} // namespace

class TestMModelNavigation : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void loadShowsOnlyTheFirstPage();
    void pageArrows_data();
    void pageArrows();
    void showPageOutsideTheListKeepsThePage_data();
    void showPageOutsideTheListKeepsThePage();
    void selectScene();
    void selectSameSceneDoesNothing();
    void unknownSceneKeepsThePage();
    void followLink_data();
    void followLink();

private:
    QStringList m_boxTexts;
};

void TestMModelNavigation::init()
{
    m_boxTexts.clear();
    MModel::setWarningBoxRunner([this](QMessageBox &box) {
        m_boxTexts.append(box.windowTitle() + "|" + box.text());
        return int(QMessageBox::Ok);
    });
}

void TestMModelNavigation::cleanup()
{
    MModel::setWarningBoxRunner(nullptr);
}

void TestMModelNavigation::loadShowsOnlyTheFirstPage()
{
    DemoFixture f;
    QCOMPARE(f.panelName(), QString("Overview"));
    QVERIFY(f.isShown("Demo", "Overview"));
    QVERIFY(!f.isShown("Demo", "Levels"));
    QVERIFY(!f.isShown("Zones", "Music Zone"));
}

void TestMModelNavigation::pageArrows_data()
{
    QTest::addColumn<QStringList>("keys");
    QTest::addColumn<QList<bool>>("results");
    QTest::addColumn<QString>("panel");
    QTest::addColumn<int>("pageIndex");
    QTest::newRow("right") << QStringList{"rightarrow"} << QList<bool>{true} << "Levels" << 1;
    QTest::newRow("right wraps to the first")
        << QStringList{"rightarrow", "rightarrow"} << QList<bool>{true, true} << "Overview" << 0;
    QTest::newRow("left wraps to the last") << QStringList{"leftarrow"} << QList<bool>{true} << "Levels" << 1;
    QTest::newRow("left back") << QStringList{"rightarrow", "leftarrow"} << QList<bool>{true, true}
                               << "Overview" << 0;
    QTest::newRow("other key") << QStringList{"uparrow"} << QList<bool>{false} << "Overview" << 0;
    QTest::newRow("case matters") << QStringList{"RightArrow"} << QList<bool>{false} << "Overview" << 0;
}

void TestMModelNavigation::pageArrows()
{
    QFETCH(QStringList, keys);
    QFETCH(QList<bool>, results);
    QFETCH(QString, panel);
    QFETCH(int, pageIndex);
    DemoFixture f;
    for (int i = 0; i < keys.size(); ++i)
        QCOMPARE(f.model->pageArrow(keys.at(i)), results.at(i));
    QCOMPARE(f.panelName(), panel);
    QCOMPARE(f.pageIndex(), pageIndex);
    QVERIFY(f.isShown("Demo", panel));
    QCOMPARE(f.isShown("Demo", "Overview"), panel == "Overview");
    QCOMPARE(f.model->getInterfaceProperty("pageCount").toInt(), 2);
}

void TestMModelNavigation::showPageOutsideTheListKeepsThePage_data()
{
    QTest::addColumn<int>("index");
    QTest::newRow("past the end") << 2;
    QTest::newRow("negative") << -1;
}

void TestMModelNavigation::showPageOutsideTheListKeepsThePage()
{
    QFETCH(int, index);
    DemoFixture f;
    QVERIFY(!f.model->showPage(index));
    QCOMPARE(f.panelName(), QString("Overview"));
    QVERIFY(f.isShown("Demo", "Overview"));
    QVERIFY(f.model->showPage(1));
    QCOMPARE(f.panelName(), QString("Levels"));
}

void TestMModelNavigation::selectScene()
{
    DemoFixture f;
    QSignalSpy focus(f.model.get(), &MModel::resetQMLFocus);
    QVERIFY(f.model->selectScene("Zones"));
    QCOMPARE(f.panelName(), QString("Music Zone"));
    QCOMPARE(f.sceneTitle(), QString("Zones"));
    QVERIFY(f.isShown("Zones", "Music Zone"));
    QVERIFY(!f.isShown("Demo", "Overview"));
    QCOMPARE(focus.size(), 1);
    QVERIFY(f.model->selectSceneByIndex(0));
    QCOMPARE(f.sceneTitle(), QString("Demo"));
    QVERIFY(f.model->selectSceneByIndex(2));
    QCOMPARE(f.sceneTitle(), QString("Meters"));
    QVERIFY(!f.model->selectSceneByIndex(f.model->scenes()->childCount()));
}

void TestMModelNavigation::selectSameSceneDoesNothing()
{
    DemoFixture f;
    f.model->pageArrow("rightarrow");
    QSignalSpy focus(f.model.get(), &MModel::resetQMLFocus);
    QVERIFY(f.model->selectScene("Demo"));
    QCOMPARE(focus.size(), 0);
    QCOMPARE(f.panelName(), QString("Levels"));
}

void TestMModelNavigation::unknownSceneKeepsThePage()
{
    DemoFixture f;
    QVERIFY(!f.model->selectScene("Nowhere"));
    QCOMPARE(f.panelName(), QString("Overview"));
    QVERIFY(f.isShown("Demo", "Overview"));
    QCOMPARE(f.sceneTitle(), QString("Demo"));
}

void TestMModelNavigation::followLink_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<bool>("found");
    QTest::addColumn<QString>("scene");
    QTest::addColumn<QString>("panel");
    QTest::addColumn<int>("pageIndex");
    QTest::newRow("other scene") << "..\\Zones\\Mic Zone" << true << "Zones" << "Mic Zone" << 1;
    QTest::newRow("same scene") << "..\\Demo\\Levels" << true << "Demo" << "Levels" << 1;
    QTest::newRow("missing panel") << "..\\Demo\\Nowhere" << false << "Demo" << "Overview" << 0;
    QTest::newRow("without the root") << "Zones\\Mic Zone" << false << "Demo" << "Overview" << 0;
    QTest::newRow("empty") << "" << false << "Demo" << "Overview" << 0;
}

void TestMModelNavigation::followLink()
{
    QFETCH(QString, path);
    QFETCH(bool, found);
    QFETCH(QString, scene);
    QFETCH(QString, panel);
    QFETCH(int, pageIndex);
    DemoFixture f;
    QSignalSpy reloads(f.model.get(), &MModel::reloadCanvas);
    QCOMPARE(f.model->followLink(path), found);
    QCOMPARE(reloads.size(), 1);
    QCOMPARE(f.panelName(), panel);
    QCOMPARE(f.sceneTitle(), scene);
    QCOMPARE(f.pageIndex(), pageIndex);
    QVERIFY(f.isShown(scene, panel));
    if (found) {
        QVERIFY(m_boxTexts.isEmpty());
        QVERIFY(!f.isShown("Demo", "Overview"));
    } else {
        QCOMPARE(m_boxTexts, QStringList{
            "Warning|Error - No link has been defined for this region.\n\n"
            "Please set a link using the properties panel." + path});
    }
}

VR_TEST_MAIN(TestMModelNavigation)
#include "tst_mmodelnavigation.moc"
