#include "VrTest.h"

#include "FakeHostProbe.h"
#include "RecordingProtocol.h"
#include "SimulatedVdsDevice.h"
#include "comms/IDevice.h"
#include "comms/ITcpClient.h"
#include "comms/ITcpClientThread.h"

#include <QElapsedTimer>
#include <QHostAddress>
#include <QSignalSpy>
#include <QTcpSocket>

#include <atomic>
#include <memory>

namespace {

constexpr int Patience = 8000; // ms; generous for loaded machines

using Response = SimulatedVdsDevice::Response;

// The gaps between consecutive times.
QList<qint64> gaps(const QList<qint64> &times)
{
    QList<qint64> result;
    for (int i = 1; i < times.size(); ++i)
        result.append(times.at(i) - times.at(i - 1));
    return result;
}

// The device a transport belongs to, of one family.
class FamilyDevice : public IDevice
{
public:
    explicit FamilyDevice(Family family)
        : m_family(family)
    {
    }
    Family deviceFamily() const override { return m_family; }

private:
    Family m_family;
};

} // namespace

class TestITcpClient : public QObject
{
    Q_OBJECT

private slots:
    void connectsAndRuns();
    void lostConnectionComesBack_data();
    void lostConnectionComesBack();
    void retriesOncePerPeriod();
    void closedPortAtOpen();
    void framesReplies_data();
    void framesReplies();
    void loneCarriageReturnIsNoReply();
    void overlongLineIsDropped();
    void dropsOnlyLevelRequests_data();
    void dropsOnlyLevelRequests();
    void hangingDeviceIsReconnected();
    void silenceCheck_data();
    void silenceCheck();
    void subscriptionState();
    void destroyingEndsTheThread();

private:
    // Points the client at the device and gives it a recording owner and a
    // fake probe that says the host is there.
    void prepare(ITcpClient &client, SimulatedVdsDevice &device, RecordingProtocol &protocol);
    // Queues a no-reply marker and waits until the device has it: all that
    // was queued before has been dealt with by then.
    bool sync(ITcpClient &client, SimulatedVdsDevice &device);
    // Opens and waits until the device has answered on the connection.
    bool openAnswered(ITcpClient &client);
};

void TestITcpClient::prepare(ITcpClient &client, SimulatedVdsDevice &device,
                             RecordingProtocol &protocol)
{
    client.setAddress(QHostAddress(QHostAddress::LocalHost));
    client.setPort(device.port());
    client.setOwner(&protocol);
    client.setHostProbe(new FakeHostProbe(IHostProbe::Reachable));
}

bool TestITcpClient::sync(ITcpClient &client, SimulatedVdsDevice &device)
{
    static int marker = 0;
    const QByteArray text = "MARK" + QByteArray::number(++marker);
    const QByteArray command = text + '\r';
    client.send(command.constData(), int(command.size()), IInterface::SendNoReply, "", 200);
    return QTest::qWaitFor([&]() { return device.commandTexts().contains(text); }, Patience);
}

bool TestITcpClient::openAnswered(ITcpClient &client)
{
    return client.open() && QTest::qWaitFor([&]() { return client.isConnected(); }, Patience);
}

void TestITcpClient::connectsAndRuns()
{
    SimulatedVdsDevice device;
    RecordingProtocol protocol;
    ITcpClient client;
    prepare(client, device, protocol);
    QCOMPARE(client.typeName(), QStringLiteral("TcpClient Interface"));
    QCOMPARE(client.connectionState(), int(ITcpClient::Idle));
    QCOMPARE(client.stateText(), QStringLiteral(" - Offline - Idle"));

    QSignalSpy state(&client, &IInterface::interfaceStateChanged);
    QSignalSpy active(&client, &ITcpClient::connectionActive);
    QVERIFY(client.open());
    QCOMPARE(client.connectionState(), int(ITcpClient::Running));
    QCOMPARE(client.stateText(), QStringLiteral(" - Online - Running"));
    QCOMPARE(active.size(), 1);
    QVERIFY(client.dispatcher()->isProcessing());
    QVERIFY(client.dispatcher()->isRunning());
    // The socket is up, but nothing has answered on it yet.
    QVERIFY(!client.isConnected());
    QCOMPARE(state.size(), 0);

    QCOMPARE(client.send("SA \"Gain1\">2=-6.0\r", 18, IInterface::SendWaitAck, "", 200), 0);
    QTRY_COMPARE_WITH_TIMEOUT(device.commandTexts(), QList<QByteArray>{"SA \"Gain1\">2=-6.0"},
                              Patience);
    QCOMPARE(device.connectionCount(), 1);
    // Its acknowledge is the device's first answer.
    QTRY_VERIFY_WITH_TIMEOUT(client.isConnected(), Patience);
    QCOMPARE(state.size(), 1);
    QCOMPARE(state.at(0).at(0).toBool(), true);
    QCOMPARE(active.size(), 1);

    // A direct write goes out at once and reports its size.
    QCOMPARE(client.send("GS\r", 3, IInterface::SendDirect, "S", 200), 3);
    QTRY_COMPARE_WITH_TIMEOUT(device.commandCount("GS"), 1, Patience);

    QVERIFY(client.close());
    QVERIFY(!client.isConnected());
    QCOMPARE(client.connectionState(), int(ITcpClient::Idle));
    QCOMPARE(client.send("GS\r", 3, IInterface::SendDirect, "S", 200), 0);
    QVERIFY(!client.close());
}

void TestITcpClient::lostConnectionComesBack_data()
{
    QTest::addColumn<QByteArray>("command");
    QTest::addColumn<Response>("response");
    QTest::newRow("device closes") << QByteArray("BYE") << Response::close();
    QTest::newRow("device resets") << QByteArray("RST") << Response::reset();
}

// Whatever way the device ends the connection, the client goes offline and
// reconnects on its own about one retry period later, without announcing a
// first connection again.
void TestITcpClient::lostConnectionComesBack()
{
    QFETCH(QByteArray, command);
    QFETCH(Response, response);
    SimulatedVdsDevice device;
    device.setResponse(command, response);
    RecordingProtocol protocol;
    ITcpClient client;
    prepare(client, device, protocol);
    QVERIFY(openAnswered(client));

    QSignalSpy state(&client, &IInterface::interfaceStateChanged);
    QSignalSpy active(&client, &ITcpClient::connectionActive);
    QSignalSpy started(&client, &ITcpClient::startMessageProcessing);
    QElapsedTimer clock;
    clock.start();
    const QByteArray bytes = command + '\r';
    client.send(bytes.constData(), int(bytes.size()), IInterface::SendWaitAck, "", 200);

    QTRY_COMPARE_WITH_TIMEOUT(state.size(), 1, Patience);
    QCOMPARE(state.at(0).at(0).toBool(), false);
    const qint64 lostAt = clock.elapsed();
    QCOMPARE(client.connectionState(), int(ITcpClient::Reconnecting));
    QCOMPARE(client.stateText(), QStringLiteral(" - Offline - Reconnecting"));
    QVERIFY(!client.dispatcher()->isProcessing());

    QTRY_COMPARE_WITH_TIMEOUT(state.size(), 2, Patience);
    QCOMPARE(state.at(1).at(0).toBool(), true);
    QVERIFY2(clock.elapsed() - lostAt >= 1000, "reconnected before the retry period");
    QCOMPARE(client.connectionState(), int(ITcpClient::Running));
    QCOMPARE(active.size(), 0);
    QCOMPARE(started.size(), 1);
    QTRY_COMPARE_WITH_TIMEOUT(device.connectionCount(), 2, Patience);

    // And it carries messages again.
    QVERIFY(sync(client, device));
}

// The retry timer is connected once, however often the client is opened:
// against a port that refuses, there is one attempt per period.
void TestITcpClient::retriesOncePerPeriod()
{
    SimulatedVdsDevice device;
    RecordingProtocol protocol;
    ITcpClient client;
    prepare(client, device, protocol);
    for (int i = 0; i < 3; ++i) {
        QVERIFY(client.open());
        QVERIFY(client.close());
    }
    QVERIFY(client.open());
    QTRY_COMPARE_WITH_TIMEOUT(device.openConnectionCount(), 1, Patience);

    QTcpSocket *pSocket = client.socket();
    QVERIFY(pSocket);
    QElapsedTimer clock;
    clock.start();
    QList<qint64> refusals;
    connect(pSocket, &QTcpSocket::errorOccurred, this,
            [&](QAbstractSocket::SocketError socketError) {
                if (socketError == QAbstractSocket::ConnectionRefusedError)
                    refusals.append(clock.elapsed());
            });
    device.stopListening();
    device.dropClients();
    QTRY_VERIFY_WITH_TIMEOUT(refusals.size() >= 3, 3 * Patience);
    QCOMPARE(client.socket(), pSocket);
    for (qint64 gap : gaps(refusals))
        QVERIFY2(gap >= 1000, qPrintable(QStringLiteral("attempts %1 ms apart").arg(gap)));

    // The device comes back on its port and is found again.
    QVERIFY(device.listen(device.port()));
    QTRY_COMPARE_WITH_TIMEOUT(client.connectionState(), int(ITcpClient::Running), Patience);
    QVERIFY(client.isConnected());
}

void TestITcpClient::closedPortAtOpen()
{
    SimulatedVdsDevice device;
    const quint16 port = device.port();
    device.stopListening();
    RecordingProtocol protocol;
    ITcpClient client;
    prepare(client, device, protocol);
    QSignalSpy state(&client, &IInterface::interfaceStateChanged);

    QVERIFY(!client.open());
    QTRY_COMPARE_WITH_TIMEOUT(client.connectionState(), int(ITcpClient::Reconnecting), Patience);
    QVERIFY(!client.isConnected());
    // Messages for an unconnected device are not kept for later.
    client.send("GA \"Gain1\">2\r", 13, IInterface::SendWaitReply, "GA", 200);

    QVERIFY(device.listen(port));
    QTRY_VERIFY_WITH_TIMEOUT(client.isConnected(), Patience);
    QCOMPARE(client.connectionState(), int(ITcpClient::Running));
    QCOMPARE(state.size(), 1);
    QCOMPARE(state.at(0).at(0).toBool(), true);
    QVERIFY(sync(client, device));
    QCOMPARE(device.commandCount("GA"), 0);
}

void TestITcpClient::framesReplies_data()
{
    QTest::addColumn<QList<QByteArray>>("writes");
    QTest::addColumn<QList<QByteArray>>("lines");
    QTest::newRow("line split across writes")
        << QList<QByteArray>{"GA\"Gain1\">2=-", "6.0\r"}
        << QList<QByteArray>{"GA\"Gain1\">2=-6.0"};
    QTest::newRow("line and a half")
        << QList<QByteArray>{"A=1\rB=", "2\r"} << QList<QByteArray>{"A=1", "B=2"};
    QTest::newRow("two lines in one write")
        << QList<QByteArray>{"A=1\rB=2\r"} << QList<QByteArray>{"A=1", "B=2"};
    QTest::newRow("replies joined by semicolons")
        << QList<QByteArray>{"12;34;\r"} << QList<QByteArray>{"12", "34"};
    QTest::newRow("empty reply between semicolons")
        << QList<QByteArray>{"a;;b\r"} << QList<QByteArray>{"a", "b"};
    QTest::newRow("semicolons and lines")
        << QList<QByteArray>{"A=1;B=2\rC=3\r"} << QList<QByteArray>{"A=1", "B=2", "C=3"};
    QTest::newRow("unterminated tail is flushed")
        << QList<QByteArray>{"C=", "3"} << QList<QByteArray>{"C=3"};
}

// TCP keeps no write boundaries; the client hands on whole lines. While
// subscribed every line reaches the owner, so the framing shows there.
void TestITcpClient::framesReplies()
{
    QFETCH(QList<QByteArray>, writes);
    QFETCH(QList<QByteArray>, lines);
    SimulatedVdsDevice device;
    RecordingProtocol protocol;
    ITcpClient client;
    prepare(client, device, protocol);
    QVERIFY(client.open());
    client.setSubscribed(true);
    QTRY_COMPARE_WITH_TIMEOUT(device.openConnectionCount(), 1, Patience);

    for (const QByteArray &bytes : writes) {
        device.push(bytes);
        QTest::qWait(30); // keeps the writes apart; not an assertion
    }
    QTRY_COMPARE_WITH_TIMEOUT(protocol.lines, lines, Patience);
    QCOMPARE(protocol.errorTexts, QStringList(lines.size(), QString()));
}

void TestITcpClient::loneCarriageReturnIsNoReply()
{
    SimulatedVdsDevice device;
    RecordingProtocol protocol;
    ITcpClient client;
    prepare(client, device, protocol);
    QVERIFY(client.open());
    client.setSubscribed(true);
    QTRY_COMPARE_WITH_TIMEOUT(device.openConnectionCount(), 1, Patience);
    QSignalSpy replies(&client, &ITcpClient::replyReady);

    device.push("\r");
    QTest::qWait(30);
    device.push("X=1\r");
    QTRY_COMPARE_WITH_TIMEOUT(protocol.lines, QList<QByteArray>{"X=1"}, Patience);
    QCOMPARE(replies.size(), 1);
}

// A line without end is cut off at 64 KiB and skipped up to its end; what
// follows is read normally.
void TestITcpClient::overlongLineIsDropped()
{
    SimulatedVdsDevice device;
    RecordingProtocol protocol;
    ITcpClient client;
    prepare(client, device, protocol);
    QVERIFY(client.open());
    client.setSubscribed(true);
    QTRY_COMPARE_WITH_TIMEOUT(device.openConnectionCount(), 1, Patience);

    device.push(QByteArray(ITcpClient::MaxTailBytes + 4096, 'x'));
    device.push(QByteArray(100, 'y') + "\rOK=1\r");
    QTRY_COMPARE_WITH_TIMEOUT(protocol.lines, QList<QByteArray>{"OK=1"}, Patience);
}

void TestITcpClient::dropsOnlyLevelRequests_data()
{
    // Whether the transport belongs to an ARX amplifier.
    QTest::addColumn<bool>("dropLevelRequests");
    QTest::addColumn<QByteArray>("command");
    QTest::addColumn<bool>("sent");
    QTest::newRow("level request") << true << QByteArray("GL 1A") << false;
    QTest::newRow("bare level request") << true << QByteArray("GL") << false;
    QTest::newRow("block named GLOBAL") << true << QByteArray("SA \"GLOBAL\">1=0") << true;
    QTest::newRow("command word GLOBAL") << true << QByteArray("GLOBAL 1") << true;
    QTest::newRow("GL inside a name") << true << QByteArray("GA \"AGL\">1") << true;
    QTest::newRow("level request without the flag") << false << QByteArray("GL 1A") << true;
}

void TestITcpClient::dropsOnlyLevelRequests()
{
    QFETCH(bool, dropLevelRequests);
    QFETCH(QByteArray, command);
    QFETCH(bool, sent);
    SimulatedVdsDevice device;
    RecordingProtocol protocol;
    ITcpClient client;
    prepare(client, device, protocol);
    FamilyDevice owner(dropLevelRequests ? IDevice::Family::ArxAmplifier : IDevice::Family::Vds);
    client.setChassis(&owner);
    QVERIFY(client.open());

    const QByteArray bytes = command + '\r';
    QCOMPARE(client.send(bytes.constData(), int(bytes.size()), IInterface::SendNoReply, "", 200),
             0);
    QVERIFY(sync(client, device));
    QCOMPARE(device.commandTexts().contains(command), sent);
}

// A device whose application hangs keeps the connection open and answers
// nothing. The 13th failed attempt renews the connection at once.
void TestITcpClient::hangingDeviceIsReconnected()
{
    SimulatedVdsDevice device;
    device.setResponse("GA", Response::hang());
    RecordingProtocol protocol;
    ITcpClient client;
    prepare(client, device, protocol);
    QVERIFY(openAnswered(client));
    client.setSubscribed(false);

    QSignalSpy failures(client.dispatcher(), &ITcpClientThread::messageError);
    int stateWhenOffline = -1;
    connect(&client, &IInterface::interfaceStateChanged, this, [&](bool connected) {
        if (!connected && stateWhenOffline < 0)
            stateWhenOffline = client.connectionState();
    });
    for (int i = 0; i < 5; ++i) {
        const QByteArray bytes = "GA \"Gain" + QByteArray::number(i) + "\">1\r";
        client.send(bytes.constData(), int(bytes.size()), IInterface::SendWaitReply, "GA", 200);
    }
    QTRY_VERIFY_WITH_TIMEOUT(stateWhenOffline >= 0, 3 * Patience);
    // The dispatcher stopped with the failure that reached the limit.
    QCOMPARE(failures.size(), ITcpClient::MaxSendFailures);
    QCOMPARE(stateWhenOffline, int(ITcpClient::Reconnecting));
    QVERIFY(!client.isConnected());
    QVERIFY(!client.dispatcher()->isProcessing());
    QCOMPARE(client.failureCount(), 0);
    QCOMPARE(protocol.timeouts.size(), ITcpClient::MaxSendFailures);

    // The device has recovered; the client comes back by itself.
    device.setResponse("GA", Response::answer("GA \"Gain1\">1=4\r"));
    QTRY_VERIFY_WITH_TIMEOUT(client.isConnected(), Patience);
    QCOMPARE(device.connectionCount(), 2);
    client.send("GA \"Gain1\">1\r", 13, IInterface::SendWaitReply, "GA \"Gain1\">1=", 200);
    QTRY_COMPARE_WITH_TIMEOUT(protocol.lines, QList<QByteArray>{"GA \"Gain1\">1=4"}, Patience);
}

void TestITcpClient::silenceCheck_data()
{
    QTest::addColumn<IHostProbe::HostState>("hostState");
    QTest::newRow("host unreachable") << IHostProbe::Unreachable;
    QTest::newRow("host state unknown") << IHostProbe::Unknown;
    // The host answers, but its application may hang.
    QTest::newRow("host reachable") << IHostProbe::Reachable;
}

// When the line has been silent for the check's interval after a write,
// the host is checked and, whatever that says, "SUB" is written straight
// to the socket.
void TestITcpClient::silenceCheck()
{
    QFETCH(IHostProbe::HostState, hostState);
    SimulatedVdsDevice device;
    RecordingProtocol protocol;
    ITcpClient client;
    prepare(client, device, protocol);
    auto *pProbe = new FakeHostProbe(hostState);
    client.setHostProbe(pProbe);
    client.setHostStatusInterval(100);
    QVERIFY(openAnswered(client));
    const int probes = device.commandCount("SUB");
    const int checks = pProbe->checkCount();

    // A write the device leaves unanswered starts the silence.
    device.setResponse("MARK", Response::silent());
    QVERIFY(sync(client, device));
    QTRY_COMPARE_WITH_TIMEOUT(device.commandCount("SUB"), probes + 1, Patience);
    QCOMPARE(device.commandTexts().last(), QByteArray("SUB"));
    QVERIFY(pProbe->checkCount() > checks);
    QCOMPARE(pProbe->addresses().value(0), QStringLiteral("127.0.0.1"));
}

void TestITcpClient::subscriptionState()
{
    SimulatedVdsDevice device;
    RecordingProtocol protocol;
    ITcpClient client;
    prepare(client, device, protocol);
    QVERIFY(!client.hasSubscriptionState());
    QVERIFY(!client.isSubscribed());

    // Offline: the owner hears so.
    client.notifyOwner();
    QCOMPARE(protocol.onlineChanges, QList<bool>{false});

    QVERIFY(openAnswered(client));
    QTRY_COMPARE_WITH_TIMEOUT(device.openConnectionCount(), 1, Patience);
    client.setSubscribed(true);
    QVERIFY(client.hasSubscriptionState());
    QVERIFY(client.isSubscribed());
    QVERIFY(client.dispatcher()->isSubscribed());

    // Online: the owner renews its subscriptions, and the dispatcher no
    // longer treats replies as subscribed.
    client.notifyOwner();
    QCOMPARE(protocol.resetCount, 1);
    QVERIFY(!client.hasSubscriptionState());
    QVERIFY(!client.isSubscribed());
    QVERIFY(!client.dispatcher()->isSubscribed());

    // A lost connection loses the subscription with it.
    client.setSubscribed(true);
    device.dropClients();
    QTRY_VERIFY_WITH_TIMEOUT(!client.isConnected(), Patience);
    QVERIFY(!client.isSubscribed());
    QVERIFY(!client.dispatcher()->isSubscribed());
}

void TestITcpClient::destroyingEndsTheThread()
{
    SimulatedVdsDevice device;
    RecordingProtocol protocol;
    auto pClient = std::make_unique<ITcpClient>();
    prepare(*pClient, device, protocol);
    QVERIFY(pClient->open());
    ITcpClientThread *pDispatcher = pClient->dispatcher();
    QVERIFY(pDispatcher->isRunning());
    QCOMPARE(pDispatcher->thread(), pClient->thread());
    std::atomic<bool> finished{false};
    connect(pDispatcher, &QThread::finished, pDispatcher, [&finished]() { finished = true; },
            Qt::DirectConnection);

    pClient.reset();
    QVERIFY(finished);
    QTRY_COMPARE_WITH_TIMEOUT(device.openConnectionCount(), 0, Patience);
}

VR_TEST_MAIN(TestITcpClient)
#include "tst_itcpclient.moc"
