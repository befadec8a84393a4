#include "VrTest.h"

#include "devices/HAudioIO.h"
#include "devices/HChassis.h"
#include "devices/HDXRLink.h"
#include "devices/HDante.h"
#include "devices/HNodeFactory.h"

#include <memory>

class TestHNodeFactory : public QObject
{
    Q_OBJECT

private slots:
    void classTable_data();
    void classTable();
    void cards_data();
    void cards();
    void chassisKinds();
    void nodeRegisteredFromAbove();
};

void TestHNodeFactory::classTable_data()
{
    QTest::addColumn<QString>("className");
    QTest::addColumn<QString>("nodeClass"); // empty: no node

    const QStringList chassis = {"DXR", "CinderDxr", "Wren", "Kestrel", "Osprey", "Heron", "Plover"};
    for (const QString &name : chassis)
        QTest::newRow(qPrintable(name)) << name << "HChassis";
    const QStringList cards = {"Input", "Output", "PstnRx", "PstnTx", "VoipRx",
                               "VoipTx", "UsbRx", "UsbTx"};
    for (const QString &name : cards)
        QTest::newRow(qPrintable(name)) << name << "HAudioIO";
    QTest::newRow("DXRLinkTx") << "DXRLinkTx" << "HDXRLink";
    QTest::newRow("Vexlink") << "Vexlink" << "HDXRLink";
    QTest::newRow("DanteRx") << "DanteRx" << "HDante";
    QTest::newRow("DanteTx") << "DanteTx" << "HDante";
    const QStringList none = {"", "Finch", "Serialin", "Serialout", "GPO", "GPI", "DeviceNode"};
    for (const QString &name : none)
        QTest::newRow(qPrintable(QStringLiteral("no node: ") + name)) << name << "";
    QTest::newRow("Group") << "Group" << "HGroup";
    QTest::newRow("RCGroup") << "RCGroup" << "HRCGroup";
    QTest::newRow("RCRoom") << "RCRoom" << "HRCRoom";
    QTest::newRow("RCGroupCombo") << "RCGroupCombo" << "HRCGroupCombo";
    QTest::newRow("ParameterSet") << "ParameterSet" << "HParameterSet";
    QTest::newRow("PanelList") << "PanelList" << "HParameterSetList";
    QTest::newRow("a block") << "Gain" << "HBlock";
    QTest::newRow("names are case-sensitive") << "input" << "HBlock";
    QTest::newRow("prefixes are the reader's business") << "Halvern.Quillon.Nodes.Wren" << "HBlock";
    QTest::newRow("serial in another case") << "SerialIn" << "HBlock";
}

void TestHNodeFactory::classTable()
{
    QFETCH(QString, className);
    QFETCH(QString, nodeClass);
    const std::unique_ptr<HNode> pNode(HNodeFactory().createNode(className, QStringLiteral("AIN-4")));
    if (nodeClass.isEmpty()) {
        QCOMPARE(pNode.get(), nullptr);
        return;
    }
    QVERIFY(pNode);
    QCOMPARE(QString::fromLatin1(pNode->metaObject()->className()), nodeClass);
    // Unattached, with the initial flags of its class.
    QCOMPARE(pNode->parentNode(), nullptr);
    const quint32 expectedFlags = HNode::PrunableFlag
                                  | (nodeClass == QLatin1String("HChassis") ? HNode::ChassisFlag : 0u);
    QCOMPARE(pNode->flags(), expectedFlags);
}

void TestHNodeFactory::cards_data()
{
    QTest::addColumn<QString>("className");
    QTest::addColumn<int>("direction");
    QTest::newRow("Input") << "Input" << 1;
    QTest::newRow("Output") << "Output" << 2;
    QTest::newRow("PstnRx") << "PstnRx" << 1;
    QTest::newRow("PstnTx") << "PstnTx" << 2;
    QTest::newRow("VoipRx") << "VoipRx" << 1;
    QTest::newRow("UsbTx") << "UsbTx" << 2;
    QTest::newRow("DanteRx") << "DanteRx" << 1;
    QTest::newRow("DanteTx") << "DanteTx" << 2;
    QTest::newRow("link") << "DXRLinkTx" << 3;
}

void TestHNodeFactory::cards()
{
    QFETCH(QString, className);
    const std::unique_ptr<HNode> pNode(HNodeFactory().createNode(className, QStringLiteral("CARD-X")));
    auto *pCard = qobject_cast<HAudioIO *>(pNode.get());
    QVERIFY(pCard);
    QTEST(pCard->direction(), "direction");
    // A link card has no card type of its own.
    QCOMPARE(pCard->cardType(), pCard->direction() == 3 ? QString() : QStringLiteral("CARD-X"));
}

void TestHNodeFactory::chassisKinds()
{
    const HNodeFactory factory;
    const std::unique_ptr<HNode> pArray(factory.createNode(QStringLiteral("Kestrel"), QString()));
    const std::unique_ptr<HNode> pProcessor(factory.createNode(QStringLiteral("DXR"), QString()));
    auto *pArrayChassis = qobject_cast<HChassis *>(pArray.get());
    auto *pProcessorChassis = qobject_cast<HChassis *>(pProcessor.get());
    QVERIFY(pArrayChassis && pProcessorChassis);
    QCOMPARE(pArrayChassis->platform(), QStringLiteral("Ventra"));
    QCOMPARE(pArrayChassis->serialPort(), QStringLiteral("49494"));
    QVERIFY(pArrayChassis->isStatusDevice());
    QCOMPARE(pProcessorChassis->platform(), QStringLiteral("DXR"));
    QVERIFY(!pProcessorChassis->isStatusDevice());
}

// A folder above devices makes its node class known by name; the name
// then gives that class instead of a block.
void TestHNodeFactory::nodeRegisteredFromAbove()
{
    const auto classOf = [](const char *className) {
        const std::unique_ptr<HNode> pNode(HNodeFactory().createNode(QString::fromLatin1(className), QString()));
        return pNode ? QString::fromLatin1(pNode->metaObject()->className()) : QString();
    };
    QCOMPARE(classOf("TestSite"), QStringLiteral("HBlock"));
    HNodeFactory::registerNode("TestSite", []() -> HNode * { return new HDXRLink; });
    QCOMPARE(classOf("TestSite"), QStringLiteral("HDXRLink"));
    QCOMPARE(classOf("testsite"), QStringLiteral("HBlock"));
    QCOMPARE(classOf("Group"), QStringLiteral("HGroup"));
    QCOMPARE(classOf("Gain"), QStringLiteral("HBlock"));
}

VR_TEST_MAIN(TestHNodeFactory)
#include "tst_hnodefactory.moc"
