#pragma once

#include "controls/WWidget.h"

// The native half of the drop-list widget, a choice among named values.
class WDropList : public WWidget
{
    Q_OBJECT

public:
    explicit WDropList(QQuickItem *parent = nullptr);
    ~WDropList() override;
};
