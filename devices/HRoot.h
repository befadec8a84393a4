#pragma once

#include "HComposite.h"

// The root of the device tree, owned by the model. The devices of the
// loaded design hang directly below it.
class HRoot : public HComposite
{
    Q_OBJECT

public:
    HRoot();
    ~HRoot() override;

    // Prunes the tree below; the root itself never goes, so the answer is
    // always false.
    bool pruneIfNotUsed() override;
    QString category() const override;
};
