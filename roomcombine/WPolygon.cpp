#include "WPolygon.h"

WPolygon::WPolygon(QQuickItem *parent)
    : WWidget(parent)
{
}

WPolygon::~WPolygon() = default;
