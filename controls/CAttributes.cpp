#include "controls/CAttributes.h"

#include "comms/TTransform.h"

CAttributes::~CAttributes() = default;

int CAttributes::setIndex2(int index)
{
    const int previous = m_index2;
    m_index2 = index;
    return previous;
}

void CAttributes::setDecimals(int decimals)
{
    m_decimals = decimals;
    if (m_pOwnerTransform)
        m_pOwnerTransform->configure();
}
