#include "WSlider.h"

WSlider::WSlider(QQuickItem *parent)
    : WWidget(parent)
{
}

WSlider::~WSlider() = default;
