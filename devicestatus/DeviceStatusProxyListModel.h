#pragma once

#include "PieChartSliceData.h"

#include <QList>
#include <QQmlListProperty>
#include <QSharedPointer>
#include <QSortFilterProxyModel>

class DeviceStatusInterfaceObject;

// What the dashboard's QML lists: the devices of one kind at a time (the
// loudspeaker array or the ARX amplifiers), gravest state first, with the
// number of devices of each kind and a pie of their states per kind.
class DeviceStatusProxyListModel : public QSortFilterProxyModel
{
    Q_OBJECT
    Q_PROPERTY(bool isARXFound READ isARXFound NOTIFY isARXFoundChanged)
    Q_PROPERTY(bool isVentraFound READ isVentraFound NOTIFY isVentraFoundChanged)
    Q_PROPERTY(QQmlListProperty<PieChartSliceData> arxSlices READ arxSlices NOTIFY sliceDataChanged)
    Q_PROPERTY(QQmlListProperty<PieChartSliceData> ventraSlices READ ventraSlices NOTIFY sliceDataChanged)

public:
    using SliceList = QList<QSharedPointer<PieChartSliceData>>;

    explicit DeviceStatusProxyListModel(QObject *parent = nullptr);

    bool isARXFound() const { return m_isARXFound; }
    bool isVentraFound() const { return m_isVentraFound; }
    bool isVentraFilterOn() const { return m_isVentraFilter; }
    bool isARXFilterOn() const { return m_isARXFilter; }
    QQmlListProperty<PieChartSliceData> arxSlices();
    QQmlListProperty<PieChartSliceData> ventraSlices();
    const SliceList &arxSliceList() const { return m_arxSlices; }
    const SliceList &ventraSliceList() const { return m_ventraSlices; }

    // After a refresh step: every device collapses; with force (or before
    // the first slices) the counts and slices are rebuilt; the device list
    // model, when it is the source, takes the devices anew.
    void updateFromDevices(const QList<DeviceStatusInterfaceObject *> &devices, bool force);
    void rebuildFromDevices(const QList<DeviceStatusInterfaceObject *> &devices);

    // Only one kind is shown at a time: each call clears the other's flag.
    Q_INVOKABLE void filterByVentra(bool isSelected);
    Q_INVOKABLE void filterByARX(bool isSelected);
    // Opens or closes the device row at the index of this model.
    Q_INVOKABLE void updateCollapsePropertyForIndex(const QModelIndex &index);
    Q_INVOKABLE QString getVentraCount() const { return QString::number(m_ventraCount); }
    Q_INVOKABLE QString getARXCount() const { return QString::number(m_arxCount); }

signals:
    void isVentraFoundChanged();
    void isARXFoundChanged();
    void sliceDataChanged();

protected:
    bool filterAcceptsRow(int sourceRow, const QModelIndex &sourceParent) const override;
    bool lessThan(const QModelIndex &left, const QModelIndex &right) const override;

private:
    static qsizetype sliceCount(QQmlListProperty<PieChartSliceData> *pList);
    static PieChartSliceData *sliceAt(QQmlListProperty<PieChartSliceData> *pList, qsizetype index);

    bool m_isVentraFilter = false;
    bool m_isARXFilter = false;
    bool m_isARXFound = false;
    bool m_isVentraFound = false;
    int m_ventraCount = 0;
    int m_arxCount = 0;
    SliceList m_ventraSlices;
    SliceList m_arxSlices;
};
