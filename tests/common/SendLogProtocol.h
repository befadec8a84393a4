#pragma once

#include "comms/PProtocol.h"

#include <QList>
#include <QString>

class TTransform;

// A protocol stand-in that records what each send would carry: the
// transform's unsigned value and its text at the moment of the send.
class SendLogProtocol : public PProtocol
{
    Q_OBJECT

public:
    using PProtocol::PProtocol;

    struct Send
    {
        TTransform *pTransform = nullptr;
        quint32 value = 0;
        QString text;
    };

    bool sendValue(TTransform *pTransform) override;
    QString protocolName() const override { return QStringLiteral("SendLog"); }

    QList<Send> sends;
};
