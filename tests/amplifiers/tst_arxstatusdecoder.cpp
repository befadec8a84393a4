#include "VrTest.h"

#include "amplifiers/ArxRequestConstants.h"
#include "amplifiers/ArxStatusDecoder.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cmath>
#include <limits>

namespace {

using C = ArxRequestConstants;

QJsonObject boolItem(const QString &path, bool value)
{
    return QJsonObject{{QStringLiteral("id"), path},
                       {QStringLiteral("data"), QJsonObject{{QStringLiteral("type"), QStringLiteral("BOOL")},
                                                            {QStringLiteral("boolValue"), value}}}};
}

QJsonObject intItem(const QString &path, int value)
{
    return QJsonObject{{QStringLiteral("id"), path},
                       {QStringLiteral("data"), QJsonObject{{QStringLiteral("type"), QStringLiteral("INT")},
                                                            {QStringLiteral("intValue"), value}}}};
}

QJsonObject object(const char *json)
{
    return QJsonDocument::fromJson(QByteArray(json)).object();
}

// The value shown at dB on the weighted scale below 40.
double valueAtDb(double dB)
{
    return 40.0 * std::pow(10.0, dB / (20.0 * 0.8328567561957783));
}

// A record as the four reads leave it when every input reaches every
// output.
ArxDeviceStatus fourByFour()
{
    ArxDeviceStatus status;
    QJsonArray backup;
    for (const QString &path : C::pathsOf(ArxRequestGroup::BackupStrategyMode))
        backup.append(boolItem(path, false));
    ArxStatusDecoder::decodeReply(ArxRequestGroup::BackupStrategyMode, backup, &status);
    QJsonArray sources;
    for (int c = 0; c < 4; ++c) {
        for (int s = 0; s < 4; ++s)
            sources.append(intItem(C::routingSourcePath(c, s), 2 * s));
    }
    ArxStatusDecoder::decodeReply(ArxRequestGroup::InputPriorities, sources, &status);
    QJsonArray matrix;
    for (const QString &path : C::pathsOf(ArxRequestGroup::MatrixSelection))
        matrix.append(boolItem(path, false));
    ArxStatusDecoder::decodeReply(ArxRequestGroup::MatrixSelection, matrix, &status);
    return status;
}

} // namespace

// Turning an ARX amplifier's answers into its status record.
class TestArxStatusDecoder : public QObject
{
    Q_OBJECT

private slots:
    void sourceNames_data();
    void sourceNames();
    void backupModes_data();
    void backupModes();
    void meterLevel_data();
    void meterLevel();
    void backupStrategyRead();
    void inputPrioritiesRead();
    void matrixSelectionRead();
    void pilotToneFaultsRead();
    void readsNeedFourChannels();
    void emptyValuesFail();
    void inputMeters();
    void outputMeters_data();
    void outputMeters();
    void slows();
    void readingsStayWithinTheRecord();
};

void TestArxStatusDecoder::sourceNames_data()
{
    QTest::addColumn<int>("value");
    QTest::addColumn<QString>("name");
    QTest::newRow("0") << 0 << "Analog 1";
    QTest::newRow("2") << 2 << "Dante 1";
    QTest::newRow("4") << 4 << "Analog 2";
    QTest::newRow("6") << 6 << "Dante 2";
    QTest::newRow("8") << 8 << "Analog 3";
    QTest::newRow("10") << 10 << "Dante 3";
    QTest::newRow("12") << 12 << "Analog 4";
    QTest::newRow("14") << 14 << "Dante 4";
    QTest::newRow("-1") << -1 << "None";
    QTest::newRow("1") << 1 << "Undefined";
    QTest::newRow("16") << 16 << "Undefined";
    QTest::newRow("-2") << -2 << "Undefined";
}

void TestArxStatusDecoder::sourceNames()
{
    QFETCH(int, value);
    QTEST(ArxStatusDecoder::sourceName(value), "name");
}

void TestArxStatusDecoder::backupModes_data()
{
    QTest::addColumn<bool>("enable");
    QTest::addColumn<bool>("pilot");
    QTest::addColumn<bool>("custom");
    QTest::addColumn<int>("mode");
    QTest::addColumn<QString>("text");
    QTest::newRow("signal presence") << true << false << true << 2 << "SignalPresence";
    QTest::newRow("pilot tone") << true << true << false << 3 << "PilotTone";
    QTest::newRow("force") << false << false << false << 1 << "Force";
    QTest::newRow("enable alone") << true << false << false << 0 << "";
    QTest::newRow("all three") << true << true << true << 0 << "";
    QTest::newRow("pilot alone") << false << true << false << 0 << "";
    QTest::newRow("custom alone") << false << false << true << 0 << "";
    QTest::newRow("pilot and custom") << false << true << true << 0 << "";
}

void TestArxStatusDecoder::backupModes()
{
    QFETCH(bool, enable);
    QFETCH(bool, pilot);
    QFETCH(bool, custom);
    QString text = QStringLiteral("stale");
    QTEST(ArxStatusDecoder::backupMode(enable, pilot, custom, &text), "mode");
    QTEST(text, "text");
}

void TestArxStatusDecoder::meterLevel_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<double>("level");
    QTest::newRow("40 is full scale") << 40.0 << 1.0;
    QTest::newRow("above") << 400.0 << 1.0;
    QTest::newRow("zero") << 0.0 << 0.0;
    QTest::newRow("negative") << -1.0 << 0.0;
    QTest::newRow("not a number") << std::numeric_limits<double>::quiet_NaN() << 0.0;
    QTest::newRow("halfway") << valueAtDb(-25.0) << 0.5;
    QTest::newRow("near the top") << valueAtDb(-2.5) << 0.95;
    QTest::newRow("just above the floor") << valueAtDb(-49.0) << 0.02;
    QTest::newRow("at the floor") << valueAtDb(-50.0) << 0.0;
    QTest::newRow("below") << valueAtDb(-80.0) << 0.0;
}

// The status record's own scale: linear over the 50 dB, no offset.
void TestArxStatusDecoder::meterLevel()
{
    QFETCH(double, value);
    QFETCH(double, level);
    QVERIFY2(qAbs(ArxStatusDecoder::meterLevel(value) - level) < 1e-9,
             qPrintable(QString::number(ArxStatusDecoder::meterLevel(value))));
}

void TestArxStatusDecoder::backupStrategyRead()
{
    const bool switches[4][3] = {{true, false, true}, {true, true, false}, {false, false, false}, {true, true, true}};
    QJsonArray values;
    for (int b = 0; b < 4; ++b) {
        values.append(boolItem(C::backupStrategyEnablePath(b), switches[b][0]));
        values.append(boolItem(C::backupStrategyPilotTonePath(b), switches[b][1]));
        values.append(boolItem(C::backupStrategyCustomThresholdPath(b), switches[b][2]));
    }
    ArxDeviceStatus status;
    status.entries.append(ArxStatusEntry()); // left over: starts over
    QVERIFY(ArxStatusDecoder::decodeReply(ArxRequestGroup::BackupStrategyMode, values, &status));
    QCOMPARE(status.channels.size(), 4);
    QCOMPARE(status.entries.size(), 0);
    const int modes[4] = {2, 3, 1, 0};
    const char *texts[4] = {"SignalPresence", "PilotTone", "Force", ""};
    for (int b = 0; b < 4; ++b) {
        QCOMPARE(status.channels.at(b).channel, b);
        QCOMPARE(status.channels.at(b).backupMode, modes[b]);
        QCOMPARE(status.channels.at(b).backupModeText, QString::fromLatin1(texts[b]));
    }
}

// Each routing channel's sources in priority order, Src-0 first, into the
// channel item of the same number.
void TestArxStatusDecoder::inputPrioritiesRead()
{
    ArxDeviceStatus status = fourByFour();
    QJsonArray values;
    const int table[4][4] = {{0, 2, -1, -1}, {4, 6, 1, 14}, {8, 10, 12, 3}, {-1, -1, -1, -1}};
    // Listed backwards: replies are read by id, not by position.
    for (int c = 3; c >= 0; --c) {
        for (int s = 3; s >= 0; --s)
            values.append(intItem(C::routingSourcePath(c, s), table[c][s]));
    }
    QVERIFY(ArxStatusDecoder::decodeReply(ArxRequestGroup::InputPriorities, values, &status));
    auto names = [&](int c) {
        QStringList out;
        for (const ArxSourceName &source : status.channels.at(c).sources)
            out << source.name + (source.selected ? QStringLiteral("*") : QString());
        return out;
    };
    QCOMPARE(names(0), (QStringList{"Analog 1", "Dante 1", "None", "None"}));
    QCOMPARE(names(1), (QStringList{"Analog 2", "Dante 2", "Undefined", "Dante 4"}));
    QCOMPARE(names(2), (QStringList{"Analog 3", "Dante 3", "Analog 4", "Undefined"}));
    QCOMPARE(names(3), (QStringList{"None", "None", "None", "None"}));
}

// Output c hears input m unless "Channel-c/Mute-m" is true; the entry
// lists the inputs by their index in the channel list.
void TestArxStatusDecoder::matrixSelectionRead()
{
    ArxDeviceStatus status = fourByFour();
    QJsonArray values;
    for (int c = 0; c < 4; ++c) {
        for (int m = 0; m < 4; ++m) {
            const bool heard = (c == 0) || (c == 1 && m == 3) || (c == 2 && m != 2);
            values.append(boolItem(C::inputMatrixMutePath(c, m), !heard));
        }
    }
    QVERIFY(ArxStatusDecoder::decodeReply(ArxRequestGroup::MatrixSelection, values, &status));
    QCOMPARE(status.entries.size(), 4);
    QCOMPARE(status.entries.at(0).channels, (QList<int>{0, 1, 2, 3}));
    QCOMPARE(status.entries.at(1).channels, (QList<int>{3}));
    QCOMPARE(status.entries.at(2).channels, (QList<int>{0, 1, 3}));
    QCOMPARE(status.entries.at(3).channels, QList<int>{});
}

void TestArxStatusDecoder::pilotToneFaultsRead()
{
    ArxDeviceStatus status = fourByFour();
    QJsonArray values;
    for (int c = 0; c < 4; ++c) {
        values.append(boolItem(C::pilotToneGeneratorPath(c), c == 0));
        values.append(boolItem(C::pilotTonePath(c), c == 1));
        values.append(boolItem(C::loadMonitorPath(c), c == 2));
        values.append(boolItem(C::nominalImpedancePath(c), c == 3 || c == 0));
    }
    QVERIFY(ArxStatusDecoder::decodeReply(ArxRequestGroup::PilotToneFaults, values, &status));
    for (int c = 0; c < 4; ++c) {
        const ArxStatusEntry &entry = status.entries.at(c);
        QCOMPARE(entry.pilotToneGeneratorOn, c == 0);
        QCOMPARE(entry.pilotToneOn, c == 1);
        QCOMPARE(entry.loadMonitorOn, c == 2);
        QCOMPARE(entry.nominalImpedanceCheckOn, c == 3 || c == 0);
    }
}

// Priorities, matrix and checks land only in a record that the earlier
// reads made whole; otherwise the record keeps what it has.
void TestArxStatusDecoder::readsNeedFourChannels()
{
    QJsonArray sources{intItem(C::routingSourcePath(0, 0), 2)};
    QJsonArray matrix{boolItem(C::inputMatrixMutePath(0, 0), false)};
    QJsonArray checks{boolItem(C::pilotTonePath(0), true)};
    ArxDeviceStatus empty;
    QVERIFY(ArxStatusDecoder::decodeReply(ArxRequestGroup::InputPriorities, sources, &empty));
    QVERIFY(ArxStatusDecoder::decodeReply(ArxRequestGroup::MatrixSelection, matrix, &empty));
    QVERIFY(ArxStatusDecoder::decodeReply(ArxRequestGroup::PilotToneFaults, checks, &empty));
    QCOMPARE(empty.channels.size(), 0);
    QCOMPARE(empty.entries.size(), 0);

    ArxDeviceStatus three = fourByFour();
    three.channels.removeLast();
    const QList<ArxStatusEntry> entries = three.entries;
    QVERIFY(ArxStatusDecoder::decodeReply(ArxRequestGroup::MatrixSelection, matrix, &three));
    QCOMPARE(three.entries, entries);
    QCOMPARE(three.channels.at(0).sources.size(), 4);
}

void TestArxStatusDecoder::emptyValuesFail()
{
    for (ArxRequestGroup group : C::groups()) {
        ArxDeviceStatus status = fourByFour();
        QVERIFY(!ArxStatusDecoder::decodeReply(group, QJsonArray(), &status));
        QCOMPARE(status.channels.size(), 4);
    }
    // The standby writes need no decoding.
    ArxDeviceStatus status;
    QVERIFY(ArxStatusDecoder::decodeReply(ArxRequestGroup::StandbyOn,
                                          QJsonArray{boolItem(C::standbyPath(), true)}, &status));
    QCOMPARE(status.channels.size(), 0);
}

// "source_selection" element i goes to channel item i: its peak and level,
// the selected source (when it names one of the item's sources) and its
// flags.
void TestArxStatusDecoder::inputMeters()
{
    ArxDeviceStatus status = fourByFour();
    const QJsonObject meters = object(R"({"source_selection":[
        {"meter_peak_0":40,"selected_backup":1,"signal_clipping_active":true,"signal_presence_active":1},
        {"meter_peak_0":-3,"selected_backup":4},
        {"selected_backup":-1,"signal_presence_active":false},
        {"meter_peak_0":"loud","selected_backup":"1"},
        {"meter_peak_0":40,"selected_backup":0}],
        "dsp_tskmgr":{"dsp_load_avg":37.25}})");
    ArxStatusDecoder::decodeMeters(meters, &status);
    const ArxChannelStatus &first = status.channels.at(0);
    QCOMPARE(first.peak, 40.0f);
    QCOMPARE(first.peakLevel, 1.0f);
    QCOMPARE(first.selectedSource, 1);
    QCOMPARE(first.selectedSourceName(), QStringLiteral("Dante 1"));
    QVERIFY(!first.sources.at(0).selected);
    QVERIFY(first.sources.at(1).selected);
    QVERIFY(first.clipping);
    QVERIFY(first.signalPresent);
    QCOMPARE(status.channels.at(1).peak, -3.0f);
    QCOMPARE(status.channels.at(1).peakLevel, 0.0f);
    QCOMPARE(status.channels.at(1).selectedSource, -1); // beyond its four sources
    QCOMPARE(status.channels.at(2).selectedSource, -1);
    QVERIFY(!status.channels.at(2).signalPresent);
    // What is not a number reads as 0: the first source.
    QCOMPARE(status.channels.at(3).peak, 0.0f);
    QCOMPARE(status.channels.at(3).selectedSource, 0);
    QCOMPARE(status.dspLoad, 37.25);
    // The fifth reading has no channel item.
    QCOMPARE(status.channels.size(), 4);
}

void TestArxStatusDecoder::outputMeters_data()
{
    QTest::addColumn<QString>("reading");
    QTest::addColumn<bool>("present");
    QTest::addColumn<bool>("clip");
    QTest::addColumn<bool>("limiting");
    QTest::addColumn<bool>("reduction");
    QTest::newRow("quiet, no reduction")
        << R"({"signal_presence":0,"meter_headroom":10,"user_gain_reduction_total":1})" << false << false
        << false << true;
    QTest::newRow("low headroom and reducing")
        << R"({"signal_presence":1,"meter_headroom":1.25,"user_gain_reduction_total":0.998})" << true << true
        << false << false;
    QTest::newRow("low headroom, not reducing: clipping flag")
        << R"({"meter_headroom":1.2,"user_gain_reduction_total":0.999,"signal_clipping":1})" << false << true
        << false << false;
    QTest::newRow("clipping flag off")
        << R"({"meter_headroom":1.2,"user_gain_reduction_total":0.999,"signal_clipping":0})" << false << false
        << false << false;
    QTest::newRow("reducing below 0.99") << R"({"meter_headroom":5,"user_gain_reduction_total":0.98})"
                                         << false << false << true << false;
    QTest::newRow("headroom at 0.7") << R"({"meter_headroom":0.7,"user_gain_reduction_total":1.5})"
                                     << false << false << true << true;
    QTest::newRow("members missing read 0") << R"({})" << false << true << true << false;
}

void TestArxStatusDecoder::outputMeters()
{
    QFETCH(QString, reading);
    ArxDeviceStatus status = fourByFour();
    const QJsonObject meters{
        {QStringLiteral("output_process"),
         QJsonArray{QJsonDocument::fromJson(reading.toUtf8()).object(),
                    QJsonObject{{QStringLiteral("meter_v_post_rms"), 4.0}}}}};
    ArxStatusDecoder::decodeMeters(meters, &status);
    const ArxStatusEntry &entry = status.entries.at(0);
    QTEST(entry.signalPresent, "present");
    QTEST(entry.clip, "clip");
    QTEST(entry.limiting, "limiting");
    QTEST(entry.gainReduction, "reduction");
    QCOMPARE(status.entries.at(1).outputLevel, 4.0f);
    QCOMPARE(status.entries.at(1).outputLevelFraction,
             float(ArxStatusDecoder::meterLevel(4.0)));
    // Outputs the reading does not list keep their defaults.
    QCOMPARE(status.entries.at(2), fourByFour().entries.at(2));
}

void TestArxStatusDecoder::slows()
{
    ArxDeviceStatus status = fourByFour();
    const QJsonObject slows = object(R"({
        "ext_state":{"standby":1,"mains":2,"fan":3,"generic_hw_fault":4,"power_supply":true},
        "conf_slow":{"dip_switch_energy_save":1},
        "arm_info_slow":{"cpu_usage":12.5,"memory_usage":40,"memory_free_mb":200.5,"disk_usage":30,
                         "disk_free_mb":900},
        "ampli":[{"temp_ch_a_peak":41,"temp_ch_b_peak":44},{"temp_ch_a_peak":50,"temp_ch_b_peak":50},
                 {"temp_ch_a_peak":60.4,"temp_ch_b_peak":61}],
        "output_channels":[
            {"protection_thermal_limiting":true,"protection":1,"protection_unrecoverable":false,
             "pilot_tone_voltage":true,"load_monitor":false},
            {"pilot_tone_voltage":1,"load_monitor":1}],
        "output_process":[
            {"detected_nominal_impedence":false,"pilot_tone_detection_impedence_rms":8.25,
             "detection_nominal_impedence_rms":"7.9 ohm","pilot_tone_detection_rms":true},
            {"detected_nominal_impedence":true}]})");
    ArxStatusDecoder::decodeSlows(slows, &status);
    QCOMPARE(status.standby, 1);
    QCOMPARE(status.mains, 2);
    QCOMPARE(status.fan, 3);
    QCOMPARE(status.hardwareFault, 4);
    QCOMPARE(status.powerSupply, 1);
    QVERIFY(status.energySave);
    QCOMPARE(status.cpuUsage, 12.5);
    QCOMPARE(status.memoryUsage, 40.0);
    QCOMPARE(status.memoryFreeMb, 200.5);
    QCOMPARE(status.diskUsage, 30.0);
    QCOMPARE(status.diskFreeMb, 900.0);
    // Element 0 in the first, the last later one in the second.
    QCOMPARE(status.temperature1, 42);
    QCOMPARE(status.temperature2, 60);

    const ArxStatusEntry &first = status.entries.at(0);
    QVERIFY(first.thermalLimiting);
    QVERIFY(first.protection);
    QVERIFY(!first.protectionUnrecoverable);
    QVERIFY(!first.pilotToneVoltageMissing);
    QVERIFY(first.loadFault);
    QVERIFY(first.nominalImpedanceNotDetected);
    QCOMPARE(first.pilotToneLoadImpedance, QStringLiteral("8.25"));
    QCOMPARE(first.nominalImpedance, QStringLiteral("7.9 ohm"));
    QCOMPARE(first.pilotToneVoltage, QString());
    QVERIFY(!status.entries.at(1).pilotToneVoltageMissing);
    QVERIFY(!status.entries.at(1).loadFault);
    QVERIFY(!status.entries.at(1).nominalImpedanceNotDetected);
    // Outputs the readings do not list keep what they had.
    QCOMPARE(status.entries.at(2), fourByFour().entries.at(2));

    // Temperatures need the four entries; the device-wide values do not.
    ArxDeviceStatus bare;
    ArxStatusDecoder::decodeSlows(slows, &bare);
    QCOMPARE(bare.temperature1, 0);
    QCOMPARE(bare.standby, 1);
    QCOMPARE(bare.entries.size(), 0);
}

// Arrays longer than the record, records shorter than the arrays and
// members of every wrong kind: read within sizes, nothing grows.
void TestArxStatusDecoder::readingsStayWithinTheRecord()
{
    QJsonArray many;
    for (int i = 0; i < 100; ++i)
        many.append(QJsonObject{{QStringLiteral("meter_peak_0"), i},
                                {QStringLiteral("selected_backup"), i},
                                {QStringLiteral("protection"), true},
                                {QStringLiteral("meter_v_post_rms"), i}});
    const QJsonObject readings{{QStringLiteral("source_selection"), many},
                               {QStringLiteral("output_process"), many},
                               {QStringLiteral("output_channels"), many},
                               {QStringLiteral("ampli"), many}};
    for (int channels : {0, 2, 4}) {
        ArxDeviceStatus status = fourByFour();
        status.channels = status.channels.mid(0, channels);
        if (channels < 4)
            status.entries = QList<ArxStatusEntry>(channels);
        ArxStatusDecoder::decodeMeters(readings, &status);
        ArxStatusDecoder::decodeSlows(readings, &status);
        QCOMPARE(status.channels.size(), channels);
        QCOMPARE(status.entries.size(), channels < 4 ? channels : 4);
        for (const ArxStatusEntry &entry : status.entries) {
            QVERIFY(entry.protection);
            for (int index : entry.channels)
                QVERIFY(index >= 0 && index < status.channels.size());
        }
    }
    // Not arrays at all.
    ArxDeviceStatus status = fourByFour();
    const ArxDeviceStatus before = status;
    ArxStatusDecoder::decodeMeters(object(R"({"source_selection":7,"output_process":{"a":1}})"), &status);
    QCOMPARE(status.entries, before.entries);
    QCOMPARE(status.channels.size(), 4);
}

VR_TEST_MAIN(TestArxStatusDecoder)
#include "tst_arxstatusdecoder.moc"
