#include "WImage.h"

WImage::WImage(QQuickItem *parent)
    : WWidget(parent)
{
}

WImage::~WImage() = default;
