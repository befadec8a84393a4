#pragma once

#include <QString>

class IInterface;

// Makes the transport of a device from its platform name.
class IInterfaceFactory
{
public:
    // A new transport owned by the caller.
    static IInterface *createInterface(const QString &platform);
};
