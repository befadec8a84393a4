#include "HRCGroupInfo.h"

#include "RCCombo.h"
#include "RCGroup.h"
#include "RoomCombine.h"
#include "RoomInfo.h"

#include <QDebug>
#include <QReadLocker>
#include <QTime>
#include <QWriteLocker>

HRCGroupInfo::HRCGroupInfo(QObject *parent)
    : QObject(parent)
{
}

HRCGroupInfo::~HRCGroupInfo()
{
    clear();
}

void HRCGroupInfo::addRoom(int roomId, const QString &name, int groupId, int combinerFlag,
                           int blockValue, const QList<int> &neighbours)
{
    const QString key = RoomCombine::roomKey(groupId, roomId);
    // A room registered again replaces the first record, which nothing can
    // reach any more.
    delete m_rooms.take(key);
    m_rooms.insert(key, new RoomInfo(roomId, name, groupId, combinerFlag, blockValue, neighbours));
    addRoomToGroup(roomId, groupId);
}

void HRCGroupInfo::addRoomToGroup(int roomId, int groupId)
{
    RCGroup *&pGroup = m_groups[groupId];
    if (!pGroup)
        pGroup = new RCGroup(groupId, this);
    pGroup->addRoom(roomId);
}

void HRCGroupInfo::copyGroupTo(HRCGroupInfo *pTarget, const QString &groupIdText) const
{
    if (!pTarget || pTarget == this)
        return;
    bool ok = false;
    const int groupId = groupIdText.toInt(&ok, 10);
    if (!ok)
        return;
    for (const RoomInfo *pRoom : m_rooms) {
        if (pRoom->groupId() == groupId)
            pTarget->addRoom(pRoom->roomId(), pRoom->name(), pRoom->groupId(),
                             pRoom->combinerFlag(), pRoom->blockValue(), pRoom->neighbours());
    }
}

void HRCGroupInfo::setGroupName(int groupId, const QString &name)
{
    if (RCGroup *pGroup = findGroup(groupId))
        pGroup->setName(name);
}

void HRCGroupInfo::clear()
{
    qDeleteAll(m_rooms);
    m_rooms.clear();
    qDeleteAll(m_groups);
    m_groups.clear();
}

RoomInfo *HRCGroupInfo::findRoom(int groupId, int roomId) const
{
    return m_rooms.value(RoomCombine::roomKey(groupId, roomId));
}

RCGroup *HRCGroupInfo::findGroup(int groupId) const
{
    return m_groups.value(groupId);
}

QString HRCGroupInfo::roomName(int groupId, int roomId) const
{
    const RoomInfo *pRoom = findRoom(groupId, roomId);
    return pRoom ? pRoom->name() : QStringLiteral("UNKNOWN");
}

int HRCGroupInfo::roomBlockValue(int groupId, int roomId) const
{
    const RoomInfo *pRoom = findRoom(groupId, roomId);
    return pRoom ? pRoom->blockValue() : -1;
}

QStringList HRCGroupInfo::comboColors(int groupId) const
{
    const RCGroup *pGroup = findGroup(groupId);
    return pGroup ? pGroup->comboColors() : QStringList();
}

QString HRCGroupInfo::roomColor(int groupId, int roomId) const
{
    const RoomInfo *pRoom = findRoom(groupId, roomId);
    const RCGroup *pGroup = findGroup(groupId);
    if (!pRoom || !pGroup)
        return RoomCombine::uncombinedRoomColor();
    int index = -1;
    {
        QReadLocker locker(&m_lock);
        index = pRoom->comboIndex();
    }
    // Combinations only grow, so the colour list is read unlocked.
    return pGroup->comboColor(index);
}

int HRCGroupInfo::comboIndexOfRoom(int groupId, int roomId) const
{
    const RCGroup *pGroup = findGroup(groupId);
    if (!pGroup)
        return -1;
    QReadLocker locker(&m_lock);
    return pGroup->comboIndexOfRoom(roomId);
}

bool HRCGroupInfo::isRoomInCombo(int roomId, int groupId, int index) const
{
    const RCGroup *pGroup = findGroup(groupId);
    if (!pGroup)
        return false;
    QReadLocker locker(&m_lock);
    const RCCombo *pCombo = pGroup->combo(index);
    return pCombo && pCombo->hasRoom(roomId);
}

void HRCGroupInfo::combinedRoomNames(int roomId, int groupId, QStringList *pOut) const
{
    if (!pOut)
        return;
    pOut->clear();
    const RoomInfo *pRoom = findRoom(groupId, roomId);
    if (!pRoom)
        return;
    QReadLocker locker(&m_lock);
    const RCGroup *pGroup = findGroup(pRoom->groupId());
    if (!pGroup)
        return;
    QList<int> others;
    pGroup->otherRoomsInCombo(roomId, pRoom->comboIndex(), &others);
    for (int other : std::as_const(others)) {
        if (const RoomInfo *pOther = findRoom(pRoom->groupId(), other))
            pOut->append(pOther->shortName());
    }
}

void HRCGroupInfo::updateComboIndexes()
{
    for (auto it = m_rooms.cbegin(); it != m_rooms.cend(); ++it) {
        int groupId = -1;
        int roomId = -1;
        const bool parsed = RoomCombine::parseRoomKey(it.key(), &groupId, &roomId);
        const RCGroup *pGroup = parsed ? findGroup(groupId) : nullptr;
        it.value()->setComboIndex(pGroup ? pGroup->comboIndexOfRoom(roomId) : -1);
    }
}

QString HRCGroupInfo::roomClicked(int roomId, int groupId, int selectedCombo, QString *pColour)
{
    if (pColour)
        pColour->clear();
    RoomInfo *pRoom = findRoom(groupId, roomId);
    RCGroup *pGroup = findGroup(groupId);
    if (!pRoom) {
        qDebug().noquote() << QStringLiteral("Group %1 room %2 clicked, but no such room is registered.")
                                  .arg(groupId)
                                  .arg(roomId);
        return QString();
    }
    // A group of one room has no combination; neither has a selection
    // that a stale or hand-made panel left out of range.
    if (!pGroup || !pGroup->combo(selectedCombo)) {
        qDebug().noquote() << QStringLiteral("Group %1 room %2 clicked with combination %3 selected, "
                                             "which the group does not have.")
                                  .arg(groupId)
                                  .arg(roomId)
                                  .arg(selectedCombo);
        return QString();
    }
    int current = -1;
    {
        QReadLocker locker(&m_lock);
        current = pRoom->comboIndex();
    }
    qDebug().noquote() << QStringLiteral("Group %1 room %2 (%3) clicked.")
                              .arg(groupId)
                              .arg(roomId)
                              .arg(pRoom->name());
    qDebug().noquote() << QStringLiteral("  currently in combo %1").arg(current);

    QString result;
    QString colour = RoomCombine::uncombinedRoomColor();
    bool leftSingle = false;
    {
        QWriteLocker locker(&m_lock);
        // The model now shows what the command will make; should the
        // processor refuse or lose it, its next report must be taken even
        // if it repeats the last one.
        m_lastStateReply.clear();
        // Tested under the write lock, so that nothing changes between the
        // test and the step.
        if (pGroup->combo(selectedCombo)->hasRoom(roomId)) {
            result = pGroup->splitRoomFromCombo(roomId, selectedCombo, pRoom, &leftSingle);
            pRoom->setComboIndex(-1);
        } else {
            QString splitText;
            if (pRoom->comboIndex() != -1) {
                splitText = pGroup->splitRoomFromCombo(roomId, pRoom->comboIndex(), pRoom, nullptr);
                pRoom->setComboIndex(-1);
            }
            bool joined = false;
            const QString joinText = pGroup->joinRoomToCombo(roomId, selectedCombo, pRoom, &joined);
            // A refused join leaves the room in no combination.
            if (joined) {
                pRoom->setComboIndex(selectedCombo);
                colour = RoomCombine::comboColorList().value(selectedCombo, colour);
            }
            if (splitText.isEmpty())
                result = joinText;
            else if (joinText.isEmpty())
                result = splitText;
            else
                result = splitText + QLatin1Char(';') + joinText;
        }
    }
    // A combiner takes the whole state in one line, unless nothing stays
    // combined or the selected combination was left with one room: then
    // the single command says it.
    if (pRoom->combinerFlag() == 1 && !result.isEmpty()) {
        const QString fullState = pGroup->fullStateCommand(&m_lock);
        if (!fullState.endsWith(QLatin1String(",\r")) && !leftSingle)
            result = fullState;
    }
    if (pColour)
        *pColour = colour;
    return result;
}

HRCGroupInfo::StateReply HRCGroupInfo::parseStateReply(const QString &text)
{
    StateReply reply;
    QString line = text;
    if (line.endsWith(QLatin1Char('\r')))
        line.chop(1);
    const QStringList pieces = line.split(QLatin1Char('['));
    QString head = pieces.first();
    if (head.endsWith(QLatin1Char(','))) {
        head.chop(1);
        const QStringList words = head.split(QLatin1Char(' '));
        bool ok = false;
        const int groupId = words.size() == 2 ? words.at(1).toInt(&ok) : 0;
        if (ok && words.at(0) == QLatin1String("GRC"))
            reply.groupId = groupId;
    }
    reply.hasLists = pieces.size() > 1;
    reply.wellFormed = true;
    for (qsizetype i = 1; i < pieces.size(); ++i) {
        const QString &piece = pieces.at(i);
        if (!piece.endsWith(QLatin1Char(']')) || piece.count(QLatin1Char(']')) != 1) {
            reply.wellFormed = false;
            continue;
        }
        QList<int> rooms;
        const QStringList ids = piece.chopped(1).split(QLatin1Char(','));
        for (const QString &id : ids) {
            bool ok = false;
            const int room = id.toInt(&ok);
            if (ok && !rooms.contains(room))
                rooms.append(room);
        }
        reply.lists.append(rooms);
    }
    return reply;
}

void HRCGroupInfo::handleCombineStateReply(const QString &text)
{
    StateReply reply = parseStateReply(text);
    QWriteLocker locker(&m_lock);
    if (text == m_lastStateReply)
        return;
    m_lastStateReply = text;
    qDebug().noquote() << QTime::currentTime().toString(QStringLiteral("H:mm:ss.zzz"))
            + QStringLiteral(" GRC response: ") + text.trimmed();
    RCGroup *pGroup = reply.groupId > 0 ? findGroup(reply.groupId) : nullptr;
    if (!pGroup)
        return;
    if (!reply.wellFormed) {
        // A report cut short says nothing certain about the lists it lost.
        qDebug() << "GRC response ignored: a room list is not closed.";
        return;
    }
    if (!reply.hasLists) {
        pGroup->clearCombos(true);
    } else {
        for (QList<int> &rooms : reply.lists)
            rooms.removeIf([pGroup](int room) { return !pGroup->hasRoom(room); });
        pGroup->setCombos(reply.lists);
    }
    updateComboIndexes();
}

QString HRCGroupInfo::lastStateReply() const
{
    QReadLocker locker(&m_lock);
    return m_lastStateReply;
}

void HRCGroupInfo::resetLastStateReply()
{
    QWriteLocker locker(&m_lock);
    m_lastStateReply.clear();
}
