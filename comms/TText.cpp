#include "comms/TText.h"

void TText::setReplyText(const QString &text)
{
    m_replyText = text;
    emit replyValueReady();
}
