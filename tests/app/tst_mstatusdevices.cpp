#include "VrTest.h"

#include "NodeProperties.h"
#include "TestDevices.h"
#include "app/MStatusDevices.h"
#include "devices/HChassis.h"
#include "devices/HRoot.h"
#include "devicestatus/DQmlDeviceStatusDialog.h"
#include "devicestatus/DeviceStatusInterfaceObject.h"

#include <QPointer>

class TestMStatusDevices : public QObject
{
    Q_OBJECT

private slots:
    void onlyStatusDevicesAreListed();
    void earlierListsAreReleased();
};

// The loudspeaker array is listed, as a child of its chassis; a processor
// is not, and no tree lists nothing.
void TestMStatusDevices::onlyStatusDevicesAreListed()
{
    DQmlDeviceStatusDialog dialog;
    MStatusDevices list(dialog);
    list.build(nullptr);
    QVERIFY(list.isEmpty());

    HRoot root;
    TestDevices::addLocalChassis(&root, QStringLiteral("Main"), 1);
    list.build(&root);
    QVERIFY(list.isEmpty());

    auto *pArray = new HChassis(QStringLiteral("Kestrel"));
    NodeProperties::read(*pArray, {"title=Ventra", "label=Array", "ipAddress=127.0.0.1"});
    root.addChild(pArray);
    list.build(&root);
    QCOMPARE(list.devices().size(), 1);
    const DeviceStatusInterfaceObject *pDevice = list.devices().first();
    QCOMPARE(pDevice->kind(), int(DeviceStatusInterfaceObject::Ventra));
    QCOMPARE(pDevice->name(), QStringLiteral("Array"));
    QCOMPARE(pDevice->address(), QStringLiteral("127.0.0.1"));
    QCOMPARE(pDevice->protocol(), pArray->protocol());
    QCOMPARE(pDevice->parent(), pArray);
}

// Each build makes new objects; those of the list before go, unless the
// dashboard still shows them.
void TestMStatusDevices::earlierListsAreReleased()
{
    HRoot root;
    auto *pArray = new HChassis(QStringLiteral("Kestrel"));
    NodeProperties::read(*pArray, {"title=Ventra", "label=Array", "ipAddress=127.0.0.1"});
    root.addChild(pArray);
    DQmlDeviceStatusDialog dialog;
    MStatusDevices list(dialog);

    list.build(&root);
    const QPointer<DeviceStatusInterfaceObject> pFirst = list.devices().value(0);
    QVERIFY(pFirst);
    list.build(&root);
    list.build(&root);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(!pFirst);
    QCOMPARE(list.devices().size(), 1);
    QCOMPARE(pArray->findChildren<DeviceStatusInterfaceObject *>().size(), 1);
}

VR_TEST_MAIN(TestMStatusDevices)
#include "tst_mstatusdevices.moc"
