#pragma once

#include <QCoreApplication>
#include <QString>

// The failure tags of the loudspeaker array's path. The UDP dispatcher puts
// one in front of the expected reply it hands to its owner, the array
// protocol takes it off again and gives it to the waiting request. Both
// sides must translate them the same way, so they live here once.
namespace ReplyTags {

// The array refused the request ("NACK ...").
inline QString nackReceived()
{
    return QCoreApplication::translate("QObject", "IDS_NACK_RECEIVED");
}

// A reply line that does not answer the request at its position.
inline QString unknownReceived()
{
    return QCoreApplication::translate("QObject", "IDS_UNKNOWN_RECEIVED");
}

// No usable answer after the last attempt, or the transport went.
inline QString networkError()
{
    return QCoreApplication::translate("QObject", "IDS_NETWORK_ERROR");
}

} // namespace ReplyTags
