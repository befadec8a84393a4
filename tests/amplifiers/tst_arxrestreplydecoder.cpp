#include "VrTest.h"

#include "amplifiers/ArxRestReplyDecoder.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <limits>

namespace {

const QString kOut = QStringLiteral("/Device/Audio/Presets/Live/OutputProcess/Channels/");

// A reply body with the items given as JSON text.
QByteArray reply(const QString &items)
{
    return (QStringLiteral(R"({"clientId":"x8-panel","payload":{"action":{"type":"READ","values":[)") + items
            + QStringLiteral("]}}}"))
        .toUtf8();
}

QString gain(int channel, const QString &value, const QString &block = QString())
{
    return QStringLiteral(R"({"id":"%1Channel-%2%3/Gain/Value","data":{"type":"FLOAT","floatValue":%4}})")
        .arg(kOut, QString::number(channel), block, value);
}

QString mute(int channel, const QString &value)
{
    return QStringLiteral(R"({"id":"%1Channel-%2/Mute/Value","data":{"type":"BOOL","boolValue":%3}})")
        .arg(kOut, QString::number(channel), value);
}

QString inMute(int input, const QString &value)
{
    return QStringLiteral(R"({"id":"/Device/Audio/Presets/Live/InputMatrix/InMute-%1/Value",)"
                          R"("data":{"type":"BOOL","boolValue":%2}})")
        .arg(QString::number(input), value);
}

} // namespace

// The REST repository's reply decoding: id classes, channel numbers,
// percents, and what single and multi-item replies store.
class TestArxRestReplyDecoder : public QObject
{
    Q_OBJECT

private slots:
    void idClasses_data();
    void idClasses();
    void outputChannels_data();
    void outputChannels();
    void inputChannels_data();
    void inputChannels();
    void percents_data();
    void percents();
    void singleItems_data();
    void singleItems();
    void listReply();
    void listSkipsBadItems();
    void farChannelsAreIgnored();
    void badBodies_data();
    void badBodies();
};

void TestArxRestReplyDecoder::idClasses_data()
{
    using Class = ArxRestReplyDecoder::IdClass;
    QTest::addColumn<QString>("id");
    QTest::addColumn<int>("idClass");
    QTest::newRow("output gain") << kOut + "Channel-0/Gain/Value" << int(Class::OutputGain);
    QTest::newRow("gain outside the outputs") << "/Device/Generals/Gain/Value" << int(Class::OutputGain);
    for (const char *block : {"DynamicEq", "IIR", "TruePowerLimiter", "CurrentLimiterRMS", "CurrentClamp",
                              "ClipLimiter", "PeakLimiter", "VoltageLimiterRMS", "ThermalLimiter"})
        QTest::newRow(block) << kOut + "Channel-0/" + block + "/Gain/Value" << int(Class::Other);
    QTest::newRow("output mute") << kOut + "Channel-1/Mute/Value" << int(Class::OutputMute);
    QTest::newRow("input mute") << "/Device/Audio/Presets/Live/InputMatrix/InMute-2/Value"
                                << int(Class::InputMute);
    QTest::newRow("matrix mute") << "/Device/Audio/Presets/Live/InputMatrix/Channels/Channel-0/Mute-1/Value"
                                 << int(Class::Other);
    QTest::newRow("case matters") << kOut + "Channel-0/gain/Value" << int(Class::Other);
    QTest::newRow("pilot tone") << kOut + "Channel-0/PilotTone/Enable/Value" << int(Class::Other);
}

void TestArxRestReplyDecoder::idClasses()
{
    QFETCH(QString, id);
    QFETCH(int, idClass);
    QCOMPARE(int(ArxRestReplyDecoder::classOf(id)), idClass);
}

void TestArxRestReplyDecoder::outputChannels_data()
{
    QTest::addColumn<QString>("id");
    QTest::addColumn<int>("channel");
    QTest::addColumn<QString>("warning");
    QTest::newRow("channel 3") << kOut + "Channel-3/Gain/Value" << 3 << QString();
    QTest::newRow("decimal, not octal") << kOut + "Channel-010/Gain/Value" << 10 << QString();
    QTest::newRow("after a dash") << kOut + "Channel-2-extra/Gain/Value" << 2 << QString();
    QTest::newRow("highest allowed") << kOut + "Channel-63/Gain/Value" << 63 << QString();
    QTest::newRow("no marker") << "/Device/Gain/Value" << -1
                               << "Channel Index not found in Output result id: /Device/Gain/Value";
    QTest::newRow("nothing after the dash")
        << kOut + "Channel-/Gain/Value" << -1
        << "Channel node in response's value id and a non-numeric id: Channel-";
    QTest::newRow("letters") << kOut + "Channel-x1/Gain/Value" << -1
                             << "Channel node in response's value id and a non-numeric id: Channel-x1";
    QTest::newRow("beyond any amplifier")
        << kOut + "Channel-99999999/Gain/Value" << -1
        << "Channel node in resposne's value id does not contain a channel number: Channel-99999999";
    QTest::newRow("one past the last") << kOut + "Channel-64/Gain/Value" << -1
                                       << "Channel node in resposne's value id does not contain a channel "
                                          "number: Channel-64";
    QTest::newRow("beyond int") << kOut + "Channel-99999999999/Gain/Value" << -1
                                << "Channel node in response's value id and a non-numeric id: "
                                   "Channel-99999999999";
}

void TestArxRestReplyDecoder::outputChannels()
{
    QFETCH(QString, id);
    QFETCH(int, channel);
    QFETCH(QString, warning);
    if (!warning.isEmpty())
        QTest::ignoreMessage(QtWarningMsg, qPrintable(warning));
    QCOMPARE(ArxRestReplyDecoder::outputChannel(id), channel);
}

void TestArxRestReplyDecoder::inputChannels_data()
{
    QTest::addColumn<QString>("id");
    QTest::addColumn<int>("input");
    QTest::addColumn<QString>("warning");
    const QString matrix = QStringLiteral("/Device/Audio/Presets/Live/InputMatrix/");
    QTest::newRow("input 1") << matrix + "InMute-1/Value" << 1 << QString();
    QTest::newRow("no marker") << matrix + "Mute/Value" << -1
                               << "Channel Index not found in Input Mute result id: " + matrix + "Mute/Value";
    QTest::newRow("nothing after the dash")
        << matrix + "InMute-/Value" << -1
        << "Channel node for Input response's value id is a non-numeric id: InMute-";
    QTest::newRow("too far") << matrix + "InMute-500/Value" << -1
                             << "Channel node for Input Response's value id does not contain a channel "
                                "number: InMute-500";
}

void TestArxRestReplyDecoder::inputChannels()
{
    QFETCH(QString, id);
    QFETCH(int, input);
    QFETCH(QString, warning);
    if (!warning.isEmpty())
        QTest::ignoreMessage(QtWarningMsg, qPrintable(warning));
    QCOMPARE(ArxRestReplyDecoder::inputChannel(id), input);
}

void TestArxRestReplyDecoder::percents_data()
{
    QTest::addColumn<double>("gain");
    QTest::addColumn<int>("percent");
    QTest::newRow("1") << 1.0 << 100;
    QTest::newRow("0.5") << 0.5 << 90;
    QTest::newRow("0.25") << 0.25 << 80;
    QTest::newRow("0.002") << 0.002 << 10;
    QTest::newRow("0.001") << 0.001 << 0;
    QTest::newRow("2^-10 is the bottom") << 1.0 / 1024.0 << 0;
    QTest::newRow("below the bottom") << 0.0001 << 0;
    QTest::newRow("above 1") << 4.0 << 100;
    QTest::newRow("zero") << 0.0 << 0;
    QTest::newRow("negative") << -0.5 << 0;
    QTest::newRow("infinite") << std::numeric_limits<double>::infinity() << 0;
    QTest::newRow("not a number") << std::numeric_limits<double>::quiet_NaN() << 0;
    QTest::newRow("smallest positive") << std::numeric_limits<double>::denorm_min() << 0;
}

void TestArxRestReplyDecoder::percents()
{
    QFETCH(double, gain);
    QTEST(ArxRestReplyDecoder::gainPercent(gain), "percent");
}

void TestArxRestReplyDecoder::singleItems_data()
{
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<bool>("announced");
    QTest::addColumn<QList<double>>("gains");
    QTest::addColumn<QList<int>>("percents");
    QTest::addColumn<QList<bool>>("mutes");
    QTest::addColumn<QList<int>>("inputs");
    QTest::addColumn<QString>("warning");
    QTest::newRow("gain 0.25") << reply(gain(0, "0.25")) << true << QList<double>{0.25} << QList<int>{80}
                               << QList<bool>{} << QList<int>{} << QString();
    QTest::newRow("gain of channel 2 grows the lists")
        << reply(gain(2, "0.5")) << true << QList<double>{0, 0, 0.5} << QList<int>{0, 0, 90} << QList<bool>{}
        << QList<int>{} << QString();
    QTest::newRow("gain not a number") << reply(gain(1, "\"loud\"")) << true << QList<double>{0, 0}
                                       << QList<int>{0, 0} << QList<bool>{} << QList<int>{}
                                       << "Response JSON floatValue is NaN: " + QString::fromUtf8(reply(gain(1, "\"loud\"")));
    QTest::newRow("limiter gain: unhandled, announced")
        << reply(gain(1, "0.5", "/TruePowerLimiter")) << true << QList<double>{} << QList<int>{}
        << QList<bool>{} << QList<int>{} << QString();
    QTest::newRow("mute of channel 3") << reply(mute(3, "true")) << true << QList<double>{} << QList<int>{}
                                       << QList<bool>{false, false, false, true} << QList<int>{} << QString();
    QTest::newRow("mute as 1") << reply(mute(0, "1")) << true << QList<double>{} << QList<int>{}
                               << QList<bool>{true} << QList<int>{} << QString();
    QTest::newRow("mute a text") << reply(mute(0, "\"yes\"")) << true << QList<double>{} << QList<int>{}
                                 << QList<bool>{false} << QList<int>{}
                                 << "Response JSON boolValue is not a bool: " + QString::fromUtf8(reply(mute(0, "\"yes\"")));
    QTest::newRow("input mute alone stores nothing")
        << reply(inMute(1, "true")) << true << QList<double>{} << QList<int>{} << QList<bool>{} << QList<int>{}
        << QString();
    QTest::newRow("channel without a number: not announced")
        << reply(QStringLiteral(R"({"id":"%1Channel-/Gain/Value","data":{"floatValue":0.5}})").arg(kOut))
        << false << QList<double>{} << QList<int>{} << QList<bool>{} << QList<int>{}
        << "Channel node in response's value id and a non-numeric id: Channel-";
    QTest::newRow("item not an object") << reply("7") << false << QList<double>{} << QList<int>{}
                                        << QList<bool>{} << QList<int>{} << "Values list item is not an object.";
    QTest::newRow("item without id") << reply("{}") << false << QList<double>{} << QList<int>{} << QList<bool>{}
                                     << QList<int>{} << "Value Object does not contain member: id";
}

void TestArxRestReplyDecoder::singleItems()
{
    QFETCH(QByteArray, body);
    QFETCH(QString, warning);
    if (!warning.isEmpty())
        QTest::ignoreMessage(QtWarningMsg, qPrintable(warning));
    ArxRestModel model;
    QTEST(ArxRestReplyDecoder::apply(body, &model), "announced");
    QTEST(model.outputGains, "gains");
    QTEST(model.outputGainPercents, "percents");
    QTEST(model.outputMutes, "mutes");
    QTEST(model.inputMutes, "inputs");
}

// A folder read: every output gain and mute, every input mute; limiter
// gains and matrix mutes pass by. Lists grow to the highest channel named.
void TestArxRestReplyDecoder::listReply()
{
    const QString matrixMute = QStringLiteral(
        R"({"id":"/Device/Audio/Presets/Live/InputMatrix/Channels/Channel-0/Mute-1/Value","data":{"boolValue":true}})");
    const QByteArray body = reply(gain(0, "1") + "," + gain(1, "0.5", "/PeakLimiter") + "," + gain(1, "0.25")
                                  + "," + gain(0, "0.125", "/ThermalLimiter") + "," + mute(3, "true") + ","
                                  + inMute(1, "false") + "," + matrixMute + ","
                                  + QStringLiteral(R"({"id":"%1Channel-2/Gain/Value"})").arg(kOut));
    ArxRestModel model;
    QVERIFY(ArxRestReplyDecoder::apply(body, &model));
    QCOMPARE(model.outputGains, (QList<double>{1.0, 0.25, 0.0}));
    QCOMPARE(model.outputGainPercents, (QList<int>{100, 80, 0}));
    QCOMPARE(model.outputMutes, (QList<bool>{false, false, false, true}));
    QCOMPARE(model.inputMutes, (QList<int>{-1, 0}));

    // The next read only changes what it names.
    QVERIFY(ArxRestReplyDecoder::apply(reply(mute(0, "true") + "," + inMute(0, "true")), &model));
    QCOMPARE(model.outputMutes, (QList<bool>{true, false, false, true}));
    QCOMPARE(model.inputMutes, (QList<int>{1, 0}));
    QCOMPARE(model.outputGains, (QList<double>{1.0, 0.25, 0.0}));
}

void TestArxRestReplyDecoder::listSkipsBadItems()
{
    QTest::ignoreMessage(QtWarningMsg, "Found non-object in ARX response value list.");
    QTest::ignoreMessage(QtWarningMsg, "Json object does not contain expected member: id");
    QTest::ignoreMessage(QtWarningMsg, "Json member is not a string: id");
    ArxRestModel model;
    QVERIFY(ArxRestReplyDecoder::apply(
        reply("[1]," + gain(0, "0.5") + ",{\"data\":{}},{\"id\":5}," + mute(1, "true")), &model));
    QCOMPARE(model.outputGains, QList<double>{0.5});
    QCOMPARE(model.outputMutes, (QList<bool>{false, true}));
}

// A reply naming a channel no amplifier has changes nothing; it must not
// make the lists grow that far.
void TestArxRestReplyDecoder::farChannelsAreIgnored()
{
    ArxRestModel model;
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("does not contain a channel number: Channel-99999999$"));
    QVERIFY(!ArxRestReplyDecoder::apply(reply(gain(99999999, "0.5")), &model));
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("does not contain a channel number: Channel-99999999$"));
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("does not contain a channel number: InMute-2000000$"));
    QVERIFY(ArxRestReplyDecoder::apply(reply(gain(99999999, "0.5") + "," + gain(1, "1") + ","
                                             + inMute(2000000, "true")),
                                       &model));
    QCOMPARE(model.outputGains, (QList<double>{0.0, 1.0}));
    QCOMPARE(model.inputMutes, QList<int>{});
    // The stores themselves refuse as well.
    ArxRestReplyDecoder::storeGain(&model, 1 << 30, 0.5);
    ArxRestReplyDecoder::storeOutputMute(&model, -1, true);
    ArxRestReplyDecoder::storeInputMute(&model, 64, true);
    QCOMPARE(model.outputGains.size(), 2);
    QCOMPARE(model.outputMutes.size(), 0);
    QCOMPARE(model.inputMutes.size(), 0);
}

void TestArxRestReplyDecoder::badBodies_data()
{
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QString>("warning");
    QTest::newRow("not JSON") << QByteArray("<html>") << "Invalid JSON Response from ARX API: <html>";
    QTest::newRow("array") << QByteArray("[1]") << "Invalid JSON Response from ARX API: [1]";
    QTest::newRow("no payload") << QByteArray("{}") << "Json object does not contain expected member: payload";
    QTest::newRow("values a text") << QByteArray(R"({"payload":{"action":{"values":"x"}}})")
                                   << "Json member is not an array: values";
    QTest::newRow("values empty") << reply(QString()) << "Values list is empty.";
}

void TestArxRestReplyDecoder::badBodies()
{
    QFETCH(QByteArray, body);
    QFETCH(QString, warning);
    QTest::ignoreMessage(QtWarningMsg, qPrintable(warning));
    ArxRestModel model;
    model.outputMutes = {true};
    const ArxRestModel before = model;
    QVERIFY(!ArxRestReplyDecoder::apply(body, &model));
    QVERIFY(model == before);
}

VR_TEST_MAIN(TestArxRestReplyDecoder)
#include "tst_arxrestreplydecoder.moc"
