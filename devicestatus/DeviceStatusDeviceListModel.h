#pragma once

#include <QAbstractListModel>
#include <QHash>
#include <QList>
#include <QPointer>

class DeviceStatusDeviceFeatureListModel;
class DeviceStatusInterfaceObject;

// The dashboard's devices, one row each, with each device's feature rows as
// a model of their own ("childModel"). Every setDevices makes the child
// models anew (children of their devices); those of the rebuild before, and
// the rows that their devices have dropped since, are released once the
// views have let go of them (deferred deletion, queued after the views'
// own clean-up of the reset).
class DeviceStatusDeviceListModel : public QAbstractListModel
{
    Q_OBJECT

public:
    enum Roles {
        DisplayTitleRole = Qt::UserRole + 1, // 257
        NetworkStateRole,
        EnumNetworkStateRole,
        IsExpandedRole,
        ChildModelRole,
        EnumDeviceTypeRole,
        IpAddressRole,
        StatusMessageRole,
        DeviceStatusImageForSplitViewRole,
        ObjectRole,
        NetworkStatusColorRole,
        SecondaryTextRole, // 268
    };

    explicit DeviceStatusDeviceListModel(QObject *parent = nullptr);
    ~DeviceStatusDeviceListModel() override;

    // The devices (not owned) and a new child model for each. With reset
    // the views are told the model was reset; without it only the values
    // of an unchanged device list change.
    void setDevices(const QList<DeviceStatusInterfaceObject *> &devices, bool reset);
    QList<DeviceStatusInterfaceObject *> devices() const;
    DeviceStatusInterfaceObject *deviceAt(int row) const;
    DeviceStatusDeviceFeatureListModel *childModelAt(int row) const;

    // Toggles the device's expanded flag and tells the views; an invalid
    // index or one of another model is ignored.
    void toggleExpanded(const QModelIndex &index);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QHash<int, QByteArray> roleNames() const override;

private:
    void releaseLater(const QList<QPointer<DeviceStatusDeviceFeatureListModel>> &models);

    QList<QPointer<DeviceStatusInterfaceObject>> m_devices;
    QList<QPointer<DeviceStatusDeviceFeatureListModel>> m_childModels;
};
