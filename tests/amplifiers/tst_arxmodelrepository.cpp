#include "VrTest.h"

#include "amplifiers/ArxMeterFrame.h"
#include "amplifiers/ArxModelRepository.h"
#include "amplifiers/ArxWebSocketModel.h"
#include "comms/IWebSocketClient.h"

#include <QSignalSpy>

#include <cmath>

namespace {

QStringList s_warnings;

void recordWarnings(QtMsgType type, const QMessageLogContext &, const QString &message)
{
    if (type == QtWarningMsg)
        s_warnings.append(message);
}

// "42" and the event array around a readings object's JSON text.
QString frame(const QString &readings)
{
    return QStringLiteral("42[\"meters\",{\"payload\":{\"readings\":") + readings + QStringLiteral("}}]");
}

QString meters(const QString &inputs, const QString &outputs)
{
    return frame(QStringLiteral("{\"meters\":{\"source_selection\":") + inputs
                 + QStringLiteral(",\"output_process\":") + outputs + QStringLiteral("}}"));
}

// The level of a value at dB below the top of the weighted scale.
double valueAtDb(double dB)
{
    return 40.0 * std::pow(10.0, dB / (20.0 * 0.8328567561957783));
}

} // namespace

// The meter feed's frames: which are read, how readings are scaled, and
// what a bad frame leaves behind.
class TestArxModelRepository : public QObject
{
    Q_OBJECT

private slots:
    void init() { s_warnings.clear(); }

    void displayLevel_data();
    void displayLevel();
    void decoding_data();
    void decoding();
    void badFrames_data();
    void badFrames();
    void announcesWholeFramesOnly();
    void disconnectEmptiesTheModel();
    void detachesFromTheClient();
};

void TestArxModelRepository::displayLevel_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<double>("level");
    QTest::newRow("full scale at 40") << 40.0 << 1.0;
    QTest::newRow("above full scale") << 4000.0 << 1.0;
    QTest::newRow("top 2.5 dB show full") << valueAtDb(-2.4) << 1.0;
    QTest::newRow("negative") << -1.0 << 0.0;
    QTest::newRow("zero") << 0.0 << 0.0;
    QTest::newRow("at the -50 dB floor") << valueAtDb(-50.0) << 0.0;
    QTest::newRow("below the floor") << valueAtDb(-70.0) << 0.0;
    QTest::newRow("first 0.25 dB show nothing") << valueAtDb(-49.8) << 0.0;
    QTest::newRow("just above that") << valueAtDb(-49.7) << 0.056;
    QTest::newRow("a tenth of 40") << 4.0 << 0.05 + (20.0 * std::log10(0.1) * 0.8328567561957783 + 50.0) / 50.0;
    QTest::newRow("halfway") << valueAtDb(-27.5) << 0.5;
}

void TestArxModelRepository::displayLevel()
{
    QFETCH(double, value);
    QFETCH(double, level);
    QVERIFY2(qAbs(ArxModelRepository::meterDisplayLevel(value) - level) < 1e-6,
             qPrintable(QString::number(ArxModelRepository::meterDisplayLevel(value))));
}

void TestArxModelRepository::decoding_data()
{
    QTest::addColumn<QString>("message");
    QTest::addColumn<QList<double>>("analog");
    QTest::addColumn<QList<double>>("digital");
    QTest::addColumn<QList<double>>("outputs");
    const QString empty = QStringLiteral("[]");
    QTest::newRow("peak 1 wins")
        << meters(QStringLiteral("[{\"meter_peak_0\":0.4,\"meter_peak_1\":2,\"meter_peak_2\":3}]"), empty)
        << QList<double>{5.0} << QList<double>{1.0} << QList<double>{};
    QTest::newRow("peak 2 when 1 is 0")
        << meters(QStringLiteral("[{\"meter_peak_1\":0,\"meter_peak_2\":0.2}]"), empty)
        << QList<double>{0.5} << QList<double>{-1.0} << QList<double>{};
    QTest::newRow("peak 3 last")
        << meters(QStringLiteral("[{\"meter_peak_1\":0,\"meter_peak_2\":-3,\"meter_peak_3\":1}]"), empty)
        << QList<double>{2.5} << QList<double>{-1.0} << QList<double>{};
    QTest::newRow("below the floor is absent")
        << meters(QStringLiteral("[{\"meter_peak_0\":0.00000000001,\"meter_peak_1\":0.00000000001}]"), empty)
        << QList<double>{-1.0} << QList<double>{-1.0} << QList<double>{};
    QTest::newRow("just above the floor")
        << meters(QStringLiteral("[{\"meter_peak_0\":0.00000000005}]"), empty)
        << QList<double>{-1.0} << QList<double>{2.5 * 0.00000000005} << QList<double>{};
    QTest::newRow("entry not an object")
        << meters(QStringLiteral("[7]"), QStringLiteral("[\"x\"]"))
        << QList<double>{-1.0} << QList<double>{-1.0} << QList<double>{0.0};
    QTest::newRow("three inputs, two outputs")
        << meters(QStringLiteral("[{\"meter_peak_1\":1},{\"meter_peak_1\":2},{\"meter_peak_0\":4}]"),
                  QStringLiteral("[{\"meter_v_post_rms\":0.1},{\"meter_v_post_rms\":12}]"))
        << QList<double>{2.5, 5.0, -1.0} << QList<double>{-1.0, -1.0, 10.0}
        << QList<double>{double(0.1f), 12.0};
    QTest::newRow("outputs unscaled, no floor")
        << meters(empty, QStringLiteral("[{\"meter_v_post_rms\":-2},{\"other\":1}]"))
        << QList<double>{} << QList<double>{} << QList<double>{-2.0, 0.0};
}

void TestArxModelRepository::decoding()
{
    QFETCH(QString, message);
    QFETCH(QList<double>, analog);
    QFETCH(QList<double>, digital);
    QFETCH(QList<double>, outputs);
    ArxWebSocketModel model;
    QCOMPARE(ArxMeterFrame::decode(message, &model), ArxMeterFrame::Result::Filled);
    QCOMPARE(model.analogInputValues, analog);
    QCOMPARE(model.digitalInputValues, digital);
    QCOMPARE(model.outputValues, outputs);
    QCOMPARE(model.analogInputLevels.size(), analog.size());
    QCOMPARE(model.digitalInputLevels.size(), digital.size());
    QCOMPARE(model.outputLevels.size(), outputs.size());
    for (int i = 0; i < analog.size(); ++i) {
        QCOMPARE(model.analogInputLevels.at(i), ArxModelRepository::meterDisplayLevel(analog.at(i)));
        QCOMPARE(model.digitalInputLevels.at(i), ArxModelRepository::meterDisplayLevel(digital.at(i)));
    }
    for (int i = 0; i < outputs.size(); ++i)
        QCOMPARE(model.outputLevels.at(i), ArxModelRepository::meterDisplayLevel(outputs.at(i)));
}

void TestArxModelRepository::badFrames_data()
{
    QTest::addColumn<QString>("message");
    QTest::addColumn<int>("result");
    QTest::addColumn<QString>("warning"); // how the warning begins
    QTest::addColumn<bool>("inputsTaken");
    using R = ArxMeterFrame::Result;
    const QString ok = QStringLiteral("[{\"meter_peak_1\":4}]");
    QTest::newRow("engine.io open") << "0{\"sid\":\"a\"}" << int(R::Ignored) << "" << false;
    QTest::newRow("ping") << "2" << int(R::Ignored) << "" << false;
    QTest::newRow("socket.io connect") << "40" << int(R::Ignored) << "" << false;
    QTest::newRow("ack, not an event") << "43[{}]" << int(R::Ignored) << "" << false;
    QTest::newRow("only slows") << frame("{\"slows\":{\"ext_state\":{}}}") << int(R::NoMeters) << "" << false;
    QTest::newRow("not JSON") << "42[oops" << int(R::Malformed)
                              << "Invalid JSON Received from WebSocket: [oops" << false;
    QTest::newRow("one element") << "42[\"meters\"]" << int(R::Malformed)
                                 << "Unexpected JSON structure obtained from WebSocket: " << false;
    QTest::newRow("element 1 a number") << "42[\"meters\",5]" << int(R::Malformed)
                                        << "Unexpected JSON structure obtained from WebSocket: " << false;
    QTest::newRow("no payload") << "42[\"m\",{}]" << int(R::Malformed)
                                << "WebSocket JSON does not have payload member: " << false;
    QTest::newRow("payload a text") << "42[\"m\",{\"payload\":\"x\"}]" << int(R::Malformed)
                                    << "WebSocket payload member is not an object: " << false;
    QTest::newRow("no readings") << "42[\"m\",{\"payload\":{}}]" << int(R::Malformed)
                                 << "WebSocket payload does not contain readings member: " << false;
    QTest::newRow("readings a list") << frame("[]") << int(R::Malformed)
                                     << "WebSocket readings member is not an object." << false;
    QTest::newRow("meters a list") << frame("{\"meters\":[]}") << int(R::Malformed)
                                   << "WebSocket readings member is not an array: " << false;
    QTest::newRow("no source_selection") << frame("{\"meters\":{\"output_process\":[]}}") << int(R::Malformed)
                                         << "WebSocket meters does not contain source_selection member: " << false;
    QTest::newRow("source_selection an object")
        << frame("{\"meters\":{\"source_selection\":{},\"output_process\":[]}}") << int(R::Malformed)
        << "WebSocket source_selection member is not an array: " << false;
    QTest::newRow("no output_process") << frame("{\"meters\":{\"source_selection\":" + ok + "}}")
                                       << int(R::Malformed)
                                       << "WebSocket meters does not contain output_process member: " << true;
    QTest::newRow("output_process a number")
        << frame("{\"meters\":{\"source_selection\":" + ok + ",\"output_process\":3}}") << int(R::Malformed)
        << "WebSocket output_process is not an array: " << true;
}

// A bad frame is warned about, announces nothing and leaves the model as
// it was, except that the last two kinds already took this frame's inputs.
void TestArxModelRepository::badFrames()
{
    QFETCH(QString, message);
    QFETCH(int, result);
    QFETCH(QString, warning);
    QFETCH(bool, inputsTaken);

    IWebSocketClient client;
    ArxModelRepository repository;
    repository.attachWebSocket(&client);
    QSignalSpy updates(&repository, &ArxModelRepository::audioModelUpdate);
    client.deliverMessage(meters(QStringLiteral("[{\"meter_peak_1\":1},{\"meter_peak_1\":1}]"),
                                 QStringLiteral("[{\"meter_v_post_rms\":3}]")));
    QCOMPARE(updates.size(), 1);
    const ArxWebSocketModel before = repository.model();

    ArxWebSocketModel direct = before;
    QString text;
    QCOMPARE(int(ArxMeterFrame::decode(message, &direct, &text)), result);
    QVERIFY2(warning.isEmpty() ? text.isEmpty() : text.startsWith(warning), qPrintable(text));

    qInstallMessageHandler(recordWarnings);
    client.deliverMessage(message);
    qInstallMessageHandler(nullptr);
    QCOMPARE(updates.size(), 1);
    QCOMPARE(s_warnings.size(), warning.isEmpty() ? 0 : 1);
    if (!warning.isEmpty())
        QVERIFY(s_warnings.first().startsWith(warning));
    const ArxWebSocketModel &after = repository.model();
    QCOMPARE(after.outputValues, before.outputValues);
    QCOMPARE(after.outputLevels, before.outputLevels);
    if (inputsTaken) {
        QCOMPARE(after.analogInputValues, QList<double>{10.0});
        QCOMPARE(after.analogInputLevels.size(), 1);
    } else {
        QCOMPARE(after.analogInputValues, before.analogInputValues);
        QCOMPARE(after.digitalInputLevels, before.digitalInputLevels);
    }
}

// audioModelUpdate carries a copy of the whole model after each good frame.
void TestArxModelRepository::announcesWholeFramesOnly()
{
    IWebSocketClient client;
    ArxModelRepository repository;
    repository.attachWebSocket(&client);
    QSignalSpy updates(&repository, &ArxModelRepository::audioModelUpdate);
    client.deliverMessage(meters(QStringLiteral("[{\"meter_peak_1\":0.2}]"),
                                 QStringLiteral("[{\"meter_v_post_rms\":4},{\"meter_v_post_rms\":40}]")));
    QCOMPARE(updates.size(), 1);
    const auto model = updates.first().first().value<ArxWebSocketModel>();
    QCOMPARE(model.analogInputValues, QList<double>{0.5});
    QCOMPARE(model.outputLevels.size(), 2);
    QCOMPARE(model.outputLevels.at(1), 1.0);
    QCOMPARE(repository.frameCount(), 1);
    client.deliverMessage(QStringLiteral("3"));
    QCOMPARE(updates.size(), 1);
    QCOMPARE(repository.frameCount(), 2);
}

void TestArxModelRepository::disconnectEmptiesTheModel()
{
    IWebSocketClient client;
    ArxModelRepository repository;
    repository.attachWebSocket(&client);
    QSignalSpy disconnects(&repository, &ArxModelRepository::websocketDisconnect);
    client.deliverMessage(meters(QStringLiteral("[{\"meter_peak_1\":1}]"), QStringLiteral("[{\"meter_v_post_rms\":1}]")));
    QVERIFY(!repository.model().isEmpty());
    emit client.websocketDisconnected();
    QCOMPARE(disconnects.size(), 1);
    QVERIFY(repository.model().isEmpty());
    // Attached twice, still one slot.
    repository.attachWebSocket(&client);
    emit client.websocketDisconnected();
    QCOMPARE(disconnects.size(), 2);
}

// A repository that goes first takes its handler off the client; one
// attached to another client leaves the first.
void TestArxModelRepository::detachesFromTheClient()
{
    IWebSocketClient client;
    IWebSocketClient other;
    const QString good = meters(QStringLiteral("[]"), QStringLiteral("[]"));
    {
        ArxModelRepository repository;
        repository.attachWebSocket(&client);
        QSignalSpy updates(&repository, &ArxModelRepository::audioModelUpdate);
        repository.attachWebSocket(&other);
        client.deliverMessage(good);
        QCOMPARE(updates.size(), 0);
        other.deliverMessage(good);
        QCOMPARE(updates.size(), 1);
    }
    other.deliverMessage(good); // reaches no deleted repository
    emit other.websocketDisconnected();
}

VR_TEST_MAIN(TestArxModelRepository)
#include "tst_arxmodelrepository.moc"
