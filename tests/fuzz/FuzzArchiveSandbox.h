#pragma once

// The setting shared by the archive fuzz targets: one temporary folder
// (under QDir::tempPath, which follows TMPDIR) that stands in for HOME and
// the XDG folders, with the extraction folder set inside it, and a check
// that nothing was written anywhere else in it.

#include "project/UArchive.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QSettings>
#include <QString>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

namespace FuzzArchiveSandbox {

inline QString &base()
{
    static QString s_base;
    return s_base;
}

inline QString inputPath()
{
    return base() + QStringLiteral("/input.cpz");
}

inline QString extractionRoot()
{
    return base() + QStringLiteral("/panels/Archive");
}

inline void dropMessages(QtMsgType type, const QMessageLogContext &, const QString &message)
{
    if (type == QtFatalMsg) {
        std::fprintf(stderr, "%s\n", qPrintable(message));
        std::abort();
    }
}

inline void removeBase()
{
    if (!base().isEmpty())
        QDir(base()).removeRecursively();
}

[[noreturn]] inline void fail(const char *pTarget, const char *pWhat, const QString &detail = {})
{
    std::fprintf(stderr, "%s: %s %s\n", pTarget, pWhat, qPrintable(detail));
    std::abort();
}

// Makes the folder, points the environment and the settings into it and
// starts the application object. Called once, from LLVMFuzzerInitialize.
inline void setUp(const char *pTarget, int *pArgc, char ***pArgv)
{
    // The environment is set before Qt reads any of it; only TMPDIR is
    // read here.
    const std::string pattern =
        QFile::encodeName(QDir::tempPath() + QLatin1Char('/') + QLatin1String(pTarget)).toStdString()
        + "-XXXXXX";
    std::string folder = pattern;
    if (!mkdtemp(folder.data()))
        fail(pTarget, "cannot make its temporary folder under", QDir::tempPath());
    const std::string home = folder + "/home";
    setenv("HOME", home.c_str(), 1);
    setenv("XDG_CONFIG_HOME", (home + "/.config").c_str(), 1);
    setenv("XDG_DATA_HOME", (home + "/.local/share").c_str(), 1);
    setenv("XDG_CACHE_HOME", (home + "/.cache").c_str(), 1);
    setenv("QT_QPA_PLATFORM", "offscreen", 1);

    static QCoreApplication app(*pArgc, *pArgv);
    qInstallMessageHandler(dropMessages);
    base() = QFile::decodeName(folder.c_str());
    std::atexit(removeBase);

    QDir().mkpath(QFile::decodeName(home.c_str()));
    QSettings settings(QStringLiteral("Halvern"), QStringLiteral("Varolin Remote 3.1"));
    settings.setValue(QStringLiteral("Path/Archive"), base() + QStringLiteral("/panels"));
    settings.sync();
    UArchive::setErrorReporter([](const QString &) {});
}

inline void writeInput(const char *pTarget, const uint8_t *pData, size_t size)
{
    QFile file(inputPath());
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)
        || file.write(reinterpret_cast<const char *>(pData), qint64(size)) != qint64(size)) {
        fail(pTarget, "cannot write its input");
    }
}

// Nothing but the input file, the settings home and the extraction folder
// may appear in the temporary folder.
inline void checkNothingOutside(const char *pTarget)
{
    const QDir::Filters all = QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot;
    for (const QString &name : QDir(base()).entryList(all)) {
        if (name != QLatin1String("input.cpz") && name != QLatin1String("home")
            && name != QLatin1String("panels")) {
            fail(pTarget, "written outside the root:", name);
        }
    }
    const QStringList panels = QDir(base() + QStringLiteral("/panels")).entryList(all);
    if (panels.size() > 1 || (panels.size() == 1 && panels.first() != QLatin1String("Archive")))
        fail(pTarget, "written beside the root");
}

} // namespace FuzzArchiveSandbox
