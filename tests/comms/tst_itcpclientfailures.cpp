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

#include <QElapsedTimer>
#include <QHostAddress>
#include <QSignalSpy>

#include <algorithm>

namespace {

constexpr int Patience = 8000; // ms; generous for loaded machines

using Response = SimulatedVdsDevice::Response;

const QByteArray kGood = "GA\"Good\">1";
const QByteArray kBad = "GA\"Bad\">1";

// A recording owner that also keeps the messages refused after the fact.
class RefusalRecorder : public RecordingProtocol
{
public:
    void onMessageRefused(const QByteArray &message) override { refused.append(message); }
    QList<QByteArray> refused;
};

void prepare(ITcpClient &client, SimulatedVdsDevice &device, PProtocol &owner)
{
    client.setAddress(QHostAddress(QHostAddress::LocalHost));
    client.setPort(device.port());
    client.setOwner(&owner);
    client.setHostProbe(new FakeHostProbe(IHostProbe::Reachable));
}

// Opens and waits until the device has answered on the connection.
bool openAnswered(ITcpClient &client)
{
    return client.open() && QTest::qWaitFor([&]() { return client.isConnected(); }, Patience);
}

void request(ITcpClient &client, const QByteArray &key)
{
    const QByteArray bytes = key + '\r';
    const QByteArray expected = key + '=';
    client.send(bytes.constData(), int(bytes.size()), IInterface::SendWaitReply,
                expected.constData(), 200);
}

QList<qint64> gaps(const QList<qint64> &times)
{
    QList<qint64> result;
    for (int i = 1; i < times.size(); ++i)
        result.append(times.at(i) - times.at(i - 1));
    return result;
}

} // namespace

// How the TCP client counts failed attempts and what it renews for.
class TestITcpClientFailures : public QObject
{
    Q_OBJECT

private slots:
    void failuresInARow_data();
    void failuresInARow();
    void renewedConnectionCountsOnceAnswered();
    void replyWithoutLineEnd_data();
    void replyWithoutLineEnd();
    void refusalAfterTheFactNamesTheMessage();
    void timers();
};

void TestITcpClientFailures::failuresInARow_data()
{
    QTest::addColumn<Response>("bad");
    QTest::addColumn<bool>("goodBetween");
    QTest::addColumn<bool>("renewed");
    // Eight requests the device does not answer as asked: three attempts
    // each, far more failures in all than the limit of 13.
    QTest::newRow("refused") << Response::refuse() << false << false;
    // By the time it comes the answer belongs to no request.
    QTest::newRow("answered after the time-out")
        << Response::answerLate("GA\"Late\">1=1\r", 250) << false << false;
    QTest::newRow("answered with another text") << Response::answer("GA\"Other\">1=1\r") << false
                                               << false;
    QTest::newRow("unanswered, answers between") << Response::silent() << true << false;
    // The rule still holds for a device that answers nothing at all.
    QTest::newRow("unanswered") << Response::silent() << false << true;
}

// The connection is renewed for 13 unanswered attempts in a row only; any
// answer, a refusal included, ends the row.
void TestITcpClientFailures::failuresInARow()
{
    QFETCH(Response, bad);
    QFETCH(bool, goodBetween);
    QFETCH(bool, renewed);
    SimulatedVdsDevice device;
    device.setResponse(kGood, Response::answer(kGood + "=3\r"));
    device.setResponse(kBad, bad);
    RecordingProtocol protocol;
    ITcpClient client;
    prepare(client, device, protocol);
    QVERIFY(openAnswered(client));
    QSignalSpy failures(client.dispatcher(), &ITcpClientThread::messageError);
    QSignalSpy state(&client, &IInterface::interfaceStateChanged);

    const int rounds = renewed ? 5 : 8;
    for (int i = 0; i < rounds; ++i) {
        request(client, kBad);
        if (goodBetween)
            request(client, kGood);
    }
    request(client, kGood);
    if (renewed) {
        QTRY_VERIFY_WITH_TIMEOUT(!state.isEmpty(), 3 * Patience);
        QCOMPARE(state.first().first().toBool(), false);
        QCOMPARE(failures.size(), ITcpClient::MaxSendFailures);
        QTRY_COMPARE_WITH_TIMEOUT(device.connectionCount(), 2, Patience);
        return;
    }
    const int goods = goodBetween ? rounds + 1 : 1;
    QTRY_COMPARE_WITH_TIMEOUT(int(protocol.lines.count(kGood + "=3")), goods, 3 * Patience);
    // Every attempt of every such request failed.
    QVERIFY2(failures.size() >= 3 * rounds, qPrintable(QString::number(failures.size())));
    QCOMPARE(state.size(), 0);
    QVERIFY(client.isConnected());
    QCOMPARE(device.connectionCount(), 1);
    QCOMPARE(client.connectionState(), int(ITcpClient::Running));
}

// A connection renewed for lack of answers counts as connected only once
// the device answers on it: until then the line is probed, and when the
// probes go unanswered as long, it is renewed again.
void TestITcpClientFailures::renewedConnectionCountsOnceAnswered()
{
    SimulatedVdsDevice device;
    device.setResponse("GA", Response::silent());
    RecordingProtocol protocol;
    ITcpClient client;
    prepare(client, device, protocol);
    QVERIFY(openAnswered(client));
    device.setResponse("SUB", Response::silent());
    QList<bool> states;
    connect(&client, &IInterface::interfaceStateChanged, this,
            [&states](bool connected) { states.append(connected); });
    for (int i = 0; i < 5; ++i)
        request(client, kBad);

    QTRY_COMPARE_WITH_TIMEOUT(states, QList<bool>{false}, 3 * Patience);
    QVERIFY(client.isAwaitingAnswer());
    // The new socket is up and probed, yet the client is not connected.
    QTRY_VERIFY_WITH_TIMEOUT(device.commandTextsOn(2).count("SUB") >= 3, Patience);
    QCOMPARE(client.connectionState(), int(ITcpClient::Running));
    QVERIFY(!client.isConnected());
    QCOMPARE(states, QList<bool>{false});
    QVERIFY(client.renewalProbeTimer()->isActive());
    QCOMPARE(client.renewalProbeTimer()->interval(), ITcpClient::RenewalProbeIntervalMs);

    // Thirteen unanswered probes: renewed again.
    QTRY_COMPARE_WITH_TIMEOUT(device.connectionCount(), 3, 3 * Patience);
    QCOMPARE(int(device.commandTextsOn(2).count("SUB")), ITcpClient::MaxSendFailures);
    QVERIFY(!client.isConnected());

    // The device answers again: connected.
    device.setResponse("SUB", Response::answer("SUB,yes\r"));
    QTRY_VERIFY_WITH_TIMEOUT(client.isConnected(), 2 * Patience);
    QCOMPARE(states, (QList<bool>{false, true}));
    QVERIFY(!client.isAwaitingAnswer());
    QVERIFY(!client.renewalProbeTimer()->isActive());
    QCOMPARE(client.failureCount(), 0);
    const int connections = device.connectionCount();

    // And it carries messages again, as before.
    device.setResponse(kGood, Response::answer(kGood + "=3\r"));
    request(client, kGood);
    QTRY_VERIFY_WITH_TIMEOUT(protocol.lines.contains(kGood + "=3"), Patience);
    QCOMPARE(device.connectionCount(), connections);
}

void TestITcpClientFailures::replyWithoutLineEnd_data()
{
    QTest::addColumn<Response>("response");
    QTest::newRow("whole reply") << Response::answer(kGood + "=4");
    QTest::newRow("in two pieces") << Response::answerSplit({kGood, "=4"}, 40);
}

// A reply that came within the time-out is the reply, also when its
// carriage return is missing and the wait for it has not ended yet.
void TestITcpClientFailures::replyWithoutLineEnd()
{
    QFETCH(Response, response);
    SimulatedVdsDevice device;
    device.setResponse(kGood, response);
    RecordingProtocol protocol;
    ITcpClient client;
    prepare(client, device, protocol);
    // Longer than any time-out: only the dispatcher's call takes the tail.
    client.setTailFlushInterval(60000);
    QVERIFY(client.open());
    QSignalSpy failures(client.dispatcher(), &ITcpClientThread::messageError);

    request(client, kGood);
    QTRY_COMPARE_WITH_TIMEOUT(protocol.lines, QList<QByteArray>{kGood + "=4"}, Patience);
    QCOMPARE(failures.size(), 0);
    QVERIFY(protocol.timeouts.isEmpty());
    QCOMPARE(device.commandCount(kGood), 1);
}

// On a subscribed connection nothing waits for its answer; a refusal that
// comes later is paired with its message by order, and the owner hears
// which message the device refused.
void TestITcpClientFailures::refusalAfterTheFactNamesTheMessage()
{
    SimulatedVdsDevice device;
    device.setResponse("SA \"Bad\"", Response::refuse());
    device.setResponse("SA", Response::acknowledge());
    device.setResponse("GL 1", Response::answer("GL 1 [1,2]\r"));
    RefusalRecorder protocol;
    ITcpClient client;
    prepare(client, device, protocol);
    QVERIFY(client.open());
    client.setSubscribed(true);

    const QList<QByteArray> sets = {"SA \"Good\">1=1\r", "SA \"Bad\">1=1\r", "SA \"Good\">1=2\r",
                                    "SA \"Bad\">2=5\r"};
    for (const QByteArray &set : sets) {
        client.send(set.constData(), int(set.size()), IInterface::SendNoReply, "", 200);
        if (set.endsWith("=2\r"))
            client.send("GL 1\r", 5, IInterface::SendWaitReply, "GL 1", 200);
    }
    QTRY_COMPARE_WITH_TIMEOUT(protocol.refused,
                              (QList<QByteArray>{"SA \"Bad\">1=1\r", "SA \"Bad\">2=5\r"}), Patience);
    QTRY_VERIFY_WITH_TIMEOUT(protocol.lines.contains("GL 1 [1,2]"), Patience);
    // Refusals are answers: nothing counts against the connection.
    QCOMPARE(client.failureCount(), 0);
    QCOMPARE(device.connectionCount(), 1);
}

// Each timer as set on the object, and a loose measure of it beside, which
// a tenfold error fails.
void TestITcpClientFailures::timers()
{
    SimulatedVdsDevice device;
    device.setResponse(kBad, Response::silent());
    device.setResponse("SUB", Response::answer("SUB,no\r"));
    PVDSProtocol protocol;
    ITcpClient client;
    prepare(client, device, protocol);
    FakeProtocolHost host;
    protocol.setInterface(&client);
    protocol.setHost(&host);

    const QTimer *pRetry = client.retryTimer();
    QCOMPARE(pRetry->interval(), 1500);
    QVERIFY(!pRetry->isSingleShot());
    const QTimer *pSilence = client.hostStatusTimer();
    QCOMPARE(pSilence->interval(), 30000);
    QVERIFY(pSilence->isSingleShot());
    const QTimer *pTick = client.dispatcher()->dispatchTimer();
    QCOMPARE(pTick->interval(), 10);
    QVERIFY(pTick->isSingleShot());
    const QTimer *pReply = client.dispatcher()->replyTimer();
    QVERIFY(pReply->isSingleShot());
    QSignalSpy silenceChecks(pSilence, &QTimer::timeout);
    QElapsedTimer clock;
    clock.start();
    QList<qint64> ticks;
    connect(pTick, &QTimer::timeout, this, [&]() { ticks.append(clock.elapsed()); });

    QVERIFY(client.open());
    QVERIFY(pSilence->isActive());
    QVERIFY(pTick->isActive());
    QTRY_COMPARE_WITH_TIMEOUT(device.commandCount("SUB"), 1, Patience);

    // A request the device leaves unanswered: the reply timer runs with
    // the protocol's time-out, and the attempts lie that far apart.
    CAttributes attributes;
    attributes.setAddressStruct(CAttributes::StructNamedIndex);
    attributes.setIndex1(1);
    HNode node;
    node.setLabel(QStringLiteral("Bad"));
    TStrV transform;
    transform.setOwner(&attributes);
    transform.setOwnerNode(&node);
    const qint64 start = clock.elapsed();
    const qsizetype ticksBefore = ticks.size();
    QVERIFY(protocol.requestValue(&transform));
    QTRY_VERIFY_WITH_TIMEOUT(pReply->isActive(), Patience);
    QCOMPARE(pReply->interval(), 200);
    QTRY_COMPARE_WITH_TIMEOUT(device.commandCount(kBad), 3, Patience);
    QList<qint64> attempts;
    for (const SimulatedVdsDevice::Command &command : device.commands()) {
        if (command.text == kBad)
            attempts.append(command.atMs);
    }
    for (const qint64 gap : gaps(attempts)) {
        QVERIFY2(gap >= 100 && gap < 2000,
                 qPrintable(QStringLiteral("attempts %1 ms apart").arg(gap)));
    }
    // The dispatcher ticks all along: never sooner than its interval after
    // the last step, and not ten times as seldom.
    const qint64 elapsed = clock.elapsed() - start;
    const QList<qint64> tickGaps = gaps(ticks.mid(ticksBefore));
    const qint64 closest = tickGaps.isEmpty() ? 0 : *std::min_element(tickGaps.begin(), tickGaps.end());
    const QString figures = QStringLiteral("%1 ticks in %2 ms, closest %3 ms apart")
                                .arg(tickGaps.size() + 1).arg(elapsed).arg(closest);
    QVERIFY2(tickGaps.size() * 50 > elapsed, qPrintable(figures));
    QVERIFY2(closest >= 5, qPrintable(figures));

    // The line has been silent since: no check within seconds.
    QVERIFY(!silenceChecks.wait(4000));
    client.close();
}

VR_TEST_MAIN(TestITcpClientFailures)
#include "tst_itcpclientfailures.moc"
