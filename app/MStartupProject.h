#pragma once

#include <QString>

// The project opened at start. A stored project that cannot be loaded (an
// archive that is refused, a panel file that is not XML) must not leave
// the operator with an empty window: a box names the file and the reason,
// and the built-in demo project opens instead.
class MStartupProject
{
public:
    MStartupProject() = delete;

    // The demo archive in the program's resources.
    static QString demoPath();
    // The path to open for the chosen project: the path itself when it can
    // be loaded, else, once the box is closed, the demo's.
    static QString checked(const QString &path);
};
