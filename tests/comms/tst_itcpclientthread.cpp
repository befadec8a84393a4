#include "VrTest.h"

#include "FakeHostProbe.h"
#include "RecordingProtocol.h"
#include "SimulatedVdsDevice.h"
#include "comms/ITcpClient.h"
#include "comms/ITcpClientThread.h"

#include <QHostAddress>
#include <QSemaphore>
#include <QSignalSpy>

namespace {

constexpr int Patience = 8000; // ms; generous for loaded machines

using Response = SimulatedVdsDevice::Response;

const QByteArray SetGain = "SA \"Gain1\">2=-6.0";
const QByteArray GetGain = "GA \"Gain1\">2";
const char *const GetGainReply = "GA \"Gain1\">2=";

// A client connected to a simulated device, with a recording owner.
struct Rig
{
    SimulatedVdsDevice device;
    RecordingProtocol protocol;
    ITcpClient client;
    QSignalSpy failures{client.dispatcher(), &ITcpClientThread::messageError};

    bool open()
    {
        client.setAddress(QHostAddress(QHostAddress::LocalHost));
        client.setPort(device.port());
        client.setOwner(&protocol);
        client.setHostProbe(new FakeHostProbe(IHostProbe::Reachable));
        return client.open()
            && QTest::qWaitFor([this]() { return device.openConnectionCount() == 1; }, Patience);
    }

    void send(const QByteArray &command, int type, const char *expected = "")
    {
        const QByteArray bytes = command + '\r';
        client.send(bytes.constData(), int(bytes.size()), type, expected, 200);
    }

    // Queues a marker and waits until the device has it: all that was
    // queued before has been dealt with by then.
    bool sync()
    {
        static int marker = 0;
        const QByteArray text = "MARK" + QByteArray::number(++marker);
        send(text, IInterface::SendNoReply);
        return QTest::qWaitFor([&]() { return device.commandTexts().contains(text); }, Patience);
    }
};

QList<qint64> commandTimes(const SimulatedVdsDevice &device, const QByteArray &text)
{
    QList<qint64> times;
    for (const SimulatedVdsDevice::Command &command : device.commands()) {
        if (command.text == text)
            times.append(command.atMs);
    }
    return times;
}

} // namespace

class TestITcpClientThread : public QObject
{
    Q_OBJECT

private slots:
    void acknowledgedAfterOneWrite();
    void refusalIsWrittenThreeTimes();
    void silenceIsWrittenThreeTimes();
    void textReplyLinesReachOwner();
    void splitReplyIsJoined();
    void noReplyIsWrittenOnce();
    void earlierRepliesDoNotAnswerANewMessage();
    void subscribedPushReachesOwner();
    void subscribedLateReplyIsNoFailure();
    void failedWriteCountsAsAttempt();
    void messagesQueuedOfflineAreDropped();
    void tickStandsStillOnceAllIsDone_data();
    void tickStandsStillOnceAllIsDone();
    void messageQueuedToAnIdleDispatcherIsSent();
    void subscribedReportBesideAMessageIsRead();
};

void TestITcpClientThread::acknowledgedAfterOneWrite()
{
    Rig rig;
    QVERIFY(rig.open());
    for (int i = 0; i < 5; ++i)
        rig.send(SetGain, IInterface::SendWaitAck);
    QVERIFY(rig.sync());
    QCOMPARE(rig.device.commandCount(SetGain), 5);
    QCOMPARE(rig.failures.size(), 0);
    QCOMPARE(rig.client.dispatcher()->state(), int(ITcpClientThread::Idle));
}

void TestITcpClientThread::refusalIsWrittenThreeTimes()
{
    Rig rig;
    rig.device.setResponse("SA", Response::refuse());
    QVERIFY(rig.open());
    rig.send(SetGain, IInterface::SendWaitAck);
    QVERIFY(rig.sync());
    QCOMPARE(rig.device.commandCount(SetGain), 3);
    QCOMPARE(rig.failures.size(), 3);
    QCOMPARE(rig.failures.at(0).at(0).toByteArray(), SetGain + '\r');
    // A refusal is answered, not timed out, and an answer does not count
    // against the connection.
    QCOMPARE(rig.protocol.timeouts, QStringList());
    QCOMPARE(rig.client.failureCount(), 0);
    QVERIFY(rig.client.isConnected());
}

// Without an answer the message is written at about 0, 200 and 400 ms,
// and each time-out is reported with the expected reply.
void TestITcpClientThread::silenceIsWrittenThreeTimes()
{
    Rig rig;
    rig.device.setResponse("GA", Response::silent());
    QVERIFY(rig.open());
    rig.send(GetGain, IInterface::SendWaitReply, GetGainReply);
    QTRY_COMPARE_WITH_TIMEOUT(rig.protocol.timeouts.size(), 3, Patience);
    QVERIFY(rig.sync());
    QCOMPARE(rig.protocol.timeouts, QStringList(3, QString::fromLatin1(GetGainReply)));
    QCOMPARE(rig.failures.size(), 3);
    const QList<qint64> times = commandTimes(rig.device, GetGain);
    QCOMPARE(times.size(), 3);
    for (int i = 1; i < times.size(); ++i)
        QVERIFY2(times.at(i) - times.at(i - 1) >= 150,
                 qPrintable(QStringLiteral("written again after %1 ms")
                                .arg(times.at(i) - times.at(i - 1))));
    QVERIFY(rig.protocol.lines.isEmpty());
}

// The acknowledge byte in front of a text reply is not part of the text;
// each line is handed on by itself.
void TestITcpClientThread::textReplyLinesReachOwner()
{
    Rig rig;
    rig.device.setResponse(
        "GA", Response::answer("\x06GA \"Gain1\">2=-6.0\rGA \"Gain1\">3=1.5\r"));
    QVERIFY(rig.open());
    rig.send(GetGain, IInterface::SendWaitReply, GetGainReply);
    QTRY_COMPARE_WITH_TIMEOUT(rig.protocol.lines.size(), 2, Patience);
    QCOMPARE(rig.protocol.lines,
             (QList<QByteArray>{"GA \"Gain1\">2=-6.0", "GA \"Gain1\">3=1.5"}));
    QCOMPARE(rig.protocol.errorTexts, QStringList(2, QString()));
    QVERIFY(rig.sync());
    QCOMPARE(rig.failures.size(), 0);
    QCOMPARE(rig.device.commandCount(GetGain), 1);

    // A reply that does not begin with the expected text is a failure.
    rig.device.setResponse("GA", Response::answer("GA \"Other\">2=1\r"));
    rig.send(GetGain, IInterface::SendWaitReply, GetGainReply);
    QVERIFY(rig.sync());
    QCOMPARE(rig.failures.size(), 3);
    QCOMPARE(rig.protocol.lines.size(), 2);
}

void TestITcpClientThread::splitReplyIsJoined()
{
    Rig rig;
    rig.device.setResponse("GA", Response::answerSplit({"GA \"Gain1\">2=-", "6.0\r"}));
    QVERIFY(rig.open());
    rig.send(GetGain, IInterface::SendWaitReply, GetGainReply);
    QTRY_COMPARE_WITH_TIMEOUT(rig.protocol.lines, QList<QByteArray>{"GA \"Gain1\">2=-6.0"},
                              Patience);
    QVERIFY(rig.sync());
    QCOMPARE(rig.failures.size(), 0);
    QCOMPARE(rig.device.commandCount(GetGain), 1);
}

void TestITcpClientThread::noReplyIsWrittenOnce()
{
    Rig rig;
    rig.device.setResponse("SA", Response::silent());
    QVERIFY(rig.open());
    rig.send(SetGain, IInterface::SendNoReply);
    QVERIFY(rig.sync());
    QCOMPARE(rig.device.commandCount(SetGain), 1);
    QCOMPARE(rig.failures.size(), 0);
    QCOMPARE(rig.protocol.timeouts, QStringList());
}

// Not subscribed, a line that arrived while nothing was awaited is not
// taken for the answer to the next message.
void TestITcpClientThread::earlierRepliesDoNotAnswerANewMessage()
{
    Rig rig;
    rig.device.setResponse("GA", Response::answerLate("GA \"Gain1\">2=-6.0\r", 60));
    QVERIFY(rig.open());
    QSignalSpy arrived(&rig.client, &ITcpClient::replyReady);
    rig.device.push("GA \"Other\">1=0\r");
    QVERIFY(arrived.wait(Patience));
    rig.send(GetGain, IInterface::SendWaitReply, GetGainReply);
    QTRY_COMPARE_WITH_TIMEOUT(rig.protocol.lines, QList<QByteArray>{"GA \"Gain1\">2=-6.0"},
                              Patience);
    QVERIFY(rig.sync());
    QCOMPARE(rig.device.commandCount(GetGain), 1);
    QCOMPARE(rig.failures.size(), 0);
}

void TestITcpClientThread::subscribedPushReachesOwner()
{
    Rig rig;
    QVERIFY(rig.open());
    rig.client.setSubscribed(true);
    rig.device.push("GA \"Gain1\">2=-3.0\r");
    QTRY_COMPARE_WITH_TIMEOUT(rig.protocol.lines, QList<QByteArray>{"GA \"Gain1\">2=-3.0"},
                              Patience);

    // Subscribed, an acknowledged set is checked as text: nothing fails.
    rig.send(SetGain, IInterface::SendWaitAck);
    QVERIFY(rig.sync());
    QCOMPARE(rig.failures.size(), 0);
    QCOMPARE(rig.device.commandCount(SetGain), 1);
}

// Subscribed, the reply timer still runs: a reply later than one tick is
// neither a failure nor a reason to write again.
void TestITcpClientThread::subscribedLateReplyIsNoFailure()
{
    Rig rig;
    rig.device.setResponse("GA", Response::answerLate("GA \"Gain1\">2=-6.0\r", 80));
    QVERIFY(rig.open());
    rig.client.setSubscribed(true);
    rig.send(GetGain, IInterface::SendWaitReply, GetGainReply);
    QTRY_COMPARE_WITH_TIMEOUT(rig.protocol.lines, QList<QByteArray>{"GA \"Gain1\">2=-6.0"},
                              Patience);
    QCOMPARE(rig.device.commandCount(GetGain), 1);
    QCOMPARE(rig.failures.size(), 0);
    QCOMPARE(rig.protocol.timeouts, QStringList());
}

// A write that does not go out counts as an attempt: three, then the
// message is dropped instead of being written on every tick.
void TestITcpClientThread::failedWriteCountsAsAttempt()
{
    QList<IInterface::Message> queue;
    QSemaphore queueSemaphore;
    QList<QByteArray> replies;
    QSemaphore replySemaphore;
    ITcpClientThread dispatcher;
    dispatcher.setSharedQueues(&queue, &queueSemaphore, &replies, &replySemaphore);
    int writes = 0;
    connect(&dispatcher, &ITcpClientThread::sendMessage, this,
            [&writes](const QByteArray &bytes, uint &bytesWritten) {
                ++writes;
                // Only the marker goes out whole.
                bytesWritten = uint(bytes.startsWith("MARK") ? bytes.size() : bytes.size() / 2);
            });
    QSignalSpy failures(&dispatcher, &ITcpClientThread::messageError);
    dispatcher.onStartMessageProcessing();

    // Queued as a client does: counted, then announced.
    queue.append({IInterface::SendWaitAck, SetGain + '\r', QByteArray(), 200});
    queueSemaphore.release();
    dispatcher.onMessageQueued();
    QTRY_COMPARE_WITH_TIMEOUT(failures.size(), 3, Patience);
    QCOMPARE(writes, 3);
    QCOMPARE(dispatcher.state(), int(ITcpClientThread::Idle));

    // The next message is dealt with normally.
    queue.append({IInterface::SendNoReply, "MARK\r", QByteArray(), 200});
    queueSemaphore.release();
    dispatcher.onMessageQueued();
    QTRY_COMPARE_WITH_TIMEOUT(dispatcher.state(), int(ITcpClientThread::Idle), Patience);
    QTRY_COMPARE_WITH_TIMEOUT(writes, 4, Patience);
    QCOMPARE(failures.size(), 3);
    dispatcher.onQuitMessageProcessing();
}

void TestITcpClientThread::messagesQueuedOfflineAreDropped()
{
    Rig rig;
    QVERIFY(rig.open());
    rig.client.dispatcher()->onQuitMessageProcessing();
    rig.send(SetGain, IInterface::SendWaitAck);
    rig.client.dispatcher()->onStartMessageProcessing();
    QVERIFY(rig.sync());
    QCOMPARE(rig.device.commandCount(SetGain), 0);
}

void TestITcpClientThread::tickStandsStillOnceAllIsDone_data()
{
    QTest::addColumn<QByteArray>("command");
    QTest::addColumn<int>("type");
    QTest::addColumn<QByteArray>("expected");
    QTest::addColumn<Response>("response");
    QTest::addColumn<bool>("subscribed");
    QTest::addColumn<int>("writes");

    const Response answer = Response::answer("GA \"Gain1\">2=-6.0\r");
    QTest::newRow("acknowledged") << SetGain << int(IInterface::SendWaitAck) << QByteArray()
                                  << Response::acknowledge() << false << 1;
    QTest::newRow("answered") << GetGain << int(IInterface::SendWaitReply)
                              << QByteArray(GetGainReply) << answer << false << 1;
    QTest::newRow("no reply awaited") << SetGain << int(IInterface::SendNoReply) << QByteArray()
                                      << Response::silent() << false << 1;
    QTest::newRow("refused, given up") << SetGain << int(IInterface::SendWaitAck) << QByteArray()
                                       << Response::refuse() << false << 3;
    QTest::newRow("unanswered, given up") << GetGain << int(IInterface::SendWaitReply)
                                          << QByteArray(GetGainReply) << Response::silent()
                                          << false << 3;
    QTest::newRow("subscribed, answered") << GetGain << int(IInterface::SendWaitReply)
                                          << QByteArray(GetGainReply) << answer << true << 1;
}

// An idle dispatcher does not tick: with nothing queued, nothing in flight
// and nothing to write again, its tick stops, and stays stopped.
void TestITcpClientThread::tickStandsStillOnceAllIsDone()
{
    QFETCH(QByteArray, command);
    QFETCH(int, type);
    QFETCH(QByteArray, expected);
    QFETCH(Response, response);
    QFETCH(bool, subscribed);
    QFETCH(int, writes);

    Rig rig;
    rig.device.setResponse(command.left(2), response);
    QVERIFY(rig.open());
    rig.client.setSubscribed(subscribed);
    const ITcpClientThread *pDispatcher = rig.client.dispatcher();
    const QTimer *pTick = pDispatcher->dispatchTimer();
    QVERIFY(pDispatcher->isProcessing());
    QVERIFY(!pTick->isActive()); // connected, nothing queued yet

    rig.send(command, type, expected.constData());
    QVERIFY(pTick->isActive());
    QTRY_COMPARE_WITH_TIMEOUT(rig.device.commandCount(command), writes, Patience);
    QTRY_VERIFY_WITH_TIMEOUT(!pTick->isActive(), Patience);
    QCOMPARE(pDispatcher->state(), int(ITcpClientThread::Idle));
    QSignalSpy ticks(pTick, &QTimer::timeout);
    QVERIFY(!ticks.wait(20 * ITcpClientThread::DispatchIntervalMs));
    QCOMPARE(rig.device.commandCount(command), writes);
    QCOMPARE(rig.failures.size(), writes == 1 ? 0 : writes);
}

// After a while of idling, a queued message wakes the dispatcher: it goes
// out at once, its reply is read, the tick runs at its usual interval
// again, and the messages queued behind it follow one tick apart, in order.
void TestITcpClientThread::messageQueuedToAnIdleDispatcherIsSent()
{
    Rig rig;
    rig.device.setResponse("GA", Response::answer("GA \"Gain1\">2=-6.0\r"));
    QVERIFY(rig.open());
    const QTimer *pTick = rig.client.dispatcher()->dispatchTimer();
    QSignalSpy ticks(pTick, &QTimer::timeout);
    QVERIFY(!ticks.wait(20 * ITcpClientThread::DispatchIntervalMs));

    // The message leaves at the wake, before the first tick of the rhythm.
    // Written inside a tick, the tick has fired; written at the wake, it is
    // still pending.
    QStringList sends;
    QObject::connect(rig.client.dispatcher(), &ITcpClientThread::sendMessage, &rig.client,
                     [&sends, pTick] { sends << (pTick->isActive() ? "before the tick" : "at a tick"); },
                     Qt::DirectConnection);
    rig.send(GetGain, IInterface::SendWaitReply, GetGainReply);
    QVERIFY(pTick->isActive());
    QCOMPARE(pTick->interval(), 10);
    QTRY_COMPARE_WITH_TIMEOUT(rig.protocol.lines, QList<QByteArray>{"GA \"Gain1\">2=-6.0"},
                              Patience);
    QCOMPARE(rig.device.commandCount(GetGain), 1);
    QCOMPARE(sends.value(0), QString("before the tick"));
    QTRY_VERIFY_WITH_TIMEOUT(!pTick->isActive(), Patience);

    // Idle again; then several at once.
    ticks.clear();
    QVERIFY(!ticks.wait(20 * ITcpClientThread::DispatchIntervalMs));
    const QList<QByteArray> sets = {"SA \"Gain1\">2=-1.0", "SA \"Gain1\">2=-2.0",
                                    "SA \"Gain1\">2=-3.0"};
    for (const QByteArray &set : sets)
        rig.send(set, IInterface::SendWaitAck);
    rig.send(GetGain, IInterface::SendWaitReply, GetGainReply);
    QTRY_COMPARE_WITH_TIMEOUT(rig.protocol.lines.size(), 2, Patience);
    QCOMPARE(rig.protocol.lines.last(), QByteArray("GA \"Gain1\">2=-6.0"));
    const QList<QByteArray> texts = rig.device.commandTexts();
    QCOMPARE(texts.mid(texts.size() - 4), sets + QList<QByteArray>{GetGain});
    QList<qint64> times;
    for (const SimulatedVdsDevice::Command &command : rig.device.commands())
        times.append(command.atMs);
    times = times.mid(times.size() - 4);
    for (int i = 1; i < times.size(); ++i) {
        const qint64 gap = times.at(i) - times.at(i - 1);
        QVERIFY2(gap >= ITcpClientThread::DispatchIntervalMs / 2,
                 qPrintable(QStringLiteral("messages %1 ms apart").arg(gap)));
    }
    QCOMPARE(rig.failures.size(), 0);
    QTRY_VERIFY_WITH_TIMEOUT(!pTick->isActive(), Patience);
}

// Subscribed, a report of the device that waits beside a queued message is
// read at a later tick, though the message leaves nothing in flight; and
// what came before the subscription is read once it holds.
void TestITcpClientThread::subscribedReportBesideAMessageIsRead()
{
    QList<IInterface::Message> queue;
    QSemaphore queueSemaphore;
    QList<QByteArray> replies;
    QSemaphore replySemaphore;
    RecordingProtocol owner;
    ITcpClientThread dispatcher;
    dispatcher.setSharedQueues(&queue, &queueSemaphore, &replies, &replySemaphore);
    dispatcher.setOwner(&owner);
    QList<QByteArray> written;
    connect(&dispatcher, &ITcpClientThread::sendMessage, this,
            [&written](const QByteArray &bytes, uint &bytesWritten) {
                written.append(bytes);
                bytesWritten = uint(bytes.size());
            });
    dispatcher.onStartMessageProcessing();
    replies.append("GA \"Gain1\">2=-1.0");
    replySemaphore.release();
    dispatcher.setSubscribed(true);
    QTRY_COMPARE_WITH_TIMEOUT(owner.lines, QList<QByteArray>{"GA \"Gain1\">2=-1.0"}, Patience);
    QTRY_VERIFY_WITH_TIMEOUT(!dispatcher.dispatchTimer()->isActive(), Patience);
    owner.lines.clear();

    replies.append("GA \"Gain1\">2=-3.0");
    replySemaphore.release();
    queue.append({IInterface::SendNoReply, SetGain + '\r', QByteArray(), 200});
    queueSemaphore.release();
    dispatcher.onMessageQueued();
    QTRY_COMPARE_WITH_TIMEOUT(written, QList<QByteArray>{SetGain + '\r'}, Patience);
    QTRY_COMPARE_WITH_TIMEOUT(owner.lines, QList<QByteArray>{"GA \"Gain1\">2=-3.0"}, Patience);
    QTRY_VERIFY_WITH_TIMEOUT(!dispatcher.dispatchTimer()->isActive(), Patience);
    dispatcher.onQuitMessageProcessing();
}

VR_TEST_MAIN(TestITcpClientThread)
#include "tst_itcpclientthread.moc"
