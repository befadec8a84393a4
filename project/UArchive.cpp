#include "UArchive.h"

#include "UArchiveHeaderRecord.h"

#include <QApplication>
#include <QDebug>
#include <QFile>
#include <QMessageBox>
#include <QThread>
#include <QUrl>

namespace {

constexpr qint64 ArchiveTestSize = 4;
constexpr char XmlStartBits = 0x3C;

UArchive::ErrorReporter &errorReporter()
{
    static UArchive::ErrorReporter reporter;
    return reporter;
}

} // namespace

UArchive::UArchive() = default;

UArchive::~UArchive() = default;

UArchive &UArchive::instance()
{
    // Lives until the process ends; never deleted.
    static UArchive *s_pInstance = new UArchive;
    return *s_pInstance;
}

bool UArchive::isArchive(const QString &filePath)
{
    QFile file(filePath);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray start = file.read(ArchiveTestSize);
    file.close();
    if (start.size() < ArchiveTestSize)
        return false;
    // "<" (0x3C), "?" (0x3F) and the byte-order marks FF FE, FE FF and
    // EF BB BF ... 3C all have these bits set at byte 0 or byte 3, the
    // archive's format word 10 00 00 00 has them at neither.
    return (start.at(0) & XmlStartBits) != XmlStartBits
        && (start.at(3) & XmlStartBits) != XmlStartBits;
}

bool UArchive::open(const QString &filePath)
{
    if (!isArchive(filePath))
        return false;
    QFile file(filePath);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    return m_header.load(file);
}

bool UArchive::checkArchive(const QString &filePath, QString *pReason, QStringList *pMemberNames,
                            const ContentCheck &contentCheck)
{
    if (!isArchive(filePath)) {
        if (pReason)
            *pReason = QStringLiteral("the file is not a project archive");
        return false;
    }
    QFile file(filePath);
    if (!file.open(QIODevice::ReadOnly)) {
        if (pReason)
            *pReason = file.errorString();
        return false;
    }
    UArchiveHeader header;
    return header.check(file, pReason, pMemberNames, contentCheck);
}

QString UArchive::extractedPath(const QString &fragment) const
{
    for (const auto &pRecord : m_header.records()) {
        const QString path = pRecord->localPathIfContains(fragment);
        if (!path.isEmpty())
            return path;
    }
    return QString();
}

bool UArchive::resolveFileUrl(QString &name) const
{
    for (const auto &pRecord : m_header.records()) {
        QString candidate = name;
        if (pRecord->matchesFileName(candidate)) {
            name = QUrl::fromLocalFile(m_header.extractionRoot() + candidate).toString();
            return true;
        }
    }
    return false;
}

void UArchive::showError(const QString &message)
{
    qWarning().noquote() << message;
    if (const ErrorReporter &reporter = errorReporter()) {
        reporter(message);
        return;
    }
    // Without a widget application (or off its thread) the warning is all.
    if (!qobject_cast<QApplication *>(QCoreApplication::instance())
        || QThread::currentThread() != QCoreApplication::instance()->thread()) {
        return;
    }
    QMessageBox box(QMessageBox::Warning, QString(),
                    message
                        + QObject::tr("\n\nTry running this application with "
                                      "Administrator priveleges."),
                    QMessageBox::Ok);
    box.exec();
}

void UArchive::setErrorReporter(ErrorReporter reporter)
{
    errorReporter() = std::move(reporter);
}
