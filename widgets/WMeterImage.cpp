#include "WMeterImage.h"

WMeterImage::WMeterImage(QQuickItem *parent)
    : WWidget(parent)
{
}

WMeterImage::~WMeterImage() = default;
