#include "VrTest.h"

#include "SimulatedVentraArray.h"
#include "amplifiers/PVentraProtocol.h"
#include "comms/IUDPClient.h"
#include "comms/IUDPClientThread.h"
#include "comms/TText.h"
#include "devicestatus/DeviceStatusInterfaceFeatureDisplayObject.h"
#include "devicestatus/DeviceStatusInterfaceObject.h"
#include "devicestatus/DeviceStatusInterfaceVentraModuleObject.h"

#include <QHostAddress>
#include <QPointer>
#include <QSignalSpy>

#include <algorithm>
#include <memory>

namespace {

constexpr int Patience = 10000; // ms; generous for loaded machines

using Fault = SimulatedVentraArray::Fault;
using Row = DeviceStatusInterfaceFeatureDisplayObject;
using Device = DeviceStatusInterfaceObject;

// One row as text, with its order first: "order I name colour", "order T
// name = value", "order E name colour [code] explanation", "order W name =
// value (explanation)".
QString describe(const Row *pRow)
{
    static const char *colours[] = {"red", "orange", "yellow", "gray", "green"};
    const int c = pRow->indicatorColor();
    const QString colour = c >= 0 && c <= 4 ? QString::fromLatin1(colours[c]) : QStringLiteral("none");
    const QString order = QString::number(pRow->order()) + QLatin1Char(' ');
    switch (pRow->displayType()) {
    case Row::TypeIndicator:
        return order + QStringLiteral("I %1 %2").arg(pRow->displayName(), colour);
    case Row::TypeText:
        return order + QStringLiteral("T %1 = %2").arg(pRow->displayName(), pRow->displayValue());
    case Row::TypeError:
        return order + QStringLiteral("E %1 %2 [%3] %4")
            .arg(pRow->displayName(), colour, pRow->errorCode(), pRow->errorDisplayValue());
    case Row::TypeWarning:
        return order + QStringLiteral("W %1 = %2 (%3)")
            .arg(pRow->displayName(), pRow->displayValue(), pRow->errorDisplayValue());
    default:
        return order + QStringLiteral("? %1").arg(pRow->displayName());
    }
}

// The rows as the dashboard lists the array's: by order, and (for a
// comparison that does not depend on answer order) by text within one.
QStringList describe(const Device &device)
{
    QList<const Row *> rows(device.rows().cbegin(), device.rows().cend());
    QStringList texts;
    std::stable_sort(rows.begin(), rows.end(),
                     [](const Row *a, const Row *b) { return a->order() < b->order(); });
    for (const Row *pRow : rows)
        texts << describe(pRow);
    std::stable_sort(texts.begin(), texts.end(), [](const QString &a, const QString &b) {
        return a.section(' ', 0, 0).toInt() < b.section(' ', 0, 0).toInt();
    });
    return texts;
}

bool hasRow(const Device &device, const QString &text)
{
    return describe(device).contains(text);
}

// The rows of a healthy three-module array with the simulator's defaults.
QStringList healthyRows()
{
    return {"0 T Firmware Version = 1.60",
            "1 I Standby Status gray",
            "2 T Auto-Standby = Disabled",
            "3 T Currently Active Preset = Main Hall",
            "4 T Backup strategy Input Mode = FORCE",
            "5 T Active Input Priority = ANALOG",
            "6 I Signal Presence green",
            "8 I Amplifier Clip gray",
            "8 I Amplifier Limit gray",
            "9 T Module 1 Temperature = 43C / 109.4F",
            "10 T Module 2 Temperature = 43C / 109.4F",
            "11 T Module 3 Temperature = 43C / 109.4F",
            "13 I Fault green",
            "15 I Warning green",
            "17 I Driver Faults green"};
}

// The device object on the protocol on a UDP client aimed at a simulated
// array, as the model builds it.
struct ArrayRig
{
    SimulatedVentraArray array;
    IUDPClient client;
    PVentraProtocol protocol;
    std::unique_ptr<Device> pDevice = std::make_unique<Device>();

    ArrayRig()
    {
        client.setAddress(QHostAddress(QHostAddress::LocalHost));
        client.setPort(array.port());
        client.setOwner(&protocol);
        protocol.setInterface(&client);
        pDevice->setDeviceType(QStringLiteral("Ventra"));
        pDevice->setProtocol(&protocol);
        pDevice->setName(QStringLiteral("Array"));
        pDevice->setAddress(QStringLiteral("127.0.0.1"));
    }

    ~ArrayRig() { pDevice.reset(); }

    Device &device() { return *pDevice; }

    bool idle()
    {
        return QTest::qWaitFor(
            [this]() {
                return protocol.pendingCount() == 0 && !client.dispatcher()->isProcessing()
                    && array.answersPending() == 0;
            },
            Patience);
    }

    // One refresh as the dashboard runs it; the number of reports heard
    // once everything asked has been answered.
    int refresh()
    {
        pDevice->requestStatus();
        QSignalSpy reported(pDevice.get(), &Device::interfaceObjectDataReady);
        if (!reported.wait(Patience))
            return 0;
        if (!idle())
            return -1;
        reported.wait(100); // a late second report
        return int(reported.size());
    }
};

} // namespace

// The array's status device against the simulated array on 127.0.0.1:
// the sequence of requests, its rows and state, and one report per refresh
// whatever the array answers.
class TestDeviceStatusVentra : public QObject
{
    Q_OBJECT

private slots:
    void healthyArrayIsConnected_data();
    void healthyArrayIsConnected();
    void requestSequence_data();
    void requestSequence();
    void moduleFault();
    void standby();
    void oldFirmware_data();
    void oldFirmware();
    void presetMismatch_data();
    void presetMismatch();
    void twoModuleArrayAsksForNumberThree();
    void temperatureBands_data();
    void temperatureBands();
    void reportedTemperatureCodes();
    void moduleStatusRows_data();
    void moduleStatusRows();
    void audioLevel_data();
    void audioLevel();
    void deviceValues_data();
    void deviceValues();
    void badModuleCountReportsOnce_data();
    void badModuleCountReportsOnce();
    void badPresetNumber_data();
    void badPresetNumber();
    void failedRequests_data();
    void failedRequests();
    void silentArrayIsUnreachable();
    void secondRefreshDropsTheFirst();
    void requestsAreOwnedAndDropped();
    void reboot_data();
    void reboot();
    void deletedWithRepliesInFlight_data();
    void deletedWithRepliesInFlight();
};

void TestDeviceStatusVentra::healthyArrayIsConnected_data()
{
    QTest::addColumn<bool>("ack");
    QTest::newRow("plain answers") << false;
    // Firmware that starts every answer with "ACK ".
    QTest::newRow("ACK answers") << true;
}

void TestDeviceStatusVentra::healthyArrayIsConnected()
{
    QFETCH(bool, ack);
    ArrayRig rig;
    rig.array.setAckPrefix(ack);
    QCOMPARE(rig.refresh(), 1);
    QCOMPARE(rig.device().networkState(), 7);
    QCOMPARE(describe(rig.device()), healthyRows());
    QCOMPARE(rig.device().moduleCount(), 3);
    QCOMPARE(rig.device().secondaryText(), QStringLiteral("Module Count: 3"));
    QCOMPARE(rig.device().firmwareVersion(), QStringLiteral("1.60"));
    QVERIFY(!rig.device().isFirmwareOld());

    // A second refresh starts over and ends the same.
    QCOMPARE(rig.refresh(), 1);
    QCOMPARE(describe(rig.device()), healthyRows());
}

void TestDeviceStatusVentra::requestSequence_data()
{
    QTest::addColumn<QByteArray>("modules");
    QTest::addColumn<QList<QByteArray>>("datagrams");
    QTest::newRow("three modules")
        << QByteArray("3")
        << QList<QByteArray>{
               "ARRAY\r",
               "STATUS 1 1\rSTATUS 1 0\rDRIVERFAULTS 1\rVERSION 1\rTEMPERATURE 1 1\rTEMPERATURE 1 2\r"
               "TEMPERATURE 1 3\rTEMPERATURE 1 4\r",
               "STATUS 2 1\rSTATUS 2 0\rDRIVERFAULTS 2\rVERSION 2\rTEMPERATURE 2 1\rTEMPERATURE 2 2\r"
               "TEMPERATURE 2 3\rTEMPERATURE 2 4\r",
               "STATUS 3 1\rSTATUS 3 0\rDRIVERFAULTS 3\rVERSION 3\rTEMPERATURE 3 1\rTEMPERATURE 3 2\r"
               "TEMPERATURE 3 3\rTEMPERATURE 3 4\r",
               "GBKSTG\rGINPUT\rAUDIOLEVEL\rGETSBST\rGETSBTIME\rGCP\r",
               "GDESC 1 1\r",
               "GDATA 1 1\r",
               "GDATA 2 1\r",
               "GDATA 3 1\r"};
    QTest::newRow("one module")
        << QByteArray("1")
        << QList<QByteArray>{
               "ARRAY\r",
               "STATUS 1 1\rSTATUS 1 0\rDRIVERFAULTS 1\rVERSION 1\rTEMPERATURE 1 1\rTEMPERATURE 1 2\r"
               "TEMPERATURE 1 3\rTEMPERATURE 1 4\r",
               "GBKSTG\rGINPUT\rAUDIOLEVEL\rGETSBST\rGETSBTIME\rGCP\r",
               "GDESC 1 1\r",
               "GDATA 1 1\r"};
}

void TestDeviceStatusVentra::requestSequence()
{
    QFETCH(QByteArray, modules);
    QFETCH(QList<QByteArray>, datagrams);
    ArrayRig rig;
    rig.array.setModuleCount(modules);
    QCOMPARE(rig.refresh(), 1);
    QList<QByteArray> sent;
    for (const SimulatedVentraArray::Datagram &datagram : rig.array.datagrams())
        sent << datagram.bytes;
    QCOMPARE(sent, datagrams);
    QCOMPARE(rig.device().networkState(), 7);
}

void TestDeviceStatusVentra::moduleFault()
{
    ArrayRig rig;
    rig.array.module(2).fault = "1101";
    QCOMPARE(rig.refresh(), 1);
    QCOMPARE(rig.device().networkState(), 3);
    QStringList rows = healthyRows();
    rows.replace(rows.indexOf("13 I Fault green"),
                 "13 E Fault at Module: 2 red [1101] Amp board detected driver failure");
    QCOMPARE(describe(rig.device()), rows);
}

void TestDeviceStatusVentra::standby()
{
    ArrayRig rig;
    rig.array.setStandby("1");
    rig.array.setValue("GETSBTIME", "30");
    QCOMPARE(rig.refresh(), 1);
    QCOMPARE(rig.device().networkState(), 5);
    QVERIFY(hasRow(rig.device(), "1 I Standby Status yellow"));
    QVERIFY(hasRow(rig.device(), "2 T Auto-Standby = Enabled"));
    QVERIFY(hasRow(rig.device(), "13 I Fault green"));
}

void TestDeviceStatusVentra::oldFirmware_data()
{
    QTest::addColumn<QByteArray>("firmware");
    QTest::addColumn<bool>("old");
    QTest::addColumn<int>("module");
    QTest::newRow("1.55") << QByteArray("1.55") << true << 2;
    QTest::newRow("unreadable") << QByteArray("beta") << true << 2;
    QTest::newRow("1.56") << QByteArray("1.56") << false << 2;
    QTest::newRow("2.0") << QByteArray("2.0") << false << 2;
    // The version shown is the first module's.
    QTest::newRow("2.0 on the last module") << QByteArray("2.0") << false << 3;
}

void TestDeviceStatusVentra::oldFirmware()
{
    QFETCH(QByteArray, firmware);
    QFETCH(bool, old);
    QFETCH(int, module);
    ArrayRig rig;
    rig.array.module(module).firmware = firmware;
    rig.array.setValue("QINMODE", "AUTO");
    QCOMPARE(rig.refresh(), 1);
    QCOMPARE(rig.device().isFirmwareOld(), old);
    QCOMPARE(rig.device().networkState(), 7);
    const QList<SimulatedVentraArray::Datagram> datagrams = rig.array.datagrams();
    const QByteArray batch = datagrams.value(4).bytes;
    if (old) {
        QCOMPARE(batch, QByteArray("QINMODE\rAUDIOLEVEL\rGETSBST\rGETSBTIME\rGCP\r"));
        QStringList rows = healthyRows();
        rows.replace(0, "0 W Firmware Version = 1.60 (Firmaware update recommended)");
        rows.removeAll("4 T Backup strategy Input Mode = FORCE");
        rows.replace(rows.indexOf("5 T Active Input Priority = ANALOG"), "5 T Active Input Priority = AUTO");
        QCOMPARE(describe(rig.device()), rows);
    } else {
        QCOMPARE(batch, QByteArray("GBKSTG\rGINPUT\rAUDIOLEVEL\rGETSBST\rGETSBTIME\rGCP\r"));
        QCOMPARE(describe(rig.device()), healthyRows());
    }
}

void TestDeviceStatusVentra::presetMismatch_data()
{
    QTest::addColumn<QByteArray>("mdn1");
    QTest::addColumn<QByteArray>("mdc1");
    QTest::addColumn<QByteArray>("mdn2");
    QTest::addColumn<QByteArray>("mdc2");
    QTest::addColumn<QStringList>("faults");
    const QString beam = QStringLiteral("13 E Fault red [1201] Beam Preset Error");
    const QString count = QStringLiteral("13 E Fault red [1103] Module count mismatch error");
    QTest::newRow("MDN2:MDC3: for module 1") << QByteArray("2") << QByteArray("3") << QByteArray()
                                             << QByteArray() << QStringList{beam};
    QTest::newRow("two modules mismatch: one row") << QByteArray("2") << QByteArray("3") << QByteArray("3")
                                                   << QByteArray() << QStringList{beam};
    QTest::newRow("module count") << QByteArray() << QByteArray("2") << QByteArray() << QByteArray()
                                  << QStringList{count};
    QTest::newRow("two module counts mismatch: one row") << QByteArray() << QByteArray("2") << QByteArray()
                                                         << QByteArray("4") << QStringList{count};
    QTest::newRow("both") << QByteArray("3") << QByteArray("5") << QByteArray() << QByteArray()
                          << QStringList{beam, count};
    // The module number is compared as the text it was asked with: "01"
    // is a mismatch, though not a different module, so no row names it.
    QTest::newRow("MDN01 for module 1") << QByteArray("01") << QByteArray() << QByteArray() << QByteArray()
                                        << QStringList{};
}

void TestDeviceStatusVentra::presetMismatch()
{
    QFETCH(QByteArray, mdn1);
    QFETCH(QByteArray, mdc1);
    QFETCH(QByteArray, mdn2);
    QFETCH(QByteArray, mdc2);
    QFETCH(QStringList, faults);
    ArrayRig rig;
    rig.array.module(1).mdn = mdn1;
    rig.array.module(1).mdc = mdc1;
    rig.array.module(2).mdn = mdn2;
    rig.array.module(2).mdc = mdc2;
    QCOMPARE(rig.refresh(), 1);
    QCOMPARE(rig.device().networkState(), 3);
    QStringList rows = healthyRows();
    const int at = int(rows.indexOf("13 I Fault green"));
    rows.removeAt(at);
    for (int i = 0; i < faults.size(); ++i)
        rows.insert(at + i, faults.at(i));
    QStringList got = describe(rig.device());
    // Two rows of one order: their order does not matter.
    std::sort(got.begin(), got.end());
    std::sort(rows.begin(), rows.end());
    QCOMPARE(got, rows);
}

void TestDeviceStatusVentra::twoModuleArrayAsksForNumberThree()
{
    ArrayRig rig;
    rig.array.setModuleCount("2");
    QCOMPARE(rig.refresh(), 1);
    QCOMPARE(rig.array.datagramCount("GDATA 1 1"), 1);
    QCOMPARE(rig.array.datagramCount("GDATA 3 1"), 1);
    QCOMPARE(rig.array.datagramCount("GDATA 2"), 0);
    // The simulator answers number 3 as module 2: no mismatch.
    QCOMPARE(rig.device().networkState(), 7);
    QCOMPARE(rig.device().secondaryText(), QStringLiteral("Module Count: 2"));
}

void TestDeviceStatusVentra::temperatureBands_data()
{
    QTest::addColumn<QByteArray>("hottest");
    QTest::addColumn<QStringList>("rows");
    QTest::addColumn<int>("state");
    const QString noWarning = QStringLiteral("15 I Warning green");
    const QString fault = QStringLiteral("13 I Fault green");
    const QString warning =
        QStringLiteral("16 E Warning at Module: 2 yellow [20] Temperature Warning (80-95 degree Celsius)");
    const QString hot =
        QStringLiteral("14 E Fault at Module: 2 red [1104] Temperature Fault (over 95 degree Celsius)");
    QTest::newRow("80") << QByteArray("80") << QStringList{"10 T Module 2 Temperature = 80C / 176F", fault, noWarning} << 7;
    QTest::newRow("81") << QByteArray("81")
                        << QStringList{"10 T Module 2 Temperature = 81C / 177.8F", fault, warning} << 4;
    QTest::newRow("94") << QByteArray("94")
                        << QStringList{"10 T Module 2 Temperature = 94C / 201.2F", fault, warning} << 4;
    QTest::newRow("95") << QByteArray("95") << QStringList{"10 T Module 2 Temperature = 95C / 203F", fault, noWarning} << 7;
    QTest::newRow("96") << QByteArray("96")
                        << QStringList{"10 T Module 2 Temperature = 96C / 204.8F", hot, noWarning} << 3;
}

void TestDeviceStatusVentra::temperatureBands()
{
    QFETCH(QByteArray, hottest);
    QFETCH(QStringList, rows);
    QFETCH(int, state);
    ArrayRig rig;
    rig.array.module(2).temperatures = {"40", hottest, "not a number", "41"};
    QCOMPARE(rig.refresh(), 1);
    const QStringList got = describe(rig.device());
    for (const QString &row : rows)
        QVERIFY2(got.contains(row), qPrintable(row + " not in\n" + got.join('\n')));
    QCOMPARE(rig.device().networkState(), state);
}

// A module that reports its own temperature fault gets no second row; a
// reported temperature warning stands for every module's.
void TestDeviceStatusVentra::reportedTemperatureCodes()
{
    ArrayRig rig;
    rig.array.module(1).fault = "1104";
    rig.array.module(1).temperatures = {"97", "40", "40", "40"};
    rig.array.module(2).warning = "20";
    rig.array.module(3).temperatures = {"90", "40", "40", "40"};
    QCOMPARE(rig.refresh(), 1);
    const QStringList got = describe(rig.device());
    QCOMPARE(got.filter("[1104]"),
             QStringList{"13 E Fault at Module: 1 red [1104] Temperature Fault (over 95 degree Celsius)"});
    QCOMPARE(got.filter("[20]"),
             QStringList{"15 E Warning at Module: 2 yellow [20] Temperature Warning (80-95 degree Celsius)"});
    QCOMPARE(rig.device().networkState(), 3);
}

void TestDeviceStatusVentra::moduleStatusRows_data()
{
    QTest::addColumn<QByteArray>("warning");
    QTest::addColumn<QByteArray>("driver");
    QTest::addColumn<QStringList>("rows");
    QTest::addColumn<QStringList>("absent");
    QTest::addColumn<int>("state");
    QTest::newRow("warning 18") << QByteArray("18") << QByteArray("0x00000000")
                                << QStringList{"15 E Warning at Module: 3 yellow [18] Amplifier exceeds clip level"}
                                << QStringList{"15 I Warning green"} << 4;
    QTest::newRow("unknown warning") << QByteArray("77") << QByteArray("0x00000000")
                                     << QStringList{} << QStringList{"15 I Warning green"} << 4;
    QTest::newRow("driver fault") << QByteArray("0") << QByteArray("0x00000004")
                                  << QStringList{"17 I Driver Fault at Module: 3 red"}
                                  << QStringList{"17 I Driver Faults green"} << 7;
}

void TestDeviceStatusVentra::moduleStatusRows()
{
    QFETCH(QByteArray, warning);
    QFETCH(QByteArray, driver);
    QFETCH(QStringList, rows);
    QFETCH(QStringList, absent);
    QFETCH(int, state);
    ArrayRig rig;
    rig.array.module(3).warning = warning;
    rig.array.module(3).driver = driver;
    QCOMPARE(rig.refresh(), 1);
    const QStringList got = describe(rig.device());
    for (const QString &row : rows)
        QVERIFY2(got.contains(row), qPrintable(row));
    for (const QString &row : absent)
        QVERIFY2(!got.contains(row), qPrintable(row));
    QCOMPARE(rig.device().networkState(), state);
}

void TestDeviceStatusVentra::audioLevel_data()
{
    QTest::addColumn<QByteArray>("level");
    QTest::addColumn<QStringList>("rows");
    QTest::addColumn<int>("state");
    QTest::newRow("0") << QByteArray("0")
                       << QStringList{"6 I Signal Presence gray", "8 I Amplifier Clip gray", "8 I Amplifier Limit gray"}
                       << 7;
    QTest::newRow("1") << QByteArray("1")
                       << QStringList{"6 I Signal Presence green", "8 I Amplifier Clip gray", "8 I Amplifier Limit gray"}
                       << 7;
    QTest::newRow("18") << QByteArray("18 -3")
                        << QStringList{"6 I Signal Presence green", "8 I Amplifier Clip red", "8 I Amplifier Limit gray"}
                        << 4;
    QTest::newRow("19") << QByteArray("19")
                        << QStringList{"6 I Signal Presence green", "8 I Amplifier Clip gray", "8 I Amplifier Limit orange"}
                        << 4;
    QTest::newRow("other") << QByteArray("7") << QStringList{"8 I Amplifier Clip gray", "8 I Amplifier Limit gray"}
                           << 7;
}

void TestDeviceStatusVentra::audioLevel()
{
    QFETCH(QByteArray, level);
    QFETCH(QStringList, rows);
    QFETCH(int, state);
    ArrayRig rig;
    rig.array.setValue("AUDIOLEVEL", level);
    QCOMPARE(rig.refresh(), 1);
    QStringList got = describe(rig.device());
    got = got.filter(QRegularExpression("^(6|8) "));
    std::sort(got.begin(), got.end());
    QCOMPARE(got, rows);
    QCOMPARE(rig.device().networkState(), state);
}

void TestDeviceStatusVentra::deviceValues_data()
{
    // A device-level value the array reports (the request word, or
    // "GDESC" for the preset's name); the row it gives, or the row whose
    // name must not be there when the row text ends in "-".
    QTest::addColumn<QByteArray>("word");
    QTest::addColumn<QByteArray>("value");
    QTest::addColumn<QString>("row");
    QTest::newRow("backup strategy FORCE") << QByteArray("GBKSTG") << QByteArray("FORCE")
                                           << "4 T Backup strategy Input Mode = FORCE";
    QTest::newRow("backup strategy other") << QByteArray("GBKSTG") << QByteArray("AUTO")
                                           << "4 T Backup strategy Input Mode = Signal presence";
    QTest::newRow("active input") << QByteArray("GINPUT") << QByteArray("DIGITAL")
                                  << "5 T Active Input Priority = DIGITAL";
    QTest::newRow("auto-standby off") << QByteArray("GETSBTIME") << QByteArray("0") << "2 T Auto-Standby = Disabled";
    QTest::newRow("auto-standby on") << QByteArray("GETSBTIME") << QByteArray("1") << "2 T Auto-Standby = Enabled";
    QTest::newRow("preset named") << QByteArray("GDESC") << QByteArray("Lecture") << "3 T Currently Active Preset = Lecture";
    QTest::newRow("preset without a name") << QByteArray("GDESC") << QByteArray() << "3 T Currently Active Preset -";
}

void TestDeviceStatusVentra::deviceValues()
{
    QFETCH(QByteArray, word);
    QFETCH(QByteArray, value);
    QFETCH(QString, row);
    ArrayRig rig;
    if (word == "GDESC")
        rig.array.setPresetName(value);
    else
        rig.array.setValue(word, value);
    QCOMPARE(rig.refresh(), 1);
    const QStringList got = describe(rig.device());
    if (row.endsWith(QLatin1Char('-'))) {
        const QString name = row.chopped(1);
        QVERIFY2(!got.join(QLatin1Char('\n')).contains(name), qPrintable(got.join(QLatin1Char('\n'))));
    } else {
        QVERIFY2(got.contains(row), qPrintable(row + " not in\n" + got.join(QLatin1Char('\n'))));
    }
    QCOMPARE(rig.device().networkState(), 7);
}

void TestDeviceStatusVentra::badModuleCountReportsOnce_data()
{
    QTest::addColumn<QByteArray>("count");
    QTest::newRow("0") << QByteArray("0");
    QTest::newRow("x") << QByteArray("x");
    QTest::newRow("4") << QByteArray("4");
    QTest::newRow("huge") << QByteArray("99999999999");
    QTest::newRow("negative") << QByteArray("-1");
}

// Only modules 1 to 3 can be asked: any other count ends the refresh at
// once instead of leaving the dashboard waiting.
void TestDeviceStatusVentra::badModuleCountReportsOnce()
{
    QFETCH(QByteArray, count);
    ArrayRig rig;
    rig.array.setModuleCount(count);
    QCOMPARE(rig.refresh(), 1);
    QCOMPARE(rig.device().networkState(), 6);
    QCOMPARE(rig.device().networkStateName(), QStringLiteral("Unknown Status"));
    QCOMPARE(rig.array.datagrams().size(), 1);
    QVERIFY(rig.device().modules().isEmpty());
    QVERIFY(rig.device().rows().isEmpty());
    QCOMPARE(rig.device().secondaryText(), QString());
}

void TestDeviceStatusVentra::badPresetNumber_data()
{
    QTest::addColumn<QByteArray>("preset");
    QTest::newRow("empty") << QByteArray("");
    QTest::newRow("not a number") << QByteArray("x");
}

// Without a preset number there is nothing to describe or check: the step
// fails and the refresh still ends.
void TestDeviceStatusVentra::badPresetNumber()
{
    QFETCH(QByteArray, preset);
    ArrayRig rig;
    rig.array.setPreset(preset);
    QCOMPARE(rig.refresh(), 1);
    QCOMPARE(rig.device().networkState(), 6);
    QCOMPARE(rig.array.datagramCount("GDESC"), 0);
    QCOMPARE(rig.array.datagramCount("GDATA"), 0);
}

void TestDeviceStatusVentra::failedRequests_data()
{
    QTest::addColumn<QByteArray>("prefix");
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("state");
    // The array query: refused is unknown, silence unreachable.
    QTest::newRow("ARRAY refused") << QByteArray("ARRAY") << int(Fault::Refuse) << 6;
    // A module request: only a network error counts.
    QTest::newRow("module refused") << QByteArray("STATUS 2 1") << int(Fault::Refuse) << 7;
    QTest::newRow("module silent") << QByteArray("STATUS 2 1") << int(Fault::Silence) << 2;
    // Device-level requests: restart on a network error, unknown otherwise.
    QTest::newRow("standby refused") << QByteArray("GETSBST") << int(Fault::Refuse) << 6;
    QTest::newRow("standby silent") << QByteArray("GETSBST") << int(Fault::Silence) << 1;
    QTest::newRow("preset refused") << QByteArray("GCP") << int(Fault::Refuse) << 6;
    QTest::newRow("description refused") << QByteArray("GDESC") << int(Fault::Refuse) << 6;
    QTest::newRow("preset data refused") << QByteArray("GDATA 2") << int(Fault::Refuse) << 6;
    QTest::newRow("preset data silent") << QByteArray("GDATA 2") << int(Fault::Silence) << 1;
}

void TestDeviceStatusVentra::failedRequests()
{
    QFETCH(QByteArray, prefix);
    QFETCH(int, kind);
    QFETCH(int, state);
    ArrayRig rig;
    rig.array.addFault(prefix, Fault(Fault::Kind(kind)));
    QCOMPARE(rig.refresh(), 1);
    QCOMPARE(rig.device().networkState(), state);
}

void TestDeviceStatusVentra::silentArrayIsUnreachable()
{
    ArrayRig rig;
    rig.array.addFault("", Fault(Fault::Silence));
    QCOMPARE(rig.refresh(), 1);
    QCOMPARE(rig.device().networkState(), 2);
    QCOMPARE(rig.device().networkStateName(), QStringLiteral("Device Unreachable"));
    // Every attempt was the array query.
    QVERIFY(rig.array.datagrams().size() > 1);
    QCOMPARE(rig.array.datagramCount("ARRAY"), int(rig.array.datagrams().size()));
}

// A refresh asked while one runs starts over: answers to the first one's
// requests reach nobody, and the second reports once with its own rows.
void TestDeviceStatusVentra::secondRefreshDropsTheFirst()
{
    ArrayRig rig;
    rig.array.addFault("STATUS 1 1", Fault(Fault::Late, 1, 300));
    rig.device().requestStatus();
    QVERIFY(QTest::qWaitFor([&rig]() { return rig.array.datagramCount("STATUS 1 1") == 1; }, Patience));
    rig.array.module(1).fault = "1101";
    QCOMPARE(rig.refresh(), 1);
    QStringList rows = healthyRows();
    rows.replace(rows.indexOf("13 I Fault green"),
                 "13 E Fault at Module: 1 red [1101] Amp board detected driver failure");
    QCOMPARE(describe(rig.device()), rows);
}

void TestDeviceStatusVentra::requestsAreOwnedAndDropped()
{
    ArrayRig rig;
    QCOMPARE(rig.refresh(), 1);
    // Array query, module batches, device batch, description and data.
    const QList<TText *> texts = rig.device().findChildren<TText *>();
    QCOMPARE(texts.size(), 1 + 3 * 8 + 6 + 1 + 3);
    QList<QPointer<TText>> guards;
    for (TText *pText : texts)
        guards << pText;
    QList<QPointer<DeviceStatusInterfaceVentraModuleObject>> modules;
    for (DeviceStatusInterfaceVentraModuleObject *pModule : rig.device().modules())
        modules << pModule;

    rig.device().reset();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    for (const QPointer<TText> &pText : guards)
        QVERIFY(!pText);
    for (const auto &pModule : modules)
        QVERIFY(!pModule);
    QVERIFY(rig.device().modules().isEmpty());
    QVERIFY(rig.device().rows().isEmpty());
    QCOMPARE(rig.device().networkState(), 0);
}

void TestDeviceStatusVentra::reboot_data()
{
    QTest::addColumn<bool>("refused");
    QTest::newRow("answered") << false;
    QTest::newRow("refused") << true;
}

void TestDeviceStatusVentra::reboot()
{
    QFETCH(bool, refused);
    ArrayRig rig;
    if (refused)
        rig.array.addFault("REBOOT", Fault(Fault::Refuse));
    QSignalSpy rebooted(&rig.device(), &Device::deviceRebooted);
    QSignalSpy reported(&rig.device(), &Device::interfaceObjectDataReady);
    rig.device().reboot();
    QVERIFY(rebooted.wait(Patience));
    QCOMPARE(rebooted.first().first().toBool(), !refused);
    QCOMPARE(rig.array.datagrams().first().bytes, QByteArray("REBOOT\r"));
    QVERIFY(rig.idle());
    QCOMPARE(rebooted.size(), 1);
    QCOMPARE(reported.size(), 0);
    QCOMPARE(rig.device().findChildren<TText *>().size(), 1);
}

void TestDeviceStatusVentra::deletedWithRepliesInFlight_data()
{
    QTest::addColumn<QByteArray>("prefix");
    QTest::newRow("array query") << QByteArray("ARRAY");
    QTest::newRow("module batch") << QByteArray("STATUS 2 1");
    QTest::newRow("device batch") << QByteArray("GETSBST");
    QTest::newRow("preset data") << QByteArray("GDATA 3");
}

// The device object goes while the array still answers (the chassis that
// owns it was deleted): the answers find nobody.
void TestDeviceStatusVentra::deletedWithRepliesInFlight()
{
    QFETCH(QByteArray, prefix);
    ArrayRig rig;
    rig.array.addFault(prefix, Fault(Fault::Late, -1, 150));
    rig.device().requestStatus();
    QVERIFY(QTest::qWaitFor([&rig, prefix]() { return rig.array.datagramCount(prefix) >= 1; }, Patience));
    rig.pDevice.reset();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(rig.idle());
    QVERIFY(QTest::qWaitFor([&rig]() { return rig.array.answersSent() >= int(rig.array.datagrams().size()); },
                            Patience));
    QVERIFY(rig.idle());
}

VR_TEST_MAIN(TestDeviceStatusVentra)
#include "tst_devicestatusventra.moc"
