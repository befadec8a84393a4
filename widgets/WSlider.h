#pragma once

#include "controls/WWidget.h"

// The native half of the fader widget.
class WSlider : public WWidget
{
    Q_OBJECT

public:
    explicit WSlider(QQuickItem *parent = nullptr);
    ~WSlider() override;
};
