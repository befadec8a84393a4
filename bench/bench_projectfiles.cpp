// Figures for opening project files: the archive test, unpacking an archive
// of the size real projects reach, running a SAX handler over a large panel
// file, and the check a project passes before it is stored or opened, beside
// the same check without its pass over the panel member. Prints medians of
// several runs; it asserts nothing.

#include "ArchiveWriter.h"
#include "BenchSandbox.h"
#include "BenchTiming.h"
#include "project/UArchive.h"
#include "project/UProjectFileCheck.h"
#include "project/XmlFileReader.h"
#include "project/XmlHandler.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QRandomGenerator>
#include <QSettings>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

// Image-like content: half noise, half flat, so it compresses like PNGs do.
QByteArray imageLike(int size)
{
    QByteArray data(size, '\0');
    auto *generator = QRandomGenerator::global();
    for (int i = 0; i < size / 2; ++i)
        data[i] = char(generator->bounded(256));
    return data;
}

QByteArray panelFile(int controls)
{
    QByteArray xml = "<?xml version=\"1.0\"?>\n<VDS><Scenes><Scene name=\"S\"><Panels>"
                     "<Panel name=\"P\"><Controls>\n";
    for (int i = 0; i < controls; ++i) {
        xml += "<Control name=\"C" + QByteArray::number(i) + "\" type=\"Label\">"
               "<Property name=\"widget\"><label><x>10</x><y>20</y><width>100</width>"
               "<height>30</height><text>Label text</text></label></Property></Control>\n";
    }
    xml += "</Controls></Panel></Panels></Scene></Scenes></VDS>\n";
    return xml;
}

} // namespace

int main(int argc, char **argv)
{
    BenchSandbox dir;
    if (!dir.isValid())
        return 1;
    QCoreApplication app(argc, argv);
    QSettings(QStringLiteral("Halvern"), QStringLiteral("Varolin Remote 3.1"))
        .setValue(QStringLiteral("Path/Archive"), dir.path());

    ArchiveWriter writer;
    writer.addFile(QStringLiteral("/Project.cpf"), panelFile(2000));
    writer.addFile(QStringLiteral("/project/Project.vpj"), QByteArray(200 * 1024, 'x'));
    for (int i = 0; i < 60; ++i)
        writer.addFile(QStringLiteral("/image/picture%1.png").arg(i), imageLike(300 * 1024));
    const QString archive = dir.path() + QStringLiteral("/big.cpz");
    if (!writer.writeTo(archive))
        return 1;
    const double archiveMiB = QFile(archive).size() / (1024.0 * 1024.0);

    const double testMs = medianMs(51, [&] { UArchive::isArchive(archive); });
    bool opened = true;
    const double openMs = medianMs(9, [&] { opened = UArchive::instance().open(archive) && opened; });
    const double demoMs = medianMs(21, [&] { UArchive::instance().open(QStringLiteral(":/data/Varolin/Demo.cpz")); });

    const QString panel = dir.path() + QStringLiteral("/panel.cpf");
    QFile file(panel);
    if (!file.open(QIODevice::WriteOnly))
        return 1;
    file.write(panelFile(5000));
    file.close();
    const double panelMiB = QFile(panel).size() / (1024.0 * 1024.0);
    const double parseMs = medianMs(9, [&] {
        XmlHandler handler;
        XmlFileReader::parse(panel, handler);
    });

    // The project check reads the panel member through once more; the
    // archive check alone is what it cost without that pass.
    struct CheckFigures
    {
        double archiveMs;
        double projectMs;
    };
    const auto checkFigures = [](const QString &path, int runs) {
        return CheckFigures{medianMs(runs, [&] { UArchive::checkArchive(path, nullptr); }),
                            medianMs(runs, [&] { UProjectFileCheck::isLoadable(path, nullptr); })};
    };
    const QByteArray large = panelFile(20000);
    ArchiveWriter largePanel;
    largePanel.addFile(QStringLiteral("/Large.cpf"), large);
    largePanel.addFile(QStringLiteral("/project/Large.vpj"), QByteArray(200 * 1024, 'x'));
    const QString largeArchive = dir.path() + QStringLiteral("/large-panel.cpz");
    if (!largePanel.writeTo(largeArchive))
        return 1;
    const double largePanelMiB = large.size() / (1024.0 * 1024.0);
    const CheckFigures demoCheck = checkFigures(QStringLiteral(":/data/Varolin/Demo.cpz"), 21);
    const CheckFigures bigCheck = checkFigures(archive, 9);
    const CheckFigures largeCheck = checkFigures(largeArchive, 9);

    std::printf("archive test (isArchive)                 %8.3f ms\n", testMs);
    std::printf("open + unpack, %2zu members, %6.1f MiB     %8.1f ms%s\n",
                size_t(writer.members().size()), archiveMiB, openMs, opened ? "" : "  (FAILED)");
    std::printf("open + unpack, demo archive              %8.2f ms\n", demoMs);
    std::printf("SAX pass over a %5.1f MiB panel file      %8.1f ms\n", panelMiB, parseMs);
    const auto printCheck = [](const char *what, const CheckFigures &figures) {
        std::printf("project check, %-26s %8.2f ms, archive check alone %8.2f ms (x%.2f)\n", what,
                    figures.projectMs, figures.archiveMs,
                    figures.archiveMs > 0 ? figures.projectMs / figures.archiveMs : 0.0);
    };
    printCheck("demo archive", demoCheck);
    printCheck("61 members, 2000 controls", bigCheck);
    printCheck(qPrintable(QStringLiteral("%1 MiB panel member").arg(largePanelMiB, 0, 'f', 1)),
               largeCheck);
    return opened ? 0 : 1;
}
