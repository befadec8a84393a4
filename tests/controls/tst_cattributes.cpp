#include "VrTest.h"

#include "NodeProperties.h"
#include "controls/CAttributes.h"
#include "controls/CControl.h"
#include "devices/HChassis.h"
#include "devices/HDXRLink.h"
#include "devices/HDante.h"

class TestCAttributes : public QObject
{
    Q_OBJECT

private slots:
    void parseNumber_data();
    void parseNumber();
    void decimals_data();
    void decimals();
    void flags_data();
    void flags();
    void numbersAndTexts();
    void actionsOnlyEverSet();
    void firstElementStays();
    void channelLabelAndPin_data();
    void channelLabelAndPin();
    void defaultIndex1();
};

void TestCAttributes::parseNumber_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<quint32>("expected");
    QTest::newRow("hex") << "0x1F" << 31u;
    QTest::newRow("decimal") << "31" << 31u;
    QTest::newRow("garbage") << "1x0" << 0u;
    QTest::newRow("decimal too big") << "4294967296" << 0u;
    QTest::newRow("hex too big") << "0x100000000" << 0u;
    QTest::newRow("largest") << "4294967295" << 4294967295u;
    QTest::newRow("empty") << "" << 0u;
    QTest::newRow("negative") << "-1" << 0u;
}

void TestCAttributes::parseNumber()
{
    QFETCH(QString, text);
    QFETCH(quint32, expected);
    QCOMPARE(CAttributes::parseNumber(text), expected);
    CAttributes attributes;
    attributes.setAttribute("list", "link", text);
    QCOMPARE(attributes.link(), expected);
}

void TestCAttributes::decimals_data()
{
    QTest::addColumn<QString>("format");
    QTest::addColumn<int>("decimals");
    QTest::newRow("two") << "nn.nn" << 2;
    QTest::newRow("none") << "nnn" << 0;
    QTest::newRow("trailing dot") << "nn." << 0;
    QTest::newRow("first dot counts") << "n.n.n" << 3;
}

void TestCAttributes::decimals()
{
    QFETCH(QString, format);
    QFETCH(int, decimals);
    CAttributes attributes;
    attributes.setAttribute("range", "format", format);
    QCOMPARE(attributes.decimals(), 0); // only the end of the form sets them
    attributes.decimalsFromFormat();
    QCOMPARE(attributes.decimals(), decimals);
}

void TestCAttributes::flags_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("value");
    QTest::addColumn<bool>("expected");
    QTest::newRow("enableEdit 0") << "enableEdit" << "0" << false;
    QTest::newRow("enableEdit 2") << "enableEdit" << "2" << true;
    QTest::newRow("enableEdit -1") << "enableEdit" << "-1" << false;
    QTest::newRow("doNotPoll 1") << "doNotPoll" << "1" << true;
    QTest::newRow("doNotPoll text") << "doNotPoll" << "yes" << false;
}

void TestCAttributes::flags()
{
    QFETCH(QString, name);
    QFETCH(QString, value);
    QFETCH(bool, expected);
    CAttributes attributes;
    QVERIFY(attributes.enableEdit());
    QVERIFY(!attributes.doNotPoll());
    QVERIFY(attributes.setAttribute("list", name, value));
    QCOMPARE(name == "enableEdit" ? attributes.enableEdit() : attributes.doNotPoll(), expected);
}

void TestCAttributes::numbersAndTexts()
{
    CAttributes attributes;
    QCOMPARE(attributes.minLimit(), -40.0f);
    attributes.setAttribute("range", "index1", "3");
    attributes.setAttribute("range", "index2", "x");
    attributes.setAttribute("range", "struct", "5");
    attributes.setAttribute("range", "minimum", "-12.5");
    attributes.setAttribute("range", "maximum", "abc");
    attributes.setAttribute("range", "step", "0.5");
    attributes.setAttribute("range", "units", "dB");
    attributes.setAttribute("range", "transform", "grpV");
    attributes.setAttribute("range", "field", "0x10");
    attributes.setAttribute("range", "callType", "SIP");
    QVERIFY(attributes.setAttribute("range", "unknown", "1"));
    QCOMPARE(attributes.index1(), 3);
    QCOMPARE(attributes.index2(), 0);
    QCOMPARE(attributes.addressStruct(), quint32(CAttributes::StructGain));
    QCOMPARE(attributes.minimum(), -12.5f);
    QCOMPARE(attributes.maximum(), 0.0f);
    QCOMPARE(attributes.step(), 0.5f);
    QCOMPARE(attributes.units(), QString("dB"));
    QCOMPARE(attributes.transformName(), QString("grpV"));
    QCOMPARE(attributes.field(), 16u);
    QCOMPARE(attributes.callType(), QString("SIP"));
    QCOMPARE(attributes.setIndex2(7), 0);
    QCOMPARE(attributes.setIndex2(8), 7);
}

void TestCAttributes::actionsOnlyEverSet()
{
    CAttributes attributes;
    attributes.setAttribute("list", "action", "SET");
    attributes.setAttribute("list", "action", "RESET");
    attributes.setAttribute("list", "action", "OTHER");
    QVERIFY(attributes.isActionSet());
    QVERIFY(attributes.isActionReset());
}

void TestCAttributes::firstElementStays()
{
    CAttributes attributes;
    attributes.setAttribute("range", "index1", "1");
    attributes.setAttribute("list", "set", "On");
    QCOMPARE(attributes.element(), QString("range"));
    QCOMPARE(attributes.set(), QString("On"));
}

void TestCAttributes::channelLabelAndPin_data()
{
    QTest::addColumn<QString>("node");
    QTest::addColumn<QString>("index1");
    QTest::addColumn<QStringList>("pins");
    QTest::addColumn<int>("pin");
    QTest::addColumn<QStringList>("labels");
    QTest::addColumn<QString>("label");
    // Without a node a negative pin and a short label keep what was there.
    QTest::newRow("no node, defaults") << "" << "1" << QStringList{"-1"} << -1 << QStringList{"x"} << "";
    QTest::newRow("no node") << "" << "1" << QStringList{"4", "-1"} << 4 << QStringList{"Mic 1", "x"}
                             << "Mic 1";
    // The node's pin and label of the channel index1 stand in.
    QTest::newRow("network-audio card") << "dante" << "2" << QStringList{"4", "-1"} << 7
                                        << QStringList{"Mic 1", "x"} << "Ch B";
    QTest::newRow("network-audio card, given") << "dante" << "2" << QStringList{"3"} << 3
                                               << QStringList{"Mic 1"} << "Mic 1";
    QTest::newRow("network-audio card, empty label") << "dante" << "1" << QStringList{"-2"} << 5
                                                     << QStringList{""} << "Ch A";
    QTest::newRow("channel past the card") << "dante" << "3" << QStringList{"-1"} << -1
                                           << QStringList{"x"} << "";
    QTest::newRow("link card") << "link" << "2" << QStringList{"-1"} << -1 << QStringList{"x"}
                               << "Link A-Booth";
}

void TestCAttributes::channelLabelAndPin()
{
    QFETCH(QString, node);
    QFETCH(QString, index1);
    QFETCH(QStringList, pins);
    QFETCH(int, pin);
    QFETCH(QStringList, labels);
    QFETCH(QString, label);
    // The card sits in its device, which owns it.
    HChassis device;
    HNode *pNode = nullptr;
    if (node == "dante") {
        pNode = new HDante(QStringLiteral("Dante 16"), HAudioIO::Input);
        NodeProperties::read(*pNode, {"label=Network", "label1=Ch A", "label2=Ch B", "cardPin1=5", "cardPin2=7"});
    } else if (node == "link") {
        pNode = new HDXRLink;
        NodeProperties::read(*pNode, {"label=Link A", "label1=Stage", "label2=Booth"});
    }
    if (pNode)
        device.addChild(pNode);
    CControl control;
    control.setNode(pNode);
    CAttributes &attributes = control.attributes();
    QCOMPARE(attributes.owner(), &control);
    QCOMPARE(attributes.cardPin(), -1);
    attributes.setAttribute("list", "index1", index1);
    for (const QString &value : std::as_const(pins))
        attributes.setAttribute("list", "cardPin", value);
    QCOMPARE(attributes.cardPin(), pin);
    for (const QString &value : std::as_const(labels))
        attributes.setAttribute("list", "channelLabel", value);
    QCOMPARE(attributes.channelLabel(), label);
}

void TestCAttributes::defaultIndex1()
{
    CAttributes attributes;
    QCOMPARE(attributes.setDefaultIndex1(4), 0);
    QCOMPARE(attributes.index1(), 4);
    QCOMPARE(attributes.setDefaultIndex1(9), 4);
    QCOMPARE(attributes.index1(), 4);
}

VR_TEST_MAIN(TestCAttributes)
#include "tst_cattributes.moc"
