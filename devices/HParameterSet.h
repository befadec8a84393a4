#pragma once

#include "HNode.h"

// A stored preset of the design that panels can recall. Its id text is the
// preset's identifier. Parameter sets hang under the design's main chassis.
class HParameterSet : public HNode
{
    Q_OBJECT

public:
    HParameterSet();
    ~HParameterSet() override;

    // Drops "." and " " from the title; type number "0".
    bool finishParsing() override;
    void updateFrom(HNode *pOther) override;
    HNode *selectParent(HChassis *pMainChassis, HChassis *pActiveChassis) override;
    HNode *findCounterpart(HNode *pScope) override;
    QString category() const override;

    // The title as the panels know it: without dots and blanks.
    static QString compactTitle(const QString &title);
    // Among the nodes of the category under the scope, the one that stands
    // for the node: by title and label when it has no node id, else the
    // last one with its title and node id.
    static HNode *findCounterpartIn(const HNode &node, HNode *pScope);
};
