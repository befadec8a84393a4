#include "VrTest.h"

#include "ModelFixture.h"

#include "app/MModel.h"
#include "app/MQmlInterface.h"
#include "controls/VModeManager.h"
#include "app/VQmlFrame.h"
#include "controls/CCanvas.h"
#include "controls/CComposite.h"
#include "controls/WDelegate.h"
#include "controls/WWidgetFactory.h"

#include <QDir>
#include <QFile>
#include <QQuickItem>
#include <memory>

namespace {
// A panel file with one scene whose pages each hold a label 200 wide at
// the left edge.
QString writePanel(const QStringList &pages)
{
    const QString path = QDir::current().filePath(QStringLiteral("pages.cpf"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return QString();
    QString panels;
    for (const QString &page : pages) {
        panels += QStringLiteral(R"(
				<Panel name="%1" type="complete">
					<Controls>
						<Control name="Title" type="Label">
							<id>1</id>
							<Property name="widget">
								<label>
									<x>0</x>
									<y>0</y>
									<width>200</width>
									<height>100</height>
								</label>
							</Property>
							<Property name="attributes" />
						</Control>
					</Controls>
				</Panel>)")
                      .arg(page);
    }
    file.write(QStringLiteral(R"(<?xml version="1.0"?>
<VDS>
	<Scenes>
		<Scene name="Only">
			<Panels>%1
			</Panels>
		</Scene>
	</Scenes>
</VDS>
)")
                   .arg(panels)
                   .toUtf8());
    return path;
}
} // namespace

class TestMModel : public QObject
{
    Q_OBJECT

private slots:
    void scaleFollowsTheViewHeight();
    void scaleUnchangedWithoutViewHeight();
    void centerNeedsFlagOrToneEqPanel_data();
    void centerNeedsFlagOrToneEqPanel();
    void applySkinWritesTheInterface();
    void initializeWiresFactoryAndRoots();
    void destructionReleasesSingletons();
    void worksWithoutInterface();
    void fileName_data();
    void fileName();
};

void TestMModel::scaleFollowsTheViewHeight()
{
    ModelFixture f;
    MQmlInterface *pInterface = f.model->getInterface();
    QVERIFY(pInterface);
    QCOMPARE(pInterface->property("maxControlHeight").toInt(), 340);
    QVERIFY(f.model->layoutCanvas());
    QCOMPARE(f.model->viewScale(), 2.0f);
    QCOMPARE(pInterface->property("viewScale").toDouble(), 2.0);
    QCOMPARE(pInterface->property("textSize").toInt(), 24);
    QCOMPARE(pInterface->property("pixelScale").toDouble(), 2.0);
}

void TestMModel::scaleUnchangedWithoutViewHeight()
{
    ModelFixture f;
    const float before = f.model->viewScale();
    f.viewItem.setHeight(0);
    QVERIFY(!f.model->computeViewScale());
    QCOMPARE(f.model->viewScale(), before);
    QVERIFY(!f.model->layoutCanvas());
}

void TestMModel::centerNeedsFlagOrToneEqPanel_data()
{
    QTest::addColumn<QString>("horizcenter");
    QTest::addColumn<QString>("page");
    QTest::addColumn<bool>("paged");
    QTest::addColumn<bool>("centred");
    QTest::newRow("flag on, no page") << "1" << QString() << false << true;
    QTest::newRow("flag off, no page") << "0" << QString() << false << false;
    QTest::newRow("flag on") << "1" << "Main" << false << true;
    QTest::newRow("flag off") << "0" << "Main" << false << false;
    QTest::newRow("flag off, ToneEQ page") << "0" << "Mixer ToneEQ" << false << true;
    QTest::newRow("flag off, Tone EQ page") << "0" << "Tone EQ" << false << false;
    // The page shown first is a plain one; the operator pages on to the
    // row's page.
    QTest::newRow("flag on, paged on") << "1" << "Main" << true << true;
    QTest::newRow("flag off, paged on") << "0" << "Main" << true << false;
    QTest::newRow("flag off, paged to a ToneEQ page") << "0" << "Mixer ToneEQ" << true << true;
    QTest::newRow("flag off, paged to a Tone EQ page") << "0" << "Tone EQ" << true << false;
    QTest::newRow("flag off, paged to a toneeq page") << "0" << "Mixer toneeq" << true << false;
}

// The load ends with the refresh chain, which centres the pages in the
// view's width; paging to a ToneEQ page centres it too. A page that is not
// centred keeps its label at the left.
void TestMModel::centerNeedsFlagOrToneEqPanel()
{
    QFETCH(QString, horizcenter);
    QFETCH(QString, page);
    QFETCH(bool, paged);
    QFETCH(bool, centred);
    ModelFixture f;
    f.canvas.setAttribute("horizcenter", horizcenter);
    if (!page.isEmpty()) {
        const QString path = writePanel(paged ? QStringList{QStringLiteral("Start"), page} : QStringList{page});
        QVERIFY(!path.isEmpty());
        f.model->loadProject(path);
        QVERIFY(f.model->currentPanel());
        if (paged) {
            QCOMPARE(f.model->currentPanel()->name(), QStringLiteral("Start"));
            QCOMPARE(f.model->currentPanel()->childAt(0)->bounds().x() > 0, horizcenter == QLatin1String("1"));
            QVERIFY(f.model->showPage(1));
        }
        QCOMPARE(f.model->currentPanel()->name(), page);
        const QRectF b = f.model->currentPanel()->childAt(0)->bounds();
        QVERIFY(b.width() > 0);
        if (centred)
            QCOMPARE(qRound(2 * b.x() + b.width()), qRound(f.viewItem.width()));
        else
            QCOMPARE(b.x(), 0.0);
    }
    QCOMPARE(f.model->centerControls(), centred);
}

void TestMModel::applySkinWritesTheInterface()
{
    ModelFixture f;
    QVERIFY(f.model->applySkin("Dark"));
    QVERIFY(f.model->applySkin("Green"));
    MQmlInterface *pInterface = f.model->getInterface();
    QCOMPARE(pInterface->property("canvasColor").value<QColor>(), QColor("#464949"));
    QCOMPARE(pInterface->property("accentColor").value<QColor>(), QColor("#8BC34A"));
    QCOMPARE(f.model->getInterfaceProperty("downArrow").toString(),
             QString("../../images/skins/Accent/Green/arrow_down.png"));
}

void TestMModel::initializeWiresFactoryAndRoots()
{
    ModelFixture f;
    QVERIFY(f.model->root());
    QVERIFY(f.model->scenes());
    QCOMPARE(f.model->scenes()->kind(), QString("Scenes"));
    QVERIFY(f.model->project());
    WWidgetFactory *pFactory = WDelegate::instance()->factory();
    QVERIFY(pFactory);
    QCOMPARE(pFactory->parentItem(), &f.viewItem);
    QCOMPARE(pFactory->model(), f.model.get());
    QVERIFY(pFactory->context());
    auto *pTimer = f.model->findChild<QTimer *>("polling");
    QVERIFY(pTimer);
    QVERIFY(!pTimer->isActive());
}

void TestMModel::destructionReleasesSingletons()
{
    QObject canvasItem;
    {
        ModelFixture f;
        VModeManager::instance()->setCanvasItem(&canvasItem);
        QVERIFY(WDelegate::instance()->factory());
    }
    // Fresh instances: nothing of the old model's is left behind.
    QVERIFY(!VModeManager::instance()->canvasItem());
    QVERIFY(!WDelegate::instance()->factory());
}

void TestMModel::worksWithoutInterface()
{
    MModel model;
    model.initialize();
    QVERIFY(!model.getInterfaceProperty("connectInd").isValid());
    QVERIFY(!model.layoutCanvas());
    QVERIFY(!model.centerControls());
    QVERIFY(model.getSkinName().isEmpty());
    QVERIFY(model.getIsScaleMultiply());
    model.onExtraRefreshTimerTimeout();
}

void TestMModel::fileName_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<bool>("keep");
    QTest::addColumn<QString>("name");
    QTest::newRow("keep extension") << "/x/Archive/Demo.cpf" << true << "Demo.cpf";
    QTest::newRow("cut extension") << "/x/Archive/Demo.cpf" << false << "Demo";
    QTest::newRow("no slash") << "Demo.cpf" << true << "";
    QTest::newRow("no dot") << "/x/Demo" << false << "Demo";
    QTest::newRow("last dot only") << "/x/a.b.cpz" << false << "a.b";
}

void TestMModel::fileName()
{
    QFETCH(QString, path);
    QFETCH(bool, keep);
    QTEST(MModel::fileName(path, keep), "name");
}

VR_TEST_MAIN(TestMModel)
#include "tst_mmodel.moc"
