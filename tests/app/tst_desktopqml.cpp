#include "VrTest.h"

#include "app/DQmlMessageDialog.h"
#include "app/MQmlInterface.h"
#include "controls/VModeManager.h"
#include "project/SkinLoader.h"

#include <QColor>
#include <QImage>
#include <QKeyEvent>
#include <QMessageBox>
#include <QQmlComponent>
#include <QQmlContext>
#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickView>
#include <QRegularExpression>
#include <QSettings>
#include <QSignalSpy>

#include <cmath>
#include <memory>

// The interface object as QML sees it, but recording what QML posts to the
// program instead of acting on it, and with fixed information texts. QML
// resolves these names on the most derived class first.
class RecordingInterface : public MQmlInterface
{
    Q_OBJECT

public:
    Q_INVOKABLE bool postCommand(QString cmd, QString msg)
    {
        posts.append(QStringList{cmd, msg});
        return true;
    }
    Q_INVOKABLE QString getProjectInfoString() { return QStringLiteral("project information text"); }
    Q_INVOKABLE QString getNetworkStatusString() { return QStringLiteral("network status text"); }
    // As a model with status devices answers when told so.
    Q_INVOKABLE bool shouldDisplayDeviceStatusDashboardIcon() { return hasStatusDevices; }

    QList<QStringList> posts;
    bool hasStatusDevices = false;
};

class TestDesktopQml : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void interfaceDefaults_data();
    void interfaceDefaults();
    void imagePathsResolve_data();
    void imagePathsResolve();
    void startUpRegistration();
    void rowLayout_data();
    void rowLayout();
    void dashboardButtonFollowsSkin_data();
    void dashboardButtonFollowsSkin();
    void missingRowIsReported();
    void sceneMenuNeedsTwoScenes_data();
    void sceneMenuNeedsTwoScenes();
    void menuChoicePosted_data();
    void menuChoicePosted();
    void aboutEntryShowsVersion();
    void informationEntriesShowMessageBoxes_data();
    void informationEntriesShowMessageBoxes();
    void cancelHidesMenu();
    void proxyDialog_data();
    void proxyDialog();
    void receiveBox();
    void rightClickMenu_data();
    void rightClickMenu();
    void messageBoxesQuit_data();
    void messageBoxesQuit();
};

namespace {

const QString kSetupMenuText =
    QStringLiteral("About Varolin Remote...,Project Information...,Network Status...,Receive...");
const QString kToolBar = QStringLiteral("qrc:/qml/objects/QmlToolBarObject.qml");
const QString kMinToolBar = QStringLiteral("qrc:/qml/objects/QmlMinToolBarObject.qml");
const QString kStatusBar = QStringLiteral("qrc:/qml/objects/QmlStatusBarObject.qml");
constexpr int kCanvasWidth = 282;
constexpr int kCanvasHeight = 502;

std::unique_ptr<RecordingInterface> createInterface(QQmlEngine *pEngine)
{
    QQmlComponent component(pEngine, QUrl(QStringLiteral("qrc:/qml/QmlInterface.qml")));
    QObject *pObject = component.create();
    if (!pObject)
        qWarning() << component.errorString();
    return std::unique_ptr<RecordingInterface>(qobject_cast<RecordingInterface *>(pObject));
}

// Searches the visual tree: items made by a Repeater have no QObject parent.
QQuickItem *findItem(QQuickItem *pRoot, const QString &name)
{
    const QList<QQuickItem *> children = pRoot->childItems();
    for (QQuickItem *pChild : children) {
        if (pChild->objectName() == name)
            return pChild;
        if (QQuickItem *pFound = findItem(pChild, name))
            return pFound;
    }
    return nullptr;
}

// Clicks the middle of the item; false when there is no item.
bool click(QQuickView &view, QQuickItem *pItem, Qt::MouseButton button = Qt::LeftButton)
{
    if (!pItem)
        return false;
    // Offscreen, the view draws no new frames by itself, and positioners lay
    // out only for a frame: draw one, so that the click hits what a user
    // would see.
    view.grabWindow();
    const QPointF centre = pItem->mapToScene(QPointF(pItem->width() / 2, pItem->height() / 2));
    QTest::mouseClick(&view, button, Qt::NoModifier, centre.toPoint());
    return true;
}

// Buttons of a Qt Quick Controls item and its children, visible ones only.
QStringList visibleButtonTexts(QObject *pRoot)
{
    QStringList texts;
    const QList<QQuickItem *> items = pRoot->findChildren<QQuickItem *>();
    for (QQuickItem *pItem : items) {
        if (pItem->inherits("QQuickAbstractButton") && pItem->isVisible())
            texts.append(pItem->property("text").toString());
    }
    texts.sort();
    return texts;
}

QQuickItem *visibleButton(QObject *pRoot, const QString &text)
{
    const QList<QQuickItem *> items = pRoot->findChildren<QQuickItem *>();
    for (QQuickItem *pItem : items) {
        if (pItem->inherits("QQuickAbstractButton") && pItem->isVisible()
            && pItem->property("text").toString() == text)
            return pItem;
    }
    return nullptr;
}

// The desktop QML in a view of its own, with the interface object and the
// context properties that the program publishes.
class Desktop
{
public:
    explicit Desktop(const QStringList &scenes = {QStringLiteral("Main"), QStringLiteral("Lobby")})
        : m_pView(std::make_unique<QQuickView>())
    {
        m_pInterface = createInterface(m_pView->engine());
        if (!m_pInterface)
            return;
        QQmlContext *pContext = m_pView->rootContext();
        pContext->setContextProperty(QStringLiteral("intrf"), m_pInterface.get());
        m_pInterface->setContext(pContext);
        m_pInterface->setupMenuData(kSetupMenuText);
        pContext->setContextProperty(QStringLiteral("sceneMenuData"), scenes);
        m_pView->setResizeMode(QQuickView::SizeRootObjectToView);
        m_pView->resize(kCanvasWidth, kCanvasHeight);
        m_pView->setSource(QUrl(QStringLiteral("qrc:/qml/QmlDesktop.qml")));
        m_pView->show();
    }

    ~Desktop()
    {
        // The QML reads the interface object: take it down first.
        m_pView->setSource(QUrl());
        m_pInterface.reset();
    }

    bool isReady() const
    {
        return m_pInterface && m_pView->rootObject() && QTest::qWaitForWindowExposed(m_pView.get());
    }

    QQuickView &view() { return *m_pView; }
    RecordingInterface *intrf() const { return m_pInterface.get(); }
    QQuickItem *root() const { return m_pView->rootObject(); }
    QQuickItem *item(const char *name) const { return root()->findChild<QQuickItem *>(QLatin1String(name)); }
    QObject *object(const char *name) const { return root()->findChild<QObject *>(QLatin1String(name)); }

    QQuickItem *openSetupMenu()
    {
        QQuickItem *pMenu = item("setupMenu");
        QQuickItem *pButton = item("menuButton");
        if (!pMenu || !pButton)
            return nullptr;
        click(*m_pView, pButton);
        return pMenu->isVisible() ? pMenu : nullptr;
    }

    QQuickItem *entry(QQuickItem *pMenu, int index) const
    {
        return findItem(pMenu, QStringLiteral("menuEntry%1").arg(index));
    }

private:
    std::unique_ptr<QQuickView> m_pView;
    std::unique_ptr<RecordingInterface> m_pInterface;
};

// Contrast as the accessibility guidelines count it, from the relative
// luminances of the two colours.
double contrast(const QColor &a, const QColor &b)
{
    auto linear = [](double v) {
        return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
    };
    auto luminance = [&](const QColor &c) {
        return 0.2126 * linear(c.redF()) + 0.7152 * linear(c.greenF()) + 0.0722 * linear(c.blueF());
    };
    const double la = luminance(a);
    const double lb = luminance(b);
    return (qMax(la, lb) + 0.05) / (qMin(la, lb) + 0.05);
}

// The strongest contrast that a picture's pixels, each laid over the
// background, make with the background: how well its lines show there.
double strongestContrast(const QImage &picture, const QColor &background)
{
    double best = 1.0;
    const QImage image = picture.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor p = image.pixelColor(x, y);
            const double a = p.alphaF();
            const QColor over = QColor::fromRgbF(float(p.redF() * a + background.redF() * (1 - a)),
                                                 float(p.greenF() * a + background.greenF() * (1 - a)),
                                                 float(p.blueF() * a + background.blueF() * (1 - a)));
            best = qMax(best, contrast(over, background));
        }
    }
    return best;
}

std::unique_ptr<QSettings> proxyStore()
{
    return std::make_unique<QSettings>(QStringLiteral("com.HalvernProfessional"),
                                       QStringLiteral("VarolinRemote"));
}

} // namespace

void TestDesktopQml::initTestCase()
{
    qmlRegisterType<RecordingInterface>("mqmlinterface", 1, 0, "MQmlInterface");
}

void TestDesktopQml::init()
{
    // Binding loops, unknown names and failed loads all end up here.
    QTest::failOnWarning(QRegularExpression(QStringLiteral(".*")));
}

void TestDesktopQml::cleanup()
{
    proxyStore()->clear();
    DQmlMessageDialog::setMessageBoxRunner(nullptr);
    VModeManager::destroyInstance();
}

void TestDesktopQml::interfaceDefaults_data()
{
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<QVariant>("expected");

    QTest::newRow("rightClickEnable") << QByteArray("rightClickEnable") << QVariant(true);
    QTest::newRow("editModeEnable") << QByteArray("editModeEnable") << QVariant(false);
    QTest::newRow("maxControlHeight") << QByteArray("maxControlHeight") << QVariant(340);
    QTest::newRow("pageCount") << QByteArray("pageCount") << QVariant(1);
    QTest::newRow("toolBarHeightRatio") << QByteArray("toolBarHeightRatio") << QVariant(0.085);
    QTest::newRow("statusBarHeightRatio") << QByteArray("statusBarHeightRatio") << QVariant(0.08);
    QTest::newRow("menuTextSize") << QByteArray("menuTextSize") << QVariant(12.0);
    QTest::newRow("nullRegionColor")
        << QByteArray("nullRegionColor") << QVariant(QColor::fromRgba(0x50231F20));
    QTest::newRow("accentColor") << QByteArray("accentColor") << QVariant(QColor(0x1D, 0x98, 0xD5));
    QTest::newRow("headerTitle") << QByteArray("headerTitle") << QVariant(QString());
    QTest::newRow("connectInd")
        << QByteArray("connectInd") << QVariant(QStringLiteral("../../images/skins/Light/indicator_red.png"));
    QTest::newRow("muteOn")
        << QByteArray("muteOn") << QVariant(QStringLiteral("../../images/skins/Accent/Blue/mute_on.png"));
    QTest::newRow("dialerMuteOff")
        << QByteArray("dialerMuteOff") << QVariant(QStringLiteral("../../images/mute_off.png"));
    QTest::newRow("topRow") << QByteArray("topRow") << QVariant(kToolBar);
    QTest::newRow("bottomRow") << QByteArray("bottomRow") << QVariant(kStatusBar);
    QTest::newRow("errMsgPath")
        << QByteArray("errMsgPath") << QVariant(QStringLiteral("qrc:/qml/objects/QmlErrMsg.qml"));
}

void TestDesktopQml::interfaceDefaults()
{
    QFETCH(QByteArray, name);
    QFETCH(QVariant, expected);

    QQmlEngine engine;
    const std::unique_ptr<RecordingInterface> intrf = createInterface(&engine);
    QVERIFY(intrf);
    const QVariant value = intrf->property(name.constData());
    // The type matters too: the model and the skins write these by name.
    QCOMPARE(value.metaType(), expected.metaType());
    QCOMPARE(value, expected);
}

void TestDesktopQml::imagePathsResolve_data()
{
    QTest::addColumn<QString>("baseUrl");
    QTest::addColumn<QString>("property");

    // The image paths are relative to the QML under qml/objects/.
    const QString objects = QStringLiteral("qrc:/qml/objects/ImageProbe.qml");
    for (const char *name : {"rightArrow", "leftArrow", "setupButton", "connectInd", "muteOff",
                             "downArrow", "muteOn", "halvernLogo", "vrmLogo",
                             "deviceStatusDashboardIcon", "collections", "flash", "hold", "phone",
                             "backspace", "dialerMuteOff", "dialerMuteOn"}) {
        QTest::newRow(name) << objects << QString::fromLatin1(name);
    }
    // One level higher the surplus ".." stops at the resource root.
    QTest::newRow("from qml/") << QStringLiteral("qrc:/qml/ImageProbe.qml") << QStringLiteral("connectInd");
}

void TestDesktopQml::imagePathsResolve()
{
    QFETCH(QString, baseUrl);
    QFETCH(QString, property);

    QQmlEngine engine;
    const std::unique_ptr<RecordingInterface> intrf = createInterface(&engine);
    QVERIFY(intrf);
    engine.rootContext()->setContextProperty(QStringLiteral("intrf"), intrf.get());

    QQmlComponent component(&engine);
    component.setData(QStringLiteral("import QtQuick\nImage { source: intrf.%1 }").arg(property).toUtf8(),
                      QUrl(baseUrl));
    const std::unique_ptr<QObject> image(component.create());
    QVERIFY2(image, qPrintable(component.errorString()));
    QTRY_COMPARE(image->property("status").toInt(), 1); // Image.Ready
    QVERIFY(image->property("sourceSize").toSize().width() > 0);
}

void TestDesktopQml::startUpRegistration()
{
    Desktop desktop;
    QVERIFY(desktop.isReady());

    QCOMPARE(VModeManager::instance()->canvasItem(), desktop.root());
    QQuickItem *pControl = desktop.item("controlObject");
    QVERIFY(pControl);
    QCOMPARE(desktop.intrf()->viewItem(), pControl);
    QVERIFY(!VModeManager::instance()->modalItem());

    // The control area's height gives the menu and dialog text sizes.
    QVERIFY(pControl->height() > 0);
    QCOMPARE(desktop.intrf()->property("menuTextSize").toReal(), pControl->height() * 0.0375);
    QCOMPARE(desktop.intrf()->property("dialogTextSize").toReal(), pControl->height() * 0.03125);

    QQuickItem *pIndicator = desktop.item("connectionIndicator");
    QVERIFY(pIndicator);
    QCOMPARE(pIndicator->property("status").toInt(), 1); // Image.Ready
    // Without a model the dashboard has nothing to show.
    QVERIFY(!desktop.item("dashboardButton")->isVisible());
}

void TestDesktopQml::rowLayout_data()
{
    QTest::addColumn<QString>("topRow");
    QTest::addColumn<QString>("bottomRow");
    QTest::addColumn<QString>("topName");
    QTest::addColumn<QString>("bottomName");
    QTest::addColumn<qreal>("topRatio");
    QTest::addColumn<qreal>("bottomRatio");

    QTest::newRow("tool and status rows")
        << kToolBar << kStatusBar << "toolBar" << "statusBar" << 0.085 << 0.08;
    QTest::newRow("small tool row")
        << kMinToolBar << kStatusBar << "minToolBar" << "statusBar" << 0.085 * 0.625 << 0.08;
    QTest::newRow("no status row") << kToolBar << "?" << "toolBar" << QString() << 0.085 << 0.0;
    QTest::newRow("no rows") << "?" << "?" << QString() << QString() << 0.0 << 0.0;
}

void TestDesktopQml::rowLayout()
{
    QFETCH(QString, topRow);
    QFETCH(QString, bottomRow);
    QFETCH(QString, topName);
    QFETCH(QString, bottomName);
    QFETCH(qreal, topRatio);
    QFETCH(qreal, bottomRatio);

    Desktop desktop;
    QVERIFY(desktop.isReady());
    // The way the canvas changes the rows: set them, then reload.
    QQuickItem *pRoot = desktop.root();
    pRoot->setProperty("topRow", topRow);
    pRoot->setProperty("bottomRow", bottomRow);
    QVERIFY(QMetaObject::invokeMethod(pRoot, "reloadCanvas"));

    QQuickItem *pTop = desktop.item("topArea");
    QQuickItem *pBottom = desktop.item("bottomArea");
    QQuickItem *pControl = desktop.item("controlObject");
    QVERIFY(pTop && pBottom && pControl);

    // The rows loaded before are gone, and each area holds its new row only.
    QTRY_COMPARE(pTop->childItems().size(), topName.isEmpty() ? 0 : 1);
    QTRY_COMPARE(pBottom->childItems().size(), bottomName.isEmpty() ? 0 : 1);
    if (!topName.isEmpty())
        QCOMPARE(pTop->childItems().constFirst()->objectName(), topName);
    if (!bottomName.isEmpty())
        QCOMPARE(pBottom->childItems().constFirst()->objectName(), bottomName);
    QCOMPARE(pRoot->property("topLoad").toBool(), !topName.isEmpty());
    QCOMPARE(pRoot->property("botLoad").toBool(), !bottomName.isEmpty());

    const qreal topHeight = kCanvasHeight * topRatio;
    const qreal bottomHeight = kCanvasHeight * bottomRatio;
    QCOMPARE(pTop->height(), topHeight);
    QCOMPARE(pBottom->height(), bottomHeight);
    QCOMPARE(pBottom->y() + pBottom->height(), qreal(kCanvasHeight));
    QCOMPARE(pControl->y(), topHeight);
    QCOMPARE(pControl->height(), kCanvasHeight - topHeight - bottomHeight);
    QCOMPARE(pControl->width(), qreal(kCanvasWidth));
    if (!topName.isEmpty())
        QCOMPARE(pTop->childItems().constFirst()->height(), topHeight);
}

void TestDesktopQml::dashboardButtonFollowsSkin_data()
{
    QTest::addColumn<QString>("skin");
    QTest::addColumn<QString>("row");
    for (const char *skin : {"Light", "Dark"}) {
        QTest::addRow("%s, tool row", skin) << QString::fromLatin1(skin) << kToolBar;
        QTest::addRow("%s, small tool row", skin) << QString::fromLatin1(skin) << kMinToolBar;
    }
}

// The dashboard button shows its skin's own picture, whose lines stand out
// from the skin's tool row, as the menu button beside it does.
void TestDesktopQml::dashboardButtonFollowsSkin()
{
    QFETCH(QString, skin);
    QFETCH(QString, row);

    Desktop desktop;
    QVERIFY(desktop.isReady());
    desktop.intrf()->hasStatusDevices = true;
    // Another skin first: the picture must follow the change.
    SkinLoader loader;
    loader.setTarget(desktop.intrf());
    QString other = skin == QLatin1String("Dark") ? QStringLiteral("Light") : QStringLiteral("Dark");
    QVERIFY(loader.loadSkin(other));
    QString name = skin;
    QVERIFY(loader.loadSkin(name));
    QCOMPARE(name, skin);
    desktop.root()->setProperty("topRow", row);
    QVERIFY(QMetaObject::invokeMethod(desktop.root(), "reloadCanvas"));

    QQuickItem *pTop = desktop.item("topArea");
    QVERIFY(pTop);
    QTRY_COMPARE(pTop->childItems().size(), 1);
    QQuickItem *pButton = findItem(pTop, QStringLiteral("dashboardButton"));
    QVERIFY(pButton);
    QVERIFY(pButton->isVisible());
    QQuickItem *pImage = nullptr;
    for (QQuickItem *pChild : pButton->childItems()) {
        if (pChild->inherits("QQuickImage"))
            pImage = pChild;
    }
    QVERIFY(pImage);
    QTRY_COMPARE(pImage->property("status").toInt(), 1); // Image.Ready
    // Relative to the row's QML, as the image takes it.
    const QUrl source = QUrl(row).resolved(pImage->property("source").toUrl());
    QCOMPARE(source.toString(),
             QStringLiteral("qrc:/images/skins/%1/HealthDashboardIcon.png").arg(skin));

    const QImage picture(QLatin1Char(':') + source.path());
    QVERIFY(!picture.isNull());
    const QColor toolBar = desktop.intrf()->property("toolBarColor").value<QColor>();
    const double shown = strongestContrast(picture, toolBar);
    QVERIFY2(shown >= 3.0, qPrintable(QStringLiteral("%1:1 on %2").arg(shown, 0, 'f', 2).arg(toolBar.name())));
    // The menu button beside it, for comparison, shows as well.
    const QUrl menu = QUrl(row).resolved(QUrl(desktop.intrf()->property("setupButton").toString()));
    QVERIFY(strongestContrast(QImage(QLatin1Char(':') + menu.path()), toolBar) >= 3.0);
}

void TestDesktopQml::missingRowIsReported()
{
    Desktop desktop;
    QVERIFY(desktop.isReady());
    const QString missing = QStringLiteral("qrc:/qml/objects/NoSuchRow.qml");
    QTest::ignoreMessage(QtWarningMsg,
                         QRegularExpression(QStringLiteral("Error creating component at: ")
                                            + QRegularExpression::escape(missing)));
    desktop.root()->setProperty("topRow", missing);
    QVERIFY(QMetaObject::invokeMethod(desktop.root(), "reloadCanvas"));

    QCOMPARE(desktop.item("topArea")->height(), 0.0);
    QVERIFY(!desktop.root()->property("topLoad").toBool());
    QVERIFY(desktop.item("statusBar"));
}

void TestDesktopQml::sceneMenuNeedsTwoScenes_data()
{
    QTest::addColumn<QStringList>("scenes");
    QTest::addColumn<bool>("opens");

    QTest::newRow("one scene") << QStringList{QStringLiteral("Main")} << false;
    QTest::newRow("two scenes") << QStringList{QStringLiteral("Main"), QStringLiteral("Lobby")} << true;
}

void TestDesktopQml::sceneMenuNeedsTwoScenes()
{
    QFETCH(QStringList, scenes);
    QFETCH(bool, opens);

    Desktop desktop(scenes);
    QVERIFY(desktop.isReady());
    QQuickItem *pMenu = desktop.item("sceneMenu");
    QVERIFY(pMenu);
    QCOMPARE(pMenu->isEnabled(), opens);

    QVERIFY(click(desktop.view(), desktop.item("sceneTitleArea")));
    QCOMPARE(pMenu->isVisible(), opens);
    QCOMPARE(VModeManager::instance()->modalItem(), opens ? pMenu : nullptr);
    QVERIFY(desktop.intrf()->posts.isEmpty());
}

void TestDesktopQml::menuChoicePosted_data()
{
    QTest::addColumn<QString>("menu");
    QTest::addColumn<int>("index");
    QTest::addColumn<QStringList>("post");

    // The setup menu handles its first three entries itself; the fourth
    // goes to the program.
    QTest::newRow("Receive...") << "setupMenu" << 3
                                << QStringList{QStringLiteral("system"), QStringLiteral("Receive...")};
    QTest::newRow("scene") << "sceneMenu" << 1
                           << QStringList{QStringLiteral("scene"), QStringLiteral("Lobby")};
}

void TestDesktopQml::menuChoicePosted()
{
    QFETCH(QString, menu);
    QFETCH(int, index);
    QFETCH(QStringList, post);

    Desktop desktop;
    QVERIFY(desktop.isReady());
    QQuickItem *pMenu = desktop.root()->findChild<QQuickItem *>(menu);
    QVERIFY(pMenu);
    const char *opener = menu == QLatin1String("setupMenu") ? "menuButton" : "sceneTitleArea";
    QVERIFY(click(desktop.view(), desktop.item(opener)));
    QVERIFY(pMenu->isVisible());
    QCOMPARE(VModeManager::instance()->modalItem(), pMenu);

    QQuickItem *pEntry = desktop.entry(pMenu, index);
    QVERIFY(pEntry);
    QVERIFY(click(desktop.view(), pEntry));

    QCOMPARE(desktop.intrf()->posts, QList<QStringList>{post});
    QVERIFY(!pMenu->isVisible());
    QVERIFY(!VModeManager::instance()->modalItem());
}

void TestDesktopQml::aboutEntryShowsVersion()
{
    Desktop desktop;
    QVERIFY(desktop.isReady());
    QQuickItem *pMenu = desktop.openSetupMenu();
    QVERIFY(pMenu);
    QVERIFY(click(desktop.view(), desktop.entry(pMenu, 0)));

    QObject *pAbout = desktop.object("aboutDialog");
    QVERIFY(pAbout);
    QTRY_VERIFY(pAbout->property("opened").toBool());
    QCOMPARE(pAbout->property("title").toString(), QStringLiteral("About Varolin Remote..."));
    QQuickItem *pVersion = pAbout->findChild<QQuickItem *>(QStringLiteral("versionText"));
    QVERIFY(pVersion);
    QCOMPARE(pVersion->property("text").toString(), desktop.intrf()->getVersionText());
    QVERIFY(pVersion->property("text").toString().startsWith(QStringLiteral("Version 3.1.18.0\n\n")));
    QVERIFY(desktop.intrf()->posts.isEmpty());

    // A click anywhere, on its title too, closes it, and with it the menu.
    QVERIFY(click(desktop.view(), pAbout->findChild<QQuickItem *>(QStringLiteral("aboutTitle"))));
    QTRY_VERIFY(!pAbout->property("visible").toBool());
    QVERIFY(!pMenu->isVisible());
    QVERIFY(!VModeManager::instance()->modalItem());
}

void TestDesktopQml::informationEntriesShowMessageBoxes_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("text");

    QTest::newRow("project") << 1 << "Project Information..." << "project information text";
    QTest::newRow("network") << 2 << "Network Status..." << "network status text";
}

void TestDesktopQml::informationEntriesShowMessageBoxes()
{
    QFETCH(int, index);
    QFETCH(QString, title);
    QFETCH(QString, text);

    QStringList shown;
    DQmlMessageDialog::setMessageBoxRunner([&shown](QMessageBox &box) {
        shown << box.windowTitle() << box.text();
        return int(QMessageBox::Ok);
    });

    Desktop desktop;
    QVERIFY(desktop.isReady());
    QQuickItem *pMenu = desktop.openSetupMenu();
    QVERIFY(pMenu);
    QVERIFY(click(desktop.view(), desktop.entry(pMenu, index)));

    QCOMPARE(shown, (QStringList{title, text}));
    QVERIFY(desktop.intrf()->posts.isEmpty());
}

void TestDesktopQml::cancelHidesMenu()
{
    Desktop desktop;
    QVERIFY(desktop.isReady());
    QQuickItem *pMenu = desktop.openSetupMenu();
    QVERIFY(pMenu);
    QCOMPARE(VModeManager::instance()->modalItem(), pMenu);

    pMenu->setProperty("cancel", true);
    QVERIFY(!pMenu->isVisible());
    QVERIFY(!VModeManager::instance()->modalItem());

    // Shown again, it starts uncancelled.
    QVERIFY(desktop.openSetupMenu());
    QVERIFY(!pMenu->property("cancel").toBool());
}

void TestDesktopQml::proxyDialog_data()
{
    QTest::addColumn<QString>("proxyType");
    QTest::addColumn<bool>("showsField");
    QTest::addColumn<QString>("acceptText");
    QTest::addColumn<QString>("notice");
    QTest::addColumn<QString>("storedAfter");

    QTest::newRow("rtc") << "rtc" << false << "OK" << "Found the RTC." << "10.0.0.5";
    QTest::newRow("vds") << "vds" << true << "Save"
                         << "Found the PC.\nNote: This will need to be set on each client device."
                         << "10.0.0.9";
}

void TestDesktopQml::proxyDialog()
{
    QFETCH(QString, proxyType);
    QFETCH(bool, showsField);
    QFETCH(QString, acceptText);
    QFETCH(QString, notice);
    QFETCH(QString, storedAfter);

    {
        const auto store = proxyStore();
        store->setValue(QStringLiteral("proxyType"), proxyType);
        store->setValue(QStringLiteral("proxyInfo"),
                        proxyType == QLatin1String("rtc") ? QStringLiteral("Found the RTC.")
                                                          : QStringLiteral("Found the PC."));
        store->setValue(QStringLiteral("arxIp"), QStringLiteral("10.0.0.5"));
        store->setValue(QStringLiteral("isArxIpSet"), true);
    }

    Desktop desktop;
    QVERIFY(desktop.isReady());
    QQuickItem *pMenu = desktop.openSetupMenu();
    QVERIFY(pMenu);
    QVERIFY(click(desktop.view(), pMenu->findChild<QQuickItem *>(QStringLiteral("proxyEntry"))));

    QObject *pDialog = desktop.object("proxyDialog");
    QVERIFY(pDialog);
    QTRY_VERIFY(pDialog->property("opened").toBool());
    QCOMPARE(pDialog->property("title").toString(), QStringLiteral("Set ARX PC IP"));
    QCOMPARE(pDialog->findChild<QQuickItem *>(QStringLiteral("proxyNotice"))->property("text").toString(),
             notice);
    QQuickItem *pField = pDialog->findChild<QQuickItem *>(QStringLiteral("proxyAddressField"));
    QVERIFY(pField);
    QCOMPARE(pField->isVisible(), showsField);
    QCOMPARE(pField->property("text").toString(), QStringLiteral("10.0.0.5"));
    QCOMPARE(pField->property("placeholderText").toString(), QStringLiteral("Enter ARX PC IP"));
    // Not a builder: no way to clear the data from here.
    QCOMPARE(visibleButtonTexts(pDialog), (QStringList{QStringLiteral("Cancel"), acceptText}));

    pField->setProperty("text", QStringLiteral("10.0.0.9"));
    QQuickItem *pAccept = visibleButton(pDialog, acceptText);
    QVERIFY(pAccept);
    QVERIFY(click(desktop.view(), pAccept));

    QTRY_VERIFY(!pDialog->property("visible").toBool());
    QVERIFY(!pMenu->isVisible());
    QCOMPARE(desktop.intrf()->getArxPcIp(), storedAfter);
}

void TestDesktopQml::receiveBox()
{
    Desktop desktop;
    QVERIFY(desktop.isReady());
    QObject *pBox = desktop.object("receiveBox");
    QVERIFY(pBox);
    QCOMPARE(pBox->property("title").toString(), QStringLiteral("Default title"));
    QCOMPARE(pBox->property("text").toString(), QStringLiteral("Default text"));
    QSignalSpy canceled(desktop.intrf(), &MQmlInterface::receiveDialogCanceled);

    // Closed by the program: no cancel.
    QVERIFY(QMetaObject::invokeMethod(pBox, "open"));
    QTRY_VERIFY(pBox->property("opened").toBool());
    emit desktop.intrf()->closeReceiveDialog();
    QTRY_VERIFY(!pBox->property("visible").toBool());
    QCOMPARE(canceled.count(), 0);

    // Rejected by the operator: cancel.
    QVERIFY(QMetaObject::invokeMethod(pBox, "open"));
    QTRY_VERIFY(pBox->property("opened").toBool());
    QQuickItem *pCancel = visibleButton(pBox, QStringLiteral("Cancel"));
    QVERIFY(pCancel);
    QVERIFY(click(desktop.view(), pCancel));
    QTRY_VERIFY(!pBox->property("visible").toBool());
    QCOMPARE(canceled.count(), 1);
}

void TestDesktopQml::rightClickMenu_data()
{
    QTest::addColumn<bool>("enabled");

    QTest::newRow("enabled") << true;
    // The main window turns it off at start-up.
    QTest::newRow("disabled") << false;
}

void TestDesktopQml::rightClickMenu()
{
    QFETCH(bool, enabled);

    Desktop desktop;
    QVERIFY(desktop.isReady());
    desktop.intrf()->setProperty("rightClickEnable", enabled);
    QObject *pLayoutMenu = desktop.object("layoutMenu");
    QVERIFY(pLayoutMenu);

    QVERIFY(click(desktop.view(), desktop.item("controlObject"), Qt::RightButton));
    QCOMPARE(pLayoutMenu->property("visible").toBool(), enabled);
    if (enabled) {
        QCOMPARE(visibleButtonTexts(pLayoutMenu), QStringList{QStringLiteral("Layout...")});
        // It closes by itself after a while.
        QTRY_VERIFY_WITH_TIMEOUT(!pLayoutMenu->property("visible").toBool(), 10000);
    }
}

void TestDesktopQml::messageBoxesQuit_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("action");

    const QString message = QStringLiteral("qrc:/qml/objects/QmlMessageDialog.qml");
    const QString about = QStringLiteral("qrc:/qml/objects/QmlAboutDialog.qml");
    QTest::newRow("message: button") << message << "button";
    QTest::newRow("message: back key") << message << "back";
    QTest::newRow("message: cancel") << message << "cancel";
    QTest::newRow("about: click") << about << "click";
    QTest::newRow("about: back key") << about << "back";
    QTest::newRow("about: cancel") << about << "cancel";
}

void TestDesktopQml::messageBoxesQuit()
{
    QFETCH(QString, file);
    QFETCH(QString, action);

    Desktop desktop;
    QVERIFY(desktop.isReady());
    QQmlEngine *pEngine = desktop.view().engine();
    QQmlComponent component(pEngine, QUrl(file));
    std::unique_ptr<QObject> object(component.create(desktop.view().rootContext()));
    QVERIFY2(object, qPrintable(component.errorString()));
    auto *pBox = qobject_cast<QQuickItem *>(object.get());
    QVERIFY(pBox);
    // As the program shows them: over the canvas, with these properties.
    pBox->setParentItem(desktop.root());
    pBox->setProperty("title", QStringLiteral("Title"));
    pBox->setProperty("text", QStringLiteral("Some text"));
    pBox->setProperty("button", QStringLiteral("OK"));
    QSignalSpy quit(pEngine, &QQmlEngine::quit);

    if (action == QLatin1String("button")) {
        QQuickItem *pButton = pBox->findChild<QQuickItem *>(QStringLiteral("messageButton"));
        QVERIFY(pButton);
        QCOMPARE(pButton->property("text").toString(), QStringLiteral("OK"));
        QVERIFY(click(desktop.view(), pButton));
    } else if (action == QLatin1String("back")) {
        QKeyEvent back(QEvent::KeyPress, Qt::Key_Back, Qt::NoModifier);
        QCoreApplication::sendEvent(pBox, &back);
    } else if (action == QLatin1String("cancel")) {
        pBox->setProperty("cancel", true);
    } else {
        QVERIFY(click(desktop.view(), pBox));
    }
    QTRY_COMPARE(quit.count(), 1);
}

VR_TEST_MAIN(TestDesktopQml)
#include "tst_desktopqml.moc"
