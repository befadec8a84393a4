#include "WMeter.h"

WMeter::WMeter(QQuickItem *parent)
    : WWidget(parent)
{
}

WMeter::~WMeter() = default;
