#include "app/MStartupProject.h"

#include "app/DQmlMessageDialog.h"
#include "project/UProjectFileCheck.h"

#include <QCoreApplication>
#include <QDebug>
#include <QDir>
#include <QFileInfo>

QString MStartupProject::demoPath()
{
    return QStringLiteral(":/data/Varolin/Demo.cpz");
}

QString MStartupProject::checked(const QString &path)
{
    // The demo is ours and known to load.
    if (path == demoPath())
        return path;
    QString reason;
    if (UProjectFileCheck::isLoadable(path, &reason))
        return path;

    const QString file = QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath());
    qWarning().noquote() << "Start-up project refused:" << file << "-" << reason;
    DQmlMessageDialog dialog;
    dialog.showMessageBox(
        QCoreApplication::translate("MModel", "Varolin Remote"),
        QCoreApplication::translate("MModel",
                                    "The stored project cannot be opened:\n%1\n\nReason: %2.\n\n"
                                    "The built-in demo project is opened instead.")
            .arg(file, reason));
    return demoPath();
}
