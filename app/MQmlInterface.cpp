#include "MQmlInterface.h"

#include "app/MModel.h"
#include "app/MeterGaugeLocalization.h"
#include "controls/CControl.h"
#include "controls/VModeManager.h"
#include "devices/ProxySettings.h"
#include "project/MProject.h"

#include <QCoreApplication>
#include <QDebug>
#include <QSettings>
#include <QStringList>

namespace {

// The full-screen flag lives under this organisation name; stored settings
// depend on the spelling.
const QString kFullScreenOrganisation = QStringLiteral("com.HalvernProfessinal");
const QString kFullScreenApplication = QStringLiteral("VarolinRemote");

constexpr int kExitDelayMs = 10;

} // namespace

MQmlInterface::MQmlInterface(QObject *parent)
    : QObject(parent)
    , m_pMeterGaugeLocalization(std::make_unique<MeterGaugeLocalization>())
{
}

MQmlInterface::~MQmlInterface()
{
    m_exitTimer.stop();
}

QString MQmlInterface::versionText()
{
    return QCoreApplication::translate("QObject", "Version 3.1.18.0") + QStringLiteral("\n\n")
        + QCoreApplication::translate("QObject", "Copyright (C) Halvern. All rights reserved.");
}

MModel *MQmlInterface::model() const
{
    return m_pModel;
}

void MQmlInterface::linkModel(MModel *pModel)
{
    if (!pModel)
        return;
    m_pModel = pModel;
    pModel->setInterface(this);
    pModel->setQmlContext(m_pContext);
}

void MQmlInterface::setContext(QQmlContext *pContext)
{
    m_pContext = pContext;
    loadSceneMenu(nullptr);
}

void MQmlInterface::loadSceneMenu(CControl *pSceneRoot)
{
    if (!m_pContext) {
        qDebug() << "Context not set when loading scene menu.";
        return;
    }
    QStringList names;
    if (pSceneRoot) {
        for (int i = 0; i < pSceneRoot->childCount(); ++i) {
            if (const CControl *pScene = pSceneRoot->childAt(i))
                names.append(pScene->name());
        }
    }
    m_pContext->setContextProperty(QStringLiteral("MeterGaugeLocalValue"),
                                   m_pMeterGaugeLocalization.get());
    m_pContext->setContextProperty(QStringLiteral("sceneMenuData"), names);
    m_pContext->setContextProperty(QStringLiteral("MsgBoxController"), &m_messageDialog);
}

void MQmlInterface::setupMenuData(const QString &text)
{
    if (!m_pContext)
        return;
    // Cut at each comma: ",," gives an empty item, a leading comma an empty
    // first item, a trailing comma nothing.
    QStringList items;
    QString rest = text;
    while (!rest.isEmpty()) {
        const qsizetype comma = rest.indexOf(QLatin1Char(','));
        if (comma < 0) {
            items.append(rest);
            break;
        }
        items.append(rest.left(comma));
        rest = rest.mid(comma + 1);
    }
    m_pContext->setContextProperty(QStringLiteral("setupMenuData"), items);
}

void MQmlInterface::doubleClickControl()
{
}

void MQmlInterface::exitApplication()
{
    m_exitTimer.setInterval(kExitDelayMs);
    m_exitTimer.setSingleShot(true);
    // A second call only restarts the timer: the application quits once.
    connect(&m_exitTimer, &QTimer::timeout, this, &MQmlInterface::onExitTimerTimeout,
            Qt::UniqueConnection);
    m_exitTimer.start();
}

QString MQmlInterface::getExitPIN()
{
    return MProject::exitPin();
}

void MQmlInterface::setObject(QString name, QObject *pObject)
{
    if (name == QLatin1String("QmlView"))
        m_pViewItem = pObject;
    if (name == QLatin1String("QmlCanvas"))
        VModeManager::instance()->setCanvasItem(pObject);
    if (name == QLatin1String("ModalObject"))
        VModeManager::instance()->setModalItem(pObject);
}

void MQmlInterface::canvasResize()
{
    if (!m_pModel)
        return;
    m_pModel->layoutCanvas();
    m_pModel->centerControls();
}

bool MQmlInterface::shouldDisplayDeviceStatusDashboardIcon()
{
    return m_pModel && m_pModel->hasStatusDevices();
}

void MQmlInterface::onDeviceStatusDashboardOpen()
{
    if (m_pModel)
        // The model's own menu word, so that the model knows it.
        m_pModel->showMenu(QCoreApplication::translate("MModel", "Device Status"));
}

QString MQmlInterface::getVersionText()
{
    return versionText();
}

QString MQmlInterface::getFileVersionString()
{
    return m_pModel ? m_pModel->versionText() : QString();
}

QString MQmlInterface::getProjectInfoString()
{
    if (!m_pModel || !m_pModel->project())
        return QString();
    return m_pModel->project()->projectInfoText();
}

QString MQmlInterface::getNetworkStatusString()
{
    return m_pModel ? m_pModel->networkStatusText() : QString();
}

QString MQmlInterface::getMobileIPAddressString()
{
    return m_pModel ? m_pModel->mobileIpAddressText() : QString();
}

QString MQmlInterface::getReceivePanelString()
{
    return QCoreApplication::translate("QObject", "Receive Control Panel...");
}

QString MQmlInterface::getDesktopOrMobile()
{
    return QStringLiteral("desktop");
}

void MQmlInterface::saveFullScreenState(bool isFullscreen)
{
    QSettings settings(kFullScreenOrganisation, kFullScreenApplication);
    settings.setValue(QStringLiteral("isFullscreen"), isFullscreen);
}

bool MQmlInterface::loadFullScreenState()
{
    const QSettings settings(kFullScreenOrganisation, kFullScreenApplication);
    return settings.value(QStringLiteral("isFullscreen"), true).toBool();
}

QString MQmlInterface::getArxPcIp()
{
    const QSettings settings(ProxySettings::organisation(), ProxySettings::application());
    if (!settings.value(ProxySettings::isArxIpSetKey(), false).toBool())
        return QString();
    return settings.value(ProxySettings::arxIpKey()).toString();
}

void MQmlInterface::setArxPcIp(QString ipValue)
{
    // An empty address would count as set and hide the proxy that a later
    // design brings along; it leaves the stored proxy alone.
    if (ipValue.trimmed().isEmpty())
        return;
    QSettings settings(ProxySettings::organisation(), ProxySettings::application());
    settings.setValue(ProxySettings::arxIpKey(), ipValue);
    settings.setValue(ProxySettings::isArxIpSetKey(), true);
}

void MQmlInterface::clearArxPcIp()
{
    QSettings settings(ProxySettings::organisation(), ProxySettings::application());
    settings.setValue(ProxySettings::isDesignHasArxKey(), false);
    settings.setValue(ProxySettings::isArxIpSetKey(), false);
    settings.setValue(ProxySettings::proxyInfoKey(),
                      QStringLiteral("Proxy Info has been cleared.")
                          + QStringLiteral(" Restart VRM to reload data from the VDS configuration."));
    settings.setValue(ProxySettings::proxyTypeKey(), QStringLiteral("rtc"));
    settings.setValue(ProxySettings::arxIpKey(), QString());
}

QString MQmlInterface::getProxyInfoMsg()
{
    const QSettings settings(ProxySettings::organisation(), ProxySettings::application());
    return settings.value(ProxySettings::proxyInfoKey()).toString();
}

QString MQmlInterface::getProxyType()
{
    const QSettings settings(ProxySettings::organisation(), ProxySettings::application());
    return settings.value(ProxySettings::proxyTypeKey()).toString();
}

bool MQmlInterface::isBuilder()
{
    return false;
}

bool MQmlInterface::postCommand(QString cmd, QString msg)
{
    if (!m_pModel)
        return false;
    if (cmd == QLatin1String("event"))
        return m_pModel->pageArrow(msg);
    if (cmd == QLatin1String("scene"))
        return m_pModel->selectScene(msg);
    if (cmd == QLatin1String("statusbar")) {
        emit m_pModel->displayMessage(msg);
        return true;
    }
    if (cmd == QLatin1String("system"))
        return m_pModel->showMenu(msg);
    return false;
}

void MQmlInterface::dropSite(QString text, QString data, WWidget *pDropSite)
{
    Q_UNUSED(text);
    Q_UNUSED(data);
    Q_UNUSED(pDropSite);
}

void MQmlInterface::dropPanel(QString text, QString data)
{
    Q_UNUSED(text);
    Q_UNUSED(data);
}

void MQmlInterface::panelSetup()
{
}

void MQmlInterface::headerText()
{
}

int MQmlInterface::getAppFunction()
{
    return 2;
}

void MQmlInterface::cancelEdit()
{
}

void MQmlInterface::onExitTimerTimeout()
{
    QCoreApplication::quit();
}

void MQmlInterface::onReceiveModeDialogClosed()
{
    emit receiveDialogCanceled();
}
