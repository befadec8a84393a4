#pragma once

#include "controls/WWidget.h"

// The native half of the push and toggle button widget.
class WButton : public WWidget
{
    Q_OBJECT

public:
    explicit WButton(QQuickItem *parent = nullptr);
    ~WButton() override;
};
