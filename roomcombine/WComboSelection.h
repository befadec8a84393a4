#pragma once

#include "controls/WWidget.h"

// The native half of the widget that selects a room combination.
class WComboSelection : public WWidget
{
    Q_OBJECT

public:
    explicit WComboSelection(QQuickItem *parent = nullptr);
    ~WComboSelection() override;
};
