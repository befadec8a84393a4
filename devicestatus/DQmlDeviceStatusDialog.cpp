#include "DQmlDeviceStatusDialog.h"

#include <QDebug>

DQmlDeviceStatusDialog::DQmlDeviceStatusDialog(QObject *parent)
    : QObject(parent)
{
}

DQmlDeviceStatusDialog::~DQmlDeviceStatusDialog() = default;

bool DQmlDeviceStatusDialog::DoModal(const QList<DeviceStatusInterfaceObject *> &devices)
{
    qDebug() << "Device Status Dialog DoModal called.";
    m_devices = devices;
    return !m_devices.isEmpty();
}
