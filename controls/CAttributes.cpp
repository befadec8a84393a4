#include "controls/CAttributes.h"

#include "comms/TTransform.h"
#include "controls/CControl.h"
#include "devices/HNode.h"

CAttributes::~CAttributes() = default;

int CAttributes::parseInt(const QString &text)
{
    bool ok = false;
    const int value = text.toInt(&ok);
    return ok ? value : 0;
}

float CAttributes::parseFloat(const QString &text)
{
    bool ok = false;
    const float value = text.toFloat(&ok);
    return ok ? value : 0.0f;
}

bool CAttributes::parseFlag(const QString &text)
{
    bool ok = false;
    const uint value = text.toUInt(&ok);
    return ok && value != 0;
}

quint32 CAttributes::parseNumber(const QString &text)
{
    bool ok = false;
    quint32 value = 0;
    if (text.startsWith(QLatin1String("0x")))
        value = text.mid(2).toUInt(&ok, 16);
    else
        value = text.toUInt(&ok, 10);
    return ok ? value : 0;
}

bool CAttributes::setAttribute(const QString &element, const QString &name, const QString &value)
{
    if (m_element.isEmpty())
        m_element = element;

    if (name == QLatin1String("index1")) {
        m_index1 = parseInt(value);
    } else if (name == QLatin1String("index2")) {
        m_index2 = parseInt(value);
    } else if (name == QLatin1String("link")) {
        m_link = parseNumber(value);
    } else if (name == QLatin1String("set")) {
        m_set = value;
    } else if (name == QLatin1String("format")) {
        m_format = value;
    } else if (name == QLatin1String("units")) {
        m_units = value;
    } else if (name == QLatin1String("minimum")) {
        m_minimum = parseFloat(value);
    } else if (name == QLatin1String("maximum")) {
        m_maximum = parseFloat(value);
    } else if (name == QLatin1String("step")) {
        m_step = parseFloat(value);
    } else if (name == QLatin1String("transform")) {
        m_transform = value;
    } else if (name == QLatin1String("field")) {
        m_field = parseNumber(value);
    } else if (name == QLatin1String("struct")) {
        m_struct = parseNumber(value);
    } else if (name == QLatin1String("minLimit")) {
        m_minLimit = parseFloat(value);
    } else if (name == QLatin1String("maxLimit")) {
        m_maxLimit = parseFloat(value);
    } else if (name == QLatin1String("enableEdit")) {
        m_enableEdit = parseFlag(value);
    } else if (name == QLatin1String("channelLabel")) {
        setChannelLabel(value);
    } else if (name == QLatin1String("cardPin")) {
        const int pin = parseInt(value);
        if (pin >= 0) {
            m_cardPin = pin;
        } else if (m_pOwner && m_pOwner->node()) {
            // A negative pin stands for "the card's pin of this channel".
            m_cardPin = m_pOwner->node()->cardPinAt(m_index1 - 1);
        }
    } else if (name == QLatin1String("callType")) {
        m_callType = value;
    } else if (name == QLatin1String("action")) {
        if (value == QLatin1String("SET"))
            m_actionSet = true;
        else if (value == QLatin1String("RESET"))
            m_actionReset = true;
    } else if (name == QLatin1String("doNotPoll")) {
        m_doNotPoll = parseFlag(value);
    }
    return true;
}

void CAttributes::decimalsFromFormat()
{
    const int dot = m_format.indexOf(QLatin1Char('.'));
    m_decimals = dot < 0 ? 0 : int(m_format.size() - dot - 1);
}

int CAttributes::setDefaultIndex1(int index)
{
    const int previous = m_index1;
    if (m_index1 == 0)
        m_index1 = index;
    return previous;
}

int CAttributes::setIndex2(int index)
{
    const int previous = m_index2;
    m_index2 = index;
    return previous;
}

void CAttributes::setDecimals(int decimals)
{
    m_decimals = decimals;
    TTransform *pTransform = m_pOwner ? m_pOwner->transform() : m_pOwnerTransform.data();
    if (pTransform)
        pTransform->configure();
}

void CAttributes::setChannelLabel(const QString &label)
{
    if (label.size() >= 2) {
        m_channelLabel = label;
        return;
    }
    if (m_pOwner && m_pOwner->node())
        m_channelLabel = m_pOwner->node()->channelLabelAt(m_index1 - 1);
}

TTransform *CAttributes::linkedTransform() const
{
    if (!m_pOwner)
        return m_pLinkedTransform;
    // No link: no need to walk the whole tree for id 0.
    if (m_link == 0)
        return nullptr;
    CControl *pLinked = m_pOwner->rootControl()->controlById(m_link);
    return pLinked ? pLinked->transform() : nullptr;
}
