#pragma once

#include <QString>

class HNode;

// Turns the class name of a design-file element into a new, unattached
// node of the matching class. Some device kinds of a design (serial and
// general-purpose I/O, plain device nodes) get no node at all.
class HNodeFactory
{
public:
    HNodeFactory() = default;
    virtual ~HNodeFactory() = default;

    // A new node owned by the caller, or null for a class name that gets
    // none. The class name is compared exactly (case-sensitive) and comes
    // without the design software's namespace prefixes. A name the factory
    // does not list becomes a block, which decides itself whether it stays.
    HNode *createNode(const QString &className, const QString &cardType) const;
};
