#include "comms/TPassThrough.h"

#include "comms/TBoundNode.h"

void TPassThrough::setReplyText(const QString &text)
{
    if (ownerNode())
        ownerNode()->handleQueryResponse(text);
    emit replyValueReady();
}

QString TPassThrough::replyText() const
{
    return ownerNode() ? ownerNode()->roomCombineName() : QString();
}

QString TPassThrough::sourceText()
{
    return ownerNode() ? ownerNode()->stateQueryCommand() : QString();
}

bool TPassThrough::tick()
{
    const bool fired = TTransform::tick();
    if (fired && ownerNode())
        return !ownerNode()->isQueryPending();
    return fired;
}
