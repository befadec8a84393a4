#include "VrTest.h"

#include "comms/ReplyTags.h"
#include "devicestatus/DeviceNetworkState.h"
#include "devicestatus/DeviceStatusInterfaceFeatureDisplayObject.h"
#include "devicestatus/DeviceStatusInterfaceObject.h"
#include "devicestatus/DeviceStatusInterfaceVentraModuleObject.h"

#include "amplifiers/PVentraProtocol.h"
#include "comms/PProtocol.h"
#include "comms/TText.h"

#include <QPointer>
#include <QSignalSpy>

namespace {

using Row = DeviceStatusInterfaceFeatureDisplayObject;
using Device = DeviceStatusInterfaceObject;

// A protocol that takes every request and answers none by itself: the test
// answers them, in whatever order it likes.
class HoldingProtocol : public PProtocol
{
public:
    bool sendValue(TTransform *pTransform) override
    {
        sent << qobject_cast<TText *>(pTransform);
        return true;
    }
    bool sendBatch(const QList<TTransform *> &transforms) override
    {
        for (TTransform *pTransform : transforms)
            sent << qobject_cast<TText *>(pTransform);
        ++batches;
        return true;
    }

    QList<QPointer<TText>> sent;
    int batches = 0;
};

void answer(TText *pText, const QString &reply, const QString &error = QString())
{
    pText->setAuxText(error);
    pText->setReplyText(reply);
}

} // namespace

// The device object's own rules, without a device: the state table, the
// merge of states, error texts, echoes, module codes and the row makers.
class TestDeviceStatusInterfaceObject : public QObject
{
    Q_OBJECT

private slots:
    void networkStateTable_data();
    void networkStateTable();
    void deviceType_data();
    void deviceType();
    void mergeNetworkState_data();
    void mergeNetworkState();
    void errorState_data();
    void errorState();
    void stripEcho_data();
    void stripEcho();
    void temperatureText_data();
    void temperatureText();
    void decodeModuleCode_data();
    void decodeModuleCode();
    void rowMakers();
    void standbyRow_data();
    void standbyRow();
    void moduleCommandIds();
    void deviceWithoutProtocolReportsOnce_data();
    void deviceWithoutProtocolReportsOnce();
    void rebootWithoutDeviceFailsAtOnce_data();
    void rebootWithoutDeviceFailsAtOnce();
    void resetDropsRowsAndConnections();
    void answersOfAnEarlierRoundAreIgnored();
    void arrayWithoutTransportIsUnreachable();
};

void TestDeviceStatusInterfaceObject::networkStateTable_data()
{
    QTest::addColumn<int>("state");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("color");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("image");
    QTest::newRow("0") << 0 << "Connecting" << "#63c0df"
                       << "Please wait while we gather information from the device"
                       << "qrc:/images/loadingInfo.png";
    QTest::newRow("1") << 1 << "Restart Required" << "#eaeaea"
                       << "Unable to connect to the device, please try restarting the array. If the "
                          "issue persists, please check power and data interconnect cables and network "
                          "settings."
                       << "qrc:/images/warning.png";
    QTest::newRow("2") << 2 << "Device Unreachable" << "#eaeaea"
                       << "Unable to connect to the device. Please check network settings or try again later"
                       << "qrc:/images/warning.png";
    QTest::newRow("3") << 3 << "Fault Detected" << "#cf000f" << "" << "";
    QTest::newRow("4") << 4 << "Warning Detected" << "#f0541e" << "" << "";
    QTest::newRow("5") << 5 << "Standby" << "#f5c122" << "" << "";
    QTest::newRow("6") << 6 << "Unknown Status" << "#7975a9"
                       << "Unknown Error occurred. Please try refreshing and try again later"
                       << "qrc:/images/errorRetrievingInfo.png";
    QTest::newRow("7") << 7 << "Connected" << "#009944" << "" << "";
    QTest::newRow("8") << 8 << "Unknown Error" << "#7975a9" << "" << "";
    QTest::newRow("-1") << -1 << "Unknown Error" << "#7975a9" << "" << "";
}

void TestDeviceStatusInterfaceObject::networkStateTable()
{
    QFETCH(int, state);
    QFETCH(QString, name);
    QFETCH(QString, color);
    QFETCH(QString, message);
    QFETCH(QString, image);
    QCOMPARE(DeviceNetworkState::name(state), name);
    QCOMPARE(DeviceNetworkState::color(state), color);
    QCOMPARE(DeviceNetworkState::message(state), message);
    QCOMPARE(DeviceNetworkState::image(state), image);
    // The pictures named are in the resources.
    if (!image.isEmpty())
        QVERIFY(QFile::exists(QLatin1Char(':') + image.mid(4)));

    Device device;
    if (state >= 0 && state <= 7) {
        device.mergeNetworkState(state);
        QCOMPARE(device.networkState(), state);
        QCOMPARE(device.networkStateName(), name);
        QCOMPARE(device.networkStateColor(), color);
        QCOMPARE(device.statusMessage(), message);
        QCOMPARE(device.statusImage(), image);
    }
}

void TestDeviceStatusInterfaceObject::deviceType_data()
{
    QTest::addColumn<QString>("type");
    QTest::addColumn<int>("kind");
    QTest::newRow("Ventra") << "Ventra" << 1;
    QTest::newRow("ARX") << "ARX" << 2;
    QTest::newRow("ventra") << "ventra" << 0;
    QTest::newRow("Arx") << "Arx" << 0;
    QTest::newRow("empty") << "" << 0;
}

void TestDeviceStatusInterfaceObject::deviceType()
{
    QFETCH(QString, type);
    QFETCH(int, kind);
    Device device;
    QCOMPARE(device.kind(), 0);
    QVERIFY(!device.isExpanded());
    QCOMPARE(device.networkState(), 0);
    device.setDeviceType(type);
    QCOMPARE(device.kind(), kind);
    QCOMPARE(device.deviceType(), kind);
}

void TestDeviceStatusInterfaceObject::mergeNetworkState_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("current");
    QTest::addColumn<int>("merged");
    QTest::addColumn<int>("result");
    // Connecting takes whatever comes; a graver (lower) state wins.
    QTest::newRow("0 <- 7") << 1 << 0 << 7 << 7;
    QTest::newRow("0 <- 6") << 1 << 0 << 6 << 6;
    QTest::newRow("7 <- 4") << 1 << 7 << 4 << 4;
    QTest::newRow("4 <- 3") << 1 << 4 << 3 << 3;
    QTest::newRow("3 <- 4") << 1 << 3 << 4 << 3;
    QTest::newRow("2 <- 6") << 1 << 2 << 6 << 2;
    QTest::newRow("6 <- 1") << 1 << 6 << 1 << 1;
    // The array's standby is one state among others ...
    QTest::newRow("array 5 <- 3") << 1 << 5 << 3 << 3;
    QTest::newRow("array 3 <- 5") << 1 << 3 << 5 << 3;
    // ... an amplifier's sticks.
    QTest::newRow("arx 5 <- 3") << 2 << 5 << 3 << 5;
    QTest::newRow("arx 3 <- 5") << 2 << 3 << 5 << 5;
    QTest::newRow("arx 5 <- 2") << 2 << 5 << 2 << 5;
    QTest::newRow("arx 7 <- 4") << 2 << 7 << 4 << 4;
}

void TestDeviceStatusInterfaceObject::mergeNetworkState()
{
    QFETCH(int, kind);
    QFETCH(int, current);
    QFETCH(int, merged);
    QFETCH(int, result);
    Device device;
    device.setDeviceType(kind == 1 ? QStringLiteral("Ventra") : QStringLiteral("ARX"));
    if (current != 0)
        device.mergeNetworkState(current);
    QCOMPARE(device.networkState(), current);
    QCOMPARE(device.mergeNetworkState(merged), current);
    QCOMPARE(device.networkState(), result);
}

void TestDeviceStatusInterfaceObject::errorState_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("state");
    QTest::newRow("network") << ReplyTags::networkError() << 2;
    QTest::newRow("nack") << ReplyTags::nackReceived() << 6;
    QTest::newRow("unknown") << ReplyTags::unknownReceived() << 6;
    QTest::newRow("json") << ReplyTags::jsonParsingError() << 6;
    QTest::newRow("network and more") << ReplyTags::networkError() + "Connection refused" << 6;
    QTest::newRow("empty") << QString() << 6;
}

void TestDeviceStatusInterfaceObject::errorState()
{
    QFETCH(QString, text);
    QFETCH(int, state);
    QCOMPARE(Device::errorState(text), state);
}

void TestDeviceStatusInterfaceObject::stripEcho_data()
{
    QTest::addColumn<QString>("reply");
    QTest::addColumn<QString>("request");
    QTest::addColumn<QString>("value");
    QTest::newRow("status") << "STATUS 1 1 1101" << "STATUS 1 1" << "1101";
    QTest::newRow("firmware") << "FW VERSION 2 1.60" << "FW VERSION 2" << "1.60";
    QTest::newRow("trimmed") << "GDESC 1 4   Main Hall  " << "GDESC 1 4" << "Main Hall";
    QTest::newRow("echo only") << "GETSBST" << "GETSBST" << "";
    QTest::newRow("other reply") << "NACK STATUS 1 1" << "STATUS 1 1" << "NACK STATUS 1 1";
    QTest::newRow("case matters") << "status 1 1 0" << "STATUS 1 1" << "status 1 1 0";
    QTest::newRow("untrimmed other") << " STATUS 1 1 0" << "STATUS 1 1" << " STATUS 1 1 0";
}

void TestDeviceStatusInterfaceObject::stripEcho()
{
    QFETCH(QString, reply);
    QFETCH(QString, request);
    QFETCH(QString, value);
    QCOMPARE(Device::stripEcho(reply, request), value);
}

void TestDeviceStatusInterfaceObject::temperatureText_data()
{
    QTest::addColumn<int>("celsius");
    QTest::addColumn<QString>("text");
    QTest::newRow("45") << 45 << "45C / 113F";
    QTest::newRow("0") << 0 << "0C / 32F";
    QTest::newRow("37") << 37 << "37C / 98.6F";
    QTest::newRow("-40") << -40 << "-40C / -40F";
    QTest::newRow("96") << 96 << "96C / 204.8F";
}

void TestDeviceStatusInterfaceObject::temperatureText()
{
    QFETCH(int, celsius);
    QFETCH(QString, text);
    QCOMPARE(Device::temperatureText(celsius), text);
}

void TestDeviceStatusInterfaceObject::decodeModuleCode_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("code");
    QTest::addColumn<bool>("added");
    QTest::addColumn<QString>("errorCode");
    QTest::addColumn<QString>("explanation");
    const int f = Device::FaultCode;
    const int w = Device::WarningCode;
    QTest::newRow("fault 0") << f << "0" << false << "" << "";
    QTest::newRow("warning 0") << w << "0" << false << "" << "";
    QTest::newRow("1101") << f << "1101" << true << "1101" << "Amp board detected driver failure";
    QTest::newRow("1102") << f << "1102" << true << "1102"
                          << "Module count has decreased at least once after booting";
    QTest::newRow("1103") << f << "1103" << true << "1103"
                          << "Beam preset in use has desired module count different from current active "
                             "module count";
    QTest::newRow("1104") << f << "1104" << true << "1104" << "Temperature Fault (over 95 degree Celsius)";
    QTest::newRow("1105") << f << "1105" << true << "1105" << "Bad amp board connection (internal flat cable)";
    QTest::newRow("1201") << f << "1201" << true << "1201"
                          << "The loudspeaker has fewer modules connected than it had when the presets "
                             "were stored";
    QTest::newRow("1202") << f << "1202" << true << "1202"
                          << "The loudspeaker has more modules connected than it had when the presets "
                             "were stored";
    QTest::newRow("1203") << f << "1203" << true << "1203"
                          << "The loudspeaker modules appear to have been rearranged since the presets "
                             "were stored";
    QTest::newRow("1204") << f << "1204" << true << "1204"
                          << "The loudspeaker modules have mismatched presets and appear to have come "
                             "from different arrays";
    QTest::newRow("18") << w << "18" << true << "18" << "Amplifier exceeds clip level";
    QTest::newRow("19") << w << "19" << true << "19" << "Amplifier exceeds limit level";
    QTest::newRow("20") << w << "20" << true << "20" << "Temperature Warning (80-95 degree Celsius)";
    // A code of the other table is not understood either.
    QTest::newRow("fault 18") << f << "18" << true << "API Invalid response 18" << "*";
    QTest::newRow("warning 1101") << w << "1101" << true << "API Invalid response 1101" << "*";
    QTest::newRow("9999") << f << "9999" << true << "API Invalid response 9999" << "*";
}

void TestDeviceStatusInterfaceObject::decodeModuleCode()
{
    QFETCH(int, kind);
    QFETCH(QString, code);
    QFETCH(bool, added);
    QFETCH(QString, errorCode);
    QFETCH(QString, explanation);
    Device device;
    device.setDeviceType(QStringLiteral("Ventra"));
    const bool fault = kind == Device::FaultCode;
    QCOMPARE(device.decodeModuleCode(2, Device::ModuleCodeKind(kind), code), added);
    if (!added) {
        QVERIFY(device.rows().isEmpty());
        QCOMPARE(device.networkState(), 0);
        return;
    }
    QCOMPARE(device.rows().size(), 1);
    const Row *pRow = device.rows().first();
    QCOMPARE(pRow->displayType(), int(Row::TypeError));
    QCOMPARE(pRow->displayName(), fault ? QStringLiteral("Fault at Module: 2") : QStringLiteral("Warning at Module: 2"));
    QCOMPARE(pRow->indicatorColor(), fault ? int(Row::Red) : int(Row::Yellow));
    QCOMPARE(pRow->order(), fault ? 13 : 15);
    QCOMPARE(pRow->errorCode(), errorCode);
    if (explanation == QLatin1String("*"))
        QVERIFY(pRow->errorDisplayValue().contains(QLatin1String("design software")));
    else
        QCOMPARE(pRow->errorDisplayValue(), explanation);
    QCOMPARE(device.networkState(), fault ? 3 : 4);
    QCOMPARE(pRow->parent(), &device);
}

void TestDeviceStatusInterfaceObject::rowMakers()
{
    Device device;
    const Row *pIndicator = device.addIndicatorRow(QStringLiteral("Fault"), Row::Green, 13);
    const Row *pText = device.addTextRow(QStringLiteral("Auto-Standby"), QStringLiteral("Enabled"), 2);
    const Row *pWarning = device.addWarningTextRow(QStringLiteral("Firmware Version"), QStringLiteral("1.55"),
                                                   QStringLiteral("Firmaware update recommended"), 0);
    const Row *pHeader = device.addHeaderRow(QStringLiteral("Output Channel: 1"), 1);
    QCOMPARE(device.rows(), (QList<Row *>{const_cast<Row *>(pIndicator), const_cast<Row *>(pText),
                                          const_cast<Row *>(pWarning), const_cast<Row *>(pHeader)}));
    QCOMPARE(pIndicator->displayType(), int(Row::TypeIndicator));
    QCOMPARE(pIndicator->indicatorColor(), int(Row::Green));
    QCOMPARE(pIndicator->order(), 13);
    QCOMPARE(pText->displayType(), int(Row::TypeText));
    QCOMPARE(pText->displayValue(), QStringLiteral("Enabled"));
    QCOMPARE(pText->indicatorColor(), int(Row::NoIndicator));
    QCOMPARE(pWarning->displayType(), int(Row::TypeWarning));
    QCOMPARE(pWarning->displayValue(), QStringLiteral("1.55"));
    QCOMPARE(pWarning->errorDisplayValue(), QStringLiteral("Firmaware update recommended"));
    QCOMPARE(pHeader->displayType(), int(Row::TypeHeader));
    // None of them moves the state.
    QCOMPARE(device.networkState(), 0);

    device.moveRow(const_cast<Row *>(pHeader), 0);
    QCOMPARE(device.rows().first(), pHeader);
    device.moveRow(const_cast<Row *>(pHeader), 99);
    QCOMPARE(device.rows().last(), pHeader);
}

void TestDeviceStatusInterfaceObject::standbyRow_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<int>("before");
    QTest::addColumn<QString>("value");
    QTest::addColumn<int>("color");
    QTest::addColumn<int>("state");
    QTest::newRow("awake") << "Ventra" << 0 << "0" << int(Row::Gray) << 0;
    QTest::newRow("standby") << "Ventra" << 0 << "1" << int(Row::Yellow) << 5;
    QTest::newRow("array fault stays") << "Ventra" << 3 << "1" << int(Row::Yellow) << 3;
    QTest::newRow("amplifier standby sticks") << "ARX" << 3 << "1" << int(Row::Yellow) << 5;
}

void TestDeviceStatusInterfaceObject::standbyRow()
{
    QFETCH(QString, kind);
    QFETCH(int, before);
    QFETCH(QString, value);
    QFETCH(int, color);
    QFETCH(int, state);
    Device device;
    device.setDeviceType(kind);
    if (before)
        device.mergeNetworkState(before);
    const Row *pRow = device.addStandbyRow(QStringLiteral("Standby Status"), value, 1);
    QCOMPARE(pRow->displayType(), int(Row::TypeIndicator));
    QCOMPARE(pRow->indicatorColor(), color);
    QCOMPARE(pRow->order(), 1);
    QCOMPARE(device.networkState(), state);
}

void TestDeviceStatusInterfaceObject::moduleCommandIds()
{
    using Module = DeviceStatusInterfaceVentraModuleObject;
    QCOMPARE(Module::commandIds(1), (QList<int>{9, 12, 15, 18, 21, 22, 23, 24}));
    QCOMPARE(Module::commandIds(2), (QList<int>{10, 13, 16, 19, 25, 26, 27, 28}));
    QCOMPARE(Module::commandIds(3), (QList<int>{11, 14, 17, 20, 29, 30, 31, 32}));
    QVERIFY(Module::commandIds(0).isEmpty());
    QVERIFY(Module::commandIds(4).isEmpty());
    // A module that has nothing to ask does not start.
    Module module(4, nullptr, QStringLiteral("127.0.0.1"), QStringLiteral("Array"));
    QVERIFY(!module.start());
    QVERIFY(module.requests().isEmpty());
}

void TestDeviceStatusInterfaceObject::deviceWithoutProtocolReportsOnce_data()
{
    QTest::addColumn<QString>("kind");
    QTest::newRow("array") << "Ventra";
    QTest::newRow("amplifier") << "ARX";
    QTest::newRow("other") << "Other";
}

// A device that cannot be asked still reports, once, after the caller had
// the chance to connect (the dashboard connects after requestStatus()).
void TestDeviceStatusInterfaceObject::deviceWithoutProtocolReportsOnce()
{
    QFETCH(QString, kind);
    Device device;
    device.setDeviceType(kind);
    device.requestStatus();
    QSignalSpy reported(&device, &Device::interfaceObjectDataReady);
    QVERIFY(reported.wait(2000));
    QCOMPARE(device.networkState(), 6);
    // A second report would have come by now.
    QVERIFY(!reported.wait(100));
    QCOMPARE(reported.size(), 1);

    // A reset before the report was due drops it.
    device.requestStatus();
    QSignalSpy second(&device, &Device::interfaceObjectDataReady);
    device.reset();
    QCoreApplication::processEvents();
    QCOMPARE(second.size(), 0);
}

void TestDeviceStatusInterfaceObject::rebootWithoutDeviceFailsAtOnce_data()
{
    QTest::addColumn<QString>("kind");
    QTest::newRow("array without protocol") << "Ventra";
    QTest::newRow("amplifier without protocol") << "ARX";
    QTest::newRow("other") << "Other";
}

void TestDeviceStatusInterfaceObject::rebootWithoutDeviceFailsAtOnce()
{
    QFETCH(QString, kind);
    Device device;
    device.setDeviceType(kind);
    QSignalSpy rebooted(&device, &Device::deviceRebooted);
    device.reboot();
    QCOMPARE(rebooted.size(), 1);
    QCOMPARE(rebooted.first().first().toBool(), false);
}

void TestDeviceStatusInterfaceObject::resetDropsRowsAndConnections()
{
    Device device;
    device.setDeviceType(QStringLiteral("Ventra"));
    Row *pRow = device.addIndicatorRow(QStringLiteral("Fault"), Row::Green, 13);
    device.mergeNetworkState(3);
    int heard = 0;
    connect(&device, &Device::interfaceObjectDataReady, this, [&heard]() { ++heard; });
    device.reset();
    QVERIFY(device.rows().isEmpty());
    QCOMPARE(device.networkState(), 0);
    QCOMPARE(pRow->parent(), &device); // a view may still show it
    emit device.interfaceObjectDataReady();
    QCOMPARE(heard, 0);
}

// The array answers a request of the refresh before, before that
// request's deferred deletion ran: nothing of it counts.
void TestDeviceStatusInterfaceObject::answersOfAnEarlierRoundAreIgnored()
{
    HoldingProtocol protocol;
    Device device;
    device.setDeviceType(QStringLiteral("Ventra"));
    device.setProtocol(&protocol);
    device.requestStatus();
    QCOMPARE(protocol.sent.size(), 1);
    const QPointer<TText> pFirst = protocol.sent.first();
    answer(pFirst, QStringLiteral("ARRAY 1"));
    QCOMPARE(device.moduleCount(), 1);
    QCOMPARE(protocol.batches, 1);
    const QList<QPointer<TText>> firstModule = protocol.sent.mid(1);

    device.requestStatus();
    QSignalSpy reported(&device, &Device::interfaceObjectDataReady);
    QCOMPARE(protocol.sent.size(), 10);
    const QPointer<TText> pSecond = protocol.sent.last();
    QVERIFY(pFirst && pSecond != pFirst);
    // The first round's array query and module requests answer late.
    answer(pFirst, QStringLiteral("ARRAY 3"));
    for (const QPointer<TText> &pText : firstModule) {
        QVERIFY(pText);
        answer(pText, pText->requestText() + QStringLiteral(" 0"));
    }
    QCOMPARE(device.moduleCount(), 0);
    QCOMPARE(protocol.batches, 1);
    QVERIFY(device.rows().isEmpty());
    QCOMPARE(reported.size(), 0);

    answer(pSecond, QStringLiteral("ARRAY 0"));
    QCOMPARE(reported.size(), 1);
    QCOMPARE(device.networkState(), 6);
    // Their deletion is due; and they are the device's to delete.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(!pFirst);
    for (const QPointer<TText> &pText : firstModule)
        QVERIFY(!pText);
}

// The protocol refuses the array query (no transport): the array is
// unreachable, reported once, and its reboot fails at once.
void TestDeviceStatusInterfaceObject::arrayWithoutTransportIsUnreachable()
{
    PVentraProtocol protocol;
    Device device;
    device.setDeviceType(QStringLiteral("Ventra"));
    device.setProtocol(&protocol);
    device.requestStatus();
    QSignalSpy reported(&device, &Device::interfaceObjectDataReady);
    QVERIFY(reported.wait(2000));
    QCOMPARE(device.networkState(), 2);
    QVERIFY(!reported.wait(100));
    QCOMPARE(reported.size(), 1);

    QSignalSpy rebooted(&device, &Device::deviceRebooted);
    device.reboot();
    QCOMPARE(rebooted.size(), 1);
    QCOMPARE(rebooted.first().first().toBool(), false);
}

VR_TEST_MAIN(TestDeviceStatusInterfaceObject)
#include "tst_devicestatusinterfaceobject.moc"
