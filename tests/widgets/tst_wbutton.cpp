#include "VrTest.h"

#include "ButtonRig.h"
#include "comms/TTransform.h"
#include "controls/CAttributes.h"
#include "project/UArchive.h"
#include "project/XmlWriter.h"
#include "widgets/WButton.h"

#include <QBuffer>
#include <QFileInfo>
#include <QRegularExpression>
#include <QUrl>
#include <QXmlStreamReader>

namespace {

const Leaves kMuteList = {{"index1", "2"}, {"set", "F,O,T"}, {"format", "s"}, {"transform", "bin8"}};
const QStringList kMusicGain = {QStringLiteral("title=Gain"), QStringLiteral("label=Music Gain")};

// The values the rig's protocol was asked to send, in order.
QList<quint32> sentValues(const ButtonRig &rig)
{
    QList<quint32> values;
    for (const RecordingProtocol::Send &send : rig.protocol.sends)
        values.append(send.value);
    return values;
}

// A button bound to a mute of the rig's block, with the list and the
// button's own leaves.
WButton *boundButton(ButtonRig &rig, const Leaves &buttonLeaves, const Leaves &list = kMuteList,
                     HNode *pNode = nullptr)
{
    if (!pNode)
        pNode = rig.addBlock(kMusicGain);
    return ButtonRig::bind<WButton>(rig.addButton(pNode, list, buttonLeaves));
}

// The transform's reply, announced as a device answer is.
void reply(WButton *pButton, const QString &text)
{
    pButton->transform()->setReplyText(text);
}

// What the widget saves, as name and text pairs.
Leaves saved(const WWidget *pWidget, QString *pElement)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    XmlWriter writer(&buffer);
    pWidget->writeAttributes(writer);
    Leaves leaves;
    QXmlStreamReader reader(buffer.data());
    if (!reader.readNextStartElement())
        return leaves;
    *pElement = reader.name().toString();
    while (reader.readNextStartElement())
        leaves.append({reader.name().toString(), reader.readElementText()});
    return leaves;
}

// A panel host that counts the deliveries of each indicator change.
class CountingHost : public FakePanelHost
{
public:
    QMetaObject::Connection connectStatusIndicator(QObject *pContext, std::function<void()> slot) override
    {
        return connect(this, &FakePanelHost::indicatorChanged, pContext, [this, slot]() {
            ++deliveries;
            slot();
        });
    }

    int deliveries = 0;
};

} // namespace

// Presses the button once when its item's "checked" changes, as a change
// handler in the item would.
class PressOnChange : public QObject
{
    Q_OBJECT

public:
    explicit PressOnChange(WButton *pButton)
        : m_pButton(pButton)
    {
        connect(pButton->item(), SIGNAL(checkedChanged()), this, SLOT(press()));
    }

public slots:
    void press()
    {
        if (m_pressed)
            return;
        m_pressed = true;
        m_pButton->outputPressed();
    }

private:
    WButton *m_pButton;
    bool m_pressed = false;
};

class TestWButton : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { WWidgetFactory::registerWidgetTypes(); }
    void shippedItem();
    void actionAttribute_data();
    void actionAttribute();
    void typeAttribute_data();
    void typeAttribute();
    void replyAboveOneIsCheckedAndPressSendsZero();
    void replyShownWhileWritingIsNoPress();
    void toggleOrPulseWithoutEntrySendsNothing_data();
    void toggleOrPulseWithoutEntrySendsNothing();
    void repliesHeldOffAfterPressAndRelease();
    void pulseFlipsBackWithoutRestarting();
    void timersRunTheirOwnIntervals();
    void codeTexts_data();
    void codeTexts();
    void logicIndexes_data();
    void logicIndexes();
    void texts_data();
    void texts();
    void tristateLook_data();
    void tristateLook();
    void pictures_data();
    void pictures();
    void pictureFromTheArchive();
    void imageSet_data();
    void imageSet();
    void otherAttributes();
    void savedAndReadBack();
    void indicatorFollowedOnce();
};

// The shipped QML loads without a skin and offers every property the
// native side writes.
void TestWButton::shippedItem()
{
    QTest::failOnWarning(QRegularExpression(QStringLiteral(".*")));
    ButtonRig rig;
    WButton *pButton = boundButton(rig, {});
    QVERIFY(pButton && pButton->item());
    for (const char *name : {"checked", "onText", "offText", "partialText", "hasText", "text", "onImage",
                             "offImage", "partialImage", "hasImage", "imageSize", "hasBorder",
                             "isSequence", "isSetupButton", "isTristateButton", "isPartialStateActive"})
        QVERIFY2(pButton->item()->metaObject()->indexOfProperty(name) >= 0, name);
    QCOMPARE(pButton->item()->metaObject()->property(pButton->item()->metaObject()->indexOfProperty("imageSize"))
                 .metaType(),
             QMetaType::fromType<double>());
}

void TestWButton::actionAttribute_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("action");
    QTest::addColumn<bool>("isSequence");
    QTest::addColumn<bool>("isSetupButton");
    QTest::addColumn<bool>("isTristate");

    // Each row follows a "pulse": an unknown text keeps it.
    QTest::newRow("alternating") << "alternating" << 0 << false << false << false;
    QTest::newRow("sequence") << "sequence" << 1 << true << false << false;
    QTest::newRow("sendOthenF") << "sendOthenF" << 2 << true << false << false;
    QTest::newRow("toggle") << "toggle" << 3 << false << false << false;
    QTest::newRow("pulse") << "pulse" << 4 << false << false << false;
    QTest::newRow("none") << "none" << 5 << false << false << false;
    QTest::newRow("showSetupMenu") << "showSetupMenu" << 6 << false << true << false;
    QTest::newRow("showConnectionStatus") << "showConnectionStatus" << 7 << false << false << true;
    QTest::newRow("other case") << "Sequence" << 4 << false << false << false;
    QTest::newRow("empty") << "" << 4 << false << false << false;
}

void TestWButton::actionAttribute()
{
    QFETCH(QString, text);
    QFETCH(int, action);
    QFETCH(bool, isSequence);
    QFETCH(bool, isSetupButton);
    QFETCH(bool, isTristate);

    ButtonRig rig;
    WButton *pButton = boundButton(rig, {{"action", "pulse"}, {"action", text}});
    QVERIFY(pButton);
    QCOMPARE(int(pButton->action()), action);
    QCOMPARE(pButton->itemProperty("isSequence").toBool(), isSequence);
    QCOMPARE(pButton->itemProperty("isSetupButton").toBool(), isSetupButton);
    QCOMPARE(pButton->itemProperty("isTristateButton").toBool(), isTristate);
    QCOMPARE(WButton::actionFromText(WButton::actionText(action)), action);
}

void TestWButton::typeAttribute_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("withNode");
    QTest::addColumn<int>("type");
    QTest::addColumn<QString>("channel");

    QTest::newRow("mute") << "mute" << true << 0 << "1";
    QTest::newRow("logicChannel") << "logicChannel" << true << 1 << "1";
    QTest::newRow("logicSet: index + 1") << "logicSet" << true << 2 << "4";
    QTest::newRow("logicReset: index + 2") << "logicReset" << true << 3 << "5";
    QTest::newRow("logicSet without a node") << "logicSet" << false << 2 << "1";
    QTest::newRow("virtualGPI") << "virtualGPI" << true << 4 << "1";
    QTest::newRow("virtualGPO") << "virtualGPO" << true << 5 << "1";
    QTest::newRow("setup") << "setup" << true << 6 << "1";
    QTest::newRow("connectionIndicator") << "connectionIndicator" << true << 7 << "1";
    QTest::newRow("unknown: mute") << "gpio" << true << 0 << "1";
}

void TestWButton::typeAttribute()
{
    QFETCH(QString, text);
    QFETCH(bool, withNode);
    QFETCH(int, type);
    QFETCH(QString, channel);

    ButtonRig rig;
    HNode *pNode = withNode ? rig.addBlock({"title=Logic", "label=Logic Out", "index=3"}) : nullptr;
    CControl *pControl = rig.addButton(pNode, {}, {{"buttonType", "logicChannel"}, {"buttonType", text}});
    auto *pButton = qobject_cast<WButton *>(pControl->widgets().value(0));
    QVERIFY(pButton);
    QCOMPARE(int(pButton->buttonType()), type);
    QCOMPARE(pButton->channel(), channel);
    QCOMPARE(WButton::typeFromText(WButton::typeText(type)), type);
}

// A device value above 1 is shown as checked and kept as checked: the next
// alternating press sends 0, not the value with its lowest bit flipped.
void TestWButton::replyAboveOneIsCheckedAndPressSendsZero()
{
    ButtonRig rig;
    WButton *pButton = boundButton(rig, {});
    QVERIFY(pButton);
    reply(pButton, QStringLiteral("2"));
    QVERIFY(pButton->itemProperty("checked").toBool());
    QVERIFY(pButton->isChecked());

    pButton->outputPressed();
    QCOMPARE(sentValues(rig), QList<quint32>{0});
    QVERIFY(!pButton->itemProperty("checked").toBool());
    pButton->outputReleased();
    pButton->outputPressed();
    QCOMPARE(sentValues(rig), (QList<quint32>{0, 1}));
}

// The item's handlers run inside the write of a device value: a press they
// make then is not the operator's and sends nothing.
void TestWButton::replyShownWhileWritingIsNoPress()
{
    ButtonRig rig;
    WButton *pButton = boundButton(rig, {});
    QVERIFY(pButton);
    PressOnChange handler(pButton);
    reply(pButton, QStringLiteral("1"));
    QVERIFY(pButton->itemProperty("checked").toBool());
    QVERIFY(rig.protocol.sends.isEmpty());
    QVERIFY(pButton->isOutputEnabled());
}

void TestWButton::toggleOrPulseWithoutEntrySendsNothing_data()
{
    QTest::addColumn<QString>("action");
    QTest::addColumn<QString>("set");
    QTest::addColumn<QList<quint32>>("sent");

    QTest::newRow("toggle, no T") << "toggle" << "F,O" << QList<quint32>{};
    QTest::newRow("pulse, no P") << "pulse" << "F,O,T" << QList<quint32>{};
    QTest::newRow("toggle, T third") << "toggle" << "F,O,T" << QList<quint32>{2};
    QTest::newRow("pulse, P fourth") << "pulse" << "F,O,T,P" << QList<quint32>{3};
    QTest::newRow("toggle, no set") << "toggle" << "" << QList<quint32>{};
}

// Without its entry in the set a toggle or a pulse has no value: nothing is
// sent (all bits set never reach the device), the button stays as it was.
void TestWButton::toggleOrPulseWithoutEntrySendsNothing()
{
    QFETCH(QString, action);
    QFETCH(QString, set);
    QFETCH(QList<quint32>, sent);

    ButtonRig rig;
    const Leaves list = {{"index1", "2"}, {"set", set}, {"transform", "bin8"}};
    WButton *pButton = boundButton(rig, {{"action", action}}, list);
    QVERIFY(pButton);
    if (sent.isEmpty())
        QTest::ignoreMessage(QtDebugMsg, QRegularExpression(QStringLiteral("^WButton: no .* nothing sent")));
    pButton->outputPressed();
    QCOMPARE(sentValues(rig), sent);
    QCOMPARE(pButton->itemProperty("checked").toBool(), !sent.isEmpty());
    QCOMPARE(pButton->isHoldingOff(), !sent.isEmpty());
}

// For a while after a press or a release, device values are not shown.
void TestWButton::repliesHeldOffAfterPressAndRelease()
{
    ButtonRig rig;
    WButton *pButton = boundButton(rig, {{"action", "sequence"}});
    QVERIFY(pButton);
    pButton->setHoldOffInterval(300);

    pButton->outputPressed();
    QVERIFY(pButton->isHoldingOff());
    QVERIFY(pButton->itemProperty("checked").toBool());
    reply(pButton, QStringLiteral("0"));
    QVERIFY(pButton->itemProperty("checked").toBool());
    QTRY_VERIFY_WITH_TIMEOUT(!pButton->isHoldingOff(), 5000);
    reply(pButton, QStringLiteral("0"));
    QVERIFY(!pButton->itemProperty("checked").toBool());

    // The release starts it again.
    pButton->outputReleased();
    QVERIFY(pButton->isHoldingOff());
    reply(pButton, QStringLiteral("1"));
    QVERIFY(!pButton->itemProperty("checked").toBool());
    QTRY_VERIFY_WITH_TIMEOUT(!pButton->isHoldingOff(), 5000);
    reply(pButton, QStringLiteral("1"));
    QVERIFY(pButton->itemProperty("checked").toBool());
}

// A pulse flips the button and flips it back once its time is up; a second
// press meanwhile sends again but does not lengthen the pulse.
void TestWButton::pulseFlipsBackWithoutRestarting()
{
    ButtonRig rig;
    WButton *pButton = boundButton(rig, {{"action", "pulse"}}, {{"index1", "2"}, {"set", "F,O,T,P"}, {"transform", "bin8"}});
    QVERIFY(pButton);
    pButton->setPulseInterval(600);

    pButton->outputPressed();
    QCOMPARE(sentValues(rig), QList<quint32>{3});
    QVERIFY(pButton->itemProperty("checked").toBool());
    QVERIFY(pButton->isPulsing());
    QTRY_VERIFY_WITH_TIMEOUT(pButton->pulseRemainingMs() < 400, 5000);
    pButton->outputPressed();
    QCOMPARE(sentValues(rig), (QList<quint32>{3, 3}));
    QVERIFY(!pButton->itemProperty("checked").toBool());
    QVERIFY(pButton->pulseRemainingMs() < 400);
    QTRY_VERIFY_WITH_TIMEOUT(!pButton->isPulsing(), 5000);
    QVERIFY(pButton->itemProperty("checked").toBool());
    QCOMPARE(rig.protocol.sends.size(), 2);
}

// The tests above shorten the two timers; the button itself runs them for
// 200 ms (pulse) and 5 s (hold-off), each once per start.
void TestWButton::timersRunTheirOwnIntervals()
{
    ButtonRig rig;
    WButton *pButton = boundButton(rig, {{"action", "pulse"}}, {{"index1", "2"}, {"set", "F,O,T,P"}, {"transform", "bin8"}});
    QVERIFY(pButton);
    const QTimer *pPulse = pButton->pulseTimer();
    const QTimer *pHoldOff = pButton->holdOffTimer();
    QCOMPARE(pPulse->interval(), 200);
    QVERIFY(pPulse->isSingleShot());
    QCOMPARE(pHoldOff->interval(), 5000);
    QVERIFY(pHoldOff->isSingleShot());

    pButton->outputPressed();
    QVERIFY(pPulse->isActive());
    QVERIFY(pHoldOff->isActive());
    QCOMPARE(pPulse->interval(), 200);
    QCOMPARE(pHoldOff->interval(), 5000);
}

void TestWButton::codeTexts_data()
{
    QTest::addColumn<bool>("isAction");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("text");

    QTest::newRow("first action") << true << 0 << "alternating";
    QTest::newRow("last action") << true << 7 << "showConnectionStatus";
    QTest::newRow("past the last action") << true << 8 << "alternating";
    QTest::newRow("negative action") << true << -1 << "alternating";
    QTest::newRow("first type") << false << 0 << "mute";
    QTest::newRow("last type") << false << 7 << "connectionIndicator";
    QTest::newRow("past the last type") << false << 8 << "mute";
    QTest::newRow("negative type") << false << -1 << "mute";
}

// What a button saves for its action and type: a code outside the lists
// saves as the default.
void TestWButton::codeTexts()
{
    QFETCH(bool, isAction);
    QFETCH(int, code);
    QFETCH(QString, text);
    QCOMPARE(isAction ? WButton::actionText(code) : WButton::typeText(code), text);
}

void TestWButton::logicIndexes_data()
{
    QTest::addColumn<Leaves>("leaves");
    QTest::addColumn<int>("index2");
    QTest::addColumn<int>("readIndex");
    QTest::addColumn<bool>("selected");

    QTest::newRow("logic channel") << Leaves{{"buttonType", "logicChannel"}, {"channel", "3"}} << 3 << 1 << false;
    QTest::newRow("logic channel, query index")
        << Leaves{{"buttonType", "logicChannel"}, {"channel", "3"}, {"index1ForQuery", "7"}} << 3 << 7 << true;
    QTest::newRow("query index 0") << Leaves{{"buttonType", "logicChannel"}, {"index1ForQuery", "0"}} << 1 << 1
                                   << false;
    QTest::newRow("logic set") << Leaves{{"buttonType", "logicSet"}} << 5 << 1 << false;
    QTest::newRow("logic reset") << Leaves{{"buttonType", "logicReset"}} << 6 << 1 << false;
    QTest::newRow("logic set, channel after") << Leaves{{"buttonType", "logicSet"}, {"channel", "2"}} << 2 << 1
                                              << false;
    QTest::newRow("set, query index unused")
        << Leaves{{"buttonType", "logicSet"}, {"index1ForQuery", "7"}} << 5 << 1 << false;
    QTest::newRow("mute keeps index2") << Leaves{{"channel", "3"}} << 9 << 1 << false;
    QTest::newRow("channel not a number") << Leaves{{"buttonType", "logicChannel"}, {"channel", "x"}} << 0 << 1
                                          << false;
}

// Logic buttons address their channel through index2; a logic channel may
// read its state at another index than it sets.
void TestWButton::logicIndexes()
{
    QFETCH(Leaves, leaves);
    QFETCH(int, index2);
    QFETCH(int, readIndex);
    QFETCH(bool, selected);

    ButtonRig rig;
    HNode *pNode = rig.addBlock({"title=Logic", "label=Logic Out", "index=4"});
    const Leaves list = {{"index1", "1"}, {"index2", "9"}, {"struct", "2"}, {"set", "F,O"}, {"transform", "bin8"}};
    if (index2 == 0)
        QTest::ignoreMessage(QtWarningMsg, "m_channel is not convertable to int. Value is: x");
    CControl *pControl = rig.addButton(pNode, list, leaves);
    auto *pButton = ButtonRig::bind<WButton>(pControl);
    QVERIFY(pButton);
    QCOMPARE(pControl->attributes().index2(), index2);
    QCOMPARE(pControl->transform()->readIndex(), readIndex);
    QCOMPARE(pControl->transform()->isSelected(), selected);
    QCOMPARE(pControl->transform()->readSubIndex(), index2);

    // The channel goes with every set.
    pButton->outputPressed();
    QCOMPARE(rig.protocol.sends.size(), 1);
    QCOMPARE(rig.protocol.sends.constFirst().pTransform->writeSubIndex(), index2);
}

void TestWButton::texts_data()
{
    QTest::addColumn<QStringList>("node");
    QTest::addColumn<Leaves>("leaves");
    QTest::addColumn<QString>("onText");
    QTest::addColumn<QString>("offText");

    const QStringList plain = {"title=Gain", "label=Music Gain"};
    const QStringList amm = {"title=AMM 8", "label=Auto Mixer", "inputLabel1=Lectern", "inputLabel2=Podium",
                             "inputLabel3=Chair"};
    const QStringList phone = {"title=Conference Room Router", "label=Router", "teleconInputs=2"};
    QTest::newRow("label") << plain << Leaves{{"ontext", "*LABEL* on"}, {"offtext", "*LABEL*"}} << "Music Gain on"
                           << "Music Gain";
    QTest::newRow("channel") << plain << Leaves{{"channel", "4"}, {"ontext", "*Channel* on"}} << "Ch4 on" << "";
    QTest::newRow("title: both") << plain << Leaves{{"title", "*LABEL*"}} << "*LABEL*" << "*LABEL*";
    QTest::newRow("AMM mic 3") << amm << Leaves{{"ontext", "Mic 3 x"}, {"offtext", "Mic 3 MUTE"}} << "Chair UNMUTE"
                               << "Chair MUTE";
    QTest::newRow("AMM mic out of range") << amm << Leaves{{"offtext", "Mic 9 MUTE"}} << "" << " MUTE";
    QTest::newRow("AMM mic not a number") << amm << Leaves{{"offtext", "Mic one"}} << "" << " MUTE";
    QTest::newRow("AMM other text") << amm << Leaves{{"offtext", "Mute all"}} << "" << "Mute all";
    QTest::newRow("port label") << phone << Leaves{{"offtext", "Phone1 hold"}} << "" << "Lobby hold";
    QTest::newRow("port label, no telecon") << plain << Leaves{{"offtext", "Phone1 hold"}} << ""
                                            << "Phone1 hold";
}

void TestWButton::texts()
{
    QFETCH(QStringList, node);
    QFETCH(Leaves, leaves);
    QFETCH(QString, onText);
    QFETCH(QString, offText);

    ButtonRig rig;
    HNode *pNode = rig.addBlock(node);
    pNode->setPhoneLabel(QStringLiteral("Phone1"), QStringLiteral("Lobby"));
    auto *pButton = qobject_cast<WButton *>(rig.addButton(pNode, {}, leaves)->widgets().value(0));
    QVERIFY(pButton);
    QCOMPARE(pButton->itemProperty("onText").toString(), onText);
    QCOMPARE(pButton->itemProperty("offText").toString(), offText);
    QVERIFY(pButton->itemProperty("hasText").toBool());
}

void TestWButton::tristateLook_data()
{
    QTest::addColumn<Leaves>("leaves");
    QTest::addColumn<bool>("checked");
    QTest::addColumn<bool>("partial");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("image");

    const QString on = QStringLiteral("../images/ledOn.png");
    const QString off = QStringLiteral("../images/ledOffGreen.png");
    const QString some = QStringLiteral("../images/ledRed.png");
    const Leaves all = {{"action", "showConnectionStatus"}, {"ontext", "On"}, {"offtext", "Off"},
                        {"partialText", "Some"}, {"onimage", on}, {"offimage", off},
                        {"partialImage", some}};
    const Leaves noPartial = {{"action", "showConnectionStatus"}, {"ontext", "On"}, {"offtext", "Off"},
                              {"onimage", on}, {"offimage", off}};
    Leaves twoState = all;
    twoState.removeFirst();
    QTest::newRow("checked") << all << true << false << "On" << on;
    QTest::newRow("unchecked") << all << false << false << "Off" << off;
    QTest::newRow("partial") << all << false << true << "Some" << some;
    QTest::newRow("partial without its own") << noPartial << false << true << "Off" << off;
    QTest::newRow("partial on a two-state button") << twoState << true << true << "On" << on;
}

// What the shipped item shows for the checked and partial states.
void TestWButton::tristateLook()
{
    QFETCH(Leaves, leaves);
    QFETCH(bool, checked);
    QFETCH(bool, partial);
    QFETCH(QString, text);
    QFETCH(QString, image);

    ButtonRig rig;
    auto *pButton = qobject_cast<WButton *>(rig.addButton(nullptr, {}, leaves)->widgets().value(0));
    QVERIFY(pButton);
    pButton->setItemProperty("checked", checked);
    pButton->setItemProperty("isPartialStateActive", partial);
    QCOMPARE(pButton->itemProperty("shownText").toString(), text);
    QCOMPARE(pButton->itemProperty("shownImage").toString(), image);
}

void TestWButton::pictures_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("withHost");
    QTest::addColumn<QString>("path");

    QTest::newRow("mute_on") << "mute_on" << true << "../images/skins/Accent/Red/mute_on.png";
    QTest::newRow("mute_off") << "x/mute_off.png" << true << "../images/skins/Dark/mute_off.png";
    QTest::newRow("green_led_off") << "green_led_off" << true << "../images/ledOffGreen.png";
    QTest::newRow("led_off") << "led_off" << true << "../images/ledOffRed.png";
    QTest::newRow("led_on") << "led_on" << true << "../images/ledOn.png";
    QTest::newRow("red_led") << "red_led" << true << "../images/ledRed.png";
    QTest::newRow("reset_all") << "reset_all" << true << "../images/skins/Dark/resetAll.png";
    QTest::newRow("set_all") << "set_all" << true << "../images/skins/Dark/setAll.png";
    QTest::newRow("setup_button") << "setup_button" << true << "../images/skins/Dark/menu.png";
    QTest::newRow("indicator off") << "connection_indicator_off" << true << "../images/skins/Dark/indicator_red.png";
    QTest::newRow("indicator on") << "connection_indicator_on" << true << "../images/skins/Dark/indicator_grn.png";
    QTest::newRow("indicator partial") << "connection_indicator_partial" << true
                                       << "../images/skins/Dark/indicator_ylw.png";
    QTest::newRow("other name") << "D:/pics/Lamp.png" << true << "D:/pics/Lamp.png";
    QTest::newRow("case counts") << "Mute_On" << true << "Mute_On";
    QTest::newRow("no host: empty") << "led_on" << false << "";
    QTest::newRow("no host, other name") << "Lamp.png" << false << "Lamp.png";
}

// Short names pick the program's pictures for the skin and accent; every
// picture those names give is one the resources hold.
void TestWButton::pictures()
{
    QFETCH(QString, text);
    QFETCH(bool, withHost);
    QFETCH(QString, path);

    FakePanelHost host;
    host.skinName = QStringLiteral("Dark");
    host.accentName = QStringLiteral("Red");
    QCOMPARE(WButton::picturePath(text, withHost ? &host : nullptr), path);
    if (path.startsWith(QLatin1String("../images/")))
        QVERIFY2(QFileInfo::exists(QLatin1String(":/") + path.mid(3)), qPrintable(path));

    // On the item, with "hasImage".
    ButtonRig rig;
    rig.host.skinName = host.skinName;
    rig.host.accentName = host.accentName;
    auto *pButton = qobject_cast<WButton *>(rig.addButton(nullptr, {}, {{"offimage", text}})->widgets().value(0));
    QVERIFY(pButton);
    if (withHost)
        QCOMPARE(pButton->itemProperty("offImage").toString(), path);
    QVERIFY(pButton->itemProperty("hasImage").toBool());
}

// A picture of the open project archive is shown from its unpacked member.
void TestWButton::pictureFromTheArchive()
{
    QVERIFY(UArchive::instance().open(QStringLiteral(":/data/Varolin/Demo.cpz")));
    ButtonRig rig;
    auto *pButton = qobject_cast<WButton *>(
        rig.addButton(nullptr, {}, {{"onimage", "D:/Demo/image/MusicPlayer.png"}})->widgets().value(0));
    QVERIFY(pButton);
    const QUrl url(pButton->itemProperty("onImage").toString());
    QVERIFY2(url.isLocalFile(), qPrintable(url.toString()));
    QCOMPARE(QFileInfo(url.toLocalFile()).fileName(), QStringLiteral("MusicPlayer.png"));
    QVERIFY(QFileInfo::exists(url.toLocalFile()));
}

void TestWButton::imageSet_data()
{
    QTest::addColumn<Leaves>("leaves");
    QTest::addColumn<QString>("name");

    QTest::newRow("mute") << Leaves{{"onimage", "mute_on"}, {"offimage", "skins/mute_off.png"}} << "Mute/Unmute";
    QTest::newRow("green led") << Leaves{{"onimage", "led_on"}, {"offimage", "led_off"}} << "Green LED";
    QTest::newRow("setup") << Leaves{{"offimage", "setup_button"}} << "Setup Icon";
    QTest::newRow("indicator") << Leaves{{"offimage", "connection_indicator_off"},
                                         {"onimage", "connection_indicator_on"},
                                         {"partialImage", "connection_indicator_partial"}}
                               << "Connection Status Icon";
    QTest::newRow("indicator without partial")
        << Leaves{{"offimage", "connection_indicator_off"}, {"onimage", "connection_indicator_on"}} << "Custom";
    QTest::newRow("set all") << Leaves{{"offimage", "set_all"}} << "Set All";
    QTest::newRow("reset all") << Leaves{{"offimage", "reset_all"}} << "Reset All";
    QTest::newRow("other") << Leaves{{"offimage", "lamp"}} << "Custom";
    QTest::newRow("given, then derived again") << Leaves{{"imageSet", "Mine"}, {"offimage", "set_all"}} << "Set All";
    QTest::newRow("given last") << Leaves{{"offimage", "set_all"}, {"imageSet", "Mine"}} << "Mine";
}

void TestWButton::imageSet()
{
    QFETCH(Leaves, leaves);
    QFETCH(QString, name);

    ButtonRig rig;
    auto *pButton = qobject_cast<WButton *>(rig.addButton(nullptr, {}, leaves)->widgets().value(0));
    QVERIFY(pButton);
    QCOMPARE(pButton->imageSet(), name);
}

void TestWButton::otherAttributes()
{
    ButtonRig rig;
    auto *pButton = qobject_cast<WButton *>(rig.addButton(nullptr, {}, {})->widgets().value(0));
    QVERIFY(pButton);
    QVERIFY(pButton->readAttribute(QStringLiteral("imagesize"), QStringLiteral("0.5")));
    QCOMPARE(pButton->itemProperty("imageSize").toDouble(), 0.5);
    for (const auto &[text, flag] : QList<QPair<QString, bool>>{{"0", false}, {"2", true}, {"x", false}}) {
        QVERIFY(pButton->readAttribute(QStringLiteral("hasBorder"), text));
        QCOMPARE(pButton->itemProperty("hasBorder").toBool(), flag);
    }
    QVERIFY(pButton->readAttribute(QStringLiteral("index1ForQuery"), QStringLiteral("x")));
    QCOMPARE(pButton->index1ForQuery(), 0);
    QVERIFY(pButton->readAttribute(QStringLiteral("partialText"), QStringLiteral("Some")));
    QCOMPARE(pButton->itemProperty("partialText").toString(), QStringLiteral("Some"));
    // Fractions are not the button's.
    QVERIFY(!pButton->readAttribute(QStringLiteral("xfract"), QStringLiteral("0.5")));
    QVERIFY(!pButton->readAttribute(QStringLiteral("Action"), QStringLiteral("toggle")));
    pButton->setText(QStringLiteral("Hello"));
    QCOMPARE(pButton->itemProperty("text").toString(), QStringLiteral("Hello"));
    QVERIFY(pButton->itemProperty("hasText").toBool());
}

// What a button saves, a button reads back to the same state.
void TestWButton::savedAndReadBack()
{
    ButtonRig rig;
    const Leaves leaves = {{"id", "3"},
                           {"link", "7"},
                           {"action", "sendOthenF"},
                           {"buttonType", "logicChannel"},
                           {"channel", "2"},
                           {"ontext", "On"},
                           {"offtext", "Off"},
                           {"onimage", "led_on"},
                           {"offimage", "led_off"},
                           {"imagesize", "0.5"},
                           {"hasBorder", "0"},
                           {"index1ForQuery", "4"}};
    auto *pSaved = qobject_cast<WButton *>(rig.addButton(nullptr, {}, leaves)->widgets().value(0));
    QVERIFY(pSaved);
    QString element;
    const Leaves written = saved(pSaved, &element);
    QCOMPARE(element, QStringLiteral("button"));
    for (const auto &leaf : Leaves{{"ontext", "On"},
                                   {"offtext", "Off"},
                                   {"onimage", "ledOn"},
                                   {"offimage", "ledOffRed"},
                                   {"imagesize", "0.5"},
                                   {"hasBorder", "0"},
                                   {"action", "sendOthenF"},
                                   {"buttonType", "logicChannel"},
                                   {"channel", "2"},
                                   {"imageSet", "Green LED"},
                                   {"index1ForQuery", "4"}})
        QVERIFY2(written.contains(leaf), qPrintable(leaf.first + "=" + leaf.second));
    QVERIFY(!written.contains({"partialText", ""}));

    auto *pRead = qobject_cast<WButton *>(rig.addButton(nullptr, {}, written)->widgets().value(0));
    QVERIFY(pRead);
    QCOMPARE(pRead->itemGeometry(), pSaved->itemGeometry());
    QCOMPARE(pRead->widgetId(), 3u);
    QCOMPARE(pRead->linkId(), 7u);
    QCOMPARE(pRead->action(), WButton::ActionSendOthenF);
    QCOMPARE(pRead->buttonType(), WButton::TypeLogicChannel);
    QCOMPARE(pRead->channel(), QStringLiteral("2"));
    QCOMPARE(pRead->index1ForQuery(), 4);
    QCOMPARE(pRead->itemProperty("onText").toString(), QStringLiteral("On"));
    QVERIFY(!pRead->itemProperty("hasBorder").toBool());

    // Unknown codes are saved as the defaults; no texts, no pictures.
    auto *pPlain = qobject_cast<WButton *>(rig.addButton(nullptr, {}, {})->widgets().value(0));
    const Leaves plain = saved(pPlain, &element);
    QVERIFY(plain.contains({"action", "alternating"}));
    QVERIFY(plain.contains({"buttonType", "mute"}));
    QVERIFY(plain.contains({"channel", "1"}));
    QVERIFY(plain.contains({"index1ForQuery", "-1"}));
    for (const char *name : {"ontext", "onimage", "imagesize"}) {
        for (const auto &leaf : plain)
            QVERIFY2(leaf.first != QLatin1String(name), name);
    }
}

// A connection-status button shows the indicator: green checked, yellow
// partial, anything else neither; it follows each change once, however
// often its look was refreshed.
void TestWButton::indicatorFollowedOnce()
{
    ButtonRig rig;
    CountingHost host;
    host.indicatorPath = QStringLiteral("../../images/skins/Light/indicator_ylw.png");
    CControl *pControl = rig.addButton(nullptr, {}, {{"action", "showConnectionStatus"}});
    pControl->setModel(&host);
    auto *pButton = ButtonRig::bind<WButton>(pControl);
    QVERIFY(pButton);
    QVERIFY(!pButton->itemProperty("checked").toBool());
    QVERIFY(pButton->itemProperty("isPartialStateActive").toBool());
    pButton->updateLook();
    pButton->updateLook();

    host.changeIndicator(QStringLiteral("../../images/skins/Light/indicator_grn.png"));
    QCOMPARE(host.deliveries, 1);
    QVERIFY(pButton->itemProperty("checked").toBool());
    QVERIFY(!pButton->itemProperty("isPartialStateActive").toBool());
    host.changeIndicator(QStringLiteral("../../images/skins/Light/indicator_red.png"));
    QCOMPARE(host.deliveries, 2);
    QVERIFY(!pButton->itemProperty("checked").toBool());
    QVERIFY(!pButton->itemProperty("isPartialStateActive").toBool());

    // A button of another action does not follow it.
    auto *pOther = ButtonRig::bind<WButton>(rig.addButton(nullptr, {}, {}));
    QVERIFY(pOther);
    host.changeIndicator(QStringLiteral("../../images/skins/Light/indicator_grn.png"));
    QCOMPARE(host.deliveries, 3);
    QVERIFY(!pOther->itemProperty("checked").toBool());
}

VR_TEST_MAIN(TestWButton)
#include "tst_wbutton.moc"
