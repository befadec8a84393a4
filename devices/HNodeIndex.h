#pragma once

#include <QHash>
#include <QVarLengthArray>

class HNode;

// The nodes below one composite, by node id: what lets a panel control find
// its node without walking the device tree. A composite builds its index
// on the first search and keeps it until the tree changes in a way the
// index cannot follow.
//
// Appending a new node to a composite adds it (with whatever hangs below it)
// to the current indexes above; every other change (a node taken out or
// deleted, a node id changed on a placed node) moves the tree's generation
// on, and each index built before it is rebuilt at its next search. A node
// listed under two composites at once makes the tree irregular, and from
// then on every search walks the tree as it is.
//
// All of it runs on the GUI thread, as the device tree does.
class HNodeIndex
{
public:
    using Nodes = QVarLengthArray<HNode *, 1>;

    HNodeIndex();

    // Adds the node and every node below it.
    void addSubtree(HNode *pNode);
    // The nodes of that id, in no particular order; null when none.
    const Nodes *nodesWithId(int nodeID) const;
    bool isCurrent() const { return m_generation == s_generation; }

    // A change the indexes cannot follow: each one is rebuilt when next used.
    static void treeChanged() { ++s_generation; }
    static void markIrregular()
    {
        s_regular = false;
        treeChanged();
    }
    static bool isUsable() { return s_regular; }

private:
    QHash<int, Nodes> m_byNodeID;
    quint64 m_generation;

    static quint64 s_generation;
    static bool s_regular;
};
