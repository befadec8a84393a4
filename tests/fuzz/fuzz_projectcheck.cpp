// Fuzzes the check that a received or stored file must pass before it may
// stand as the project (UProjectFileCheck::isLoadable), then unpacks the
// same bytes with UArchive::open, inside the temporary folder of
// FuzzArchiveSandbox. The check and the unpacking must agree, an accepted
// archive must unpack its panel file, which must read as a panel file on
// disk as it did inside the archive, and nothing unpacked may exceed the
// bounds: no member larger than it declares, no more in all than the cap.
//
//   fuzz_projectcheck [-max_total_time=180] CORPUS_DIR [SEED_DIR...]

#include "FuzzArchiveSandbox.h"

#include "project/UArchive.h"
#include "project/UArchiveHeader.h"
#include "project/UArchiveHeaderRecord.h"
#include "project/UProjectFileCheck.h"

#include <QDirIterator>
#include <QFile>
#include <QFileInfo>

#include <utility>

namespace {

const char *const Target = "fuzz_projectcheck";

// The bytes below the extraction folder, the marker file left out.
qint64 unpackedBytes()
{
    qint64 total = 0;
    QDirIterator it(FuzzArchiveSandbox::extractionRoot(), QDir::Files | QDir::Hidden | QDir::System,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        it.next();
        if (it.fileName() != UArchiveHeader::markerFileName())
            total += it.fileInfo().size();
    }
    return total;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *pArgc, char ***pArgv)
{
    FuzzArchiveSandbox::setUp(Target, pArgc, pArgv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *pData, size_t size)
{
    FuzzArchiveSandbox::writeInput(Target, pData, size);
    const QString input = FuzzArchiveSandbox::inputPath();
    QString reason;
    const bool loadable = UProjectFileCheck::isLoadable(input, &reason);
    if (!loadable && reason.isEmpty())
        FuzzArchiveSandbox::fail(Target, "refused without a reason");

    if (!UArchive::isArchive(input)) {
        FuzzArchiveSandbox::checkNothingOutside(Target);
        return 0;
    }
    QStringList names;
    const bool sound = UArchive::checkArchive(input, nullptr, &names);
    if (loadable && !sound)
        FuzzArchiveSandbox::fail(Target, "loadable but not a sound archive");

    UArchive &archive = UArchive::instance();
    const bool opened = archive.open(input);
    if (opened != sound)
        FuzzArchiveSandbox::fail(Target, "the check and the unpacking disagree:", reason);
    if (opened) {
        const QString panel = archive.extractedPath(QStringLiteral(".cpf"));
        if (loadable && !QFileInfo(panel).isFile())
            FuzzArchiveSandbox::fail(Target, "loadable, but no panel file was unpacked");
        // The member read as it unpacked and the file it unpacked to agree.
        QFile panelFile(panel);
        if (loadable && panelFile.open(QIODevice::ReadOnly)
            && !UProjectFileCheck::isPanelFile(panelFile, QStringLiteral("the unpacked panel file"), &reason)) {
            FuzzArchiveSandbox::fail(Target, "loadable, but the unpacked panel file is not:", reason);
        }
        const qint64 unpacked = unpackedBytes();
        if (unpacked > qint64(UArchiveHeader::MaxUnpackedTotal))
            FuzzArchiveSandbox::fail(Target, "unpacked past the cap:", QString::number(unpacked));
        // No member's file is larger than a member may declare.
        for (const QString &name : std::as_const(names)) {
            const QFileInfo member(FuzzArchiveSandbox::extractionRoot() + name);
            if (member.isFile() && member.size() > qint64(UArchiveHeaderRecord::MaxUncompressedSize))
                FuzzArchiveSandbox::fail(Target, "member past its limit:", name);
        }
    }
    FuzzArchiveSandbox::checkNothingOutside(Target);
    return 0;
}
