#pragma once

#include <QSettings>
#include <QString>

// Where the ARX proxy choice is kept: per user, shared by the design reader,
// the chassis and the QML interface.
namespace ProxySettings {
inline QString organisation() { return QStringLiteral("com.HalvernProfessional"); }
inline QString application() { return QStringLiteral("VarolinRemote"); }

inline QString isArxIpSetKey() { return QStringLiteral("isArxIpSet"); }
inline QString arxIpKey() { return QStringLiteral("arxIp"); }
inline QString isDesignHasArxKey() { return QStringLiteral("isDesignHasArx"); }
inline QString proxyInfoKey() { return QStringLiteral("proxyInfo"); }
inline QString proxyTypeKey() { return QStringLiteral("proxyType"); }
} // namespace ProxySettings
