#include "VrTest.h"

#include "DropListRig.h"
#include "FakeProtocolHost.h"
#include "NodeProperties.h"
#include "SimulatedVdsDevice.h"
#include "SimulatedVdsParameterSetList.h"

#include "comms/ITcpClient.h"
#include "comms/PVDSProtocol.h"
#include "comms/TTransform.h"
#include "devices/HBlock.h"

#include <QFile>
#include <QHostAddress>
#include <QImage>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <climits>

namespace {

constexpr int Patience = 5000;

// The simulated VDS device on 127.0.0.1 and a protocol connected to it, in
// poll mode unless asked: the device then reports nothing by itself, so
// every value the widget sees was asked for.
struct VdsLink
{
    explicit VdsLink(bool subscribe = false)
    {
        device.setValueStoreEnabled(true);
        device.setSubscriptionAccepted(subscribe);
        client.setAddress(QHostAddress::LocalHost);
        client.setPort(device.port());
        protocol.setInterface(&client);
        client.setOwner(&protocol);
        protocol.setHost(&host);
    }

    ~VdsLink() { client.close(); }

    bool open()
    {
        return client.open() && QTest::qWaitFor([this]() { return client.isConnected(); }, Patience)
               && QTest::qWaitFor([this]() { return client.hasSubscriptionState(); }, Patience);
    }

    // The set commands the device received, in order.
    QList<QByteArray> sets() const
    {
        QList<QByteArray> found;
        const QList<QByteArray> texts = device.commandTexts();
        for (const QByteArray &text : texts) {
            if (text.startsWith("SA "))
                found.append(text);
        }
        return found;
    }

    SimulatedVdsDevice device;
    ITcpClient client;
    PVDSProtocol protocol;
    FakeProtocolHost host;
};

QByteArray setOf(const QByteArray &label, const QByteArray &value)
{
    return "SA \"" + label + "\">1=" + value;
}

// A list value's get key, as the device stores it.
QByteArray keyOf(const QByteArray &label, int index = 1)
{
    return "GA\"" + label + "\">" + QByteArray::number(index);
}

// Reports each change of the item's "currentIndex" back to the list as a
// choice, as an item that forwards its own changes would.
class ChoiceEcho : public QObject
{
    Q_OBJECT

public:
    explicit ChoiceEcho(WDropList *pList)
        : m_pList(pList)
    {
    }

    int count = 0;

public slots:
    void echo()
    {
        ++count;
        m_pList->outputCurrentIndex(m_pList->itemProperty("currentIndex").toInt());
    }

private:
    WDropList *m_pList;
};

} // namespace

// Drop lists bound through the VDS protocol to the simulated device: each
// choice is checked by the bytes the device receives, each reply by what
// the list shows.
class TestWDropListDevice : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void choicesSendTheirValues_data();
    void choicesSendTheirValues();
    void unchangedChoiceIsNotResent();
    void replySelectsItsEntryAndSendsNothing();
    void popupMarksOnlyTheCurrentEntry();
    void parameterSetListResendsAndCountsFromOne_data();
    void parameterSetListResendsAndCountsFromOne();
    void replyShownOnAParameterSetListIsNotSent();
    void deviceReportsTheRecalledSet();
    void listsFromTheDesign_data();
    void listsFromTheDesign();
    void indexesTheListsDoNotHoldAreIgnored_data();
    void indexesTheListsDoNotHoldAreIgnored();
    void choiceWithoutTransformIsTakenNotSent();

private:
    // Binds the control to the link's protocol and shows the window.
    WDropList *bindShown(CControl *pControl);
    // Opens the list's pop-up with a click on the item and clicks the
    // entry at the index.
    bool chooseByClick(WDropList *pList, int index);
    // A get of the marker block, waited for until its answer is in: every
    // command queued before it has been sent and answered by then.
    bool flush();
    // Asks the device for the list's value and waits for the reply.
    bool poll(WDropList *pList);

    std::unique_ptr<VdsLink> m_pLink;
    std::unique_ptr<DropListRig> m_pRig;
    QTemporaryDir m_folder;
    CControl *m_pMarker = nullptr;
};

void TestWDropListDevice::init()
{
    m_pLink = std::make_unique<VdsLink>();
    QVERIFY(m_pLink->open());
    m_pRig = std::make_unique<DropListRig>();
    QVERIFY(m_pRig->loadDesign(QStringLiteral("droplists.vpj")));
    // Every value the lists read is known to the device (an unknown one
    // is refused, and asked for again).
    for (const char *pLabel : {"Marker", "Zone 1 Gain", "Zone 2 Gain", "Zone 3 Gain", "Source Select"})
        m_pLink->device.setValue(keyOf(pLabel), "0");
    m_pLink->device.setValue(keyOf("Hall Scenes", 1), "0");
    m_pLink->device.setValue(keyOf("Hall Scenes", 2), "0");
    auto *pMarker = new HBlock;
    NodeProperties::read(*pMarker, {"title=Gain", "label=Marker"});
    m_pRig->root.addChild(pMarker);
    pMarker->setProtocol(&m_pLink->protocol);
    m_pMarker = m_pRig->addDropList(QStringLiteral("Marker"), pMarker, DropListRig::listBinding(),
                                    {{"msg", "M"}}, 400, 400);
    m_pRig->bind(m_pMarker);
    // The marker's own request on binding is answered before any flush.
    QSignalSpy markerReplies(m_pMarker->transform(), &TTransform::replyValueReady);
    QVERIFY(markerReplies.wait(Patience));
    QVERIFY(m_folder.isValid());
    WDelegate::instance()->setPanelFilePath(m_folder.filePath(QStringLiteral("Lists.cpf")));
}

void TestWDropListDevice::cleanup()
{
    m_pMarker = nullptr;
    m_pRig.reset();
    m_pLink.reset();
}

WDropList *TestWDropListDevice::bindShown(CControl *pControl)
{
    if (HNode *pNode = pControl->node())
        pNode->setProtocol(&m_pLink->protocol);
    WDropList *pList = DropListRig::bind(pControl);
    if (!m_pRig->window.isVisible() && !m_pRig->showWindow())
        return nullptr;
    // The binding's own request and its answer are over: whatever the
    // list shows from now on was asked for by the test.
    return flush() ? pList : nullptr;
}

bool TestWDropListDevice::chooseByClick(WDropList *pList, int index)
{
    if (!m_pRig->openPopup(pList))
        return false;
    QQuickItem *pEntry = DropListRig::entry(pList, index);
    if (!pEntry)
        return false;
    m_pRig->click(DropListRig::centreOf(pEntry));
    return pList->popup() == nullptr;
}

bool TestWDropListDevice::flush()
{
    // The transport sends one command at a time and waits for its answer:
    // once the marker's answer is in, so are those of everything before.
    QSignalSpy replies(m_pMarker->transform(), &TTransform::replyValueReady);
    return m_pLink->protocol.requestValue(m_pMarker->transform()) && replies.wait(Patience);
}

bool TestWDropListDevice::poll(WDropList *pList)
{
    TTransform *pTransform = pList->transform();
    QSignalSpy replies(pTransform, &TTransform::replyValueReady);
    return m_pLink->protocol.requestValue(pTransform) && replies.wait(Patience);
}

void TestWDropListDevice::choicesSendTheirValues_data()
{
    QTest::addColumn<Leaves>("list");
    QTest::addColumn<int>("choice");
    QTest::addColumn<QByteArray>("value");
    QTest::addColumn<QStringList>("items");

    QTest::newRow("texts numbered from 1") << Leaves{{"msg", "Off,Low,High"}} << 1 << QByteArray("2")
                                           << QStringList{"Off", "Low", "High"};
    QTest::newRow("a table with 0 counts from 1")
        << Leaves{{"msg", "A,B,C"}, {"index", "0,5,7"}} << 1 << QByteArray("6") << QStringList{"A", "B", "C"};
    QTest::newRow("a table without 0 stays")
        << Leaves{{"msg", "A,B,C"}, {"index", "3,5,7"}} << 2 << QByteArray("7") << QStringList{"A", "B", "C"};
    QTest::newRow("texts up to an empty section")
        << Leaves{{"msg", "A,B,,C"}} << 1 << QByteArray("2") << QStringList{"A", "B"};
}

// Each list source's choice reaches the device as the value the table
// gives it, and the list shows the text chosen.
void TestWDropListDevice::choicesSendTheirValues()
{
    QFETCH(Leaves, list);
    QFETCH(int, choice);
    QFETCH(QByteArray, value);
    QFETCH(QStringList, items);

    CControl *pControl = m_pRig->addDropList(QStringLiteral("Mode"), m_pRig->node(QStringLiteral("Zone 2 Gain")),
                                             DropListRig::listBinding(), list);
    WDropList *pList = bindShown(pControl);
    QVERIFY(pList);
    QCOMPARE(pList->items(), items);
    QVERIFY(chooseByClick(pList, choice));
    QTRY_COMPARE_WITH_TIMEOUT(m_pLink->sets(), QList<QByteArray>{setOf("Zone 2 Gain", value)}, Patience);
    QCOMPARE(pList->itemProperty("currentText").toString(), items.at(choice));
    QCOMPARE(pList->itemProperty("currentIndex").toInt(), choice);
    QCOMPARE(pList->currentIndex(), choice);
}

// The entry already chosen is not sent again; another one is.
void TestWDropListDevice::unchangedChoiceIsNotResent()
{
    CControl *pControl = m_pRig->addDropList(QStringLiteral("Mode"), m_pRig->node(QStringLiteral("Zone 2 Gain")),
                                             DropListRig::listBinding(), {{"msg", "Off,Low,High"}});
    WDropList *pList = bindShown(pControl);
    QVERIFY(pList);
    QVERIFY(chooseByClick(pList, 2));
    QVERIFY(chooseByClick(pList, 2));
    QVERIFY(flush());
    QCOMPARE(m_pLink->sets(), QList<QByteArray>{setOf("Zone 2 Gain", "3")});
    QVERIFY(chooseByClick(pList, 0));
    QTRY_COMPARE_WITH_TIMEOUT(m_pLink->sets().size(), 2, Patience);
    QCOMPARE(m_pLink->sets().last(), setOf("Zone 2 Gain", "1"));
}

// A device value selects the first entry that stands for it, and the list
// sends nothing back; a value that no entry stands for selects none and
// leaves the text shown, so that any next choice is sent.
void TestWDropListDevice::replySelectsItsEntryAndSendsNothing()
{
    CControl *pControl = m_pRig->addDropList(QStringLiteral("Mode"), m_pRig->node(QStringLiteral("Zone 2 Gain")),
                                             DropListRig::listBinding(),
                                             {{"msg", "A,B,C,D"}, {"index", "3,5,7,5"}});
    WDropList *pList = bindShown(pControl);
    QVERIFY(pList);

    m_pLink->device.setValue(keyOf("Zone 2 Gain"), "5");
    QVERIFY(poll(pList));
    QCOMPARE(pList->currentIndex(), 1);
    QCOMPARE(pList->itemProperty("currentIndex").toInt(), 1);
    QCOMPARE(pList->itemProperty("currentText").toString(), QStringLiteral("B"));

    m_pLink->device.setValue(keyOf("Zone 2 Gain"), "4");
    QVERIFY(poll(pList));
    QCOMPARE(pList->currentIndex(), -1);
    QCOMPARE(pList->itemProperty("currentText").toString(), QStringLiteral("B"));
    QVERIFY(flush());
    QCOMPARE(m_pLink->sets(), QList<QByteArray>());

    // Nothing is known to be chosen: the entry shown is sent when chosen.
    QVERIFY(chooseByClick(pList, 1));
    QTRY_COMPARE_WITH_TIMEOUT(m_pLink->sets(), QList<QByteArray>{setOf("Zone 2 Gain", "5")}, Patience);
}

namespace {

// Whether the entry is drawn marked: in the accent colour (the list's own
// when no skin is loaded) at its left edge, beside its text.
bool isDrawnMarked(const QImage &window, const QQuickItem *pEntry)
{
    const QPointF at = pEntry->mapToScene(QPointF(2, pEntry->height() / 2));
    return window.pixelColor(at.toPoint()) == QColor(QStringLiteral("#1D98D5"));
}

} // namespace

// The pop-up of a list whose device value matches no entry opens with no
// entry marked; once one is chosen, that one alone is.
void TestWDropListDevice::popupMarksOnlyTheCurrentEntry()
{
    CControl *pControl = m_pRig->addDropList(QStringLiteral("Mode"), m_pRig->node(QStringLiteral("Zone 2 Gain")),
                                             DropListRig::listBinding(), {{"msg", "Off,Low,High"}});
    WDropList *pList = bindShown(pControl);
    QVERIFY(pList);
    m_pLink->device.setValue(keyOf("Zone 2 Gain"), "9");
    QVERIFY(poll(pList));
    QCOMPARE(pList->currentIndex(), -1);

    QVERIFY(m_pRig->openPopup(pList));
    QCOMPARE(pList->popup()->property("index").toInt(), -1);
    QImage shown = m_pRig->window.grabWindow();
    for (int i = 0; i < 3; ++i) {
        const QQuickItem *pEntry = DropListRig::entry(pList, i);
        QVERIFY(pEntry);
        QVERIFY2(!isDrawnMarked(shown, pEntry), qPrintable(QString::number(i)));
        QVERIFY(!pEntry->property("current").toBool());
    }

    QQuickItem *pLow = DropListRig::entry(pList, 1);
    m_pRig->click(DropListRig::centreOf(pLow));
    QTRY_COMPARE_WITH_TIMEOUT(m_pLink->sets(), QList<QByteArray>{setOf("Zone 2 Gain", "2")}, Patience);
    QVERIFY(m_pRig->openPopup(pList));
    shown = m_pRig->window.grabWindow();
    for (int i = 0; i < 3; ++i) {
        const QQuickItem *pEntry = DropListRig::entry(pList, i);
        QVERIFY(pEntry);
        QCOMPARE(isDrawnMarked(shown, pEntry), i == 1);
    }
}

void TestWDropListDevice::parameterSetListResendsAndCountsFromOne_data()
{
    QTest::addColumn<QString>("index1ForQuery");
    QTest::addColumn<int>("readIndex");
    QTest::addColumn<QByteArray>("sent");

    // Read back from the second index; the set's number goes out.
    QTest::newRow("numbered") << "2" << 2 << QByteArray("2");
    // The set's id goes out; read back where it is written.
    QTest::newRow("by id") << "0" << 1 << QByteArray("42");
}

// On a parameter-set list the same choice is sent every time, a reply v
// selects entry v - 1, and a reply of 0 changes nothing.
void TestWDropListDevice::parameterSetListResendsAndCountsFromOne()
{
    QFETCH(QString, index1ForQuery);
    QFETCH(int, readIndex);
    QFETCH(QByteArray, sent);

    HNode *pNode = m_pRig->node(QStringLiteral("Hall Scenes"));
    QVERIFY(pNode);
    QCOMPARE(pNode->title(), QStringLiteral("PSetList"));
    CControl *pControl = m_pRig->addDropList(
        QStringLiteral("Scenes"), pNode, DropListRig::listBinding(),
        {{"node", "ItemAndIndexes"}, {"index1ForQuery", index1ForQuery}});
    WDropList *pList = bindShown(pControl);
    QVERIFY(pList);
    QCOMPARE(pList->items(), QStringList({"Morning", "Evening", "Night"}));
    QCOMPARE(pList->transform()->readIndex(), readIndex);
    // Bound and polled where the list is read back.
    QTRY_COMPARE_WITH_TIMEOUT(m_pLink->device.commandCount(keyOf("Hall Scenes", readIndex)), 1, Patience);

    QVERIFY(chooseByClick(pList, 1));
    QVERIFY(chooseByClick(pList, 1));
    const QByteArray set = setOf("Hall Scenes", sent);
    QTRY_COMPARE_WITH_TIMEOUT(m_pLink->sets(), QList<QByteArray>({set, set}), Patience);

    m_pLink->device.setValue(keyOf("Hall Scenes", readIndex), "3");
    QVERIFY(poll(pList));
    QCOMPARE(pList->currentIndex(), 2);
    QCOMPARE(pList->itemProperty("currentText").toString(), QStringLiteral("Night"));

    // No set has the number 0: the list stays where it was.
    m_pLink->device.setValue(keyOf("Hall Scenes", readIndex), "0");
    QVERIFY(poll(pList));
    QCOMPARE(pList->currentIndex(), 2);
    QCOMPARE(pList->itemProperty("currentIndex").toInt(), 2);
    QCOMPARE(pList->itemProperty("currentText").toString(), QStringLiteral("Night"));

    // A number beyond the list is taken, and shows nothing new.
    m_pLink->device.setValue(keyOf("Hall Scenes", readIndex), "9");
    QVERIFY(poll(pList));
    QCOMPARE(pList->currentIndex(), 8);
    QCOMPARE(pList->itemProperty("currentText").toString(), QStringLiteral("Night"));
    QVERIFY(flush());
    QCOMPARE(m_pLink->sets().size(), 2);
}

// The item's change handlers run while a reply is written into it. One
// that reports the entry as a choice (as an item may) sends nothing, even
// on a parameter-set list, which resends every choice.
void TestWDropListDevice::replyShownOnAParameterSetListIsNotSent()
{
    HNode *pNode = m_pRig->node(QStringLiteral("Hall Scenes"));
    CControl *pControl = m_pRig->addDropList(QStringLiteral("Scenes"), pNode, DropListRig::listBinding(),
                                             {{"node", "ItemAndIndexes"}, {"index1ForQuery", "2"}});
    WDropList *pList = bindShown(pControl);
    QVERIFY(pList);
    ChoiceEcho echo(pList);
    QVERIFY(QObject::connect(pList->item(), SIGNAL(currentIndexChanged()), &echo, SLOT(echo())));

    m_pLink->device.setValue(keyOf("Hall Scenes", 2), "2");
    QVERIFY(poll(pList));
    QCOMPARE(echo.count, 1);
    QCOMPARE(pList->currentIndex(), 1);
    QCOMPARE(pList->itemProperty("currentText").toString(), QStringLiteral("Evening"));
    QVERIFY(flush());
    QCOMPARE(m_pLink->sets(), QList<QByteArray>());
}

// The simulated device plays the parameter-set list, as simdevice does for
// the demo: a set recalled becomes the list's current set, which it reports
// to its subscribers; the list shows what the device reports.
void TestWDropListDevice::deviceReportsTheRecalledSet()
{
    VdsLink link(true);
    SimulatedVdsParameterSetList sets(&link.device, {"Hall Scenes"});
    link.device.addBehaviour(&sets);
    const QByteArray current = SimulatedVdsParameterSetList::currentKey("Hall Scenes");
    QCOMPARE(current, keyOf("Hall Scenes", 2));
    link.device.setValue(current, "1");
    QVERIFY(link.open());
    QVERIFY(link.protocol.isSubscribed());

    HNode *pNode = m_pRig->node(QStringLiteral("Hall Scenes"));
    pNode->setProtocol(&link.protocol);
    CControl *pControl = m_pRig->addDropList(QStringLiteral("Scenes"), pNode, DropListRig::listBinding(),
                                             {{"node", "ItemAndIndexes"}, {"index1ForQuery", "2"}});
    WDropList *pList = DropListRig::bind(pControl);
    QVERIFY(m_pRig->showWindow());
    QTRY_COMPARE_WITH_TIMEOUT(link.device.subscriptions(), QList<QByteArray>{current}, Patience);
    // A new subscriber learns the value at once.
    link.device.push(link.device.replyLine(current));
    QTRY_COMPARE_WITH_TIMEOUT(pList->itemProperty("currentText").toString(), QStringLiteral("Morning"), Patience);

    QVERIFY(chooseByClick(pList, 2));
    QTRY_COMPARE_WITH_TIMEOUT(link.device.value(current), QByteArray("3"), Patience);
    QTRY_COMPARE_WITH_TIMEOUT(pList->transform()->replyText(), QStringLiteral("3"), Patience);
    QCOMPARE(pList->currentIndex(), 2);
    QCOMPARE(pList->itemProperty("currentText").toString(), QStringLiteral("Night"));

    // Recalled at the device: the list follows.
    link.device.setValue(current, "2");
    link.device.push(link.device.replyLine(current));
    QTRY_COMPARE_WITH_TIMEOUT(pList->itemProperty("currentText").toString(), QStringLiteral("Evening"), Patience);
    QCOMPARE(pList->currentIndex(), 1);
    QCOMPARE(link.sets(), QList<QByteArray>{setOf("Hall Scenes", "3")});
    // Nothing may reach for this link once it is gone.
    m_pRig->removeControl(pControl);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    pNode->setProtocol(&m_pLink->protocol);
    link.device.removeBehaviour(&sets);
}

void TestWDropListDevice::listsFromTheDesign_data()
{
    QTest::addColumn<QString>("node");
    QTest::addColumn<Leaves>("list");
    QTest::addColumn<QStringList>("items");
    QTest::addColumn<QList<int>>("values");
    QTest::addColumn<int>("choice");
    QTest::addColumn<QByteArray>("set");

    QTest::newRow("parameter sets") << "Hall Scenes" << Leaves{{"node", "ItemAndIndexes"}}
                                    << QStringList{"Morning", "Evening", "Night"} << QList<int>{41, 42, 43}
                                    << 1 << setOf("Hall Scenes", "42");
    // The choice goes to the block the selector group drives.
    QTest::newRow("group") << "Source Choice" << Leaves{{"group", "1"}}
                           << QStringList{"Tuner", "Laptop", "Stage Mic"} << QList<int>{1, 2, 3} << 2
                           << setOf("Source Select", "3");
    // The blocks of the same kind beside the bound one that have an order
    // number, in that order.
    QTest::newRow("siblings") << "Zone 1 Gain" << Leaves{{"node", "Zones"}}
                              << QStringList{"Zone 3 Gain", "Zone 1 Gain", "Zone 2 Gain"}
                              << QList<int>{13, 11, 12} << 0 << setOf("Zone 1 Gain", "13");
    QTest::newRow("channel names") << "Source Select" << Leaves{{"sourceList", "1"}}
                                   << QStringList{"Tuner", "Laptop", "Stage Mic"} << QList<int>{0, 1, 2} << 2
                                   << setOf("Source Select", "2");
    QTest::newRow("file beside the panel") << "Zone 2 Gain" << Leaves{{"file", "Rooms.txt"}}
                                           << QStringList{"Hall", "Foyer", "Bar"} << QList<int>{1, 2, 3} << 2
                                           << setOf("Zone 2 Gain", "3");
    QTest::newRow("file with a table") << "Zone 2 Gain" << Leaves{{"file", "lists/Zones.txt"}, {"index", "0,4"}}
                                       << QStringList{"North", "South"} << QList<int>{1, 5} << 1
                                       << setOf("Zone 2 Gain", "5");
    QTest::newRow("the node's entries") << "Zone 3 Gain" << Leaves{{"item", "1"}}
                                        << QStringList{"Quiet", "Normal", "Loud"} << QList<int>{1, 2, 3} << 0
                                        << setOf("Zone 3 Gain", "1");
}

// Lists read from the nodes of a design file and from list files in the
// panel's folder; a choice of each reaches the device.
void TestWDropListDevice::listsFromTheDesign()
{
    QFETCH(QString, node);
    QFETCH(Leaves, list);
    QFETCH(QStringList, items);
    QFETCH(QList<int>, values);
    QFETCH(int, choice);
    QFETCH(QByteArray, set);

    // The design reader sets no order numbers: these stand for a design
    // that has them. "Source Select" is a block too, without one.
    m_pRig->node(QStringLiteral("Zone 3 Gain"))->setOrder(1);
    m_pRig->node(QStringLiteral("Zone 1 Gain"))->setOrder(2);
    m_pRig->node(QStringLiteral("Zone 2 Gain"))->setOrder(3);
    m_pRig->node(QStringLiteral("Zone 3 Gain"))->setEntriesText(QStringLiteral("Quiet,Normal,Loud"));
    QFile rooms(m_folder.filePath(QStringLiteral("Rooms.txt")));
    QVERIFY(rooms.open(QIODevice::WriteOnly));
    rooms.write("Hall\nFoyer\nBar\n");
    rooms.close();
    QVERIFY(QDir(m_folder.path()).mkpath(QStringLiteral("lists")));
    QFile zones(m_folder.filePath(QStringLiteral("lists/Zones.txt")));
    QVERIFY(zones.open(QIODevice::WriteOnly));
    zones.write("North\r\nSouth");
    zones.close();

    HNode *pNode = m_pRig->node(node);
    QVERIFY(pNode);
    CControl *pControl = m_pRig->addDropList(QStringLiteral("List"), pNode, DropListRig::listBinding(), list);
    WDropList *pList = bindShown(pControl);
    QVERIFY(pList);
    QCOMPARE(pList->items(), items);
    QCOMPARE(pList->values(), values);
    if (node == QLatin1String("Source Choice"))
        QCOMPARE(pList->itemProperty("model").toStringList(), items);
    QVERIFY(chooseByClick(pList, choice));
    QTRY_COMPARE_WITH_TIMEOUT(m_pLink->sets(), QList<QByteArray>{set}, Patience);
    QCOMPARE(pList->itemProperty("currentText").toString(), items.at(choice));
}

void TestWDropListDevice::indexesTheListsDoNotHoldAreIgnored_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<bool>("fromPopup");

    QTest::newRow("-1") << -1 << false;
    QTest::newRow("below -1") << -7 << false;
    QTest::newRow("an entry without a value") << 2 << false;
    QTest::newRow("past the entries") << 3 << false;
    QTest::newRow("largest") << INT_MAX << false;
    QTest::newRow("smallest") << INT_MIN << false;
    QTest::newRow("clicked entry without a value") << 2 << true;
    QTest::newRow("pop-up reports past the entries") << 5 << true;
}

// The item may report any number as a choice: one that is not an entry of
// both lists sends nothing, changes nothing, and is never shown.
void TestWDropListDevice::indexesTheListsDoNotHoldAreIgnored()
{
    QFETCH(int, index);
    QFETCH(bool, fromPopup);

    CControl *pControl = m_pRig->addDropList(QStringLiteral("Mode"), m_pRig->node(QStringLiteral("Zone 2 Gain")),
                                             DropListRig::listBinding(),
                                             {{"msg", "A,B,C"}, {"index", "4,5"}});
    WDropList *pList = bindShown(pControl);
    QVERIFY(pList);
    QVERIFY(chooseByClick(pList, 0));
    QTRY_COMPARE_WITH_TIMEOUT(m_pLink->sets(), QList<QByteArray>{setOf("Zone 2 Gain", "4")}, Patience);

    if (fromPopup) {
        QVERIFY(m_pRig->openPopup(pList));
        QPointer<QObject> pPopup = pList->popup();
        if (QQuickItem *pEntry = DropListRig::entry(pList, index)) {
            m_pRig->click(DropListRig::centreOf(pEntry));
        } else {
            QVERIFY(QMetaObject::invokeMethod(pPopup, "listClick", Q_ARG(int, index)));
        }
        // Closed all the same.
        QVERIFY(!pList->popup());
        QTRY_VERIFY_WITH_TIMEOUT(!pPopup, Patience);
    } else {
        QVERIFY(QMetaObject::invokeMethod(pList, "outputCurrentIndex", Q_ARG(int, index)));
    }
    QVERIFY(flush());
    QCOMPARE(m_pLink->sets().size(), 1);
    QCOMPARE(pList->currentIndex(), 0);
    QCOMPARE(pList->itemProperty("currentIndex").toInt(), 0);
    QCOMPARE(pList->itemProperty("currentText").toString(), QStringLiteral("A"));
}

// Without a transform a choice is still the list's choice; there is
// nothing to send it with.
void TestWDropListDevice::choiceWithoutTransformIsTakenNotSent()
{
    CControl *pControl = m_pRig->addDropList(QStringLiteral("Mode"), m_pRig->node(QStringLiteral("Zone 2 Gain")),
                                             {{"index1", "1"}}, {{"msg", "Off,Low,High"}});
    WDropList *pList = bindShown(pControl);
    QVERIFY(pList);
    QVERIFY(!pList->transform());
    QVERIFY(pList->protocol());
    QVERIFY(chooseByClick(pList, 1));
    QCOMPARE(pList->currentIndex(), 1);
    QCOMPARE(pList->itemProperty("currentText").toString(), QStringLiteral("Low"));
    QVERIFY(flush());
    QCOMPARE(m_pLink->sets(), QList<QByteArray>());
}

VR_TEST_MAIN(TestWDropListDevice)
#include "tst_wdroplistdevice.moc"
