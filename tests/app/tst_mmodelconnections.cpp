#include "VrTest.h"

#include "ClosedPort.h"
#include "DemoAtPorts.h"
#include "ModelFixture.h"
#include "NodeProperties.h"
#include "SimulatedArxAmplifier.h"
#include "SimulatedVdsDevice.h"
#include "SimulatedVentraArray.h"
#include "TestDevices.h"
#include "amplifiers/PARXProtocol.h"
#include "app/MConnections.h"
#include "app/MModel.h"
#include "app/MQmlInterface.h"
#include "comms/IArxAddress.h"
#include "comms/IComposite.h"
#include "comms/IInterface.h"
#include "comms/PProtocol.h"
#include "controls/CComposite.h"
#include "controls/VModeManager.h"
#include "devicestatus/DeviceStatusInterfaceObject.h"
#include "devices/HBlock.h"
#include "devices/HChassis.h"
#include "devices/HRoot.h"
#include "devices/ProxySettings.h"

#include <QPointer>
#include <QQmlContext>
#include <QSignalSpy>
#include <QTcpServer>

#include <functional>
#include <memory>
#include <vector>

using NodeProperties::read;

namespace {

// A loudspeaker array at 127.0.0.1, one status device of the dashboard.
HChassis *addLocalArray(HRoot *pRoot)
{
    auto *pArray = new HChassis(QStringLiteral("Kestrel"));
    read(*pArray, {"title=Ventra", "label=Array", "ipAddress=127.0.0.1"});
    pRoot->addChild(pArray);
    return pArray;
}

constexpr int Patience = 10000;

// A port on 127.0.0.1 where nothing listens: connecting is refused.
quint16 closedPort()
{
    QTcpServer server;
    server.listen(QHostAddress::LocalHost);
    return server.serverPort();
}

// A control that counts the state requests of the sweep.
class CountingControl : public CControl
{
public:
    bool requestState() override
    {
        ++count;
        if (onAsked)
            onAsked();
        return true;
    }

    int count = 0;
    std::function<void()> onAsked;
};

// A scene with one panel holding a counting control, shown. Another scene
// comes first: choosing the scene that is current already changes nothing.
CountingControl *showCountingPanel(MModel &model)
{
    auto *pOther = new CComposite;
    pOther->setType(QStringLiteral("Scene"));
    pOther->setKind(QStringLiteral("Panels"));
    pOther->setName(QStringLiteral("Other"));
    model.scenes()->addChild(pOther);
    auto *pScene = new CComposite;
    pScene->setType(QStringLiteral("Scene"));
    pScene->setKind(QStringLiteral("Panels"));
    pScene->setName(QStringLiteral("Scene"));
    auto *pPanel = new CComposite;
    pPanel->setType(QStringLiteral("Panel"));
    pPanel->setKind(QStringLiteral("Controls"));
    pPanel->setName(QStringLiteral("Panel"));
    auto *pControl = new CountingControl;
    pControl->setName(QStringLiteral("Counter"));
    pPanel->addChild(pControl);
    pScene->addChild(pPanel);
    model.scenes()->addChild(pScene);
    model.selectSceneByIndex(1);
    return pControl;
}

QString indicatorOf(const MModel &model)
{
    return model.getInterfaceProperty(QStringLiteral("connectInd")).toString();
}

// Opens the project with its connections on, as at start-up; returns its
// ARX amplifier, whose REST posts give up after half a second.
HChassis *openWithAmplifier(MModel &model, const QString &path)
{
    model.loadProject(path);
    HChassis *pAmplifier = nullptr;
    for (HChassis *pChassis : MConnections::chassisOf(model.root())) {
        if (pChassis->isArx())
            pAmplifier = pChassis;
    }
    if (pAmplifier)
        pAmplifier->arxRestApiRepository()->setTransferTimeout(500);
    model.setConnectionsEnabled(true);
    model.rebuildInterfaceSet();
    return pAmplifier;
}

// The user has cleared the proxy address on this PC: the demo's amplifier
// has no proxy for its VDS side.
void clearArxProxy()
{
    QSettings settings(ProxySettings::organisation(), ProxySettings::application());
    settings.setValue(ProxySettings::isArxIpSetKey(), true);
    settings.setValue(ProxySettings::arxIpKey(), QString());
}

// The demo project with every device simulated on 127.0.0.1: processor,
// array and ARX amplifier, the last answering as its REST mode says (or
// not there at all).
struct DemoDevices
{
    explicit DemoDevices(bool amplifierThere = true)
    {
        processor.setValueStoreEnabled(true);
        ok = processor.listen() && array.listen();
        IArxAddress::setPort(amplifierThere ? amplifier.port() : closedLocalPort());
        path = writeDemoAtPorts(processor.port(), array.port());
        ok = ok && !path.isEmpty();
    }
    ~DemoDevices() { IArxAddress::setPort(closedLocalPort()); }

    SimulatedVdsDevice processor;
    SimulatedVentraArray array;
    SimulatedArxAmplifier amplifier;
    QString path;
    bool ok = false;
};

} // namespace

class TestMModelConnections : public QObject
{
    Q_OBJECT

private slots:
    void init();

    void indicator_data();
    void indicator();
    void reportedStateDoesNotDecide();
    void lossIsPassedToEveryProtocol();
    void eachChassisIsConnectedOnce();
    void indicatorFollowsAProjectWithoutDevices();
    void demoAmplifierIndicator_data();
    void demoAmplifierIndicator();
    void amplifierThatStopsAnsweringLeavesGreen();

    void startsPolling();
    void setPausesPollingForTwoTicks();
    void sweepResumesOnTheSecondTickAfterASet();

    void statusDevices();
    void noStatusDevicesNoDashboardIcon();
    void rebuildReleasesEarlierObjects();
    void shownObjectsOutliveRebuilds();
    void statusListAfterTheDevicesWent();
};

void TestMModelConnections::init()
{
    QSettings(ProxySettings::organisation(), ProxySettings::application()).clear();
}

void TestMModelConnections::indicator_data()
{
    QTest::addColumn<int>("listening");
    QTest::addColumn<int>("refusing");
    QTest::addColumn<int>("arrays");
    QTest::addColumn<QString>("skin");
    QTest::addColumn<QString>("expected");

    QTest::newRow("none connected")
        << 0 << 2 << 0 << "Light" << "../../images/skins/Light/indicator_red.png";
    QTest::newRow("some connected")
        << 1 << 1 << 0 << "Light" << "../../images/skins/Light/indicator_ylw.png";
    QTest::newRow("all connected")
        << 2 << 0 << 0 << "Light" << "../../images/skins/Light/indicator_grn.png";
    QTest::newRow("all connected, dark")
        << 2 << 0 << 0 << "Dark" << "../../images/skins/Dark/indicator_grn.png";
    QTest::newRow("no devices") << 0 << 0 << 0 << "Dark" << "../../images/skins/Dark/indicator_red.png";
    // The array has no connection to report; it never holds green back.
    QTest::newRow("all connected beside an array")
        << 1 << 0 << 1 << "Light" << "../../images/skins/Light/indicator_grn.png";
    QTest::newRow("none connected beside an array")
        << 0 << 1 << 1 << "Light" << "../../images/skins/Light/indicator_red.png";
}

// The indicator counts the connected transports against all of them, in
// the folder of the canvas's skin.
void TestMModelConnections::indicator()
{
    QFETCH(int, listening);
    QFETCH(int, refusing);
    QFETCH(int, arrays);
    QFETCH(QString, skin);
    QFETCH(QString, expected);

    ModelFixture f;
    f.canvas.setAttribute(QStringLiteral("skin"), skin);
    std::vector<std::unique_ptr<SimulatedVdsDevice>> devices;
    for (int i = 0; i < listening; ++i) {
        devices.push_back(std::make_unique<SimulatedVdsDevice>());
        QVERIFY(devices.back()->listen());
        TestDevices::addLocalChassis(f.model->root(), QStringLiteral("Up %1").arg(i), devices.back()->port());
    }
    for (int i = 0; i < refusing; ++i)
        TestDevices::addLocalChassis(f.model->root(), QStringLiteral("Down %1").arg(i), closedPort());
    QList<HChassis *> arrayChassis;
    for (int i = 0; i < arrays; ++i)
        arrayChassis.append(addLocalArray(f.model->root()));

    f.model->setConnectionsEnabled(true);
    f.model->rebuildInterfaceSet();
    QCOMPARE(f.model->interfaces()->interfaceCount(), listening + refusing);
    for (const HChassis *pArray : std::as_const(arrayChassis))
        QVERIFY(pArray->transport() && !pArray->transport()->hasConnectionState());
    QTRY_COMPARE_WITH_TIMEOUT(indicatorOf(*f.model), expected, Patience);
    QCOMPARE(MModel::currentIndicatorPath(), expected);
}

// A transport that says it is connected while another is down: yellow.
void TestMModelConnections::reportedStateDoesNotDecide()
{
    ModelFixture f;
    SimulatedVdsDevice device;
    QVERIFY(device.listen());
    HChassis *pUp = TestDevices::addLocalChassis(f.model->root(), QStringLiteral("Up"), device.port());
    HChassis *pDown = TestDevices::addLocalChassis(f.model->root(), QStringLiteral("Down"), closedPort());
    f.model->setConnectionsEnabled(true);
    f.model->rebuildInterfaceSet();
    QTRY_VERIFY_WITH_TIMEOUT(pUp->transport()->isConnected(), Patience);

    emit pDown->transport()->interfaceStateChanged(true);
    QVERIFY(indicatorOf(*f.model).endsWith(QStringLiteral("/indicator_ylw.png")));
    emit pUp->transport()->interfaceStateChanged(false);
    QVERIFY(indicatorOf(*f.model).endsWith(QStringLiteral("/indicator_ylw.png")));
}

// A reported loss reaches the protocol of every listed transport, also of
// those that did not report it; a transport that comes up reports nothing.
void TestMModelConnections::lossIsPassedToEveryProtocol()
{
    ModelFixture f;
    SimulatedVdsDevice device;
    QVERIFY(device.listen());
    HChassis *pUp = TestDevices::addLocalChassis(f.model->root(), QStringLiteral("Up"), device.port());
    HChassis *pDown = TestDevices::addLocalChassis(f.model->root(), QStringLiteral("Down"), closedPort());
    f.model->setConnectionsEnabled(true);
    f.model->rebuildInterfaceSet();
    QTRY_VERIFY_WITH_TIMEOUT(pUp->transport()->isConnected(), Patience);

    QSignalSpy downOnline(pDown->protocol(), &PProtocol::onlineStateChanged);
    QSignalSpy changed(f.model.get(), &MModel::changedStatusIndicator);
    emit pUp->transport()->interfaceStateChanged(true);
    QCOMPARE(changed.count(), 1);
    QCOMPARE(downOnline.count(), 0);

    emit pUp->transport()->interfaceStateChanged(false);
    QCOMPARE(changed.count(), 2);
    QCOMPARE(downOnline.count(), 1);
    QCOMPARE(downOnline.first().first().toBool(), false);
}

// However often connections are turned on and the set of transports is
// rebuilt, each signal reaches the model and each protocol once.
void TestMModelConnections::eachChassisIsConnectedOnce()
{
    ModelFixture f;
    SimulatedVdsDevice device;
    QVERIFY(device.listen());
    HChassis *pChassis = TestDevices::addLocalChassis(f.model->root(), QStringLiteral("Main"), device.port());
    for (int i = 0; i < 3; ++i) {
        f.model->setConnectionsEnabled(true);
        f.model->rebuildInterfaceSet();
    }
    QCOMPARE(f.model->interfaces()->interfaceCount(), 1);
    QCOMPARE(pChassis->protocol()->model(), f.model.get());
    QTRY_VERIFY_WITH_TIMEOUT(pChassis->transport()->isConnected(), Patience);

    QSignalSpy changed(f.model.get(), &MModel::changedStatusIndicator);
    emit pChassis->transport()->interfaceStateChanged(true);
    QCOMPARE(changed.count(), 1);

    QSignalSpy online(pChassis->protocol(), &PProtocol::onlineStateChanged);
    emit pChassis->onlineStateChanged(true);
    QCOMPARE(online.count(), 1);
}

// A project without devices replaces the indicator of the one before.
void TestMModelConnections::indicatorFollowsAProjectWithoutDevices()
{
    ModelFixture f;
    SimulatedVdsDevice device;
    QVERIFY(device.listen());
    TestDevices::addLocalChassis(f.model->root(), QStringLiteral("Main"), device.port());
    f.model->setConnectionsEnabled(true);
    f.model->rebuildInterfaceSet();
    QTRY_VERIFY_WITH_TIMEOUT(indicatorOf(*f.model).endsWith(QStringLiteral("/indicator_grn.png")),
                             Patience);

    f.model->clearScenes();
    QCOMPARE(f.model->root()->childCount(), 0);
    f.model->setConnectionsEnabled(true);
    f.model->rebuildInterfaceSet();
    QCOMPARE(indicatorOf(*f.model), QStringLiteral("../../images/skins/Light/indicator_red.png"));
}

void TestMModelConnections::demoAmplifierIndicator_data()
{
    using Mode = SimulatedArxAmplifier::RestMode;
    QTest::addColumn<bool>("proxy");
    QTest::addColumn<bool>("amplifierThere");
    QTest::addColumn<int>("restMode");
    QTest::addColumn<QString>("expected");

    const QString green = QStringLiteral("/indicator_grn.png");
    const QString yellow = QStringLiteral("/indicator_ylw.png");
    QTest::newRow("through the proxy on this PC") << true << true << int(Mode::Answer) << green;
    // The VDS side goes nowhere; the amplifier counts by its own answers.
    QTest::newRow("no proxy, amplifier answering") << false << true << int(Mode::Answer) << green;
    QTest::newRow("no proxy, amplifier refusing a post") << false << true << int(Mode::ServerError) << green;
    QTest::newRow("no proxy, amplifier away") << false << false << int(Mode::Answer) << yellow;
    QTest::newRow("no proxy, amplifier silent") << false << true << int(Mode::Silent) << yellow;
    QTest::newRow("no proxy, amplifier hanging up") << false << true << int(Mode::CloseSocket) << yellow;
}

// The demo project with all its devices simulated: green when every one of
// them is there and answers, whether the amplifier's VDS side has a proxy
// or not; an amplifier that does not answer keeps it from green.
void TestMModelConnections::demoAmplifierIndicator()
{
    QFETCH(bool, proxy);
    QFETCH(bool, amplifierThere);
    QFETCH(int, restMode);
    QFETCH(QString, expected);
    DemoDevices devices(amplifierThere);
    QVERIFY(devices.ok);
    devices.amplifier.setRestMode(SimulatedArxAmplifier::RestMode(restMode));
    if (!proxy)
        clearArxProxy();

    ModelFixture f;
    HChassis *pAmplifier = openWithAmplifier(*f.model, devices.path);
    QVERIFY(pAmplifier);
    ArxRestApiRepository *pRest = pAmplifier->arxRestApiRepository();

    // Wait until the processor is connected and the amplifier's first
    // poll is over; the indicator then shows what it will go on showing.
    QTRY_VERIFY_WITH_TIMEOUT(f.model->interfaces()->connectedCount() >= 1, Patience);
    QTRY_VERIFY_WITH_TIMEOUT(pRest->pollCount() >= 1 && pRest->outstandingCount() == 0, Patience);
    QTRY_VERIFY2_WITH_TIMEOUT(indicatorOf(*f.model).endsWith(expected), qPrintable(indicatorOf(*f.model)),
                              Patience);
    // Counted: the processor and the amplifier, by its proxy or its own.
    QCOMPARE(f.model->interfaces()->interfaceCount(), 2);
    QVERIFY(pAmplifier->transport());
    QCOMPARE(pAmplifier->transport()->hasConnectionState(), proxy);
}

// A green demo whose amplifier stops answering its poll leaves green at
// the poll that finds it out, and comes back with its next answer.
void TestMModelConnections::amplifierThatStopsAnsweringLeavesGreen()
{
    DemoDevices devices;
    QVERIFY(devices.ok);
    clearArxProxy();
    ModelFixture f;
    HChassis *pAmplifier = openWithAmplifier(*f.model, devices.path);
    QVERIFY(pAmplifier);
    ArxRestApiRepository *pRest = pAmplifier->arxRestApiRepository();
    QTRY_VERIFY_WITH_TIMEOUT(indicatorOf(*f.model).endsWith(QStringLiteral("/indicator_grn.png")), Patience);

    devices.amplifier.setRestMode(SimulatedArxAmplifier::RestMode::CloseSocket);
    QTRY_VERIFY_WITH_TIMEOUT(pRest->outstandingCount() == 0, Patience);
    pRest->pollNow();
    QTRY_VERIFY_WITH_TIMEOUT(indicatorOf(*f.model).endsWith(QStringLiteral("/indicator_ylw.png")), Patience);

    devices.amplifier.setRestMode(SimulatedArxAmplifier::RestMode::Answer);
    QTRY_VERIFY_WITH_TIMEOUT(pRest->outstandingCount() == 0, Patience);
    pRest->pollNow();
    QTRY_VERIFY_WITH_TIMEOUT(indicatorOf(*f.model).endsWith(QStringLiteral("/indicator_grn.png")), Patience);
}

void TestMModelConnections::startsPolling()
{
    ModelFixture f;
    CountingControl *pControl = showCountingPanel(*f.model);
    QTimer *pTimer = f.model->pollingTimer();
    QVERIFY(!pTimer->isActive());
    f.model->setConnectionsEnabled(true);
    QVERIFY(pTimer->isActive());
    QCOMPARE(pTimer->interval(), 250);
    QVERIFY(!pTimer->isSingleShot());

    const int before = pControl->count;
    f.model->refreshCurrentPanel();
    QCOMPARE(pControl->count, before + 1);
    QTRY_VERIFY(pControl->count > before + 1);
}

// A set stops the sweep; the first tick after it re-arms the panel, the
// second asks again. The timer starts its period anew at the set.
void TestMModelConnections::setPausesPollingForTwoTicks()
{
    ModelFixture f;
    CountingControl *pControl = showCountingPanel(*f.model);
    f.model->setConnectionsEnabled(true);
    QTimer *pTimer = f.model->pollingTimer();
    PProtocol protocol;
    protocol.setModel(f.model.get());

    f.model->doPolling();
    const int before = pControl->count;
    QTest::qWait(100);
    protocol.releaseModelBusy();
    QVERIFY(!f.model->isPollingActive());
    QCOMPARE(f.model->currentPanel()->pollingActive(), quint8(0));
    QVERIFY(pTimer->isActive());
    QVERIFY(pTimer->remainingTime() > 200);

    f.model->doPolling();
    QCOMPARE(pControl->count, before);
    QVERIFY(f.model->isPollingActive());
    f.model->doPolling();
    QCOMPARE(pControl->count, before + 1);
}

void TestMModelConnections::sweepResumesOnTheSecondTickAfterASet()
{
    ModelFixture f;
    CountingControl *pControl = showCountingPanel(*f.model);
    QSignalSpy ticks(f.model->pollingTimer(), &QTimer::timeout);
    f.model->setConnectionsEnabled(true);
    QTRY_VERIFY(ticks.count() >= 1);

    PProtocol protocol;
    protocol.setModel(f.model.get());
    protocol.releaseModelBusy();
    const int ticksAtSet = int(ticks.count());
    // The spy is connected after the model, so while the model polls it
    // has not yet counted the running tick.
    int ticksSeen = -1;
    pControl->onAsked = [&] {
        if (ticksSeen < 0)
            ticksSeen = int(ticks.count()) - ticksAtSet + 1;
    };
    QTRY_VERIFY_WITH_TIMEOUT(ticksSeen > 0, Patience);
    QCOMPARE(ticksSeen, 2);
}

void TestMModelConnections::statusDevices()
{
    ModelFixture f;
    HRoot *pRoot = f.model->root();
    TestDevices::addLocalChassis(pRoot, QStringLiteral("Main"), closedPort());
    HChassis *pArray = addLocalArray(pRoot);
    auto *pArx = new HChassis;
    read(*pArx, {"title=ARX-4800", "label=Amp", "ipAddress=127.0.0.1", "deviceType=ARX-4800"});
    pRoot->addChild(pArx);
    QVERIFY(pArx->finishParsing());
    pArx->arxRestApiRepository()->stopPolling();
    pArx->arxWebSocket()->close();
    // An amplifier whose protocol was never made is left out.
    auto *pBareArx = new HChassis;
    read(*pBareArx, {"title=ARX-4800", "label=Bare", "ipAddress=127.0.0.1", "deviceType=ARX-4800"});
    pRoot->addChild(pBareArx);
    QVERIFY(pBareArx->isStatusDevice());

    QVERIFY(f.model->hasStatusDevices());
    const QList<DeviceStatusInterfaceObject *> devices = f.model->statusDevices();
    QCOMPARE(devices.size(), 2);
    QCOMPARE(devices.at(0)->kind(), int(DeviceStatusInterfaceObject::Ventra));
    QCOMPARE(devices.at(0)->name(), QStringLiteral("Array"));
    QCOMPARE(devices.at(0)->address(), QStringLiteral("127.0.0.1"));
    QCOMPARE(devices.at(0)->protocol(), pArray->protocol());
    QCOMPARE(devices.at(0)->parent(), pArray);
    QCOMPARE(devices.at(1)->kind(), int(DeviceStatusInterfaceObject::Arx));
    QCOMPARE(devices.at(1)->name(), QStringLiteral("Amp"));
    QCOMPARE(devices.at(1)->protocol(), static_cast<PProtocol *>(pArx->arxProtocol()));
    QCOMPARE(devices.at(1)->parent(), pArx);
    QVERIFY(f.model->getInterface()->shouldDisplayDeviceStatusDashboardIcon());

    // The menu entry hands the list to the dashboard, over the canvas.
    VModeManager::instance()->setCanvasItem(&f.viewItem);
    QVERIFY(f.model->showMenu(QStringLiteral("Device Status")));
    QVERIFY(f.model->deviceStatusDialog().isShown());
    QCOMPARE(f.model->qmlContext()->contextProperty(QStringLiteral("deviceStatusController"))
                 .value<QObject *>(),
             &f.model->deviceStatusDialog());
    QCOMPARE(f.model->deviceStatusDialog().qmlFile(),
             QStringLiteral("qrc:/qml/objects/deviceStatusObjects/QmlDeviceStatusRootView.qml"));
    for (DeviceStatusInterfaceObject *pDevice : f.model->statusDevices())
        QVERIFY(f.model->deviceStatusDialog().isShowing(pDevice));
}

void TestMModelConnections::noStatusDevicesNoDashboardIcon()
{
    ModelFixture f;
    TestDevices::addLocalChassis(f.model->root(), QStringLiteral("Main"), closedPort());
    QVERIFY(!f.model->hasStatusDevices());
    QVERIFY(f.model->statusDevices().isEmpty());
    QVERIFY(!f.model->getInterface()->shouldDisplayDeviceStatusDashboardIcon());
}

// The icon asks for the list again and again; the objects of the earlier
// lists do not pile up under the chassis.
void TestMModelConnections::rebuildReleasesEarlierObjects()
{
    ModelFixture f;
    HChassis *pArray = addLocalArray(f.model->root());

    QVERIFY(f.model->hasStatusDevices());
    const QPointer<DeviceStatusInterfaceObject> pFirst = f.model->statusDevices().value(0);
    for (int i = 0; i < 5; ++i)
        QVERIFY(f.model->hasStatusDevices());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(!pFirst);
    QCOMPARE(pArray->findChildren<DeviceStatusInterfaceObject *>().size(), 1);
}

// What the dashboard shows stays while the list is rebuilt behind it, and
// goes once the dashboard shows a newer list.
void TestMModelConnections::shownObjectsOutliveRebuilds()
{
    ModelFixture f;
    HChassis *pArray = addLocalArray(f.model->root());
    VModeManager::instance()->setCanvasItem(&f.viewItem);

    QCOMPARE(f.model->openDeviceStatus(), 1);
    const QPointer<DeviceStatusInterfaceObject> pShown = f.model->statusDevices().value(0);
    QVERIFY(pShown);
    for (int i = 0; i < 3; ++i)
        QVERIFY(f.model->hasStatusDevices());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(pShown);
    QVERIFY(f.model->deviceStatusDialog().isShowing(pShown));

    QCOMPARE(f.model->openDeviceStatus(), 1);
    QVERIFY(f.model->hasStatusDevices());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(!pShown);
    QCOMPARE(pArray->findChildren<DeviceStatusInterfaceObject *>().size(), 2);
}

// The device tree goes, as before a received project: neither the list nor
// the dashboard is left with the objects that went with their chassis.
void TestMModelConnections::statusListAfterTheDevicesWent()
{
    ModelFixture f;
    addLocalArray(f.model->root());
    VModeManager::instance()->setCanvasItem(&f.viewItem);
    QCOMPARE(f.model->openDeviceStatus(), 1);
    QVERIFY(f.model->deviceStatusDialog().isShown());
    QVERIFY(f.model->hasStatusDevices());
    const QPointer<DeviceStatusInterfaceObject> pShown = f.model->statusDevices().value(0);

    // The dashboard closes before the tree is pruned.
    f.model->clearScenes();
    QVERIFY(!f.model->deviceStatusDialog().isShown());
    QVERIFY(f.model->deviceStatusDialog().devices().isEmpty());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(!pShown);
    QVERIFY(f.model->statusDevices().isEmpty());
    QVERIFY(!f.model->hasStatusDevices());
    // Shown with nothing in it, and nothing to refresh.
    QCOMPARE(f.model->openDeviceStatus(), 1);
    QVERIFY(f.model->deviceStatusDialog().isShown());
    QVERIFY(!f.model->deviceStatusDialog().isReloading());
    QVERIFY(f.model->deviceStatusDialog().devices().isEmpty());
}

VR_TEST_MAIN(TestMModelConnections)
#include "tst_mmodelconnections.moc"
