#pragma once

#include <QPointer>
#include <QQmlComponent>
#include <QQmlContext>
#include <QQmlEngine>
#include <QQuickItem>
#include <QHash>
#include <QString>
#include <qqml.h>

class CPanelHost;
class WWidget;

// Makes the QML items of panel widgets under the control view item. The
// items go away with the view, so the links to the QML side are guarded.
//
// The factory knows the passive widgets of this folder itself; every other
// family of widgets registers its panel-file type names and its classes
// from its own folder, once per process, at start-up (see WidgetTypes and
// RoomCombineTypes).
class WWidgetFactory
{
public:
    WWidgetFactory() = default;
    virtual ~WWidgetFactory();

    // Makes the widget classes of this folder known to QML, each in its own
    // module named after the class in lower case; once per process.
    static void registerWidgetTypes();
    // A panel-file widget type and the QML file that draws it; the file
    // declares the native widget class as its "widget" child. A name
    // registered again takes the new file.
    static void registerType(const QString &typeName, const QString &resource);
    // Makes a widget class known to QML in its own module, named after the
    // class in lower case.
    template<typename T>
    static void registerClass(const char *className)
    {
        const QByteArray uri = QByteArray(className).toLower();
        qmlRegisterType<T>(uri.constData(), 1, 0, className);
    }

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

    // The QML resource of a widget type; empty for a type nobody registered.
    static QString resourceOf(const QString &typeName);
    // Creates the QML file's item under the parent item; null on any fault.
    QQuickItem *createItem(const QString &url);
    // Creates the item and returns its native "widget" child, which keeps
    // the item. An item without such a child is destroyed again.
    WWidget *findWidget(const QString &url);

private:
    Q_DISABLE_COPY(WWidgetFactory)

    QQmlComponent &componentFor(QQmlEngine *pEngine, const QString &url);
    // Type name to QML resource, for every type registered in the process.
    static QHash<QString, QString> &types();

    QPointer<QQuickItem> m_pParentItem;
    QPointer<QQmlContext> m_pContext;
    CPanelHost *m_pModel = nullptr;
    // Compiled widget files of one engine, by URL.
    QHash<QString, QPointer<QQmlComponent>> m_components;
};
