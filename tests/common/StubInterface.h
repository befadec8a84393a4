#pragma once

#include "comms/IInterface.h"

// A transport whose connection the test switches, and which counts what is
// asked of it.
class StubInterface : public IInterface
{
public:
    using IInterface::IInterface;
    using IInterface::setConnected;

    bool open() override
    {
        ++opens;
        return openResult;
    }
    bool close() override
    {
        ++closes;
        return true;
    }
    void notifyOwner() override { ++ownerNotices; }

    bool openResult = true;
    int opens = 0;
    int closes = 0;
    int ownerNotices = 0;
};
