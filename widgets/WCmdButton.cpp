#include "WCmdButton.h"

WCmdButton::WCmdButton(QQuickItem *parent)
    : WWidget(parent)
{
}

WCmdButton::~WCmdButton() = default;
