#pragma once

#include <QList>
#include <QMap>
#include <QStringList>
#include <QObject>
#include <QPointer>
#include <QString>

class IInterface;
class ITcpClient;
class RoutingInfo;
class TTransform;

// The table of outstanding requests of one VDS device. It decides for each
// request whether it goes out as a poll, as a subscription or not at all,
// routes each reply line back to every transform that asked for it, starts
// the device's connection subscription and unsubscribes everything when
// told to.
class SMSubscriptionManager : public QObject
{
    Q_OBJECT

public:
    // The request classes: "POLL", "SUB", "UNS", or empty for nothing to send.
    struct RequestClass
    {
        static const QString Poll;
        static const QString Subscribe;
        static const QString Unsubscribe;
    };

    explicit SMSubscriptionManager(QObject *parent = nullptr);
    ~SMSubscriptionManager() override;

    // Registers a request under the command's key and answers its class.
    QString addRequest(const QString &command, int id, TTransform *pTarget,
                       const QString &requestText);
    // The records whose key the reply line carries, in table order.
    QList<RoutingInfo *> routeReply(const QString &line) const;
    // Empties the table; with sendUns it first unsubscribes every
    // subscription on the device.
    void unsubscribeAll(bool sendUns);
    void setInterface(IInterface *pInterface);
    void setSubscribed(bool subscribed) { m_subscribed = subscribed; }
    bool isSubscribed() const { return m_subscribed; }

    // Inspection.
    bool isEmpty() const { return m_table.isEmpty(); }
    int recordCount() const;
    QStringList keys() const;


public slots:
    void onConnectionActive();
    void onSelectedZoneChanged();

private:
    QString subscriptionKey(const QString &command, const QString &key, int id) const;
    void storeRecord(const QString &key, int id, TTransform *pTarget, const QString &requestText);

    // Records per key, in the order they were registered; owned.
    QMap<QString, QList<RoutingInfo *>> m_table;
    QPointer<ITcpClient> m_pClient;
    bool m_subscribed = false;
};
