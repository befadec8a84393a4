#include "HParameterSetList.h"

#include "HComposite.h"
#include "HParameterSet.h"
#include "HChassis.h"
#include "NodeCategory.h"

HParameterSetList::HParameterSetList() = default;

HParameterSetList::~HParameterSetList() = default;

void HParameterSetList::addParameterSet(const QString &targetID)
{
    m_ids.append(targetID.toInt(nullptr, 10));
    if (!m_pParent)
        return;
    QList<HNode *> sets;
    m_pParent->collectByCategory(NodeCategory::parameterSets(), &sets);
    for (const HNode *pSet : std::as_const(sets)) {
        if (pSet->id() == targetID)
            m_names.append(pSet->label());
    }
}

bool HParameterSetList::finishParsing()
{
    HNode::finishParsing();
    m_title = HParameterSet::compactTitle(m_title);
    m_typenum = QStringLiteral("0");
    return true;
}

void HParameterSetList::updateFrom(HNode *)
{
}

HNode *HParameterSetList::selectParent(HChassis *pMainChassis, HChassis *)
{
    return pMainChassis;
}

HNode *HParameterSetList::findCounterpart(HNode *pScope)
{
    return HParameterSet::findCounterpartIn(*this, pScope);
}

QString HParameterSetList::category() const
{
    return NodeCategory::parameterSetLists();
}

bool HParameterSetList::parameterSets(QStringList *pNames, QList<int> *pIds) const
{
    if (pNames)
        *pNames = m_names;
    if (pIds)
        *pIds = m_ids;
    return true;
}
