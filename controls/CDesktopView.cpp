#include "controls/CDesktopView.h"

CDesktopView::~CDesktopView() = default;
