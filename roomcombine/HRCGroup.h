#pragma once

#include "devices/HComposite.h"

class HRCRoom;

// A room-combining group of the design, as a node: it hangs under the main
// chassis and holds one room node for each room of its group that the
// chassis's room-combining tables know.
//
// Only the container is here so far; the state query, the click path and
// the colours come with room combining.
class HRCGroup : public HComposite
{
    Q_OBJECT

public:
    HRCGroup();
    ~HRCGroup() override;

    // The group number: the id text as a number, 0 when it is none.
    int groupId() const;
    // The room child whose id text equals the text, or null.
    HRCRoom *findRoomByIdText(const QString &idText) const;

    // Makes (or, merging, refreshes) a room node for each room 1, 2, 3 ...
    // of the group, up to the first number the tables lack.
    void buildChildren(HNodeFactory *pFactory, bool merging) override;
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
};
