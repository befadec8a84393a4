#pragma once

#include <QList>
#include <QMap>
#include <QObject>
#include <QReadWriteLock>
#include <QString>
#include <QStringList>

class RCGroup;
class RoomInfo;

// The room-combining tables of one chassis: every combinable room of its
// room-combiner blocks, the groups they belong to with their combinations,
// and the join, split and state-report logic that changes them.
//
// The tables are filled while a design is read and change afterwards only
// by clicks and the processor's state reports. Everything runs on the GUI
// thread; the lock still guards the combination state (each combination's
// rooms and each room's combination index). It is not recursive: no
// operation that holds it calls one that takes it.
class HRCGroupInfo : public QObject
{
    Q_OBJECT

public:
    // A state report broken into its parts (see parseStateReply).
    struct StateReply
    {
        // The group the report names; -1 when its head is not "GRC g,".
        int groupId = -1;
        // False for "GRC g," without any list.
        bool hasLists = false;
        // False when a list is cut off or anything follows its "]".
        bool wellFormed = false;
        QList<QList<int>> lists;
    };

    explicit HRCGroupInfo(QObject *parent = nullptr);
    ~HRCGroupInfo() override;

    // --- Building (not locked) ----------------------------------------------

    // Registers the room under its key (a second registration takes the
    // key's place; the first record is deleted) and in its group.
    void addRoom(int roomId, const QString &name, int groupId, int combinerFlag, int blockValue,
                 const QList<int> &neighbours);
    // Makes the group when missing and adds the room to it.
    void addRoomToGroup(int roomId, int groupId);
    // Registers every room of the group with the other tables, which get
    // combinations of their own.
    void copyGroupTo(HRCGroupInfo *pTarget, const QString &groupIdText) const;
    // Names the group when it exists.
    void setGroupName(int groupId, const QString &name);
    // Deletes every room and group.
    void clear();

    // --- Queries ------------------------------------------------------------

    RoomInfo *findRoom(int groupId, int roomId) const;
    RCGroup *findGroup(int groupId) const;
    // Rooms by key ("RK_g_r", in key text order) and groups by id.
    const QMap<QString, RoomInfo *> &rooms() const { return m_rooms; }
    const QMap<int, RCGroup *> &groups() const { return m_groups; }
    // "UNKNOWN" for a room that is not registered.
    QString roomName(int groupId, int roomId) const;
    // -1 for a room that is not registered.
    int roomBlockValue(int groupId, int roomId) const;
    // The group's colours, one per combination; empty for no group.
    QStringList comboColors(int groupId) const;
    // The colour of the room's combination; "lightgray" for a room in no
    // combination, or no such room or group. Read lock.
    QString roomColor(int groupId, int roomId) const;
    // The first combination of the group holding the room; -1 for none or
    // no group. Read lock.
    int comboIndexOfRoom(int groupId, int roomId) const;
    // Whether combination index of the group holds the room. Read lock.
    bool isRoomInCombo(int roomId, int groupId, int index) const;
    // The short names of the other rooms of the room's combination, in the
    // combination's order. Read lock.
    void combinedRoomNames(int roomId, int groupId, QStringList *pOut) const;
    // Brings every room's combination index in line with the combinations.
    // The caller holds the write lock.
    void updateComboIndexes();

    // --- Clicks and state reports -------------------------------------------

    // The operator clicked the room with combination selectedCombo chosen:
    // the room leaves that combination when it is in it, else it joins it
    // (leaving its old one). The tables change at once; the answer is the
    // text for the processor (empty, one or more commands, or a
    // "FAILURE::" message for the operator), and *pColour the colour the
    // room shows from now on. A click that changes nothing (no such room,
    // no such combination) answers empty with an empty colour.
    QString roomClicked(int roomId, int groupId, int selectedCombo, QString *pColour);
    // Takes the processor's combination state from a "GRC g,[..][..]"
    // report, unless it repeats the last report taken.
    void handleCombineStateReply(const QString &text);
    // The last report taken; emptied by every click, so that the next
    // report sets right what a refused or lost command left wrong.
    QString lastStateReply() const;
    void resetLastStateReply();

    // The parts of a report: the head must be "GRC", a blank, the group id
    // and ","; each list is "[" ids "]", ids separated by ","; ids that are
    // empty or no number are left out, as are repeats within a list.
    static StateReply parseStateReply(const QString &text);

    QReadWriteLock *lock() { return &m_lock; }

private:
    QMap<QString, RoomInfo *> m_rooms;
    QMap<int, RCGroup *> m_groups;
    QString m_lastStateReply;
    // Guards the combination state and the last report.
    mutable QReadWriteLock m_lock{QReadWriteLock::NonRecursive};
};
