#include "comms/PProtocolFactory.h"

#include "comms/PFileProtocol.h"
#include "comms/PProtocol.h"
#include "comms/PVDSProtocol.h"

#include <QList>
#include <QStringList>

namespace {

struct RegisteredProtocol
{
    QString prefix;
    PProtocolFactory::Maker maker;
};

QList<RegisteredProtocol> &registeredProtocols()
{
    static QList<RegisteredProtocol> s_protocols;
    return s_protocols;
}

} // namespace

void PProtocolFactory::registerProtocol(const QString &prefix, Maker maker)
{
    registeredProtocols().append(RegisteredProtocol{prefix, maker});
}

PProtocol *PProtocolFactory::createProtocol(const QString &deviceType) const
{
    // The array's "Ventra" shares no beginning with the VDS families, so
    // trying the registered prefixes first changes no answer.
    for (const RegisteredProtocol &protocol : std::as_const(registeredProtocols())) {
        if (deviceType.startsWith(protocol.prefix))
            return protocol.maker();
    }
    static const QStringList kVdsFamilies = {
        QStringLiteral("Varolin"),
        QStringLiteral("DXR"),
        QStringLiteral("AV"),
        QStringLiteral("AR"),
    };
    for (const QString &family : kVdsFamilies) {
        if (deviceType.startsWith(family))
            return new PVDSProtocol;
    }
    if (deviceType == QLatin1String("File"))
        return new PFileProtocol;
    return nullptr;
}
