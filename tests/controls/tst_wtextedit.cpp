#include "VrTest.h"

#include "PanelFragment.h"
#include "RecordingProtocol.h"
#include "StubTransform.h"
#include "controls/WTextEdit.h"
#include "controls/WWidgetFactory.h"

#include <QQmlComponent>
#include <QQmlEngine>
#include <QQuickItem>
#include <QRegularExpression>

#include <memory>

namespace {

// A text edit that counts the values passed to it.
class CountingTextEdit : public WTextEdit
{
public:
    using WTextEdit::WTextEdit;

    void linkValue(WWidget *pSource) override
    {
        ++linkValues;
        WTextEdit::linkValue(pSource);
    }

    int linkValues = 0;
};

// Text edits on QML items with a "text" property whose change reaches the
// widget, as an editing QML file would wire it.
struct TextEdits
{
    explicit TextEdits(int count)
    {
        for (int i = 0; i < count; ++i) {
            QQmlComponent component(&engine);
            component.setData("import QtQuick\nItem { property string text }\n", QUrl());
            roots.emplace_back(qobject_cast<QQuickItem *>(component.create()));
            auto *pEdit = new CountingTextEdit(roots.back().get());
            pEdit->setObjectName(QStringLiteral("widget"));
            pEdit->setWidget(roots.back().get());
            QObject::connect(roots.back().get(), SIGNAL(textChanged()), pEdit, SLOT(onTextChanged()));
            edits.append(pEdit);
        }
    }

    CountingTextEdit *at(int i) const { return edits.at(i); }
    QString itemText(int i) const { return roots.at(size_t(i))->property("text").toString(); }

    QQmlEngine engine;
    std::vector<std::unique_ptr<QQuickItem>> roots;
    QList<CountingTextEdit *> edits;
};

} // namespace

class TestWTextEdit : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void fragmentAttributesLandOnItem();
    void linkedChains_data();
    void linkedChains();
    void linkedValueIsNotSentBack();
    void editedTextIsSentOnce();
    void transformWithoutProtocolStoresWithoutSending();
    void currentTextIsStoredWithoutSending();
};

void TestWTextEdit::initTestCase()
{
    WWidgetFactory::registerWidgetTypes();
}

void TestWTextEdit::fragmentAttributesLandOnItem()
{
    // The shipped QML file loads cleanly, without a skin in the context.
    QTest::failOnWarning(QRegularExpression(QStringLiteral(".*")));
    PanelFragment panel(QStringLiteral(R"(
<Control name="Name" type="TextEdit">
	<Property name="widget">
		<textedit>
			<x>5</x>
			<y>6</y>
			<width>70</width>
			<height>30</height>
			<id>5</id>
			<link>6</link>
			<xfract>0.25</xfract>
			<title>ignored</title>
		</textedit>
	</Property>
	<Property name="attributes" />
</Control>)"));
    QVERIFY(panel.isParsed());
    auto *pEdit = qobject_cast<WTextEdit *>(panel.widget(QStringLiteral("Name")));
    QVERIFY(pEdit);
    QQuickItem *pItem = pEdit->item();
    QVERIFY(pItem);
    for (const char *name : {"text", "textSize", "selEnable"})
        QVERIFY2(pItem->metaObject()->indexOfProperty(name) >= 0, name);
    QCOMPARE(pEdit->geometry(), QRectF(5, 6, 70, 30));
    QCOMPARE(pEdit->widgetId(), 5u);
    QCOMPARE(pEdit->linkId(), 6u);
    QCOMPARE(pEdit->xFraction(), 0.25);
    QCOMPARE(pEdit->widthFraction(), 0.75);
    // A text edit takes no title.
    QCOMPARE(pItem->property("text").toString(), QString());
    QCOMPARE(pItem->property("textSize").toReal(), 15.0);
    QVERIFY(!pItem->isVisible());
}

void TestWTextEdit::linkedChains_data()
{
    QTest::addColumn<int>("count");
    // links[i]: the edit that edit i passes its value to, -1 for none.
    QTest::addColumn<QList<int>>("links");
    QTest::addColumn<QList<int>>("linkValues");

    QTest::newRow("chain of three") << 3 << QList<int>{1, 2, -1} << QList<int>{0, 1, 1};
    QTest::newRow("cycle back to the source") << 2 << QList<int>{1, 0} << QList<int>{1, 1};
    QTest::newRow("cycle of three") << 3 << QList<int>{1, 2, 0} << QList<int>{1, 1, 1};
    // The cycle does not pass through the source: it must still end.
    QTest::newRow("cycle behind the source") << 3 << QList<int>{1, 2, 1} << QList<int>{0, 2, 1};
    QTest::newRow("linked to itself") << 1 << QList<int>{0} << QList<int>{1};
}

// A value typed into the first edit travels down the links once.
void TestWTextEdit::linkedChains()
{
    QFETCH(int, count);
    QFETCH(QList<int>, links);
    QFETCH(QList<int>, linkValues);

    TextEdits e(count);
    StubTransform transform;
    transform.setDisplayText(QStringLiteral("42"));
    for (int i = 0; i < count; ++i) {
        e.at(i)->setTransform(&transform);
        if (links.at(i) >= 0)
            e.at(i)->setLinkedWidget(e.at(links.at(i)));
    }

    e.roots.front()->setProperty("text", QStringLiteral("typed"));

    for (int i = 0; i < count; ++i)
        QCOMPARE(e.at(i)->linkValues, linkValues.at(i));
    QCOMPARE(e.at(0)->text(), QStringLiteral("typed"));
    QCOMPARE(e.itemText(0), QStringLiteral("typed"));
    for (int i = 1; i < count; ++i) {
        QCOMPARE(e.itemText(i), QStringLiteral("42"));
        // Showing a linked value does not make it the edit's own text.
        QCOMPARE(e.at(i)->text(), QString());
    }
}

void TestWTextEdit::linkedValueIsNotSentBack()
{
    TextEdits e(2);
    StubTransform transform;
    transform.setDisplayText(QStringLiteral("-6.0"));
    RecordingProtocol protocol;
    e.at(1)->setTransform(&transform);
    e.at(1)->setProtocol(&protocol);

    e.at(1)->linkValue(e.at(0));
    QCOMPARE(e.itemText(1), QStringLiteral("-6.0"));
    QVERIFY(protocol.sends.isEmpty());
    QVERIFY(!e.at(1)->isUpdating());

    // The operator's own text is stored and sent; a linked value shown
    // afterwards is not.
    e.roots.at(1)->setProperty("text", QStringLiteral("typed"));
    QCOMPARE(protocol.sends.size(), 1);
    e.at(1)->linkValue(e.at(0));
    QCOMPARE(e.itemText(1), QStringLiteral("-6.0"));
    QCOMPARE(e.at(1)->text(), QStringLiteral("typed"));
    QCOMPARE(protocol.sends.size(), 1);

    // A display text equal to the stored text changes nothing.
    transform.setDisplayText(QStringLiteral("typed"));
    e.at(1)->linkValue(e.at(0));
    QCOMPARE(e.itemText(1), QStringLiteral("-6.0"));

    // Without a transform there is nothing to show.
    e.at(1)->setTransform(nullptr);
    e.at(1)->linkValue(e.at(0));
    QCOMPARE(e.itemText(1), QStringLiteral("-6.0"));
}

void TestWTextEdit::editedTextIsSentOnce()
{
    TextEdits e(1);
    StubTransform transform;
    RecordingProtocol protocol;
    e.at(0)->setTransform(&transform);
    e.at(0)->setProtocol(&protocol);

    e.roots.front()->setProperty("text", QStringLiteral("Stage"));
    QCOMPARE(protocol.sends.size(), 1);
    QCOMPARE(protocol.sends.constFirst().text, QStringLiteral("Stage"));
    QCOMPARE(e.at(0)->text(), QStringLiteral("Stage"));

    // The same text again (case counts) sends nothing more.
    e.at(0)->onTextChanged();
    QCOMPARE(protocol.sends.size(), 1);
    e.roots.front()->setProperty("text", QStringLiteral("stage"));
    QCOMPARE(protocol.sends.size(), 2);
}

void TestWTextEdit::transformWithoutProtocolStoresWithoutSending()
{
    TextEdits e(1);
    StubTransform transform;
    e.at(0)->setTransform(&transform);

    e.roots.front()->setProperty("text", QStringLiteral("Stage"));
    QCOMPARE(e.at(0)->text(), QStringLiteral("Stage"));
    QCOMPARE(transform.text(), QString());

    // A protocol that comes later sends only a text that differs.
    RecordingProtocol protocol;
    e.at(0)->setProtocol(&protocol);
    e.at(0)->onTextChanged();
    QVERIFY(protocol.sends.isEmpty());
}

void TestWTextEdit::currentTextIsStoredWithoutSending()
{
    TextEdits e(2);
    StubTransform transform;
    transform.setDisplayText(QStringLiteral("7"));
    RecordingProtocol protocol;
    for (CountingTextEdit *pEdit : e.edits) {
        pEdit->setTransform(&transform);
        pEdit->setProtocol(&protocol);
    }
    e.at(0)->setLinkedWidget(e.at(1));

    e.at(0)->outputCurrentText(QStringLiteral("Front"));
    QCOMPARE(e.at(0)->text(), QStringLiteral("Front"));
    QVERIFY(protocol.sends.isEmpty());
    QCOMPARE(e.at(1)->linkValues, 1);
    QCOMPARE(e.itemText(1), QStringLiteral("7"));
}

VR_TEST_MAIN(TestWTextEdit)
#include "tst_wtextedit.moc"
