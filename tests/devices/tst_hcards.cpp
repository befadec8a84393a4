#include "VrTest.h"

#include "NodeProperties.h"
#include "devices/HAudioIO.h"
#include "devices/HBlock.h"
#include "devices/HChassis.h"
#include "devices/HDXRLink.h"
#include "devices/HDante.h"

#include <memory>

class TestHCards : public QObject
{
    Q_OBJECT

private slots:
    void construction_data();
    void construction();
    void categorySearch_data();
    void categorySearch();
    void linkChannelLabels();
    void linkUnderInterfaceUnit_data();
    void linkUnderInterfaceUnit();
    void danteLabelsAndPins();
};

void TestHCards::construction_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("cardType");
    QTest::addColumn<int>("direction");
    QTest::addColumn<QString>("expectedType");
    QTest::addColumn<int>("expectedDirection");
    QTest::addColumn<QString>("category");

    QTest::newRow("analog input") << "io" << "Analog In" << 1 << "Analog In" << 1 << "Analog I/O";
    QTest::newRow("telephone output stays Analog I/O") << "io" << "PSTN" << 2 << "PSTN" << 2 << "Analog I/O";
    QTest::newRow("any VOIP name is VOIP") << "io" << "VOIP-2CH" << 1 << "VOIP" << 1 << "Analog I/O";
    QTest::newRow("VOIP exactly") << "io" << "VOIP" << 2 << "VOIP" << 2 << "Analog I/O";
    QTest::newRow("VoIP is another name") << "io" << "VoIP card" << 1 << "VoIP card" << 1 << "Analog I/O";
    QTest::newRow("subclass base") << "bare" << "" << 0 << "" << 0 << "";
    QTest::newRow("link card") << "link" << "" << 0 << "" << 3 << "Digital I/O";
    QTest::newRow("network-audio card keeps a VOIP name") << "dante" << "VOIP Dante" << 2 << "VOIP Dante" << 2
                                                          << "Dante I/O";
    QTest::newRow("network-audio card, no arguments") << "danteBare" << "" << 0 << "" << 0 << "Dante I/O";
}

void TestHCards::construction()
{
    QFETCH(QString, kind);
    QFETCH(QString, cardType);
    QFETCH(int, direction);

    std::unique_ptr<HAudioIO> pCard;
    if (kind == QLatin1String("io"))
        pCard = std::make_unique<HAudioIO>(cardType, direction);
    else if (kind == QLatin1String("bare"))
        pCard = std::make_unique<HAudioIO>();
    else if (kind == QLatin1String("link"))
        pCard = std::make_unique<HDXRLink>();
    else if (kind == QLatin1String("dante"))
        pCard = std::make_unique<HDante>(cardType, direction);
    else
        pCard = std::make_unique<HDante>();

    QTEST(pCard->cardType(), "expectedType");
    QTEST(pCard->direction(), "expectedDirection");
    QTEST(pCard->category(), "category");
    QTEST(pCard->getProperty(QStringLiteral("category")), "category");

    // Reading properties never changes the category.
    NodeProperties::read(*pCard, {"title=Dante 1", "label=Card", "nodeID=4"});
    QTEST(pCard->category(), "category");
}

// One device holding every kind of card and a block.
void TestHCards::categorySearch_data()
{
    QTest::addColumn<QString>("operation");
    QTest::addColumn<QString>("category");
    QTest::addColumn<QStringList>("found");

    const QString collect = QStringLiteral("collect");
    QTest::newRow("Analog I/O asks for every card")
        << collect << "Analog I/O" << QStringList{"input", "pstn", "usb", "link", "dante"};
    QTest::newRow("Digital I/O") << collect << "Digital I/O" << QStringList{"link"};
    QTest::newRow("Dante I/O") << collect << "Dante I/O" << QStringList{"dante"};
    QTest::newRow("any text beginning with Dante") << collect << "Dante" << QStringList{"dante"};
    QTest::newRow("PSTN I/O matches no card") << collect << "PSTN I/O" << QStringList();
    QTest::newRow("blocks are not cards") << collect << "Blocks" << QStringList{"gain"};
    QTest::newRow("append is exact: Analog I/O")
        << "append" << "Analog I/O" << QStringList{"input", "pstn", "usb"};
    QTest::newRow("append is exact: Digital I/O") << "append" << "Digital I/O" << QStringList{"link"};
}

void TestHCards::categorySearch()
{
    QFETCH(QString, operation);
    QFETCH(QString, category);

    HChassis device;
    auto add = [&device](HNode *pNode, const QString &name) {
        pNode->setObjectName(name);
        device.addChild(pNode);
    };
    add(new HAudioIO(QStringLiteral("Analog In"), HAudioIO::Input), QStringLiteral("input"));
    add(new HAudioIO(QStringLiteral("PSTN"), HAudioIO::Output), QStringLiteral("pstn"));
    add(new HAudioIO(QStringLiteral("USB"), HAudioIO::Output), QStringLiteral("usb"));
    add(new HBlock, QStringLiteral("gain"));
    add(new HDXRLink, QStringLiteral("link"));
    add(new HDante(QStringLiteral("Dante 16"), HAudioIO::Input), QStringLiteral("dante"));

    QList<HNode *> list;
    const bool any = operation == QLatin1String("collect") ? device.collectByCategory(category, &list)
                                                           : device.appendIfCategory(category, &list);
    QStringList names;
    for (const HNode *pNode : std::as_const(list))
        names.append(pNode->objectName());
    QTEST(names, "found");
    QCOMPARE(any, !names.isEmpty());
}

void TestHCards::linkChannelLabels()
{
    HDXRLink link;
    NodeProperties::read(link, {"label2=Stage", "label1=Booth", "label=Link A", "level1=0 @max=0 @min=-40",
                                "nodeID=12", "inputLabel1=In"});
    QCOMPARE(link.label(), QStringLiteral("Link A"));
    // File order, not the number in the name.
    QCOMPARE(link.channelLabels(), (QStringList{"Stage", "Booth"}));
    QCOMPARE(link.channelLabelAt(0), QStringLiteral("Link A-Stage"));
    QCOMPARE(link.channelLabelAt(1), QStringLiteral("Link A-Booth"));
    QVERIFY(link.channelLabelAt(2).isEmpty());
    QVERIFY(link.channelLabelAt(-1).isEmpty());
    QCOMPARE(link.indexOfChannelLabel(QStringLiteral("Booth")), 1);
    QCOMPARE(link.indexOfChannelLabel(QStringLiteral("Link A-Booth")), -1);
    QCOMPARE(link.rangeFor(QStringLiteral("level1")), QStringLiteral("0,-40"));
    QCOMPARE(link.nodeID(), 12); // other properties go to the node
    QCOMPARE(link.inputLabels(), QStringList{"In"});
    QCOMPARE(link.cardPinAt(0), -1);
}

void TestHCards::linkUnderInterfaceUnit_data()
{
    QTest::addColumn<QString>("parentKind");
    QTest::addColumn<QString>("deviceType");
    QTest::addColumn<QString>("label");

    QTest::newRow("interface unit ZRB") << "chassis" << "ZRB-100" << "Vexlink";
    QTest::newRow("interface unit IN") << "chassis" << "IN-4" << "Vexlink";
    QTest::newRow("processor") << "chassis" << "DXR-880" << "Link A";
    QTest::newRow("unknown device type") << "chassis" << "Widget" << "Link A";
    QTest::newRow("plain composite") << "composite" << "" << "Link A";
}

void TestHCards::linkUnderInterfaceUnit()
{
    QFETCH(QString, parentKind);
    QFETCH(QString, deviceType);

    std::unique_ptr<HComposite> pParent;
    if (parentKind == QLatin1String("chassis")) {
        auto pChassis = std::make_unique<HChassis>();
        pChassis->setDeviceType(deviceType);
        pParent = std::move(pChassis);
    } else {
        pParent = std::make_unique<HComposite>();
    }
    auto *pLink = new HDXRLink;
    NodeProperties::read(*pLink, {"label=Link A", "label1=Stage"});
    pParent->addChild(pLink); // placing comes after the properties
    QTEST(pLink->label(), "label");
    QFETCH(QString, label);
    QCOMPARE(pLink->channelLabelAt(0), label + QStringLiteral("-Stage"));
    QCOMPARE(pLink->parentNode(), pParent.get());
}

void TestHCards::danteLabelsAndPins()
{
    HDante dante(QStringLiteral("Dante 16"), HAudioIO::Output);
    NodeProperties::read(dante, {"label=Network", "label1=Ch A", "label2=Ch B", "label3=Ch C", "cardPin1=5",
                                 "cardPin2=pin", "cardPin3=-2", "level1=0 @max=1 @min=-1", "nodeID=8"});
    QCOMPARE(dante.label(), QStringLiteral("Network"));
    QCOMPARE(dante.channelLabelAt(1), QStringLiteral("Ch B")); // no card label in front
    QVERIFY(dante.channelLabelAt(3).isEmpty());
    QCOMPARE(dante.indexOfChannelLabel(QStringLiteral("Ch C")), 2);
    QCOMPARE(dante.indexOfChannelLabel(QStringLiteral("Ch D")), -1);
    // A pin that is no number keeps its place as "no pin".
    QCOMPARE(dante.cardPins(), (QList<int>{5, -1, -2}));
    QCOMPARE(dante.cardPinAt(0), 5);
    QCOMPARE(dante.cardPinAt(1), -1);
    QCOMPARE(dante.cardPinAt(3), -1);
    QCOMPARE(dante.cardPinAt(-1), -1);
    // Level ranges are the link card's, not the network-audio card's.
    QVERIFY(dante.rangeFor(QStringLiteral("level1")).isNull());
    QCOMPARE(dante.nodeID(), 8);

    // The network-audio card is never relabelled.
    HChassis unit;
    unit.setDeviceType(QStringLiteral("ZRB-100"));
    auto *pPlaced = new HDante;
    NodeProperties::read(*pPlaced, {"label=Network"});
    unit.addChild(pPlaced);
    QCOMPARE(pPlaced->label(), QStringLiteral("Network"));
}

VR_TEST_MAIN(TestHCards)
#include "tst_hcards.moc"
