#pragma once

#include "controls/WWidget.h"

// The native half of the meter drawn from a series of images.
class WMeterImage : public WWidget
{
    Q_OBJECT

public:
    explicit WMeterImage(QQuickItem *parent = nullptr);
    ~WMeterImage() override;
};
