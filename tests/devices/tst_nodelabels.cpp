#include "VrTest.h"

#include "NodeProperties.h"
#include "devices/HAudioIO.h"
#include "devices/HComposite.h"
#include "devices/HNode.h"

#include <QSettings>

// Port and input labels, label substitution, ranges, card slots and the
// ARX proxy address of a node.
class TestNodeLabels : public QObject
{
    Q_OBJECT

private slots:
    void portAndInputLabels_data();
    void portAndInputLabels();
    void substitutePortLabel_data();
    void substitutePortLabel();
    void ranges();
    void cardSlotIndex_data();
    void cardSlotIndex();
    void cardSlotIndexWithoutDevice();
    void arxProxyIpSetting();
};

void TestNodeLabels::portAndInputLabels_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("port");
    QTest::addColumn<QString>("input");

    QTest::newRow("first") << 0 << "Rec L" << "Lectern";
    QTest::newRow("last") << 1 << "Rec R" << "Lapel";
    QTest::newRow("past the end") << 2 << "noPortLabel" << "";
    QTest::newRow("negative") << -1 << "noPortLabel" << "";
}

void TestNodeLabels::portAndInputLabels()
{
    QFETCH(int, index);
    HNode node;
    NodeProperties::read(node, {"title=USB Out", "label1=Rec L", "label2=Rec R", "inputLabel1=Lectern",
                                "inputLabel2=Lapel"});
    QTEST(node.portLabel(index), "port");
    QTEST(node.inputLabelAt(index), "input");
}

void TestNodeLabels::substitutePortLabel_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("byPrefix");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("label");
    QTest::addColumn<bool>("matched");
    QTest::addColumn<QString>("result");

    QTest::newRow("phone without labels") << "Phone3 Line" << false << "" << "" << true << "Phone3 Line";
    QTest::newRow("phone with its label") << "Phone3 Line" << false << "Phone3" << "Front Desk" << true
                                          << "Front Desk Line";
    QTest::newRow("phone inside the text") << "Call Phone8" << false << "Phone8" << "Lobby" << true
                                           << "Call Lobby";
    QTest::newRow("phone label for another phone") << "Phone2" << false << "Phone3" << "Desk" << true
                                                   << "Phone2";
    QTest::newRow("no phone 9") << "Phone9 Line" << false << "Phone9" << "Desk" << false << "Phone9 Line";
    QTest::newRow("no match at all") << "Mic 1" << false << "" << "" << false << "Mic 1";
    QTest::newRow("phone names are case-sensitive") << "phone3" << false << "" << "" << false << "phone3";

    QTest::newRow("prefix with its label") << "Room A Mic" << true << "Room A" << "Hall" << true << "Hall Mic";
    QTest::newRow("prefix without a label") << "Room A Mic" << true << "" << "" << true << "Room A Mic";
    QTest::newRow("no blank: the whole text") << "Mic" << true << "Mic" << "Voice" << true << "Voice";
    QTest::newRow("only a leading blank: the whole text") << " Mic" << true << " Mic" << "Voice" << true
                                                          << "Voice";
    QTest::newRow("prefix that is no valid expression") << "Mix( 1" << true << "Mix(" << "Mix" << false
                                                        << "Mix( 1";
    QTest::newRow("prefix map is not the phone map") << "Phone3 Line" << true << "Phone3" << "Desk" << true
                                                     << "Desk Line";
}

void TestNodeLabels::substitutePortLabel()
{
    QFETCH(QString, text);
    QFETCH(bool, byPrefix);
    QFETCH(QString, key);
    QFETCH(QString, label);

    HNode node;
    if (!key.isEmpty()) {
        if (byPrefix)
            node.setPrefixLabel(key, label);
        else
            node.setPhoneLabel(key, label);
    }
    QTEST(node.substitutePortLabel(text, byPrefix), "matched");
    QTEST(text, "result");

    // Each lookup reads only its own map.
    if (!key.isEmpty()) {
        QCOMPARE(byPrefix ? node.prefixLabel(key) : node.phoneLabel(key), label);
        QVERIFY((byPrefix ? node.phoneLabel(key) : node.prefixLabel(key)).isEmpty());
    }
}

void TestNodeLabels::ranges()
{
    HNode node;
    NodeProperties::read(node, {"title=Tone EQ", "low=0 @max=12 @min=-12", "low=0 @max=6 @min=-60", "high=0 @max=3"});
    QCOMPARE(node.rangeFor(QStringLiteral("low")), QStringLiteral("6,-60")); // the later one wins
    QCOMPARE(node.rangeFor(QStringLiteral("high")), QStringLiteral("3,"));
    QVERIFY(node.rangeFor(QStringLiteral("mid")).isNull());
    QVERIFY(node.rangeFor(QStringLiteral("Low")).isNull());

    // Any property name can carry a range.
    node.readRange(QStringLiteral("gain"), NodeProperties::attributes(QStringLiteral("gain=1 @min=-5 @max=5")));
    QCOMPARE(node.rangeFor(QStringLiteral("gain")), QStringLiteral("5,-5"));
}

// The supported models: EX-1280 (G1), DXR-8xx (G2), DXR-12xx (G3), DXR-412
// (G4), DXR-1600 (G5), EX-440 (G6), EX-DN8 (G7), and the AV and AR
// amplifiers.
void TestNodeLabels::cardSlotIndex_data()
{
    QTest::addColumn<QString>("device");
    QTest::addColumn<QString>("card");
    QTest::addColumn<int>("portIndex");
    QTest::addColumn<int>("slot");

    QTest::newRow("G2 input 6") << "DXR-880" << "Input 6" << -1 << 3;
    QTest::newRow("G2 input 9 falls back to its number") << "DXR-880" << "Input 9" << -1 << 9;
    QTest::newRow("G2 output 7") << "DXR-840 (Main)" << "Output 7" << -1 << 4;
    QTest::newRow("G2 DXRLink") << "DXR-880" << "DXRLink 1" << -1 << 5;
    QTest::newRow("G2 Vexlink, one word") << "DXR-880" << "Vexlink" << -1 << 5;
    QTest::newRow("G2 Dante") << "DXR-880" << "Dante 2" << -1 << 6;
    QTest::newRow("G2 has no USB slot") << "DXR-880" << "USB 2" << -1 << 2;
    QTest::newRow("one-word title") << "DXR-880" << "Input" << -1 << -1;
    QTest::newRow("card number that is no number") << "DXR-880" << "Input A" << -1 << 0;
    QTest::newRow("extra blanks") << "DXR-880" << "Input   2" << -1 << 1;
    QTest::newRow("first keyword decides") << "DXR-880" << "Output 2 Dante" << -1 << 2;

    QTest::newRow("G1 input 10") << "EX-1280" << "Input 10" << -1 << 5;
    QTest::newRow("G1 output 5") << "EX-1280" << "Output 5" << -1 << 2;
    QTest::newRow("G1 output 9") << "EX-1280" << "Output 9" << -1 << 9;
    QTest::newRow("G1 PSTN") << "EX-1280" << "PSTN 1" << -1 << 11;
    QTest::newRow("G1 USB") << "EX-1280" << "USB 1" << -1 << 10;
    QTest::newRow("G1 Vexlink") << "EX-1280" << "Vexlink 1" << -1 << 6;
    QTest::newRow("G1 knows no DXRLink") << "EX-1280" << "DXRLink 1" << -1 << 1;
    QTest::newRow("G1 variant") << "EX-1280P" << "Input 1" << -1 << 3;

    QTest::newRow("G3 input 12") << "DXR-1240" << "Input 12" << -1 << 4;
    QTest::newRow("G3 output 5") << "DXR-1240" << "Output 5" << -1 << 5;
    QTest::newRow("G4 output 12") << "DXR-412" << "Output 12" << -1 << 4;
    QTest::newRow("G4 input 5") << "DXR-412" << "Input 5" << -1 << 5;
    QTest::newRow("G5 input 16") << "DXR-1600" << "Input 16" << -1 << 4;
    QTest::newRow("G5 has no outputs") << "DXR-1600" << "Output 1" << -1 << 1;
    QTest::newRow("G6 input 2") << "EX-440" << "Input 2" << -1 << 3;
    QTest::newRow("G6 VoIP") << "EX-440" << "VoIP 1" << -1 << 9;
    QTest::newRow("G7 Dante") << "EX-DN8" << "Dante 2" << -1 << 7;
    QTest::newRow("G7 input") << "EX-DN8" << "Input 1" << -1 << 1;

    QTest::newRow("amplifier input by port index") << "AV-4000" << "Analog In 1" << 2 << 1;
    QTest::newRow("amplifier input without port index") << "AV-4000" << "Analog In 1" << -1 << 0;
    QTest::newRow("amplifier digital input 9") << "AR-800" << "Digital In 9" << 8 << 9;
    QTest::newRow("amplifier output") << "ARX-1200" << "Amp Output" << 0 << 2;
    QTest::newRow("amplifier output by card number") << "AV-4000" << "Out 3" << -1 << 2;
    QTest::newRow("amplifier other card") << "AV-4000" << "Bridge 4" << -1 << 4;

    QTest::newRow("unknown device") << "Router 9" << "Input 3" << -1 << 3;
}

void TestNodeLabels::cardSlotIndex()
{
    QFETCH(QString, device);
    QFETCH(QString, card);
    QFETCH(int, portIndex);

    HComposite chassis;
    chassis.setTitle(device);
    auto *pCard = new HAudioIO(QStringLiteral("Analog"), HAudioIO::Input);
    pCard->setTitle(card);
    pCard->setPortIndex(portIndex);
    chassis.addChild(pCard);
    QTEST(pCard->cardSlotIndex(), "slot");
}

void TestNodeLabels::cardSlotIndexWithoutDevice()
{
    HAudioIO card(QStringLiteral("Analog"), HAudioIO::Input);
    card.setTitle(QStringLiteral("Input 6"));
    QCOMPARE(card.cardSlotIndex(), -1);
}

void TestNodeLabels::arxProxyIpSetting()
{
    QSettings settings(QStringLiteral("com.HalvernProfessional"), QStringLiteral("VarolinRemote"));
    settings.remove(QStringLiteral("arxIp"));
    settings.sync();

    HNode node;
    node.setArxProxyIpOnPc(QStringLiteral("192.168.1.20"));
    QTest::ignoreMessage(QtDebugMsg, "Getting Pc Proxy value: 192.168.1.20");
    QCOMPARE(node.arxProxyIpSetting(), QStringLiteral("192.168.1.20"));

    settings.setValue(QStringLiteral("arxIp"), QStringLiteral("10.0.0.7"));
    settings.sync();
    QTest::ignoreMessage(QtDebugMsg, "Getting Pc Proxy value: 10.0.0.7");
    QCOMPARE(node.arxProxyIpSetting(), QStringLiteral("10.0.0.7"));
}

VR_TEST_MAIN(TestNodeLabels)
#include "tst_nodelabels.moc"
