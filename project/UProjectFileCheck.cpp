#include "UProjectFileCheck.h"

#include "UArchive.h"

#include <QFile>
#include <QXmlStreamReader>

bool UProjectFileCheck::isLoadable(const QString &filePath, QString *pReason)
{
    if (UArchive::isArchive(filePath)) {
        QStringList names;
        if (!UArchive::checkArchive(filePath, pReason, &names))
            return false;
        // The loader takes the first member whose name holds ".cpf" as the
        // panel file; without one nothing could be shown. A design-project
        // member is not needed.
        if (!names.filter(QStringLiteral(".cpf")).isEmpty())
            return true;
        if (pReason)
            *pReason = QStringLiteral("the archive holds no panel file");
        return false;
    }

    QFile file(filePath);
    if (!file.open(QIODevice::ReadOnly)) {
        if (pReason)
            *pReason = file.errorString();
        return false;
    }
    QXmlStreamReader reader(&file);
    bool hasRoot = false;
    while (!reader.atEnd()) {
        if (reader.readNext() == QXmlStreamReader::StartElement)
            hasRoot = true;
    }
    if (reader.hasError() || !hasRoot) {
        if (pReason) {
            *pReason = reader.hasError()
                ? QStringLiteral("the panel file is not well-formed XML (line %1: %2)")
                      .arg(reader.lineNumber())
                      .arg(reader.errorString())
                : QStringLiteral("the panel file holds no XML element");
        }
        return false;
    }
    return true;
}
