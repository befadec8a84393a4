#include "WRegion.h"

#include "controls/CPanelHost.h"
#include "controls/ULogger.h"

WRegion::WRegion(QQuickItem *parent)
    : WPolygon(parent)
{
    m_jumpTimer.setInterval(5);
    m_jumpTimer.setSingleShot(true);
    connect(&m_jumpTimer, &QTimer::timeout, this, &WRegion::onJumpTimerTimeout);
    ULogger::instance()->log(QStringLiteral("Test Log Write Success"));
}

WRegion::~WRegion() = default;

bool WRegion::press(double x, double y)
{
    const bool inside = containsPoint(x, y);
    if (inside)
        m_jumpTimer.start();
    return inside;
}

void WRegion::onJumpTimerTimeout()
{
    if (CPanelHost *pModel = model())
        pModel->followLink(path());
}
