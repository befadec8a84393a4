#include "RecordingProtocol.h"

#include "comms/TTransform.h"

bool RecordingProtocol::sendValue(TTransform *pTransform)
{
    Send send;
    send.pTransform = pTransform;
    if (pTransform) {
        send.value = pTransform->uintValue();
        send.text = pTransform->text();
    }
    sends.append(send);
    return true;
}

bool RecordingProtocol::requestValue(TTransform *pTransform)
{
    requests.append(pTransform);
    return true;
}

QStringList RecordingProtocol::sentTexts() const
{
    QStringList texts;
    for (const Send &send : sends)
        texts.append(send.text);
    return texts;
}

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
