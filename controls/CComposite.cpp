#include "CComposite.h"

CComposite::CComposite(QObject *parent)
    : CControl(parent)
{
    setKind(QStringLiteral("Composite"));
}

CComposite::~CComposite()
{
    qDeleteAll(m_children);
}

void CComposite::setModel(MModel *pModel)
{
    CControl::setModel(pModel);
    for (CControl *pChild : qAsConst(m_children))
        pChild->setModel(pModel);
}

QRectF CComposite::bounds() const
{
    QRectF united;
    for (const CControl *pChild : m_children)
        united = united.united(pChild->bounds());
    return united;
}

void CComposite::setVisible(bool visible)
{
    for (CControl *pChild : qAsConst(m_children))
        pChild->setVisible(visible);
}

void CComposite::scale(float factor, float extent, bool multiply)
{
    for (CControl *pChild : qAsConst(m_children))
        pChild->scale(factor, extent, multiply);
}

void CComposite::moveBy(const QPointF &delta)
{
    for (CControl *pChild : qAsConst(m_children))
        pChild->moveBy(delta);
}

bool CComposite::centerHorizontally(const QString &kind, float width)
{
    if (CControl::centerHorizontally(kind, width))
        return true;
    bool any = false;
    for (CControl *pChild : qAsConst(m_children))
        any = pChild->centerHorizontally(kind, width) || any;
    return any;
}

CControl *CComposite::childAt(int index) const
{
    return (index >= 0 && index < m_children.size()) ? m_children.at(index) : nullptr;
}

void CComposite::addChild(CControl *pChild)
{
    if (!pChild || m_children.contains(pChild))
        return;
    pChild->setParentControl(this);
    pChild->setModel(model());
    m_children.append(pChild);
}
