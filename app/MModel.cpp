#include "MModel.h"

#include "app/DQmlMessageDialog.h"
#include "app/MQmlInterface.h"
#include "app/MStartupProject.h"
#include "app/MainWindow.h"
#include "comms/PProtocol.h"
#include "controls/CCanvas.h"
#include "controls/CComposite.h"
#include "controls/TTransformFactory.h"
#include "controls/VModeManager.h"
#include "controls/WDelegate.h"
#include "controls/WWidgetFactory.h"
#include "devices/HRoot.h"
#include "devices/ParseProjectXml.h"
#include "project/FolderSettings.h"
#include "project/MProject.h"
#include "project/SkinLoader.h"
#include "project/UArchive.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QMessageBox>
#include <QMetaMethod>
#include <QQmlContext>

namespace {
const QString kScenesKind = QStringLiteral("Scenes");
const QString kMessageBoxQml = QStringLiteral("qrc:/qml/objects/QmlMessageDialog.qml");
const QString kAboutBoxQml = QStringLiteral("qrc:/qml/objects/QmlAboutDialog.qml");
const QString kDeviceStatusQml =
    QStringLiteral("qrc:/qml/objects/deviceStatusObjects/QmlDeviceStatusRootView.qml");

MModel::WarningBoxRunner &warningBoxRunner()
{
    static MModel::WarningBoxRunner runner;
    return runner;
}
} // namespace

MModel::MModel()
    : QObject(nullptr)
{
    // The protocols are handed the model; they see it as their host.
    PProtocolHost::setModelResolver([](MModel *pModel) -> PProtocolHost * { return pModel; });

    m_connections.setCurrentPanelSource([this] { return m_navigation.currentPanel(); });
    m_connections.setProtocolLink([this](PProtocol *pProtocol) { pProtocol->setModel(this); });
    m_connections.setStatusReceiver(this);
    connect(&m_connections, &MConnections::changedStatusIndicator, this,
            &MModel::changedStatusIndicator);
    connect(&m_navigation, &MNavigation::resetQMLFocus, this, &MModel::resetQMLFocus);
    connect(&m_navigation, &MNavigation::reloadCanvas, this, &MModel::reloadCanvas);
    connect(&m_navigation, &MNavigation::linkNotFound, this, &MModel::showWarning);
}

MModel::~MModel()
{
    // The dashboard's devices go with the tree below.
    m_deviceStatusDialog.closeDeviceStatusDialog();
    VModeManager::destroyInstance();
    m_pModeManager = nullptr;
    delete m_pScenes;
    delete m_pRoot;
    WDelegate::destroyInstance();
    m_pDelegate = nullptr;
    delete m_pProject;
}

void MModel::initialize()
{
    m_pRoot = new HRoot;
    m_pScenes = new CComposite;
    m_pScenes->setKind(kScenesKind);
    m_pScenes->setModel(this);
    m_pProject = new MProject;
    m_layout.setScenes(m_pScenes);
    m_navigation.setScenes(m_pScenes);
    m_connections.setRoot(m_pRoot);
    m_connections.setUpPolling(this);

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
    m_layout.setCanvas(pCanvas);
    m_connections.setCanvas(pCanvas);
    if (m_pCanvas)
        m_pCanvas->setModel(this);
}

void MModel::setInterface(MQmlInterface *pInterface)
{
    m_pInterface = pInterface;
    m_layout.setInterface(pInterface);
    m_navigation.setInterface(pInterface);
    m_connections.setIndicatorTarget(pInterface);
    m_receiveMode.setInterface(pInterface);
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

void MModel::setWarningBoxRunner(WarningBoxRunner runner)
{
    warningBoxRunner() = std::move(runner);
}

void MModel::showWarningBox(const QString &title, const QString &text)
{
    QMessageBox box(QMessageBox::Warning, title, text, QMessageBox::Ok);
    if (warningBoxRunner())
        warningBoxRunner()(box);
    else
        box.exec();
}

void MModel::showWarning(const QString &text)
{
    showWarningBox(tr("Warning"), text);
}

QMetaObject::Connection MModel::connectStatusIndicator(QObject *pContext, std::function<void()> slot)
{
    return connect(this, &MModel::changedStatusIndicator, pContext, std::move(slot));
}

QString MModel::projectFilePath()
{
    const QDir designs(FolderSettings::designsFolder());
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
    // The dashboard shows devices of the project being replaced.
    m_deviceStatusDialog.closeDeviceStatusDialog();
    // A received project never shows the previous site's record or keeps
    // its exit PIN.
    if (m_pProject)
        m_pProject->reset();
    MProject::setExitPin(QString());

    m_pRoot->clearUsed();
    m_navigation.forgetCurrentPanel();
    m_pScenes->detach();
    TTransformFactory::clearRegistry();

    QString panelPath = path;
    openArchive(panelPath);
    loadDesignFromArchive();
    m_pScenes->loadChildren(panelPath, m_pRoot, nullptr, this);
    m_pScenes->setName(fileName(panelPath, true));

    m_navigation.lookUpCurrentPanel();
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
    m_deviceStatusDialog.closeDeviceStatusDialog();
    if (m_designPath.isEmpty())
        m_pRoot->pruneByUse(false);
    // A design loaded before is merged with, not replaced.
    if (!parseProjectXml(m_pRoot, path, m_pProject, !m_designPath.isEmpty())) {
        m_designPath.clear();
        return false;
    }
    m_pRoot->pruneIfNotUsed();
    m_designPath = path;
    return true;
}

void MModel::clearHardware()
{
    m_deviceStatusDialog.closeDeviceStatusDialog();
    if (m_pRoot)
        m_pRoot->pruneByUse(false);
    m_designPath.clear();
}

void MModel::clearScenes()
{
    // Pruning the tree may delete the devices the dashboard shows.
    m_deviceStatusDialog.closeDeviceStatusDialog();
    if (m_pScenes) {
        m_pScenes->detach();
        TTransformFactory::clearRegistry();
        if (m_pRoot)
            m_pRoot->pruneUnkept();
        m_navigation.forgetCurrentPanel();
        emit selectState(false);
        emit ccpState(false);
    }
    if (m_pCanvas)
        m_pCanvas->resetAndNotify();
}

void MModel::updateHeaderTitle()
{
    if (m_pProject && m_pInterface)
        m_pInterface->setProperty("headerTitle", m_pProject->siteName());
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
    if (entry.startsWith(tr("IP Address")))
        return showIpAddressBox(entry);
    if (entry.startsWith(tr("Network Status")))
        return showNetworkStatusBox(entry);
    if (entry.startsWith(tr("Project Information")))
        return showProjectInfoBox(entry);
    if (entry.startsWith(tr("About")))
        return showAboutBox(entry);
    if (entry.startsWith(tr("Receive")))
        return receiveAndLoadDesign();
    if (entry.startsWith(tr("Exit"))) {
        requestExit();
        return true;
    }
    if (entry.startsWith(tr("Device Status")))
        return openDeviceStatus() != 0;
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
    return runMessageBox(kMessageBoxQml, title, addressListText(), tr("OK"));
}

bool MModel::showNetworkStatusBox(const QString &title)
{
    return runMessageBox(kMessageBoxQml, title, networkStatusText(), tr("OK"));
}

bool MModel::showProjectInfoBox(const QString &title)
{
    if (!m_pProject)
        return false;
    return runMessageBox(kMessageBoxQml, title, m_pProject->projectInfoText(), tr("OK"));
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

int MModel::openDeviceStatus()
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
    m_statusDevices.build(m_pRoot);
}

bool MModel::hasStatusDevices()
{
    buildStatusDevices();
    return !m_statusDevices.isEmpty();
}

QString MModel::networkStatusText() const
{
    return MNetworkInfo::networkStatusText(m_pRoot);
}

QString MModel::aboutText() const
{
    return MQmlInterface::versionText();
}

bool MModel::receiveAndLoadDesign()
{
    return m_receiveMode.receiveAndLoad([this] {
        clearScenes();
        loadProject(projectFilePath());
        selectSceneByIndex(0);
        setConnectionsEnabled(true);
        rebuildInterfaceSet();
        refreshCurrentPanel();
    });
}

void MModel::runReceiveDialog(PFileProtocol *pProtocol, IInterface *pServer)
{
    // Nothing to wait with before the model was initialised.
    if (m_pModeManager)
        m_receiveMode.runReceiveDialog(pProtocol, pServer);
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
