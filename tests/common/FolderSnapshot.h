#pragma once

#include <QByteArray>
#include <QMap>
#include <QString>
#include <QStringList>

// Every file and folder below a root with its content. Two equal snapshots
// mean that nothing below the root was written, deleted or added.
class FolderSnapshot
{
public:
    // Paths relative to root (with a leading "/"); folders map to
    // "<folder>", files to their bytes.
    static QMap<QString, QByteArray> take(const QString &root);
    // The names below root, folders with a trailing "/".
    static QStringList names(const QString &root);
};
