#include "VrTest.h"

#include "ClosedPort.h"
#include "SimulatedArxAmplifier.h"
#include "amplifiers/ArxRequestConstants.h"
#include "amplifiers/PARXProtocol.h"
#include "comms/IArxAddress.h"
#include "comms/IRestAPIClient.h"
#include "comms/IWebSocketClient.h"
#include "comms/TPassThrough.h"
#include "comms/TText.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPointer>
#include <QSignalSpy>

#include <functional>
#include <memory>

namespace {

constexpr int Patience = 10000;
// What the operator waits for, fixed here rather than read back from the
// protocol: standby is held this long before it is released, and a status
// request gives the meter feed this long to bring both kinds of readings.
constexpr int kStandbyHoldMs = 5000;
constexpr int kMeterWaitMs = 5000;
const QString kHost = QStringLiteral("127.0.0.1");
const QString kLive = QStringLiteral("/Device/Audio/Presets/Live/");

using C = ArxRequestConstants;

// What one TText heard: how often, the failure text, and when (on the
// amplifier's clock).
struct Delivery
{
    int count = 0;
    QString error;
    qint64 atMs = -1;
    int order = 0;
    // The protocol's record as the delivery found it.
    ArxDeviceStatus status;
};

int s_deliveries = 0;

QJsonObject bodyOf(const SimulatedArxAmplifier::Post &post)
{
    return QJsonDocument::fromJson(post.body).object();
}

QString clientIdOf(const SimulatedArxAmplifier::Post &post)
{
    return bodyOf(post).value(QStringLiteral("clientId")).toString();
}

QJsonObject actionOf(const SimulatedArxAmplifier::Post &post)
{
    return bodyOf(post).value(QStringLiteral("payload")).toObject().value(QStringLiteral("action")).toObject();
}

QStringList idsOf(const SimulatedArxAmplifier::Post &post)
{
    QStringList ids;
    for (const QJsonValue &item : actionOf(post).value(QStringLiteral("values")).toArray())
        ids << item.toObject().value(QStringLiteral("id")).toString();
    return ids;
}

} // namespace

// The ARX protocol against the simulated amplifier on 127.0.0.1: the
// status request's four reads and readings, the standby cycle, one
// delivery per request whatever goes wrong, and a protocol deleted at any
// point.
class TestPARXProtocol : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void statusRequestReadsInOrder();
    void statusRecord_data();
    void statusRecord();
    void noReadingsFailAtOnce();
    void metersWithoutSlowsWaitThenFail();
    void readingsDuringTheWaitComplete();
    void overlappingRequestsDoNotMix();
    void failuresAreDeliveredOnce_data();
    void failuresAreDeliveredOnce();
    void standbyCycle();
    void refusedStandbyWrites_data();
    void refusedStandbyWrites();
    void transformOwnership();
    void deletedMidRequest_data();
    void deletedMidRequest();
    void deletedInsideItsDelivery_data();
    void deletedInsideItsDelivery();
    void feedStateAndReconnect();

private:
    // A TText of the id, sent; its deliveries go to the record.
    QPointer<TText> send(int id, const std::shared_ptr<Delivery> &pDelivery);
    // Starts the feed and waits until both kinds of readings are in.
    void feedReadings();
    // Posts received since the test began.
    QList<SimulatedArxAmplifier::Post> posts() const { return m_pAmplifier->posts().mid(m_firstPost); }

    std::unique_ptr<SimulatedArxAmplifier> m_pAmplifier;
    std::unique_ptr<IWebSocketClient> m_pClient;
    QPointer<PARXProtocol> m_pProtocol;
    int m_firstPost = 0;
};

void TestPARXProtocol::init()
{
    m_pAmplifier = std::make_unique<SimulatedArxAmplifier>();
    IArxAddress::setPort(m_pAmplifier->port());
    m_pClient = std::make_unique<IWebSocketClient>();
    m_pClient->connectToHost(kHost);
    QTRY_VERIFY_WITH_TIMEOUT(m_pClient->isConnected(), Patience);
    m_pProtocol = new PARXProtocol;
    m_pProtocol->attachWebSocket(m_pClient.get());
    m_pProtocol->setDeviceAddress(kHost);
    m_firstPost = m_pAmplifier->postCount();
}

void TestPARXProtocol::cleanup()
{
    delete m_pProtocol.data();
    m_pClient.reset();
    m_pAmplifier.reset();
    IArxAddress::setPort(closedLocalPort());
    // Deferred deletions (the protocols' REST clients, the TTexts) run.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

QPointer<TText> TestPARXProtocol::send(int id, const std::shared_ptr<Delivery> &pDelivery)
{
    auto *pText = new TText;
    pText->setCommandId(id);
    SimulatedArxAmplifier *pAmplifier = m_pAmplifier.get();
    const QPointer<PARXProtocol> pProtocol = m_pProtocol;
    connect(pText, &TTransform::replyValueReady, pText, [pText, pDelivery, pAmplifier, pProtocol]() {
        ++pDelivery->count;
        if (pProtocol)
            pDelivery->status = pProtocol->deviceStatus();
        pDelivery->error = pText->auxText();
        pDelivery->atMs = pAmplifier->elapsedMs();
        pDelivery->order = ++s_deliveries;
    });
    const QPointer<TText> pointer(pText);
    if (!m_pProtocol->sendValue(pText))
        qWarning("not started");
    return pointer;
}

void TestPARXProtocol::feedReadings()
{
    m_pAmplifier->setInputCount(4);
    m_pAmplifier->setOutputCount(4);
    m_pAmplifier->startFeed(20);
    QTRY_VERIFY_WITH_TIMEOUT(m_pProtocol->readings().complete(), Patience);
}

// Four READs, one after the other, each with the amplifiers' credential and
// the group's paths under its tag.
void TestPARXProtocol::statusRequestReadsInOrder()
{
    feedReadings();
    const QList<ArxRequestGroup> order{ArxRequestGroup::BackupStrategyMode, ArxRequestGroup::InputPriorities,
                                       ArxRequestGroup::MatrixSelection, ArxRequestGroup::PilotToneFaults};
    for (ArxRequestGroup group : order)
        QTest::ignoreMessage(QtDebugMsg, qPrintable("API Call Enqueued: VRM-" + C::tag(group)));

    // While the first read is not answered, nothing else goes out.
    m_pAmplifier->setRestMode(SimulatedArxAmplifier::RestMode::Silent);
    m_pProtocol->restClient()->setTransferTimeout(60000);
    QSignalSpy posted(m_pAmplifier.get(), &SimulatedArxAmplifier::postReceived);
    auto pHeld = std::make_shared<Delivery>();
    send(PARXProtocol::StatusCommandId, pHeld);
    QVERIFY(posted.wait(Patience));
    QVERIFY(!posted.wait(500));
    QCOMPARE(posts().size(), 1);
    QCOMPARE(pHeld->count, 0);
    delete m_pProtocol.data();

    m_pProtocol = new PARXProtocol;
    m_pProtocol->attachWebSocket(m_pClient.get());
    m_pProtocol->setDeviceAddress(kHost);
    QTRY_VERIFY_WITH_TIMEOUT(m_pProtocol->readings().complete(), Patience);
    m_pAmplifier->setRestMode(SimulatedArxAmplifier::RestMode::Answer);
    m_firstPost = m_pAmplifier->postCount();
    auto pDelivery = std::make_shared<Delivery>();
    const QPointer<TText> pText = send(PARXProtocol::StatusCommandId, pDelivery);
    QTRY_COMPARE_WITH_TIMEOUT(pDelivery->count, 1, Patience);
    QCOMPARE(pDelivery->error, QString());

    const QList<SimulatedArxAmplifier::Post> sent = posts();
    QCOMPARE(sent.size(), 4);
    for (int i = 0; i < 4; ++i) {
        QCOMPARE(clientIdOf(sent.at(i)), QStringLiteral("VRM-") + C::tag(order.at(i)));
        QCOMPARE(actionOf(sent.at(i)).value(QStringLiteral("type")).toString(), QStringLiteral("READ"));
        QCOMPARE(idsOf(sent.at(i)), C::pathsOf(order.at(i)));
        QCOMPARE(sent.at(i).authorization,
                 QByteArray("Basic ") + SimulatedArxAmplifier::expectedCredential().toBase64());
        QCOMPARE(sent.at(i).contentType, QByteArray("application/json"));
    }
    // The protocol lets go of the TText once the request is over.
    QTRY_VERIFY_WITH_TIMEOUT(pText.isNull(), Patience);
    QCOMPARE(pDelivery->count, 1);
    QCOMPARE(m_pProtocol->pendingRequestCount(), 0);
}

void TestPARXProtocol::statusRecord_data()
{
    QTest::addColumn<bool>("numericBools");
    QTest::newRow("true and false") << false;
    QTest::newRow("0 and 1") << true;
}

// A successful request leaves the record of what the amplifier said: the
// four reads and the latest readings.
void TestPARXProtocol::statusRecord()
{
    QFETCH(bool, numericBools);
    m_pAmplifier->setNumericBools(numericBools);
    const QString strategy1 = kLive + "SourceSelection/BackupStrategy/BackupStrategy-1";
    m_pAmplifier->setBool(strategy1 + "/Enable/Value", true);
    m_pAmplifier->setBool(strategy1 + "/CustomThresholdSignalDetect/Enable/Value", true);
    const QString strategy2 = kLive + "SourceSelection/BackupStrategy/BackupStrategy-2";
    m_pAmplifier->setBool(strategy2 + "/Enable/Value", true);
    m_pAmplifier->setBool(strategy2 + "/PilotTone/Enable/Value", true);
    m_pAmplifier->setInt(kLive + "SourceSelection/RoutingChannel-0/Src-2/Value", 14);
    m_pAmplifier->setInt(kLive + "SourceSelection/RoutingChannel-3/Src-3/Value", 5);
    m_pAmplifier->setBool(kLive + "InputMatrix/Channels/Channel-3/Mute-0/Value", false);
    m_pAmplifier->setBool(kLive + "OutputProcess/Channels/Channel-2/PilotToneGenerator/Enable/Value", true);
    m_pAmplifier->setBool(kLive + "OutputProcess/Channels/Channel-1/LoadMonitor/Enable/Value", true);
    m_pAmplifier->setInputReading(1, SimulatedArxAmplifier::InputReading{40.0, 1.0, 0.0, 0.0});
    m_pAmplifier->setOutputRms(2, 4.0);
    feedReadings();

    auto pDelivery = std::make_shared<Delivery>();
    send(PARXProtocol::StatusCommandId, pDelivery);
    QTRY_COMPARE_WITH_TIMEOUT(pDelivery->count, 1, Patience);
    QCOMPARE(pDelivery->error, QString());

    const ArxDeviceStatus &status = m_pProtocol->deviceStatus();
    QCOMPARE(status.channels.size(), 4);
    QCOMPARE(status.entries.size(), 4);
    const int modes[4] = {1, 2, 3, 1};
    const QStringList names[4] = {{"Analog 1", "Dante 1", "Dante 4", "None"},
                                  {"Analog 2", "Dante 2", "None", "None"},
                                  {"Analog 3", "Dante 3", "None", "None"},
                                  {"Analog 4", "Dante 4", "None", "Undefined"}};
    for (int c = 0; c < 4; ++c) {
        const ArxChannelStatus &channel = status.channels.at(c);
        QCOMPARE(channel.channel, c);
        QCOMPARE(channel.backupMode, modes[c]);
        QStringList got;
        for (const ArxSourceName &source : channel.sources)
            got << source.name;
        QCOMPARE(got, names[c]);
        // The feed says the first source plays.
        QCOMPARE(channel.selectedSource, 0);
    }
    QCOMPARE(status.channels.at(1).peak, 40.0f);
    QCOMPARE(status.channels.at(1).peakLevel, 1.0f);
    QVERIFY(status.channels.at(1).signalPresent);
    QCOMPARE(status.entries.at(0).channels, QList<int>{0});
    QCOMPARE(status.entries.at(3).channels, (QList<int>{0, 3}));
    QVERIFY(status.entries.at(2).pilotToneGeneratorOn);
    QVERIFY(!status.entries.at(2).loadMonitorOn);
    QVERIFY(status.entries.at(1).loadMonitorOn);
    QCOMPARE(status.entries.at(2).outputLevel, 4.0f);
    QVERIFY(status.entries.at(2).signalPresent);
    QCOMPARE(status.entries.at(0).pilotToneLoadImpedance, QStringLiteral("8.2"));
    QVERIFY(!status.entries.at(0).pilotToneVoltageMissing);
    QCOMPARE(status.dspLoad, 21.5);
    QCOMPARE(status.mains, 1);
    QCOMPARE(status.standby, 0);
    QCOMPARE(status.cpuUsage, 12.0);
    QCOMPARE(status.diskFreeMb, 900.0);
    QCOMPARE(status.temperature1, 42);
    QCOMPARE(status.temperature2, 51);
}

// Without a single readings frame the request does not wait: it fails as
// soon as the fourth read is decoded.
void TestPARXProtocol::noReadingsFailAtOnce()
{
    QVERIFY(m_pProtocol->readings().readingsMissing());
    auto pDelivery = std::make_shared<Delivery>();
    send(PARXProtocol::StatusCommandId, pDelivery);
    QTRY_COMPARE_WITH_TIMEOUT(pDelivery->count, 1, Patience);
    QCOMPARE(pDelivery->error, QStringLiteral("Waiting for meter Data"));
    QCOMPARE(posts().size(), 4);
    // Well within the wait a request with readings would take.
    QVERIFY2(pDelivery->atMs - posts().last().atMs < PARXProtocol::MeterWaitMs / 2,
             qPrintable(QString::number(pDelivery->atMs - posts().last().atMs)));
    QCOMPARE(m_pProtocol->deviceStatus().channels.size(), 0);
}

// "meters" without "slows": the request waits its 5 s for them, then fails.
void TestPARXProtocol::metersWithoutSlowsWaitThenFail()
{
    m_pAmplifier->setInputCount(4);
    m_pAmplifier->pushText(m_pAmplifier->metersFrame());
    QTRY_VERIFY_WITH_TIMEOUT(m_pProtocol->readings().metersReceived(), Patience);
    QVERIFY(!m_pProtocol->readings().slowsReceived());

    auto pDelivery = std::make_shared<Delivery>();
    send(PARXProtocol::StatusCommandId, pDelivery);
    QTRY_COMPARE_WITH_TIMEOUT(posts().size(), 4, Patience);
    QTRY_COMPARE_WITH_TIMEOUT(pDelivery->count, 1, PARXProtocol::MeterWaitMs + Patience);
    QCOMPARE(pDelivery->error, QStringLiteral("Waiting for meter Data"));
    const qint64 waited = pDelivery->atMs - posts().last().atMs;
    QVERIFY2(waited >= kMeterWaitMs - 100, qPrintable(QString::number(waited)));
    QCOMPARE(m_pProtocol->deviceStatus().channels.size(), 0);
}

void TestPARXProtocol::readingsDuringTheWaitComplete()
{
    m_pAmplifier->pushText(m_pAmplifier->metersFrame());
    QTRY_VERIFY_WITH_TIMEOUT(m_pProtocol->readings().metersReceived(), Patience);
    auto pDelivery = std::make_shared<Delivery>();
    send(PARXProtocol::StatusCommandId, pDelivery);
    QTRY_COMPARE_WITH_TIMEOUT(posts().size(), 4, Patience);
    QCOMPARE(pDelivery->count, 0);
    m_pAmplifier->pushText(m_pAmplifier->slowsFrame());
    QTRY_COMPARE_WITH_TIMEOUT(pDelivery->count, 1, Patience);
    QCOMPARE(pDelivery->error, QString());
    QCOMPARE(m_pProtocol->deviceStatus().mains, 1);
}

// A second status request while the first runs: each gets its one
// delivery, and the record holds one request's values, never a mix.
void TestPARXProtocol::overlappingRequestsDoNotMix()
{
    feedReadings();
    auto pFirst = std::make_shared<Delivery>();
    auto pSecond = std::make_shared<Delivery>();
    // Once the first request's backup strategies are read (its second read
    // comes in), the amplifier changes them and the second request starts:
    // it reads the other ones while the first goes on.
    connect(m_pAmplifier.get(), &SimulatedArxAmplifier::postReceived, this, [this, pSecond]() {
        if (posts().size() != 2)
            return;
        for (int b = 0; b < 4; ++b) {
            const QString strategy =
                kLive + "SourceSelection/BackupStrategy/BackupStrategy-" + QString::number(b);
            m_pAmplifier->setBool(strategy + "/Enable/Value", true);
            m_pAmplifier->setBool(strategy + "/PilotTone/Enable/Value", true);
        }
        send(PARXProtocol::StatusCommandId, pSecond);
    });
    send(PARXProtocol::StatusCommandId, pFirst);
    QTRY_VERIFY_WITH_TIMEOUT(pFirst->count == 1 && pSecond->count == 1, Patience);
    QCOMPARE(pFirst->error, QString());
    QCOMPARE(pSecond->error, QString());
    QCOMPARE(posts().size(), 8);

    // Each success left the record of its own request, whole: the first
    // one's strategies are "Force", the second one's "PilotTone".
    for (const auto &[pDelivery, mode] : {std::make_pair(pFirst, 1), std::make_pair(pSecond, 3)}) {
        const ArxDeviceStatus &status = pDelivery->status;
        QCOMPARE(status.channels.size(), 4);
        QCOMPARE(status.entries.size(), 4);
        for (const ArxChannelStatus &channel : status.channels) {
            QCOMPARE(channel.backupMode, mode);
            QCOMPARE(channel.sources.size(), 4);
        }
        for (int c = 0; c < 4; ++c)
            QCOMPARE(status.entries.at(c).channels, QList<int>{c});
    }
    // The one that ended last is what the record holds now.
    const int lastMode = pSecond->order > pFirst->order ? 3 : 1;
    for (const ArxChannelStatus &channel : m_pProtocol->deviceStatus().channels)
        QCOMPARE(channel.backupMode, lastMode);
    QTRY_COMPARE_WITH_TIMEOUT(m_pProtocol->pendingRequestCount(), 0, Patience);
}

void TestPARXProtocol::failuresAreDeliveredOnce_data()
{
    using Mode = SimulatedArxAmplifier::RestMode;
    QTest::addColumn<int>("mode");
    QTest::addColumn<QString>("replyClientId");
    QTest::addColumn<bool>("emptyValues");
    QTest::addColumn<bool>("refused");
    QTest::addColumn<QString>("error");
    QTest::addColumn<bool>("prefixOnly");
    const int answer = int(Mode::Answer);
    QTest::newRow("unknown tag") << answer << "VRM-Unknown" << false << false << "Client ID not recognized"
                                 << false;
    QTest::newRow("another request's tag") << answer << "VRM-InputPriorities" << false << false
                                           << "Client ID not recognized" << false;
    QTest::newRow("the standby tag") << answer << "VRM-ID_ARX_SET_STANDBY_FALSE" << false << false
                                     << "Client ID not recognized" << false;
    QTest::newRow("foreign client id") << answer << "x8-panel" << false << false << "Error decoding JSON"
                                       << false;
    QTest::newRow("empty values") << answer << QString() << true << false << "Could not parse API response"
                                  << false;
    QTest::newRow("unknown tag, empty values") << answer << "VRM-Unknown" << true << false
                                               << "Could not parse API response" << false;
    QTest::newRow("values not a list") << int(Mode::BadValues) << QString() << false << false
                                       << "Could not parse API response" << false;
    QTest::newRow("HTTP 500") << int(Mode::ServerError) << QString() << false << false << "IDS_NETWORK_ERROR"
                              << true;
    QTest::newRow("HTTP 401") << int(Mode::Unauthorized) << QString() << false << false << "IDS_NETWORK_ERROR"
                              << true;
    QTest::newRow("not JSON") << int(Mode::NotJson) << QString() << false << false
                              << "IDS_JSON_PARSING_ERROR_RECEIVED" << false;
    QTest::newRow("no answer") << int(Mode::Silent) << QString() << false << false << "IDS_NETWORK_ERROR"
                               << true;
    QTest::newRow("connection refused") << answer << QString() << false << true << "IDS_NETWORK_ERROR" << true;
}

// Whatever goes wrong, the TText hears of it once, the request ends there
// and the record is left alone.
void TestPARXProtocol::failuresAreDeliveredOnce()
{
    QFETCH(int, mode);
    QFETCH(QString, replyClientId);
    QFETCH(bool, emptyValues);
    QFETCH(bool, refused);
    QFETCH(QString, error);
    QFETCH(bool, prefixOnly);
    feedReadings();
    m_pAmplifier->setRestMode(SimulatedArxAmplifier::RestMode(mode));
    m_pAmplifier->setReplyClientId(replyClientId);
    m_pAmplifier->setEmptyValues(emptyValues);
    m_pProtocol->restClient()->setTransferTimeout(500);
    if (refused)
        IArxAddress::setPort(closedLocalPort());

    auto pDelivery = std::make_shared<Delivery>();
    const QPointer<TText> pText = send(PARXProtocol::StatusCommandId, pDelivery);
    QTRY_COMPARE_WITH_TIMEOUT(pDelivery->count, 1, Patience);
    if (prefixOnly)
        QVERIFY2(pDelivery->error.startsWith(error), qPrintable(pDelivery->error));
    else
        QCOMPARE(pDelivery->error, error);
    QTRY_VERIFY_WITH_TIMEOUT(pText.isNull(), Patience);
    QCOMPARE(m_pProtocol->pendingRequestCount(), 0);
    // The request ended at its first read; no reply steered it further.
    QVERIFY(posts().size() <= 1 || mode == int(SimulatedArxAmplifier::RestMode::Silent));
    for (const SimulatedArxAmplifier::Post &post : posts())
        QCOMPARE(clientIdOf(post), QStringLiteral("VRM-BackupStategyMode"));

    // A request after it succeeds, by which time a late second delivery
    // of the first would have come.
    IArxAddress::setPort(m_pAmplifier->port());
    m_pAmplifier->setRestMode(SimulatedArxAmplifier::RestMode::Answer);
    m_pAmplifier->setReplyClientId(QString());
    m_pAmplifier->setEmptyValues(false);
    auto pLater = std::make_shared<Delivery>();
    send(PARXProtocol::StatusCommandId, pLater);
    QTRY_COMPARE_WITH_TIMEOUT(pLater->count, 1, Patience);
    QCOMPARE(pLater->error, QString());
    QCOMPARE(pDelivery->count, 1);
    QCOMPARE(m_pProtocol->deviceStatus().channels.size(), 4);
}

// Standby on; StandbyHoldMs after its reply, standby off; success with the
// second reply.
void TestPARXProtocol::standbyCycle()
{
    const QString standby = kLive + QStringLiteral("Generals/Standby/Value");
    auto pDelivery = std::make_shared<Delivery>();
    const QPointer<TText> pText = send(PARXProtocol::StandbyCycleCommandId, pDelivery);
    QTRY_COMPARE_WITH_TIMEOUT(posts().size(), 1, Patience);
    QTRY_VERIFY_WITH_TIMEOUT(m_pAmplifier->storedValue(standby).value("boolValue").toBool(), Patience);
    QCOMPARE(pDelivery->count, 0);
    QTRY_COMPARE_WITH_TIMEOUT(pDelivery->count, 1, PARXProtocol::StandbyHoldMs + Patience);
    QCOMPARE(pDelivery->error, QString());

    const QList<SimulatedArxAmplifier::Post> sent = posts();
    QCOMPARE(sent.size(), 2);
    QCOMPARE(clientIdOf(sent.at(0)), QStringLiteral("VRM-ID_ARX_SET_STANDBY_TRUE"));
    QCOMPARE(clientIdOf(sent.at(1)), QStringLiteral("VRM-ID_ARX_SET_STANDBY_FALSE"));
    for (int i = 0; i < 2; ++i) {
        const QJsonObject action = actionOf(sent.at(i));
        QCOMPARE(action.value("type").toString(), QStringLiteral("WRITE"));
        const QJsonObject item = action.value("values").toArray().at(0).toObject();
        QCOMPARE(item.value("id").toString(), standby);
        QCOMPARE(item.value("data").toObject().value("type").toString(), QStringLiteral("BOOL"));
        QCOMPARE(item.value("data").toObject().value("boolValue"), QJsonValue(i == 0));
    }
    const qint64 held = sent.at(1).atMs - sent.at(0).atMs;
    QVERIFY2(held >= kStandbyHoldMs - 50, qPrintable(QString::number(held)));
    QVERIFY(pDelivery->atMs >= sent.at(1).atMs);
    QVERIFY(!m_pAmplifier->storedValue(standby).value("boolValue").toBool());
    QTRY_VERIFY_WITH_TIMEOUT(pText.isNull(), Patience);
    // A standby cycle leaves the status record alone.
    QCOMPARE(m_pProtocol->deviceStatus().channels.size(), 0);
}

void TestPARXProtocol::refusedStandbyWrites_data()
{
    QTest::addColumn<bool>("atFirst");
    QTest::newRow("standby on refused") << true;
    QTest::newRow("standby off refused") << false;
}

// A refused write ends the cycle with the REST client's error text; when
// it is the second, the amplifier stays in standby.
void TestPARXProtocol::refusedStandbyWrites()
{
    QFETCH(bool, atFirst);
    const QString standby = kLive + QStringLiteral("Generals/Standby/Value");
    m_pAmplifier->setRefuseWrites(atFirst);
    auto pDelivery = std::make_shared<Delivery>();
    send(PARXProtocol::StandbyCycleCommandId, pDelivery);
    QTRY_COMPARE_WITH_TIMEOUT(posts().size(), 1, Patience);
    m_pAmplifier->setRefuseWrites(true);
    QTRY_COMPARE_WITH_TIMEOUT(pDelivery->count, 1, PARXProtocol::StandbyHoldMs + Patience);
    QVERIFY2(pDelivery->error.startsWith(QLatin1String("IDS_NETWORK_ERROR")), qPrintable(pDelivery->error));
    QCOMPARE(posts().size(), atFirst ? 1 : 2);
    QCOMPARE(m_pAmplifier->storedValue(standby).value("boolValue").toBool(), !atFirst);
    QTRY_COMPARE_WITH_TIMEOUT(m_pProtocol->pendingRequestCount(), 0, Patience);
}

// An accepted TText belongs to the protocol; one of another id is deleted
// at once; other transforms are left alone.
void TestPARXProtocol::transformOwnership()
{
    auto pDelivery = std::make_shared<Delivery>();
    auto *pOther = new TText;
    pOther->setCommandId(3);
    const QPointer<TText> pDeleted(pOther);
    QVERIFY(!m_pProtocol->sendValue(pOther));
    QTRY_VERIFY_WITH_TIMEOUT(pDeleted.isNull(), Patience);

    TPassThrough passThrough;
    QVERIFY(!m_pProtocol->sendValue(&passThrough));
    QVERIFY(!m_pProtocol->sendValue(nullptr));
    QCOMPARE(m_pProtocol->pendingRequestCount(), 0);
    QSignalSpy posted(m_pAmplifier.get(), &SimulatedArxAmplifier::postReceived);
    QVERIFY(!posted.wait(300));
    QCOMPARE(posts().size(), 0);
    QCOMPARE(pDelivery->count, 0);
}

void TestPARXProtocol::deletedMidRequest_data()
{
    QTest::addColumn<bool>("duringMeterWait");
    QTest::newRow("waiting for a reply") << false;
    QTest::newRow("waiting for readings") << true;
}

// Deleting the protocol while a request runs: no delivery, the TText goes,
// and nothing left behind (timers, replies) reaches the deleted protocol.
void TestPARXProtocol::deletedMidRequest()
{
    QFETCH(bool, duringMeterWait);
    if (duringMeterWait) {
        m_pAmplifier->pushText(m_pAmplifier->metersFrame());
        QTRY_VERIFY_WITH_TIMEOUT(m_pProtocol->readings().metersReceived(), Patience);
    } else {
        m_pAmplifier->setRestMode(SimulatedArxAmplifier::RestMode::Silent);
    }
    auto pDelivery = std::make_shared<Delivery>();
    const QPointer<TText> pText = send(PARXProtocol::StatusCommandId, pDelivery);
    QTRY_COMPARE_WITH_TIMEOUT(posts().size(), duringMeterWait ? 4 : 1, Patience);
    QCOMPARE(m_pProtocol->pendingRequestCount(), 1);
    delete m_pProtocol.data();
    QTRY_VERIFY_WITH_TIMEOUT(pText.isNull(), Patience);

    // Past the wait's end and with the feed running, nothing more happens.
    m_pAmplifier->setRestMode(SimulatedArxAmplifier::RestMode::Answer);
    m_pAmplifier->startFeed(20);
    QSignalSpy posted(m_pAmplifier.get(), &SimulatedArxAmplifier::postReceived);
    QVERIFY(!posted.wait(PARXProtocol::MeterWaitMs + 500));
    QCOMPARE(pDelivery->count, 0);
    // Frames still reach the client, which has no protocol handler left.
    QVERIFY(m_pClient->isConnected());
}

void TestPARXProtocol::deletedInsideItsDelivery_data()
{
    QTest::addColumn<QString>("path");
    QTest::newRow("success in the last reply") << "reply";
    QTest::newRow("failure in a reply") << "failure";
    QTest::newRow("success on the readings check") << "check";
    QTest::newRow("failure at the wait's end") << "deadline";
    QTest::newRow("standby off reply") << "standby";
}

// The status view may delete the protocol from inside the delivery (a
// project reloaded); the protocol must not touch itself afterwards.
void TestPARXProtocol::deletedInsideItsDelivery()
{
    QFETCH(QString, path);
    if (path == QLatin1String("reply"))
        feedReadings();
    else
        m_pAmplifier->pushText(m_pAmplifier->metersFrame());
    if (path == QLatin1String("failure"))
        m_pAmplifier->setReplyClientId(QStringLiteral("VRM-Unknown"));
    QTRY_VERIFY_WITH_TIMEOUT(m_pProtocol->readings().metersReceived(), Patience);

    auto *pText = new TText;
    pText->setCommandId(path == QLatin1String("standby") ? PARXProtocol::StandbyCycleCommandId
                                                         : PARXProtocol::StatusCommandId);
    int deliveries = 0;
    QPointer<PARXProtocol> pProtocol = m_pProtocol;
    connect(pText, &TTransform::replyValueReady, this, [&deliveries, pProtocol]() {
        ++deliveries;
        delete pProtocol.data();
    });
    const QPointer<TText> pWatch(pText);
    QVERIFY(m_pProtocol->sendValue(pText));
    if (path == QLatin1String("check")) {
        QTRY_COMPARE_WITH_TIMEOUT(posts().size(), 4, Patience);
        m_pAmplifier->pushText(m_pAmplifier->slowsFrame());
    }
    QTRY_COMPARE_WITH_TIMEOUT(deliveries, 1, PARXProtocol::MeterWaitMs + Patience);
    QVERIFY(m_pProtocol.isNull());
    QTRY_VERIFY_WITH_TIMEOUT(pWatch.isNull(), Patience);
    QCOMPARE(deliveries, 1);
}

// The readings flags follow the feed: missing until the first readings, a
// disconnection forgets them (and is announced once), and a request
// reopens a closed feed.
void TestPARXProtocol::feedStateAndReconnect()
{
    QSignalSpy disconnected(m_pProtocol.data(), &PARXProtocol::websocketDisconnect);
    QVERIFY(m_pProtocol->readings().readingsMissing());
    feedReadings();
    QVERIFY(!m_pProtocol->readings().readingsMissing());

    m_pAmplifier->stopFeed();
    m_pAmplifier->closeFeeds();
    QVERIFY(disconnected.wait(Patience));
    QCOMPARE(disconnected.size(), 1);
    QVERIFY(!m_pProtocol->readings().metersReceived());
    QVERIFY(!m_pProtocol->readings().slowsReceived());
    QVERIFY(m_pProtocol->readings().meters().isEmpty());
    QTRY_VERIFY_WITH_TIMEOUT(!m_pClient->isConnected(), Patience);

    // Any request reopens the feed, even one that is then refused.
    auto *pText = new TText;
    pText->setCommandId(7);
    QVERIFY(!m_pProtocol->sendValue(pText));
    QTRY_VERIFY_WITH_TIMEOUT(m_pClient->isConnected(), Patience);

    // A feed error: readings are missing until the next readings frame.
    m_pClient->onErrorOccurred(QAbstractSocket::RemoteHostClosedError);
    QVERIFY(m_pProtocol->readings().readingsMissing());
    QVERIFY(!m_pProtocol->readings().lastError().isEmpty());
    m_pAmplifier->pushText(m_pAmplifier->slowsFrame());
    QTRY_VERIFY_WITH_TIMEOUT(!m_pProtocol->readings().readingsMissing(), Patience);
    QVERIFY(m_pProtocol->readings().slowsReceived());
    QVERIFY(!m_pProtocol->readings().metersReceived());
}

VR_TEST_MAIN(TestPARXProtocol)
#include "tst_parxprotocol.moc"
