#include "comms/TBin8.h"

#include "comms/TBoundNode.h"

#include <QDebug>

void TBin8::setUIntValue(quint32 value) { m_value = value; }

void TBin8::setData(quint8 value)
{
    qDebug() << "T8in8::setData(" << value << ")";
    m_value = value;
}

namespace {

int readNumber(const QString &text, bool *pOk)
{
    return text.startsWith(QLatin1String("0x")) ? text.mid(2).toInt(pOk, 16)
                                                : text.toInt(pOk, 10);
}

} // namespace

qint16 TBin8::parseNumber(const QString &text)
{
    bool ok = false;
    const int value = readNumber(text, &ok);
    if (!ok || value < -32768 || value > 32767)
        return 0;
    return qint16(value);
}

void TBin8::setText(const QString &text)
{
    if (text.isEmpty())
        return;
    m_value = quint32(qint32(parseNumber(text)));
}

void TBin8::setReplyText(const QString &text)
{
    if (text.isEmpty())
        return;
    m_replyValue = parseNumber(text);
    bool ok = false;
    readNumber(text, &ok);
    m_replyIsNumber = ok;
    emit replyValueReady();
}

quint32 TBin8::uintValue() const { return m_value; }
quint8 TBin8::byteValue() const { return quint8(m_value & 0xFF); }

QString TBin8::text() const
{
    if (m_value == 0 && ownerNode() && ownerNode()->noneSelection())
        return QStringLiteral("N");
    return QString::number(m_value);
}

quint32 TBin8::replyUIntValue() const { return quint32(qint32(m_replyValue)); }
quint8 TBin8::replyByteValue() const { return quint8(m_replyValue & 0xFF); }
QString TBin8::replyText() const { return QString::number(m_replyValue); }
void TBin8::receiveText(const QString &text) { setReplyText(text); }
