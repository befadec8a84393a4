#include "VrTest.h"

#include "NodeProperties.h"
#include "comms/IInterface.h"
#include "devices/HChassis.h"
#include "devices/HRoot.h"
#include "devices/ProxySettings.h"

#include <QSettings>

using NodeProperties::read;

namespace {

QSettings proxySettings()
{
    return QSettings(ProxySettings::organisation(), ProxySettings::application());
}

HChassis *addChassis(HRoot &root, const QString &title, const QString &deviceType)
{
    auto *pChassis = new HChassis;
    read(*pChassis, {QStringLiteral("title=") + title, QStringLiteral("deviceType=") + deviceType,
                     QStringLiteral("ipAddress=127.0.0.1")});
    root.addChild(pChassis);
    return pChassis;
}

} // namespace

// Where the VDS connection of an ARX amplifier goes, and what the settings
// say about it afterwards.
class TestArxProxy : public QObject
{
    Q_OBJECT

private slots:
    void init();

    void decision_data();
    void decision();
    void monitorFollowsTheStoredAddress();
    void monitorEndsWithoutPcProxy();
    void decidedOncePerChassis();

    void processorBeforeAmplifierKeepsThePcAddress();
    void designWithoutArxClearsTheSettings();
    void arxInTheDesignKeepsTheSettings();
};

void TestArxProxy::init()
{
    proxySettings().clear();
}

void TestArxProxy::decision_data()
{
    QTest::addColumn<QString>("mainTitle"); // empty: no main chassis
    QTest::addColumn<QString>("designPcAddress");
    QTest::addColumn<QString>("storedPcAddress"); // null: nothing stored
    QTest::addColumn<bool>("pcOnly");
    QTest::addColumn<QString>("proxyType");
    QTest::addColumn<QString>("proxyInfo");
    QTest::addColumn<QString>("address");
    QTest::addColumn<bool>("usesPc");

    const QString rtcInfo = QStringLiteral("Using RTC for ARX Proxy.\n127.0.0.1");
    const QString vdsInfo = QStringLiteral("Using VDS for ARX Proxy.");
    const QString noneInfo = QStringLiteral("There is no ARX Proxy configured for VDS or RTC.");

    QTest::newRow("no main chassis, no PC address")
        << "" << "" << QString() << false << "none" << noneInfo << "" << false;
    QTest::newRow("main chassis without RTC, no PC address")
        << "DXR-880" << "" << QString() << true << "none" << noneInfo << "" << false;
    QTest::newRow("RTC, no PC address")
        << "DXR-880 (RTC)" << "" << QString() << false << "rtc" << rtcInfo << "127.0.0.1" << false;
    QTest::newRow("RTC, empty stored address beats the design's")
        << "DXR-880 (RTC)" << "127.0.0.1" << "" << true << "rtc" << rtcInfo << "127.0.0.1" << false;
    QTest::newRow("no RTC, designed PC address, mark clear")
        << "DXR-880" << "127.0.0.1" << QString() << false << "vds" << vdsInfo << "127.0.0.1" << true;
    QTest::newRow("no main chassis, stored PC address")
        << "" << "" << "127.0.0.1" << false << "vds" << vdsInfo << "127.0.0.1" << true;
    QTest::newRow("RTC and PC address, PC only")
        << "DXR-880 (RTC)" << "127.0.0.1" << QString() << true << "vds" << vdsInfo << "127.0.0.1" << true;
    QTest::newRow("RTC and PC address, mark clear")
        << "DXR-880 (RTC)" << "127.0.0.1" << QString() << false << "rtc" << rtcInfo << "127.0.0.1" << false;
}

void TestArxProxy::decision()
{
    QFETCH(QString, mainTitle);
    QFETCH(QString, designPcAddress);
    QFETCH(QString, storedPcAddress);
    QFETCH(bool, pcOnly);

    if (!storedPcAddress.isNull())
        proxySettings().setValue(ProxySettings::arxIpKey(), storedPcAddress);

    HRoot root;
    HChassis *pMain = mainTitle.isEmpty() ? nullptr : addChassis(root, mainTitle, QStringLiteral("DXR-880"));
    HChassis *pArx = addChassis(root, QStringLiteral("ARX-4800"), QStringLiteral("ARX-4800"));
    pArx->setMainChassis(pMain);
    pArx->setArxProxyOnPc(pcOnly);
    pArx->setArxProxyIpOnPc(designPcAddress);

    pArx->createInterface();
    IInterface *pTransport = pArx->transport();
    QVERIFY(pTransport);
    QFETCH(QString, proxyType);
    const QSettings settings = proxySettings();
    QCOMPARE(settings.value(ProxySettings::proxyTypeKey()).toString(), proxyType);
    QTEST(settings.value(ProxySettings::proxyInfoKey()).toString(), "proxyInfo");
    QCOMPARE(settings.value(ProxySettings::isDesignHasArxKey()).toBool(), true);
    QTEST(pTransport->address(), "address");
    QTEST(pArx->usesPcProxy(), "usesPc");
    QTEST(pArx->proxyMonitorTimer().isActive(), "usesPc");
    // Without a proxy the amplifier keeps a transport that never connects.
    QCOMPARE(pTransport->typeName(), proxyType == QLatin1String("none")
                                         ? QStringLiteral("Null Interface")
                                         : QStringLiteral("TcpClient Interface"));
    QCOMPARE(pTransport->owner(), pArx->protocol());
}

void TestArxProxy::monitorFollowsTheStoredAddress()
{
    HRoot root;
    HChassis *pArx = addChassis(root, QStringLiteral("ARX-4800"), QStringLiteral("ARX-4800"));
    pArx->setArxProxyIpOnPc(QStringLiteral("127.0.0.1"));
    pArx->createInterface();
    QVERIFY(pArx->usesPcProxy());
    QCOMPARE(pArx->transport()->address(), QStringLiteral("127.0.0.1"));

    // The user clears the address in the settings view.
    proxySettings().setValue(ProxySettings::arxIpKey(), QString());
    pArx->onPcProxyIpMonitorTimeout();
    QCOMPARE(pArx->lastProxyIp(), QString());
    QCOMPARE(pArx->transport()->address(), QString());

    proxySettings().setValue(ProxySettings::arxIpKey(), QStringLiteral("127.0.0.1"));
    pArx->onPcProxyIpMonitorTimeout();
    QCOMPARE(pArx->transport()->address(), QStringLiteral("127.0.0.1"));

    // The same address again changes nothing.
    pArx->transport()->setAddress(QHostAddress());
    pArx->onPcProxyIpMonitorTimeout();
    QCOMPARE(pArx->transport()->address(), QString());
    QVERIFY(pArx->proxyMonitorTimer().isActive());
}

void TestArxProxy::monitorEndsWithoutPcProxy()
{
    HChassis chassis;
    read(chassis, {"title=ARX-4800", "ipAddress=127.0.0.1"});
    QTest::ignoreMessage(QtDebugMsg, "Not using the PC for Proxy. Ending the monitor.");
    chassis.onPcProxyIpMonitorTimeout();
    QVERIFY(!chassis.proxyMonitorTimer().isActive());
}

void TestArxProxy::decidedOncePerChassis()
{
    HRoot root;
    HChassis *pArx = addChassis(root, QStringLiteral("ARX-4800"), QStringLiteral("ARX-4800"));
    pArx->setOnline(true);
    QCOMPARE(proxySettings().value(ProxySettings::proxyTypeKey()).toString(), QStringLiteral("none"));
    IInterface *pTransport = pArx->transport();

    // A PC address appearing later does not change the made decision.
    proxySettings().setValue(ProxySettings::arxIpKey(), QStringLiteral("127.0.0.1"));
    pArx->setOnline(true);
    QCOMPARE(pArx->transport(), pTransport);
    QCOMPARE(proxySettings().value(ProxySettings::proxyTypeKey()).toString(), QStringLiteral("none"));
}

void TestArxProxy::processorBeforeAmplifierKeepsThePcAddress()
{
    // A fresh install: the design reader stored the design's PC address,
    // "isDesignHasArx" was never written. The processor comes first in the
    // tree and goes online first.
    proxySettings().setValue(ProxySettings::arxIpKey(), QStringLiteral("127.0.0.1"));
    proxySettings().setValue(ProxySettings::isArxIpSetKey(), true);
    HRoot root;
    HChassis *pProcessor = addChassis(root, QStringLiteral("DXR-880"), QStringLiteral("DXR-880"));
    HChassis *pArx = addChassis(root, QStringLiteral("ARX-4800"), QStringLiteral("ARX-4800"));
    pArx->setMainChassis(pProcessor);

    pProcessor->setOnline(true);
    QCOMPARE(proxySettings().value(ProxySettings::arxIpKey()).toString(), QStringLiteral("127.0.0.1"));
    QVERIFY(proxySettings().value(ProxySettings::isArxIpSetKey()).toBool());
    QCOMPARE(pProcessor->transport()->address(), QStringLiteral("127.0.0.1"));

    pArx->setOnline(true);
    QCOMPARE(proxySettings().value(ProxySettings::proxyTypeKey()).toString(), QStringLiteral("vds"));
    QVERIFY(pArx->usesPcProxy());
}

void TestArxProxy::designWithoutArxClearsTheSettings()
{
    // Left over from an earlier design with an amplifier.
    proxySettings().setValue(ProxySettings::isDesignHasArxKey(), true);
    proxySettings().setValue(ProxySettings::arxIpKey(), QStringLiteral("127.0.0.1"));
    proxySettings().setValue(ProxySettings::isArxIpSetKey(), true);
    HRoot root;
    HChassis *pProcessor = addChassis(root, QStringLiteral("DXR-880"), QStringLiteral("DXR-880"));
    addChassis(root, QStringLiteral("AV-2150"), QStringLiteral("AV-2150"));

    pProcessor->setOnline(true);
    const QSettings settings = proxySettings();
    QCOMPARE(settings.value(ProxySettings::isDesignHasArxKey()).toBool(), false);
    QCOMPARE(settings.value(ProxySettings::isArxIpSetKey()).toBool(), false);
    QCOMPARE(settings.value(ProxySettings::arxIpKey()).toString(), QString());
    QCOMPARE(settings.value(ProxySettings::proxyTypeKey()).toString(), QStringLiteral("rtc"));
    QCOMPARE(settings.value(ProxySettings::proxyInfoKey()).toString(),
             QStringLiteral("This design does not use ARX."));
    QCOMPARE(pProcessor->transport()->address(), QStringLiteral("127.0.0.1"));
}

void TestArxProxy::arxInTheDesignKeepsTheSettings()
{
    proxySettings().setValue(ProxySettings::proxyInfoKey(), QStringLiteral("Using VDS for ARX Proxy."));
    HRoot root;
    addChassis(root, QStringLiteral("ARX-4800"), QStringLiteral("ARX-4800"));
    HChassis *pProcessor = addChassis(root, QStringLiteral("DXR-880"), QStringLiteral("DXR-880"));
    pProcessor->setOnline(true);
    QCOMPARE(proxySettings().value(ProxySettings::proxyInfoKey()).toString(),
             QStringLiteral("Using VDS for ARX Proxy."));
}

VR_TEST_MAIN(TestArxProxy)
#include "tst_arxproxy.moc"
