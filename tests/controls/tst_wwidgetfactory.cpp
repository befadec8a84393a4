#include "VrTest.h"

#include "controls/WDelegate.h"
#include "controls/WFrame.h"
#include "controls/WImage.h"
#include "controls/WLabel.h"
#include "controls/WWidget.h"
#include "controls/WWidgetFactory.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QPointer>
#include <QQmlContext>
#include <QQmlEngine>
#include <QQuickItem>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QUrl>

#include <memory>

namespace {

// A QML file in the test's working folder; returns its URL.
QString writeQml(const QString &fileName, const QByteArray &text)
{
    QFile file(QDir::current().absoluteFilePath(fileName));
    if (!file.open(QIODevice::WriteOnly))
        return QString();
    file.write(text);
    return QUrl::fromLocalFile(file.fileName()).toString();
}

} // namespace

class TestWWidgetFactory : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void unknownNameGivesNull_data();
    void unknownNameGivesNull();
    void notReadyGivesNull_data();
    void notReadyGivesNull();
    void itemWithoutWidgetIsDestroyed_data();
    void itemWithoutWidgetIsDestroyed();
    void widgetChildIsFound_data();
    void widgetChildIsFound();
    void brokenQmlGivesNull_data();
    void brokenQmlGivesNull();
    void tableResources_data();
    void tableResources();
    void typeRegisteredFromAbove();
    void shippedFiles_data();
    void shippedFiles();
    void shippedFilesComeCompiled();
    void delegateIdsAreConsecutive();

private:
    std::unique_ptr<QQmlEngine> m_pEngine;
    std::unique_ptr<QQuickItem> m_pParent;
    std::unique_ptr<WWidgetFactory> m_pFactory;
};

void TestWWidgetFactory::initTestCase()
{
    WWidgetFactory::registerWidgetTypes();
}

void TestWWidgetFactory::init()
{
    m_pEngine = std::make_unique<QQmlEngine>();
    m_pParent = std::make_unique<QQuickItem>();
    m_pFactory = std::make_unique<WWidgetFactory>();
    m_pFactory->setParentItem(m_pParent.get());
    m_pFactory->setContext(m_pEngine->rootContext());
}

void TestWWidgetFactory::cleanup()
{
    m_pFactory.reset();
    // The widget items belong to whoever asked for them; here the test.
    qDeleteAll(m_pParent->childItems());
    m_pParent.reset();
    m_pEngine.reset();
}

void TestWWidgetFactory::unknownNameGivesNull_data()
{
    QTest::addColumn<QString>("typeName");
    for (const char *name : {"Label", "label ", "LABEL", "", "dropsite", "text"})
        QTest::newRow(name) << QString::fromLatin1(name);
}

void TestWWidgetFactory::unknownNameGivesNull()
{
    QFETCH(QString, typeName);
    QVERIFY(WWidgetFactory::resourceOf(typeName).isEmpty());
    QVERIFY(!m_pFactory->create(typeName));
    QVERIFY(m_pParent->childItems().isEmpty());
}

void TestWWidgetFactory::notReadyGivesNull_data()
{
    QTest::addColumn<bool>("withContext");
    QTest::addColumn<bool>("withParent");

    QTest::newRow("nothing set") << false << false;
    QTest::newRow("no context") << false << true;
    QTest::newRow("no parent") << true << false;
}

void TestWWidgetFactory::notReadyGivesNull()
{
    QFETCH(bool, withContext);
    QFETCH(bool, withParent);

    WWidgetFactory factory;
    if (withContext)
        factory.setContext(m_pEngine->rootContext());
    if (withParent)
        factory.setParentItem(m_pParent.get());
    QTest::ignoreMessage(QtDebugMsg,
                         "Context and parent not ready for creation of quick item at path: "
                         "qrc:/qmlcontrol/QmlLabel.qml");
    QVERIFY(!factory.create(QStringLiteral("label")));
    QVERIFY(m_pParent->childItems().isEmpty());
}

void TestWWidgetFactory::itemWithoutWidgetIsDestroyed_data()
{
    QTest::addColumn<QByteArray>("qml");
    QTest::addColumn<QString>("message");

    QTest::newRow("no widget child")
        << QByteArray("import QtQuick\nItem { Item { objectName: \"other\" } }\n")
        << "^No widget child found at path: ";
    QTest::newRow("widget child of the wrong type")
        << QByteArray("import QtQuick\nItem { Item { objectName: \"widget\" } }\n")
        << "^The widget child is not a WWidget at path: ";
    QTest::newRow("widget on the root only")
        << QByteArray("import wframe\nWFrame { objectName: \"widget\" }\n")
        << "^No widget child found at path: ";
}

void TestWWidgetFactory::itemWithoutWidgetIsDestroyed()
{
    QFETCH(QByteArray, qml);
    QFETCH(QString, message);

    const QString url = writeQml(QStringLiteral("NoWidget.qml"), qml);
    QVERIFY(!url.isEmpty());

    // Catch the item while it is placed under the parent.
    QPointer<QQuickItem> pCreated;
    connect(m_pParent.get(), &QQuickItem::childrenChanged, this, [&]() {
        if (!pCreated && !m_pParent->childItems().isEmpty())
            pCreated = m_pParent->childItems().constLast();
    });
    QTest::ignoreMessage(QtDebugMsg, QRegularExpression(message));
    QVERIFY(!m_pFactory->findWidget(url));
    disconnect(m_pParent.get(), nullptr, this, nullptr);
    QVERIFY(m_pParent->childItems().isEmpty());
    QVERIFY(!pCreated);
}

void TestWWidgetFactory::widgetChildIsFound_data()
{
    QTest::addColumn<QByteArray>("qml");
    QTest::addColumn<QString>("className");

    QTest::newRow("direct child")
        << QByteArray("import QtQuick\nimport wlabel\nItem { property string text\n"
                      "WLabel { objectName: \"widget\" } }\n")
        << "WLabel";
    QTest::newRow("nested child")
        << QByteArray("import QtQuick\nimport wframe\nItem { Item { Item {}\n"
                      "WFrame { objectName: \"widget\" } } }\n")
        << "WFrame";
}

void TestWWidgetFactory::widgetChildIsFound()
{
    QFETCH(QByteArray, qml);
    QFETCH(QString, className);

    const QString url = writeQml(QStringLiteral("WithWidget.qml"), qml);
    WWidget *pWidget = m_pFactory->findWidget(url);
    QVERIFY(pWidget);
    QCOMPARE(QString::fromLatin1(pWidget->metaObject()->className()), className);
    QCOMPARE(m_pParent->childItems().size(), 1);
    QCOMPARE(pWidget->widget(), m_pParent->childItems().constFirst());
    QCOMPARE(pWidget->item()->parentItem(), m_pParent.get());

    // The native widget now works on its QML root.
    QVERIFY(pWidget->readAttribute(QStringLiteral("x"), QStringLiteral("12")));
    QCOMPARE(pWidget->item()->x(), 12.0);
}

void TestWWidgetFactory::brokenQmlGivesNull_data()
{
    QTest::addColumn<QByteArray>("qml");
    QTest::addColumn<QString>("message");

    QTest::newRow("syntax error") << QByteArray("import QtQuick\nItem { width: }\n")
                                  << "^Error loading QML at path: .* Error message: ";
    QTest::newRow("unknown type") << QByteArray("import QtQuick\nNoSuchItem {}\n")
                                  << "^Error loading QML at path: .* Error message: ";
    QTest::newRow("not an item") << QByteArray("import QtQml\nQtObject {}\n")
                                 << "^Creation of QML component yielded null at path: ";
}

void TestWWidgetFactory::brokenQmlGivesNull()
{
    QFETCH(QByteArray, qml);
    QFETCH(QString, message);

    const QString url = writeQml(QStringLiteral("Broken.qml"), qml);
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(message));
    QVERIFY(!m_pFactory->findWidget(url));
    QVERIFY(m_pParent->childItems().isEmpty());
}

void TestWWidgetFactory::tableResources_data()
{
    QTest::addColumn<QString>("typeName");
    QTest::addColumn<QString>("resource");

    QTest::newRow("bounds") << "bounds" << "qrc:/qmlcontrol/QmlBounds.qml";
    QTest::newRow("frame") << "frame" << "qrc:/qmlcontrol/QmlFrame.qml";
    QTest::newRow("slider") << "slider" << "qrc:/qmlcontrol/QmlFader.qml";
    QTest::newRow("levelbutton") << "levelbutton" << "qrc:/qmlcontrol/QmlLevelButtons.qml";
    QTest::newRow("meterimage") << "meterimage" << "qrc:/qmlcontrol/QmlMeterImage.qml";
}

void TestWWidgetFactory::tableResources()
{
    QFETCH(QString, typeName);
    QFETCH(QString, resource);
    QCOMPARE(WWidgetFactory::resourceOf(typeName), resource);
}

// A family above this folder makes its widget known by registering its
// type name with its QML file; the factory then makes it like its own.
void TestWWidgetFactory::typeRegisteredFromAbove()
{
    const QString url = writeQml(QStringLiteral("Gauge.qml"),
                                 "import QtQuick\nimport wframe\nItem { WFrame { objectName: \"widget\" } }\n");
    QVERIFY(!url.isEmpty());
    const QString typeName = QStringLiteral("testgauge");
    QVERIFY(WWidgetFactory::resourceOf(typeName).isEmpty());
    QVERIFY(!m_pFactory->create(typeName));

    WWidgetFactory::registerType(typeName, url);
    QCOMPARE(WWidgetFactory::resourceOf(typeName), url);
    WWidget *pWidget = m_pFactory->create(typeName);
    QVERIFY(pWidget);
    QCOMPARE(QString::fromLatin1(pWidget->metaObject()->className()), QStringLiteral("WFrame"));
    QCOMPARE(pWidget->item()->parentItem(), m_pParent.get());
    // Names stay case-sensitive.
    QVERIFY(!m_pFactory->create(QStringLiteral("TestGauge")));
}

void TestWWidgetFactory::shippedFiles_data()
{
    QTest::addColumn<QString>("typeName");
    QTest::addColumn<QString>("className");
    QTest::addColumn<QString>("fileName");

    QTest::newRow("bounds") << "bounds" << "WFrame" << "QmlBounds";
    QTest::newRow("frame") << "frame" << "WFrame" << "QmlFrame";
    QTest::newRow("label") << "label" << "WLabel" << "QmlLabel";
    QTest::newRow("image") << "image" << "WImage" << "QmlImage";
    QTest::newRow("panellink") << "panellink" << "WPanelLink" << "QmlPanelLink";
}

// The shipped QML files load without a skin in the context (no warning at
// all) and hand back their own widget class with the file's root.
void TestWWidgetFactory::shippedFiles()
{
    QFETCH(QString, typeName);
    QFETCH(QString, className);
    QFETCH(QString, fileName);

    QTest::failOnWarning(QRegularExpression(QStringLiteral(".*")));
    WWidget *pWidget = m_pFactory->create(typeName);
    QVERIFY(pWidget);
    QCOMPARE(QString::fromLatin1(pWidget->metaObject()->className()), className);
    QVERIFY(pWidget->item());
    // The engine names the root type after its file.
    QVERIFY(QString::fromLatin1(pWidget->item()->metaObject()->className()).startsWith(fileName + "_"));
    QCOMPARE(pWidget->item()->parentItem(), m_pParent.get());
    QVERIFY(!pWidget->item()->isVisible());
    QCOMPARE(pWidget->objectName(), QStringLiteral("widget"));
    // The native half draws nothing, so it stays out of the scene: the
    // root's child, not one of its visual children.
    QCOMPARE(pWidget->parent(), pWidget->item());
    QVERIFY(!pWidget->parentItem());
    QVERIFY(!pWidget->item()->childItems().contains(pWidget));
}

// The widget files are compiled when the program is built: the engine
// takes their units from the program and never compiles them itself, so it
// writes none of them to its disk cache. A file of the test's own shows that
// the cache is written for what the engine does compile.
void TestWWidgetFactory::shippedFilesComeCompiled()
{
    const QString cacheFolder =
        QStandardPaths::writableLocation(QStandardPaths::CacheLocation) + QStringLiteral("/qmlcache");
    QDir(cacheFolder).removeRecursively();
    const auto cachedUnits = [&cacheFolder] {
        return QDir(cacheFolder).entryList({QStringLiteral("*.qmlc")}, QDir::Files).size();
    };

    QQmlEngine engine;
    int files = 0;
    QDirIterator shipped(QStringLiteral(":/qmlcontrol"), {QStringLiteral("*.qml")}, QDir::Files);
    while (shipped.hasNext()) {
        const QString path = shipped.next();
        QQmlComponent component(&engine, QUrl(QStringLiteral("qrc") + path));
        QVERIFY2(component.isReady(), qPrintable(path + QLatin1Char(' ') + component.errorString()));
        ++files;
    }
    QVERIFY(files >= 19);
    QCOMPARE(cachedUnits(), 0);

    QQmlComponent own(&engine, QUrl(writeQml(QStringLiteral("Own.qml"), "import QtQuick\nItem { width: 2 * 3 }\n")));
    QVERIFY(own.isReady());
    QTRY_COMPARE(cachedUnits(), 1);
}

void TestWWidgetFactory::delegateIdsAreConsecutive()
{
    WDelegate *pDelegate = WDelegate::instance();
    const quint32 first = pDelegate->nextId();
    const quint32 second = pDelegate->nextId();
    QCOMPARE(second, first + 1u);
    QVERIFY(second != first);
    WDelegate::destroyInstance();
}

VR_TEST_MAIN(TestWWidgetFactory)
#include "tst_wwidgetfactory.moc"
