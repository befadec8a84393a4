#include "AmplifierTypes.h"

#include "PVentraProtocol.h"
#include "comms/PProtocolFactory.h"

void AmplifierTypes::registerTypes()
{
    static bool s_registered = false;
    if (s_registered)
        return;
    s_registered = true;

    PProtocolFactory::registerProtocol(QStringLiteral("Ventra"),
                                       []() -> PProtocol * { return new PVentraProtocol; });
}
