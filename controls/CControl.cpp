#include "CControl.h"

CControl::CControl(QObject *parent)
    : QObject(parent)
{
}

CControl::~CControl() = default;

QRectF CControl::bounds() const
{
    return QRectF();
}

void CControl::setVisible(bool visible)
{
    Q_UNUSED(visible);
}

void CControl::scale(float factor, float extent, bool multiply)
{
    Q_UNUSED(factor);
    Q_UNUSED(extent);
    Q_UNUSED(multiply);
}

void CControl::moveBy(const QPointF &delta)
{
    Q_UNUSED(delta);
}

bool CControl::centerHorizontally(const QString &kind, float width)
{
    if (kind != m_kind)
        return false;
    const QRectF b = bounds();
    moveBy(QPointF((width - (b.width() + b.x()) - b.x()) * 0.5, 0.0));
    return true;
}

CControl *CControl::childAt(int index) const
{
    Q_UNUSED(index);
    return nullptr;
}
