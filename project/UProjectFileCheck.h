#pragma once

#include <QString>

// Tells whether a file can stand as the program's project: a project
// archive whose table and member bounds are sound, or a bare panel file
// that is well-formed XML. Used before a received file replaces the stored
// project, so a cut or foreign file never does.
class UProjectFileCheck
{
public:
    static bool isLoadable(const QString &filePath, QString *pReason);
};
