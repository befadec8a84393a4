#include "VrTest.h"

#include "DialerRig.h"
#include "FakeProtocolHost.h"
#include "SimulatedVdsDevice.h"
#include "SimulatedVdsTelephone.h"

#include "comms/ITcpClient.h"
#include "comms/PVDSProtocol.h"
#include "comms/TTransform.h"
#include "controls/CControl.h"
#include "controls/WWidgetFactory.h"
#include "widgets/WDialer.h"

#include <QHostAddress>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTimer>

namespace {

constexpr int Patience = 10000;
const QByteArray kEnd = "MA \"Tel\">3";

// The multi-assign commands the device received, in order.
QList<QByteArray> actionsOf(const SimulatedVdsDevice &device)
{
    QList<QByteArray> actions;
    const QList<QByteArray> texts = device.commandTexts();
    for (const QByteArray &text : texts) {
        if (text.startsWith("MA "))
            actions.append(text);
    }
    return actions;
}

// The simulated device with its telephone block "Tel", the program's
// connection to it, and a dialer on the block polled as the application
// polls its panel: every 250 ms.
class TelephoneLine
{
public:
    explicit TelephoneLine(bool subscribe)
    {
        device.setValueStoreEnabled(true);
        device.setSubscriptionAccepted(subscribe);
        client.setAddress(QHostAddress::LocalHost);
        client.setPort(device.port());
        protocol.setInterface(&client);
        client.setOwner(&protocol);
        protocol.setHost(&host);
        poller.setInterval(250);
        QObject::connect(&poller, &QTimer::timeout, &poller, [this]() {
            ++polls;
            if (CControl *pControl = rig ? rig->control() : nullptr)
                pControl->requestState();
        });
    }

    ~TelephoneLine()
    {
        poller.stop();
        rig.reset();
        client.close();
    }

    // Connects, makes the dialer on the block and starts polling; the
    // dialer, once it shows the block's first state.
    WDialer *start(const QString &callType = QStringLiteral("PSTN"))
    {
        if (!client.open())
            return nullptr;
        if (!QTest::qWaitFor([this]() { return client.isConnected() && client.hasSubscriptionState(); },
                             Patience))
            return nullptr;
        rig = std::make_unique<DialerRig>();
        rig->pBlock->setProtocol(&protocol);
        WDialer *pDialer = rig->addDialer(callType);
        if (!pDialer || !rig->showWindow())
            return nullptr;
        poller.start();
        if (!QTest::qWaitFor([pDialer]() { return pDialer->dialerState() == WDialer::State_HangUp; },
                             Patience))
            return nullptr;
        return pDialer;
    }

    SimulatedVdsDevice device;
    SimulatedVdsTelephone telephone{&device, "Tel"};
    ITcpClient client;
    PVDSProtocol protocol;
    FakeProtocolHost host;
    QTimer poller;
    int polls = 0;
    std::unique_ptr<DialerRig> rig;
};

// A caller comes in as the block reports it: the identity and the state,
// in either order. (Subscribed, the identity of a call after the first is
// reported by itself, usually before the state: the dialer then has nothing
// to ask.)
void ringIn(SimulatedVdsTelephone &telephone, const QByteArray &identity, bool identityFirst)
{
    if (identityFirst) {
        telephone.ringIn(identity);
        return;
    }
    telephone.setState(telephone.state() == "ACTIVE" ? "ACTIVE_INCOMING" : "INCOMING");
    telephone.setIdentity(identity);
}

// The key on screen, once the dialer's item shows it.
bool keyShown(const WDialer *pDialer, const QString &name)
{
    return QTest::qWaitFor([&]() { return DialerRig::isShown(DialerRig::key(pDialer, name)); }, Patience);
}

} // namespace

// A dialer bound through the VDS protocol to the simulated device's
// telephone block on 127.0.0.1, checked by the bytes the device receives,
// in poll mode and in subscribe mode.
class TestWDialerDevice : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { WWidgetFactory::registerWidgetTypes(); }
    void outgoingCall_data();
    void outgoingCall();
    void incomingCall_data();
    void incomingCall();
    void blockGoesAway_data();
    void blockGoesAway();
    void everyCallerIsShown_data();
    void everyCallerIsShown();
    void flashSwapsTheCallInProgress_data();
    void flashSwapsTheCallInProgress();
    void conferenceStaysOnAFlash();
    void callKeyByState_data();
    void callKeyByState();
};

void TestWDialerDevice::outgoingCall_data()
{
    QTest::addColumn<bool>("subscribe");
    QTest::newRow("poll mode") << false;
    QTest::newRow("subscribe mode") << true;
}

// Ten digits typed on the keypad dial as the quoted number; the block's
// dialling, ring-back and active states show on the status line, the
// call's length runs, and the end key ends it with a bare command.
void TestWDialerDevice::outgoingCall()
{
    QFETCH(bool, subscribe);
    TelephoneLine line(subscribe);
    WDialer *pDialer = line.start();
    QVERIFY(pDialer);
    DialerRig &rig = *line.rig;
    QCOMPARE(line.protocol.isSubscribed(), subscribe);
    QCOMPARE(line.telephone.isStateSubscribed(), subscribe);

    for (const char *key : {"5", "5", "5", "1", "2", "3", "4", "5", "6", "7"})
        rig.click(pDialer, QLatin1String(key));
    QCOMPARE(pDialer->displayText(), QStringLiteral("(555) 123-4567"));
    rig.click(pDialer, "call");
    QTRY_COMPARE_WITH_TIMEOUT(actionsOf(line.device), QList<QByteArray>{"MA \"Tel\">2=\"5551234567\""},
                              Patience);
    QCOMPARE(line.telephone.actions().size(), 1);
    QCOMPARE(line.telephone.actions().first().code, 2);

    QStringList statuses;
    QList<int> states;
    QObject::connect(pDialer, &WDialer::statusTextChanged, pDialer,
                     [&]() { statuses.append(pDialer->statusText()); });
    QObject::connect(pDialer, &WDialer::dialerStateChanged, pDialer,
                     [&]() { states.append(int(pDialer->dialerState())); });
    line.telephone.play({{"DIALING", 0}, {"RINGBACK", 2000}, {"ACTIVE", 2000}});
    QTRY_COMPARE_WITH_TIMEOUT(pDialer->dialerState(), WDialer::State_Active, Patience);
    QCOMPARE(states, QList<int>({WDialer::State_Dialing, WDialer::State_RingBack, WDialer::State_Active}));
    QCOMPARE(statuses.count(QStringLiteral("Dialing")), 2);
    QVERIFY(statuses.indexOf(QStringLiteral("Dialing")) < statuses.indexOf(QStringLiteral("00:00")));
    // The number stays on the display, the length of the call below it.
    QCOMPARE(pDialer->displayText(), QStringLiteral("(555) 123-4567"));
    static const QRegularExpression length(QStringLiteral("^\\d\\d:\\d\\d$"));
    QVERIFY2(length.match(pDialer->statusText()).hasMatch(), qPrintable(pDialer->statusText()));
    const QString started = pDialer->statusText();
    QTRY_VERIFY_WITH_TIMEOUT(pDialer->statusText() != started, Patience);
    QVERIFY2(length.match(pDialer->statusText()).hasMatch(), qPrintable(pDialer->statusText()));

    rig.click(pDialer, "call");
    QTRY_COMPARE_WITH_TIMEOUT(actionsOf(line.device).size(), 2, Patience);
    QCOMPARE(actionsOf(line.device).last(), kEnd);
    QVERIFY(!line.telephone.actions().last().hasText);

    line.telephone.setState("HANGUP");
    QTRY_COMPARE_WITH_TIMEOUT(pDialer->statusText(), QStringLiteral("Call Ended"), Patience);
    QCOMPARE(pDialer->dialerState(), WDialer::State_HangUp);
    if (subscribe)
        QCOMPARE(line.telephone.stateRequests(), 0);
    else
        QVERIFY(line.telephone.stateRequests() > 3);
}

void TestWDialerDevice::incomingCall_data()
{
    QTest::addColumn<bool>("subscribe");
    QTest::newRow("poll mode") << false;
    QTest::newRow("subscribe mode") << true;
}

// A ringing call makes the dialer ask for the caller on the next poll or
// the one after (about half a second); the PSTN identity shows the name and
// the number. Hold-and-accept holds the call, then takes the new one.
void TestWDialerDevice::incomingCall()
{
    QFETCH(bool, subscribe);
    TelephoneLine line(subscribe);
    WDialer *pDialer = line.start();
    QVERIFY(pDialer);

    int incomingAt = -1;
    int askedAt = -1;
    QObject::connect(pDialer, &WDialer::dialerStateChanged, pDialer, [&]() {
        if (pDialer->dialerState() == WDialer::State_Incoming && incomingAt < 0)
            incomingAt = line.polls;
    });
    const QByteArray identityKey = line.telephone.identityKey();
    QObject::connect(&line.device, &SimulatedVdsDevice::commandReceived, pDialer,
                     [&](const QByteArray &text) {
                         if (askedAt < 0 && (text == identityKey || text == "SUB \"" + identityKey + '"'))
                             askedAt = line.polls;
                     });
    line.telephone.ringIn("10:42&5551234567&Pat Lee");
    QTRY_VERIFY_WITH_TIMEOUT(askedAt >= 0, Patience);
    QVERIFY(incomingAt >= 0);
    QVERIFY2(askedAt - incomingAt <= 2, qPrintable(QStringLiteral("%1 polls").arg(askedAt - incomingAt)));
    QTRY_COMPARE_WITH_TIMEOUT(pDialer->idString(), QStringLiteral("Pat Lee"), Patience);
    QCOMPARE(pDialer->displayText(), QStringLiteral("(555) 123-4567"));
    QCOMPARE(pDialer->statusText(), QStringLiteral("Incoming"));
    // Known now: the dialer goes back to asking for the state.
    QTRY_COMPARE_WITH_TIMEOUT(pDialer->transform()->readSubIndex(), 1, Patience);

    QVERIFY(QMetaObject::invokeMethod(pDialer->item(), "holdAndAccept"));
    QTRY_COMPARE_WITH_TIMEOUT(actionsOf(line.device), QList<QByteArray>({"MA \"Tel\">6", "MA \"Tel\">4"}),
                              Patience);
}

void TestWDialerDevice::blockGoesAway_data()
{
    QTest::addColumn<bool>("subscribe");
    QTest::addColumn<bool>("silent");
    QTest::addColumn<int>("interval");
    QTest::addColumn<int>("within");
    QTest::newRow("off line, poll mode") << false << false << 300 << Patience;
    QTest::newRow("off line, subscribe mode") << true << false << 300 << Patience;
    // The device stops answering: the connection gives up and is renewed.
    QTest::newRow("silent, poll mode") << false << true << 300 << Patience;
    // The dialer's own interval: 5 s, and some slack for a loaded machine.
    QTest::newRow("off line, 5 s") << false << false << int(WDialer::StatusInterval) << 5000 + Patience;
}

// A block that cannot be reached any more ends the call on the dialer with
// "No Connection", within one status interval of the connection's loss.
void TestWDialerDevice::blockGoesAway()
{
    QFETCH(bool, subscribe);
    QFETCH(bool, silent);
    QFETCH(int, interval);
    QFETCH(int, within);
    TelephoneLine line(subscribe);
    WDialer *pDialer = line.start();
    QVERIFY(pDialer);
    pDialer->setStatusInterval(interval);
    line.telephone.setState("ACTIVE");
    QTRY_COMPARE_WITH_TIMEOUT(pDialer->dialerState(), WDialer::State_Active, Patience);
    QVERIFY(pDialer->isStatusWatchRunning());

    line.device.stopListening();
    if (silent) {
        line.telephone.setSilent(true);
        line.device.setResponse(QByteArray(), SimulatedVdsDevice::Response::hang());
    } else {
        line.device.dropClients();
    }
    QTRY_VERIFY_WITH_TIMEOUT(!line.client.isConnected(), 6 * Patience);
    QTRY_COMPARE_WITH_TIMEOUT(pDialer->statusText(), WDialer::noConnectionText(), within);
    QCOMPARE(pDialer->dialerState(), WDialer::State_HangUp);
    QCOMPARE(pDialer->idString(), QString());
    // Said again at every round of the watch while the block stays away.
    QSignalSpy repeated(pDialer, &WDialer::statusTextChanged);
    QVERIFY(repeated.wait(within));
    QTRY_COMPARE(pDialer->statusText(), WDialer::noConnectionText());
}

void TestWDialerDevice::everyCallerIsShown_data()
{
    QTest::addColumn<bool>("subscribe");
    QTest::addColumn<bool>("identityFirst");
    QTest::newRow("poll mode") << false << true;
    QTest::newRow("subscribe mode") << true << true;
    QTest::newRow("poll mode, state first") << false << false;
    QTest::newRow("subscribe mode, state first") << true << false;
}

// Three calls one after the other, each hung up by its caller: each
// caller's name and number show while the call rings.
void TestWDialerDevice::everyCallerIsShown()
{
    QFETCH(bool, subscribe);
    QFETCH(bool, identityFirst);
    TelephoneLine line(subscribe);
    WDialer *pDialer = line.start();
    QVERIFY(pDialer);

    const struct
    {
        QByteArray identity;
        QString name;
        QString number;
    } calls[] = {
        {"10:42&5551234567&Pat Lee", "Pat Lee", "(555) 123-4567"},
        {"10:50&5559876543&Sam Roe", "Sam Roe", "(555) 987-6543"},
        {"11:05&5551112222&Kim Ash", "Kim Ash", "(555) 111-2222"},
    };
    for (const auto &call : calls) {
        ringIn(line.telephone, call.identity, identityFirst);
        QTRY_COMPARE_WITH_TIMEOUT(pDialer->dialerState(), WDialer::State_Incoming, Patience);
        QTRY_COMPARE_WITH_TIMEOUT(pDialer->idString(), call.name, Patience);
        QCOMPARE(pDialer->displayText(), call.number);
        QCOMPARE(pDialer->statusText(), QStringLiteral("Incoming"));
        line.telephone.setState("HANGUP");
        QTRY_COMPARE_WITH_TIMEOUT(pDialer->dialerState(), WDialer::State_HangUp, Patience);
        QCOMPARE(pDialer->idString(), QString());
    }
}

void TestWDialerDevice::flashSwapsTheCallInProgress_data()
{
    QTest::addColumn<bool>("subscribe");
    QTest::addColumn<bool>("identityFirst");
    QTest::newRow("poll mode") << false << true;
    QTest::newRow("subscribe mode") << true << true;
    QTest::newRow("subscribe mode, state first") << true << false;
}

// A call taken, then a second one while it lasts: the waiting caller
// shows, a flash takes that call, and the next flashes swap between the
// two parties, the call in progress first.
void TestWDialerDevice::flashSwapsTheCallInProgress()
{
    QFETCH(bool, subscribe);
    QFETCH(bool, identityFirst);
    TelephoneLine line(subscribe);
    line.telephone.setLineSimulation(true);
    WDialer *pDialer = line.start();
    QVERIFY(pDialer);
    DialerRig &rig = *line.rig;

    ringIn(line.telephone, "10:42&5551234567&Pat Lee", identityFirst);
    QTRY_COMPARE_WITH_TIMEOUT(pDialer->idString(), QStringLiteral("Pat Lee"), Patience);
    QVERIFY(keyShown(pDialer, QStringLiteral("accept")));
    rig.click(pDialer, QStringLiteral("accept"));
    QTRY_COMPARE_WITH_TIMEOUT(pDialer->dialerState(), WDialer::State_Active, Patience);
    QCOMPARE(pDialer->idString(), QStringLiteral("Pat Lee"));

    ringIn(line.telephone, "10:50&5559876543&Sam Roe", identityFirst);
    QTRY_COMPARE_WITH_TIMEOUT(pDialer->dialerState(), WDialer::State_ActiveIncoming, Patience);
    QTRY_COMPARE_WITH_TIMEOUT(pDialer->idString(), QStringLiteral("Sam Roe"), Patience);
    QCOMPARE(pDialer->displayText(), QStringLiteral("(555) 987-6543"));
    // Taken with a flash.
    QVERIFY(keyShown(pDialer, QStringLiteral("accept")));
    rig.click(pDialer, QStringLiteral("accept"));
    QTRY_COMPARE_WITH_TIMEOUT(pDialer->dialerState(), WDialer::State_Active, Patience);
    QCOMPARE(actionsOf(line.device), QList<QByteArray>({"MA \"Tel\">4", "MA \"Tel\">1=!"}));
    QCOMPARE(pDialer->idString(), QStringLiteral("Sam Roe"));

    QVERIFY(keyShown(pDialer, QStringLiteral("add")));
    rig.click(pDialer, QStringLiteral("add"));
    QCOMPARE(pDialer->idString(), QStringLiteral("Pat Lee"));
    QCOMPARE(pDialer->displayText(), QStringLiteral("(555) 123-4567"));
    rig.click(pDialer, QStringLiteral("add"));
    QCOMPARE(pDialer->idString(), QStringLiteral("Sam Roe"));
    QCOMPARE(pDialer->displayText(), QStringLiteral("(555) 987-6543"));
    QTRY_COMPARE_WITH_TIMEOUT(actionsOf(line.device).size(), 4, Patience);
    QCOMPARE(actionsOf(line.device).mid(2), QList<QByteArray>({"MA \"Tel\">1=!", "MA \"Tel\">1=!"}));
}

// A flash on a single call adds a conference, which the display names; a
// flash while it shows leaves it there, even with a saved party to swap
// in, and still reaches the block.
void TestWDialerDevice::conferenceStaysOnAFlash()
{
    TelephoneLine line(false);
    line.telephone.setLineSimulation(true);
    WDialer *pDialer = line.start();
    QVERIFY(pDialer);
    DialerRig &rig = *line.rig;

    line.telephone.ringIn("10:42&5551234567&Pat Lee");
    QTRY_COMPARE_WITH_TIMEOUT(pDialer->idString(), QStringLiteral("Pat Lee"), Patience);
    QVERIFY(keyShown(pDialer, QStringLiteral("accept")));
    rig.click(pDialer, QStringLiteral("accept"));
    QTRY_COMPARE_WITH_TIMEOUT(pDialer->dialerState(), WDialer::State_Active, Patience);
    QVERIFY(keyShown(pDialer, QStringLiteral("add")));
    rig.click(pDialer, QStringLiteral("add"));
    rig.click(pDialer, QStringLiteral("add"));
    QCOMPARE(pDialer->idString(), QStringLiteral("CONFERENCE"));
    // The flashes are in before the next call rings: one then would take it.
    QTRY_COMPARE_WITH_TIMEOUT(line.telephone.actions().size(), 3, Patience);

    // A second caller, taken with a flash; the next flash brings the
    // conference back and saves the new party.
    line.telephone.ringIn("10:50&5559876543&Sam Roe");
    QTRY_COMPARE_WITH_TIMEOUT(pDialer->idString(), QStringLiteral("Sam Roe"), Patience);
    QVERIFY(keyShown(pDialer, QStringLiteral("accept")));
    rig.click(pDialer, QStringLiteral("accept"));
    QTRY_COMPARE_WITH_TIMEOUT(pDialer->dialerState(), WDialer::State_Active, Patience);
    QVERIFY(keyShown(pDialer, QStringLiteral("add")));
    rig.click(pDialer, QStringLiteral("add"));
    QCOMPARE(pDialer->idString(), QStringLiteral("CONFERENCE"));

    // The accept and that flash reach the device before the next flash is
    // counted: read at once, the count could still miss the flash in flight.
    QTRY_COMPARE_WITH_TIMEOUT(line.telephone.actions().size(), 5, Patience);
    rig.click(pDialer, QStringLiteral("add"));
    QCOMPARE(pDialer->idString(), QStringLiteral("CONFERENCE"));
    QTRY_COMPARE_WITH_TIMEOUT(line.telephone.actions().size(), 6, Patience);
    QCOMPARE(actionsOf(line.device).last(), QByteArray("MA \"Tel\">1=!"));
}

void TestWDialerDevice::callKeyByState_data()
{
    QTest::addColumn<QByteArray>("state");
    QTest::addColumn<int>("shown");
    QTest::addColumn<QByteArray>("sent");
    const QByteArray dial = "MA \"Tel\">2=\"5551234\"";
    QTest::newRow("idle") << QByteArray("IDLE") << int(WDialer::State_HangUp) << dial;
    // A state the dialer does not know is taken as idle.
    QTest::newRow("unknown state") << QByteArray("CONFIGURING") << int(WDialer::State_OTHER) << dial;
    QTest::newRow("busy") << QByteArray("BUSY") << int(WDialer::State_Busy) << kEnd;
    QTest::newRow("hold") << QByteArray("HOLD") << int(WDialer::State_Hold) << kEnd;
}

// Seven digits typed and the call key pressed: where the block is idle
// they are dialled, elsewhere the key ends the call.
void TestWDialerDevice::callKeyByState()
{
    QFETCH(QByteArray, state);
    QFETCH(int, shown);
    QFETCH(QByteArray, sent);
    TelephoneLine line(false);
    WDialer *pDialer = line.start();
    QVERIFY(pDialer);
    DialerRig &rig = *line.rig;
    line.telephone.setState(state);
    QTRY_COMPARE_WITH_TIMEOUT(int(pDialer->dialerState()), shown, Patience);

    for (const char *key : {"5", "5", "5", "1", "2", "3", "4"})
        rig.click(pDialer, QLatin1String(key));
    QVERIFY(keyShown(pDialer, QStringLiteral("call")));
    rig.click(pDialer, QStringLiteral("call"));
    QTRY_COMPARE_WITH_TIMEOUT(actionsOf(line.device).size(), 1, Patience);
    QCOMPARE(actionsOf(line.device).first(), sent);
}

VR_TEST_MAIN(TestWDialerDevice)
#include "tst_wdialerdevice.moc"
