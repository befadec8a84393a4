#include "VrTest.h"

#include "FaderRig.h"
#include "FakeProtocolHost.h"
#include "SimulatedVdsDevice.h"

#include "comms/ITcpClient.h"
#include "comms/PVDSProtocol.h"
#include "comms/TTransform.h"
#include "controls/WWidgetFactory.h"
#include "widgets/WSlider.h"

#include <QHostAddress>

namespace {

constexpr int Patience = 5000;
const QByteArray kKey = "GA\"Music Gain\">1";
const QByteArray kSet = "SA \"Music Gain\">1=";
const Leaves kGainRange = {{"index1", "1"},  {"minimum", "-60"}, {"maximum", "12"},
                           {"step", "0.5"},  {"units", "dB"},    {"format", "nn.n"},
                           {"transform", "strV"}};

// The last set command the device received.
QByteArray lastSet(const SimulatedVdsDevice &device)
{
    QByteArray last;
    const QList<QByteArray> texts = device.commandTexts();
    for (const QByteArray &text : texts) {
        if (text.startsWith(kSet))
            last = text;
    }
    return last;
}

} // namespace

// A fader bound through the VDS protocol to the simulated device on
// 127.0.0.1, in poll mode and in subscribe mode.
class TestWSliderDevice : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { WWidgetFactory::registerWidgetTypes(); }
    void dragAndDeviceValues_data();
    void dragAndDeviceValues();
    void refusedSetShowsTheDeviceValue();
};

void TestWSliderDevice::dragAndDeviceValues_data()
{
    QTest::addColumn<bool>("subscribe");
    QTest::newRow("poll mode") << false;
    QTest::newRow("subscribe mode") << true;
}

// The device's value shows on the fader; a drag sends one set per send
// delay and the last one is the knob's; values the device reports (its
// echo of a set, or a change made elsewhere) are shown and never sent
// back.
void TestWSliderDevice::dragAndDeviceValues()
{
    QFETCH(bool, subscribe);

    SimulatedVdsDevice device;
    device.setValueStoreEnabled(true);
    device.setSubscriptionAccepted(subscribe);
    device.setValue(kKey, "-10.0");
    ITcpClient client;
    client.setAddress(QHostAddress::LocalHost);
    client.setPort(device.port());
    PVDSProtocol protocol;
    protocol.setInterface(&client);
    client.setOwner(&protocol);
    FakeProtocolHost host;
    protocol.setHost(&host);
    QVERIFY(client.open());
    QTRY_VERIFY_WITH_TIMEOUT(client.isConnected(), Patience);
    QTRY_VERIFY_WITH_TIMEOUT(client.hasSubscriptionState(), Patience);
    QCOMPARE(protocol.isSubscribed(), subscribe);

    FaderRig rig;
    HNode *pNode = rig.addBlock({"title=Gain", "label=Music Gain", "level=-10 @max=12 @min=-60"});
    pNode->setProtocol(&protocol);
    CControl *pControl = rig.addFader("Music Level", pNode, kGainRange);
    WSlider *pSlider = FaderRig::bind(pControl);
    QVERIFY(pSlider);
    TTransform *pTransform = pControl->transform();
    QVERIFY(rig.showWindow());
    if (subscribe) {
        // Binding asked for a subscription; the device reports its value.
        QTRY_COMPARE_WITH_TIMEOUT(device.subscriptions(), QList<QByteArray>{kKey}, Patience);
        device.push(device.replyLine(kKey));
    }
    QTRY_COMPARE_WITH_TIMEOUT(FaderRig::itemValue(pSlider), -20, Patience);
    QTRY_VERIFY(FaderRig::isKnobAtRest(pSlider));

    // A quick drag: one set, with the knob's last value.
    QPointF at = rig.dragBy(pSlider, 15, -1.0);
    const int dragged = FaderRig::itemValue(pSlider);
    QVERIFY(dragged > -20);
    const QByteArray text = FaderRig::strVText(dragged, 0.5f).toLatin1();
    QTRY_COMPARE_WITH_TIMEOUT(device.commandCount(kSet), 1, Patience);
    QCOMPARE(lastSet(device), kSet + text);
    // The set paused the application's polling.
    QCOMPARE(host.pollingCalls, QList<bool>{false});

    // A slow drag, with the device's answers arriving in between.
    for (int i = 0; i < 30; ++i) {
        at.ry() -= 1.0;
        rig.moveTo(at);
        QTest::qWait(7);
    }
    // Let go, the knob shows where it was left, whatever the device's
    // answers to earlier steps showed meanwhile.
    rig.release(at);
    const int lastValue = FaderRig::itemValue(pSlider);
    QVERIFY(lastValue > dragged + 10);
    const QByteArray finalText = FaderRig::strVText(lastValue, 0.5f).toLatin1();
    QTRY_COMPARE_WITH_TIMEOUT(device.value(kKey), finalText, Patience);
    const int sets = device.commandCount(kSet);
    QVERIFY(sets >= 2 && sets <= 1 + 30);
    if (!subscribe)
        QVERIFY(protocol.requestValue(pTransform)); // the poll the model would make
    QTRY_COMPARE_WITH_TIMEOUT(pTransform->replyText(), QString::fromLatin1(finalText), Patience);
    QTRY_COMPARE(FaderRig::itemValue(pSlider), lastValue);
    QTest::qWait(4 * WSlider::sendDelayInterval);
    QCOMPARE(device.commandCount(kSet), sets);

    // Changed on the device, also while the button is down on the knob:
    // shown, not sent back.
    rig.press(FaderRig::knobCentre(pSlider));
    device.setValue(kKey, "-30.0");
    if (subscribe)
        device.push(device.replyLine(kKey));
    else
        QVERIFY(protocol.requestValue(pTransform));
    QTRY_COMPARE_WITH_TIMEOUT(FaderRig::itemValue(pSlider), -60, Patience);
    QTest::qWait(4 * WSlider::sendDelayInterval);
    rig.release(FaderRig::knobCentre(pSlider));
    QTest::qWait(4 * WSlider::sendDelayInterval);
    QCOMPARE(device.commandCount(kSet), sets);
    QCOMPARE(device.value(kKey), QByteArray("-30.0"));
    client.close();
}

// On a subscribed connection a set waits for no answer. The device
// refuses this one and keeps its value, reporting no change: the fader is
// asked the value once and goes back to what the device holds.
void TestWSliderDevice::refusedSetShowsTheDeviceValue()
{
    SimulatedVdsDevice device;
    device.setValueStoreEnabled(true);
    device.setValue(kKey, "-20.0");
    device.setResponse(kSet, SimulatedVdsDevice::Response::refuse());
    ITcpClient client;
    client.setAddress(QHostAddress::LocalHost);
    client.setPort(device.port());
    PVDSProtocol protocol;
    protocol.setInterface(&client);
    client.setOwner(&protocol);
    FakeProtocolHost host;
    protocol.setHost(&host);
    QVERIFY(client.open());
    QTRY_VERIFY_WITH_TIMEOUT(protocol.isSubscribed(), Patience);

    FaderRig rig;
    HNode *pNode = rig.addBlock({"title=Gain", "label=Music Gain", "level=-10 @max=12 @min=-60"});
    pNode->setProtocol(&protocol);
    WSlider *pSlider = FaderRig::bind(rig.addFader("Music Level", pNode, kGainRange));
    QVERIFY(pSlider);
    QVERIFY(rig.showWindow());
    QTRY_COMPARE_WITH_TIMEOUT(device.subscriptions(), QList<QByteArray>{kKey}, Patience);
    device.push(device.replyLine(kKey));
    QTRY_COMPARE_WITH_TIMEOUT(FaderRig::itemValue(pSlider), -40, Patience);
    QTRY_VERIFY(FaderRig::isKnobAtRest(pSlider));
    QCOMPARE(device.commandCount(kKey), 0);

    rig.release(rig.dragBy(pSlider, 20, -1.0));
    QVERIFY(FaderRig::itemValue(pSlider) > -30);
    QTRY_VERIFY_WITH_TIMEOUT(device.commandCount(kSet) >= 1, Patience);
    QTRY_COMPARE_WITH_TIMEOUT(FaderRig::itemValue(pSlider), -40, Patience);
    QCOMPARE(device.value(kKey), QByteArray("-20.0"));
    // One read-back per refused set, nothing more.
    QTRY_COMPARE_WITH_TIMEOUT(device.commandCount(kKey), device.commandCount(kSet), Patience);
    QCOMPARE(client.failureCount(), 0);
    QCOMPARE(device.connectionCount(), 1);
    client.close();
}

VR_TEST_MAIN(TestWSliderDevice)
#include "tst_wsliderdevice.moc"
