#include "WButton.h"

WButton::WButton(QQuickItem *parent)
    : WWidget(parent)
{
}

WButton::~WButton() = default;
