#include "HNodeIndex.h"

#include "HComposite.h"

quint64 HNodeIndex::s_generation = 0;
bool HNodeIndex::s_regular = true;

HNodeIndex::HNodeIndex()
    : m_generation(s_generation)
{
}

void HNodeIndex::addSubtree(HNode *pNode)
{
    if (!pNode)
        return;
    m_byNodeID[pNode->nodeID()].append(pNode);
    if (const auto *pComposite = qobject_cast<const HComposite *>(pNode)) {
        for (int i = 0; i < pComposite->childCount(); ++i)
            addSubtree(pComposite->childAt(i));
    }
}

const HNodeIndex::Nodes *HNodeIndex::nodesWithId(int nodeID) const
{
    const auto it = m_byNodeID.constFind(nodeID);
    return it == m_byNodeID.cend() ? nullptr : &it.value();
}
