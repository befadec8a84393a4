#include "WLabel.h"

WLabel::WLabel(QQuickItem *parent)
    : WWidget(parent)
{
}

WLabel::~WLabel() = default;
