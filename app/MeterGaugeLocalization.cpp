#include "MeterGaugeLocalization.h"

MeterGaugeLocalization::MeterGaugeLocalization(QObject *parent)
    : QObject(parent)
{
}

MeterGaugeLocalization::~MeterGaugeLocalization() = default;
