#include "devicestatus/DeviceNetworkState.h"

namespace DeviceNetworkState {

namespace {

struct Entry
{
    const char *name;
    const char *color;
    const char *message;
    const char *image;
};

const Entry kStates[] = {
    {"Connecting", "#63c0df", "Please wait while we gather information from the device",
     "qrc:/images/loadingInfo.png"},
    {"Restart Required", "#eaeaea",
     "Unable to connect to the device, please try restarting the array. If the issue persists, "
     "please check power and data interconnect cables and network settings.",
     "qrc:/images/warning.png"},
    {"Device Unreachable", "#eaeaea",
     "Unable to connect to the device. Please check network settings or try again later",
     "qrc:/images/warning.png"},
    {"Fault Detected", "#cf000f", "", ""},
    {"Warning Detected", "#f0541e", "", ""},
    {"Standby", "#f5c122", "", ""},
    {"Unknown Status", "#7975a9", "Unknown Error occurred. Please try refreshing and try again later",
     "qrc:/images/errorRetrievingInfo.png"},
    {"Connected", "#009944", "", ""},
};

const Entry kOther = {"Unknown Error", "#7975a9", "", ""};

const Entry &entryOf(int state)
{
    return state >= Connecting && state <= Connected ? kStates[state] : kOther;
}

} // namespace

QString name(int state)
{
    return QString::fromLatin1(entryOf(state).name);
}

QString color(int state)
{
    return QString::fromLatin1(entryOf(state).color);
}

QString message(int state)
{
    return QString::fromLatin1(entryOf(state).message);
}

QString image(int state)
{
    return QString::fromLatin1(entryOf(state).image);
}

} // namespace DeviceNetworkState
