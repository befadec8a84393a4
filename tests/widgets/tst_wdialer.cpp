#include "VrTest.h"

#include "DialerRig.h"
#include "PanelFragment.h"

#include "comms/TTransform.h"
#include "controls/CControl.h"
#include "controls/WWidgetFactory.h"
#include "project/XmlWriter.h"
#include "widgets/WDialer.h"

#include <QBuffer>
#include <QColor>
#include <QElapsedTimer>
#include <QFile>
#include <QSignalSpy>

namespace {

const QString kEnd = QStringLiteral("MA \"Tel\">3\r");
const QString kAccept = QStringLiteral("MA \"Tel\">4\r");
const QString kHold = QStringLiteral("MA \"Tel\">6\r");
const QString kFlash = QStringLiteral("MA \"Tel\">1=!\r");
const QString kAskState = QStringLiteral("GA\"Tel\">0>1\r");
const QString kAskIdentity = QStringLiteral("GA\"Tel\">0>2\r");

QString dialOf(const QString &number)
{
    return QStringLiteral("MA \"Tel\">2=\"") + number + QStringLiteral("\"\r");
}

// Types the characters one by one, as the keypad reports them.
void type(WDialer *pDialer, const QString &text)
{
    for (const QChar c : text)
        pDialer->onDigit(QString(c));
}

// The item's picture of the key ("call", "end", ...).
QString pictureOf(const WDialer *pDialer, const QString &name)
{
    const QQuickItem *pKey = DialerRig::key(pDialer, name);
    return pKey ? pKey->property("key").toString() : QString();
}

} // namespace

class TestWDialer : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { WWidgetFactory::registerWidgetTypes(); }

    void numberFormatting_data();
    void numberFormatting();
    void durationTexts_data();
    void durationTexts();
    void stateReplies_data();
    void stateReplies();
    void stateRepliesSteerThePolling_data();
    void stateRepliesSteerThePolling();
    void hangingUpAfterACall();
    void identityReplies_data();
    void identityReplies();
    void identityQueriesStopAfterFortyOne();
    void timersRunTheirOwnIntervals();
    void statusWatch();
    void noConnectionOutlastsCallEnded();
    void callOrEnd();
    void itemSignalsSendCommands_data();
    void itemSignalsSendCommands();
    void commandsNeedATransformAndAProtocol();
    void flashSwapsTheParties();
    void identityReportedBeforeTheCall();
    void attributes();
    void panelFileRoundTrip();
    void sizeRules();
    void keypadThroughTheItem();
    void heldKeys();
    void callRowAndIncomingPanel_data();
    void callRowAndIncomingPanel();
    void separateCallKey();
    void keyPictures();
};

void TestWDialer::numberFormatting_data()
{
    QTest::addColumn<QString>("entry");
    QTest::addColumn<QString>("shown");
    QTest::newRow("ten digits") << "5551234567" << "(555) 123-4567";
    QTest::newRow("eight digits") << "55512345" << "(555) 123-45";
    QTest::newRow("seven digits") << "5551234" << "555-1234";
    QTest::newRow("four digits") << "5551" << "555-1";
    QTest::newRow("three digits") << "555" << "555";
    QTest::newRow("eleven digits") << "15551234567" << "15551234567";
    QTest::newRow("with star") << "555*234567" << "555*234567";
    QTest::newRow("with pound") << "5551#34" << "5551#34";
    QTest::newRow("signed") << "+5551234" << "+5551234";
    QTest::newRow("blank inside") << "555 1234" << "555 1234";
    QTest::newRow("empty") << "" << "";
}

void TestWDialer::numberFormatting()
{
    QFETCH(QString, entry);
    QFETCH(QString, shown);
    QCOMPARE(WDialer::formatNumber(entry), shown);

    // The same through the keypad slots, on the display property.
    DialerRig rig;
    WDialer *pDialer = rig.addDialer();
    QVERIFY(pDialer);
    type(pDialer, entry);
    QCOMPARE(pDialer->entry(), entry);
    QCOMPARE(pDialer->displayText(), shown);
}

void TestWDialer::durationTexts_data()
{
    QTest::addColumn<qint64>("seconds");
    QTest::addColumn<QString>("text");
    QTest::newRow("start") << qint64(0) << "00:00";
    QTest::newRow("65 s") << qint64(65) << "01:05";
    QTest::newRow("last of the hour") << qint64(3599) << "59:59";
    QTest::newRow("an hour") << qint64(3600) << "1:00:00";
    QTest::newRow("3725 s") << qint64(3725) << "1:02:05";
    QTest::newRow("ten hours") << qint64(36061) << "10:01:01";
}

void TestWDialer::durationTexts()
{
    QFETCH(qint64, seconds);
    QTEST(WDialer::durationText(seconds), "text");
}

void TestWDialer::stateReplies_data()
{
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<int>("state");
    QTest::addColumn<QString>("status");
    QTest::addColumn<bool>("holdActive");
    QTest::newRow("HANGUP") << QByteArray("HANGUP") << int(WDialer::State_HangUp) << "" << false;
    QTest::newRow("IDLE") << QByteArray("IDLE") << int(WDialer::State_HangUp) << "" << false;
    QTest::newRow("ACTIVE") << QByteArray("ACTIVE") << int(WDialer::State_Active) << "00:00" << false;
    QTest::newRow("quoted ACTIVE") << QByteArray("\"ACTIVE\"") << int(WDialer::State_Active) << "00:00"
                                   << false;
    QTest::newRow("INCOMING") << QByteArray("INCOMING") << int(WDialer::State_Incoming) << "Incoming"
                              << false;
    QTest::newRow("ACTIVE_INCOMING") << QByteArray("ACTIVE_INCOMING") << int(WDialer::State_ActiveIncoming)
                                     << "Active + Incoming" << false;
    QTest::newRow("OUTGOING") << QByteArray("OUTGOING") << int(WDialer::State_Outgoing) << "Dialing" << false;
    QTest::newRow("RINGBACK") << QByteArray("RINGBACK") << int(WDialer::State_RingBack) << "Dialing" << false;
    QTest::newRow("BUSY") << QByteArray("BUSY") << int(WDialer::State_Busy) << "Busy" << false;
    QTest::newRow("DIALING") << QByteArray("DIALING") << int(WDialer::State_Dialing) << "Dialing" << false;
    QTest::newRow("DIALTONE") << QByteArray("DIALTONE") << int(WDialer::State_DialTone) << "Dialing" << false;
    QTest::newRow("HOLD") << QByteArray("HOLD") << int(WDialer::State_Hold) << "Hold" << true;
    QTest::newRow("lower case") << QByteArray("hangup") << int(WDialer::State_OTHER) << "" << false;
    QTest::newRow("unknown") << QByteArray("RINGING") << int(WDialer::State_OTHER) << "" << false;
    QTest::newRow("ERROR") << QByteArray("ERROR") << int(WDialer::State_Startup) << "---" << false;
}

// Each state text of the block gives its state and status line; from the
// start (Startup) a hang-up shows no "Call Ended"; "ERROR" changes nothing.
void TestWDialer::stateReplies()
{
    QFETCH(QByteArray, reply);
    DialerRig rig;
    WDialer *pDialer = rig.addDialer();
    QVERIFY(pDialer);
    QCOMPARE(pDialer->dialerState(), WDialer::State_Startup);
    QCOMPARE(pDialer->statusText(), QStringLiteral("---"));
    QVERIFY(!pDialer->isStatusWatchRunning());
    QSignalSpy changed(pDialer, &WDialer::dialerStateChanged);
    rig.replyState(pDialer, reply);
    QTEST(int(pDialer->dialerState()), "state");
    QTEST(pDialer->statusText(), "status");
    QTEST(pDialer->isHoldActive(), "holdActive");
    QCOMPARE(changed.size(), reply == "ERROR" ? 0 : 1);
    QVERIFY(!pDialer->isCallEndedPending());
    // Any answer starts the status watch.
    QVERIFY(pDialer->isStatusWatchRunning());

    // The same state again changes nothing.
    rig.replyState(pDialer, reply);
    QCOMPARE(changed.size(), reply == "ERROR" ? 0 : 1);

    // A reply to another address of the block, or a device that answered
    // a get with an acknowledge, is no state.
    const WDialer::DialerState before = pDialer->dialerState();
    rig.protocol.reply("GA\"Tel\">1>1=BUSY\r", pDialer->transform());
    rig.protocol.reply("\x06", pDialer->transform());
    QCOMPARE(pDialer->dialerState(), before);
}

void TestWDialer::stateRepliesSteerThePolling_data()
{
    QTest::addColumn<QList<QByteArray>>("states");
    QTest::addColumn<int>("divider");
    QTest::addColumn<QString>("asked");
    QTest::newRow("hang-up") << QList<QByteArray>{"HANGUP"} << 4 << kAskState;
    QTest::newRow("dialling") << QList<QByteArray>{"DIALING"} << 1 << kAskState;
    QTest::newRow("dial tone") << QList<QByteArray>{"DIALTONE"} << 1 << kAskState;
    QTest::newRow("ring-back") << QList<QByteArray>{"RINGBACK"} << 1 << kAskState;
    QTest::newRow("outgoing") << QList<QByteArray>{"OUTGOING"} << 1 << kAskState;
    QTest::newRow("active") << QList<QByteArray>{"ACTIVE"} << 4 << kAskState;
    QTest::newRow("busy") << QList<QByteArray>{"BUSY"} << 4 << kAskState;
    QTest::newRow("hold") << QList<QByteArray>{"HOLD"} << 4 << kAskState;
    QTest::newRow("incoming") << QList<QByteArray>{"INCOMING"} << 1 << kAskIdentity;
    QTest::newRow("waiting call") << QList<QByteArray>{"ACTIVE", "ACTIVE_INCOMING"} << 1 << kAskIdentity;
    // Answered before the caller was known: still asking who it is.
    QTest::newRow("answered, caller unknown") << QList<QByteArray>{"INCOMING", "ACTIVE"} << 1
                                              << kAskIdentity;
}

// Calls being set up or ringing are polled on every round, and a ringing
// call makes the next poll ask for the caller.
void TestWDialer::stateRepliesSteerThePolling()
{
    QFETCH(QList<QByteArray>, states);
    DialerRig rig;
    WDialer *pDialer = rig.addDialer();
    QVERIFY(pDialer);
    TTransform *pTransform = pDialer->transform();
    QVERIFY(pTransform);
    for (const QByteArray &state : states)
        rig.replyState(pDialer, state);
    QTEST(pTransform->divider(), "divider");

    rig.protocol.gets.clear();
    CControl *pControl = rig.control();
    QVERIFY(pControl->requestState());
    QCOMPARE(rig.protocol.gets.size(), 1);
    QTEST(rig.protocol.gets.first(), "asked");
    // The divider says how many poll rounds go by between two asks.
    for (int i = 1; i < pTransform->divider(); ++i)
        pControl->requestState();
    QCOMPARE(rig.protocol.gets.size(), 1);
    pControl->requestState();
    QCOMPARE(rig.protocol.gets.size(), 2);
}

void TestWDialer::hangingUpAfterACall()
{
    DialerRig rig;
    WDialer *pDialer = rig.addDialer();
    QVERIFY(pDialer);
    pDialer->setCallEndedInterval(200);
    rig.replyState(pDialer, "HANGUP");
    type(pDialer, "5551234567");
    pDialer->onCallOrEnd(false);
    rig.replyState(pDialer, "ACTIVE");
    QCOMPARE(pDialer->displayText(), QStringLiteral("(555) 123-4567"));
    rig.protocol.sets.clear();

    rig.replyState(pDialer, "HANGUP");
    QCOMPARE(pDialer->statusText(), QStringLiteral("Call Ended"));
    QCOMPARE(pDialer->displayText(), QString());
    QCOMPARE(pDialer->idString(), QString());
    QVERIFY(pDialer->isCallEndedPending());
    // The key that ended the call does nothing while "Call Ended" shows.
    pDialer->onCallOrEnd(false);
    QVERIFY(rig.protocol.sets.isEmpty());
    QCOMPARE(pDialer->entry(), QStringLiteral("5551234567"));

    QTRY_VERIFY(!pDialer->isCallEndedPending());
    QCOMPARE(pDialer->statusText(), QString());
    QCOMPARE(pDialer->entry(), QString());
    QCOMPARE(pDialer->displayText(), QString());
}

void TestWDialer::identityReplies_data()
{
    QTest::addColumn<QString>("callType");
    QTest::addColumn<QByteArray>("identity");
    QTest::addColumn<QString>("caller");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<bool>("stillAsking");
    QTest::newRow("name and number") << "PSTN" << QByteArray("10:42&5551234567&Pat Lee") << "Pat Lee"
                                     << "(555) 123-4567" << false;
    QTest::newRow("quoted") << "PSTN" << QByteArray("\"10:42&5551234&Pat Lee\"") << "Pat Lee" << "555-1234"
                            << false;
    QTest::newRow("number only") << "PSTN" << QByteArray("10:42&5551234567&") << "UNKNOWN"
                                 << "(555) 123-4567" << true;
    QTest::newRow("two parts") << "PSTN" << QByteArray("10:42&5551234") << "UNKNOWN" << "555-1234" << true;
    QTest::newRow("name only") << "PSTN" << QByteArray("10:42&&Pat Lee") << "Pat Lee" << "99" << false;
    QTest::newRow("name with &") << "PSTN" << QByteArray("10:42&555&Pat & Sam&Co") << "Pat & Sam&Co"
                                 << "555" << false;
    QTest::newRow("one part") << "PSTN" << QByteArray("PRIVATE") << "UNKNOWN" << "99" << true;
    QTest::newRow("VoIP") << "VoIP" << QByteArray("sip:pat@example.com") << "sip:pat@example.com" << ""
                          << false;
    QTest::newRow("VoIP with &") << "VoIP" << QByteArray("\"1&2&3\"") << "1&2&3" << "" << false;
}

// A ringing call asks who is calling; a PSTN block answers with "&" parts
// (the number second, the name third), a VoIP block with one text.
void TestWDialer::identityReplies()
{
    QFETCH(QString, callType);
    QFETCH(QByteArray, identity);
    DialerRig rig;
    WDialer *pDialer = rig.addDialer(callType);
    QVERIFY(pDialer);
    QCOMPARE(pDialer->callType(), callType);
    TTransform *pTransform = pDialer->transform();
    rig.replyState(pDialer, "HANGUP");
    type(pDialer, "99");
    rig.replyState(pDialer, "INCOMING");
    QCOMPARE(pDialer->idString(), QStringLiteral("UNKNOWN"));
    QCOMPARE(pTransform->readSubIndex(), 2);
    QVERIFY(pDialer->isIdentityToggleRunning());

    rig.replyIdentity(pDialer, identity);
    QTEST(pDialer->idString(), "caller");
    QTEST(pDialer->displayText(), "shown");
    // Back to the state, and on asking only while the caller is unknown.
    QCOMPARE(pTransform->readSubIndex(), 1);
    QTEST(pDialer->isIdentityToggleRunning(), "stillAsking");
}

// While the caller stays unknown the dialer asks again every 490 ms, 41
// times in all for one call event.
void TestWDialer::identityQueriesStopAfterFortyOne()
{
    DialerRig rig;
    WDialer *pDialer = rig.addDialer();
    QVERIFY(pDialer);
    pDialer->setIdentityToggleInterval(5);
    TTransform *pTransform = pDialer->transform();
    rig.replyState(pDialer, "INCOMING");
    int switches = 0;
    for (int round = 0; round < 60 && pDialer->isIdentityToggleRunning(); ++round) {
        rig.replyIdentity(pDialer, "10:42&&");
        QCOMPARE(pTransform->readSubIndex(), 1);
        if (!QTest::qWaitFor([&]() { return pTransform->readSubIndex() == 2; }, 2000))
            break;
        ++switches;
    }
    QCOMPARE(switches, 41);
    QVERIFY(!pDialer->isIdentityToggleRunning());
    rig.replyIdentity(pDialer, "10:42&&");
    QVERIFY(!QTest::qWaitFor([&]() { return pTransform->readSubIndex() == 2; }, 100));

    // A new call event starts the count again.
    rig.replyState(pDialer, "HANGUP");
    rig.replyState(pDialer, "INCOMING");
    QCOMPARE(pDialer->identityToggleCount(), 0);
    QVERIFY(pDialer->isIdentityToggleRunning());
}

// The tests around shorten the timers; the dialer itself counts the call
// every second, shows "Call Ended" for 2 s, watches the block's answers
// for 5 s and asks for the caller every 490 ms.
void TestWDialer::timersRunTheirOwnIntervals()
{
    DialerRig rig;
    WDialer *pDialer = rig.addDialer();
    QVERIFY(pDialer);
    QCOMPARE(pDialer->durationTimer()->interval(), 1000);
    QVERIFY(!pDialer->durationTimer()->isSingleShot());
    QCOMPARE(pDialer->callEndedTimer()->interval(), 2000);
    QVERIFY(pDialer->callEndedTimer()->isSingleShot());
    QCOMPARE(pDialer->statusTimer()->interval(), 5000);
    QVERIFY(pDialer->statusTimer()->isSingleShot());
    QCOMPARE(pDialer->identityToggleTimer()->interval(), 490);
    QVERIFY(!pDialer->identityToggleTimer()->isSingleShot());

    // A ringing call asks on at that pace: a switch to the caller's
    // sub-index comes neither at once nor only after seconds.
    TTransform *pTransform = pDialer->transform();
    rig.replyState(pDialer, "INCOMING");
    QVERIFY(pDialer->isIdentityToggleRunning());
    rig.replyIdentity(pDialer, "10:42&&");
    QCOMPARE(pTransform->readSubIndex(), 1);
    QElapsedTimer clock;
    clock.start();
    QTRY_COMPARE_WITH_TIMEOUT(pTransform->readSubIndex(), 2, 4900);
    QVERIFY2(clock.elapsed() >= 200, qPrintable(QString::number(clock.elapsed())));
}

// The block's answers keep the status watch from running out; while the
// block is off line it runs out every interval and shows "No Connection";
// the next answer takes it away.
void TestWDialer::statusWatch()
{
    DialerRig rig;
    WDialer *pDialer = rig.addDialer();
    QVERIFY(pDialer);
    pDialer->setStatusInterval(100);
    QSignalSpy status(pDialer, &WDialer::statusTextChanged);
    rig.replyState(pDialer, "BUSY");
    QCOMPARE(pDialer->statusText(), QStringLiteral("Busy"));

    // On line: the watch only starts again.
    QSignalSpy timedOut(pDialer, &WDialer::dialerStateChanged);
    QVERIFY(!timedOut.wait(400));
    QCOMPARE(pDialer->statusText(), QStringLiteral("Busy"));

    rig.protocol.stub.setConnected(false);
    QTRY_COMPARE(pDialer->statusText(), WDialer::noConnectionText());
    QCOMPARE(pDialer->dialerState(), WDialer::State_HangUp);
    // Repeated while off line.
    status.clear();
    QTRY_VERIFY(status.size() >= 2);
    QCOMPARE(pDialer->statusText(), WDialer::noConnectionText());

    // Back, and the same state as before the loss clears the message.
    rig.protocol.stub.setConnected(true);
    rig.replyState(pDialer, "HANGUP");
    QCOMPARE(pDialer->statusText(), QString());

    // Without a host nothing is watched.
    rig.control()->setModel(nullptr);
    rig.protocol.stub.setConnected(false);
    QVERIFY(!timedOut.wait(400));
    QCOMPARE(pDialer->statusText(), QString());
}

// The call that was going on when the block went off line ends, and
// "No Connection" stays on the status line when "Call Ended" would have
// been taken away.
void TestWDialer::noConnectionOutlastsCallEnded()
{
    DialerRig rig;
    WDialer *pDialer = rig.addDialer();
    QVERIFY(pDialer);
    pDialer->setStatusInterval(100);
    pDialer->setCallEndedInterval(300);
    rig.replyState(pDialer, "ACTIVE");
    rig.protocol.stub.setConnected(false);
    QTRY_COMPARE(pDialer->statusText(), WDialer::noConnectionText());
    QCOMPARE(pDialer->dialerState(), WDialer::State_HangUp);
    QVERIFY(pDialer->isCallEndedPending());
    // The next round of the watch is far off: what shows when "Call Ended"
    // runs out is the dialer's own doing.
    pDialer->setStatusInterval(60000);
    QTRY_VERIFY(!pDialer->isCallEndedPending());
    QCOMPARE(pDialer->statusText(), WDialer::noConnectionText());
    QCOMPARE(pDialer->displayText(), QString());
}

// Call dials the typed number; on an empty display it brings back the last
// number without dialling, and with nothing ever dialled it does nothing.
// During a call it ends the call, unless told not to.
void TestWDialer::callOrEnd()
{
    DialerRig rig;
    WDialer *pDialer = rig.addDialer();
    QVERIFY(pDialer);
    pDialer->setCallEndedInterval(10);
    rig.replyState(pDialer, "HANGUP");

    pDialer->onCallOrEnd(false);
    QCOMPARE(rig.protocol.sets, QStringList());
    QCOMPARE(pDialer->displayText(), QString());

    type(pDialer, "5551234567");
    pDialer->onCallOrEnd(false);
    QCOMPARE(rig.protocol.sets, QStringList{dialOf("5551234567")});
    QCOMPARE(pDialer->lastDialledNumber(), QStringLiteral("5551234567"));

    rig.replyState(pDialer, "ACTIVE");
    pDialer->onCallOrEnd(true);
    QCOMPARE(rig.protocol.sets.size(), 1);
    pDialer->onCallOrEnd(false);
    QCOMPARE(rig.protocol.sets.last(), kEnd);

    rig.replyState(pDialer, "HANGUP");
    QTRY_VERIFY(!pDialer->isCallEndedPending());
    rig.protocol.sets.clear();
    pDialer->onCallOrEnd(false);
    QCOMPARE(rig.protocol.sets, QStringList());
    QCOMPARE(pDialer->displayText(), QStringLiteral("(555) 123-4567"));
    pDialer->onCallOrEnd(false);
    QCOMPARE(rig.protocol.sets, QStringList{dialOf("5551234567")});

    // Before the block's first state the key ends.
    DialerRig fresh;
    WDialer *pFresh = fresh.addDialer();
    pFresh->onCallOrEnd(false);
    QCOMPARE(fresh.protocol.sets, QStringList{kEnd});
}

void TestWDialer::itemSignalsSendCommands_data()
{
    QTest::addColumn<QByteArray>("state");
    QTest::addColumn<QByteArray>("signal");
    QTest::addColumn<QString>("argument");
    QTest::addColumn<QStringList>("sent");
    QTest::addColumn<QString>("display");
    QTest::newRow("end") << QByteArray("ACTIVE") << QByteArray("end") << "" << QStringList{kEnd} << "";
    QTest::newRow("decline, stay") << QByteArray("ACTIVE_INCOMING") << QByteArray("declineAndStayActive")
                                   << "" << QStringList{kEnd} << "";
    QTest::newRow("accept") << QByteArray("INCOMING") << QByteArray("accept") << "" << QStringList{kAccept}
                            << "";
    QTest::newRow("end and accept") << QByteArray("ACTIVE_INCOMING") << QByteArray("endAndAccept") << ""
                                    << QStringList{kAccept} << "";
    QTest::newRow("hold and accept") << QByteArray("ACTIVE_INCOMING") << QByteArray("holdAndAccept") << ""
                                     << QStringList{kHold, kAccept} << "";
    QTest::newRow("hold, active") << QByteArray("ACTIVE") << QByteArray("hold") << "" << QStringList{kHold}
                                  << "";
    QTest::newRow("hold, incoming") << QByteArray("INCOMING") << QByteArray("hold") << "" << QStringList()
                                    << "";
    QTest::newRow("flash, active") << QByteArray("ACTIVE") << QByteArray("addCallOrFlash") << ""
                                   << QStringList{kFlash} << "";
    QTest::newRow("flash, waiting") << QByteArray("ACTIVE_INCOMING") << QByteArray("addCallOrFlash") << ""
                                    << QStringList{kFlash} << "";
    QTest::newRow("flash, idle") << QByteArray("HANGUP") << QByteArray("addCallOrFlash") << ""
                                 << QStringList() << "";
    QTest::newRow("digit, idle") << QByteArray("HANGUP") << QByteArray("digit") << "5" << QStringList()
                                 << "5";
    QTest::newRow("digit, active") << QByteArray("ACTIVE") << QByteArray("digit") << "5"
                                   << QStringList{"MA \"Tel\">1=5\r"} << "5";
    QTest::newRow("digit, dial tone") << QByteArray("DIALTONE") << QByteArray("digit") << "#"
                                      << QStringList{"MA \"Tel\">1=#\r"} << "#";
    QTest::newRow("digit, busy") << QByteArray("BUSY") << QByteArray("digit") << "5" << QStringList() << "";
    QTest::newRow("held digit, active") << QByteArray("ACTIVE") << QByteArray("digitHeld") << "8"
                                        << QStringList{"MA \"Tel\">1=8\r"} << "8";
    QTest::newRow("five seconds") << QByteArray("HANGUP") << QByteArray("digitHeldFiveSeconds") << "7"
                                  << QStringList() << "";
    QTest::newRow("directory") << QByteArray("HANGUP") << QByteArray("directory") << "" << QStringList()
                               << "";
    QTest::newRow("call, idle") << QByteArray("HANGUP") << QByteArray("callOrEnd") << "false"
                                << QStringList() << "";
    QTest::newRow("call, active") << QByteArray("ACTIVE") << QByteArray("callOrEnd") << "false"
                                  << QStringList{kEnd} << "";
}

// The item's signals reach the dialer and become the block's commands, as
// the device receives them.
void TestWDialer::itemSignalsSendCommands()
{
    QFETCH(QByteArray, state);
    QFETCH(QByteArray, signal);
    QFETCH(QString, argument);
    DialerRig rig;
    WDialer *pDialer = rig.addDialer();
    QVERIFY(pDialer);
    rig.replyState(pDialer, state);
    QObject *pItem = pDialer->widget();
    bool invoked = false;
    if (signal == "callOrEnd")
        invoked = QMetaObject::invokeMethod(pItem, signal.constData(), Q_ARG(bool, argument == "true"));
    else if (argument.isEmpty())
        invoked = QMetaObject::invokeMethod(pItem, signal.constData());
    else
        invoked = QMetaObject::invokeMethod(pItem, signal.constData(), Q_ARG(QString, argument));
    QVERIFY(invoked);
    QTEST(rig.protocol.sets, "sent");
    QTEST(pDialer->displayText(), "display");
}

void TestWDialer::commandsNeedATransformAndAProtocol()
{
    DialerRig rig;
    WDialer *pDialer = rig.addDialer();
    QVERIFY(pDialer);
    rig.replyState(pDialer, "ACTIVE");
    rig.protocol.stub.setConnected(false);
    pDialer->onEnd();
    QVERIFY(rig.protocol.sets.isEmpty());
    rig.protocol.stub.setConnected(true);

    // A dialer without a control drops commands and ignores states.
    WDialer loose;
    loose.onEnd();
    loose.onHoldAndAccept();
    loose.onCallOrEnd(false);
    loose.setDialerState(WDialer::State_Active);
    QCOMPARE(loose.dialerState(), WDialer::State_Startup);
    QVERIFY(rig.protocol.sets.isEmpty());
}

// A device that reports by itself may name the caller before the call
// rings: the report is kept for that call, and a report during a call
// leaves the party on the line where it is. Kept only until the next
// change of state.
void TestWDialer::identityReportedBeforeTheCall()
{
    DialerRig rig;
    WDialer *pDialer = rig.addDialer();
    QVERIFY(pDialer);
    TTransform *pTransform = pDialer->transform();
    rig.replyState(pDialer, "HANGUP");
    rig.replyIdentity(pDialer, "10:42&5551234567&Pat Lee");
    QCOMPARE(pDialer->idString(), QString());
    QCOMPARE(pDialer->displayText(), QString());
    rig.replyState(pDialer, "INCOMING");
    QCOMPARE(pDialer->idString(), QStringLiteral("Pat Lee"));
    QCOMPARE(pDialer->displayText(), QStringLiteral("(555) 123-4567"));
    QCOMPARE(pTransform->readSubIndex(), 1);
    QVERIFY(!pDialer->isIdentityToggleRunning());

    rig.replyState(pDialer, "ACTIVE");
    rig.replyIdentity(pDialer, "10:50&5559876543&Sam Roe");
    QCOMPARE(pDialer->idString(), QStringLiteral("Pat Lee"));
    QCOMPARE(pDialer->entry(), QStringLiteral("5551234567"));
    rig.replyState(pDialer, "ACTIVE_INCOMING");
    QCOMPARE(pDialer->idString(), QStringLiteral("Sam Roe"));
    QCOMPARE(pDialer->displayText(), QStringLiteral("(555) 987-6543"));

    // A report that no ringing call follows is dropped.
    rig.replyState(pDialer, "HOLD");
    rig.replyIdentity(pDialer, "10:55&5554443333&Lee Fox");
    rig.replyState(pDialer, "ACTIVE");
    rig.replyState(pDialer, "ACTIVE_INCOMING");
    QCOMPARE(pDialer->idString(), QStringLiteral("UNKNOWN"));
    rig.replyState(pDialer, "HANGUP");
    rig.replyIdentity(pDialer, "11:05&5551112222&Kim Ash");
    rig.replyState(pDialer, "DIALING");
    rig.replyState(pDialer, "HANGUP");
    rig.replyState(pDialer, "INCOMING");
    QCOMPARE(pDialer->idString(), QStringLiteral("UNKNOWN"));
    QCOMPARE(pTransform->readSubIndex(), 2);
    QVERIFY(pDialer->isIdentityToggleRunning());
}

// A flash during a call swaps the party shown with the saved one: the
// call in progress is saved when a second call comes in.
void TestWDialer::flashSwapsTheParties()
{
    DialerRig rig;
    WDialer *pDialer = rig.addDialer();
    QVERIFY(pDialer);
    rig.replyState(pDialer, "INCOMING");
    rig.replyIdentity(pDialer, "10:42&5551234567&Pat Lee");
    rig.replyState(pDialer, "ACTIVE");
    QCOMPARE(pDialer->idString(), QStringLiteral("Pat Lee"));

    rig.replyState(pDialer, "ACTIVE_INCOMING");
    QCOMPARE(pDialer->idString(), QStringLiteral("UNKNOWN"));
    rig.replyIdentity(pDialer, "10:43&5559876543&Sam Roe");
    QCOMPARE(pDialer->idString(), QStringLiteral("Sam Roe"));
    pDialer->onAddCallOrFlash(); // takes the waiting call: no swap yet
    QCOMPARE(rig.protocol.sets, QStringList{kFlash});
    QCOMPARE(pDialer->idString(), QStringLiteral("Sam Roe"));

    rig.replyState(pDialer, "ACTIVE");
    pDialer->onAddCallOrFlash();
    QCOMPARE(pDialer->idString(), QStringLiteral("Pat Lee"));
    QCOMPARE(pDialer->displayText(), QStringLiteral("(555) 123-4567"));
    pDialer->onAddCallOrFlash();
    QCOMPARE(pDialer->idString(), QStringLiteral("Sam Roe"));
    QCOMPARE(pDialer->entry(), QStringLiteral("5559876543"));
    QCOMPARE(pDialer->displayText(), QStringLiteral("(555) 987-6543"));
    QCOMPARE(rig.protocol.sets.size(), 3);

    // A single call: the first flash adds a conference, which stays.
    DialerRig single;
    WDialer *pSingle = single.addDialer();
    single.replyState(pSingle, "ACTIVE");
    pSingle->onAddCallOrFlash();
    QCOMPARE(pSingle->idString(), QString());
    pSingle->onAddCallOrFlash();
    QCOMPARE(pSingle->idString(), QStringLiteral("CONFERENCE"));
    pSingle->onAddCallOrFlash();
    QCOMPARE(pSingle->idString(), QStringLiteral("CONFERENCE"));
    QCOMPARE(single.protocol.sets, QStringList({kFlash, kFlash, kFlash}));
}

void TestWDialer::attributes()
{
    DialerRig rig;
    WDialer *pDialer = rig.addDialer(QStringLiteral("VoIP"),
                                     {{"primaryColor", "green"},
                                      {"secondaryColorRed", "300"},
                                      {"secondaryColorGreen", "x"},
                                      {"secondaryColorBlue", "64"},
                                      {"alwaysShowCallAndEnd", "2"}});
    QVERIFY(pDialer);
    QCOMPARE(pDialer->primaryColor(), QStringLiteral("green"));
    QCOMPARE(pDialer->secondaryColor(), QColor(44, 0, 64));
    QVERIFY(pDialer->alwaysShowCallAndEnd());
    QCOMPARE(pDialer->callType(), QStringLiteral("VoIP"));
    QCOMPARE(pDialer->item()->property("color").value<QColor>(), QColor(0x8B, 0xC3, 0x4A));

    QSignalSpy primary(pDialer, &WDialer::primaryColorChanged);
    QSignalSpy secondary(pDialer, &WDialer::secondaryColorChanged);
    QSignalSpy always(pDialer, &WDialer::alwaysShowCallAndEndChanged);
    QVERIFY(pDialer->readAttribute(QStringLiteral("primaryColor"), QStringLiteral("green")));
    QCOMPARE(primary.size(), 1); // every time
    QVERIFY(pDialer->readAttribute(QStringLiteral("alwaysShowCallAndEnd"), QStringLiteral("1")));
    QCOMPARE(always.size(), 0); // only on a change
    QVERIFY(pDialer->readAttribute(QStringLiteral("alwaysShowCallAndEnd"), QStringLiteral("0")));
    QCOMPARE(always.size(), 1);
    QVERIFY(!pDialer->readAttribute(QStringLiteral("PrimaryColor"), QStringLiteral("red")));
    pDialer->applyAttributes(pDialer->attributes());
    QCOMPARE(secondary.size(), 1);

    // Any other name gives a black item.
    QVERIFY(pDialer->readAttribute(QStringLiteral("primaryColor"), QStringLiteral("purple")));
    QCOMPARE(pDialer->item()->property("color").value<QColor>(), QColor(0, 0, 0));
}

// What the dialer reads from the panel file it writes back.
void TestWDialer::panelFileRoundTrip()
{
    PanelFragment panel(QStringLiteral(R"(
<Control name="Phone" type="Dialer">
	<block>Sel</block>
	<nodeID>9</nodeID>
	<nodeCategory>Blocks</nodeCategory>
	<connection>Chassis|||30216</connection>
	<id>1200</id>
	<Property name="widget">
		<dialer>
			<x>10</x><y>20</y><width>186</width><height>375</height><z>1</z>
			<primaryColor>yellow</primaryColor>
			<secondaryColorRed>10</secondaryColorRed>
			<secondaryColorGreen>20</secondaryColorGreen>
			<secondaryColorBlue>30</secondaryColorBlue>
			<alwaysShowCallAndEnd>1</alwaysShowCallAndEnd>
		</dialer>
	</Property>
	<Property name="attributes">
		<range>
			<index1>0</index1><index2>1</index2><struct>8</struct>
			<callType>PSTN</callType><transform>text</transform>
		</range>
	</Property>
</Control>)"));
    QVERIFY(panel.isParsed());
    auto *pDialer = qobject_cast<WDialer *>(panel.widget(QStringLiteral("Phone")));
    QVERIFY(pDialer);
    QCOMPARE(pDialer->primaryColor(), QStringLiteral("yellow"));
    QVERIFY(pDialer->alwaysShowCallAndEnd());
    // The second colour and the call type come with the binding.
    panel.control(QStringLiteral("Phone"))->bind();
    QCOMPARE(pDialer->secondaryColor(), QColor(10, 20, 30));
    QCOMPARE(pDialer->callType(), QStringLiteral("PSTN"));

    QBuffer buffer;
    QVERIFY(buffer.open(QIODevice::WriteOnly));
    {
        XmlWriter writer(&buffer);
        pDialer->writeAttributes(writer);
    }
    const QString written = QString::fromUtf8(buffer.data());
    for (const char *element :
         {"<dialer>", "<x>10</x>", "<y>20</y>", "<width>186</width>", "<height>375</height>",
          "<primaryColor>yellow</primaryColor>", "<secondaryColorRed>10</secondaryColorRed>",
          "<secondaryColorGreen>20</secondaryColorGreen>", "<secondaryColorBlue>30</secondaryColorBlue>",
          "<alwaysShowCallAndEnd>1</alwaysShowCallAndEnd>", "</dialer>"})
        QVERIFY2(written.contains(QLatin1String(element)), element);
    QVERIFY(written.indexOf(QLatin1String("<heightfract>")) < written.indexOf(QLatin1String("<primaryColor>")));
}

// Never smaller than 30 by 63; one side follows the other so the keys stay
// square, except while the panel places the dialer.
void TestWDialer::sizeRules()
{
    DialerRig rig;
    WDialer *pDialer = rig.addDialer();
    QVERIFY(pDialer);
    QQuickItem *pItem = pDialer->item();
    QCOMPARE(pItem->width(), 186.0);
    QCOMPARE(pItem->height(), 375.0);

    pItem->setWidth(126); // keys of 40
    QCOMPARE(pItem->height(), 6 * 40.0 + 15);
    pItem->setHeight(135); // keys of 20
    QCOMPARE(pItem->width(), 3 * 20.0 + 6);
    pItem->setWidth(12);
    QCOMPARE(pItem->width(), 30.0);
    QCOMPARE(pItem->height(), 63.0);
    pItem->setHeight(20);
    QCOMPARE(pItem->height(), 63.0);

    // Placing by fractions is exact.
    QVERIFY(pDialer->readAttribute(QStringLiteral("widthfract"), QStringLiteral("0.5")));
    QVERIFY(pDialer->readAttribute(QStringLiteral("heightfract"), QStringLiteral("0.5")));
    pDialer->layoutIn(QRectF(0, 0, 400, 300));
    QCOMPARE(pItem->width(), 200.0);
    QCOMPARE(pItem->height(), 150.0);
    QVERIFY(pDialer->isAspectRatioCorrectionActive());
    pDialer->relayout(QRectF(0, 0, 400, 300), QRectF(0, 0, 400, 500));
    QCOMPARE(pItem->width(), 200.0);
    QCOMPARE(pItem->height(), 250.0);
    QVERIFY(pDialer->isAspectRatioCorrectionActive());
    // Each smallest side holds on its own, also while placed.
    pDialer->layoutIn(QRectF(0, 0, 20, 300));
    QCOMPARE(pItem->width(), 30.0);
    QCOMPARE(pItem->height(), 150.0);
    pDialer->layoutIn(QRectF(0, 0, 400, 60));
    QCOMPARE(pItem->width(), 200.0);
    QCOMPARE(pItem->height(), 63.0);
}

// Digits, backspace and call driven through the item's keys with the mouse.
void TestWDialer::keypadThroughTheItem()
{
    DialerRig rig;
    WDialer *pDialer = rig.addDialer();
    QVERIFY(pDialer);
    QVERIFY(rig.showWindow());
    rig.replyState(pDialer, "HANGUP");
    QVERIFY(!DialerRig::isShown(DialerRig::key(pDialer, "backspace")));

    for (const char *name : {"5", "5", "5", "1", "2", "3", "4", "5", "6", "7"})
        rig.click(pDialer, QLatin1String(name));
    QCOMPARE(pDialer->displayText(), QStringLiteral("(555) 123-4567"));
    QQuickItem *pFirstLine = pDialer->item()->findChild<QQuickItem *>(QStringLiteral("firstLine"));
    QVERIFY(pFirstLine);
    QCOMPARE(pFirstLine->property("text").toString(), QStringLiteral("(555) 123-4567"));

    QVERIFY(DialerRig::isShown(DialerRig::key(pDialer, "backspace")));
    rig.click(pDialer, "backspace");
    QCOMPARE(pDialer->entry(), QStringLiteral("555123456"));
    rig.click(pDialer, "star");
    rig.click(pDialer, "pound");
    rig.click(pDialer, "0");
    QCOMPARE(pDialer->displayText(), QStringLiteral("555123456*#0"));
    for (int i = 0; i < 5; ++i)
        rig.click(pDialer, "backspace");
    QCOMPARE(pDialer->entry(), QStringLiteral("5551234"));

    QCOMPARE(pictureOf(pDialer, "call"), QStringLiteral("call"));
    rig.click(pDialer, "call");
    QCOMPARE(rig.protocol.sets, QStringList{dialOf("5551234")});
    rig.replyState(pDialer, "DIALING");
    QCOMPARE(pictureOf(pDialer, "call"), QStringLiteral("end"));
    QVERIFY(!DialerRig::isShown(DialerRig::key(pDialer, "backspace")));
    rig.click(pDialer, "call");
    QCOMPARE(rig.protocol.sets.last(), kEnd);

    // A press let go away from its key is no click.
    rig.press(DialerRig::centreOf(DialerRig::key(pDialer, "1")));
    rig.release(QPointF(390, 590));
    QCOMPARE(rig.protocol.sets.size(), 2);
}

// A held digit is typed as well; a held backspace clears; holding 7 for
// five seconds is reported (and does nothing).
void TestWDialer::heldKeys()
{
    DialerRig rig;
    WDialer *pDialer = rig.addDialer();
    QVERIFY(pDialer);
    QVERIFY(rig.showWindow());
    rig.replyState(pDialer, "HANGUP");
    QSignalSpy digitHeld(pDialer->item(), SIGNAL(digitHeld(QString)));
    QSignalSpy digit(pDialer->item(), SIGNAL(digit(QString)));
    QSignalSpy fiveSeconds(pDialer->item(), SIGNAL(digitHeldFiveSeconds(QString)));

    QVERIFY(rig.pressAndHold(pDialer, "4"));
    rig.releaseOn(pDialer, "4");
    QCOMPARE(digitHeld.size(), 1);
    QCOMPARE(digit.size(), 0);
    QVERIFY(rig.pressAndHold(pDialer, "0"));
    rig.releaseOn(pDialer, "0");
    QCOMPARE(digitHeld.size(), 1);
    QCOMPARE(digit.size(), 1);
    QCOMPARE(pDialer->entry(), QStringLiteral("40"));

    for (const char *name : {"7", "8"}) {
        QQuickItem *pKey = DialerRig::key(pDialer, QLatin1String(name));
        pKey->setProperty("heldFiveSecondsInterval", 1000);
        QVERIFY(rig.pressAndHold(pDialer, QLatin1String(name)));
        if (QLatin1String(name) == QLatin1String("7"))
            QTRY_COMPARE(fiveSeconds.size(), 1);
        else
            QVERIFY(!fiveSeconds.wait(1500));
        rig.releaseOn(pDialer, QLatin1String(name));
    }
    QCOMPARE(fiveSeconds.size(), 1);
    QCOMPARE(fiveSeconds.first().first().toString(), QStringLiteral("7"));
    QCOMPARE(pDialer->entry(), QStringLiteral("4078"));

    QVERIFY(rig.pressAndHold(pDialer, "backspace"));
    rig.releaseOn(pDialer, "backspace");
    QCOMPARE(pDialer->entry(), QString());
    QCOMPARE(pDialer->displayText(), QString());
    QVERIFY(rig.protocol.sets.isEmpty());
}

void TestWDialer::callRowAndIncomingPanel_data()
{
    QTest::addColumn<QString>("callType");
    QTest::addColumn<QByteArray>("state");
    QTest::addColumn<QString>("callPicture");
    QTest::addColumn<bool>("hold");
    QTest::addColumn<QString>("addPicture");
    QTest::addColumn<bool>("incoming");
    QTest::addColumn<bool>("decline");
    QTest::addColumn<QString>("acceptSends");
    QTest::newRow("PSTN idle") << "PSTN" << QByteArray("HANGUP") << "call" << false << "" << false << false << "";
    QTest::newRow("PSTN other") << "PSTN" << QByteArray("WHATEVER") << "call" << false << "" << false << false
                                << "";
    QTest::newRow("PSTN active") << "PSTN" << QByteArray("ACTIVE") << "end" << false << "flash" << false
                                 << false << "";
    QTest::newRow("VoIP active") << "VoIP" << QByteArray("ACTIVE") << "end" << true << "add" << false << false
                                 << "";
    QTest::newRow("VoIP hold") << "VoIP" << QByteArray("HOLD") << "end" << false << "" << false << false << "";
    QTest::newRow("PSTN incoming") << "PSTN" << QByteArray("INCOMING") << "end" << false << "" << true << false
                                   << kAccept;
    QTest::newRow("VoIP incoming") << "VoIP" << QByteArray("INCOMING") << "end" << false << "" << true << true
                                   << kAccept;
    QTest::newRow("PSTN waiting") << "PSTN" << QByteArray("ACTIVE_INCOMING") << "end" << false << "" << true
                                  << false << kFlash;
}

// Which keys the call row and the incoming panel show in each state, and
// what the incoming panel's keys send.
void TestWDialer::callRowAndIncomingPanel()
{
    QFETCH(QString, callType);
    QFETCH(QByteArray, state);
    QFETCH(QString, addPicture);
    QFETCH(bool, incoming);
    QFETCH(QString, acceptSends);
    DialerRig rig;
    WDialer *pDialer = rig.addDialer(callType);
    QVERIFY(pDialer);
    QVERIFY(rig.showWindow());
    rig.replyState(pDialer, state);
    QTEST(pictureOf(pDialer, "call"), "callPicture");
    QTEST(DialerRig::isShown(DialerRig::key(pDialer, "hold")), "hold");
    QCOMPARE(DialerRig::isShown(DialerRig::key(pDialer, "add")), !addPicture.isEmpty());
    if (!addPicture.isEmpty())
        QCOMPARE(pictureOf(pDialer, "add"), addPicture);
    QVERIFY(!DialerRig::isShown(DialerRig::key(pDialer, "separateCall")));

    QQuickItem *pPanel = pDialer->item()->findChild<QQuickItem *>(QStringLiteral("incomingPanel"));
    QVERIFY(pPanel);
    QTRY_COMPARE(DialerRig::isShown(pPanel), incoming);
    if (!incoming)
        return;
    QTEST(DialerRig::isShown(DialerRig::key(pDialer, "decline")), "decline");
    // The keypad below takes no presses.
    QSignalSpy digits(pDialer->item(), SIGNAL(digit(QString)));
    rig.click(pDialer, "1");
    QCOMPARE(digits.size(), 0);
    QVERIFY(rig.protocol.sets.isEmpty());
    rig.click(pDialer, "accept");
    QCOMPARE(rig.protocol.sets, QStringList{acceptSends});
    if (DialerRig::isShown(DialerRig::key(pDialer, "decline"))) {
        rig.click(pDialer, "decline");
        QCOMPARE(rig.protocol.sets.last(), kEnd);
    }
    // The call row stays uncovered: its key ends (or declines).
    const int sent = int(rig.protocol.sets.size());
    rig.click(pDialer, "call");
    QCOMPARE(rig.protocol.sets.size(), sent + 1);
    QCOMPARE(rig.protocol.sets.last(), kEnd);
    rig.replyState(pDialer, "ACTIVE");
    QTRY_VERIFY(!pPanel->isVisible());
}

// A PSTN dialer may show a call key of its own beside an end key that
// always ends; the call key never ends a call.
void TestWDialer::separateCallKey()
{
    DialerRig rig;
    WDialer *pDialer = rig.addDialer(QStringLiteral("PSTN"), {{"alwaysShowCallAndEnd", "1"}});
    QVERIFY(pDialer);
    QVERIFY(rig.showWindow());
    rig.replyState(pDialer, "HANGUP");
    QVERIFY(DialerRig::isShown(DialerRig::key(pDialer, "separateCall")));
    QCOMPARE(pictureOf(pDialer, "separateCall"), QStringLiteral("call"));
    QCOMPARE(pictureOf(pDialer, "call"), QStringLiteral("end"));
    rig.click(pDialer, "3");
    rig.click(pDialer, "separateCall");
    QCOMPARE(rig.protocol.sets, QStringList{dialOf("3")});
    rig.click(pDialer, "call");
    QCOMPARE(rig.protocol.sets.last(), kEnd);

    rig.replyState(pDialer, "ACTIVE");
    rig.protocol.sets.clear();
    rig.click(pDialer, "separateCall");
    QVERIFY(rig.protocol.sets.isEmpty());
    rig.click(pDialer, "call");
    QCOMPARE(rig.protocol.sets, QStringList{kEnd});

    // A VoIP dialer keeps the one key.
    DialerRig voip;
    WDialer *pVoip = voip.addDialer(QStringLiteral("VoIP"), {{"alwaysShowCallAndEnd", "1"}});
    QVERIFY(!DialerRig::isShown(DialerRig::key(pVoip, "separateCall")));
}

// Every key has both pictures in every colour folder, where the item looks
// for them.
void TestWDialer::keyPictures()
{
    const QStringList keys = {"0",    "1",    "2",      "3",      "4",    "5",    "6",
                              "7",    "8",    "9",      "star",   "pound", "call", "end",
                              "hold", "add",  "flash",  "accept", "decline", "backspace"};
    for (const char *colour : {"black", "blue", "green", "pink", "red", "white", "yellow"}) {
        for (const QString &key : keys) {
            for (const char *look : {"_normal.png", "_pressed.png"}) {
                const QString path = QStringLiteral(":/images/dialer/%1/%2%3")
                                         .arg(QLatin1String(colour), key, QLatin1String(look));
                QVERIFY2(QFile::exists(path), qPrintable(path));
            }
        }
    }

    DialerRig rig;
    WDialer *pDialer = rig.addDialer(QStringLiteral("PSTN"), {{"primaryColor", "pink"}});
    QVERIFY(pDialer);
    QQuickItem *pKey = DialerRig::key(pDialer, "9");
    QVERIFY(pKey);
    const QList<QQuickItem *> children = pKey->childItems();
    QQuickItem *pImage = nullptr;
    for (QQuickItem *pChild : children) {
        if (pChild->inherits("QQuickImage"))
            pImage = pChild;
    }
    QVERIFY(pImage);
    // The path as the item gives it, from the folder of the QML files.
    const QUrl source = pImage->property("source").toUrl();
    QCOMPARE(QUrl(QStringLiteral("qrc:/qmlcontrol/QmlDialerButton.qml")).resolved(source),
             QUrl(QStringLiteral("qrc:/images/dialer/pink/9_normal.png")));
    QTRY_COMPARE(pImage->property("status").toInt(), 1); // Image.Ready
}

VR_TEST_MAIN(TestWDialer)
#include "tst_wdialer.moc"
