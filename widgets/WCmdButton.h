#pragma once

#include "controls/WWidget.h"

// The native half of the command button, which sends a fixed command.
class WCmdButton : public WWidget
{
    Q_OBJECT

public:
    explicit WCmdButton(QQuickItem *parent = nullptr);
    ~WCmdButton() override;
};
