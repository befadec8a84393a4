#pragma once

#include <QObject>

// The fixed layout figures of the meter gauge, offered to QML as
// "MeterGaugeLocalValue". They are constants, so QML can neither change nor
// watch them.
class MeterGaugeLocalization : public QObject
{
    Q_OBJECT
    Q_PROPERTY(float barWidth READ barWidth CONSTANT)
    Q_PROPERTY(float barHeightDif READ barHeightDif CONSTANT)
    Q_PROPERTY(float alignerWidth READ alignerWidth CONSTANT)
    Q_PROPERTY(float digitOffset READ digitOffset CONSTANT)

public:
    explicit MeterGaugeLocalization(QObject *parent = nullptr);
    ~MeterGaugeLocalization() override;

    // Width of the level bar.
    float barWidth() const { return 15.0f; }
    // The bar is this much shorter than its parent.
    float barHeightDif() const { return 10.0f; }
    // Width of the aligner column.
    float alignerWidth() const { return 66.0f; }
    // Vertical offset of the scale digits.
    float digitOffset() const { return -8.0f; }
};
