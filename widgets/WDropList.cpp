#include "WDropList.h"

WDropList::WDropList(QQuickItem *parent)
    : WWidget(parent)
{
}

WDropList::~WDropList() = default;
