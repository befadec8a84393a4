#include "HRCGroupInfo.h"

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
    m_rooms.insert(roomKey(groupId, roomId),
                   Room{roomId, name, groupId, combinerFlag, blockValue, neighbours});
    if (!m_groupNames.contains(groupId))
        m_groupNames.insert(groupId, QStringLiteral("NOT_NAMED"));
}

void HRCGroupInfo::copyGroupTo(HRCGroupInfo *pTarget, const QString &groupIdText) const
{
    if (!pTarget || pTarget == this)
        return;
    bool ok = false;
    const int groupId = groupIdText.toInt(&ok, 10);
    if (!ok)
        return;
    for (const Room &room : m_rooms) {
        if (room.groupId == groupId)
            pTarget->addRoom(room.roomId, room.name, room.groupId, room.combinerFlag,
                             room.blockValue, room.neighbours);
    }
}

void HRCGroupInfo::setGroupName(int groupId, const QString &name)
{
    auto it = m_groupNames.find(groupId);
    if (it != m_groupNames.end())
        *it = name;
}

void HRCGroupInfo::clear()
{
    m_rooms.clear();
    m_groupNames.clear();
}

QString HRCGroupInfo::roomKey(int groupId, int roomId)
{
    return QStringLiteral("RK_%1_%2").arg(groupId).arg(roomId);
}

const HRCGroupInfo::Room *HRCGroupInfo::findRoom(int groupId, int roomId) const
{
    const auto it = m_rooms.constFind(roomKey(groupId, roomId));
    return it == m_rooms.cend() ? nullptr : &it.value();
}
