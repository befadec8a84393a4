#include "DeviceStatusProxyListModel.h"

#include "DeviceStatusDeviceListModel.h"
#include "DeviceStatusInterfaceObject.h"

#include <QDebug>
#include <QMap>
#include <QQmlEngine>

namespace {

using SliceMap = QMap<QString, QSharedPointer<PieChartSliceData>>;

void countState(SliceMap &slices, const DeviceStatusInterfaceObject *pDevice)
{
    const QString state = pDevice->networkStateName();
    auto found = slices.find(state);
    if (found != slices.end()) {
        (*found)->setValue((*found)->value() + 1.0);
        return;
    }
    // A view may still be painting the slices of the rebuild before.
    QSharedPointer<PieChartSliceData> pSlice(new PieChartSliceData, &QObject::deleteLater);
    QQmlEngine::setObjectOwnership(pSlice.data(), QQmlEngine::CppOwnership);
    pSlice->setLabel(state);
    pSlice->setValue(1.0);
    pSlice->setColor(pDevice->networkStateColor());
    slices.insert(state, pSlice);
}

} // namespace

DeviceStatusProxyListModel::DeviceStatusProxyListModel(QObject *parent)
    : QSortFilterProxyModel(parent)
{
    sort(0, Qt::AscendingOrder);
}

QQmlListProperty<PieChartSliceData> DeviceStatusProxyListModel::arxSlices()
{
    return QQmlListProperty<PieChartSliceData>(this, &m_arxSlices, &sliceCount, &sliceAt);
}

QQmlListProperty<PieChartSliceData> DeviceStatusProxyListModel::ventraSlices()
{
    return QQmlListProperty<PieChartSliceData>(this, &m_ventraSlices, &sliceCount, &sliceAt);
}

qsizetype DeviceStatusProxyListModel::sliceCount(QQmlListProperty<PieChartSliceData> *pList)
{
    return static_cast<SliceList *>(pList->data)->size();
}

PieChartSliceData *DeviceStatusProxyListModel::sliceAt(QQmlListProperty<PieChartSliceData> *pList,
                                                      qsizetype index)
{
    const auto *pSlices = static_cast<SliceList *>(pList->data);
    return index >= 0 && index < pSlices->size() ? pSlices->at(index).data() : nullptr;
}

void DeviceStatusProxyListModel::updateFromDevices(const QList<DeviceStatusInterfaceObject *> &devices,
                                                   bool force)
{
    for (DeviceStatusInterfaceObject *pDevice : devices) {
        if (pDevice)
            pDevice->setExpanded(false);
    }
    if (force || (m_ventraSlices.isEmpty() && m_arxSlices.isEmpty()))
        rebuildFromDevices(devices);
    if (auto *pSource = qobject_cast<DeviceStatusDeviceListModel *>(sourceModel()))
        pSource->setDevices(devices, force);
}

void DeviceStatusProxyListModel::rebuildFromDevices(const QList<DeviceStatusInterfaceObject *> &devices)
{
    bool isARXFound = false;
    bool isVentraFound = false;
    m_ventraCount = 0;
    m_arxCount = 0;
    SliceMap ventra;
    SliceMap arx;
    for (const DeviceStatusInterfaceObject *pDevice : devices) {
        if (!pDevice)
            continue;
        if (pDevice->kind() == DeviceStatusInterfaceObject::Ventra) {
            isVentraFound = true;
            ++m_ventraCount;
            countState(ventra, pDevice);
        } else if (pDevice->kind() == DeviceStatusInterfaceObject::Arx) {
            isARXFound = true;
            ++m_arxCount;
            countState(arx, pDevice);
        }
    }
    // The map orders the slices by state name.
    m_ventraSlices = ventra.values();
    m_arxSlices = arx.values();

    // The QML picks the kind to show when these change.
    const bool ventraChanged = isVentraFound != m_isVentraFound;
    const bool arxChanged = isARXFound != m_isARXFound;
    m_isVentraFound = isVentraFound;
    m_isARXFound = isARXFound;
    emit sliceDataChanged();
    if (ventraChanged)
        emit isVentraFoundChanged();
    if (arxChanged)
        emit isARXFoundChanged();
}

bool DeviceStatusProxyListModel::filterAcceptsRow(int sourceRow, const QModelIndex &sourceParent) const
{
    if (!sourceModel())
        return false;
    const QModelIndex index = sourceModel()->index(sourceRow, 0, sourceParent);
    if (!index.isValid()) {
        qDebug() << "Invalid index at sourceRow:" << sourceRow;
        return false;
    }
    switch (index.data(DeviceStatusDeviceListModel::EnumDeviceTypeRole).toInt()) {
    case DeviceStatusInterfaceObject::Ventra:
        return m_isVentraFilter;
    case DeviceStatusInterfaceObject::Arx:
        return m_isARXFilter;
    default:
        return false;
    }
}

bool DeviceStatusProxyListModel::lessThan(const QModelIndex &left, const QModelIndex &right) const
{
    return left.data(DeviceStatusDeviceListModel::EnumNetworkStateRole).toInt()
           < right.data(DeviceStatusDeviceListModel::EnumNetworkStateRole).toInt();
}

void DeviceStatusProxyListModel::filterByVentra(bool isSelected)
{
    qDebug() << "Applying filterByVentra with isSelected:" << (isSelected ? "true" : "false");
    m_isARXFilter = false;
    m_isVentraFilter = isSelected;
    invalidateFilter();
}

void DeviceStatusProxyListModel::filterByARX(bool isSelected)
{
    m_isVentraFilter = false;
    m_isARXFilter = isSelected;
    invalidateFilter();
}

void DeviceStatusProxyListModel::updateCollapsePropertyForIndex(const QModelIndex &index)
{
    auto *pSource = qobject_cast<DeviceStatusDeviceListModel *>(sourceModel());
    if (!pSource || !index.isValid() || index.model() != this)
        return;
    const QModelIndex sourceIndex = mapToSource(index);
    if (!sourceIndex.isValid())
        return;
    pSource->toggleExpanded(sourceIndex);
    // The source's change may have moved the row: find it again.
    const QModelIndex proxyIndex = mapFromSource(sourceIndex);
    if (proxyIndex.isValid())
        emit dataChanged(proxyIndex, proxyIndex, {DeviceStatusDeviceListModel::IsExpandedRole});
}
