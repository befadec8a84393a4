#include "SkinLoader.h"

#include "XSkinHandler.h"
#include "XmlFileReader.h"

#include <QFile>

QString SkinLoader::skinFilePath(const QString &name)
{
    return QStringLiteral(":/skins/") + name + QStringLiteral(".xml");
}

void SkinLoader::checkSkinName(QString &name)
{
    QFile file(skinFilePath(name));
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        name = QStringLiteral("Light");
}

bool SkinLoader::loadSkin(QString &name)
{
    checkSkinName(name);

    QFile file(skinFilePath(name));
    if (!file.open(QIODevice::ReadOnly))
        return false;

    XSkinHandler handler;
    handler.setTarget(m_pTarget);
    // A malformed file has been reported by the handler; what it applied
    // before the error stays, and the skin counts as loaded.
    XmlFileReader::parse(file, handler);
    return true;
}

bool SkinLoader::readTextLines(const QString &path, QStringList *lines)
{
    if (!lines)
        return false;

    // Text mode: a CR before the LF goes away with it.
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return false;

    while (!file.atEnd()) {
        QString line = QString::fromUtf8(file.readLine());
        line.remove(QLatin1Char('\n'));
        lines->append(line);
    }
    return true;
}
