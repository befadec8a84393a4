#include "comms/TChrL.h"

#include "comms/TBinding.h"

void TChrL::configure()
{
    if (owner())
        m_entries = owner()->set().split(QLatin1Char(','));
}

quint8 TChrL::indexOf(const QString &text) const
{
    return text.isEmpty() ? 0 : TListTransform::indexOf(text);
}

void TChrL::receiveText(const QString &text) { setReplyText(text); }
