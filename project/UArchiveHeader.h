#pragma once

#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <vector>

class QIODevice;
class UArchiveHeaderRecord;
class UArchiveReader;

// The table of a project archive and the folder its members are unpacked to.
class UArchiveHeader
{
public:
    using Records = std::vector<std::unique_ptr<UArchiveHeaderRecord>>;

    // A look into one member's content before an archive is taken: the
    // first member, in table order, whose name contains the fragment (the
    // one that extractedPath would answer) is handed over as it unpacks.
    // False, with the reason, refuses the archive.
    struct ContentCheck
    {
        QString fragment;
        std::function<bool(const QString &name, QIODevice &content, QString *pReason)> check;
    };

    UArchiveHeader();
    virtual ~UArchiveHeader();

    // All members together may declare at most this much unpacked.
    static constexpr quint64 MaxUnpackedTotal = quint64(256) * 1024 * 1024;

    // Reads and checks the whole table and every member's data, prepares
    // the extraction folder and unpacks every member. A refused archive or
    // a folder that cannot be prepared returns false and leaves the records
    // and files as they were.
    bool load(QIODevice &device);
    // Checks as load() does, but writes nothing and keeps nothing; false
    // with the reason for a refused archive. Gives the member names. When a
    // content check is given, it runs last, on a sound archive only.
    bool check(QIODevice &device, QString *pReason, QStringList *pNames = nullptr,
               const ContentCheck &contentCheck = ContentCheck()) const;
    void clear();

    const Records &records() const { return m_records; }
    // The extraction folder, without a trailing "/"; empty before a load.
    const QString &extractionRoot() const { return m_extractionRoot; }

    // The file that marks a folder as made by this program, so that it may
    // be emptied; a folder without it is never deleted from.
    static QString markerFileName();
    // The extraction folder that the settings ask for.
    static QString configuredExtractionRoot();

private:
    Q_DISABLE_COPY(UArchiveHeader)

    bool readHeader(UArchiveReader &reader, Records &records, QString *pReason) const;
    // Unpacks every member without keeping the output.
    bool checkContents(const UArchiveReader &reader, const Records &records,
                       QString *pReason) const;
    static bool prepareExtractionRoot(const QString &root);
    static bool makeDirectory(const QString &path);
    static bool emptyDirectory(const QString &path);
    static bool writeMarker(const QString &path);

    Records m_records;
    QString m_extractionRoot;
};
