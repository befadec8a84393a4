#include "WDimensionsAid.h"

#include "controls/PropertyNotify.h"

#include <QQmlComponent>

WDimensionsAid::WDimensionsAid(QQuickItem *pItem, QObject *parent)
    : QObject(parent)
    , m_pItem(pItem)
{
    if (!pItem)
        return;
    connectPropertyNotify(pItem, "showsDimensions", this, "update()");
    update();
}

WDimensionsAid::~WDimensionsAid()
{
    delete m_pAid.data();
}

void WDimensionsAid::update()
{
    const bool shows = m_pItem && m_pItem->property("showsDimensions").toBool();
    if (!shows) {
        delete m_pAid.data();
        return;
    }
    if (m_pAid)
        return;
    auto *pComponent = m_pItem->findChild<QQmlComponent *>(QString(), Qt::FindDirectChildrenOnly);
    if (!pComponent)
        return;
    // Made in the image file's own context, where the picture's id lives,
    // and placed before it completes, so that its anchors find the item.
    QObject *pObject = pComponent->beginCreate(pComponent->creationContext());
    auto *pAid = qobject_cast<QQuickItem *>(pObject);
    if (pAid)
        pAid->setParentItem(m_pItem);
    pComponent->completeCreate();
    if (!pAid) {
        delete pObject;
        return;
    }
    m_pAid = pAid;
}
