#include "WRoomSelection.h"

WRoomSelection::WRoomSelection(QQuickItem *parent)
    : WPolygon(parent)
{
}

WRoomSelection::~WRoomSelection() = default;
