#pragma once

#include "widgets/WSlider.h"

// The native half of the level buttons: a "+" and a "-" button with the
// control's text and the value between them. It keeps the fader's range,
// step, percent mode, parameter choice, reply clamping and links, but every
// step of the buttons is sent at once: no send delay, no test for an
// unchanged value (a step at a limit sends the limit again), whatever
// isSendNeeded says. The value is also shown as text ("valueText").
class WLevelButtons : public WSlider
{
    Q_OBJECT

public:
    explicit WLevelButtons(QQuickItem *parent = nullptr);
    ~WLevelButtons() override;

    void bound() override;
    void writeAttributes(XmlWriter &writer) const override;
    bool readAttribute(const QString &name, const QString &value) override;
    void setState() override;
    // Only stores the node.
    void setNode(HNode *pNode) override;
    void setTransform(TTransform *pTransform) override;
    // True when the text contains the type name, or when the type name
    // begins with "type".
    bool isType(const QString &typeName) const override;
    void linkValue(WWidget *pSource) override;

    // The value of a position in slider units as the item's "valueText"
    // shows it: the share of the range in percent mode ("25%"), else the
    // device value with one decimal ("5.0"). Sets "valueText" and answers
    // the number shown.
    double valueText(double position);

public slots:
    // One step of the buttons, to the position in slider units.
    void outputValue(int value) override;

private:
    // Resolves the "*LABEL*" and "*TITLE*" markers of the item's text.
    void fillMarkers();
};
