#include "VrTest.h"

#include "app/MeterGaugeLocalization.h"
#include "app/VQmlFrame.h"
#include "controls/WWidget.h"

#include <QQmlComponent>
#include <QQmlContext>
#include <QQmlEngine>

#include <memory>

class TestQmlTypes : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void typeFromOwnModule_data();
    void typeFromOwnModule();
    void meterGaugeIsConstant();
};

namespace {

std::unique_ptr<QObject> createFromQml(QQmlEngine &engine, const QByteArray &qml, QString *pErrors)
{
    QQmlComponent component(&engine);
    component.setData(qml, QUrl());
    std::unique_ptr<QObject> object(component.isError() ? nullptr : component.create());
    if (!object && pErrors)
        *pErrors = component.errorString();
    return object;
}

} // namespace

void TestQmlTypes::initTestCase()
{
    VQmlFrame::registerTypes();
    // A second registration must not disturb the first.
    VQmlFrame::registerTypes();
}

void TestQmlTypes::typeFromOwnModule_data()
{
    QTest::addColumn<QString>("className");
    QTest::addColumn<QString>("baseName");

    const QList<QPair<const char *, const char *>> types = {
        {"MQmlInterface", "QObject"},
        {"WWidget", "QQuickItem"},
        {"WButton", "WWidget"},
        {"WCmdButton", "WWidget"},
        {"WDialer", "WWidget"},
        {"WDropList", "WWidget"},
        {"WFrame", "WWidget"},
        {"WImage", "WWidget"},
        {"WLabel", "WWidget"},
        {"WPanelLink", "WLabel"},
        {"WRegion", "WPolygon"},
        {"WSlider", "WWidget"},
        {"WTextEdit", "WWidget"},
        {"WTextLink", "WButton"},
        {"WActiveCombo", "WWidget"},
        {"WComboSelection", "WWidget"},
        {"WRoomSelection", "WPolygon"},
        {"WLevelButtons", "WSlider"},
        {"WMeter", "WWidget"},
        {"WMeterImage", "WWidget"},
    };
    for (const auto &type : types)
        QTest::newRow(type.first) << QString::fromLatin1(type.first) << QString::fromLatin1(type.second);
}

// Each class imports from the module named after it in lower case, with and
// without the version, and is made by the engine with its own class.
void TestQmlTypes::typeFromOwnModule()
{
    QFETCH(QString, className);
    QFETCH(QString, baseName);

    QQmlEngine engine;
    for (const QString &version : {QString(), QStringLiteral(" 1.0")}) {
        const QByteArray qml = QStringLiteral("import %1%2\n%3 {}\n")
                                   .arg(className.toLower(), version, className)
                                   .toUtf8();
        QString errors;
        const std::unique_ptr<QObject> object = createFromQml(engine, qml, &errors);
        QVERIFY2(object, qPrintable(errors));
        QCOMPARE(QString::fromLatin1(object->metaObject()->className()), className);
        QCOMPARE(QString::fromLatin1(object->metaObject()->superClass()->className()), baseName);
        if (className != QLatin1String("MQmlInterface")) {
            const auto *pWidget = qobject_cast<WWidget *>(object.get());
            QVERIFY(pWidget);
            QVERIFY(pWidget->providesToolTip());
            QVERIFY(!pWidget->widget());
        }
    }

    // The module holds that one type only.
    QString errors;
    const QByteArray wrong = QStringLiteral("import %1\n%2 {}\n")
                                 .arg(className.toLower(),
                                      className == QLatin1String("WMeter") ? QStringLiteral("WSlider")
                                                                            : QStringLiteral("WMeter"))
                                 .toUtf8();
    QVERIFY(!createFromQml(engine, wrong, &errors));
}

void TestQmlTypes::meterGaugeIsConstant()
{
    QQmlEngine engine;
    MeterGaugeLocalization gauge;
    engine.rootContext()->setContextProperty(QStringLiteral("MeterGaugeLocalValue"), &gauge);

    QString errors;
    const std::unique_ptr<QObject> object = createFromQml(engine, R"(
import QtQml
QtObject {
    property real barWidth: MeterGaugeLocalValue.barWidth
    property real barHeightDif: MeterGaugeLocalValue.barHeightDif
    property real alignerWidth: MeterGaugeLocalValue.alignerWidth
    property real digitOffset: MeterGaugeLocalValue.digitOffset
    function tryWrite() {
        try {
            MeterGaugeLocalValue.barWidth = 3
            return "written"
        } catch (e) {
            return "refused"
        }
    }
}
)", &errors);
    QVERIFY2(object, qPrintable(errors));
    QCOMPARE(object->property("barWidth").toDouble(), 15.0);
    QCOMPARE(object->property("barHeightDif").toDouble(), 10.0);
    QCOMPARE(object->property("alignerWidth").toDouble(), 66.0);
    QCOMPARE(object->property("digitOffset").toDouble(), -8.0);

    QVariant result;
    QVERIFY(QMetaObject::invokeMethod(object.get(), "tryWrite", Q_RETURN_ARG(QVariant, result)));
    QCOMPARE(result.toString(), QStringLiteral("refused"));
    QCOMPARE(gauge.barWidth(), 15.0f);
    QVERIFY(!gauge.setProperty("barWidth", 3.0));
    QCOMPARE(gauge.property("barWidth").toFloat(), 15.0f);
}

VR_TEST_MAIN_UNREGISTERED(TestQmlTypes)
#include "tst_qmltypes.moc"
