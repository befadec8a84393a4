#include "HGroup.h"

#include "HChassis.h"
#include "NodeCategory.h"

#include <QDebug>

namespace {

// A decimal int32 of the text; 0 when it is not one.
qint32 number(const QString &text, bool *pOk = nullptr)
{
    return text.toInt(pOk, 10);
}

} // namespace

HGroup::HGroup() = default;

HGroup::~HGroup() = default;

void HGroup::readAttributes(const QXmlAttributes &atts)
{
    if (xmlAttribute(atts, QStringLiteral("name")) == QLatin1String("groupType")) {
        m_groupType = xmlAttribute(atts, QStringLiteral("value"));
        return;
    }
    HNode::readAttributes(atts);
}

void HGroup::readAssignment(const QXmlAttributes &atts, bool)
{
    const qint32 target = number(xmlAttribute(atts, QStringLiteral("targetID")));
    if (m_groupType == QLatin1String("Selector")) {
        // A selector drives one target; entries for another are not ours.
        if (m_targetID == 0)
            m_targetID = target;
        else if (m_targetID != target)
            return;
        readSelectorAssignment(atts);
    }

    const HChassis *pChassis = findChassisAncestor();
    if (!pChassis) {
        qWarning() << "No chassis for HGroup found.";
        return;
    }
    if (pChassis->isArx() && !m_arxTargetIDs.contains(target))
        m_arxTargetIDs.append(target);
}

void HGroup::readSelectorAssignment(const QXmlAttributes &atts)
{
    const QString property = xmlAttribute(atts, QStringLiteral("targetProp"));
    if (property.startsWith(QLatin1String("name")))
        m_options.append(xmlAttribute(atts, QStringLiteral("targetValue")));
    else if (property == QLatin1String("selector"))
        addSelectorRange(atts);
}

// "<min>", "<min+step>" ... up to max. A step that does not advance, or a
// range of more than MaxSelectorOptions entries, adds nothing.
void HGroup::addSelectorRange(const QXmlAttributes &atts)
{
    bool minOk = false;
    bool maxOk = false;
    bool stepOk = false;
    const qint64 min = number(xmlAttribute(atts, QStringLiteral("targetMin")), &minOk);
    const qint64 max = number(xmlAttribute(atts, QStringLiteral("targetMax")), &maxOk);
    const qint64 step = number(xmlAttribute(atts, QStringLiteral("targetStep")), &stepOk);
    if (!minOk || !maxOk || !stepOk || max < min)
        return;
    if (step <= 0) {
        qWarning().noquote() << QStringLiteral("Selector group %1: step %2 makes no options.")
                                    .arg(m_label)
                                    .arg(step);
        return;
    }
    const qint64 count = (max - min) / step + 1;
    if (count > MaxSelectorOptions) {
        qWarning().noquote()
            << QStringLiteral("Selector group %1: %2 options are too many; none made.")
                   .arg(m_label)
                   .arg(count);
        return;
    }
    for (qint64 value = min; value <= max; value += step)
        m_options.append(QLatin1Char('<') + QString::number(value) + QLatin1Char('>'));
}

bool HGroup::finishParsing()
{
    HNode::finishParsing();
    if (m_groupType == QLatin1String("Level"))
        m_typenum = QStringLiteral("0");
    else if (m_groupType == QLatin1String("Level + Mute"))
        m_typenum = QStringLiteral("1");
    else if (m_groupType == QLatin1String("Mute"))
        m_typenum = QStringLiteral("2");
    else if (m_groupType == QLatin1String("Selector"))
        m_typenum = QStringLiteral("3");
    return true;
}

void HGroup::updateFrom(HNode *)
{
}

HNode *HGroup::selectParent(HChassis *pMainChassis, HChassis *)
{
    return pMainChassis;
}

HNode *HGroup::findCounterpart(HNode *pScope)
{
    if (!pScope)
        return nullptr;
    QList<HNode *> groups;
    if (!pScope->collectByCategory(category(), &groups))
        return nullptr;
    HNode *pSameId = nullptr;
    for (HNode *pGroup : std::as_const(groups)) {
        if (pGroup == this || pGroup->title() != m_title)
            continue;
        if (pGroup->label() == m_label)
            return pGroup;
        if (m_nodeID > 0 && pGroup->nodeID() == m_nodeID)
            pSameId = pGroup;
    }
    return pSameId;
}

QString HGroup::category() const
{
    return NodeCategory::groups();
}
