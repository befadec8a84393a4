#pragma once

#include "controls/WWidget.h"

// The native half of the frame widget, a plain framed area of a panel.
class WFrame : public WWidget
{
    Q_OBJECT

public:
    explicit WFrame(QQuickItem *parent = nullptr);
    ~WFrame() override;
};
