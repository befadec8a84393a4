#include "VrTest.h"

#include "app/DQmlMessageDialog.h"
#include "controls/VModeManager.h"
#include "app/VQmlFrame.h"

#include <QAbstractButton>
#include <QFile>
#include <QQmlComponent>
#include <QQmlContext>
#include <QQmlEngine>
#include <QQuickItem>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTimer>

#include <functional>
#include <memory>

class TestDQmlMessageDialog : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();
    void nothingToShow_data();
    void nothingToShow();
    void modalBox_data();
    void modalBox();
    void boxGoesWithTheView();
    void programBoxes_data();
    void programBoxes();
    void receiveBox();
    void receiveBoxStaysOursWhenQmlAsks();
    void messageBox();

private:
    QString writeQml(const QString &name, const QByteArray &qml);

    QTemporaryDir m_dir;
};

namespace {

// Declares the four properties the program sets and closes like the
// program's message box.
const QByteArray kMessageBox = R"(
import QtQuick
Item {
    property string title
    property string text
    property string button
    property bool cancel: false
    visible: false
    onCancelChanged: if (cancel) Qt.quit()
}
)";

// Like the About box: no title, no button.
const QByteArray kAboutBox = R"(
import QtQuick
Item {
    property string text
    property bool cancel: false
    visible: false
    onCancelChanged: if (cancel) Qt.quit()
}
)";

} // namespace

void TestDQmlMessageDialog::initTestCase()
{
    QVERIFY(m_dir.isValid());
}

void TestDQmlMessageDialog::cleanup()
{
    DQmlMessageDialog::setMessageBoxRunner(nullptr);
    VModeManager::destroyInstance();
}

QString TestDQmlMessageDialog::writeQml(const QString &name, const QByteArray &qml)
{
    QFile file(m_dir.filePath(name));
    if (!file.open(QIODevice::WriteOnly) || file.write(qml) != qml.size())
        return QString();
    return QUrl::fromLocalFile(file.fileName()).toString();
}

void TestDQmlMessageDialog::nothingToShow_data()
{
    QTest::addColumn<bool>("withContext");
    QTest::addColumn<bool>("withCanvas");
    QTest::addColumn<QString>("fileName");

    QTest::newRow("missing file") << true << true << "Missing.qml";
    QTest::newRow("broken file") << true << true << "Broken.qml";
    QTest::newRow("no context") << false << true << "Box.qml";
    QTest::newRow("no canvas item") << true << false << "Box.qml";
}

// Returns at once and leaves the modal item alone when nothing can be shown.
void TestDQmlMessageDialog::nothingToShow()
{
    QFETCH(bool, withContext);
    QFETCH(bool, withCanvas);
    QFETCH(QString, fileName);

    QVERIFY(!writeQml(QStringLiteral("Box.qml"), kMessageBox).isEmpty());
    QVERIFY(!writeQml(QStringLiteral("Broken.qml"), "import QtQuick\nItem {").isEmpty());

    QQmlEngine engine;
    QQuickItem canvas;
    QObject popup;
    VModeManager::instance()->setCanvasItem(withCanvas ? &canvas : nullptr);
    VModeManager::instance()->setModalItem(&popup);

    DQmlMessageDialog dialog;
    dialog.setQmlFile(QUrl::fromLocalFile(m_dir.filePath(fileName)).toString());
    if (withContext)
        dialog.setContext(engine.rootContext());
    QSignalSpy closedSpy(&dialog, &DQmlMessageDialog::closed);

    QTest::ignoreMessage(QtDebugMsg, "DoModal called.");
    QVERIFY(dialog.DoModal());
    QCOMPARE(dialog.dialogObject(), nullptr);
    QCOMPARE(VModeManager::instance()->modalItem(), &popup);
    QVERIFY(canvas.childItems().isEmpty());
    QCOMPARE(closedSpy.count(), 0);
}

void TestDQmlMessageDialog::modalBox_data()
{
    QTest::addColumn<QByteArray>("qml");
    QTest::addColumn<bool>("closeBySlot");
    QTest::addColumn<bool>("hasTitle");

    QTest::newRow("message box, its own button") << kMessageBox << false << true;
    QTest::newRow("message box, quit slot") << kMessageBox << true << true;
    QTest::newRow("about box") << kAboutBox << false << false;
}

// The box is shown over the canvas and is the modal item while DoModal
// waits; closing it ends the wait and clears the modal item.
void TestDQmlMessageDialog::modalBox()
{
    QFETCH(QByteArray, qml);
    QFETCH(bool, closeBySlot);
    QFETCH(bool, hasTitle);

    const QString url = writeQml(QStringLiteral("Box.qml"), qml);
    QVERIFY(!url.isEmpty());

    QQmlEngine engine;
    QQuickItem canvas;
    VModeManager::instance()->setCanvasItem(&canvas);

    DQmlMessageDialog dialog;
    dialog.setQmlFile(url);
    dialog.setContext(engine.rootContext());
    dialog.setTitle(QStringLiteral("Network Status"));
    dialog.setText(QStringLiteral("All devices online."));
    dialog.setButtonText(QStringLiteral("Ok"));
    QSignalSpy closedSpy(&dialog, &DQmlMessageDialog::closed);

    QPointer<QObject> box;
    QObject *pOpened = nullptr;
    QObject *modalWhileOpen = nullptr;
    QVariantMap seen;
    QTimer::singleShot(0, &dialog, [&] {
        box = dialog.dialogObject();
        pOpened = box;
        if (!box)
            return;
        modalWhileOpen = VModeManager::instance()->modalItem();
        for (const char *name : {"title", "text", "button", "visible"})
            seen.insert(QString::fromLatin1(name), box->property(name));
        seen.insert(QStringLiteral("parentItem"),
                    QVariant::fromValue<QObject *>(qobject_cast<QQuickItem *>(box)->parentItem()));
        seen.insert(QStringLiteral("parent"), QVariant::fromValue(box->parent()));
        if (closeBySlot)
            dialog.quit();
        else
            box->setProperty("cancel", true);
    });
    // Should the box never open, this ends the wait instead of hanging.
    QTimer::singleShot(0, &dialog, [&] {
        if (!box)
            dialog.close();
    });

    QVERIFY(dialog.DoModal());
    QVERIFY(pOpened);
    QCOMPARE(modalWhileOpen, pOpened);
    QCOMPARE(seen.value(QStringLiteral("text")).toString(), QStringLiteral("All devices online."));
    QCOMPARE(seen.value(QStringLiteral("visible")).toBool(), true);
    QCOMPARE(seen.value(QStringLiteral("parentItem")).value<QObject *>(), &canvas);
    QCOMPARE(seen.value(QStringLiteral("parent")).value<QObject *>(), &canvas);
    if (hasTitle) {
        QCOMPARE(seen.value(QStringLiteral("title")).toString(), QStringLiteral("Network Status"));
        QCOMPARE(seen.value(QStringLiteral("button")).toString(), QStringLiteral("Ok"));
    } else {
        QVERIFY(!seen.value(QStringLiteral("title")).isValid());
        QVERIFY(!seen.value(QStringLiteral("button")).isValid());
    }

    QCOMPARE(dialog.dialogObject(), nullptr);
    QCOMPARE(VModeManager::instance()->modalItem(), nullptr);
    QCOMPARE(closedSpy.count(), closeBySlot ? 1 : 0);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(!box);

    // The next Qt.quit() of some other QML finds nothing left to close.
    QObject *pOther = nullptr;
    {
        QQmlComponent component(&engine);
        component.setData("import QtQml\nQtObject { function leave() { Qt.quit() } }", QUrl());
        pOther = component.create();
        QVERIFY2(pOther, qPrintable(component.errorString()));
    }
    QMetaObject::invokeMethod(pOther, "leave");
    delete pOther;
    QCOMPARE(closedSpy.count(), closeBySlot ? 1 : 0);
}

// The box is a child of the canvas item: when the view goes while the box is
// open, the wait ends and nothing dangles.
void TestDQmlMessageDialog::boxGoesWithTheView()
{
    const QString url = writeQml(QStringLiteral("Box.qml"), kMessageBox);
    QVERIFY(!url.isEmpty());

    QQmlEngine engine;
    auto *pCanvas = new QQuickItem;
    VModeManager::instance()->setCanvasItem(pCanvas);

    DQmlMessageDialog dialog;
    dialog.setQmlFile(url);
    dialog.setContext(engine.rootContext());
    bool opened = false;
    QTimer::singleShot(0, &dialog, [&] {
        opened = dialog.dialogObject() != nullptr;
        delete pCanvas;
        pCanvas = nullptr;
    });

    QVERIFY(dialog.DoModal());
    QVERIFY(opened);
    QCOMPARE(dialog.dialogObject(), nullptr);
    QCOMPARE(VModeManager::instance()->modalItem(), nullptr);
    dialog.close();
}

void TestDQmlMessageDialog::programBoxes_data()
{
    QTest::addColumn<QString>("qmlFile");
    QTest::addColumn<QString>("closer");
    QTest::addColumn<QString>("textItem");

    QTest::newRow("message box") << "qrc:/qml/objects/QmlMessageDialog.qml" << "messageButton"
                                 << "messageText";
    QTest::newRow("about box") << "qrc:/qml/objects/QmlAboutDialog.qml" << "" << "";
}

// The program's own box files, shown in the program's view, close through
// their button or their "cancel" property and end DoModal.
void TestDQmlMessageDialog::programBoxes()
{
    QFETCH(QString, qmlFile);
    QFETCH(QString, closer);
    QFETCH(QString, textItem);

    const QString canvasUrl = writeQml(QStringLiteral("Canvas.qml"),
                                       "import QtQuick\nItem { width: 400; height: 300 }\n");
    QVERIFY(!canvasUrl.isEmpty());
    VQmlFrame view;
    view.registerQmlTypes(false);
    QVERIFY(view.interfaceObject());
    view.setSource(QUrl(canvasUrl));
    QVERIFY(view.rootObject());
    VModeManager::instance()->setCanvasItem(view.rootObject());

    DQmlMessageDialog dialog;
    dialog.setQmlFile(qmlFile);
    dialog.setContext(view.rootContext());
    dialog.setTitle(QStringLiteral("Network Status"));
    dialog.setText(QStringLiteral("All devices online."));
    dialog.setButtonText(QStringLiteral("Ok"));

    bool closing = false;
    QString shownText;
    qreal shownWidth = 0;
    QTimer::singleShot(0, &dialog, [&] {
        QObject *pBox = dialog.dialogObject();
        if (!pBox) {
            dialog.close();
            return;
        }
        shownWidth = pBox->property("width").toReal();
        if (!textItem.isEmpty()) {
            if (QObject *pText = pBox->findChild<QObject *>(textItem))
                shownText = pText->property("text").toString();
        }
        if (closer.isEmpty()) {
            closing = pBox->setProperty("cancel", true);
        } else if (QObject *pButton = pBox->findChild<QObject *>(closer)) {
            closing = QMetaObject::invokeMethod(pButton, "clicked");
        }
        if (!closing)
            dialog.close();
    });

    QVERIFY(dialog.DoModal());
    QVERIFY(closing);
    QCOMPARE(shownWidth, 400.0);
    if (!textItem.isEmpty())
        QCOMPARE(shownText, QStringLiteral("All devices online."));
    QCOMPARE(dialog.dialogObject(), nullptr);
    QCOMPARE(VModeManager::instance()->modalItem(), nullptr);
}

void TestDQmlMessageDialog::receiveBox()
{
    QPointer<QMessageBox> box;
    {
        DQmlMessageDialog dialog;
        QSignalSpy spy(&dialog, &DQmlMessageDialog::receiveModeDialogClosed);

        box = dialog.showReceiveBox(QStringLiteral("Receive"), QStringLiteral("Waiting for a design..."));
        QVERIFY(box);
        QCOMPARE(dialog.receiveBox(), box.data());
        QVERIFY(box->isVisible());
        QCOMPARE(box->windowTitle(), QStringLiteral("Receive"));
        QCOMPARE(box->text(), QStringLiteral("Waiting for a design..."));
        QCOMPARE(box->icon(), QMessageBox::NoIcon);
        QCOMPARE(box->standardButtons(), QMessageBox::StandardButtons(QMessageBox::Cancel));
        QCOMPARE(box->parent(), nullptr);
        QVERIFY(box->windowFlags().testFlag(Qt::CustomizeWindowHint));
        QCOMPARE(spy.count(), 0);

        // Cancel: once for the rejection, once for the finish.
        box->button(QMessageBox::Cancel)->click();
        QCOMPARE(spy.count(), 2);
        QVERIFY(!box->isVisible());

        // A second box replaces the first; closing its window cancels too.
        QPointer<QMessageBox> first = box;
        box = dialog.showReceiveBox(QStringLiteral("Receive"), QStringLiteral("Again"));
        QVERIFY(!first);
        QVERIFY(box->isVisible());
        box->close();
        QCOMPARE(spy.count(), 4);
    }
    // Deleted with the dialog.
    QVERIFY(!box);
}

// QML takes ownership of objects that invokables return unless told
// otherwise; the receive box must stay with the dialog.
void TestDQmlMessageDialog::receiveBoxStaysOursWhenQmlAsks()
{
    DQmlMessageDialog dialog;
    QQmlEngine engine;
    engine.rootContext()->setContextProperty(QStringLiteral("MsgBoxController"), &dialog);
    QQmlComponent component(&engine);
    component.setData("import QtQml\nQtObject { function receive() {"
                      " MsgBoxController.showReceiveBox(\"Receive\", \"Waiting\") } }",
                      QUrl());
    std::unique_ptr<QObject> object(component.create());
    QVERIFY2(object, qPrintable(component.errorString()));

    QMetaObject::invokeMethod(object.get(), "receive");
    QPointer<QMessageBox> box = dialog.receiveBox();
    QVERIFY(box);
    engine.collectGarbage();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(box);
    QVERIFY(box->isVisible());
}

void TestDQmlMessageDialog::messageBox()
{
    struct Shown
    {
        QString title;
        QString text;
        QMessageBox::Icon icon = QMessageBox::Information;
        QMessageBox::StandardButtons buttons;
        Qt::WindowFlags flags;
        QObject *parent = nullptr;
    };
    QList<Shown> shown;
    DQmlMessageDialog::setMessageBoxRunner([&shown](QMessageBox &box) {
        shown.append({box.windowTitle(), box.text(), box.icon(), box.standardButtons(),
                      box.windowFlags(), box.parent()});
        return int(QMessageBox::Ok);
    });

    DQmlMessageDialog dialog;
    dialog.showMessageBox(QStringLiteral("Proxy"), QStringLiteral("Saved."));

    // The QML menus call it through "MsgBoxController".
    QQmlEngine engine;
    engine.rootContext()->setContextProperty(QStringLiteral("MsgBoxController"), &dialog);
    QQmlComponent component(&engine);
    component.setData("import QtQml\nQtObject { Component.onCompleted:"
                      " MsgBoxController.showMessageBox(\"About\", \"Version\") }",
                      QUrl());
    std::unique_ptr<QObject> object(component.create());
    QVERIFY2(object, qPrintable(component.errorString()));

    QCOMPARE(shown.size(), 2);
    QCOMPARE(shown.at(0).title, QStringLiteral("Proxy"));
    QCOMPARE(shown.at(0).text, QStringLiteral("Saved."));
    QCOMPARE(shown.at(0).icon, QMessageBox::NoIcon);
    QCOMPARE(shown.at(0).buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
    QCOMPARE(shown.at(0).flags & (Qt::WindowType_Mask | Qt::CustomizeWindowHint),
             Qt::WindowFlags(Qt::Dialog | Qt::CustomizeWindowHint));
    QCOMPARE(shown.at(0).parent, nullptr);
    QCOMPARE(shown.at(1).title, QStringLiteral("About"));
    QCOMPARE(shown.at(1).text, QStringLiteral("Version"));
}

VR_TEST_MAIN(TestDQmlMessageDialog)
#include "tst_dqmlmessagedialog.moc"
