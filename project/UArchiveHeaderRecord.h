#pragma once

#include <QString>
#include <QtGlobal>

class UArchiveHeader;
class UArchiveReader;

// One member of a project archive: its name in the table, where its stored
// bytes are, and where it is unpacked.
class UArchiveHeaderRecord
{
public:
    // Members that declare more than this unpacked are refused; a project
    // is a few megabytes.
    static constexpr quint32 MaxUncompressedSize = 256u * 1024u * 1024u;

    explicit UArchiveHeaderRecord(const UArchiveHeader *pHeader);
    virtual ~UArchiveHeaderRecord();

    // Reads this member's table entry. False, with the reason, when the entry
    // is cut short or its name could lead outside the extraction folder.
    bool read(UArchiveReader &reader, QString *pReason);
    // Checks that the stored bytes lie inside the file and that their
    // declared length is sane; keeps and gives that length.
    bool checkData(const UArchiveReader &reader, quint32 &declared, QString *pReason);
    // Unpacks the member without keeping anything: true when its zlib data
    // are whole and give exactly the declared length.
    bool checkContent(const UArchiveReader &reader, QString *pReason) const;

    // Sets the unpacked path below the header's extraction folder and makes
    // the member's folders there.
    void prepareLocalPath();
    // Writes the unpacked member. A member whose file cannot be created or
    // written, or whose data no longer unpack, leaves no file; false then.
    bool extract(const UArchiveReader &reader) const;

    // When the file names (after the last "/") match, sets name to this
    // member's name and answers true.
    bool matchesFileName(QString &name) const;
    // Whether the member name contains the fragment (case-sensitive): how
    // the loader finds its panel and design-project members.
    bool nameContains(const QString &fragment) const;
    // The unpacked path when the member name contains the fragment, else "".
    QString localPathIfContains(const QString &fragment) const;

    const QString &name() const { return m_name; }
    const QString &localPath() const { return m_localPath; }
    quint32 offset() const { return m_offset; }
    quint32 size() const { return m_size; }
    // The unpacked length the stored bytes declare; known once checked.
    quint32 declaredLength() const { return m_declared; }

    // A member name is safe when it starts with "/", has only non-empty
    // components other than "." and "..", and holds no "\", ":" or control
    // characters.
    static bool isSafeName(const QString &name);
    // Two member names give the same key when unpacking them would write
    // one file: the names as they are where file names keep their case,
    // case-folded where the file system folds it.
    static QString pathKey(const QString &name);

private:
    Q_DISABLE_COPY(UArchiveHeaderRecord)

    QString m_localPath;
    QString m_name;
    quint32 m_offset = 0;
    quint32 m_size = 0;
    // The unpacked length the stored bytes declared when checked; the
    // member must unpack to exactly this.
    quint32 m_declared = 0;
    const UArchiveHeader *m_pHeader = nullptr;
};
