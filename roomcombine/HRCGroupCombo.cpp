#include "HRCGroupCombo.h"

HRCGroupCombo::HRCGroupCombo() = default;

HRCGroupCombo::~HRCGroupCombo() = default;
