#include "WDialer.h"

WDialer::WDialer(QQuickItem *parent)
    : WWidget(parent)
{
}

WDialer::~WDialer() = default;
