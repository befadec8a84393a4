#pragma once

#include "comms/ITcpClient.h"

#include <QByteArray>
#include <QList>

// A TCP client that opens no connection and records every message handed
// to send() with its send type, expected reply and time-out. The test says
// whether it counts as connected; its subscription state is the client's
// own, so the subscription manager takes it for a real client.
class RecordingTcpClient : public ITcpClient
{
public:
    struct Sent
    {
        QByteArray data;
        int type = -1;
        QByteArray expectedReply;
        int timeoutMs = -1;
    };

    using ITcpClient::ITcpClient;
    using IInterface::setConnected;

    int send(const char *data, int length, int messageType, const char *expectedReply,
             int timeoutMs) override
    {
        sent.append({QByteArray(data, length), messageType,
                     QByteArray(expectedReply ? expectedReply : ""), timeoutMs});
        return messageType == SendDirect ? length : 0;
    }
    void startHostStatusTimer() override { ++hostStatusStarts; }

    // The data of each message, in order.
    QList<QByteArray> sentData() const
    {
        QList<QByteArray> list;
        for (const Sent &message : sent)
            list.append(message.data);
        return list;
    }

    QList<Sent> sent;
    int hostStatusStarts = 0;
};
