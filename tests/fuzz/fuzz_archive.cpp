// Fuzzes UArchive::open: each input is written to a file and opened as a
// project archive. Everything lives in one temporary folder that stands in
// for HOME and the XDG folders, and the extraction folder is set inside it;
// after each input the folder is checked for anything written outside the
// extraction folder.
//
//   fuzz_archive [-max_total_time=180] CORPUS_DIR [SEED_DIR...]

#include "project/UArchive.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QSettings>
#include <QString>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <unistd.h>

namespace {

QString s_base;
QString s_input;

void dropMessages(QtMsgType type, const QMessageLogContext &, const QString &message)
{
    if (type == QtFatalMsg) {
        std::fprintf(stderr, "%s\n", qPrintable(message));
        std::abort();
    }
}

void removeBase()
{
    if (!s_base.isEmpty())
        QDir(s_base).removeRecursively();
}

// Nothing but the input file, the settings home and the extraction folder
// may appear in the temporary folder.
void checkNothingOutside()
{
    const QStringList top = QDir(s_base).entryList(QDir::AllEntries | QDir::Hidden
                                                   | QDir::System | QDir::NoDotAndDotDot);
    for (const QString &name : top) {
        if (name != QLatin1String("input.cpz") && name != QLatin1String("home")
            && name != QLatin1String("panels")) {
            std::fprintf(stderr, "fuzz_archive: written outside the root: %s\n", qPrintable(name));
            std::abort();
        }
    }
    const QStringList panels = QDir(s_base + QStringLiteral("/panels"))
                                   .entryList(QDir::AllEntries | QDir::Hidden | QDir::System
                                              | QDir::NoDotAndDotDot);
    if (panels.size() > 1 || (panels.size() == 1 && panels.first() != QLatin1String("Archive"))) {
        std::fprintf(stderr, "fuzz_archive: written beside the root\n");
        std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *pArgc, char ***pArgv)
{
    // The environment is set before Qt reads any of it.
    char pattern[] = "/tmp/fuzz_archive-XXXXXX";
    if (!mkdtemp(pattern))
        std::abort();
    const std::string base = pattern;
    const std::string home = base + "/home";
    setenv("HOME", home.c_str(), 1);
    setenv("XDG_CONFIG_HOME", (home + "/.config").c_str(), 1);
    setenv("XDG_DATA_HOME", (home + "/.local/share").c_str(), 1);
    setenv("XDG_CACHE_HOME", (home + "/.cache").c_str(), 1);
    setenv("QT_QPA_PLATFORM", "offscreen", 1);

    static QCoreApplication app(*pArgc, *pArgv);
    qInstallMessageHandler(dropMessages);
    s_base = QString::fromLocal8Bit(base.c_str());
    s_input = s_base + QStringLiteral("/input.cpz");
    std::atexit(removeBase);

    QDir().mkpath(QString::fromLocal8Bit(home.c_str()));
    QSettings settings(QStringLiteral("Halvern"), QStringLiteral("Varolin Remote 3.1"));
    settings.setValue(QStringLiteral("Path/Archive"), s_base + QStringLiteral("/panels"));
    settings.sync();
    UArchive::setErrorReporter([](const QString &) {});
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *pData, size_t size)
{
    {
        QFile file(s_input);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            std::abort();
        file.write(reinterpret_cast<const char *>(pData), qint64(size));
    }
    UArchive &archive = UArchive::instance();
    if (archive.open(s_input)) {
        // Every answer points into the extraction folder.
        const QString root = s_base + QStringLiteral("/panels/Archive");
        if (archive.extractionRoot() != root)
            std::abort();
        const QString path = archive.extractedPath(QStringLiteral("/"));
        if (!path.isEmpty() && !path.startsWith(root + QLatin1Char('/')))
            std::abort();
        QString name = QStringLiteral("C:/x/image/Demo.png");
        archive.resolveFileUrl(name);
    }
    checkNothingOutside();
    return 0;
}
