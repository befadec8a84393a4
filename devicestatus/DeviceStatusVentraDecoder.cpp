#include "devicestatus/DeviceStatusVentraDecoder.h"

#include "comms/TText.h"
#include "devicestatus/DeviceNetworkState.h"
#include "devicestatus/DeviceStatusInterfaceFeatureDisplayObject.h"
#include "devicestatus/DeviceStatusInterfaceVentraModuleObject.h"

#include <QDebug>
#include <QRegularExpression>

#include <algorithm>

namespace {

using Row = DeviceStatusInterfaceFeatureDisplayObject;
using State = DeviceNetworkState::State;

constexpr int PresetDescriptionId = 33;
constexpr int PresetDataId = 65;

// Row orders of the array (the list model sorts by them).
constexpr int FirmwareOrder = 0;
constexpr int StandbyOrder = 1;
constexpr int AutoStandbyOrder = 2;
constexpr int PresetOrder = 3;
constexpr int BackupOrder = 4;
constexpr int InputOrder = 5;
constexpr int SignalOrder = 6;
constexpr int AmplifierOrder = 8;
constexpr int FirstTemperatureOrder = 9;
constexpr int FaultOrder = 13;
constexpr int TemperatureFaultOrder = 14;
constexpr int WarningOrder = 15;
constexpr int TemperatureWarningOrder = 16;
constexpr int DriverOrder = 17;

// Temperatures in degrees Celsius: above WarningFloor up to WarningCeiling
// warns, above FaultFloor is a fault; 80 and 95 themselves are neither.
constexpr int WarningFloor = 80;
constexpr int WarningCeiling = 94;
constexpr int FaultFloor = 95;

const double kCurrentFirmware = 1.56;
const QString kNoDriverFault = QStringLiteral("0x00000000");
const QString kTemperatureFaultCode = QStringLiteral("1104");
const QString kTemperatureWarningCode = QStringLiteral("20");

// The positions in a module's requests (DeviceStatusInterfaceVentraModuleObject::commandIds).
enum ModuleRequest { FaultStatus, WarningStatus, DriverFaults, FirmwareVersion, FirstTemperature };

QString firstToken(const QString &value)
{
    return value.split(QLatin1Char(' '), Qt::SkipEmptyParts).value(0);
}

} // namespace

DeviceStatusVentraDecoder::DeviceStatusVentraDecoder(DeviceStatusInterfaceObject *pDevice)
    : m_pDevice(pDevice)
{
}

DeviceStatusVentraDecoder::CodeText DeviceStatusVentraDecoder::codeText(
    DeviceStatusInterfaceObject::ModuleCodeKind kind, const QString &code)
{
    static const QHash<QString, QString> faults{
        {QStringLiteral("1101"), QStringLiteral("Amp board detected driver failure")},
        {QStringLiteral("1102"), QStringLiteral("Module count has decreased at least once after booting")},
        {QStringLiteral("1103"),
         QStringLiteral("Beam preset in use has desired module count different from current active module count")},
        {QStringLiteral("1104"), QStringLiteral("Temperature Fault (over 95 degree Celsius)")},
        {QStringLiteral("1105"), QStringLiteral("Bad amp board connection (internal flat cable)")},
        {QStringLiteral("1201"),
         QStringLiteral("The loudspeaker has fewer modules connected than it had when the presets were stored")},
        {QStringLiteral("1202"),
         QStringLiteral("The loudspeaker has more modules connected than it had when the presets were stored")},
        {QStringLiteral("1203"),
         QStringLiteral("The loudspeaker modules appear to have been rearranged since the presets were stored")},
        {QStringLiteral("1204"),
         QStringLiteral("The loudspeaker modules have mismatched presets and appear to have come from different arrays")},
    };
    static const QHash<QString, QString> warnings{
        {QStringLiteral("18"), QStringLiteral("Amplifier exceeds clip level")},
        {QStringLiteral("19"), QStringLiteral("Amplifier exceeds limit level")},
        {QStringLiteral("20"), QStringLiteral("Temperature Warning (80-95 degree Celsius)")},
    };
    const QHash<QString, QString> &table =
        kind == DeviceStatusInterfaceObject::FaultCode ? faults : warnings;
    const auto it = table.constFind(code);
    if (it != table.constEnd())
        return {code, it.value()};
    return {QStringLiteral("API Invalid response ") + code,
            QStringLiteral("Please connect to the loudspeaker with its design software for more "
                           "information.")};
}

void DeviceStatusVentraDecoder::arrayQueryAnswered(TText *pText)
{
    DeviceStatusInterfaceObject &d = *m_pDevice;
    const QString error = pText->auxText();
    const QStringList parts = pText->replyText().split(QLatin1Char(' '));
    if (!error.isEmpty() || parts.size() < 2) {
        d.m_networkState = DeviceStatusInterfaceObject::errorState(error);
        d.report();
        return;
    }
    bool ok = false;
    const int count = parts.at(1).toInt(&ok);
    // Only modules 1..3 can be asked; any other count would leave the
    // array waiting for ever.
    if (!ok || count < 1 || count > DeviceStatusInterfaceVentraModuleObject::MaxModules) {
        qDebug().noquote() << "Ventra array" << d.m_address << "reports a module count of"
                           << parts.at(1);
        d.m_networkState = DeviceNetworkState::UnknownStatus;
        d.report();
        return;
    }
    for (int m = 1; m <= count; ++m) {
        auto *pModule = new DeviceStatusInterfaceVentraModuleObject(m, d.m_pProtocol.data(),
                                                                     d.m_address, d.m_name, &d);
        d.m_modules.append(pModule);
        QObject::connect(pModule, SIGNAL(moduleObjectDataReady()), &d, SLOT(onModuleObjectDataReady()));
    }
    // Started once all exist: a module that cannot send counts as reported,
    // and the count of reports is compared with all of them.
    const QList<DeviceStatusInterfaceVentraModuleObject *> modules = d.m_modules;
    int refused = 0;
    for (DeviceStatusInterfaceVentraModuleObject *pModule : modules) {
        if (!pModule->start())
            ++refused;
    }
    if (refused > 0)
        d.mergeNetworkState(DeviceNetworkState::DeviceUnreachable);
    const quint64 round = d.m_round;
    for (int i = 0; i < refused && round == d.m_round; ++i)
        d.onModuleObjectDataReady();
}

void DeviceStatusVentraDecoder::currentPresetAnswered(TText *pText)
{
    DeviceStatusInterfaceObject &d = *m_pDevice;
    const QString error = pText->auxText();
    // The number is the last word after the echo; an echo alone has none.
    const QStringList words =
        DeviceStatusInterfaceObject::stripEcho(pText->replyText(), pText->requestText())
            .split(QLatin1Char(' '), Qt::SkipEmptyParts);
    const QString number = words.isEmpty() ? QString() : words.last();
    bool numeric = false;
    number.toInt(&numeric);
    if (!error.isEmpty() || !numeric) {
        // The preset step ends here: nothing to describe or check.
        deviceRequestFailed(error);
        d.m_presetCheckDone = true;
        ++d.m_deviceReplies;
        return;
    }
    TText *pDescription = d.makeRequest(PresetDescriptionId, number);
    d.m_arrayRequests.append(pDescription);
    if (!d.m_pProtocol || !d.m_pProtocol->sendValue(pDescription)) {
        deviceRequestFailed(QString());
        d.m_presetCheckDone = true;
        ++d.m_deviceReplies;
    }
    const int count = int(d.m_modules.size());
    d.m_presetRequests = count;
    for (int i = 1; i <= count; ++i) {
        // A two-module array knows its second module by number 3.
        const int module = count == 2 && i == 2 ? 3 : i;
        TText *pData = d.makeRequest(PresetDataId, QString::number(module) + QLatin1Char(' ') + number);
        d.m_arrayRequests.append(pData);
        if (!d.m_pProtocol || !d.m_pProtocol->sendValue(pData)) {
            deviceRequestFailed(QString());
            ++d.m_presetReplies;
        }
    }
}

void DeviceStatusVentraDecoder::presetDataAnswered(TText *pText)
{
    DeviceStatusInterfaceObject &d = *m_pDevice;
    const QString error = pText->auxText();
    if (!error.isEmpty()) {
        deviceRequestFailed(error);
        return;
    }
    const QStringList parts = pText->requestText().split(QLatin1Char(' '));
    if (parts.size() != 3)
        return;
    QString expected = parts.at(1);
    if (d.m_modules.size() == 2 && expected == QLatin1String("3"))
        expected = QStringLiteral("2");
    presetCheck(expected, DeviceStatusInterfaceObject::stripEcho(pText->replyText(), pText->requestText()));
}

void DeviceStatusVentraDecoder::presetCheck(const QString &expected, const QString &value)
{
    DeviceStatusInterfaceObject &d = *m_pDevice;
    static const QRegularExpression pattern(QStringLiteral("MDN(\\d+):MDC(\\d+):"));
    const QRegularExpressionMatch match = pattern.match(value);
    if (!match.hasMatch()) {
        qDebug().noquote() << "Preset response " + d.m_address + " Pattern not found! " + value;
        return;
    }
    const QString mdn = match.captured(1);
    const int mdc = match.captured(2).toInt();
    const int modules = int(d.m_modules.size());
    if (mdn == expected && mdc == modules)
        return;
    d.mergeNetworkState(DeviceNetworkState::FaultDetected);
    d.m_faultPresent = true;
    if (mdn.toInt() != expected.toInt() && !d.m_presetErrorReported) {
        d.m_presetErrorReported = true;
        d.addErrorRow(QStringLiteral("Fault"), Row::Red, FaultOrder, QStringLiteral("1201"),
                      QStringLiteral("Beam Preset Error"));
    }
    if (mdc != modules && !d.m_moduleCountErrorReported) {
        d.m_moduleCountErrorReported = true;
        d.addErrorRow(QStringLiteral("Fault"), Row::Red, FaultOrder, QStringLiteral("1103"),
                      QStringLiteral("Module count mismatch error"));
    }
}

void DeviceStatusVentraDecoder::deviceRequestFailed(const QString &errorText)
{
    m_pDevice->mergeNetworkState(DeviceStatusInterfaceObject::errorState(errorText)
                                         == DeviceNetworkState::DeviceUnreachable
                                     ? DeviceNetworkState::RestartRequired
                                     : DeviceNetworkState::UnknownStatus);
}

void DeviceStatusVentraDecoder::deviceReplyAnswered(TText *pText)
{
    DeviceStatusInterfaceObject &d = *m_pDevice;
    const QString error = pText->auxText();
    if (!error.isEmpty()) {
        deviceRequestFailed(error);
        return;
    }
    const QString value = DeviceStatusInterfaceObject::stripEcho(pText->replyText(), pText->requestText());
    switch (pText->commandId()) {
    case 2: {
        const QString level = firstToken(value);
        if (level == QLatin1String("18")) {
            d.mergeNetworkState(DeviceNetworkState::WarningDetected);
            d.addIndicatorRow(QStringLiteral("Amplifier Clip"), Row::Red, AmplifierOrder);
            d.addIndicatorRow(QStringLiteral("Signal Presence"), Row::Green, SignalOrder);
        } else {
            d.addIndicatorRow(QStringLiteral("Amplifier Clip"), Row::Gray, AmplifierOrder);
        }
        if (level == QLatin1String("19")) {
            d.mergeNetworkState(DeviceNetworkState::WarningDetected);
            d.addIndicatorRow(QStringLiteral("Amplifier Limit"), Row::Orange, AmplifierOrder);
            d.addIndicatorRow(QStringLiteral("Signal Presence"), Row::Green, SignalOrder);
        } else {
            d.addIndicatorRow(QStringLiteral("Amplifier Limit"), Row::Gray, AmplifierOrder);
        }
        if (level == QLatin1String("1"))
            d.addIndicatorRow(QStringLiteral("Signal Presence"), Row::Green, SignalOrder);
        else if (level == QLatin1String("0"))
            d.addIndicatorRow(QStringLiteral("Signal Presence"), Row::Gray, SignalOrder);
        break;
    }
    case 3:
    case 5:
        d.addTextRow(QStringLiteral("Active Input Priority"), value, InputOrder);
        break;
    case 4:
        d.addTextRow(QStringLiteral("Backup strategy Input Mode"),
                     value == QLatin1String("FORCE") ? value : QStringLiteral("Signal presence"),
                     BackupOrder);
        break;
    case 6:
        d.addStandbyRow(QStringLiteral("Standby Status"), value, StandbyOrder);
        break;
    case 7:
        d.addTextRow(QStringLiteral("Auto-Standby"),
                     value == QLatin1String("0") ? QStringLiteral("Disabled") : QStringLiteral("Enabled"),
                     AutoStandbyOrder);
        break;
    case PresetDescriptionId:
        if (!value.isEmpty())
            d.addTextRow(QStringLiteral("Currently Active Preset"), value, PresetOrder);
        break;
    default:
        break;
    }
}

void DeviceStatusVentraDecoder::decodeModules()
{
    DeviceStatusInterfaceObject &d = *m_pDevice;
    bool warningRow = false;
    bool driverFault = false;
    bool temperatureWarningReported = false;
    QList<int> temperatures;
    QList<bool> temperatureFaultReported;
    for (DeviceStatusInterfaceVentraModuleObject *pModule : std::as_const(d.m_modules)) {
        const int m = pModule->moduleNumber();
        int temperature = 0;
        bool faultReported = false;
        const QList<TText *> requests = pModule->requests();
        for (int i = 0; i < requests.size(); ++i) {
            const TText *pText = requests.at(i);
            if (!pText)
                continue;
            const QString error = pText->auxText();
            if (!error.isEmpty()) {
                if (DeviceStatusInterfaceObject::errorState(error) == DeviceNetworkState::DeviceUnreachable)
                    d.mergeNetworkState(DeviceNetworkState::DeviceUnreachable);
                continue;
            }
            const QString value =
                DeviceStatusInterfaceObject::stripEcho(pText->replyText(), pText->requestText());
            if (i == FaultStatus) {
                if (d.decodeModuleCode(m, DeviceStatusInterfaceObject::FaultCode, value))
                    d.m_faultPresent = true;
                if (value == kTemperatureFaultCode)
                    faultReported = true;
            } else if (i == WarningStatus) {
                if (d.decodeModuleCode(m, DeviceStatusInterfaceObject::WarningCode, value))
                    warningRow = true;
                if (value == kTemperatureWarningCode)
                    temperatureWarningReported = true;
            } else if (i == DriverFaults) {
                if (value != kNoDriverFault) {
                    d.addIndicatorRow(QStringLiteral("Driver Fault at Module: ") + QString::number(m),
                                      Row::Red, DriverOrder);
                    driverFault = true;
                }
            } else if (i == FirmwareVersion) {
                const QString token = firstToken(value);
                bool ok = false;
                const double version = token.toDouble(&ok);
                if (!ok || version < kCurrentFirmware)
                    d.m_firmwareOld = true;
                if (m == 1)
                    d.m_firmwareVersion = token;
            } else {
                bool ok = false;
                const int reading = value.toInt(&ok);
                if (ok)
                    temperature = std::max(temperature, reading);
            }
        }
        temperatures.append(temperature);
        temperatureFaultReported.append(faultReported);
    }

    for (int k = 0; k < temperatures.size(); ++k) {
        const int t = temperatures.at(k);
        if (t != 0) {
            d.addTextRow(QStringLiteral("Module %1 Temperature").arg(k + 1),
                         DeviceStatusInterfaceObject::temperatureText(t), FirstTemperatureOrder + k);
        }
    }
    for (int k = 0; k < temperatures.size() && !temperatureWarningReported; ++k) {
        const int t = temperatures.at(k);
        if (t > WarningFloor && t <= WarningCeiling) {
            d.addErrorRow(QStringLiteral("Warning at Module: ") + QString::number(k + 1), Row::Yellow,
                          TemperatureWarningOrder, kTemperatureWarningCode,
                          QStringLiteral("Temperature Warning (80-95 degree Celsius)"));
            d.mergeNetworkState(DeviceNetworkState::WarningDetected);
            warningRow = true;
        }
    }
    for (int k = 0; k < temperatures.size(); ++k) {
        // A module that reported its own temperature fault already has its row.
        if (temperatures.at(k) > FaultFloor && !temperatureFaultReported.at(k)) {
            d.addErrorRow(QStringLiteral("Fault at Module: ") + QString::number(k + 1), Row::Red,
                          TemperatureFaultOrder, kTemperatureFaultCode,
                          QStringLiteral("Temperature Fault (over 95 degree Celsius)"));
            d.m_faultPresent = true;
            d.mergeNetworkState(DeviceNetworkState::FaultDetected);
        }
    }
    if (!warningRow)
        d.addIndicatorRow(QStringLiteral("Warning"), Row::Green, WarningOrder);
    if (!driverFault)
        d.addIndicatorRow(QStringLiteral("Driver Faults"), Row::Green, DriverOrder);
    if (d.m_firmwareOld) {
        d.addWarningTextRow(QStringLiteral("Firmware Version"), d.m_firmwareVersion,
                            QStringLiteral("Firmaware update recommended"), FirmwareOrder);
    } else {
        d.addTextRow(QStringLiteral("Firmware Version"), d.m_firmwareVersion, FirmwareOrder);
    }
}

void DeviceStatusVentraDecoder::completeIfDone()
{
    DeviceStatusInterfaceObject &d = *m_pDevice;
    if (d.m_reported || d.m_requests.isEmpty())
        return;
    if (d.m_deviceReplies != d.m_requests.size() || !d.m_presetCheckDone
        || d.m_presetReplies != d.m_presetRequests)
        return;
    if (d.m_networkState == DeviceNetworkState::Connecting)
        d.m_networkState = DeviceNetworkState::Connected;
    if (!d.m_faultPresent)
        d.addIndicatorRow(QStringLiteral("Fault"), Row::Green, FaultOrder);
    qDebug().noquote() << "DEBUG: All data got for " + d.m_name + " and IP: " + d.m_address;
    d.report();
}
