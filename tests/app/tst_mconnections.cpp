#include "VrTest.h"

#include "FakeProtocolHost.h"
#include "StubInterface.h"
#include "TestDevices.h"
#include "app/MConnections.h"
#include "comms/IComposite.h"
#include "comms/PProtocol.h"
#include "controls/CCanvas.h"
#include "controls/CComposite.h"
#include "NodeProperties.h"
#include "devices/HChassis.h"
#include "devices/HRoot.h"

#include <QSignalSpy>
#include <QTcpServer>

#include <memory>
#include <vector>

namespace {

// A port on 127.0.0.1 where nothing listens: connecting is refused.
quint16 closedPort()
{
    QTcpServer server;
    server.listen(QHostAddress::LocalHost);
    return server.serverPort();
}

// The service with a plain object for the indicator, a canvas for its skin
// and one panel for its polling.
struct Rig
{
    Rig()
    {
        connections.setIndicatorTarget(&target);
        connections.setCanvas(&canvas);
        connections.setCurrentPanelSource([this] { return &panel; });
        connections.setUpPolling(nullptr);
    }

    // Transports listed in the set, the first `connected` of them up.
    void listTransports(int count, int connected)
    {
        for (int i = 0; i < count; ++i) {
            transports.push_back(std::make_unique<StubInterface>());
            transports.back()->setConnected(i < connected);
            connections.interfaces()->addInterface(transports.back().get());
        }
    }

    QString indicator() const { return target.property("connectInd").toString(); }

    QObject target;
    CCanvas canvas;
    CComposite panel;
    std::vector<std::unique_ptr<StubInterface>> transports;
    MConnections connections;
};

} // namespace

class TestMConnections : public QObject
{
    Q_OBJECT

private slots:
    void indicatorFollowsTheCounts_data();
    void indicatorFollowsTheCounts();
    void heldReportsStayQuietUntilPassedOn();
    void goingOnLineLinksEveryProtocolOnce();
    void eachProtocolHearsEachChangeOnce();
    void setPausesThePanel();
};

void TestMConnections::indicatorFollowsTheCounts_data()
{
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("connected");
    QTest::addColumn<QString>("skin");
    QTest::addColumn<QString>("image");
    QTest::newRow("no transports") << 0 << 0 << "Light" << "indicator_red.png";
    QTest::newRow("none connected") << 2 << 0 << "Light" << "indicator_red.png";
    QTest::newRow("some connected") << 3 << 1 << "Light" << "indicator_ylw.png";
    QTest::newRow("all connected, dark") << 2 << 2 << "Dark" << "indicator_grn.png";
}

// The counts decide, whatever the reporting transport says; a loss is
// passed to every listed transport.
void TestMConnections::indicatorFollowsTheCounts()
{
    QFETCH(int, count);
    QFETCH(int, connected);
    QFETCH(QString, skin);
    QFETCH(QString, image);
    Rig rig;
    rig.canvas.setSkin(skin);
    rig.listTransports(count, connected);
    QSignalSpy changed(&rig.connections, &MConnections::changedStatusIndicator);

    rig.connections.interfaceStatusChanged(true);
    const QString path = "../../images/skins/" + skin + "/" + image;
    QCOMPARE(rig.indicator(), path);
    QCOMPARE(MConnections::currentIndicatorPath(), path);
    QCOMPARE(changed.size(), 1);

    rig.connections.interfaceStatusChanged(false);
    QCOMPARE(rig.indicator(), path);
    for (const auto &pTransport : rig.transports)
        QCOMPARE(pTransport->ownerNotices, 1);
}

// Receive mode holds the reports back: the indicator follows, nothing is
// announced or passed on; a loss seen meanwhile is passed on once, later.
void TestMConnections::heldReportsStayQuietUntilPassedOn()
{
    Rig rig;
    rig.listTransports(2, 2);
    QSignalSpy changed(&rig.connections, &MConnections::changedStatusIndicator);
    rig.connections.holdReports(true);
    rig.connections.watchForLosses(true);

    rig.transports.at(0)->setConnected(false);
    rig.connections.interfaceStatusChanged(false);
    QVERIFY(rig.indicator().endsWith("/indicator_ylw.png"));
    QCOMPARE(changed.size(), 0);
    QCOMPARE(rig.transports.at(1)->ownerNotices, 0);

    rig.connections.watchForLosses(false);
    rig.connections.holdReports(false);
    rig.connections.passHeldLoss();
    QCOMPARE(rig.transports.at(0)->ownerNotices, 1);
    QCOMPARE(rig.transports.at(1)->ownerNotices, 1);
    rig.connections.passHeldLoss();
    QCOMPARE(rig.transports.at(1)->ownerNotices, 1);
    rig.connections.announceIndicator();
    QCOMPARE(changed.size(), 1);
}

// Each chassis's protocol is linked each time connections are turned on;
// the polling runs at its period and lets the panel sweep; the transports
// report to the status receiver once, however often this is repeated.
void TestMConnections::goingOnLineLinksEveryProtocolOnce()
{
    Rig rig;
    HRoot root;
    const quint16 port = closedPort();
    HChassis *pMain = TestDevices::addLocalChassis(&root, QStringLiteral("Main"), port);
    HChassis *pOther = TestDevices::addLocalChassis(&root, QStringLiteral("Other"), port);
    FakeProtocolHost host;
    QList<PProtocol *> linked;
    rig.connections.setRoot(&root);
    rig.connections.setProtocolLink([&](PProtocol *pProtocol) {
        linked.append(pProtocol);
        pProtocol->setHost(&host);
    });
    rig.panel.setPollingActive(0);

    rig.connections.setConnectionsEnabled(true);
    rig.connections.setConnectionsEnabled(true);
    QCOMPARE(linked, (QList<PProtocol *>{pMain->protocol(), pOther->protocol(), pMain->protocol(),
                                         pOther->protocol()}));
    QVERIFY(rig.connections.pollingTimer()->isActive());
    QCOMPARE(rig.connections.pollingTimer()->interval(), MConnections::PollingIntervalMs);
    QCOMPARE(rig.panel.pollingActive(), quint8(1));

    rig.connections.rebuildInterfaceSet();
    QCOMPARE(rig.connections.interfaces()->interfaceCount(), 2);
    QSignalSpy changed(&rig.connections, &MConnections::changedStatusIndicator);
    emit pMain->transport()->interfaceStateChanged(true);
    QCOMPARE(changed.size(), 1);
}

// Turning connections on or off reaches each protocol once, whether its
// chassis announces the change (it has nodes in use) or not, however often
// it is repeated.
void TestMConnections::eachProtocolHearsEachChangeOnce()
{
    Rig rig;
    HRoot root;
    const quint16 port = closedPort();
    HChassis *pUsed = TestDevices::addLocalChassis(&root, QStringLiteral("Used"), port);
    // A device with nothing in use.
    auto *pIdle = new HChassis;
    NodeProperties::read(*pIdle, {QStringLiteral("title=DXR-880"), QStringLiteral("label=Idle"),
                                  QStringLiteral("ipAddress=127.0.0.1"),
                                  QStringLiteral("serialPortNumber=%1").arg(port)});
    root.addChild(pIdle);
    QVERIFY(pUsed->protocol() && pIdle->protocol());
    QSignalSpy usedAnnounced(pUsed, &HChassis::onlineStateChanged);
    QSignalSpy idleAnnounced(pIdle, &HChassis::onlineStateChanged);
    QSignalSpy usedHeard(pUsed->protocol(), &PProtocol::onlineStateChanged);
    QSignalSpy idleHeard(pIdle->protocol(), &PProtocol::onlineStateChanged);
    rig.connections.setRoot(&root);

    const QList<bool> changes = {true, true, false, true};
    for (qsizetype i = 0; i < changes.size(); ++i) {
        rig.connections.setConnectionsEnabled(changes.at(i));
        QCOMPARE(usedHeard.size(), i + 1);
        QCOMPARE(idleHeard.size(), i + 1);
        QCOMPARE(usedHeard.last().first().toBool(), changes.at(i));
        QCOMPARE(idleHeard.last().first().toBool(), changes.at(i));
    }
    QCOMPARE(usedAnnounced.size(), changes.size());
    QCOMPARE(idleAnnounced.size(), 0);
    // What the chassis announces by itself later still reaches it, once.
    emit pUsed->onlineStateChanged(false);
    QCOMPARE(usedHeard.size(), changes.size() + 1);
    rig.connections.setConnectionsEnabled(false);
}

// A set pauses the panel's sweep and restarts a running timer; the next
// tick only re-arms the panel.
void TestMConnections::setPausesThePanel()
{
    Rig rig;
    rig.connections.pollingTimer()->start(MConnections::PollingIntervalMs);
    rig.connections.setPollingActive(false);
    QCOMPARE(rig.panel.pollingActive(), quint8(0));
    QVERIFY(!rig.connections.isPollingActive());
    QVERIFY(rig.connections.pollingTimer()->isActive());
    QSignalSpy ticks(rig.connections.pollingTimer(), &QTimer::timeout);
    QVERIFY(ticks.wait(2 * MConnections::PollingIntervalMs));
    QCOMPARE(rig.panel.pollingActive(), quint8(1));
    QVERIFY(rig.connections.isPollingActive());
}

VR_TEST_MAIN(TestMConnections)
#include "tst_mconnections.moc"
