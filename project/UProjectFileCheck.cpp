#include "UProjectFileCheck.h"

#include "UArchive.h"
#include "UArchiveHeaderRecord.h"
#include "XmlFileReader.h"
#include "XmlHandler.h"

#include <QFile>
#include <QStringList>
#include <QXmlParseException>

namespace {

// The parts that the panel reader takes from below the document element;
// a document with none of them shows nothing. The element's own name is
// not looked at: the reader takes any.
const QStringList PanelParts = {QStringLiteral("Version"), QStringLiteral("Connections"),
                                QStringLiteral("Canvas"), QStringLiteral("Project"),
                                QStringLiteral("Scenes")};

// Reads a panel file through with nothing behind it but the element stack:
// no control, node or widget is made.
class PanelRootHandler : public XmlHandler
{
public:
    bool startElement(const QString &namespaceURI, const QString &localName, const QString &qName,
                      const QXmlAttributes &atts) override
    {
        XmlHandler::startElement(namespaceURI, localName, qName, atts);
        if (m_depth == 1)
            m_rootName = localName;
        else if (m_depth == 2 && !m_hasPanelPart)
            m_hasPanelPart = PanelParts.contains(localName);
        return true;
    }

    bool fatalError(const QXmlParseException &exception) override
    {
        m_error = QStringLiteral("line %1: %2").arg(exception.lineNumber()).arg(exception.message());
        return XmlHandler::fatalError(exception);
    }

    QString m_rootName;
    bool m_hasPanelPart = false;
    QString m_error;
};

} // namespace

bool UProjectFileCheck::isPanelFile(QIODevice &content, const QString &what, QString *pReason)
{
    PanelRootHandler handler;
    const bool parsed = XmlFileReader::parse(content, handler);
    QString reason;
    if (!parsed || !handler.m_error.isEmpty()) {
        if (!handler.m_error.isEmpty())
            reason = QStringLiteral("%1 is not well-formed XML (%2)").arg(what, handler.m_error);
        else
            reason = QStringLiteral("%1 cannot be read (%2)").arg(what, content.errorString());
    } else if (!handler.m_hasPanelPart) {
        reason = QStringLiteral("%1 holds no panel: its document element <%2> has none of %3")
                     .arg(what, handler.m_rootName, PanelParts.join(QStringLiteral(", ")));
    } else {
        return true;
    }
    if (pReason)
        *pReason = reason;
    return false;
}

bool UProjectFileCheck::isUnpackedAsFile(const QString &panel, const QStringList &names,
                                         QString *pReason)
{
    // Every member's folders are made before the first member is written:
    // a member below the panel's path leaves a folder where its file goes.
    const QString folder = UArchiveHeaderRecord::pathKey(panel) + QLatin1Char('/');
    for (const QString &name : names) {
        if (UArchiveHeaderRecord::pathKey(name).startsWith(folder)) {
            if (pReason) {
                *pReason = QStringLiteral("the panel file \"%1\" cannot be unpacked: \"%2\" needs a "
                                          "folder of that name")
                               .arg(panel, name);
            }
            return false;
        }
    }
    return true;
}

bool UProjectFileCheck::isLoadable(const QString &filePath, QString *pReason)
{
    if (UArchive::isArchive(filePath)) {
        // The loader takes the first member whose name holds ".cpf" as the
        // panel file; it is read through here as the loader would read it.
        // A design-project member is not needed.
        UArchive::ContentCheck panelCheck;
        panelCheck.fragment = QStringLiteral(".cpf");
        panelCheck.check = [](const QString &name, QIODevice &content, QString *pReason) {
            return isPanelFile(content, QStringLiteral("the panel file \"%1\"").arg(name), pReason);
        };
        QStringList names;
        if (!UArchive::checkArchive(filePath, pReason, &names, panelCheck))
            return false;
        const QStringList panels = names.filter(panelCheck.fragment);
        if (panels.isEmpty()) {
            if (pReason)
                *pReason = QStringLiteral("the archive holds no panel file");
            return false;
        }
        return isUnpackedAsFile(panels.first(), names, pReason);
    }

    QFile file(filePath);
    if (!file.open(QIODevice::ReadOnly)) {
        if (pReason)
            *pReason = file.errorString();
        return false;
    }
    return isPanelFile(file, QStringLiteral("the panel file"), pReason);
}
