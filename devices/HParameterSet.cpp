#include "HParameterSet.h"

#include "HChassis.h"
#include "NodeCategory.h"

HParameterSet::HParameterSet() = default;

HParameterSet::~HParameterSet() = default;

bool HParameterSet::finishParsing()
{
    HNode::finishParsing();
    m_title = compactTitle(m_title);
    m_typenum = QStringLiteral("0");
    return true;
}

void HParameterSet::updateFrom(HNode *)
{
}

HNode *HParameterSet::selectParent(HChassis *pMainChassis, HChassis *)
{
    return pMainChassis;
}

HNode *HParameterSet::findCounterpart(HNode *pScope)
{
    return findCounterpartIn(*this, pScope);
}

QString HParameterSet::category() const
{
    return NodeCategory::parameterSets();
}

QString HParameterSet::compactTitle(const QString &title)
{
    QString compact = title;
    compact.remove(QLatin1Char('.'));
    compact.remove(QLatin1Char(' '));
    return compact;
}

HNode *HParameterSet::findCounterpartIn(const HNode &node, HNode *pScope)
{
    if (!pScope)
        return nullptr;
    QList<HNode *> candidates;
    if (!pScope->collectByCategory(node.category(), &candidates))
        return nullptr;
    HNode *pFound = nullptr;
    for (HNode *pCandidate : std::as_const(candidates)) {
        if (pCandidate == &node || pCandidate->title() != node.title())
            continue;
        if (node.nodeID() < 1) {
            if (pCandidate->label() == node.label())
                return pCandidate;
        } else if (pCandidate->nodeID() == node.nodeID()) {
            pFound = pCandidate;
        }
    }
    return pFound;
}
