#include "comms/PProtocolFactory.h"

#include "amplifiers/PVentraProtocol.h"
#include "comms/PFileProtocol.h"
#include "comms/PProtocol.h"
#include "comms/PVDSProtocol.h"

#include <QStringList>

PProtocol *PProtocolFactory::createProtocol(const QString &deviceType) const
{
    // Tested in this order; "Ventra" before "AV"/"AR" matters for none of
    // them today, but keeps the families apart if one grows a prefix.
    static const QStringList kFamilies = {
        QStringLiteral("Varolin"), QStringLiteral("DXR"), QStringLiteral("Ventra"),
        QStringLiteral("AV"),      QStringLiteral("AR"),
    };
    for (const QString &family : kFamilies) {
        if (!deviceType.startsWith(family))
            continue;
        if (family == QLatin1String("Ventra"))
            return new PVentraProtocol;
        return new PVDSProtocol;
    }
    if (deviceType == QLatin1String("File"))
        return new PFileProtocol;
    return nullptr;
}
