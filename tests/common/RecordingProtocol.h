#pragma once

#include "comms/PProtocol.h"

#include <QByteArray>
#include <QList>
#include <QPointer>
#include <QStringList>

class TTransform;

// A protocol for tests that records everything asked of it instead of
// talking to a device: what its transport hands it (lines, time-outs,
// online changes, subscription resets) and what the controls and widgets
// ask (the transforms whose value they request, and each set with the
// value and text it would carry).
class RecordingProtocol : public PProtocol
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
    bool requestValue(TTransform *pTransform) override;
    bool onDataReceived(const QByteArray &data, const QString &errorText) override;
    void onReplyTimeout(const QString &expected) override;
    void resetSubscriptions() override;
    bool isSubscribed() const override { return subscribed; }
    bool onOnlineStateChanged(bool online) override;
    QString protocolName() const override { return QStringLiteral("Recording"); }

    // The text of each set, in order.
    QStringList sentTexts() const;

    QList<QByteArray> lines;
    QStringList errorTexts;
    QStringList timeouts;
    QList<bool> onlineChanges;
    int resetCount = 0;
    QList<QPointer<TTransform>> requests;
    QList<Send> sends;
    bool subscribed = false;
};
