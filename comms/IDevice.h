#pragma once

// The device a transport belongs to, as the transport sees it: which family
// of device it is. The chassis (HChassis) is one and decides its family in
// one place; the transports, the widgets and the meters ask it there.
class IDevice
{
public:
    enum class Family {
        Vds,          // a processor, expander, interface unit or amplifier on VDS
        Array,        // the loudspeaker array
        ArxAmplifier, // an ARX networked amplifier
    };

    virtual ~IDevice() = default;

    virtual Family deviceFamily() const = 0;
};
