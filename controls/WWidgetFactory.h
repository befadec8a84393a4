#pragma once

#include <QPointer>
#include <QQmlComponent>
#include <QQmlContext>
#include <QQmlEngine>
#include <QQuickItem>
#include <QHash>
#include <QString>

class CPanelHost;
class WWidget;

// Makes the QML items of panel widgets under the control view item. The
// items go away with the view, so the links to the QML side are guarded.
class WWidgetFactory
{
public:
    WWidgetFactory() = default;
    virtual ~WWidgetFactory();

    // Makes every widget class known to QML, each in its own module named
    // after the class in lower case; once per process.
    static void registerWidgetTypes();

    // The widget for a panel-file widget type, or null for a type it does
    // not make (names compare case-sensitively).
    virtual WWidget *create(const QString &typeName);
    // Stores the item when it is a QQuickItem, else null.
    virtual void setParentItem(QObject *pItem);
    virtual QQuickItem *parentItem() const { return m_pParentItem; }
    virtual QQmlContext *context() const { return m_pContext; }
    virtual CPanelHost *model() const { return m_pModel; }

    void setContext(QQmlContext *pContext) { m_pContext = pContext; }
    void setModel(CPanelHost *pModel) { m_pModel = pModel; }

    // The QML resource of a widget type; empty for a type outside the table.
    static QString resourceOf(const QString &typeName);
    // Creates the QML file's item under the parent item; null on any fault.
    QQuickItem *createItem(const QString &url);
    // Creates the item and returns its native "widget" child, which keeps
    // the item. An item without such a child is destroyed again.
    WWidget *findWidget(const QString &url);

private:
    Q_DISABLE_COPY(WWidgetFactory)

    QQmlComponent &componentFor(QQmlEngine *pEngine, const QString &url);

    QPointer<QQuickItem> m_pParentItem;
    QPointer<QQmlContext> m_pContext;
    CPanelHost *m_pModel = nullptr;
    // Compiled widget files of one engine, by URL.
    QHash<QString, QPointer<QQmlComponent>> m_components;
};
