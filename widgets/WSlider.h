#pragma once

#include "controls/WWidget.h"

#include <QTimer>

class CAttributes;

// The native half of the fader. The QML item works in whole slider units
// (device value / step); this side turns a position into a device value,
// sends the latest one at most once per send delay while the operator
// drags, shows device replies on the item and passes its value on to a
// linked widget.
//
// The base's two guards are used as follows: output enabled is cleared
// while this side writes a device value or the range into the item, and the
// update guard is set while a linked widget's value is shown. The item's
// change handlers run inside those writes; whatever they report then is
// never taken for the operator's input.
class WSlider : public WWidget
{
    Q_OBJECT
    Q_PROPERTY(bool isToneEqControl READ isToneEqControl NOTIFY isToneEqControlChanged)

public:
    // m_pendingValue when nothing waits for the send delay.
    static constexpr float noPendingValue = -99999.0f;
    static constexpr int sendDelayInterval = 20;

    explicit WSlider(QQuickItem *parent = nullptr);
    ~WSlider() override;

    void applyAttributes(CAttributes *pAttributes) override;
    void bound() override;
    void writeAttributes(XmlWriter &writer) const override;
    bool readAttribute(const QString &name, const QString &value) override;
    void setState() override;
    void setNode(HNode *pNode) override;
    void setTransform(TTransform *pTransform) override;
    // True when the text contains the type name.
    bool isType(const QString &typeName) const override;
    bool hasProperties() const override { return true; }
    bool providesToolTip() const override { return true; }
    void linkValue(WWidget *pSource) override;

    bool isToneEqControl() const { return m_isToneEqControl; }

    // State for tests and the level buttons.
    float step() const { return m_step; }
    float value() const { return m_value; }
    float minimum() const { return m_minimum; }
    float maximum() const { return m_maximum; }
    bool isPercent() const { return m_isPercent; }
    float rotationAngle() const { return m_rotation; }
    bool hasPendingValue() const { return m_pendingValue != noPendingValue; }
    float pendingValue() const { return m_pendingValue; }
    bool isSendNeeded() const { return m_isSendNeeded; }
    const QTimer *sendDelayTimer() const { return &m_sendDelayTimer; }
    float upperLimit() const { return m_upperLimit; }
    float lowerLimit() const { return m_lowerLimit; }

    // The binding's step as slider units take it: below 0.02 (or not a
    // number) it counts as 1.
    static float stepOf(float bindingStep);

signals:
    void isToneEqControlChanged();

public slots:
    void outputValue(int value) override;
    void setIsSendNeeded(bool state);
    void onSendDelayTimerTimeout();

protected:
    // Picks the block parameter whose range becomes the binding's level
    // limits; run on the first application of the binding.
    void chooseParameterLimits(CAttributes *pAttributes);
    // Puts the node's label or channel label into the control's label.
    void fillLabelText();
    // The transform's display value for a position in slider units.
    double displayValueOf(double position) const;
    // Whether the range holds more than one value.
    bool hasRange() const { return m_maximum > m_minimum; }
    // True while this side writes into the item: the item's handlers then
    // report no operator input.
    bool isWritingItem() const { return !isOutputEnabled() || isUpdating(); }

    float m_step = 1.0f;
    float m_value = 1.0e-38f;
    float m_minimum = 0.0f;
    float m_maximum = 0.0f;
    bool m_isPercent = false;
    float m_rotation = 0.0f;
    float m_pendingValue = noPendingValue;
    int m_pendingPosition = 0;
    QTimer m_sendDelayTimer;
    bool m_isSendNeeded = true;
    bool m_isToneEqControl = false;
    bool m_rangeApplied = false;
    float m_upperLimit = 0.0f;
    float m_lowerLimit = 0.0f;

private:
    // Whether the device is known to hold m_value: a position equal to it
    // then needs no send.
    bool m_isValueAtDevice = false;

    // Applies a range text "max,min" of the chosen parameter.
    void applyRangeText(CAttributes *pAttributes, const QString &rangeText);
    void setLimits(CAttributes *pAttributes, float upper, float lower);
};
