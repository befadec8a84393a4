#include "VrTest.h"

#include "PanelFragment.h"
#include "RecordingProtocol.h"
#include "StubTransform.h"
#include "comms/TStrV.h"
#include "controls/CControl.h"
#include "controls/WWidgetFactory.h"
#include "devices/HBlock.h"
#include "widgets/WTextLink.h"

#include <QQmlComponent>
#include <QQmlEngine>
#include <QQmlProperty>
#include <QQuickItem>
#include <QRegularExpression>

#include <memory>

namespace {

using Attributes = QList<QPair<QString, QString>>;

// A text link on a QML item that declares the properties it writes, so
// that their change signals can be watched.
struct LinkOnItem
{
    LinkOnItem()
    {
        QQmlComponent component(&engine);
        component.setData("import QtQuick\nItem { property int index: 0\nproperty int current: -1\n"
                          "property string text\nproperty bool hasText\nproperty bool hasImage\n"
                          "property bool buttonMode: true\nproperty string onImage\n"
                          "property string offImage\nproperty real imageSize: 1.0\n"
                          "property bool hasBorder: true }\n",
                          QUrl());
        pRoot.reset(qobject_cast<QQuickItem *>(component.create()));
        pLink = new WTextLink(pRoot.get());
        pLink->setObjectName(QStringLiteral("widget"));
        pLink->setWidget(pRoot.get());
        pLink->initialize(pRoot.get());
    }

    // Transform and protocol as the control's binding gives them.
    void bind()
    {
        pLink->setTransform(&transform);
        pLink->applyAttributes(nullptr);
        pLink->setProtocol(&protocol);
    }

    QList<quint32> sentValues() const
    {
        QList<quint32> values;
        for (const RecordingProtocol::Send &send : protocol.sends)
            values.append(send.value);
        return values;
    }

    QQmlEngine engine;
    std::unique_ptr<QQuickItem> pRoot;
    WTextLink *pLink = nullptr;
    StubTransform transform;
    RecordingProtocol protocol;
};

} // namespace

class TestWTextLink : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void fragmentAttributesLandOnItem();
    void attributes_data();
    void attributes();
    void pictureAndBorderAttributes_data();
    void pictureAndBorderAttributes();
    void pictureLinkOnTheShippedItem();
    void clickSendsTheIndex_data();
    void clickSendsTheIndex();
    void clickWhileReplyIsShownSendsNothing();
    void replyShowsCurrent();
};

void TestWTextLink::initTestCase()
{
    WWidgetFactory::registerWidgetTypes();
}

void TestWTextLink::fragmentAttributesLandOnItem()
{
    // The shipped QML file loads cleanly, without a skin in the context.
    QTest::failOnWarning(QRegularExpression(QStringLiteral(".*")));
    PanelFragment panel(QStringLiteral(R"(
<Control name="Bound" type="TextLink">
	<block>Sel</block>
	<connection>Chassis|||30216</connection>
	<Property name="widget">
		<textlink>
			<x>10</x>
			<y>20</y>
			<width>80</width>
			<height>24</height>
			<id>3</id>
			<link>4</link>
			<text>?</text>
			<index>7</index>
			<buttonmode>Button</buttonmode>
			<scale>1</scale>
		</textlink>
	</Property>
	<Property name="attributes" />
</Control>
<Control name="Free" type="TextLink">
	<Property name="widget">
		<textlink>
			<text>Hello</text>
			<index>7</index>
			<paramidx>3</paramidx>
			<buttonmode>Text</buttonmode>
		</textlink>
	</Property>
	<Property name="attributes" />
</Control>)"));
    QVERIFY(panel.isParsed());

    auto *pBound = qobject_cast<WTextLink *>(panel.widget(QStringLiteral("Bound")));
    QVERIFY(pBound);
    QQuickItem *pItem = pBound->item();
    QVERIFY(pItem);
    for (const char *name : {"index", "current", "flash", "text", "textSize", "onImage", "offImage",
                             "hasText", "hasImage", "imageSize", "buttonMode", "selEnable", "hasBorder"})
        QVERIFY2(pItem->metaObject()->indexOfProperty(name) >= 0, name);
    QCOMPARE(pBound->geometry(), QRectF(10, 20, 80, 24));
    QCOMPARE(pBound->widgetId(), 3u);
    QCOMPARE(pBound->linkId(), 4u);
    // "?" shows the node's label; "index" takes the node's index, not the value.
    QCOMPARE(pItem->property("text").toString(), QStringLiteral("Sel"));
    QCOMPARE(pItem->property("hasText").toBool(), true);
    QCOMPARE(pItem->property("hasImage").toBool(), false);
    QCOMPARE(pBound->index(), 2);
    QCOMPARE(pItem->property("index").toInt(), 2);
    QCOMPARE(pItem->property("buttonMode").toBool(), true);
    QCOMPARE(pItem->property("current").toInt(), -1);
    QCOMPARE(pItem->property("textSize").toReal(), 24 * 0.5625);

    // Without a node, "text" and "index" change nothing.
    auto *pFree = qobject_cast<WTextLink *>(panel.widget(QStringLiteral("Free")));
    QVERIFY(pFree);
    QCOMPARE(pFree->item()->property("text").toString(), QString());
    QCOMPARE(pFree->item()->property("hasText").toBool(), false);
    QCOMPARE(pFree->index(), 3);
    QCOMPARE(pFree->item()->property("index").toInt(), 3);
    QCOMPARE(pFree->item()->property("buttonMode").toBool(), false);
}

void TestWTextLink::attributes_data()
{
    QTest::addColumn<bool>("withNode");
    QTest::addColumn<Attributes>("attributes");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("hasText");
    QTest::addColumn<int>("index");

    QTest::newRow("? with a node") << true << Attributes{{"text", "?"}} << "Lobby" << true << -1;
    QTest::newRow("plain text with a node") << true << Attributes{{"text", "On air"}} << "On air" << true << -1;
    QTest::newRow("? without a node") << false << Attributes{{"text", "?"}} << "" << false << -1;
    QTest::newRow("index from the node") << true << Attributes{{"index", "9"}} << "" << false << 5;
    QTest::newRow("index without a node") << false << Attributes{{"index", "9"}} << "" << false << -1;
    QTest::newRow("paramidx") << false << Attributes{{"paramidx", "12"}} << "" << false << 12;
    QTest::newRow("paramidx not a number") << false << Attributes{{"paramidx", "two"}} << "" << false << 0;
    QTest::newRow("paramidx after index") << true << Attributes{{"index", ""}, {"paramidx", "1"}}
                                          << "" << false << 1;
}

void TestWTextLink::attributes()
{
    QFETCH(bool, withNode);
    QFETCH(Attributes, attributes);
    QFETCH(QString, text);
    QFETCH(bool, hasText);
    QFETCH(int, index);

    HBlock node;
    node.setLabel(QStringLiteral("Lobby"));
    node.setIndex(5);
    LinkOnItem l;
    if (withNode)
        l.pLink->setNode(&node);
    for (const auto &attribute : attributes)
        QVERIFY(l.pLink->readAttribute(attribute.first, attribute.second));
    QCOMPARE(l.pRoot->property("text").toString(), text);
    QCOMPARE(l.pRoot->property("hasText").toBool(), hasText);
    QCOMPARE(l.pLink->index(), index);
    if (index >= 0)
        QCOMPARE(l.pRoot->property("index").toInt(), index);
    // The button's own attributes still reach it.
    QVERIFY(l.pLink->readAttribute(QStringLiteral("width"), QStringLiteral("60")));
    QCOMPARE(l.pRoot->width(), 60.0);
    QVERIFY(!l.pLink->readAttribute(QStringLiteral("Text"), QStringLiteral("x")));
}

void TestWTextLink::pictureAndBorderAttributes_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QByteArray>("property");
    QTest::addColumn<QVariant>("expected");
    QTest::addColumn<bool>("hasImage");

    QTest::newRow("onimage") << "onimage" << "../images/ledOn.png" << QByteArray("onImage")
                             << QVariant(QStringLiteral("../images/ledOn.png")) << true;
    QTest::newRow("offimage") << "offimage" << "D:/pics/off.png" << QByteArray("offImage")
                              << QVariant(QStringLiteral("D:/pics/off.png")) << true;
    QTest::newRow("imagesize") << "imagesize" << "0.5" << QByteArray("imageSize") << QVariant(0.5) << false;
    QTest::newRow("hasBorder 0") << "hasBorder" << "0" << QByteArray("hasBorder") << QVariant(false) << false;
    QTest::newRow("hasBorder 1") << "hasBorder" << "1" << QByteArray("hasBorder") << QVariant(true) << false;
}

// The button's picture and border attributes reach a text link.
void TestWTextLink::pictureAndBorderAttributes()
{
    QFETCH(QString, name);
    QFETCH(QString, value);
    QFETCH(QByteArray, property);
    QFETCH(QVariant, expected);
    QFETCH(bool, hasImage);

    LinkOnItem l;
    QVERIFY(l.pLink->readAttribute(name, value));
    QCOMPARE(l.pRoot->property(property.constData()), expected);
    QCOMPARE(l.pRoot->property("hasImage").toBool(), hasImage);
}

// A picture link without a border, as the shipped item draws it.
void TestWTextLink::pictureLinkOnTheShippedItem()
{
    QTest::failOnWarning(QRegularExpression(QStringLiteral(".*")));
    PanelFragment panel(QStringLiteral(R"(
<Control name="Picture" type="TextLink">
	<Property name="widget">
		<textlink>
			<width>80</width>
			<height>40</height>
			<paramidx>2</paramidx>
			<onimage>../images/ledOn.png</onimage>
			<offimage>../images/ledOffGreen.png</offimage>
			<imagesize>0.5</imagesize>
			<hasBorder>0</hasBorder>
		</textlink>
	</Property>
	<Property name="attributes" />
</Control>
<Control name="Framed" type="TextLink">
	<Property name="widget">
		<textlink>
			<text>Hi</text>
			<hasBorder>1</hasBorder>
		</textlink>
	</Property>
	<Property name="attributes" />
</Control>)"));
    QVERIFY(panel.isParsed());
    auto *pLink = qobject_cast<WTextLink *>(panel.widget(QStringLiteral("Picture")));
    QVERIFY(pLink && pLink->item());
    QQuickItem *pItem = pLink->item();
    QVERIFY(pItem->property("hasImage").toBool());
    QCOMPARE(pItem->property("imageSize").toReal(), 0.5);
    QCOMPARE(QQmlProperty::read(pItem, QStringLiteral("border.width")).toReal(), 0.0);
    // Off until the device selects it, then on.
    const auto shownPictures = [pItem]() {
        QStringList sources;
        for (const QQuickItem *pChild : pItem->childItems()) {
            const QVariant source = pChild->property("source");
            if (source.isValid())
                sources.append(source.toUrl().toString());
        }
        return sources;
    };
    QCOMPARE(shownPictures(), QStringList{"../images/ledOffGreen.png"});
    pItem->setProperty("current", 2);
    QCOMPARE(shownPictures(), QStringList{"../images/ledOn.png"});

    auto *pFramed = qobject_cast<WTextLink *>(panel.widget(QStringLiteral("Framed")));
    QVERIFY(pFramed && pFramed->item());
    QCOMPARE(QQmlProperty::read(pFramed->item(), QStringLiteral("border.width")).toReal(), 2.0);
}

void TestWTextLink::clickSendsTheIndex_data()
{
    QTest::addColumn<QString>("paramidx");
    QTest::addColumn<bool>("outputEnabled");
    QTest::addColumn<bool>("withProtocol");
    QTest::addColumn<QList<quint32>>("sent");

    QTest::newRow("paramidx 3") << "3" << true << true << QList<quint32>{3};
    QTest::newRow("paramidx 0") << "0" << true << true << QList<quint32>{0};
    // A link without an index has no position to select; all bits set
    // would select one the device does not have.
    QTest::newRow("never given an index") << "" << true << true << QList<quint32>{};
    QTest::newRow("negative index") << "-1" << true << true << QList<quint32>{};
    QTest::newRow("output disabled") << "3" << false << true << QList<quint32>{};
    QTest::newRow("no protocol") << "3" << true << false << QList<quint32>{};
}

void TestWTextLink::clickSendsTheIndex()
{
    QFETCH(QString, paramidx);
    QFETCH(bool, outputEnabled);
    QFETCH(bool, withProtocol);
    QFETCH(QList<quint32>, sent);

    LinkOnItem l;
    l.bind();
    if (!withProtocol)
        l.pLink->setProtocol(nullptr);
    if (!paramidx.isEmpty())
        l.pLink->readAttribute(QStringLiteral("paramidx"), paramidx);
    l.pLink->setOutputEnabled(outputEnabled);
    l.transform.setUIntValue(77);

    l.pLink->outputClicked();
    QCOMPARE(l.sentValues(), sent);
    if (!sent.isEmpty())
        QCOMPARE(l.protocol.sends.constFirst().pTransform, &l.transform);
    // A click shows nothing by itself: the device's answer does.
    QCOMPARE(l.pRoot->property("current").toInt(), -1);
}

// The QML item reacts to "current" inside the write; a click that its
// handler makes then must not go to the device.
void TestWTextLink::clickWhileReplyIsShownSendsNothing()
{
    LinkOnItem l;
    l.bind();
    l.pLink->readAttribute(QStringLiteral("paramidx"), QStringLiteral("3"));
    QVERIFY(connect(l.pRoot.get(), SIGNAL(currentChanged()), l.pLink, SLOT(outputClicked())));

    l.transform.reply(3);
    QCOMPARE(l.pRoot->property("current").toInt(), 3);
    QVERIFY(l.protocol.sends.isEmpty());
    QVERIFY(l.pLink->isOutputEnabled());

    l.pLink->outputClicked();
    QCOMPARE(l.sentValues(), QList<quint32>{3});
}

void TestWTextLink::replyShowsCurrent()
{
    LinkOnItem l;
    l.bind();
    l.transform.reply(4);
    QCOMPARE(l.pLink->current(), 4);
    QCOMPARE(l.pRoot->property("current").toInt(), 4);

    // Bound again to the same transform: one update per reply, not two.
    l.pLink->setTransform(&l.transform);
    const int readsBefore = l.transform.replyReads;
    l.transform.reply(5);
    QCOMPARE(l.transform.replyReads - readsBefore, 1);
    QCOMPARE(l.pLink->current(), 5);

    // Another transform: the old one's replies are no longer shown.
    StubTransform other;
    l.pLink->setTransform(&other);
    l.transform.reply(6);
    QCOMPARE(l.pLink->current(), 5);
    other.reply(1);
    QCOMPARE(l.pRoot->property("current").toInt(), 1);

    // Without a transform a reply cannot be read.
    l.pLink->setTransform(nullptr);
    other.reply(2);
    QCOMPARE(l.pLink->current(), 1);

    // A reply that is no number names no link: the current one stays.
    TStrV text;
    l.pLink->setTransform(&text);
    text.receiveText(QStringLiteral("3"));
    QCOMPARE(l.pLink->current(), 3);
    text.receiveText(QStringLiteral("SYNC_ERROR"));
    QCOMPARE(l.pLink->current(), 3);
    QCOMPARE(l.pRoot->property("current").toInt(), 3);
}

VR_TEST_MAIN(TestWTextLink)
#include "tst_wtextlink.moc"
