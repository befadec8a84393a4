#pragma once

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

class HRCGroupInfo;
class QReadWriteLock;
class RCCombo;
class RoomInfo;

// One room-combining group of a chassis: its rooms, its combinations and
// their colours. Combinations come into being as rooms register (one for
// every two rooms, at most one per colour) and are never removed; one that
// loses its rooms stays, empty.
//
// The room lists of the combinations are combination state: the operations
// that read or change them take no lock themselves, their callers hold the
// owner's lock (fullStateCommand takes the read lock it is given).
class RCGroup : public QObject
{
    Q_OBJECT

public:
    RCGroup(int groupId, HRCGroupInfo *pOwner);
    ~RCGroup() override;

    int groupId() const { return m_groupId; }
    HRCGroupInfo *owner() const { return m_pOwner; }
    // "NOT_NAMED" until the group node names it.
    QString name() const { return m_name; }
    void setName(const QString &name) { m_name = name; }
    // The room ids in the order they registered, each once.
    const QList<int> &roomIds() const { return m_roomIds; }
    bool hasRoom(int roomId) const { return m_roomIds.contains(roomId); }
    const QList<RCCombo *> &combos() const { return m_combos; }
    int comboCount() const { return int(m_combos.size()); }
    // The combination at the index; null outside the list.
    RCCombo *combo(int index) const;
    // One colour per combination, in combination order.
    const QStringList &comboColors() const { return m_comboColors; }
    // "lightgray" for an index outside the list.
    QString comboColor(int index) const;

    // Adds the room once; each second room brings a combination.
    void addRoom(int roomId);
    // A new empty combination with the next colour; its index, or -1 when
    // every colour is taken.
    int addCombo();

    // The first combination holding the room; -1 for none.
    int comboIndexOfRoom(int roomId) const;
    // The other rooms of combination index; out is left as it is for an
    // index outside the list.
    void otherRoomsInCombo(int roomId, int index, QList<int> *pOut) const;

    // Empties every combination, or with onlyCombined only those of two or
    // more rooms (a lone room keeps its combination).
    void clearCombos(bool onlyCombined);
    // Takes the combinations of a state report, in report order, matching
    // each to the combination that holds its first room.
    void setCombos(const QList<QList<int>> &newCombos);

    // The join step of a click on combination index: an empty combination
    // takes the room without a command; otherwise the join commands, and
    // the room is added only when they could be built. *pJoined says
    // whether the room is in the combination afterwards.
    QString joinRoomToCombo(int roomId, int index, const RoomInfo *pInfo, bool *pJoined);
    // The split step: the room leaves combination index; with a RoomInfo
    // the split commands for the rooms left. *pLeftSingle says whether
    // exactly one room is left.
    QString splitRoomFromCombo(int roomId, int index, const RoomInfo *pInfo, bool *pLeftSingle);

    // "SRC g,[..][..]" with every combination of two or more rooms, read
    // under the given read lock.
    QString fullStateCommand(QReadWriteLock *pLock) const;

private:
    int m_groupId;
    HRCGroupInfo *m_pOwner;
    QString m_name = QStringLiteral("NOT_NAMED");
    QList<int> m_roomIds;
    QList<RCCombo *> m_combos;
    QStringList m_comboColors;
};
