#include "WWidgetFactory.h"

#include "controls/WFrame.h"
#include "controls/WImage.h"
#include "controls/WLabel.h"
#include "controls/WPanelLink.h"
#include "controls/WRegion.h"
#include "controls/WTextEdit.h"
#include "controls/WWidget.h"

#include <QDebug>
#include <QQmlComponent>
#include <QQmlEngine>
#include <QQmlError>
#include <QUrl>

namespace {

struct WidgetType
{
    const char *name;
    const char *resource;
};

// The passive widgets of this folder; the other families add theirs.
constexpr WidgetType kOwnTypes[] = {
    {"bounds", "qrc:/qmlcontrol/QmlBounds.qml"},
    {"image", "qrc:/qmlcontrol/QmlImage.qml"},
    {"frame", "qrc:/qmlcontrol/QmlFrame.qml"},
    {"label", "qrc:/qmlcontrol/QmlLabel.qml"},
    {"region", "qrc:/qmlcontrol/QmlRegion.qml"},
    {"panellink", "qrc:/qmlcontrol/QmlPanelLink.qml"},
    {"textedit", "qrc:/qmlcontrol/QmlTextEdit.qml"},
};

const QString kWidgetObjectName = QStringLiteral("widget");

// The first descendant named "widget", through the object tree and, for
// items placed without an object parent, through the visual children.
QObject *findWidgetChild(QQuickItem *pItem)
{
    if (QObject *pChild = pItem->findChild<QObject *>(kWidgetObjectName))
        return pChild;
    const QList<QQuickItem *> children = pItem->childItems();
    for (QQuickItem *pChild : children) {
        if (pChild->objectName() == kWidgetObjectName)
            return pChild;
        if (QObject *pFound = findWidgetChild(pChild))
            return pFound;
    }
    return nullptr;
}

} // namespace

void WWidgetFactory::registerWidgetTypes()
{
    static bool s_registered = false;
    if (s_registered)
        return;
    s_registered = true;

    registerClass<WWidget>("WWidget");
    registerClass<WFrame>("WFrame");
    registerClass<WImage>("WImage");
    registerClass<WLabel>("WLabel");
    registerClass<WPanelLink>("WPanelLink");
    registerClass<WRegion>("WRegion");
    registerClass<WTextEdit>("WTextEdit");
}

QHash<QString, QString> &WWidgetFactory::types()
{
    static QHash<QString, QString> s_types = [] {
        QHash<QString, QString> own;
        for (const WidgetType &type : kOwnTypes)
            own.insert(QString::fromLatin1(type.name), QString::fromLatin1(type.resource));
        return own;
    }();
    return s_types;
}

void WWidgetFactory::registerType(const QString &typeName, const QString &resource)
{
    types().insert(typeName, resource);
}

WWidgetFactory::~WWidgetFactory()
{
    for (const QPointer<QQmlComponent> &pComponent : std::as_const(m_components))
        delete pComponent.data();
}

void WWidgetFactory::setParentItem(QObject *pItem)
{
    m_pParentItem = qobject_cast<QQuickItem *>(pItem);
}

QString WWidgetFactory::resourceOf(const QString &typeName)
{
    return types().value(typeName);
}

WWidget *WWidgetFactory::create(const QString &typeName)
{
    const QString resource = resourceOf(typeName);
    if (resource.isEmpty())
        return nullptr;
    return findWidget(resource);
}

WWidget *WWidgetFactory::findWidget(const QString &url)
{
    QQuickItem *pItem = createItem(url);
    if (!pItem)
        return nullptr;

    QObject *pChild = findWidgetChild(pItem);
    auto *pWidget = qobject_cast<WWidget *>(pChild);
    if (!pWidget) {
        if (pChild)
            qDebug().noquote() << "The widget child is not a WWidget at path: " + url;
        else
            qDebug().noquote() << "No widget child found at path: " + url;
        // Nobody else holds the item: without its widget it would be an
        // orphan on the canvas.
        delete pItem;
        return nullptr;
    }
    pWidget->setWidget(pItem);
    pWidget->initialize(pItem);
    return pWidget;
}

QQmlComponent &WWidgetFactory::componentFor(QQmlEngine *pEngine, const QString &url)
{
    // A panel makes many items of few types: each file is compiled once per
    // engine instead of once per item. The components are the engine's
    // children, so they never outlive the engine they were compiled for.
    QPointer<QQmlComponent> &pComponent = m_components[url];
    if (!pComponent || pComponent->engine() != pEngine) {
        delete pComponent.data();
        pComponent = new QQmlComponent(pEngine, QUrl(url), QQmlComponent::PreferSynchronous, pEngine);
    }
    return *pComponent;
}

QQuickItem *WWidgetFactory::createItem(const QString &url)
{
    if (!m_pContext || !m_pParentItem) {
        qDebug().noquote() << "Context and parent not ready for creation of quick item at path: " + url;
        return nullptr;
    }
    QQmlEngine *pEngine = m_pContext->engine();
    if (!pEngine) {
        qWarning().noquote() << "QQmlEngine not available for loading of quick item at path: " + url;
        return nullptr;
    }

    QQmlComponent &component = componentFor(pEngine, url);
    QObject *pObject = component.isError() ? nullptr : component.create(m_pContext);
    auto *pItem = qobject_cast<QQuickItem *>(pObject);

    if (component.isError()) {
        delete pObject;
        const QList<QQmlError> errors = component.errors();
        for (const QQmlError &error : errors)
            qWarning().noquote() << "Error loading QML at path: " + url + " Error message: " + error.toString();
        return nullptr;
    }
    if (!pItem) {
        // Not an item (or nothing at all): it cannot go on the canvas.
        delete pObject;
        qWarning().noquote() << "Creation of QML component yielded null at path: " + url;
        return nullptr;
    }
    pItem->setParentItem(m_pParentItem);
    return pItem;
}
