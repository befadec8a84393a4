#include "amplifiers/ArxStatusDecoder.h"

#include "amplifiers/ArxReply.h"

#include <QJsonValue>

#include <cmath>

namespace {

constexpr int kChannels = ArxRequestConstants::ChannelCount;

// A member shown as the amplifier gave it.
QString textOf(const QJsonValue &value)
{
    if (value.isString())
        return value.toString();
    if (value.isDouble())
        return QString::number(value.toDouble());
    return QString();
}

void decodeBackupStrategies(const ArxReply &reply, ArxDeviceStatus *pStatus)
{
    pStatus->channels.clear();
    pStatus->entries.clear();
    for (int b = 0; b < kChannels; ++b) {
        ArxChannelStatus channel;
        channel.channel = b;
        channel.backupMode = ArxStatusDecoder::backupMode(
            reply.boolValue(ArxRequestConstants::backupStrategyEnablePath(b)),
            reply.boolValue(ArxRequestConstants::backupStrategyPilotTonePath(b)),
            reply.boolValue(ArxRequestConstants::backupStrategyCustomThresholdPath(b)),
            &channel.backupModeText);
        pStatus->channels.append(channel);
    }
}

void decodeInputPriorities(const ArxReply &reply, ArxDeviceStatus *pStatus)
{
    if (pStatus->channels.size() != kChannels)
        return;
    for (int c = 0; c < kChannels; ++c) {
        ArxChannelStatus &channel = pStatus->channels[c];
        channel.sources.clear();
        channel.selectedSource = -1;
        for (int s = 0; s < kChannels; ++s) {
            const int value = reply.intValue(ArxRequestConstants::routingSourcePath(c, s));
            channel.sources.append(ArxSourceName{ArxStatusDecoder::sourceName(value), false});
        }
    }
}

void decodeMatrixSelection(const ArxReply &reply, ArxDeviceStatus *pStatus)
{
    if (pStatus->channels.size() != kChannels)
        return;
    QList<ArxStatusEntry> entries;
    for (int c = 0; c < kChannels; ++c) {
        ArxStatusEntry entry;
        for (int m = 0; m < kChannels; ++m) {
            // Input m reaches output c unless it is muted there.
            if (!reply.boolValue(ArxRequestConstants::inputMatrixMutePath(c, m)))
                entry.channels.append(m);
        }
        entries.append(entry);
    }
    pStatus->entries = entries;
}

void decodePilotToneFaults(const ArxReply &reply, ArxDeviceStatus *pStatus)
{
    bool flags[kChannels][4];
    for (int c = 0; c < kChannels; ++c) {
        flags[c][0] = reply.boolValue(ArxRequestConstants::pilotToneGeneratorPath(c));
        flags[c][1] = reply.boolValue(ArxRequestConstants::pilotTonePath(c));
        flags[c][2] = reply.boolValue(ArxRequestConstants::loadMonitorPath(c));
        flags[c][3] = reply.boolValue(ArxRequestConstants::nominalImpedancePath(c));
    }
    if (pStatus->entries.size() != kChannels)
        return;
    for (int c = 0; c < kChannels; ++c) {
        ArxStatusEntry &entry = pStatus->entries[c];
        entry.pilotToneGeneratorOn = flags[c][0];
        entry.pilotToneOn = flags[c][1];
        entry.loadMonitorOn = flags[c][2];
        entry.nominalImpedanceCheckOn = flags[c][3];
    }
}

} // namespace

QString ArxStatusDecoder::sourceName(int value)
{
    switch (value) {
    case -1:
        return QStringLiteral("None");
    case 0:
        return QStringLiteral("Analog 1");
    case 2:
        return QStringLiteral("Dante 1");
    case 4:
        return QStringLiteral("Analog 2");
    case 6:
        return QStringLiteral("Dante 2");
    case 8:
        return QStringLiteral("Analog 3");
    case 10:
        return QStringLiteral("Dante 3");
    case 12:
        return QStringLiteral("Analog 4");
    case 14:
        return QStringLiteral("Dante 4");
    default:
        return QStringLiteral("Undefined");
    }
}

int ArxStatusDecoder::backupMode(bool enable, bool pilotTone, bool customThreshold, QString *pText)
{
    int mode = 0;
    QString text;
    if (enable && !pilotTone && customThreshold) {
        mode = 2;
        text = QStringLiteral("SignalPresence");
    } else if (enable && pilotTone && !customThreshold) {
        mode = 3;
        text = QStringLiteral("PilotTone");
    } else if (!enable && !pilotTone && !customThreshold) {
        mode = 1;
        text = QStringLiteral("Force");
    }
    if (pText)
        *pText = text;
    return mode;
}

double ArxStatusDecoder::meterLevel(double value)
{
    if (!(value > 0.0))
        return 0.0;
    const double dB = 20.0 * std::log10(value / 40.0) * 0.8328567561957783;
    if (dB > 0.0)
        return 1.0;
    if (dB > -50.0)
        return (dB + 50.0) / 50.0;
    return 0.0;
}

bool ArxStatusDecoder::decodeReply(ArxRequestGroup group, const QJsonArray &values,
                                   ArxDeviceStatus *pStatus)
{
    if (values.isEmpty())
        return false;
    const ArxReply reply(values);
    switch (group) {
    case ArxRequestGroup::BackupStrategyMode:
        decodeBackupStrategies(reply, pStatus);
        break;
    case ArxRequestGroup::InputPriorities:
        decodeInputPriorities(reply, pStatus);
        break;
    case ArxRequestGroup::MatrixSelection:
        decodeMatrixSelection(reply, pStatus);
        break;
    case ArxRequestGroup::PilotToneFaults:
        decodePilotToneFaults(reply, pStatus);
        break;
    case ArxRequestGroup::StandbyOn:
    case ArxRequestGroup::StandbyOff:
        break;
    }
    return true;
}

void ArxStatusDecoder::decodeMeters(const QJsonObject &meters, ArxDeviceStatus *pStatus)
{
    if (pStatus->channels.size() == kChannels) {
        const QJsonArray inputs = meters.value(QStringLiteral("source_selection")).toArray();
        const int count = int(qMin<qsizetype>(inputs.size(), kChannels));
        for (int i = 0; i < count; ++i) {
            const QJsonObject reading = inputs.at(i).toObject();
            ArxChannelStatus &channel = pStatus->channels[i];
            channel.peak = float(ArxReply::doubleOf(reading.value(QStringLiteral("meter_peak_0"))));
            channel.peakLevel = float(meterLevel(channel.peak));
            for (ArxSourceName &source : channel.sources)
                source.selected = false;
            channel.selectedSource = -1;
            const int selected = ArxReply::intOf(reading.value(QStringLiteral("selected_backup")));
            if (selected >= 0 && selected < channel.sources.size()) {
                channel.selectedSource = selected;
                channel.sources[selected].selected = true;
            }
            channel.clipping = ArxReply::boolOf(reading.value(QStringLiteral("signal_clipping_active")));
            channel.signalPresent =
                ArxReply::boolOf(reading.value(QStringLiteral("signal_presence_active")));
        }
    }
    if (pStatus->entries.size() == kChannels) {
        const QJsonArray outputs = meters.value(QStringLiteral("output_process")).toArray();
        const int count = int(qMin<qsizetype>(outputs.size(), kChannels));
        for (int j = 0; j < count; ++j) {
            const QJsonObject reading = outputs.at(j).toObject();
            ArxStatusEntry &entry = pStatus->entries[j];
            const double headroom = ArxReply::doubleOf(reading.value(QStringLiteral("meter_headroom")));
            const double reduction =
                ArxReply::doubleOf(reading.value(QStringLiteral("user_gain_reduction_total")));
            entry.signalPresent = ArxReply::boolOf(reading.value(QStringLiteral("signal_presence")));
            entry.clip = (headroom <= 1.25 && reduction < 0.999)
                || ArxReply::boolOf(reading.value(QStringLiteral("signal_clipping")));
            entry.limiting = reduction < 0.99 || headroom <= 0.7;
            entry.gainReduction = reduction >= 1.0;
            entry.outputLevel = float(ArxReply::doubleOf(reading.value(QStringLiteral("meter_v_post_rms"))));
            entry.outputLevelFraction = float(meterLevel(entry.outputLevel));
        }
    }
    pStatus->dspLoad = ArxReply::doubleOf(
        meters.value(QStringLiteral("dsp_tskmgr")).toObject().value(QStringLiteral("dsp_load_avg")));
}

void ArxStatusDecoder::decodeSlows(const QJsonObject &slows, ArxDeviceStatus *pStatus)
{
    const QJsonObject state = slows.value(QStringLiteral("ext_state")).toObject();
    pStatus->standby = ArxReply::intOf(state.value(QStringLiteral("standby")));
    pStatus->mains = ArxReply::intOf(state.value(QStringLiteral("mains")));
    pStatus->fan = ArxReply::intOf(state.value(QStringLiteral("fan")));
    pStatus->hardwareFault = ArxReply::intOf(state.value(QStringLiteral("generic_hw_fault")));
    pStatus->powerSupply = ArxReply::intOf(state.value(QStringLiteral("power_supply")));
    pStatus->energySave = ArxReply::boolOf(slows.value(QStringLiteral("conf_slow"))
                                               .toObject()
                                               .value(QStringLiteral("dip_switch_energy_save")));

    const QJsonObject arm = slows.value(QStringLiteral("arm_info_slow")).toObject();
    pStatus->cpuUsage = ArxReply::doubleOf(arm.value(QStringLiteral("cpu_usage")));
    pStatus->memoryUsage = ArxReply::doubleOf(arm.value(QStringLiteral("memory_usage")));
    pStatus->memoryFreeMb = ArxReply::doubleOf(arm.value(QStringLiteral("memory_free_mb")));
    pStatus->diskUsage = ArxReply::doubleOf(arm.value(QStringLiteral("disk_usage")));
    pStatus->diskFreeMb = ArxReply::doubleOf(arm.value(QStringLiteral("disk_free_mb")));

    const qsizetype entryCount = pStatus->entries.size();
    if (entryCount == kChannels) {
        const QJsonArray amplifiers = slows.value(QStringLiteral("ampli")).toArray();
        for (qsizetype k = 0; k < amplifiers.size(); ++k) {
            const QJsonObject element = amplifiers.at(k).toObject();
            const double mean = (ArxReply::doubleOf(element.value(QStringLiteral("temp_ch_a_peak")))
                                 + ArxReply::doubleOf(element.value(QStringLiteral("temp_ch_b_peak"))))
                / 2.0;
            (k == 0 ? pStatus->temperature1 : pStatus->temperature2) = ArxReply::intOf(QJsonValue(mean));
        }
    }

    const QJsonArray channels = slows.value(QStringLiteral("output_channels")).toArray();
    const qsizetype channelCount = qMin(channels.size(), entryCount);
    for (qsizetype i = 0; i < channelCount; ++i) {
        const QJsonObject reading = channels.at(i).toObject();
        ArxStatusEntry &entry = pStatus->entries[i];
        entry.thermalLimiting =
            ArxReply::boolOf(reading.value(QStringLiteral("protection_thermal_limiting")));
        entry.protection = ArxReply::boolOf(reading.value(QStringLiteral("protection")));
        entry.protectionUnrecoverable =
            ArxReply::boolOf(reading.value(QStringLiteral("protection_unrecoverable")));
        entry.pilotToneVoltageMissing =
            !ArxReply::boolOf(reading.value(QStringLiteral("pilot_tone_voltage")));
        entry.loadFault = !ArxReply::boolOf(reading.value(QStringLiteral("load_monitor")));
    }

    if (entryCount == kChannels) {
        const QJsonArray outputs = slows.value(QStringLiteral("output_process")).toArray();
        const int count = int(qMin<qsizetype>(outputs.size(), kChannels));
        for (int j = 0; j < count; ++j) {
            const QJsonObject reading = outputs.at(j).toObject();
            ArxStatusEntry &entry = pStatus->entries[j];
            entry.nominalImpedanceNotDetected =
                !ArxReply::boolOf(reading.value(QStringLiteral("detected_nominal_impedence")));
            entry.pilotToneLoadImpedance =
                textOf(reading.value(QStringLiteral("pilot_tone_detection_impedence_rms")));
            entry.nominalImpedance = textOf(reading.value(QStringLiteral("detection_nominal_impedence_rms")));
            entry.pilotToneVoltage = textOf(reading.value(QStringLiteral("pilot_tone_detection_rms")));
        }
    }
}
