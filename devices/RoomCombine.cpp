#include "RoomCombine.h"

namespace RoomCombine {

const QStringList &comboColorList()
{
    static const QStringList colours = {
        QStringLiteral("crimson"), QStringLiteral("orange"), QStringLiteral("yellow"),
        QStringLiteral("lime"),    QStringLiteral("skyblue"), QStringLiteral("cyan"),
        QStringLiteral("orchid"),  QStringLiteral("sienna"),
    };
    return colours;
}

QString uncombinedRoomColor()
{
    return QStringLiteral("lightgray");
}

QString combineFailurePrefix()
{
    return QStringLiteral("FAILURE::");
}

QString roomKey(int groupId, int roomId)
{
    return QStringLiteral("RK_%1_%2").arg(groupId).arg(roomId);
}

bool parseRoomKey(const QString &key, int *pGroupId, int *pRoomId)
{
    const QStringList parts = key.split(QLatin1Char('_'));
    const bool ok = parts.size() == 3;
    const int group = ok ? parts.at(1).toInt() : -1;
    const int room = ok ? parts.at(2).toInt() : -1;
    if (pGroupId)
        *pGroupId = group;
    if (pRoomId)
        *pRoomId = room;
    return ok;
}

QString joinRoomCommand(int groupId, int roomInCombo, int room)
{
    return QStringLiteral("SRC %1,%2,%3,J\r").arg(groupId).arg(roomInCombo).arg(room);
}

QString splitRoomCommand(int groupId, int roomStaying, int room)
{
    return QStringLiteral("SRC %1,%2,%3,S\r").arg(groupId).arg(roomStaying).arg(room);
}

QString fullStateCommand(int groupId, const QStringList &roomLists)
{
    QString lists;
    for (const QString &list : roomLists)
        lists += QLatin1Char('[') + list + QLatin1Char(']');
    return QStringLiteral("SRC %1,%2\r").arg(groupId).arg(lists);
}

QString combineStateQuery(const QString &groupIdText)
{
    return QStringLiteral("GRC %1\r").arg(groupIdText);
}

void separateFailure(const QString &result, QString *pCommands, QString *pMessage)
{
    const QString prefix = combineFailurePrefix();
    QString commands = result;
    QString message;
    if (result.startsWith(prefix)) {
        commands.clear();
        message = result.mid(prefix.size());
    } else {
        const qsizetype at = result.indexOf(QLatin1Char(';') + prefix);
        if (at >= 0) {
            commands = result.left(at);
            message = result.mid(at + 1 + prefix.size());
        }
    }
    if (pCommands)
        *pCommands = commands;
    if (pMessage)
        *pMessage = message;
}

} // namespace RoomCombine
