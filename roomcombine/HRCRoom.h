#pragma once

#include "devices/HNode.h"

// One room of a room-combining group, as a node panels can bind to. Its
// group builds it from the rooms its chassis registered.
//
// The room is a plain node so far; answering clicks and colours comes with
// room combining.
class HRCRoom : public HNode
{
    Q_OBJECT

public:
    HRCRoom();
    ~HRCRoom() override;

    QString resourceFolder() const override;
    QString category() const override;
};
