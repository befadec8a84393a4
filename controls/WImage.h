#pragma once

#include "controls/WWidget.h"

// The native half of the image widget, which shows a picture of the project.
class WImage : public WWidget
{
    Q_OBJECT

public:
    explicit WImage(QQuickItem *parent = nullptr);
    ~WImage() override;
};
