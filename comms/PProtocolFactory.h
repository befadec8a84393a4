#pragma once

#include <QString>

class PProtocol;

// Makes the protocol of a device from its device type. Made on the stack
// where it is needed; it keeps nothing.
class PProtocolFactory
{
public:
    PProtocolFactory() = default;
    virtual ~PProtocolFactory() = default;

    // A new protocol owned by the caller, or null for a device type that
    // has none. Device types beginning with "DXR", "Varolin", "AV" or "AR"
    // (case-sensitive) speak VDS, those beginning with "Ventra" the array's
    // protocol; "File" exactly gives the file-transfer protocol.
    PProtocol *createProtocol(const QString &deviceType) const;
};
