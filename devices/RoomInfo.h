#pragma once

#include <QList>
#include <QObject>
#include <QString>

// One combinable room of a chassis, as its room-combiner block registered
// it. Its combination index is part of the combination state and is read
// and written under the lock of the tables that own the room.
class RoomInfo : public QObject
{
    Q_OBJECT

public:
    RoomInfo(int roomId, const QString &name, int groupId, int combinerFlag, int blockValue,
             const QList<int> &neighbours);
    ~RoomInfo() override;

    // The block's label, "-" and the block's room name ("Hall-East").
    QString name() const { return m_name; }
    // The part after "-" when the name has exactly one; else the name.
    QString shortName() const;
    int groupId() const { return m_groupId; }
    // The room's number within its group, from 1.
    int roomId() const { return m_roomId; }
    // 1 for a room of a room-combiner block, 0 for a conference router's:
    // it decides how joins and splits are written.
    int combinerFlag() const { return m_combinerFlag; }
    // The node id of the block that registered the room.
    int blockValue() const { return m_blockValue; }
    // The rooms a router room may be joined to directly; empty for
    // combiner rooms.
    QList<int> neighbours() const { return m_neighbours; }

    // The combination of the group that holds the room; -1 for none.
    int comboIndex() const { return m_comboIndex; }
    void setComboIndex(int index) { m_comboIndex = index; }

private:
    QString m_name;
    int m_groupId;
    int m_roomId;
    int m_combinerFlag;
    int m_blockValue;
    QList<int> m_neighbours;
    int m_comboIndex = -1;
};
