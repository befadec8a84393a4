#include "VrTest.h"

#include "ClosedPort.h"
#include "SimulatedArxAmplifier.h"
#include "comms/IArxAddress.h"
#include "comms/IRestAPIClient.h"
#include "comms/IWebSocketClient.h"
#include "comms/ReplyTags.h"

#include <QJsonObject>
#include <QSignalSpy>
#include <QTranslator>

// The failure texts the transports report read as the shipped translation
// file says, whichever class reports them: the file lists them in one
// context, and a text asked for in another stays its bare key.
class TestShippedTranslations : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        // The file is a resource of the application library, which this
        // test uses for nothing else: naming the resource links it in.
        Q_INIT_RESOURCE(vrapp_translations);
        QVERIFY(m_translator.load(QStringLiteral(":/Desktop/Client/translators/translate_en.qm")));
        QVERIFY(QCoreApplication::installTranslator(&m_translator));
    }
    void cleanupTestCase() { IArxAddress::setPort(closedLocalPort()); }

    void tags_data();
    void tags();
    void restFailures_data();
    void restFailures();
    void webSocketFailure();

private:
    QTranslator m_translator;
    SimulatedArxAmplifier m_amplifier;
};

void TestShippedTranslations::tags_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected");
    QTest::newRow("network") << ReplyTags::networkError()
                             << "Network error: the device could not be reached.";
    QTest::newRow("refused") << ReplyTags::nackReceived() << "The device refused the command.";
    QTest::newRow("unknown") << ReplyTags::unknownReceived()
                             << "The device sent a reply that could not be understood.";
    QTest::newRow("JSON") << ReplyTags::jsonParsingError()
                          << "The device sent a reply that could not be read.";
}

void TestShippedTranslations::tags()
{
    QFETCH(QString, text);
    QFETCH(QString, expected);
    QCOMPARE(text, expected);
}

void TestShippedTranslations::restFailures_data()
{
    using Mode = SimulatedArxAmplifier::RestMode;
    QTest::addColumn<int>("mode");
    QTest::addColumn<QString>("prefix");
    QTest::newRow("HTTP error") << int(Mode::ServerError) << ReplyTags::networkError();
    QTest::newRow("not JSON") << int(Mode::NotJson) << ReplyTags::jsonParsingError();
    QTest::newRow("refused") << -1 << ReplyTags::networkError();
}

void TestShippedTranslations::restFailures()
{
    QFETCH(int, mode);
    QFETCH(QString, prefix);
    QVERIFY(!prefix.startsWith(QLatin1String("IDS_")));
    if (mode < 0) {
        IArxAddress::setPort(closedLocalPort());
    } else {
        IArxAddress::setPort(m_amplifier.port());
        m_amplifier.setRestMode(SimulatedArxAmplifier::RestMode(mode));
    }
    IRestAPIClient client;
    QSignalSpy failed(&client, &IRestAPIClient::apiCallFailed);
    QString failure;
    QVERIFY(client.postRequest(QStringLiteral("127.0.0.1"), QJsonDocument(QJsonObject()),
                               [](const QJsonDocument &) {},
                               [&failure](const QString &text) { failure = text; }));
    QTRY_VERIFY_WITH_TIMEOUT(!failure.isEmpty(), 10000);
    QVERIFY2(failure.startsWith(prefix), qPrintable(failure));
}

void TestShippedTranslations::webSocketFailure()
{
    IArxAddress::setPort(closedLocalPort());
    IWebSocketClient client;
    QStringList errors;
    client.setModelErrorHandler([&errors](const QString &text) { errors.append(text); });
    client.connectToHost(QStringLiteral("127.0.0.1"));
    QTRY_VERIFY_WITH_TIMEOUT(!errors.isEmpty(), 10000);
    QVERIFY2(errors.first().startsWith(ReplyTags::networkError()), qPrintable(errors.first()));
}

VR_TEST_MAIN(TestShippedTranslations)
#include "tst_shippedtranslations.moc"
