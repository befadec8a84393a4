#include "WOnDemandItem.h"

#include "controls/PropertyNotify.h"

#include <QQmlComponent>

WOnDemandItem::WOnDemandItem(QQuickItem *pRoot, const char *property, QObject *parent)
    : QObject(parent)
    , m_pRoot(pRoot)
    , m_property(property)
{
    if (!pRoot)
        return;
    connectPropertyNotify(pRoot, property, this, "update()");
    update();
}

WOnDemandItem::~WOnDemandItem()
{
    delete m_pItem.data();
}

void WOnDemandItem::update()
{
    const bool shown = m_pRoot && m_pRoot->property(m_property.constData()).toBool();
    if (!shown) {
        delete m_pItem.data();
        return;
    }
    if (m_pItem)
        return;
    auto *pComponent = m_pRoot->findChild<QQmlComponent *>(QString(), Qt::FindDirectChildrenOnly);
    if (!pComponent)
        return;
    // Made in the widget file's own context, where its ids live, and placed
    // before it completes, so that its anchors find the root.
    QObject *pObject = pComponent->beginCreate(pComponent->creationContext());
    auto *pItem = qobject_cast<QQuickItem *>(pObject);
    if (pItem) {
        pItem->setParent(m_pRoot);
        pItem->setParentItem(m_pRoot);
    }
    pComponent->completeCreate();
    if (!pItem) {
        delete pObject;
        return;
    }
    m_pItem = pItem;
}
