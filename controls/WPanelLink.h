#pragma once

#include "controls/WWidget.h"

// The native half of the panel-link widget, which opens another panel.
class WPanelLink : public WWidget
{
    Q_OBJECT

public:
    explicit WPanelLink(QQuickItem *parent = nullptr);
    ~WPanelLink() override;
};
