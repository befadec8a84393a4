#include "VrTest.h"

#include "ClosedPort.h"
#include "ModelFixture.h"
#include "RecordingProtocol.h"
#include "SimulatedVdsDevice.h"
#include "TestDevices.h"
#include "app/MModel.h"
#include "app/VQmlFrame.h"
#include "controls/CControl.h"
#include "controls/TTransformFactory.h"
#include "controls/VModeManager.h"
#include "controls/WDelegate.h"
#include "controls/WWidgetFactory.h"
#include "devices/HBlock.h"
#include "devices/HChassis.h"
#include "devices/HRoot.h"
#include "widgets/WButton.h"

#include <QQmlContext>
#include <QQmlEngine>
#include <QQuickItem>

#include <memory>

namespace {

constexpr int Patience = 10000;
using Leaves = QList<QPair<QString, QString>>;

const Leaves kIndicatorLeaves = {{"action", "showConnectionStatus"},
                                 {"buttonType", "connectionIndicator"},
                                 {"onimage", "connection_indicator_on"},
                                 {"offimage", "connection_indicator_off"},
                                 {"partialImage", "connection_indicator_partial"}};

// A button control made by the real factory into the parent item, on the
// engine's context, with the model as its panel host.
class ButtonOnModel
{
public:
    ButtonOnModel(QQmlEngine *pEngine, QQuickItem *pParent, MModel *pModel, const Leaves &leaves,
                  HNode *pNode = nullptr, const Leaves &list = {})
    {
        auto *pFactory = new WWidgetFactory;
        pFactory->setParentItem(pParent);
        pFactory->setContext(pEngine->rootContext());
        WDelegate::instance()->setFactory(pFactory);
        m_pControl = std::make_unique<CControl>();
        m_pControl->setType(QStringLiteral("Control"));
        m_pControl->setKind(QStringLiteral("Button"));
        m_pControl->setModel(pModel);
        if (pNode)
            m_pControl->setNode(pNode);
        for (const auto &leaf : list)
            m_pControl->setAttribute(QStringLiteral("list"), leaf.first, leaf.second);
        const Leaves geometry = {{"x", "10"}, {"y", "10"}, {"width", "80"}, {"height", "40"}};
        for (const auto &leaf : geometry + leaves)
            m_pControl->setWidgetAttribute(QStringLiteral("button"), leaf.first, leaf.second);
        m_pControl->endWidget(QStringLiteral("button"));
        m_pControl->bind();
        m_pControl->setVisible(true);
    }

    ~ButtonOnModel()
    {
        m_pControl.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        TTransformFactory::clearRegistry();
        WDelegate::destroyInstance();
    }

    WButton *button() const { return qobject_cast<WButton *>(m_pControl->widgets().value(0)); }

private:
    std::unique_ptr<CControl> m_pControl;
};

bool isGreen(const WButton *pButton)
{
    return pButton->itemProperty("checked").toBool() && !pButton->itemProperty("isPartialStateActive").toBool();
}

bool isYellow(const WButton *pButton)
{
    return !pButton->itemProperty("checked").toBool() && pButton->itemProperty("isPartialStateActive").toBool();
}

bool isRed(const WButton *pButton)
{
    return !pButton->itemProperty("checked").toBool() && !pButton->itemProperty("isPartialStateActive").toBool();
}

} // namespace

class TestWButtonApp : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { WWidgetFactory::registerWidgetTypes(); }
    void cleanup() { VModeManager::destroyInstance(); }
    void indicatorFollowsTheDevice();
    void indicatorShowsThePartialState();
    void setupButtonOpensTheMenu();
};

// Green once the simulated device accepts the connection, red once it
// drops it and takes no new one; the picture follows.
void TestWButtonApp::indicatorFollowsTheDevice()
{
    ModelFixture f;
    SimulatedVdsDevice device;
    TestDevices::addLocalChassis(f.model->root(), QStringLiteral("Main"), device.port());
    QQmlEngine engine;
    QQuickItem parent;
    ButtonOnModel b(&engine, &parent, f.model.get(), kIndicatorLeaves);
    WButton *pButton = b.button();
    QVERIFY(pButton);
    QVERIFY(isRed(pButton));

    f.model->setConnectionsEnabled(true);
    f.model->rebuildInterfaceSet();
    QTRY_VERIFY_WITH_TIMEOUT(isGreen(pButton), Patience);
    QCOMPARE(pButton->itemProperty("shownImage").toString(),
             QStringLiteral("../images/skins/Light/indicator_grn.png"));

    device.stopListening();
    device.dropClients();
    QTRY_VERIFY_WITH_TIMEOUT(isRed(pButton), Patience);
    QCOMPARE(pButton->itemProperty("shownImage").toString(),
             QStringLiteral("../images/skins/Light/indicator_red.png"));
}

// With two devices and one of them down: the partial state.
void TestWButtonApp::indicatorShowsThePartialState()
{
    ModelFixture f;
    SimulatedVdsDevice device;
    TestDevices::addLocalChassis(f.model->root(), QStringLiteral("Up"), device.port());
    TestDevices::addLocalChassis(f.model->root(), QStringLiteral("Down"), closedLocalPort());
    QQmlEngine engine;
    QQuickItem parent;
    ButtonOnModel b(&engine, &parent, f.model.get(), kIndicatorLeaves);
    WButton *pButton = b.button();
    QVERIFY(pButton);

    f.model->setConnectionsEnabled(true);
    f.model->rebuildInterfaceSet();
    QTRY_VERIFY_WITH_TIMEOUT(isYellow(pButton), Patience);
    QCOMPARE(pButton->itemProperty("shownImage").toString(),
             QStringLiteral("../images/skins/Light/indicator_ylw.png"));
}

// A setup button opens the setup menu over the desktop's canvas and does
// not press: nothing is sent.
void TestWButtonApp::setupButtonOpensTheMenu()
{
    VQmlFrame view;
    view.registerQmlTypes(false);
    view.setupMenuData(QStringLiteral("About...,Project Information...,Network Status...,Receive..."));
    view.rootContext()->setContextProperty(QStringLiteral("sceneMenuData"), QStringList());
    view.setResizeMode(QQuickView::SizeRootObjectToView);
    view.resize(400, 300);
    view.setSource(QUrl(QStringLiteral("qrc:/qml/QmlDesktop.qml")));
    QVERIFY(view.rootObject());
    auto *pArea = view.rootObject()->findChild<QQuickItem *>(QStringLiteral("controlObject"));
    QVERIFY(pArea);

    // A node without a parent goes with its control.
    auto *pNode = new HBlock;
    pNode->setLabel(QStringLiteral("Music Gain"));
    RecordingProtocol protocol;
    pNode->setProtocol(&protocol);
    ButtonOnModel b(view.engine(), pArea, nullptr, {{"action", "showSetupMenu"}, {"offimage", "setup_button"}},
                    pNode, {{"index1", "2"}, {"set", "F,O,T"}, {"transform", "bin8"}});
    WButton *pButton = b.button();
    QVERIFY(pButton);
    QVERIFY(pButton->itemProperty("isSetupButton").toBool());
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    view.grabWindow();

    const QPointF centre = pButton->item()->mapToScene(QPointF(40, 20));
    QTest::mouseClick(&view, Qt::LeftButton, Qt::NoModifier, centre.toPoint());
    auto *pMenu = view.rootObject()->findChild<QQuickItem *>(QStringLiteral("buttonSetupMenu"));
    QVERIFY(pMenu);
    QTRY_VERIFY_WITH_TIMEOUT(pMenu->isVisible(), Patience);
    QCOMPARE(pMenu->parentItem(), view.rootObject());
    QCOMPARE(pMenu->property("title").toString(), QStringLiteral("Setup"));
    QCOMPARE(pMenu->property("command").toString(), QStringLiteral("system"));
    QCOMPARE(pMenu->property("count").toInt(), 4);
    QVERIFY(protocol.sends.isEmpty());

    // Opened again, the same menu.
    pMenu->setProperty("visible", false);
    QTest::mouseClick(&view, Qt::LeftButton, Qt::NoModifier, centre.toPoint());
    QTRY_VERIFY_WITH_TIMEOUT(pMenu->isVisible(), Patience);
    QCOMPARE(view.rootObject()->findChildren<QQuickItem *>(QStringLiteral("buttonSetupMenu")).size(), 1);
    QVERIFY(protocol.sends.isEmpty());
}

VR_TEST_MAIN(TestWButtonApp)
#include "tst_wbuttonapp.moc"
