#include "WWidget.h"

WWidget::WWidget(QQuickItem *parent)
    : QQuickItem(parent)
{
}

WWidget::~WWidget() = default;

void WWidget::initialize(QQuickItem *pItem)
{
    Q_UNUSED(pItem);
}

bool WWidget::providesToolTip() const
{
    return true;
}
