#include "VrTest.h"

#include "FakeDesktopView.h"
#include "FakePanelHost.h"
#include "controls/CCanvas.h"

class TestCCanvas : public QObject
{
    Q_OBJECT

private slots:
    void settings_data();
    void settings();
    void resetKeepsLook();
    void pixelSize_data();
    void pixelSize();
    void pixelSizeWithoutView();
    void orientationAppliesTheLook();
    void resetNotifiesTheDesktop();
};

// Each row applies its settings in order on a fresh canvas.
void TestCCanvas::settings_data()
{
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<QStringList>("values");
    QTest::addColumn<QString>("skin");
    QTest::addColumn<QString>("accent");
    QTest::addColumn<bool>("horizcenter");
    QTest::addColumn<bool>("multiply");

    QTest::newRow("defaults") << QStringList() << QStringList() << "Light" << "Blue" << true << false;
    QTest::newRow("skin then device restores the default look")
        << QStringList{"skin", "accent", "device"} << QStringList{"Dark", "Red", "Panel 10"}
        << "Light" << "Blue" << true << false;
    QTest::newRow("device then skin keeps the skin")
        << QStringList{"device", "skin", "accent"} << QStringList{"Panel 10", "Dark", "Green"}
        << "Dark" << "Green" << true << false;
    QTest::newRow("skin names are matched exactly")
        << QStringList{"skin"} << QStringList{"dark"} << "Light" << "Blue" << true << false;
    QTest::newRow("unknown skin takes the first listed")
        << QStringList{"skin", "skin"} << QStringList{"Dark", "Neon"} << "Light" << "Blue" << true << false;
    QTest::newRow("horizcenter 1") << QStringList{"horizcenter"} << QStringList{"1"} << "Light" << "Blue" << true << false;
    QTest::newRow("horizcenter 0") << QStringList{"horizcenter"} << QStringList{"0"} << "Light" << "Blue" << false << false;
    QTest::newRow("horizcenter true reads as 0")
        << QStringList{"horizcenter"} << QStringList{"true"} << "Light" << "Blue" << false << false;
    QTest::newRow("multiplyScaleFactor 0 still sets it")
        << QStringList{"multiplyScaleFactor"} << QStringList{"0"} << "Light" << "Blue" << true << true;
    QTest::newRow("unknown names change nothing")
        << QStringList{"Skin", "colour"} << QStringList{"Dark", "red"} << "Light" << "Blue" << true << false;
}

void TestCCanvas::settings()
{
    QFETCH(QStringList, names);
    QFETCH(QStringList, values);
    CCanvas canvas;
    for (int i = 0; i < names.size(); ++i)
        canvas.setAttribute(names.at(i), values.at(i));
    QTEST(canvas.skin(), "skin");
    QTEST(canvas.accent(), "accent");
    QTEST(canvas.horizCenter(), "horizcenter");
    QTEST(canvas.multiplyScaleFactor(), "multiply");
}

void TestCCanvas::resetKeepsLook()
{
    CCanvas canvas;
    canvas.setAttribute("skin", "Dark");
    canvas.setAttribute("accent", "Pink");
    canvas.setAttribute("text", "Lobby");
    canvas.setAttribute("size", "10.1");
    canvas.setAttribute("orientation", "2");
    canvas.setAttribute("horizcenter", "0");
    canvas.setAttribute("device", "Panel");
    canvas.setAttribute("skin", "Dark");
    canvas.setAttribute("multiplyScaleFactor", "1");
    canvas.reset();
    QCOMPARE(canvas.skin(), QString("Dark"));
    QCOMPARE(canvas.accent(), QString("Blue"));
    QCOMPARE(canvas.text(), QString("Lobby"));
    QCOMPARE(canvas.size(), 6.0f);
    QCOMPARE(canvas.orientation(), 1);
    QVERIFY(canvas.horizCenter());
    QVERIFY(canvas.device().isEmpty());
    QVERIFY(!canvas.multiplyScaleFactor());
}

void TestCCanvas::pixelSize_data()
{
    QTest::addColumn<QString>("size");
    QTest::addColumn<QString>("aspect");
    QTest::addColumn<QString>("orientation");
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");

    // At the offscreen platform's 96 dpi.
    QTest::newRow("defaults, portrait") << "6.0" << "1.7777778" << "1" << 282 << 502;
    QTest::newRow("landscape") << "6.0" << "1.7777778" << "2" << 502 << 282;
    QTest::newRow("size not a number") << "big" << "1.7777778" << "1" << 0 << 0;
    QTest::newRow("aspect not a number") << "6.0" << "wide" << "2" << 0 << 576;
}

void TestCCanvas::pixelSize()
{
    QFETCH(QString, size);
    QFETCH(QString, aspect);
    QFETCH(QString, orientation);
    FakeDesktopView view(96.0f);
    CCanvas canvas;
    canvas.setAttribute("size", size);
    canvas.setAttribute("aspect", aspect);
    canvas.setAttribute("orientation", orientation);
    QVERIFY(canvas.loadDesktop(&view));
    QCOMPARE(view.shown, QUrl("qrc:/qml/QmlDesktop.qml"));
    QTEST(canvas.pixelWidth(), "width");
    QTEST(canvas.pixelHeight(), "height");
}

void TestCCanvas::pixelSizeWithoutView()
{
    CCanvas canvas;
    QCOMPARE(canvas.pixelWidth(), 200);
    QCOMPARE(canvas.pixelHeight(), 300);
    QVERIFY(!canvas.loadDesktop(nullptr));
    QCOMPARE(canvas.computePixelSize(), 0);
    QCOMPARE(canvas.pixelWidth(), 0);
}

// The look takes effect once the orientation has been read: skin, then
// accent, then the desktop is drawn anew and the size recomputed.
void TestCCanvas::orientationAppliesTheLook()
{
    FakePanelHost host;
    FakeDesktopView view(72.0f);
    CCanvas canvas;
    canvas.setModel(&host);
    QVERIFY(canvas.loadDesktop(&view));
    canvas.setAttribute("skin", "Dark");
    canvas.setAttribute("accent", "Green");
    canvas.propertyDone("skin");
    QVERIFY(host.skins.isEmpty());
    canvas.setAttribute("orientation", "2");
    canvas.propertyDone("orientation");
    QCOMPARE(host.skins, (QStringList{"Dark", "Green"}));
    QCOMPARE(host.desktopCalls, QStringList{"reload"});
    QCOMPARE(canvas.pixelWidth(), 376);
    QCOMPARE(canvas.pixelHeight(), 211);
}

void TestCCanvas::resetNotifiesTheDesktop()
{
    FakePanelHost host;
    CCanvas canvas;
    canvas.setModel(&host);
    canvas.setAttribute("orientation", "2");
    canvas.resetAndNotify();
    QCOMPARE(host.desktopCalls, (QStringList{"reset", "reload"}));
    QCOMPARE(canvas.orientation(), 1);
}

VR_TEST_MAIN(TestCCanvas)
#include "tst_ccanvas.moc"
