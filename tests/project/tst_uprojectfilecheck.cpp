#include "VrTest.h"

#include "ArchiveWriter.h"
#include "FolderSnapshot.h"
#include "project/UArchive.h"
#include "project/UArchiveInflater.h"
#include "project/UProjectFileCheck.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QSettings>

namespace {

QByteArray utf16BigEndian(const QString &text)
{
    QByteArray out("\xFE\xFF", 2);
    for (const QChar c : text) {
        out.append(char(c.unicode() >> 8));
        out.append(char(c.unicode() & 0xFF));
    }
    return out;
}

QByteArray sourceFile(const QString &relative)
{
    QFile file(QFINDTESTDATA("../../resources/demo/" + relative));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QByteArray randomBytes(int size, quint32 seed)
{
    QByteArray bytes(size, Qt::Uninitialized);
    QRandomGenerator random(seed);
    for (char &c : bytes)
        c = char(random.bounded(256));
    return bytes;
}

// A panel file as the design tool writes it (UTF-16, big-endian) with many
// controls whose names are not ASCII: it spans several unpacked pieces, and
// characters straddle their borders.
QByteArray largePanel(int controls)
{
    QString text = QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-16\"?>\n<VDS>\n\t<Scenes>\n"
                                  "\t\t<Scene name=\"Große Halle\">\n\t\t\t<Panels>\n"
                                  "\t\t\t\t<Panel name=\"Übersicht\" type=\"complete\">\n"
                                  "\t\t\t\t\t<Controls>\n");
    for (int i = 0; i < controls; ++i) {
        text += QStringLiteral("\t\t\t\t\t\t<Control name=\"Pegel %1 – čtvrtý 音量\" type=\"Label\">"
                               "<id>%1</id><Property name=\"widget\"><label><x>%2</x><y>10</y>"
                               "<text>Kanal %1</text></label></Property></Control>\n")
                    .arg(i)
                    .arg(i % 500);
    }
    text += QStringLiteral("\t\t\t\t\t</Controls>\n\t\t\t\t</Panel>\n\t\t\t</Panels>\n\t\t</Scene>\n"
                           "\t</Scenes>\n</VDS>\n");
    return utf16BigEndian(text);
}

bool writeBytes(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

QByteArray archiveWithPanel(const QString &name, const QByteArray &panel)
{
    ArchiveWriter writer;
    writer.addFile(name, panel);
    writer.addFile(QStringLiteral("/project/Demo.vpj"), sourceFile(QStringLiteral("project/Demo.vpj")));
    writer.addFile(QStringLiteral("/image/Demo.png"), sourceFile(QStringLiteral("image/Demo.png")));
    return writer.toByteArray();
}

} // namespace

class TstUProjectFileCheck : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void panelMember_data();
    void panelMember();
    void barePanelFile_data();
    void barePanelFile();
    void memberNames_data();
    void memberNames();
    void memberIsReadAsItUnpacks();

private:
    QString inputPath(const QString &name) const { return m_sandbox + QStringLiteral("/in/") + name; }

    QString m_sandbox;
};

void TstUProjectFileCheck::initTestCase()
{
    QVERIFY(TestSandbox::current());
    m_sandbox = TestSandbox::current()->path();
    QSettings settings(QStringLiteral("Halvern"), QStringLiteral("Varolin Remote 3.1"));
    settings.setValue(QStringLiteral("Path/Archive"), m_sandbox + QStringLiteral("/panels"));
    UArchive::setErrorReporter([](const QString &message) { QFAIL(qPrintable(message)); });
}

void TstUProjectFileCheck::panelMember_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("panel");
    QTest::addColumn<QString>("refusal"); // empty: the archive is taken

    const QByteArray demo = sourceFile(QStringLiteral("Demo.cpf"));
    QVERIFY(demo.size() > 1000);
    const QByteArray large = largePanel(2000);
    QVERIFY(large.size() > 4 * UArchiveInflater::ChunkSize);
    const QString notXml = QStringLiteral("the panel file \"/Demo.cpf\" is not well-formed XML (line ");
    const QString notPanel =
        QStringLiteral("the panel file \"/Demo.cpf\" holds no panel: its document element <%1> "
                       "has none of Version, Connections, Canvas, Project, Scenes");

    QTest::newRow("the demo's panel file") << "/Demo.cpf" << demo << QString();
    QTest::newRow("UTF-8") << "/Demo.cpf"
                           << QByteArray("<?xml version=\"1.0\"?><VDS><Scenes><Scene name=\"S\"/></Scenes></VDS>")
                           << QString();
    QTest::newRow("larger than several pieces") << "/Demo.cpf" << large << QString();
    // The reader takes any name for the document element.
    QTest::newRow("document element of another name")
        << "/Demo.cpf" << QByteArray("<Panels><Canvas/><Scenes/></Panels>") << QString();
    QTest::newRow("canvas only") << "/Demo.cpf" << QByteArray("<VDS><Canvas/></VDS>") << QString();
    QTest::newRow("two folders down") << "/site/hall/Demo.cpf" << demo << QString();

    QTest::newRow("plain text") << "/Demo.cpf" << QByteArray("Hello, this is not a panel.\n") << notXml;
    QTest::newRow("random bytes") << "/Demo.cpf" << randomBytes(3000, 11) << notXml;
    QTest::newRow("empty") << "/Demo.cpf" << QByteArray() << notXml;
    QTest::newRow("cut in half") << "/Demo.cpf" << demo.left(demo.size() / 2) << notXml;
    QTest::newRow("large one cut in half") << "/Demo.cpf" << large.left(large.size() / 2) << notXml;
    QTest::newRow("last byte missing") << "/Demo.cpf" << demo.left(demo.size() - 3) << notXml;
    QTest::newRow("design-project file") << "/Demo.cpf" << sourceFile(QStringLiteral("project/Demo.vpj"))
                                         << notPanel.arg("Project");
    QTest::newRow("other XML") << "/Demo.cpf"
                               << QByteArray("<html><body><p>Scenes</p></body></html>")
                               << notPanel.arg("html");
    QTest::newRow("document element alone") << "/Demo.cpf" << QByteArray("<VDS/>") << notPanel.arg("VDS");
    QTest::newRow("parts one level too deep")
        << "/Demo.cpf" << QByteArray("<VDS><Wrapper><Scenes/></Wrapper></VDS>") << notPanel.arg("VDS");
}

// The panel member is read through before the archive is taken; the check
// unpacks nothing.
void TstUProjectFileCheck::panelMember()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, panel);
    QFETCH(QString, refusal);

    const QString path = inputPath(QStringLiteral("pushed.cpz"));
    QVERIFY(writeBytes(path, archiveWithPanel(name, panel)));
    const auto before = FolderSnapshot::take(m_sandbox + QStringLiteral("/panels"));
    QString reason;
    const bool loadable = UProjectFileCheck::isLoadable(path, &reason);
    QCOMPARE(FolderSnapshot::take(m_sandbox + QStringLiteral("/panels")), before);
    if (refusal.isEmpty()) {
        QVERIFY2(loadable, qPrintable(reason));
        return;
    }
    QVERIFY(!loadable);
    QVERIFY2(reason.startsWith(refusal), qPrintable(reason));
}

void TstUProjectFileCheck::barePanelFile_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("refusal"); // empty: the file is taken

    const QByteArray demo = sourceFile(QStringLiteral("Demo.cpf"));
    QTest::newRow("the demo's panel file") << demo << QString();
    QTest::newRow("UTF-8") << QByteArray("<?xml version=\"1.0\"?><VDS><Scenes/></VDS>") << QString();
    QTest::newRow("cut in half") << demo.left(demo.size() / 2)
                                 << "the panel file is not well-formed XML (line ";
    QTest::newRow("not closed") << QByteArray("<VDS><Scenes>not closed")
                                << "the panel file is not well-formed XML (line ";
    QTest::newRow("design-project file")
        << sourceFile(QStringLiteral("project/Demo.vpj"))
        << "the panel file holds no panel: its document element <Project> has none of";
}

void TstUProjectFileCheck::barePanelFile()
{
    QFETCH(QByteArray, content);
    QFETCH(QString, refusal);

    const QString path = inputPath(QStringLiteral("bare.cpf"));
    QVERIFY(writeBytes(path, content));
    QVERIFY(!UArchive::isArchive(path));
    QString reason;
    const bool loadable = UProjectFileCheck::isLoadable(path, &reason);
    if (refusal.isEmpty()) {
        QVERIFY2(loadable, qPrintable(reason));
        return;
    }
    QVERIFY(!loadable);
    QVERIFY2(reason.startsWith(refusal), qPrintable(reason));
}

void TstUProjectFileCheck::memberNames_data()
{
    QTest::addColumn<QStringList>("names"); // each holds the demo's panel file
    QTest::addColumn<QString>("refusal");   // empty: the archive is taken

    QTest::newRow("panel named twice") << QStringList({"/Demo.cpf", "/image/a.png", "/Demo.cpf"})
                                       << "the archive names the member \"/Demo.cpf\" twice";
    QTest::newRow("image named twice") << QStringList({"/Demo.cpf", "/image/a.png", "/image/a.png"})
                                       << "the archive names the member \"/image/a.png\" twice";
    QTest::newRow("panel named as a folder")
        << QStringList({"/Demo.cpf", "/Demo.cpf/a.png"})
        << "the panel file \"/Demo.cpf\" cannot be unpacked: \"/Demo.cpf/a.png\" needs a folder of that name";
    QTest::newRow("a name that starts like the panel's") << QStringList({"/Demo.cpf", "/Demo.cpfx"})
                                                         << QString();
    QTest::newRow("the panel's name as a folder elsewhere")
        << QStringList({"/Demo.cpf", "/image/Demo.cpf/a.png"}) << QString();
    // One file where the file system folds case, two where it does not.
#if defined(Q_OS_WIN) || defined(Q_OS_DARWIN)
    const QString caseRefusal = QStringLiteral("the archive names the member \"/demo.CPF\" twice");
#else
    const QString caseRefusal;
#endif
    QTest::newRow("names differing in case") << QStringList({"/Demo.cpf", "/demo.CPF"}) << caseRefusal;
}

// Two members that unpacking would write to one path are refused, like
// a panel member that another member's folder would stand in for.
void TstUProjectFileCheck::memberNames()
{
    QFETCH(QStringList, names);
    QFETCH(QString, refusal);

    ArchiveWriter writer;
    for (const QString &name : std::as_const(names))
        writer.addFile(name, sourceFile(QStringLiteral("Demo.cpf")));
    const QString path = inputPath(QStringLiteral("names.cpz"));
    QVERIFY(writer.writeTo(path));
    QString reason;
    const bool loadable = UProjectFileCheck::isLoadable(path, &reason);
    if (refusal.isEmpty()) {
        QVERIFY2(loadable, qPrintable(reason));
        return;
    }
    QVERIFY(!loadable);
    QCOMPARE(reason, refusal);
}

// A member handed to a content check reads, in reads of any size, exactly
// as it unpacks, and ends where it ends.
void TstUProjectFileCheck::memberIsReadAsItUnpacks()
{
    const QByteArray content = randomBytes(3 * int(UArchiveInflater::ChunkSize) + 17, 5);
    ArchiveWriter writer;
    writer.addFile(QStringLiteral("/image/first.png"), "first");
    writer.addFile(QStringLiteral("/image/Big.png"), content);
    writer.addFile(QStringLiteral("/image/Big.png.bak"), "a later member with the fragment");
    const QString path = inputPath(QStringLiteral("big.cpz"));
    QVERIFY(writer.writeTo(path));

    for (const qint64 step : {qint64(1000), qint64(UArchiveInflater::ChunkSize), qint64(1) << 20}) {
        QByteArray read;
        QString seen;
        UArchive::ContentCheck check;
        check.fragment = QStringLiteral("Big.png");
        check.check = [&](const QString &name, QIODevice &device, QString *) {
            seen = name;
            while (!device.atEnd()) {
                const QByteArray piece = device.read(step);
                if (piece.isEmpty())
                    return false;
                read += piece;
            }
            return device.read(1).isEmpty();
        };
        QString reason;
        QVERIFY2(UArchive::checkArchive(path, &reason, nullptr, check), qPrintable(reason));
        QCOMPARE(seen, QString("/image/Big.png"));
        QCOMPARE(read.size(), content.size());
        QVERIFY(read == content);
    }

    // What the content check says refuses the archive.
    UArchive::ContentCheck refuse;
    refuse.fragment = QStringLiteral(".png");
    refuse.check = [](const QString &name, QIODevice &, QString *pReason) {
        *pReason = QStringLiteral("refused %1").arg(name);
        return false;
    };
    QString reason;
    QVERIFY(!UArchive::checkArchive(path, &reason, nullptr, refuse));
    QCOMPARE(reason, QString("refused /image/first.png"));
}

VR_TEST_MAIN(TstUProjectFileCheck)
#include "tst_uprojectfilecheck.moc"
