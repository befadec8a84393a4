#pragma once

#include "comms/PProtocol.h"
#include "comms/SMSubscriptionManager.h"
#include "comms/TTransform.h"

#include <QList>
#include <QPair>
#include <QPointer>
#include <QStringList>


// The VDS text protocol of the DXR processors and the AV and AR amplifiers:
// one ASCII command line ending in a carriage return per set or get, built
// from the addressing kind of the control's binding record, and reply lines
// routed back to the transforms that asked through the subscription
// manager.
class PVDSProtocol : public PProtocol
{
    Q_OBJECT

public:
    static constexpr int ReplyTimeoutMs = 200;
    static constexpr int SubscriptionId = 999;

    // A command with its expected reply.
    struct Command
    {
        QString text;     // with its carriage return
        QString expected; // what the reply must begin with
        QString key;      // the command the manager registers
    };

    explicit PVDSProtocol(QObject *parent = nullptr);
    ~PVDSProtocol() override;

    bool sendValue(TTransform *pTransform) override;
    bool requestValue(TTransform *pTransform) override;
    bool onDataReceived(const QByteArray &data, const QString &errorText) override;
    void onReplyTimeout(const QString &expected) override;
    void onMessageRefused(const QByteArray &message) override;
    QString protocolName() const override { return QStringLiteral("VDS"); }
    void setInterface(IInterface *pInterface) override;
    void setHost(PProtocolHost *pHost) override;
    void resetSubscriptions() override;
    bool isSubscribed() const override { return m_subscribed; }
    void requestMeterStatus(TTransform *pTransform) override;

    // Runs the parser of the id on one reply line for the transform.
    void dispatchReply(const QByteArray &data, int id, TTransform *pTransform);

    // The command builders; false (with a debug line) when the binding
    // cannot form a safe command. Exposed for tests.
    static bool buildSetCommands(TTransform *pTransform, QStringList *pCommands);
    static bool buildGetCommand(TTransform *pTransform, Command *pCommand);
    static bool buildLevelCommand(TTransform *pTransform, Command *pCommand);

    SMSubscriptionManager *subscriptionManager() { return &m_manager; }
    TTransform *lastRequested() const { return m_pLastRequested; }

public slots:
    bool onOnlineStateChanged(bool online) override;

private:
    void onTransportStateChanged(bool connected);
    bool sendCommand(const Command &command, int kind, TTransform *pTransform);
    bool sendLevelRequest(TTransform *pTransform);
    void setSubscribedEverywhere(bool subscribed);
    void parseAddressReply(QByteArray line, int id, TTransform *pTransform);
    void parseSystemReply(QByteArray line, TTransform *pTransform);
    void parseHexAddressReply(QByteArray line, TTransform *pTransform);
    void parseRawReply(QByteArray line, TTransform *pTransform);
    void parseLevelListReply(const QByteArray &line, TTransform *pTransform);
    void attachTransport();
    void rememberSet(const QByteArray &bytes, TTransform *pTransform);
    bool readBack(TTransform *pTransform);

    // Sets sent on a subscribed connection, whose answer comes later: a
    // refusal names the set by its bytes. The newest few are kept.
    static constexpr int MaxUnconfirmedSets = 64;
    QList<QPair<QByteArray, QPointer<TTransform>>> m_unconfirmedSets;

    QPointer<TTransform> m_pLastRequested;
    SMSubscriptionManager m_manager;
    bool m_subscribed = false;
    bool m_transportAttached = false;
};
