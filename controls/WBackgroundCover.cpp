#include "WBackgroundCover.h"

#include "controls/PropertyNotify.h"

WBackgroundCover::WBackgroundCover(QQuickItem *pItem, QObject *parent)
    : QObject(parent)
    , m_pItem(pItem)
{
    if (!pItem)
        return;
    connect(pItem, &QQuickItem::parentChanged, this, &WBackgroundCover::update);
    connectPropertyNotify(pItem, "backgroundFillMode", this, "update()");
    update();
}

void WBackgroundCover::update()
{
    if (!m_pItem)
        return;
    QQuickItem *pParent = m_pItem->parentItem();
    const bool cover = pParent && m_pItem->property("backgroundFillMode").toInt() >= 0;
    if (cover == m_covering) {
        // Still a background, now of another parent.
        if (cover && pParent != m_pFollowed)
            follow(pParent);
        return;
    }
    m_covering = cover;
    if (cover) {
        m_kept = QRectF(m_pItem->x(), m_pItem->y(), m_pItem->width(), m_pItem->height());
        m_pItem->setX(0);
        m_pItem->setY(0);
        follow(pParent);
        return;
    }
    // Setting the size drops the bindings that followed the parent.
    m_pFollowed = nullptr;
    m_pItem->setX(m_kept.x());
    m_pItem->setY(m_kept.y());
    m_pItem->setWidth(m_kept.width());
    m_pItem->setHeight(m_kept.height());
}

void WBackgroundCover::follow(QQuickItem *pParent)
{
    m_pFollowed = pParent;
    QPointer<QQuickItem> pFollowed(pParent);
    // Bindings, as a QML one would be: a size set from elsewhere removes them.
    m_pItem->bindableWidth().setBinding([pFollowed] { return pFollowed ? pFollowed->width() : 0.0; });
    m_pItem->bindableHeight().setBinding([pFollowed] { return pFollowed ? pFollowed->height() : 0.0; });
}
