#include "WWidgetFactory.h"

void WWidgetFactory::setParentItem(QObject *pItem)
{
    m_pParentItem = qobject_cast<QQuickItem *>(pItem);
}

WWidget *WWidgetFactory::create(const QString &typeName)
{
    Q_UNUSED(typeName);
    return nullptr;
}
