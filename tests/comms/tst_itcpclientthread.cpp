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

    queue.append({IInterface::SendWaitAck, SetGain + '\r', QByteArray(), 200});
    queueSemaphore.release();
    QTRY_COMPARE_WITH_TIMEOUT(failures.size(), 3, Patience);
    QCOMPARE(writes, 3);
    QCOMPARE(dispatcher.state(), int(ITcpClientThread::Idle));

    // The next message is dealt with normally.
    queue.append({IInterface::SendNoReply, "MARK\r", QByteArray(), 200});
    queueSemaphore.release();
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

VR_TEST_MAIN(TestITcpClientThread)
#include "tst_itcpclientthread.moc"
