#pragma once

#include <QString>

// The device node of a control as the transforms and protocols read it:
// the names and numbers that address its commands and place its entry in a
// level list, the "N" marker of a selector, and the query hooks of a
// room-combining node that a pass-through transform forwards to. The nodes
// of the device tree (HNode) are such nodes.
class TBoundNode
{
public:
    virtual ~TBoundNode() = default;

    // The block name that the named commands quote.
    virtual QString label() const = 0;
    virtual QString title() const = 0;
    // The title of the node above (a card's device); empty at the top.
    virtual QString parentTitle() const = 0;
    virtual QString typenum() const = 0;
    virtual int levelChannel() const = 0;
    virtual int levelIndex() const = 0;
    // The slot of an I/O card in its device, as commands address it; -1
    // without a parent.
    virtual int cardSlotIndex() const = 0;
    virtual int indexOfChannelLabel(const QString &label) const = 0;
    // A selector whose value 0 selects nothing ("N").
    virtual bool noneSelection() const = 0;

    virtual bool isQueryPending() const = 0;
    virtual QString stateQueryCommand() = 0;
    virtual void handleQueryResponse(const QString &reply) = 0;
    virtual QString roomCombineName() const = 0;
};
