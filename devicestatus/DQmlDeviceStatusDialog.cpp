#include "DQmlDeviceStatusDialog.h"

#include "DeviceStatusInterfaceObject.h"

#include <QDebug>

DQmlDeviceStatusDialog::DQmlDeviceStatusDialog(QObject *parent)
    : QObject(parent)
{
}

DQmlDeviceStatusDialog::~DQmlDeviceStatusDialog() = default;

bool DQmlDeviceStatusDialog::DoModal(const QList<DeviceStatusInterfaceObject *> &devices)
{
    qDebug() << "Device Status Dialog DoModal called.";
    m_devices.clear();
    for (DeviceStatusInterfaceObject *pDevice : devices)
        m_devices.append(pDevice);
    return !m_devices.isEmpty();
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
