#include "comms/TListTransform.h"

#include <QDebug>

void TListTransform::setData(quint8 value)
{
    qDebug().noquote() << QLatin1Char('T') + typeName() + QStringLiteral("::setData(") << value << ")";
    m_index = value;
}

void TListTransform::setReplyText(const QString &text)
{
    m_replyIndex = indexOf(text);
    emit replyValueReady();
}

QString TListTransform::entryAt(int index) const
{
    return index < m_entries.size() ? m_entries.at(index) : QStringLiteral("?");
}

quint8 TListTransform::indexOf(const QString &text) const
{
    const qsizetype position = m_entries.indexOf(text);
    return position < 0 || position > 255 ? 0 : quint8(position);
}
