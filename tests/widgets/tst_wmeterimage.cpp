#include "VrTest.h"

#include "MeterRig.h"

#include "amplifiers/ArxModelRepository.h"
#include "amplifiers/ArxWebSocketModel.h"
#include "controls/WWidgetFactory.h"
#include "comms/TTransform.h"
#include "controls/CControl.h"
#include "devices/HChassis.h"
#include "project/UArchive.h"
#include "project/XmlWriter.h"
#include "widgets/WMeterImage.h"

#include <QBuffer>
#include <QFile>
#include <QQuickItem>
#include <QUrl>

namespace {

const QStringList kInput = {"title=Input 1", "label=Mic In"};

void deliver(WMeterImage *pMeter, double value)
{
    pMeter->transform()->setReplyText(QString::number(value, 'f', 2));
}

ArxWebSocketModel outputs(const QList<double> &levels)
{
    ArxWebSocketModel model;
    model.outputLevels = levels;
    return model;
}

} // namespace

// The image meter with its shipped QML item: the picture of each zone, the
// ARX feed, what it reads and saves.
class TestWMeterImage : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { WWidgetFactory::registerWidgetTypes(); }

    void devicePictures_data();
    void devicePictures();
    void arxPictures_data();
    void arxPictures();
    void arxLists_data();
    void arxLists();
    void picturesLoad();
    void replyThatIsNoNumberKeepsThePicture();
    void opacityIsClamped_data();
    void opacityIsClamped();
    void readsWhatItWrites();
    void savedElements_data();
    void savedElements();
    void pictureDrawnAtItsSizeAndOpacity_data();
    void pictureDrawnAtItsSizeAndOpacity();
    void offlineAndPolling();
    void pollRates_data();
    void pollRates();
    void arxKeepsThePictureOnDisconnect();
    // Last: it leaves the demo archive open.
    void archivePictureShownFromItsFile();
};

void TestWMeterImage::devicePictures_data()
{
    QTest::addColumn<QString>("title");
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("picture");
    const QString in = QStringLiteral("Input 1");
    QTest::newRow("-60 grey") << in << -60.0 << WMeterImage::GreyPicture;
    QTest::newRow("-59.9 green") << in << -59.9 << WMeterImage::GreenPicture;
    QTest::newRow("-20 green") << in << -20.0 << WMeterImage::GreenPicture;
    QTest::newRow("-19.9 yellow") << in << -19.9 << WMeterImage::YellowPicture;
    QTest::newRow("-6 yellow") << in << -6.0 << WMeterImage::YellowPicture;
    QTest::newRow("-5.9 orange") << in << -5.9 << WMeterImage::OrangePicture;
    QTest::newRow("output 24 up") << "Output 3" << -29.0 << WMeterImage::OrangePicture;
}

void TestWMeterImage::devicePictures()
{
    QFETCH(QString, title);
    QFETCH(double, value);
    QFETCH(QString, picture);
    MeterRig rig;
    HNode *pNode = rig.addBlock({QStringLiteral("title=") + title, "label=Level"});
    pNode->setTypenum(QStringLiteral("2"));
    WMeterImage *pMeter = MeterRig::bind<WMeterImage>(rig.addMeter("meterimage", pNode, {}));
    QVERIFY(pMeter);
    deliver(pMeter, -3.0);
    deliver(pMeter, value);
    QCOMPARE(pMeter->picture(), picture);
    QCOMPARE(pMeter->itemProperty("path").toString(), picture);
}

void TestWMeterImage::arxPictures_data()
{
    QTest::addColumn<double>("level");
    QTest::addColumn<QString>("picture");
    QTest::newRow("0 grey") << 0.0 << WMeterImage::GreyPicture;
    QTest::newRow("0.5 green") << 0.5 << WMeterImage::GreenPicture;
    QTest::newRow("0.7 yellow") << 0.7 << WMeterImage::YellowPicture;
    QTest::newRow("0.9 yellow") << 0.9 << WMeterImage::YellowPicture;
    QTest::newRow("0.95 orange") << 0.95 << WMeterImage::OrangePicture;
}

void TestWMeterImage::arxPictures()
{
    QFETCH(double, level);
    QFETCH(QString, picture);
    MeterRig rig;
    HNode *pCard = rig.addCard(HAudioIO::Output, 1, {"title=Amp Output"});
    WMeterImage *pMeter = MeterRig::bind<WMeterImage>(rig.addMeter("meterimage", pCard, {}));
    QVERIFY(pMeter);
    pMeter->onArxWebSocketUpdate(outputs({1.0, 1.0}));
    pMeter->onArxWebSocketUpdate(outputs({1.0, level}));
    QCOMPARE(pMeter->picture(), picture);
    // A channel the model does not hold changes nothing.
    QTest::ignoreMessage(QtDebugMsg, "No output meter data available for arx channel 2");
    pMeter->onArxWebSocketUpdate(outputs({1.0}));
    QCOMPARE(pMeter->picture(), picture);
}

void TestWMeterImage::arxLists_data()
{
    QTest::addColumn<int>("direction");
    QTest::addColumn<QString>("title");
    QTest::addColumn<int>("pin");
    QTest::addColumn<QString>("picture"); // empty: nothing shown
    QTest::addColumn<QString>("message"); // the debug or warning line
    QTest::newRow("analog input") << int(HAudioIO::Input) << "Analog In 2" << 1 << WMeterImage::YellowPicture
                                  << "";
    QTest::newRow("digital input by title") << int(HAudioIO::Input) << "Digital In 2" << 1
                                            << WMeterImage::OrangePicture << "";
    QTest::newRow("output") << int(HAudioIO::Output) << "Amp Output" << 0 << WMeterImage::GreenPicture << "";
    QTest::newRow("analog input beyond the list") << int(HAudioIO::Input) << "Analog In 3" << 2 << ""
                                                  << "No input meter data available for arx channel 3";
    QTest::newRow("digital input beyond the list")
        << int(HAudioIO::Input) << "Digital In 3" << 2 << ""
        << "No digital input meter data available for arx channel 3";
    QTest::newRow("output beyond the list") << int(HAudioIO::Output) << "Amp Output" << 2 << ""
                                            << "No output meter data available for arx channel 3";
    QTest::newRow("neither input nor output") << int(HAudioIO::Unset) << "Amp Output" << 0 << ""
                                              << "WMeterImage can't tell if it is input or output.";
}

// Each kind of node reads its own list of the model, and says so when
// the list has no entry for it.
void TestWMeterImage::arxLists()
{
    QFETCH(int, direction);
    QFETCH(QString, title);
    QFETCH(int, pin);
    QFETCH(QString, picture);
    QFETCH(QString, message);
    MeterRig rig;
    HNode *pCard = rig.addCard(direction, pin, {QStringLiteral("title=") + title});
    WMeterImage *pMeter = MeterRig::bind<WMeterImage>(rig.addMeter("meterimage", pCard, {}));
    QVERIFY(pMeter);
    if (!message.isEmpty())
        QTest::ignoreMessage(direction == HAudioIO::Unset ? QtWarningMsg : QtDebugMsg, qPrintable(message));
    ArxWebSocketModel model;
    model.analogInputLevels = {0.5, 0.9};
    model.digitalInputLevels = {0.2, 0.95};
    model.outputLevels = {0.5, 1.0};
    pMeter->onArxWebSocketUpdate(model);
    QCOMPARE(pMeter->picture(), picture.isEmpty() ? WMeterImage::GreyPicture : picture);
}

// A reply that is no number (the sync-error text, a whole level list)
// gives no level: the picture stays.
void TestWMeterImage::replyThatIsNoNumberKeepsThePicture()
{
    MeterRig rig;
    HNode *pNode = rig.addBlock({QStringLiteral("title=Input 1"), "label=Level"});
    pNode->setTypenum(QStringLiteral("2"));
    WMeterImage *pMeter = MeterRig::bind<WMeterImage>(rig.addMeter("meterimage", pNode, {}));
    QVERIFY(pMeter);
    deliver(pMeter, -40.0);
    QCOMPARE(pMeter->picture(), WMeterImage::GreenPicture);
    for (const char *reply : {"SYNC_ERROR", "GL 1 [a,b,c,d,e]", ""}) {
        pMeter->transform()->setReplyText(QString::fromLatin1(reply));
        QCOMPARE(pMeter->picture(), WMeterImage::GreenPicture);
    }
}

// The four pictures are in the resources where the item looks for them.
void TestWMeterImage::picturesLoad()
{
    MeterRig rig;
    WMeterImage *pMeter = MeterRig::bind<WMeterImage>(rig.addMeter("meterimage", rig.addBlock(kInput), {}));
    QVERIFY(pMeter);
    QQuickItem *pPicture = pMeter->item()->findChild<QQuickItem *>(QStringLiteral("picture"));
    QVERIFY(pPicture);
    for (double value : {-60.0, -30.0, -10.0, 0.0}) {
        deliver(pMeter, value);
        QTRY_COMPARE(pPicture->property("status").toInt(), 1); // Image.Ready
        QCOMPARE(pPicture->property("source").toUrl().toString(), pMeter->picture());
        QCOMPARE(pPicture->property("sourceSize").toSize(), QSize(48, 48));
    }
}

void TestWMeterImage::opacityIsClamped_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("opacity");
    QTest::newRow("0") << "0" << 0.01;
    QTest::newRow("2") << "2" << 1.0;
    QTest::newRow("0.5") << "0.5" << 0.5;
    QTest::newRow("not a number") << "x" << 0.01;
}

void TestWMeterImage::opacityIsClamped()
{
    QFETCH(QString, text);
    QFETCH(double, opacity);
    MeterRig rig;
    WMeterImage *pMeter = MeterRig::bind<WMeterImage>(
        rig.addMeter("meterimage", rig.addBlock(kInput), {{"imageOpacity", text}}));
    QVERIFY(pMeter);
    QCOMPARE(pMeter->itemProperty("imageOpacity").toDouble(), opacity);
}

// The panel file names the picture "path", the saved file "image": both
// are read.
void TestWMeterImage::readsWhatItWrites()
{
    MeterRig rig;
    HNode *pNode = rig.addBlock(kInput);
    const MeterLeaves leaves = {{"image", "../images/meterYellow.png"}, {"imagesize", "0.5"},
                                {"text", "*LABEL*"},  {"meterRate", "1x/s"}, {"minimum", "-50"},
                                {"colorBreakValue1", "-30"}, {"channelName", "Ch"}, {"indexOffset", "3"}};
    WMeterImage *pMeter = MeterRig::bind<WMeterImage>(rig.addMeter("meterimage", pNode, leaves));
    QVERIFY(pMeter);
    QCOMPARE(pMeter->picture(), QStringLiteral("../images/meterYellow.png"));
    QCOMPARE(pMeter->itemText(), QStringLiteral("Mic In"));
    QCOMPARE(pMeter->core().interval(), 1000);
    QCOMPARE(pMeter->minimum(), -50.0);
    QCOMPARE(pMeter->transform()->usbChannel(), 3);

    QBuffer buffer;
    QVERIFY(buffer.open(QIODevice::WriteOnly));
    XmlWriter writer(&buffer);
    pMeter->writeAttributes(writer);
    const QByteArray saved = buffer.data();
    QVERIFY(saved.contains("<image>../images/meterYellow.png</image>"));
    QVERIFY(!saved.contains("<path>"));
    QVERIFY(saved.contains("<imagesize>0.5</imagesize>"));
    QVERIFY(saved.contains("<meterRate>1x/s</meterRate>"));
    QVERIFY(saved.contains("<channelName>Ch</channelName>"));
    QVERIFY(saved.contains("<indexOffset>3</indexOffset>"));

    MeterRig again;
    WMeterImage *pRead = MeterRig::bind<WMeterImage>(
        again.addMeter("meterimage", again.addBlock(kInput), {{"image", pMeter->picture()}}));
    QVERIFY(pRead);
    QCOMPARE(pRead->picture(), pMeter->picture());
}

void TestWMeterImage::savedElements_data()
{
    // One attribute read ("name=value"); what is saved under the element's
    // name (empty: no such element).
    QTest::addColumn<QString>("read");
    QTest::addColumn<QString>("element");
    QTest::addColumn<QString>("saved");
    QTest::newRow("indexOffset 4") << "indexOffset=4" << "indexOffset" << "4";
    QTest::newRow("indexOffset 0") << "indexOffset=0" << "indexOffset" << "";
    QTest::newRow("channelName empty") << "channelName=" << "channelName" << "";
    QTest::newRow("minimum") << "minimum=-50" << "minimum" << "-50";
    QTest::newRow("maximum") << "maximum=6" << "maximum" << "6";
    QTest::newRow("colorBreakValue1") << "colorBreakValue1=-25" << "colorBreakValue1" << "-25";
    QTest::newRow("colorBreakValue2") << "colorBreakValue2=-3" << "colorBreakValue2" << "-3";
    QTest::newRow("imageOpacity") << "imageOpacity=0.4" << "imageOpacity" << "0.4";
    // No placeholder is filled in at reading, and one inside a text never.
    QTest::newRow("text with a placeholder inside") << "text=*LABEL* level" << "text" << "*LABEL* level";
}

void TestWMeterImage::savedElements()
{
    QFETCH(QString, read);
    QFETCH(QString, element);
    QFETCH(QString, saved);
    MeterRig rig;
    WMeterImage *pMeter = MeterRig::bind<WMeterImage>(rig.addMeter(
        "meterimage", rig.addBlock(kInput),
        {{read.section(QLatin1Char('='), 0, 0), read.section(QLatin1Char('='), 1)}}));
    QVERIFY(pMeter);
    const QMap<QString, QString> elements = MeterRig::saved(pMeter);
    QVERIFY(elements.contains(QStringLiteral("meterRate")));
    bool numeric = false;
    const double number = saved.toDouble(&numeric);
    if (saved.isEmpty())
        QVERIFY2(!elements.contains(element), qPrintable(elements.value(element)));
    else if (numeric)
        QVERIFY2(qAbs(elements.value(element).toDouble() - number) < 1e-4, qPrintable(elements.value(element)));
    else
        QCOMPARE(elements.value(element), saved);
}

void TestWMeterImage::pictureDrawnAtItsSizeAndOpacity_data()
{
    QTest::addColumn<QString>("size");
    QTest::addColumn<QString>("opacity");
    QTest::addColumn<double>("drawnSize");
    QTest::addColumn<double>("drawnOpacity");
    QTest::newRow("half, faint") << "0.5" << "0.4" << 0.5 << 0.4;
    QTest::newRow("beyond the item") << "2" << "1" << 1.0 << 1.0;
    QTest::newRow("transparent") << "1" << "0" << 1.0 << 0.01;
    // Neither given (empty): the whole item, opaque.
    QTest::newRow("as made") << "" << "" << 1.0 << 1.0;
}

// The picture takes its share of the item and is drawn at its opacity.
void TestWMeterImage::pictureDrawnAtItsSizeAndOpacity()
{
    QFETCH(QString, size);
    QFETCH(QString, opacity);
    QFETCH(double, drawnSize);
    QFETCH(double, drawnOpacity);
    MeterLeaves leaves;
    if (!size.isEmpty())
        leaves.append({QStringLiteral("imagesize"), size});
    if (!opacity.isEmpty())
        leaves.append({QStringLiteral("imageOpacity"), opacity});
    MeterRig rig;
    WMeterImage *pMeter = MeterRig::bind<WMeterImage>(rig.addMeter("meterimage", rig.addBlock(kInput), leaves));
    QVERIFY(pMeter);
    QQuickItem *pPicture = pMeter->item()->findChild<QQuickItem *>(QStringLiteral("picture"));
    QVERIFY(pPicture);
    QVERIFY(pMeter->item()->width() > 10);
    QVERIFY2(qAbs(pPicture->width() - pMeter->item()->width() * drawnSize) < 0.5,
             qPrintable(QString::number(pPicture->width())));
    QVERIFY2(qAbs(pPicture->opacity() - drawnOpacity) < 1e-6, qPrintable(QString::number(pPicture->opacity())));
}

// A picture named as a file of the project archive is shown from the file
// the archive was unpacked to; the meter's own pictures stay as they are.
void TestWMeterImage::archivePictureShownFromItsFile()
{
    QVERIFY(UArchive::instance().open(QStringLiteral(":/data/Varolin/Demo.cpz")));
    MeterRig rig;
    WMeterImage *pMeter = MeterRig::bind<WMeterImage>(
        rig.addMeter("meterimage", rig.addBlock(kInput), {{"path", "D:/Demo/image/Demo.png"}}));
    QVERIFY(pMeter);
    const QUrl shown(pMeter->itemProperty("path").toString());
    QVERIFY2(shown.isLocalFile(), qPrintable(shown.toString()));
    QVERIFY(shown.toLocalFile().endsWith(QLatin1String("Demo.png")));
    QVERIFY(QFile::exists(shown.toLocalFile()));
    deliver(pMeter, -30.0);
    QCOMPARE(pMeter->itemProperty("path").toString(), WMeterImage::GreenPicture);
}

void TestWMeterImage::offlineAndPolling()
{
    MeterRig rig;
    WMeterImage *pMeter = MeterRig::bind<WMeterImage>(
        rig.addMeter("meterimage", rig.addBlock(kInput), {{"meterRate", "2x/s"}}), false);
    QVERIFY(pMeter);
    QCOMPARE(pMeter->picture(), WMeterImage::GreyPicture);
    emit rig.protocol.onlineStateChanged(true);
    QVERIFY(!pMeter->core().isPolling());
    QCOMPARE(rig.protocol.requests, 0);
    pMeter->setItemVisible(true);
    QVERIFY(pMeter->core().isPolling());
    QCOMPARE(pMeter->core().interval(), 500);
    QCOMPARE(rig.protocol.requests, 1);
    deliver(pMeter, -3.0);
    QCOMPARE(pMeter->picture(), WMeterImage::OrangePicture);
    emit rig.protocol.onlineStateChanged(false);
    QCOMPARE(pMeter->picture(), WMeterImage::GreyPicture);
    QVERIFY(!pMeter->core().isPolling());
}

void TestWMeterImage::pollRates_data()
{
    QTest::addColumn<QStringList>("read");
    QTest::addColumn<int>("interval");
    QTest::newRow("none read: four a second") << QStringList{} << 250;
    QTest::newRow("not in the table") << QStringList{"6x/s"} << 250;
    QTest::newRow("3x/s") << QStringList{"3x/s"} << 333;
    QTest::newRow("5x/s, then one not in the table") << QStringList{"5x/s", "10x/s"} << 200;
}

// The rate the image meter polls at, shown and online, as the panel file
// gives it or without one.
void TestWMeterImage::pollRates()
{
    QFETCH(QStringList, read);
    QFETCH(int, interval);
    MeterRig rig;
    MeterLeaves leaves;
    for (const QString &rate : std::as_const(read))
        leaves.append({QStringLiteral("meterRate"), rate});
    WMeterImage *pMeter = MeterRig::bind<WMeterImage>(rig.addMeter("meterimage", rig.addBlock(kInput), leaves));
    QVERIFY(pMeter);
    emit rig.protocol.onlineStateChanged(true);
    QVERIFY(pMeter->core().isPolling());
    QCOMPARE(pMeter->core().statusTimer().interval(), interval);
}

// The image meter connects to the feed once and keeps its last picture
// when the feed goes.
void TestWMeterImage::arxKeepsThePictureOnDisconnect()
{
    MeterRig rig;
    auto *pChassis = new HChassis;
    NodeProperties::read(*pChassis, {"title=ARX-4800", "label=Stage Amplifier", "ipAddress=127.0.0.1"});
    rig.device.addChild(pChassis);
    HNode *pCard = rig.addCard(HAudioIO::Output, 0, {"title=Amp Output"}, pChassis);
    pCard->setProtocol(&rig.protocol);
    CControl *pControl = rig.addMeter("meterimage", pCard, {});
    WMeterImage *pMeter = MeterRig::bind<WMeterImage>(pControl);
    QVERIFY(pMeter);
    pMeter->setTransform(pControl->transform());
    ArxModelRepository *pRepository = pChassis->arxModelRepository();
    emit pRepository->audioModelUpdate(outputs({0.95}));
    QCOMPARE(pMeter->picture(), WMeterImage::OrangePicture);
    emit pRepository->websocketDisconnect();
    QCOMPARE(pMeter->picture(), WMeterImage::OrangePicture);
    // A device reply is not what an ARX meter shows.
    deliver(pMeter, -60.0);
    QCOMPARE(pMeter->picture(), WMeterImage::OrangePicture);
}

VR_TEST_MAIN(TestWMeterImage)
#include "tst_wmeterimage.moc"
