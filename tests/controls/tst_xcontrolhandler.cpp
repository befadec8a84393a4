#include "VrTest.h"

#include "FakeWidgetFactory.h"
#include "NodeProperties.h"
#include "comms/TTransform.h"
#include "controls/CCanvas.h"
#include "controls/CComposite.h"
#include "controls/TTransformFactory.h"
#include "controls/WDelegate.h"
#include "controls/WWidget.h"
#include "controls/XControlHandler.h"
#include "devices/HBlock.h"
#include "devices/HChassis.h"
#include "devices/HGroup.h"
#include "devices/HRoot.h"
#include "project/MProject.h"
#include "project/XmlFileReader.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QStringDecoder>
#include <QStringEncoder>

namespace {
const QString kLabelText = QString::fromUtf8("Hall \u010D \u4E0D\u4E8C");

QString panelFile(const QString &encoding)
{
    QString text = QStringLiteral(R"(<?xml version="1.0" encoding="%1"?>
<VDS>
	<Version>
		<appVersion>4.3.0</appVersion>
		<fileVersion>3.0</fileVersion>
	</Version>
	<Connections>
		<Connection name="Chassis|||30216">
			<Property name="attributes">
				<title>DXR-880</title>
				<ipaddress>10.0.0.9</ipaddress>
				<platform>DXR</platform>
			</Property>
		</Connection>
		<Connection name="Chassis|||999">
			<Property name="attributes">
				<ipaddress>10.0.0.10</ipaddress>
			</Property>
		</Connection>
		<Connection name="Lobby Amp">
			<Property name="attributes">
				<ipaddress>10.0.0.11</ipaddress>
			</Property>
		</Connection>
	</Connections>
	<Property name="stray" />
	<Canvas>
		<Property name="attributes">
			<device>Desktop 10.1in</device>
			<skin>Dark</skin>
			<accent>Green</accent>
			<orientation>2</orientation>
			<text></text>
		</Property>
	</Canvas>
	<Project>
		<Property name="attributes">
			<Facility>
				<name>Test  Site </name>
			</Facility>
		</Property>
	</Project>
	<Scenes>
		<Scene name="Lobby">
			<Panels>
				<Panel name="Main" type="complete">
					<Controls>
						<Control name="First" type="Button">
							<connection>Chassis|||30216</connection>
							<id>4294967296</id>
							<Property name="attributes" />
						</Control>
						<Control name="Fader" type="Slider">
							<block>Gain1</block>
							<nodeID>5</nodeID>
							<nodeCategory>Blocks</nodeCategory>
							<connection>Chassis|||30216</connection>
							<id>42</id>
							<Property name="widget">
								<slider>
									<x>10</x>
									<y>20</y>
									<width>50</width>
									<height>200</height>
								</slider>
								<dropsite>
									<x>1</x>
								</dropsite>
							</Property>
							<Property name="attributes">
								<range>
									<index1>2</index1>
									<format>nn.n</format>
									<transform>grpV</transform>
								</range>
							</Property>
						</Control>
						<Control name="Selector" type="Button">
							<block>Sel</block>
							<nodeID>0</nodeID>
							<nodeCategory>Groups</nodeCategory>
							<connection>Chassis|||30216</connection>
							<Property name="attributes" />
						</Control>
						<Control name="Reuse" type="Button">
							<connection>Chassis|||30216</connection>
							<Property name="attributes" />
						</Control>
					</Controls>
				</Panel>
			</Panels>
		</Scene>
		<Scene name="Hall">
			<Panels>
				<Panel name="Only">
					<Controls>
						<Control name="%2" type="Label">
							<id>43</id>
							<Property name="widget">
								<label>
									<x>0</x>
									<y>0</y>
									<width>100</width>
									<height>20</height>
									<title>%2</title>
								</label>
							</Property>
							<Property name="attributes" />
						</Control>
						<Control name="Lost" type="Button">
							<block>Gone</block>
							<connection>Chassis|||999</connection>
						</Control>
						<Control name="Amp" type="Slider">
							<block>Amp Out</block>
							<connection>Lobby Amp</connection>
						</Control>
						<Control name="Zone" type="DropList">
							<block>Lobby Zone</block>
							<nodeID>21</nodeID>
							<nodeCategory>Groups</nodeCategory>
							<connection>Chassis|||30216</connection>
						</Control>
						<Control name="Zone Level" type="Slider">
							<block>Hall Level</block>
							<nodeID>22</nodeID>
							<nodeCategory>Groups</nodeCategory>
							<connection>Chassis|||30216</connection>
						</Control>
						<Control name="Bar Zone" type="DropList">
							<block>Bar Select</block>
							<nodeID>23</nodeID>
							<nodeCategory>Groups</nodeCategory>
							<connection>Chassis|||30216</connection>
						</Control>
					</Controls>
				</Panel>
			</Panels>
		</Scene>
	</Scenes>
</VDS>
)");
    return text.arg(encoding, kLabelText);
}

QString writeFixture(const QString &name, bool utf16)
{
    const QString path = QDir::current().filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return QString();
    if (utf16) {
        QStringEncoder encoder(QStringEncoder::Utf16BE, QStringEncoder::Flag::WriteBom);
        file.write(encoder.encode(panelFile(QStringLiteral("UTF-16"))));
    } else {
        file.write(panelFile(QStringLiteral("UTF-8")).toUtf8());
    }
    return path;
}

struct DeviceTree
{
    DeviceTree()
    {
        pChassis = new HChassis;
        pChassis->setNodeID(30216);
        pChassis->setLabel("Main DXR");
        root.addChild(pChassis);
        pGain = new HBlock;
        pGain->setNodeID(5);
        pGain->setLabel("Gain1");
        pChassis->addChild(pGain);
        pSelector = new HBlock;
        pSelector->setNodeID(9);
        pSelector->setLabel("Sel");
        pChassis->addChild(pSelector);
        // What a lookup by nodeID 0 in "Groups" would find.
        pOtherGroup = addGroup({"groupType=Level", "title=Group", "label=Other"});
        pZoneSelector = addGroup({"groupType=Selector", "title=Group", "label=Zone A", "nodeID=21"});
        pZoneLevel = addGroup({"groupType=Level + Mute", "title=Group", "label=Zone B", "nodeID=22"});
        pOtherTitle = addGroup({"groupType=Selector", "title=Selector", "label=Zone C", "nodeID=23"});
    }

    HGroup *addGroup(const QStringList &properties)
    {
        auto *pGroup = new HGroup;
        NodeProperties::read(*pGroup, properties);
        pGroup->finishParsing();
        pChassis->addChild(pGroup);
        return pGroup;
    }

    HRoot root;
    HChassis *pChassis = nullptr;
    HBlock *pGain = nullptr;
    HBlock *pSelector = nullptr;
    HGroup *pOtherGroup = nullptr;
    HGroup *pZoneSelector = nullptr;
    HGroup *pZoneLevel = nullptr;
    HGroup *pOtherTitle = nullptr;
};
} // namespace

class TestXControlHandler : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void normalizeText_data();
    void normalizeText();
    void readsThePanelFile_data();
    void readsThePanelFile();
    void controlFilter();
    void malformedFileKeepsWhatWasRead();
    void widgetLeafWithoutAControl();
};

void TestXControlHandler::initTestCase()
{
    WDelegate::instance()->setFactory(new FakeWidgetFactory);
}

void TestXControlHandler::init()
{
    TTransformFactory::clearRegistry();
}

void TestXControlHandler::normalizeText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected");
    QTest::newRow("blanks kept") << "  a  b " << "  a  b ";
    QTest::newRow("line break beside a blank") << "a\n b" << "a  b";
    QTest::newRow("indented word") << "\n\t\tword\n\t" << "word";
    QTest::newRow("blanks only") << "   " << "";
    QTest::newRow("tabs inside") << "a\t\tb" << "a b";
    QTest::newRow("empty") << "" << "";
    QTest::newRow("plain value") << "#336699" << "#336699";
    QTest::newRow("no-break space") << QString::fromUtf8("a\u00a0\u00a0b") << "a b";
    QTest::newRow("marker text alone") << "a&sp;b" << "a&sp;b";
    QTest::newRow("marker text beside a blank") << "a &sp;b" << "a  b";
    QTest::newRow("ampersand") << "R&D 1" << "R&D 1";
}

void TestXControlHandler::normalizeText()
{
    QFETCH(QString, text);
    QFETCH(QString, expected);
    QCOMPARE(XControlHandler::normalizeText(text), expected);
}

void TestXControlHandler::readsThePanelFile_data()
{
    QTest::addColumn<bool>("utf16");
    QTest::newRow("UTF-16 big-endian with BOM") << true;
    QTest::newRow("UTF-8") << false;
}

void TestXControlHandler::readsThePanelFile()
{
    QFETCH(bool, utf16);
    const QString path = writeFixture(QStringLiteral("panel.cpf"), utf16);
    QVERIFY(!path.isEmpty());
    DeviceTree tree;
    CComposite scenes;
    scenes.setKind("Scenes");
    CCanvas canvas;
    canvas.setAttribute("text", "Kept");
    MProject project;
    XControlHandler handler;
    handler.setRootComposite(&scenes);
    handler.setDeviceRoot(&tree.root);
    handler.setCanvas(&canvas);
    handler.setProject(&project);
    QVERIFY(XmlFileReader::parse(path, handler));

    // The connection entry overrides what the design said.
    QCOMPARE(tree.pChassis->ipAddress(), QString("10.0.0.9"));
    QCOMPARE(tree.pChassis->title(), QString("DXR-880"));
    QCOMPARE(canvas.skin(), QString("Dark"));
    QCOMPARE(canvas.accent(), QString("Green"));
    // The canvas "text" leaf is written without text: it changes nothing.
    QCOMPARE(canvas.text(), QString("Kept"));
    QCOMPARE(project.siteName(), QString("Test  Site "));

    QCOMPARE(scenes.childCount(), 2);
    auto *pLobby = qobject_cast<CComposite *>(scenes.childAt(0));
    QVERIFY(pLobby);
    QCOMPARE(pLobby->name(), QString("Lobby"));
    QCOMPARE(pLobby->kind(), QString("Panels"));
    auto *pMain = qobject_cast<CComposite *>(pLobby->childAt(0));
    QVERIFY(pMain);
    QCOMPARE(pMain->type(), QString("Panel"));
    QCOMPARE(pMain->panelKind(), int(CComposite::PanelComplete));
    QCOMPARE(pMain->childCount(), 4);

    // No "block" yet: the label "uninitialized" finds nothing and a block of
    // that name is made; the id does not fit 32 bits and reads as 0.
    CControl *pFirst = pMain->childAt(0);
    QVERIFY(pFirst->node());
    QCOMPARE(pFirst->node()->label(), QString("uninitialized"));
    QCOMPARE(pFirst->node()->parentNode(), tree.pChassis);
    QCOMPARE(pFirst->id(), 0u);

    CControl *pFader = pMain->childAt(1);
    QCOMPARE(pFader->kind(), QString("Slider"));
    QCOMPARE(pFader->node(), tree.pGain);
    QVERIFY(tree.pGain->isUsed());
    QCOMPARE(pFader->id(), 42u);
    QCOMPARE(pFader->attributes().index1(), 2);
    QCOMPARE(pFader->attributes().decimals(), 1);
    QCOMPARE(pFader->attributes().element(), QString("range"));
    // The dropsite is not a widget type: only the slider was made.
    QCOMPARE(pFader->widgets().size(), 1);
    QCOMPARE(pFader->widgets().first()->geometry(), QRectF(10, 20, 50, 200));

    // nodeID 0 skips the category lookup (which would find the group
    // "Other"): found by label.
    QVERIFY(tree.pOtherGroup->nodeID() == 0 && tree.pOtherGroup->category() == "Groups");
    QCOMPARE(pMain->childAt(2)->node(), tree.pSelector);
    // The last block name, id and category carry over.
    QCOMPARE(pMain->childAt(3)->node(), tree.pSelector);

    auto *pOnly = qobject_cast<CComposite *>(scenes.childAt(1)->childAt(0));
    QVERIFY(pOnly);
    QCOMPARE(pOnly->panelKind(), int(CComposite::PanelComplete));
    CControl *pLabel = pOnly->childAt(0);
    QCOMPARE(pLabel->name(), kLabelText);
    QCOMPARE(pLabel->widgets().first()->item()->property("text").toString(), kLabelText);
    // A key with a node id that the design lacks adds a chassis that such
    // keys never find: the control stays without a node.
    QCOMPARE(pOnly->childAt(1)->node(), nullptr);
    // A chassis named by its label is found by later controls.
    HNode *pAmpBlock = pOnly->childAt(2)->node();
    QVERIFY(pAmpBlock);
    QCOMPARE(pAmpBlock->label(), QString("Amp Out"));
    QCOMPARE(pAmpBlock->parentNode()->label(), QString("Lobby Amp"));
    QCOMPARE(qobject_cast<HChassis *>(pAmpBlock->parentNode())->ipAddress(), QString("10.0.0.11"));
    // A selector group ("Group", typenum 3) takes the control's block text
    // as its label; any other group keeps its own.
    QCOMPARE(pOnly->childAt(3)->node(), tree.pZoneSelector);
    QCOMPARE(tree.pZoneSelector->label(), QString("Lobby Zone"));
    QCOMPARE(pOnly->childAt(4)->node(), tree.pZoneLevel);
    QCOMPARE(tree.pZoneLevel->typenum(), QString("1"));
    QCOMPARE(tree.pZoneLevel->label(), QString("Zone B"));
    QCOMPARE(pOnly->childAt(5)->node(), tree.pOtherTitle);
    QCOMPARE(tree.pOtherTitle->typenum(), QString("3"));
    QCOMPARE(tree.pOtherTitle->label(), QString("Zone C"));
    QCOMPARE(tree.pOtherGroup->label(), QString("Other"));

    scenes.bind();
    QVERIFY(pFader->transform());
    QCOMPARE(pFader->transform()->ownerNode(), tree.pGain);
}

void TestXControlHandler::controlFilter()
{
    const QString path = writeFixture(QStringLiteral("filter.cpf"), false);
    DeviceTree tree;
    CComposite scenes;
    XControlHandler handler;
    handler.setRootComposite(&scenes);
    handler.setDeviceRoot(&tree.root);
    handler.setControlFilter(QStringLiteral("Fader"));
    QVERIFY(XmlFileReader::parse(path, handler));
    CControl *pMain = scenes.childAt(0)->childAt(0);
    QCOMPARE(pMain->childCount(), 1);
    QCOMPARE(pMain->childAt(0)->name(), QString("Fader"));
    QCOMPARE(scenes.childAt(1)->childAt(0)->childCount(), 0);
}

void TestXControlHandler::malformedFileKeepsWhatWasRead()
{
    const QString path = QDir::current().filePath("broken.cpf");
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("<VDS><Scenes><Scene name=\"A\"><Panels><Panel name=\"P\"></Panels>");
    file.close();
    CComposite scenes;
    XControlHandler handler;
    handler.setRootComposite(&scenes);
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(".*"));
    QVERIFY(!XmlFileReader::parse(path, handler));
    QCOMPARE(scenes.childCount(), 1);
}

// A widget property outside a control has no control to go to: one debug
// line with the text, written as it stands.
void TestXControlHandler::widgetLeafWithoutAControl()
{
    QBuffer file;
    file.setData("<VDS><Canvas><Property name=\"widget\"><frame><x>10</x></frame></Property></Canvas></VDS>");
    CComposite scenes;
    CCanvas canvas;
    XControlHandler handler;
    handler.setRootComposite(&scenes);
    handler.setCanvas(&canvas);
    QTest::ignoreMessage(QtDebugMsg, "m_pActiveControl not defined while trying to processWidget( 10)");
    QVERIFY(XmlFileReader::parse(file, handler));
    QCOMPARE(scenes.childCount(), 0);
}

VR_TEST_MAIN(TestXControlHandler)
#include "tst_xcontrolhandler.moc"
