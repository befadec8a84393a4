#pragma once

#include "controls/WWidget.h"

// The native half of the frame widget: a framed area of a panel, and with
// the "bounds" type the invisible rectangle that marks a panel's extent.
class WFrame : public WWidget
{
    Q_OBJECT

public:
    explicit WFrame(QQuickItem *parent = nullptr);
    ~WFrame() override;

    bool readAttribute(const QString &name, const QString &value) override;
};
