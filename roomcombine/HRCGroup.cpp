#include "HRCGroup.h"

#include "HRCRoom.h"
#include "devices/HChassis.h"
#include "devices/HNodeFactory.h"
#include "devices/HParameterSet.h"
#include "devices/HRCGroupInfo.h"
#include "devices/NodeCategory.h"
#include "devices/RCGroup.h"
#include "devices/RoomCombine.h"

HRCGroup::HRCGroup()
{
    m_typenum = QStringLiteral("0");
    m_title = QObject::tr("RCGroup");
    // Nothing waits on it: while it runs a query is outstanding. Precise,
    // so that it never ends before the interval it promises.
    m_queryTimer.setSingleShot(true);
    m_queryTimer.setTimerType(Qt::PreciseTimer);
    m_queryTimer.setInterval(QueryIntervalMs);
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

HRCGroupInfo *HRCGroup::groupInfo() const
{
    auto *pChassis = qobject_cast<HChassis *>(m_pParent);
    return pChassis ? pChassis->roomCombineInfo() : nullptr;
}

void HRCGroup::buildChildren(HNodeFactory *pFactory, bool merging)
{
    clearFlags(PrunableFlag);
    HRCGroupInfo *pInfo = groupInfo();
    if (!pInfo)
        return;
    const int group = groupId();
    const RCGroup *pGroup = pInfo->findGroup(group);
    if (!pGroup)
        return;
    for (int roomId = 1; pGroup->hasRoom(roomId); ++roomId) {
        const QString label = QLatin1Char('[') + pInfo->roomName(group, roomId) + QLatin1Char(']');
        const int blockValue = pInfo->roomBlockValue(group, roomId);
        if (merging) {
            if (HRCRoom *pExisting = findRoomByIdText(QString::number(roomId))) {
                if (pExisting->label() != label)
                    pExisting->setLabel(label);
                pExisting->setNodeID(blockValue);
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
        pNew->setNodeID(blockValue);
        addChild(pNew);
        connectRoom(pNew);
    }
    // The rooms start from the tables as they are now: the next report is
    // taken whatever it repeats.
    pInfo->resetLastStateReply();
}

void HRCGroup::connectRoom(HRCRoom *pRoom)
{
    connect(this, &HNode::queryResponseReady, pRoom, &HNode::queryResponseReady,
            Qt::UniqueConnection);
    connect(pRoom, &HNode::updateComboColorList, this, &HNode::updateComboColorList,
            Qt::UniqueConnection);
    // Queued both ways: the click runs after the press that made it has
    // returned, and its results after the click.
    const auto queued = Qt::ConnectionType(Qt::QueuedConnection | Qt::UniqueConnection);
    connect(pRoom, &HRCRoom::roomControlClicked, this, &HRCGroup::onRoomControlClicked, queued);
    connect(this, &HNode::updateRoomColor, pRoom, &HRCRoom::onUpdateRoomColor, queued);
    connect(this, &HNode::sendMessage, pRoom, &HRCRoom::onSendMessage, queued);
    connect(this, &HNode::showErrorDialog, pRoom, &HRCRoom::onShowErrorDialog, queued);
}

QString HRCGroup::roomColor(int roomId) const
{
    const HRCGroupInfo *pInfo = groupInfo();
    return pInfo ? pInfo->roomColor(groupId(), roomId) : QStringLiteral("lightblue");
}

QStringList HRCGroup::combos() const
{
    const HRCGroupInfo *pInfo = groupInfo();
    return pInfo ? pInfo->comboColors(groupId()) : QStringList();
}

void HRCGroup::combinedRoomNames(int roomId, QStringList *pNames) const
{
    if (const HRCGroupInfo *pInfo = groupInfo())
        pInfo->combinedRoomNames(roomId, groupId(), pNames);
}

bool HRCGroup::isQueryPending() const
{
    return m_queryTimer.isActive();
}

QString HRCGroup::stateQueryCommand()
{
    m_queryTimer.start();
    return RoomCombine::combineStateQuery(m_id);
}

void HRCGroup::handleQueryResponse(const QString &reply)
{
    HRCGroupInfo *pInfo = groupInfo();
    if (!pInfo)
        return;
    // The subscription's confirmation ("SUB \"GRC 1\",yes") comes the same
    // way as the reports but tells nothing of the rooms; taken as the last
    // report, it would let a repeat of the last one through.
    if (!reply.startsWith(QLatin1String("GRC ")))
        return;
    pInfo->handleCombineStateReply(reply);
    emit queryResponseReady();
}

void HRCGroup::onRoomControlClicked(int roomID)
{
    HRCGroupInfo *pInfo = groupInfo();
    if (!pInfo)
        return;
    QString colour;
    const QString result = pInfo->roomClicked(roomID, groupId(), m_selectedCombo, &colour);
    QString commands;
    QString message;
    RoomCombine::separateFailure(result, &commands, &message);
    // Nothing changed (no such room or combination): nothing to tell.
    if (!colour.isEmpty() && !result.startsWith(RoomCombine::combineFailurePrefix())) {
        emit updateRoomColor(colour, roomID);
        emit sendMessage(commands, roomID);
    }
    // Shown after the commands went off: the box waits for the operator.
    if (!message.isEmpty())
        emit showErrorDialog(message, roomID);
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
