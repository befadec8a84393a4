#pragma once

#include "controls/WWidget.h"

// The native half of the widget that shows the active room combination.
class WActiveCombo : public WWidget
{
    Q_OBJECT

public:
    explicit WActiveCombo(QQuickItem *parent = nullptr);
    ~WActiveCombo() override;
};
