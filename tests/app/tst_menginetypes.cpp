#include "VrTest.h"

#include "app/MEngineTypes.h"
#include "comms/PProtocol.h"
#include "comms/PProtocolFactory.h"
#include "controls/WWidgetFactory.h"
#include "devices/HNode.h"
#include "devices/HNodeFactory.h"

#include <QQmlComponent>
#include <QQmlEngine>

#include <memory>

// The program's start-up registration, in a process where nothing else
// registered: the factories know only their own folders' types before it,
// and every family's after it.
class TestMEngineTypes : public QObject
{
    Q_OBJECT

private slots:
    void everyFamilyRegistersAtStartUp();
};

namespace {

QString nodeClassOf(const QString &className)
{
    const std::unique_ptr<HNode> pNode(HNodeFactory().createNode(className, QString()));
    return pNode ? QString::fromLatin1(pNode->metaObject()->className()) : QString();
}

QString protocolOf(const QString &deviceType)
{
    const std::unique_ptr<PProtocol> pProtocol(PProtocolFactory().createProtocol(deviceType));
    return pProtocol ? pProtocol->protocolName() : QString();
}

bool qmlKnows(const QString &className)
{
    QQmlEngine engine;
    QQmlComponent component(&engine);
    component.setData(QStringLiteral("import %1\n%2 {}\n").arg(className.toLower(), className).toUtf8(), QUrl());
    const std::unique_ptr<QObject> object(component.isError() ? nullptr : component.create());
    return bool(object);
}

} // namespace

void TestMEngineTypes::everyFamilyRegistersAtStartUp()
{
    // Before: each factory answers for its own folder alone.
    QCOMPARE(WWidgetFactory::resourceOf(QStringLiteral("label")), QStringLiteral("qrc:/qmlcontrol/QmlLabel.qml"));
    QVERIFY(WWidgetFactory::resourceOf(QStringLiteral("button")).isEmpty());
    QVERIFY(WWidgetFactory::resourceOf(QStringLiteral("textlink")).isEmpty());
    QVERIFY(WWidgetFactory::resourceOf(QStringLiteral("roomselector")).isEmpty());
    QCOMPARE(nodeClassOf(QStringLiteral("RCRoom")), QStringLiteral("HBlock"));
    QCOMPARE(protocolOf(QStringLiteral("Ventra")), QString());
    QCOMPARE(protocolOf(QStringLiteral("DXR")), QStringLiteral("VDS"));
    QVERIFY(!qmlKnows(QStringLiteral("WButton")));

    MEngineTypes::registerAll();
    // A second start-up registers nothing twice.
    MEngineTypes::registerAll();

    QCOMPARE(WWidgetFactory::resourceOf(QStringLiteral("label")), QStringLiteral("qrc:/qmlcontrol/QmlLabel.qml"));
    QCOMPARE(WWidgetFactory::resourceOf(QStringLiteral("button")), QStringLiteral("qrc:/qmlcontrol/QmlButton.qml"));
    QCOMPARE(WWidgetFactory::resourceOf(QStringLiteral("textlink")),
             QStringLiteral("qrc:/qmlcontrol/QmlTextLink.qml"));
    QCOMPARE(WWidgetFactory::resourceOf(QStringLiteral("roomselector")),
             QStringLiteral("qrc:/qmlcontrol/QmlRoomSelector.qml"));
    QCOMPARE(nodeClassOf(QStringLiteral("RCGroup")), QStringLiteral("HRCGroup"));
    QCOMPARE(nodeClassOf(QStringLiteral("RCRoom")), QStringLiteral("HRCRoom"));
    QCOMPARE(nodeClassOf(QStringLiteral("RCGroupCombo")), QStringLiteral("HRCGroupCombo"));
    QCOMPARE(protocolOf(QStringLiteral("Ventra")), QStringLiteral("Ventra"));
    QCOMPARE(protocolOf(QStringLiteral("DXR")), QStringLiteral("VDS"));
    for (const char *className : {"WWidget", "WLabel", "WButton", "WTextLink", "WMeter", "WRoomSelection",
                                  "WActiveCombo"})
        QVERIFY2(qmlKnows(QString::fromLatin1(className)), className);
}

VR_TEST_MAIN_UNREGISTERED(TestMEngineTypes)
#include "tst_menginetypes.moc"
