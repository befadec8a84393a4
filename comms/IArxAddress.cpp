#include "comms/IArxAddress.h"

namespace {

quint16 s_port = IArxAddress::DefaultPort;

QUrl urlOf(const QString &scheme, const QString &address, const QString &path, bool explicitPort)
{
    QUrl url;
    url.setScheme(scheme);
    // Strict: a text with a path, a port or a user part leaves no host.
    url.setHost(address.trimmed(), QUrl::StrictMode);
    if (url.host().isEmpty())
        return QUrl();
    if (explicitPort || s_port != IArxAddress::DefaultPort)
        url.setPort(s_port);
    url.setPath(path);
    return url.isValid() ? url : QUrl();
}

} // namespace

quint16 IArxAddress::port()
{
    return s_port;
}

void IArxAddress::setPort(quint16 port)
{
    s_port = port == 0 ? DefaultPort : port;
}

QUrl IArxAddress::restUrl(const QString &address)
{
    return urlOf(QStringLiteral("http"), address, QStringLiteral("/am"), true);
}

QUrl IArxAddress::webSocketUrl(const QString &address)
{
    return urlOf(QStringLiteral("ws"), address, QStringLiteral("/socket.io"), false);
}
