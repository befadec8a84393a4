#pragma once

#include <QCoreApplication>
#include <QString>

// The failure tags that transports put in front of what they report. The
// UDP dispatcher puts one in front of the expected reply it hands to its
// owner, the array protocol takes it off again and gives it to the waiting
// request; the amplifiers' REST and WebSocket clients start their failure
// texts with one. Every side must translate them in the one context the
// translation file lists them under, so they live here once.
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

// A reply body that is not the JSON document asked for.
inline QString jsonParsingError()
{
    return QCoreApplication::translate("QObject", "IDS_JSON_PARSING_ERROR_RECEIVED");
}

} // namespace ReplyTags
