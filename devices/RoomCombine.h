#pragma once

#include <QString>
#include <QStringList>

// The texts room combining shares between its model, its nodes and the
// processor: colour names, room keys and the "SRC" and "GRC" command lines.
// Every command line ends in a carriage return; numbers are decimal.
namespace RoomCombine {

// The eight combination colours, in combination order. Their number caps
// the combinations of a group.
const QStringList &comboColorList();
// The colour of a room in no combination: "lightgray".
QString uncombinedRoomColor();
// A click result that begins with it is a message for the operator, never
// a command: "FAILURE::".
QString combineFailurePrefix();

// "RK_<group>_<room>".
QString roomKey(int groupId, int roomId);
// Three "_"-separated parts give the group and room (a part that is no
// number gives 0) and true; any other count gives -1, -1 and false.
bool parseRoomKey(const QString &key, int *pGroupId, int *pRoomId);

// "SRC g,inCombo,room,J": join the room to the combination holding inCombo.
QString joinRoomCommand(int groupId, int roomInCombo, int room);
// "SRC g,staying,room,S": split the room from the combination of staying.
QString splitRoomCommand(int groupId, int roomStaying, int room);
// "SRC g,[a,b][c,d]": every combination of the group at once; the lists
// are written one after the other without a separator.
QString fullStateCommand(int groupId, const QStringList &roomLists);
// "GRC <id text>".
QString combineStateQuery(const QString &groupIdText);

// A click result split into what goes to the processor and what goes to
// the operator: the commands before a ";FAILURE::" piece, and that piece's
// message without its prefix. A result that is a failure alone has no
// commands.
void separateFailure(const QString &result, QString *pCommands, QString *pMessage);

} // namespace RoomCombine
