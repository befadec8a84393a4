#include "DeviceStatusDeviceFeatureListModel.h"

#include "DeviceStatusInterfaceFeatureDisplayObject.h"
#include "DeviceStatusInterfaceObject.h"

#include <algorithm>

DeviceStatusDeviceFeatureListModel::DeviceStatusDeviceFeatureListModel(QObject *parent)
    : QAbstractListModel(parent)
{
}

void DeviceStatusDeviceFeatureListModel::setDevice(DeviceStatusInterfaceObject *pDevice)
{
    beginResetModel();
    m_pDevice = pDevice;
    m_rows.clear();
    if (pDevice) {
        QList<DeviceStatusInterfaceFeatureDisplayObject *> rows = pDevice->rows();
        // The array's rows come in the order their answers arrived; they
        // read in a fixed order. Equal orders keep their arrival order.
        if (pDevice->kind() == DeviceStatusInterfaceObject::Ventra) {
            std::stable_sort(rows.begin(), rows.end(),
                             [](const DeviceStatusInterfaceFeatureDisplayObject *pLeft,
                                const DeviceStatusInterfaceFeatureDisplayObject *pRight) {
                                 return pLeft->order() < pRight->order();
                             });
        }
        for (DeviceStatusInterfaceFeatureDisplayObject *pRow : std::as_const(rows))
            m_rows.append(pRow);
    }
    endResetModel();
}

QList<DeviceStatusInterfaceFeatureDisplayObject *> DeviceStatusDeviceFeatureListModel::rows() const
{
    QList<DeviceStatusInterfaceFeatureDisplayObject *> rows;
    for (const auto &pRow : m_rows)
        rows.append(pRow.data());
    return rows;
}

int DeviceStatusDeviceFeatureListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

QVariant DeviceStatusDeviceFeatureListModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.parent().isValid() || index.column() != 0 || index.row() < 0
        || index.row() >= m_rows.size())
        return QVariant();
    const DeviceStatusInterfaceFeatureDisplayObject *pRow = m_rows.at(index.row());
    if (!pRow)
        return QVariant();
    switch (role) {
    case DisplayTypeRole:
        return displayTypeName(pRow->displayType());
    case DisplayNameRole:
        return pRow->displayName();
    case DisplayValueRole:
        return pRow->displayValue();
    case IndicatorColorRole:
        return indicatorColorName(pRow->indicatorColor());
    case ErrorCodeRole:
        return pRow->errorCode();
    case ErrorDisplayValueRole:
        return pRow->errorDisplayValue();
    default:
        return QVariant();
    }
}

QHash<int, QByteArray> DeviceStatusDeviceFeatureListModel::roleNames() const
{
    return {
        {DisplayTypeRole, "displayType"},
        {DisplayNameRole, "displayName"},
        {DisplayValueRole, "displayValue"},
        {IndicatorColorRole, "indicatorColor"},
        {ErrorCodeRole, "errorCode"},
        {ErrorDisplayValueRole, "errorDisplayValue"},
    };
}

QString DeviceStatusDeviceFeatureListModel::displayTypeName(int type)
{
    switch (type) {
    case 0:
        return QStringLiteral("typeIndicator");
    case 1:
        return QStringLiteral("typeText");
    case 2:
        return QStringLiteral("typeError");
    case 3:
        return QStringLiteral("typeWarning");
    case 4:
        return QStringLiteral("typeHeader");
    default:
        return QString();
    }
}

QString DeviceStatusDeviceFeatureListModel::indicatorColorName(int colour)
{
    switch (colour) {
    case 0:
        return QStringLiteral("red");
    case 1:
        return QStringLiteral("orange");
    case 2:
        return QStringLiteral("yellow");
    case 3:
        return QStringLiteral("gray");
    case 4:
        return QStringLiteral("green");
    default:
        return QStringLiteral("black");
    }
}
