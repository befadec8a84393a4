#include "RoomInfo.h"

#include <QStringList>

RoomInfo::RoomInfo(int roomId, const QString &name, int groupId, int combinerFlag, int blockValue,
                   const QList<int> &neighbours)
    : m_name(name)
    , m_groupId(groupId)
    , m_roomId(roomId)
    , m_combinerFlag(combinerFlag)
    , m_blockValue(blockValue)
    , m_neighbours(neighbours)
{
}

RoomInfo::~RoomInfo() = default;

QString RoomInfo::shortName() const
{
    const QStringList parts = m_name.split(QLatin1Char('-'));
    return parts.size() == 2 ? parts.at(1) : m_name;
}
