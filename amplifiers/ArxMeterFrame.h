#pragma once

#include <QString>

struct ArxWebSocketModel;

// Reads the socket.io event frames of an ARX amplifier's meter feed:
//
//     42["meters",{"payload":{"readings":{"meters":{
//         "source_selection":[{"meter_peak_0":..,"meter_peak_1":..,..},..],
//         "output_process":[{"meter_v_post_rms":..},..]}}}}]
//
// Frames that do not begin with "42[" (handshakes, pings) are no readings
// and are skipped without a word.
class ArxMeterFrame
{
public:
    enum class Result {
        Ignored,   // not an event frame
        NoMeters,  // readings without "meters" (such as "slows")
        Filled,    // the whole model holds this frame's readings
        Malformed, // see warning(); the model may hold this frame's inputs
    };

    // Fills the model from one text frame. On Malformed, pWarning (when
    // given) receives the warning text, ending in the frame's JSON text
    // where there is one.
    static Result decode(const QString &message, ArxWebSocketModel *pModel,
                         QString *pWarning = nullptr);

    // Input peaks are scaled by this factor; a scaled value must exceed
    // PeakFloor to count.
    static constexpr double PeakScale = 2.5;
    static constexpr double PeakFloor = 1e-10;

    // The 0..1 display level of a reading: 50 dB below 40 map to 0..1.
    static double meterDisplayLevel(double value);
};
