#include "WFrame.h"

WFrame::WFrame(QQuickItem *parent)
    : WWidget(parent)
{
}

WFrame::~WFrame() = default;
