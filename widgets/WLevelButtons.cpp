#include "WLevelButtons.h"

WLevelButtons::WLevelButtons(QQuickItem *parent)
    : WSlider(parent)
{
}

WLevelButtons::~WLevelButtons() = default;
