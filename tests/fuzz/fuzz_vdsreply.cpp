// Feeds arbitrary reply lines through the VDS reply parser and the
// subscription manager. A fresh protocol per input has transforms of every
// kind registered as poll (or subscription) targets, among them shared
// keys, a transform that is already gone and level lists of every block
// kind; no transport is attached, so the replies go straight into
// onDataReceived() the way the dispatcher hands them on.
//
// The first byte picks the mode: bit 0 subscribed, bit 1 delivery re-asks
// (as a widget does on a new value), bit 2 delivery empties the table.
// The rest is split at carriage returns and at ";" as the transport frames
// it; every piece also goes through each parser directly.

#include "comms/PVDSProtocol.h"
#include "comms/RoutingInfo.h"
#include "comms/SMSubscriptionManager.h"
#include "comms/TStrV.h"
#include "comms/TTransform.h"
#include "controls/CAttributes.h"
#include "controls/TTransformFactory.h"
#include "devices/HComposite.h"
#include "devices/HNode.h"

#include <QCoreApplication>
#include <QList>
#include <QXmlAttributes>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace {

void quiet(QtMsgType, const QMessageLogContext &, const QString &)
{
}

// One bound parameter: node, binding record and transform.
struct Binding
{
    Binding(quint32 kind, const QString &transformName, const QString &label)
        : transform(TTransformFactory::createTransform(transformName))
    {
        node.setLabel(label);
        node.setTitle(label);
        attributes.setAddressStruct(kind);
        attributes.setChannelLabel(QStringLiteral("Ch 1"));
        transform->setOwner(&attributes);
        transform->setOwnerNode(&node);
    }
    ~Binding() { node.setParent(nullptr); }

    void setChannel(int channel)
    {
        QXmlAttributes atts;
        atts.append(QStringLiteral("name"), QString(), QStringLiteral("name"),
                    QStringLiteral("channel"));
        atts.append(QStringLiteral("value"), QString(), QStringLiteral("value"),
                    QString::number(channel));
        node.readAttributes(atts);
    }

    HNode node;
    CAttributes attributes;
    std::unique_ptr<TTransform> transform;
    QString key; // the routing key it was registered under
};

struct Fixture
{
    Fixture()
    {
        rack.setTitle(QStringLiteral("Rack"));
        amplifier.setTitle(QStringLiteral("AV2"));
    }

    Binding *add(quint32 kind, const QString &transformName, const QString &label,
                 const QString &set = QString())
    {
        bindings.push_back(std::make_unique<Binding>(kind, transformName, label));
        Binding *pBinding = bindings.back().get();
        pBinding->attributes.setIndex1(2);
        pBinding->attributes.setIndex2(4);
        pBinding->attributes.setSet(set);
        pBinding->attributes.setDecimals(1);
        pBinding->transform->configure();
        return pBinding;
    }

    Binding *addLevel(const QString &title, const QString &label, int slot, int channel,
                      HComposite *pParent)
    {
        Binding *pBinding = add(CAttributes::StructLevelList, QStringLiteral("text"), label);
        pBinding->node.setTitle(title);
        pBinding->node.setParent(pParent);
        pBinding->setChannel(channel);
        pBinding->node.setIndex(channel % 3);
        pBinding->node.setLevelIndex(channel % 3);
        pBinding->transform->setDanteChannel(channel - 1);
        pBinding->transform->setUsbChannel(channel % 2);
        pBinding->transform->setOwnText(QStringLiteral("In-Ch 2"));
        pBinding->key = QStringLiteral("GL ") + QString::number(slot, 16).toUpper()
            + QLatin1Char('\r');
        return pBinding;
    }

    HComposite rack;
    HComposite amplifier;
    TStrV sub; // the sub-block of kind 3
    std::vector<std::unique_ptr<Binding>> bindings;
};

// Registers a binding's get command under its real key.
void registerBinding(SMSubscriptionManager *pManager, Binding *pBinding)
{
    if (pBinding->key.isEmpty()) {
        PVDSProtocol::Command command;
        if (!PVDSProtocol::buildGetCommand(pBinding->transform.get(), &command))
            return;
        pBinding->key = command.key;
    }
    pManager->addRequest(pBinding->key, int(pBinding->attributes.addressStruct()),
                         pBinding->transform.get(), QString());
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    static QCoreApplication app(*argc, *argv);
    qInstallMessageHandler(quiet);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0)
        return 0;
    const quint8 mode = data[0];
    const QByteArray input(reinterpret_cast<const char *>(data) + 1, qsizetype(size - 1));

    Fixture fixture;
    const QString gain = QStringLiteral("Gain1");
    fixture.add(CAttributes::StructNamedIndex, QStringLiteral("strV"), gain);
    fixture.add(CAttributes::StructNamedIndex, QStringLiteral("grpV"), gain); // shares the key
    fixture.add(CAttributes::StructNamedIndexAlt, QStringLiteral("bin8"), QStringLiteral("Mute"));
    fixture.add(CAttributes::StructNamedPair, QStringLiteral("strL"), gain,
                QStringLiteral("off,on,auto"));
    Binding *pSub = fixture.add(CAttributes::StructNamedSub, QStringLiteral("chrL"), gain,
                                QStringLiteral("A,B,C"));
    fixture.sub.setText(QStringLiteral("EQ2"));
    pSub->transform->setNext(&fixture.sub);
    fixture.add(CAttributes::StructSystem, QStringLiteral("hexL"), gain,
                QStringLiteral("00,01,0A,FF"));
    fixture.add(CAttributes::StructGain, QStringLiteral("grpV"), gain);
    fixture.add(CAttributes::StructNumber, QStringLiteral("strV"), gain);
    fixture.add(CAttributes::StructNamedIndexCompact, QStringLiteral("passThrough"), gain);
    fixture.add(CAttributes::StructMultiAssign, QStringLiteral("idx8"), gain);
    Binding *pRaw = fixture.add(CAttributes::StructRawCommand, QStringLiteral("text"), gain);
    pRaw->transform->setText(QStringLiteral("GRC 1\r"));
    pRaw->key = QStringLiteral("GRC 1\r");
    fixture.addLevel(QStringLiteral("PSTN In"), QStringLiteral("PSTN In"), 1, 0, &fixture.rack);
    fixture.addLevel(QStringLiteral("PSTN Out"), QStringLiteral("PSTN Out"), 2, 1, &fixture.rack);
    fixture.addLevel(QStringLiteral("USB Out"), QStringLiteral("USB Out"), 3, 1, &fixture.rack);
    fixture.addLevel(QStringLiteral("USB In"), QStringLiteral("USB In"), 4, 0, &fixture.rack);
    fixture.addLevel(QStringLiteral("VoIP Out"), QStringLiteral("VoIP Out"), 5, 1, &fixture.rack);
    fixture.addLevel(QStringLiteral("Analog In"), QStringLiteral("Analog In"), 6, 2,
                     &fixture.amplifier);
    fixture.addLevel(QStringLiteral("Mic"), QStringLiteral("Mic"), 7, 6, &fixture.rack);
    fixture.addLevel(QStringLiteral("Mic"), QStringLiteral("Mic"), 8, 17, nullptr);
    fixture.addLevel(QStringLiteral("Amp Output"), QStringLiteral("Amp Output"), 9, 5,
                     &fixture.rack);
    fixture.addLevel(QStringLiteral("Input 8"), QStringLiteral("Input 8"), 10, 3, &fixture.rack);
    fixture.addLevel(QStringLiteral("Dante 16"), QStringLiteral("Dante Out"), 11, 4,
                     &fixture.rack);
    fixture.addLevel(QStringLiteral("Dante 64"), QStringLiteral("Dante Out"), 12, 40,
                     &fixture.rack);

    PVDSProtocol protocol;
    SMSubscriptionManager *pManager = protocol.subscriptionManager();
    pManager->setSubscribed(mode & 1);
    for (const auto &pBinding : fixture.bindings)
        registerBinding(pManager, pBinding.get());
    {
        // A transform that goes before its reply comes.
        Binding gone(CAttributes::StructNamedIndex, QStringLiteral("strV"), gain);
        gone.attributes.setIndex1(2);
        registerBinding(pManager, &gone);
    }

    // Widgets ask again when a value arrives; the table changes while a
    // reply is being delivered.
    for (const auto &pBinding : fixture.bindings) {
        Binding *pB = pBinding.get();
        if (mode & 2) {
            QObject::connect(pB->transform.get(), &TTransform::replyValueReady, pB->transform.get(),
                             [pManager, pB]() { registerBinding(pManager, pB); });
        }
        if (mode & 4) {
            QObject::connect(pB->transform.get(), &TTransform::replyValueReady, pB->transform.get(),
                             [pManager]() { pManager->unsubscribeAll(false); });
        }
    }

    // The whole block once, as an unframed tail is handed on.
    protocol.onDataReceived(input, QString());
    const QList<QByteArray> blocks = input.split('\r');
    for (const QByteArray &block : blocks) {
        const QList<QByteArray> replies = block.split(';');
        for (const QByteArray &reply : replies) {
            protocol.onDataReceived(reply, QString());
            for (const auto &pBinding : fixture.bindings) {
                protocol.dispatchReply(reply, int(pBinding->attributes.addressStruct()),
                                       pBinding->transform.get());
            }
            protocol.dispatchReply(reply, PVDSProtocol::SubscriptionId, nullptr);
        }
    }
    // Reading back what the replies left.
    for (const auto &pBinding : fixture.bindings) {
        TTransform *pTransform = pBinding->transform.get();
        (void)pTransform->replyText();
        (void)pTransform->replyUIntValue();
        (void)pTransform->replyFloatValue();
        (void)pTransform->replyByteValue();
        (void)pTransform->displayText();
    }
    protocol.resetSubscriptions();
    return 0;
}
