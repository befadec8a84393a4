#include "HRCRoom.h"

#include "devices/NodeCategory.h"

HRCRoom::HRCRoom()
{
    m_typenum = QStringLiteral("0");
    m_title = QObject::tr("RCRoom");
}

HRCRoom::~HRCRoom() = default;

QString HRCRoom::resourceFolder() const
{
    return QStringLiteral("Varolin");
}

QString HRCRoom::category() const
{
    return NodeCategory::rcRooms();
}
