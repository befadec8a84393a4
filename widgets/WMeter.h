#pragma once

#include "controls/WWidget.h"

// The native half of the level meter widget.
class WMeter : public WWidget
{
    Q_OBJECT

public:
    explicit WMeter(QQuickItem *parent = nullptr);
    ~WMeter() override;
};
