#pragma once

#include "devices/HComposite.h"

#include <QTimer>

class HRCGroupInfo;
class HRCRoom;

// A room-combining group of the design, as a node: it hangs under the main
// chassis and holds one room node for each room of its group that the
// chassis's room-combining tables know. It holds no combining state of its
// own: it asks the chassis's tables, turns a room's click into the
// processor's commands, passes the state query and its report through, and
// tells the widgets by signals.
//
// A click reaches the group queued from its room; the group's answer goes
// queued to every room, and only the clicked room passes it on to its
// widgets. A state report reaches the widgets of the group and, forwarded,
// of every room through queryResponseReady.
class HRCGroup : public HComposite
{
    Q_OBJECT

public:
    // How long a state query counts as outstanding: just under the
    // second in which the panels' polling asks again.
    static constexpr int QueryIntervalMs = 997;

    HRCGroup();
    ~HRCGroup() override;

    // The group number: the id text as a number, 0 when it is none.
    int groupId() const;
    // The room child whose id text equals the text, or null.
    HRCRoom *findRoomByIdText(const QString &idText) const;
    // The chassis's tables; null when the group is not below a chassis.
    HRCGroupInfo *groupInfo() const;

    // Makes (or, merging, refreshes) a room node for each room 1, 2, 3 ...
    // of the group, up to the first number the tables lack.
    void buildChildren(HNodeFactory *pFactory, bool merging) override;

    // "lightblue" without a chassis, else the room's combination colour.
    QString roomColor(int roomId) const override;
    int selectedCombo() const override { return m_selectedCombo; }
    void setSelectedCombo(int index) override { m_selectedCombo = index; }
    // The group's combination colours; empty without a chassis.
    QStringList combos() const override;
    void combinedRoomNames(int roomId, QStringList *pNames) const override;
    // True for QueryIntervalMs after the last state query.
    bool isQueryPending() const override;
    // "GRC <id>"; marks a query outstanding.
    QString stateQueryCommand() override;
    // Takes the processor's report into the tables and tells the widgets;
    // anything that does not begin with "GRC " is no report and is left.
    void handleQueryResponse(const QString &reply) override;
    QString roomCombineName() const override { return m_roomCombineText; }
    const QTimer &queryTimer() const { return m_queryTimer; }
    void updateFrom(HNode *pOther) override;
    HNode *selectParent(HChassis *pMainChassis, HChassis *pActiveChassis) override;
    // The parent chassis names its group after this node.
    void setParent(HComposite *pParent) override;
    // The group is a candidate itself, then its rooms.
    HNode *findByCategory(const QString &category) override;
    HNode *findByCategoryAndNodeID(const QString &category, int nodeID) override;
    // Found by category and nodeID itself, before the nodes below it.
    bool searchedItself() const override { return true; }
    HNode *findByCategoryAndProperty(const QString &category, const QString &key,
                                     const QString &value) override;
    bool appendIfCategory(const QString &category, QList<HNode *> *pList) override;
    bool collectByCategory(const QString &category, QList<HNode *> *pList) override;
    void clearAttached(bool keepOwn) override;
    // The group and its rooms talk through the chassis's protocol.
    void setProtocol(PProtocol *pProtocol) override;
    HNode *findCounterpart(HNode *pScope) override;
    QString resourceFolder() const override;
    QString category() const override;

public slots:
    // A room of the group was clicked: the tables change, and the answer
    // goes to the rooms as the room's new colour and the commands to send,
    // or as a message for the operator. A refused join after leaving
    // another combination gives both: the split goes out, the message is
    // shown.
    void onRoomControlClicked(int roomID);

private:
    void connectRoom(HRCRoom *pRoom);

    QTimer m_queryTimer;
    int m_selectedCombo = 0;
    QString m_roomCombineText;
};
