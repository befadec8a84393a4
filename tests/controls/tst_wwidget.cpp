#include "VrTest.h"

#include "comms/PProtocol.h"
#include "controls/CControl.h"
#include "controls/WWidget.h"
#include "devices/HComposite.h"
#include "devices/HNode.h"

#include <QColor>
#include <QRegularExpression>
#include <QQuickItem>

#include <cmath>
#include <memory>

namespace {

// A widget inside its root item, as the factory leaves it.
struct WidgetOnItem
{
    WidgetOnItem()
        : pRoot(std::make_unique<QQuickItem>())
        , pWidget(new WWidget(pRoot.get()))
    {
        pWidget->setObjectName(QStringLiteral("widget"));
        pWidget->setWidget(pRoot.get());
    }

    std::unique_ptr<QQuickItem> pRoot;
    WWidget *pWidget;
};

using Attributes = QList<QPair<QString, QString>>;

class OnlineCountingWidget : public WWidget
{
public:
    void onOnlineStateChanged(bool online) override { states.append(online); }
    QList<bool> states;
};

} // namespace

class TestWWidget : public QObject
{
    Q_OBJECT

private slots:
    void fractions_data();
    void fractions();
    void idAndLink_data();
    void idAndLink();
    void zOrder_data();
    void zOrder();
    void rectAndTitle();
    void noItemHandlesNothing_data();
    void noItemHandlesNothing();
    void itemOfWrongTypeIsNotUsed();
    void sliderLabel_data();
    void sliderLabel();
    void scale_data();
    void scale();
    void layoutIn_data();
    void layoutIn();
    void relayout_data();
    void relayout();
    void colorProperty_data();
    void colorProperty();
    void isType();
    void toolTip_data();
    void toolTip();
    void protocolOnlineState();
    void deviceLookupsWithoutTransform();
};

void TestWWidget::fractions_data()
{
    QTest::addColumn<Attributes>("attributes");
    QTest::addColumn<double>("x");
    QTest::addColumn<double>("y");
    QTest::addColumn<double>("width");
    QTest::addColumn<double>("height");

    QTest::newRow("fresh") << Attributes{} << 0.0 << 0.0 << 1.0 << 1.0;
    QTest::newRow("xfract moves the near edge")
        << Attributes{{"xfract", "0.25"}} << 0.25 << 0.0 << 0.75 << 1.0;
    QTest::newRow("widthfract after xfract is taken as read")
        << Attributes{{"xfract", "0.25"}, {"widthfract", "0.5"}} << 0.25 << 0.0 << 0.5 << 1.0;
    QTest::newRow("same xfract twice")
        << Attributes{{"xfract", "0.25"}, {"xfract", "0.25"}} << 0.25 << 0.0 << 0.75 << 1.0;
    QTest::newRow("yfract and heightfract")
        << Attributes{{"yfract", "0.5"}, {"yfract", "0.75"}} << 0.0 << 0.75 << 1.0 << 0.25;
    QTest::newRow("not a number is zero")
        << Attributes{{"heightfract", "half"}} << 0.0 << 0.0 << 1.0 << 0.0;
    QTest::newRow("names are case-sensitive")
        << Attributes{{"XFract", "0.5"}} << 0.0 << 0.0 << 1.0 << 1.0;
}

void TestWWidget::fractions()
{
    QFETCH(Attributes, attributes);
    QFETCH(double, x);
    QFETCH(double, y);
    QFETCH(double, width);
    QFETCH(double, height);

    WidgetOnItem w;
    for (const auto &attribute : attributes)
        QVERIFY(w.pWidget->readAttribute(attribute.first, attribute.second)
                || attribute.first == QLatin1String("XFract"));
    QCOMPARE(w.pWidget->xFraction(), x);
    QCOMPARE(w.pWidget->yFraction(), y);
    QCOMPARE(w.pWidget->widthFraction(), width);
    QCOMPARE(w.pWidget->heightFraction(), height);
}

void TestWWidget::idAndLink_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("value");
    QTest::addColumn<quint32>("expected");

    QTest::newRow("id") << "id" << "12" << 12u;
    QTest::newRow("id not a number") << "id" << "twelve" << 0u;
    QTest::newRow("id negative") << "id" << "-1" << 0u;
    QTest::newRow("id beyond 32 bits") << "id" << "4294967296" << 0u;
    QTest::newRow("id largest") << "id" << "4294967295" << 4294967295u;
    QTest::newRow("link in the panel") << "link" << "32769" << 32769u;
    QTest::newRow("link in the control") << "link" << "0" << 0u;
    QTest::newRow("link hex text") << "link" << "0x8001" << 0u;
}

void TestWWidget::idAndLink()
{
    QFETCH(QString, name);
    QFETCH(QString, value);
    QFETCH(quint32, expected);

    WidgetOnItem w;
    // A stale value must be overwritten, also by a bad text.
    w.pWidget->readAttribute(name, QStringLiteral("7"));
    QVERIFY(w.pWidget->readAttribute(name, value));
    const quint32 actual = name == QLatin1String("id") ? w.pWidget->widgetId() : w.pWidget->linkId();
    QCOMPARE(actual, expected);
}

void TestWWidget::zOrder_data()
{
    QTest::addColumn<QString>("value");
    QTest::addColumn<qreal>("expected");

    QTest::newRow("negative") << "-3" << qreal(-3);
    QTest::newRow("positive") << "4" << qreal(4);
    QTest::newRow("not a number") << "top" << qreal(0);
    QTest::newRow("fraction is not an integer") << "1.5" << qreal(0);
}

void TestWWidget::zOrder()
{
    QFETCH(QString, value);
    QFETCH(qreal, expected);

    WidgetOnItem w;
    w.pRoot->setZ(9);
    QVERIFY(w.pWidget->readAttribute(QStringLiteral("z"), value));
    QCOMPARE(w.pRoot->z(), expected);
}

void TestWWidget::rectAndTitle()
{
    WidgetOnItem w;
    const Attributes attributes{{"x", "10.5"}, {"y", "20"}, {"width", "30"}, {"height", "bad"},
                                {"title", "Main *LABEL*"}};
    for (const auto &attribute : attributes)
        QVERIFY(w.pWidget->readAttribute(attribute.first, attribute.second));
    QCOMPARE(w.pWidget->geometry(), QRectF(10.5, 20, 30, 0));
    QCOMPARE(w.pWidget->itemGeometry(), QRectF(10.5, 20, 30, 0));
    QCOMPARE(w.pWidget->itemText(), QStringLiteral("Main *LABEL*"));
    QVERIFY(!w.pWidget->readAttribute(QStringLiteral("Title"), QStringLiteral("x")));
    QVERIFY(!w.pWidget->readAttribute(QStringLiteral("colour"), QStringLiteral("red")));

    w.pWidget->setItemGeometry(QRectF(1, 2, 3, 4));
    QCOMPARE(w.pWidget->geometry(), QRectF(1, 2, 3, 4));
    w.pWidget->moveBy(QPointF(-1, 8));
    QCOMPARE(w.pWidget->geometry(), QRectF(0, 10, 3, 4));
}

void TestWWidget::noItemHandlesNothing_data()
{
    QTest::addColumn<QString>("name");
    for (const char *name : {"x", "z", "id", "link", "xfract", "widthfract", "title"})
        QTest::newRow(name) << QString::fromLatin1(name);
}

void TestWWidget::noItemHandlesNothing()
{
    QFETCH(QString, name);

    WWidget widget;
    QVERIFY(!widget.readAttribute(name, QStringLiteral("1")));
    QCOMPARE(widget.widgetId(), 0u);
    QCOMPARE(widget.linkId(), 0u);
    QCOMPARE(widget.xFraction(), 0.0);
    QCOMPARE(widget.widthFraction(), 1.0);
    QCOMPARE(widget.geometry(), QRectF(0, 0, 0, 0));
    QCOMPARE(widget.itemGeometry(), QRectF(0, 0, 0, 0));
    QVERIFY(!widget.itemProperty("text").isValid());
    QVERIFY(widget.itemText().isEmpty());
    // Nothing to move, scale or place; none of these may touch a null item.
    widget.moveBy(QPointF(1, 1));
    widget.scale(2.0f, true);
    widget.layoutIn(QRectF(0, 0, 100, 100));
    widget.setItemVisible(false);
    widget.setColorProperty("fieldColor", QStringLiteral("red"));
    QVERIFY(widget.itemColorName("fieldColor").isEmpty());
}

void TestWWidget::itemOfWrongTypeIsNotUsed()
{
    // A QML root that is not an item: the widget must not treat it as one.
    QObject notAnItem;
    WWidget widget;
    widget.setWidget(&notAnItem);
    QVERIFY(!widget.item());
    QVERIFY(!widget.readAttribute(QStringLiteral("x"), QStringLiteral("5")));
    QCOMPARE(widget.geometry(), QRectF(0, 0, 0, 0));
    widget.moveBy(QPointF(3, 3));
    QVERIFY(!notAnItem.property("x").isValid());
}

void TestWWidget::sliderLabel_data()
{
    QTest::addColumn<QString>("typeName");
    QTest::addColumn<QString>("kind");
    QTest::addColumn<bool>("expected");

    QTest::newRow("label in slider") << "label" << "Slider" << true;
    QTest::newRow("label in button") << "label" << "Button" << false;
    QTest::newRow("frame in slider") << "frame" << "Slider" << false;
    QTest::newRow("kind is case-sensitive") << "label" << "slider" << false;
}

void TestWWidget::sliderLabel()
{
    QFETCH(QString, typeName);
    QFETCH(QString, kind);
    QFETCH(bool, expected);

    CControl control;
    control.setKind(kind);
    WidgetOnItem w;
    w.pWidget->setControl(&control);
    w.pWidget->setTypeName(typeName);
    // Any attribute reaching the fraction reader marks it, even one it does not take.
    w.pWidget->readAttribute(QStringLiteral("title"), QStringLiteral("Gain"));
    QCOMPARE(w.pRoot->property("sliderLabel").toBool(), expected);
    w.pWidget->setControl(nullptr);
}

void TestWWidget::scale_data()
{
    QTest::addColumn<float>("factor");
    QTest::addColumn<bool>("multiply");
    QTest::addColumn<bool>("withControl");
    QTest::addColumn<QRectF>("expected");

    QTest::newRow("divide x") << 2.0f << false << true << QRectF(50, 20, 25, 40);
    QTest::newRow("multiply x") << 2.0f << true << true << QRectF(200, 20, 100, 40);
    QTest::newRow("zero factor divides") << 0.0f << false << true << QRectF(100, 10, 50, 20);
    QTest::newRow("zero factor multiplies") << 0.0f << true << true << QRectF(100, 10, 50, 20);
    QTest::newRow("no control") << 2.0f << true << false << QRectF(100, 10, 50, 20);
}

void TestWWidget::scale()
{
    QFETCH(float, factor);
    QFETCH(bool, multiply);
    QFETCH(bool, withControl);
    QFETCH(QRectF, expected);

    CControl control;
    WidgetOnItem w;
    if (withControl)
        w.pWidget->setControl(&control);
    w.pWidget->setItemGeometry(QRectF(100, 10, 50, 20));
    w.pWidget->scale(factor, multiply);
    const QRectF actual = w.pWidget->geometry();
    QVERIFY(std::isfinite(actual.x()) && std::isfinite(actual.width()));
    QCOMPARE(actual, expected);
    w.pWidget->setControl(nullptr);
}

void TestWWidget::layoutIn_data()
{
    QTest::addColumn<QRectF>("parentRect");
    QTest::addColumn<QRectF>("expected");

    // Fractions x 0.25, width 0.5, y 0.1, height 0.9; the item starts at 1, 2, 3, 4.
    QTest::newRow("plain") << QRectF(10, 20, 200, 100) << QRectF(60, 30, 100, 90);
    QTest::newRow("zero size leaves the item") << QRectF(10, 20, 0, 0) << QRectF(1, 2, 3, 4);
    QTest::newRow("zero width keeps x") << QRectF(10, 20, 0, 100) << QRectF(1, 30, 3, 90);
    QTest::newRow("zero height keeps y") << QRectF(10, 20, 200, 0) << QRectF(60, 2, 100, 4);
}

void TestWWidget::layoutIn()
{
    QFETCH(QRectF, parentRect);
    QFETCH(QRectF, expected);

    WidgetOnItem w;
    w.pWidget->readAttribute(QStringLiteral("xfract"), QStringLiteral("0.25"));
    w.pWidget->readAttribute(QStringLiteral("widthfract"), QStringLiteral("0.5"));
    w.pWidget->readAttribute(QStringLiteral("yfract"), QStringLiteral("0.1"));
    w.pWidget->setItemGeometry(QRectF(1, 2, 3, 4));
    w.pWidget->layoutIn(parentRect);
    const QRectF actual = w.pWidget->geometry();
    QVERIFY(qAbs(actual.x() - expected.x()) < 1e-4);
    QVERIFY(qAbs(actual.y() - expected.y()) < 1e-4);
    QVERIFY(qAbs(actual.width() - expected.width()) < 1e-4);
    QVERIFY(qAbs(actual.height() - expected.height()) < 1e-4);
}

void TestWWidget::relayout_data()
{
    QTest::addColumn<QRectF>("oldRect");
    QTest::addColumn<QRectF>("newRect");
    QTest::addColumn<QRectF>("expected");

    // Fractions x 0.5, width 0.5, y 0, height 1; the item starts at 1, 2, 3, 4.
    QTest::newRow("nothing changed") << QRectF(0, 0, 100, 50) << QRectF(0, 0, 100, 50) << QRectF(1, 2, 3, 4);
    QTest::newRow("width changed") << QRectF(0, 0, 100, 50) << QRectF(0, 0, 200, 50) << QRectF(100, 2, 100, 4);
    QTest::newRow("y changed") << QRectF(0, 0, 100, 50) << QRectF(0, 5, 100, 50) << QRectF(1, 5, 3, 50);
    QTest::newRow("both changed") << QRectF(0, 0, 100, 50) << QRectF(10, 0, 100, 60) << QRectF(60, 0, 50, 60);
    QTest::newRow("zero size parent") << QRectF(0, 0, 100, 50) << QRectF(0, 0, 0, 0) << QRectF(1, 2, 3, 4);
}

void TestWWidget::relayout()
{
    QFETCH(QRectF, oldRect);
    QFETCH(QRectF, newRect);
    QFETCH(QRectF, expected);

    WidgetOnItem w;
    w.pWidget->readAttribute(QStringLiteral("xfract"), QStringLiteral("0.5"));
    w.pWidget->setItemGeometry(QRectF(1, 2, 3, 4));
    w.pWidget->relayout(oldRect, newRect);
    QCOMPARE(w.pWidget->geometry(), expected);
}

void TestWWidget::colorProperty_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QColor>("expected");
    QTest::addColumn<QString>("colorName");

    QTest::newRow("name") << "red" << QColor(Qt::red) << "#ff0000";
    QTest::newRow("hex") << "#00ff00" << QColor(0, 255, 0) << "#00ff00";
    QTest::newRow("hex with alpha") << "#800000ff" << QColor(0, 0, 255, 128) << "#800000ff";
    QTest::newRow("hex in capitals") << "#FF8000" << QColor(255, 128, 0) << "#ff8000";
    QTest::newRow("unparsable") << "reddish" << QColor() << "";
    QTest::newRow("empty") << "" << QColor() << "";
}

void TestWWidget::colorProperty()
{
    QFETCH(QString, text);
    QFETCH(QColor, expected);

    WidgetOnItem w;
    w.pWidget->setColorProperty("fieldColor", text);
    const QVariant value = w.pRoot->property("fieldColor");
    QCOMPARE(value.metaType(), QMetaType::fromType<QColor>());
    QCOMPARE(value.value<QColor>(), expected);
    // Read back as the panel file writes a colour.
    QTEST(w.pWidget->itemColorName("fieldColor"), "colorName");
    QVERIFY(w.pWidget->itemColorName("noSuchColor").isEmpty());
}

void TestWWidget::isType()
{
    WWidget widget;
    widget.setTypeName(QStringLiteral("label"));
    QVERIFY(widget.isType(QStringLiteral("label")));
    QVERIFY(!widget.isType(QStringLiteral("LABEL")));
    QVERIFY(!widget.isType(QStringLiteral("label ")));
}

void TestWWidget::toolTip_data()
{
    QTest::addColumn<QString>("parentLabel");
    QTest::addColumn<QString>("nodeLabel");
    QTest::addColumn<QString>("controlName");
    QTest::addColumn<QString>("expected");

    QTest::newRow("plain node") << "" << "Gain" << "Level 1" << "Gain";
    QTest::newRow("with parent") << "EQ Block" << "ToneEQ 1" << "Level 2 Gain" << "EQ Block : ToneEQ 1:Mid";
    QTest::newRow("low band") << "" << "Tone_EQ" << "Bypass 1" << "Tone_EQ:Low";
    QTest::newRow("high band") << "" << "ToneEQ" << "Level 3" << "ToneEQ:High";
    QTest::newRow("no band") << "" << "ToneEQ" << "Gain" << "ToneEQ";
    QTest::newRow("not a tone EQ") << "" << "toneeq" << "Level 1" << "toneeq";
}

void TestWWidget::toolTip()
{
    QFETCH(QString, parentLabel);
    QFETCH(QString, nodeLabel);
    QFETCH(QString, controlName);
    QFETCH(QString, expected);

    HComposite parent;
    parent.setLabel(parentLabel);
    auto *pNode = new HNode;
    pNode->setLabel(nodeLabel);
    std::unique_ptr<HNode> pLoose;
    if (parentLabel.isEmpty())
        pLoose.reset(pNode);
    else
        parent.addChild(pNode);

    CControl control;
    control.setName(controlName);
    WidgetOnItem w;
    QVERIFY(w.pWidget->toneEqToolTip().isEmpty());
    w.pWidget->setControl(&control);
    w.pWidget->setNode(pNode);
    QCOMPARE(w.pWidget->toneEqToolTip(), expected);
    QVERIFY(w.pWidget->getToolTip(false).isEmpty());
    w.pWidget->setControl(nullptr);
}

void TestWWidget::protocolOnlineState()
{
    PProtocol first;
    PProtocol second;
    OnlineCountingWidget widget;
    widget.setProtocol(&first);
    emit first.onlineStateChanged(true);
    widget.setProtocol(&second);
    emit first.onlineStateChanged(false);
    emit second.onlineStateChanged(false);
    widget.setProtocol(nullptr);
    emit second.onlineStateChanged(true);
    QCOMPARE(widget.states, QList<bool>({true, false}));
}

void TestWWidget::deviceLookupsWithoutTransform()
{
    WWidget widget;
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("^Attempting to get Transform Node"));
    QVERIFY(!widget.transformNode());
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("^Cannot get I/O index"));
    QCOMPARE(widget.ioIndex(), -1);
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("^Cannot check if is input widget"));
    QVERIFY(!widget.isInputWidget());
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("^Trying to get Meter IO Type"));
    QVERIFY(!widget.isOutputNode(nullptr));
    QVERIFY(!widget.chassis());
    QVERIFY(widget.chassisTitle().isEmpty());
    QVERIFY(!widget.isArxChassis());
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("^Cannot get ARX Rest Repository"));
    QVERIFY(!widget.arxRestRepository());
}

VR_TEST_MAIN(TestWWidget)
#include "tst_wwidget.moc"
