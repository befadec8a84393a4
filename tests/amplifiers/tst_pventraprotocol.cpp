#include "VrTest.h"

#include "NodeProperties.h"
#include "SimulatedVentraArray.h"
#include "amplifiers/PVentraProtocol.h"
#include "comms/IUDPClient.h"
#include "comms/IUDPClientThread.h"
#include "comms/ReplyTags.h"
#include "comms/TStrV.h"
#include "comms/TText.h"
#include "devices/HChassis.h"

#include <QHash>
#include <QHostAddress>
#include <QSignalSpy>

#include <memory>
#include <vector>

namespace {

constexpr int Patience = 8000; // ms; generous for loaded machines

using Fault = SimulatedVentraArray::Fault;

const QString Nack = ReplyTags::nackReceived();
const QString Unknown = ReplyTags::unknownReceived();
const QString NetworkError = ReplyTags::networkError();
const QString TimedOut = QStringLiteral("Timeout occoured");

// A transport that keeps what it is given and answers nothing.
class RecordingTransport : public IInterface
{
public:
    struct Sent
    {
        QByteArray data;
        int type;
        QByteArray expected;
        int timeoutMs;
    };

    int send(const char *data, int length, int messageType, const char *expectedReply,
             int timeoutMs) override
    {
        sent.append({QByteArray(data, length), messageType, QByteArray(expectedReply), timeoutMs});
        return 0;
    }
    void startConnection() override { ++starts; }

    QList<Sent> sent;
    int starts = 0;
};

// The requests of one test: TTexts that count their answers.
struct Requests
{
    TText *make(int id, const QString &text = QString())
    {
        texts.push_back(std::make_unique<TText>());
        TText *pText = texts.back().get();
        pText->setCommandId(id);
        pText->setText(text);
        QObject::connect(pText, &TTransform::replyValueReady, pText, [this, pText]() {
            ++answers[pText];
            order.append(pText);
        });
        return pText;
    }

    void remove(TText *pText)
    {
        for (auto it = texts.begin(); it != texts.end(); ++it) {
            if (it->get() == pText) {
                texts.erase(it);
                return;
            }
        }
    }

    // Every TText still here was answered exactly once.
    bool eachAnsweredOnce() const
    {
        for (const auto &pText : texts) {
            if (answers.value(pText.get()) != 1) {
                qWarning() << "request" << pText->commandId() << "answered"
                           << answers.value(pText.get()) << "times";
                return false;
            }
        }
        return true;
    }

    std::vector<std::unique_ptr<TText>> texts;
    QHash<const TText *, int> answers;
    QList<const TText *> order;
};

// The protocol on a UDP client aimed at a simulated array.
struct ArrayRig
{
    SimulatedVentraArray array;
    IUDPClient client;
    PVentraProtocol protocol;
    Requests requests;

    ArrayRig()
    {
        client.setAddress(QHostAddress(QHostAddress::LocalHost));
        client.setPort(array.port());
        client.setOwner(&protocol);
        protocol.setInterface(&client);
    }

    // Until nothing waits any more, and whatever the array still sent has
    // been read: a second answer to a request would show by then.
    bool settled()
    {
        const bool idle = QTest::qWaitFor(
            [this]() {
                return protocol.pendingCount() == 0 && !client.dispatcher()->isProcessing()
                    && array.answersPending() == 0;
            },
            Patience);
        return idle && QTest::qWaitFor(
                   [this]() { return !client.socket() || !client.socket()->hasPendingDatagrams(); },
                   Patience);
    }
};

} // namespace

class TestPVentraProtocol : public QObject
{
    Q_OBJECT

private slots:
    void commandTable_data();
    void commandTable();
    void textRequests_data();
    void textRequests();
    void moduleBatchIsOneDatagram();
    void refusedRequests_data();
    void refusedRequests();
    void refusedBatches();
    void batchLeavesOutWhatItCannotSend();
    void tableSearch_data();
    void tableSearch();
    void versionReplyUnderItsShortPrefix();

    void againstTheArray_data();
    void againstTheArray();
    void batchAnsweredInAnyLineOrder_data();
    void batchAnsweredInAnyLineOrder();
    void samePrefixInFlightKeepsItsOrder();
    void lineOfALaterMessageDoesNotMatch();
    void offlineAnswersEveryRequest();
    void offlineAnswersWhatTheTransportCannot();
    void deletedTextWithItsReplyInFlight();
    void chassisTalksToTheArray();
};

void TestPVentraProtocol::commandTable_data()
{
    QTest::addColumn<int>("id");
    QTest::addColumn<QString>("request");
    QTest::addColumn<QString>("prefix");
    QTest::newRow("1") << 1 << QStringLiteral("ARRAY\r") << QStringLiteral("ARRAY");
    QTest::newRow("2") << 2 << QStringLiteral("AUDIOLEVEL\r") << QStringLiteral("AUDIOLEVEL");
    QTest::newRow("3") << 3 << QStringLiteral("QINMODE\r") << QStringLiteral("QINMODE");
    QTest::newRow("4") << 4 << QStringLiteral("GBKSTG\r") << QStringLiteral("GBKSTG");
    QTest::newRow("5") << 5 << QStringLiteral("GINPUT\r") << QStringLiteral("GINPUT");
    QTest::newRow("6") << 6 << QStringLiteral("GETSBST\r") << QStringLiteral("GETSBST");
    QTest::newRow("7") << 7 << QStringLiteral("GETSBTIME\r") << QStringLiteral("GETSBTIME");
    QTest::newRow("8") << 8 << QStringLiteral("GCP\r") << QStringLiteral("GCP");
    QTest::newRow("9") << 9 << QStringLiteral("STATUS 1 1\r") << QStringLiteral("STATUS 1 1");
    QTest::newRow("10") << 10 << QStringLiteral("STATUS 2 1\r") << QStringLiteral("STATUS 2 1");
    QTest::newRow("11") << 11 << QStringLiteral("STATUS 3 1\r") << QStringLiteral("STATUS 3 1");
    QTest::newRow("12") << 12 << QStringLiteral("STATUS 1 0\r") << QStringLiteral("STATUS 1 0");
    QTest::newRow("13") << 13 << QStringLiteral("STATUS 2 0\r") << QStringLiteral("STATUS 2 0");
    QTest::newRow("14") << 14 << QStringLiteral("STATUS 3 0\r") << QStringLiteral("STATUS 3 0");
    QTest::newRow("15") << 15 << QStringLiteral("DRIVERFAULTS 1\r") << QStringLiteral("DRIVERFAULTS 1");
    QTest::newRow("16") << 16 << QStringLiteral("DRIVERFAULTS 2\r") << QStringLiteral("DRIVERFAULTS 2");
    QTest::newRow("17") << 17 << QStringLiteral("DRIVERFAULTS 3\r") << QStringLiteral("DRIVERFAULTS 3");
    QTest::newRow("18") << 18 << QStringLiteral("VERSION 1\r") << QStringLiteral("FW VERSION 1");
    QTest::newRow("19") << 19 << QStringLiteral("VERSION 2\r") << QStringLiteral("FW VERSION 2");
    QTest::newRow("20") << 20 << QStringLiteral("VERSION 3\r") << QStringLiteral("FW VERSION 3");
    QTest::newRow("21") << 21 << QStringLiteral("TEMPERATURE 1 1\r") << QStringLiteral("TEMPERATURE 1 1");
    QTest::newRow("22") << 22 << QStringLiteral("TEMPERATURE 1 2\r") << QStringLiteral("TEMPERATURE 1 2");
    QTest::newRow("23") << 23 << QStringLiteral("TEMPERATURE 1 3\r") << QStringLiteral("TEMPERATURE 1 3");
    QTest::newRow("24") << 24 << QStringLiteral("TEMPERATURE 1 4\r") << QStringLiteral("TEMPERATURE 1 4");
    QTest::newRow("25") << 25 << QStringLiteral("TEMPERATURE 2 1\r") << QStringLiteral("TEMPERATURE 2 1");
    QTest::newRow("26") << 26 << QStringLiteral("TEMPERATURE 2 2\r") << QStringLiteral("TEMPERATURE 2 2");
    QTest::newRow("27") << 27 << QStringLiteral("TEMPERATURE 2 3\r") << QStringLiteral("TEMPERATURE 2 3");
    QTest::newRow("28") << 28 << QStringLiteral("TEMPERATURE 2 4\r") << QStringLiteral("TEMPERATURE 2 4");
    QTest::newRow("29") << 29 << QStringLiteral("TEMPERATURE 3 1\r") << QStringLiteral("TEMPERATURE 3 1");
    QTest::newRow("30") << 30 << QStringLiteral("TEMPERATURE 3 2\r") << QStringLiteral("TEMPERATURE 3 2");
    QTest::newRow("31") << 31 << QStringLiteral("TEMPERATURE 3 3\r") << QStringLiteral("TEMPERATURE 3 3");
    QTest::newRow("32") << 32 << QStringLiteral("TEMPERATURE 3 4\r") << QStringLiteral("TEMPERATURE 3 4");
    QTest::newRow("33") << 33 << QStringLiteral("GDESC 1 \r") << QStringLiteral("GDESC 1 ");
    QTest::newRow("34") << 34 << QStringLiteral("REBOOT\r") << QStringLiteral("REBOOT");
    QTest::newRow("35") << 35 << QStringLiteral("GDATA 1 0\r") << QStringLiteral("GDATA 1 0");
    QTest::newRow("36") << 36 << QStringLiteral("GDATA 1 1\r") << QStringLiteral("GDATA 1 1");
    QTest::newRow("37") << 37 << QStringLiteral("GDATA 1 2\r") << QStringLiteral("GDATA 1 2");
    QTest::newRow("38") << 38 << QStringLiteral("GDATA 1 3\r") << QStringLiteral("GDATA 1 3");
    QTest::newRow("39") << 39 << QStringLiteral("GDATA 1 4\r") << QStringLiteral("GDATA 1 4");
    QTest::newRow("40") << 40 << QStringLiteral("GDATA 1 5\r") << QStringLiteral("GDATA 1 5");
    QTest::newRow("41") << 41 << QStringLiteral("GDATA 1 6\r") << QStringLiteral("GDATA 1 6");
    QTest::newRow("42") << 42 << QStringLiteral("GDATA 1 7\r") << QStringLiteral("GDATA 1 7");
    QTest::newRow("43") << 43 << QStringLiteral("GDATA 1 8\r") << QStringLiteral("GDATA 1 8");
    QTest::newRow("44") << 44 << QStringLiteral("GDATA 1 9\r") << QStringLiteral("GDATA 1 9");
    QTest::newRow("45") << 45 << QStringLiteral("GDATA 2 0\r") << QStringLiteral("GDATA 2 0");
    QTest::newRow("46") << 46 << QStringLiteral("GDATA 2 1\r") << QStringLiteral("GDATA 2 1");
    QTest::newRow("47") << 47 << QStringLiteral("GDATA 2 2\r") << QStringLiteral("GDATA 2 2");
    QTest::newRow("48") << 48 << QStringLiteral("GDATA 2 3\r") << QStringLiteral("GDATA 2 3");
    QTest::newRow("49") << 49 << QStringLiteral("GDATA 2 4\r") << QStringLiteral("GDATA 2 4");
    QTest::newRow("50") << 50 << QStringLiteral("GDATA 2 5\r") << QStringLiteral("GDATA 2 5");
    QTest::newRow("51") << 51 << QStringLiteral("GDATA 2 6\r") << QStringLiteral("GDATA 2 6");
    QTest::newRow("52") << 52 << QStringLiteral("GDATA 2 7\r") << QStringLiteral("GDATA 2 7");
    QTest::newRow("53") << 53 << QStringLiteral("GDATA 2 8\r") << QStringLiteral("GDATA 2 8");
    QTest::newRow("54") << 54 << QStringLiteral("GDATA 2 9\r") << QStringLiteral("GDATA 2 9");
    QTest::newRow("55") << 55 << QStringLiteral("GDATA 3 0\r") << QStringLiteral("GDATA 3 0");
    QTest::newRow("56") << 56 << QStringLiteral("GDATA 3 1\r") << QStringLiteral("GDATA 3 1");
    QTest::newRow("57") << 57 << QStringLiteral("GDATA 3 2\r") << QStringLiteral("GDATA 3 2");
    QTest::newRow("58") << 58 << QStringLiteral("GDATA 3 3\r") << QStringLiteral("GDATA 3 3");
    QTest::newRow("59") << 59 << QStringLiteral("GDATA 3 4\r") << QStringLiteral("GDATA 3 4");
    QTest::newRow("60") << 60 << QStringLiteral("GDATA 3 5\r") << QStringLiteral("GDATA 3 5");
    QTest::newRow("61") << 61 << QStringLiteral("GDATA 3 6\r") << QStringLiteral("GDATA 3 6");
    QTest::newRow("62") << 62 << QStringLiteral("GDATA 3 7\r") << QStringLiteral("GDATA 3 7");
    QTest::newRow("63") << 63 << QStringLiteral("GDATA 3 8\r") << QStringLiteral("GDATA 3 8");
    QTest::newRow("64") << 64 << QStringLiteral("GDATA 3 9\r") << QStringLiteral("GDATA 3 9");
    QTest::newRow("65") << 65 << QStringLiteral("GDATA \r") << QStringLiteral("GDATA ");
}

// Every id: its table request, its reply prefix, and exactly those bytes
// handed to the transport with the prefix as the expected reply.
void TestPVentraProtocol::commandTable()
{
    QFETCH(int, id);
    QFETCH(QString, request);
    QFETCH(QString, prefix);

    PVentraProtocol protocol;
    QCOMPARE(protocol.requestText(id), request);
    QCOMPARE(protocol.replyPrefix(id), prefix);

    RecordingTransport transport;
    protocol.setInterface(&transport);
    Requests requests;
    TText *pText = requests.make(id);
    QVERIFY(protocol.sendValue(pText));
    QCOMPARE(transport.sent.size(), 1);
    QCOMPARE(transport.sent.at(0).data, request.toUtf8());
    QCOMPARE(transport.sent.at(0).type, int(IInterface::SendWaitReply));
    QCOMPARE(transport.sent.at(0).expected, prefix.toUtf8());
    QCOMPARE(transport.sent.at(0).timeoutMs, 200);
    QCOMPARE(pText->requestText(), prefix);
    QCOMPARE(protocol.pendingCount(), 1);
}

void TestPVentraProtocol::textRequests_data()
{
    QTest::addColumn<int>("id");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("request");
    QTest::addColumn<QString>("prefix");
    QTest::newRow("preset description") << 33 << "7" << "GDESC 1 7\r" << "GDESC 1 7";
    QTest::newRow("preset data") << 65 << "3 7" << "GDATA 3 7\r" << "GDATA 3 7";
    QTest::newRow("description without text") << 33 << "" << "GDESC 1 \r" << "GDESC 1 ";
    QTest::newRow("other ids ignore the text") << 9 << "x\ry" << "STATUS 1 1\r" << "STATUS 1 1";
}

// Sent alone, the two text commands carry the TText's outgoing text.
void TestPVentraProtocol::textRequests()
{
    QFETCH(int, id);
    QFETCH(QString, text);
    QFETCH(QString, request);
    QFETCH(QString, prefix);

    PVentraProtocol protocol;
    RecordingTransport transport;
    protocol.setInterface(&transport);
    Requests requests;
    TText *pText = requests.make(id, text);
    QVERIFY(protocol.sendValue(pText));
    QCOMPARE(transport.sent.size(), 1);
    QCOMPARE(transport.sent.at(0).data, request.toUtf8());
    QCOMPARE(transport.sent.at(0).expected, prefix.toUtf8());
    QCOMPARE(pText->requestText(), prefix);
}

void TestPVentraProtocol::moduleBatchIsOneDatagram()
{
    PVentraProtocol protocol;
    RecordingTransport transport;
    protocol.setInterface(&transport);
    Requests requests;
    QList<TTransform *> batch = {requests.make(9), requests.make(12), requests.make(15)};
    QVERIFY(protocol.sendBatch(batch));
    QCOMPARE(transport.sent.size(), 1);
    QCOMPARE(transport.sent.at(0).data, QByteArray("STATUS 1 1\rSTATUS 1 0\rDRIVERFAULTS 1\r"));
    QCOMPARE(transport.sent.at(0).type, int(IInterface::SendBatch));
    QCOMPARE(transport.sent.at(0).expected, QByteArray("STATUS 1 1\rSTATUS 1 0\rDRIVERFAULTS 1\r"));
    QCOMPARE(transport.sent.at(0).timeoutMs, 200);
    QCOMPARE(requests.texts.at(1)->requestText(), QStringLiteral("STATUS 1 0"));
    QCOMPARE(protocol.pendingCount(), 3);
}

void TestPVentraProtocol::refusedRequests_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<int>("id");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("withTransport");
    QTest::newRow("null transform") << "null" << 9 << "" << true;
    QTest::newRow("not a TText") << "strV" << 9 << "" << true;
    QTest::newRow("id 0") << "text" << 0 << "" << true;
    QTest::newRow("id 66") << "text" << 66 << "" << true;
    QTest::newRow("negative id") << "text" << -1 << "" << true;
    QTest::newRow("no transport") << "text" << 9 << "" << false;
    QTest::newRow("carriage return in the text") << "text" << 33 << "1\rREBOOT" << true;
    QTest::newRow("line feed in the text") << "text" << 65 << "1 2\n" << true;
    QTest::newRow("control character in the text") << "text" << 65 << QString(QChar(1)) << true;
}

// A request that cannot go is refused: false, nothing sent, nothing kept
// that could later be answered, nothing written on the TText.
void TestPVentraProtocol::refusedRequests()
{
    QFETCH(QString, kind);
    QFETCH(int, id);
    QFETCH(QString, text);
    QFETCH(bool, withTransport);

    PVentraProtocol protocol;
    RecordingTransport transport;
    if (withTransport)
        protocol.setInterface(&transport);
    Requests requests;
    TStrV other;
    TTransform *pTransform = nullptr;
    if (kind == QLatin1String("strV"))
        pTransform = &other;
    else if (kind == QLatin1String("text"))
        pTransform = requests.make(id, text);

    QVERIFY(!protocol.sendValue(pTransform));
    QVERIFY(transport.sent.isEmpty());
    QCOMPARE(transport.starts, 0);
    QCOMPARE(protocol.pendingCount(), 0);
    for (const auto &pText : requests.texts)
        QCOMPARE(pText->requestText(), QString());
}

void TestPVentraProtocol::refusedBatches()
{
    PVentraProtocol protocol;
    Requests requests;
    QVERIFY(!protocol.sendBatch({requests.make(9)})); // no transport
    RecordingTransport transport;
    protocol.setInterface(&transport);
    QVERIFY(!protocol.sendBatch({}));
    TStrV other;
    QVERIFY(!protocol.sendBatch({&other, requests.make(0), nullptr}));
    QVERIFY(transport.sent.isEmpty());
    QCOMPARE(protocol.pendingCount(), 0);
}

// Other transforms, ids outside the table and a second mention of one
// TText stay out of the datagram; the rest goes.
void TestPVentraProtocol::batchLeavesOutWhatItCannotSend()
{
    PVentraProtocol protocol;
    RecordingTransport transport;
    protocol.setInterface(&transport);
    Requests requests;
    TStrV other;
    TText *pFirst = requests.make(9);
    TText *pSecond = requests.make(34);
    QVERIFY(protocol.sendBatch({&other, pFirst, requests.make(70), pFirst, nullptr, pSecond}));
    QCOMPARE(transport.sent.size(), 1);
    QCOMPARE(transport.sent.at(0).data, QByteArray("STATUS 1 1\rREBOOT\r"));
    QCOMPARE(transport.sent.at(0).expected, QByteArray("STATUS 1 1\rREBOOT\r"));
    QCOMPARE(protocol.pendingCount(), 2);
}

void TestPVentraProtocol::tableSearch_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("prefix");
    QTest::newRow("lowest id first") << "GDATA 1 0 MDN1:MDC3:" << "GDATA 1 0";
    QTest::newRow("free preset data") << "GDATA 4 2 MDN1" << "GDATA ";
    QTest::newRow("firmware") << "FW VERSION 2 1.60" << "FW VERSION 2";
    QTest::newRow("version without FW") << "VERSION 2 1.60" << "";
    QTest::newRow("module first") << "STATUS 2 1 0" << "STATUS 2 1";
    QTest::newRow("last sensor") << "TEMPERATURE 3 4 50" << "TEMPERATURE 3 4";
    QTest::newRow("description") << "GDESC 1 5 Hall" << "GDESC 1 ";
    QTest::newRow("array") << "ARRAY 3" << "ARRAY";
    QTest::newRow("case matters") << "array 3" << "";
    QTest::newRow("nothing") << "" << "";
}

void TestPVentraProtocol::tableSearch()
{
    QFETCH(QString, line);
    QFETCH(QString, prefix);
    QCOMPARE(PVentraProtocol().tableSearch(line), prefix);
}

// A reply handed on under "VERSION 1" finds the request kept under
// "FW VERSION 1".
void TestPVentraProtocol::versionReplyUnderItsShortPrefix()
{
    PVentraProtocol protocol;
    RecordingTransport transport;
    protocol.setInterface(&transport);
    Requests requests;
    TText *pText = requests.make(18);
    QVERIFY(protocol.sendValue(pText));
    QVERIFY(protocol.onDataReceived("FW VERSION 1 1.60", QStringLiteral("VERSION 1")));
    QCOMPARE(pText->replyText(), QStringLiteral("FW VERSION 1 1.60"));
    QCOMPARE(pText->auxText(), QString());
    QVERIFY(requests.eachAnsweredOnce());
    QCOMPARE(protocol.pendingCount(), 0);
}

void TestPVentraProtocol::againstTheArray_data()
{
    QTest::addColumn<QByteArray>("faultPrefix");
    QTest::addColumn<int>("faultKind");
    QTest::addColumn<int>("faultTimes");
    QTest::addColumn<QByteArray>("faultText");
    QTest::addColumn<int>("faultDelay");
    QTest::addColumn<bool>("ack");
    QTest::addColumn<QByteArray>("modules");
    QTest::addColumn<bool>("batch");
    QTest::addColumn<QList<int>>("ids");
    QTest::addColumn<QStringList>("texts");
    QTest::addColumn<QStringList>("replies");
    QTest::addColumn<QStringList>("tags");
    QTest::addColumn<int>("datagrams");

    const QByteArray noFault = "-";
    const int off = 0;
    const QList<int> module1 = {9, 12, 15};
    const QStringList moduleReplies = {"STATUS 1 1 0", "STATUS 1 0 0", "DRIVERFAULTS 1 0x00000000"};
    const QStringList clean = {"", "", ""};

    QTest::newRow("ACK with a text is taken")
        << noFault << off << 0 << QByteArray() << 0 << true << QByteArray("3") << false
        << QList<int>{9} << QStringList{""} << QStringList{"STATUS 1 1 0"} << QStringList{""} << 1;
    QTest::newRow("ACK alone is sent again")
        << QByteArray("STATUS") << int(Fault::AckOnly) << 1 << QByteArray() << 0 << false
        << QByteArray("3") << false << QList<int>{9} << QStringList{""}
        << QStringList{"STATUS 1 1 0"} << QStringList{""} << 2;
    QTest::newRow("NACK is tagged refused")
        << QByteArray("STATUS") << int(Fault::Refuse) << -1 << QByteArray() << 0 << false
        << QByteArray("3") << false << QList<int>{9} << QStringList{""}
        << QStringList{"STATUS 1 1"} << QStringList{Nack} << 1;
    QTest::newRow("silence gives up after four")
        << QByteArray("STATUS") << int(Fault::Silence) << -1 << QByteArray() << 0 << false
        << QByteArray("3") << false << QList<int>{9} << QStringList{""} << QStringList{TimedOut}
        << QStringList{NetworkError} << 4;
    QTest::newRow("NACK BUSY four times gives up")
        << QByteArray("STATUS") << int(Fault::Busy) << -1 << QByteArray() << 0 << false
        << QByteArray("3") << false << QList<int>{9} << QStringList{""} << QStringList{TimedOut}
        << QStringList{NetworkError} << 4;
    QTest::newRow("late reply")
        << QByteArray("STATUS") << int(Fault::Late) << 1 << QByteArray() << 300 << false
        << QByteArray("3") << false << QList<int>{9} << QStringList{""}
        << QStringList{"STATUS 1 1 0"} << QStringList{""} << 2;
    QTest::newRow("trailing semicolon")
        << QByteArray("STATUS") << int(Fault::TrailingSemicolon) << -1 << QByteArray() << 0 << false
        << QByteArray("3") << false << QList<int>{9} << QStringList{""}
        << QStringList{"STATUS 1 1 0"} << QStringList{""} << 1;
    QTest::newRow("firmware reaches its request")
        << noFault << off << 0 << QByteArray() << 0 << false << QByteArray("3") << false
        << QList<int>{18} << QStringList{""} << QStringList{"FW VERSION 1 1.60"}
        << QStringList{""} << 1;
    QTest::newRow("array query") << noFault << off << 0 << QByteArray() << 0 << false
                                 << QByteArray("2") << false << QList<int>{1} << QStringList{""}
                                 << QStringList{"ARRAY 2"} << QStringList{""} << 1;
    QTest::newRow("module count that is no number")
        << noFault << off << 0 << QByteArray() << 0 << false << QByteArray("many") << false
        << QList<int>{1} << QStringList{""} << QStringList{"ARRAY many"} << QStringList{""} << 1;
    QTest::newRow("absent module is refused")
        << noFault << off << 0 << QByteArray() << 0 << false << QByteArray("2") << false
        << QList<int>{11} << QStringList{""} << QStringList{"STATUS 3 1"} << QStringList{Nack}
        << 1;
    QTest::newRow("preset description")
        << noFault << off << 0 << QByteArray() << 0 << false << QByteArray("3") << false
        << QList<int>{33} << QStringList{"5"} << QStringList{"GDESC 1 5 Main Hall"}
        << QStringList{""} << 1;
    QTest::newRow("preset data of a two-module array")
        << noFault << off << 0 << QByteArray() << 0 << false << QByteArray("2") << false
        << QList<int>{65} << QStringList{"3 5"} << QStringList{"GDATA 3 5 MDN2:MDC2:"}
        << QStringList{""} << 1;
    QTest::newRow("module batch") << noFault << off << 0 << QByteArray() << 0 << false
                                  << QByteArray("3") << true << module1 << clean << moduleReplies
                                  << clean << 1;
    QTest::newRow("batch with a refused middle line")
        << QByteArray("STATUS 1 0") << int(Fault::Refuse) << -1 << QByteArray() << 0 << false
        << QByteArray("3") << true << module1 << clean
        << QStringList{"STATUS 1 1 0", "STATUS 1 0", "DRIVERFAULTS 1 0x00000000"}
        << QStringList{"", Nack, ""} << 1;
    QTest::newRow("batch split over datagrams is sent again")
        << QByteArray("STATUS") << int(Fault::Split) << 1 << QByteArray() << 150 << false
        << QByteArray("3") << true << module1 << clean << moduleReplies << clean << 2;
    QTest::newRow("batch with a stray line is sent again")
        << QByteArray("STATUS") << int(Fault::StrayLine) << 1 << QByteArray("GCP 1") << 0 << false
        << QByteArray("3") << true << module1 << clean << moduleReplies << clean << 2;
    QTest::newRow("batch given up ends every request")
        << QByteArray("STATUS") << int(Fault::Silence) << -1 << QByteArray() << 0 << false
        << QByteArray("3") << true << module1 << clean
        << QStringList{TimedOut, TimedOut, TimedOut}
        << QStringList{NetworkError, NetworkError, NetworkError} << 4;
    QTest::newRow("batch with a line nobody asked for")
        << QByteArray("STATUS 1 0") << int(Fault::ReplaceLine) << -1 << QByteArray("GCP 4") << 0
        << false << QByteArray("3") << true << module1 << clean
        << QStringList{"STATUS 1 1 0", "GCP 4", "DRIVERFAULTS 1 0x00000000"}
        << QStringList{"", Unknown, ""} << 1;
    // The table search takes id 35, not 65, for "GDATA 1 0"; the request
    // at the line's own position still ends, with no reply of its own.
    QTest::newRow("line for another request of the batch")
        << QByteArray("STATUS 1 1") << int(Fault::ReplaceLine) << -1
        << QByteArray("GDATA 1 0 MDN7:MDC3:") << 0 << false << QByteArray("3") << true
        << QList<int>{9, 35} << QStringList{"", ""} << QStringList{"", "GDATA 1 0 MDN7:MDC3:"}
        << QStringList{Unknown, ""} << 1;
    QTest::newRow("same request twice in one batch")
        << noFault << off << 0 << QByteArray() << 0 << false << QByteArray("3") << true
        << QList<int>{9, 9} << QStringList{"", ""} << QStringList{"STATUS 1 1 0", "STATUS 1 1 0"}
        << QStringList{"", ""} << 1;
}

void TestPVentraProtocol::againstTheArray()
{
    QFETCH(QByteArray, faultPrefix);
    QFETCH(int, faultKind);
    QFETCH(int, faultTimes);
    QFETCH(QByteArray, faultText);
    QFETCH(int, faultDelay);
    QFETCH(bool, ack);
    QFETCH(QByteArray, modules);
    QFETCH(bool, batch);
    QFETCH(QList<int>, ids);
    QFETCH(QStringList, texts);
    QFETCH(QStringList, replies);
    QFETCH(QStringList, tags);
    QFETCH(int, datagrams);

    ArrayRig rig;
    rig.array.setAckPrefix(ack);
    rig.array.setModuleCount(modules);
    if (faultTimes != 0)
        rig.array.addFault(faultPrefix, {Fault::Kind(faultKind), faultTimes, faultDelay, faultText});
    QList<TText *> sent;
    for (int i = 0; i < ids.size(); ++i)
        sent.append(rig.requests.make(ids.at(i), texts.at(i)));

    // The protocol opens its transport itself.
    QVERIFY(!rig.client.isOpen());
    if (batch) {
        QVERIFY(rig.protocol.sendBatch(QList<TTransform *>(sent.cbegin(), sent.cend())));
    } else {
        for (TText *pText : std::as_const(sent))
            QVERIFY(rig.protocol.sendValue(pText));
    }
    QVERIFY(rig.client.isOpen());
    QVERIFY(rig.settled());

    for (int i = 0; i < sent.size(); ++i) {
        QCOMPARE(sent.at(i)->replyText(), replies.at(i));
        QCOMPARE(sent.at(i)->auxText(), tags.at(i));
    }
    QVERIFY(rig.requests.eachAnsweredOnce());
    QCOMPARE(rig.array.datagramCount(), datagrams);
}

void TestPVentraProtocol::batchAnsweredInAnyLineOrder_data()
{
    QTest::addColumn<QList<int>>("ids");
    QTest::addColumn<QList<int>>("order");
    QTest::addColumn<QStringList>("replies");
    QTest::addColumn<QStringList>("tags");

    // Module 1 reports a warning, a driver fault word and its firmware, so
    // that every line tells which request it answers.
    const QList<int> module1 = {9, 12, 15};
    const QString fault = QStringLiteral("STATUS 1 1 0");
    const QString warning = QStringLiteral("STATUS 1 0 1");
    const QString driver = QStringLiteral("DRIVERFAULTS 1 0x00000004");
    const QStringList values = {fault, warning, driver};
    const QStringList clean = {"", "", ""};

    QTest::newRow("in order") << module1 << QList<int>{0, 1, 2} << values << clean;
    QTest::newRow("last two swapped") << module1 << QList<int>{0, 2, 1} << values << clean;
    QTest::newRow("first two swapped") << module1 << QList<int>{1, 0, 2} << values << clean;
    QTest::newRow("first and last swapped") << module1 << QList<int>{2, 1, 0} << values << clean;
    QTest::newRow("turned left") << module1 << QList<int>{1, 2, 0} << values << clean;
    QTest::newRow("turned right") << module1 << QList<int>{2, 0, 1} << values << clean;

    const QList<int> wide = {9, 12, 15, 18, 21, 24, 1};
    const QStringList wideValues = {fault, warning, driver, "FW VERSION 1 1.60",
                                    "TEMPERATURE 1 1 40", "TEMPERATURE 1 4 43", "ARRAY 3"};
    QTest::newRow("seven reversed")
        << wide << QList<int>{6, 5, 4, 3, 2, 1, 0} << wideValues << QStringList(7, QString());
    QTest::newRow("seven shuffled")
        << wide << QList<int>{3, 6, 0, 5, 1, 4, 2} << wideValues << QStringList(7, QString());

    // A line given twice in place of another: the request whose line never
    // came still ends, once.
    QTest::newRow("a line twice, one missing")
        << module1 << QList<int>{1, 1, 2} << QStringList{"", warning, driver}
        << QStringList{Unknown, "", ""};
    QTest::newRow("a line twice, out of order")
        << module1 << QList<int>{2, 0, 2} << QStringList{fault, "", driver}
        << QStringList{"", Unknown, ""};
}

// However the array orders the lines of its answer to a batch, each value
// reaches the request that asked for it, and a request sent after the
// batch gets its own answer.
void TestPVentraProtocol::batchAnsweredInAnyLineOrder()
{
    QFETCH(QList<int>, ids);
    QFETCH(QList<int>, order);
    QFETCH(QStringList, replies);
    QFETCH(QStringList, tags);

    ArrayRig rig;
    rig.array.module(1).warning = "1";
    rig.array.module(1).driver = "0x00000004";
    rig.array.addFault(QByteArray(), Fault::reordered(order, 1));
    QList<TTransform *> batch;
    for (const int id : std::as_const(ids))
        batch.append(rig.requests.make(id));
    TText *pAfter = rig.requests.make(8);
    QVERIFY(rig.protocol.sendBatch(batch));
    QVERIFY(rig.protocol.sendValue(pAfter));
    QVERIFY(rig.settled());

    for (int i = 0; i < ids.size(); ++i) {
        const TText *pText = rig.requests.texts.at(size_t(i)).get();
        QCOMPARE(pText->replyText(), replies.at(i));
        QCOMPARE(pText->auxText(), tags.at(i));
    }
    QCOMPARE(pAfter->replyText(), QStringLiteral("GCP 1"));
    QCOMPARE(pAfter->auxText(), QString());
    QVERIFY(rig.requests.eachAnsweredOnce());
    QCOMPARE(rig.array.datagramCount(), 2);
}

// Two requests for the same reply in flight: the first is answered first,
// and a first one that fails does not take the second one's answer.
void TestPVentraProtocol::samePrefixInFlightKeepsItsOrder()
{
    ArrayRig rig;
    rig.array.addFault("STATUS", {Fault::Silence, 4});
    TText *pFirst = rig.requests.make(9);
    TText *pSecond = rig.requests.make(9);
    QVERIFY(rig.protocol.sendValue(pFirst));
    QVERIFY(rig.protocol.sendValue(pSecond));
    QVERIFY(rig.settled());
    QCOMPARE(pFirst->auxText(), NetworkError);
    QCOMPARE(pSecond->replyText(), QStringLiteral("STATUS 1 1 0"));
    QCOMPARE(pSecond->auxText(), QString());
    QCOMPARE(rig.requests.order, (QList<const TText *>{pFirst, pSecond}));
    QVERIFY(rig.requests.eachAnsweredOnce());
}

// A line in the answer to one message is never taken for a request of a
// message still queued behind it.
void TestPVentraProtocol::lineOfALaterMessageDoesNotMatch()
{
    ArrayRig rig;
    rig.array.addFault("STATUS 1 0", {Fault::ReplaceLine, 1, 0, "DRIVERFAULTS 1 0x00000001"});
    TText *pStatus = rig.requests.make(9);
    TText *pWarning = rig.requests.make(12);
    TText *pDriver = rig.requests.make(15);
    QVERIFY(rig.protocol.sendBatch({pStatus, pWarning}));
    QVERIFY(rig.protocol.sendValue(pDriver));
    QVERIFY(rig.settled());
    QCOMPARE(pStatus->replyText(), QStringLiteral("STATUS 1 1 0"));
    QCOMPARE(pWarning->replyText(), QStringLiteral("DRIVERFAULTS 1 0x00000001"));
    QCOMPARE(pWarning->auxText(), Unknown);
    QCOMPARE(pDriver->replyText(), QStringLiteral("DRIVERFAULTS 1 0x00000000"));
    QCOMPARE(pDriver->auxText(), QString());
    QVERIFY(rig.requests.eachAnsweredOnce());
}

// Going off line ends at once every request still waiting, in flight or
// queued; on line again the transport is opened.
void TestPVentraProtocol::offlineAnswersEveryRequest()
{
    ArrayRig rig;
    rig.array.addFault("", {Fault::Silence});
    QSignalSpy online(&rig.protocol, &PProtocol::onlineStateChanged);
    QVERIFY(!rig.protocol.onOnlineStateChanged(true));
    QVERIFY(rig.client.isOpen());
    TText *pStatus = rig.requests.make(9);
    TText *pWarning = rig.requests.make(12);
    TText *pDriver = rig.requests.make(15);
    QVERIFY(rig.protocol.sendBatch({pStatus, pWarning}));
    QVERIFY(rig.protocol.sendValue(pDriver));
    QTRY_COMPARE_WITH_TIMEOUT(rig.array.datagramCount(), 1, Patience);

    rig.protocol.onOnlineStateChanged(false);
    QVERIFY(!rig.client.isOpen());
    for (TText *pText : {pStatus, pWarning, pDriver}) {
        QCOMPARE(pText->auxText(), NetworkError);
        QCOMPARE(pText->replyText(), TimedOut);
    }
    QCOMPARE(rig.protocol.pendingCount(), 0);
    QVERIFY(rig.requests.eachAnsweredOnce());
    QCOMPARE(online.size(), 2);
    QCOMPARE(online.at(0).at(0).toBool(), true);
    QCOMPARE(online.at(1).at(0).toBool(), false);
}

// A transport that keeps no account of its requests: going off line still
// ends every one of them.
void TestPVentraProtocol::offlineAnswersWhatTheTransportCannot()
{
    PVentraProtocol protocol;
    RecordingTransport transport;
    protocol.setInterface(&transport);
    Requests requests;
    QVERIFY(protocol.sendValue(requests.make(1)));
    QVERIFY(protocol.sendBatch({requests.make(2), requests.make(3)}));
    protocol.onOnlineStateChanged(false);
    QVERIFY(requests.eachAnsweredOnce());
    for (const auto &pText : requests.texts)
        QCOMPARE(pText->auxText(), NetworkError);
    QCOMPARE(protocol.pendingCount(), 0);
}

// The TText goes while its request waits: nothing is delivered into it,
// and its neighbours in the batch are answered as usual.
void TestPVentraProtocol::deletedTextWithItsReplyInFlight()
{
    ArrayRig rig;
    rig.array.addFault("STATUS", {Fault::Late, 1, 100});
    TText *pGone = rig.requests.make(9);
    TText *pKept = rig.requests.make(12);
    TText *pAlone = rig.requests.make(18);
    QVERIFY(rig.protocol.sendBatch({pGone, pKept}));
    QVERIFY(rig.protocol.sendValue(pAlone));
    QTRY_COMPARE_WITH_TIMEOUT(rig.array.datagramCount(), 1, Patience);
    rig.requests.remove(pGone);
    rig.requests.remove(pAlone);
    QVERIFY(rig.settled());
    QCOMPARE(pKept->replyText(), QStringLiteral("STATUS 1 0 0"));
    QVERIFY(rig.requests.eachAnsweredOnce());
}

// The array chassis of a design, pointed at the simulator through its
// control port, reaches it over its own transport.
void TestPVentraProtocol::chassisTalksToTheArray()
{
    SimulatedVentraArray array;
    auto pChassis = std::make_unique<HChassis>(QStringLiteral("Kestrel"));
    NodeProperties::read(*pChassis, {"title=Ventra", "label=Array", "ipAddress=127.0.0.1",
                                     "serialPortNumber=" + QString::number(array.port())});
    QVERIFY(pChassis->finishParsing());
    pChassis->setOnline(true);
    auto *pProtocol = qobject_cast<PVentraProtocol *>(pChassis->protocol());
    QVERIFY(pProtocol);
    QVERIFY(pChassis->transport());
    QCOMPARE(pChassis->transport()->typeName(), QStringLiteral("UDPClient Interface"));
    QCOMPARE(pChassis->transport()->owner(), pProtocol);
    pProtocol->onOnlineStateChanged(true);

    Requests requests;
    TText *pQuery = requests.make(1);
    QVERIFY(pProtocol->sendValue(pQuery));
    QTRY_COMPARE_WITH_TIMEOUT(requests.answers.value(pQuery), 1, Patience);
    QCOMPARE(pQuery->replyText(), QStringLiteral("ARRAY 3"));
    QCOMPARE(pQuery->auxText(), QString());

    pChassis.reset();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

VR_TEST_MAIN(TestPVentraProtocol)
#include "tst_pventraprotocol.moc"
