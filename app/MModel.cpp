#include "MModel.h"

#include "app/MQmlInterface.h"
#include "app/MainWindow.h"
#include "app/VModeManager.h"
#include "comms/IComposite.h"
#include "comms/TTransformFactory.h"
#include "controls/CCanvas.h"
#include "controls/CComposite.h"
#include "controls/WDelegate.h"
#include "controls/WWidgetFactory.h"
#include "devicestatus/DeviceStatusInterfaceObject.h"
#include "devices/HRoot.h"
#include "project/MProject.h"
#include "project/ParseProjectXml.h"
#include "project/UArchive.h"
#include "project/SkinLoader.h"

#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMessageBox>
#include <QSettings>
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

CControl *MModel::currentScene() const
{
    return m_pScenes ? m_pScenes->currentChild(kScenesKind) : nullptr;
}

CComposite *MModel::findCurrentPanel() const
{
    return m_pScenes ? qobject_cast<CComposite *>(m_pScenes->currentChild(kPanelsKind)) : nullptr;
}

bool MModel::selectScene(const QString &name)
{
    if (!m_pScenes)
        return false;
    const CControl *pScene = currentScene();
    if (pScene && pScene->name() == name)
        return true;
    // An unknown name leaves the current page as it is.
    bool known = false;
    for (int i = 0; i < m_pScenes->childCount(); ++i) {
        if (m_pScenes->childAt(i)->name() == name)
            known = true;
    }
    if (!known)
        return false;
    if (m_pCurrentPanel)
        m_pCurrentPanel->setVisible(false);
    if (!m_pScenes->selectChild(kScenesKind, name))
        return false;
    bool result = true;
    m_pCurrentPanel = findCurrentPanel();
    if (m_pCurrentPanel) {
        m_pCurrentPanel->setVisible(true);
        updatePageProperties();
        m_pCurrentPanel->requestState();
    } else {
        result = false;
    }
    updateSceneTitle();
    emit resetQMLFocus();
    return result;
}

bool MModel::selectSceneByIndex(int index)
{
    const CControl *pScene = m_pScenes ? m_pScenes->childAt(index) : nullptr;
    if (!pScene)
        return false;
    return selectScene(pScene->name());
}

bool MModel::showPage(int index)
{
    auto *pScene = m_pCurrentPanel ? qobject_cast<CComposite *>(m_pCurrentPanel->parentControl()) : nullptr;
    if (!m_pScenes || !pScene) {
        m_pCurrentPanel = nullptr;
        return false;
    }
    // An index outside the list keeps the page that is shown.
    if (index < 0 || index >= pScene->childCount())
        return false;
    m_pCurrentPanel->setVisible(false);
    pScene->setCurrentIndex(index);
    m_pCurrentPanel = qobject_cast<CComposite *>(pScene->currentChild(kPanelsKind));
    if (m_pCurrentPanel) {
        m_pCurrentPanel->setVisible(true);
        if (m_pCurrentPanel->name().contains(QLatin1String("ToneEQ")))
            centerControls();
    }
    setInterfaceProperty("pageIndex", index);
    if (m_pCurrentPanel)
        m_pCurrentPanel->requestState();
    return true;
}

bool MModel::stepPage(int step)
{
    const auto *pScene = m_pCurrentPanel ? qobject_cast<CComposite *>(m_pCurrentPanel->parentControl()) : nullptr;
    if (!pScene)
        return false;
    const int count = pScene->childCount();
    const int next = pScene->currentIndex() + step;
    int index = next;
    if (next < 0)
        index = count - 1;
    else if (next >= count)
        index = 0;
    return showPage(index);
}

bool MModel::pageArrow(const QString &key)
{
    if (key == QLatin1String("leftarrow"))
        return stepPage(-1);
    if (key == QLatin1String("rightarrow"))
        return stepPage(1);
    return false;
}

void MModel::showCurrentPanel(bool visible)
{
    if (m_pCurrentPanel) {
        m_pCurrentPanel->setVisible(visible);
        return;
    }
    if (m_pScenes) {
        if (CControl *pControl = m_pScenes->currentChild(kControlsKind))
            pControl->setVisible(visible);
    }
}

namespace {
MModel::WarningBoxRunner &warningBoxRunner()
{
    static MModel::WarningBoxRunner runner;
    return runner;
}
} // namespace

void MModel::setWarningBoxRunner(WarningBoxRunner runner)
{
    warningBoxRunner() = std::move(runner);
}

void MModel::showWarning(const QString &text)
{
    QMessageBox box(QMessageBox::Warning, tr("Warning"), text, QMessageBox::Ok);
    if (warningBoxRunner())
        warningBoxRunner()(box);
    else
        box.exec();
}

bool MModel::followLink(const QString &path)
{
    if (!m_pScenes) {
        emit reloadCanvas();
        return true;
    }
    m_pScenes->setVisible(false);
    QString rest = path;
    const bool found = m_pScenes->selectPath(rest);
    if (found) {
        m_pCurrentPanel = findCurrentPanel();
        if (m_pCurrentPanel) {
            m_pCurrentPanel->setVisible(true);
            if (const auto *pScene = qobject_cast<CComposite *>(m_pCurrentPanel->parentControl()))
                setInterfaceProperty("pageIndex", pScene->currentIndex());
        }
        updatePageProperties();
        if (m_pCurrentPanel)
            m_pCurrentPanel->requestState();
        updateSceneTitle();
        emit resetQMLFocus();
    } else {
        if (m_pCurrentPanel)
            m_pCurrentPanel->setVisible(true);
        showWarning(tr("Error - No link has been defined for this region.\n\n"
                       "Please set a link using the properties panel.")
                    + path);
    }
    emit reloadCanvas();
    return found;
}

void MModel::updatePageProperties()
{
    m_pCurrentPanel = findCurrentPanel();
    if (!m_pCurrentPanel)
        return;
    if (const auto *pScene = qobject_cast<CComposite *>(m_pCurrentPanel->parentControl())) {
        setInterfaceProperty("pageCount", pScene->childCount());
        setInterfaceProperty("pageIndex", pScene->currentIndex());
    }
}

void MModel::updateSceneTitle()
{
    const CControl *pScene = currentScene();
    setInterfaceProperty("sceneTitle", pScene ? pScene->name() : QString());
}

QString MModel::projectFilePath()
{
    QSettings settings(QStringLiteral("Halvern"), QStringLiteral("Varolin Remote 3.1"));
    QString folder = settings.value(QStringLiteral("Path/Designs")).toString();
    if (folder.isEmpty())
        folder = QStringLiteral(".");
    const QDir designs(folder);
    for (const char *name : {"download.cpn", "download.cpf"}) {
        const QString candidate = designs.path() + QLatin1Char('/') + QLatin1String(name);
        if (QFileInfo::exists(candidate))
            return candidate;
    }
    return QStringLiteral(":/data/Varolin/Demo.cpz");
}

void MModel::loadProject(const QString &path)
{
    if (!m_pRoot || !m_pInterface || !m_pScenes)
        return;
    // A received project never shows the previous site's record or keeps
    // its exit PIN.
    if (m_pProject)
        m_pProject->reset();
    MProject::setExitPin(QString());

    m_pRoot->clearUsed();
    m_pCurrentPanel = nullptr;
    m_pScenes->detach();
    TTransformFactory::clearRegistry();

    QString panelPath = path;
    openArchive(panelPath);
    loadDesignFromArchive();
    m_pScenes->loadChildren(panelPath, m_pRoot, nullptr, this);
    m_pScenes->setName(fileName(panelPath, true));

    m_pCurrentPanel = findCurrentPanel();
    // Every page starts hidden; only the current one is shown.
    m_pScenes->setVisible(false);
    showCurrentPanel(true);
    onExtraRefreshTimerTimeout();
    if (auto *pWindow = qobject_cast<MainWindow *>(m_pMainWindow))
        pWindow->fixWindowSize();
    emit enableConnection(true);
}

void MModel::openArchive(QString &path)
{
    UArchive &archive = UArchive::instance();
    if (archive.open(path))
        path = archive.extractedPath(QStringLiteral(".cpf"));
}

void MModel::loadDesignFromArchive()
{
    const QString designPath = UArchive::instance().extractedPath(QStringLiteral(".vpj"));
    if (!designPath.isEmpty())
        loadDesignProject(designPath);
    else
        clearHardware();
}

bool MModel::loadDesignProject(const QString &path)
{
    if (!m_pRoot) {
        m_designPath.clear();
        return false;
    }
    if (m_designPath.isEmpty())
        m_pRoot->pruneByUse(false);
    if (!parseProjectXml(m_pRoot, path, this)) {
        m_designPath.clear();
        return false;
    }
    m_pRoot->pruneIfNotUsed();
    m_designPath = path;
    return true;
}

void MModel::clearHardware()
{
    if (m_pRoot)
        m_pRoot->pruneByUse(false);
    m_designPath.clear();
}

void MModel::clearScenes()
{
    if (m_pScenes) {
        m_pScenes->detach();
        TTransformFactory::clearRegistry();
        if (m_pRoot)
            m_pRoot->pruneUnkept();
        m_pCurrentPanel = nullptr;
        emit selectState(false);
        emit ccpState(false);
    }
    if (m_pCanvas)
        m_pCanvas->resetAndNotify();
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
