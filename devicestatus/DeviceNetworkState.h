#pragma once

#include <QString>

// The network states of a status device, from the gravest to the best,
// with what the dashboard shows for each.
namespace DeviceNetworkState {

enum State {
    Connecting = 0,
    RestartRequired = 1,
    DeviceUnreachable = 2,
    FaultDetected = 3,
    WarningDetected = 4,
    Standby = 5,
    UnknownStatus = 6,
    Connected = 7,
};

// "Unknown Error" (and its colour) for a value outside 0..7.
QString name(int state);
QString color(int state);
// Empty for the states that need no explanation.
QString message(int state);
QString image(int state);

} // namespace DeviceNetworkState
