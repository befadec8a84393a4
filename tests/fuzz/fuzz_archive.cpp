// Fuzzes UArchive::open: each input is written to a file and opened as a
// project archive, inside the temporary folder of FuzzArchiveSandbox; after
// each input the folder is checked for anything written outside the
// extraction folder.
//
//   fuzz_archive [-max_total_time=180] CORPUS_DIR [SEED_DIR...]

#include "FuzzArchiveSandbox.h"

#include "project/UArchive.h"

namespace {
const char *const Target = "fuzz_archive";
}

extern "C" int LLVMFuzzerInitialize(int *pArgc, char ***pArgv)
{
    FuzzArchiveSandbox::setUp(Target, pArgc, pArgv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *pData, size_t size)
{
    FuzzArchiveSandbox::writeInput(Target, pData, size);
    UArchive &archive = UArchive::instance();
    if (archive.open(FuzzArchiveSandbox::inputPath())) {
        // Every answer points into the extraction folder.
        const QString root = FuzzArchiveSandbox::extractionRoot();
        if (archive.extractionRoot() != root)
            FuzzArchiveSandbox::fail(Target, "unpacked elsewhere:", archive.extractionRoot());
        const QString path = archive.extractedPath(QStringLiteral("/"));
        if (!path.isEmpty() && !path.startsWith(root + QLatin1Char('/')))
            FuzzArchiveSandbox::fail(Target, "answers outside the root:", path);
        QString name = QStringLiteral("C:/x/image/Demo.png");
        archive.resolveFileUrl(name);
    }
    FuzzArchiveSandbox::checkNothingOutside(Target);
    return 0;
}
