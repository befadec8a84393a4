#pragma once

#include "controls/CDesktopView.h"

#include <QUrl>

// A desktop view for canvas tests: a screen of the chosen density that
// keeps the file it was asked to show.
class FakeDesktopView : public CDesktopView
{
public:
    explicit FakeDesktopView(float dpi = 96.0f) : m_dpi(dpi) {}

    float logicalDpi() const override { return m_dpi; }
    void showDesktop(const QUrl &source) override { shown = source; }

    QUrl shown;

private:
    float m_dpi;
};
