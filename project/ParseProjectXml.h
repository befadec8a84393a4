#pragma once

#include <QString>

class HNode;
class MModel;
class MProject;

// Reads one design-project file into the device tree below root and into
// the project record. The file is merged into the tree when the model has
// a design project loaded already. False when the file cannot be opened,
// is not well-formed or is refused (too old); the nodes placed before a
// failure stay in the tree.
bool parseProjectXml(HNode *pRoot, const QString &path, MModel *pModel);

// The same with the record and the merge mode given directly.
bool parseProjectXml(HNode *pRoot, const QString &path, MProject *pProject, bool merging);
