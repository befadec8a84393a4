#include "VrTest.h"

#include "app/MModel.h"
#include "app/MQmlInterface.h"
#include "app/MeterGaugeLocalization.h"
#include "controls/VModeManager.h"
#include "controls/CComposite.h"
#include "project/MProject.h"

#include <QQmlContext>
#include <QQmlEngine>
#include <QSettings>
#include <QSignalSpy>

#include <memory>

class TestMQmlInterface : public QObject
{
    Q_OBJECT

private slots:
    void cleanup();
    void postCommandWithoutModel();
    void postCommand_data();
    void postCommand();
    void modelForwarding();
    void setupMenuData_data();
    void setupMenuData();
    void sceneMenu();
    void fullScreenSetting();
    void proxySettings();
    void emptyProxyAddressChangesNothing_data();
    void emptyProxyAddressChangesNothing();
    void setObject();
    void exitQuitsOnce();
};

namespace {

std::unique_ptr<QSettings> proxyStore()
{
    return std::make_unique<QSettings>(QStringLiteral("com.HalvernProfessional"),
                                       QStringLiteral("VarolinRemote"));
}

// Counts the quit requests that reach the application.
class QuitCounter : public QObject
{
public:
    int count = 0;

protected:
    bool eventFilter(QObject *pWatched, QEvent *pEvent) override
    {
        if (pWatched == qApp && pEvent->type() == QEvent::Quit)
            ++count;
        return QObject::eventFilter(pWatched, pEvent);
    }
};

} // namespace

void TestMQmlInterface::cleanup()
{
    QSettings(QStringLiteral("com.HalvernProfessinal"), QStringLiteral("VarolinRemote")).clear();
    proxyStore()->clear();
    VModeManager::destroyInstance();
    MProject::setExitPin(QString());
}

void TestMQmlInterface::postCommandWithoutModel()
{
    MQmlInterface intrf;
    for (const char *cmd : {"event", "scene", "statusbar", "system", "other"})
        QVERIFY(!intrf.postCommand(QString::fromLatin1(cmd), QStringLiteral("leftarrow")));
    QVERIFY(!intrf.shouldDisplayDeviceStatusDashboardIcon());
    QCOMPARE(intrf.getProjectInfoString(), QString());
    QCOMPARE(intrf.getFileVersionString(), QString());
    intrf.canvasResize();
    intrf.onDeviceStatusDashboardOpen();
}

void TestMQmlInterface::postCommand_data()
{
    QTest::addColumn<QString>("cmd");
    QTest::addColumn<QString>("msg");
    // The model operation whose result postCommand passes on; empty for a
    // fixed result.
    QTest::addColumn<QString>("operation");
    QTest::addColumn<bool>("fixedResult");
    QTest::addColumn<int>("messages");

    QTest::newRow("status bar") << "statusbar" << "Saved." << "" << true << 1;
    QTest::newRow("status bar, empty text") << "statusbar" << "" << "" << true << 1;
    QTest::newRow("page arrow") << "event" << "leftarrow" << "pageArrow" << false << 0;
    QTest::newRow("scene") << "scene" << "Main" << "selectScene" << false << 0;
    QTest::newRow("system menu") << "system" << "Network Status..." << "showMenu" << false << 0;
    QTest::newRow("case matters") << "Event" << "leftarrow" << "" << false << 0;
    QTest::newRow("status bar in capitals") << "STATUSBAR" << "x" << "" << false << 0;
    QTest::newRow("unknown") << "reload" << "" << "" << false << 0;
    QTest::newRow("empty") << "" << "" << "" << false << 0;
}

void TestMQmlInterface::postCommand()
{
    QFETCH(QString, cmd);
    QFETCH(QString, msg);
    QFETCH(QString, operation);
    QFETCH(bool, fixedResult);
    QFETCH(int, messages);

    MModel model;
    model.initialize();
    MQmlInterface intrf;
    intrf.linkModel(&model);
    QSignalSpy spy(&model, &MModel::displayMessage);

    bool expected = fixedResult;
    if (operation == QLatin1String("pageArrow"))
        expected = model.pageArrow(msg);
    else if (operation == QLatin1String("selectScene"))
        expected = model.selectScene(msg);
    else if (operation == QLatin1String("showMenu"))
        expected = model.showMenu(msg);
    spy.clear();

    QCOMPARE(intrf.postCommand(cmd, msg), expected);
    QCOMPARE(spy.count(), messages);
    if (messages)
        QCOMPARE(spy.at(0).at(0).toString(), msg);
}

void TestMQmlInterface::modelForwarding()
{
    QQmlEngine engine;
    MModel model;
    model.initialize();
    MQmlInterface intrf;
    intrf.setContext(engine.rootContext());

    intrf.linkModel(nullptr);
    QCOMPARE(intrf.model(), nullptr);
    intrf.linkModel(&model);
    QCOMPARE(intrf.model(), &model);
    QCOMPARE(model.getInterface(), &intrf);
    QCOMPARE(model.qmlContext(), engine.rootContext());

    QCOMPARE(intrf.getVersionText(), model.aboutText());
    QVERIFY(intrf.getVersionText().startsWith(QStringLiteral("Version 3.1.18.0\n\n")));
    QVERIFY(intrf.getVersionText().size() > QStringLiteral("Version 3.1.18.0\n\n").size());
    QCOMPARE(intrf.getFileVersionString(), QStringLiteral("3.1"));
    QCOMPARE(intrf.getProjectInfoString(), model.project()->projectInfoText());
    QCOMPARE(intrf.shouldDisplayDeviceStatusDashboardIcon(), model.hasStatusDevices());

    MProject::setExitPin(QStringLiteral("4711"));
    QCOMPARE(intrf.getExitPIN(), QStringLiteral("4711"));
    QCOMPARE(intrf.getReceivePanelString(), QStringLiteral("Receive Control Panel..."));
    QCOMPARE(intrf.getDesktopOrMobile(), QStringLiteral("desktop"));
    QCOMPARE(intrf.getAppFunction(), 2);
    QVERIFY(!intrf.isBuilder());

    // The model goes first at shutdown; the interface must not follow it.
    {
        MModel shortLived;
        intrf.linkModel(&shortLived);
    }
    QCOMPARE(intrf.model(), nullptr);
    QVERIFY(!intrf.postCommand(QStringLiteral("statusbar"), QStringLiteral("x")));
}

void TestMQmlInterface::setupMenuData_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("items");

    QTest::newRow("empty") << "" << QStringList();
    QTest::newRow("one") << "About" << QStringList{"About"};
    QTest::newRow("main menu")
        << "About Varolin Remote...,Project Information...,Network Status...,Receive..."
        << QStringList{"About Varolin Remote...", "Project Information...", "Network Status...",
                       "Receive..."};
    QTest::newRow("each followed by a comma") << "One,Two," << QStringList{"One", "Two"};
    QTest::newRow("leading comma") << ",One" << QStringList{"", "One"};
    QTest::newRow("two commas") << "One,,Two" << QStringList{"One", "", "Two"};
    QTest::newRow("comma only") << "," << QStringList{""};
    QTest::newRow("two commas only") << ",," << QStringList{"", ""};
    QTest::newRow("blanks kept") << " One , Two" << QStringList{" One ", " Two"};
}

void TestMQmlInterface::setupMenuData()
{
    QFETCH(QString, text);
    QFETCH(QStringList, items);

    QQmlEngine engine;
    MQmlInterface intrf;
    // Without a context there is nowhere to publish.
    intrf.setupMenuData(text);
    QVERIFY(!engine.rootContext()->contextProperty(QStringLiteral("setupMenuData")).isValid());

    intrf.setContext(engine.rootContext());
    intrf.setupMenuData(text);
    const QVariant published = engine.rootContext()->contextProperty(QStringLiteral("setupMenuData"));
    QCOMPARE(published.metaType(), QMetaType::fromType<QStringList>());
    QCOMPARE(published.toStringList(), items);
}

void TestMQmlInterface::sceneMenu()
{
    MQmlInterface intrf;
    QTest::ignoreMessage(QtDebugMsg, "Context not set when loading scene menu.");
    intrf.loadSceneMenu(nullptr);

    QQmlEngine engine;
    QQmlContext *pContext = engine.rootContext();
    intrf.setContext(pContext);
    QCOMPARE(intrf.context(), pContext);
    QCOMPARE(pContext->contextProperty(QStringLiteral("MeterGaugeLocalValue")).value<QObject *>(),
             intrf.meterGaugeLocalization());
    QCOMPARE(pContext->contextProperty(QStringLiteral("MsgBoxController")).value<QObject *>(),
             &intrf.messageDialog());
    const QVariant empty = pContext->contextProperty(QStringLiteral("sceneMenuData"));
    QCOMPARE(empty.metaType(), QMetaType::fromType<QStringList>());
    QVERIFY(empty.toStringList().isEmpty());

    CComposite root;
    for (const char *name : {"Lobby", "", "Main Hall"}) {
        auto *pScene = new CComposite;
        pScene->setName(QString::fromLatin1(name));
        root.addChild(pScene);
    }
    intrf.loadSceneMenu(&root);
    QCOMPARE(pContext->contextProperty(QStringLiteral("sceneMenuData")).toStringList(),
             (QStringList{"Lobby", "", "Main Hall"}));

    // QML sees the list as it is published.
    QQmlComponent component(&engine);
    component.setData("import QtQml\nQtObject { property int count: sceneMenuData.length;"
                      " property string last: sceneMenuData.length > 2 ? sceneMenuData[2] : \"\" }",
                      QUrl());
    std::unique_ptr<QObject> object(component.create());
    QVERIFY2(object, qPrintable(component.errorString()));
    QCOMPARE(object->property("count").toInt(), 3);
    QCOMPARE(object->property("last").toString(), QStringLiteral("Main Hall"));

    intrf.loadSceneMenu(nullptr);
    QVERIFY(pContext->contextProperty(QStringLiteral("sceneMenuData")).toStringList().isEmpty());
    QCOMPARE(object->property("count").toInt(), 0);
}

void TestMQmlInterface::fullScreenSetting()
{
    MQmlInterface intrf;
    QVERIFY(intrf.loadFullScreenState());
    intrf.saveFullScreenState(false);
    QVERIFY(!intrf.loadFullScreenState());
    // Stored under the organisation name that earlier versions wrote.
    QSettings settings(QStringLiteral("com.HalvernProfessinal"), QStringLiteral("VarolinRemote"));
    QCOMPARE(settings.value(QStringLiteral("isFullscreen")).toBool(), false);
    QVERIFY(!proxyStore()->contains(QStringLiteral("isFullscreen")));
    intrf.saveFullScreenState(true);
    QVERIFY(intrf.loadFullScreenState());
}

void TestMQmlInterface::proxySettings()
{
    MQmlInterface intrf;
    QCOMPARE(intrf.getArxPcIp(), QString());
    QCOMPARE(intrf.getProxyInfoMsg(), QString());
    QCOMPARE(intrf.getProxyType(), QString());

    // An address that the design brought but that is not marked as set
    // does not count.
    proxyStore()->setValue(QStringLiteral("arxIp"), QStringLiteral("10.1.1.1"));
    QCOMPARE(intrf.getArxPcIp(), QString());

    intrf.setArxPcIp(QStringLiteral("192.168.10.20"));
    QCOMPARE(intrf.getArxPcIp(), QStringLiteral("192.168.10.20"));
    QCOMPARE(proxyStore()->value(QStringLiteral("isArxIpSet")).toBool(), true);
    QCOMPARE(proxyStore()->value(QStringLiteral("arxIp")).toString(), QStringLiteral("192.168.10.20"));

    proxyStore()->setValue(QStringLiteral("isDesignHasArx"), true);
    proxyStore()->setValue(QStringLiteral("proxyType"), QStringLiteral("vds"));
    intrf.clearArxPcIp();
    QCOMPARE(intrf.getArxPcIp(), QString());
    QCOMPARE(intrf.getProxyType(), QStringLiteral("rtc"));
    QCOMPARE(intrf.getProxyInfoMsg(),
             QStringLiteral("Proxy Info has been cleared. Restart VRM to reload data from the VDS "
                            "configuration."));
    const std::unique_ptr<QSettings> pSettings = proxyStore();
    QCOMPARE(pSettings->value(QStringLiteral("isDesignHasArx")).toBool(), false);
    QCOMPARE(pSettings->value(QStringLiteral("isArxIpSet")).toBool(), false);
    QVERIFY(pSettings->contains(QStringLiteral("arxIp")));
    QCOMPARE(pSettings->value(QStringLiteral("arxIp")).toString(), QString());
}

void TestMQmlInterface::emptyProxyAddressChangesNothing_data()
{
    QTest::addColumn<QString>("address");
    QTest::newRow("empty") << QString();
    QTest::newRow("blanks") << QStringLiteral("   ");
}

void TestMQmlInterface::emptyProxyAddressChangesNothing()
{
    QFETCH(QString, address);
    MQmlInterface intrf;

    intrf.setArxPcIp(address);
    QVERIFY(!proxyStore()->contains(QStringLiteral("isArxIpSet")));
    QVERIFY(!proxyStore()->contains(QStringLiteral("arxIp")));

    intrf.setArxPcIp(QStringLiteral("10.0.0.5"));
    intrf.setArxPcIp(address);
    QCOMPARE(intrf.getArxPcIp(), QStringLiteral("10.0.0.5"));

    intrf.clearArxPcIp();
    intrf.setArxPcIp(address);
    QCOMPARE(proxyStore()->value(QStringLiteral("isArxIpSet")).toBool(), false);
    QCOMPARE(intrf.getArxPcIp(), QString());
}

void TestMQmlInterface::setObject()
{
    MQmlInterface intrf;
    VModeManager *pModes = VModeManager::instance();
    QObject view;
    QObject canvas;
    QObject menu;

    intrf.setObject(QStringLiteral("QmlView"), &view);
    intrf.setObject(QStringLiteral("QmlCanvas"), &canvas);
    intrf.setObject(QStringLiteral("ModalObject"), &menu);
    QCOMPARE(intrf.viewItem(), &view);
    QCOMPARE(pModes->canvasItem(), &canvas);
    QCOMPARE(pModes->modalItem(), &menu);

    // Other names, the tool bar's "Connected" among them, change nothing.
    QObject other;
    for (const char *name : {"Connected", "qmlview", "QmlCanvas ", "modalobject", ""})
        intrf.setObject(QString::fromLatin1(name), &other);
    QCOMPARE(intrf.viewItem(), &view);
    QCOMPARE(pModes->canvasItem(), &canvas);
    QCOMPARE(pModes->modalItem(), &menu);

    intrf.setObject(QStringLiteral("ModalObject"), nullptr);
    QCOMPARE(pModes->modalItem(), nullptr);
    intrf.setObject(QStringLiteral("QmlView"), nullptr);
    QCOMPARE(intrf.viewItem(), nullptr);
    QCOMPARE(pModes->canvasItem(), &canvas);

    // The items belong to the view and may go first.
    {
        QObject shortLived;
        intrf.setObject(QStringLiteral("QmlView"), &shortLived);
    }
    QCOMPARE(intrf.viewItem(), nullptr);
}

// Two requests in a row end the program once, 10 ms after the last one.
void TestMQmlInterface::exitQuitsOnce()
{
    MQmlInterface intrf;
    QuitCounter counter;
    qApp->installEventFilter(&counter);

    intrf.exitApplication();
    intrf.exitApplication();
    const QTimer &timer = intrf.exitTimer();
    QVERIFY(timer.isActive());
    QVERIFY(timer.isSingleShot());
    QCOMPARE(timer.interval(), 10);

    QCOMPARE(QCoreApplication::exec(), 0);
    QCOMPARE(counter.count, 1);
    QVERIFY(!timer.isActive());

    // A later request works the same way.
    intrf.exitApplication();
    QCOMPARE(QCoreApplication::exec(), 0);
    QCOMPARE(counter.count, 2);
    qApp->removeEventFilter(&counter);
}

VR_TEST_MAIN(TestMQmlInterface)
#include "tst_mqmlinterface.moc"
