#pragma once

#include <QString>
#include <QUrl>
#include <QtGlobal>

// Where the network API of an ARX amplifier is reached: its REST endpoint
// "/am" and its WebSocket feed "/socket.io", both on one port of the
// amplifier's address. The port is 80; tests and tools that run a
// simulated amplifier on a free port set theirs (the program sets none).
class IArxAddress
{
public:
    static constexpr quint16 DefaultPort = 80;

    static quint16 port();
    // 0 restores the default.
    static void setPort(quint16 port);

    // "http://<address>:<port>/am". An invalid URL when the address is not
    // a host name or IP address on its own (a path, a port, blanks), so
    // nothing is ever posted somewhere the address did not name.
    static QUrl restUrl(const QString &address);
    // "ws://<address>/socket.io", with the port only when it is not 80;
    // invalid on the same terms.
    static QUrl webSocketUrl(const QString &address);
};
