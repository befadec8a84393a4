#include "VrTest.h"

#include "devicestatus/DeviceStatusDeviceFeatureListModel.h"
#include "devicestatus/DeviceStatusDeviceListModel.h"
#include "devicestatus/DeviceStatusInterfaceFeatureDisplayObject.h"
#include "devicestatus/DeviceStatusInterfaceObject.h"
#include "devicestatus/DeviceStatusProxyListModel.h"
#include "devicestatus/PieChartSliceData.h"

#include <QAbstractItemModelTester>
#include <QPointer>
#include <QSignalSpy>

#include <memory>
#include <vector>

namespace {

// Devices made without a network: a kind, a name and a state.
struct Devices
{
    QObject owner;
    QList<DeviceStatusInterfaceObject *> list;

    DeviceStatusInterfaceObject *add(const QString &kind, const QString &name, int state)
    {
        auto *pDevice = new DeviceStatusInterfaceObject(&owner);
        pDevice->setDeviceType(kind);
        pDevice->setName(name);
        pDevice->setAddress(QStringLiteral("127.0.0.1"));
        if (state != 0)
            pDevice->mergeNetworkState(state);
        list.append(pDevice);
        return pDevice;
    }
};

// Kind and state of each device, "V7" for a Connected array, "A3" for an
// amplifier with a fault.
void addAll(Devices &devices, const QString &spec)
{
    int n = 0;
    for (const QString &entry : spec.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        const QString kind = entry.startsWith(QLatin1Char('V')) ? QStringLiteral("Ventra")
                             : entry.startsWith(QLatin1Char('A')) ? QStringLiteral("ARX")
                                                                  : QStringLiteral("Other");
        devices.add(kind, QStringLiteral("Device %1").arg(++n), entry.mid(1).toInt());
    }
}

QString sliceText(const DeviceStatusProxyListModel::SliceList &slices)
{
    QStringList parts;
    for (const auto &pSlice : slices)
        parts.append(QStringLiteral("%1=%2").arg(pSlice->label()).arg(pSlice->value()));
    return parts.join(QLatin1String(", "));
}

int roleOf(const QAbstractItemModel &model, const QByteArray &name)
{
    return model.roleNames().key(name, -1);
}

QVariant value(const QAbstractItemModel &model, int row, const QByteArray &name)
{
    return model.index(row, 0).data(roleOf(model, name));
}

QStringList column(const QAbstractItemModel &model, const QByteArray &name)
{
    QStringList values;
    for (int row = 0; row < model.rowCount(); ++row)
        values.append(value(model, row, name).toString());
    return values;
}

} // namespace

class TestDeviceStatusModels : public QObject
{
    Q_OBJECT

private slots:
    void deviceRolesByName();
    void featureRolesByName();
    void invalidIndexesGiveNothing();
    void modelTesterOverAllThree();
    void slicesAndCounts_data();
    void slicesAndCounts();
    void filters_data();
    void filters();
    void sortedByGravity();
    void foundSignalsOnChangeOnly();
    void expandedFlags_data();
    void expandedFlags();
    void invalidCollapseIndexIgnored();
    void arrayRowsSortedAmplifierRowsAsBuilt();
    void earlierChildModelsAndRowsReleased();
    void deletedDeviceShowsNothing();
};

void TestDeviceStatusModels::deviceRolesByName()
{
    Devices devices;
    DeviceStatusInterfaceObject *pAmp = devices.add(QStringLiteral("ARX"), QStringLiteral("Amp"), 3);
    pAmp->setAddress(QStringLiteral("127.0.0.1"));
    DeviceStatusDeviceListModel model;
    model.setDevices(devices.list, true);

    const QList<QByteArray> names = {"displayTitle", "networkState", "enumNetworkState", "isExpanded",
                                     "childModel", "enumDeviceType", "ipAddress", "statusMessage",
                                     "deviceStatusImageForSplitView", "object", "networkStatusColor",
                                     "secondaryText"};
    // The role numbers run from 257 in the table's order.
    for (int i = 0; i < names.size(); ++i)
        QCOMPARE(roleOf(model, names.at(i)), 257 + i);
    QCOMPARE(model.roleNames().size(), 12);

    QCOMPARE(value(model, 0, "displayTitle").toString(), QStringLiteral("Amp"));
    QCOMPARE(value(model, 0, "networkState").toString(), QStringLiteral("Fault Detected"));
    QCOMPARE(value(model, 0, "enumNetworkState").toInt(), 3);
    QCOMPARE(value(model, 0, "isExpanded").toBool(), false);
    QCOMPARE(value(model, 0, "childModel").value<QObject *>(), model.childModelAt(0));
    QVERIFY(qobject_cast<DeviceStatusDeviceFeatureListModel *>(
        value(model, 0, "childModel").value<QObject *>()));
    QCOMPARE(value(model, 0, "enumDeviceType").toInt(), 2);
    QCOMPARE(value(model, 0, "ipAddress").toString(), QStringLiteral("127.0.0.1"));
    QCOMPARE(value(model, 0, "statusMessage").toString(), QString());
    QCOMPARE(value(model, 0, "deviceStatusImageForSplitView").toString(), QString());
    QCOMPARE(value(model, 0, "object").value<QObject *>(), pAmp);
    QCOMPARE(value(model, 0, "networkStatusColor").toString(), QStringLiteral("#cf000f"));
    QCOMPARE(value(model, 0, "secondaryText").toString(), QString());

    // A device that cannot be reached says why and shows its picture.
    DeviceStatusInterfaceObject *pArray =
        devices.add(QStringLiteral("Ventra"), QStringLiteral("Array"), 2);
    model.setDevices(devices.list, true);
    QCOMPARE(value(model, 1, "object").value<QObject *>(), pArray);
    QCOMPARE(value(model, 1, "networkState").toString(), QStringLiteral("Device Unreachable"));
    QVERIFY(value(model, 1, "statusMessage").toString().startsWith(QStringLiteral("Unable to connect")));
    QCOMPARE(value(model, 1, "deviceStatusImageForSplitView").toString(),
             QStringLiteral("qrc:/images/warning.png"));
    QCOMPARE(value(model, 1, "enumDeviceType").toInt(), 1);
}

void TestDeviceStatusModels::featureRolesByName()
{
    Devices devices;
    DeviceStatusInterfaceObject *pAmp = devices.add(QStringLiteral("ARX"), QStringLiteral("Amp"), 7);
    pAmp->addIndicatorRow(QStringLiteral("Output Clip"), 0, 1);
    pAmp->addTextRow(QStringLiteral("Active Source"), QStringLiteral("Dante"), 1);
    pAmp->addWarningTextRow(QStringLiteral("Firmware Version"), QStringLiteral("1.50"),
                            QStringLiteral("Firmaware update recommended"), 0);
    pAmp->addIndicatorRow(QStringLiteral("Fault"), 4, 1);
    pAmp->addIndicatorRow(QStringLiteral("Odd"), 9, 1);
    DeviceStatusDeviceFeatureListModel model;
    model.setDevice(pAmp);

    const QList<QByteArray> names = {"displayType", "displayName", "displayValue",
                                     "indicatorColor", "errorCode", "errorDisplayValue"};
    for (int i = 0; i < names.size(); ++i)
        QCOMPARE(roleOf(model, names.at(i)), 257 + i);
    QCOMPARE(model.roleNames().size(), 6);

    QCOMPARE(model.rowCount(), 5);
    QCOMPARE(column(model, "displayType"),
             QStringList({"typeIndicator", "typeText", "typeWarning", "typeIndicator", "typeIndicator"}));
    QCOMPARE(column(model, "displayName"),
             QStringList({"Output Clip", "Active Source", "Firmware Version", "Fault", "Odd"}));
    QCOMPARE(value(model, 1, "displayValue").toString(), QStringLiteral("Dante"));
    QCOMPARE(value(model, 2, "errorDisplayValue").toString(), QStringLiteral("Firmaware update recommended"));
    QCOMPARE(value(model, 0, "indicatorColor").toString(), QStringLiteral("red"));
    QCOMPARE(value(model, 3, "indicatorColor").toString(), QStringLiteral("green"));
    QCOMPARE(value(model, 4, "indicatorColor").toString(), QStringLiteral("black"));
    QCOMPARE(value(model, 0, "errorCode").toString(), QString());

    // Every colour and type by its name.
    QCOMPARE(DeviceStatusDeviceFeatureListModel::indicatorColorName(1), QStringLiteral("orange"));
    QCOMPARE(DeviceStatusDeviceFeatureListModel::indicatorColorName(2), QStringLiteral("yellow"));
    QCOMPARE(DeviceStatusDeviceFeatureListModel::indicatorColorName(3), QStringLiteral("gray"));
    QCOMPARE(DeviceStatusDeviceFeatureListModel::indicatorColorName(-1), QStringLiteral("black"));
    QCOMPARE(DeviceStatusDeviceFeatureListModel::displayTypeName(2), QStringLiteral("typeError"));
    QCOMPARE(DeviceStatusDeviceFeatureListModel::displayTypeName(4), QStringLiteral("typeHeader"));
    QCOMPARE(DeviceStatusDeviceFeatureListModel::displayTypeName(5), QString());
}

void TestDeviceStatusModels::invalidIndexesGiveNothing()
{
    Devices devices;
    DeviceStatusInterfaceObject *pAmp = devices.add(QStringLiteral("ARX"), QStringLiteral("Amp"), 7);
    pAmp->addIndicatorRow(QStringLiteral("Fault"), 4, 1);
    DeviceStatusDeviceListModel model;
    model.setDevices(devices.list, true);
    const int title = roleOf(model, "displayTitle");

    QVERIFY(!model.data(QModelIndex(), title).isValid());
    QVERIFY(!model.data(model.index(0, 0), Qt::DisplayRole).isValid());
    QVERIFY(!model.data(model.index(0, 0), 269).isValid());
    QVERIFY(!model.data(model.index(1, 0), title).isValid());
    // An index made for a row the model does not have.
    DeviceStatusDeviceListModel other;
    other.setDevices(devices.list + devices.list, true);
    QVERIFY(!model.data(other.index(1, 0), title).isValid());
    QCOMPARE(model.rowCount(model.index(0, 0)), 0);

    DeviceStatusDeviceFeatureListModel *pChild = model.childModelAt(0);
    QVERIFY(!pChild->data(pChild->index(1, 0), 258).isValid());
    QVERIFY(!pChild->data(pChild->index(0, 0), 263).isValid());
    QCOMPARE(pChild->data(pChild->index(0, 0), 258).toString(), QStringLiteral("Fault"));
    QCOMPARE(pChild->rowCount(pChild->index(0, 0)), 0);
}

void TestDeviceStatusModels::modelTesterOverAllThree()
{
    Devices devices;
    addAll(devices, QStringLiteral("V7 A3 A7 A5 X0"));
    devices.list.at(1)->addIndicatorRow(QStringLiteral("Fault"), 0, 1);
    DeviceStatusDeviceListModel source;
    DeviceStatusProxyListModel proxy;
    QAbstractItemModelTester sourceTester(&source, QAbstractItemModelTester::FailureReportingMode::QtTest);
    QAbstractItemModelTester proxyTester(&proxy, QAbstractItemModelTester::FailureReportingMode::QtTest);
    proxy.setSourceModel(&source);
    proxy.updateFromDevices(devices.list, true);
    proxy.filterByARX(true);
    QCOMPARE(proxy.rowCount(), 3);
    proxy.updateCollapsePropertyForIndex(proxy.index(1, 0));
    proxy.filterByVentra(true);
    proxy.updateFromDevices(devices.list, true);
    proxy.updateFromDevices(devices.list, false);
    devices.add(QStringLiteral("Ventra"), QStringLiteral("Second"), 4);
    proxy.updateFromDevices(devices.list, false);
    QCOMPARE(proxy.rowCount(), 2);
    proxy.filterByVentra(false);
    QCOMPARE(proxy.rowCount(), 0);

    DeviceStatusDeviceFeatureListModel child;
    QAbstractItemModelTester childTester(&child, QAbstractItemModelTester::FailureReportingMode::QtTest);
    child.setDevice(devices.list.at(1));
    QCOMPARE(child.rowCount(), 1);
    child.setDevice(nullptr);
    QCOMPARE(child.rowCount(), 0);
}

void TestDeviceStatusModels::slicesAndCounts_data()
{
    QTest::addColumn<QString>("devices");
    QTest::addColumn<QString>("ventraCount");
    QTest::addColumn<QString>("arxCount");
    QTest::addColumn<bool>("ventraFound");
    QTest::addColumn<bool>("arxFound");
    QTest::addColumn<QString>("ventraSlices");
    QTest::addColumn<QString>("arxSlices");

    QTest::newRow("three amplifiers, one with a fault")
        << "A7 A3 A7" << "0" << "3" << false << true << "" << "Connected=2, Fault Detected=1";
    QTest::newRow("one array, connecting") << "V0" << "1" << "0" << true << false << "Connecting=1" << "";
    QTest::newRow("both kinds, slices by state name")
        << "A5 V2 A6 A5 V7 A2" << "2" << "4" << true << true << "Connected=1, Device Unreachable=1"
        << "Device Unreachable=1, Standby=2, Unknown Status=1";
    QTest::newRow("other kinds are not counted") << "X7 X3" << "0" << "0" << false << false << "" << "";
    QTest::newRow("none") << "" << "0" << "0" << false << false << "" << "";
}

void TestDeviceStatusModels::slicesAndCounts()
{
    QFETCH(QString, devices);
    Devices list;
    addAll(list, devices);
    DeviceStatusProxyListModel proxy;
    QSignalSpy slicesChanged(&proxy, &DeviceStatusProxyListModel::sliceDataChanged);
    proxy.updateFromDevices(list.list, true);

    QTEST(proxy.getVentraCount(), "ventraCount");
    QTEST(proxy.getARXCount(), "arxCount");
    QTEST(proxy.isVentraFound(), "ventraFound");
    QTEST(proxy.isARXFound(), "arxFound");
    QTEST(sliceText(proxy.ventraSliceList()), "ventraSlices");
    QTEST(sliceText(proxy.arxSliceList()), "arxSlices");
    QCOMPARE(slicesChanged.count(), 1);
    // Each slice carries its state's colour.
    for (const auto &pSlice : proxy.arxSliceList()) {
        if (pSlice->label() == QLatin1String("Connected"))
            QCOMPARE(pSlice->color(), QStringLiteral("#009944"));
        if (pSlice->label() == QLatin1String("Standby"))
            QCOMPARE(pSlice->color(), QStringLiteral("#f5c122"));
    }
    // QML reads the same slices through the list properties.
    QQmlListProperty<PieChartSliceData> arx = proxy.arxSlices();
    QCOMPARE(arx.count(&arx), proxy.arxSliceList().size());
    if (!proxy.arxSliceList().isEmpty())
        QCOMPARE(arx.at(&arx, 0), proxy.arxSliceList().first().data());
    QCOMPARE(arx.at(&arx, 99), nullptr);

    // A rebuild over the same devices gives the same figures, not twice
    // them.
    proxy.rebuildFromDevices(list.list);
    QTEST(proxy.getARXCount(), "arxCount");
    QTEST(sliceText(proxy.arxSliceList()), "arxSlices");
}

void TestDeviceStatusModels::filters_data()
{
    QTest::addColumn<QStringList>("calls");
    QTest::addColumn<QStringList>("titles");

    // Devices: 1 array "Device 1", amplifiers "Device 2" and "Device 3",
    // an other kind "Device 4".
    QTest::newRow("nothing chosen shows nothing") << QStringList() << QStringList();
    QTest::newRow("ARX") << QStringList{"arx:1"} << QStringList{"Device 3", "Device 2"};
    QTest::newRow("ARX then Ventra off") << QStringList{"arx:1", "ventra:0"} << QStringList();
    QTest::newRow("Ventra") << QStringList{"ventra:1"} << QStringList{"Device 1"};
    QTest::newRow("Ventra then ARX") << QStringList{"ventra:1", "arx:1"} << QStringList{"Device 3", "Device 2"};
    QTest::newRow("ARX off") << QStringList{"arx:1", "arx:0"} << QStringList();
}

void TestDeviceStatusModels::filters()
{
    QFETCH(QStringList, calls);
    Devices devices;
    addAll(devices, QStringLiteral("V7 A7 A3 X0"));
    DeviceStatusDeviceListModel source;
    DeviceStatusProxyListModel proxy;
    proxy.setSourceModel(&source);
    proxy.updateFromDevices(devices.list, true);
    for (const QString &call : calls) {
        const bool on = call.endsWith(QLatin1String(":1"));
        if (call.startsWith(QLatin1String("arx")))
            proxy.filterByARX(on);
        else
            proxy.filterByVentra(on);
    }
    QTEST(column(proxy, "displayTitle"), "titles");
    // The flags stay through the next refresh step.
    proxy.updateFromDevices(devices.list, true);
    QTEST(column(proxy, "displayTitle"), "titles");
}

void TestDeviceStatusModels::sortedByGravity()
{
    Devices devices;
    addAll(devices, QStringLiteral("A7 A5 A0 A3 A2 A6 A4 A1"));
    DeviceStatusDeviceListModel source;
    DeviceStatusProxyListModel proxy;
    proxy.setSourceModel(&source);
    proxy.updateFromDevices(devices.list, true);
    proxy.filterByARX(true);
    QCOMPARE(column(proxy, "enumNetworkState"),
             QStringList({"0", "1", "2", "3", "4", "5", "6", "7"}));
    QCOMPARE(value(proxy, 0, "networkState").toString(), QStringLiteral("Connecting"));
    QCOMPARE(value(proxy, 7, "networkState").toString(), QStringLiteral("Connected"));
}

void TestDeviceStatusModels::foundSignalsOnChangeOnly()
{
    Devices arrays;
    addAll(arrays, QStringLiteral("V7"));
    Devices both;
    addAll(both, QStringLiteral("V7 A7"));
    DeviceStatusProxyListModel proxy;
    QSignalSpy ventraFound(&proxy, &DeviceStatusProxyListModel::isVentraFoundChanged);
    QSignalSpy arxFound(&proxy, &DeviceStatusProxyListModel::isARXFoundChanged);

    proxy.updateFromDevices(arrays.list, true);
    QCOMPARE(ventraFound.count(), 1);
    QCOMPARE(arxFound.count(), 0);
    proxy.updateFromDevices(arrays.list, true);
    QCOMPARE(ventraFound.count(), 1);
    proxy.updateFromDevices(both.list, true);
    QCOMPARE(ventraFound.count(), 1);
    QCOMPARE(arxFound.count(), 1);
    QVERIFY(proxy.isARXFound());
    proxy.updateFromDevices({}, true);
    QCOMPARE(ventraFound.count(), 2);
    QCOMPARE(arxFound.count(), 2);
    QVERIFY(!proxy.isVentraFound());
}

void TestDeviceStatusModels::expandedFlags_data()
{
    QTest::addColumn<QList<int>>("toggles");
    QTest::addColumn<QString>("expanded");

    // Amplifiers listed by state: Device 2 (3), Device 3 (5), Device 1 (7).
    QTest::newRow("none") << QList<int>() << "000";
    QTest::newRow("first row") << QList<int>{0} << "100";
    QTest::newRow("first row twice") << QList<int>{0, 0} << "000";
    QTest::newRow("last and middle") << QList<int>{2, 1} << "011";
}

void TestDeviceStatusModels::expandedFlags()
{
    QFETCH(QList<int>, toggles);
    Devices devices;
    addAll(devices, QStringLiteral("A7 A3 A5"));
    DeviceStatusDeviceListModel source;
    DeviceStatusProxyListModel proxy;
    proxy.setSourceModel(&source);
    proxy.updateFromDevices(devices.list, true);
    proxy.filterByARX(true);
    QSignalSpy changed(&proxy, &QAbstractItemModel::dataChanged);

    for (int row : toggles) {
        changed.clear();
        proxy.updateCollapsePropertyForIndex(proxy.index(row, 0));
        // The proxy names the expanded role for the row it was given.
        bool named = false;
        for (const QList<QVariant> &args : std::as_const(changed)) {
            if (args.at(0).toModelIndex() == proxy.index(row, 0)
                && args.at(2).value<QList<int>>() == QList<int>{260})
                named = true;
        }
        QVERIFY(named);
    }
    QString expanded;
    for (int row = 0; row < proxy.rowCount(); ++row)
        expanded += value(proxy, row, "isExpanded").toBool() ? QLatin1Char('1') : QLatin1Char('0');
    QTEST(expanded, "expanded");

    // A completed refresh step folds every row again.
    proxy.updateFromDevices(devices.list, true);
    for (int row = 0; row < proxy.rowCount(); ++row)
        QVERIFY(!value(proxy, row, "isExpanded").toBool());
    for (const DeviceStatusInterfaceObject *pDevice : std::as_const(devices.list))
        QVERIFY(!pDevice->isExpanded());
}

void TestDeviceStatusModels::invalidCollapseIndexIgnored()
{
    Devices devices;
    addAll(devices, QStringLiteral("A7"));
    DeviceStatusDeviceListModel source;
    DeviceStatusProxyListModel proxy;
    proxy.setSourceModel(&source);
    proxy.updateFromDevices(devices.list, true);
    proxy.filterByARX(true);
    QSignalSpy changed(&proxy, &QAbstractItemModel::dataChanged);

    proxy.updateCollapsePropertyForIndex(QModelIndex());
    // An index of the source model, not of the proxy.
    proxy.updateCollapsePropertyForIndex(source.index(0, 0));
    source.toggleExpanded(QModelIndex());
    QCOMPARE(changed.count(), 0);
    QVERIFY(!devices.list.first()->isExpanded());

    // Without a device list model behind it nothing is toggled either.
    DeviceStatusProxyListModel bare;
    bare.updateCollapsePropertyForIndex(proxy.index(0, 0));
    QVERIFY(!devices.list.first()->isExpanded());
}

void TestDeviceStatusModels::arrayRowsSortedAmplifierRowsAsBuilt()
{
    Devices devices;
    DeviceStatusInterfaceObject *pArray = devices.add(QStringLiteral("Ventra"), QStringLiteral("Array"), 7);
    pArray->addIndicatorRow(QStringLiteral("Driver Faults"), 4, 17);
    pArray->addTextRow(QStringLiteral("Firmware Version"), QStringLiteral("1.60"), 0);
    pArray->addStandbyRow(QStringLiteral("Standby Status"), QStringLiteral("0"), 1);
    pArray->addIndicatorRow(QStringLiteral("Warning"), 4, 15);
    pArray->addTextRow(QStringLiteral("Module 1 Temperature"), QStringLiteral("45C / 113F"), 9);
    DeviceStatusInterfaceObject *pAmp = devices.add(QStringLiteral("ARX"), QStringLiteral("Amp"), 7);
    pAmp->addIndicatorRow(QStringLiteral("Output Signal"), 4, 1);
    pAmp->addStandbyRow(QStringLiteral("Standby Status"), QStringLiteral("0"), 0);
    pAmp->addIndicatorRow(QStringLiteral("Fault"), 4, 1);

    DeviceStatusDeviceFeatureListModel arrayRows;
    arrayRows.setDevice(pArray);
    QCOMPARE(column(arrayRows, "displayName"),
             QStringList({"Firmware Version", "Standby Status", "Module 1 Temperature", "Warning",
                          "Driver Faults"}));
    DeviceStatusDeviceFeatureListModel ampRows;
    ampRows.setDevice(pAmp);
    QCOMPARE(column(ampRows, "displayName"), QStringList({"Output Signal", "Standby Status", "Fault"}));
}

// The child models of a rebuild, and the rows their devices dropped, go
// once the next rebuild has replaced them.
void TestDeviceStatusModels::earlierChildModelsAndRowsReleased()
{
    Devices devices;
    DeviceStatusInterfaceObject *pAmp = devices.add(QStringLiteral("ARX"), QStringLiteral("Amp"), 7);
    pAmp->addIndicatorRow(QStringLiteral("Fault"), 4, 1);
    DeviceStatusDeviceListModel model;
    model.setDevices(devices.list, true);
    const QPointer<DeviceStatusDeviceFeatureListModel> pFirst = model.childModelAt(0);
    const QPointer<DeviceStatusInterfaceFeatureDisplayObject> pOldRow = pAmp->rows().value(0);
    QVERIFY(pFirst && pOldRow);

    // The same rows stay while the device keeps them.
    model.setDevices(devices.list, true);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(!pFirst);
    QVERIFY(pOldRow);
    QCOMPARE(model.childModelAt(0)->rowCount(), 1);

    // A new refresh drops the device's rows; the next rebuild releases them.
    pAmp->reset();
    pAmp->addIndicatorRow(QStringLiteral("Warning"), 4, 1);
    model.setDevices(devices.list, true);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(!pOldRow);
    QCOMPARE(pAmp->findChildren<DeviceStatusDeviceFeatureListModel *>().size(), 1);
    QCOMPARE(pAmp->findChildren<DeviceStatusInterfaceFeatureDisplayObject *>().size(), 1);
    QCOMPARE(value(*model.childModelAt(0), 0, "displayName").toString(), QStringLiteral("Warning"));
}

void TestDeviceStatusModels::deletedDeviceShowsNothing()
{
    Devices devices;
    addAll(devices, QStringLiteral("A7 A3"));
    DeviceStatusDeviceListModel model;
    model.setDevices(devices.list, true);
    delete devices.list.takeFirst();
    QCOMPARE(model.rowCount(), 2);
    QVERIFY(!value(model, 0, "displayTitle").isValid());
    QCOMPARE(value(model, 1, "displayTitle").toString(), QStringLiteral("Device 2"));
}

VR_TEST_MAIN(TestDeviceStatusModels)
#include "tst_devicestatusmodels.moc"
