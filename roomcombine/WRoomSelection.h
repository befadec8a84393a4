#pragma once

#include "roomcombine/WPolygon.h"

// The native half of a room outline that joins or splits its room.
class WRoomSelection : public WPolygon
{
    Q_OBJECT

public:
    explicit WRoomSelection(QQuickItem *parent = nullptr);
    ~WRoomSelection() override;
};
