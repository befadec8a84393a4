#include "HRCRoom.h"

#include "devices/HComposite.h"
#include "devices/NodeCategory.h"

#include <QStandardItemModel>

HRCRoom::HRCRoom()
{
    m_typenum = QStringLiteral("0");
    m_title = QObject::tr("RCRoom");
}

HRCRoom::~HRCRoom() = default;

void HRCRoom::setUsed(bool used)
{
    HNode::setUsed(used);
    if (used && m_pParent)
        m_pParent->setUsed(true);
}

void HRCRoom::controlClicked()
{
    emit roomControlClicked(m_roomNumber);
}

QString HRCRoom::roomColor(int) const
{
    return m_pParent ? m_pParent->roomColor(m_roomNumber) : QStringLiteral("purple");
}

void HRCRoom::combinedRoomNames(int, QStringList *pNames) const
{
    if (m_pParent)
        m_pParent->combinedRoomNames(m_roomNumber, pNames);
}

bool HRCRoom::isQueryPending() const
{
    return m_pParent && m_pParent->isQueryPending();
}

QString HRCRoom::stateQueryCommand()
{
    return m_pParent ? m_pParent->stateQueryCommand() : QString();
}

void HRCRoom::handleQueryResponse(const QString &reply)
{
    if (m_pParent)
        m_pParent->handleQueryResponse(reply);
}

QString HRCRoom::roomCombineName() const
{
    return m_pParent ? m_pParent->roomCombineName() : QString();
}

QString HRCRoom::resourceFolder() const
{
    return QStringLiteral("Varolin");
}

QString HRCRoom::category() const
{
    return NodeCategory::rcRooms();
}

QStandardItem *HRCRoom::findInModel(const QStandardItemModel *pModel) const
{
    if (!pModel || !m_pParent)
        return nullptr;
    const QList<QStandardItem *> found = pModel->findItems(
        m_pParent->label(), Qt::MatchFixedString | Qt::MatchCaseSensitive | Qt::MatchRecursive);
    return found.size() == 1 ? found.first() : nullptr;
}

void HRCRoom::onUpdateRoomColor(const QString &color, int roomID)
{
    if (roomID == m_roomNumber)
        emit updateRoomColor(color, roomID);
}

void HRCRoom::onSendMessage(const QString &message, int roomID)
{
    if (roomID == m_roomNumber)
        emit sendMessage(message, roomID);
}

void HRCRoom::onShowErrorDialog(const QString &message, int roomID)
{
    if (roomID == m_roomNumber)
        emit showErrorDialog(message, roomID);
}
