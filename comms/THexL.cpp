#include "comms/THexL.h"

#include "comms/TBinding.h"

#include <QDebug>
#include <QStringList>

THexL::THexL(QObject *parent)
    : TTransform(parent)
{
    m_table.fill(0xFF);
}

void THexL::configure()
{
    if (!owner())
        return;
    const QStringList pieces = owner()->set().split(QLatin1Char(','));
    int slot = 0;
    for (const QString &piece : pieces) {
        if (piece.isEmpty() || slot >= TableSize)
            break;
        bool ok = false;
        const uint code = piece.toUInt(&ok, 16);
        m_table[slot++] = ok ? quint8(code & 0xFF) : 0;
    }
}

void THexL::setData(quint8 value)
{
    qDebug() << "THexL::setData(" << value << ")";
    m_index = value;
}

void THexL::setReplyText(const QString &text)
{
    Q_UNUSED(text);
    emit replyValueReady();
}

quint8 THexL::codeAt(int index) const
{
    return index < TableSize ? m_table[index] : quint8(255);
}

QString THexL::textAt(int index) const
{
    if (index >= TableSize)
        return QStringLiteral("?");
    return QString(QChar(ushort(m_table[index])));
}
