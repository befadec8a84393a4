#include "VrTest.h"

#include "ClosedPort.h"
#include "NodeProperties.h"
#include "SimulatedArxAmplifier.h"
#include "SimulatedVdsDevice.h"
#include "amplifiers/PARXProtocol.h"
#include "comms/IArxAddress.h"
#include "comms/IInterface.h"
#include "comms/PProtocol.h"
#include "devices/HBlock.h"
#include "devices/HChassis.h"
#include "devices/HRoot.h"
#include "devices/ProxySettings.h"

#include <QPointer>
#include <QRegularExpression>
#include <QSignalSpy>

#include <memory>

using NodeProperties::read;

namespace {

// A chassis as the design reader leaves it before the acceptance check.
std::unique_ptr<HChassis> makeChassis(const QString &title, const QString &deviceType,
                                      const QString &className = QString())
{
    auto pChassis = className.isEmpty() ? std::make_unique<HChassis>()
                                        : std::make_unique<HChassis>(className);
    read(*pChassis, {QStringLiteral("title=") + title, QStringLiteral("label=") + title,
                     QStringLiteral("ipAddress=127.0.0.1")});
    // The array's designs carry no device type.
    if (!deviceType.isEmpty())
        read(*pChassis, {QStringLiteral("deviceType=") + deviceType});
    return pChassis;
}

// A gain block placed under the chassis and marked used, so that going
// online opens the chassis's transport.
HBlock *addUsedBlock(HChassis &chassis)
{
    auto *pBlock = new HBlock;
    read(*pBlock, {QStringLiteral("title=Gain"), QStringLiteral("label=Gain 1")});
    chassis.addChild(pBlock);
    pBlock->setUsed(true);
    return pBlock;
}

} // namespace

// Stands in for the model: the chassis knows its slot by signature only.
class StatusReceiver : public QObject
{
    Q_OBJECT

public slots:
    void interfaceStatusChanged(bool isConnected) { states.append(isConnected); }

public:
    QList<bool> states;
};

class TestHChassis : public QObject
{
    Q_OBJECT

private slots:
    void init();

    void construction_data();
    void construction();
    void designProperties();
    void deviceType_data();
    void deviceType();
    void connectionValuesReplaceDesign();
    void controlPort_data();
    void controlPort();
    void family_data();
    void family();

    void acceptance_data();
    void acceptance();
    void refusalIsReported();
    void moduleLists_data();
    void moduleLists();

    void arxWiring();
    void arxCheckedTwiceMakesOneProtocol();
    void arrayIsAcceptedByNameWithoutArxWiring();

    void onlineMakesTransportOnce();
    void onlineWithoutUsedNodesOpensNothing();
    void onlineOpensTheControlPort();
    void arxOnlineAndOffline();
    void ownershipGoesWithTheChassis();
    void interfaceStatusReachesTheModel();

    void nodesKeepTheChassisProtocol();
    void searchesStopAtTheChassis();
    void collectors();
    void counterpart_data();
    void counterpart();
};

void TestHChassis::init()
{
    QSettings(ProxySettings::organisation(), ProxySettings::application()).clear();
}

void TestHChassis::construction_data()
{
    QTest::addColumn<QString>("className");
    QTest::addColumn<QString>("platform");
    QTest::addColumn<QString>("port");
    QTest::addColumn<bool>("statusDevice");

    QTest::newRow("default") << QString() << "DXR" << "10055" << false;
    QTest::newRow("array") << "Kestrel" << "Ventra" << "49494" << true;
    QTest::newRow("array name is case-sensitive") << "kestrel" << "DXR" << "10055" << false;
    QTest::newRow("another class") << "Wren" << "DXR" << "10055" << false;
}

void TestHChassis::construction()
{
    QFETCH(QString, className);
    QFETCH(QString, platform);

    const auto pChassis = className.isNull() ? std::make_unique<HChassis>()
                                             : std::make_unique<HChassis>(className);
    QCOMPARE(pChassis->platform(), platform);
    QCOMPARE(pChassis->resourceFolder(), platform);
    QTEST(pChassis->serialPort(), "port");
    QTEST(pChassis->isStatusDevice(), "statusDevice");
    QVERIFY(pChassis->hasFlags(HNode::ChassisFlag));
    QVERIFY(pChassis->hasFlags(HNode::PrunableFlag));
    QVERIFY(pChassis->protocol());
    // Nothing talks to the device before connections are turned on.
    QCOMPARE(pChassis->transport(), nullptr);
    QCOMPARE(pChassis->arxProtocol(), nullptr);
    QVERIFY(!pChassis->proxyMonitorTimer().isActive());
    QCOMPARE(pChassis->proxyMonitorTimer().interval(), 1000);
    QVERIFY(!pChassis->arxRestApiRepository()->isPolling());
    QCOMPARE(pChassis->arxRestApiRepository()->pollTimer()->interval(), 5000);
}

void TestHChassis::designProperties()
{
    HChassis chassis;
    read(chassis, {"title=DXR-880 (Main)", "label=Main", "nodeID=4",
                   "ipAddress=127.0.0.1", "serialPortNumber=10070", "isMainDXR=True",
                   "ipPort=10080", "monitorPort=10090"});
    QCOMPARE(chassis.title(), QStringLiteral("DXR-880 (Main)"));
    QCOMPARE(chassis.nodeID(), 4);
    QCOMPARE(chassis.ipAddress(), QStringLiteral("127.0.0.1"));
    QCOMPARE(chassis.serialPort(), QStringLiteral("10070"));
    QVERIFY(chassis.hasFlags(HNode::MainChassisFlag));
    QCOMPARE(chassis.arxRestApiRepository()->arxIp(), QStringLiteral("127.0.0.1"));

    HChassis other;
    read(other, {"isMainDXR=true"});
    QVERIFY(!other.hasFlags(HNode::MainChassisFlag));
}

void TestHChassis::deviceType_data()
{
    QTest::addColumn<QString>("deviceType");
    QTest::addColumn<QString>("platform");
    QTest::addColumn<bool>("interfaceDevice");
    QTest::addColumn<bool>("statusDevice");

    QTest::newRow("processor") << "DXR-880" << "DXR" << false << false;
    QTest::newRow("design project type") << "VPJ-1" << "DXR" << false << false;
    QTest::newRow("interface unit ZRB") << "ZRB-8" << "DXR" << true << false;
    QTest::newRow("interface unit IN") << "IN-16" << "DXR" << true << false;
    QTest::newRow("AV amplifier") << "AV-2150" << "AV" << false << false;
    QTest::newRow("ARX amplifier") << "ARX-4800" << "AR" << false << true;
    QTest::newRow("AR amplifier") << "AR-2250" << "AR" << false << false;
    QTest::newRow("unknown") << "QX-1" << "" << false << false;
    QTest::newRow("prefixes are case-sensitive") << "dxr-880" << "" << false << false;
}

void TestHChassis::deviceType()
{
    QFETCH(QString, deviceType);
    HChassis chassis;
    read(chassis, {QStringLiteral("deviceType=") + deviceType});
    QTEST(chassis.platform(), "platform");
    QTEST(chassis.isInterfaceDevice(), "interfaceDevice");
    QTEST(chassis.isStatusDevice(), "statusDevice");
    // The protocol made with the chassis stays.
    QVERIFY(chassis.protocol());
}

void TestHChassis::connectionValuesReplaceDesign()
{
    HChassis chassis;
    read(chassis, {"title=DXR-880", "ipAddress=127.0.0.1", "serialPortNumber=10055"});
    chassis.setConnectionProperty(QStringLiteral("title"), QStringLiteral("DXR-840"));
    chassis.setConnectionProperty(QStringLiteral("serialport"), QStringLiteral("10060"));
    chassis.setConnectionProperty(QStringLiteral("platform"), QStringLiteral("AV"));
    chassis.setConnectionProperty(QStringLiteral("ipport"), QStringLiteral("1"));
    chassis.setConnectionProperty(QStringLiteral("monitorport"), QStringLiteral("2"));
    chassis.setConnectionProperty(QStringLiteral("ipaddress"), QStringLiteral("127.0.0.1"));
    QCOMPARE(chassis.title(), QStringLiteral("DXR-840"));
    QCOMPARE(chassis.serialPort(), QStringLiteral("10060"));
    QCOMPARE(chassis.platform(), QStringLiteral("AV"));
    QCOMPARE(chassis.ipAddress(), QStringLiteral("127.0.0.1"));
}

void TestHChassis::controlPort_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("port");
    QTest::newRow("default") << "10055" << 10055;
    QTest::newRow("not a number") << "port" << 0;
    QTest::newRow("negative") << "-1" << 0;
    QTest::newRow("too large") << "70000" << 0;
    QTest::newRow("empty") << "" << 0;
}

void TestHChassis::controlPort()
{
    QFETCH(QString, text);
    HChassis chassis;
    read(chassis, {QStringLiteral("serialPortNumber=") + text});
    QTEST(int(chassis.controlPort()), "port");
}

void TestHChassis::family_data()
{
    QTest::addColumn<QString>("className");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("deviceType");
    QTest::addColumn<QString>("platform"); // from the panel's connection; empty: none
    QTest::addColumn<int>("family");

    const int vds = int(IDevice::Family::Vds);
    const int array = int(IDevice::Family::Array);
    const int arx = int(IDevice::Family::ArxAmplifier);
    QTest::newRow("processor") << "" << "DXR-880" << "DXR-880" << "" << vds;
    QTest::newRow("amplifier") << "" << "AR-2400" << "AR-2400" << "" << vds;
    QTest::newRow("ARX amplifier") << "" << "ARX-4800" << "ARX-4800" << "" << arx;
    QTest::newRow("arx in any case") << "" << "Stage aRx" << "AR-2400" << "" << arx;
    QTest::newRow("ARX device type, other title") << "" << "AR-2400" << "ARX-4800" << "" << vds;
    QTest::newRow("array") << "Kestrel" << "Ventra" << "" << "" << array;
    QTest::newRow("array platform from the panel") << "" << "Ventra" << "" << "Ventra" << array;
    QTest::newRow("ARX title on the array's platform") << "Kestrel" << "ARX Ventra" << "" << "" << arx;
}

// The family comes from one rule, and the answers built on it agree.
void TestHChassis::family()
{
    QFETCH(QString, className);
    QFETCH(QString, title);
    QFETCH(QString, deviceType);
    QFETCH(QString, platform);
    QFETCH(int, family);
    const auto pChassis = makeChassis(title, deviceType, className);
    if (!platform.isEmpty())
        pChassis->setConnectionProperty(QStringLiteral("platform"), platform);
    QCOMPARE(int(pChassis->deviceFamily()), family);
    QCOMPARE(pChassis->isArx(), family == int(IDevice::Family::ArxAmplifier));

    pChassis->createInterface();
    QVERIFY(pChassis->transport());
    QCOMPARE(pChassis->transport()->chassis(), pChassis.get());
    QCOMPARE(pChassis->transport()->dropsLevelRequests(), family == int(IDevice::Family::ArxAmplifier));
}

void TestHChassis::acceptance_data()
{
    QTest::addColumn<QString>("className");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("deviceType");
    QTest::addColumn<bool>("accepted");

    QTest::newRow("listed processor") << "" << "DXR-880" << "DXR-880" << true;
    QTest::newRow("main ending dropped") << "" << "DXR-880 (Main)" << "DXR-880" << true;
    QTest::newRow("RTC ending dropped") << "" << "DXR-1240 (RTC)" << "DXR-1240" << true;
    QTest::newRow("expander") << "" << "EX-1280P" << "DXR-EX" << true;
    QTest::newRow("interface unit") << "" << "IN-16" << "IN-16" << true;
    QTest::newRow("AV amplifier") << "" << "AV-2150" << "AV-2150" << true;
    QTest::newRow("AR amplifier") << "" << "AR-4500" << "AR-4500" << true;
    QTest::newRow("model listed for another platform") << "" << "AV-2150" << "DXR-880" << false;
    QTest::newRow("unknown model") << "" << "QX-9000" << "DXR-9000" << false;
    QTest::newRow("unknown device type") << "" << "DXR-880" << "QX" << false;
    QTest::newRow("lines compare whole") << "" << "DXR-88" << "DXR-88" << false;
    QTest::newRow("case-sensitive") << "" << "dxr-880" << "DXR-880" << false;
    QTest::newRow("array by name") << "Kestrel" << "Ventra" << "" << true;
    QTest::newRow("array ending dropped") << "Kestrel" << "Ventra (Main)" << "" << true;
    QTest::newRow("Ventra title on any chassis") << "" << "Ventra" << "QX" << true;
    QTest::newRow("array with another title") << "Kestrel" << "Ventra 2" << "" << false;
}

void TestHChassis::acceptance()
{
    QFETCH(QString, className);
    QFETCH(QString, title);
    QFETCH(QString, deviceType);
    const auto pChassis = makeChassis(title, deviceType, className);
    QTEST(pChassis->finishParsing(), "accepted");
}

void TestHChassis::refusalIsReported()
{
    const auto pChassis = makeChassis(QStringLiteral("QX-9000 (Main)"), QStringLiteral("DXR"));
    QTest::ignoreMessage(QtWarningMsg,
                         "Failed to find the chassis title in resource file :data/Chassis.dict. "
                         "This can happen when a new device has been added to VDS but not VRM. "
                         "Make sure the resurce file has the string QX-9000");
    QVERIFY(!pChassis->finishParsing());
}

void TestHChassis::moduleLists_data()
{
    QTest::addColumn<QString>("deviceType");
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("cardType");
    QTest::addColumn<bool>("listed");

    QTest::newRow("processor input") << "DXR-880" << "InputModules.dict" << "AIN-4" << true;
    QTest::newRow("processor output") << "DXR-880" << "OutputModules.dict" << "AOUT-4" << true;
    QTest::newRow("amplifier output") << "AV-2150" << "OutputModules.dict" << "AMP-4" << true;
    QTest::newRow("input is no output") << "DXR-880" << "OutputModules.dict" << "AIN-4" << false;
    QTest::newRow("missing list") << "DXR-880" << "Nothing.dict" << "AIN-4" << false;
    QTest::newRow("no platform") << "QX" << "InputModules.dict" << "AIN-4" << false;
}

void TestHChassis::moduleLists()
{
    QFETCH(QString, deviceType);
    QFETCH(QString, file);
    QFETCH(QString, cardType);
    HChassis chassis;
    read(chassis, {QStringLiteral("deviceType=") + deviceType});
    QTEST(chassis.dictContains(file, cardType), "listed");
}

void TestHChassis::arxWiring()
{
    const auto pChassis = makeChassis(QStringLiteral("ARX-4800"), QStringLiteral("ARX-4800"));
    QVERIFY(pChassis->isArx());
    QVERIFY(pChassis->isStatusDevice());
    QCOMPARE(pChassis->platform(), QStringLiteral("AR"));
    QVERIFY(pChassis->finishParsing());

    PARXProtocol *pArx = pChassis->arxProtocol();
    QVERIFY(pArx);
    QCOMPARE(pArx->protocolName(), QStringLiteral("ARXProtocol"));
    QCOMPARE(pArx->deviceAddress(), QStringLiteral("127.0.0.1"));
    QCOMPARE(pArx->webSocket(), pChassis->arxWebSocket());
    QCOMPARE(pChassis->arxModelRepository()->webSocket(), pChassis->arxWebSocket());
    // The feed of the chassis's address, on the amplifiers' port (a closed
    // one in tests).
    QCOMPARE(pChassis->arxWebSocket()->url(), IArxAddress::webSocketUrl(QStringLiteral("127.0.0.1")));
    QCOMPARE(pChassis->arxWebSocket()->url().path(), QStringLiteral("/socket.io"));
    QVERIFY(pChassis->arxWebSocket()->isOpenRequested());
    QCOMPARE(pChassis->arxRestApiRepository()->arxIp(), QStringLiteral("127.0.0.1"));
    QVERIFY(pChassis->arxRestApiRepository()->isPolling());
    // The VDS protocol of the chassis is another object.
    QVERIFY(pChassis->protocol() != pArx);

    // Frames of the feed reach the protocol and the meter model.
    QVERIFY(!pArx->readings().metersReceived());
    pChassis->arxWebSocket()->deliverMessage(
        QStringLiteral("42[\"meters\",{\"payload\":{\"readings\":{\"meters\":{}}}}]"));
    QVERIFY(pArx->readings().metersReceived());
    QCOMPARE(pChassis->arxModelRepository()->frameCount(), 1);

    // Title words in any case make an ARX amplifier.
    const auto pLower = makeChassis(QStringLiteral("my arx amp"), QStringLiteral("DXR-880"));
    QVERIFY(pLower->isArx());
}

void TestHChassis::arxCheckedTwiceMakesOneProtocol()
{
    const auto pChassis = makeChassis(QStringLiteral("ARX-4800"), QStringLiteral("ARX-4800"));
    QVERIFY(pChassis->finishParsing());
    const QPointer<PARXProtocol> pFirst = pChassis->arxProtocol();
    const int polls = pChassis->arxRestApiRepository()->pollCount();

    QVERIFY(pChassis->finishParsing());
    QCOMPARE(pChassis->arxProtocol(), pFirst.data());
    // The timer runs, so the second check does not poll again.
    QCOMPARE(pChassis->arxRestApiRepository()->pollCount(), polls);
    pChassis->arxWebSocket()->deliverMessage(QStringLiteral("frame"));
    QCOMPARE(pChassis->arxModelRepository()->frameCount(), 1);
}

void TestHChassis::arrayIsAcceptedByNameWithoutArxWiring()
{
    // An array titled with the ARX word is still accepted by name only.
    const auto pChassis = makeChassis(QStringLiteral("Ventra"), QString(), QStringLiteral("Kestrel"));
    QVERIFY(pChassis->finishParsing());
    QCOMPARE(pChassis->arxProtocol(), nullptr);
    QVERIFY(pChassis->arxWebSocket()->url().isEmpty());
}

void TestHChassis::onlineMakesTransportOnce()
{
    const auto pChassis = makeChassis(QStringLiteral("Ventra"), QString(), QStringLiteral("Kestrel"));
    addUsedBlock(*pChassis);
    QSignalSpy online(pChassis.get(), &HChassis::onlineStateChanged);

    pChassis->setOnline(true);
    IInterface *pTransport = pChassis->transport();
    QVERIFY(pTransport);
    QCOMPARE(pTransport->chassis(), pChassis.get());
    QCOMPARE(pTransport->owner(), pChassis->protocol());
    QCOMPARE(pChassis->protocol()->transport(), pTransport);

    pChassis->setOnline(true);
    QCOMPARE(pChassis->transport(), pTransport);
    QCOMPARE(online.count(), 2);
    QCOMPARE(online.at(1).at(0).toBool(), true);

    pChassis->setOnline(false);
    QCOMPARE(pChassis->transport(), pTransport);
    QCOMPARE(online.count(), 3);
    QCOMPARE(online.at(2).at(0).toBool(), false);
    QVERIFY(!pTransport->dropsLevelRequests());
}

void TestHChassis::onlineWithoutUsedNodesOpensNothing()
{
    SimulatedVdsDevice device;
    QVERIFY(device.listen());
    const auto pChassis = makeChassis(QStringLiteral("DXR-880"), QStringLiteral("DXR-880"));
    read(*pChassis, {QStringLiteral("serialPortNumber=%1").arg(device.port())});
    pChassis->addChild(new HBlock); // present, not used
    QSignalSpy online(pChassis.get(), &HChassis::onlineStateChanged);

    pChassis->setOnline(true);
    QVERIFY(pChassis->transport());
    QCOMPARE(pChassis->transport()->typeName(), QStringLiteral("TcpClient Interface"));
    QCOMPARE(online.count(), 0);
    QCOMPARE(pChassis->transport()->connectionState(), 0); // idle: never opened
    QCoreApplication::processEvents();
    QCOMPARE(device.connectionCount(), 0);
}

void TestHChassis::onlineOpensTheControlPort()
{
    SimulatedVdsDevice device;
    QVERIFY(device.listen());
    const auto pChassis = makeChassis(QStringLiteral("DXR-880"), QStringLiteral("DXR-880"));
    read(*pChassis, {QStringLiteral("serialPortNumber=%1").arg(device.port())});
    HBlock *pBlock = addUsedBlock(*pChassis);
    QCOMPARE(pBlock->protocol(), pChassis->protocol());

    pChassis->setOnline(true);
    QCOMPARE(pChassis->transport()->address(), QStringLiteral("127.0.0.1"));
    QTRY_COMPARE(device.connectionCount(), 1);
    QTRY_VERIFY(pChassis->transport()->isConnected());

    pChassis->setOnline(false);
    QTRY_VERIFY(!pChassis->transport()->isConnected());
}

void TestHChassis::arxOnlineAndOffline()
{
    SimulatedArxAmplifier amplifier;
    IArxAddress::setPort(amplifier.port());
    HRoot root;
    auto *pMain = makeChassis(QStringLiteral("DXR-880 (RTC)"), QStringLiteral("DXR-880")).release();
    auto *pArx = makeChassis(QStringLiteral("ARX-4800"), QStringLiteral("ARX-4800")).release();
    root.addChild(pMain);
    root.addChild(pArx);
    pArx->setMainChassis(pMain);
    QVERIFY(pArx->finishParsing());
    pArx->arxRestApiRepository()->stopPolling();
    pArx->arxWebSocket()->close();

    pArx->setOnline(true);
    QVERIFY(pArx->transport());
    QVERIFY(pArx->transport()->dropsLevelRequests());
    QVERIFY(pArx->arxRestApiRepository()->isPolling());
    // Connected only once the amplifier's feed is open.
    QVERIFY(!pArx->arxWebSocket()->isConnected());
    QTRY_VERIFY_WITH_TIMEOUT(pArx->arxWebSocket()->isConnected(), 5000);
    QCOMPARE(amplifier.feedConnectionCount(), 1);
    // Online again while connected: the feed stays as it is.
    pArx->setOnline(true);
    QVERIFY(pArx->arxWebSocket()->isConnected());

    pArx->setOnline(false);
    QVERIFY(!pArx->arxRestApiRepository()->isPolling());
    QVERIFY(!pArx->arxWebSocket()->isConnected());
    QVERIFY(pArx->transport()->dropsLevelRequests());
    QTRY_COMPARE_WITH_TIMEOUT(amplifier.feedClientCount(), 0, 5000);
    QCOMPARE(amplifier.feedConnectionCount(), 1);
    IArxAddress::setPort(closedLocalPort());
}

void TestHChassis::ownershipGoesWithTheChassis()
{
    auto pChassis = makeChassis(QStringLiteral("ARX-4800"), QStringLiteral("ARX-4800"));
    QVERIFY(pChassis->finishParsing());
    pChassis->setOnline(true);
    const QPointer<PProtocol> pProtocol = pChassis->protocol();
    const QPointer<IInterface> pTransport = pChassis->transport();
    const QPointer<PARXProtocol> pArx = pChassis->arxProtocol();
    QVERIFY(pProtocol && pTransport && pArx);

    pChassis.reset();
    // Handed to deferred deletion, so they go with the next turn of the loop.
    QVERIFY(pProtocol && pTransport && pArx);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(!pProtocol);
    QVERIFY(!pTransport);
    QVERIFY(!pArx);
}

void TestHChassis::interfaceStatusReachesTheModel()
{
    StatusReceiver model;
    QObject other;
    HChassis chassis;
    chassis.connectInterfaceStatus(&model); // no transport yet: nothing to connect
    chassis.setOnline(true);
    QTest::failOnWarning(QRegularExpression(QStringLiteral(".*")));
    chassis.connectInterfaceStatus(&model);
    chassis.connectInterfaceStatus(&model);
    chassis.connectInterfaceStatus(&other); // no such slot: left alone, quietly
    emit chassis.transport()->interfaceStateChanged(false);
    QCOMPARE(model.states, QList<bool>{false});
}

void TestHChassis::nodesKeepTheChassisProtocol()
{
    HRoot root;
    auto *pChassis = new HChassis;
    auto *pBlock = new HBlock;
    pChassis->addChild(pBlock);
    QCOMPARE(pBlock->protocol(), pChassis->protocol());
    // The root has no protocol to hand down; the chassis keeps its own.
    root.addChild(pChassis);
    QVERIFY(pBlock->protocol());
    QCOMPARE(pBlock->protocol(), pChassis->protocol());
}

void TestHChassis::searchesStopAtTheChassis()
{
    HRoot root;
    auto *pChassis = makeChassis(QStringLiteral("DXR-880"), QStringLiteral("DXR-880")).release();
    read(*pChassis, {"nodeID=1"});
    root.addChild(pChassis);
    auto *pBlock = new HBlock;
    read(*pBlock, {"title=Gain", "label=Gain 1", "nodeID=7"});
    pChassis->addChild(pBlock);

    QCOMPARE(root.findByCategory(QStringLiteral("Chassis")), pChassis);
    QCOMPARE(pChassis->findByCategory(QStringLiteral("Chassis")), pChassis);
    QCOMPARE(pChassis->findByCategory(QStringLiteral("Blocks")), nullptr);
    QCOMPARE(root.findByCategory(QStringLiteral("Blocks")), nullptr);
    QCOMPARE(root.findByCategoryAndNodeID(QStringLiteral("Chassis"), 1), pChassis);
    QCOMPARE(root.findByCategoryAndNodeID(QStringLiteral("Blocks"), 7), pBlock);
    QCOMPARE(root.findByCategoryAndProperty(QStringLiteral("Chassis"), QStringLiteral("label"),
                                            QStringLiteral("DXR-880")),
             pChassis);
    QCOMPARE(root.findByCategoryAndProperty(QStringLiteral("Blocks"), QStringLiteral("label"),
                                            QStringLiteral("Gain 1")),
             pBlock);
}

void TestHChassis::collectors()
{
    HRoot root;
    auto *pFirst = makeChassis(QStringLiteral("DXR-880"), QStringLiteral("DXR-880")).release();
    auto *pArray = makeChassis(QStringLiteral("Ventra"), QString(), QStringLiteral("Kestrel")).release();
    auto *pArx = makeChassis(QStringLiteral("ARX-4800"), QStringLiteral("ARX-4800")).release();
    root.addChild(pFirst);
    root.addChild(pArray);
    root.addChild(pArx);
    auto *pBlock = new HBlock;
    pFirst->addChild(pBlock);

    QList<HNode *> chassis;
    QVERIFY(root.collectByCategory(QStringLiteral("Chassis"), &chassis));
    QCOMPARE(chassis, (QList<HNode *>{pFirst, pArray, pArx}));

    QList<HNode *> appended;
    QVERIFY(pFirst->appendIfCategory(QStringLiteral("Chassis"), &appended));
    QCOMPARE(appended, QList<HNode *>{pFirst});

    QList<HNode *> blocks;
    QVERIFY(pFirst->collectByCategory(QStringLiteral("Blocks"), &blocks));
    QCOMPARE(blocks, QList<HNode *>{pBlock});

    QList<HNode *> status;
    QVERIFY(root.collectStatusDevices(&status));
    QCOMPARE(status, (QList<HNode *>{pArray, pArx}));
    QVERIFY(!pFirst->collectStatusDevices(&status));
    QVERIFY(!pFirst->collectStatusDevices(nullptr));
}

void TestHChassis::counterpart_data()
{
    QTest::addColumn<QString>("otherTitle");
    QTest::addColumn<int>("otherNodeID");
    QTest::addColumn<QString>("otherTypenum");
    QTest::addColumn<bool>("found");

    QTest::newRow("equal") << "DXR-880" << 2 << "1" << true;
    QTest::newRow("other has the main ending") << "DXR-880 (Main)" << 2 << "1" << true;
    QTest::newRow("other node id") << "DXR-880" << 3 << "1" << false;
    QTest::newRow("other type number") << "DXR-880" << 2 << "2" << false;
    QTest::newRow("other title") << "DXR-840" << 2 << "1" << false;
}

void TestHChassis::counterpart()
{
    QFETCH(QString, otherTitle);
    QFETCH(int, otherNodeID);
    QFETCH(QString, otherTypenum);

    HRoot other;
    auto *pOther = new HChassis;
    read(*pOther, {QStringLiteral("title=") + otherTitle, QStringLiteral("nodeID=%1").arg(otherNodeID)});
    pOther->setTypenum(otherTypenum);
    other.addChild(pOther);

    HChassis chassis;
    read(chassis, {"title=DXR-880", "nodeID=2"});
    chassis.setTypenum(QStringLiteral("1"));
    QFETCH(bool, found);
    QCOMPARE(chassis.findCounterpart(&other), found ? pOther : nullptr);
    QCOMPARE(chassis.findCounterpart(nullptr), nullptr);
}

VR_TEST_MAIN(TestHChassis)
#include "tst_hchassis.moc"
