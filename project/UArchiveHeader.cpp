#include "UArchiveHeader.h"

#include "FolderSettings.h"
#include "UArchive.h"
#include "UArchiveHeaderRecord.h"
#include "UArchiveMemberDevice.h"
#include "UArchiveReader.h"

#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileDevice>
#include <QFileInfo>
#include <QObject>
#include <QSet>
#include <QStandardPaths>

namespace {

constexpr quint32 MemberEntryMinSize = 12; // name length, offset, size

const QDir::Filters AllEntries =
    QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot;

void reportFolderError(const char *pText, const QString &path)
{
    UArchive::showError(QObject::tr(pText)
                        + QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath()));
}

} // namespace

UArchiveHeader::UArchiveHeader() = default;

UArchiveHeader::~UArchiveHeader() = default;

bool UArchiveHeader::load(QIODevice &device)
{
    UArchiveReader reader(device);
    Records records;
    QString reason;
    // Every member is unpacked once without keeping anything before the
    // extraction folder is touched: a refused archive changes nothing.
    if (!readHeader(reader, records, &reason) || !checkContents(reader, records, &reason)) {
        const auto *pFile = qobject_cast<const QFileDevice *>(&device);
        qWarning().noquote() << "UArchive: refused the archive"
                             << (pFile ? pFile->fileName() : QString()) << "-" << reason;
        return false;
    }

    const QString root = configuredExtractionRoot();
    if (!prepareExtractionRoot(root))
        return false;

    clear();
    m_extractionRoot = root;
    m_records = std::move(records);
    // Every member's folders are made before the first one is unpacked.
    for (const auto &pRecord : m_records)
        pRecord->prepareLocalPath();
    // A member that cannot be written is left out; the others still come.
    for (const auto &pRecord : m_records)
        pRecord->extract(reader);
    return true;
}

bool UArchiveHeader::check(QIODevice &device, QString *pReason, QStringList *pNames,
                           const ContentCheck &contentCheck) const
{
    UArchiveReader reader(device);
    Records records;
    QString reason;
    bool ok = readHeader(reader, records, &reason) && checkContents(reader, records, &reason);
    if (ok && contentCheck.check) {
        for (const auto &pRecord : records) {
            if (pRecord->nameContains(contentCheck.fragment)) {
                UArchiveMemberDevice content(reader, *pRecord);
                ok = contentCheck.check(pRecord->name(), content, &reason);
                break;
            }
        }
    }
    if (pReason)
        *pReason = reason;
    if (ok && pNames) {
        pNames->clear();
        for (const auto &pRecord : records)
            pNames->append(pRecord->name());
    }
    return ok;
}

void UArchiveHeader::clear()
{
    m_records.clear();
}

QString UArchiveHeader::markerFileName()
{
    return QStringLiteral(".varolin-archive");
}

QString UArchiveHeader::configuredExtractionRoot()
{
    QString base = FolderSettings::archiveFolder();
    if (base.isEmpty()) {
        // Never the working folder: a folder of the user's called "Archive"
        // there must not be emptied.
        const QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
        if (data.isEmpty())
            return QString();
        base = data + QLatin1Char('/') + FolderSettings::organisation() + QLatin1Char('/')
            + FolderSettings::application() + QLatin1Char('/');
    }
    base.replace(QLatin1Char('\\'), QLatin1Char('/'));
    if (!base.endsWith(QLatin1Char('/')))
        base += QLatin1Char('/');
    return base + QStringLiteral("Archive");
}

bool UArchiveHeader::readHeader(UArchiveReader &reader, Records &records, QString *pReason) const
{
    quint32 formatWord = 0;
    quint32 count = 0;
    if (!reader.readUInt32LittleEndian(formatWord) || !reader.readUInt32BigEndian(count)) {
        *pReason = QStringLiteral("the file is shorter than the archive header");
        return false;
    }
    // Checked before any record is made, so a wild count costs nothing.
    if (quint64(count) * MemberEntryMinSize > quint64(reader.remaining())) {
        *pReason = QStringLiteral("the member table runs past the end of the file");
        return false;
    }
    for (quint32 i = 0; i < count; ++i) {
        auto pRecord = std::make_unique<UArchiveHeaderRecord>(this);
        if (!pRecord->read(reader, pReason))
            return false;
        records.push_back(std::move(pRecord));
    }
    // Unpacked, the later of two members of one path would overwrite the
    // earlier, while extractedPath answers the earlier one's name: what was
    // checked would not be what is loaded.
    QSet<QString> paths;
    for (const auto &pRecord : records) {
        const QString key = UArchiveHeaderRecord::pathKey(pRecord->name());
        if (paths.contains(key)) {
            *pReason = QStringLiteral("the archive names the member \"%1\" twice").arg(pRecord->name());
            return false;
        }
        paths.insert(key);
    }
    quint64 total = 0;
    for (const auto &pRecord : records) {
        quint32 declared = 0;
        if (!pRecord->checkData(reader, declared, pReason))
            return false;
        total += declared;
    }
    if (total > MaxUnpackedTotal) {
        *pReason = QStringLiteral("the members declare %1 bytes unpacked, above the limit of %2")
                       .arg(total)
                       .arg(MaxUnpackedTotal);
        return false;
    }
    return true;
}

bool UArchiveHeader::checkContents(const UArchiveReader &reader, const Records &records,
                                   QString *pReason) const
{
    for (const auto &pRecord : records) {
        if (!pRecord->checkContent(reader, pReason))
            return false;
    }
    return true;
}

bool UArchiveHeader::prepareExtractionRoot(const QString &root)
{
    if (root.isEmpty()) {
        reportFolderError(QT_TRANSLATE_NOOP("QObject", "Could not access parent directory of: "),
                          QStringLiteral("Archive"));
        return false;
    }
    const QFileInfo info(root);
    if (!info.exists())
        return makeDirectory(root);
    if (!info.isDir()) {
        reportFolderError(QT_TRANSLATE_NOOP("QObject", "Failed to create the directory: "), root);
        return false;
    }
    if (QFileInfo::exists(root + QLatin1Char('/') + markerFileName())) {
        if (emptyDirectory(root))
            return true;
        reportFolderError(QT_TRANSLATE_NOOP("QObject", "Unable to remove the existing directory at: "),
                          root);
        return false;
    }
    // Not made by us: only an empty folder may be taken over, anything else
    // could be the user's own files.
    if (!info.isReadable() || !QDir(root).entryList(AllEntries).isEmpty()) {
        reportFolderError(QT_TRANSLATE_NOOP("QObject", "Unable to remove the existing directory at: "),
                          root);
        return false;
    }
    if (!writeMarker(root)) {
        reportFolderError(QT_TRANSLATE_NOOP("QObject", "Could not change into directory: "), root);
        return false;
    }
    return true;
}

bool UArchiveHeader::makeDirectory(const QString &path)
{
    const QFileInfo info(path);
    const QString parent = info.absolutePath();
    if (!QDir().mkpath(parent)) {
        reportFolderError(QT_TRANSLATE_NOOP("QObject", "Could not access parent directory of: "),
                          path);
        return false;
    }
    if (!QDir(parent).mkdir(info.fileName())) {
        reportFolderError(QT_TRANSLATE_NOOP("QObject", "Failed to create the directory: "), path);
        return false;
    }
    if (!writeMarker(path)) {
        QDir(parent).rmdir(info.fileName());
        reportFolderError(QT_TRANSLATE_NOOP("QObject", "Could not change into directory: "), path);
        return false;
    }
    return true;
}

bool UArchiveHeader::emptyDirectory(const QString &path)
{
    bool ok = true;
    const QFileInfoList entries = QDir(path).entryInfoList(AllEntries);
    for (const QFileInfo &entry : entries) {
        if (entry.fileName() == markerFileName())
            continue;
        // Links are removed, never followed.
        if (entry.isDir() && !entry.isSymLink())
            ok = QDir(entry.absoluteFilePath()).removeRecursively() && ok;
        else
            ok = QFile::remove(entry.absoluteFilePath()) && ok;
    }
    return ok;
}

bool UArchiveHeader::writeMarker(const QString &path)
{
    QFile marker(path + QLatin1Char('/') + markerFileName());
    if (!marker.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    const QByteArray text =
        "This folder belongs to Varolin Remote. Its content is replaced\n"
        "each time a project archive is opened.\n";
    return marker.write(text) == text.size();
}
