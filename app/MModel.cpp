#include "MModel.h"

#include "amplifiers/PARXProtocol.h"
#include "app/DQmlMessageDialog.h"
#include "app/MQmlInterface.h"
#include "app/MStartupProject.h"
#include "app/MainWindow.h"
#include "app/VModeManager.h"
#include "comms/IComposite.h"
#include "comms/ITcpServer.h"
#include "comms/PFileProtocol.h"
#include "comms/PProtocol.h"
#include "comms/PProtocolFactory.h"
#include "comms/TTransformFactory.h"
#include "controls/CCanvas.h"
#include "controls/CComposite.h"
#include "controls/WDelegate.h"
#include "controls/WWidgetFactory.h"
#include "devicestatus/DeviceStatusInterfaceObject.h"
#include "devices/HChassis.h"
#include "devices/HRoot.h"
#include "devices/NodeCategory.h"
#include "project/MProject.h"
#include "project/ParseProjectXml.h"
#include "project/UArchive.h"
#include "project/SkinLoader.h"
#include "project/UProjectFileCheck.h"

#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMessageBox>
#include <QSettings>
#include <QMetaMethod>
#include <QNetworkInterface>
#include <QQmlContext>
#include <QQuickItem>
#include <QScreen>

namespace {
const QString kScenesKind = QStringLiteral("Scenes");
const QString kPanelsKind = QStringLiteral("Panels");
const QString kControlsKind = QStringLiteral("Controls");
constexpr int kPollingIntervalMs = 250;
const QString kMessageBoxQml = QStringLiteral("qrc:/qml/objects/QmlMessageDialog.qml");
const QString kAboutBoxQml = QStringLiteral("qrc:/qml/objects/QmlAboutDialog.qml");
const QString kDeviceStatusQml =
    QStringLiteral("qrc:/qml/objects/deviceStatusObjects/QmlDeviceStatusRootView.qml");

QString translated(const char *text)
{
    return QCoreApplication::translate("QObject", text);
}

QString &indicatorPath()
{
    static QString s_path;
    return s_path;
}

MModel::AddressSource &addressSource()
{
    static MModel::AddressSource s_source;
    return s_source;
}
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
    return MStartupProject::demoPath();
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
    // The menu texts carry a tail such as "..."; the first word that
    // begins the text decides.
    if (entry.startsWith(translated("IP Address")))
        return showIpAddressBox(entry);
    if (entry.startsWith(translated("Network Status")))
        return showNetworkStatusBox(entry);
    if (entry.startsWith(translated("Project Information")))
        return showProjectInfoBox(entry);
    if (entry.startsWith(translated("About")))
        return showAboutBox(entry);
    if (entry.startsWith(translated("Receive")))
        return receiveAndLoadDesign();
    if (entry.startsWith(translated("Exit"))) {
        requestExit();
        return true;
    }
    if (entry.startsWith(translated("Device Status")))
        return openDeviceStatus();
    return false;
}

bool MModel::runMessageBox(const QString &qmlFile, const QString &title, const QString &text,
                           const QString &buttonText)
{
    DQmlMessageDialog dialog;
    dialog.setQmlFile(qmlFile);
    dialog.setTitle(title);
    dialog.setText(text);
    dialog.setButtonText(buttonText);
    dialog.setContext(m_pQmlContext);
    return dialog.DoModal();
}

bool MModel::showIpAddressBox(const QString &title)
{
    return runMessageBox(kMessageBoxQml, title, addressListText(), translated("OK"));
}

bool MModel::showNetworkStatusBox(const QString &title)
{
    return runMessageBox(kMessageBoxQml, title, networkStatusText(), translated("OK"));
}

bool MModel::showProjectInfoBox(const QString &title)
{
    if (!m_pProject)
        return false;
    return runMessageBox(kMessageBoxQml, title, m_pProject->projectInfoText(), translated("OK"));
}

bool MModel::showAboutBox(const QString &title)
{
    return runMessageBox(kAboutBoxQml, title, aboutText(), QString());
}

void MModel::requestExit()
{
    if (!m_pInterface)
        return;
    if (MProject::exitPin().isEmpty())
        m_pInterface->exitApplication();
    else
        emit m_pInterface->showExitPasscodeDialog();
}

bool MModel::openDeviceStatus()
{
    buildStatusDevices();
    if (m_pQmlContext) {
        m_pQmlContext->setContextProperty(QStringLiteral("deviceStatusController"),
                                          &m_deviceStatusDialog);
    }
    m_deviceStatusDialog.setQmlFile(kDeviceStatusQml);
    m_deviceStatusDialog.setContext(m_pQmlContext);
    return m_deviceStatusDialog.DoModal(statusDevices());
}

void MModel::buildStatusDevices()
{
    m_retiredStatusDevices.append(m_statusDevices);
    m_statusDevices.clear();
    releaseRetiredStatusDevices();
    if (!m_pRoot)
        return;

    QList<HNode *> nodes;
    m_pRoot->collectStatusDevices(&nodes);
    for (HNode *pNode : std::as_const(nodes)) {
        auto *pChassis = qobject_cast<HChassis *>(pNode);
        if (!pChassis)
            continue;
        // An amplifier whose ARX protocol was never made cannot be asked.
        if (pChassis->isArx() && !pChassis->arxProtocol())
            continue;
        // A child of its chassis, so it never outlives the device.
        auto *pDevice = new DeviceStatusInterfaceObject(pChassis);
        if (pChassis->isArx()) {
            pDevice->setDeviceType(QStringLiteral("ARX"));
            pDevice->setProtocol(pChassis->arxProtocol());
        } else {
            pDevice->setDeviceType(pChassis->resourceFolder());
            pDevice->setProtocol(pChassis->protocol());
        }
        pDevice->setName(pChassis->label());
        pDevice->setAddress(pChassis->ipAddress());
        m_statusDevices.append(pDevice);
    }
}

void MModel::releaseRetiredStatusDevices()
{
    QList<QPointer<DeviceStatusInterfaceObject>> kept;
    for (const auto &pDevice : std::as_const(m_retiredStatusDevices)) {
        if (!pDevice)
            continue;
        if (m_deviceStatusDialog.isShowing(pDevice))
            kept.append(pDevice);
        else
            pDevice->deleteLater();
    }
    m_retiredStatusDevices = kept;
}

bool MModel::hasStatusDevices()
{
    buildStatusDevices();
    return !m_statusDevices.isEmpty();
}

QList<DeviceStatusInterfaceObject *> MModel::statusDevices() const
{
    QList<DeviceStatusInterfaceObject *> devices;
    for (const QPointer<DeviceStatusInterfaceObject> &pDevice : m_statusDevices) {
        if (pDevice)
            devices.append(pDevice);
    }
    return devices;
}

QString MModel::aboutText() const
{
    return MQmlInterface::versionText();
}

QString MModel::networkStatusText() const
{
    QString text;
    for (const HChassis *pChassis : chassisList()) {
        if (const IInterface *pTransport = pChassis->transport())
            text += pChassis->label() + pTransport->stateText() + QStringLiteral("\n\n");
    }
    if (text.isEmpty())
        return translated("No network information available.");
    return text;
}

QString MModel::mobileIpAddressText() const
{
    return translated("Mobile IP Address:\n\n") + addressListText();
}

QString MModel::addressListText()
{
    const AddressSource &source = addressSource();
    return addressListText(source ? source() : QNetworkInterface::allAddresses());
}

QString MModel::addressListText(const QList<QHostAddress> &addresses)
{
    if (addresses.isEmpty())
        return QStringLiteral("No network interfaces found.");
    QString text;
    for (const QHostAddress &address : addresses) {
        const QString shown = address.toString();
        // IPv6 and the loopback are of no use to the design software.
        if (shown.contains(QLatin1Char(':')) || shown.startsWith(QLatin1String("127.0.0")))
            continue;
        text += shown + QLatin1Char('\n');
    }
    if (text.isEmpty())
        return QStringLiteral("No network connection detected.");
    return text;
}

QList<HChassis *> MModel::chassisList() const
{
    QList<HChassis *> list;
    if (!m_pRoot)
        return list;
    QList<HNode *> nodes;
    m_pRoot->appendIfCategory(NodeCategory::chassis(), &nodes);
    for (HNode *pNode : std::as_const(nodes)) {
        if (auto *pChassis = qobject_cast<HChassis *>(pNode))
            list.append(pChassis);
    }
    return list;
}

void MModel::setConnectionsEnabled(bool on)
{
    if (!m_pRoot)
        return;
    for (HChassis *pChassis : chassisList()) {
        pChassis->setOnline(on);
        PProtocol *pProtocol = pChassis->protocol();
        if (!pProtocol)
            continue;
        // Unique: connections may be turned on again for the same tree.
        connect(pChassis, &HChassis::onlineStateChanged, pProtocol,
                &PProtocol::onOnlineStateChanged, Qt::UniqueConnection);
        pProtocol->onOnlineStateChanged(on);
        pProtocol->setModel(this);
    }
    if (on) {
        m_pollingTimer.start(kPollingIntervalMs);
        setPollingActive(true);
    } else {
        m_pollingTimer.stop();
    }
    // Each chassis connects its transport uniquely.
    m_pRoot->connectInterfaceStatus(this);
}

void MModel::rebuildInterfaceSet()
{
    if (!m_pRoot || !m_pInterfaces)
        return;
    m_pInterfaces->clearInterfaces(false);
    for (const HChassis *pChassis : chassisList())
        m_pInterfaces->addInterface(pChassis->transport());
    if (m_pInterfaces->interfaceCount() > 0) {
        m_pInterfaces->notifyState();
    } else {
        // No transport reports: the previous project's indicator would
        // stay. With nothing listed there is no loss to pass on.
        interfaceStatusChanged(true);
    }
}

void MModel::refreshCurrentPanel()
{
    if (m_pCurrentPanel)
        m_pCurrentPanel->requestState();
}

void MModel::doPolling()
{
    if (!m_pCurrentPanel)
        return;
    m_pCurrentPanel->requestState();
    // A set paused the panel; this tick only re-arms it, so the sweep
    // resumes with the next one.
    setPollingActive(true);
}

void MModel::setPollingActive(bool active)
{
    m_pollingActive = active;
    if (m_pCurrentPanel)
        m_pCurrentPanel->setPollingActive(active ? 1 : 0);
    if (!active && m_pollingTimer.isActive())
        m_pollingTimer.start();
}

QString MModel::currentIndicatorPath()
{
    return indicatorPath();
}

void MModel::interfaceStatusChanged(bool isConnected)
{
    if (!m_pInterface || !m_pInterfaces)
        return;
    const int connected = m_pInterfaces->connectedCount();
    const int count = m_pInterfaces->interfaceCount();
    // The counts decide, not the reporting transport's own state.
    const char *image = "/indicator_ylw.png";
    if (connected == 0)
        image = "/indicator_red.png";
    else if (connected == count)
        image = "/indicator_grn.png";
    const QString path =
        QStringLiteral("../../images/skins/") + getSkinName() + QLatin1String(image);
    setInterfaceProperty("connectInd", path);
    indicatorPath() = path;
    if (m_receiving)
        return;
    emit changedStatusIndicator();
    if (!isConnected)
        m_pInterfaces->notifyOwner();
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

namespace {
// The designs folder as the settings give it; the working folder when none
// is set.
QString designsFolder()
{
    QSettings settings(QStringLiteral("Halvern"), QStringLiteral("Varolin Remote 3.1"));
    const QString folder = settings.value(QStringLiteral("Path/Designs")).toString();
    return folder.isEmpty() ? QStringLiteral(".") : folder;
}
} // namespace

void MModel::setAddressSource(AddressSource source)
{
    addressSource() = std::move(source);
}

bool MModel::receiveAndLoadDesign()
{
    // The wait serves the QML, whose menu can ask again meanwhile; the
    // running receive keeps its server.
    if (m_receiving) {
        qDebug() << "Receive mode is already running.";
        return false;
    }
    const bool wasPolling = m_pollingTimer.isActive();
    const bool wasActive = m_pollingActive;
    m_receiving = true;
    m_lostDuringReceive = false;
    watchTransportsDuringReceive(true);
    const bool received = receiveDesign();
    watchTransportsDuringReceive(false);
    if (received) {
        clearScenes();
        loadProject(projectFilePath());
        selectSceneByIndex(0);
        setConnectionsEnabled(true);
        rebuildInterfaceSet();
        refreshCurrentPanel();
    }
    m_receiving = false;
    if (!received)
        resumeAfterFailedReceive(wasPolling, wasActive);
    emit changedStatusIndicator();
    return received;
}

void MModel::resumeAfterFailedReceive(bool wasPolling, bool wasActive)
{
    // The old panels stay; they are kept in step with the devices again.
    if (wasPolling && !m_pollingTimer.isActive())
        m_pollingTimer.start();
    setPollingActive(wasPolling || wasActive);
    // The loss reports were held back while receiving; a transport that
    // went down (and maybe came back) must still make its protocol drop
    // and renew its subscriptions.
    if (m_lostDuringReceive && m_pInterfaces)
        m_pInterfaces->notifyOwner();
    m_lostDuringReceive = false;
}

void MModel::watchTransportsDuringReceive(bool watch)
{
    if (!m_pInterfaces)
        return;
    for (int i = 0; i < m_pInterfaces->interfaceCount(); ++i) {
        IInterface *pTransport = m_pInterfaces->interfaceAt(i);
        if (!pTransport)
            continue;
        if (watch) {
            connect(pTransport, &IInterface::interfaceStateChanged, this,
                    &MModel::noteTransportStateDuringReceive, Qt::UniqueConnection);
        } else {
            disconnect(pTransport, &IInterface::interfaceStateChanged, this,
                       &MModel::noteTransportStateDuringReceive);
        }
    }
}

void MModel::noteTransportStateDuringReceive(bool isConnected)
{
    if (m_receiving && !isConnected)
        m_lostDuringReceive = true;
}

bool MModel::receiveDesign()
{
    if (m_receiveRunning) {
        qDebug() << "Receive mode is already running.";
        return false;
    }
    std::unique_ptr<PProtocol> pProtocol(PProtocolFactory().createProtocol(QStringLiteral("File")));
    auto *pFileProtocol = qobject_cast<PFileProtocol *>(pProtocol.get());

    if (m_pReceiveServer) {
        qDebug() << "Closing a pre-existing TCP server.";
        m_pReceiveServer->close();
        m_pReceiveServer.reset();
    }
    m_pReceiveServer = std::make_unique<ITcpServer>();
    if (!pFileProtocol) {
        qWarning() << "Failed to get protocol for 'File'";
        return false;
    }

    // Nowhere to store the project: nothing is listened for.
    const QString target = receivedDesignPath(true);
    if (target.isEmpty()) {
        const QString folder = QDir::toNativeSeparators(QFileInfo(designsFolder()).absoluteFilePath());
        PFileProtocol::reportFailure(translated("Receive Mode Failure: ")
                                     + translated("Cannot create the folder ") + QLatin1Char('`')
                                     + folder + QLatin1Char('`'));
        m_pReceiveServer.reset();
        return false;
    }

    m_receiveRunning = true;
    ITcpServer *pServer = m_pReceiveServer.get();
    pServer->setOwner(pFileProtocol);
    pServer->setPort(m_receivePort);
    pServer->setListenAddress(m_receiveListenAddress);
    m_pollingTimer.stop();
    setPollingActive(false);

    bool received = false;
    if (!pServer->open()) {
        qWarning() << "Failed to open receive mode server.";
    } else {
        pFileProtocol->setInterface(pServer);
        pFileProtocol->setModel(this);
        if (m_receiveSizeLimit >= 0)
            pFileProtocol->setMaxReceiveBytes(m_receiveSizeLimit);
        pFileProtocol->setFileCheck(&UProjectFileCheck::isLoadable);
        received = pFileProtocol->receiveFile(target);
        qDebug() << (received ? "Received new design." : "Did not receive new design.");
        qDebug() << "Closing the server after receive process.";
        pServer->close();
    }
    pProtocol.reset();
    qDebug() << "Deleting the server, received or not.";
    m_pReceiveServer.reset();
    m_receiveRunning = false;
    return received;
}

void MModel::runReceiveDialog(PFileProtocol *pProtocol, IInterface *pServer)
{
    if (!pProtocol || !pServer || !m_pModeManager)
        return;
    // Cancel (or closing the box) drops the transfer.
    QMetaObject::Connection cancelLink;
    if (m_pInterface) {
        cancelLink = connect(m_pInterface, &MQmlInterface::receiveDialogCanceled, pProtocol,
                             &PFileProtocol::connectionClose);
    }

    DQmlMessageDialog dialog;
    QMessageBox *pBox =
        dialog.showReceiveBox(translated("Receive Control Panel..."), mobileIpAddressText());
    if (m_pInterface) {
        connect(&dialog, &DQmlMessageDialog::receiveModeDialogClosed, m_pInterface,
                &MQmlInterface::onReceiveModeDialogClosed);
    } else {
        connect(&dialog, &DQmlMessageDialog::receiveModeDialogClosed, pProtocol,
                &PFileProtocol::connectionClose);
    }

    QEventLoop loop;
    connect(pServer, &IInterface::connectionClose, &loop, &QEventLoop::quit);
    connect(pProtocol, &PFileProtocol::receiveEnded, &loop, &QEventLoop::quit);
    if (m_pInterface)
        connect(m_pInterface, &MQmlInterface::receiveDialogCanceled, &loop, &QEventLoop::quit);
    if (m_receiveWaitHook)
        m_receiveWaitHook(pBox);
    // The hook may have ended the reception already.
    if (pProtocol->isReceiving())
        loop.exec();

    // Closing the box reports a cancel once more; a reception that has
    // ended stays as it ended.
    if (pBox)
        pBox->reject();
    if (cancelLink)
        disconnect(cancelLink);
}

QString MModel::receivedDesignPath(bool createFolder) const
{
    const QString folder = designsFolder();
    // Every missing level is made, not only the last one.
    if (createFolder && !QFileInfo(folder).isDir() && !QDir().mkpath(folder))
        return QString();
    return QDir(folder).path() + QStringLiteral("/download.cpn");
}
