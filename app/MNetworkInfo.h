#pragma once

#include <QHostAddress>
#include <QList>
#include <QString>

#include <functional>

class HNode;

// The system menu's texts about the network: this machine's addresses and
// the state of each device connection.
class MNetworkInfo
{
public:
    // This machine's IPv4 addresses but 127.0.0.x, one a line.
    static QString addressListText();
    static QString addressListText(const QList<QHostAddress> &addresses);
    // The address list under its heading, as the receive box shows it.
    static QString mobileIpAddressText();
    // Each chassis with a transport below the root: its label, the
    // transport's state text and a blank line.
    static QString networkStatusText(HNode *pRoot);

    // The machine's addresses as the address list sees them; an empty
    // source brings QNetworkInterface back.
    using AddressSource = std::function<QList<QHostAddress>()>;
    static void setAddressSource(AddressSource source);
};
