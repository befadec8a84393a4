#pragma once

#include <QString>
#include <QStringList>

class QObject;

// Finds and applies the skin files of the resources and reads the
// one-name-per-line lists beside them. Lives for one call of its user.
class SkinLoader
{
public:
    SkinLoader() = default;

    // Not owned; the object whose properties a skin sets.
    void setTarget(QObject *target) { m_pTarget = target; }
    QObject *target() const { return m_pTarget; }

    // ":/skins/<name>.xml"
    static QString skinFilePath(const QString &name);

    // Replaces a name without a skin file by "Light".
    static void checkSkinName(QString &name);

    // Applies the skin file of the name (after checkSkinName) to the target.
    // False only when the file cannot be opened; a malformed file keeps what
    // was applied before the error and still gives true.
    bool loadSkin(QString &name);

    // Appends the lines of a UTF-8 text file to the list, without line
    // ends. False without a list or when the file cannot be opened.
    static bool readTextLines(const QString &path, QStringList *lines);

private:
    QObject *m_pTarget = nullptr;
};
