#include "HComposite.h"

#include "HChassis.h"
#include "HNodeIndex.h"
#include "NodeCategory.h"

#include <QDebug>

#include <algorithm>
#include <utility>

HComposite::HComposite() = default;

HComposite::~HComposite()
{
    // Take the list first, so that nothing reached during the deletes walks
    // children that are already gone.
    const QList<HNode *> children = std::exchange(m_children, {});
    for (HNode *pChild : children)
        --pChild->m_listCount;
    qDeleteAll(children);
}

HNode *HComposite::findByCategory(const QString &category)
{
    for (int i = 0; i < m_children.size(); ++i) {
        HNode *pChild = childAt(i);
        if (!pChild)
            continue;
        if (HNode *pFound = pChild->findByCategory(category))
            return pFound;
    }
    return nullptr;
}

HNode *HComposite::findByNodeID(int nodeID)
{
    for (int i = 0; i < m_children.size(); ++i) {
        HNode *pChild = childAt(i);
        if (!pChild)
            continue;
        if (HNode *pFound = pChild->findByNodeID(nodeID))
            return pFound;
    }
    return nullptr;
}

HNode *HComposite::findByCategoryAndNodeID(const QString &category, int nodeID)
{
    if (!HNodeIndex::isUsable())
        return walkForCategoryAndNodeID(category, nodeID);
    const HNodeIndex::Nodes *pNodes = index().nodesWithId(nodeID);
    if (!pNodes)
        return nullptr;
    HNode *pFound = nullptr;
    for (HNode *pNode : *pNodes) {
        if (!pNode->searchedItself() || !pNode->isCategoryAndNodeID(category, nodeID))
            continue;
        // Two answers: the walk says which comes first.
        if (pFound)
            return walkForCategoryAndNodeID(category, nodeID);
        pFound = pNode;
    }
    return pFound;
}

HNodeIndex &HComposite::index()
{
    if (!m_pIndex || !m_pIndex->isCurrent()) {
        m_pIndex = std::make_unique<HNodeIndex>();
        for (HNode *pChild : std::as_const(m_children))
            m_pIndex->addSubtree(pChild);
    }
    return *m_pIndex;
}

HNode *HComposite::walkForCategoryAndNodeID(const QString &category, int nodeID)
{
    for (int i = 0; i < m_children.size(); ++i) {
        HNode *pChild = childAt(i);
        if (!pChild)
            continue;
        if (HNode *pFound = pChild->findByCategoryAndNodeID(category, nodeID))
            return pFound;
    }
    return nullptr;
}

HNode *HComposite::findByProperty(const QString &key, const QString &value)
{
    for (int i = 0; i < m_children.size(); ++i) {
        HNode *pChild = childAt(i);
        if (!pChild)
            continue;
        if (HNode *pFound = pChild->findByProperty(key, value))
            return pFound;
    }
    return nullptr;
}

HNode *HComposite::findByCategoryAndProperty(const QString &category, const QString &key,
                                             const QString &value)
{
    for (int i = 0; i < m_children.size(); ++i) {
        HNode *pChild = childAt(i);
        if (!pChild)
            continue;
        if (HNode *pFound = pChild->findByCategoryAndProperty(category, key, value))
            return pFound;
    }
    return nullptr;
}

bool HComposite::removeChild(HNode *pChild)
{
    if (!pChild || !m_children.removeOne(pChild))
        return false;
    --pChild->m_listCount;
    HNodeIndex::treeChanged();
    return true;
}

bool HComposite::pruneIfNotUsed()
{
    int i = 0;
    while (i < m_children.size()) {
        HNode *pChild = childAt(i);
        if (!pChild) {
            ++i;
            continue;
        }
        const auto *pChassis = qobject_cast<HChassis *>(pChild);
        if (pChild->hasFlags(ChassisFlag) && pChassis && pChassis->isStatusDevice()) {
            pChild->pruneIfNotUsed();
            ++i;
            continue;
        }
        if (pChild->pruneIfNotUsed())
            destroyChildAt(i); // the same index now holds the next child
        else
            ++i;
    }
    return m_children.isEmpty();
}

void HComposite::clearUsed()
{
    for (HNode *pChild : std::as_const(m_children)) {
        if (pChild)
            pChild->clearUsed();
    }
    HNode::clearUsed();
}

bool HComposite::pruneByUse(bool used)
{
    int i = 0;
    while (i < m_children.size()) {
        HNode *pChild = m_children.at(i);
        if (pChild && pChild->pruneByUse(used))
            destroyChildAt(i);
        else
            ++i;
    }
    return HNode::pruneByUse(used);
}

bool HComposite::isUsed() const
{
    return std::any_of(m_children.cbegin(), m_children.cend(),
                       [](const HNode *pChild) { return pChild && pChild->isUsed(); });
}

void HComposite::clearAttached(bool keepOwn)
{
    if (!keepOwn)
        clearFlags(PlacedFlag);
    for (HNode *pChild : std::as_const(m_children)) {
        if (pChild)
            pChild->clearAttached(false);
    }
}

bool HComposite::pruneUnkept()
{
    int i = 0;
    while (i < m_children.size()) {
        HNode *pChild = m_children.at(i);
        if (pChild && pChild->pruneUnkept())
            destroyChildAt(i);
        else
            ++i;
    }
    return m_pParent ? HNode::pruneUnkept() : false;
}

bool HComposite::appendIfCategory(const QString &category, QList<HNode *> *pList)
{
    if (!pList)
        return false;
    const qsizetype before = pList->size();
    for (int i = 0; i < m_children.size(); ++i) {
        if (HNode *pChild = childAt(i))
            pChild->appendIfCategory(category, pList);
    }
    return pList->size() > before;
}

bool HComposite::collectStatusDevices(QList<HNode *> *pList)
{
    if (!pList)
        return false;
    const qsizetype before = pList->size();
    for (int i = 0; i < m_children.size(); ++i) {
        if (HNode *pChild = childAt(i))
            pChild->collectStatusDevices(pList);
    }
    return pList->size() > before;
}

void HComposite::sortByOrder(QList<HNode *> *pList)
{
    if (!pList)
        return;
    std::stable_sort(pList->begin(), pList->end(), [](const HNode *pLeft, const HNode *pRight) {
        // Null entries sort last and keep their places among themselves.
        if (!pLeft || !pRight)
            return pLeft && !pRight;
        return pLeft->order() < pRight->order();
    });
}

bool HComposite::collectByCategory(const QString &category, QList<HNode *> *pList)
{
    if (!pList)
        return false;
    const qsizetype before = pList->size();
    for (int i = 0; i < m_children.size(); ++i) {
        if (HNode *pChild = childAt(i))
            pChild->collectByCategory(category, pList);
    }
    return pList->size() > before;
}

void HComposite::connectInterfaceStatus(QObject *pReceiver)
{
    for (int i = 0; i < m_children.size(); ++i) {
        if (HNode *pChild = childAt(i))
            pChild->connectInterfaceStatus(pReceiver);
    }
}

void HComposite::addChild(HNode *pChild)
{
    if (m_label == QLatin1String("1240 Inputs"))
        qDebug() << "Found 1240 Inputs Group";
    if (!pChild || pChild == this)
        return;
    // A node that no composite lists cannot be in this list.
    const bool fresh = pChild->m_listCount == 0;
    if (!fresh && m_children.contains(pChild))
        return;
    pChild->setParent(this);
    pChild->setProtocol(m_pProtocol);
    m_children.append(pChild);
    ++pChild->m_listCount;
    if (!fresh)
        return; // setParent made the tree irregular
    // The indexes of this composite and of those above it take the new
    // nodes in; the chain ends at a composite that is not listed itself.
    for (HComposite *pAbove = this; pAbove; pAbove = pAbove->m_pParent) {
        if (pAbove->m_pIndex && pAbove->m_pIndex->isCurrent())
            pAbove->m_pIndex->addSubtree(pChild);
        if (pAbove->m_listCount == 0)
            break;
    }
}

void HComposite::moveChildToEnd(HNode *pChild)
{
    const qsizetype at = m_children.indexOf(pChild);
    if (at < 0 || at == m_children.size() - 1)
        return;
    m_children.move(at, m_children.size() - 1);
}

HNode *HComposite::childAt(int index) const
{
    if (index < 0 || index >= m_children.size())
        return nullptr;
    return m_children.at(index);
}

void HComposite::shareRoomCombineState(HChassis *pChassis, const QString &groupId)
{
    for (HNode *pChild : std::as_const(m_children)) {
        if (pChild && pChild != pChassis)
            pChild->shareRoomCombineState(pChassis, groupId);
    }
}

void HComposite::setProtocol(PProtocol *pProtocol)
{
    for (HNode *pChild : std::as_const(m_children)) {
        if (pChild)
            pChild->setProtocol(pProtocol);
    }
}

QString HComposite::category() const
{
    return NodeCategory::composite();
}

void HComposite::destroyChildAt(int index)
{
    HNode *pChild = m_children.takeAt(index);
    --pChild->m_listCount;
    delete pChild; // the node's destructor moves the tree's generation on
}
