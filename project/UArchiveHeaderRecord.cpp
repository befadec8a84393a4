#include "UArchiveHeaderRecord.h"

#include "UArchiveHeader.h"
#include "UArchiveInflater.h"
#include "UArchiveReader.h"

#include <QDebug>
#include <QDir>
#include <QFile>
#include <QStringView>

namespace {

// qCompress form: a big-endian uncompressed length, then the zlib stream.
constexpr quint32 LengthPrefixSize = 4;

} // namespace

UArchiveHeaderRecord::UArchiveHeaderRecord(const UArchiveHeader *pHeader)
    : m_pHeader(pHeader)
{
}

UArchiveHeaderRecord::~UArchiveHeaderRecord() = default;

bool UArchiveHeaderRecord::read(UArchiveReader &reader, QString *pReason)
{
    quint32 nameLength = 0;
    if (!reader.readUInt32BigEndian(nameLength)) {
        *pReason = QStringLiteral("the table ends inside a member entry");
        return false;
    }
    if (!reader.readUtf16LittleEndian(nameLength, m_name)) {
        *pReason = QStringLiteral("a member name runs past the end of the file");
        return false;
    }
    if (!reader.readUInt32BigEndian(m_offset) || !reader.readUInt32BigEndian(m_size)) {
        *pReason = QStringLiteral("the table ends inside a member entry");
        return false;
    }
    if (!isSafeName(m_name)) {
        *pReason = QStringLiteral("unsafe member name \"%1\"").arg(m_name);
        return false;
    }
    if (m_name == QLatin1Char('/') + UArchiveHeader::markerFileName()) {
        *pReason = QStringLiteral("the member name \"%1\" is reserved").arg(m_name);
        return false;
    }
    return true;
}

bool UArchiveHeaderRecord::checkData(const UArchiveReader &reader, quint32 &declared,
                                     QString *pReason)
{
    if (!reader.contains(m_offset, m_size)) {
        *pReason = QStringLiteral("the data of \"%1\" run past the end of the file").arg(m_name);
        return false;
    }
    if (m_size < LengthPrefixSize) {
        *pReason = QStringLiteral("the data of \"%1\" are too short").arg(m_name);
        return false;
    }
    if (!UArchiveInflater::declaredLength(reader, m_offset, m_size, declared)) {
        *pReason = QStringLiteral("the data of \"%1\" cannot be read").arg(m_name);
        return false;
    }
    if (declared > MaxUncompressedSize) {
        *pReason = QStringLiteral("\"%1\" declares an unpacked size above the limit").arg(m_name);
        return false;
    }
    m_declared = declared;
    return true;
}

bool UArchiveHeaderRecord::checkContent(const UArchiveReader &reader, QString *pReason) const
{
    QString reason;
    if (UArchiveInflater::inflate(reader, m_offset, m_size, m_declared, nullptr, &reason))
        return true;
    *pReason = QStringLiteral("\"%1\" %2").arg(m_name, reason);
    return false;
}

void UArchiveHeaderRecord::prepareLocalPath()
{
    m_localPath = m_pHeader->extractionRoot() + m_name;
    // The name is checked, so the chain stays inside the extraction folder.
    // A failure shows up as a member file that cannot be created.
    QDir().mkpath(m_localPath.left(m_localPath.lastIndexOf(QLatin1Char('/'))));
}

bool UArchiveHeaderRecord::extract(const UArchiveReader &reader) const
{
    QFile file(m_localPath);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        qDebug().noquote() << "UArchive: cannot create" << m_localPath << file.errorString();
        return false;
    }
    // Checked before, but the file may have changed since: the length
    // checked then still bounds what is written.
    QString reason;
    if (UArchiveInflater::inflate(reader, m_offset, m_size, m_declared, &file, &reason)
        && file.flush()) {
        file.close();
        if (file.error() == QFileDevice::NoError)
            return true;
        reason = file.errorString();
    }
    qWarning().noquote() << "UArchive: cannot unpack" << m_name << "-" << reason;
    file.close();
    file.remove();
    return false;
}

bool UArchiveHeaderRecord::matchesFileName(QString &name) const
{
    const qsizetype nameSlash = name.lastIndexOf(QLatin1Char('/'));
    const qsizetype memberSlash = m_name.lastIndexOf(QLatin1Char('/'));
    if (nameSlash < 0 || memberSlash < 0)
        return false;
    if (QStringView(name).mid(nameSlash + 1) != QStringView(m_name).mid(memberSlash + 1))
        return false;
    name = m_name;
    return true;
}

bool UArchiveHeaderRecord::nameContains(const QString &fragment) const
{
    // Only the member name counts: the extraction folder's own path may hold
    // any text, such as "Demo" or ".cpf".
    return m_name.contains(fragment);
}

QString UArchiveHeaderRecord::localPathIfContains(const QString &fragment) const
{
    return nameContains(fragment) ? m_localPath : QString();
}

bool UArchiveHeaderRecord::isSafeName(const QString &name)
{
    if (!name.startsWith(QLatin1Char('/')))
        return false;
    for (const QChar c : name) {
        if (c.unicode() < 0x20 || c == QLatin1Char('\\') || c == QLatin1Char(':'))
            return false;
    }
    const QStringView components = QStringView(name).mid(1);
    for (const QStringView component : components.split(QLatin1Char('/'))) {
        if (component.isEmpty() || component == QLatin1String(".")
            || component == QLatin1String(".."))
            return false;
    }
    return true;
}

QString UArchiveHeaderRecord::pathKey(const QString &name)
{
#if defined(Q_OS_WIN) || defined(Q_OS_DARWIN)
    return name.toCaseFolded();
#else
    return name;
#endif
}
