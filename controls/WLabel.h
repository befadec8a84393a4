#pragma once

#include "controls/WWidget.h"

// The native half of the label widget, a line of text on a panel.
class WLabel : public WWidget
{
    Q_OBJECT

public:
    explicit WLabel(QQuickItem *parent = nullptr);
    ~WLabel() override;
};
