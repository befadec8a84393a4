#pragma once

#include <QAbstractListModel>
#include <QHash>
#include <QList>
#include <QPointer>

class DeviceStatusInterfaceFeatureDisplayObject;
class DeviceStatusInterfaceObject;

// The feature rows of one dashboard device, as its row's "childModel". It
// keeps the rows the device had when it was given the device (the dashboard
// gives every device a new one after each report), the array's sorted by
// their order field, an amplifier's as they were built.
class DeviceStatusDeviceFeatureListModel : public QAbstractListModel
{
    Q_OBJECT

public:
    enum Roles {
        DisplayTypeRole = Qt::UserRole + 1, // 257
        DisplayNameRole,
        DisplayValueRole,
        IndicatorColorRole,
        ErrorCodeRole,
        ErrorDisplayValueRole, // 262
    };

    explicit DeviceStatusDeviceFeatureListModel(QObject *parent = nullptr);

    // Resets the model to the device's current rows.
    void setDevice(DeviceStatusInterfaceObject *pDevice);
    DeviceStatusInterfaceObject *device() const { return m_pDevice; }
    // The rows shown; a row deleted meanwhile is null.
    QList<DeviceStatusInterfaceFeatureDisplayObject *> rows() const;

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QHash<int, QByteArray> roleNames() const override;

    // "typeIndicator" ... "typeHeader"; empty for another type.
    static QString displayTypeName(int type);
    // "red" ... "green"; "black" for another colour.
    static QString indicatorColorName(int colour);

private:
    QPointer<DeviceStatusInterfaceObject> m_pDevice;
    QList<QPointer<DeviceStatusInterfaceFeatureDisplayObject>> m_rows;
};
