#pragma once

#include "HNode.h"

#include <QList>
#include <QStringList>

// The parameter sets one panel list offers: the target ids the design
// assigned to it and the labels of the parameter sets carrying those ids.
// Lists hang under the design's main chassis.
class HParameterSetList : public HNode
{
    Q_OBJECT

public:
    HParameterSetList();
    ~HParameterSetList() override;

    QStringList names() const { return m_names; }
    QList<int> ids() const { return m_ids; }

    // One assigned target id: the id is kept, and the label of every
    // parameter set under the list's parent with that id text is added.
    void addParameterSet(const QString &targetID);

    // Drops "." and " " from the title; type number "0".
    bool finishParsing() override;
    void updateFrom(HNode *pOther) override;
    HNode *selectParent(HChassis *pMainChassis, HChassis *pActiveChassis) override;
    HNode *findCounterpart(HNode *pScope) override;
    QString category() const override;
    bool parameterSets(QStringList *pNames, QList<int> *pIds) const override;

private:
    QStringList m_names;
    QList<qint32> m_ids;
};
