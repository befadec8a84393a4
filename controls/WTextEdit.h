#pragma once

#include "controls/WWidget.h"

// The native half of the text-edit widget, a text field bound to a device value.
class WTextEdit : public WWidget
{
    Q_OBJECT

public:
    explicit WTextEdit(QQuickItem *parent = nullptr);
    ~WTextEdit() override;
};
