#include "MModel.h"

#include "app/MQmlInterface.h"
#include "app/VModeManager.h"
#include "comms/IComposite.h"
#include "controls/CCanvas.h"
#include "controls/CComposite.h"
#include "controls/WDelegate.h"
#include "controls/WWidgetFactory.h"
#include "devicestatus/DeviceStatusInterfaceObject.h"
#include "devices/HRoot.h"
#include "project/MProject.h"
#include "project/SkinLoader.h"

#include <QGuiApplication>
#include <QMetaMethod>
#include <QQmlContext>
#include <QQuickItem>
#include <QScreen>

namespace {
const QString kScenesKind = QStringLiteral("Scenes");
const QString kPanelsKind = QStringLiteral("Panels");
const QString kControlsKind = QStringLiteral("Controls");
} // namespace

MModel::MModel()
    : QObject(nullptr)
    , m_pInterfaces(new IComposite)
{
}

MModel::~MModel()
{
    VModeManager::destroyInstance();
    m_pModeManager = nullptr;
    delete m_pScenes;
    delete m_pRoot;
    WDelegate::destroyInstance();
    m_pDelegate = nullptr;
    delete m_pInterfaces;
    delete m_pProject;
}

void MModel::initialize()
{
    m_pRoot = new HRoot;
    m_pScenes = new CComposite;
    m_pScenes->setKind(kScenesKind);
    m_pScenes->setModel(this);
    m_pProject = new MProject;

    m_pollingTimer.stop();
    m_pollingTimer.setObjectName(QStringLiteral("polling"));
    m_pollingTimer.setParent(this);
    connect(&m_pollingTimer, &QTimer::timeout, this, &MModel::doPolling, Qt::UniqueConnection);

    m_pDelegate = WDelegate::instance();
    if (m_pDelegate) {
        auto *pFactory = new WWidgetFactory;
        if (m_pInterface) {
            pFactory->setParentItem(m_pInterface->viewItem());
            pFactory->setContext(m_pQmlContext);
            pFactory->setModel(this);
        }
        m_pDelegate->setFactory(pFactory);
        layoutCanvas();
    }

    m_pModeManager = VModeManager::instance();
    emit selectState(false);
    emit ccpState(false);
}

void MModel::setCanvas(CCanvas *pCanvas)
{
    m_pCanvas = pCanvas;
    if (m_pCanvas)
        m_pCanvas->setModel(this);
}

void MModel::setInterface(MQmlInterface *pInterface)
{
    m_pInterface = pInterface;
    QObject *pCanvasItem = VModeManager::instance()->canvasItem();
    if (!m_pInterface || !pCanvasItem)
        return;
    // The desktop QML's root has functions of the same names.
    const QMetaObject *pMeta = pCanvasItem->metaObject();
    const int reloadIndex = pMeta->indexOfMethod("reloadCanvas()");
    const int resetIndex = pMeta->indexOfMethod("resetCanvas()");
    if (reloadIndex >= 0) {
        connect(this, QMetaMethod::fromSignal(&MModel::reloadCanvas), pCanvasItem,
                pMeta->method(reloadIndex), Qt::UniqueConnection);
    }
    if (resetIndex >= 0) {
        connect(this, QMetaMethod::fromSignal(&MModel::resetCanvas), pCanvasItem,
                pMeta->method(resetIndex), Qt::UniqueConnection);
    }
}

MQmlInterface *MModel::getInterface() const
{
    return m_pInterface;
}

void MModel::setQmlContext(QQmlContext *pContext)
{
    m_pQmlContext = pContext;
}

QQmlContext *MModel::qmlContext() const
{
    return m_pQmlContext;
}

QVariant MModel::getInterfaceProperty(const QString &name) const
{
    if (!m_pInterface)
        return QVariant();
    return m_pInterface->property(name.toLatin1().constData());
}

void MModel::setInterfaceProperty(const char *name, const QVariant &value)
{
    if (m_pInterface)
        m_pInterface->setProperty(name, value);
}

QObject *MModel::viewItem() const
{
    return m_pInterface ? m_pInterface->viewItem() : nullptr;
}

QString MModel::getSkinName() const
{
    return m_pCanvas ? m_pCanvas->skin() : QString();
}

QString MModel::getAccentName() const
{
    return m_pCanvas ? m_pCanvas->accent() : QString();
}

bool MModel::applySkin(const QString &skinName)
{
    SkinLoader loader;
    loader.setTarget(m_pInterface);
    QString name = skinName;
    return loader.loadSkin(name);
}

bool MModel::panelSetup()
{
    return false;
}

bool MModel::getIsScaleMultiply() const
{
    return m_pCanvas ? m_pCanvas->multiplyScaleFactor() : true;
}

bool MModel::computeViewScale()
{
    if (!m_pInterface)
        return false;
    float h = m_pInterface->property("maxControlHeight").toFloat();
    if (m_pScenes) {
        const QRectF b = m_pScenes->bounds();
        if (b.height() > 0)
            h = float((2.0 * b.y() + b.height()) / m_scale);
    }
    if (QObject *pView = viewItem()) {
        m_viewHeight = pView->property("height").toFloat();
        m_viewWidth = pView->property("width").toFloat();
    }
    if (m_viewHeight <= 0 || h <= 0)
        return false;
    m_scale = m_viewHeight / h;
    setInterfaceProperty("viewScale", m_scale);
    return true;
}

bool MModel::layoutCanvas()
{
    if (!m_pRoot || !m_pInterface)
        return false;
    if (!computeViewScale())
        return false;
    if (m_pScenes) {
        const bool multiply = m_pCanvas && m_pCanvas->multiplyScaleFactor();
        // A portrait screen twice as tall as wide lays out against the width.
        float extent = m_viewHeight;
        if (const QScreen *pScreen = QGuiApplication::primaryScreen()) {
            const QRect geometry = pScreen->geometry();
            if (geometry.width() > 0 && double(geometry.height()) / geometry.width() >= 2.0)
                extent = m_viewWidth;
        }
        m_pScenes->scale(1.0f, extent, multiply);
    }
    setInterfaceProperty("textSize", int(12.0f * m_scale));
    setInterfaceProperty("pixelScale", m_scale);
    return true;
}

bool MModel::centerControls()
{
    if (!m_pCanvas || !m_pCanvas->horizCenter()) {
        if (!m_pCurrentPanel || !m_pCurrentPanel->name().contains(QLatin1String("ToneEQ")))
            return false;
    }
    QObject *pView = viewItem();
    if (!m_pScenes || !pView)
        return false;
    m_pScenes->centerHorizontally(kControlsKind, pView->property("width").toFloat());
    return true;
}

bool MModel::selectScene(const QString &name)
{
    // Scene navigation comes with the control tree.
    Q_UNUSED(name);
    return false;
}

bool MModel::pageArrow(const QString &key)
{
    // Page navigation comes with the control tree.
    Q_UNUSED(key);
    return false;
}

void MModel::updatePageProperties()
{
}

void MModel::updateSceneTitle()
{
    setInterfaceProperty("sceneTitle", QString());
}

void MModel::updateHeaderTitle()
{
    if (m_pProject)
        setInterfaceProperty("headerTitle", m_pProject->siteName());
}

void MModel::updateSceneMenu()
{
    if (!m_pInterface)
        return;
    const bool isSceneRoot = m_pScenes && m_pScenes->kind() == kScenesKind;
    m_pInterface->loadSceneMenu(isSceneRoot ? m_pScenes : nullptr);
}

void MModel::onExtraRefreshTimerTimeout()
{
    layoutCanvas();
    centerControls();
    updateSceneMenu();
    updatePageProperties();
    updateSceneTitle();
    updateHeaderTitle();
}

bool MModel::showMenu(const QString &entry)
{
    // The system menu's boxes come with receive mode and the network views.
    Q_UNUSED(entry);
    return false;
}

bool MModel::hasStatusDevices() const
{
    for (const auto &pDevice : m_statusDevices) {
        if (pDevice)
            return true;
    }
    return false;
}

QString MModel::aboutText() const
{
    return MQmlInterface::versionText();
}

QString MModel::networkStatusText() const
{
    return QString();
}

QString MModel::mobileIpAddressText() const
{
    return QString();
}

void MModel::doPolling()
{
}

void MModel::setPollingActive(bool active)
{
    m_pollingActive = active;
    if (!active && m_pollingTimer.isActive())
        m_pollingTimer.start();
}

void MModel::interfaceStatusChanged(bool isConnected)
{
    Q_UNUSED(isConnected);
}

QString MModel::fileName(const QString &path, bool keepExtension)
{
    const int slash = path.lastIndexOf(QLatin1Char('/'));
    if (slash < 0)
        return QString();
    QString name = path.mid(slash + 1);
    if (!keepExtension) {
        const int dot = name.lastIndexOf(QLatin1Char('.'));
        if (dot >= 0)
            name.truncate(dot);
    }
    return name;
}
