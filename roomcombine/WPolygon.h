#pragma once

#include "controls/WWidget.h"

// The native half of a widget shaped by an outline of vertices.
class WPolygon : public WWidget
{
    Q_OBJECT

public:
    explicit WPolygon(QQuickItem *parent = nullptr);
    ~WPolygon() override;
};
