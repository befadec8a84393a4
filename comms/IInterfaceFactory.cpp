#include "comms/IInterfaceFactory.h"

#include "comms/ITcpClient.h"

IInterface *IInterfaceFactory::createInterface(const QString &platform)
{
    // The array speaks UDP. Until the UDP transport exists it gets the null
    // transport, which is better than a TCP connection to its UDP port.
    if (platform == QLatin1String("Ventra"))
        return new IInterface;
    return new ITcpClient;
}
