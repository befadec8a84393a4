#pragma once

#include "controls/WWidget.h"

// The native half of the telephone dialer widget.
class WDialer : public WWidget
{
    Q_OBJECT

public:
    explicit WDialer(QQuickItem *parent = nullptr);
    ~WDialer() override;
};
