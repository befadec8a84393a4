#pragma once

#include <QString>

class HNode;
class MProject;

// Reads one design-project file into the device tree below root and into
// the project record; merging joins it to the devices read before (the
// caller merges when a design project is loaded already). False when the
// file cannot be opened, is not well-formed or is refused (too old); the
// nodes placed before a failure stay in the tree.
bool parseProjectXml(HNode *pRoot, const QString &path, MProject *pProject, bool merging);
