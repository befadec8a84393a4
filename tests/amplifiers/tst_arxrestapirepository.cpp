#include "VrTest.h"

#include "ClosedPort.h"
#include "SimulatedArxAmplifier.h"
#include "amplifiers/ArxRestApiRepository.h"
#include "comms/IArxAddress.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSignalSpy>

#include <memory>

namespace {

constexpr int Patience = 10000;
const QString kHost = QStringLiteral("127.0.0.1");
const QString kOut = QStringLiteral("/Device/Audio/Presets/Live/OutputProcess/Channels/");

ArxRestModel lastModel(const QSignalSpy &spy)
{
    return spy.last().first().value<ArxRestModel>();
}

} // namespace

// The REST repository against the simulated amplifier on 127.0.0.1: what
// a poll reads, how often, and what a silent or wrong amplifier does to it.
class TestArxRestApiRepository : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m_pAmplifier = std::make_unique<SimulatedArxAmplifier>();
        IArxAddress::setPort(m_pAmplifier->port());
    }
    void cleanup()
    {
        m_pAmplifier.reset();
        IArxAddress::setPort(closedLocalPort());
    }

    void pollReadsOutputsThenInputs();
    void pollsEveryFiveSeconds();
    void noAddressNoPost();
    void farChannelsAreSurvived();
    void silentAmplifierNeverHasTwoPolls();
    void failedReplyIsReported();

private:
    std::unique_ptr<SimulatedArxAmplifier> m_pAmplifier;
};

// One poll: a READ of the output channels, then of the input matrix, under
// the repository's client id and the amplifiers' credential. The model
// takes the plain gains (not the limiters' own), the mutes and the input
// mutes, and is announced after each reply.
void TestArxRestApiRepository::pollReadsOutputsThenInputs()
{
    ArxRestApiRepository repository;
    QSignalSpy announced(&repository, &ArxRestApiRepository::arxRestPostSuccess);
    repository.setArxIp(kHost);
    m_pAmplifier->setFloat(kOut + "Channel-2/Gain/Value", 0.25);
    m_pAmplifier->setBool(kOut + "Channel-1/Mute/Value", true);
    m_pAmplifier->setBool("/Device/Audio/Presets/Live/InputMatrix/InMute-3/Value", true);
    repository.pollNow();
    QVERIFY(repository.isPolling());
    QTRY_COMPARE_WITH_TIMEOUT(announced.size(), 2, Patience);

    const QList<SimulatedArxAmplifier::Post> posts = m_pAmplifier->posts();
    QCOMPARE(posts.size(), 2);
    const QStringList folders{kOut, QStringLiteral("/Device/Audio/Presets/Live/InputMatrix")};
    for (int i = 0; i < 2; ++i) {
        const QJsonObject body = QJsonDocument::fromJson(posts.at(i).body).object();
        QCOMPARE(body.value("clientId").toString(), QStringLiteral("x8-panel"));
        const QJsonObject action = body.value("payload").toObject().value("action").toObject();
        QCOMPARE(body.value("payload").toObject().value("type").toString(), QStringLiteral("ACTION"));
        QCOMPARE(action.value("type").toString(), QStringLiteral("READ"));
        QCOMPARE(action.value("values").toArray(), (QJsonArray{QJsonObject{{"id", folders.at(i)}}}));
        QCOMPARE(posts.at(i).authorization,
                 QByteArray("Basic ") + SimulatedArxAmplifier::expectedCredential().toBase64());
        QCOMPARE(posts.at(i).contentType, QByteArray("application/json"));
        QVERIFY(posts.at(i).body.contains('\n'));
    }

    const ArxRestModel model = lastModel(announced);
    QCOMPARE(model, repository.model());
    QCOMPARE(model.outputGains, (QList<double>{1.0, 1.0, 0.25, 1.0}));
    QCOMPARE(model.outputGainPercents, (QList<int>{100, 100, 80, 100}));
    QCOMPARE(model.outputMutes, (QList<bool>{false, true, false, false}));
    QCOMPARE(model.inputMutes, (QList<int>{0, 0, 0, 1}));

    // Firmware that answers 0/1 for booleans reads the same.
    m_pAmplifier->setNumericBools(true);
    m_pAmplifier->setBool(kOut + "Channel-1/Mute/Value", false);
    m_pAmplifier->setBool(kOut + "Channel-3/Mute/Value", true);
    repository.pollNow();
    QTRY_COMPARE_WITH_TIMEOUT(announced.size(), 4, Patience);
    QCOMPARE(repository.model().outputMutes, (QList<bool>{false, false, false, true}));
    QCOMPARE(repository.model().inputMutes, (QList<int>{0, 0, 0, 1}));
}

// Every PollIntervalMs, two reads, until stopped.
void TestArxRestApiRepository::pollsEveryFiveSeconds()
{
    ArxRestApiRepository repository;
    QCOMPARE(repository.pollTimer()->interval(), 5000);
    repository.setArxIp(kHost);
    QSignalSpy posted(m_pAmplifier.get(), &SimulatedArxAmplifier::postReceived);
    repository.pollNow();
    QTRY_COMPARE_WITH_TIMEOUT(m_pAmplifier->postCount(), 2, Patience);
    QTRY_COMPARE_WITH_TIMEOUT(m_pAmplifier->postCount(), 4, ArxRestApiRepository::PollIntervalMs + Patience);
    const QList<SimulatedArxAmplifier::Post> posts = m_pAmplifier->posts();
    const qint64 period = posts.at(2).atMs - posts.at(0).atMs;
    QVERIFY2(period >= ArxRestApiRepository::PollIntervalMs - 300, qPrintable(QString::number(period)));
    QCOMPARE(repository.pollCount(), 2);

    repository.stopPolling();
    QVERIFY(!repository.isPolling());
    posted.clear();
    QVERIFY(!posted.wait(ArxRestApiRepository::PollIntervalMs + 500));
}

void TestArxRestApiRepository::noAddressNoPost()
{
    ArxRestApiRepository repository;
    QTest::ignoreMessage(QtWarningMsg, "Trying to POST while ARX IP is not set.");
    QTest::ignoreMessage(QtWarningMsg, "Trying to POST while ARX IP is not set.");
    repository.pollNow();
    QCOMPARE(repository.outstandingCount(), 0);
    QSignalSpy posted(m_pAmplifier.get(), &SimulatedArxAmplifier::postReceived);
    QVERIFY(!posted.wait(300));
    repository.stopPolling();
}

// A reply naming channel 99999999 is ignored, alone or among good values;
// the lists do not grow towards it.
void TestArxRestApiRepository::farChannelsAreSurvived()
{
    ArxRestApiRepository repository;
    repository.setArxIp(kHost);
    QSignalSpy announced(&repository, &ArxRestApiRepository::arxRestPostSuccess);
    m_pAmplifier->setRestMode(SimulatedArxAmplifier::RestMode::HugeChannels);
    repository.readOutputChannels();
    QTRY_COMPARE_WITH_TIMEOUT(repository.outstandingCount(), 0, Patience);
    QCOMPARE(announced.size(), 0);
    QCOMPARE(repository.model().outputGains.size(), 0);

    m_pAmplifier->setRestMode(SimulatedArxAmplifier::RestMode::Answer);
    m_pAmplifier->setFloat(kOut + "Channel-99999999/Gain/Value", 0.5);
    m_pAmplifier->setBool(kOut + "Channel-2147483647/Mute/Value", true);
    repository.readOutputChannels();
    QTRY_COMPARE_WITH_TIMEOUT(announced.size(), 1, Patience);
    QCOMPARE(repository.model().outputGains.size(), 4);
    QCOMPARE(repository.model().outputMutes.size(), 4);
    repository.stopPolling();
}

// An amplifier that does not answer: a poll round is not begun while the
// last one's replies are out, and those end at the transfer time-out.
void TestArxRestApiRepository::silentAmplifierNeverHasTwoPolls()
{
    ArxRestApiRepository repository;
    repository.setArxIp(kHost);
    repository.setTransferTimeout(1500);
    QSignalSpy failed(&repository, &ArxRestApiRepository::arxRestReplyError);
    QSignalSpy posted(m_pAmplifier.get(), &SimulatedArxAmplifier::postReceived);
    m_pAmplifier->setRestMode(SimulatedArxAmplifier::RestMode::Silent);
    repository.pollNow();
    QTRY_COMPARE_WITH_TIMEOUT(m_pAmplifier->postCount(), 2, Patience);
    QCOMPARE(repository.outstandingCount(), 2);
    QCOMPARE(repository.pollCount(), 1);

    repository.pollNow();
    repository.onPollLoopTimeout();
    QCOMPARE(repository.pollCount(), 1);
    QCOMPARE(repository.outstandingCount(), 2);
    QTRY_COMPARE_WITH_TIMEOUT(failed.size(), 2, Patience);
    QCOMPARE(repository.outstandingCount(), 0);
    QCOMPARE(m_pAmplifier->postCount(), 2);

    // Once they ended, the next round goes out.
    repository.onPollLoopTimeout();
    QTRY_COMPARE_WITH_TIMEOUT(m_pAmplifier->postCount(), 4, Patience);
    QCOMPARE(repository.pollCount(), 2);
    repository.stopPolling();
}

void TestArxRestApiRepository::failedReplyIsReported()
{
    ArxRestApiRepository repository;
    repository.setArxIp(kHost);
    QSignalSpy failed(&repository, &ArxRestApiRepository::arxRestReplyError);
    QSignalSpy announced(&repository, &ArxRestApiRepository::arxRestPostSuccess);
    m_pAmplifier->setRestMode(SimulatedArxAmplifier::RestMode::ServerError);
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("^REST API Error Response: "));
    repository.readInputMatrix();
    QTRY_COMPARE_WITH_TIMEOUT(failed.size(), 1, Patience);
    QVERIFY(!failed.first().at(0).toString().isEmpty());
    QCOMPARE(failed.first().at(1).value<QNetworkReply::NetworkError>(),
             QNetworkReply::InternalServerError);
    QCOMPARE(announced.size(), 0);
    QCOMPARE(repository.outstandingCount(), 0);
    repository.stopPolling();
}

VR_TEST_MAIN(TestArxRestApiRepository)
#include "tst_arxrestapirepository.moc"
