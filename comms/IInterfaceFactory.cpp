#include "comms/IInterfaceFactory.h"

#include "comms/ITcpClient.h"
#include "comms/IUDPClient.h"

IInterface *IInterfaceFactory::createInterface(const QString &platform)
{
    // The array speaks UDP; every other device, ARX included, TCP.
    if (platform == QLatin1String("Ventra"))
        return new IUDPClient;
    return new ITcpClient;
}
