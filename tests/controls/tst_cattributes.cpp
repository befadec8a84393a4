#include "VrTest.h"

#include "controls/CAttributes.h"
#include "controls/CControl.h"

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
    void channelLabelAndPinWithoutNode();
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

void TestCAttributes::channelLabelAndPinWithoutNode()
{
    CControl control;
    CAttributes &attributes = control.attributes();
    QCOMPARE(attributes.owner(), &control);
    attributes.setAttribute("list", "cardPin", "-1");
    QCOMPARE(attributes.cardPin(), -1);
    attributes.setAttribute("list", "cardPin", "4");
    QCOMPARE(attributes.cardPin(), 4);
    attributes.setAttribute("list", "channelLabel", "Mic 1");
    attributes.setAttribute("list", "channelLabel", "x");
    QCOMPARE(attributes.channelLabel(), QString("Mic 1"));
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
