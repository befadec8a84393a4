#include "comms/TStrL.h"

#include "controls/CAttributes.h"

#include <QDebug>
#include <QStringList>

void TStrL::configure()
{
    if (!owner())
        return;
    const QStringList pieces = owner()->set().split(QLatin1Char(','));
    int slot = 0;
    for (const QString &piece : pieces) {
        if (piece.isEmpty() || slot >= EntryCount)
            break;
        m_entries[slot++] = piece;
    }
}

void TStrL::setData(quint8 value)
{
    qDebug() << "TStrL::setData(" << value << ")";
    m_index = value;
}

QString TStrL::entryAt(int index) const
{
    return index < EntryCount ? m_entries[index] : QStringLiteral("?");
}

quint8 TStrL::indexOf(const QString &text) const
{
    for (int i = 0; i < EntryCount; ++i) {
        if (m_entries[i] == text)
            return quint8(i);
    }
    return 0;
}

void TStrL::setText(const QString &text) { m_index = indexOf(text); }

void TStrL::setReplyText(const QString &text)
{
    m_replyIndex = indexOf(text);
    emit replyValueReady();
}
