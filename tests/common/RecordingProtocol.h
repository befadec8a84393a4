#pragma once

#include "comms/PProtocol.h"

#include <QByteArray>
#include <QList>
#include <QStringList>

// A protocol for transport tests: it records everything its transport
// tells it.
class RecordingProtocol : public PProtocol
{
    Q_OBJECT

public:
    using PProtocol::PProtocol;

    bool onDataReceived(const QByteArray &data, const QString &errorText) override;
    void onReplyTimeout(const QString &expected) override;
    void resetSubscriptions() override;
    bool onOnlineStateChanged(bool online) override;
    QString protocolName() const override { return QStringLiteral("Recording"); }

    QList<QByteArray> lines;
    QStringList errorTexts;
    QStringList timeouts;
    QList<bool> onlineChanges;
    int resetCount = 0;
};
