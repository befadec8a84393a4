#pragma once

#include <QList>
#include <QQuickItem>
#include <QString>

// The item itself or a descendant by object name, through the visual
// children, where a Repeater puts its items (they have no QObject parent);
// null for a null item or no match.
inline QQuickItem *findQuickItem(QQuickItem *pItem, const QString &name)
{
    if (!pItem)
        return nullptr;
    if (pItem->objectName() == name)
        return pItem;
    const QList<QQuickItem *> children = pItem->childItems();
    for (QQuickItem *pChild : children) {
        if (QQuickItem *pFound = findQuickItem(pChild, name))
            return pFound;
    }
    return nullptr;
}
