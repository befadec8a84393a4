#include "VrTest.h"

#include "DemoAtPorts.h"
#include "ModelFixture.h"
#include "SimulatedVdsDevice.h"
#include "app/MModel.h"
#include "comms/IComposite.h"
#include "comms/IInterface.h"
#include "comms/TTransform.h"
#include "controls/CComposite.h"
#include "controls/CControl.h"
#include "controls/WWidgetFactory.h"
#include "widgets/WSlider.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTimer>

namespace {

constexpr int Patience = 10000;
constexpr int RunMs = 6000;

using Response = SimulatedVdsDevice::Response;

const QByteArray kMusic = "GA\"Music Gain\">1";

WSlider *faderOf(const CComposite *pPanel, const QString &controlName)
{
    for (int i = 0; pPanel && i < pPanel->childCount(); ++i) {
        const CControl *pControl = qobject_cast<const CControl *>(pPanel->childAt(i));
        if (!pControl || pControl->name() != controlName)
            continue;
        for (WWidget *pWidget : pControl->widgets()) {
            if (auto *pSlider = qobject_cast<WSlider *>(pWidget))
                return pSlider;
        }
    }
    return nullptr;
}

int knobAt(const WSlider *pSlider)
{
    return pSlider->itemProperty("value").toInt();
}

} // namespace

// The demo's level panel against a device that refuses everything of one
// fader and answers the other: one connection all along, the indicator
// stays green, and the good fader follows what changes at the device.
class TestRefusedControl : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { WWidgetFactory::registerWidgetTypes(); }
    void panelKeepsItsConnection_data();
    void panelKeepsItsConnection();
};

void TestRefusedControl::panelKeepsItsConnection_data()
{
    QTest::addColumn<bool>("subscribe");
    QTest::newRow("poll mode") << false;
    QTest::newRow("subscribe mode") << true;
}

void TestRefusedControl::panelKeepsItsConnection()
{
    QFETCH(bool, subscribe);
    SimulatedVdsDevice device;
    device.setValueStoreEnabled(true);
    device.setSubscriptionAccepted(subscribe);
    device.setValue(kMusic, "-10.0");
    device.setResponse("GA\"Mic Gain\"", Response::refuse());
    device.setResponse("SA \"Mic Gain\"", Response::refuse());
    device.setResponse("SUB \"GA\"Mic Gain\"", Response::refuse());
    const QString path = writeDemoAtPorts(device.port());
    QVERIFY(!path.isEmpty());

    ModelFixture f;
    f.model->loadProject(path);
    f.model->setConnectionsEnabled(true);
    f.model->rebuildInterfaceSet();
    QVERIFY(f.model->followLink(QStringLiteral("..\\Demo\\Levels")));
    QCOMPARE(f.model->currentPanel()->name(), QStringLiteral("Levels"));
    WSlider *pMusic = faderOf(f.model->currentPanel(), QStringLiteral("Music Level"));
    WSlider *pMic = faderOf(f.model->currentPanel(), QStringLiteral("Mic Level"));
    QVERIFY(pMusic && pMic);

    auto indicator = [&]() {
        return f.model->getInterfaceProperty(QStringLiteral("connectInd")).toString();
    };
    QTRY_VERIFY_WITH_TIMEOUT(indicator().endsWith(QStringLiteral("/indicator_grn.png")), Patience);
    if (subscribe) {
        // Subscribed, the device reports the value it holds.
        QTRY_VERIFY_WITH_TIMEOUT(device.subscriptions().contains(kMusic), Patience);
        device.push(device.replyLine(kMusic));
    }
    QTRY_COMPARE_WITH_TIMEOUT(knobAt(pMusic), -20, Patience);
    const int connections = device.connectionCount();
    QStringList indicators;
    connect(f.model.get(), &MModel::changedStatusIndicator, this,
            [&]() { indicators.append(indicator()); });
    QList<QSignalSpy *> losses;
    for (int i = 0; i < f.model->interfaces()->interfaceCount(); ++i) {
        losses.append(new QSignalSpy(f.model->interfaces()->interfaceAt(i),
                                     &IInterface::interfaceStateChanged));
    }
    QSignalSpy musicReplies(pMusic->transform(), &TTransform::replyValueReady);

    // Every period the operator tries the refused fader and someone
    // changes the good one at the device.
    int round = 0;
    double dB = -10.0;
    QTimer changes;
    connect(&changes, &QTimer::timeout, this, [&]() {
        ++round;
        if (subscribe || round % 3 == 0)
            pMic->outputValue(round % 2 ? 8 : -8);
        dB = -30.0 + round;
        device.setValue(kMusic, QByteArray::number(dB, 'f', 1));
        if (subscribe)
            device.push(device.replyLine(kMusic));
    });
    changes.start(400);
    QElapsedTimer clock;
    clock.start();
    QTRY_VERIFY_WITH_TIMEOUT(clock.elapsed() >= RunMs, 2 * RunMs);
    changes.stop();
    QTRY_COMPARE_WITH_TIMEOUT(knobAt(pMusic), int(2 * dB), Patience);
    QVERIFY2(round >= 5, qPrintable(QString::number(round)));
    // Reported by the device, each change reached the fader. (Polled,
    // the refused fader's sets pause the polling now and then.)
    if (subscribe)
        QVERIFY(musicReplies.size() >= round);

    QCOMPARE(device.connectionCount(), connections);
    for (QSignalSpy *pSpy : std::as_const(losses)) {
        for (const QList<QVariant> &arguments : std::as_const(*pSpy))
            QVERIFY(arguments.first().toBool());
    }
    qDeleteAll(losses);
    for (const QString &shown : std::as_const(indicators))
        QVERIFY2(shown.endsWith(QStringLiteral("/indicator_grn.png")), qPrintable(shown));
    QVERIFY(indicator().endsWith(QStringLiteral("/indicator_grn.png")));
    QVERIFY(device.commandCount("SA \"Mic Gain\"") >= 1);
}

VR_TEST_MAIN(TestRefusedControl)
#include "tst_refusedcontrol.moc"
