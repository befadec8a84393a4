#include "VrTest.h"

#include "FakeWidgetFactory.h"
#include "controls/CControl.h"
#include "controls/WDelegate.h"
#include "controls/WTextEdit.h"
#include "controls/WWidget.h"

#include <QQuickItem>
#include <QRegularExpression>

#include <memory>

// The debug lines whose fixed texts are known are written as they stand:
// no quotes around texts and no blank that the text does not hold.
class TestDebugLines : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void widgetSlots_data();
    void widgetSlots();
    void controlDump();
    void textEditChange();
};

void TestDebugLines::initTestCase()
{
    WDelegate::instance()->setFactory(new FakeWidgetFactory);
}

void TestDebugLines::widgetSlots_data()
{
    QTest::addColumn<QString>("slot");
    QTest::addColumn<QString>("line");
    const QString widget = QStringLiteral(R"(WWidget\(0x[0-9a-f]+[^)]*\))");
    QTest::newRow("value") << "outputValue" << "WWidget::outputValue: 5 " + widget;
    QTest::newRow("checked") << "outputChecked" << "WWidget::outputChecked: true " + widget;
    QTest::newRow("index") << "outputCurrentIndex" << "WWidget::outputCurrentIndex: 2 " + widget;
    QTest::newRow("text") << "outputCurrentText" << "WWidget::outputCurrentText: Mic 1 " + widget;
    QTest::newRow("text changed") << "onTextChanged" << "WWidget::onTextChanged: " + widget;
    QTest::newRow("linked value") << "linkValue" << "WWidget::linkValue: " + widget + " " + widget;
}

void TestDebugLines::widgetSlots()
{
    QFETCH(QString, slot);
    QFETCH(QString, line);
    QQuickItem item;
    WWidget widget(&item);
    WWidget source(&item);
    QTest::ignoreMessage(QtDebugMsg, QRegularExpression("^" + line + "$"));
    if (slot == "outputValue")
        widget.outputValue(5);
    else if (slot == "outputChecked")
        widget.outputChecked(true);
    else if (slot == "outputCurrentIndex")
        widget.outputCurrentIndex(2);
    else if (slot == "outputCurrentText")
        widget.outputCurrentText(QStringLiteral("Mic 1"));
    else if (slot == "onTextChanged")
        widget.onTextChanged();
    else
        widget.linkValue(&source);
}

// The control, its name and kind, each widget's line, then the closing line.
void TestDebugLines::controlDump()
{
    CControl control;
    control.setName(QStringLiteral("Gain 1"));
    control.setKind(QStringLiteral("Slider"));
    control.setWidgetAttribute(QStringLiteral("frame"), QStringLiteral("x"), QStringLiteral("1"));
    control.endWidget(QStringLiteral("frame"));
    QCOMPARE(control.widgets().size(), 1);
    QTest::ignoreMessage(QtDebugMsg, QRegularExpression(R"(^CControl\(0x[0-9a-f]+\) Gain 1 Slider$)"));
    QTest::ignoreMessage(QtDebugMsg, QRegularExpression(R"(^WWidget frame QQuickItem\(0x[0-9a-f]+)"));
    QTest::ignoreMessage(QtDebugMsg, qPrintable(QString(23, QLatin1Char('^'))));
    control.dump();
}

void TestDebugLines::textEditChange()
{
    WTextEdit edit;
    QTest::ignoreMessage(QtDebugMsg, "WTextEdit::onTextChanged: ");
    edit.onTextChanged();
}

VR_TEST_MAIN(TestDebugLines)
#include "tst_debuglines.moc"
