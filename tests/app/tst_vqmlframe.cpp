#include "VrTest.h"

#include "app/MModel.h"
#include "app/MQmlInterface.h"
#include "app/MeterGaugeLocalization.h"
#include "app/VQmlFrame.h"

#include <QFile>
#include <QQmlComponent>
#include <QQmlContext>
#include <QQmlEngine>
#include <QQuickItem>
#include <QResizeEvent>
#include <QTemporaryDir>
#include <QTimer>

#include <memory>

class TestVQmlFrame : public QObject
{
    Q_OBJECT

private slots:
    void publishesInterface();
    void qtQuitKeepsRunning();
    void menuDataNeedsInterface();
    void linksModel();
    void modelBeforeInterfaceIsNotLinked();
    void shutdownTakesInterfaceAlong();
    void resizeSizesRootObject();

private:
    QUrl writeQml(const QByteArray &qml);

    QTemporaryDir m_dir;
};

QUrl TestVQmlFrame::writeQml(const QByteArray &qml)
{
    QFile file(m_dir.filePath(QStringLiteral("Root.qml")));
    if (!file.open(QIODevice::WriteOnly) || file.write(qml) != qml.size())
        return QUrl();
    return QUrl::fromLocalFile(file.fileName());
}

void TestVQmlFrame::publishesInterface()
{
    VQmlFrame view;
    QCOMPARE(view.interfaceObject(), nullptr);
    view.registerQmlTypes(true);

    MQmlInterface *pInterface = view.interfaceObject();
    QVERIFY(pInterface);
    QQmlContext *pContext = view.rootContext();
    QCOMPARE(pInterface->context(), pContext);
    QCOMPARE(pContext->contextProperty(QStringLiteral("intrf")).value<QObject *>(), pInterface);
    // The interface object's own instances replace the view's.
    QCOMPARE(pContext->contextProperty(QStringLiteral("MeterGaugeLocalValue")).value<QObject *>(),
             pInterface->meterGaugeLocalization());
    QVERIFY(pInterface->meterGaugeLocalization() != view.meterGaugeLocalization());
    QCOMPARE(pContext->contextProperty(QStringLiteral("MsgBoxController")).value<QObject *>(),
             &pInterface->messageDialog());
    QVERIFY(pContext->contextProperty(QStringLiteral("sceneMenuData")).toStringList().isEmpty());
    QCOMPARE(pInterface->property("rightClickEnable").toBool(), true);

}

// The QML boxes end themselves with Qt.quit(); that must not end the
// program.
void TestVQmlFrame::qtQuitKeepsRunning()
{
    VQmlFrame view;
    view.registerQmlTypes(false);
    QQmlComponent component(view.engine());
    component.setData("import QtQml\nQtObject { function leave() { Qt.quit() } }", QUrl());
    std::unique_ptr<QObject> object(component.create());
    QVERIFY2(object, qPrintable(component.errorString()));

    QTimer::singleShot(0, &view, [&] {
        QMetaObject::invokeMethod(object.get(), "leave");
        // Reached only when the program did not quit on Qt.quit().
        QTimer::singleShot(0, &view, [] { QCoreApplication::exit(7); });
    });
    QCOMPARE(QCoreApplication::exec(), 7);
}

void TestVQmlFrame::menuDataNeedsInterface()
{
    VQmlFrame view;
    view.setupMenuData(QStringLiteral("One,Two"));
    QVERIFY(!view.rootContext()->contextProperty(QStringLiteral("setupMenuData")).isValid());

    view.registerQmlTypes(false);
    view.setupMenuData(QStringLiteral("One,Two"));
    QCOMPARE(view.rootContext()->contextProperty(QStringLiteral("setupMenuData")).toStringList(),
             (QStringList{"One", "Two"}));
}

void TestVQmlFrame::linksModel()
{
    MModel model;
    VQmlFrame view;
    view.registerQmlTypes(false);
    view.setModel(&model);
    QCOMPARE(view.model(), &model);
    QCOMPARE(view.interfaceObject()->model(), &model);
    QCOMPARE(model.getInterface(), view.interfaceObject());
    QCOMPARE(model.qmlContext(), view.rootContext());
}

// Set before the interface exists, the model is stored but never linked.
void TestVQmlFrame::modelBeforeInterfaceIsNotLinked()
{
    MModel model;
    VQmlFrame view;
    view.setModel(&model);
    view.registerQmlTypes(false);
    QCOMPARE(view.model(), &model);
    QVERIFY(view.interfaceObject());
    QCOMPARE(view.interfaceObject()->model(), nullptr);
    QCOMPARE(model.getInterface(), nullptr);
}

// The view takes the interface object along, after the QML that reads it
// and before its engine.
void TestVQmlFrame::shutdownTakesInterfaceAlong()
{
    const QUrl url = writeQml(R"(
import QtQuick
Item {
    property bool rightClick: intrf ? intrf.rightClickEnable : false
    property real barWidth: MeterGaugeLocalValue ? MeterGaugeLocalValue.barWidth : 0
    property var boxes: MsgBoxController
}
)");
    QVERIFY(url.isValid());

    QPointer<MQmlInterface> pInterface;
    QPointer<QQuickItem> pRoot;
    {
        MModel model;
        VQmlFrame view;
        view.registerQmlTypes(false);
        view.setModel(&model);
        view.setSource(url);
        pInterface = view.interfaceObject();
        pRoot = view.rootObject();
        QVERIFY(pInterface);
        QVERIFY2(pRoot, qPrintable(view.errors().isEmpty() ? QString() : view.errors().first().toString()));
        QCOMPARE(pRoot->property("rightClick").toBool(), true);
        QCOMPARE(pRoot->property("barWidth").toDouble(), 15.0);
    }
    QVERIFY(!pInterface);
    QVERIFY(!pRoot);
}

void TestVQmlFrame::resizeSizesRootObject()
{
    VQmlFrame view;
    QResizeEvent early(QSize(320, 200), QSize(100, 100));
    QCoreApplication::sendEvent(&view, &early);
    QCOMPARE(view.rootObject(), nullptr);

    const QUrl url = writeQml("import QtQuick\nItem { width: 10; height: 20 }\n");
    QVERIFY(url.isValid());
    view.setSource(url);
    QVERIFY(view.rootObject());
    QResizeEvent resize(QSize(640, 480), QSize(10, 20));
    QCoreApplication::sendEvent(&view, &resize);
    QCOMPARE(view.rootObject()->width(), 640.0);
    QCOMPARE(view.rootObject()->height(), 480.0);
}

VR_TEST_MAIN(TestVQmlFrame)
#include "tst_vqmlframe.moc"
