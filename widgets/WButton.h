#pragma once

#include "controls/WWidget.h"

// The native half of the push and toggle button widget. The text link
// derives from it and shares its attribute reading, text and look.
class WButton : public WWidget
{
    Q_OBJECT

public:
    explicit WButton(QQuickItem *parent = nullptr);
    ~WButton() override;

    void initialize(QQuickItem *pItem) override;
    // Geometry, "id" and "link".
    bool readAttribute(const QString &name, const QString &value) override;
    void applyAttributes(CAttributes *pAttributes) override;
    // Shows the text: "text", with "hasText" set.
    void setText(const QString &text) override;
    void updateLook() override;
};
