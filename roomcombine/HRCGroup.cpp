#include "HRCGroup.h"

#include "HRCGroupInfo.h"
#include "HRCRoom.h"
#include "devices/HChassis.h"
#include "devices/HNodeFactory.h"
#include "devices/HParameterSet.h"
#include "devices/NodeCategory.h"

HRCGroup::HRCGroup()
{
    m_typenum = QStringLiteral("0");
    m_title = QObject::tr("RCGroup");
}

HRCGroup::~HRCGroup() = default;

int HRCGroup::groupId() const
{
    return m_id.toInt(nullptr, 10);
}

HRCRoom *HRCGroup::findRoomByIdText(const QString &idText) const
{
    for (int i = 0; i < childCount(); ++i) {
        auto *pRoom = qobject_cast<HRCRoom *>(childAt(i));
        if (pRoom && pRoom->id() == idText)
            return pRoom;
    }
    return nullptr;
}

void HRCGroup::buildChildren(HNodeFactory *pFactory, bool merging)
{
    clearFlags(PrunableFlag);
    auto *pChassis = qobject_cast<HChassis *>(m_pParent);
    if (!pChassis)
        return;
    const HRCGroupInfo *pInfo = pChassis->roomCombineInfo();
    const int group = groupId();
    if (!pInfo->hasGroup(group))
        return;
    for (int roomId = 1;; ++roomId) {
        const HRCGroupInfo::Room *pRoom = pInfo->findRoom(group, roomId);
        if (!pRoom)
            break;
        const QString label = QLatin1Char('[') + pRoom->name + QLatin1Char(']');
        if (merging) {
            if (HRCRoom *pExisting = findRoomByIdText(QString::number(roomId))) {
                pExisting->setLabel(label);
                pExisting->setNodeID(pRoom->blockValue);
                pExisting->setFlags(PlacedFlag);
                continue;
            }
        }
        if (!pFactory)
            continue;
        HNode *pNode = pFactory->createNode(QObject::tr("RCRoom"), QString());
        auto *pNew = qobject_cast<HRCRoom *>(pNode);
        if (!pNew) {
            delete pNode;
            continue;
        }
        pNew->setLabel(label);
        pNew->setFlags(PlacedFlag);
        pNew->clearFlags(PrunableFlag);
        pNew->setId(QString::number(roomId));
        pNew->setRoomNumber(roomId);
        pNew->setNodeID(pRoom->blockValue);
        addChild(pNew);
    }
}

void HRCGroup::updateFrom(HNode *)
{
}

HNode *HRCGroup::selectParent(HChassis *pMainChassis, HChassis *)
{
    return pMainChassis;
}

void HRCGroup::setParent(HComposite *pParent)
{
    HComposite::setParent(pParent);
    if (pParent)
        pParent->setRoomCombineText(m_index, m_label);
}

HNode *HRCGroup::findByCategory(const QString &category)
{
    if (HNode *pSelf = HNode::findByCategory(category))
        return pSelf;
    return HComposite::findByCategory(category);
}

HNode *HRCGroup::findByCategoryAndNodeID(const QString &category, int nodeID)
{
    if (HNode *pSelf = HNode::findByCategoryAndNodeID(category, nodeID))
        return pSelf;
    return HComposite::findByCategoryAndNodeID(category, nodeID);
}

HNode *HRCGroup::findByCategoryAndProperty(const QString &category, const QString &key,
                                           const QString &value)
{
    if (HNode *pSelf = HNode::findByCategoryAndProperty(category, key, value))
        return pSelf;
    return HComposite::findByCategoryAndProperty(category, key, value);
}

bool HRCGroup::appendIfCategory(const QString &category, QList<HNode *> *pList)
{
    const bool rooms = HComposite::appendIfCategory(category, pList);
    const bool self = HNode::appendIfCategory(category, pList);
    return rooms || self;
}

bool HRCGroup::collectByCategory(const QString &category, QList<HNode *> *pList)
{
    const bool rooms = HComposite::collectByCategory(category, pList);
    const bool self = HNode::appendIfCategory(category, pList);
    return rooms || self;
}

void HRCGroup::clearAttached(bool)
{
    clearFlags(PlacedFlag);
}

void HRCGroup::setProtocol(PProtocol *pProtocol)
{
    HNode::setProtocol(pProtocol);
    HComposite::setProtocol(pProtocol);
}

HNode *HRCGroup::findCounterpart(HNode *pScope)
{
    return HParameterSet::findCounterpartIn(*this, pScope);
}

QString HRCGroup::resourceFolder() const
{
    return QStringLiteral("Varolin");
}

QString HRCGroup::category() const
{
    return NodeCategory::rcGroups();
}
