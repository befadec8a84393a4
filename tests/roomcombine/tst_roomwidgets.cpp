#include "VrTest.h"

#include "FakePanelHost.h"
#include "InterfaceQml.h"
#include "QuickItemSearch.h"
#include "StubInterface.h"
#include "comms/PVDSProtocol.h"
#include "controls/CControl.h"
#include "controls/WWidgetFactory.h"
#include "devices/HBlock.h"
#include "devices/HChassis.h"
#include "devices/HNodeFactory.h"
#include "devices/HRCGroupInfo.h"
#include "project/XmlWriter.h"
#include "roomcombine/HRCGroup.h"
#include "roomcombine/HRCRoom.h"
#include "roomcombine/WActiveCombo.h"
#include "roomcombine/WComboSelection.h"
#include "roomcombine/WRoomSelection.h"

#include <QBuffer>
#include <QColor>
#include <QJsonArray>
#include <QJsonDocument>
#include <QQmlComponent>
#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickWindow>
#include <QRegularExpression>
#include <QSignalSpy>

#include <memory>

namespace {

using Points = QList<QPointF>;

const Points kSquare = {{0, 0}, {10, 0}, {10, 10}, {0, 10}};

Points jsonPoints(const QString &json)
{
    Points points;
    const QJsonArray array = QJsonDocument::fromJson(json.toUtf8()).array();
    for (const QJsonValue &value : array)
        points.append(QPointF(value[QStringLiteral("x")].toDouble(), value[QStringLiteral("y")].toDouble()));
    return points;
}

// A widget of the shipped QML file, found as the factory finds it.
template<typename T>
struct Shipped
{
    explicit Shipped(QQmlEngine &engine, const char *url)
    {
        QQmlComponent component(&engine, QUrl(QString::fromLatin1(url)));
        pItem.reset(qobject_cast<QQuickItem *>(component.create()));
        if (!pItem) {
            qWarning().noquote() << component.errorString();
            return;
        }
        pWidget = pItem->findChild<T *>(QStringLiteral("widget"));
        if (pWidget) {
            pWidget->setWidget(pItem.get());
            pWidget->initialize(pItem.get());
        }
    }
    std::unique_ptr<QQuickItem> pItem;
    T *pWidget = nullptr;
};

// A chassis whose room-combining group 1 has the given number of rooms
// ("Hall-Room1" ...), with its group node and room nodes.
struct Rooms
{
    explicit Rooms(int count)
    {
        for (int r = 1; r <= count; ++r)
            chassis.roomCombineInfo()->addRoom(r, QStringLiteral("Hall-Room%1").arg(r), 1, 1, 10 + r, {});
        pGroup = new HRCGroup;
        pGroup->setId(QStringLiteral("1"));
        chassis.addChild(pGroup);
        pGroup->buildChildren(&factory, false);
    }
    HRCRoom *room(int number) const { return qobject_cast<HRCRoom *>(pGroup->childAt(number - 1)); }

    HChassis chassis;
    HNodeFactory factory;
    HRCGroup *pGroup = nullptr;
};

// The processor that carries a room's commands, as its widget sees it.
enum Processor { ProcessorOnline, ProcessorOffline, NoProcessor };

// A bare item with a repaint counter in place of the shipped canvas.
const QByteArray kCountingItem = "import QtQuick\nItem { property int repaints: 0\n"
                                 "property var model: []\nproperty string polygon: \"[]\"\n"
                                 "property color fieldColor: \"red\"\nproperty color borderColor: \"blue\"\n"
                                 "property real borderWidth: 2\n"
                                 "function repaint() { repaints = repaints + 1 } }\n";

QString written(const WWidget *pWidget)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    XmlWriter writer(&buffer);
    pWidget->writeAttributes(writer);
    return QString::fromUtf8(buffer.data());
}

// The text of each "<name>value</name>" line of a saved element.
QString savedValue(const QString &saved, const QString &name)
{
    const QRegularExpression line(QStringLiteral("<%1>(.*)</%1>").arg(name));
    const QRegularExpressionMatch match = line.match(saved);
    return match.hasMatch() ? match.captured(1) : QStringLiteral("<missing>");
}

} // namespace

class TestRoomWidgets : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();

    // The outline.
    void vertexJsonRoundTrip_data();
    void vertexJsonRoundTrip();
    void badVertexJsonKeepsTheOutline_data();
    void badVertexJsonKeepsTheOutline();
    void boundingBox_data();
    void boundingBox();
    void scaleMovesTheVertices_data();
    void scaleMovesTheVertices();
    void vertexMoveWaitsAndTheLastWins();
    void vertexMoveToItsOwnPlaceDoesNothing();
    void vertexMoveOutsideTheListNormalises();
    void outlineTextExtendsTheOutline();
    void savedOutlineReadsBack();
    void itemHasContentsAndTakesNoEdits();

    // The room.
    void colourAndSelection();
    void opacitiesFromThePanelFileAreWrittenBack();
    void pressesReachTheRoomOnlyInsideAndConnected_data();
    void pressesReachTheRoomOnlyInsideAndConnected();
    void itemPassesPressesOutsideTheOutlineOn_data();
    void itemPassesPressesOutsideTheOutlineOn();
    void plainNodeShowsBlack();
    void failureBoxNeedsTheInterface();
    void releasedRoomHearsNoMore();

    // The selector and the active-combination label.
    void selectorColoursBeforeAndAfterBinding_data();
    void selectorColoursBeforeAndAfterBinding();
    void selectorClick_data();
    void selectorClick();
    void selectorSwatchesInQml();
    void activeComboCountsTheFirstUpdate_data();
    void activeComboCountsTheFirstUpdate();
    void activeComboFollowsReports();
    void activeComboAttributes_data();
    void activeComboAttributes();
    void minimumExtents();

private:
    QQmlEngine m_engine;
};

void TestRoomWidgets::initTestCase()
{
    WWidgetFactory::registerWidgetTypes();
}

void TestRoomWidgets::vertexJsonRoundTrip_data()
{
    QTest::addColumn<Points>("vertices");
    QTest::newRow("square") << kSquare;
    QTest::newRow("fractions and negatives") << Points{{-1.5, 2.25}, {3.125, -4}, {0.0625, 7}};
    QTest::newRow("one vertex") << Points{{5, 5}};
}

// What the QML item gets as JSON, handed back through saveVertices, gives
// the same outline; so does the vertex text of the panel file.
void TestRoomWidgets::vertexJsonRoundTrip()
{
    QFETCH(Points, vertices);
    Shipped<WRoomSelection> room(m_engine, "qrc:/qmlcontrol/QmlRoomSelector.qml");
    QVERIFY(room.pWidget);
    QVERIFY(room.pWidget->readAttribute(QStringLiteral("polygon"), WPolygon::vertexText(vertices)));
    const QString json = room.pWidget->getVertexJson();
    QCOMPARE(jsonPoints(json), vertices);
    QCOMPARE(room.pItem->property("polygon").toString(), json);

    room.pWidget->saveVertices(QByteArray("[{\"x\": 1, \"y\": 1}]"));
    QCOMPARE(room.pWidget->vertices(), (Points{{1, 1}}));
    room.pWidget->saveVertices(json.toUtf8());
    QCOMPARE(room.pWidget->vertices(), vertices);
    QCOMPARE(jsonPoints(room.pItem->property("polygon").toString()), vertices);
    QCOMPARE(WPolygon::parseVertexText(WPolygon::vertexText(vertices)), vertices);
}

void TestRoomWidgets::badVertexJsonKeepsTheOutline_data()
{
    QTest::addColumn<QByteArray>("json");
    QTest::newRow("empty text") << QByteArray();
    QTest::newRow("not JSON") << QByteArray("0,0 10,0 10,10");
    QTest::newRow("cut off") << QByteArray("[{\"x\": 1, \"y\": 2}");
    QTest::newRow("an object") << QByteArray("{\"x\": 1, \"y\": 2}");
    QTest::newRow("empty array") << QByteArray("[]");
    QTest::newRow("numbers") << QByteArray("[1, 2]");
    QTest::newRow("a point without y") << QByteArray("[{\"x\": 1, \"y\": 2}, {\"x\": 3}]");
    QTest::newRow("a coordinate as text") << QByteArray("[{\"x\": \"1\", \"y\": 2}]");
}

// A slip in the edited outline must not empty the room.
void TestRoomWidgets::badVertexJsonKeepsTheOutline()
{
    QFETCH(QByteArray, json);
    Shipped<WRoomSelection> room(m_engine, "qrc:/qmlcontrol/QmlRoomSelector.qml");
    QVERIFY(room.pWidget);
    room.pWidget->readAttribute(QStringLiteral("polygon"), WPolygon::vertexText(kSquare));
    room.pWidget->saveVertices(json);
    QCOMPARE(room.pWidget->vertices(), kSquare);
    QCOMPARE(jsonPoints(room.pItem->property("polygon").toString()), kSquare);
    QVERIFY(room.pWidget->containsPoint(5, 5));
}

void TestRoomWidgets::boundingBox_data()
{
    QTest::addColumn<Points>("vertices");
    QTest::addColumn<QRectF>("box");
    QTest::newRow("none") << Points{} << QRectF();
    QTest::newRow("square") << kSquare << QRectF(0, 0, 10 + 1e-6, 10 + 1e-6);
    QTest::newRow("off the origin") << Points{{4, 3}, {9, 5}, {6, 8}} << QRectF(4, 3, 5 + 1e-6, 5 + 1e-6);
    QTest::newRow("one point") << Points{{2, 2}} << QRectF(2, 2, 1e-6, 1e-6);
}

void TestRoomWidgets::boundingBox()
{
    QFETCH(Points, vertices);
    QFETCH(QRectF, box);
    Shipped<WRoomSelection> room(m_engine, "qrc:/qmlcontrol/QmlRoomSelector.qml");
    QVERIFY(room.pWidget);
    if (!vertices.isEmpty())
        room.pWidget->readAttribute(QStringLiteral("polygon"), WPolygon::vertexText(vertices));
    const QRectF got = room.pWidget->boundingBox();
    QVERIFY2(qAbs(got.x() - box.x()) < 1e-9 && qAbs(got.y() - box.y()) < 1e-9
                 && qAbs(got.width() - box.width()) < 1e-9 && qAbs(got.height() - box.height()) < 1e-9,
             qPrintable(QStringLiteral("%1 %2 %3 %4").arg(got.x()).arg(got.y()).arg(got.width()).arg(got.height())));
}

void TestRoomWidgets::scaleMovesTheVertices_data()
{
    QTest::addColumn<float>("factor");
    QTest::addColumn<bool>("multiply");
    QTest::addColumn<Points>("vertices");
    QTest::newRow("by 2, dividing x") << 2.0f << false << Points{{0, 0}, {5, 0}, {5, 20}, {0, 20}};
    QTest::newRow("by 2, multiplying x") << 2.0f << true << Points{{0, 0}, {20, 0}, {20, 20}, {0, 20}};
    QTest::newRow("by 0.5, dividing x") << 0.5f << false << Points{{0, 0}, {20, 0}, {20, 5}, {0, 5}};
    QTest::newRow("by 0 stays") << 0.0f << true << kSquare;
}

void TestRoomWidgets::scaleMovesTheVertices()
{
    QFETCH(float, factor);
    QFETCH(bool, multiply);
    QFETCH(Points, vertices);
    CControl control;
    Shipped<WRoomSelection> room(m_engine, "qrc:/qmlcontrol/QmlRoomSelector.qml");
    QVERIFY(room.pWidget);
    room.pWidget->setControl(&control);
    room.pWidget->readAttribute(QStringLiteral("polygon"), WPolygon::vertexText(kSquare));
    room.pWidget->scale(factor, multiply);
    QCOMPARE(room.pWidget->vertices(), vertices);
    QCOMPARE(jsonPoints(room.pItem->property("polygon").toString()), vertices);
    room.pWidget->setControl(nullptr);
}

// Moves within the delay are gathered: only the last one is made, once.
void TestRoomWidgets::vertexMoveWaitsAndTheLastWins()
{
    QQmlComponent component(&m_engine);
    component.setData(kCountingItem, QUrl());
    std::unique_ptr<QQuickItem> pItem(qobject_cast<QQuickItem *>(component.create()));
    QVERIFY(pItem);
    WPolygon polygon;
    polygon.setWidget(pItem.get());
    polygon.readAttribute(QStringLiteral("polygon"), WPolygon::vertexText(kSquare));

    // A drag pauses for 100 ms before the vertex moves.
    QCOMPARE(polygon.vertexMoveTimer()->interval(), 100);
    QVERIFY(polygon.vertexMoveTimer()->isSingleShot());
    polygon.placeAt(QPointF(12, 1), 1, true);
    polygon.placeAt(QPointF(14, 2), 1, true);
    QVERIFY(polygon.isMovePending());
    QCOMPARE(polygon.vertexMoveTimer()->interval(), 100);
    QCOMPARE(polygon.vertices(), kSquare);
    QTRY_VERIFY(!polygon.isMovePending());
    QCOMPARE(polygon.vertices(), (Points{{0, 0}, {14, 2}, {10, 10}, {0, 10}}));
    QCOMPARE(jsonPoints(pItem->property("polygon").toString()).at(1), QPointF(14, 2));
    QCOMPARE(pItem->property("repaints").toInt(), 1);

    // Without the repaint request the outline changes, unpainted.
    polygon.placeAt(QPointF(11, 11), 2, false);
    QTRY_VERIFY(!polygon.isMovePending());
    QCOMPARE(polygon.vertices().at(2), QPointF(11, 11));
    QCOMPARE(pItem->property("repaints").toInt(), 1);
}

void TestRoomWidgets::vertexMoveToItsOwnPlaceDoesNothing()
{
    QQmlComponent component(&m_engine);
    component.setData(kCountingItem, QUrl());
    std::unique_ptr<QQuickItem> pItem(qobject_cast<QQuickItem *>(component.create()));
    QVERIFY(pItem);
    WPolygon polygon;
    polygon.setWidget(pItem.get());
    polygon.readAttribute(QStringLiteral("polygon"), WPolygon::vertexText(kSquare));
    QSignalSpy polygonChanged(pItem.get(), SIGNAL(polygonChanged()));

    polygon.placeAt(QPointF(10, 10), 2, true);
    QTRY_VERIFY(!polygon.isMovePending());
    QCOMPARE(polygon.vertices(), kSquare);
    QCOMPARE(pItem->property("repaints").toInt(), 0);
    QCOMPARE(polygonChanged.count(), 0);
}

// An index outside the list brings the outline's corner to the item's
// origin; the item moves and takes the outline's size.
void TestRoomWidgets::vertexMoveOutsideTheListNormalises()
{
    QQmlComponent component(&m_engine);
    component.setData(kCountingItem, QUrl());
    std::unique_ptr<QQuickItem> pItem(qobject_cast<QQuickItem *>(component.create()));
    QVERIFY(pItem);
    WPolygon polygon;
    polygon.setWidget(pItem.get());
    polygon.readAttribute(QStringLiteral("x"), QStringLiteral("100"));
    polygon.readAttribute(QStringLiteral("y"), QStringLiteral("50"));
    polygon.readAttribute(QStringLiteral("polygon"), QStringLiteral("4,3 9,3 9,8 "));

    polygon.placeAt(QPointF(), -1, true);
    QTRY_VERIFY(!polygon.isMovePending());
    QCOMPARE(polygon.vertices(), (Points{{0, 0}, {5, 0}, {5, 5}}));
    QCOMPARE(pItem->x(), 104.0);
    QCOMPARE(pItem->y(), 53.0);
    QVERIFY(qAbs(pItem->width() - 5.0) < 1e-5);
    QCOMPARE(pItem->property("repaints").toInt(), 1);

    // Already at the origin: nothing moves.
    polygon.placeAt(QPointF(), 7, true);
    QTRY_VERIFY(!polygon.isMovePending());
    QCOMPARE(pItem->x(), 104.0);
    QCOMPARE(pItem->property("repaints").toInt(), 1);
}

// Each vertex text of the panel file adds to the outline read so far; the
// QML item gets the whole of it.
void TestRoomWidgets::outlineTextExtendsTheOutline()
{
    QQmlComponent component(&m_engine);
    component.setData(kCountingItem, QUrl());
    std::unique_ptr<QQuickItem> pItem(qobject_cast<QQuickItem *>(component.create()));
    QVERIFY(pItem);
    WPolygon polygon;
    polygon.setWidget(pItem.get());
    QVERIFY(polygon.readAttribute(QStringLiteral("polygon"), QStringLiteral("0,0 10,0 ")));
    QVERIFY(polygon.readAttribute(QStringLiteral("polygon"), QStringLiteral("10,10 0,10 ")));
    QCOMPARE(polygon.vertices(), kSquare);
    QCOMPARE(jsonPoints(pItem->property("polygon").toString()), kSquare);
    QCOMPARE(pItem->property("model").toList().size(), kSquare.size());
    QVERIFY(polygon.containsPoint(5, 5));
    QCOMPARE(savedValue(written(&polygon), QStringLiteral("polygon")), QStringLiteral("0,0 10,0 10,10 0,10 "));
}

void TestRoomWidgets::savedOutlineReadsBack()
{
    QQmlComponent component(&m_engine);
    component.setData(kCountingItem, QUrl());
    std::unique_ptr<QQuickItem> pItem(qobject_cast<QQuickItem *>(component.create()));
    QVERIFY(pItem);
    WPolygon polygon;
    polygon.setTypeName(QStringLiteral("region"));
    polygon.setWidget(pItem.get());
    polygon.readAttribute(QStringLiteral("polygon"), QStringLiteral("1,2 3.5,4 "));
    polygon.readAttribute(QStringLiteral("path"), QStringLiteral("..\\Rooms\\Floor"));
    polygon.readAttribute(QStringLiteral("fieldcolor"), QStringLiteral("#80ff0000"));
    polygon.readAttribute(QStringLiteral("borderwidth"), QStringLiteral("2.5"));

    const QString saved = written(&polygon);
    QVERIFY2(saved.startsWith(QLatin1String("<region>\n")), qPrintable(saved));
    QCOMPARE(savedValue(saved, QStringLiteral("polygon")), QStringLiteral("1,2 3.5,4 "));
    QCOMPARE(savedValue(saved, QStringLiteral("path")), QStringLiteral("..\\Rooms\\Floor"));
    QCOMPARE(savedValue(saved, QStringLiteral("fieldcolor")), QStringLiteral("#80ff0000"));
    QCOMPARE(savedValue(saved, QStringLiteral("bordercolor")), QStringLiteral("#0000ff"));
    QCOMPARE(savedValue(saved, QStringLiteral("borderwidth")), QStringLiteral("2.5"));
}

void TestRoomWidgets::itemHasContentsAndTakesNoEdits()
{
    Shipped<WRoomSelection> room(m_engine, "qrc:/qmlcontrol/QmlRoomSelector.qml");
    QVERIFY(room.pWidget);
    QVERIFY(room.pWidget->flags().testFlag(QQuickItem::ItemHasContents));
    QVERIFY(!room.pWidget->editWidget(1, 1, 0, 0));
    room.pWidget->updateGeometry(QRectF(0, 0, 20, 20), QRectF(0, 0, 10, 10));
    QVERIFY(room.pWidget->isGeometryDirty());
}

void TestRoomWidgets::colourAndSelection()
{
    Shipped<WRoomSelection> room(m_engine, "qrc:/qmlcontrol/QmlRoomSelector.qml");
    QVERIFY(room.pWidget);
    WRoomSelection *pRoom = room.pWidget;
    QCOMPARE(pRoom->fillColor(), QStringLiteral("lightgray"));
    QVERIFY(!pRoom->isSelected());
    QCOMPARE(pRoom->selectedOpacity(), 0.3f);
    QCOMPARE(pRoom->unselectedOpacity(), 0.3f);
    QSignalSpy selected(pRoom, &WRoomSelection::isSelectedChanged);

    pRoom->onUpdateRoomColor(QStringLiteral("crimson"), 3);
    QVERIFY(pRoom->isSelected());
    QCOMPARE(selected.count(), 1);
    // The QML item fills the room with its combination's colour.
    QCOMPARE(room.pItem->property("fillColor").value<QColor>(), QColor("crimson"));
    pRoom->onUpdateRoomColor(QStringLiteral("orange"), 3);
    QCOMPARE(selected.count(), 1);
    QCOMPARE(room.pItem->property("fillColor").value<QColor>(), QColor("orange"));

    pRoom->onUpdateRoomColor(QStringLiteral("lightgray"), 3);
    QVERIFY(!pRoom->isSelected());
    QCOMPARE(selected.count(), 2);
    QCOMPARE(room.pItem->property("fillColor").value<QColor>(), QColor("lightgrey"));
    pRoom->onUpdateRoomColor(QStringLiteral("lightgray"), 3);
    QCOMPARE(selected.count(), 2);
}

void TestRoomWidgets::opacitiesFromThePanelFileAreWrittenBack()
{
    Shipped<WRoomSelection> room(m_engine, "qrc:/qmlcontrol/QmlRoomSelector.qml");
    QVERIFY(room.pWidget);
    room.pWidget->setTypeName(QStringLiteral("roomselector"));
    QSignalSpy selectedSpy(room.pWidget, &WRoomSelection::selectedOpacityChanged);
    QSignalSpy unselectedSpy(room.pWidget, &WRoomSelection::unselectedOpacityChanged);
    QVERIFY(room.pWidget->readAttribute(QStringLiteral("selectedOpacity"), QStringLiteral("0.8")));
    QVERIFY(room.pWidget->readAttribute(QStringLiteral("unselectedOpacity"), QStringLiteral("0.1")));
    QVERIFY(room.pWidget->readAttribute(QStringLiteral("path"), QStringLiteral("..\\Elsewhere")));
    QVERIFY(room.pWidget->readAttribute(QStringLiteral("fieldcolor"), QStringLiteral("green")));
    QVERIFY(room.pWidget->readAttribute(QStringLiteral("polygon"), WPolygon::vertexText(kSquare)));
    QVERIFY(!room.pWidget->readAttribute(QStringLiteral("nonsense"), QStringLiteral("1")));
    QCOMPARE(selectedSpy.count(), 1);
    QCOMPARE(unselectedSpy.count(), 1);
    QCOMPARE(room.pWidget->selectedOpacity(), 0.8f);
    QCOMPARE(room.pWidget->path(), QString());

    const QString saved = written(room.pWidget);
    QCOMPARE(savedValue(saved, QStringLiteral("selectedOpacity")), QStringLiteral("0.8"));
    QCOMPARE(savedValue(saved, QStringLiteral("unselectedOpacity")), QStringLiteral("0.1"));
    QCOMPARE(savedValue(saved, QStringLiteral("polygon")), WPolygon::vertexText(kSquare));
    QCOMPARE(savedValue(saved, QStringLiteral("fieldcolor")), QStringLiteral("<missing>"));
    QCOMPARE(savedValue(saved, QStringLiteral("path")), QStringLiteral("<missing>"));
}

void TestRoomWidgets::pressesReachTheRoomOnlyInsideAndConnected_data()
{
    QTest::addColumn<QPointF>("point");
    QTest::addColumn<QString>("indicator");
    QTest::addColumn<bool>("withNode");
    QTest::addColumn<int>("processor");
    QTest::addColumn<bool>("clicked");
    const QString green = QStringLiteral("../../images/skins/Light/indicator_grn.png");
    const QString yellow = QStringLiteral("../../images/skins/Light/indicator_ylw.png");
    const QString red = QStringLiteral("../../images/skins/Light/indicator_red.png");
    const int online = ProcessorOnline;
    QTest::newRow("inside") << QPointF(5, 5) << green << true << online << true;
    QTest::newRow("on the edge") << QPointF(10, 5) << green << true << online << true;
    QTest::newRow("some connected") << QPointF(5, 5) << yellow << true << online << true;
    QTest::newRow("outside") << QPointF(15, 5) << green << true << online << false;
    QTest::newRow("nothing connected") << QPointF(5, 5) << red << true << online << false;
    QTest::newRow("no node") << QPointF(5, 5) << green << false << online << false;
    // Another device connected, the room's own processor not: nothing
    // could carry the room's command.
    QTest::newRow("some connected, not this processor")
        << QPointF(5, 5) << yellow << true << int(ProcessorOffline) << false;
    QTest::newRow("no processor") << QPointF(5, 5) << green << true << int(NoProcessor) << false;
}

void TestRoomWidgets::pressesReachTheRoomOnlyInsideAndConnected()
{
    QFETCH(QPointF, point);
    QFETCH(QString, indicator);
    QFETCH(bool, withNode);
    QFETCH(int, processor);
    QFETCH(bool, clicked);

    StubInterface transport;
    transport.setConnected(processor == ProcessorOnline);
    PVDSProtocol vds;
    vds.setInterface(&transport);

    Rooms rooms(4);
    QObject interface;
    interface.setProperty("connectInd", indicator);
    FakePanelHost host;
    host.pInterface = &interface;
    CControl control;
    control.setModel(&host);
    Shipped<WRoomSelection> room(m_engine, "qrc:/qmlcontrol/QmlRoomSelector.qml");
    QVERIFY(room.pWidget);
    room.pWidget->setControl(&control);
    if (withNode)
        room.pWidget->setNode(rooms.room(2));
    if (processor != NoProcessor)
        room.pWidget->setProtocol(&vds);
    room.pWidget->readAttribute(QStringLiteral("polygon"), WPolygon::vertexText(kSquare));
    QSignalSpy clicks(rooms.room(2), &HRCRoom::roomControlClicked);

    QVERIFY(room.pWidget->outputPressed(point.x(), point.y()));
    QCOMPARE(clicks.count(), clicked ? 1 : 0);
    if (clicked)
        QCOMPARE(clicks.first().first().toInt(), 2);
    room.pWidget->setControl(nullptr);
}

void TestRoomWidgets::itemPassesPressesOutsideTheOutlineOn_data()
{
    QTest::addColumn<QPoint>("point");
    QTest::addColumn<bool>("clicked");
    QTest::addColumn<int>("below");

    // A triangle in the item's upper left half.
    QTest::newRow("inside the outline") << QPoint(20, 20) << true << 0;
    QTest::newRow("on the slanted edge") << QPoint(50, 50) << true << 0;
    QTest::newRow("inside the item, outside the outline") << QPoint(80, 80) << false << 1;
    QTest::newRow("outside the item") << QPoint(150, 150) << false << 1;
}

// The shipped item takes a press only inside the outline; one outside it
// goes on to the item below, which may be the neighbouring room.
void TestRoomWidgets::itemPassesPressesOutsideTheOutlineOn()
{
    QFETCH(QPoint, point);
    QFETCH(bool, clicked);
    QFETCH(int, below);

    QQuickWindow window;
    window.resize(200, 200);
    QQmlComponent belowComponent(&m_engine);
    belowComponent.setData("import QtQuick\nMouseArea { property int presses: 0\n"
                           "width: 200; height: 200\nonPressed: presses = presses + 1 }\n",
                           QUrl());
    std::unique_ptr<QQuickItem> pBelow(qobject_cast<QQuickItem *>(belowComponent.create()));
    QVERIFY2(pBelow, qPrintable(belowComponent.errorString()));
    pBelow->setParentItem(window.contentItem());

    StubInterface transport;
    transport.setConnected(true);
    PVDSProtocol vds;
    vds.setInterface(&transport);
    Rooms rooms(4);
    QObject interface;
    interface.setProperty("connectInd", QStringLiteral("../../images/skins/Light/indicator_grn.png"));
    FakePanelHost host;
    host.pInterface = &interface;
    CControl control;
    control.setModel(&host);
    Shipped<WRoomSelection> room(m_engine, "qrc:/qmlcontrol/QmlRoomSelector.qml");
    QVERIFY(room.pWidget);
    room.pWidget->setControl(&control);
    room.pWidget->setNode(rooms.room(2));
    room.pWidget->setProtocol(&vds);
    QVERIFY(room.pWidget->readAttribute(QStringLiteral("width"), QStringLiteral("100")));
    QVERIFY(room.pWidget->readAttribute(QStringLiteral("height"), QStringLiteral("100")));
    QVERIFY(room.pWidget->readAttribute(QStringLiteral("polygon"), QStringLiteral("0,0 100,0 0,100 ")));
    room.pItem->setParentItem(window.contentItem());
    room.pItem->setVisible(true);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QSignalSpy clicks(rooms.room(2), &HRCRoom::roomControlClicked);

    QTest::mousePress(&window, Qt::LeftButton, {}, point);
    QTest::mouseRelease(&window, Qt::LeftButton, {}, point);
    QCOMPARE(clicks.count(), clicked ? 1 : 0);
    QCOMPARE(pBelow->property("presses").toInt(), below);
    room.pItem->setParentItem(nullptr);
    room.pWidget->setControl(nullptr);
}

void TestRoomWidgets::plainNodeShowsBlack()
{
    HBlock block;
    Shipped<WRoomSelection> room(m_engine, "qrc:/qmlcontrol/QmlRoomSelector.qml");
    QVERIFY(room.pWidget);
    room.pWidget->setNode(&block);
    room.pWidget->setState();
    QCOMPARE(room.pWidget->fillColor(), QStringLiteral("black"));
    QVERIFY(room.pWidget->isSelected());
}

void TestRoomWidgets::failureBoxNeedsTheInterface()
{
    FakePanelHost host;
    CControl control;
    control.setModel(&host);
    Shipped<WRoomSelection> room(m_engine, "qrc:/qmlcontrol/QmlRoomSelector.qml");
    QVERIFY(room.pWidget);
    room.pWidget->setControl(&control);
    room.pWidget->onShowErrorDialog(QStringLiteral("Cannot add 'Hall-Two' to the selected combination."), 2);
    QVERIFY(host.warnings.isEmpty());
    QObject interface;
    host.pInterface = &interface;
    room.pWidget->onShowErrorDialog(QStringLiteral("Cannot add 'Hall-Two' to the selected combination."), 2);
    QCOMPARE(host.warnings,
             QStringList{"Room Combine Failure|Cannot add 'Hall-Two' to the selected combination."});
    room.pWidget->setControl(nullptr);
}

// Bound, the room follows its node's answers and its group's reports;
// released, it hears nothing more.
void TestRoomWidgets::releasedRoomHearsNoMore()
{
    Rooms rooms(4);
    Shipped<WRoomSelection> room(m_engine, "qrc:/qmlcontrol/QmlRoomSelector.qml");
    QVERIFY(room.pWidget);
    room.pWidget->setNode(rooms.room(1));
    emit rooms.room(1)->updateRoomColor(QStringLiteral("orange"), 1);
    // Queued: a later turn of the event loop.
    QCOMPARE(room.pWidget->fillColor(), QStringLiteral("lightgray"));
    QTRY_COMPARE(room.pWidget->fillColor(), QStringLiteral("orange"));
    emit rooms.pGroup->queryResponseReady();
    QTRY_COMPARE(room.pWidget->fillColor(), QStringLiteral("lightgray"));

    room.pWidget->release();
    emit rooms.room(1)->updateRoomColor(QStringLiteral("orange"), 1);
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
    QCOMPARE(room.pWidget->fillColor(), QStringLiteral("lightgray"));
}

void TestRoomWidgets::selectorColoursBeforeAndAfterBinding_data()
{
    QTest::addColumn<int>("rooms");
    QTest::addColumn<QStringList>("colours");
    QTest::newRow("two rooms") << 2 << QStringList{"crimson"};
    QTest::newRow("five rooms") << 5 << QStringList{"crimson", "orange"};
    QTest::newRow("eight rooms") << 8 << QStringList{"crimson", "orange", "yellow", "lime"};
    QTest::newRow("twenty rooms")
        << 20 << QStringList{"crimson", "orange", "yellow", "lime", "skyblue", "cyan", "orchid", "sienna"};
}

void TestRoomWidgets::selectorColoursBeforeAndAfterBinding()
{
    QFETCH(int, rooms);
    QFETCH(QStringList, colours);
    Rooms group(rooms);
    Shipped<WComboSelection> selector(m_engine, "qrc:/qmlcontrol/QmlComboSelector.qml");
    QVERIFY(selector.pWidget);
    QCOMPARE(selector.pWidget->comboColors(),
             (QStringList{"crimson", "orange", "yellow", "lime", "skyblue", "orchid", "sienna"}));
    QSignalSpy changed(selector.pWidget, &WComboSelection::comboColorsChanged);
    selector.pWidget->setNode(group.pGroup);
    QCOMPARE(changed.count(), 1);
    QCOMPARE(selector.pWidget->comboColors(), colours);
    QCOMPARE(selector.pWidget->count(), colours.size());

    // A node without room combining offers no swatch.
    HBlock block;
    selector.pWidget->setNode(&block);
    QVERIFY(selector.pWidget->comboColors().isEmpty());
}

void TestRoomWidgets::selectorClick_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<int>("selected");
    QTest::addColumn<QString>("colour");
    QTest::newRow("second") << 1 << 1 << "orange";
    QTest::newRow("first") << 0 << 0 << "crimson";
    QTest::newRow("past the end") << 2 << 3 << "lightgray";
    QTest::newRow("far past the end") << 99 << 3 << "lightgray";
    QTest::newRow("negative") << -1 << 3 << "lightgray";
}

// A group of five rooms has two combinations: a click on a swatch that is
// not there selects nothing.
void TestRoomWidgets::selectorClick()
{
    QFETCH(int, index);
    QFETCH(int, selected);
    QFETCH(QString, colour);
    Rooms group(5);
    group.pGroup->setSelectedCombo(3);
    Shipped<WComboSelection> selector(m_engine, "qrc:/qmlcontrol/QmlComboSelector.qml");
    QVERIFY(selector.pWidget);
    selector.pWidget->setNode(group.pGroup);
    QSignalSpy changed(selector.pWidget, &WComboSelection::selectedIndexChanged);

    selector.pWidget->selectorClicked(index);
    QCOMPARE(group.pGroup->selectedCombo(), selected);
    QCOMPARE(selector.pWidget->selectedIndex(), selected);
    QCOMPARE(changed.count(), selected == 3 ? 0 : 1);
    QCOMPARE(selector.pWidget->getComboColor(index), colour);
}

void TestRoomWidgets::selectorSwatchesInQml()
{
    QTest::failOnWarning(QRegularExpression(QStringLiteral(".*")));
    Rooms group(5);
    Shipped<WComboSelection> selector(m_engine, "qrc:/qmlcontrol/QmlComboSelector.qml");
    QVERIFY(selector.pWidget);
    selector.pWidget->setNode(group.pGroup);
    QTRY_VERIFY(findQuickItem(selector.pItem.get(), QStringLiteral("swatch1")));
    QVERIFY(findQuickItem(selector.pItem.get(), QStringLiteral("swatch0")));
    QVERIFY(!findQuickItem(selector.pItem.get(), QStringLiteral("swatch2")));
    QQuickItem *pSecond = findQuickItem(selector.pItem.get(), QStringLiteral("swatch1"));
    QCOMPARE(pSecond->property("color").value<QColor>(), QColor("orange"));
    QVERIFY(!pSecond->property("selected").toBool());
    selector.pWidget->selectorClicked(1);
    QVERIFY(pSecond->property("selected").toBool());
}

void TestRoomWidgets::activeComboCountsTheFirstUpdate_data()
{
    QTest::addColumn<QList<int>>("combination");
    QTest::addColumn<QStringList>("names");
    QTest::newRow("in no combination") << QList<int>{} << QStringList{};
    QTest::newRow("alone") << QList<int>{1} << QStringList{};
    QTest::newRow("with two others") << QList<int>{1, 3, 2} << QStringList{"Room3", "Room2"};
}

// The first update always tells the QML item, even of no names; an
// update that changes nothing tells it nothing.
void TestRoomWidgets::activeComboCountsTheFirstUpdate()
{
    QFETCH(QList<int>, combination);
    QFETCH(QStringList, names);
    Rooms rooms(4);
    if (!combination.isEmpty()) {
        QString text = QStringLiteral("GRC 1,[");
        QStringList ids;
        for (int id : combination)
            ids.append(QString::number(id));
        rooms.chassis.roomCombineInfo()->handleCombineStateReply(text + ids.join(QLatin1Char(',')) + "]\r");
    }
    Shipped<WActiveCombo> label(m_engine, "qrc:/qmlcontrol/QmlActiveRoomCombo.qml");
    QVERIFY(label.pWidget);
    QCOMPARE(label.pWidget->shownText(), QStringLiteral("NOT_EMPTY"));
    label.pWidget->setNode(rooms.room(1));
    QSignalSpy changed(label.pWidget, &WActiveCombo::otherRoomNamesChanged);
    label.pWidget->setState();
    QCOMPARE(changed.count(), 1);
    QCOMPARE(label.pWidget->roomNames(), names);
    QCOMPARE(label.pWidget->count(), names.size());
    label.pWidget->setState();
    QCOMPARE(changed.count(), 1);
}

void TestRoomWidgets::activeComboFollowsReports()
{
    QTest::failOnWarning(QRegularExpression(QStringLiteral(".*")));
    Rooms rooms(4);
    Shipped<WActiveCombo> label(m_engine, "qrc:/qmlcontrol/QmlActiveRoomCombo.qml");
    QVERIFY(label.pWidget);
    QVERIFY(label.pWidget->readAttribute(QStringLiteral("separator"), QStringLiteral(" + ")));
    label.pWidget->setNode(rooms.room(2));
    rooms.pGroup->handleQueryResponse(QStringLiteral("GRC 1,[1,2,4]\r"));
    QTRY_COMPARE(label.pWidget->roomNames(), (QStringList{"Room1", "Room4"}));
    QQuickItem *pText = label.pItem->findChild<QQuickItem *>(QStringLiteral("names"));
    QVERIFY(pText);
    QCOMPARE(pText->property("text").toString(), QStringLiteral("Room1 + Room4"));
    rooms.pGroup->handleQueryResponse(QStringLiteral("GRC 1,[3,4]\r"));
    QTRY_VERIFY(label.pWidget->roomNames().isEmpty());
    QCOMPARE(pText->property("text").toString(), QString());

    label.pWidget->release();
    rooms.pGroup->handleQueryResponse(QStringLiteral("GRC 1,[2,3]\r"));
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
    QVERIFY(label.pWidget->roomNames().isEmpty());
}

void TestRoomWidgets::activeComboAttributes_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("property");
    QTest::addColumn<QVariant>("expected");

    QTest::newRow("color") << "color" << "#102030" << "textColor" << QVariant(QColor(0x10, 0x20, 0x30));
    QTest::newRow("scale") << "scale" << "1.5" << "textScale" << QVariant(1.5);
    QTest::newRow("bordercolor") << "bordercolor" << "red" << "borderColor" << QVariant(QColor(Qt::red));
    QTest::newRow("borderwidth") << "borderwidth" << "2.5" << "borderWidth" << QVariant(2.5);
    QTest::newRow("autosize true") << "autosize" << "true" << "autoSize" << QVariant(true);
    QTest::newRow("autosize false") << "autosize" << "false" << "autoSize" << QVariant(false);
    QTest::newRow("autosize in capitals") << "autosize" << "True" << "autoSize" << QVariant(false);
    QTest::newRow("autosize as a number") << "autosize" << "1" << "autoSize" << QVariant(false);
}

// Each attribute of the panel file lands on its property of the label's
// item; "autosize" counts only as the text "true".
void TestRoomWidgets::activeComboAttributes()
{
    QFETCH(QString, name);
    QFETCH(QString, value);
    QFETCH(QString, property);
    QFETCH(QVariant, expected);

    Shipped<WActiveCombo> label(m_engine, "qrc:/qmlcontrol/QmlActiveRoomCombo.qml");
    QVERIFY(label.pWidget);
    const QByteArray key = property.toLatin1();
    // From the opposite of the expected value, so that a read that leaves
    // the property alone cannot pass.
    if (expected.metaType() == QMetaType::fromType<bool>())
        label.pItem->setProperty(key.constData(), !expected.toBool());
    QVERIFY(label.pWidget->readAttribute(name, value));
    const QVariant shown = label.pItem->property(key.constData());
    if (expected.metaType() == QMetaType::fromType<QColor>())
        QCOMPARE(shown.value<QColor>(), expected.value<QColor>());
    else if (expected.metaType() == QMetaType::fromType<bool>())
        QCOMPARE(shown.toBool(), expected.toBool());
    else
        QCOMPARE(shown.toDouble(), expected.toDouble());
    QVERIFY(!label.pWidget->readAttribute(QStringLiteral("AutoSize"), QStringLiteral("true")));
}

void TestRoomWidgets::minimumExtents()
{
    CControl forLabel;
    Shipped<WActiveCombo> label(m_engine, "qrc:/qmlcontrol/QmlActiveRoomCombo.qml");
    QVERIFY(label.pWidget);
    label.pWidget->setControl(&forLabel);
    QCOMPARE(forLabel.minimumWidth(), 15);
    QCOMPARE(forLabel.minimumHeight(), 40);

    CControl forSelector;
    forSelector.expandMinimumSize(60, 20);
    Shipped<WComboSelection> selector(m_engine, "qrc:/qmlcontrol/QmlComboSelector.qml");
    QVERIFY(selector.pWidget);
    selector.pWidget->setControl(&forSelector);
    QCOMPARE(forSelector.minimumWidth(), 60);
    QCOMPARE(forSelector.minimumHeight(), 40);
    label.pWidget->setControl(nullptr);
    selector.pWidget->setControl(nullptr);
}

VR_TEST_MAIN(TestRoomWidgets)
#include "tst_roomwidgets.moc"
