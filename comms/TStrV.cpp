#include "comms/TStrV.h"

#include "comms/TBinding.h"

#include <QDebug>

void TStrV::configure()
{
    if (!owner())
        return;
    m_decimals = owner()->decimals();
    m_percent = owner()->units() == QLatin1String("pct");
}

void TStrV::setUIntValue(quint32 value) { m_text = QString::number(value); }
void TStrV::setFloatValue(double value) { m_text = QString::number(value, 'f', 1); }

void TStrV::setData(quint8 value)
{
    qDebug() << "TStrV::setData(" << value << ")";
    m_text = QString::number(value);
}

void TStrV::setReplyText(const QString &text)
{
    m_replyText = text;
    emit replyValueReady();
}

void TStrV::receiveText(const QString &text) { setReplyText(text); }

bool TStrV::replyIsNumber() const
{
    bool ok = false;
    m_replyText.toDouble(&ok);
    return ok;
}

quint32 TStrV::toUInt(const QString &text)
{
    bool ok = false;
    const int value = text.toInt(&ok, 10);
    return ok ? quint32(value) : 0;
}

void TStrV::setDisplayValue(double value)
{
    m_displayText = QString::number(value, 'f', qBound(0, m_decimals, 10));
}

QString TStrV::displayText() const
{
    return m_percent ? m_displayText + QLatin1Char('%') : m_displayText;
}
