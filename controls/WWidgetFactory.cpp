#include "WWidgetFactory.h"

#include "controls/WFrame.h"
#include "controls/WImage.h"
#include "controls/WLabel.h"
#include "controls/WPanelLink.h"
#include "controls/WRegion.h"
#include "controls/WTextEdit.h"
#include "controls/WWidget.h"
#include "roomcombine/WActiveCombo.h"
#include "roomcombine/WComboSelection.h"
#include "roomcombine/WRoomSelection.h"
#include "widgets/WButton.h"
#include "widgets/WCmdButton.h"
#include "widgets/WDialer.h"
#include "widgets/WDropList.h"
#include "widgets/WLevelButtons.h"
#include "widgets/WMeter.h"
#include "widgets/WMeterImage.h"
#include "widgets/WSlider.h"
#include "widgets/WTextLink.h"

#include <QDebug>
#include <QQmlComponent>
#include <QQmlEngine>
#include <QQmlError>
#include <QUrl>
#include <qqml.h>

#include <iterator>

namespace {

struct WidgetType
{
    const char *name;
    const char *resource;
};

// Each panel-file widget type and the QML file that draws it; the file
// declares the native widget class as its "widget" child.
constexpr WidgetType kWidgetTypes[] = {
    {"bounds", "qrc:/qmlcontrol/QmlBounds.qml"},
    {"button", "qrc:/qmlcontrol/QmlButton.qml"},
    {"cmdbutton", "qrc:/qmlcontrol/QmlCmdButton.qml"},
    {"dialer", "qrc:/qmlcontrol/QmlDialer.qml"},
    {"droplist", "qrc:/qmlcontrol/QmlDroplist.qml"},
    {"image", "qrc:/qmlcontrol/QmlImage.qml"},
    {"frame", "qrc:/qmlcontrol/QmlFrame.qml"},
    {"label", "qrc:/qmlcontrol/QmlLabel.qml"},
    {"region", "qrc:/qmlcontrol/QmlRegion.qml"},
    {"panellink", "qrc:/qmlcontrol/QmlPanelLink.qml"},
    {"slider", "qrc:/qmlcontrol/QmlFader.qml"},
    {"textedit", "qrc:/qmlcontrol/QmlTextEdit.qml"},
    {"textlink", "qrc:/qmlcontrol/QmlTextLink.qml"},
    {"activeroomcombo", "qrc:/qmlcontrol/QmlActiveRoomCombo.qml"},
    {"roomselector", "qrc:/qmlcontrol/QmlRoomSelector.qml"},
    {"comboselector", "qrc:/qmlcontrol/QmlComboSelector.qml"},
    {"levelbutton", "qrc:/qmlcontrol/QmlLevelButtons.qml"},
    {"meter", "qrc:/qmlcontrol/QmlMeter.qml"},
    {"meterimage", "qrc:/qmlcontrol/QmlMeterImage.qml"},
};

const QString kWidgetObjectName = QStringLiteral("widget");

// Each widget class is its own module, named after the class in lower case.
template<typename T>
void registerType(const char *className)
{
    const QByteArray uri = QByteArray(className).toLower();
    qmlRegisterType<T>(uri.constData(), 1, 0, className);
}

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

    registerType<WWidget>("WWidget");
    registerType<WButton>("WButton");
    registerType<WCmdButton>("WCmdButton");
    registerType<WDialer>("WDialer");
    registerType<WDropList>("WDropList");
    registerType<WFrame>("WFrame");
    registerType<WImage>("WImage");
    registerType<WLabel>("WLabel");
    registerType<WPanelLink>("WPanelLink");
    registerType<WRegion>("WRegion");
    registerType<WSlider>("WSlider");
    registerType<WTextEdit>("WTextEdit");
    registerType<WTextLink>("WTextLink");
    registerType<WActiveCombo>("WActiveCombo");
    registerType<WComboSelection>("WComboSelection");
    registerType<WRoomSelection>("WRoomSelection");
    registerType<WLevelButtons>("WLevelButtons");
    registerType<WMeter>("WMeter");
    registerType<WMeterImage>("WMeterImage");
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
    for (const WidgetType &type : kWidgetTypes) {
        if (typeName == QLatin1String(type.name))
            return QString::fromLatin1(type.resource);
    }
    return QString();
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
