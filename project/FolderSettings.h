#pragma once

#include <QSettings>
#include <QString>

// Where the program keeps its projects: per user, the designs folder that
// receive mode stores into and start-up looks in, and the folder archives
// are unpacked to. Read here only.
namespace FolderSettings {
inline QString organisation() { return QStringLiteral("Halvern"); }
inline QString application() { return QStringLiteral("Varolin Remote 3.1"); }

inline QString designsFolderKey() { return QStringLiteral("Path/Designs"); }
inline QString archiveFolderKey() { return QStringLiteral("Path/Archive"); }

// The designs folder; the working folder (".") when none is set.
inline QString designsFolder()
{
    const QString folder =
        QSettings(organisation(), application()).value(designsFolderKey()).toString();
    return folder.isEmpty() ? QStringLiteral(".") : folder;
}

// The archive folder as set; empty when none is.
inline QString archiveFolder()
{
    return QSettings(organisation(), application()).value(archiveFolderKey()).toString();
}
} // namespace FolderSettings
