#include "FolderSnapshot.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>

namespace {

const QByteArray FolderMark("<folder>");

QByteArray readBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

QMap<QString, QByteArray> FolderSnapshot::take(const QString &root)
{
    QMap<QString, QByteArray> tree;
    QDirIterator it(root, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        const QFileInfo info = it.fileInfo();
        tree.insert(path.mid(root.size()),
                    info.isDir() && !info.isSymLink() ? FolderMark : readBytes(path));
    }
    return tree;
}

QStringList FolderSnapshot::names(const QString &root)
{
    QStringList names;
    const auto tree = take(root);
    for (auto it = tree.cbegin(); it != tree.cend(); ++it)
        names << it.key() + (it.value() == FolderMark ? QStringLiteral("/") : QString());
    return names;
}
