#include "VrTest.h"

#include "RecordingProtocol.h"
#include "StubInterface.h"
#include "comms/IComposite.h"
#include "comms/IInterfaceFactory.h"
#include "comms/INullInterface.h"
#include "comms/ITcpClient.h"
#include "comms/IUDPClient.h"

#include <QHostAddress>
#include <QPointer>
#include <QSignalSpy>

class TestIComposite : public QObject
{
    Q_OBJECT

private slots:
    void nullTransportDoesNothing();
    void emptyComposite();
    void listsEachTransportOnce();
    void countsConnectedTransports();
    void arrayTransportIsNotCounted();
    void deviceLinkCountsForATransportGoingNowhere();
    void forwardsToEveryChild();
    void removeAndClear();
    void factoryChoosesByPlatform_data();
    void factoryChoosesByPlatform();
    void protocolBase();
};

void TestIComposite::nullTransportDoesNothing()
{
    IInterface transport;
    RecordingProtocol protocol;
    transport.setOwner(&protocol);
    transport.setAddress(QHostAddress(QStringLiteral("127.0.0.1")));
    transport.setPort(10055);

    QCOMPARE(transport.typeName(), QStringLiteral("Null Interface"));
    QVERIFY(!transport.open());
    QVERIFY(!transport.close());
    QCOMPARE(transport.send("GA\r", 3, IInterface::SendWaitReply, "GA", 200), 0);
    QCOMPARE(transport.send("GA\r", 3, IInterface::SendDirect, "GA", 200), 0);
    QCOMPARE(transport.stateText(), QStringLiteral("?"));
    QCOMPARE(transport.address(), QString());
    QCOMPARE(transport.connectionState(), 0);
    QVERIFY(!transport.isConnected());
    QCOMPARE(transport.owner(), &protocol);
    QVERIFY(!transport.dropsLevelRequests());

    QSignalSpy state(&transport, &IInterface::interfaceStateChanged);
    transport.notifyState();
    QCOMPARE(state.size(), 1);
    QCOMPARE(state.at(0).at(0).toBool(), false);
}

void TestIComposite::emptyComposite()
{
    IComposite composite;
    QVERIFY(composite.open());
    QVERIFY(composite.close());
    QCOMPARE(composite.interfaceCount(), 0);
    QCOMPARE(composite.connectedCount(), 0);
    QCOMPARE(composite.interfaceAt(0), nullptr);
}

void TestIComposite::listsEachTransportOnce()
{
    IComposite composite;
    StubInterface a, b;
    composite.addInterface(&a);
    composite.addInterface(&a);
    composite.addInterface(nullptr);
    composite.addInterface(&b);
    QCOMPARE(composite.interfaceCount(), 2);
    QCOMPARE(composite.interfaceAt(0), &a);
    QCOMPARE(composite.interfaceAt(1), &b);
    QCOMPARE(composite.interfaceAt(-1), nullptr);
    QCOMPARE(composite.interfaceAt(2), nullptr);
}

void TestIComposite::countsConnectedTransports()
{
    IComposite composite;
    StubInterface a, b;
    auto *pGone = new StubInterface;
    composite.addInterface(&a);
    composite.addInterface(&b);
    composite.addInterface(pGone);
    QCOMPARE(composite.connectedCount(), 0);

    a.setConnected(true);
    pGone->setConnected(true);
    QCOMPARE(composite.connectedCount(), 2);
    QCOMPARE(composite.interfaceCount(), 3);

    // A transport that its chassis deleted no longer counts.
    delete pGone;
    QCOMPARE(composite.interfaceCount(), 2);
    QCOMPARE(composite.connectedCount(), 1);
    b.setConnected(true);
    QCOMPARE(composite.connectedCount(), 2);

    // Real clients too: a new TCP client is not connected.
    ITcpClient client;
    composite.addInterface(&client);
    QCOMPARE(composite.interfaceCount(), 3);
    QCOMPARE(composite.connectedCount(), 2);
}

// The array's UDP transport never connects; listed among connected TCP
// transports it must not hold the indicator at "some", yet it is still
// opened and closed with the others.
void TestIComposite::arrayTransportIsNotCounted()
{
    IComposite composite;
    StubInterface tcp;
    IUDPClient udp;
    udp.setAddress(QHostAddress(QHostAddress::LocalHost));
    composite.addInterface(&tcp);
    composite.addInterface(&udp);
    tcp.setConnected(true);

    QVERIFY(!udp.hasConnectionState());
    QCOMPARE(composite.interfaceCount(), 1);
    QCOMPARE(composite.connectedCount(), 1);
    QCOMPARE(composite.interfaceAt(0), &tcp);
    QCOMPARE(composite.interfaceAt(1), nullptr);

    QVERIFY(composite.open());
    QVERIFY(udp.isOpen());
    QCOMPARE(tcp.opens, 1);
    composite.close();
    QVERIFY(!udp.isOpen());
}

// A transport that goes nowhere is not counted itself; its device's own
// link is, once, and reports its state when the composite is asked to.
void TestIComposite::deviceLinkCountsForATransportGoingNowhere()
{
    IComposite composite;
    StubInterface tcp;
    INullInterface null;
    RecordingProtocol protocol;
    null.setOwner(&protocol);
    protocol.setInterface(&null);
    tcp.setConnected(true);
    composite.addInterface(&tcp);
    composite.addInterface(&null);
    composite.addInterface(&null);

    QVERIFY(!null.hasConnectionState());
    IInterface *pLink = null.deviceLink();
    QVERIFY(pLink);
    QCOMPARE(composite.interfaceCount(), 2);
    QCOMPARE(composite.connectedCount(), 1);
    QCOMPARE(composite.interfaceAt(1), pLink);

    QSignalSpy linkState(pLink, &IInterface::interfaceStateChanged);
    null.setDeviceConnected(true);
    QCOMPARE(composite.connectedCount(), 2);
    QCOMPARE(linkState.size(), 1);
    composite.notifyState();
    QCOMPARE(linkState.size(), 2);
    QCOMPARE(linkState.last().first().toBool(), true);
    // The transport itself stays off line for its protocol.
    QVERIFY(!null.isConnected());
    QVERIFY(!protocol.isOnline());
    QVERIFY(!null.open());

    null.setDeviceConnected(false);
    QCOMPARE(composite.connectedCount(), 1);
}

void TestIComposite::forwardsToEveryChild()
{
    IComposite composite;
    StubInterface a, b;
    composite.addInterface(&a);
    composite.addInterface(&b);

    QVERIFY(composite.open());
    b.openResult = false;
    QVERIFY(!composite.open());
    QCOMPARE(a.opens, 2); // the others are still opened after a failure
    QCOMPARE(b.opens, 2);

    composite.notifyOwner();
    QCOMPARE(a.ownerNotices, 1);
    QCOMPARE(b.ownerNotices, 1);

    QSignalSpy stateA(&a, &IInterface::interfaceStateChanged);
    QSignalSpy stateB(&b, &IInterface::interfaceStateChanged);
    composite.notifyState();
    QCOMPARE(stateA.size(), 1);
    QCOMPARE(stateB.size(), 1);
}

void TestIComposite::removeAndClear()
{
    IComposite composite;
    auto *pA = new StubInterface;
    auto *pB = new StubInterface;
    QPointer<StubInterface> guardA(pA), guardB(pB);
    StubInterface kept;
    composite.addInterface(pA);
    composite.addInterface(pB);

    // Not listed: left alone.
    composite.removeInterface(&kept);
    QCOMPARE(kept.closes, 0);

    composite.removeInterface(pA);
    QVERIFY(guardA.isNull());
    QCOMPARE(composite.interfaceCount(), 1);

    composite.addInterface(&kept);
    composite.clearInterfaces(false);
    QCOMPARE(composite.interfaceCount(), 0);
    QVERIFY(!guardB.isNull());
    QCOMPARE(kept.closes, 0);

    composite.addInterface(pB);
    composite.clearInterfaces(true);
    QVERIFY(guardB.isNull());
    QCOMPARE(composite.interfaceCount(), 0);
}

void TestIComposite::factoryChoosesByPlatform_data()
{
    QTest::addColumn<QString>("platform");
    QTest::addColumn<QString>("typeName");
    QTest::newRow("Ventra") << "Ventra" << "UDPClient Interface";
    QTest::newRow("ventra in lower case") << "ventra" << "TcpClient Interface";
    QTest::newRow("DXR") << "DXR" << "TcpClient Interface";
    QTest::newRow("ARX") << "ARX" << "TcpClient Interface";
    QTest::newRow("empty") << "" << "TcpClient Interface";
}

void TestIComposite::factoryChoosesByPlatform()
{
    QFETCH(QString, platform);
    QFETCH(QString, typeName);
    std::unique_ptr<IInterface> pTransport(IInterfaceFactory::createInterface(platform));
    QVERIFY(pTransport);
    QCOMPARE(pTransport->typeName(), typeName);
    QCOMPARE(pTransport->parent(), nullptr);
}

void TestIComposite::protocolBase()
{
    PProtocol protocol;
    QCOMPARE(protocol.protocolName(), QStringLiteral("----"));
    QVERIFY(!protocol.isOnline());
    QCOMPARE(protocol.interfaceAddress(), QString());
    QVERIFY(!protocol.sendValue(nullptr));
    QVERIFY(!protocol.requestValue(nullptr));
    QVERIFY(!protocol.onDataReceived("GA", QString()));
    QVERIFY(!protocol.isSubscribed());

    auto *pTransport = new StubInterface;
    protocol.setInterface(pTransport);
    QCOMPARE(protocol.transport(), pTransport);
    QVERIFY(!protocol.isOnline());
    pTransport->setConnected(true);
    QVERIFY(protocol.isOnline());

    ITcpClient client;
    client.setAddress(QHostAddress(QStringLiteral("127.0.0.1")));
    protocol.setInterface(&client);
    QCOMPARE(protocol.interfaceAddress(), QStringLiteral("127.0.0.1"));

    // The chassis owns the transport; the protocol must survive its going.
    protocol.setInterface(pTransport);
    delete pTransport;
    QCOMPARE(protocol.transport(), nullptr);
    QVERIFY(!protocol.isOnline());
}

VR_TEST_MAIN(TestIComposite)
#include "tst_icomposite.moc"
