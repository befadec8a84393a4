#pragma once

#include "amplifiers/ArxDeviceStatus.h"
#include "amplifiers/ArxRequestConstants.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QString>

// Turns what an ARX amplifier answers into its status record: the values
// of the four status READs (each group fills its own part) and the meter
// feed's "meters" and "slows" readings. Pure functions, no state: a
// status request decodes into a record of its own.
//
// Arrays are read within their sizes and within the record's lists; what a
// reply lacks reads as 0 or false.
class ArxStatusDecoder
{
public:
    // The name of a routing channel's source value: "Analog 1" .. "Dante 4",
    // "None" for -1, "Undefined" for anything else.
    static QString sourceName(int value);
    // The backup-strategy mode of one strategy's three switches, with its
    // text ("Force", "SignalPresence", "PilotTone"; empty for mode 0).
    static int backupMode(bool enable, bool pilotTone, bool customThreshold, QString *pText);
    // The 0..1 level of a reading: 50 dB below 40 on the amplifier's
    // weighting map to 0..1 linearly.
    static double meterLevel(double value);

    // Decodes the values of one group's reply into the record; false when
    // the values list is empty. The standby writes need no decoding.
    //   BackupStrategyMode: makes the four channel items (the record's
    //     channels and entries start over);
    //   InputPriorities: the channels' sources, when there are four;
    //   MatrixSelection: the four entries and the inputs that reach each,
    //     when there are four channels;
    //   PilotToneFaults: the entries' check switches, when there are four.
    static bool decodeReply(ArxRequestGroup group, const QJsonArray &values,
                            ArxDeviceStatus *pStatus);

    // The readings, "meters" first, then "slows".
    static void decodeMeters(const QJsonObject &meters, ArxDeviceStatus *pStatus);
    static void decodeSlows(const QJsonObject &slows, ArxDeviceStatus *pStatus);
};
