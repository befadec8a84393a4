#include "VrTest.h"

#include "MeterRig.h"

#include "amplifiers/ArxModelRepository.h"
#include "amplifiers/ArxWebSocketModel.h"
#include "controls/WWidgetFactory.h"
#include "comms/TTransform.h"
#include "controls/CControl.h"
#include "devices/HChassis.h"
#include "project/XmlWriter.h"
#include "widgets/WMeterImage.h"

#include <QBuffer>
#include <QQuickItem>

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
    void picturesLoad();
    void replyThatIsNoNumberKeepsThePicture();
    void opacityIsClamped_data();
    void opacityIsClamped();
    void readsWhatItWrites();
    void offlineAndPolling();
    void pollRates_data();
    void pollRates();
    void arxKeepsThePictureOnDisconnect();
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
