#pragma once

#include <QString>

class PProtocol;

// Makes the protocol of a device from its device type. Made on the stack
// where it is needed; it keeps nothing.
//
// The factory knows the protocols of this folder itself; a protocol of a
// folder above (the loudspeaker array's) is registered from there, once per
// process, at start-up (see AmplifierTypes).
class PProtocolFactory
{
public:
    using Maker = PProtocol *(*)();

    PProtocolFactory() = default;
    virtual ~PProtocolFactory() = default;

    // Device types beginning with the prefix (case-sensitive) get a protocol
    // of the maker.
    static void registerProtocol(const QString &prefix, Maker maker);

    // A new protocol owned by the caller, or null for a device type that
    // has none. Device types beginning with "DXR", "Varolin", "AV" or "AR"
    // (case-sensitive) speak VDS, those beginning with a registered prefix
    // ("Ventra": the array's protocol) the registered one; "File" exactly
    // gives the file-transfer protocol.
    PProtocol *createProtocol(const QString &deviceType) const;
};
