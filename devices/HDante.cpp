#include "HDante.h"

#include "NodeCategory.h"

HDante::HDante()
{
    m_ioCategory = IoCategory::dante();
}

HDante::HDante(const QString &cardType, int direction)
{
    // The network-audio card keeps its name as given.
    m_cardType = cardType;
    m_direction = direction;
    m_ioCategory = IoCategory::dante();
}

HDante::~HDante() = default;

void HDante::readAttributes(const QXmlAttributes &atts)
{
    const QString name = xmlAttribute(atts, QStringLiteral("name"));
    const QString value = xmlAttribute(atts, QStringLiteral("value"));
    if (name == QLatin1String("label")) {
        m_label = value;
    } else if (name.startsWith(QLatin1String("label"))) {
        m_channelLabels.append(value);
    } else if (name.startsWith(QLatin1String("cardPin"))) {
        // Pins are matched to channels by position, so an unreadable one
        // still takes its place, as "no pin".
        int pin = -1;
        readNumber(value, &pin);
        m_cardPins.append(pin);
    } else {
        HNode::readAttributes(atts);
    }
}

void HDante::updateFrom(HNode *)
{
}

QString HDante::channelLabelAt(int index) const
{
    if (index < 0 || index >= m_channelLabels.size())
        return QString();
    return m_channelLabels.at(index);
}

int HDante::cardPinAt(int index) const
{
    if (index < 0 || index >= m_cardPins.size())
        return -1;
    return m_cardPins.at(index);
}

int HDante::indexOfChannelLabel(const QString &label) const
{
    return m_channelLabels.indexOf(label);
}
