#pragma once

#include <QSettings>
#include <QString>

// The dashboard's one per-user setting: whether it refreshes by itself
// every 10 s. The key is spelled as the program has always stored it.
namespace DeviceStatusSettings {
inline QString organisation() { return QStringLiteral("Halvern"); }
inline QString application() { return QStringLiteral("Varolin Remote"); }
inline QString pollingKey() { return QStringLiteral("healthDashboardollingEnabled"); }

// False when nothing is stored.
inline bool isPollingEnabled()
{
    return QSettings(organisation(), application()).value(pollingKey(), false).toBool();
}

inline void setPollingEnabled(bool enabled)
{
    QSettings settings(organisation(), application());
    settings.setValue(pollingKey(), enabled);
    settings.sync();
}
} // namespace DeviceStatusSettings
