#include "DeviceStatusRefreshRound.h"

DeviceStatusRefreshRound::DeviceStatusRefreshRound(QObject *parent)
    : QObject(parent)
{
    m_guard.setSingleShot(true);
    m_guard.setInterval(GuardMs);
    connect(&m_guard, &QTimer::timeout, this, &DeviceStatusRefreshRound::onGuard);
}

void DeviceStatusRefreshRound::start(const QList<QObject *> &devices)
{
    stop();
    m_running = true;
    for (QObject *pDevice : devices) {
        if (!pDevice || m_pending.contains(pDevice))
            continue;
        m_pending.append(pDevice);
        // A device that goes with its chassis mid-round will never report.
        m_watches.append(connect(pDevice, &QObject::destroyed, this,
                                 &DeviceStatusRefreshRound::onDeviceDestroyed));
    }
    m_guard.start();
    finishIfDone();
}

void DeviceStatusRefreshRound::stop()
{
    m_guard.stop();
    for (const QMetaObject::Connection &watch : std::as_const(m_watches))
        disconnect(watch);
    m_watches.clear();
    m_pending.clear();
    m_answered = 0;
    m_running = false;
}

bool DeviceStatusRefreshRound::report(QObject *pDevice)
{
    if (!m_running || !pDevice)
        return false;
    const int index = m_pending.indexOf(pDevice);
    if (index < 0)
        return false;
    m_pending.removeAt(index);
    ++m_answered;
    finishIfDone();
    return true;
}

bool DeviceStatusRefreshRound::isWaitingFor(QObject *pDevice) const
{
    return m_running && pDevice && m_pending.contains(pDevice);
}

QList<QObject *> DeviceStatusRefreshRound::unanswered() const
{
    QList<QObject *> devices;
    for (const QPointer<QObject> &pDevice : m_pending) {
        if (pDevice)
            devices.append(pDevice);
    }
    return devices;
}

void DeviceStatusRefreshRound::onDeviceDestroyed(QObject *pDevice)
{
    if (!m_running)
        return;
    // No guard may be made to an object being destroyed: compare addresses.
    m_pending.removeIf([pDevice](const QPointer<QObject> &p) { return !p || p.data() == pDevice; });
    finishIfDone();
}

void DeviceStatusRefreshRound::finishIfDone()
{
    m_pending.removeAll(QPointer<QObject>());
    if (!m_running || !m_pending.isEmpty())
        return;
    stop();
    emit completed();
}

void DeviceStatusRefreshRound::onGuard()
{
    if (!m_running)
        return;
    m_running = false;
    emit guardExpired();
    // The listener has had its look at the silent devices.
    stop();
}
