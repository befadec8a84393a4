#pragma once

#include "widgets/WButton.h"

// The native half of the text link: a button drawn as linked text.
class WTextLink : public WButton
{
    Q_OBJECT

public:
    explicit WTextLink(QQuickItem *parent = nullptr);
    ~WTextLink() override;
};
