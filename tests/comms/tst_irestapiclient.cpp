#include "VrTest.h"

#include "ClosedPort.h"
#include "SimulatedArxAmplifier.h"
#include "comms/IArxAddress.h"
#include "comms/IRestAPIClient.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QPointer>
#include <QSignalSpy>
#include <QTimer>

#include <memory>

namespace {

constexpr int Patience = 5000;

QJsonDocument readDocument()
{
    const QJsonObject action{{QStringLiteral("type"), QStringLiteral("READ")},
                             {QStringLiteral("values"),
                              QJsonArray{QJsonObject{{QStringLiteral("id"), QStringLiteral("/Device/x/Value")}}}}};
    const QJsonObject payload{{QStringLiteral("type"), QStringLiteral("ACTION")},
                              {QStringLiteral("action"), action}};
    return QJsonDocument(QJsonObject{{QStringLiteral("clientId"), QStringLiteral("VRM-Test")},
                                     {QStringLiteral("payload"), payload}});
}

// What the callbacks of one request saw.
struct Outcome
{
    int successes = 0;
    int failures = 0;
    QJsonDocument document;
    QString failure;

    IRestAPIClient::SuccessHandler onSuccess()
    {
        return [this](const QJsonDocument &document) {
            ++successes;
            this->document = document;
        };
    }
    IRestAPIClient::FailureHandler onFailure()
    {
        return [this](const QString &text) {
            ++failures;
            failure = text;
        };
    }
};

} // namespace

// The REST client against the simulated amplifier on 127.0.0.1: what a
// post carries, and that every request ends exactly once.
class TestIRestAPIClient : public QObject
{
    Q_OBJECT

private slots:
    void init() { IArxAddress::setPort(m_amplifier.port()); }
    void cleanupTestCase() { IArxAddress::setPort(closedLocalPort()); }

    void urls_data();
    void urls();
    void credential();
    void postCarriesCredentialAndBody();
    void failuresEndOnce_data();
    void failuresEndOnce();
    void eachRequestRunsTheTransferTimeout();
    void deletedClientCallsNothing();

private:
    SimulatedArxAmplifier m_amplifier;
};

void TestIRestAPIClient::urls_data()
{
    QTest::addColumn<QString>("address");
    QTest::addColumn<quint16>("port");
    QTest::addColumn<QString>("rest");      // empty: invalid
    QTest::addColumn<QString>("webSocket"); // empty: invalid
    QTest::newRow("ip, port 80") << "192.168.1.20" << quint16(80) << "http://192.168.1.20:80/am"
                                 << "ws://192.168.1.20/socket.io";
    QTest::newRow("ip, other port") << "127.0.0.1" << quint16(8080) << "http://127.0.0.1:8080/am"
                                    << "ws://127.0.0.1:8080/socket.io";
    QTest::newRow("host name") << "amp-1.local" << quint16(80) << "http://amp-1.local:80/am"
                               << "ws://amp-1.local/socket.io";
    QTest::newRow("ipv6") << "::1" << quint16(80) << "http://[::1]:80/am" << "ws://[::1]/socket.io";
    QTest::newRow("empty") << "" << quint16(80) << "" << "";
    QTest::newRow("with a path") << "10.0.0.1/evil" << quint16(80) << "" << "";
    QTest::newRow("with a port") << "10.0.0.1:9000" << quint16(80) << "" << "";
    QTest::newRow("with a user") << "me@10.0.0.1" << quint16(80) << "" << "";
    QTest::newRow("with a query") << "10.0.0.1?x=1" << quint16(80) << "" << "";
    QTest::newRow("blanks inside") << "10.0 .0.1" << quint16(80) << "" << "";
}

void TestIRestAPIClient::urls()
{
    QFETCH(QString, address);
    QFETCH(quint16, port);
    QFETCH(QString, rest);
    QFETCH(QString, webSocket);
    IArxAddress::setPort(port);
    QCOMPARE(IArxAddress::restUrl(address).toString(), rest);
    QCOMPARE(IArxAddress::restUrl(address).isValid(), !rest.isEmpty());
    QCOMPARE(IArxAddress::webSocketUrl(address).toString(), webSocket);
    IArxAddress::setPort(0);
    QCOMPARE(IArxAddress::port(), IArxAddress::DefaultPort);
}

void TestIRestAPIClient::credential()
{
    const QString word = IRestAPIClient::credential();
    QCOMPARE(word.size(), 9);
    QCOMPARE(word, word.toLower());
    for (const QChar c : word)
        QVERIFY(c.isLetter());
    QCOMPARE(IRestAPIClient::authorizationHeader(),
             QByteArray("Basic ") + QByteArray(word.toLatin1() + ':' + word.toLatin1()).toBase64());
    QCOMPARE(SimulatedArxAmplifier::expectedCredential(), (word + QLatin1Char(':') + word).toLatin1());
}

// A post carries the credential, the JSON content type and the document;
// the reply document reaches the callback and the signal once.
void TestIRestAPIClient::postCarriesCredentialAndBody()
{
    m_amplifier.setRestMode(SimulatedArxAmplifier::RestMode::Answer);
    const int before = m_amplifier.postCount();
    IRestAPIClient client;
    QSignalSpy succeeded(&client, &IRestAPIClient::apiCallSuccess);
    QSignalSpy failed(&client, &IRestAPIClient::apiCallFailed);
    Outcome outcome;
    QVERIFY(client.postRequest(QStringLiteral("127.0.0.1"), readDocument(), outcome.onSuccess(),
                               outcome.onFailure()));
    QTRY_COMPARE_WITH_TIMEOUT(outcome.successes, 1, Patience);
    QCOMPARE(succeeded.size(), 1);
    QCOMPARE(failed.size(), 0);
    QCOMPARE(outcome.failures, 0);
    QCOMPARE(outcome.document.object().value(QStringLiteral("clientId")).toString(),
             QStringLiteral("VRM-Test"));
    QCOMPARE(succeeded.first().first().value<QJsonDocument>(), outcome.document);
    QCOMPARE(client.pendingCount(), 0);

    QCOMPARE(m_amplifier.postCount(), before + 1);
    const SimulatedArxAmplifier::Post post = m_amplifier.posts().last();
    QCOMPARE(post.authorization, IRestAPIClient::authorizationHeader());
    QCOMPARE(post.contentType, QByteArray("application/json"));
    QCOMPARE(QJsonDocument::fromJson(post.body), readDocument());
    QVERIFY(post.body.contains('\n')); // indented

    // Another credential is refused by the amplifier.
    QNetworkAccessManager manager;
    QNetworkRequest request(IArxAddress::restUrl(QStringLiteral("127.0.0.1")));
    request.setHeader(QNetworkRequest::ContentTypeHeader, QStringLiteral("application/json"));
    request.setRawHeader("Authorization", "Basic " + QByteArray("admin:admin").toBase64());
    std::unique_ptr<QNetworkReply> pReply(manager.post(request, readDocument().toJson()));
    QTRY_VERIFY_WITH_TIMEOUT(pReply->isFinished(), Patience);
    QCOMPARE(pReply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt(), 401);
}

void TestIRestAPIClient::failuresEndOnce_data()
{
    using Mode = SimulatedArxAmplifier::RestMode;
    QTest::addColumn<int>("mode");
    QTest::addColumn<QString>("address");
    QTest::addColumn<QString>("prefix");
    QTest::addColumn<bool>("posted");
    const QString network = QStringLiteral("IDS_NETWORK_ERROR");
    const QString parsing = QStringLiteral("IDS_JSON_PARSING_ERROR_RECEIVED");
    const QString local = QStringLiteral("127.0.0.1");
    QTest::newRow("401") << int(Mode::Unauthorized) << local << network << true;
    QTest::newRow("500") << int(Mode::ServerError) << local << network << true;
    QTest::newRow("silence past the time-out") << int(Mode::Silent) << local << network << true;
    QTest::newRow("body over 1 MiB") << int(Mode::HugeBody) << local << network << true;
    QTest::newRow("closed socket") << int(Mode::CloseSocket) << local << network << true;
    QTest::newRow("not JSON") << int(Mode::NotJson) << local << parsing << true;
    QTest::newRow("JSON array") << int(Mode::ArrayBody) << local << parsing << true;
    QTest::newRow("address with a path") << int(Mode::Answer) << "127.0.0.1/am?x" << network << false;
    QTest::newRow("refused") << -1 << local << network << false;
}

// Each failure reaches onFailure and apiCallFailed exactly once, and never
// onSuccess; a request posted after it still succeeds, by which time a late
// second report would have arrived.
void TestIRestAPIClient::failuresEndOnce()
{
    QFETCH(int, mode);
    QFETCH(QString, address);
    QFETCH(QString, prefix);
    QFETCH(bool, posted);
    if (mode < 0)
        IArxAddress::setPort(closedLocalPort());
    else
        m_amplifier.setRestMode(SimulatedArxAmplifier::RestMode(mode));
    const int before = m_amplifier.postCount();

    IRestAPIClient client;
    client.setTransferTimeout(400);
    QSignalSpy failed(&client, &IRestAPIClient::apiCallFailed);
    QSignalSpy succeeded(&client, &IRestAPIClient::apiCallSuccess);
    Outcome outcome;
    QCOMPARE(client.postRequest(address, readDocument(), outcome.onSuccess(), outcome.onFailure()),
             address == QLatin1String("127.0.0.1"));
    QTRY_COMPARE_WITH_TIMEOUT(outcome.failures, 1, Patience);
    QVERIFY2(outcome.failure.startsWith(prefix), qPrintable(outcome.failure));
    QCOMPARE(failed.size(), 1);
    QCOMPARE(failed.first().first().toString(), outcome.failure);
    // Qt's network layer posts once more when the connection closes before
    // any answer; the caller still hears of it once.
    if (posted)
        QVERIFY(m_amplifier.postCount() >= before + 1);
    else
        QCOMPARE(m_amplifier.postCount(), before);

    IArxAddress::setPort(m_amplifier.port());
    m_amplifier.setRestMode(SimulatedArxAmplifier::RestMode::Answer);
    Outcome later;
    QVERIFY(client.postRequest(QStringLiteral("127.0.0.1"), readDocument(), later.onSuccess(),
                               later.onFailure()));
    QTRY_COMPARE_WITH_TIMEOUT(later.successes, 1, Patience);
    QCOMPARE(outcome.failures, 1);
    QCOMPARE(outcome.successes, 0);
    QCOMPARE(failed.size(), 1);
    QCOMPARE(succeeded.size(), 1);
    QCOMPARE(client.pendingCount(), 0);
}

// The tests above shorten the time-out; a client as made gives every
// request 5 s from the post to its last byte, and a request keeps the
// time-out it was posted with.
void TestIRestAPIClient::eachRequestRunsTheTransferTimeout()
{
    m_amplifier.setRestMode(SimulatedArxAmplifier::RestMode::Silent);
    IRestAPIClient client;
    QCOMPARE(client.transferTimeout(), 5000);
    QSignalSpy posted(&m_amplifier, &SimulatedArxAmplifier::postReceived);
    QVERIFY(client.postRequest(QStringLiteral("127.0.0.1"), readDocument(), {}, {}));
    client.setTransferTimeout(400);
    QVERIFY(client.postRequest(QStringLiteral("127.0.0.1"), readDocument(), {}, {}));
    client.setTransferTimeout(0);
    QCOMPARE(client.transferTimeout(), 5000);

    const QList<const QTimer *> deadlines = client.deadlines();
    QCOMPARE(deadlines.size(), 2);
    QCOMPARE(deadlines.at(0)->interval(), 5000);
    QCOMPARE(deadlines.at(1)->interval(), 400);
    for (const QTimer *pDeadline : deadlines) {
        QVERIFY(pDeadline->isActive());
        QVERIFY(pDeadline->isSingleShot());
    }
    QTRY_COMPARE_WITH_TIMEOUT(posted.size(), 2, Patience);
    // The shorter one ends first, the other still waits.
    QTRY_COMPARE_WITH_TIMEOUT(client.pendingCount(), 1, Patience);
    QCOMPARE(client.deadlines().constFirst()->interval(), 5000);
    m_amplifier.setRestMode(SimulatedArxAmplifier::RestMode::Answer);
}

// A client deleted with a request in flight calls none of its callbacks.
void TestIRestAPIClient::deletedClientCallsNothing()
{
    m_amplifier.setRestMode(SimulatedArxAmplifier::RestMode::Silent);
    Outcome outcome;
    auto pClient = std::make_unique<IRestAPIClient>();
    QSignalSpy posted(&m_amplifier, &SimulatedArxAmplifier::postReceived);
    QVERIFY(pClient->postRequest(QStringLiteral("127.0.0.1"), readDocument(), outcome.onSuccess(),
                                 outcome.onFailure()));
    QTRY_COMPARE_WITH_TIMEOUT(posted.size(), 1, Patience);
    pClient.reset();

    m_amplifier.setRestMode(SimulatedArxAmplifier::RestMode::Answer);
    IRestAPIClient other;
    Outcome later;
    QVERIFY(other.postRequest(QStringLiteral("127.0.0.1"), readDocument(), later.onSuccess(),
                              later.onFailure()));
    QTRY_COMPARE_WITH_TIMEOUT(later.successes, 1, Patience);
    QCOMPARE(outcome.failures + outcome.successes, 0);
}

VR_TEST_MAIN(TestIRestAPIClient)
#include "tst_irestapiclient.moc"
