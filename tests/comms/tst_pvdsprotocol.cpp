#include "VrTest.h"

#include "FakeProtocolHost.h"
#include "NodeProperties.h"
#include "RecordingProtocol.h"
#include "RecordingTcpClient.h"
#include "SimulatedVdsDevice.h"
#include "comms/ITcpClient.h"
#include "comms/PProtocolFactory.h"
#include "comms/PVDSProtocol.h"
#include "comms/RoutingInfo.h"
#include "comms/TBin8.h"
#include "comms/TStrV.h"
#include "comms/TText.h"
#include "controls/CAttributes.h"
#include "devices/HComposite.h"
#include "devices/HDXRLink.h"
#include "devices/HNode.h"

#include <QHostAddress>
#include <QSignalSpy>

#include <memory>

namespace {

constexpr int Patience = 8000;

// The transform's own read and write indexes in the command table: each
// differs from the others and from the binding's indexes, so a command
// that takes the wrong one shows it.
constexpr int kRead = 27; // 0x1b
constexpr int kReadSub = 6;
constexpr int kWrite = 7;
constexpr int kWriteSub = 8;

// A level list of n entries 0, 1, 2, ...
QByteArray sequence(int n)
{
    QList<QByteArray> entries;
    for (int i = 0; i < n; ++i)
        entries.append(QByteArray::number(i));
    return "GL 1 [" + entries.join(',') + "]";
}

// A transform bound to a node and a binding record.
struct Binding
{
    explicit Binding(quint32 kind, const QString &label = QStringLiteral("Gain1"))
    {
        node.setLabel(label);
        attributes.setAddressStruct(kind);
        transform.setOwner(&attributes);
        transform.setOwnerNode(&node);
    }
    HNode node;
    CAttributes attributes;
    TStrV transform;
};

// Queues a marker that waits for nothing and waits until the device has
// it: what the protocol queued before has reached the device by then.
bool sync(ITcpClient &client, SimulatedVdsDevice &device)
{
    static int marker = 0;
    const QByteArray text = "MARK" + QByteArray::number(++marker);
    device.setResponse("MARK", SimulatedVdsDevice::Response::silent());
    const QByteArray command = text + '\r';
    client.send(command.constData(), int(command.size()), IInterface::SendNoReply, "", 200);
    return QTest::qWaitFor([&]() { return device.commandTexts().contains(text); }, Patience);
}

} // namespace

class TestPVDSProtocol : public QObject
{
    Q_OBJECT

private slots:
    void factory_data()
    {
        QTest::addColumn<QString>("type");
        QTest::addColumn<QString>("name");
        QTest::newRow("DXR") << "DXR" << "VDS";
        QTest::newRow("DXR digits") << "DXR88" << "VDS";
        QTest::newRow("ARX") << "ARX-4" << "VDS";
        QTest::newRow("AV") << "AV2" << "VDS";
        QTest::newRow("Varolin") << "Varolin" << "VDS";
        QTest::newRow("lower case") << "dxr" << "";
        QTest::newRow("leading char") << "xDXR" << "";
        QTest::newRow("File") << "File" << "File";
        QTest::newRow("Files") << "Files" << "";
        QTest::newRow("Ventra") << "Ventra" << "Ventra";
        QTest::newRow("Ventra and more") << "Ventra2" << "Ventra";
        QTest::newRow("ventra in lower case") << "ventra" << "";
    }
    void factory()
    {
        QFETCH(QString, type);
        QFETCH(QString, name);
        std::unique_ptr<PProtocol> pProtocol(PProtocolFactory().createProtocol(type));
        QCOMPARE(pProtocol ? pProtocol->protocolName() : QString(), name);
    }

    // A family above comms makes its protocol known by its prefix; the
    // VDS families and the file protocol keep theirs.
    void factoryTakesRegisteredPrefix()
    {
        const auto protocolOf = [](const QString &type) {
            std::unique_ptr<PProtocol> pProtocol(PProtocolFactory().createProtocol(type));
            return pProtocol ? pProtocol->protocolName() : QString();
        };
        QCOMPARE(protocolOf(QStringLiteral("Tern")), QString());
        PProtocolFactory::registerProtocol(QStringLiteral("Tern"),
                                           []() -> PProtocol * { return new RecordingProtocol; });
        QCOMPARE(protocolOf(QStringLiteral("Tern")), QStringLiteral("Recording"));
        QCOMPARE(protocolOf(QStringLiteral("Tern 2")), QStringLiteral("Recording"));
        QCOMPARE(protocolOf(QStringLiteral("tern")), QString());
        QCOMPARE(protocolOf(QStringLiteral("DXR")), QStringLiteral("VDS"));
        QCOMPARE(protocolOf(QStringLiteral("File")), QStringLiteral("File"));
    }

    void commands_data()
    {
        QTest::addColumn<quint32>("kind");
        QTest::addColumn<int>("index1");
        QTest::addColumn<int>("index2");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("set");
        QTest::addColumn<QString>("get");
        QTest::addColumn<QString>("expected");
        // Read indexes r = 27, rs = 6; write indexes w = 7, ws = 8.
        QTest::newRow("0") << 0u << 2 << 4 << "-6.0" << "SA \"Gain1\">7=-6.0\r"
                           << "GA\"Gain1\">27\r" << "GA\"Gain1\">27=";
        QTest::newRow("1") << 1u << 3 << 4 << "1" << "SA \"Gain1\">7=1\r" << "GA\"Gain1\">27\r"
                           << "GA\"Gain1\">27=";
        QTest::newRow("2") << 2u << 1 << 4 << "5" << "SA \"Gain1\">7>8=5\r"
                           << "GA\"Gain1\">27>6\r" << "GA\"Gain1\">27>6=";
        // The sub-block is the linked transform's text; the set takes the
        // binding's second index, the get the read sub-index.
        QTest::newRow("3") << 3u << 2 << 4 << "3" << "SA \"Gain1\">EQ2>4=3\r"
                           << "GA \"Gain1\">EQ2>6\r" << "GA \"Gain1\">EQ2>6=";
        QTest::newRow("4") << 4u << 2 << 4 << "31" << "SS 1f \r" << "GS \r" << "S ";
        QTest::newRow("5") << 5u << 26 << 4 << "1" << "SG 1a,1\r" << "GG 1b\r" << "GG 1b";
        QTest::newRow("6") << 6u << 26 << 4 << "0" << "SN 1a,0\r" << "GN 1b\r" << "GN 1b";
        QTest::newRow("7") << 7u << 1 << 4 << "9" << "SA\"Ch 1\">4=9\r" << "GA\"Ch 1\">6\r"
                           << "GA\"Ch 1\">6=";
        QTest::newRow("8") << 8u << 3 << 5 << "7" << "MA \"Gain1\">7=7\r"
                           << "GA\"Gain1\">0>6\r" << "GA\"Gain1\">0>6=";
    }
    void commands()
    {
        QFETCH(quint32, kind);
        QFETCH(int, index1);
        QFETCH(int, index2);
        QFETCH(QString, value);
        Binding binding(kind);
        binding.attributes.setIndex1(index1);
        binding.attributes.setIndex2(index2);
        binding.attributes.setChannelLabel(QStringLiteral("Ch 1"));
        binding.transform.setIndexes(kRead, kReadSub, false);
        binding.transform.setWriteIndexes(kWrite, kWriteSub);
        TStrV sub;
        sub.setText(QStringLiteral("EQ2"));
        if (kind == CAttributes::StructNamedSub)
            QVERIFY(binding.transform.setNext(&sub));
        binding.transform.setText(value);
        QStringList sets;
        QVERIFY(PVDSProtocol::buildSetCommands(&binding.transform, &sets));
        QFETCH(QString, set);
        QCOMPARE(sets, QStringList{set});
        PVDSProtocol::Command get;
        QVERIFY(PVDSProtocol::buildGetCommand(&binding.transform, &get));
        QFETCH(QString, expected);
        QTEST(get.text, "get");
        QCOMPARE(get.expected, expected);
    }

    // Every command belongs to a bound block; an empty channel label names
    // nothing and a negative index would be written as "-1".
    void commandsRefused_data()
    {
        QTest::addColumn<quint32>("kind");
        QTest::addColumn<bool>("bound");
        QTest::addColumn<QString>("channelLabel");
        QTest::addColumn<int>("index1");
        QTest::addColumn<int>("readIndex");
        QTest::addColumn<bool>("setRefused");
        QTest::addColumn<bool>("getRefused");
        QTest::newRow("4 unbound") << 4u << false << "Ch 1" << 2 << 2 << true << true;
        QTest::newRow("5 unbound") << 5u << false << "Ch 1" << 2 << 2 << true << true;
        QTest::newRow("6 unbound") << 6u << false << "Ch 1" << 2 << 2 << true << true;
        QTest::newRow("7 unbound") << 7u << false << "Ch 1" << 2 << 2 << true << true;
        QTest::newRow("9 unbound") << 9u << false << "Ch 1" << 2 << 2 << true << true;
        QTest::newRow("7 empty label") << 7u << true << "" << 2 << 2 << true << true;
        // An own read index below 0 falls back to the binding's.
        QTest::newRow("5 negative index") << 5u << true << "Ch 1" << -1 << -1 << true << true;
        QTest::newRow("6 negative index") << 6u << true << "Ch 1" << -3 << 5 << true << false;
        QTest::newRow("5 bound") << 5u << true << "Ch 1" << 2 << 2 << false << false;
        QTest::newRow("7 bound") << 7u << true << "Ch 1" << 2 << 2 << false << false;
    }
    void commandsRefused()
    {
        QFETCH(quint32, kind);
        QFETCH(bool, bound);
        QFETCH(QString, channelLabel);
        QFETCH(int, index1);
        QFETCH(int, readIndex);
        Binding binding(kind);
        if (!bound)
            binding.transform.setOwnerNode(nullptr);
        binding.attributes.setChannelLabel(channelLabel);
        binding.attributes.setIndex1(index1);
        binding.transform.setIndexes(readIndex, 1, false);
        binding.transform.setText(kind == CAttributes::StructRawCommand ? QStringLiteral("SRC 1\r")
                                                                        : QStringLiteral("1"));
        QStringList sets;
        QTEST(!PVDSProtocol::buildSetCommands(&binding.transform, &sets), "setRefused");
        PVDSProtocol::Command get;
        if (kind != CAttributes::StructRawCommand)
            QTEST(!PVDSProtocol::buildGetCommand(&binding.transform, &get), "getRefused");

        // Through the protocol: nothing goes out and the answer is false.
        RecordingTcpClient client;
        client.setConnected(true);
        PVDSProtocol protocol;
        protocol.setInterface(&client);
        FakeProtocolHost host;
        protocol.setHost(&host);
        client.sent.clear();
        QFETCH(bool, setRefused);
        QCOMPARE(protocol.sendValue(&binding.transform), !setRefused);
        QCOMPARE(client.sent.isEmpty(), setRefused);
    }

    // Each request goes out with its send type, expected reply and
    // time-out; once the device confirmed the connection subscription, a
    // get becomes its subscription text, sent once, and a set no longer
    // waits for the acknowledge.
    void sendTypesAndSubscriptionTexts()
    {
        RecordingTcpClient client;
        client.setConnected(true);
        PVDSProtocol protocol;
        protocol.setInterface(&client);
        FakeProtocolHost host;
        protocol.setHost(&host);
        using Sent = RecordingTcpClient::Sent;
        auto same = [](const Sent &sent, const QByteArray &data, int type,
                       const QByteArray &expected) {
            return sent.data == data && sent.type == type && sent.expectedReply == expected
                && sent.timeoutMs == 200;
        };

        Binding gain(0);
        gain.attributes.setIndex1(2);
        Binding system(4);
        protocol.subscriptionManager()->onConnectionActive();
        QVERIFY(protocol.requestValue(&gain.transform));
        QCOMPARE(client.sent.size(), 2);
        QVERIFY(same(client.sent.at(0), "SUB\r", IInterface::SendWaitReply, "SUB"));
        QVERIFY(same(client.sent.at(1), "GA\"Gain1\">2\r", IInterface::SendWaitReply,
                     "GA\"Gain1\">2="));
        gain.transform.setText(QStringLiteral("-6.0"));
        QVERIFY(protocol.sendValue(&gain.transform));
        QVERIFY(same(client.sent.last(), "SA \"Gain1\">2=-6.0\r", IInterface::SendWaitAck, ""));

        protocol.onDataReceived("SUB,yes", QString());
        QVERIFY(protocol.isSubscribed());
        QVERIFY(client.isSubscribed());
        client.sent.clear();
        QVERIFY(protocol.requestValue(&gain.transform));
        QCOMPARE(client.sent.size(), 1);
        QVERIFY(same(client.sent.at(0), "SUB \"GA\"Gain1\">2\"\r", IInterface::SendWaitReply,
                     "SUB \"GA\"Gain1\">2\",yes"));
        QVERIFY(protocol.requestValue(&system.transform));
        QCOMPARE(client.sent.size(), 2);
        QVERIFY(same(client.sent.at(1), "SUB \"GS\"\r", IInterface::SendWaitReply,
                     "SUB \"GS\",yes"));
        // Subscribed keys send nothing more; the silence check restarts.
        const int starts = client.hostStatusStarts;
        QVERIFY(protocol.requestValue(&gain.transform));
        QVERIFY(protocol.requestValue(&system.transform));
        QCOMPARE(client.sent.size(), 2);
        QCOMPARE(client.hostStatusStarts, starts + 2);
        QVERIFY(protocol.sendValue(&gain.transform));
        QVERIFY(same(client.sent.last(), "SA \"Gain1\">2=-6.0\r", IInterface::SendNoReply, ""));

        // Level lists are polled whatever the subscription state.
        HComposite card;
        card.setTitle(QStringLiteral("Rack"));
        Binding level(CAttributes::StructLevelList);
        level.node.setTitle(QStringLiteral("Input 171"));
        level.node.setParent(&card);
        client.sent.clear();
        QVERIFY(protocol.requestValue(&level.transform));
        QCOMPARE(client.sent.size(), 1);
        QVERIFY(same(client.sent.at(0), "GL AB\r", IInterface::SendWaitReply, "GL AB"));
        level.node.setParent(nullptr);

        // A reset unsubscribes each subscription text.
        client.sent.clear();
        protocol.resetSubscriptions();
        QVERIFY(!protocol.isSubscribed());
        QCOMPARE(client.sent.size(), 2);
        QVERIFY(same(client.sent.at(0), "UNS \"GA\"Gain1\">2\"\r", IInterface::SendWaitReply,
                     "UNS \"GA\"Gain1\">2\",yes"));
        QVERIFY(same(client.sent.at(1), "UNS \"GS\"\r", IInterface::SendWaitReply,
                     "UNS \"GS\",yes"));
    }

    // On a subscribed connection a set waits for nothing; when the device
    // refuses it, the value is asked for once, so that what the device
    // holds is shown instead of the refused value.
    void refusedSetIsReadBack()
    {
        RecordingTcpClient client;
        client.setConnected(true);
        PVDSProtocol protocol;
        protocol.setInterface(&client);
        FakeProtocolHost host;
        protocol.setHost(&host);
        Binding gain(0);
        gain.attributes.setIndex1(2);
        QVERIFY(protocol.requestValue(&gain.transform));
        protocol.onDataReceived("SUB,yes", QString());
        QVERIFY(protocol.requestValue(&gain.transform));
        client.sent.clear();

        gain.transform.setText(QStringLiteral("4.0"));
        QVERIFY(protocol.sendValue(&gain.transform));
        gain.transform.setText(QStringLiteral("5.0"));
        QVERIFY(protocol.sendValue(&gain.transform));
        QCOMPARE(client.sent.size(), 2);
        // A refusal of something never sent, or of a set already answered
        // for, asks nothing.
        QSignalSpy refused(&gain.transform, &TTransform::valueRefused);
        protocol.onMessageRefused("SA \"Other\">2=1\r");
        QCOMPARE(client.sent.size(), 2);
        QCOMPARE(refused.size(), 0);

        protocol.onMessageRefused("SA \"Gain1\">2=4.0\r");
        QCOMPARE(client.sent.size(), 3);
        // The widgets learn of it before the answer comes.
        QCOMPARE(refused.size(), 1);
        const RecordingTcpClient::Sent &get = client.sent.last();
        QCOMPARE(get.data, QByteArray("GA\"Gain1\">2\r"));
        QCOMPARE(get.type, int(IInterface::SendWaitReply));
        QCOMPARE(get.expectedReply, QByteArray("GA\"Gain1\">2="));
        QCOMPARE(get.timeoutMs, 200);
        protocol.onMessageRefused("SA \"Gain1\">2=4.0\r");
        QCOMPARE(client.sent.size(), 3);
        QCOMPARE(refused.size(), 1);

        // The answer reaches the transform.
        QSignalSpy ready(&gain.transform, &TTransform::replyValueReady);
        protocol.onDataReceived("GA\"Gain1\">2=-20.0", QString());
        QCOMPARE(ready.size(), 1);
        QCOMPARE(gain.transform.replyText(), QStringLiteral("-20.0"));
    }

    void subBlockNeedsALinkedTransform()
    {
        Binding binding(CAttributes::StructNamedSub);
        binding.attributes.setIndex2(4);
        binding.transform.setText(QStringLiteral("1"));
        QStringList sets;
        PVDSProtocol::Command get;
        QVERIFY(!PVDSProtocol::buildSetCommands(&binding.transform, &sets));
        QVERIFY(!PVDSProtocol::buildGetCommand(&binding.transform, &get));
        TStrV sub;
        sub.setText(QStringLiteral("EQ2"));
        QVERIFY(binding.transform.setNext(&sub));
        QVERIFY(PVDSProtocol::buildSetCommands(&binding.transform, &sets));
        QCOMPARE(sets, QStringList{QStringLiteral("SA \"Gain1\">EQ2>4=1\r")});
        QVERIFY(PVDSProtocol::buildGetCommand(&binding.transform, &get));
        QCOMPARE(get.text, QStringLiteral("GA \"Gain1\">EQ2>4\r"));
    }

    void rawCommandsAndRoomQuery()
    {
        Binding binding(CAttributes::StructRawCommand);
        QStringList sets;
        binding.transform.setText(QStringLiteral("SRC 1,2\r;FAILURE::busy;SRC 3\r"));
        QVERIFY(PVDSProtocol::buildSetCommands(&binding.transform, &sets));
        QCOMPARE(sets, (QStringList{QStringLiteral("SRC 1,2\r"), QStringLiteral("SRC 3\r")}));
        binding.transform.setText(QString());
        QVERIFY(!PVDSProtocol::buildSetCommands(&binding.transform, &sets));
        binding.transform.setText(QStringLiteral("SRC 1\rSA \"x\">1=1\r"));
        QVERIFY(!PVDSProtocol::buildSetCommands(&binding.transform, &sets));
    }

    void levelListRequest_data()
    {
        QTest::addColumn<QString>("card");
        QTest::addColumn<QString>("get");
        QTest::newRow("slot 3") << "Input 3" << "GL 3\r";
        // Upper-case hex digits, unlike every other command.
        QTest::newRow("slot 171") << "Input 171" << "GL AB\r";
        QTest::newRow("slot 10") << "Input 10" << "GL A\r";
    }
    void levelListRequest()
    {
        QFETCH(QString, card);
        HComposite rack;
        rack.setTitle(QStringLiteral("Rack"));
        Binding binding(CAttributes::StructLevelList);
        PVDSProtocol::Command get;
        QVERIFY(!PVDSProtocol::buildGetCommand(&binding.transform, &get)); // no slot (-1)
        binding.node.setTitle(card);
        binding.node.setParent(&rack);
        QVERIFY(PVDSProtocol::buildGetCommand(&binding.transform, &get));
        QTEST(get.text, "get");
        QCOMPARE(get.expected, get.text.chopped(1));
        binding.node.setParent(nullptr);
    }

    void injectionBuildsNothing_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("value");
        QTest::newRow("CR in value") << "Gain1" << "1\rSA \"Mute\">1=1";
        QTest::newRow("LF in value") << "Gain1" << "1\n";
        QTest::newRow("NUL in value") << "Gain1" << QString("1") + QChar(0);
        QTest::newRow("quote in name") << "Ga\"in" << "1";
        QTest::newRow("CR in name") << "Gain\r1" << "1";
    }
    void injectionBuildsNothing()
    {
        QFETCH(QString, name);
        QFETCH(QString, value);
        for (quint32 kind : {0u, 2u, 5u, 7u, 8u}) {
            Binding binding(kind, name);
            binding.attributes.setChannelLabel(name);
            binding.transform.setText(value);
            QStringList sets;
            const bool safeName = !name.contains('"') && !name.contains('\r');
            const bool usesName = kind != 5;
            if (!safeName && !usesName)
                continue;
            QVERIFY2(!PVDSProtocol::buildSetCommands(&binding.transform, &sets),
                     qPrintable(QString::number(kind)));
            PVDSProtocol::Command get;
            if (!safeName)
                QVERIFY(!PVDSProtocol::buildGetCommand(&binding.transform, &get));
        }
    }

    void replies_data()
    {
        QTest::addColumn<quint32>("kind");
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<int>("deliveries");
        QTest::addColumn<QString>("delivered");
        QTest::newRow("address") << 0u << QByteArray("GA\"Gain1\">2=-6.0\r") << 1 << "-6.0";
        QTest::newRow("address ; cut") << 0u << QByteArray("GA\"Gain1\">2=3;x") << 1 << "3";
        QTest::newRow("other module") << 0u << QByteArray("GA\"Gain2\">2=1") << 0 << "";
        QTest::newRow("module name in other case") << 0u << QByteArray("GA\"gain1\">2=1") << 0 << "";
        QTest::newRow("sub-block") << 3u << QByteArray("GA \"Gain1\">EQ2>4=-3.0\r") << 1 << "-3.0";
        QTest::newRow("sub-block, one >") << 3u << QByteArray("GA \"Gain1\">4=1") << 0 << "";
        QTest::newRow("sub-block, other case") << 3u << QByteArray("GA \"GAIN1\">EQ2>4=1") << 0 << "";
        QTest::newRow("multi-assign, one >") << 8u << QByteArray("GA\"Gain1\">4=1") << 0 << "";
        QTest::newRow("compact, other label") << 7u << QByteArray("GA\"Ch 2\">2=on") << 0 << "";
        QTest::newRow("wrong > count") << 0u << QByteArray("GA\"Gain1\">2>1=1") << 0 << "";
        QTest::newRow("refused") << 0u << QByteArray("\x15") << 0 << "";
        QTest::newRow("ack is sync error") << 0u << QByteArray("\x06") << 1 << "SYNC_ERROR";
        QTest::newRow("NUL cuts") << 0u << QByteArray("GA\"Gain1\">2=4\0zz", 16) << 1 << "4";
        QTest::newRow("no =") << 0u << QByteArray("GA\"Gain1\">2") << 0 << "";
        QTest::newRow("quote first") << 0u << QByteArray("\"GA\">2=1") << 0 << "";
        QTest::newRow("pair") << 2u << QByteArray("GA\"Gain1\">1>4=x") << 1 << "x";
        QTest::newRow("compact") << 7u << QByteArray("GA\"Ch 1\">2=on") << 1 << "on";
        QTest::newRow("system") << 4u << QByteArray("S 1f\r") << 1 << "0x1f";
        QTest::newRow("system no blank") << 4u << QByteArray("S1f") << 0 << "";
        QTest::newRow("gain") << 5u << QByteArray("GG 1a,7c") << 1 << "7c";
        QTest::newRow("number no comma") << 6u << QByteArray("GN 1a") << 0 << "";
        QTest::newRow("raw") << 9u << QByteArray("GRC 1,2,3\r") << 1 << "GRC 1,2,3";
    }
    void replies()
    {
        QFETCH(quint32, kind);
        QFETCH(QByteArray, line);
        Binding binding(kind);
        binding.attributes.setChannelLabel(QStringLiteral("Ch 1"));
        PVDSProtocol protocol;
        QSignalSpy ready(&binding.transform, &TTransform::replyValueReady);
        protocol.dispatchReply(line, int(kind), &binding.transform);
        QTEST(int(ready.size()), "deliveries");
        if (!ready.isEmpty())
            QTEST(binding.transform.replyText(), "delivered");
        protocol.dispatchReply(line, int(kind), nullptr); // no target: nothing, no crash
    }

    void multiAssignIndexes()
    {
        Binding binding(CAttributes::StructMultiAssign);
        PVDSProtocol protocol;
        protocol.dispatchReply("GA\"Gain1\">12>34=5", 8, &binding.transform);
        QCOMPARE(binding.transform.replyIndex(), 12);
        QCOMPARE(binding.transform.replySubIndex(), 34);
        QCOMPARE(binding.transform.replyText(), QStringLiteral("5"));
    }

    // A multi-assign command carries "=" and its text only when there is a
    // text: the telephone block's end, accept and hold take none.
    void multiAssignWithAndWithoutText_data()
    {
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("set");
        QTest::newRow("end, no text") << 3 << "" << "MA \"Tel\">3\r";
        QTest::newRow("accept, no text") << 4 << "" << "MA \"Tel\">4\r";
        QTest::newRow("dial") << 2 << "\"5551234567\"" << "MA \"Tel\">2=\"5551234567\"\r";
        QTest::newRow("flash") << 1 << "!" << "MA \"Tel\">1=!\r";
        QTest::newRow("digit 0") << 1 << "0" << "MA \"Tel\">1=0\r";
    }
    void multiAssignWithAndWithoutText()
    {
        QFETCH(int, code);
        QFETCH(QString, text);
        HNode node;
        node.setLabel(QStringLiteral("Tel"));
        CAttributes attributes;
        attributes.setAddressStruct(CAttributes::StructMultiAssign);
        attributes.setIndex2(1);
        TText transform;
        transform.setOwner(&attributes);
        transform.setOwnerNode(&node);
        transform.setWriteIndexes(code, -1);
        transform.setText(text);
        QStringList sets;
        QVERIFY(PVDSProtocol::buildSetCommands(&transform, &sets));
        QFETCH(QString, set);
        QCOMPARE(sets, QStringList{set});
    }

    void managerClassesAndRoutes()
    {
        SMSubscriptionManager manager;
        TStrV first, second;
        const QString get = QStringLiteral("GA\"Gain1\">2\r");
        QCOMPARE(manager.addRequest(get, 0, &first, QString()), QStringLiteral("POLL"));
        QCOMPARE(manager.addRequest(get, 0, &second, QString()), QString());
        QCOMPARE(manager.addRequest(get, 0, &first, QString()), QStringLiteral("POLL"));
        QCOMPARE(manager.addRequest(get, 0, &second, QString()), QString());
        QCOMPARE(manager.routeReply(QStringLiteral("GA\"Gain1\">2=1")).size(), 2);
        QVERIFY(manager.routeReply(QStringLiteral("GA\"Gain1\">2=1=2")).isEmpty());
        QCOMPARE(manager.addRequest(QStringLiteral("GL AB\r"), 10, &first, QString()),
                 QStringLiteral("POLL"));
        QCOMPARE(manager.routeReply(QStringLiteral("GL ab [1,2]")).size(), 1);
        QCOMPARE(manager.addRequest(QStringLiteral("GRC 1\r"), 9, &first, QString()),
                 QStringLiteral("POLL"));
        QCOMPARE(manager.routeReply(QStringLiteral("GRC 1,2,3")).size(), 1);
        // The placeholder of the connection subscription was stored first.
        const QList<RoutingInfo *> placeholder = manager.routeReply(QStringLiteral("SUB,yes"));
        QCOMPARE(placeholder.size(), 1);
        QCOMPARE(placeholder.first()->id(), RoutingInfo::SubscriptionPlaceholderId);

        // A transform that has gone is dropped; the next asker polls.
        {
            TStrV gone;
            QCOMPARE(manager.addRequest(QStringLiteral("GG 1\r"), 5, &gone, QString()),
                     QStringLiteral("POLL"));
        }
        QCOMPARE(manager.routeReply(QStringLiteral("GG 1,2")).first()->target(), nullptr);
        QCOMPARE(manager.addRequest(QStringLiteral("GG 1\r"), 5, &second, QString()),
                 QStringLiteral("POLL"));

        manager.setSubscribed(true);
        QCOMPARE(manager.addRequest(get, 0, &first, QString()), QStringLiteral("SUB"));
        // The protocol registers the subscription text it sends; from then
        // on the same request, and the text itself, are sent no more.
        const QString subscription = QStringLiteral("SUB \"GA\"Gain1\">2\"");
        QCOMPARE(manager.addRequest(subscription, 0, &first, QString()), QStringLiteral("SUB"));
        QCOMPARE(manager.addRequest(get, 0, &first, QString()), QString());
        QCOMPARE(manager.addRequest(subscription, 0, &first, QString()), QString());
        QCOMPARE(manager.addRequest(get, 0, &first, QString()), QString());
        QCOMPARE(manager.routeReply(subscription + QStringLiteral(",yes")).size(), 1);
        manager.unsubscribeAll(false);
        QVERIFY(manager.isEmpty());
    }

    void connectionActive_data()
    {
        QTest::addColumn<QList<int>>("states"); // the device's answers: 1 subscribed, 0 refused
        QTest::addColumn<bool>("asks");
        QTest::newRow("no subscription state") << QList<int>{} << true;
        QTest::newRow("subscribed") << QList<int>{1} << false;
        QTest::newRow("subscription refused") << QList<int>{0} << false;
        QTest::newRow("refused, then subscribed") << QList<int>{0, 1} << false;
    }

    // A connection that becomes active asks for the connection subscription
    // only while it has no subscription state; one the device has answered,
    // either way, is asked nothing again.
    void connectionActive()
    {
        QFETCH(QList<int>, states);
        QFETCH(bool, asks);
        RecordingTcpClient client;
        client.setConnected(true);
        SMSubscriptionManager manager;
        manager.setInterface(&client);
        QVERIFY(client.sent.isEmpty());
        for (int state : states)
            client.setSubscribed(state == 1);
        emit client.connectionActive();
        QCOMPARE(client.sentData(), asks ? QList<QByteArray>{"SUB\r"} : QList<QByteArray>{});
        if (asks) {
            QCOMPARE(client.sent.first().type, int(IInterface::SendWaitReply));
            QCOMPARE(client.sent.first().expectedReply, QByteArray("SUB"));
            QCOMPARE(client.sent.first().timeoutMs, 200);
        }
        // Straight on the slot, as the protocol's first request after an
        // empty table calls it: the same rule.
        client.sent.clear();
        manager.onConnectionActive();
        QCOMPARE(client.sentData(), asks ? QList<QByteArray>{"SUB\r"} : QList<QByteArray>{});
    }

    void levelLists_data()
    {
        QTest::addColumn<QString>("title");
        QTest::addColumn<int>("channel");
        QTest::addColumn<int>("dante");
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<QString>("delivered"); // "-" for nothing
        QTest::newRow("PSTN In") << "PSTN In" << 0 << -1 << QByteArray("GL 1 [a,b]") << "a";
        QTest::newRow("PSTN Out") << "PSTN Out" << 0 << -1 << QByteArray("GL 1 [a,b]") << "b";
        QTest::newRow("four, channel 6") << "Mic" << 6 << -1 << QByteArray("GL 1 [a,b,c,d]") << "c";
        QTest::newRow("four, channel 16") << "Mic" << 16 << -1 << QByteArray("GL 1 [a,b,c,d]")
                                          << "GL 1 [a,b,c,d]";
        QTest::newRow("amp out of range") << "Amp Output" << 9 << -1
                                          << QByteArray("GL 1 [a,b,c,d,e,f,g,h]") << "-";
        QTest::newRow("amp") << "Amp Output" << 2 << -1 << QByteArray("GL 1 [a,b,c,d,e,f,g,h]")
                             << "c";
        QTest::newRow("dante") << "Dante 16" << 0 << 3 << QByteArray("GL 1 [0,1,2,3,4,5,6,7,8,9]")
                               << "3";
        QTest::newRow("dante negative") << "Dante 16" << 0 << -1
                                        << QByteArray("GL 1 [0,1,2,3,4,5,6,7,8,9]") << "-";
        QTest::newRow("dante past list") << "Dante 16" << 0 << 40
                                         << QByteArray("GL 1 [0,1,2,3,4,5,6,7,8,9]") << "-";
        QTest::newRow("usb out past") << "USB Out" << 0 << -1 << QByteArray("GL 1 [a,b]") << "-";
        QTest::newRow("no brackets") << "PSTN In" << 0 << -1 << QByteArray("GL 1 a,b") << "-";
        QTest::newRow("two tokens") << "PSTN In" << 0 << -1 << QByteArray("GL 1") << "-";
        QTest::newRow("dante out, 32 entries") << "Dante Out" << 0 << 3 << sequence(32) << "19";
        QTest::newRow("dante out, 64 entries") << "Dante Out" << 0 << 3 << sequence(64) << "35";
        QTest::newRow("dante out, 10 entries") << "Dante Out" << 0 << 3 << sequence(10) << "3";
        QTest::newRow("dante in, 32 entries") << "Dante In" << 0 << 3 << sequence(32) << "3";
        QTest::newRow("not dante, many entries") << "Mic" << 0 << 3 << sequence(10)
                                                 << QString::fromLatin1(sequence(10));
        QTest::newRow("eight entries, no channel text") << "Mic" << 2 << -1
                                                        << QByteArray("GL 1 [a,b,c,d,e,f,g,h]") << "-";
        QTest::newRow("five entries") << "Mic" << 2 << -1 << QByteArray("GL 1 [a,b,c,d,e]")
                                      << "GL 1 [a,b,c,d,e]";
    }
    void levelLists()
    {
        QFETCH(QString, title);
        QFETCH(int, channel);
        QFETCH(int, dante);
        QFETCH(QByteArray, line);
        QFETCH(QString, delivered);
        Binding binding(CAttributes::StructLevelList);
        binding.node.setTitle(title);
        binding.node.setLabel(title);
        // The level channel is the node's channel.
        NodeProperties::read(binding.node, {QStringLiteral("channel=%1").arg(channel)});
        binding.transform.setDanteChannel(dante);
        binding.transform.setUsbChannel(1);
        PVDSProtocol protocol;
        QSignalSpy ready(&binding.transform, &TTransform::replyValueReady);
        protocol.dispatchReply(line, 10, &binding.transform);
        QCOMPARE(ready.size(), delivered == "-" ? 0 : 1);
        if (!ready.isEmpty())
            QCOMPARE(binding.transform.replyText(), delivered);
    }

    // The entry follows the node's level channel and level index, which
    // the design's "channel" and "index" set and which can be set apart.
    void levelListPlaces_data()
    {
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("parent");
        QTest::addColumn<QStringList>("properties");
        QTest::addColumn<int>("levelChannel"); // -1: as read
        QTest::addColumn<int>("levelIndex");   // -1: as read
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<QString>("delivered");
        const QByteArray four("GL 1 [a,b,c,d]");
        const QByteArray eight("GL 1 [a,b,c,d,e,f,g,h]");
        QTest::newRow("channel read") << "Mic" << "Rack" << QStringList{"channel=1"} << -1 << -1 << four << "b";
        QTest::newRow("level channel set") << "Mic" << "Rack" << QStringList{"channel=1"} << 3 << -1 << four << "d";
        QTest::newRow("amp, level channel") << "Amp Output" << "Rack" << QStringList{"channel=2"} << 6 << -1
                                            << eight << "g";
        QTest::newRow("VoIP, index read") << "VoIP Out" << "Rack" << QStringList{"index=1"} << -1 << -1 << four
                                          << "d";
        QTest::newRow("VoIP, level index set") << "VoIP In" << "Rack" << QStringList{"index=1"} << -1 << 0
                                               << four << "a";
        QTest::newRow("VoIP In, index 1") << "VoIP In" << "Rack" << QStringList{"index=1"} << -1 << -1 << four
                                          << "b";
        QTest::newRow("VoIP Out, index 0") << "VoIP Out" << "Rack" << QStringList{"index=0"} << -1 << -1 << four
                                           << "c";
        QTest::newRow("VoIP, other index") << "VoIP In" << "Rack" << QStringList{"index=2"} << -1 << -1 << four
                                           << "0";
        // Not four entries: the block type no longer decides.
        QTest::newRow("VoIP, eight entries") << "VoIP In" << "Rack" << QStringList{"index=1"} << -1 << -1 << eight
                                             << "-";
        // The input rule holds for amplifiers only; elsewhere the level
        // channel picks.
        QTest::newRow("analog input of a processor") << "Analog In" << "Rack" << QStringList{"channel=1"} << -1
                                                     << 3 << four << "b";
        QTest::newRow("AV input, level index") << "Analog In" << "AV2" << QStringList{"index=0"} << -1 << 5
                                               << eight << "f";
        QTest::newRow("AV input, index read") << "Digital In" << "AR8" << QStringList{"index=2"} << -1 << -1
                                              << eight << "c";
    }
    void levelListPlaces()
    {
        QFETCH(QString, title);
        QFETCH(QString, parent);
        QFETCH(QStringList, properties);
        QFETCH(int, levelChannel);
        QFETCH(int, levelIndex);
        QFETCH(QByteArray, line);
        QFETCH(QString, delivered);
        HComposite device;
        device.setTitle(parent);
        auto *pNode = new HNode;
        device.addChild(pNode);
        pNode->setTitle(title);
        pNode->setLabel(title);
        NodeProperties::read(*pNode, properties);
        if (levelChannel >= 0)
            pNode->setLevelChannel(levelChannel);
        if (levelIndex >= 0)
            pNode->setLevelIndex(levelIndex);
        CAttributes attributes;
        attributes.setAddressStruct(CAttributes::StructLevelList);
        TStrV transform;
        transform.setOwner(&attributes);
        transform.setOwnerNode(pNode);
        PVDSProtocol protocol;
        QSignalSpy ready(&transform, &TTransform::replyValueReady);
        protocol.dispatchReply(line, 10, &transform);
        QCOMPARE(ready.size(), delivered == "-" ? 0 : 1);
        if (!ready.isEmpty())
            QCOMPARE(transform.replyText(), delivered);
    }

    // Eight entries for a block other than an amplifier output: the
    // transform's own text names the channel after its "-", and the entry
    // sits where the node lists that channel label.
    void eightEntryListByChannelLabel_data()
    {
        QTest::addColumn<QString>("ownText");
        QTest::addColumn<QString>("delivered");
        QTest::newRow("second label") << "Link A-Booth" << "b";
        QTest::newRow("first label") << "Link A-Stage" << "a";
        QTest::newRow("unknown label") << "Link A-Foyer" << "-";
        QTest::newRow("no dash") << "Booth" << "-";
    }
    void eightEntryListByChannelLabel()
    {
        QFETCH(QString, ownText);
        QFETCH(QString, delivered);
        HDXRLink link;
        NodeProperties::read(link, {"label1=Stage", "label2=Booth", "label=Link A"});
        CAttributes attributes;
        attributes.setAddressStruct(CAttributes::StructLevelList);
        TStrV transform;
        transform.setOwner(&attributes);
        transform.setOwnerNode(&link);
        transform.setOwnText(ownText);
        PVDSProtocol protocol;
        QSignalSpy ready(&transform, &TTransform::replyValueReady);
        protocol.dispatchReply("GL 5 [a,b,c,d,e,f,g,h]", 10, &transform);
        QCOMPARE(ready.size(), delivered == "-" ? 0 : 1);
        if (!ready.isEmpty())
            QCOMPARE(transform.replyText(), delivered);
    }

    // Against the simulated device over TCP: polls answered and delivered,
    // a set acknowledged with polling paused, a subscription with pushed
    // values, "UNS" on reset, a silent reset on going off line, and the
    // connection subscription renewed after a reconnect.
    void endToEnd()
    {
        SimulatedVdsDevice device;
        device.setValueStoreEnabled(true);
        device.setSubscriptionAccepted(false);
        device.setValue("GA\"Gain1\">2", "-6.0");
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
        // The connection subscription is asked for and refused: poll mode.
        QTRY_COMPARE_WITH_TIMEOUT(device.commandCount("SUB"), 1, Patience);
        QTRY_VERIFY_WITH_TIMEOUT(client.hasSubscriptionState(), Patience);
        QVERIFY(!protocol.isSubscribed());

        Binding a(0), b(0);
        a.attributes.setIndex1(2);
        b.attributes.setIndex1(2);
        QSignalSpy readyA(&a.transform, &TTransform::replyValueReady);
        QSignalSpy readyB(&b.transform, &TTransform::replyValueReady);
        QVERIFY(protocol.requestValue(&a.transform));
        QVERIFY(protocol.requestValue(&b.transform)); // shares a's poll
        QTRY_COMPARE_WITH_TIMEOUT(readyB.size(), 1, Patience);
        QCOMPARE(readyA.size(), 1);
        QCOMPARE(a.transform.replyText(), QStringLiteral("-6.0"));
        QCOMPARE(device.commandCount("GA"), 1);

        // A set is acknowledged and pauses the host's polling, once.
        a.transform.setText(QStringLiteral("-3.0"));
        QVERIFY(host.pollingCalls.isEmpty());
        QVERIFY(protocol.sendValue(&a.transform));
        QCOMPARE(host.pollingCalls, QList<bool>{false});
        QTRY_COMPARE_WITH_TIMEOUT(device.value("GA\"Gain1\">2"), QByteArray("-3.0"), Patience);

        // A malformed reply delivers nothing and breaks nothing.
        protocol.onDataReceived("GA\"Gain1\">2=1=2", QString());
        protocol.onDataReceived(QByteArray("\0\0", 2), QString());
        QCOMPARE(readyA.size(), 1);

        // Subscribe mode: the device accepts; the next request subscribes
        // and later sets are pushed back by the device.
        device.setSubscriptionAccepted(true);
        const int sentBefore = int(device.commands().size());
        protocol.onOnlineStateChanged(false); // forgets silently
        QVERIFY(protocol.subscriptionManager()->isEmpty());
        QVERIFY(sync(client, device));
        QCOMPARE(device.commands().size(), sentBefore + 1); // the marker alone
        client.notifyOwner(); // connected: resets; the table is empty
        QVERIFY(protocol.requestValue(&a.transform)); // restarts "SUB", polls once
        QTRY_VERIFY_WITH_TIMEOUT(protocol.isSubscribed(), Patience);
        QVERIFY(protocol.requestValue(&a.transform)); // now subscribes
        QTRY_COMPARE_WITH_TIMEOUT(device.subscriptions(), QList<QByteArray>{"GA\"Gain1\">2"},
                                  Patience);
        const int readyBeforePush = int(readyA.size());
        a.transform.setText(QStringLiteral("-9.5"));
        QVERIFY(protocol.sendValue(&a.transform));
        QTRY_VERIFY_WITH_TIMEOUT(readyA.size() > readyBeforePush
                                     && a.transform.replyText() == QLatin1String("-9.5"),
                                 Patience);
        const int getsBefore = device.commandCount("GA");
        const int subscriptionsBefore = device.commandCount("SUB");
        QVERIFY(protocol.requestValue(&a.transform)); // subscribed: nothing sent
        QVERIFY(sync(client, device));
        QCOMPARE(device.commandCount("GA"), getsBefore);
        QCOMPARE(device.commandCount("SUB"), subscriptionsBefore);

        // Off line while subscribed: the table goes without a word to the
        // device, which still holds the subscription.
        protocol.onOnlineStateChanged(false);
        QVERIFY(protocol.subscriptionManager()->isEmpty());
        QVERIFY(!protocol.isSubscribed());
        QVERIFY(sync(client, device));
        QCOMPARE(device.commandCount("UNS"), 0);
        QCOMPARE(device.subscriptions(), QList<QByteArray>{"GA\"Gain1\">2"});
        client.notifyOwner(); // connected: the client forgets its state too
        QVERIFY(protocol.requestValue(&a.transform)); // "SUB" again, then a poll
        QTRY_VERIFY_WITH_TIMEOUT(protocol.isSubscribed(), Patience);
        QVERIFY(protocol.requestValue(&a.transform)); // subscribes again
        QTRY_COMPARE_WITH_TIMEOUT(device.commandCount("SUB \"GA\"Gain1\">2\""), 2, Patience);

        // A reset unsubscribes on the device.
        protocol.resetSubscriptions();
        QTRY_VERIFY_WITH_TIMEOUT(device.subscriptions().isEmpty(), Patience);
        QCOMPARE(device.commandCount("UNS \"GA\"Gain1\">2\""), 1);

        // A dropped line is renewed and the next request asks for "SUB" again.
        QVERIFY(protocol.requestValue(&a.transform));
        const int subsBefore = device.commandCount("SUB");
        device.dropClients();
        QTRY_VERIFY_WITH_TIMEOUT(!client.isConnected(), Patience);
        QTRY_VERIFY_WITH_TIMEOUT(client.isConnected(), Patience);
        QVERIFY(protocol.requestValue(&a.transform));
        QTRY_VERIFY_WITH_TIMEOUT(device.commandCount("SUB") > subsBefore, Patience);
        QTRY_VERIFY_WITH_TIMEOUT(protocol.isSubscribed(), Patience);
        client.close();
    }
};

VR_TEST_MAIN(TestPVDSProtocol)
#include "tst_pvdsprotocol.moc"
