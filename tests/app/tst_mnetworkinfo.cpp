#include "VrTest.h"

#include "SimulatedVdsDevice.h"
#include "TestDevices.h"
#include "app/MNetworkInfo.h"
#include "comms/IInterface.h"
#include "devices/HChassis.h"
#include "devices/HRoot.h"

#include <QHostAddress>

namespace {

constexpr int Patience = 10000;

QList<QHostAddress> addresses(const QStringList &texts)
{
    QList<QHostAddress> list;
    for (const QString &text : texts)
        list.append(QHostAddress(text));
    return list;
}

} // namespace

class TestMNetworkInfo : public QObject
{
    Q_OBJECT

private slots:
    void cleanup();
    void addressList_data();
    void addressList();
    void sourceFeedsTheListAndItsHeading();
    void statusListsEachChassisWithATransport();
};

void TestMNetworkInfo::cleanup()
{
    MNetworkInfo::setAddressSource(nullptr);
}

void TestMNetworkInfo::addressList_data()
{
    QTest::addColumn<QStringList>("addresses");
    QTest::addColumn<QString>("text");

    QTest::newRow("none") << QStringList() << "No network interfaces found.";
    QTest::newRow("loopback and IPv6 only") << QStringList{"127.0.0.1", "::1", "fe80::1"}
                                            << "No network connection detected.";
    QTest::newRow("mixed, in order") << QStringList{"192.168.1.20", "::1", "127.0.0.1", "10.0.0.2"}
                                     << "192.168.1.20\n10.0.0.2\n";
    QTest::newRow("only 127.0.0 is skipped") << QStringList{"127.0.1.1"} << "127.0.1.1\n";
}

void TestMNetworkInfo::addressList()
{
    QFETCH(QStringList, addresses);
    QTEST(MNetworkInfo::addressListText(::addresses(addresses)), "text");
}

void TestMNetworkInfo::sourceFeedsTheListAndItsHeading()
{
    MNetworkInfo::setAddressSource([] { return addresses({"192.0.2.7", "::1"}); });
    QCOMPARE(MNetworkInfo::addressListText(), QStringLiteral("192.0.2.7\n"));
    QCOMPARE(MNetworkInfo::mobileIpAddressText(), QStringLiteral("Mobile IP Address:\n\n192.0.2.7\n"));
}

// Each chassis that has a transport, in tree order, its label followed at
// once by the transport's state; none at all gives the translated notice.
void TestMNetworkInfo::statusListsEachChassisWithATransport()
{
    HRoot root;
    QCOMPARE(MNetworkInfo::networkStatusText(&root), QStringLiteral("No network information available."));
    QCOMPARE(MNetworkInfo::networkStatusText(nullptr), QStringLiteral("No network information available."));

    SimulatedVdsDevice device;
    QVERIFY(device.listen());
    HChassis *pFirst = TestDevices::addLocalChassis(&root, QStringLiteral("First"), device.port());
    TestDevices::addLocalChassis(&root, QStringLiteral("Idle"), device.port());
    HChassis *pLast = TestDevices::addLocalChassis(&root, QStringLiteral("Last"), device.port());
    pFirst->setOnline(true);
    pLast->createInterface();
    QTRY_VERIFY_WITH_TIMEOUT(pFirst->transport()->isConnected(), Patience);

    QCOMPARE(MNetworkInfo::networkStatusText(&root),
             QStringLiteral("First - Online - Running\n\nLast - Offline - Idle\n\n"));
}

VR_TEST_MAIN(TestMNetworkInfo)
#include "tst_mnetworkinfo.moc"
