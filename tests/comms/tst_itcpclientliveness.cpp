#include "VrTest.h"

#include "FakeHostProbe.h"
#include "FakeProtocolHost.h"
#include "RecordingProtocol.h"
#include "SimulatedVdsDevice.h"
#include "comms/ITcpClient.h"
#include "comms/ITcpClientThread.h"
#include "comms/PVDSProtocol.h"
#include "comms/TStrV.h"
#include "controls/CAttributes.h"
#include "devices/HNode.h"

#include <QHostAddress>
#include <QSignalSpy>
#include <QTimer>

#include <memory>

namespace {

constexpr int Patience = 8000; // ms; generous for loaded machines

const QByteArray kMusic = "GA\"Music\">1";

// A processor's VDS protocol on a client at the simulated device, with one
// value that a shown control polls every 250 ms, as the panel does. A loss
// is passed to the protocol, as the model passes it.
struct PolledLink
{
    PolledLink()
    {
        QObject::connect(&client, &IInterface::interfaceStateChanged, &client, [this](bool connected) {
            if (!connected)
                client.notifyOwner();
        });
        device.setValueStoreEnabled(true);
        device.setSubscriptionAccepted(true);
        device.setValue(kMusic, "-10.0");
        client.setAddress(QHostAddress(QHostAddress::LocalHost));
        client.setPort(device.port());
        protocol.setInterface(&client);
        client.setOwner(&protocol);
        protocol.setHost(&host);
        attributes.setAddressStruct(CAttributes::StructNamedIndex);
        attributes.setIndex1(1);
        node.setLabel(QStringLiteral("Music"));
        transform.setOwner(&attributes);
        transform.setOwnerNode(&node);
        polling.setInterval(250);
        QObject::connect(&polling, &QTimer::timeout, &polling,
                         [this]() { protocol.requestValue(&transform); });
    }

    ~PolledLink()
    {
        polling.stop();
        client.close();
    }

    SimulatedVdsDevice device;
    ITcpClient client;
    PVDSProtocol protocol;
    FakeProtocolHost host;
    CAttributes attributes;
    HNode node;
    TStrV transform;
    QTimer polling;
};

} // namespace

// Whether the device behind an open connection answers decides whether the
// client counts as connected: a socket that connects, or stays open, tells
// nothing of the application behind it.
class TestITcpClientLiveness : public QObject
{
    Q_OBJECT

private slots:
    void firstConnectionCountsOnceAnswered_data();
    void firstConnectionCountsOnceAnswered();
    void silentSubscribedDeviceIsFoundOut_data();
    void silentSubscribedDeviceIsFoundOut();
    void answeredProbeKeepsTheConnection();
    void probeTimer();
};

void TestITcpClientLiveness::firstConnectionCountsOnceAnswered_data()
{
    QTest::addColumn<bool>("vdsOwner");
    // The VDS protocol asks for its subscription as the connection comes up.
    QTest::newRow("owner asks for its subscription") << true;
    // An owner that writes nothing: the client probes the line itself.
    QTest::newRow("owner writes nothing") << false;
}

// A device that takes the connection but never answers is never shown
// connected; it is renewed like a connection that stopped answering, and
// counts as connected once the device answers.
void TestITcpClientLiveness::firstConnectionCountsOnceAnswered()
{
    QFETCH(bool, vdsOwner);
    SimulatedVdsDevice device;
    device.setValueStoreEnabled(true);
    device.setSilent(true);
    std::unique_ptr<PProtocol> pOwner;
    FakeProtocolHost host;
    ITcpClient client;
    client.setAddress(QHostAddress(QHostAddress::LocalHost));
    client.setPort(device.port());
    client.setHostProbe(new FakeHostProbe(IHostProbe::Reachable));
    if (vdsOwner) {
        auto *pVds = new PVDSProtocol;
        pVds->setHost(&host);
        pVds->setInterface(&client);
        pOwner.reset(pVds);
    } else {
        pOwner = std::make_unique<RecordingProtocol>();
        pOwner->setInterface(&client);
    }
    client.setOwner(pOwner.get());
    QList<bool> states;
    QObject watch; // goes before what the watch writes to
    connect(&client, &IInterface::interfaceStateChanged, &watch,
            [&states](bool connected) { states.append(connected); });
    QSignalSpy active(&client, &ITcpClient::connectionActive);

    QVERIFY(client.open());
    QCOMPARE(client.connectionState(), int(ITcpClient::Running));
    QVERIFY(!client.isConnected());
    QVERIFY(client.isAwaitingAnswer());
    // The first connection is announced: the protocol asks for its
    // subscription on it.
    QCOMPARE(active.size(), 1);
    QVERIFY(!pOwner->isOnline());

    // Long enough unanswered to be renewed, and never connected meanwhile.
    QTRY_VERIFY_WITH_TIMEOUT(device.connectionCount() >= 2, 3 * Patience);
    QVERIFY(device.commandTextsOn(1).contains("SUB"));
    QCOMPARE(states, QList<bool>());
    QVERIFY(!client.isConnected());

    device.setSilent(false);
    QTRY_VERIFY_WITH_TIMEOUT(client.isConnected(), 2 * Patience);
    QCOMPARE(states, QList<bool>{true});
    QVERIFY(!client.isAwaitingAnswer());
    QVERIFY(!client.renewalProbeTimer()->isActive());
    QVERIFY(pOwner->isOnline());
    QCOMPARE(active.size(), 1);
}

void TestITcpClientLiveness::silentSubscribedDeviceIsFoundOut_data()
{
    QTest::addColumn<IHostProbe::HostState>("hostState");
    // The host is there but its application hangs.
    QTest::newRow("host reachable") << IHostProbe::Reachable;
    QTest::newRow("host unreachable") << IHostProbe::Unreachable;
    // No way to ask the host (no "ping" on the machine).
    QTest::newRow("host state unknown") << IHostProbe::Unknown;
}

// Subscribed, the device reports changes by itself and a poll sends
// nothing, so only the line probe can tell a device that stopped answering
// with its connection open. An unanswered probe takes the connection out of
// the count at once; it is then renewed, and counts again once the device
// answers, with its subscription back.
void TestITcpClientLiveness::silentSubscribedDeviceIsFoundOut()
{
    QFETCH(IHostProbe::HostState, hostState);
    PolledLink link;
    auto *pProbe = new FakeHostProbe(hostState);
    link.client.setHostProbe(pProbe);
    link.client.setHostStatusInterval(300);
    QVERIFY(link.client.open());
    link.polling.start();
    QTRY_VERIFY_WITH_TIMEOUT(link.device.subscriptions().contains(kMusic), Patience);
    QVERIFY(link.client.isConnected());
    QVERIFY(link.client.isSubscribed());
    QList<bool> states;
    int connectionWhenLost = -1;
    QObject watch; // goes before what the watch writes to
    connect(&link.client, &IInterface::interfaceStateChanged, &watch, [&](bool connected) {
        states.append(connected);
        if (!connected && connectionWhenLost < 0)
            connectionWhenLost = link.device.connectionCount();
    });
    QSignalSpy online(&link.protocol, &PProtocol::onlineStateChanged);

    const int before = int(link.device.commands().size());
    link.device.setSilent(true);
    QTRY_COMPARE_WITH_TIMEOUT(states, QList<bool>{false}, Patience);
    // Found out by the probe, on the connection that went quiet.
    QCOMPARE(connectionWhenLost, 1);
    QVERIFY(link.device.commands().mid(before).first().text == "SUB");
    QVERIFY(pProbe->checkCount() >= 1);
    QVERIFY(!link.protocol.isOnline());
    QVERIFY(!link.client.isSubscribed());
    // Its widgets are told.
    QCOMPARE(online.size(), 1);
    QCOMPARE(online.first().first().toBool(), false);

    // Still silent: renewed.
    QTRY_VERIFY_WITH_TIMEOUT(link.device.connectionCount() >= 2, 3 * Patience);
    QCOMPARE(states, QList<bool>{false});

    // It answers again: connected, its widgets told, and subscribed anew.
    link.device.setSilent(false);
    QTRY_COMPARE_WITH_TIMEOUT(states, (QList<bool>{false, true}), 2 * Patience);
    QCOMPARE(online.size(), 2);
    QCOMPARE(online.last().first().toBool(), true);
    QTRY_VERIFY_WITH_TIMEOUT(link.client.isSubscribed(), Patience);
    const int connections = link.device.connectionCount();
    link.device.setValue(kMusic, "-3.0");
    link.device.push(link.device.replyLine(kMusic));
    QTRY_COMPARE_WITH_TIMEOUT(link.transform.replyText(), QStringLiteral("-3.0"), Patience);
    QCOMPARE(link.device.connectionCount(), connections);
}

// A device that answers its probes keeps its one connection and stays
// counted, however often the line is probed.
void TestITcpClientLiveness::answeredProbeKeepsTheConnection()
{
    PolledLink link;
    link.client.setHostProbe(new FakeHostProbe(IHostProbe::Reachable));
    link.client.setHostStatusInterval(100);
    QVERIFY(link.client.open());
    link.polling.start();
    QTRY_VERIFY_WITH_TIMEOUT(link.device.subscriptions().contains(kMusic), Patience);
    QSignalSpy states(&link.client, &IInterface::interfaceStateChanged);
    const int probesBefore = link.device.commandCount("SUB");

    QTRY_VERIFY_WITH_TIMEOUT(link.device.commandCount("SUB") >= probesBefore + 5, 3 * Patience);
    QCOMPARE(states.size(), 0);
    QVERIFY(link.client.isConnected());
    QVERIFY(link.client.isSubscribed());
    QCOMPARE(link.device.connectionCount(), 1);
}

// The probe's answer is awaited as long as any reply.
void TestITcpClientLiveness::probeTimer()
{
    ITcpClient client;
    const QTimer *pProbe = client.silenceProbeTimer();
    QCOMPARE(pProbe->interval(), 200);
    QCOMPARE(pProbe->interval(), PVDSProtocol::ReplyTimeoutMs);
    QVERIFY(pProbe->isSingleShot());
    QCOMPARE(client.hostStatusTimer()->interval(), 30000);
    QCOMPARE(client.renewalProbeTimer()->interval(), 200);
    QCOMPARE(ITcpClient::MaxSendFailures, 13);
}

VR_TEST_MAIN(TestITcpClientLiveness)
#include "tst_itcpclientliveness.moc"
