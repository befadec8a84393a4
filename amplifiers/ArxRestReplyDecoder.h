#pragma once

#include "amplifiers/ArxRestModel.h"

#include <QByteArray>
#include <QString>

// Takes the replies of an ARX amplifier's REST endpoint into the REST
// repository's model: output gains, output mutes and input mutes, from a
// single value (the answer to a write) or a list (the answer to a folder
// read). Every problem writes its warning to the debug output and leaves
// the model's part that failed as it was.
class ArxRestReplyDecoder
{
public:
    // Channels 0 .. MaxChannels - 1 are stored; an id naming a channel
    // beyond (no amplifier has so many) is ignored as one without a
    // channel number, so a reply cannot make the lists grow without bound.
    static constexpr int MaxChannels = 64;

    enum class IdClass {
        OutputGain, // "Gain", none of the processing blocks' own gains
        OutputMute, // "Mute" and "OutputProcess"
        InputMute,  // "Mute" and "InMute", not "OutputProcess"
        Other,
    };

    // Takes one reply body; true when the model is to be announced.
    static bool apply(const QByteArray &body, ArxRestModel *pModel);

    // The class of a value id, by case-sensitive substrings.
    static bool isOutputGainId(const QString &id);
    static IdClass classOf(const QString &id);
    // The channel an output id names ("Channel-n"), or the input an input
    // mute id names ("InMute-n"); -1 (with its warning) when there is none
    // or it is out of range.
    static int outputChannel(const QString &id);
    static int inputChannel(const QString &id);
    // The fader position of a linear gain: (log2(g) + 10) / 10 as a percent
    // toward zero, held within 0..100; 0 for a gain that is not positive
    // or not finite.
    static int gainPercent(double gain);

    // Storing grows a list to channel + 1 entries first.
    static void storeGain(ArxRestModel *pModel, int channel, double gain);
    static void storeOutputMute(ArxRestModel *pModel, int channel, bool muted);
    static void storeInputMute(ArxRestModel *pModel, int input, bool muted);
};
