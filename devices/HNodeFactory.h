#pragma once

#include <QString>

class HNode;

// Turns the class name of a design-file element into a new, unattached
// node of the matching class. Some device kinds of a design (serial and
// general-purpose I/O, plain device nodes) get no node at all.
//
// The factory knows the node classes of this folder itself; node classes
// of a folder above (the room-combining groups and rooms) are registered
// from there, once per process, at start-up (see RoomCombineTypes).
class HNodeFactory
{
public:
    using Maker = HNode *(*)();

    HNodeFactory() = default;
    virtual ~HNodeFactory() = default;

    // Makes the class name give a node of the maker. The name is compared
    // with its translation (context QObject), as the design software's
    // names of the room-combining nodes are; it must outlive the process
    // (a literal).
    static void registerNode(const char *className, Maker maker);

    // A new node owned by the caller, or null for a class name that gets
    // none. The class name is compared exactly (case-sensitive) and comes
    // without the design software's namespace prefixes. A name the factory
    // does not list becomes a block, which decides itself whether it stays.
    HNode *createNode(const QString &className, const QString &cardType) const;
};
