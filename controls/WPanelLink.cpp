#include "WPanelLink.h"

WPanelLink::WPanelLink(QQuickItem *parent)
    : WWidget(parent)
{
}

WPanelLink::~WPanelLink() = default;
