#pragma once

#include "HNode.h"

#include <QList>
#include <QStringList>

// A control group of the design: a level, a mute, a level with mute, or a
// selector that drives several targets at once. Groups hang under the
// design's main chassis.
class HGroup : public HNode
{
    Q_OBJECT

public:
    // A "selector" assignment making more options than this makes none: a
    // range that large is a broken design, not a drop list.
    static constexpr int MaxSelectorOptions = 1024;

    HGroup();
    ~HGroup() override;

    QString groupType() const { return m_groupType; }
    int targetID() const { return m_targetID; }
    QStringList options() const { return m_options; }
    QList<int> arxTargetIDs() const { return m_arxTargetIDs; }

    // "groupType" sets the kind; the rest goes to the node.
    void readAttributes(const QXmlAttributes &atts) override;
    // One "Assign" entry: a selector's options; an ARX amplifier's target
    // ids.
    void readAssignment(const QXmlAttributes &atts, bool merging) override;
    // The type number follows the kind.
    bool finishParsing() override;
    void updateFrom(HNode *pOther) override;
    HNode *selectParent(HChassis *pMainChassis, HChassis *pActiveChassis) override;
    HNode *findCounterpart(HNode *pScope) override;
    QString category() const override;

private:
    void readSelectorAssignment(const QXmlAttributes &atts);
    void addSelectorRange(const QXmlAttributes &atts);

    QString m_groupType;
    qint32 m_targetID = 0;
    QStringList m_options;
    QList<qint32> m_arxTargetIDs;
};
