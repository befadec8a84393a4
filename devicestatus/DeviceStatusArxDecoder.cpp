#include "devicestatus/DeviceStatusArxDecoder.h"

#include "amplifiers/ArxDeviceStatus.h"
#include "devicestatus/DeviceNetworkState.h"
#include "devicestatus/DeviceStatusInterfaceFeatureDisplayObject.h"
#include "devicestatus/DeviceStatusInterfaceObject.h"

#include <QDebug>

namespace {

using Row = DeviceStatusInterfaceFeatureDisplayObject;

// Device-wide rows come first (order 0), the channel blocks after them.
constexpr int DeviceOrder = 0;
constexpr int ChannelOrder = 1;

// Power-supply conditions of "mains".
constexpr int MainsNearOvervoltage = 1;
constexpr int MainsUndervoltage = 2;
constexpr int MainsOvervoltage = 3;
constexpr int MainsFuseBlown = 4;

const QString kCriticalHardwareFault = QStringLiteral("Fault: critical hardware fault");
const QString kPowerCycle = QStringLiteral("recoverable only with a power off/on cycle");

} // namespace

DeviceStatusArxDecoder::DeviceStatusArxDecoder(DeviceStatusInterfaceObject *pDevice)
    : m_pDevice(pDevice)
{
}

void DeviceStatusArxDecoder::faultRow(const QString &name, const QString &explanation)
{
    m_pDevice->addErrorRow(name, Row::Red, DeviceOrder, QString(), explanation);
}

void DeviceStatusArxDecoder::warningRow(const QString &name, const QString &explanation)
{
    m_pDevice->addErrorRow(name, Row::Yellow, DeviceOrder, QString(), explanation);
}

void DeviceStatusArxDecoder::insertSummary(const QString &name, int color)
{
    m_pDevice->moveRow(m_pDevice->addIndicatorRow(name, color, ChannelOrder), m_insertAt);
}

void DeviceStatusArxDecoder::markClip()
{
    m_pDevice->mergeNetworkState(DeviceNetworkState::WarningDetected);
    m_warning = true;
    if (!m_clipShown) {
        m_clipShown = true;
        insertSummary(QStringLiteral("Amplifier clip"), Row::Red);
    }
}

void DeviceStatusArxDecoder::markLimit()
{
    m_pDevice->mergeNetworkState(DeviceNetworkState::WarningDetected);
    m_warning = true;
    if (!m_limitShown) {
        m_limitShown = true;
        insertSummary(QStringLiteral("Amplifier Limit"), Row::Red);
    }
}

void DeviceStatusArxDecoder::decode(const ArxDeviceStatus &status)
{
    DeviceStatusInterfaceObject &d = *m_pDevice;
    decodeDevice(status);
    m_insertAt = int(d.rows().size());
    if (status.channels.size() == Channels && status.entries.size() == Channels) {
        for (int c = 0; c < Channels; ++c)
            decodeChannel(status, c);
    }
    if (d.networkState() == DeviceNetworkState::Connecting)
        d.mergeNetworkState(DeviceNetworkState::Connected);
    if (!m_fault)
        insertSummary(QStringLiteral("Fault"), Row::Green);
    if (m_warning)
        d.mergeNetworkState(DeviceNetworkState::WarningDetected);
    else
        insertSummary(QStringLiteral("Warning"), Row::Green);
    qDebug().noquote() << "DEBUG: All data got for " + d.name() + " and IP: " + d.address();
}

void DeviceStatusArxDecoder::decodeDevice(const ArxDeviceStatus &status)
{
    DeviceStatusInterfaceObject &d = *m_pDevice;
    d.addStandbyRow(QStringLiteral("Standby Status"),
                    status.standby != 0 ? QStringLiteral("1") : QStringLiteral("0"), DeviceOrder);
    d.addIndicatorRow(QStringLiteral("Auto Standby (NRG SAVE)"),
                      status.energySave ? Row::Yellow : Row::Gray, DeviceOrder);
    d.addTextRow(QStringLiteral("Amp Temp. CH 1 and CH 2"),
                 DeviceStatusInterfaceObject::temperatureText(status.temperature1), DeviceOrder);
    d.addTextRow(QStringLiteral("Amp Temp. CH 3 and CH 4"),
                 DeviceStatusInterfaceObject::temperatureText(status.temperature2), DeviceOrder);

    if (status.mains == MainsNearOvervoltage) {
        warningRow(QStringLiteral("Warning: Power Supply "),
                   QStringLiteral("power-supply operating near to overvoltage or overvoltage area"));
        d.mergeNetworkState(DeviceNetworkState::WarningDetected);
        m_warning = true;
    } else if (status.mains >= MainsUndervoltage && status.mains <= MainsFuseBlown) {
        if (status.mains == MainsUndervoltage)
            faultRow(QStringLiteral("Fault: Power Supply"), QStringLiteral("power supply undervoltage operation"));
        else if (status.mains == MainsOvervoltage)
            faultRow(QStringLiteral("Fault: Power Supply"), QStringLiteral("power supply overvoltage operation"));
        else
            faultRow(QStringLiteral("Fault: fuseblown"), QStringLiteral("main fuse is blown"));
        d.mergeNetworkState(DeviceNetworkState::FaultDetected);
        m_fault = true;
    }

    static const QString fanTexts[] = {
        QStringLiteral("fan control is short-circuited"),
        QStringLiteral("fan is stuck"),
        QStringLiteral("fan is broken, no/low current flowing from fan power-supply"),
    };
    if (status.fan >= 1 && status.fan <= 3) {
        warningRow(QStringLiteral("Warning: Fan "), fanTexts[status.fan - 1]);
        d.mergeNetworkState(DeviceNetworkState::WarningDetected);
        m_warning = true;
    }
    if (status.hardwareFault != 0) {
        faultRow(kCriticalHardwareFault, kPowerCycle);
        d.mergeNetworkState(DeviceNetworkState::FaultDetected);
        m_fault = true;
    }
    if (status.powerSupply == 1) {
        faultRow(QStringLiteral("Fault: over temperature"),
                 QStringLiteral("power-supply thermal limiter engaged, global mute could be applied"));
        d.mergeNetworkState(DeviceNetworkState::FaultDetected);
        m_fault = true;
    }
}

void DeviceStatusArxDecoder::decodeChannel(const ArxDeviceStatus &status, int channel)
{
    DeviceStatusInterfaceObject &d = *m_pDevice;
    const ArxStatusEntry &entry = status.entries.at(channel);
    d.addHeaderRow(QStringLiteral("Output Channel: ") + QString::number(channel + 1), ChannelOrder);

    bool channelFault = false;
    if (entry.thermalLimiting) {
        faultRow(QStringLiteral("Fault: Thermal Limiter"),
                 QStringLiteral("channel thermal limiter engaged, channel mute could be applied"));
        channelFault = true;
    }
    struct Check
    {
        bool enabled;
        bool alarm;
        const char *name;
        const char *explanation;
        const char *measuredName;
        QString measured;
    };
    const Check checks[] = {
        {entry.loadMonitorOn, entry.loadFault, "Pilot Tone Load Alarm", "Pilot tone load alarm detected",
         "Detected Pilot Tone Load Impedance", entry.pilotToneLoadImpedance},
        {entry.pilotToneOn, entry.pilotToneVoltageMissing, "Pilot Tone Voltage Alarm",
         "Pilot tone load voltage alarm detected", "Detected Pilot Tone Voltage Amplitude",
         entry.pilotToneVoltage},
        {entry.nominalImpedanceCheckOn, entry.nominalImpedanceNotDetected, "Nominal Impedance Alarm",
         "Nominal impedance alarm detected", "Detected Nominal Impedance", entry.nominalImpedance},
    };
    for (const Check &check : checks) {
        if (!check.enabled)
            continue;
        const QString name = QString::fromLatin1(check.name);
        if (check.alarm) {
            faultRow(QStringLiteral("Fault: ") + name, QString::fromLatin1(check.explanation));
            d.addTextRow(QString::fromLatin1(check.measuredName), check.measured, DeviceOrder);
            channelFault = true;
        } else {
            d.addIndicatorRow(name, Row::Green, DeviceOrder);
        }
    }

    if (entry.protection && status.energySave) {
        // Energy save turns outputs off on purpose.
        d.addErrorRow(QStringLiteral("Warning"), Row::Red, DeviceOrder, QString(),
                      QStringLiteral("NRG Save is enabled, output is in standby"));
        d.mergeNetworkState(DeviceNetworkState::WarningDetected);
        m_warning = true;
    }
    if (entry.protection && !status.energySave) {
        if (status.standby != 0)
            faultRow(QStringLiteral("Fault: Standby"),
                     QStringLiteral("channel output is turned-off because the device is in standby"));
        else
            faultRow(QStringLiteral("Fault: protection"),
                     QStringLiteral("channel output is turned-off for unknown reason"));
        if (entry.protectionUnrecoverable)
            faultRow(kCriticalHardwareFault, kPowerCycle);
        d.mergeNetworkState(DeviceNetworkState::FaultDetected);
        channelFault = true;
    } else if (channelFault) {
        d.mergeNetworkState(DeviceNetworkState::FaultDetected);
    } else {
        d.addIndicatorRow(QStringLiteral("Fault"), Row::Green, ChannelOrder);
    }
    // A channel's fault is the amplifier's: no green summary "Fault" then.
    if (channelFault)
        m_fault = true;

    decodeInputs(status, entry);

    d.addIndicatorRow(QStringLiteral("Output Clip"), entry.clip ? Row::Red : Row::Gray, ChannelOrder);
    if (entry.clip)
        markClip();
    d.addIndicatorRow(QStringLiteral("Output Limit"), entry.limiting ? Row::Red : Row::Gray, ChannelOrder);
    if (entry.limiting)
        markLimit();
    d.addIndicatorRow(QStringLiteral("Output Signal"), entry.signalPresent ? Row::Green : Row::Gray,
                      ChannelOrder);
}

void DeviceStatusArxDecoder::decodeInputs(const ArxDeviceStatus &status, const ArxStatusEntry &entry)
{
    DeviceStatusInterfaceObject &d = *m_pDevice;
    const bool numbered = entry.channels.size() > 1;
    for (int s = 0; s < entry.channels.size(); ++s) {
        const ArxChannelStatus source = status.channels.value(entry.channels.at(s));
        const QString suffix = numbered ? QStringLiteral(": ") + QString::number(s + 1) : QString();
        d.addTextRow(QStringLiteral("Backup Strategy") + suffix, source.backupModeText, ChannelOrder);
        d.addTextRow(QStringLiteral("Active Source") + suffix, source.selectedSourceName(), ChannelOrder);
        d.addIndicatorRow(QStringLiteral("Input Source Clip") + suffix,
                          source.clipping ? Row::Red : Row::Gray, ChannelOrder);
        if (source.clipping)
            markClip();
        d.addIndicatorRow(QStringLiteral("Input Source Signal") + suffix,
                          source.signalPresent ? Row::Green : Row::Gray, ChannelOrder);
    }
}
