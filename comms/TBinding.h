#pragma once

#include <QString>
#include <QtGlobal>

class TTransform;

// A control's binding as the transforms and protocols read it: which
// command family addresses the parameter, with its indexes and channel
// label, the list text of the list transforms, how a value is shown, and
// the transform of a linked control. The panels' binding record
// (CAttributes) is one; comms never needs more of it.
class TBinding
{
public:
    // The command family that addresses the parameter.
    enum AddressStruct : quint32 {
        StructNamedIndex = 0,
        StructNamedIndexAlt = 1,
        StructNamedPair = 2,
        StructNamedSub = 3,
        StructSystem = 4,
        StructGain = 5,
        StructNumber = 6,
        StructNamedIndexCompact = 7,
        StructMultiAssign = 8,
        StructRawCommand = 9,
        StructLevelList = 10,
    };

    virtual ~TBinding() = default;

    virtual quint32 addressStruct() const = 0;
    virtual int index1() const = 0;
    virtual int index2() const = 0;
    // The raw set text; the list transforms read their entries from it.
    virtual QString set() const = 0;
    virtual QString channelLabel() const = 0;
    virtual int decimals() const = 0;
    virtual QString units() const = 0;
    // The transform of the control the binding links to; null when none.
    virtual TTransform *linkedTransform() const = 0;
};
