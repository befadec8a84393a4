#include "WRegion.h"

WRegion::WRegion(QQuickItem *parent)
    : WPolygon(parent)
{
}

WRegion::~WRegion() = default;
