#pragma once

#include <QObject>
#include <QPointer>
#include <QString>

class TTransform;

// One registered request of the subscription manager: who asked (the
// addressing kind or a command id) and which transform the reply is for.
// The transform is guarded: a reply for a transform that has gone is
// skipped, never delivered into freed memory.
class RoutingInfo : public QObject
{
    Q_OBJECT

public:
    // The id of the connection subscription's placeholder.
    static constexpr int SubscriptionPlaceholderId = 999;

    RoutingInfo(int id, TTransform *pTarget, const QString &requestText,
                QObject *parent = nullptr);
    ~RoutingInfo() override;

    int id() const { return m_id; }
    TTransform *target() const { return m_pTarget; }
    // True for a record made for a transform that no longer exists.
    bool isOrphaned() const { return m_hadTarget && !m_pTarget; }
    QString requestText() const { return m_requestText; }

private:
    int m_id;
    QPointer<TTransform> m_pTarget;
    bool m_hadTarget;
    QString m_requestText;
};
