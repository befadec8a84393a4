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
    // (case-sensitive) speak VDS. "Ventra" and "File" get the base protocol
    // until their own protocols exist, so a chassis always owns the object
    // its nodes borrow.
    PProtocol *createProtocol(const QString &deviceType) const;
};
