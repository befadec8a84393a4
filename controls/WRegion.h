#pragma once

#include "controls/WPolygon.h"

#include <QTimer>

// The native half of the region widget: an outline on a panel that opens
// the panel named by its path when pressed inside.
class WRegion : public WPolygon
{
    Q_OBJECT

public:
    explicit WRegion(QQuickItem *parent = nullptr);
    ~WRegion() override;

    // Starts the jump when the point lies inside the outline (its edge
    // included); answers whether it did.
    bool press(double x, double y) override;

    bool isJumpPending() const { return m_jumpTimer.isActive(); }

public slots:
    void onJumpTimerTimeout();

private:
    // The switch waits for the press to finish: it rebuilds the canvas and
    // may delete this region.
    QTimer m_jumpTimer;
};
