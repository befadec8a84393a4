#include "VrTest.h"

#include "amplifiers/ArxDeviceStatus.h"
#include "amplifiers/PARXProtocol.h"
#include "comms/PProtocol.h"
#include "comms/TText.h"
#include "devicestatus/DeviceStatusArxDecoder.h"
#include "devicestatus/DeviceStatusInterfaceFeatureDisplayObject.h"
#include "devicestatus/DeviceStatusInterfaceObject.h"

#include <QSignalSpy>
#include <QTimer>

namespace {

using Row = DeviceStatusInterfaceFeatureDisplayObject;
using Device = DeviceStatusInterfaceObject;

// One row as text: "I name colour" (indicator), "T name = value", "E name
// colour [code] explanation" (error shape), "W name = value (explanation)",
// "H name".
QString describe(const Row *pRow)
{
    static const char *colours[] = {"red", "orange", "yellow", "gray", "green"};
    const int c = pRow->indicatorColor();
    const QString colour = c >= 0 && c <= 4 ? QString::fromLatin1(colours[c]) : QStringLiteral("none");
    switch (pRow->displayType()) {
    case Row::TypeIndicator:
        return QStringLiteral("I %1 %2").arg(pRow->displayName(), colour);
    case Row::TypeText:
        return QStringLiteral("T %1 = %2").arg(pRow->displayName(), pRow->displayValue());
    case Row::TypeError:
        return QStringLiteral("E %1 %2 [%3] %4")
            .arg(pRow->displayName(), colour, pRow->errorCode(), pRow->errorDisplayValue());
    case Row::TypeWarning:
        return QStringLiteral("W %1 = %2 (%3)")
            .arg(pRow->displayName(), pRow->displayValue(), pRow->errorDisplayValue());
    case Row::TypeHeader:
        return QStringLiteral("H %1").arg(pRow->displayName());
    default:
        return QStringLiteral("? %1").arg(pRow->displayName());
    }
}

QStringList describe(const Device &device)
{
    QStringList rows;
    for (const Row *pRow : device.rows())
        rows << describe(pRow);
    return rows;
}

// A clean amplifier: four inputs, each output fed by its own input, every
// check on and nothing wrong.
ArxDeviceStatus cleanStatus()
{
    ArxDeviceStatus status;
    for (int c = 0; c < 4; ++c) {
        ArxChannelStatus input;
        input.channel = c;
        input.signalPresent = true;
        input.backupModeText = QStringLiteral("Force");
        input.sources = {{QStringLiteral("Analog %1").arg(c + 1), true}};
        input.selectedSource = 0;
        status.channels << input;
        ArxStatusEntry entry;
        entry.signalPresent = true;
        entry.channels = {c};
        entry.pilotToneOn = true;
        entry.loadMonitorOn = true;
        entry.nominalImpedanceCheckOn = true;
        entry.pilotToneLoadImpedance = QStringLiteral("7.9");
        entry.nominalImpedance = QStringLiteral("8.1");
        entry.pilotToneVoltage = QStringLiteral("0.4");
        status.entries << entry;
    }
    status.temperature1 = 45;
    status.temperature2 = 50;
    return status;
}

QStringList deviceRows(bool standby = false, bool energySave = false)
{
    return {standby ? "I Standby Status yellow" : "I Standby Status gray",
            energySave ? "I Auto Standby (NRG SAVE) yellow" : "I Auto Standby (NRG SAVE) gray",
            "T Amp Temp. CH 1 and CH 2 = 45C / 113F", "T Amp Temp. CH 3 and CH 4 = 50C / 122F"};
}

QStringList checkRows()
{
    return {"I Pilot Tone Load Alarm green", "I Pilot Tone Voltage Alarm green",
            "I Nominal Impedance Alarm green"};
}

QStringList inputRows(int input, const QString &suffix = QString(), bool clip = false)
{
    return {"T Backup Strategy" + suffix + " = Force",
            "T Active Source" + suffix + QStringLiteral(" = Analog %1").arg(input),
            clip ? "I Input Source Clip" + suffix + " red" : "I Input Source Clip" + suffix + " gray",
            "I Input Source Signal" + suffix + " green"};
}

QStringList outputRows(bool clip = false, bool limit = false)
{
    return {clip ? "I Output Clip red" : "I Output Clip gray",
            limit ? "I Output Limit red" : "I Output Limit gray", "I Output Signal green"};
}

QStringList cleanChannel(int c)
{
    return QStringList{QStringLiteral("H Output Channel: %1").arg(c)} + checkRows()
        + QStringList{"I Fault green"} + inputRows(c) + outputRows();
}

// Answers a request in a later turn, without an error, as a protocol that
// takes it over does.
bool answerLater(TTransform *pTransform)
{
    auto *pText = qobject_cast<TText *>(pTransform);
    if (!pText)
        return false;
    QTimer::singleShot(0, pText, [pText]() {
        pText->setAuxText(QString());
        pText->setReplyText(QString());
        pText->deleteLater();
    });
    return true;
}

// A protocol that answers a status request at once, under a name of its
// choosing.
class NamedProtocol : public PProtocol
{
public:
    explicit NamedProtocol(const QString &name)
        : m_name(name)
    {
    }
    QString protocolName() const override { return m_name; }
    bool sendValue(TTransform *pTransform) override { return answerLater(pTransform); }

private:
    QString m_name;
};

// The ARX protocol's record behind another protocol's name.
class RenamedArxProtocol : public PARXProtocol
{
public:
    QString protocolName() const override { return QStringLiteral("Other"); }
    bool sendValue(TTransform *pTransform) override { return answerLater(pTransform); }
};

} // namespace

Q_DECLARE_METATYPE(ArxDeviceStatus)

// An amplifier's status record as rows and a state, in the order the
// dashboard shows them.
class TestDeviceStatusArxDecoding : public QObject
{
    Q_OBJECT

private slots:
    void rowLists_data();
    void rowLists();
    void deviceWideConditions_data();
    void deviceWideConditions();
    void incompleteRecordGivesDeviceRowsOnly_data();
    void incompleteRecordGivesDeviceRowsOnly();
    void protocolOfAnotherNameGivesUnknownStatus_data();
    void protocolOfAnotherNameGivesUnknownStatus();
};

void TestDeviceStatusArxDecoding::rowLists_data()
{
    QTest::addColumn<ArxDeviceStatus>("status");
    QTest::addColumn<QStringList>("rows");
    QTest::addColumn<int>("state");

    {
        const QStringList rows = deviceRows() + QStringList{"I Warning green", "I Fault green"}
            + cleanChannel(1) + cleanChannel(2) + cleanChannel(3) + cleanChannel(4);
        QTest::newRow("clean") << cleanStatus() << rows << 7;
    }
    {
        // Standby with a hardware fault and a hot, protected first output.
        ArxDeviceStatus status = cleanStatus();
        status.standby = 1;
        status.hardwareFault = 1;
        status.entries[0].thermalLimiting = true;
        status.entries[0].protection = true;
        const QStringList channel1 = QStringList{"H Output Channel: 1",
                                                 "E Fault: Thermal Limiter red [] channel thermal limiter "
                                                 "engaged, channel mute could be applied"}
            + checkRows()
            + QStringList{"E Fault: Standby red [] channel output is turned-off because the device is in "
                          "standby"}
            + inputRows(1) + outputRows();
        const QStringList rows = deviceRows(true)
            + QStringList{"E Fault: critical hardware fault red [] recoverable only with a power off/on cycle",
                          "I Warning green"}
            + channel1 + cleanChannel(2) + cleanChannel(3) + cleanChannel(4);
        QTest::newRow("standby with faults") << status << rows << 5;
    }
    {
        // Energy save has turned the second output off, on purpose.
        ArxDeviceStatus status = cleanStatus();
        status.energySave = true;
        status.entries[1].protection = true;
        const QStringList channel2 = QStringList{"H Output Channel: 2"} + checkRows()
            + QStringList{"E Warning red [] NRG Save is enabled, output is in standby", "I Fault green"}
            + inputRows(2) + outputRows();
        const QStringList rows = deviceRows(false, true) + QStringList{"I Fault green"} + cleanChannel(1)
            + channel2 + cleanChannel(3) + cleanChannel(4);
        QTest::newRow("energy save, output protected") << status << rows << 4;
    }
    {
        ArxDeviceStatus status = cleanStatus();
        status.entries[0].channels = {0, 1};
        const QStringList channel1 = QStringList{"H Output Channel: 1"} + checkRows()
            + QStringList{"I Fault green"} + inputRows(1, ": 1") + inputRows(2, ": 2") + outputRows();
        const QStringList rows = deviceRows() + QStringList{"I Warning green", "I Fault green"} + channel1
            + cleanChannel(2) + cleanChannel(3) + cleanChannel(4);
        QTest::newRow("two inputs on one channel") << status << rows << 7;
    }
    {
        // The first output clips, the third one's input too: one summary row.
        ArxDeviceStatus status = cleanStatus();
        status.entries[0].clip = true;
        status.channels[2].clipping = true;
        const QStringList channel1 = QStringList{"H Output Channel: 1"} + checkRows()
            + QStringList{"I Fault green"} + inputRows(1) + outputRows(true);
        const QStringList channel3 = QStringList{"H Output Channel: 3"} + checkRows()
            + QStringList{"I Fault green"} + inputRows(3, QString(), true) + outputRows();
        const QStringList rows = deviceRows() + QStringList{"I Fault green", "I Amplifier clip red"}
            + channel1 + cleanChannel(2) + channel3 + cleanChannel(4);
        QTest::newRow("clipping on two channels") << status << rows << 4;
    }
    {
        // A channel's fault is the amplifier's: no green "Fault" ahead.
        ArxDeviceStatus status = cleanStatus();
        status.entries[3].loadFault = true;
        const QStringList channel4 = QStringList{"H Output Channel: 4",
                                                 "E Fault: Pilot Tone Load Alarm red [] Pilot tone load "
                                                 "alarm detected",
                                                 "T Detected Pilot Tone Load Impedance = 7.9",
                                                 "I Pilot Tone Voltage Alarm green",
                                                 "I Nominal Impedance Alarm green"}
            + inputRows(4) + outputRows();
        const QStringList rows = deviceRows() + QStringList{"I Warning green"} + cleanChannel(1)
            + cleanChannel(2) + cleanChannel(3) + channel4;
        QTest::newRow("channel fault") << status << rows << 3;
    }
    {
        // Protected for good, and limiting.
        ArxDeviceStatus status = cleanStatus();
        status.entries[2].protection = true;
        status.entries[2].protectionUnrecoverable = true;
        status.entries[2].limiting = true;
        status.entries[2].pilotToneOn = false;
        status.entries[2].nominalImpedanceCheckOn = false;
        status.entries[2].pilotToneVoltageMissing = true; // not checked: no row
        const QStringList channel3 = QStringList{"H Output Channel: 3", "I Pilot Tone Load Alarm green",
                                                 "E Fault: protection red [] channel output is turned-off "
                                                 "for unknown reason",
                                                 "E Fault: critical hardware fault red [] recoverable only "
                                                 "with a power off/on cycle"}
            + inputRows(3) + outputRows(false, true);
        const QStringList rows = deviceRows() + QStringList{"I Amplifier Limit red"} + cleanChannel(1)
            + cleanChannel(2) + channel3 + cleanChannel(4);
        QTest::newRow("unrecoverable protection, limit") << status << rows << 3;
    }
}

void TestDeviceStatusArxDecoding::rowLists()
{
    QFETCH(ArxDeviceStatus, status);
    QFETCH(QStringList, rows);
    QFETCH(int, state);
    Device device;
    device.setDeviceType(QStringLiteral("ARX"));
    DeviceStatusArxDecoder(&device).decode(status);
    const QStringList got = describe(device);
    if (got != rows) {
        for (int i = 0; i < qMax(got.size(), rows.size()); ++i) {
            if (got.value(i) != rows.value(i))
                qWarning().noquote() << i << "got:" << got.value(i) << "| expected:" << rows.value(i);
        }
    }
    QCOMPARE(got, rows);
    QCOMPARE(device.networkState(), state);
}

void TestDeviceStatusArxDecoding::deviceWideConditions_data()
{
    QTest::addColumn<int>("mains");
    QTest::addColumn<int>("fan");
    QTest::addColumn<int>("powerSupply");
    QTest::addColumn<QStringList>("rows");
    QTest::addColumn<int>("state");
    QTest::newRow("near overvoltage")
        << 1 << 0 << 0
        << QStringList{"E Warning: Power Supply  yellow [] power-supply operating near to overvoltage or "
                       "overvoltage area",
                       "I Fault green"}
        << 4;
    QTest::newRow("undervoltage")
        << 2 << 0 << 0
        << QStringList{"E Fault: Power Supply red [] power supply undervoltage operation", "I Warning green"}
        << 3;
    QTest::newRow("overvoltage")
        << 3 << 0 << 0
        << QStringList{"E Fault: Power Supply red [] power supply overvoltage operation", "I Warning green"}
        << 3;
    QTest::newRow("fuse") << 4 << 0 << 0
                          << QStringList{"E Fault: fuseblown red [] main fuse is blown", "I Warning green"} << 3;
    QTest::newRow("mains 5 is normal") << 5 << 0 << 0 << QStringList{"I Warning green", "I Fault green"} << 7;
    QTest::newRow("fan short")
        << 0 << 1 << 0
        << QStringList{"E Warning: Fan  yellow [] fan control is short-circuited", "I Fault green"} << 4;
    QTest::newRow("fan stuck") << 0 << 2 << 0
                               << QStringList{"E Warning: Fan  yellow [] fan is stuck", "I Fault green"} << 4;
    QTest::newRow("fan broken")
        << 0 << 3 << 0
        << QStringList{"E Warning: Fan  yellow [] fan is broken, no/low current flowing from fan power-supply",
                       "I Fault green"}
        << 4;
    QTest::newRow("power supply 2 is normal") << 0 << 0 << 2 << QStringList{"I Warning green", "I Fault green"}
                                              << 7;
    QTest::newRow("power supply hot")
        << 0 << 0 << 1
        << QStringList{"E Fault: over temperature red [] power-supply thermal limiter engaged, global mute "
                       "could be applied",
                       "I Warning green"}
        << 3;
}

void TestDeviceStatusArxDecoding::deviceWideConditions()
{
    QFETCH(int, mains);
    QFETCH(int, fan);
    QFETCH(int, powerSupply);
    QFETCH(QStringList, rows);
    QFETCH(int, state);
    ArxDeviceStatus status = cleanStatus();
    status.mains = mains;
    status.fan = fan;
    status.powerSupply = powerSupply;
    Device device;
    device.setDeviceType(QStringLiteral("ARX"));
    DeviceStatusArxDecoder(&device).decode(status);
    // The conditions follow the device rows; the summary comes next.
    QCOMPARE(describe(device).mid(4, rows.size()), rows);
    QCOMPARE(describe(device).value(4 + int(rows.size())), QStringLiteral("H Output Channel: 1"));
    QCOMPARE(device.networkState(), state);
}

void TestDeviceStatusArxDecoding::incompleteRecordGivesDeviceRowsOnly_data()
{
    // Which list of the record is one short.
    QTest::addColumn<bool>("inputRoutes");
    QTest::newRow("output channels") << false;
    QTest::newRow("input routes") << true;
}

void TestDeviceStatusArxDecoding::incompleteRecordGivesDeviceRowsOnly()
{
    QFETCH(bool, inputRoutes);
    ArxDeviceStatus status = cleanStatus();
    if (inputRoutes)
        status.channels.removeLast();
    else
        status.entries.removeLast();
    Device device;
    device.setDeviceType(QStringLiteral("ARX"));
    DeviceStatusArxDecoder(&device).decode(status);
    QCOMPARE(describe(device), deviceRows() + QStringList({"I Warning green", "I Fault green"}));
    QCOMPARE(device.networkState(), 7);
}

void TestDeviceStatusArxDecoding::protocolOfAnotherNameGivesUnknownStatus_data()
{
    QTest::addColumn<bool>("arxRecord");
    QTest::newRow("another protocol") << false;
    QTest::newRow("the ARX protocol's record under another name") << true;
}

// Only the ARX protocol's record can be read: under another name the
// status is unknown, and the device still reports once.
void TestDeviceStatusArxDecoding::protocolOfAnotherNameGivesUnknownStatus()
{
    QFETCH(bool, arxRecord);
    NamedProtocol other(QStringLiteral("Other"));
    RenamedArxProtocol renamed;
    Device device;
    device.setDeviceType(QStringLiteral("ARX"));
    device.setProtocol(arxRecord ? static_cast<PProtocol *>(&renamed) : &other);
    device.requestStatus();
    QSignalSpy reported(&device, &Device::interfaceObjectDataReady);
    QVERIFY(reported.wait(2000));
    QCOMPARE(device.networkState(), 6);
    QVERIFY(device.rows().isEmpty());
    QVERIFY(!reported.wait(100));
    QCOMPARE(reported.size(), 1);
}

VR_TEST_MAIN(TestDeviceStatusArxDecoding)
#include "tst_devicestatusarxdecoding.moc"
