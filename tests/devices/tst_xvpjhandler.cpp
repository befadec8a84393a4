#include "VrTest.h"

#include "amplifiers/PARXProtocol.h"
#include "devices/HAudioIO.h"
#include "devices/HBlock.h"
#include "devices/HChassis.h"
#include "devices/HGroup.h"
#include "devices/HParameterSet.h"
#include "devices/HParameterSetList.h"
#include "devices/HRoot.h"
#include "devices/ParseProjectXml.h"
#include "devices/ProxySettings.h"
#include "devices/RCGroup.h"
#include "devices/XVPJHandler.h"
#include "project/MProject.h"
#include "project/UArchive.h"
#include "project/XmlFileReader.h"
#include "roomcombine/HRCGroup.h"
#include "roomcombine/HRCRoom.h"

#include <QBuffer>
#include <QDir>
#include <QMessageBox>
#include <QRegularExpression>
#include <QSettings>

namespace {

QString fixture(const QString &name)
{
    return qEnvironmentVariable("VR_TEST_DATA") + QStringLiteral("/design/") + name;
}

QSettings proxySettings()
{
    return QSettings(ProxySettings::organisation(), ProxySettings::application());
}

// A design file around the given content of "Nodes".
QByteArray design(const QByteArray &nodes, const QByteArray &rest = QByteArray(),
                  const QByteArray &version = "4.3")
{
    return "<?xml version=\"1.0\" encoding=\"Windows-1252\"?>\n<Project version=\"" + version
           + "\">\n" + rest + "<Nodes>\n" + nodes + "</Nodes>\n</Project>\n";
}

QByteArray prop(const QByteArray &name, const QByteArray &value)
{
    return "<Property name=\"" + name + "\" value=\"" + value + "\" />\n";
}

QByteArray node(const QByteArray &className, const QByteArray &title, const QByteArray &label,
                const QByteArray &extraAttributes = QByteArray(),
                const QByteArray &extraContent = QByteArray())
{
    return "<Node className=\"Halvern.Quillon.Nodes." + className + "\" " + extraAttributes + ">\n"
           + prop("title", title) + prop("label", label) + extraContent + "</Node>\n";
}

QByteArray processor(const QByteArray &label = "Processor", const QByteArray &title = "DXR-880")
{
    return node("Wren", title, label, QByteArray(),
                prop("deviceType", "DXR-880") + prop("ipAddress", "127.0.0.1")
                    + prop("isMainDXR", "True"));
}

bool parseText(HNode *pRoot, const QByteArray &xml, XVPJHandler *pHandler = nullptr)
{
    QByteArray bytes = xml;
    QBuffer buffer(&bytes);
    XVPJHandler own;
    XVPJHandler &handler = pHandler ? *pHandler : own;
    handler.setRoot(pRoot);
    return XmlFileReader::parse(buffer, handler);
}

HChassis *chassisAt(HRoot &root, int index)
{
    return qobject_cast<HChassis *>(root.childAt(index));
}

QStringList childLabels(const HNode *pNode)
{
    QStringList labels;
    for (int i = 0; pNode->childAt(i); ++i)
        labels << pNode->childAt(i)->label();
    return labels;
}

HNode *childLabelled(const HNode *pNode, const QString &label)
{
    for (int i = 0; pNode->childAt(i); ++i) {
        if (pNode->childAt(i)->label() == label)
            return pNode->childAt(i);
    }
    return nullptr;
}

// Every node of the subtree, the top one included.
QList<HNode *> subtree(HNode *pNode)
{
    QList<HNode *> nodes{pNode};
    for (int i = 0; pNode->childAt(i); ++i)
        nodes << subtree(pNode->childAt(i));
    return nodes;
}

} // namespace

class TestXVPJHandler : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void fullDesign();
    void fullDesignAssignments();
    void unassignedGroupsAndSetsArePruned();
    void projectRecord();
    void version_data();
    void version();
    void unknownChassisDropsItsNodes();
    void rejectedLastChassisKeepsTheMainChassisNodes();
    void arrayAcceptedByName();
    void mainChassisFoundLater();
    void proxySettingsFromTheDesign();
    void storedProxyAddressWins();

    void classNamePrefixes();
    void portAndPinIndex_data();
    void portAndPinIndex();
    void nodeBeforeAnyChassis();
    void logicViewOfLogicBlock();
    void logicViewOfOtherBlock();
    void malformedFileKeepsWhatWasPlaced();
    void windowsFile();
    void mergeUpdatesInPlace();
    void missingFile();
    void demoDesign();

private:
    QList<QMessageBox *> m_boxes;
    QStringList m_boxTitles;
    QStringList m_boxTexts;
};

void TestXVPJHandler::init()
{
    proxySettings().clear();
    m_boxTitles.clear();
    m_boxTexts.clear();
    XVPJHandler::setMessageBoxRunner([this](QMessageBox &box) {
        m_boxTitles << box.windowTitle();
        m_boxTexts << box.text();
        return int(QMessageBox::Ok);
    });
}

void TestXVPJHandler::cleanup()
{
    XVPJHandler::setMessageBoxRunner(nullptr);
}

void TestXVPJHandler::fullDesign()
{
    HRoot root;
    MProject project;
    QVERIFY(parseProjectXml(&root, fixture(QStringLiteral("full.vpj")), &project, false));

    QCOMPARE(childLabels(&root), (QStringList{"Main Processor", "Expander"}));
    HChassis *pMain = chassisAt(root, 0);
    HChassis *pExpander = chassisAt(root, 1);
    QCOMPARE(pMain->title(), QStringLiteral("DXR-880 (Main)"));
    QCOMPARE(pMain->platform(), QStringLiteral("DXR"));
    QCOMPARE(pMain->ipAddress(), QStringLiteral("127.0.0.1"));
    QCOMPARE(pMain->serialPort(), QStringLiteral("10055"));
    QCOMPARE(pMain->typenum(), QStringLiteral("1"));
    QVERIFY(pMain->hasFlags(HNode::MainChassisFlag | HNode::PlacedFlag));
    QCOMPARE(pExpander->ipAddress(), QStringLiteral("127.0.0.1"));
    QCOMPARE(pExpander->serialPort(), QStringLiteral("10056"));
    QVERIFY(!pExpander->hasFlags(HNode::MainChassisFlag));
    // Reading makes no connection.
    QCOMPARE(pMain->transport(), nullptr);

    // The delay block is not kept and the contact input has no node.
    QCOMPARE(childLabels(pMain),
             (QStringList{"Mic Inputs", "Zone Outputs", "Lobby Gain", "Source Select", "Hall",
                          "Hall", "All Zones", "Source Choice", "Unused Group", "Hall Group",
                          "Morning", "Evening", "Night", "Lobby Scenes"}));
    QCOMPARE(childLabels(pExpander), (QStringList{"Expander Mics", "Expander Gain"}));

    auto *pInputs = qobject_cast<HAudioIO *>(pMain->childAt(0));
    QVERIFY(pInputs);
    QCOMPARE(pInputs->cardType(), QStringLiteral("AIN-4"));
    QCOMPARE(pInputs->direction(), int(HAudioIO::Input));
    QCOMPARE(pInputs->typenum(), QStringLiteral("5"));
    auto *pOutputs = qobject_cast<HAudioIO *>(pMain->childAt(1));
    QVERIFY(pOutputs);
    QCOMPARE(pOutputs->direction(), int(HAudioIO::Output));
    auto *pGain = qobject_cast<HBlock *>(pMain->childAt(2));
    QVERIFY(pGain);
    QCOMPARE(pGain->maxText(), QStringLiteral("12"));
    QCOMPARE(pGain->minText(), QStringLiteral("-60"));
    // Properties nested in the node's element belong to it.
    QCOMPARE(pGain->channel(), 2);

    for (HNode *pNode : subtree(&root)) {
        if (pNode == &root)
            continue;
        QVERIFY2(pNode->hasFlags(HNode::PlacedFlag), qPrintable(pNode->label()));
        // The reader hands the design's fields to what it places; rooms are
        // made by their group.
        if (!qobject_cast<HRCRoom *>(pNode)) {
            QCOMPARE(pNode->mainChassis(), pMain);
            QVERIFY(pNode->arxProxyOnPc());
            QCOMPARE(pNode->arxProxyIpOnPc(), QStringLiteral("127.0.0.1"));
        }
        // Below a chassis every node talks through the chassis's protocol.
        if (!pNode->hasFlags(HNode::ChassisFlag))
            QCOMPARE(pNode->protocol(), pNode->findChassisAncestor()->protocol());
    }
    // Design nodes are never pruned for not being used.
    QVERIFY(!pGain->hasFlags(HNode::PrunableFlag));
    QVERIFY(!pExpander->childAt(1)->hasFlags(HNode::PrunableFlag));
}

void TestXVPJHandler::fullDesignAssignments()
{
    HRoot root;
    QVERIFY(parseProjectXml(&root, fixture(QStringLiteral("full.vpj")), nullptr, false));
    HChassis *pMain = chassisAt(root, 0);

    auto *pLevels = qobject_cast<HGroup *>(childLabelled(pMain, QStringLiteral("All Zones")));
    auto *pSelector = qobject_cast<HGroup *>(childLabelled(pMain, QStringLiteral("Source Choice")));
    QVERIFY(pLevels && pSelector);
    QCOMPARE(pLevels->typenum(), QStringLiteral("1"));
    QCOMPARE(pLevels->id(), QStringLiteral("1"));
    QCOMPARE(pSelector->typenum(), QStringLiteral("3"));
    QCOMPARE(pSelector->targetID(), 5);
    // The "Assign" entries of a later parameter set do not reach the group.
    QCOMPARE(pSelector->options(), (QStringList{"<1>", "<2>", "<3>", "Guest Mic"}));

    auto *pMorning = qobject_cast<HParameterSet *>(childLabelled(pMain, QStringLiteral("Morning")));
    QVERIFY(pMorning);
    QCOMPARE(pMorning->title(), QStringLiteral("Scene11"));
    QCOMPARE(pMorning->id(), QStringLiteral("41"));

    auto *pList = qobject_cast<HParameterSetList *>(childLabelled(pMain, QStringLiteral("Lobby Scenes")));
    QVERIFY(pList);
    QCOMPARE(pList->ids(), (QList<int>{41, 42, 99}));
    QCOMPARE(pList->names(), (QStringList{"Morning", "Evening"}));

    auto *pRoomGroup = qobject_cast<HRCGroup *>(childLabelled(pMain, QStringLiteral("Hall Group")));
    QVERIFY(pRoomGroup);
    QCOMPARE(childLabels(pRoomGroup), (QStringList{"[Hall-North]", "[Hall-South]"}));
    auto *pSouth = qobject_cast<HRCRoom *>(pRoomGroup->childAt(1));
    QVERIFY(pSouth);
    QCOMPARE(pSouth->id(), QStringLiteral("2"));
    QCOMPARE(pSouth->nodeID(), 8);
    QCOMPARE(pSouth->protocol(), pMain->protocol());
    QCOMPARE(pMain->roomCombineInfo()->findGroup(1)->name(), QStringLiteral("Hall Group"));
}

void TestXVPJHandler::unassignedGroupsAndSetsArePruned()
{
    HRoot root;
    QVERIFY(parseProjectXml(&root, fixture(QStringLiteral("full.vpj")), nullptr, false));
    HChassis *pMain = chassisAt(root, 0);
    const QStringList before = childLabels(pMain);

    root.pruneIfNotUsed();
    QStringList expected = before;
    expected.removeAll(QStringLiteral("Unused Group"));
    expected.removeAll(QStringLiteral("Night"));
    QCOMPARE(childLabels(pMain), expected);
    QCOMPARE(childLabels(chassisAt(root, 1)), (QStringList{"Expander Mics", "Expander Gain"}));
}

void TestXVPJHandler::projectRecord()
{
    HRoot root;
    MProject project;
    QVERIFY(parseProjectXml(&root, fixture(QStringLiteral("full.vpj")), &project, false));
    QCOMPARE(project.siteName(), QStringLiteral("Fixture Hall"));
    QCOMPARE(project.businessManagerEmail(), QStringLiteral("ann@example.com"));
    QCOMPARE(project.engineerName(), QStringLiteral("Ben Example"));
    QCOMPARE(project.customerAddress(), QStringLiteral("2 Test Road"));
    QCOMPARE(project.comment(1), QStringLiteral("First"));
    QCOMPARE(project.comment(6), QStringLiteral("Sixth"));
}

void TestXVPJHandler::version_data()
{
    QTest::addColumn<QByteArray>("attribute"); // the whole attribute, empty for none
    QTest::addColumn<bool>("opens");
    QTest::addColumn<QString>("shown");

    QTest::newRow("4.3") << QByteArray("version=\"4.3\"") << true << "";
    QTest::newRow("4.2 itself") << QByteArray("version=\"4.2\"") << true << "";
    QTest::newRow("4.20") << QByteArray("version=\"4.20\"") << true << "";
    QTest::newRow("10.0") << QByteArray("version=\"10.0\"") << true << "";
    QTest::newRow("4.19") << QByteArray("version=\"4.19\"") << false << "4.19";
    QTest::newRow("3.9") << QByteArray("version=\"3.9\"") << false << "3.9";
    QTest::newRow("not a number") << QByteArray("version=\"new\"") << false << "new";
    QTest::newRow("missing") << QByteArray() << false << "";
}

void TestXVPJHandler::version()
{
    QFETCH(QByteArray, attribute);
    QFETCH(bool, opens);
    QFETCH(QString, shown);
    const QByteArray xml = "<?xml version=\"1.0\"?>\n<Project " + attribute + ">\n<Nodes>\n"
                           + processor() + "</Nodes>\n</Project>\n";
    if (!opens)
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("^Fatal error on line 2 .*4\\.2")));
    HRoot root;
    XVPJHandler handler;
    QCOMPARE(parseText(&root, xml, &handler), opens);
    QCOMPARE(handler.versionRefused(), !opens);
    if (opens) {
        QCOMPARE(root.childCount(), 1);
        QVERIFY(m_boxTitles.isEmpty());
        return;
    }
    // Nothing after the refused start tag is read.
    QCOMPARE(root.childCount(), 0);
    QCOMPARE(m_boxTitles, QStringList{QStringLiteral("Open Varolin Designer File Error")});
    QVERIFY2(m_boxTexts.at(0).startsWith(
                 QStringLiteral("Varolin Remote builder cannot open this file. (version: ") + shown
                 + QStringLiteral(")\n\n")),
             qPrintable(m_boxTexts.at(0)));
    QVERIFY(m_boxTexts.at(0).contains(QLatin1String("4.2")));
    QVERIFY(m_boxTexts.at(0).contains(QLatin1String("System->Update Firmware")));
}

void TestXVPJHandler::unknownChassisDropsItsNodes()
{
    HRoot root;
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("string QX-9000$")));
    QTest::ignoreMessage(QtDebugMsg, "ActiveChassis is null. Deleting parsed node.");
    QTest::ignoreMessage(QtDebugMsg, "ActiveChassis is null. Deleting parsed node.");
    QVERIFY(parseProjectXml(&root, fixture(QStringLiteral("unknownchassis.vpj")), nullptr, false));

    QCOMPARE(childLabels(&root), (QStringList{"Main Processor", "Amplifier"}));
    QCOMPARE(childLabels(chassisAt(root, 0)), (QStringList{"Main Gain", "All Gains"}));
    HChassis *pAmplifier = chassisAt(root, 1);
    QCOMPARE(pAmplifier->platform(), QStringLiteral("AV"));
    QCOMPARE(childLabels(pAmplifier), (QStringList{"Amplifier Outputs"}));
    QCOMPARE(root.findByProperty(QStringLiteral("label"), QStringLiteral("Future Gain")), nullptr);
}

void TestXVPJHandler::rejectedLastChassisKeepsTheMainChassisNodes()
{
    HRoot root;
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("string QX-9000$")));
    XVPJHandler handler;
    QFile file(fixture(QStringLiteral("lastrejected.vpj")));
    handler.setRoot(&root);
    QVERIFY(XmlFileReader::parse(file, handler));
    QCOMPARE(handler.activeChassis(), nullptr);

    QCOMPARE(childLabels(&root), QStringList{"Main Processor"});
    HChassis *pMain = chassisAt(root, 0);
    QCOMPARE(childLabels(pMain), (QStringList{"Main Gain", "Main Level", "Opening", "Scenes"}));
    auto *pList = qobject_cast<HParameterSetList *>(childLabelled(pMain, QStringLiteral("Scenes")));
    QVERIFY(pList);
    QCOMPARE(pList->names(), QStringList{"Opening"});
    for (const QString &label : {QStringLiteral("Main Level"), QStringLiteral("Opening"),
                                 QStringLiteral("Scenes")})
        QVERIFY(!childLabelled(pMain, label)->hasFlags(HNode::PrunableFlag));
}

void TestXVPJHandler::arrayAcceptedByName()
{
    HRoot root;
    QVERIFY(parseProjectXml(&root, fixture(QStringLiteral("ventra.vpj")), nullptr, false));
    HChassis *pArray = chassisAt(root, 0);
    QVERIFY(pArray);
    QCOMPARE(pArray->platform(), QStringLiteral("Ventra"));
    QCOMPARE(pArray->serialPort(), QStringLiteral("49494"));
    QCOMPARE(pArray->ipAddress(), QStringLiteral("127.0.0.1"));
    QVERIFY(pArray->isStatusDevice());
    QCOMPARE(childLabels(pArray), QStringList{"Array Control"});
}

void TestXVPJHandler::mainChassisFoundLater()
{
    HRoot root;
    XVPJHandler handler;
    QFile file(fixture(QStringLiteral("arx.vpj")));
    handler.setRoot(&root);
    QVERIFY(XmlFileReader::parse(file, handler));

    HChassis *pArx = chassisAt(root, 0);
    HChassis *pMain = chassisAt(root, 1);
    QVERIFY(pArx && pMain);
    QCOMPARE(handler.mainChassis(), pMain);
    QCOMPARE(handler.chassisList(), (QList<HChassis *>{pArx, pMain}));
    // Every chassis learns the main chassis when it is found; the card
    // placed before that keeps none.
    QCOMPARE(pArx->mainChassis(), pMain);
    QCOMPARE(pMain->mainChassis(), pMain);
    QCOMPARE(pArx->childAt(0)->mainChassis(), nullptr);

    // The amplifier's objects are wired, and nothing is connected.
    QVERIFY(pArx->isArx());
    QVERIFY(pArx->arxProtocol());
    QCOMPARE(pArx->arxProtocol()->deviceAddress(), QStringLiteral("127.0.0.1"));
    QCOMPARE(pArx->transport(), nullptr);
    QVERIFY(!handler.runArxProxyOnPcOnly());
    QVERIFY(!pArx->arxProxyOnPc());
}

void TestXVPJHandler::proxySettingsFromTheDesign()
{
    HRoot root;
    XVPJHandler handler;
    QVERIFY(parseText(&root,
                      design(processor(), "<RunARXProxyOnPC value=\"PCProxyOnly\" />\n"
                                          "<ARXProxyIpOnPC value=\"127.0.0.1\" />\n"
                                          "<RunARXProxyOnPC value=\"RTCProxy\" />\n"),
                      &handler));
    // The mark is never set back.
    QVERIFY(handler.runArxProxyOnPcOnly());
    QCOMPARE(handler.arxProxyIpOnPc(), QStringLiteral("127.0.0.1"));
    const QSettings settings = proxySettings();
    QCOMPARE(settings.value(ProxySettings::arxIpKey()).toString(), QStringLiteral("127.0.0.1"));
    QVERIFY(settings.value(ProxySettings::isArxIpSetKey()).toBool());
    QVERIFY(chassisAt(root, 0)->arxProxyOnPc());
}

void TestXVPJHandler::storedProxyAddressWins()
{
    // The user cleared the address the first design brought.
    proxySettings().setValue(ProxySettings::isArxIpSetKey(), true);
    proxySettings().setValue(ProxySettings::arxIpKey(), QString());
    HRoot root;
    XVPJHandler handler;
    QVERIFY(parseText(&root, design(processor(), "<ARXProxyIpOnPC value=\"127.0.0.1\" />\n"), &handler));
    QCOMPARE(handler.arxProxyIpOnPc(), QString());
    QCOMPARE(chassisAt(root, 0)->arxProxyIpOnPc(), QString());
    QCOMPARE(proxySettings().value(ProxySettings::arxIpKey()).toString(), QString());
}

void TestXVPJHandler::classNamePrefixes()
{
    HRoot root;
    const QByteArray cards = node("Devices.Input", "Input 1", "A", "cardType=\"AIN-4\"")
                             + node("Input", "Input 2", "B", "cardType=\"AIN-4\"")
                             + "<Node className=\"Devices.Output\" cardType=\"AOUT-4\">"
                             + prop("label", "C") + "</Node>\n"
                             + node("Devices.GPO", "GPO", "D");
    QVERIFY(parseText(&root, design(processor() + cards)));
    HChassis *pMain = chassisAt(root, 0);
    QCOMPARE(childLabels(pMain), (QStringList{"A", "B", "C"}));
    for (int i = 0; i < 3; ++i)
        QVERIFY(qobject_cast<HAudioIO *>(pMain->childAt(i)));
}

void TestXVPJHandler::portAndPinIndex_data()
{
    QTest::addColumn<QByteArray>("attributes");
    QTest::addColumn<int>("portIndex");
    QTest::addColumn<int>("pinIndex");
    QTest::newRow("both") << QByteArray("portIndex=\"2\" pinIndex=\"5\"") << 2 << 5;
    QTest::newRow("none") << QByteArray() << 0 << -1;
    QTest::newRow("empty pin") << QByteArray("portIndex=\"1\" pinIndex=\"\"") << 1 << -1;
    QTest::newRow("pin not a number") << QByteArray("pinIndex=\"x\"") << 0 << -1;
    QTest::newRow("port not a number") << QByteArray("portIndex=\"x\" pinIndex=\"0\"") << 0 << 0;
}

void TestXVPJHandler::portAndPinIndex()
{
    QFETCH(QByteArray, attributes);
    HRoot root;
    QVERIFY(parseText(&root, design(processor()
                                    + node("Input", "Input 1", "Card",
                                           "cardType=\"AIN-4\" typeNumber=\"5\" " + attributes))));
    HNode *pCard = chassisAt(root, 0)->childAt(0);
    QVERIFY(pCard);
    QTEST(pCard->portIndex(), "portIndex");
    QTEST(pCard->pinIndex(), "pinIndex");
    QCOMPARE(pCard->typenum(), QStringLiteral("5"));
}

void TestXVPJHandler::nodeBeforeAnyChassis()
{
    HRoot root;
    QTest::ignoreMessage(QtDebugMsg, "ActiveChassis is null. Deleting parsed node.");
    QVERIFY(parseText(&root, design(node("Gain", "Gain", "Early Gain") + processor())));
    QCOMPARE(childLabels(&root), QStringList{"Processor"});
    QVERIFY(childLabels(chassisAt(root, 0)).isEmpty());
}

void TestXVPJHandler::logicViewOfLogicBlock()
{
    HRoot root;
    const QByteArray view = "<LogicView>\n<Nodes>\n" + node("Gain", "Gain", "Inner Gain")
                            + "</Nodes>\n</LogicView>\n" + prop("scriptFile", "toggleff.js");
    QVERIFY(parseText(&root, design(processor() + node("Logic", "Logic", "Toggle", QByteArray(), view)
                                    + node("Gain", "Gain", "After"))));
    HChassis *pMain = chassisAt(root, 0);
    // The inner node makes nothing and does not end the logic block early:
    // the property after the view still reaches it.
    QCOMPARE(childLabels(pMain), (QStringList{"Toggle", "After"}));
    QCOMPARE(pMain->childAt(0)->scriptFile(), QStringLiteral("toggleff.js"));
}

void TestXVPJHandler::logicViewOfOtherBlock()
{
    HRoot root;
    const QByteArray view = "<LogicView>\n<Nodes>\n" + node("Gain", "Gain", "Inner Gain")
                            + "</Nodes>\n</LogicView>\n";
    QVERIFY(parseText(&root, design(processor() + node("Gain", "Gain", "Outer Gain", QByteArray(), view))));
    // The nested node replaces the open one, which is dropped (and freed).
    QCOMPARE(childLabels(chassisAt(root, 0)), QStringList{"Inner Gain"});
}

void TestXVPJHandler::malformedFileKeepsWhatWasPlaced()
{
    HRoot root;
    const QByteArray xml = "<?xml version=\"1.0\"?>\n<Project version=\"4.3\">\n<Nodes>\n" + processor()
                           + node("Gain", "Gain", "Placed") + "<Node className=\"Gain\">\n"
                           + prop("title", "Gain") + "<Property name=\"label\" value=\"Open\">\n"
                           + "</Node>\n";
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("^Fatal error on line")));
    QVERIFY(!parseText(&root, xml));
    QCOMPARE(childLabels(chassisAt(root, 0)), QStringList{"Placed"});
}

void TestXVPJHandler::windowsFile()
{
    // As the design software writes it: Windows-1252 bytes, CR LF line ends.
    QByteArray bytes = design(processor() + node("Gain", "Gain", "Caf\xe9 Gain"));
    bytes.replace("\n", "\r\n");
    const QString path = QDir::currentPath() + QStringLiteral("/windows.vpj");
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    file.close();

    HRoot root;
    QVERIFY(parseProjectXml(&root, path, nullptr, false));
    QCOMPARE(childLabels(chassisAt(root, 0)), QStringList{QStringLiteral("Caf\u00e9 Gain")});
}

void TestXVPJHandler::mergeUpdatesInPlace()
{
    HRoot root;
    QVERIFY(parseProjectXml(&root, fixture(QStringLiteral("full.vpj")), nullptr, false));
    const QList<HNode *> before = subtree(&root);
    HChassis *pMain = chassisAt(root, 0);
    QVERIFY(pMain->roomCombineInfo()->findRoom(1, 1));

    QVERIFY(parseProjectXml(&root, fixture(QStringLiteral("full.vpj")), nullptr, true));
    const QList<HNode *> after = subtree(&root);
    // The same nodes, each placed again; the parsed copies are gone.
    QCOMPARE(QSet<HNode *>(after.cbegin(), after.cend()), QSet<HNode *>(before.cbegin(), before.cend()));
    QCOMPARE(chassisAt(root, 0), pMain);
    for (HNode *pNode : after) {
        if (pNode != &root)
            QVERIFY2(pNode->hasFlags(HNode::PlacedFlag), qPrintable(pNode->label()));
    }
    // The tables were started afresh and filled again by the merged blocks.
    QVERIFY(pMain->roomCombineInfo()->findRoom(1, 2));
}

void TestXVPJHandler::missingFile()
{
    HRoot root;
    QVERIFY(!parseProjectXml(&root, fixture(QStringLiteral("absent.vpj")), nullptr, false));
    QCOMPARE(root.childCount(), 0);
}

void TestXVPJHandler::demoDesign()
{
    QVERIFY(UArchive::instance().open(QStringLiteral(":/data/Varolin/Demo.cpz")));
    const QString path = UArchive::instance().extractedPath(QStringLiteral(".vpj"));
    QVERIFY(!path.isEmpty());

    QTest::failOnWarning(QRegularExpression(QStringLiteral(".")));
    HRoot root;
    MProject project;
    QVERIFY(parseProjectXml(&root, path, &project, false));
    QCOMPARE(root.childCount(), 3);
    HChassis *pChassis = chassisAt(root, 0);
    QCOMPARE(pChassis->title(), QStringLiteral("DXR-880"));
    QCOMPARE(pChassis->ipAddress(), QStringLiteral("127.0.0.1"));
    QCOMPARE(pChassis->controlPort(), quint16(10055));
    QCOMPARE(pChassis->chassisKey(), QStringLiteral("Chassis|||1"));
    QCOMPARE(childLabels(pChassis), (QStringList{"Music Gain", "Mic Gain", "Mic Inputs", "Zone Out",
                                                 "Music Source", "Logic Out", "Zone Volume",
                                                 "Hall Rooms", "Morning", "Conference",
                                                 "Evening Concert", "Hall Scenes"}));
    // The drop lists' parameter-set list, with its sets in order.
    HNode *pScenes = root.findByCategoryAndNodeID(QStringLiteral("ParameterSetLists"), 60);
    QVERIFY(pScenes);
    QCOMPARE(pScenes->title(), QStringLiteral("PSetList"));
    QStringList setNames;
    QList<int> setIds;
    QVERIFY(pScenes->parameterSets(&setNames, &setIds));
    QCOMPARE(setNames, (QStringList{"Morning", "Conference", "Evening Concert"}));
    QCOMPARE(setIds, (QList<int>{61, 62, 63}));
    // The amplifier with its inputs and outputs, the meters' I/O indexes.
    HChassis *pAmplifier = chassisAt(root, 1);
    QVERIFY(pAmplifier->isArx());
    QCOMPARE(pAmplifier->chassisKey(), QStringLiteral("Chassis|||10"));
    QCOMPARE(pAmplifier->controlPort(), quint16(10055));
    QCOMPARE(childLabels(pAmplifier),
             (QStringList{"In 1", "In 2", "Out A", "Out B", "Out C", "Out D"}));
    QCOMPARE(pAmplifier->childAt(3)->pinIndex(), 1);
    QVERIFY(pAmplifier->arxProtocol());
    // The panels find their blocks by chassis key, category and node id.
    HNode *pMusic = root.findByCategoryAndNodeID(QStringLiteral("Blocks"), 2);
    QVERIFY(pMusic);
    QCOMPARE(pMusic->label(), QStringLiteral("Music Gain"));
    QCOMPARE(project.siteName(), QStringLiteral("Demo Site"));
    // The loudspeaker array, on this machine at its own port.
    HChassis *pArray = chassisAt(root, 2);
    QVERIFY(pArray);
    QCOMPARE(pArray->platform(), QStringLiteral("Ventra"));
    QCOMPARE(pArray->ipAddress(), QStringLiteral("127.0.0.1"));
    QCOMPARE(pArray->controlPort(), quint16(49494));
    QVERIFY(pArray->isStatusDevice());
    QCOMPARE(pArray->protocol()->protocolName(), QStringLiteral("Ventra"));
}

VR_TEST_MAIN(TestXVPJHandler)
#include "tst_xvpjhandler.moc"
