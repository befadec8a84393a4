#include "VrTest.h"

#include "RecordingProtocol.h"
#include "SimulatedVentraArray.h"
#include "comms/IUDPClient.h"
#include "comms/IUDPClientThread.h"
#include "comms/ReplyTags.h"

#include <QHostAddress>
#include <QSignalSpy>
#include <QUdpSocket>

namespace {

constexpr int Patience = 8000; // ms; generous for loaded machines

using Fault = SimulatedVentraArray::Fault;

const QString Nack = ReplyTags::nackReceived();
const QString Unknown = ReplyTags::unknownReceived();
const QString NetworkError = ReplyTags::networkError();

// A client aimed at a simulated array, with a recording owner.
struct Rig
{
    SimulatedVentraArray array;
    RecordingProtocol owner;
    IUDPClient client;
    QSignalSpy failures{client.dispatcher(), &IUDPClientThread::messageError};

    Rig()
    {
        client.setAddress(QHostAddress(QHostAddress::LocalHost));
        client.setPort(array.port());
        client.setOwner(&owner);
    }

    void send(const QByteArray &bytes, int type, const QByteArray &expected)
    {
        client.send(bytes.constData(), int(bytes.size()), type, expected.constData(), 200);
    }

    // Until the dispatcher has finished with everything it was given.
    bool settled()
    {
        return QTest::qWaitFor(
            [this]() { return !client.dispatcher()->isProcessing() && array.answersPending() == 0; },
            Patience);
    }
};

QList<qint64> arrivalTimes(const SimulatedVentraArray &array)
{
    QList<qint64> times;
    for (const SimulatedVentraArray::Datagram &datagram : array.datagrams())
        times.append(datagram.atMs);
    return times;
}

} // namespace

class TestIUDPClient : public QObject
{
    Q_OBJECT

private slots:
    void transportWithoutConnectionState();
    void directAndQueuedSends();
    void replyCheck_data();
    void replyCheck();
    void silenceIsWrittenFourTimes();
    void datagramFramesOneReply_data();
    void datagramFramesOneReply();
    void datagramFromAnotherPortIsDropped();
    void failureCountWrapsAfterTwelve();
    void closingEndsEveryRequest();
    void requestSentFromAnAnswerGoesOut();
    void tickStandsStillOnceAllIsDone();
};

void TestIUDPClient::transportWithoutConnectionState()
{
    IUDPClient client;
    QCOMPARE(client.typeName(), QStringLiteral("UDPClient Interface"));
    QCOMPARE(client.stateText(), QStringLiteral(" - Unknown State"));
    QVERIFY(!client.hasConnectionState());
    QCOMPARE(client.connectionState(), 0);
    QVERIFY(!client.close());

    // An array on this machine: the socket stays on the loopback.
    client.setAddress(QHostAddress(QStringLiteral("127.0.0.1")));
    QSignalSpy state(&client, &IInterface::interfaceStateChanged);
    QVERIFY(client.open());
    QVERIFY(client.localPort() != 0);
    QCOMPARE(client.socket()->localAddress(), QHostAddress(QHostAddress::LocalHost));
    QVERIFY(!client.isConnected());
    QCOMPARE(state.size(), 0);
    QVERIFY(client.close());
    QVERIFY(!client.isOpen());
    QCOMPARE(client.localPort(), quint16(0));
}

void TestIUDPClient::directAndQueuedSends()
{
    Rig rig;
    // Without a socket nothing goes, but the dispatcher is started.
    rig.send("ARRAY\r", IInterface::SendDirect, "ARRAY");
    QVERIFY(rig.client.dispatcher()->isProcessing());
    QVERIFY(rig.client.close() == false);
    QVERIFY(!rig.client.dispatcher()->isProcessing());

    QVERIFY(rig.client.open());
    QCOMPARE(rig.client.send("ARRAY\r", 6, IInterface::SendDirect, "ARRAY", 200), 6);
    QTRY_COMPARE_WITH_TIMEOUT(rig.array.datagramCount("ARRAY"), 1, Patience);
    // Written at once, past the dispatcher: its answer is nobody's.
    QTRY_COMPARE_WITH_TIMEOUT(rig.array.answersSent(), 1, Patience);
    QTRY_VERIFY_WITH_TIMEOUT(!rig.client.socket()->hasPendingDatagrams(), Patience);

    // That answer came before the next request was written: it is not
    // taken as its reply.

    QCOMPARE(rig.client.send("GCP\r", 4, IInterface::SendWaitReply, "GCP", 200), 0);
    QVERIFY(rig.settled());
    QCOMPARE(rig.owner.lines, QList<QByteArray>{"GCP 1"});
    QCOMPARE(rig.owner.errorTexts, QStringList{"GCP"});
    QCOMPARE(rig.array.datagramCount("GCP"), 1);
    QVERIFY(!rig.client.dispatcher()->isProcessing());
    QCOMPARE(rig.owner.timeouts, QStringList());
}

void TestIUDPClient::replyCheck_data()
{
    QTest::addColumn<QByteArray>("faultPrefix");
    QTest::addColumn<int>("faultKind");
    QTest::addColumn<int>("faultTimes");
    QTest::addColumn<QByteArray>("faultText");
    QTest::addColumn<int>("faultDelay");
    QTest::addColumn<bool>("ackPrefix");
    QTest::addColumn<int>("type");
    QTest::addColumn<QByteArray>("request");
    QTest::addColumn<QByteArray>("expected");
    QTest::addColumn<QList<QByteArray>>("lines");
    QTest::addColumn<QStringList>("statuses");
    QTest::addColumn<int>("datagrams");

    const int none = 0;
    const QByteArray batch = "STATUS 1 1\rSTATUS 1 0\rDRIVERFAULTS 1\r";
    const QByteArray batchExpected = batch;

    QTest::newRow("text reply") << QByteArray("-") << none << 0 << QByteArray() << 0 << false
                                << int(IInterface::SendWaitReply) << QByteArray("STATUS 1 1\r")
                                << QByteArray("STATUS 1 1") << QList<QByteArray>{"STATUS 1 1 0"}
                                << QStringList{"STATUS 1 1"} << 1;
    QTest::newRow("ACK with a text: the ACK goes")
        << QByteArray("-") << none << 0 << QByteArray() << 0 << true << int(IInterface::SendWaitReply)
        << QByteArray("STATUS 1 1\r") << QByteArray("STATUS 1 1")
        << QList<QByteArray>{"STATUS 1 1 0"} << QStringList{"STATUS 1 1"} << 1;
    QTest::newRow("ACK alone is written again")
        << QByteArray("STATUS") << int(Fault::AckOnly) << 1 << QByteArray() << 0 << false
        << int(IInterface::SendWaitReply) << QByteArray("STATUS 1 1\r") << QByteArray("STATUS 1 1")
        << QList<QByteArray>{"STATUS 1 1 0"} << QStringList{"STATUS 1 1"} << 2;
    QTest::newRow("NACK is a refusal")
        << QByteArray("STATUS") << int(Fault::Refuse) << -1 << QByteArray() << 0 << false
        << int(IInterface::SendWaitReply) << QByteArray("STATUS 1 1\r") << QByteArray("STATUS 1 1")
        << QList<QByteArray>{"STATUS 1 1"} << QStringList{Nack + "STATUS 1 1"} << 1;
    QTest::newRow("NACK BUSY twice, then the answer")
        << QByteArray("STATUS") << int(Fault::Busy) << 2 << QByteArray() << 0 << false
        << int(IInterface::SendWaitReply) << QByteArray("STATUS 1 1\r") << QByteArray("STATUS 1 1")
        << QList<QByteArray>{"STATUS 1 1 0"} << QStringList{"STATUS 1 1"} << 3;
    QTest::newRow("NACK BUSY four times gives up")
        << QByteArray("STATUS") << int(Fault::Busy) << -1 << QByteArray() << 0 << false
        << int(IInterface::SendWaitReply) << QByteArray("STATUS 1 1\r") << QByteArray("STATUS 1 1")
        << QList<QByteArray>{"Timeout occoured"} << QStringList{NetworkError + "STATUS 1 1"} << 4;
    QTest::newRow("another text is written again")
        << QByteArray("STATUS") << int(Fault::ReplaceLine) << 1 << QByteArray("GCP 1") << 0 << false
        << int(IInterface::SendWaitReply) << QByteArray("STATUS 1 1\r") << QByteArray("STATUS 1 1")
        << QList<QByteArray>{"STATUS 1 1 0"} << QStringList{"STATUS 1 1"} << 2;
    QTest::newRow("batch, line by line")
        << QByteArray("-") << none << 0 << QByteArray() << 0 << false << int(IInterface::SendBatch)
        << batch << batchExpected
        << QList<QByteArray>{"STATUS 1 1 0", "STATUS 1 0 0", "DRIVERFAULTS 1 0x00000000"}
        << QStringList{"STATUS 1 1", "STATUS 1 0", "DRIVERFAULTS 1"} << 1;
    QTest::newRow("batch with a refused middle line")
        << QByteArray("STATUS 1 0") << int(Fault::Refuse) << -1 << QByteArray() << 0 << false
        << int(IInterface::SendBatch) << batch << batchExpected
        << QList<QByteArray>{"STATUS 1 1 0", "STATUS 1 0", "DRIVERFAULTS 1 0x00000000"}
        << QStringList{"STATUS 1 1", Nack + "STATUS 1 0", "DRIVERFAULTS 1"} << 1;
    QTest::newRow("batch with a line for another request")
        << QByteArray("STATUS 1 0") << int(Fault::ReplaceLine) << -1 << QByteArray("GCP 1") << 0
        << false << int(IInterface::SendBatch) << batch << batchExpected
        << QList<QByteArray>{"STATUS 1 1 0", "GCP 1", "DRIVERFAULTS 1 0x00000000"}
        << QStringList{"STATUS 1 1", Unknown + "STATUS 1 0", "DRIVERFAULTS 1"} << 1;
    // An empty line still answers its position: its request would wait
    // for ever otherwise.
    QTest::newRow("batch with an empty line")
        << QByteArray("STATUS 1 0") << int(Fault::ReplaceLine) << -1 << QByteArray("ACK") << 0 << false
        << int(IInterface::SendBatch) << batch << batchExpected
        << QList<QByteArray>{"STATUS 1 1 0", "", "DRIVERFAULTS 1 0x00000000"}
        << QStringList{"STATUS 1 1", Unknown + "STATUS 1 0", "DRIVERFAULTS 1"} << 1;
    QTest::newRow("batch split over two datagrams is written again")
        << QByteArray("STATUS") << int(Fault::Split) << 1 << QByteArray() << 150 << false
        << int(IInterface::SendBatch) << batch << batchExpected
        << QList<QByteArray>{"STATUS 1 1 0", "STATUS 1 0 0", "DRIVERFAULTS 1 0x00000000"}
        << QStringList{"STATUS 1 1", "STATUS 1 0", "DRIVERFAULTS 1"} << 2;
    QTest::newRow("batch with a stray line is written again")
        << QByteArray("STATUS") << int(Fault::StrayLine) << 1 << QByteArray("GCP 1") << 0 << false
        << int(IInterface::SendBatch) << batch << batchExpected
        << QList<QByteArray>{"STATUS 1 1 0", "STATUS 1 0 0", "DRIVERFAULTS 1 0x00000000"}
        << QStringList{"STATUS 1 1", "STATUS 1 0", "DRIVERFAULTS 1"} << 2;
    QTest::newRow("batch busy in the middle stops there")
        << QByteArray("STATUS 1 0") << int(Fault::ReplaceLine) << 1 << QByteArray("NACK BUSY") << 0
        << false << int(IInterface::SendBatch) << batch << batchExpected
        << QList<QByteArray>{"STATUS 1 1 0", "STATUS 1 1 0", "STATUS 1 0 0",
                             "DRIVERFAULTS 1 0x00000000"}
        << QStringList{"STATUS 1 1", "STATUS 1 1", "STATUS 1 0", "DRIVERFAULTS 1"} << 2;
}

void TestIUDPClient::replyCheck()
{
    QFETCH(QByteArray, faultPrefix);
    QFETCH(int, faultKind);
    QFETCH(int, faultTimes);
    QFETCH(QByteArray, faultText);
    QFETCH(int, faultDelay);
    QFETCH(bool, ackPrefix);
    QFETCH(int, type);
    QFETCH(QByteArray, request);
    QFETCH(QByteArray, expected);
    QFETCH(QList<QByteArray>, lines);
    QFETCH(QStringList, statuses);
    QFETCH(int, datagrams);

    Rig rig;
    rig.array.setAckPrefix(ackPrefix);
    if (faultTimes != 0) {
        Fault fault;
        fault.kind = Fault::Kind(faultKind);
        fault.times = faultTimes;
        fault.text = faultText;
        fault.delayMs = faultDelay;
        rig.array.addFault(faultPrefix, fault);
    }
    QVERIFY(rig.client.open());
    rig.send(request, type, expected);
    QVERIFY(rig.settled());
    QCOMPARE(rig.owner.lines, lines);
    QCOMPARE(rig.owner.errorTexts, statuses);
    QCOMPARE(rig.array.datagramCount(), datagrams);
    for (const SimulatedVentraArray::Datagram &datagram : rig.array.datagrams())
        QCOMPARE(datagram.bytes, request);
    QCOMPARE(rig.failures.size(), datagrams - 1 + (lines.value(0) == "Timeout occoured" ? 1 : 0));
    // The UDP dispatcher ends a request itself; it never reports a time-out.
    QCOMPARE(rig.owner.timeouts, QStringList());
}

// Without an answer the request goes out four times, a reply time-out
// apart, then the owner hears that it was given up.
void TestIUDPClient::silenceIsWrittenFourTimes()
{
    Rig rig;
    rig.array.addFault("STATUS", {Fault::Silence});
    QVERIFY(rig.client.open());
    rig.send("STATUS 1 1\r", IInterface::SendWaitReply, "STATUS 1 1");
    QTRY_COMPARE_WITH_TIMEOUT(rig.owner.lines.size(), 1, Patience);
    QCOMPARE(rig.owner.lines.first(), QByteArray("Timeout occoured"));
    QCOMPARE(rig.owner.errorTexts.first(), NetworkError + "STATUS 1 1");
    const QList<qint64> times = arrivalTimes(rig.array);
    QCOMPARE(times.size(), 4);
    for (int i = 1; i < times.size(); ++i) {
        const qint64 gap = times.at(i) - times.at(i - 1);
        QVERIFY2(gap >= 180 && gap < 2000, qPrintable(QString::number(gap)));
    }
    QCOMPARE(rig.failures.size(), 4);
    QVERIFY(rig.settled());
    QCOMPARE(rig.owner.lines.size(), 1);
}

void TestIUDPClient::datagramFramesOneReply_data()
{
    QTest::addColumn<QByteArray>("datagram");
    QTest::addColumn<QList<QByteArray>>("lines");
    QTest::newRow("carriage return") << QByteArray("GCP 4\r") << QList<QByteArray>{"GCP 4"};
    QTest::newRow("semicolon and carriage return")
        << QByteArray("GCP 4;\r") << QList<QByteArray>{"GCP 4"};
    QTest::newRow("only one semicolon goes")
        << QByteArray("GCP 4;;\r") << QList<QByteArray>{"GCP 4;"};
    QTest::newRow("a semicolon inside stays")
        << QByteArray("GCP 4;5\r") << QList<QByteArray>{"GCP 4;5"};
    QTest::newRow("lone semicolon is nothing") << QByteArray(";") << QList<QByteArray>{};
    QTest::newRow("lone carriage return is nothing") << QByteArray("\r") << QList<QByteArray>{};
    QTest::newRow("zero bytes") << QByteArray() << QList<QByteArray>{};
}

// Each datagram is one reply: one trailing carriage return and then one
// ";" are dropped; what is left empty is no reply.
void TestIUDPClient::datagramFramesOneReply()
{
    QFETCH(QByteArray, datagram);
    QFETCH(QList<QByteArray>, lines);

    Rig rig;
    rig.array.addFault("GCP", {Fault::Silence});
    QVERIFY(rig.client.open());
    rig.send("GCP\r", IInterface::SendWaitReply, "GCP");
    QTRY_COMPARE_WITH_TIMEOUT(rig.array.datagramCount(), 1, Patience);
    rig.array.push(datagram);
    if (lines.isEmpty()) {
        // Nothing taken: the request times out and is written again.
        QTRY_COMPARE_WITH_TIMEOUT(rig.array.datagramCount(), 2, Patience);
        QCOMPARE(rig.owner.lines, QList<QByteArray>());
    } else {
        QTRY_COMPARE_WITH_TIMEOUT(rig.owner.lines, lines, Patience);
        QCOMPARE(rig.array.datagramCount(), 1);
    }
}

// Only the array answers: a datagram from any other port is dropped, so
// the request still waits for the array's own reply.
void TestIUDPClient::datagramFromAnotherPortIsDropped()
{
    Rig rig;
    rig.array.addFault("STATUS", {Fault::Late, 1, 300, {}});
    QVERIFY(rig.client.open());
    QUdpSocket stranger;
    QVERIFY(stranger.bind(QHostAddress(QHostAddress::LocalHost), 0));
    rig.send("STATUS 1 1\r", IInterface::SendWaitReply, "STATUS 1 1");
    QTRY_COMPARE_WITH_TIMEOUT(rig.array.datagramCount(), 1, Patience);
    stranger.writeDatagram("STATUS 1 1 1101\r", QHostAddress(QHostAddress::LocalHost),
                           rig.client.localPort());

    QVERIFY(rig.settled());
    QVERIFY(!rig.owner.lines.isEmpty());
    QVERIFY(!rig.owner.lines.contains("STATUS 1 1 1101"));
    QCOMPARE(rig.owner.lines.first(), QByteArray("STATUS 1 1 0"));
}

void TestIUDPClient::failureCountWrapsAfterTwelve()
{
    Rig rig;
    rig.array.addFault("", {Fault::Busy});
    QList<int> counts;
    // After the client's own slot, which was connected first.
    connect(rig.client.dispatcher(), &IUDPClientThread::messageError, &rig.client,
            [&]() { counts.append(rig.client.failureCount()); });
    QVERIFY(rig.client.open());
    // Four failures each.
    for (int i = 0; i < 4; ++i)
        rig.send("GCP\r", IInterface::SendWaitReply, "GCP");
    QVERIFY(rig.settled());
    QCOMPARE(rig.owner.lines.size(), 4);
    QCOMPARE(counts, (QList<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 0, 1, 2, 3}));
}

// Closing answers the request in flight and every queued one as given up,
// each with its own expected text, in sending order.
void TestIUDPClient::closingEndsEveryRequest()
{
    Rig rig;
    rig.array.addFault("", {Fault::Silence});
    QVERIFY(rig.client.open());
    rig.send("STATUS 1 1\r", IInterface::SendWaitReply, "STATUS 1 1");
    rig.send("GCP\rARRAY\r", IInterface::SendBatch, "GCP\rARRAY\r");
    QTRY_COMPARE_WITH_TIMEOUT(rig.array.datagramCount(), 1, Patience);

    QVERIFY(rig.client.close());
    QCOMPARE(rig.owner.lines, (QList<QByteArray>{"Timeout occoured", "Timeout occoured"}));
    QCOMPARE(rig.owner.errorTexts,
             (QStringList{NetworkError + "STATUS 1 1", NetworkError + "GCP\rARRAY\r"}));
    QVERIFY(!rig.client.dispatcher()->isProcessing());
    // Nothing is written after the close.
    QVERIFY(rig.client.open());
    QVERIFY(rig.settled());
    QCOMPARE(rig.array.datagramCount(), 1);
    QCOMPARE(rig.owner.lines.size(), 2);
}

namespace {

// An owner that sends a new request from inside the answer to the first.
class ResendingOwner : public RecordingProtocol
{
public:
    bool onDataReceived(const QByteArray &data, const QString &errorText) override
    {
        RecordingProtocol::onDataReceived(data, errorText);
        if (pClient && lines.size() == 1) {
            pClient->close();
            pClient->open();
            pClient->send("GCP\r", 4, IInterface::SendWaitReply, "GCP", 200);
        }
        return true;
    }
    IUDPClient *pClient = nullptr;
};

} // namespace

// The owner closes, reopens and sends while its answer is delivered: the
// dispatcher leaves the old request alone and serves the new one.
void TestIUDPClient::requestSentFromAnAnswerGoesOut()
{
    SimulatedVentraArray array;
    ResendingOwner owner;
    IUDPClient client;
    owner.pClient = &client;
    client.setAddress(QHostAddress(QHostAddress::LocalHost));
    client.setPort(array.port());
    client.setOwner(&owner);
    QVERIFY(client.open());
    const QByteArray batch = "STATUS 1 1\rSTATUS 1 0\r";
    client.send(batch.constData(), int(batch.size()), IInterface::SendBatch, batch.constData(), 200);
    QTRY_COMPARE_WITH_TIMEOUT(owner.lines.size(), 3, Patience);
    // The close ends the rest of the batch; the line after it is not
    // handed on.
    QCOMPARE(owner.lines, (QList<QByteArray>{"STATUS 1 1 0", "Timeout occoured", "GCP 1"}));
    QCOMPARE(owner.errorTexts,
             (QStringList{"STATUS 1 1", ReplyTags::networkError() + batch, "GCP"}));
    QTRY_VERIFY_WITH_TIMEOUT(!client.dispatcher()->isProcessing(), Patience);
    QCOMPARE(array.datagramCount(), 2);
}

// A request that waits for nothing leaves the dispatcher processing but
// idle: its tick stops until the next request, which is answered.
void TestIUDPClient::tickStandsStillOnceAllIsDone()
{
    Rig rig;
    QVERIFY(rig.client.open());
    const QTimer *pTick = rig.client.dispatcher()->dispatchTimer();
    rig.send("GCP\r", IInterface::SendNoReply, "GCP");
    QVERIFY(pTick->isActive());
    QCOMPARE(pTick->interval(), 10);
    QTRY_COMPARE_WITH_TIMEOUT(rig.array.datagramCount("GCP"), 1, Patience);
    QTRY_VERIFY_WITH_TIMEOUT(!pTick->isActive(), Patience);
    QVERIFY(rig.client.dispatcher()->isProcessing());
    QSignalSpy ticks(pTick, &QTimer::timeout);
    QVERIFY(!ticks.wait(20 * IUDPClientThread::DispatchIntervalMs));

    rig.send("GCP\r", IInterface::SendWaitReply, "GCP");
    QVERIFY(pTick->isActive());
    QTRY_COMPARE_WITH_TIMEOUT(rig.owner.lines, QList<QByteArray>{"GCP 1"}, Patience);
    QCOMPARE(rig.array.datagramCount("GCP"), 2);
    QVERIFY(rig.settled());
    QVERIFY(!pTick->isActive());
    QCOMPARE(rig.failures.size(), 0);
}

VR_TEST_MAIN(TestIUDPClient)
#include "tst_iudpclient.moc"
