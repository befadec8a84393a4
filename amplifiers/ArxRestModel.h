#pragma once

#include <QList>
#include <QMetaType>

// The gains and mutes of one ARX amplifier as its REST repository last
// read them, copied whole wherever it goes. Entry n belongs to output
// channel (or input) n as the amplifier numbers them; a list grows as far
// as the highest channel a reply named.
struct ArxRestModel
{
    QList<double> outputGains;      // linear, 0..1
    QList<int> outputGainPercents;  // the same as a fader position, 0..100
    QList<bool> outputMutes;
    QList<int> inputMutes;          // 1 muted, 0 not, -1 not reported yet

    bool operator==(const ArxRestModel &other) const
    {
        return outputGains == other.outputGains && outputGainPercents == other.outputGainPercents
            && outputMutes == other.outputMutes && inputMutes == other.inputMutes;
    }
    bool operator!=(const ArxRestModel &other) const { return !(*this == other); }
};

Q_DECLARE_METATYPE(ArxRestModel)
