#pragma once

#include <QList>
#include <QObject>
#include <QString>

class RoomInfo;

// One combination of a room-combining group: the rooms joined in it, in the
// order they were added or in the order of the processor's last report.
// Its room list is combination state: the tables' lock guards it.
class RCCombo : public QObject
{
    Q_OBJECT

public:
    explicit RCCombo(int groupId);
    ~RCCombo() override;

    int groupId() const { return m_groupId; }
    const QList<int> &roomIds() const { return m_roomIds; }
    int count() const { return int(m_roomIds.size()); }
    bool isEmpty() const { return m_roomIds.isEmpty(); }
    // The room at position i; -1 outside the list.
    int roomAt(int i) const;
    bool hasRoom(int roomId) const { return m_roomIds.contains(roomId); }

    void appendRoom(int roomId) { m_roomIds.append(roomId); }
    // Removes every occurrence; true when the room was there.
    bool removeRoom(int roomId) { return m_roomIds.removeAll(roomId) > 0; }
    void setRoomIds(const QList<int> &roomIds) { m_roomIds = roomIds; }
    void clearRooms() { m_roomIds.clear(); }

    // The rooms as the processor writes them: the one-digit numbers first,
    // then the longer ones, each set in text order, joined with ",".
    QString roomListText() const;

    // The commands that join the room to this combination. A combiner
    // room joins the first room; a router room joins each of its
    // neighbours found here. False when a router room has no neighbour
    // here: the text is then the failure message for the operator.
    bool buildJoinText(int room, const RoomInfo &info, QString *pText) const;
    // The commands that split the room off, once it has left: empty when
    // no room it is joined to is left here.
    QString buildSplitText(int room, const RoomInfo &info) const;

private:
    int m_groupId;
    QList<int> m_roomIds;
};
