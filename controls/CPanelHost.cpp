#include "controls/CPanelHost.h"

CPanelHost::~CPanelHost() = default;
