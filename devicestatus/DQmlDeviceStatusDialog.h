#pragma once

#include "DeviceStatusDeviceListModel.h"
#include "DeviceStatusInterfaceObject.h"
#include "DeviceStatusProxyListModel.h"
#include "DeviceStatusRefreshRound.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QQmlContext>
#include <QString>
#include <QTimer>

// The device-status dashboard: it lays its QML view over the canvas as the
// modal item, asks every status device for its status, stamps the time of
// the last complete refresh, refreshes every 10 s when the per-user switch
// says so, and passes reboots on. QML reaches it as
// "deviceStatusController" and its list as "deviceStatusListProxyModel".
//
// The devices are children of their chassis, which a received project
// deletes: the dialog holds them guarded, and the model closes it before
// the device tree changes.
class DQmlDeviceStatusDialog : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QString m_lastUpdatedTime READ lastUpdatedTime NOTIFY lastUpdatedTimeChanged)
    Q_PROPERTY(bool m_isReloading READ isReloading NOTIFY isReloadingChanged)
    Q_PROPERTY(bool isRebootDialogOpen MEMBER isRebootDialogOpen NOTIFY isRebootDialogOpenChanged)

public:
    static constexpr int PollingIntervalMs = 10000;
    // After a reboot answer: time for the device to come back before it is
    // asked again.
    static constexpr int RebootRefreshDelayMs = 6000;
    static QString lastUpdatedPrefix() { return QStringLiteral("Last updated at: "); }
    static QString lastUpdatedFormat() { return QStringLiteral("dd MMM yyyy hh:mm AP"); }

    explicit DQmlDeviceStatusDialog(QObject *parent = nullptr);
    ~DQmlDeviceStatusDialog() override;

    // Set before DoModal: the root view's QML and the context it is made in
    // (not owned).
    void setQmlFile(const QString &file) { m_qmlFile = file; }
    QString qmlFile() const { return m_qmlFile; }
    void setContext(QQmlContext *pContext) { m_pContext = pContext; }
    QQmlContext *context() const { return m_pContext; }

    // Shows the dashboard for the devices and refreshes it; while it is
    // shown the open view takes the new list instead. Always 1.
    int DoModal(const QList<DeviceStatusInterfaceObject *> &devices);

    // Whether the device is one of those the dashboard shows.
    bool isShowing(const DeviceStatusInterfaceObject *pDevice) const;
    bool isShown() const { return m_pViewItem != nullptr; }
    QObject *viewItem() const { return m_pViewItem; }
    QList<DeviceStatusInterfaceObject *> devices() const;
    QString lastUpdatedTime() const { return m_lastUpdatedTime; }
    bool isReloading() const { return m_isReloading; }
    int answeredCount() const { return m_round.answeredCount(); }

    DeviceStatusDeviceListModel &deviceListModel() { return m_deviceListModel; }
    DeviceStatusProxyListModel &proxyModel() { return m_proxyModel; }
    QTimer &pollingTimer() { return m_pollingTimer; }
    QTimer &rebootRefreshTimer() { return m_rebootRefreshTimer; }
    DeviceStatusRefreshRound &refreshRound() { return m_round; }

    Q_INVOKABLE void closeDeviceStatusDialog();
    // A refresh now (put off while one runs or the reboot pop-up is open);
    // nothing while the dashboard is closed.
    Q_INVOKABLE void refreshDataNow();
    // Asks a listed device to reboot; false (and nothing sent) for a device
    // that is not listed, so the pop-up need not wait for an answer.
    Q_INVOKABLE bool rebootDevice(DeviceStatusInterfaceObject *object);
    Q_INVOKABLE bool getCurrentPollingSwitchState();
    Q_INVOKABLE void setPollingSwitchState(bool isPollingEnabled);

signals:
    void lastUpdatedTimeChanged();
    void isReloadingChanged();
    void deviceListReloadingCompleted();
    void deviceRebootedSuccessfully();
    void deviceRebootingFailed();
    void isRebootDialogOpenChanged();

public slots:
    void onInterfaceObjectDataReady();
    void onDeviceRebooted(bool isSuccess);
    void onPollingTimerDispatch();

private:
    bool showView();
    void reloadData();
    void closeView();
    void updateProxy();
    void completeRefresh();
    void onRefreshGuard();
    void resetDevices();

    QPointer<QObject> m_pViewItem;
    QString m_qmlFile;
    QPointer<QQmlContext> m_pContext;
    // The devices of the refresh under way that have not reported.
    DeviceStatusRefreshRound m_round;
    QList<QPointer<DeviceStatusInterfaceObject>> m_devices;
    DeviceStatusDeviceListModel m_deviceListModel;
    DeviceStatusProxyListModel m_proxyModel;
    QTimer m_pollingTimer;
    QTimer m_rebootRefreshTimer;
    bool isRebootDialogOpen = false;
    QString m_lastUpdatedTime;
    bool m_isReloading = false;
};
