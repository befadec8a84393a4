#include "comms/PVDSProtocol.h"

#include "comms/ITcpClient.h"
#include "comms/RoutingInfo.h"
#include "comms/TBinding.h"
#include "comms/TBoundNode.h"
#include "comms/TTransform.h"

#include <QCoreApplication>
#include <QDebug>
#include <QRegularExpression>
#include <QTime>

namespace {

const QChar kCr(QLatin1Char('\r'));
const QChar kQuote(QLatin1Char('"'));

// Text from the panel or design file that goes into a command line: a line
// end or NUL would let it smuggle in a command of its own.
bool isSafeValue(const QString &text)
{
    return !text.contains(QLatin1Char('\r')) && !text.contains(QLatin1Char('\n'))
        && !text.contains(QChar(0));
}

// A quoted name must also not close its quotes early.
bool isSafeName(const QString &text)
{
    return isSafeValue(text) && !text.contains(kQuote);
}

QString quoted(const QString &name)
{
    return kQuote + name + kQuote;
}

QString hex(int value)
{
    return QString::number(value, 16);
}

// The line up to its first NUL byte.
QByteArray upToNul(const QByteArray &data)
{
    const qsizetype nul = data.indexOf('\0');
    return nul < 0 ? data : data.left(nul);
}

// One trailing carriage return off, and the part from the first ";" on.
QByteArray trimmedReply(QByteArray line)
{
    if (line.endsWith('\r'))
        line.chop(1);
    const qsizetype semicolon = line.indexOf(';');
    if (semicolon >= 0)
        line.truncate(semicolon);
    return line;
}

bool refuseUnsafe(const char *what)
{
    qDebug() << "PVDSProtocol: command refused, unsafe" << what;
    return false;
}

// The block name that the named addressing kinds put in quotes: the node's
// label. False without a node, whatever the kind: every command belongs to
// a bound block; and for the named kinds with an unsafe label.
bool addressedName(quint32 kind, const TBoundNode *pNode, QString *pName)
{
    *pName = pNode ? pNode->label() : QString();
    if (!pNode) {
        qDebug() << "PVDSProtocol: command refused, no bound node";
        return false;
    }
    const bool needsName = kind <= TBinding::StructNamedSub
        || kind == TBinding::StructMultiAssign;
    if (needsName && !isSafeName(*pName))
        return refuseUnsafe("name");
    return true;
}

// The channel label of addressing kind 7; an empty one names nothing.
bool compactLabel(const TBinding *pAttributes, QString *pLabel)
{
    *pLabel = pAttributes->channelLabel();
    if (pLabel->isEmpty()) {
        qDebug() << "PVDSProtocol: command refused, empty channel label";
        return false;
    }
    if (!isSafeName(*pLabel))
        return refuseUnsafe("channel label");
    return true;
}

// The index of addressing kinds 5 and 6, written in hex: a negative one
// would go out as "-1".
bool hexIndex(int index)
{
    if (index >= 0)
        return true;
    qDebug() << "PVDSProtocol: command refused, negative index" << index;
    return false;
}

// The sub-block name of addressing kind 3: the text of the linked
// transform. False (with a debug line) without a link or for an unsafe name.
bool subBlockName(const TTransform *pTransform, const char *use, QString *pName)
{
    const TTransform *pNext = pTransform->next();
    if (!pNext) {
        qDebug().noquote() << QStringLiteral("PVDSProtocol: sub-block %1 without a linked transform")
                                  .arg(QLatin1String(use));
        return false;
    }
    *pName = pNext->text();
    if (!isSafeName(*pName))
        return refuseUnsafe("sub-block");
    return true;
}

} // namespace

PVDSProtocol::PVDSProtocol(QObject *parent)
    : PProtocol(parent)
{
}

PVDSProtocol::~PVDSProtocol() = default;

void PVDSProtocol::setInterface(IInterface *pInterface)
{
    IInterface *pOld = transport();
    if (pOld && pOld != pInterface)
        disconnect(pOld, nullptr, this, nullptr);
    PProtocol::setInterface(pInterface);
    m_transportAttached = false;
    attachTransport();
}

void PVDSProtocol::setHost(PProtocolHost *pHost)
{
    PProtocol::setHost(pHost);
    attachTransport();
}

void PVDSProtocol::attachTransport()
{
    IInterface *pInterface = transport();
    if (m_transportAttached || !pInterface || !host())
        return;
    m_transportAttached = true;
    m_manager.setInterface(pInterface);
    // A reconnect starts without the device's subscriptions, and the client
    // announces only its first connection: forget the table when the line
    // drops, so the next request starts the connection subscription anew.
    connect(pInterface, &IInterface::interfaceStateChanged, this,
            &PVDSProtocol::onTransportStateChanged, Qt::UniqueConnection);
}

void PVDSProtocol::onTransportStateChanged(bool connected)
{
    if (connected)
        return;
    m_unconfirmedSets.clear();
    // The client has already cleared its own subscription state.
    m_manager.unsubscribeAll(false);
    m_manager.setSubscribed(false);
    m_subscribed = false;
}

bool PVDSProtocol::buildSetCommands(TTransform *pTransform, QStringList *pCommands)
{
    if (!pTransform || !pTransform->owner() || !pCommands)
        return false;
    const TBinding *pAttributes = pTransform->owner();
    const TBoundNode *pNode = pTransform->ownerNode();
    const quint32 kind = pAttributes->addressStruct();
    const QString value = pTransform->text();
    if (kind != TBinding::StructRawCommand && !isSafeValue(value))
        return refuseUnsafe("value");

    QString name;
    if (!addressedName(kind, pNode, &name))
        return false;

    QString command;
    switch (kind) {
    case TBinding::StructNamedIndex:
    case TBinding::StructNamedIndexAlt:
        command = QStringLiteral("SA ") + quoted(name) + QLatin1Char('>')
            + QString::number(pTransform->writeIndex()) + QLatin1Char('=') + value;
        break;
    case TBinding::StructNamedPair:
        command = QStringLiteral("SA ") + quoted(name) + QLatin1Char('>')
            + QString::number(pTransform->writeIndex()) + QLatin1Char('>')
            + QString::number(pTransform->writeSubIndex()) + QLatin1Char('=') + value;
        break;
    case TBinding::StructNamedSub: {
        QString sub;
        if (!subBlockName(pTransform, "command", &sub))
            return false;
        command = QStringLiteral("SA ") + quoted(name) + QLatin1Char('>') + sub + QLatin1Char('>')
            + QString::number(pAttributes->index2()) + QLatin1Char('=') + value;
        break;
    }
    case TBinding::StructSystem:
        command = QStringLiteral("SS ") + QString::number(pTransform->uintValue(), 16)
            + QLatin1Char(' ');
        break;
    case TBinding::StructGain:
        if (!hexIndex(pAttributes->index1()))
            return false;
        command = QStringLiteral("SG ") + hex(pAttributes->index1()) + QLatin1Char(',') + value;
        break;
    case TBinding::StructNumber:
        if (!hexIndex(pAttributes->index1()))
            return false;
        command = QStringLiteral("SN ") + hex(pAttributes->index1()) + QLatin1Char(',') + value;
        break;
    case TBinding::StructNamedIndexCompact: {
        QString label;
        if (!compactLabel(pAttributes, &label))
            return false;
        command = QStringLiteral("SA") + quoted(label) + QLatin1Char('>')
            + QString::number(pAttributes->index2()) + QLatin1Char('=') + value;
        break;
    }
    case TBinding::StructMultiAssign:
        // A command without an argument (end, accept, hold) has no "=".
        command = QStringLiteral("MA ") + quoted(name) + QLatin1Char('>')
            + QString::number(pTransform->writeIndex());
        if (!value.isEmpty())
            command += QLatin1Char('=') + value;
        break;
    case TBinding::StructRawCommand: {
        // Each piece is a whole command line of its own; a "FAILURE::" text
        // is a message for the operator and never goes to the device.
        QStringList pieces;
        const QStringList parts = value.split(QLatin1Char(';'));
        for (const QString &piece : parts) {
            if (piece.isEmpty() || piece.startsWith(QLatin1String("FAILURE::")))
                continue;
            if (!piece.endsWith(kCr) || !isSafeValue(piece.chopped(1)))
                return refuseUnsafe("raw command");
            pieces.append(piece);
        }
        if (pieces.isEmpty())
            return false;
        *pCommands = pieces;
        return true;
    }
    default:
        return false;
    }
    *pCommands = QStringList{command + kCr};
    return true;
}

bool PVDSProtocol::buildGetCommand(TTransform *pTransform, Command *pCommand)
{
    if (!pTransform || !pTransform->owner() || !pCommand)
        return false;
    const TBinding *pAttributes = pTransform->owner();
    const TBoundNode *pNode = pTransform->ownerNode();
    const quint32 kind = pAttributes->addressStruct();
    QString name;
    if (!addressedName(kind, pNode, &name))
        return false;

    QString line; // without its carriage return
    QString expected;
    switch (kind) {
    case TBinding::StructNamedIndex:
    case TBinding::StructNamedIndexAlt:
        line = QStringLiteral("GA") + quoted(name) + QLatin1Char('>')
            + QString::number(pTransform->readIndex());
        expected = line + QLatin1Char('=');
        break;
    case TBinding::StructNamedPair:
        line = QStringLiteral("GA") + quoted(name) + QLatin1Char('>')
            + QString::number(pTransform->readIndex()) + QLatin1Char('>')
            + QString::number(pTransform->readSubIndex());
        expected = line + QLatin1Char('=');
        break;
    case TBinding::StructNamedSub: {
        QString sub;
        if (!subBlockName(pTransform, "request", &sub))
            return false;
        line = QStringLiteral("GA ") + quoted(name) + QLatin1Char('>') + sub + QLatin1Char('>')
            + QString::number(pTransform->readSubIndex());
        expected = line + QLatin1Char('=');
        break;
    }
    case TBinding::StructSystem:
        pCommand->text = QStringLiteral("GS \r");
        pCommand->expected = QStringLiteral("S ");
        pCommand->key = QStringLiteral("S");
        return true;
    case TBinding::StructGain:
    case TBinding::StructNumber:
        if (!hexIndex(pTransform->readIndex()))
            return false;
        line = (kind == TBinding::StructGain ? QStringLiteral("GG ") : QStringLiteral("GN "))
            + hex(pTransform->readIndex());
        expected = line;
        break;
    case TBinding::StructNamedIndexCompact: {
        QString label;
        if (!compactLabel(pAttributes, &label))
            return false;
        line = QStringLiteral("GA") + quoted(label) + QLatin1Char('>')
            + QString::number(pTransform->readSubIndex());
        expected = line + QLatin1Char('=');
        break;
    }
    case TBinding::StructMultiAssign:
        line = QStringLiteral("GA") + quoted(name) + QStringLiteral(">0>")
            + QString::number(pTransform->readSubIndex());
        expected = line + QLatin1Char('=');
        break;
    case TBinding::StructRawCommand: {
        const QString source = pTransform->sourceText();
        if (source.isEmpty() || source.startsWith(QLatin1String("FAILURE::"))
            || !source.endsWith(kCr))
            return false;
        line = source.chopped(1);
        if (!isSafeValue(line))
            return refuseUnsafe("raw command");
        // The device answers a room query as "GRC g,...".
        expected = line + QLatin1Char(',');
        break;
    }
    case TBinding::StructLevelList:
        return buildLevelCommand(pTransform, pCommand);
    default:
        return false;
    }
    pCommand->text = line + kCr;
    pCommand->expected = expected;
    pCommand->key = pCommand->text;
    return true;
}

bool PVDSProtocol::buildLevelCommand(TTransform *pTransform, Command *pCommand)
{
    const TBoundNode *pNode = pTransform ? pTransform->ownerNode() : nullptr;
    if (!pNode || !pCommand)
        return false;
    const int slot = pNode->cardSlotIndex();
    if (slot < 0) {
        qDebug() << "PVDSProtocol: level list of a node without a card slot";
        return false;
    }
    const QString line = QStringLiteral("GL ") + QString::number(slot, 16).toUpper();
    pCommand->text = line + kCr;
    pCommand->expected = line;
    pCommand->key = pCommand->text;
    return true;
}

bool PVDSProtocol::sendValue(TTransform *pTransform)
{
    if (!pTransform || !isOnline() || !pTransform->owner())
        return false;
    if (pTransform->owner()->addressStruct() == TBinding::StructLevelList)
        return sendLevelRequest(pTransform);
    releaseModelBusy();
    QStringList commands;
    if (!buildSetCommands(pTransform, &commands))
        return false;
    IInterface *pInterface = transport();
    const bool subscribed = pInterface->isSubscribed();
    const int type = subscribed ? IInterface::SendNoReply : IInterface::SendWaitAck;
    for (const QString &command : std::as_const(commands)) {
        const QByteArray bytes = command.toUtf8();
        if (subscribed)
            rememberSet(bytes, pTransform);
        pInterface->send(bytes.constData(), int(bytes.size()), type, "", ReplyTimeoutMs);
    }
    return true;
}

void PVDSProtocol::rememberSet(const QByteArray &bytes, TTransform *pTransform)
{
    if (m_unconfirmedSets.size() >= MaxUnconfirmedSets)
        m_unconfirmedSets.removeFirst();
    m_unconfirmedSets.append({bytes, pTransform});
}

void PVDSProtocol::onMessageRefused(const QByteArray &message)
{
    // The newest matching set: the same bytes sent twice ask the same.
    for (qsizetype i = m_unconfirmedSets.size() - 1; i >= 0; --i) {
        if (m_unconfirmedSets.at(i).first != message)
            continue;
        const QPointer<TTransform> pTransform = m_unconfirmedSets.takeAt(i).second;
        if (pTransform) {
            emit pTransform->valueRefused();
            readBack(pTransform);
        }
        return;
    }
}

bool PVDSProtocol::readBack(TTransform *pTransform)
{
    // The device kept its own value and reports no change, so the widget
    // would go on showing the refused one: ask once.
    if (!isOnline() || !pTransform->owner())
        return false;
    const quint32 kind = pTransform->owner()->addressStruct();
    Command command;
    if (kind == TBinding::StructLevelList || !buildGetCommand(pTransform, &command))
        return false;
    qDebug().noquote() << "PVDSProtocol: set refused, reading back" << command.text.trimmed();
    // Registered so that the answer finds the transform.
    m_manager.addRequest(command.key, int(kind), pTransform, QString());
    const QByteArray bytes = command.text.toUtf8();
    const QByteArray expected = command.expected.toUtf8();
    transport()->send(bytes.constData(), int(bytes.size()), IInterface::SendWaitReply,
                      expected.constData(), ReplyTimeoutMs);
    return true;
}

bool PVDSProtocol::requestValue(TTransform *pTransform)
{
    if (!pTransform || !isOnline() || !pTransform->owner())
        return false;
    m_pLastRequested = pTransform;
    const quint32 kind = pTransform->owner()->addressStruct();
    if (kind == TBinding::StructLevelList)
        return sendLevelRequest(pTransform);
    Command command;
    if (!buildGetCommand(pTransform, &command))
        return false;
    return sendCommand(command, int(kind), pTransform);
}

void PVDSProtocol::requestMeterStatus(TTransform *pTransform)
{
    if (!pTransform) {
        qDebug() << "TTransform is not provided for Meter Status";
        return;
    }
    if (!pTransform->owner()) {
        qDebug() << "No attributes available.";
        return;
    }
    sendLevelRequest(pTransform);
}

bool PVDSProtocol::sendLevelRequest(TTransform *pTransform)
{
    const QString stamp = QTime::currentTime().toString(QStringLiteral("H:mm:ss.zzz"));
    if (!pTransform) {
        qWarning().noquote() << stamp + QStringLiteral(" sendStruct10, pTransorm not defined.");
        return false;
    }
    if (!isOnline()) {
        qDebug().noquote() << stamp + QStringLiteral(" sendStruct10, Interfaces are not defined.");
        return false;
    }
    if (!pTransform->owner())
        return false;
    Command command;
    if (!buildLevelCommand(pTransform, &command))
        return false;
    // Level lists are always polled: the device pushes no meter values.
    m_manager.addRequest(command.text, TBinding::StructLevelList, pTransform, QString());
    const QByteArray bytes = command.text.toUtf8();
    const QByteArray expected = command.expected.toUtf8();
    transport()->send(bytes.constData(), int(bytes.size()), IInterface::SendWaitReply,
                      expected.constData(), ReplyTimeoutMs);
    return true;
}

bool PVDSProtocol::sendCommand(const Command &command, int kind, TTransform *pTransform)
{
    QString requestClass = m_manager.addRequest(command.key, kind, pTransform, QString());
    QString subscription;
    if (m_subscribed && requestClass == SMSubscriptionManager::RequestClass::Subscribe) {
        const QString subscribed = kind == TBinding::StructSystem
            ? QStringLiteral("GS")
            : command.text.chopped(1);
        subscription = QStringLiteral("SUB ") + quoted(subscribed);
        requestClass = m_manager.addRequest(subscription, kind, pTransform, QString());
    }
    IInterface *pInterface = transport();
    if (requestClass == SMSubscriptionManager::RequestClass::Poll) {
        const QByteArray bytes = command.text.toUtf8();
        const QByteArray expected = command.expected.toUtf8();
        pInterface->send(bytes.constData(), int(bytes.size()), IInterface::SendWaitReply,
                         expected.constData(), ReplyTimeoutMs);
        return true;
    }
    if (requestClass == SMSubscriptionManager::RequestClass::Subscribe) {
        if (subscription.isEmpty())
            return true;
        const QByteArray bytes = (subscription + kCr).toUtf8();
        const QByteArray expected = (subscription + QStringLiteral(",yes")).toUtf8();
        pInterface->send(bytes.constData(), int(bytes.size()), IInterface::SendWaitReply,
                         expected.constData(), ReplyTimeoutMs);
        return true;
    }
    // The key is already asked for, or the device reports it by itself.
    if (m_subscribed)
        pInterface->startHostStatusTimer();
    return true;
}

bool PVDSProtocol::onDataReceived(const QByteArray &data, const QString &errorText)
{
    Q_UNUSED(errorText);
    if (data.isEmpty())
        return false;
    const QString line = QString::fromUtf8(data);
    // Delivering can make widgets request again, which may change the
    // table: take what is needed first.
    QList<QPair<int, QPointer<TTransform>>> targets;
    const QList<RoutingInfo *> records = m_manager.routeReply(line);
    for (const RoutingInfo *pInfo : records)
        targets.append({pInfo->id(), pInfo->target()});
    for (const auto &target : std::as_const(targets)) {
        if (target.first != SubscriptionId && !target.second)
            continue; // the transform has gone
        dispatchReply(data, target.first, target.second);
    }
    return !targets.isEmpty();
}

void PVDSProtocol::dispatchReply(const QByteArray &data, int id, TTransform *pTransform)
{
    const QByteArray line = upToNul(data);
    switch (id) {
    case TBinding::StructNamedIndex:
    case TBinding::StructNamedIndexAlt:
    case TBinding::StructNamedPair:
    case TBinding::StructNamedSub:
    case TBinding::StructNamedIndexCompact:
    case TBinding::StructMultiAssign:
        parseAddressReply(line, id, pTransform);
        break;
    case TBinding::StructSystem:
        parseSystemReply(line, pTransform);
        break;
    case TBinding::StructGain:
    case TBinding::StructNumber:
        parseHexAddressReply(line, pTransform);
        break;
    case TBinding::StructRawCommand:
        parseRawReply(line, pTransform);
        break;
    case TBinding::StructLevelList:
        parseLevelListReply(line, pTransform);
        break;
    case SubscriptionId:
        setSubscribedEverywhere(trimmedReply(line).endsWith("yes"));
        break;
    default:
        break;
    }
}

void PVDSProtocol::parseAddressReply(QByteArray line, int id, TTransform *pTransform)
{
    if (!pTransform || line.isEmpty() || line.at(0) == '\x15')
        return;
    if (line.at(0) == '\x06') {
        // A get answered by an acknowledge: device and panel disagree.
        pTransform->receiveText(QCoreApplication::translate("PVDSProtocol", "SYNC_ERROR"));
        return;
    }
    line = trimmedReply(line);
    if (!line.startsWith("GA"))
        return;
    const qsizetype equals = line.indexOf('=');
    if (equals < 0)
        return;
    const QByteArray address = line.left(equals);
    const int wanted = (id == TBinding::StructNamedPair || id == TBinding::StructNamedSub
                        || id == TBinding::StructMultiAssign)
        ? 2
        : 1;
    if (address.count('>') != wanted)
        return;
    if (line.size() < 5)
        return;
    const qsizetype open = line.indexOf('"');
    if (open <= 0)
        return;
    const qsizetype close = line.indexOf('"', open + 1);
    if (close < 0)
        return;
    const QString name = QString::fromUtf8(line.mid(open + 1, close - open - 1));
    QString expectedName;
    if (id == TBinding::StructNamedIndexCompact)
        expectedName = pTransform->owner() ? pTransform->owner()->channelLabel() : QString();
    else
        expectedName = pTransform->ownerNode() ? pTransform->ownerNode()->label() : QString();
    if (expectedName.isEmpty() || name != expectedName)
        return;
    if (id == TBinding::StructMultiAssign) {
        const QList<QByteArray> numbers = address.split('>');
        bool ok = false;
        const int index = numbers.value(1).toInt(&ok);
        const int first = ok ? index : -1;
        const int sub = numbers.value(2).toInt(&ok);
        pTransform->setReplyIndexes(first, ok ? sub : -1);
    }
    pTransform->receiveText(QString::fromUtf8(line.mid(equals + 1)));
}

void PVDSProtocol::parseSystemReply(QByteArray line, TTransform *pTransform)
{
    if (!pTransform)
        return;
    line = trimmedReply(line);
    if (!line.contains(' ') || !line.startsWith("S "))
        return;
    pTransform->receiveText(QStringLiteral("0x") + QString::fromUtf8(line.mid(line.indexOf(' ') + 1)));
}

void PVDSProtocol::parseHexAddressReply(QByteArray line, TTransform *pTransform)
{
    if (!pTransform)
        return;
    line = trimmedReply(line);
    if (!line.contains(',') || !(line.startsWith("GG") || line.startsWith("GN")))
        return;
    pTransform->receiveText(QString::fromUtf8(line.mid(line.indexOf(',') + 1)));
}

void PVDSProtocol::parseRawReply(QByteArray line, TTransform *pTransform)
{
    if (!pTransform || line.isEmpty() || line.at(0) == '\x15')
        return;
    if (line.at(0) == '\x06') {
        pTransform->receiveText(QCoreApplication::translate("PVDSProtocol", "SYNC_ERROR"));
        return;
    }
    pTransform->setReplyText(QString::fromUtf8(trimmedReply(line)));
}

void PVDSProtocol::parseLevelListReply(const QByteArray &data, TTransform *pTransform)
{
    const TBoundNode *pNode = pTransform ? pTransform->ownerNode() : nullptr;
    if (!pNode)
        return;
    static const QRegularExpression kSpace(QStringLiteral("\\s+"));
    const QString line = QString::fromUtf8(data);
    const QStringList tokens = line.split(kSpace, Qt::SkipEmptyParts);
    if (tokens.size() <= 2)
        return;
    const QString list = tokens.at(2);
    if (list.size() <= 1 || !list.startsWith(QLatin1Char('[')) || !list.endsWith(QLatin1Char(']')))
        return;
    const QStringList entries = list.mid(1, list.size() - 2).split(QLatin1Char(','));
    const int n = int(entries.size());

    const QString title = pNode->title();
    const QString blockType = title == QLatin1String("Amp Output") ? pNode->label() : title;
    const int levelChannel = pNode->levelChannel();
    const int levelIndex = pNode->levelIndex();
    const QString parentTitle = pNode->parentTitle();

    // Positions come from the device and the design; one outside the list
    // delivers nothing.
    auto deliverAt = [&](int position) {
        if (position >= 0 && position < n)
            pTransform->receiveText(entries.at(position).trimmed());
    };
    auto deliverWhole = [&]() { pTransform->receiveText(line.trimmed()); };

    if (blockType == QLatin1String("PSTN Out") && n == 2)
        return deliverAt(1);
    if (blockType == QLatin1String("PSTN In") && n == 2)
        return deliverAt(0);
    if (blockType == QLatin1String("USB Out"))
        return deliverAt(n / 2 + pTransform->usbChannel());
    if (blockType == QLatin1String("USB In"))
        return deliverAt(pTransform->usbChannel());
    if (blockType.startsWith(QLatin1String("VoIP")) && n == 4) {
        const int offset = blockType.endsWith(QLatin1String("Out")) ? 2 : 0;
        if (levelIndex == 0 || levelIndex == 1)
            return deliverAt(levelIndex + offset);
        pTransform->receiveText(QStringLiteral("0"));
        return;
    }
    if ((blockType == QLatin1String("Analog In") || blockType == QLatin1String("Digital In"))
        && (parentTitle.startsWith(QLatin1String("AV")) || parentTitle.startsWith(QLatin1String("AR"))))
        return deliverAt(levelIndex);
    if (n == 4) {
        if (levelChannel >= 16)
            return deliverWhole();
        return deliverAt(levelChannel < 0 ? -1 : levelChannel % 4);
    }
    if (n == 8) {
        if (title == QLatin1String("Amp Output"))
            return deliverAt(levelChannel);
        const QStringList parts = pTransform->ownText().split(QLatin1Char('-'));
        if (parts.size() >= 2)
            deliverAt(pNode->indexOfChannelLabel(parts.at(1)));
        return;
    }
    if (n >= 9) {
        if (!title.startsWith(QLatin1String("Dante ")))
            return deliverWhole();
        int position = pTransform->danteChannel();
        if (position < 0)
            return;
        if (blockType.contains(QLatin1String("Out")) && (n == 32 || n == 64 || n == 128))
            position += n / 2;
        return deliverAt(position);
    }
    deliverWhole();
}

void PVDSProtocol::setSubscribedEverywhere(bool subscribed)
{
    m_subscribed = subscribed;
    m_manager.setSubscribed(subscribed);
    if (transport())
        transport()->setSubscribed(subscribed);
}

void PVDSProtocol::resetSubscriptions()
{
    m_manager.unsubscribeAll(true);
    m_manager.setSubscribed(false);
    m_subscribed = false;
}

bool PVDSProtocol::onOnlineStateChanged(bool online)
{
    if (!online) {
        m_manager.unsubscribeAll(false);
        m_manager.setSubscribed(false);
        m_subscribed = false;
    }
    emit onlineStateChanged(online);
    return true;
}

void PVDSProtocol::onReplyTimeout(const QString &expected)
{
    IInterface *pInterface = transport();
    if (expected == QLatin1String("SUB") && pInterface
        && pInterface->connectionState() != ITcpClient::Running)
        pInterface->setSubscribed(false);
}
