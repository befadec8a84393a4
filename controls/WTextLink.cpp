#include "WTextLink.h"

WTextLink::WTextLink(QQuickItem *parent)
    : WButton(parent)
{
}

WTextLink::~WTextLink() = default;
