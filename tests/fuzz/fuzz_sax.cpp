// Feeds arbitrary bytes through the XML run procedure: once with a handler
// that walks the element stack the way the project readers do, once with the
// plain base handler and once with the skin handler applying to an object.

#include "project/XSkinHandler.h"
#include "project/XmlFileReader.h"
#include "project/XmlHandler.h"

#include <QCoreApplication>
#include <QFile>
#include <QObject>
#include <QTemporaryDir>
#include <QXmlAttributes>

#include <cstddef>
#include <cstdint>
#include <memory>

namespace {

// Reads every stack entry, in range and out of it, at every start and end.
class StackWalker : public XmlHandler
{
public:
    bool startElement(const QString &, const QString &localName, const QString &,
                      const QXmlAttributes &atts) override
    {
        pushElement(localName);
        touchStack();
        for (int i = 0; i < atts.count(); ++i)
            m_sink += getAttribute(atts, atts.localName(i)).size();
        m_sink += getAttribute(atts, QStringLiteral("name")).size();
        m_textFlag = (m_depth % 2) == 0;
        if (m_depth == 3)
            m_currentElement = localName;
        return true;
    }

    bool endElement(const QString &, const QString &, const QString &) override
    {
        popElement();
        touchStack();
        m_textFlag = false;
        return true;
    }

    bool characters(const QString &ch) override
    {
        if (m_textFlag)
            m_sink += ch.size();
        return true;
    }

private:
    void touchStack()
    {
        for (int i = -2; i <= MaxStoredDepth + 1; ++i)
            m_sink += elementAt(i).size();
        m_sink += elementAt(m_depth - 1).size();
        m_sink += parentElement().size() + grandparentElement().size();
    }

    qsizetype m_sink = 0;
};

void quiet(QtMsgType, const QMessageLogContext &, const QString &)
{
}

std::unique_ptr<QTemporaryDir> s_dir;
QString s_path;

} // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    static QCoreApplication app(*argc, *argv);
    qInstallMessageHandler(quiet);
    s_dir = std::make_unique<QTemporaryDir>();
    s_path = s_dir->filePath(QStringLiteral("input.xml"));
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    {
        QFile file(s_path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return 0;
        file.write(reinterpret_cast<const char *>(data), static_cast<qint64>(size));
    }

    StackWalker walker;
    XmlFileReader::parse(s_path, walker);
    // The same handler again: startDocument must undo what the first run
    // left behind.
    XmlFileReader::parse(s_path, walker);

    XmlHandler base;
    XmlFileReader::parse(s_path, base);

    QObject target;
    XSkinHandler skin;
    skin.setTarget(&target);
    XmlFileReader::parse(s_path, skin);
    return 0;
}
