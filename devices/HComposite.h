#pragma once

#include "HNode.h"

#include <memory>

class HNodeIndex;

// A node with children: it owns an ordered list of child nodes (each listed
// once) and carries the tree-wide operations down to them. Searches are
// depth-first, the first match in child order wins, and a composite never
// matches itself.
class HComposite : public HNode
{
    Q_OBJECT

public:
    HComposite();
    // Deletes every child, in list order.
    ~HComposite() override;

    HNode *findByCategory(const QString &category) override;
    HNode *findByNodeID(int nodeID) override;
    // Answered from the composite's index (see HNodeIndex) with the node
    // the depth-first walk would find.
    HNode *findByCategoryAndNodeID(const QString &category, int nodeID) override;
    HNode *findByProperty(const QString &key, const QString &value) override;
    HNode *findByCategoryAndProperty(const QString &category, const QString &key,
                                     const QString &value) override;

    bool searchedItself() const override { return false; }

    bool removeChild(HNode *pChild) override;
    // Prunes the children; true when none is left. A device shown in the
    // status view stays whatever happens to its children.
    bool pruneIfNotUsed() override;
    void clearUsed() override;
    bool pruneByUse(bool used) override;
    // True when one of the children is in use.
    bool isUsed() const override;
    void clearAttached(bool keepOwn) override;
    bool pruneUnkept() override;

    // The composite itself is never appended; its children's matches are,
    // level after level.
    bool appendIfCategory(const QString &category, QList<HNode *> *pList) override;
    bool collectStatusDevices(QList<HNode *> *pList) override;
    void sortByOrder(QList<HNode *> *pList) override;
    bool collectByCategory(const QString &category, QList<HNode *> *pList) override;
    void connectInterfaceStatus(QObject *pReceiver) override;

    // Takes ownership of the child, sets its parent and hands it this
    // composite's protocol.
    void addChild(HNode *pChild) override;
    void moveChildToEnd(HNode *pChild) override;
    HNode *childAt(int index) const override;
    int childCount() const { return m_children.size(); }

    void shareRoomCombineState(HChassis *pChassis, const QString &groupId) override;
    // Hands the protocol to every child; the composite's own stays.
    void setProtocol(PProtocol *pProtocol) override;
    QString category() const override;

    // Runs when the design reader ends a merge.
    void mergeDone() {}

protected:
    // Takes the child at index out of the list and deletes it.
    void destroyChildAt(int index);

    QList<HNode *> m_children;

private:
    HNode *walkForCategoryAndNodeID(const QString &category, int nodeID);
    // The index of the nodes below, rebuilt when the tree changed.
    HNodeIndex &index();

    std::unique_ptr<HNodeIndex> m_pIndex;
};
