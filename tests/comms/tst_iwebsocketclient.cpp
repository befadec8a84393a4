#include "VrTest.h"

#include "ClosedPort.h"
#include "SimulatedArxAmplifier.h"
#include "amplifiers/ArxModelRepository.h"
#include "comms/IArxAddress.h"
#include "comms/IWebSocketClient.h"

#include <QRegularExpression>
#include <QSignalSpy>

#include <memory>

namespace {
constexpr int Patience = 5000;
const QString kHost = QStringLiteral("127.0.0.1");
} // namespace

// The WebSocket client and the meter repository against the simulated
// amplifier's feed on 127.0.0.1.
class TestIWebSocketClient : public QObject
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

    void connectedMeansAnOpenSocket();
    void framesReachTheProtocolThenTheModel();
    void waitingFramesGiveWayToNewerOfTheirEvent();
    void closedSocketAndReconnect();
    void reopenWhileConnecting();
    void refusedAndInvalidAddresses();
    void oversizedFrameClosesTheFeed();
    void pushedFramesReachTheMeters();
    void deletingTheRepositoryWithFramesInFlight();
    void deletingTheClientFirst();
    void closingBeforeTheFirstOpen();

private:
    std::unique_ptr<SimulatedArxAmplifier> m_pAmplifier;
};

void TestIWebSocketClient::connectedMeansAnOpenSocket()
{
    IWebSocketClient client;
    QVERIFY(!client.isConnected());
    client.connectToHost(kHost);
    QCOMPARE(client.url(), QUrl(QStringLiteral("ws://127.0.0.1:%1/socket.io").arg(m_pAmplifier->port())));
    QVERIFY(client.isOpenRequested());
    // Asked for, not yet made.
    QVERIFY(!client.isConnected());
    QTRY_VERIFY_WITH_TIMEOUT(client.isConnected(), Patience);
    QTRY_COMPARE_WITH_TIMEOUT(m_pAmplifier->feedClientCount(), 1, Patience);
    client.close();
    QVERIFY(!client.isConnected());
    QVERIFY(!client.isOpenRequested());
    QTRY_COMPARE_WITH_TIMEOUT(m_pAmplifier->feedClientCount(), 0, Patience);
}

void TestIWebSocketClient::framesReachTheProtocolThenTheModel()
{
    IWebSocketClient client;
    QStringList calls;
    // Without handlers a frame is dropped.
    client.deliverMessage(QStringLiteral("42[\"nobody\"]"));
    client.setModelMessageHandler([&calls](const QString &m) { calls << QStringLiteral("model ") + m; });
    client.setProtocolMessageHandler([&calls](const QString &m) { calls << QStringLiteral("protocol ") + m; });
    client.connectToHost(kHost);
    QTRY_VERIFY_WITH_TIMEOUT(client.isConnected(), Patience);
    QTRY_COMPARE_WITH_TIMEOUT(calls.size(), 2, Patience); // the amplifier's handshake
    calls.clear();
    m_pAmplifier->pushText(QStringLiteral("42[\"a\"]"));
    QTRY_COMPARE_WITH_TIMEOUT(calls.size(), 2, Patience);
    QCOMPARE(calls, (QStringList{"protocol 42[\"a\"]", "model 42[\"a\"]"}));
    // A replaced handler takes over.
    client.setProtocolMessageHandler(nullptr);
    m_pAmplifier->pushText(QStringLiteral("b"));
    QTRY_COMPARE_WITH_TIMEOUT(calls.size(), 3, Patience);
    QCOMPARE(calls.last(), QStringLiteral("model b"));
}

// Frames that come in one turn of the event loop reach the listeners in the
// next; there an event frame still waiting gives way to a newer one of the
// same event, while other events and other frames all go on, in order. A
// disconnection passes the waiting frames on before it says so.
void TestIWebSocketClient::waitingFramesGiveWayToNewerOfTheirEvent()
{
    IWebSocketClient client;
    QStringList calls;
    client.setModelMessageHandler([&calls](const QString &m) { calls << m; });
    connect(&client, &IWebSocketClient::websocketDisconnected, this,
            [&calls]() { calls << QStringLiteral("disconnected"); });
    const QStringList arriving = {
        "42[\"meters\",{\"n\":1}]", "42[\"slows\",{\"n\":1}]", "0{\"sid\":\"a\"}",
        "42[\"meters\",{\"n\":2}]", "42[{\"unnamed\":1}]",     "0{\"sid\":\"b\"}",
        "42[\"meters\",{\"n\":3}]", "42[{\"unnamed\":2}]",     "42[\"me\\\"ters\",{}]",
        "42[\"\",{}]"};
    for (const QString &frame : arriving)
        client.onMesssageReceived(frame);
    QVERIFY(calls.isEmpty());
    QTRY_VERIFY_WITH_TIMEOUT(!calls.isEmpty(), Patience);
    QCOMPARE(calls, (QStringList{"42[\"slows\",{\"n\":1}]", "0{\"sid\":\"a\"}", "0{\"sid\":\"b\"}",
                                 "42[\"meters\",{\"n\":3}]", "42[\"\",{}]"}));

    calls.clear();
    client.onMesssageReceived(QStringLiteral("42[\"meters\",{\"n\":4}]"));
    client.onDisconnected();
    QCOMPARE(calls, (QStringList{"42[\"meters\",{\"n\":4}]", "disconnected"}));
    QCoreApplication::processEvents();
    QCOMPARE(calls.size(), 2);
}

// The amplifier closes the socket: the client is disconnected and says so
// once; reconnect opens the stored URL again.
void TestIWebSocketClient::closedSocketAndReconnect()
{
    IWebSocketClient client;
    int frames = 0;
    client.setModelMessageHandler([&frames](const QString &) { ++frames; });
    QSignalSpy disconnected(&client, &IWebSocketClient::websocketDisconnected);
    client.connectToHost(kHost);
    QTRY_VERIFY_WITH_TIMEOUT(client.isConnected(), Patience);
    m_pAmplifier->closeFeeds();
    QTRY_COMPARE_WITH_TIMEOUT(disconnected.size(), 1, Patience);
    QVERIFY(!client.isConnected());

    client.reconnect();
    QVERIFY(client.isOpenRequested());
    QTRY_VERIFY_WITH_TIMEOUT(client.isConnected(), Patience);
    QCOMPARE(m_pAmplifier->feedConnectionCount(), 2);
    const int before = frames;
    m_pAmplifier->pushText(QStringLiteral("42[]"));
    QTRY_COMPARE_WITH_TIMEOUT(frames, before + 1, Patience);
    QCOMPARE(disconnected.size(), 1);

    // Reconnecting an open feed opens it once more.
    client.reconnect();
    QTRY_COMPARE_WITH_TIMEOUT(m_pAmplifier->feedConnectionCount(), 3, Patience);
    QTRY_VERIFY_WITH_TIMEOUT(client.isConnected(), Patience);
    QTRY_COMPARE_WITH_TIMEOUT(m_pAmplifier->feedClientCount(), 1, Patience);
}

// Meters reopen the feed as they bind, while it may still be connecting:
// a socket not yet open is dropped, with no closing handshake written.
void TestIWebSocketClient::reopenWhileConnecting()
{
    QTest::failOnWarning(QRegularExpression(QStringLiteral(".")));
    IWebSocketClient client;
    client.connectToHost(kHost);
    for (int i = 0; i < 5; ++i) {
        QVERIFY(!client.isConnected());
        client.reconnect();
    }
    QTRY_VERIFY_WITH_TIMEOUT(client.isConnected(), Patience);
    QTRY_COMPARE_WITH_TIMEOUT(m_pAmplifier->feedClientCount(), 1, Patience);
}

void TestIWebSocketClient::refusedAndInvalidAddresses()
{
    IArxAddress::setPort(closedLocalPort());
    IWebSocketClient client;
    QStringList errors;
    client.setProtocolErrorHandler([&errors](const QString &e) { errors << e; });
    client.connectToHost(kHost);
    QVERIFY(client.isOpenRequested());
    QTRY_COMPARE_WITH_TIMEOUT(client.socketState(), QAbstractSocket::UnconnectedState, Patience);
    QTRY_COMPARE_WITH_TIMEOUT(errors.size(), 1, Patience);
    QVERIFY(errors.first().startsWith(QStringLiteral("IDS_NETWORK_ERROR")));
    QVERIFY(!client.isConnected());

    IWebSocketClient invalid;
    invalid.connectToHost(QStringLiteral("10.0.0.1/path"));
    QVERIFY(!invalid.url().isValid());
    QVERIFY(!invalid.isOpenRequested());
    QCOMPARE(invalid.socketState(), QAbstractSocket::UnconnectedState);
    invalid.reconnect();
    QCOMPARE(invalid.socketState(), QAbstractSocket::UnconnectedState);
}

// A frame above the cap is never handed on; the feed closes instead.
void TestIWebSocketClient::oversizedFrameClosesTheFeed()
{
    IWebSocketClient client;
    QList<int> sizes;
    client.setModelMessageHandler([&sizes](const QString &m) { sizes << int(m.size()); });
    QSignalSpy disconnected(&client, &IWebSocketClient::websocketDisconnected);
    client.connectToHost(kHost);
    QTRY_VERIFY_WITH_TIMEOUT(client.isConnected(), Patience);
    m_pAmplifier->pushText(QString(int(IWebSocketClient::MaxFrameBytes / 2), QLatin1Char('a')));
    QTRY_COMPARE_WITH_TIMEOUT(sizes.size(), 2, Patience); // the handshake and the frame
    m_pAmplifier->pushText(QString(int(IWebSocketClient::MaxFrameBytes) * 2, QLatin1Char('b')));
    QTRY_COMPARE_WITH_TIMEOUT(disconnected.size(), 1, Patience);
    QCOMPARE(sizes.size(), 2);
    QVERIFY(!client.isConnected());
}

// Frames pushed by the amplifier reach audioModelUpdate with the levels of
// its readings; a closed socket empties the model.
void TestIWebSocketClient::pushedFramesReachTheMeters()
{
    IWebSocketClient client;
    ArxModelRepository repository;
    repository.attachWebSocket(&client);
    QSignalSpy updates(&repository, &ArxModelRepository::audioModelUpdate);
    QSignalSpy emptied(&repository, &ArxModelRepository::websocketDisconnect);
    m_pAmplifier->setInputReading(0, {0.0, 0.2, 0.0, 0.0});
    m_pAmplifier->setInputReading(1, {1.6, 0.0, 0.0, 0.0});
    m_pAmplifier->setOutputRms(0, 4.0);
    m_pAmplifier->setOutputRms(1, 40.0);
    client.connectToHost(kHost);
    QVERIFY(!repository.isWebSocketConnected());
    QTRY_VERIFY_WITH_TIMEOUT(repository.isWebSocketConnected(), Patience);
    m_pAmplifier->startFeed(50);
    QTRY_VERIFY_WITH_TIMEOUT(updates.size() >= 3, Patience);
    const auto model = updates.last().first().value<ArxWebSocketModel>();
    QCOMPARE(model.analogInputValues, (QList<double>{0.5, -1.0}));
    QCOMPARE(model.digitalInputValues, (QList<double>{-1.0, 4.0}));
    QCOMPARE(model.analogInputLevels.at(0), ArxModelRepository::meterDisplayLevel(0.5));
    QCOMPARE(model.digitalInputLevels.at(1), ArxModelRepository::meterDisplayLevel(4.0));
    QCOMPARE(model.outputLevels, (QList<double>{ArxModelRepository::meterDisplayLevel(4.0), 1.0}));

    m_pAmplifier->closeFeeds();
    QTRY_COMPARE_WITH_TIMEOUT(emptied.size(), 1, Patience);
    QVERIFY(repository.model().isEmpty());
    QVERIFY(!repository.isWebSocketConnected());
    repository.connectWebSocketIfClosed();
    QTRY_VERIFY_WITH_TIMEOUT(repository.isWebSocketConnected(), Patience);
    const int before = int(updates.size());
    QTRY_VERIFY_WITH_TIMEOUT(updates.size() > before, Patience);
    // Connected: nothing to do.
    repository.connectWebSocketIfClosed();
    QCOMPARE(m_pAmplifier->feedConnectionCount(), 2);
    repository.closeWebSocket();
    QVERIFY(!repository.isWebSocketConnected());
}

void TestIWebSocketClient::deletingTheRepositoryWithFramesInFlight()
{
    IWebSocketClient client;
    int protocolFrames = 0;
    client.setProtocolMessageHandler([&protocolFrames](const QString &) { ++protocolFrames; });
    auto pRepository = std::make_unique<ArxModelRepository>();
    pRepository->attachWebSocket(&client);
    QSignalSpy updates(pRepository.get(), &ArxModelRepository::audioModelUpdate);
    m_pAmplifier->setInputCount(64);
    m_pAmplifier->setOutputCount(64);
    m_pAmplifier->setAnimated(true);
    client.connectToHost(kHost);
    m_pAmplifier->startFeed(500);
    QTRY_VERIFY_WITH_TIMEOUT(updates.size() >= 5, Patience);
    pRepository.reset();
    const int seen = protocolFrames;
    QTRY_VERIFY_WITH_TIMEOUT(protocolFrames > seen + 20, Patience);
    m_pAmplifier->closeFeeds(); // the disconnection reaches no repository
    QTRY_VERIFY_WITH_TIMEOUT(!client.isConnected(), Patience);
}

void TestIWebSocketClient::deletingTheClientFirst()
{
    ArxModelRepository repository;
    {
        IWebSocketClient client;
        repository.attachWebSocket(&client);
        client.connectToHost(kHost);
        m_pAmplifier->startFeed(200);
        QTRY_VERIFY_WITH_TIMEOUT(repository.frameCount() > 3, Patience);
    }
    QCOMPARE(repository.webSocket(), nullptr);
    QVERIFY(!repository.isWebSocketConnected());
    repository.reconnectWebSocket();
    repository.connectWebSocketIfClosed();
    repository.closeWebSocket();
    QTRY_COMPARE_WITH_TIMEOUT(m_pAmplifier->feedClientCount(), 0, Patience);
}

// A client that never opened has no socket yet: closing it does nothing, and
// its first open still connects.
void TestIWebSocketClient::closingBeforeTheFirstOpen()
{
    IWebSocketClient client;
    client.close();
    QCOMPARE(client.socketState(), QAbstractSocket::UnconnectedState);
    QVERIFY(!client.isOpenRequested());
    QVERIFY(!client.isConnected());
    client.connectToHost(kHost);
    QTRY_VERIFY_WITH_TIMEOUT(client.isConnected(), Patience);
    QCOMPARE(client.socketState(), QAbstractSocket::ConnectedState);
    client.close();
    QTRY_COMPARE_WITH_TIMEOUT(m_pAmplifier->feedClientCount(), 0, Patience);
}

VR_TEST_MAIN(TestIWebSocketClient)
#include "tst_iwebsocketclient.moc"

