#include "VrTest.h"

#include "project/XSkinHandler.h"
#include "project/XmlFileReader.h"
#include "project/XmlHandler.h"
#include "project/XmlParseError.h"

#include <QBuffer>
#include <QFile>
#include <QObject>
#include <QRegularExpression>
#include <QStringEncoder>
#include <QXmlAttributes>
#include <QXmlParseException>

namespace {

// What the handler saw at one start tag, read through its public accessors.
struct StartRecord
{
    QString name;
    int depth = 0;
    bool textFlagBefore = false;
    QStringList entries; // elementAt(0) .. elementAt(MaxStoredDepth)
    QString below;       // elementAt(-1)
    QString parent;
    QString grandparent;
    QXmlAttributes attributes;
};

struct EndRecord
{
    QString name;
    int depth = 0;
    QString innermost; // elementAt(depth - 1)
};

// Uses the base's own start and end handling and records the stack around
// it; optionally raises the text flag like a reader that waits for text.
class RecordingHandler : public XmlHandler
{
public:
    bool startElement(const QString &uri, const QString &localName, const QString &qName,
                      const QXmlAttributes &atts) override
    {
        StartRecord record;
        record.textFlagBefore = m_textFlag;
        XmlHandler::startElement(uri, localName, qName, atts);
        record.name = localName;
        record.depth = m_depth;
        for (int i = 0; i <= MaxStoredDepth; ++i)
            record.entries.append(elementAt(i));
        record.below = elementAt(-1);
        record.parent = parentElement();
        record.grandparent = grandparentElement();
        record.attributes = atts;
        starts.append(record);
        if (raiseTextFlag)
            m_textFlag = true;
        return true;
    }

    bool endElement(const QString &uri, const QString &localName, const QString &qName) override
    {
        XmlHandler::endElement(uri, localName, qName);
        ends.append({localName, m_depth, elementAt(m_depth - 1)});
        endTextFlags.append(m_textFlag);
        return true;
    }

    bool characters(const QString &ch) override
    {
        text += ch;
        return true;
    }

    bool endDocument() override
    {
        depthAtEnd = m_depth;
        return XmlHandler::endDocument();
    }

    const StartRecord *start(const QString &name) const
    {
        for (const StartRecord &r : starts) {
            if (r.name == name)
                return &r;
        }
        return nullptr;
    }

    bool raiseTextFlag = false;
    QList<StartRecord> starts;
    QList<EndRecord> ends;
    QList<bool> endTextFlags;
    QString text;
    int depthAtEnd = -1;
};

bool parseBytes(const QByteArray &bytes, QXmlDefaultHandler &handler)
{
    QBuffer buffer;
    buffer.setData(bytes);
    return XmlFileReader::parse(buffer, handler);
}

QByteArray encode(const QString &text, QStringConverter::Encoding encoding)
{
    QStringEncoder encoder(encoding, QStringConverter::Flag::WriteBom);
    return encoder.encode(text);
}

// "<e1><e2>...<eN/>...</e2></e1>"
QByteArray nested(int count)
{
    QByteArray open;
    QByteArray close;
    for (int i = 1; i <= count; ++i) {
        open += "<e" + QByteArray::number(i) + ">";
        close.prepend("</e" + QByteArray::number(i) + ">");
    }
    return open + close;
}

// Collects every message while alive, so a test can count warning lines.
class MessageLog
{
public:
    MessageLog()
    {
        s_messages.clear();
        m_previous = qInstallMessageHandler(&MessageLog::handle);
    }
    ~MessageLog() { qInstallMessageHandler(m_previous); }
    QStringList messages() const { return s_messages; }

private:
    static void handle(QtMsgType, const QMessageLogContext &, const QString &message)
    {
        s_messages.append(message);
    }
    static QStringList s_messages;
    QtMessageHandler m_previous = nullptr;
};
QStringList MessageLog::s_messages;

const QRegularExpression kFatalLine(
    QStringLiteral("^Fatal error on line \\d+ , column \\d+ : \\S.*$"));

} // namespace

class TestXmlHandler : public QObject
{
    Q_OBJECT

private slots:
    void readsWideEncodingsFromFile_data();
    void readsWideEncodingsFromFile();
    void readsDeclaredSingleByteEncoding();
    void missingFileIsFalse();
    void fourLevels();
    void deepNesting_data();
    void deepNesting();
    void startDocumentResets();
    void baseEndElementClearsTextFlag();
    void notWellFormed_data();
    void notWellFormed();
    void fatalErrorText_data();
    void fatalErrorText();
    void getAttribute_data();
    void getAttribute();
    void getAttributeFirstDuplicateWins();
};

void TestXmlHandler::readsWideEncodingsFromFile_data()
{
    QTest::addColumn<int>("encoding");
    QTest::newRow("UTF-16 big-endian") << int(QStringConverter::Utf16BE);
    QTest::newRow("UTF-16 little-endian") << int(QStringConverter::Utf16LE);
    QTest::newRow("UTF-8") << int(QStringConverter::Utf8);
}

// U+010D and U+4E0D carry a 0x0D byte in UTF-16; the file also has CR LF
// line ends. A reader that lets the file device translate line ends loses
// those bytes and with them the characters.
void TestXmlHandler::readsWideEncodingsFromFile()
{
    QFETCH(int, encoding);
    const QString value = QStringLiteral("\u010D\u4E0D\u010D");
    const QString doc = QStringLiteral("<?xml version=\"1.0\" encoding=\"%1\"?>\r\n"
                                       "<Root name=\"%2\">\r\n<Text>%2</Text>\r\n</Root>\r\n")
                            .arg(encoding == QStringConverter::Utf8 ? QStringLiteral("UTF-8")
                                                                    : QStringLiteral("UTF-16"),
                                 value);
    const QString path = QStringLiteral("wide.xml");
    {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(encode(doc, QStringConverter::Encoding(encoding)));
    }

    RecordingHandler handler;
    QVERIFY(XmlFileReader::parse(path, handler));
    QCOMPARE(handler.starts.size(), 2);
    QCOMPARE(XmlHandler::getAttribute(handler.starts.at(0).attributes, QStringLiteral("name")),
             value);
    QCOMPARE(handler.text, QStringLiteral("\r\n") + value + QStringLiteral("\r\n"));
}

// The design software writes its project files in Windows-1252.
void TestXmlHandler::readsDeclaredSingleByteEncoding()
{
    RecordingHandler handler;
    QVERIFY(parseBytes("<?xml version=\"1.0\" encoding=\"Windows-1252\"?>\r\n"
                       "<Root name=\"Caf\xE9\">\x80</Root>",
                       handler));
    QCOMPARE(XmlHandler::getAttribute(handler.starts.at(0).attributes, QStringLiteral("name")),
             QStringLiteral("Caf\u00E9"));
    QCOMPARE(handler.text, QStringLiteral("\u20AC"));
}

void TestXmlHandler::missingFileIsFalse()
{
    RecordingHandler handler;
    QVERIFY(!XmlFileReader::parse(QStringLiteral("no-such-file.xml"), handler));
    QVERIFY(handler.starts.isEmpty());
}

void TestXmlHandler::fourLevels()
{
    RecordingHandler handler;
    QVERIFY(parseBytes("<Doc><Child><Grand><Great/></Grand></Child></Doc>", handler));

    const StartRecord *great = handler.start(QStringLiteral("Great"));
    QVERIFY(great);
    QCOMPARE(great->depth, 4);
    QCOMPARE(great->entries.at(3), QStringLiteral("Great"));
    QCOMPARE(great->entries.at(2), QStringLiteral("Grand"));
    QCOMPARE(great->entries.at(0), QStringLiteral("Doc"));
    QCOMPARE(great->entries.at(4), QString());
    QCOMPARE(great->parent, QStringLiteral("Grand"));
    QCOMPARE(great->grandparent, QStringLiteral("Child"));

    const StartRecord *doc = handler.start(QStringLiteral("Doc"));
    QCOMPARE(doc->depth, 1);
    QCOMPARE(doc->parent, QString());
    QCOMPARE(doc->grandparent, QString());

    QCOMPARE(handler.ends.last().name, QStringLiteral("Doc"));
    QCOMPARE(handler.ends.last().depth, 0);
    QCOMPARE(handler.depthAtEnd, 0);
}

void TestXmlHandler::deepNesting_data()
{
    QTest::addColumn<int>("count");
    QTest::newRow("one past the capacity") << 13;
    QTest::newRow("far past the capacity") << 40;
}

void TestXmlHandler::deepNesting()
{
    QFETCH(int, count);
    RecordingHandler handler;
    QVERIFY(parseBytes(nested(count), handler));
    QCOMPARE(handler.starts.size(), count);

    const auto name = [](int level) { return QStringLiteral("e%1").arg(level); };

    // The 12th start fills the last entry; the 13th is counted, not stored.
    const StartRecord &twelfth = handler.starts.at(11);
    QCOMPARE(twelfth.depth, 12);
    QCOMPARE(twelfth.entries.at(11), name(12));
    QCOMPARE(twelfth.parent, name(11));

    const StartRecord &thirteenth = handler.starts.at(12);
    QCOMPARE(thirteenth.depth, 13);
    for (int i = 0; i < XmlHandler::MaxStoredDepth; ++i)
        QCOMPARE(thirteenth.entries.at(i), name(i + 1));
    QCOMPARE(thirteenth.entries.at(12), QString());
    QCOMPARE(thirteenth.below, QString());
    QCOMPARE(thirteenth.parent, name(12));

    // Deeper still, the unstored levels read as empty texts.
    for (int i = 13; i < count; ++i) {
        const StartRecord &r = handler.starts.at(i);
        QCOMPARE(r.depth, i + 1);
        QCOMPARE(r.entries.at(11), name(12));
        QCOMPARE(r.parent, QString());
    }

    // On the way out every end tag lowers the depth by one; back within the
    // capacity the innermost entry names the open element again.
    for (const EndRecord &end : handler.ends) {
        const int level = end.name.mid(1).toInt();
        QCOMPARE(end.depth, level - 1);
        if (end.depth >= 1 && end.depth <= XmlHandler::MaxStoredDepth)
            QCOMPARE(end.innermost, name(end.depth));
    }
    const EndRecord &endOfThirteenth = handler.ends.at(count - 13);
    QCOMPARE(endOfThirteenth.name, name(13));
    QCOMPARE(endOfThirteenth.depth, 12);
    QCOMPARE(endOfThirteenth.innermost, name(12));
    QCOMPARE(handler.depthAtEnd, 0);
}

// A parse that stopped half-way leaves depth and text flag behind; the next
// document must start clean.
void TestXmlHandler::startDocumentResets()
{
    RecordingHandler handler;
    handler.raiseTextFlag = true;
    QTest::ignoreMessage(QtWarningMsg, kFatalLine);
    QVERIFY(!parseBytes("<a><b><c>", handler));
    QCOMPARE(handler.starts.last().depth, 3);

    handler.starts.clear();
    handler.ends.clear();
    QVERIFY(parseBytes("<x><y/></x>", handler));
    QCOMPARE(handler.starts.at(0).depth, 1);
    QCOMPARE(handler.starts.at(0).textFlagBefore, false);
    QCOMPARE(handler.starts.at(0).entries.at(0), QStringLiteral("x"));
    QCOMPARE(handler.starts.at(0).entries.at(1), QString());
    QCOMPARE(handler.starts.at(1).parent, QStringLiteral("x"));
    QCOMPARE(handler.depthAtEnd, 0);
}

void TestXmlHandler::baseEndElementClearsTextFlag()
{
    RecordingHandler handler;
    handler.raiseTextFlag = true;
    QVERIFY(parseBytes("<a><b/></a>", handler));
    QCOMPARE(handler.endTextFlags, QList<bool>({false, false}));
    QCOMPARE(handler.starts.at(1).textFlagBefore, true);
}

void TestXmlHandler::notWellFormed_data()
{
    QTest::addColumn<QByteArray>("document");
    QTest::addColumn<bool>("skinHandler");
    const struct {
        const char *tag;
        QByteArray document;
    } cases[] = {
        {"empty", QByteArray()},
        {"tag mismatch", "<a><b></a></b>"},
        {"unclosed", "<a><b>text"},
        {"two document elements", "<a/><b/>"},
        {"unquoted attribute", "<a x=1/>"},
        {"bad character in name", "<a><1/></a>"},
        {"truncated UTF-16", QByteArray("\xFE\xFF\x00<\x00" "a", 5)},
    };
    for (const auto &c : cases) {
        QTest::newRow(qPrintable(QStringLiteral("base: ") + QLatin1String(c.tag)))
            << c.document << false;
        QTest::newRow(qPrintable(QStringLiteral("skin: ") + QLatin1String(c.tag)))
            << c.document << true;
    }
}

void TestXmlHandler::notWellFormed()
{
    QFETCH(QByteArray, document);
    QFETCH(bool, skinHandler);

    RecordingHandler base;
    XSkinHandler skin;
    QObject target;
    skin.setTarget(&target);

    bool result = true;
    QStringList messages;
    {
        MessageLog log;
        result = parseBytes(document, skinHandler ? static_cast<QXmlDefaultHandler &>(skin)
                                                  : static_cast<QXmlDefaultHandler &>(base));
        messages = log.messages();
    }
    QVERIFY(!result);
    QCOMPARE(messages.size(), 1);
    QVERIFY2(kFatalLine.match(messages.first()).hasMatch(), qPrintable(messages.first()));
}

void TestXmlHandler::fatalErrorText_data()
{
    QTest::addColumn<bool>("skinHandler");
    QTest::newRow("base") << false;
    QTest::newRow("skin") << true;
}

void TestXmlHandler::fatalErrorText()
{
    QFETCH(bool, skinHandler);
    const QXmlParseException exception(QStringLiteral("tag mismatch"), 17, 4);
    const QString expected = QStringLiteral("Fatal error on line 4 , column 17 : tag mismatch");
    QCOMPARE(XmlParseError::describe(exception), expected);

    RecordingHandler base;
    XSkinHandler skin;
    QTest::ignoreMessage(QtWarningMsg, qPrintable(expected));
    QVERIFY(!(skinHandler ? skin.fatalError(exception) : base.fatalError(exception)));
}

void TestXmlHandler::getAttribute_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("expected");
    QTest::newRow("present") << QStringLiteral("name") << QStringLiteral("plain");
    QTest::newRow("absent") << QStringLiteral("missing") << QString();
    QTest::newRow("case differs") << QStringLiteral("Name") << QString();
    QTest::newRow("upper-case attribute") << QStringLiteral("Kind") << QStringLiteral("upper");
    QTest::newRow("lower-case twin") << QStringLiteral("kind") << QStringLiteral("lower");
    QTest::newRow("empty value") << QStringLiteral("blank") << QString();
    QTest::newRow("empty name") << QString() << QString();
}

void TestXmlHandler::getAttribute()
{
    QFETCH(QString, name);
    QFETCH(QString, expected);
    RecordingHandler handler;
    QVERIFY(parseBytes("<e name=\"plain\" Kind=\"upper\" kind=\"lower\" blank=\"\"/>", handler));
    const QString value = XmlHandler::getAttribute(handler.starts.at(0).attributes, name);
    QCOMPARE(value, expected);
}

// The parser passes repeated attributes on in document order; so does a
// hand-built list.
void TestXmlHandler::getAttributeFirstDuplicateWins()
{
    RecordingHandler handler;
    QVERIFY(parseBytes("<e id=\"first\" other=\"x\" id=\"second\"/>", handler));
    QCOMPARE(XmlHandler::getAttribute(handler.starts.at(0).attributes, QStringLiteral("id")),
             QStringLiteral("first"));

    QXmlAttributes atts;
    atts.append(QStringLiteral("p:id"), QStringLiteral("urn:p"), QStringLiteral("id"),
                QStringLiteral("one"));
    atts.append(QStringLiteral("id"), QString(), QStringLiteral("id"), QStringLiteral("two"));
    QCOMPARE(XmlHandler::getAttribute(atts, QStringLiteral("id")), QStringLiteral("one"));
}

VR_TEST_MAIN(TestXmlHandler)
#include "tst_xmlhandler.moc"
