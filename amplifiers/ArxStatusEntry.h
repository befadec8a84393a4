#pragma once

#include <QList>
#include <QString>

// What the status view shows of one output channel of an ARX amplifier.
// A plain value: copied, compared and defaulted (empty texts, zeros, false)
// as a whole.
struct ArxStatusEntry
{
    QString leadingText; // not filled by the protocol
    // meters "output_process"
    bool signalPresent = false;
    bool clip = false;
    bool limiting = false;
    // slows "output_channels"
    bool thermalLimiting = false;
    bool protection = false;
    bool protectionUnrecoverable = false;
    // meters "output_process"
    bool gainReduction = false;
    float outputLevel = 0.0f;         // "meter_v_post_rms"
    float outputLevelFraction = 0.0f; // its 0..1 display level
    // The inputs that reach this output: indexes into the status record's
    // channel list (ArxDeviceStatus::channels), ascending.
    QList<int> channels;
    // The checks switched on for this output.
    bool pilotToneGeneratorOn = false;
    bool pilotToneOn = false;
    bool loadMonitorOn = false;
    bool nominalImpedanceCheckOn = false;
    // What the checks found (slows).
    bool pilotToneVoltageMissing = false;
    bool loadFault = false;
    bool nominalImpedanceNotDetected = false;
    // Measurements as the amplifier reports them (slows "output_process").
    QString pilotToneLoadImpedance; // "pilot_tone_detection_impedence_rms"
    QString nominalImpedance;       // "detection_nominal_impedence_rms"
    QString pilotToneVoltage;       // "pilot_tone_detection_rms"

    bool operator==(const ArxStatusEntry &other) const
    {
        return leadingText == other.leadingText && signalPresent == other.signalPresent
            && clip == other.clip && limiting == other.limiting
            && thermalLimiting == other.thermalLimiting && protection == other.protection
            && protectionUnrecoverable == other.protectionUnrecoverable
            && gainReduction == other.gainReduction && outputLevel == other.outputLevel
            && outputLevelFraction == other.outputLevelFraction && channels == other.channels
            && pilotToneGeneratorOn == other.pilotToneGeneratorOn && pilotToneOn == other.pilotToneOn
            && loadMonitorOn == other.loadMonitorOn
            && nominalImpedanceCheckOn == other.nominalImpedanceCheckOn
            && pilotToneVoltageMissing == other.pilotToneVoltageMissing
            && loadFault == other.loadFault
            && nominalImpedanceNotDetected == other.nominalImpedanceNotDetected
            && pilotToneLoadImpedance == other.pilotToneLoadImpedance
            && nominalImpedance == other.nominalImpedance && pilotToneVoltage == other.pilotToneVoltage;
    }
    bool operator!=(const ArxStatusEntry &other) const { return !(*this == other); }
};
