#pragma once

#include "comms/PProtocol.h"

#include <QList>
#include <QPointer>

class TTransform;

// A protocol stand-in that records the transforms whose value the controls
// ask for, in order.
class RequestLogProtocol : public PProtocol
{
    Q_OBJECT

public:
    using PProtocol::PProtocol;

    bool requestValue(TTransform *pTransform) override;
    QString protocolName() const override { return QStringLiteral("RequestLog"); }

    QList<QPointer<TTransform>> requests;
};
