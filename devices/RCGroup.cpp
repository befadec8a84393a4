#include "RCGroup.h"

#include "RCCombo.h"
#include "RoomCombine.h"

#include <QDebug>
#include <QReadLocker>

RCGroup::RCGroup(int groupId, HRCGroupInfo *pOwner)
    : m_groupId(groupId)
    , m_pOwner(pOwner)
{
}

RCGroup::~RCGroup()
{
    qDeleteAll(m_combos);
}

RCCombo *RCGroup::combo(int index) const
{
    return index >= 0 && index < m_combos.size() ? m_combos.at(index) : nullptr;
}

QString RCGroup::comboColor(int index) const
{
    return index >= 0 && index < m_comboColors.size() ? m_comboColors.at(index)
                                                      : RoomCombine::uncombinedRoomColor();
}

void RCGroup::addRoom(int roomId)
{
    if (m_roomIds.contains(roomId))
        return;
    m_roomIds.append(roomId);
    if (m_roomIds.size() >= 2 && m_combos.size() < m_roomIds.size() / 2)
        addCombo();
}

int RCGroup::addCombo()
{
    const QStringList &colours = RoomCombine::comboColorList();
    const int n = int(m_combos.size());
    if (n >= colours.size())
        return -1;
    m_combos.append(new RCCombo(m_groupId));
    m_comboColors.append(colours.at(n));
    return n;
}

int RCGroup::comboIndexOfRoom(int roomId) const
{
    for (int i = 0; i < m_combos.size(); ++i) {
        if (m_combos.at(i)->hasRoom(roomId))
            return i;
    }
    return -1;
}

void RCGroup::otherRoomsInCombo(int roomId, int index, QList<int> *pOut) const
{
    const RCCombo *pCombo = combo(index);
    if (!pCombo || !pOut)
        return;
    *pOut = pCombo->roomIds();
    pOut->removeAll(roomId);
}

void RCGroup::clearCombos(bool onlyCombined)
{
    for (RCCombo *pCombo : std::as_const(m_combos)) {
        if (!onlyCombined || pCombo->count() > 1)
            pCombo->clearRooms();
    }
}

void RCGroup::setCombos(const QList<QList<int>> &newCombos)
{
    if (m_combos.size() < newCombos.size()) {
        qDebug().noquote() << QStringLiteral(
                                  "RCGroup::setCombos: Combo count mismatch; too many new combos %1/%2")
                                  .arg(newCombos.size())
                                  .arg(m_combos.size());
    }
    // A room alone in a combination is the operator's choice of where the
    // next room goes; the processor does not report it, so a report that
    // leaves it out keeps it there.
    QList<int> singles;
    for (const RCCombo *pCombo : std::as_const(m_combos)) {
        if (pCombo->count() == 1)
            singles.append(pCombo->roomAt(0));
    }

    QList<int> mentioned;
    for (const QList<int> &rooms : newCombos) {
        mentioned += rooms;
        // A list that names no room has no combination to go to.
        if (rooms.isEmpty() || m_combos.isEmpty())
            continue;
        RCCombo *pTarget = combo(comboIndexOfRoom(rooms.first()));
        for (int i = 0; !pTarget && i < m_combos.size(); ++i) {
            if (m_combos.at(i)->isEmpty())
                pTarget = m_combos.at(i);
        }
        for (int i = int(m_combos.size()) - 1; !pTarget && i >= 0; --i) {
            if (m_combos.at(i)->count() == 1)
                pTarget = m_combos.at(i);
        }
        if (!pTarget)
            pTarget = m_combos.last();
        pTarget->setRoomIds(rooms);
        for (RCCombo *pOther : std::as_const(m_combos)) {
            if (pOther == pTarget)
                continue;
            for (int room : rooms)
                pOther->removeRoom(room);
        }
    }

    for (int room : std::as_const(m_roomIds)) {
        if (mentioned.contains(room) || singles.contains(room))
            continue;
        for (int index = comboIndexOfRoom(room); index >= 0; index = comboIndexOfRoom(room))
            splitRoomFromCombo(room, index, nullptr, nullptr);
    }
}

QString RCGroup::joinRoomToCombo(int roomId, int index, const RoomInfo *pInfo, bool *pJoined)
{
    RCCombo *pCombo = combo(index);
    QString text;
    bool joined = false;
    if (pCombo) {
        if (pCombo->hasRoom(roomId)) {
            joined = true;
        } else if (pCombo->isEmpty()) {
            // A room alone needs no command.
            pCombo->appendRoom(roomId);
            joined = true;
        } else if (pInfo) {
            joined = pCombo->buildJoinText(roomId, *pInfo, &text);
            if (joined)
                pCombo->appendRoom(roomId);
        }
    }
    if (pJoined)
        *pJoined = joined;
    return text;
}

QString RCGroup::splitRoomFromCombo(int roomId, int index, const RoomInfo *pInfo,
                                    bool *pLeftSingle)
{
    RCCombo *pCombo = combo(index);
    QString text;
    if (pCombo) {
        const bool wasIn = pCombo->removeRoom(roomId);
        if (wasIn && !pCombo->isEmpty() && pInfo)
            text = pCombo->buildSplitText(roomId, *pInfo);
    }
    if (pLeftSingle)
        *pLeftSingle = pCombo && pCombo->count() == 1;
    return text;
}

QString RCGroup::fullStateCommand(QReadWriteLock *pLock) const
{
    QStringList lists;
    {
        QReadLocker locker(pLock);
        for (const RCCombo *pCombo : m_combos) {
            if (pCombo->count() > 1)
                lists.append(pCombo->roomListText());
        }
    }
    return RoomCombine::fullStateCommand(m_groupId, lists);
}
