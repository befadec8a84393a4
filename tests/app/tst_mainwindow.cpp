#include "VrTest.h"

#include "app/MModel.h"
#include "app/MQmlInterface.h"
#include "app/MainWindow.h"
#include "controls/VModeManager.h"
#include "app/VQmlFrame.h"
#include "comms/IComposite.h"

#include "controls/CComposite.h"
#include "controls/CControl.h"

#include <QDir>
#include <QFile>
#include <QSplitter>

class TestMainWindow : public QObject
{
    Q_OBJECT

private slots:
    void startUp();
    void sizeIsFixedToCanvas();
    void refitsAfterEveryLoad();
    void demoScenesAreCentredAlike();
    void startAndQuit();
};

void TestMainWindow::startUp()
{
    QApplication *pApp = qobject_cast<QApplication *>(QCoreApplication::instance());
    MainWindow window;
    window.setApplication(pApp);
    QCOMPARE(window.windowTitle(), QString("Varolin Remote - "));
    QVERIFY(window.isEnabled());
    QVERIFY(window.centralWidget()->isEnabled());

    MModel *pModel = window.model();
    QVERIFY(pModel);
    MQmlInterface *pInterface = pModel->getInterface();
    QVERIFY(pInterface);
    QCOMPARE(pInterface->property("rightClickEnable").toBool(), false);
    QCOMPARE(pModel->canvas(), &window.canvas());
    QCOMPARE(window.canvas().model(), pModel);
    // The desktop QML registered its root and its control area.
    QVERIFY(VModeManager::instance()->canvasItem());
    QVERIFY(pInterface->viewItem());
    QVERIFY(pModel->qmlContext());
    // Connections are on: the demo's processor and the proxy connection of
    // its ARX amplifier are listed, polling runs and the indicator shows
    // the state of the transports.
    QCOMPARE(pModel->interfaces()->interfaceCount(), 2);
    QVERIFY(pModel->pollingTimer()->isActive());
    QVERIFY(pInterface->property("connectInd").toString().startsWith(
        QStringLiteral("../../images/skins/Light/indicator_")));
    QCOMPARE(MModel::currentIndicatorPath(), pInterface->property("connectInd").toString());
}

void TestMainWindow::sizeIsFixedToCanvas()
{
    MainWindow window;
    const QSize expected(window.canvas().pixelWidth() + 4, window.canvas().pixelHeight() + 4);
    QVERIFY(expected.width() > 4 && expected.height() > 4);
    QCOMPARE(window.size(), expected);
    QCOMPARE(window.minimumSize(), expected);
    QCOMPARE(window.maximumSize(), expected);

    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    auto *pSplitter = window.centralWidget()->findChild<QSplitter *>();
    QVERIFY(pSplitter);
    pSplitter->move(40, 40);
    window.resize(expected + QSize(50, 50)); // held by the fixed size
    QResizeEvent event(window.size(), window.size());
    QCoreApplication::sendEvent(&window, &event);
    QCOMPARE(pSplitter->pos(), QPoint(2, 2));
    QCOMPARE(pSplitter->size(), QSize(window.canvas().pixelWidth(), window.canvas().pixelHeight()));
}

void TestMainWindow::refitsAfterEveryLoad()
{
    MainWindow window;
    MModel *pModel = window.model();
    // With no designs folder set and nothing stored, the demo is opened.
    QCOMPARE(pModel->scenes()->name(), QString("Demo.cpf"));
    const QSize demoSize = window.size();

    QFile file("other.cpf");
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("<?xml version=\"1.0\"?><VDS><Canvas><Property name=\"attributes\">"
               "<device>Phone</device><size>5</size><aspect>2</aspect>"
               "<orientation>1</orientation></Property></Canvas></VDS>");
    file.close();
    pModel->loadProject(QDir::current().filePath("other.cpf"));
    const QSize expected(window.canvas().pixelWidth() + 4, window.canvas().pixelHeight() + 4);
    QVERIFY(expected != demoSize);
    QCOMPARE(window.size(), expected);
    QCOMPARE(window.maximumSize(), expected);
}

// Every panel of the demo, its canvas (the "Bounds" control) as wide as
// the panels are designed, sits in the middle of the control area, inside
// it: a panel's controls are centred as a group, so a group that is not
// balanced about the canvas's middle would push the canvas aside.
void TestMainWindow::demoScenesAreCentredAlike()
{
    MainWindow window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    MModel *pModel = window.model();
    QCOMPARE(pModel->scenes()->name(), QString("Demo.cpf"));
    QObject *pView = pModel->getInterface()->viewItem();
    QVERIFY(pView);
    const double width = pView->property("width").toDouble();
    QVERIFY(width > 0);

    int panels = 0;
    const CComposite *pScenes = pModel->scenes();
    for (int s = 0; s < pScenes->childCount(); ++s) {
        const CControl *pScene = pScenes->childAt(s);
        for (int p = 0; p < pScene->childCount(); ++p) {
            const CControl *pPanel = pScene->childAt(p);
            const QString name = pScene->name() + QLatin1Char('/') + pPanel->name();
            QRectF canvas;
            for (int c = 0; c < pPanel->childCount(); ++c) {
                if (pPanel->childAt(c)->kind() == QLatin1String("Bounds"))
                    canvas = pPanel->childAt(c)->bounds();
            }
            QVERIFY2(canvas.width() > 0, qPrintable(name));
            QVERIFY2(canvas.left() >= 0 && canvas.right() <= width,
                     qPrintable(QStringLiteral("%1: %2 to %3 in %4")
                                    .arg(name).arg(canvas.left()).arg(canvas.right()).arg(width)));
            QVERIFY2(qAbs(canvas.center().x() - width / 2) <= 1.0,
                     qPrintable(QStringLiteral("%1: middle at %2, not %3")
                                    .arg(name).arg(canvas.center().x()).arg(width / 2)));
            ++panels;
        }
    }
    QCOMPARE(panels, 9);
}

// Shown, drawn and closed: the view goes before the model, and nothing may
// touch the QML side afterwards (the sanitizer build checks this run).
void TestMainWindow::startAndQuit()
{
    auto *pWindow = new MainWindow;
    pWindow->show();
    QVERIFY(QTest::qWaitForWindowExposed(pWindow));
    QTest::qWait(50);
    delete pWindow;
    QVERIFY(!VModeManager::instance()->canvasItem());
}

VR_TEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
