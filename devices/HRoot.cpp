#include "HRoot.h"

#include "NodeCategory.h"

HRoot::HRoot() = default;

HRoot::~HRoot() = default;

bool HRoot::pruneIfNotUsed()
{
    HComposite::pruneIfNotUsed();
    return false;
}

QString HRoot::category() const
{
    return NodeCategory::root();
}
