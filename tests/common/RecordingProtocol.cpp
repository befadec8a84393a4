#include "RecordingProtocol.h"

bool RecordingProtocol::onDataReceived(const QByteArray &data, const QString &errorText)
{
    lines.append(data);
    errorTexts.append(errorText);
    return true;
}

void RecordingProtocol::onReplyTimeout(const QString &expected)
{
    timeouts.append(expected);
}

void RecordingProtocol::resetSubscriptions()
{
    ++resetCount;
}

bool RecordingProtocol::onOnlineStateChanged(bool online)
{
    onlineChanges.append(online);
    emit onlineStateChanged(online);
    return true;
}
