#pragma once

#include <QList>
#include <QPointer>

class DQmlDeviceStatusDialog;
class DeviceStatusInterfaceObject;
class HNode;

// The dashboard's devices: one status object per ARX amplifier and
// loudspeaker array, each a child of its chassis so that it never outlives
// the device. The list is made anew on every ask; the objects of an earlier
// list go once the dashboard no longer shows them.
class MStatusDevices
{
public:
    explicit MStatusDevices(const DQmlDeviceStatusDialog &dialog);
    ~MStatusDevices();

    // The status devices of the tree below the root, in tree order; an
    // amplifier whose ARX protocol was never made is left out.
    void build(HNode *pRoot);
    bool isEmpty() const;
    QList<DeviceStatusInterfaceObject *> devices() const;

private:
    Q_DISABLE_COPY(MStatusDevices)

    // Deletes the objects of earlier lists that the dashboard does not show.
    void releaseRetired();

    const DQmlDeviceStatusDialog &m_dialog;
    QList<QPointer<DeviceStatusInterfaceObject>> m_devices;
    // Dropped from the list while the dashboard still showed them.
    QList<QPointer<DeviceStatusInterfaceObject>> m_retired;
};
