#include "VrTest.h"

#include "StubTransform.h"
#include "controls/WWidget.h"

#include <QQuickItem>

#include <memory>

namespace {

// Counts the device values it is told of.
class CountingWidget : public WWidget
{
public:
    using WWidget::WWidget;
    void setState() override { ++states; }
    int states = 0;
};

} // namespace

// The widget base hears its transform's replies for every widget, once per
// reply, and only from the transform it holds.
class TestWWidgetTransform : public QObject
{
    Q_OBJECT

private slots:
    void repliesReachSetStateOnce_data();
    void repliesReachSetStateOnce();
};

void TestWWidgetTransform::repliesReachSetStateOnce_data()
{
    QTest::addColumn<int>("settings");
    QTest::newRow("set once") << 1;
    QTest::newRow("set again") << 2;
    QTest::newRow("set three times") << 3;
}

void TestWWidgetTransform::repliesReachSetStateOnce()
{
    QFETCH(int, settings);
    QQuickItem root;
    auto *pWidget = new CountingWidget(&root);
    StubTransform transform;
    for (int i = 0; i < settings; ++i)
        pWidget->setTransform(&transform);
    QCOMPARE(pWidget->transform(), &transform);
    transform.reply(1);
    QCOMPARE(pWidget->states, 1);
    transform.reply(2);
    QCOMPARE(pWidget->states, 2);

    // Another transform: the one before is let go.
    StubTransform other;
    pWidget->setTransform(&other);
    transform.reply(3);
    QCOMPARE(pWidget->states, 2);
    other.reply(4);
    QCOMPARE(pWidget->states, 3);

    // None: nothing is heard.
    pWidget->setTransform(nullptr);
    other.reply(5);
    transform.reply(6);
    QCOMPARE(pWidget->states, 3);

    // The first one again.
    pWidget->setTransform(&transform);
    transform.reply(7);
    QCOMPARE(pWidget->states, 4);
}

VR_TEST_MAIN(TestWWidgetTransform)
#include "tst_wwidgettransform.moc"
