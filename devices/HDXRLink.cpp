#include "HDXRLink.h"

#include "HChassis.h"
#include "NodeCategory.h"

HDXRLink::HDXRLink()
{
    m_direction = Link;
    m_ioCategory = IoCategory::digital();
}

HDXRLink::~HDXRLink() = default;

void HDXRLink::readAttributes(const QXmlAttributes &atts)
{
    const QString name = xmlAttribute(atts, QStringLiteral("name"));
    const QString value = xmlAttribute(atts, QStringLiteral("value"));
    if (name == QLatin1String("label"))
        m_label = value;
    else if (name.startsWith(QLatin1String("label")))
        m_channelLabels.append(value); // the number in the name is not read
    else if (name.startsWith(QLatin1String("level")))
        readRange(name, atts);
    else
        HNode::readAttributes(atts);
}

void HDXRLink::updateFrom(HNode *)
{
}

QString HDXRLink::channelLabelAt(int index) const
{
    if (index < 0 || index >= m_channelLabels.size())
        return QString();
    return m_label + QLatin1Char('-') + m_channelLabels.at(index);
}

void HDXRLink::setParent(HComposite *pParent)
{
    HAudioIO::setParent(pParent);
    // Placement comes after the properties, so this wins over the file.
    const auto *pChassis = qobject_cast<HChassis *>(pParent);
    if (pChassis && pChassis->isInterfaceDevice())
        m_label = QStringLiteral("Vexlink");
}

int HDXRLink::indexOfChannelLabel(const QString &label) const
{
    return m_channelLabels.indexOf(label);
}
