#include "FakeWidgetFactory.h"

#include "controls/WWidget.h"

#include <QQuickItem>

WWidget *FakeWidgetFactory::create(const QString &typeName)
{
    if (refused.contains(typeName))
        return nullptr;
    // The widget is a child of its root item, as in a widget's QML file;
    // the control deletes the root item and the widget goes with it.
    auto *pItem = new QQuickItem;
    auto *pWidget = new WWidget(pItem);
    pWidget->setObjectName(QStringLiteral("widget"));
    pWidget->setWidget(pItem);
    pWidget->initialize(pItem);
    created.append(typeName);
    return pWidget;
}
