#pragma once

#include <QList>
#include <QString>

// One source of a routing channel's priority list, and whether the
// amplifier plays it now.
struct ArxSourceName
{
    QString name;
    bool selected = false;
};

// One input side of an ARX amplifier: backup strategy b and routing channel
// b (the amplifier numbers both 0..3 and pairs them by number), with what
// its meters say.
struct ArxChannelStatus
{
    int channel = 0;
    bool signalPresent = false; // meters "signal_presence_active"
    bool clipping = false;      // meters "signal_clipping_active"
    // 0 none, 1 "Force", 2 "SignalPresence", 3 "PilotTone".
    int backupMode = 0;
    QString backupModeText;
    // The routing channel's sources in priority order (Src-0 first).
    QList<ArxSourceName> sources;
    // Index into sources of the one playing; -1 when none is known.
    int selectedSource = -1;
    float peak = 0.0f;      // meters "meter_peak_0"
    float peakLevel = 0.0f; // its 0..1 display level

    // The selected source's name; empty when none is selected.
    QString selectedSourceName() const
    {
        return selectedSource >= 0 && selectedSource < sources.size() ? sources.at(selectedSource).name
                                                                      : QString();
    }
};
