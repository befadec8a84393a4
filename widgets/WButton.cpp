#include "WButton.h"

WButton::WButton(QQuickItem *parent)
    : WWidget(parent)
{
}

WButton::~WButton() = default;

void WButton::initialize(QQuickItem *pItem)
{
    Q_UNUSED(pItem);
}

bool WButton::readAttribute(const QString &name, const QString &value)
{
    if (!item())
        return false;
    return processRect(name, value) || readIdAttribute(name, value);
}

void WButton::applyAttributes(CAttributes *pAttributes)
{
    Q_UNUSED(pAttributes);
    updateLook();
}

void WButton::setText(const QString &text)
{
    setItemProperty("text", text);
    setItemProperty("hasText", true);
}

void WButton::updateLook()
{
}
