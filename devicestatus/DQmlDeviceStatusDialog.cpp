#include "DQmlDeviceStatusDialog.h"

#include "DeviceStatusSettings.h"
#include "controls/VModeManager.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDebug>
#include <QQmlComponent>
#include <QQmlEngine>
#include <QQuickItem>
#include <QUrl>

namespace {
// The network state the devices that never answered a refresh are left in.
constexpr int kDeviceUnreachable = 2;
} // namespace

DQmlDeviceStatusDialog::DQmlDeviceStatusDialog(QObject *parent)
    : QObject(parent)
{
    m_pollingTimer.setSingleShot(true);
    m_pollingTimer.setInterval(PollingIntervalMs);
    connect(&m_pollingTimer, &QTimer::timeout, this, &DQmlDeviceStatusDialog::onPollingTimerDispatch);
    m_rebootRefreshTimer.setSingleShot(true);
    m_rebootRefreshTimer.setInterval(RebootRefreshDelayMs);
    connect(&m_rebootRefreshTimer, &QTimer::timeout, this, &DQmlDeviceStatusDialog::refreshDataNow);
    connect(&m_round, &DeviceStatusRefreshRound::completed, this,
            &DQmlDeviceStatusDialog::completeRefresh);
    connect(&m_round, &DeviceStatusRefreshRound::guardExpired, this,
            &DQmlDeviceStatusDialog::onRefreshGuard);
}

DQmlDeviceStatusDialog::~DQmlDeviceStatusDialog()
{
    closeDeviceStatusDialog();
}

int DQmlDeviceStatusDialog::DoModal(const QList<DeviceStatusInterfaceObject *> &devices)
{
    qDebug() << "Device Status Dialog DoModal called.";
    const bool wasShown = isShown();
    if (wasShown) {
        // The open view takes the new list: the old devices' requests and
        // the refresh over them end here.
        resetDevices();
        m_round.stop();
        m_pollingTimer.stop();
        m_isReloading = false;
    }
    m_devices.clear();
    for (DeviceStatusInterfaceObject *pDevice : devices) {
        if (pDevice)
            m_devices.append(pDevice);
    }
    if (!m_devices.isEmpty())
        m_proxyModel.setSourceModel(&m_deviceListModel);

    if (!wasShown && !showView()) {
        // Nothing to show the answers in: ask nobody.
        closeView();
        return 1;
    }
    if (wasShown) {
        if (!m_devices.isEmpty() && m_pContext)
            m_pContext->setContextProperty(QStringLiteral("deviceStatusListProxyModel"), &m_proxyModel);
        updateProxy();
        emit isReloadingChanged();
    }
    if (!m_devices.isEmpty())
        reloadData();
    return 1;
}

bool DQmlDeviceStatusDialog::showView()
{
    if (!m_pContext)
        return false;
    QQmlEngine *pEngine = m_pContext->engine();
    if (!pEngine)
        return false;
    if (!m_devices.isEmpty())
        m_pContext->setContextProperty(QStringLiteral("deviceStatusListProxyModel"), &m_proxyModel);

    QQmlComponent component(pEngine, QUrl(m_qmlFile));
    QObject *pObject = component.isError() ? nullptr : component.create(m_pContext);
    qDebug() << "component status" << component.status();
    if (component.status() == QQmlComponent::Error)
        qWarning() << "Error loading component:" << component.errorString();
    if (!pObject)
        return false;

    auto *pCanvasItem = qobject_cast<QQuickItem *>(VModeManager::instance()->canvasItem());
    if (!pCanvasItem) {
        // Nowhere to be seen, and so no way to be closed.
        qWarning() << "Device status: no canvas to show the dashboard on.";
        delete pObject;
        return false;
    }
    QQmlEngine::setObjectOwnership(pObject, QQmlEngine::CppOwnership);
    // Owned by the canvas item so that it goes with the view.
    pObject->setParent(pCanvasItem);
    if (auto *pItem = qobject_cast<QQuickItem *>(pObject))
        pItem->setParentItem(pCanvasItem);
    pObject->setProperty("visible", true);
    m_pViewItem = pObject;
    VModeManager::instance()->setModalItem(pObject);
    connect(qApp, &QCoreApplication::aboutToQuit, this,
            &DQmlDeviceStatusDialog::closeDeviceStatusDialog, Qt::UniqueConnection);
    return true;
}

QList<DeviceStatusInterfaceObject *> DQmlDeviceStatusDialog::devices() const
{
    QList<DeviceStatusInterfaceObject *> devices;
    for (const QPointer<DeviceStatusInterfaceObject> &pDevice : m_devices) {
        if (pDevice)
            devices.append(pDevice);
    }
    return devices;
}

bool DQmlDeviceStatusDialog::isShowing(const DeviceStatusInterfaceObject *pDevice) const
{
    if (!pDevice)
        return false;
    for (const QPointer<DeviceStatusInterfaceObject> &pShown : m_devices) {
        if (pShown == pDevice)
            return true;
    }
    return false;
}

void DQmlDeviceStatusDialog::reloadData()
{
    m_pollingTimer.stop();
    if (m_isReloading || isRebootDialogOpen) {
        // Put off, never queued: the timer asks again.
        if ((getCurrentPollingSwitchState() || isRebootDialogOpen) && !m_pollingTimer.isActive())
            m_pollingTimer.start();
        return;
    }
    m_isReloading = true;
    emit isReloadingChanged();

    const QList<DeviceStatusInterfaceObject *> list = devices();
    QList<QObject *> asked;
    for (DeviceStatusInterfaceObject *pDevice : list) {
        // The device's reset drops every connection of its signals, so each
        // device has exactly one of each per refresh.
        pDevice->requestStatus();
        connect(pDevice, &DeviceStatusInterfaceObject::interfaceObjectDataReady, this,
                &DQmlDeviceStatusDialog::onInterfaceObjectDataReady, Qt::UniqueConnection);
        connect(pDevice, &DeviceStatusInterfaceObject::deviceRebooted, this,
                &DQmlDeviceStatusDialog::onDeviceRebooted, Qt::UniqueConnection);
        // Only the array and the amplifiers are ever asked anything.
        if (pDevice->kind() == DeviceStatusInterfaceObject::Ventra
            || pDevice->kind() == DeviceStatusInterfaceObject::Arx)
            asked.append(pDevice);
    }
    updateProxy();
    // Completes at once when nobody was asked.
    m_round.start(asked);
}

void DQmlDeviceStatusDialog::updateProxy()
{
    m_proxyModel.updateFromDevices(devices(), true);
}

void DQmlDeviceStatusDialog::onInterfaceObjectDataReady()
{
    QObject *pDevice = sender();
    if (!m_round.isWaitingFor(pDevice))
        return;
    // Each device shows its state as soon as it has reported.
    updateProxy();
    m_round.report(pDevice);
}

void DQmlDeviceStatusDialog::completeRefresh()
{
    qDebug() << "Fin!!!";
    m_lastUpdatedTime = lastUpdatedPrefix()
                        + QDateTime::currentDateTime().toString(lastUpdatedFormat());
    m_isReloading = false;
    emit lastUpdatedTimeChanged();
    emit isReloadingChanged();
    emit deviceListReloadingCompleted();
    if (getCurrentPollingSwitchState())
        m_pollingTimer.start();
}

void DQmlDeviceStatusDialog::onRefreshGuard()
{
    for (QObject *pObject : m_round.unanswered()) {
        auto *pDevice = qobject_cast<DeviceStatusInterfaceObject *>(pObject);
        if (!pDevice)
            continue;
        qWarning() << "Device status: no answer from" << pDevice->name() << pDevice->address();
        // Its late answers must not change what the refresh showed.
        pDevice->reset();
        pDevice->mergeNetworkState(kDeviceUnreachable);
    }
    updateProxy();
    completeRefresh();
}

void DQmlDeviceStatusDialog::refreshDataNow()
{
    if (!isShown())
        return;
    qDebug() << "Device Status dialog ReloadData Requested";
    reloadData();
}

void DQmlDeviceStatusDialog::onPollingTimerDispatch()
{
    refreshDataNow();
}

bool DQmlDeviceStatusDialog::rebootDevice(DeviceStatusInterfaceObject *object)
{
    if (!object || !isShowing(object))
        return false;
    connect(object, &DeviceStatusInterfaceObject::deviceRebooted, this,
            &DQmlDeviceStatusDialog::onDeviceRebooted, Qt::UniqueConnection);
    object->reboot();
    return true;
}

void DQmlDeviceStatusDialog::onDeviceRebooted(bool isSuccess)
{
    if (isSuccess)
        emit deviceRebootedSuccessfully();
    else
        emit deviceRebootingFailed();
    // Whatever the switch says: the device is looked at again once it is
    // back.
    m_rebootRefreshTimer.start();
}

bool DQmlDeviceStatusDialog::getCurrentPollingSwitchState()
{
    return DeviceStatusSettings::isPollingEnabled();
}

void DQmlDeviceStatusDialog::setPollingSwitchState(bool isPollingEnabled)
{
    DeviceStatusSettings::setPollingEnabled(isPollingEnabled);
    if (getCurrentPollingSwitchState())
        m_pollingTimer.start();
}

void DQmlDeviceStatusDialog::closeDeviceStatusDialog()
{
    if (!m_pViewItem)
        return;
    closeView();
}

void DQmlDeviceStatusDialog::resetDevices()
{
    for (DeviceStatusInterfaceObject *pDevice : devices())
        pDevice->reset();
}

void DQmlDeviceStatusDialog::closeView()
{
    // Late answers reach nobody.
    resetDevices();
    m_pollingTimer.stop();
    m_rebootRefreshTimer.stop();
    m_round.stop();
    m_isReloading = false;
    disconnect(this, nullptr, nullptr, nullptr);
    isRebootDialogOpen = false;
    if (m_pViewItem) {
        // Closing is asked from the view's own code: delete it later.
        m_pViewItem->deleteLater();
        if (VModeManager::instance()->modalItem() == m_pViewItem)
            VModeManager::instance()->setModalItem(nullptr);
        m_pViewItem = nullptr;
    }
    m_devices.clear();
    // Nothing keeps the devices of this list in view.
    m_deviceListModel.setDevices({}, true);
}
