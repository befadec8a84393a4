#pragma once

#include <QList>
#include <QObject>
#include <QPointer>
#include <QTimer>

// One refresh of the dashboard: the devices asked, and which of them have
// not reported yet. A round ends when every device asked has reported once
// (a second report of the same device, or one from a device not asked,
// counts for nothing), or when the last guard expires with devices still
// silent: their replies would otherwise hold the dashboard's spinner for
// ever.
class DeviceStatusRefreshRound : public QObject
{
    Q_OBJECT

public:
    // Every device reports on its own at the latest when its transport's
    // retries end, well within this.
    static constexpr int GuardMs = 30000;

    explicit DeviceStatusRefreshRound(QObject *parent = nullptr);

    // Starts a round over the devices (replacing any round under way).
    void start(const QList<QObject *> &devices);
    // Forgets the round without completing it.
    void stop();
    bool isRunning() const { return m_running; }
    // Counts the device's report; true when it was one the round waited for.
    bool report(QObject *pDevice);
    bool isWaitingFor(QObject *pDevice) const;
    // The devices asked that have not reported (those deleted meanwhile are
    // left out).
    QList<QObject *> unanswered() const;
    int answeredCount() const { return m_answered; }
    QTimer &guardTimer() { return m_guard; }

signals:
    // The last device reported (at once for a round of no devices).
    void completed();
    // The guard expired; unanswered() lists the silent devices. The round
    // is over: it completes no more.
    void guardExpired();

private:
    void onGuard();
    void onDeviceDestroyed(QObject *pDevice);
    void finishIfDone();

    QList<QPointer<QObject>> m_pending;
    QList<QMetaObject::Connection> m_watches;
    QTimer m_guard;
    int m_answered = 0;
    bool m_running = false;
};
