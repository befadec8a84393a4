#pragma once

// Makes the protocols of this folder known to the protocol factory: device
// types beginning with "Ventra" get the loudspeaker array's protocol. The
// ARX protocol is made by its chassis, not by type. Called once at
// start-up, before the first design is read; further calls do nothing.
class AmplifierTypes
{
public:
    static void registerTypes();
};
