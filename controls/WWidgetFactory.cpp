#include "WWidgetFactory.h"

void WWidgetFactory::setParentItem(QObject *pItem)
{
    m_pParentItem = qobject_cast<QQuickItem *>(pItem);
}
