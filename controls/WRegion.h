#pragma once

#include "roomcombine/WPolygon.h"

// The native half of the region widget: an outline that links to a panel.
class WRegion : public WPolygon
{
    Q_OBJECT

public:
    explicit WRegion(QQuickItem *parent = nullptr);
    ~WRegion() override;
};
