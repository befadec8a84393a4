#pragma once

#include "devices/HNode.h"

// A combination of a room-combining group as a node. A design may name
// such nodes; room combining itself keeps its combinations in the
// chassis's tables and uses none.
class HRCGroupCombo : public HNode
{
    Q_OBJECT

public:
    HRCGroupCombo();
    ~HRCGroupCombo() override;
};
