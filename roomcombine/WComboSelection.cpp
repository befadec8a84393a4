#include "WComboSelection.h"

WComboSelection::WComboSelection(QQuickItem *parent)
    : WWidget(parent)
{
}

WComboSelection::~WComboSelection() = default;
