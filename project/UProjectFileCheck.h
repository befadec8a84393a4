#pragma once

#include <QString>
#include <QStringList>

class QIODevice;

// Tells whether a file can stand as the program's project: a project
// archive whose table is sound, whose members each unpack within their
// bounds to their declared length and to paths of their own, and whose
// panel member is a panel file, or a bare panel file. A panel file must be
// well-formed XML whose document element holds the parts of a panel
// (scenes, canvas, connections, project or version); it is read through to
// its end by the panel reader's own parser, without building anything.
// Used before a received file replaces the stored project, so a cut,
// foreign or broken file never does, and on the project chosen at start.
class UProjectFileCheck
{
public:
    static bool isLoadable(const QString &filePath, QString *pReason);

    // Reads one panel file through; what names it in the reason, e.g.
    // "the panel file \"/Demo.cpf\"".
    static bool isPanelFile(QIODevice &content, const QString &what, QString *pReason);

private:
    // False when another of the names would take the panel member's path
    // as its folder.
    static bool isUnpackedAsFile(const QString &panel, const QStringList &names, QString *pReason);
};
