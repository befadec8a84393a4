#include "amplifiers/PVentraProtocol.h"

#include "comms/IInterface.h"
#include "comms/IUDPClient.h"
#include "comms/IUDPClientThread.h"
#include "comms/ReplyTags.h"
#include "comms/RoutingInfo.h"
#include "comms/TText.h"

#include <QDebug>
#include <QSet>
#include <QTimer>

namespace {

constexpr int GetDescriptionId = 33;
constexpr int GetDataTextId = 65;
constexpr int FirstVersionId = 18;
constexpr int LastVersionId = 20;

const QString kFirmwarePrefix = QStringLiteral("FW ");
const QString kVersionWord = QStringLiteral("VERSION");

QString words(std::initializer_list<QString> parts)
{
    return QStringList(parts).join(QLatin1Char(' '));
}

// The outgoing text becomes part of a one-line command: a carriage return
// or any other control character in it would end the command early and
// smuggle a second one into the datagram.
bool isSafeCommandText(const QString &text)
{
    for (const QChar c : text) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7f)
            return false;
    }
    return true;
}

} // namespace

PVentraProtocol::PVentraProtocol(QObject *parent)
    : PProtocol(parent)
{
    buildCommandTable();
}

PVentraProtocol::~PVentraProtocol() = default;

void PVentraProtocol::buildCommandTable()
{
    const auto fixed = [](const QString &word) {
        return [word](const QString &) { return word; };
    };
    const QStringList simple = {
        QStringLiteral("ARRAY"),   QStringLiteral("AUDIOLEVEL"), QStringLiteral("QINMODE"),
        QStringLiteral("GBKSTG"),  QStringLiteral("GINPUT"),     QStringLiteral("GETSBST"),
        QStringLiteral("GETSBTIME"), QStringLiteral("GCP"),
    };
    for (int i = 0; i < simple.size(); ++i)
        m_commandTable.insert(1 + i, fixed(simple.at(i)));
    for (int m = 1; m <= 3; ++m) {
        const QString module = QString::number(m);
        const QString status = QStringLiteral("STATUS");
        m_commandTable.insert(8 + m, fixed(words({status, module, QStringLiteral("1")})));
        m_commandTable.insert(11 + m, fixed(words({status, module, QStringLiteral("0")})));
        m_commandTable.insert(14 + m, fixed(words({QStringLiteral("DRIVERFAULTS"), module})));
        m_commandTable.insert(17 + m, fixed(words({kVersionWord, module})));
        for (int s = 1; s <= 4; ++s) {
            m_commandTable.insert(21 + 4 * (m - 1) + (s - 1),
                                  fixed(words({QStringLiteral("TEMPERATURE"), module,
                                               QString::number(s)})));
        }
    }
    m_commandTable.insert(GetDescriptionId,
                          [](const QString &text) { return QStringLiteral("GDESC 1 ") + text; });
    m_commandTable.insert(34, fixed(QStringLiteral("REBOOT")));
    for (int block = 1; block <= 3; ++block) {
        for (int n = 0; n <= 9; ++n) {
            m_commandTable.insert(25 + 10 * block + n,
                                  fixed(words({QStringLiteral("GDATA"), QString::number(block),
                                               QString::number(n)})));
        }
    }
    m_commandTable.insert(GetDataTextId,
                          [](const QString &text) { return QStringLiteral("GDATA ") + text; });
    for (auto it = m_commandTable.constBegin(); it != m_commandTable.constEnd(); ++it)
        m_tablePrefixes.append(replyPrefix(it.key()));
}

QString PVentraProtocol::buildRequest(VentraCommandId id, const QString &text) const
{
    const auto it = m_commandTable.constFind(id);
    if (it == m_commandTable.constEnd())
        return QString();
    return it.value()(text) + QLatin1Char('\r');
}

QString PVentraProtocol::requestText(VentraCommandId id) const
{
    return buildRequest(id, QString());
}

QString PVentraProtocol::prefixOf(VentraCommandId id, const QString &request)
{
    QString prefix = request;
    prefix.chop(1); // the carriage return
    if (id >= FirstVersionId && id <= LastVersionId)
        prefix.prepend(kFirmwarePrefix);
    return prefix;
}

QString PVentraProtocol::replyPrefix(VentraCommandId id) const
{
    return prefixOf(id, requestText(id));
}

QString PVentraProtocol::tableSearch(const QString &line) const
{
    for (const QString &prefix : m_tablePrefixes) {
        if (line.startsWith(prefix))
            return prefix;
    }
    return QString();
}

void PVentraProtocol::setModel(MModel *pModel)
{
    if (pModel)
        PProtocol::setModel(pModel);
}

int PVentraProtocol::pendingCount() const
{
    int count = 0;
    for (const QList<Pending> &message : m_messages)
        count += int(message.size());
    return count;
}

bool PVentraProtocol::openTransport()
{
    IInterface *pTransport = transport();
    if (!pTransport)
        return false;
    if (auto *pClient = qobject_cast<IUDPClient *>(pTransport)) {
        if (!pClient->isOpen())
            pClient->open();
        return pClient->isOpen();
    }
    pTransport->startConnection();
    return true;
}

bool PVentraProtocol::sendValue(TTransform *pTransform)
{
    auto *pText = qobject_cast<TText *>(pTransform);
    if (!pText || !isCommandId(pText->commandId()))
        return false;
    if (!transport())
        return false;
    const int id = pText->commandId();
    QString text;
    if (id == GetDescriptionId || id == GetDataTextId) {
        text = pText->text();
        if (!isSafeCommandText(text)) {
            qDebug() << "Ventra request" << id << "with a control character in its text, not sent";
            return false;
        }
    }
    const QString request = buildRequest(id, text);
    if (!openTransport())
        return false;
    return sendRequest(prefixOf(id, request), pText, request, ReplyTimeoutMs);
}

bool PVentraProtocol::sendRequest(const QString &prefix, TText *pText, const QString &request,
                                  int timeoutMs)
{
    if (!pText || !transport())
        return false;
    pText->setRequestText(prefix);
    beginMessage();
    registerRequest(prefix, pText);
    const QByteArray bytes = request.toUtf8();
    const QByteArray expected = prefix.toUtf8();
    // A queued request gives 0: its outcome comes back as a reply line.
    transport()->send(bytes.constData(), int(bytes.size()), IInterface::SendWaitReply,
                      expected.constData(), timeoutMs);
    return true;
}

bool PVentraProtocol::sendBatch(const QList<TTransform *> &transforms)
{
    if (transforms.isEmpty() || !transport())
        return false;
    QList<TText *> texts;
    QSet<TText *> seen;
    for (TTransform *pTransform : transforms) {
        auto *pText = qobject_cast<TText *>(pTransform);
        // A TText twice in one batch would be answered twice.
        if (!pText || !isCommandId(pText->commandId()) || seen.contains(pText))
            continue;
        seen.insert(pText);
        texts.append(pText);
    }
    if (texts.isEmpty() || !openTransport())
        return false;

    QString requests;
    QString prefixes;
    beginMessage();
    for (TText *pText : std::as_const(texts)) {
        const QString prefix = replyPrefix(pText->commandId());
        pText->setRequestText(prefix);
        requests += requestText(pText->commandId());
        prefixes += prefix + QLatin1Char('\r');
        registerRequest(prefix, pText);
    }
    const QByteArray bytes = requests.toUtf8();
    const QByteArray expected = prefixes.toUtf8();
    transport()->send(bytes.constData(), int(bytes.size()), IInterface::SendBatch,
                      expected.constData(), ReplyTimeoutMs);
    return true;
}

void PVentraProtocol::beginMessage()
{
    m_messages.append(QList<Pending>());
}

void PVentraProtocol::registerRequest(const QString &prefix, TText *pText)
{
    if (m_messages.isEmpty())
        beginMessage();
    m_messages.last().append(Pending::create(pText->commandId(), pText, prefix));
}

PVentraProtocol::Pending PVentraProtocol::getRoutingInfoForReply(const QString &prefix)
{
    // Messages are answered in sending order, and each one ends all of its
    // requests (answered or failed) before the next is written: the first
    // message still waiting is the one in flight.
    while (!m_messages.isEmpty() && m_messages.first().isEmpty())
        m_messages.removeFirst();
    if (m_messages.isEmpty())
        return Pending();
    QList<Pending> &inFlight = m_messages.first();
    const QString key = prefix.trimmed();
    for (qsizetype i = 0; i < inFlight.size(); ++i) {
        if (inFlight.at(i)->requestText().trimmed() == key) {
            Pending pInfo = inFlight.takeAt(i);
            if (inFlight.isEmpty())
                m_messages.removeFirst();
            return pInfo;
        }
    }
    return Pending();
}

bool PVentraProtocol::isWaiting(const QString &prefix)
{
    const QString key = prefix.trimmed();
    const QString firmwareKey = (kFirmwarePrefix + prefix).trimmed();
    const bool retry = key.startsWith(kVersionWord);
    for (const QList<Pending> &message : std::as_const(m_messages)) {
        if (message.isEmpty())
            continue;
        for (const Pending &pInfo : message) {
            const QString waiting = pInfo->requestText().trimmed();
            if (waiting == key || (retry && waiting == firmwareKey))
                return true;
        }
        return false; // only the message in flight counts
    }
    return false;
}

void PVentraProtocol::answer(const Pending &pInfo, const QString &line, const QString &tag)
{
    // Only TTexts are registered; the guard is null when it went meanwhile.
    auto *pText = qobject_cast<TText *>(pInfo->target());
    if (!pText) {
        qDebug().noquote() << "Ventra reply for a request whose sender has gone, dropped:"
                           << pInfo->requestText();
        return;
    }
    pText->setAuxText(tag);
    pText->setReplyText(line);
}

bool PVentraProtocol::routeReplyLine(const QString &line, const QString &prefix,
                                     const QString &tag)
{
    Pending pInfo = getRoutingInfoForReply(prefix);
    if (!pInfo && prefix.startsWith(kVersionWord))
        pInfo = getRoutingInfoForReply(kFirmwarePrefix + prefix);
    if (!pInfo) {
        qCritical() << "Assertion failed: getRoutingInfoForReply didnt find the request";
        qDebug() << "**************************************************************";
        qDebug() << " *  Critical failiure:";
        qDebug() << " *  getRoutingInfoForReply didnt find the request or response received "
                    "after timeout";
        qDebug().noquote() << " *  message " + line + " reply prefix " + prefix + "Error type "
                + tag;
        qDebug() << "**************************************************************";
        return false;
    }
    answer(pInfo, line, tag);
    return true;
}

bool PVentraProtocol::routeToFirstWaiting(const QString &line, const QStringList &prefixes,
                                          const QString &tag)
{
    QString fallback;
    for (const QString &part : prefixes) {
        const QString prefix = part.trimmed();
        if (prefix.isEmpty())
            continue;
        if (fallback.isEmpty())
            fallback = prefix;
        if (isWaiting(prefix))
            return routeReplyLine(line, prefix, tag);
    }
    // Nothing waits: say so for the first one.
    return !fallback.isEmpty() && routeReplyLine(line, fallback, tag);
}

bool PVentraProtocol::onDataReceived(const QByteArray &data, const QString &expectedText)
{
    const QString line = QString::fromUtf8(data);
    QString expected = expectedText;
    if (expected.endsWith(QLatin1Char('\r'))) {
        expected.chop(1);
        expected = expected.trimmed();
    }
    QString tag;
    for (const QString &candidate :
         {ReplyTags::nackReceived(), ReplyTags::unknownReceived(), ReplyTags::networkError()}) {
        if (expected.startsWith(candidate)) {
            tag = candidate;
            expected.remove(0, candidate.size());
            break;
        }
    }
    const QStringList prefixes = expected.split(QLatin1Char('\r'));

    if (tag == ReplyTags::networkError()) {
        // The whole message failed: each of its requests ends.
        for (const QString &part : prefixes) {
            const QString prefix = part.trimmed();
            if (!prefix.isEmpty() && isWaiting(prefix))
                routeReplyLine(line, prefix, tag);
        }
        return true;
    }
    if (tag == ReplyTags::unknownReceived()) {
        const QString own = prefixes.value(0).trimmed();
        const QString found = tableSearch(line);
        if (found.isEmpty()) {
            qDebug() << "some thing went wrong!! ideally it should never happen";
        } else if (found.trimmed() != own && isWaiting(found)) {
            // A batch answered out of order: the line answers another
            // request of this message. The one at the line's position may
            // still get its own line further on in the same answer.
            endUnansweredOnceRead();
            routeReplyLine(line, found, QString());
            return true;
        }
        routeToFirstWaiting(line, prefixes, tag);
        return true;
    }
    if (!tag.isEmpty()) {
        routeToFirstWaiting(line, prefixes, tag);
        return true;
    }
    if (prefixes.size() < 2) {
        routeReplyLine(line, expected.trimmed(), QString());
        return true;
    }
    // Several prefixes without a tag: the line goes to one request only,
    // the first whose prefix it begins with.
    for (const QString &part : prefixes) {
        QString prefix = part;
        if (prefix.endsWith(QLatin1Char('\r')))
            prefix.chop(1);
        prefix = prefix.trimmed();
        if (!prefix.isEmpty() && line.startsWith(prefix) && isWaiting(prefix)) {
            routeReplyLine(line, prefix, QString());
            return true;
        }
    }
    const QString found = tableSearch(line);
    if (!found.isEmpty())
        routeReplyLine(line, found, QString());
    else
        qDebug() << "some thing went wrong!! ideally it should never happen";
    return true;
}

void PVentraProtocol::endUnansweredOnceRead()
{
    if (m_isEndScheduled || m_messages.isEmpty())
        return;
    // The transport hands over every line of one answer before the event
    // loop turns again: what of this message is still waiting then will
    // get no line.
    QList<Pending> waiting;
    for (const QList<Pending> &message : std::as_const(m_messages)) {
        if (!message.isEmpty()) {
            waiting = message;
            break;
        }
    }
    if (waiting.isEmpty())
        return;
    m_isEndScheduled = true;
    QTimer::singleShot(0, this, [this, waiting]() {
        m_isEndScheduled = false;
        for (const Pending &pInfo : waiting) {
            if (takePending(pInfo))
                answer(pInfo, QString(), ReplyTags::unknownReceived());
        }
    });
}

bool PVentraProtocol::takePending(const Pending &pInfo)
{
    for (qsizetype i = 0; i < m_messages.size(); ++i) {
        QList<Pending> &message = m_messages[i];
        if (message.removeOne(pInfo)) {
            if (message.isEmpty())
                m_messages.removeAt(i);
            return true;
        }
    }
    return false;
}

void PVentraProtocol::answerAllPending(const QString &tag)
{
    // Taken out first: an answer may send again.
    QList<QList<Pending>> messages;
    messages.swap(m_messages);
    const QString line = QString::fromLatin1(IUDPClientThread::timeoutLine());
    for (const QList<Pending> &message : std::as_const(messages)) {
        for (const Pending &pInfo : message)
            answer(pInfo, line, tag);
    }
}

bool PVentraProtocol::onOnlineStateChanged(bool online)
{
    if (IInterface *pTransport = transport()) {
        if (online) {
            pTransport->open();
        } else {
            pTransport->close();
            // The transport answers what it had queued; anything else that
            // still waits cannot be answered any more.
            answerAllPending(ReplyTags::networkError());
        }
    }
    emit onlineStateChanged(online);
    return false;
}
