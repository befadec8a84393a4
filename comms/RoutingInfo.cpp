#include "comms/RoutingInfo.h"

#include "comms/TTransform.h"

RoutingInfo::RoutingInfo(int id, TTransform *pTarget, const QString &requestText, QObject *parent)
    : QObject(parent)
    , m_id(id)
    , m_pTarget(pTarget)
    , m_hadTarget(pTarget != nullptr)
    , m_requestText(requestText)
{
}

RoutingInfo::~RoutingInfo() = default;
