#include "VrTest.h"

#include "FakePanelHost.h"
#include "PanelFragment.h"
#include "RegionOnItem.h"
#include "controls/CControl.h"
#include "controls/WRegion.h"
#include "controls/WWidgetFactory.h"

#include <QColor>
#include <QJsonArray>
#include <QJsonDocument>
#include <QQmlComponent>
#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickWindow>
#include <QRegularExpression>

#include <memory>

namespace {

using Points = QList<QPointF>;

const QString kSquare = RegionOnItem::square();

Points jsonPoints(const QString &json)
{
    Points points;
    const QJsonArray array = QJsonDocument::fromJson(json.toUtf8()).array();
    for (const QJsonValue &value : array)
        points.append(QPointF(value[QStringLiteral("x")].toDouble(), value[QStringLiteral("y")].toDouble()));
    return points;
}

} // namespace

class TestWRegion : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void fragmentAttributesLandOnItem();
    void containsPoint_data();
    void containsPoint();
    void vertexText_data();
    void vertexText();
    void press_data();
    void press();
    void pressWithoutModelDoesNothing();
    void jumpAsksTheHost_data();
    void jumpAsksTheHost();
    void scaleMovesTheOutline();
    void qmlPassesPressesOutsideOn();
};

void TestWRegion::initTestCase()
{
    WWidgetFactory::registerWidgetTypes();
}

void TestWRegion::fragmentAttributesLandOnItem()
{
    // The shipped QML file loads cleanly, without a skin in the context.
    QTest::failOnWarning(QRegularExpression(QStringLiteral(".*")));
    PanelFragment panel(QStringLiteral(R"(
<Control name="Floor" type="Region">
	<Property name="widget">
		<region>
			<x>40</x>
			<y>50</y>
			<width>120</width>
			<height>90</height>
			<z>3</z>
			<fieldcolor>#80ff0000</fieldcolor>
			<bordercolor>blue</bordercolor>
			<borderwidth>2.5</borderwidth>
			<polygon>0,0 100,0 100,80 0,80 </polygon>
			<path>..\Zones\Mic Zone</path>
		</region>
	</Property>
	<Property name="attributes" />
</Control>)"));
    QVERIFY(panel.isParsed());
    auto *pRegion = qobject_cast<WRegion *>(panel.widget(QStringLiteral("Floor")));
    QVERIFY(pRegion);
    QQuickItem *pItem = pRegion->item();
    QVERIFY(pItem);

    // Each property the region writes is one that the QML file declares.
    for (const char *name : {"fieldColor", "borderColor", "borderWidth", "model", "polygon"})
        QVERIFY2(pItem->metaObject()->indexOfProperty(name) >= 0, name);

    QCOMPARE(pRegion->geometry(), QRectF(40, 50, 120, 90));
    QCOMPARE(pItem->z(), 3.0);
    QCOMPARE(pItem->property("fieldColor").value<QColor>(), QColor::fromString("#80ff0000"));
    QCOMPARE(pItem->property("borderColor").value<QColor>(), QColor(Qt::blue));
    QCOMPARE(pItem->property("borderWidth").toReal(), 2.5);
    QCOMPARE(pRegion->path(), QStringLiteral("..\\Zones\\Mic Zone"));

    const Points expected{{0, 0}, {100, 0}, {100, 80}, {0, 80}};
    QCOMPARE(pRegion->vertices(), expected);
    QCOMPARE(jsonPoints(pItem->property("polygon").toString()), expected);
    QCOMPARE(pItem->property("model").toList().size(), 4);
    QCOMPARE(pItem->property("model").toList().at(2).toPointF(), QPointF(100, 80));
}

void TestWRegion::containsPoint_data()
{
    QTest::addColumn<QString>("polygon");
    QTest::addColumn<QPointF>("point");
    QTest::addColumn<bool>("inside");

    QTest::newRow("square centre") << kSquare << QPointF(5, 5) << true;
    QTest::newRow("square right of it") << kSquare << QPointF(15, 5) << false;
    QTest::newRow("square left of it") << kSquare << QPointF(-1, 5) << false;
    QTest::newRow("square above it") << kSquare << QPointF(5, -0.5) << false;
    QTest::newRow("square left edge") << kSquare << QPointF(0, 5) << true;
    QTest::newRow("square right edge") << kSquare << QPointF(10, 5) << true;
    QTest::newRow("square top edge") << kSquare << QPointF(5, 0) << true;
    QTest::newRow("square bottom edge") << kSquare << QPointF(5, 10) << true;
    QTest::newRow("square within tolerance") << kSquare << QPointF(10.000001, 5) << true;
    QTest::newRow("triangle inside") << "0,0 10,10 0,10 " << QPointF(2, 8) << true;
    QTest::newRow("triangle beyond the slope") << "0,0 10,10 0,10 " << QPointF(8, 2) << false;
    QTest::newRow("triangle on the slope") << "0,0 10,10 0,10 " << QPointF(5, 5) << true;
    QTest::newRow("triangle on the falling slope") << "0,0 10,0 0,10 " << QPointF(5, 5) << true;
    QTest::newRow("triangle just off the slope") << "0,0 10,0 0,10 " << QPointF(5.01, 5.01) << false;
    QTest::newRow("triangle corner") << "0,0 10,0 0,10 " << QPointF(10, 0) << true;
    // An L shape: the notch at the top right is outside.
    QTest::newRow("L in the foot") << "0,0 4,0 4,6 10,6 10,10 0,10 " << QPointF(8, 8) << true;
    QTest::newRow("L in the notch") << "0,0 4,0 4,6 10,6 10,10 0,10 " << QPointF(8, 3) << false;
    QTest::newRow("no vertices") << "" << QPointF(0, 0) << false;
    QTest::newRow("a line encloses nothing") << "0,0 10,10 " << QPointF(5, 5) << false;
}

void TestWRegion::containsPoint()
{
    QFETCH(QString, polygon);
    QFETCH(QPointF, point);
    QFETCH(bool, inside);

    RegionOnItem r(polygon);
    QCOMPARE(r.pRegion->containsPoint(point.x(), point.y()), inside);
}

void TestWRegion::vertexText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<Points>("vertices");

    QTest::newRow("two pairs") << "1,2 3,4" << Points{{1, 2}, {3, 4}};
    QTest::newRow("a pair without a comma") << "1;2 3,4" << Points{{3, 4}};
    QTest::newRow("a pair starting with a comma") << ",2 3,4 " << Points{{3, 4}};
    QTest::newRow("double blanks") << "1,2  3.5,-4 " << Points{{1, 2}, {3.5, -4}};
    QTest::newRow("not a number is 0") << "a,2" << Points{{0, 2}};
    QTest::newRow("empty") << "" << Points{};
}

void TestWRegion::vertexText()
{
    QFETCH(QString, text);
    QFETCH(Points, vertices);

    QCOMPARE(WPolygon::parseVertexText(text), vertices);
    // Reading back what is written gives the same vertices.
    QCOMPARE(WPolygon::parseVertexText(WPolygon::vertexText(vertices)), vertices);
    QCOMPARE(WPolygon::vertexText(Points{{1, 2}, {3.5, 4}}), QStringLiteral("1,2 3.5,4 "));
}

void TestWRegion::press_data()
{
    QTest::addColumn<QPointF>("point");
    QTest::addColumn<bool>("taken");

    QTest::newRow("inside") << QPointF(5, 5) << true;
    QTest::newRow("outside") << QPointF(15, 5) << false;
    QTest::newRow("on the edge") << QPointF(10, 5) << true;
}

void TestWRegion::press()
{
    QFETCH(QPointF, point);
    QFETCH(bool, taken);

    RegionOnItem r(kSquare);
    QCOMPARE(r.pRegion->outputPressed(point.x(), point.y()), taken);
    QCOMPARE(r.pRegion->isJumpPending(), taken);
}

void TestWRegion::pressWithoutModelDoesNothing()
{
    RegionOnItem r(kSquare);
    r.pRegion->readAttribute(QStringLiteral("path"), QStringLiteral("..\\Zones\\Mic Zone"));
    QVERIFY(r.pRegion->outputPressed(5, 5));
    QTRY_VERIFY(!r.pRegion->isJumpPending());
}

void TestWRegion::jumpAsksTheHost_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QPointF>("point");
    QTest::addColumn<bool>("asked");

    QTest::newRow("press inside") << "..\\Zones\\Mic Zone" << QPointF(5, 5) << true;
    QTest::newRow("press on the edge") << "..\\Demo\\Levels" << QPointF(0, 5) << true;
    QTest::newRow("press outside") << "..\\Zones\\Mic Zone" << QPointF(11, 5) << false;
    QTest::newRow("path naming nothing") << "..\\Demo\\Nowhere" << QPointF(5, 5) << true;
}

// A press inside the outline has the application follow the path, after the
// jump timer, never inside the press.
void TestWRegion::jumpAsksTheHost()
{
    QFETCH(QString, path);
    QFETCH(QPointF, point);
    QFETCH(bool, asked);

    FakePanelHost host;
    CControl control;
    control.setModel(&host);
    RegionOnItem r(kSquare);
    r.pRegion->setControl(&control);
    r.pRegion->readAttribute(QStringLiteral("path"), path);

    r.pRegion->outputPressed(point.x(), point.y());
    QVERIFY(host.links.isEmpty());
    QTRY_VERIFY(!r.pRegion->isJumpPending());
    QCOMPARE(host.links, asked ? QStringList{path} : QStringList());
}

void TestWRegion::scaleMovesTheOutline()
{
    CControl control;
    RegionOnItem r(QStringLiteral("10,10 30,10 30,40 "));
    r.pRegion->setControl(&control);
    r.pRegion->scale(2.0f, false);
    const Points expected{{5, 20}, {15, 20}, {15, 80}};
    QCOMPARE(r.pRegion->vertices(), expected);
    QCOMPARE(jsonPoints(r.pRoot->property("polygon").toString()), expected);
    r.pRegion->scale(2.0f, true);
    QCOMPARE(r.pRegion->vertices(), (Points{{10, 40}, {30, 40}, {30, 160}}));
}

// The shipped QML asks the region about each press and leaves a press
// outside the outline to the items below.
void TestWRegion::qmlPassesPressesOutsideOn()
{
    QTest::failOnWarning(QRegularExpression(QStringLiteral(".*")));
    QQuickWindow window;
    window.resize(200, 200);
    QQmlEngine engine;
    QQmlComponent component(&engine, QUrl(QStringLiteral("qrc:/qmlcontrol/QmlRegion.qml")));
    std::unique_ptr<QQuickItem> pItem(qobject_cast<QQuickItem *>(component.create()));
    QVERIFY2(pItem, qPrintable(component.errorString()));
    auto *pRegion = pItem->findChild<WRegion *>(QStringLiteral("widget"));
    QVERIFY(pRegion);
    pRegion->setWidget(pItem.get());

    // Under the region: an item that sees the presses the region lets pass.
    QQmlComponent belowComponent(&engine);
    belowComponent.setData("import QtQuick\nMouseArea { property int presses: 0\n"
                           "width: 200; height: 200\nonPressed: presses = presses + 1 }\n",
                           QUrl());
    std::unique_ptr<QQuickItem> pBelow(qobject_cast<QQuickItem *>(belowComponent.create()));
    QVERIFY2(pBelow, qPrintable(belowComponent.errorString()));
    pBelow->setParentItem(window.contentItem());
    pItem->setParentItem(window.contentItem());

    // The jump reaches the host; whether its 5 ms timer is still pending
    // right after the release depends on the machine's load.
    FakePanelHost host;
    CControl control;
    control.setModel(&host);
    pRegion->setControl(&control);
    QVERIFY(pRegion->readAttribute(QStringLiteral("path"), QStringLiteral("..\\Zones\\Mic Zone")));
    QVERIFY(pRegion->readAttribute(QStringLiteral("polygon"), QStringLiteral("0,0 50,0 50,50 0,50 ")));
    QVERIFY(pRegion->readAttribute(QStringLiteral("width"), QStringLiteral("100")));
    QVERIFY(pRegion->readAttribute(QStringLiteral("height"), QStringLiteral("100")));
    pItem->setVisible(true);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));

    QTest::mousePress(&window, Qt::LeftButton, {}, QPoint(25, 25));
    QTest::mouseRelease(&window, Qt::LeftButton, {}, QPoint(25, 25));
    QTRY_COMPARE(host.links, QStringList{"..\\Zones\\Mic Zone"});
    QCOMPARE(pBelow->property("presses").toInt(), 0);
    QVERIFY(!pRegion->isJumpPending());

    QTest::mousePress(&window, Qt::LeftButton, {}, QPoint(75, 75));
    QTest::mouseRelease(&window, Qt::LeftButton, {}, QPoint(75, 75));
    QVERIFY(!pRegion->isJumpPending());
    QCOMPARE(pBelow->property("presses").toInt(), 1);
    QCOMPARE(host.links.size(), 1);
    pRegion->setControl(nullptr);
}

VR_TEST_MAIN(TestWRegion)
#include "tst_wregion.moc"
