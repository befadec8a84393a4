#include "comms/SMSubscriptionManager.h"

#include "comms/ITcpClient.h"
#include "comms/RoutingInfo.h"
#include "comms/TTransform.h"

#include <QRegularExpression>

const QString SMSubscriptionManager::RequestClass::Poll = QStringLiteral("POLL");
const QString SMSubscriptionManager::RequestClass::Subscribe = QStringLiteral("SUB");
const QString SMSubscriptionManager::RequestClass::Unsubscribe = QStringLiteral("UNS");

namespace {

constexpr int ReplyTimeoutMs = 200;
constexpr int RoomQueryId = 9;

QStringList whiteSpaceTokens(const QString &line)
{
    static const QRegularExpression kSpace(QStringLiteral("\\s+"));
    return line.split(kSpace, Qt::SkipEmptyParts);
}

} // namespace

SMSubscriptionManager::SMSubscriptionManager(QObject *parent)
    : QObject(parent)
{
}

SMSubscriptionManager::~SMSubscriptionManager()
{
    unsubscribeAll(false);
}

int SMSubscriptionManager::recordCount() const
{
    int count = 0;
    for (const QList<RoutingInfo *> &records : m_table)
        count += int(records.size());
    return count;
}

QStringList SMSubscriptionManager::keys() const
{
    return m_table.keys();
}

void SMSubscriptionManager::storeRecord(const QString &key, int id, TTransform *pTarget,
                                        const QString &requestText)
{
    m_table[key].append(new RoutingInfo(id, pTarget, requestText));
}

QString SMSubscriptionManager::subscriptionKey(const QString &command, const QString &key,
                                               int id) const
{
    if (command.startsWith(QLatin1String("SUB")))
        return QString();
    QString subscribed = key;
    if (key == QLatin1String("S"))
        subscribed = QStringLiteral("GS");
    else if (id == RoomQueryId && subscribed.endsWith(QLatin1Char(',')))
        subscribed.chop(1); // the room query is subscribed as it is sent
    return QStringLiteral("SUB \"") + subscribed + QLatin1Char('"');
}

QString SMSubscriptionManager::addRequest(const QString &command, int id, TTransform *pTarget,
                                          const QString &requestText)
{
    QString key = command;
    if (key.endsWith(QLatin1Char('\r')))
        key.chop(1);
    // Room queries are answered as "GRC g,..."; their subscription text is
    // keyed as it is sent.
    if (id == RoomQueryId && !key.startsWith(RequestClass::Subscribe))
        key.append(QLatin1Char(','));

    // The first request after the table was emptied restarts the
    // connection subscription.
    if (m_table.isEmpty() && command != RequestClass::Subscribe) {
        storeRecord(RequestClass::Subscribe, RoutingInfo::SubscriptionPlaceholderId, nullptr,
                    QString());
        onConnectionActive();
    }

    auto it = m_table.find(key);
    if (it == m_table.end()) {
        storeRecord(key, id, pTarget, requestText);
        return m_subscribed ? RequestClass::Subscribe : RequestClass::Poll;
    }

    QList<RoutingInfo *> &records = it.value();
    // Records of transforms that have gone are dropped here, so a later
    // asker takes over polling the key.
    for (qsizetype i = records.size() - 1; i >= 0; --i) {
        if (records.at(i)->isOrphaned())
            delete records.takeAt(i);
    }
    if (records.isEmpty()) {
        records.append(new RoutingInfo(id, pTarget, requestText));
        return m_subscribed ? RequestClass::Subscribe : RequestClass::Poll;
    }
    qsizetype found = -1;
    for (qsizetype i = 0; i < records.size(); ++i) {
        const RoutingInfo *pInfo = records.at(i);
        if (pInfo->id() == id && pInfo->target() == pTarget
            && pInfo->requestText() == requestText) {
            found = i;
            break;
        }
    }
    if (found < 0) {
        records.append(new RoutingInfo(id, pTarget, requestText));
        return m_subscribed ? RequestClass::Subscribe : QString();
    }
    if (!m_subscribed) {
        // Only the first asker of a key polls it; the others share its reply.
        return found == 0 ? RequestClass::Poll : QString();
    }
    const QString subKey = subscriptionKey(command, key, id);
    if (subKey.isEmpty() || m_table.contains(subKey))
        return QString();
    return RequestClass::Subscribe;
}

QList<RoutingInfo *> SMSubscriptionManager::routeReply(const QString &input) const
{
    QString line = input;
    if (line.endsWith(QLatin1Char('\r')))
        line.chop(1);
    QString key;
    const bool hasEquals = line.contains(QLatin1Char('='));
    if (hasEquals) {
        const QStringList parts = line.split(QLatin1Char('='));
        if (parts.size() != 2)
            return {};
        key = parts.at(0);
    } else if (line.startsWith(QLatin1String("GRC "))) {
        key = line.section(QLatin1Char(','), 0, 0) + QLatin1Char(',');
    } else if (line.startsWith(QLatin1String("GL"))) {
        const QStringList tokens = whiteSpaceTokens(line);
        if (tokens.size() < 2)
            return {};
        key = tokens.at(0) + QLatin1Char(' ') + tokens.at(1);
        if (!m_table.contains(key))
            key = key.toUpper();
    } else {
        const QStringList parts = line.split(QLatin1Char(','));
        if (parts.size() == 2) {
            key = parts.at(0);
        } else if (parts.size() == 1) {
            const QStringList tokens = whiteSpaceTokens(line);
            if (tokens.size() < 2)
                return {};
            key = tokens.at(0);
        } else {
            return {};
        }
    }
    return m_table.value(key);
}

void SMSubscriptionManager::unsubscribeAll(bool sendUns)
{
    while (!m_table.isEmpty()) {
        auto it = m_table.begin();
        const QList<RoutingInfo *> records = it.value();
        if (m_pClient && sendUns) {
            QString text = records.isEmpty() ? QString() : records.first()->requestText();
            if (text.isEmpty())
                text = it.key();
            if (text.startsWith(QLatin1String("SUB"))) {
                const QString rest = text.mid(5);
                if (!rest.isEmpty()) {
                    const QString command = QStringLiteral("UNS \"") + rest;
                    const QByteArray bytes = (command + QLatin1Char('\r')).toUtf8();
                    const QByteArray expected = (command + QStringLiteral(",yes")).toUtf8();
                    m_pClient->send(bytes.constData(), int(bytes.size()),
                                    IInterface::SendWaitReply, expected.constData(),
                                    ReplyTimeoutMs);
                }
            }
        }
        qDeleteAll(records);
        m_table.erase(it);
    }
}

void SMSubscriptionManager::setInterface(IInterface *pInterface)
{
    if (m_pClient)
        disconnect(m_pClient, nullptr, this, nullptr);
    m_pClient = qobject_cast<ITcpClient *>(pInterface);
    if (!m_pClient)
        return;
    addRequest(RequestClass::Subscribe, RoutingInfo::SubscriptionPlaceholderId, nullptr,
               QString());
    if (m_pClient->connectionState() == ITcpClient::Running)
        onConnectionActive();
    connect(m_pClient, &ITcpClient::connectionActive, this,
            &SMSubscriptionManager::onConnectionActive);
}

void SMSubscriptionManager::onConnectionActive()
{
    if (!m_pClient || m_pClient->hasSubscriptionState())
        return;
    static const QByteArray kSub("SUB\r");
    m_pClient->send(kSub.constData(), int(kSub.size()), IInterface::SendWaitReply, "SUB",
                    ReplyTimeoutMs);
}

void SMSubscriptionManager::onSelectedZoneChanged()
{
    unsubscribeAll(true);
}
