#include "RCCombo.h"

#include "RoomCombine.h"
#include "RoomInfo.h"

#include <QStringList>

#include <algorithm>

RCCombo::RCCombo(int groupId)
    : m_groupId(groupId)
{
}

RCCombo::~RCCombo() = default;

int RCCombo::roomAt(int i) const
{
    return i >= 0 && i < m_roomIds.size() ? m_roomIds.at(i) : -1;
}

QString RCCombo::roomListText() const
{
    QStringList shortTexts;
    QStringList longTexts;
    for (int id : m_roomIds) {
        const QString text = QString::number(id);
        (text.size() == 1 ? shortTexts : longTexts).append(text);
    }
    std::sort(shortTexts.begin(), shortTexts.end());
    std::sort(longTexts.begin(), longTexts.end());
    return (shortTexts + longTexts).join(QLatin1Char(','));
}

bool RCCombo::buildJoinText(int room, const RoomInfo &info, QString *pText) const
{
    QString text;
    bool joined = false;
    if (info.combinerFlag() != 0) {
        text = RoomCombine::joinRoomCommand(m_groupId, roomAt(0), room);
        joined = true;
    } else {
        QStringList commands;
        const QList<int> neighbours = info.neighbours();
        for (int neighbour : neighbours) {
            if (hasRoom(neighbour))
                commands.append(RoomCombine::joinRoomCommand(m_groupId, neighbour, room));
        }
        joined = !commands.isEmpty();
        text = joined ? commands.join(QLatin1Char(';'))
                      : RoomCombine::combineFailurePrefix()
                + tr("Cannot add '%1' to the selected combination.").arg(info.name());
    }
    if (pText)
        *pText = text;
    return joined;
}

QString RCCombo::buildSplitText(int room, const RoomInfo &info) const
{
    if (info.combinerFlag() != 0)
        return isEmpty() ? QString() : RoomCombine::splitRoomCommand(m_groupId, roomAt(0), room);
    QStringList commands;
    const QList<int> neighbours = info.neighbours();
    for (int neighbour : neighbours) {
        if (hasRoom(neighbour))
            commands.append(RoomCombine::splitRoomCommand(m_groupId, neighbour, room));
    }
    return commands.join(QLatin1Char(';'));
}
