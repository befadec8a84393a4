#include "comms/TChrL.h"

#include "controls/CAttributes.h"

#include <QDebug>

void TChrL::configure()
{
    if (owner())
        m_entries = owner()->set().split(QLatin1Char(','));
}

void TChrL::setData(quint8 value)
{
    qDebug() << "TChrL::setData(" << value << ")";
    m_index = value;
}

QString TChrL::entryAt(int index) const
{
    return index < m_entries.size() ? m_entries.at(index) : QStringLiteral("?");
}

quint8 TChrL::indexOf(const QString &text) const
{
    if (text.isEmpty())
        return 0;
    const qsizetype position = m_entries.indexOf(text);
    return position < 0 || position > 255 ? 0 : quint8(position);
}

void TChrL::setText(const QString &text) { m_index = indexOf(text); }

void TChrL::setReplyText(const QString &text)
{
    m_replyIndex = indexOf(text);
    emit replyValueReady();
}

QString TChrL::text() const { return entryAt(m_index); }
QString TChrL::replyText() const { return entryAt(m_replyIndex); }
void TChrL::receiveText(const QString &text) { setReplyText(text); }
