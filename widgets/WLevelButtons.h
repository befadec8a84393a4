#pragma once

#include "widgets/WSlider.h"

// The native half of the level buttons: a fader worked by step buttons.
class WLevelButtons : public WSlider
{
    Q_OBJECT

public:
    explicit WLevelButtons(QQuickItem *parent = nullptr);
    ~WLevelButtons() override;
};
