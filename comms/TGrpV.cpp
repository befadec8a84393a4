#include "comms/TGrpV.h"

#include "comms/TBinding.h"
#include "comms/TBoundNode.h"

#include <cmath>

namespace {

// The code of a hex text, or def when the text is not a number.
int codeOf(const QString &text, int def)
{
    bool ok = false;
    const int code = text.toInt(&ok, 16);
    return ok ? code : def;
}

// Half-dB steps from 0 dB. Taken in 64 bits: the code comes from the
// device, and a text such as "-80000000" reads as the smallest int.
qint64 stepsFromZeroDb(int code)
{
    return qint64(code) - TGrpV::ZeroDbCode;
}

} // namespace

void TGrpV::configure()
{
    if (!owner())
        return;
    m_decimals = owner()->decimals();
    m_percent = owner()->units() == QLatin1String("pct");
}

QString TGrpV::codeText(int code)
{
    if (code < 0)
        return QStringLiteral("FF");
    return QString::number(qMin(code, MaxCode), 16);
}

void TGrpV::setUIntValue(quint32 value) { m_text = QString::number(value); }

void TGrpV::setFloatValue(double value)
{
    if (!std::isfinite(value) || std::fabs(value) > 1.0e6) {
        m_text = codeText(value > 0 ? MaxCode : -1);
        return;
    }
    // Toward zero to a multiple of 0.5 dB: start from the whole dB toward
    // zero and step once toward the nearest whole dB.
    int code = 2 * int(std::trunc(value)) + ZeroDbCode;
    const int nearest = 2 * int(std::round(value)) + ZeroDbCode;
    if (nearest > code)
        ++code;
    else if (nearest < code)
        --code;
    m_text = codeText(code);
}

void TGrpV::setData(quint8 value)
{
    m_text = codeText(value <= 12 ? 2 * value + ZeroDbCode : MaxCode);
}

void TGrpV::setText(const QString &text)
{
    bool ok = false;
    const int dB = text.toInt(&ok, 10);
    if (!ok || dB > 1000000 || dB < -1000000) {
        m_text = codeText(ok ? (dB > 0 ? MaxCode : -1) : ZeroDbCode);
        return;
    }
    m_text = codeText(2 * dB + ZeroDbCode);
}

void TGrpV::setReplyText(const QString &text)
{
    m_replyText = text;
    emit replyValueReady();
}

quint32 TGrpV::uintValue() const
{
    bool ok = false;
    const int code = m_text.toInt(&ok, 16);
    return quint32(ok ? stepsFromZeroDb(code) / 2 : -60);
}

double TGrpV::floatValue() const
{
    bool ok = false;
    const int code = m_text.toInt(&ok, 16);
    return ok ? stepsFromZeroDb(code) * 0.5 : -60.0;
}

quint8 TGrpV::byteValue() const
{
    return quint8(stepsFromZeroDb(codeOf(m_text, 0)) / 2);
}

quint32 TGrpV::replyUIntValue() const
{
    const int code = codeOf(m_replyText, 0);
    if (ownerNode() && ownerNode()->typenum() == QLatin1String("3"))
        return quint32(code);
    return quint32(stepsFromZeroDb(code) / 2);
}

double TGrpV::replyFloatValue() const
{
    if (m_replyText.toUpper() == QLatin1String("FF"))
        return -60.5;
    bool ok = false;
    const int code = m_replyText.toInt(&ok, 16);
    return ok ? stepsFromZeroDb(code) * 0.5 : -60.0;
}

quint8 TGrpV::replyByteValue() const
{
    return quint8(stepsFromZeroDb(codeOf(m_replyText, 0)) / 2);
}

void TGrpV::receiveText(const QString &text) { setReplyText(text); }

bool TGrpV::replyIsNumber() const
{
    if (m_replyText.toUpper() == QLatin1String("FF"))
        return true; // off
    bool ok = false;
    m_replyText.toInt(&ok, 16);
    return ok;
}

void TGrpV::setDisplayValue(double value)
{
    m_displayText = QString::number(value, 'f', qBound(0, m_decimals, 10));
}

QString TGrpV::displayText() const
{
    return m_percent ? m_displayText + QLatin1Char('%') : m_displayText;
}
