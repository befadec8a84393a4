#pragma once

#include <QString>

// Tells whether a file can stand as the program's project: a project
// archive whose table is sound, whose every member unpacks within its
// bounds to its declared length and which holds a panel file, or a bare
// panel file that is well-formed XML. Used before a received file replaces
// the stored project, so a cut, foreign or broken file never does, and on
// the project chosen at start.
class UProjectFileCheck
{
public:
    static bool isLoadable(const QString &filePath, QString *pReason);
};
