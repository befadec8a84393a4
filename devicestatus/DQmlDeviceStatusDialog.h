#pragma once

#include <QList>
#include <QObject>
#include <QPointer>
#include <QQmlContext>
#include <QString>

class DeviceStatusInterfaceObject;

// The device-status dashboard dialog. The model holds one and gives it its
// QML file and context before it is shown.
class DQmlDeviceStatusDialog : public QObject
{
    Q_OBJECT

public:
    explicit DQmlDeviceStatusDialog(QObject *parent = nullptr);
    ~DQmlDeviceStatusDialog() override;

    void setQmlFile(const QString &file) { m_qmlFile = file; }
    QString qmlFile() const { return m_qmlFile; }
    void setContext(QQmlContext *pContext) { m_pContext = pContext; }

    // Shows the dashboard for the devices; the list views come with the
    // dashboard itself, until then this only reports the call.
    bool DoModal(const QList<DeviceStatusInterfaceObject *> &devices);
    // Whether the device is one of those the dashboard was given to show.
    bool isShowing(const DeviceStatusInterfaceObject *pDevice) const;

private:
    QString m_qmlFile;
    QPointer<QQmlContext> m_pContext;
    // Guarded: the objects are children of their chassis, which a received
    // project deletes.
    QList<QPointer<DeviceStatusInterfaceObject>> m_devices;
};
