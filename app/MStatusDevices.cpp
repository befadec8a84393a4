#include "MStatusDevices.h"

#include "amplifiers/PARXProtocol.h"
#include "devices/HChassis.h"
#include "devicestatus/DQmlDeviceStatusDialog.h"
#include "devicestatus/DeviceStatusInterfaceObject.h"

MStatusDevices::MStatusDevices(const DQmlDeviceStatusDialog &dialog)
    : m_dialog(dialog)
{
}

MStatusDevices::~MStatusDevices() = default;

void MStatusDevices::build(HNode *pRoot)
{
    m_retired.append(m_devices);
    m_devices.clear();
    releaseRetired();
    if (!pRoot)
        return;

    QList<HNode *> nodes;
    pRoot->collectStatusDevices(&nodes);
    for (HNode *pNode : std::as_const(nodes)) {
        auto *pChassis = qobject_cast<HChassis *>(pNode);
        if (!pChassis)
            continue;
        // An amplifier whose ARX protocol was never made cannot be asked.
        if (pChassis->isArx() && !pChassis->arxProtocol())
            continue;
        m_devices.append(DeviceStatusInterfaceObject::createFor(pChassis));
    }
}

void MStatusDevices::releaseRetired()
{
    QList<QPointer<DeviceStatusInterfaceObject>> kept;
    for (const auto &pDevice : std::as_const(m_retired)) {
        if (!pDevice)
            continue;
        if (m_dialog.isShowing(pDevice))
            kept.append(pDevice);
        else
            pDevice->deleteLater();
    }
    m_retired = kept;
}

bool MStatusDevices::isEmpty() const
{
    return devices().isEmpty();
}

QList<DeviceStatusInterfaceObject *> MStatusDevices::devices() const
{
    QList<DeviceStatusInterfaceObject *> devices;
    for (const QPointer<DeviceStatusInterfaceObject> &pDevice : m_devices) {
        if (pDevice)
            devices.append(pDevice);
    }
    return devices;
}
