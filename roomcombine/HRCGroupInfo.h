#pragma once

#include <QList>
#include <QMap>
#include <QObject>
#include <QString>

// The room-combining tables of one chassis: the combinable rooms of its
// room-combiner blocks and the groups they belong to.
//
// So far this keeps only what the device tree hands it while a design is
// read (the rooms, their groups and the group names); combinations, their
// colours and the join, split and query logic come with room combining.
class HRCGroupInfo : public QObject
{
    Q_OBJECT

public:
    // One registered room.
    struct Room
    {
        int roomId = 0;
        QString name;
        int groupId = 0;
        // 1 for the room-combiner blocks, 0 for the conference router.
        int combinerFlag = 0;
        // The node id of the block that registered the room.
        int blockValue = 0;
        QList<int> neighbours;
    };

    explicit HRCGroupInfo(QObject *parent = nullptr);
    ~HRCGroupInfo() override;

    // Stores the room under its group and room ids (a second registration
    // under the same ids replaces the first) and makes the group when it is
    // missing.
    void addRoom(int roomId, const QString &name, int groupId, int combinerFlag, int blockValue,
                 const QList<int> &neighbours);
    // Registers every room of the group with the other tables.
    void copyGroupTo(HRCGroupInfo *pTarget, const QString &groupIdText) const;
    // Names the group when it exists.
    void setGroupName(int groupId, const QString &name);
    // Forgets every room and group.
    void clear();

    static QString roomKey(int groupId, int roomId);
    // The room under the ids, or null.
    const Room *findRoom(int groupId, int roomId) const;
    QList<Room> rooms() const { return m_rooms.values(); }
    bool hasGroup(int groupId) const { return m_groupNames.contains(groupId); }
    // "NOT_NAMED" until named; empty for a group that does not exist.
    QString groupName(int groupId) const { return m_groupNames.value(groupId); }
    QList<int> groupIds() const { return m_groupNames.keys(); }

private:
    QMap<QString, Room> m_rooms;
    QMap<int, QString> m_groupNames;
};
