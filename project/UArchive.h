#pragma once

#include "UArchiveHeader.h"

#include <QString>

#include <functional>

// The project archive (".cpz"): unpacks a project's members into the
// extraction folder and answers where they went. One instance per process.
class UArchive
{
public:
    using ErrorReporter = std::function<void(const QString &message)>;
    using ContentCheck = UArchiveHeader::ContentCheck;

    static UArchive &instance();

    // False for files that start like XML text: those are bare panel files.
    static bool isArchive(const QString &filePath);

    // True when the file is an archive whose table is sound and whose every
    // member unpacks, within the bounds, to its declared length, and the
    // content check (when given) takes its member; writes nothing. Fills
    // the reason when not, the member names when so.
    static bool checkArchive(const QString &filePath, QString *pReason,
                             QStringList *pMemberNames = nullptr,
                             const ContentCheck &contentCheck = ContentCheck());

    // True when the file is a sound archive and every member was unpacked.
    // False leaves the previous project's records and files in place.
    bool open(const QString &filePath);

    // The unpacked path of the first member whose name contains the fragment.
    QString extractedPath(const QString &fragment) const;
    // Replaces a path whose file name matches a member's by the file URL of
    // the unpacked member; otherwise leaves it unchanged and answers false.
    bool resolveFileUrl(QString &name) const;

    const QString &extractionRoot() const { return m_header.extractionRoot(); }

    // Tells the user about a folder that cannot be prepared: a warning, then
    // a modal box, or the reporter when one is set (tests, tools without a
    // window). An empty reporter brings the box back.
    static void showError(const QString &message);
    static void setErrorReporter(ErrorReporter reporter);

    virtual ~UArchive();

private:
    UArchive();
    Q_DISABLE_COPY(UArchive)

    UArchiveHeader m_header;
};
