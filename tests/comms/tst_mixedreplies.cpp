#include "VrTest.h"

#include "FakeHostProbe.h"
#include "FakeProtocolHost.h"
#include "SimulatedVdsDevice.h"
#include "comms/ITcpClient.h"
#include "comms/PVDSProtocol.h"
#include "comms/TStrV.h"
#include "controls/CAttributes.h"
#include "devices/HNode.h"

#include <QElapsedTimer>
#include <QHostAddress>
#include <QSignalSpy>
#include <QTimer>

namespace {

constexpr int Patience = 8000;
constexpr int RunMs = 10000;
constexpr int PollMs = 250;

using Response = SimulatedVdsDevice::Response;

const QByteArray kGood = "GA\"Music Gain\">1";
const QByteArray kRefused = "GA\"Mic Gain\">1";

// A control's binding: kind 0, index 1, on a block of the label.
struct Control
{
    explicit Control(const QString &label)
    {
        node.setLabel(label);
        attributes.setAddressStruct(CAttributes::StructNamedIndex);
        attributes.setIndex1(1);
        transform.setOwner(&attributes);
        transform.setOwnerNode(&node);
    }
    HNode node;
    CAttributes attributes;
    TStrV transform;
};

} // namespace

// One control the device refuses beside one it answers, asked for as the
// application polls them: the connection stays, and every good answer
// reaches its control.
class TestMixedReplies : public QObject
{
    Q_OBJECT

private slots:
    void refusedControlBesideAGoodOne_data();
    void refusedControlBesideAGoodOne();
};

void TestMixedReplies::refusedControlBesideAGoodOne_data()
{
    QTest::addColumn<bool>("subscribe");
    QTest::newRow("poll mode") << false;
    QTest::newRow("subscribe mode") << true;
}

void TestMixedReplies::refusedControlBesideAGoodOne()
{
    QFETCH(bool, subscribe);
    SimulatedVdsDevice device;
    device.setValueStoreEnabled(true);
    device.setSubscriptionAccepted(subscribe);
    device.setValue(kGood, "-10.0");
    // Gets, sets and subscriptions of the refused block.
    device.setResponse("GA\"Mic Gain\"", Response::refuse());
    device.setResponse("SA \"Mic Gain\"", Response::refuse());
    device.setResponse("SUB \"GA\"Mic Gain\"", Response::refuse());
    ITcpClient client;
    client.setAddress(QHostAddress::LocalHost);
    client.setPort(device.port());
    client.setHostProbe(new FakeHostProbe(IHostProbe::Reachable));
    PVDSProtocol protocol;
    protocol.setInterface(&client);
    client.setOwner(&protocol);
    FakeProtocolHost host;
    protocol.setHost(&host);
    QVERIFY(client.open());
    QTRY_VERIFY_WITH_TIMEOUT(client.hasSubscriptionState(), Patience);
    QCOMPARE(protocol.isSubscribed(), subscribe);
    QSignalSpy state(&client, &IInterface::interfaceStateChanged);

    Control good(QStringLiteral("Music Gain"));
    Control refused(QStringLiteral("Mic Gain"));
    QSignalSpy delivered(&good.transform, &TTransform::replyValueReady);
    QSignalSpy refusedDelivered(&refused.transform, &TTransform::replyValueReady);

    // The application's polling, and in subscribe mode changes made at the
    // device, one per period.
    int changes = 0;
    int ticks = 0;
    QTimer poll;
    connect(&poll, &QTimer::timeout, this, [&]() {
        ++ticks;
        protocol.requestValue(&refused.transform);
        protocol.requestValue(&good.transform);
        if (subscribe && !device.subscriptions().isEmpty()) {
            device.setValue(kGood, QByteArray::number(-(++changes)) + ".0");
            device.push(device.replyLine(kGood));
        }
        // The operator now and then tries the refused control.
        if (ticks % 8 == 3) {
            refused.transform.setText(QStringLiteral("4.0"));
            protocol.sendValue(&refused.transform);
        }
    });
    poll.start(PollMs);
    QElapsedTimer clock;
    clock.start();
    QTRY_VERIFY_WITH_TIMEOUT(clock.elapsed() >= RunMs, 2 * RunMs);
    poll.stop();

    const int goodGets = device.commandCount(kGood);
    if (subscribe) {
        // Asked once, then reported by the device: every report arrived.
        QTRY_COMPARE_WITH_TIMEOUT(good.transform.replyText(),
                                  QStringLiteral("-%1.0").arg(changes), Patience);
        QVERIFY2(changes >= RunMs / PollMs / 4, qPrintable(QString::number(changes)));
        QCOMPARE(int(delivered.size()), changes + goodGets);
        QCOMPARE(device.commandCount("SUB \"GA\"Mic Gain\">1\""), 1);
    } else {
        QTRY_COMPARE_WITH_TIMEOUT(int(delivered.size()), device.commandCount(kGood), Patience);
        QVERIFY2(goodGets >= RunMs / PollMs / 4, qPrintable(QString::number(goodGets)));
        QCOMPARE(good.transform.replyText(), QStringLiteral("-10.0"));
    }
    QCOMPARE(refusedDelivered.size(), 0);
    QVERIFY(device.commandCount(kRefused) + device.commandCount("SUB \"GA\"Mic Gain\"") >= 1);
    // One connection all along, never reported lost.
    QCOMPARE(device.connectionCount(), 1);
    QCOMPARE(state.size(), 0);
    QVERIFY(client.isConnected());
    client.close();
}

VR_TEST_MAIN(TestMixedReplies)
#include "tst_mixedreplies.moc"
