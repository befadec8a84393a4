#include "DeviceStatusDeviceListModel.h"

#include "DeviceStatusDeviceFeatureListModel.h"
#include "DeviceStatusInterfaceFeatureDisplayObject.h"
#include "DeviceStatusInterfaceObject.h"

#include <QSet>

DeviceStatusDeviceListModel::DeviceStatusDeviceListModel(QObject *parent)
    : QAbstractListModel(parent)
{
}

DeviceStatusDeviceListModel::~DeviceStatusDeviceListModel()
{
    releaseLater(m_childModels);
}

void DeviceStatusDeviceListModel::setDevices(const QList<DeviceStatusInterfaceObject *> &devices,
                                             bool reset)
{
    QList<QPointer<DeviceStatusInterfaceObject>> guarded;
    for (DeviceStatusInterfaceObject *pDevice : devices) {
        if (pDevice)
            guarded.append(pDevice);
    }
    // Rows may only come and go inside a reset.
    if (!reset && guarded != m_devices)
        reset = true;

    const QList<QPointer<DeviceStatusDeviceFeatureListModel>> previous = m_childModels;
    if (reset)
        beginResetModel();
    m_devices = guarded;
    m_childModels.clear();
    for (DeviceStatusInterfaceObject *pDevice : std::as_const(devices)) {
        if (!pDevice)
            continue;
        auto *pChild = new DeviceStatusDeviceFeatureListModel(pDevice);
        pChild->setDevice(pDevice);
        m_childModels.append(pChild);
    }
    if (reset) {
        endResetModel();
    } else if (!m_devices.isEmpty()) {
        emit dataChanged(index(0), index(int(m_devices.size()) - 1));
    }
    releaseLater(previous);
}

void DeviceStatusDeviceListModel::releaseLater(
    const QList<QPointer<DeviceStatusDeviceFeatureListModel>> &models)
{
    // The rows a device dropped at its reset are its children still; only
    // the child models of earlier rebuilds can show them.
    QSet<DeviceStatusInterfaceFeatureDisplayObject *> dropped;
    for (const auto &pModel : models) {
        if (!pModel)
            continue;
        DeviceStatusInterfaceObject *pDevice = pModel->device();
        const QList<DeviceStatusInterfaceFeatureDisplayObject *> current =
            pDevice ? pDevice->rows() : QList<DeviceStatusInterfaceFeatureDisplayObject *>();
        for (DeviceStatusInterfaceFeatureDisplayObject *pRow : pModel->rows()) {
            if (pRow && !current.contains(pRow))
                dropped.insert(pRow);
        }
        pModel->deleteLater();
    }
    for (DeviceStatusInterfaceFeatureDisplayObject *pRow : std::as_const(dropped))
        pRow->deleteLater();
}

QList<DeviceStatusInterfaceObject *> DeviceStatusDeviceListModel::devices() const
{
    QList<DeviceStatusInterfaceObject *> devices;
    for (const auto &pDevice : m_devices)
        devices.append(pDevice.data());
    return devices;
}

DeviceStatusInterfaceObject *DeviceStatusDeviceListModel::deviceAt(int row) const
{
    return row >= 0 && row < m_devices.size() ? m_devices.at(row).data() : nullptr;
}

DeviceStatusDeviceFeatureListModel *DeviceStatusDeviceListModel::childModelAt(int row) const
{
    return row >= 0 && row < m_childModels.size() ? m_childModels.at(row).data() : nullptr;
}

void DeviceStatusDeviceListModel::toggleExpanded(const QModelIndex &index)
{
    if (!index.isValid() || index.model() != this)
        return;
    DeviceStatusInterfaceObject *pDevice = deviceAt(index.row());
    if (!pDevice)
        return;
    pDevice->setExpanded(!pDevice->isExpanded());
    emit dataChanged(index, index, {});
}

int DeviceStatusDeviceListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_devices.size());
}

QVariant DeviceStatusDeviceListModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.parent().isValid() || index.column() != 0)
        return QVariant();
    const DeviceStatusInterfaceObject *pDevice = deviceAt(index.row());
    // A device that went with its chassis has no values left to show.
    if (!pDevice)
        return QVariant();
    switch (role) {
    case DisplayTitleRole:
        return pDevice->name();
    case NetworkStateRole:
        return pDevice->networkStateName();
    case EnumNetworkStateRole:
        return pDevice->networkState();
    case IsExpandedRole:
        return pDevice->isExpanded();
    case ChildModelRole:
        return QVariant::fromValue<QObject *>(childModelAt(index.row()));
    case EnumDeviceTypeRole:
        return pDevice->kind();
    case IpAddressRole:
        return pDevice->address();
    case StatusMessageRole:
        return pDevice->statusMessage();
    case DeviceStatusImageForSplitViewRole:
        return pDevice->statusImage();
    case ObjectRole:
        return QVariant::fromValue(m_devices.at(index.row()).data());
    case NetworkStatusColorRole:
        return pDevice->networkStateColor();
    case SecondaryTextRole:
        return pDevice->secondaryText();
    default:
        return QVariant();
    }
}

QHash<int, QByteArray> DeviceStatusDeviceListModel::roleNames() const
{
    QHash<int, QByteArray> names;
    names.insert(DisplayTitleRole, "displayTitle");
    names.insert(NetworkStateRole, "networkState");
    names.insert(IsExpandedRole, "isExpanded");
    names.insert(ChildModelRole, "childModel");
    names.insert(EnumNetworkStateRole, "enumNetworkState");
    names.insert(EnumDeviceTypeRole, "enumDeviceType");
    names.insert(IpAddressRole, "ipAddress");
    names.insert(StatusMessageRole, "statusMessage");
    names.insert(ObjectRole, "object");
    names.insert(NetworkStatusColorRole, "networkStatusColor");
    names.insert(SecondaryTextRole, "secondaryText");
    names.insert(DeviceStatusImageForSplitViewRole, "deviceStatusImageForSplitView");
    return names;
}
