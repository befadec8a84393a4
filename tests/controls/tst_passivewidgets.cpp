#include "VrTest.h"

#include "FakePanelHost.h"
#include "controls/CControl.h"
#include "controls/WFrame.h"
#include "controls/WImage.h"
#include "controls/WLabel.h"
#include "controls/WDelegate.h"
#include "controls/WPanelLink.h"
#include "controls/WWidgetFactory.h"
#include "devices/HNode.h"
#include "project/UArchive.h"
#include "project/XmlWriter.h"

#include <QBuffer>
#include <QColor>
#include <QQmlContext>
#include <QQmlEngine>
#include <QQuickItem>
#include <QSignalSpy>
#include <QXmlStreamReader>

#include <memory>
#include <utility>

namespace {

using Attributes = QList<QPair<QString, QString>>;

// The name/value pairs of the first widget element of a panel-file
// fragment, in document order, as the panel reader hands them over.
Attributes widgetAttributes(const QByteArray &fragment)
{
    Attributes attributes;
    QXmlStreamReader reader(fragment);
    int depth = 0;
    while (!reader.atEnd()) {
        reader.readNext();
        if (reader.isStartElement()) {
            if (++depth == 2) {
                const QString name = reader.name().toString();
                attributes.append({name, reader.readElementText()});
                --depth;
            }
        } else if (reader.isEndElement()) {
            --depth;
        }
    }
    return attributes;
}

} // namespace

class TestPassiveWidgets : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void frameAttributes_data();
    void frameAttributes();
    void frameIgnoresOtherAttributes();
    void imageOpacityIsClamped_data();
    void imageOpacityIsClamped();
    void imageBackgroundKeepsItsRectangle();
    void imagePaths();
    void labelText_data();
    void labelText();
    void labelFaceWrapsTheCurrentText();
    void labelAlignment_data();
    void labelAlignment();
    void labelReadByThePanelReader_data();
    void labelReadByThePanelReader();
    void panelLinkAttributes();
    void panelLinkDrawsItsPictureOrItsText_data();
    void panelLinkDrawsItsPictureOrItsText();
    void panelLinkClickAsksTheHost();
    void savedWidgetReadsBackTheSame_data();
    void savedWidgetReadsBackTheSame();

private:
    template <class W>
    W *make(const QString &typeName);
    bool read(WWidget *pWidget, const QByteArray &fragment);

    std::unique_ptr<QQmlEngine> m_pEngine;
    std::unique_ptr<QQuickItem> m_pParent;
    std::unique_ptr<WWidgetFactory> m_pFactory;
};

void TestPassiveWidgets::initTestCase()
{
    WWidgetFactory::registerWidgetTypes();
}

void TestPassiveWidgets::init()
{
    m_pEngine = std::make_unique<QQmlEngine>();
    m_pParent = std::make_unique<QQuickItem>();
    m_pFactory = std::make_unique<WWidgetFactory>();
    m_pFactory->setParentItem(m_pParent.get());
    m_pFactory->setContext(m_pEngine->rootContext());
}

void TestPassiveWidgets::cleanup()
{
    m_pFactory.reset();
    qDeleteAll(m_pParent->childItems());
    m_pParent.reset();
    m_pEngine.reset();
}

template <class W>
W *TestPassiveWidgets::make(const QString &typeName)
{
    auto *pWidget = qobject_cast<W *>(m_pFactory->create(typeName));
    if (pWidget)
        pWidget->setTypeName(typeName);
    return pWidget;
}

// Hands every attribute of the fragment to the widget; true when all were
// taken.
bool TestPassiveWidgets::read(WWidget *pWidget, const QByteArray &fragment)
{
    bool all = true;
    for (const auto &attribute : widgetAttributes(fragment))
        all &= pWidget->readAttribute(attribute.first, attribute.second);
    return all;
}

void TestPassiveWidgets::frameAttributes_data()
{
    QTest::addColumn<QByteArray>("fragment");
    QTest::addColumn<QString>("property");
    QTest::addColumn<QVariant>("expected");
    QTest::newRow("fill") << QByteArray("<frame><fieldcolor>#336699</fieldcolor></frame>") << "fieldColor"
                          << QVariant(QColor("#336699"));
    QTest::newRow("border") << QByteArray("<frame><bordercolor>crimson</bordercolor></frame>") << "borderColor"
                            << QVariant(QColor("crimson"));
    QTest::newRow("border width") << QByteArray("<frame><borderwidth>2.5</borderwidth></frame>") << "borderWidth"
                                  << QVariant(2.5);
    QTest::newRow("no border") << QByteArray("<frame><hasBorder>0</hasBorder></frame>") << "hasBorder"
                               << QVariant(false);
    QTest::newRow("border not a number") << QByteArray("<frame><hasBorder>yes</hasBorder></frame>") << "hasBorder"
                                         << QVariant(false);
    QTest::newRow("geometry") << QByteArray("<frame><x>12</x><width>300</width></frame>") << "width"
                              << QVariant(300.0);
    QTest::newRow("shape and shadow taken")
        << QByteArray("<frame><shape>box</shape><shadow>raised</shadow><x>7</x></frame>") << "x" << QVariant(7.0);
}

void TestPassiveWidgets::frameAttributes()
{
    QFETCH(QByteArray, fragment);
    QFETCH(QString, property);
    QFETCH(QVariant, expected);
    WFrame *pFrame = make<WFrame>("frame");
    QVERIFY(pFrame);
    QVERIFY(read(pFrame, fragment));
    const QVariant actual = pFrame->itemProperty(property.toLatin1().constData());
    if (expected.typeId() == QMetaType::QColor)
        QCOMPARE(actual.value<QColor>(), expected.value<QColor>());
    else
        QCOMPARE(actual, expected);
}

void TestPassiveWidgets::frameIgnoresOtherAttributes()
{
    for (const char *type : {"frame", "bounds"}) {
        WFrame *pFrame = make<WFrame>(type);
        QVERIFY2(pFrame, type);
        for (const char *name : {"xfract", "id", "link", "title", "text"})
            QVERIFY2(!pFrame->readAttribute(name, "0.5"), name);
        QCOMPARE(pFrame->xFraction(), 0.0);
        QCOMPARE(pFrame->widthFraction(), 1.0);
        QCOMPARE(pFrame->widgetId(), 0u);
    }
}

void TestPassiveWidgets::imageOpacityIsClamped_data()
{
    QTest::addColumn<QString>("value");
    QTest::addColumn<double>("opacity");
    QTest::newRow("zero") << "0" << 0.01;
    QTest::newRow("above one") << "3" << 1.0;
    QTest::newRow("inside") << "0.4" << 0.4;
    QTest::newRow("not a number") << "dim" << 0.01;
}

void TestPassiveWidgets::imageOpacityIsClamped()
{
    QFETCH(QString, value);
    QFETCH(double, opacity);
    WImage *pImage = make<WImage>("image");
    QVERIFY(pImage);
    QVERIFY(pImage->readAttribute("imageOpacity", value));
    QCOMPARE(pImage->itemProperty("imageOpacity").toDouble(), opacity);
}

void TestPassiveWidgets::imageBackgroundKeepsItsRectangle()
{
    WImage *pImage = make<WImage>("image");
    QVERIFY(pImage);
    QCOMPARE(pImage->itemProperty("backgroundFillMode").toInt(), -1);
    QVERIFY(read(pImage, "<image><x>10</x><y>20</y><width>300</width><height>200</height></image>"));
    QCOMPARE(pImage->geometry(), QRectF(10, 20, 300, 200));

    // As a background it covers its parent and takes no part in bounds.
    m_pParent->setSize(QSizeF(800, 450));
    QVERIFY(pImage->readAttribute("backgroundFillMode", "2"));
    QCOMPARE(pImage->itemProperty("backgroundFillMode").toInt(), 2);
    QCOMPARE(pImage->geometry(), QRectF());
    QCOMPARE(pImage->item()->size(), QSizeF(800, 450));

    QVERIFY(pImage->readAttribute("backgroundFillMode", "-1"));
    QCOMPARE(pImage->geometry(), QRectF(10, 20, 300, 200));
    // Restored once: a later move survives a second "-1".
    pImage->setItemGeometry(QRectF(1, 2, 3, 4));
    QVERIFY(pImage->readAttribute("backgroundFillMode", "-1"));
    QCOMPARE(pImage->geometry(), QRectF(1, 2, 3, 4));

    QVERIFY(pImage->readAttribute("backgroundFillMode", "stretch"));
    QCOMPARE(pImage->itemProperty("backgroundFillMode").toInt(), 0);
}

void TestPassiveWidgets::imagePaths()
{
    QVERIFY(UArchive::instance().open(":/data/Varolin/Demo.cpz"));
    WImage *pImage = make<WImage>("image");
    QVERIFY(pImage);
    // The default picture is a resource path, resolved by the QML file.
    QCOMPARE(pImage->itemProperty("path").toString(), QString("../images/default.png"));
    QCOMPARE(pImage->itemProperty("maxCachedImageWidth").toInt(), 2048);

    // Panel files carry full paths of the designer's machine.
    QVERIFY(pImage->readAttribute("path", "D:/Demo/image/Demo.png"));
    const QUrl url(pImage->itemProperty("path").toString());
    QVERIFY2(url.isLocalFile(), qPrintable(url.toString()));
    QVERIFY(QFileInfo(url.toLocalFile()).isFile());
    QCOMPARE(QFileInfo(url.toLocalFile()).fileName(), QString("Demo.png"));

    for (const char *path : {"D:/Demo/image/NotInTheArchive.png", "Demo.png"}) {
        QVERIFY(pImage->readAttribute("path", path));
        QCOMPARE(pImage->itemProperty("path").toString(), QString(path));
    }

    for (const char *name : {"xfract", "title"})
        QVERIFY2(!pImage->readAttribute(name, "0.5"), name);
    QVERIFY(pImage->readAttribute("id", "4"));
    QCOMPARE(pImage->widgetId(), 4u);
}

void TestPassiveWidgets::labelText_data()
{
    QTest::addColumn<bool>("withControl");
    QTest::addColumn<QString>("controlName");
    QTest::addColumn<QString>("nodeLabel");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("shown");
    QTest::newRow("label and word") << true << "Gain" << "Mixer" << "*LABEL* Gain" << "Mixer Gain";
    QTest::newRow("room name") << true << "Room Name" << "Group-Lobby" << "*LABEL*" << "[Lobby";
    QTest::newRow("room name, three parts") << true << "Room Name" << "A-B-D" << "*LABEL*" << "A-B-D";
    QTest::newRow("other control, two parts") << true << "Gain" << "Group-Lobby" << "*LABEL*" << "Group-Lobby";
    QTest::newRow("twice") << true << "Gain" << "In" << "*LABEL*/*LABEL*" << "In/In";
    QTest::newRow("no node") << true << "Gain" << "" << "*LABEL* Gain" << " Gain";
    QTest::newRow("no control") << false << "" << "" << "*LABEL* Gain" << "*LABEL* Gain";
}

void TestPassiveWidgets::labelText()
{
    QFETCH(bool, withControl);
    QFETCH(QString, controlName);
    QFETCH(QString, nodeLabel);
    QFETCH(QString, value);
    QFETCH(QString, shown);
    CControl control;
    control.setName(controlName);
    if (!nodeLabel.isEmpty()) {
        // The control owns a node that has no parent.
        auto *pNode = new HNode;
        pNode->setLabel(nodeLabel);
        control.setNode(pNode);
    }
    WLabel *pLabel = make<WLabel>("label");
    QVERIFY(pLabel);
    if (withControl)
        pLabel->setControl(&control);
    QVERIFY(pLabel->readAttribute("text", value));
    QCOMPARE(pLabel->itemText(), shown);
    QCOMPARE(pLabel->itemProperty("textFormat").toInt(), int(Qt::RichText));
    pLabel->setControl(nullptr);
}

void TestPassiveWidgets::labelFaceWrapsTheCurrentText()
{
    WLabel *pLabel = make<WLabel>("label");
    QVERIFY(pLabel);
    // A face before the text is lost when the text replaces it.
    QVERIFY(read(pLabel, "<label><face>underline</face><text>Hi</text><face>bold</face>"
                         "<face>italic</face><face>Bold</face></label>"));
    QCOMPARE(pLabel->itemText(), QString("<i><b>Hi</b></i>"));
    QVERIFY(!pLabel->readAttribute("id", "3"));
    QVERIFY(!pLabel->readAttribute("tooltip", "x"));
    QVERIFY(read(pLabel, "<label><scale>1.5</scale><edit>true</edit><select>True</select>"
                         "<autosize>true</autosize><rotation>90</rotation><color>#102030</color></label>"));
    QCOMPARE(pLabel->itemProperty("textScale").toDouble(), 1.5);
    QCOMPARE(pLabel->itemProperty("enableEdit").toBool(), true);
    QCOMPARE(pLabel->itemProperty("selEnable").toBool(), false);
    QCOMPARE(pLabel->itemProperty("autoSize").toBool(), true);
    QCOMPARE(pLabel->item()->rotation(), 90.0);
    QCOMPARE(pLabel->itemProperty("textColor").value<QColor>(), QColor("#102030"));
}

void TestPassiveWidgets::labelAlignment_data()
{
    QTest::addColumn<QString>("value");
    QTest::addColumn<int>("alignment");
    QTest::newRow("center in capitals") << "CENTER" << 4;
    QTest::newRow("right") << "Right" << 2;
    QTest::newRow("left") << "left" << 1;
    QTest::newRow("other word") << "middle" << 1;
}

void TestPassiveWidgets::labelAlignment()
{
    QFETCH(QString, value);
    QFETCH(int, alignment);
    WLabel *pLabel = make<WLabel>("label");
    QVERIFY(pLabel);
    QVERIFY(pLabel->readAttribute("align", value));
    QCOMPARE(pLabel->itemProperty("horizontalAlignment").toInt(), alignment);
}

void TestPassiveWidgets::labelReadByThePanelReader_data()
{
    QTest::addColumn<QByteArray>("fragment");
    QTest::addColumn<QString>("shown");
    // Each fragment starts with a geometry leaf, which makes the widget
    // without touching its text.
    QTest::newRow("text, then alignment") << QByteArray("<label><x>1</x><text>Hi</text><align>center</align></label>")
                                          << "Hi";
    QTest::newRow("face after the text") << QByteArray("<label><x>1</x><text>Hi</text><face>bold</face>"
                                                       "<align>right</align><face>italic</face></label>")
                                         << "<i><b>Hi</b></i>";
    QTest::newRow("face before the text") << QByteArray("<label><x>1</x><face>italic</face><text>Hi</text></label>")
                                          << "Hi";
    QTest::newRow("face alone") << QByteArray("<label><x>1</x><face>underline</face></label>") << "<u></u>";
    QTest::newRow("alignment alone") << QByteArray("<label><x>1</x><align>right</align></label>") << "";
    QTest::newRow("two texts") << QByteArray("<label><x>1</x><text>A</text><height>30</height><text>B</text></label>")
                               << "B";
}

// The panel reader hands a label its attributes one by one; the label ends
// up as if each had been applied at once, but sets its text only once.
void TestPassiveWidgets::labelReadByThePanelReader()
{
    QFETCH(QByteArray, fragment);
    QFETCH(QString, shown);
    const QList<QPair<QString, QString>> attributes = widgetAttributes(fragment);

    auto *pReaderFactory = new WWidgetFactory;
    pReaderFactory->setParentItem(m_pParent.get());
    pReaderFactory->setContext(m_pEngine->rootContext());
    WDelegate::instance()->setFactory(pReaderFactory);
    CControl control;
    QVERIFY(control.setWidgetAttribute("label", attributes.first().first, attributes.first().second));
    QQuickItem *pItem = m_pParent->childItems().last();
    QSignalSpy textSet(pItem, SIGNAL(textChanged(QString)));
    for (qsizetype i = 1; i < attributes.size(); ++i)
        QVERIFY(control.setWidgetAttribute("label", attributes.at(i).first, attributes.at(i).second));
    control.endWidget("label");
    WDelegate::instance()->setFactory(nullptr);
    QCOMPARE(control.widgets().size(), 1);
    auto *pRead = qobject_cast<WLabel *>(control.widgets().first());
    QVERIFY(pRead);
    QVERIFY(textSet.count() <= 1);

    WLabel *pAtOnce = make<WLabel>("label");
    QVERIFY(pAtOnce);
    pAtOnce->setControl(&control);
    QVERIFY(read(pAtOnce, fragment));
    pAtOnce->setControl(nullptr);
    QCOMPARE(pRead->itemText(), shown);
    QCOMPARE(pAtOnce->itemText(), shown);
    for (const char *property : {"textFormat", "horizontalAlignment", "height"})
        QCOMPARE(pRead->itemProperty(property), pAtOnce->itemProperty(property));

    // Once the element has ended, a new text shows at once.
    pRead->setText(QStringLiteral("Later"));
    QCOMPARE(pRead->itemText(), QString("Later"));
    QCOMPARE(pRead->itemProperty("textFormat").toInt(), int(Qt::RichText));
}

void TestPassiveWidgets::panelLinkAttributes()
{
    WPanelLink *pLink = make<WPanelLink>("panellink");
    QVERIFY(pLink);
    QVERIFY(read(pLink, "<panellink><path>..\\Zones\\Mic Zone</path><imagepath>Mic.png</imagepath>"
                        "<imagepath></imagepath><keepImageInBounds>0</keepImageInBounds>"
                        "<imagevalid>Picture</imagevalid><hasBorder>1</hasBorder><text>Mics</text>"
                        "<buttonmode>Button</buttonmode></panellink>"));
    QCOMPARE(pLink->targetPath(), QString("..\\Zones\\Mic Zone"));
    QCOMPARE(pLink->itemProperty("imagePath").toString(), QString("Mic.png"));
    QCOMPARE(pLink->itemProperty("keepImageInBounds").toBool(), true);
    QCOMPARE(pLink->itemProperty("imageValid").toBool(), true);
    QCOMPARE(pLink->itemProperty("hasBorder").toBool(), true);
    QCOMPARE(pLink->itemText(), QString("Mics"));
    QCOMPARE(pLink->itemProperty("buttonMode").toBool(), true);
    QVERIFY(pLink->readAttribute("imagevalid", "Text"));
    QCOMPARE(pLink->itemProperty("imageValid").toBool(), false);
    // Without a control a click has no model to ask and does nothing.
    pLink->selectPanel();
    QTest::qWait(20);
}

void TestPassiveWidgets::panelLinkDrawsItsPictureOrItsText_data()
{
    QTest::addColumn<bool>("imageValid");
    QTest::addColumn<bool>("keepInBounds");
    QTest::addColumn<QRectF>("picture"); // in the link's coordinates; null: none drawn

    QTest::newRow("text") << false << false << QRectF();
    // Centring lands on whole pixels.
    QTest::newRow("centred square of height x imageSize") << true << false << QRectF(33, 5, 10, 10);
    QTest::newRow("kept in bounds") << true << true << QRectF(0, 0, 75, 20);
}

// The link draws either its picture or its text, never both.
void TestPassiveWidgets::panelLinkDrawsItsPictureOrItsText()
{
    QFETCH(bool, imageValid);
    QFETCH(bool, keepInBounds);
    QFETCH(QRectF, picture);

    WPanelLink *pLink = make<WPanelLink>("panellink");
    QVERIFY(pLink);
    QQuickItem *pItem = pLink->item();
    QVERIFY(read(pLink, "<panellink><width>75</width><height>20</height><text>Mics</text></panellink>"));
    pItem->setProperty("imageSize", 0.5);
    pItem->setProperty("imagePath", QStringLiteral("qrc:/images/default.png"));
    pItem->setProperty("keepImageInBounds", keepInBounds);
    pItem->setProperty("imageValid", imageValid);
    pItem->setVisible(true);

    const auto shown = [pItem](const char *className) -> QQuickItem * {
        const QList<QQuickItem *> descendants = pItem->findChildren<QQuickItem *>();
        for (QQuickItem *pChild : descendants) {
            if (pChild->inherits(className) && pChild->isVisible())
                return pChild;
        }
        return nullptr;
    };
    QQuickItem *pPicture = shown("QQuickImage");
    QQuickItem *pText = shown("QQuickText");
    QCOMPARE(bool(pPicture), !picture.isNull());
    QCOMPARE(bool(pText), picture.isNull());
    if (pPicture) {
        QCOMPARE(pPicture->mapRectToItem(pItem, QRectF(0, 0, pPicture->width(), pPicture->height())), picture);
        QCOMPARE(pPicture->property("source").toUrl(), QUrl("qrc:/images/default.png"));
        // Back to the text: the picture goes.
        pItem->setProperty("imageValid", false);
        QVERIFY(!shown("QQuickImage"));
        pText = shown("QQuickText");
        QVERIFY(pText);
    }
    QCOMPARE(pText->property("text").toString(), QString("Mics"));
}

// A click has the application follow the link's path, after the jump
// timer, never inside the click.
void TestPassiveWidgets::panelLinkClickAsksTheHost()
{
    WPanelLink *pLink = make<WPanelLink>("panellink");
    QVERIFY(pLink);
    QVERIFY(read(pLink, "<panellink><path>..\\Zones\\Mic Zone</path></panellink>"));
    FakePanelHost host;
    CControl control;
    control.setModel(&host);
    pLink->setControl(&control);
    // The item's click handler calls the native half.
    QVERIFY(QMetaObject::invokeMethod(pLink, "selectPanel"));
    QVERIFY(host.links.isEmpty());
    QTRY_COMPARE(host.links, QStringList{"..\\Zones\\Mic Zone"});
    pLink->setControl(nullptr);
}

void TestPassiveWidgets::savedWidgetReadsBackTheSame_data()
{
    QTest::addColumn<QString>("type");
    QTest::addColumn<QByteArray>("fragment");
    QTest::newRow("label") << "label"
                           << QByteArray("<label><x>10.5</x><y>20</y><width>300</width><height>40</height><z>3</z>"
                                         "<xfract>0.125</xfract><yfract>0.25</yfract><widthfract>0.5</widthfract>"
                                         "<heightfract>0.333333</heightfract></label>");
    QTest::newRow("image with id and link")
        << "image" << QByteArray("<image><id>7</id><link>32771</link><x>1</x><y>2</y><width>3</width>"
                                 "<height>4</height></image>");
    QTest::newRow("panel link") << "panellink"
                                << QByteArray("<panellink><x>50</x><y>370</y><width>150</width><height>50</height>"
                                              "<z>1</z><widthfract>0.2</widthfract></panellink>");
}

void TestPassiveWidgets::savedWidgetReadsBackTheSame()
{
    QFETCH(QString, type);
    QFETCH(QByteArray, fragment);
    WWidget *pFirst = make<WWidget>(type);
    QVERIFY(pFirst);
    read(pFirst, fragment);

    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    XmlWriter writer(&buffer);
    pFirst->writeAttributes(writer);
    QCOMPARE(writer.indent(), 0);
    const QByteArray saved = buffer.data();
    QVERIFY2(saved.startsWith("<" + type.toLatin1() + ">\n\t<"), saved.constData());

    WWidget *pSecond = make<WWidget>(type);
    QVERIFY(pSecond);
    // Names a widget type does not read (an image's fractions) are passed
    // over, as the panel reader does.
    read(pSecond, saved);
    QCOMPARE(pSecond->geometry(), pFirst->geometry());
    QCOMPARE(pSecond->item()->z(), pFirst->item()->z());
    QCOMPARE(pSecond->widgetId(), pFirst->widgetId());
    QCOMPARE(pSecond->linkId(), pFirst->linkId());
    QCOMPARE(pSecond->xFraction(), pFirst->xFraction());
    QCOMPARE(pSecond->yFraction(), pFirst->yFraction());
    QCOMPARE(pSecond->widthFraction(), pFirst->widthFraction());
    QCOMPARE(pSecond->heightFraction(), pFirst->heightFraction());
}

VR_TEST_MAIN(TestPassiveWidgets)
#include "tst_passivewidgets.moc"
