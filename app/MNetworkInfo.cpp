#include "MNetworkInfo.h"

#include "app/MConnections.h"
#include "comms/IInterface.h"
#include "devices/HChassis.h"

#include <QCoreApplication>
#include <QNetworkInterface>

namespace {
MNetworkInfo::AddressSource &addressSource()
{
    static MNetworkInfo::AddressSource s_source;
    return s_source;
}
} // namespace

void MNetworkInfo::setAddressSource(AddressSource source)
{
    addressSource() = std::move(source);
}

QString MNetworkInfo::addressListText()
{
    const AddressSource &source = addressSource();
    return addressListText(source ? source() : QNetworkInterface::allAddresses());
}

QString MNetworkInfo::addressListText(const QList<QHostAddress> &addresses)
{
    if (addresses.isEmpty())
        return QStringLiteral("No network interfaces found.");
    QString text;
    for (const QHostAddress &address : addresses) {
        const QString shown = address.toString();
        // IPv6 and the loopback are of no use to the design software.
        if (shown.contains(QLatin1Char(':')) || shown.startsWith(QLatin1String("127.0.0")))
            continue;
        text += shown + QLatin1Char('\n');
    }
    if (text.isEmpty())
        return QStringLiteral("No network connection detected.");
    return text;
}

QString MNetworkInfo::mobileIpAddressText()
{
    return QCoreApplication::translate("MModel", "Mobile IP Address:\n\n") + addressListText();
}

QString MNetworkInfo::networkStatusText(HNode *pRoot)
{
    QString text;
    for (const HChassis *pChassis : MConnections::chassisOf(pRoot)) {
        if (const IInterface *pTransport = pChassis->transport())
            text += pChassis->label() + pTransport->stateText() + QStringLiteral("\n\n");
    }
    if (text.isEmpty())
        return QCoreApplication::translate("MModel", "No network information available.");
    return text;
}
