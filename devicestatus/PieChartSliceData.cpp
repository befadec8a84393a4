#include "PieChartSliceData.h"

void PieChartSliceData::setLabel(const QString &label)
{
    if (m_label == label)
        return;
    m_label = label;
    emit changed();
}

void PieChartSliceData::setValue(double value)
{
    if (m_value == value)
        return;
    m_value = value;
    emit changed();
}

void PieChartSliceData::setColor(const QString &color)
{
    if (m_color == color)
        return;
    m_color = color;
    emit changed();
}
