#include "VrTest.h"

#include "ArchiveWriter.h"
#include "FolderSnapshot.h"
#include "project/UArchive.h"
#include "project/UArchiveInflater.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QSettings>
#include <QStandardPaths>
#include <QUrl>
#include <QtEndian>

namespace {

const QString Marker = QStringLiteral(".varolin-archive");
const QString DemoArchive = QStringLiteral(":/data/Varolin/Demo.cpz");
const QString RefusalWarning = QStringLiteral("^UArchive: refused the archive");

QByteArray bigEndian(quint32 value)
{
    char bytes[4];
    qToBigEndian(value, bytes);
    return QByteArray(bytes, 4);
}

QByteArray patched(QByteArray bytes, int position, quint32 value)
{
    qToBigEndian(value, bytes.data() + position);
    return bytes;
}

QByteArray utf16BigEndian(const QString &text)
{
    QByteArray out("\xFE\xFF", 2);
    for (const QChar c : text) {
        out.append(char(c.unicode() >> 8));
        out.append(char(c.unicode() & 0xFF));
    }
    return out;
}

bool writeBytes(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate)
        && file.write(bytes) == bytes.size();
}

QByteArray readBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void setArchiveSetting(const QString &value)
{
    QSettings settings(QStringLiteral("Halvern"), QStringLiteral("Varolin Remote 3.1"));
    if (value.isNull())
        settings.remove(QStringLiteral("Path/Archive"));
    else
        settings.setValue(QStringLiteral("Path/Archive"), value);
    settings.sync();
}

QString fileUrl(const QString &path)
{
    return QUrl::fromLocalFile(path).toString();
}

} // namespace

class TstUArchive : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanupTestCase();

    void isArchive_data();
    void isArchive();
    void isArchiveMissingOrFolder();
    void roundTrip();
    void resolveFileUrl_data();
    void resolveFileUrl();
    void extractedPathIgnoresRoot_data();
    void extractedPathIgnoresRoot();
    void emptyArchive();
    void demoArchive();
    void archiveSetting_data();
    void archiveSetting();
    void defaultRootWhenUnset();
    void extractionFolder_data();
    void extractionFolder();
    void malformed_data();
    void malformed();
    void bareFileKeepsProject_data();
    void bareFileKeepsProject();
    void deepMember();
    void unusualButSoundMembers_data();
    void unusualButSoundMembers();
    void memberFileCannotBeCreated();

private:
    QString inputPath(const QString &name) const { return m_sandbox + QStringLiteral("/in/") + name; }
    QString openWritten(const ArchiveWriter &writer, const QString &name);
    void verifyBaseIntact();

    QString m_sandbox;
    QString m_basePath;
    QString m_baseRoot;
    QByteArray m_basePanel;
    QStringList m_errors;
};

QString TstUArchive::openWritten(const ArchiveWriter &writer, const QString &name)
{
    const QString path = inputPath(name);
    if (!writer.writeTo(path))
        return QString();
    return UArchive::instance().open(path) ? UArchive::instance().extractionRoot() : QString();
}

// The project opened in init() still answers and its files are still there.
void TstUArchive::verifyBaseIntact()
{
    UArchive &archive = UArchive::instance();
    QCOMPARE(archive.extractionRoot(), m_baseRoot);
    QCOMPARE(archive.extractedPath(QStringLiteral(".cpf")), m_baseRoot + QStringLiteral("/Base.cpf"));
    QCOMPARE(readBytes(m_baseRoot + QStringLiteral("/Base.cpf")), m_basePanel);
    QString name = QStringLiteral("C:/Work/pictures/Base.png");
    QVERIFY(archive.resolveFileUrl(name));
    QCOMPARE(name, fileUrl(m_baseRoot + QStringLiteral("/image/Base.png")));
}

void TstUArchive::initTestCase()
{
    QVERIFY(TestSandbox::current());
    m_sandbox = TestSandbox::current()->path();
    QVERIFY(QDir().mkpath(m_sandbox + QStringLiteral("/in")));
    UArchive::setErrorReporter([this](const QString &message) { m_errors << message; });

    m_basePanel = utf16BigEndian(QStringLiteral("<?xml version=\"1.0\"?><Canvas/>"));
    ArchiveWriter base;
    base.addFile(QStringLiteral("/Base.cpf"), m_basePanel);
    base.addFile(QStringLiteral("/project/Base.vpj"), "<Project/>");
    base.addFile(QStringLiteral("/image/Base.png"), "base image");
    m_basePath = inputPath(QStringLiteral("base.cpz"));
    QVERIFY(base.writeTo(m_basePath));
    m_baseRoot = m_sandbox + QStringLiteral("/panels/Archive");
}

// Every test starts with the same project open, so that a failed open can be
// seen to leave it alone.
void TstUArchive::init()
{
    m_errors.clear();
    setArchiveSetting(m_sandbox + QStringLiteral("/panels"));
    QVERIFY(UArchive::instance().open(m_basePath));
    QCOMPARE(UArchive::instance().extractionRoot(), m_baseRoot);
}

void TstUArchive::cleanupTestCase()
{
    UArchive::setErrorReporter(nullptr);
}

void TstUArchive::isArchive_data()
{
    QTest::addColumn<QByteArray>("start");
    QTest::addColumn<bool>("archive");

    QTest::newRow("format word 16") << QByteArray("\x10\x00\x00\x00", 4) << true;
    QTest::newRow("whole archive") << ArchiveWriter().toByteArray() << true;
    QTest::newRow("UTF-8 <?xm") << QByteArray("<?xml version=\"1.0\"?>") << false;
    QTest::newRow("UTF-8 BOM") << QByteArray("\xEF\xBB\xBF\x3C", 4) << false;
    QTest::newRow("UTF-16LE BOM") << QByteArray("\xFF\xFE\x3C\x00", 4) << false;
    QTest::newRow("UTF-16BE BOM") << QByteArray("\xFE\xFF\x00\x3C", 4) << false;
    QTest::newRow("UTF-16BE no BOM") << QByteArray("\x00\x3C\x00\x3F", 4) << false;
    QTest::newRow("UTF-16LE no BOM") << QByteArray("\x3C\x00\x3F\x00", 4) << false;
    QTest::newRow("empty") << QByteArray() << false;
    QTest::newRow("1 byte") << QByteArray("\x10", 1) << false;
    QTest::newRow("2 bytes") << QByteArray("\x10\x00", 2) << false;
    QTest::newRow("3 bytes") << QByteArray("\x10\x00\x00", 3) << false;
}

void TstUArchive::isArchive()
{
    QFETCH(QByteArray, start);
    QFETCH(bool, archive);

    const QString path = inputPath(QStringLiteral("probe.bin"));
    QVERIFY(writeBytes(path, start));
    QCOMPARE(UArchive::isArchive(path), archive);
}

void TstUArchive::isArchiveMissingOrFolder()
{
    const QString missing = m_sandbox + QStringLiteral("/no-such-file.cpz");
    QVERIFY(!UArchive::isArchive(missing));
    QVERIFY(!UArchive::isArchive(m_sandbox));
    QVERIFY(!UArchive::instance().open(missing));
    QVERIFY(!UArchive::instance().open(m_sandbox));
    verifyBaseIntact();
    QVERIFY(m_errors.isEmpty());
}

void TstUArchive::roundTrip()
{
    QByteArray photo(64 * 1024, Qt::Uninitialized);
    QRandomGenerator random(42);
    for (char &c : photo)
        c = char(random.bounded(256));

    const QList<QPair<QString, QByteArray>> members = {
        {QStringLiteral("/Round.cpf"), utf16BigEndian(QStringLiteral("<?xml version=\"1.0\"?><Canvas/>"))},
        {QStringLiteral("/project/Round.vpj"), QByteArray("<?xml version=\"1.0\"?><Project/>")},
        {QStringLiteral("/image/Photo.png"), photo},
        {QStringLiteral("/image/Empty.png"), QByteArray()},
    };
    ArchiveWriter writer;
    for (const auto &member : members)
        writer.addFile(member.first, member.second);

    const QString root = openWritten(writer, QStringLiteral("round.cpz"));
    QCOMPARE(root, m_baseRoot);
    for (const auto &member : members)
        QCOMPARE(readBytes(root + member.first), member.second);
    // The previous project's files are gone; only the members and the marker remain.
    QCOMPARE(FolderSnapshot::names(root),
             QStringList({QStringLiteral("/") + Marker, QStringLiteral("/Round.cpf"),
                          QStringLiteral("/image/"), QStringLiteral("/image/Empty.png"),
                          QStringLiteral("/image/Photo.png"), QStringLiteral("/project/"),
                          QStringLiteral("/project/Round.vpj")}));

    UArchive &archive = UArchive::instance();
    QCOMPARE(archive.extractedPath(QStringLiteral(".cpf")), root + QStringLiteral("/Round.cpf"));
    QCOMPARE(archive.extractedPath(QStringLiteral(".vpj")), root + QStringLiteral("/project/Round.vpj"));
    QCOMPARE(archive.extractedPath(QStringLiteral("Base")), QString());
    QVERIFY(m_errors.isEmpty());
}

void TstUArchive::resolveFileUrl_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("member"); // empty: no match

    QTest::newRow("foreign full path") << "D:/any/folder/image/Demo.png" << "/image/Demo.png";
    QTest::newRow("relative path") << "../pictures/Demo.png" << "/image/Demo.png";
    QTest::newRow("first in table order") << "X:/Same.png" << "/image/a/Same.png";
    QTest::newRow("no slash") << "Demo.png" << "";
    QTest::newRow("other case") << "D:/any/folder/image/demo.png" << "";
    QTest::newRow("no such member") << "../images/skins/Light/mute_off.png" << "";
    QTest::newRow("backslashes only") << "D:\\any\\image\\Demo.png" << "";
    QTest::newRow("trailing slash") << "D:/any/image/" << "";
    QTest::newRow("folder of a member") << "D:/any/image" << "";
}

void TstUArchive::resolveFileUrl()
{
    QFETCH(QString, name);
    QFETCH(QString, member);

    ArchiveWriter writer;
    writer.addFile(QStringLiteral("/Demo.cpf"), "<Canvas/>");
    writer.addFile(QStringLiteral("/image/Demo.png"), "demo");
    writer.addFile(QStringLiteral("/image/a/Same.png"), "a");
    writer.addFile(QStringLiteral("/image/b/Same.png"), "b");
    const QString root = openWritten(writer, QStringLiteral("images.cpz"));
    QVERIFY(!root.isEmpty());

    QString resolved = name;
    QCOMPARE(UArchive::instance().resolveFileUrl(resolved), !member.isEmpty());
    if (member.isEmpty()) {
        QCOMPARE(resolved, name);
    } else {
        QCOMPARE(resolved, fileUrl(root + member));
        QVERIFY(resolved.startsWith(QStringLiteral("file:///")));
        QVERIFY(QFile::exists(QUrl(resolved).toLocalFile()));
    }
}

void TstUArchive::extractedPathIgnoresRoot_data()
{
    QTest::addColumn<QString>("fragment");
    QTest::addColumn<QString>("member"); // empty: no answer

    QTest::newRow("panel") << ".cpf" << "/panel.cpf";
    QTest::newRow("project") << ".vpj" << "/project/p.vpj";
    QTest::newRow("folder") << "/project/" << "/project/p.vpj";
    QTest::newRow("image") << "Logo" << "/image/Logo.png";
    QTest::newRow("only in root") << "Demo" << "";
    QTest::newRow("root folder name") << "Archive" << "";
    QTest::newRow("other case") << "logo" << "";
}

void TstUArchive::extractedPathIgnoresRoot()
{
    QFETCH(QString, fragment);
    QFETCH(QString, member);

    // A root whose own path holds "Demo", ".cpf" and ".vpj".
    setArchiveSetting(m_sandbox + QStringLiteral("/Demo.cpf.vpj"));
    ArchiveWriter writer;
    writer.addFile(QStringLiteral("/panel.cpf"), "<Canvas/>");
    writer.addFile(QStringLiteral("/project/p.vpj"), "<Project/>");
    writer.addFile(QStringLiteral("/image/Logo.png"), "logo");
    const QString root = openWritten(writer, QStringLiteral("root.cpz"));
    QCOMPARE(root, m_sandbox + QStringLiteral("/Demo.cpf.vpj/Archive"));

    QCOMPARE(UArchive::instance().extractedPath(fragment),
             member.isEmpty() ? QString() : root + member);
}

void TstUArchive::emptyArchive()
{
    const QString root = openWritten(ArchiveWriter(), QStringLiteral("empty.cpz"));
    QCOMPARE(root, m_baseRoot);
    // Emptied and kept, with nothing but the marker.
    QCOMPARE(FolderSnapshot::names(root), QStringList(QStringLiteral("/") + Marker));
    QCOMPARE(UArchive::instance().extractedPath(QStringLiteral(".cpf")), QString());
    QCOMPARE(UArchive::instance().extractedPath(QStringLiteral(".vpj")), QString());
    QString name = QStringLiteral("C:/Work/pictures/Base.png");
    QVERIFY(!UArchive::instance().resolveFileUrl(name));
}

void TstUArchive::demoArchive()
{
    QVERIFY(UArchive::isArchive(DemoArchive));

    // The table of six members ends where the panel file's data begin.
    const QByteArray bytes = readBytes(DemoArchive);
    QVERIFY(bytes.size() > 384);
    QCOMPARE(qFromBigEndian<quint32>(bytes.constData() + 4), 7u);
    qsizetype position = 8;
    quint32 firstOffset = 0;
    for (int i = 0; i < 7; ++i) {
        const quint32 nameLength = qFromBigEndian<quint32>(bytes.constData() + position);
        position += 4 + 2 * qsizetype(nameLength);
        if (i == 0)
            firstOffset = qFromBigEndian<quint32>(bytes.constData() + position);
        position += 8;
    }
    QCOMPARE(position, qsizetype(384));
    QCOMPARE(firstOffset, 384u);

    UArchive &archive = UArchive::instance();
    QVERIFY(archive.open(DemoArchive));
    const QString root = archive.extractionRoot();
    QCOMPARE(root, m_baseRoot);
    QCOMPARE(archive.extractedPath(QStringLiteral(".cpf")), root + QStringLiteral("/Demo.cpf"));
    QCOMPARE(archive.extractedPath(QStringLiteral(".vpj")), root + QStringLiteral("/project/Demo.vpj"));
    QVERIFY(readBytes(root + QStringLiteral("/Demo.cpf")).startsWith(QByteArray("\xFE\xFF\x00\x3C", 4)));
    for (const char *pImage : {"Demo.png", "MusicPlayer.png", "HandheldMic.png",
                               "VarolinRemoteDemoProjectLogoBannerWide.png"}) {
        QVERIFY2(QFile::exists(root + QStringLiteral("/image/") + QLatin1String(pImage)), pImage);
    }
    // A drop list's list file, beside the panel file.
    QVERIFY(QFile::exists(root + QStringLiteral("/Sources.txt")));
    QString name = QStringLiteral("D:/any/folder/image/Demo.png");
    QVERIFY(archive.resolveFileUrl(name));
    QCOMPARE(name, fileUrl(root + QStringLiteral("/image/Demo.png")));
}

void TstUArchive::archiveSetting_data()
{
    QTest::addColumn<QString>("setting");
    QTest::addColumn<QString>("root");

    const QString backslashed = QString(m_sandbox).replace(QLatin1Char('/'), QLatin1Char('\\'));
    QTest::newRow("backslashes, trailing backslash")
        << backslashed + "\\Panels A\\" << m_sandbox + "/Panels A/Archive";
    QTest::newRow("trailing backslash") << m_sandbox + "/PanelsB\\" << m_sandbox + "/PanelsB/Archive";
    QTest::newRow("trailing slash") << m_sandbox + "/PanelsC/" << m_sandbox + "/PanelsC/Archive";
    QTest::newRow("no trailing separator") << m_sandbox + "/PanelsD" << m_sandbox + "/PanelsD/Archive";
}

void TstUArchive::archiveSetting()
{
    QFETCH(QString, setting);
    QFETCH(QString, root);

    setArchiveSetting(setting);
    QVERIFY(UArchive::instance().open(m_basePath));
    QCOMPARE(UArchive::instance().extractionRoot(), root);
    QCOMPARE(UArchive::instance().extractedPath(QStringLiteral(".cpf")), root + QStringLiteral("/Base.cpf"));
    QCOMPARE(readBytes(root + QStringLiteral("/Base.cpf")), m_basePanel);
    QVERIFY(QFile::exists(root + QLatin1Char('/') + Marker));
    // The setting is only read.
    QCOMPARE(QSettings(QStringLiteral("Halvern"), QStringLiteral("Varolin Remote 3.1"))
                 .value(QStringLiteral("Path/Archive")).toString(),
             setting);
}

void TstUArchive::defaultRootWhenUnset()
{
    // A folder of the user's called "Archive" in the working folder.
    const QString userArchive = QDir::currentPath() + QStringLiteral("/Archive");
    QVERIFY(writeBytes(userArchive + QStringLiteral("/mine.txt"), "keep me"));
    setArchiveSetting(QString());

    const QString expected = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation)
        + QStringLiteral("/Halvern/Varolin Remote 3.1/Archive");
    QVERIFY(expected.startsWith(m_sandbox + QLatin1Char('/')));
    QVERIFY(UArchive::instance().open(m_basePath));
    QCOMPARE(UArchive::instance().extractionRoot(), expected);
    QCOMPARE(readBytes(expected + QStringLiteral("/Base.cpf")), m_basePanel);
    QCOMPARE(FolderSnapshot::names(userArchive), QStringList(QStringLiteral("/mine.txt")));

    // Opened again, the program's own folder is reused.
    QCOMPARE(openWritten(ArchiveWriter(), QStringLiteral("empty.cpz")), expected);
    QCOMPARE(FolderSnapshot::names(expected), QStringList(QStringLiteral("/") + Marker));
    QCOMPARE(readBytes(userArchive + QStringLiteral("/mine.txt")), QByteArray("keep me"));
    QVERIFY(m_errors.isEmpty());
}

void TstUArchive::extractionFolder_data()
{
    QTest::addColumn<QString>("setup");
    QTest::addColumn<QString>("error"); // empty: the open succeeds

    QTest::newRow("user's files") << "user files" << "Unable to remove the existing directory at: ";
    QTest::newRow("user's hidden file") << "hidden file" << "Unable to remove the existing directory at: ";
    QTest::newRow("file where the folder goes") << "file as root" << "Failed to create the directory: ";
    QTest::newRow("file in the parent chain") << "file as parent" << "Could not access parent directory of: ";
    QTest::newRow("empty folder is taken over") << "empty folder" << "";
    QTest::newRow("own folder is emptied") << "marked folder" << "";
    QTest::newRow("own folder with a link out") << "marked with link" << "";
    QTest::newRow("missing parents are made") << "nothing" << "";
}

void TstUArchive::extractionFolder()
{
    QFETCH(QString, setup);
    QFETCH(QString, error);

    const QString base = m_sandbox + QStringLiteral("/rows/") + QString(setup).replace(' ', '-');
    const QString folder = (setup == QLatin1String("nothing") ? base + QStringLiteral("/x/y") : base);
    const QString root = folder + QStringLiteral("/Archive");
    const QString outside = m_sandbox + QStringLiteral("/outside/keep.txt");
    QVERIFY(writeBytes(outside, "outside"));

    if (setup == QLatin1String("user files")) {
        QVERIFY(writeBytes(root + QStringLiteral("/notes.txt"), "mine"));
        QVERIFY(writeBytes(root + QStringLiteral("/sub/deep.txt"), "mine too"));
    } else if (setup == QLatin1String("hidden file")) {
        QVERIFY(writeBytes(root + QStringLiteral("/.hidden"), "mine"));
    } else if (setup == QLatin1String("file as root")) {
        QVERIFY(writeBytes(root, "a file"));
    } else if (setup == QLatin1String("file as parent")) {
        QVERIFY(writeBytes(folder, "a file"));
    } else if (setup == QLatin1String("empty folder")) {
        QVERIFY(QDir().mkpath(root));
    } else if (setup == QLatin1String("marked folder")) {
        QVERIFY(writeBytes(root + QLatin1Char('/') + Marker, ""));
        QVERIFY(writeBytes(root + QStringLiteral("/stale.png"), "old"));
        QVERIFY(writeBytes(root + QStringLiteral("/old/deeper/stale.vpj"), "old"));
        QVERIFY(writeBytes(root + QStringLiteral("/.stale"), "old"));
    } else if (setup == QLatin1String("marked with link")) {
        QVERIFY(writeBytes(root + QLatin1Char('/') + Marker, ""));
        QVERIFY(QFile::link(QFileInfo(outside).absolutePath(), root + QStringLiteral("/link")));
    }
    setArchiveSetting(folder);

    const auto before = FolderSnapshot::take(m_sandbox);
    const bool opened = UArchive::instance().open(m_basePath);
    QCOMPARE(readBytes(outside), QByteArray("outside"));

    if (!error.isEmpty()) {
        QVERIFY(!opened);
        QCOMPARE(m_errors.size(), 1);
        QVERIFY2(m_errors.first().startsWith(error), qPrintable(m_errors.first()));
        QVERIFY2(m_errors.first().endsWith(folder.section('/', -1) + QStringLiteral("/Archive")),
                 qPrintable(m_errors.first()));
        QCOMPARE(FolderSnapshot::take(m_sandbox), before);
        verifyBaseIntact();
        return;
    }
    QVERIFY(opened);
    QVERIFY(m_errors.isEmpty());
    QCOMPARE(UArchive::instance().extractionRoot(), root);
    QCOMPARE(FolderSnapshot::names(root),
             QStringList({QStringLiteral("/") + Marker, QStringLiteral("/Base.cpf"),
                          QStringLiteral("/image/"), QStringLiteral("/image/Base.png"),
                          QStringLiteral("/project/"), QStringLiteral("/project/Base.vpj")}));
}

void TstUArchive::malformed_data()
{
    QTest::addColumn<QByteArray>("archive");
    QTest::addColumn<QString>("reason");

    ArchiveWriter one;
    one.addFile(QStringLiteral("/a.png"), "content of a");
    const QByteArray good = one.toByteArray();
    // Positions in a one-member table with the 6-unit name "/a.png".
    const int nameLength = 8, offset = 24, size = 28;
    const quint32 stored = quint32(one.members().first().stored.size());

    QTest::newRow("format word only") << QByteArray("\x10\x00\x00\x00", 4) << "shorter than the archive header";
    QTest::newRow("count cut short") << QByteArray("\x10\x00\x00\x00\x00\x00\x00", 7)
                                     << "shorter than the archive header";
    QTest::newRow("count without table") << QByteArray("\x10\x00\x00\x00\x00\x00\x00\x01", 8)
                                         << "member table runs past";
    QTest::newRow("count huge") << patched(good, 4, 0xFFFFFFFFu) << "member table runs past";
    QTest::newRow("name past end") << patched(good, nameLength, 1000) << "member name runs past";
    QTest::newRow("name length wraps") << patched(good, nameLength, 0x80000000u) << "member name runs past";
    QTest::newRow("name length huge") << patched(good, nameLength, 0xFFFFFFFFu) << "member name runs past";
    QTest::newRow("entry cut short") << good.left(size) << "ends inside a member entry";
    QTest::newRow("offset past end") << patched(good, offset, quint32(good.size())) << "run past the end";
    QTest::newRow("size past end") << patched(good, size, stored + 1) << "run past the end";
    QTest::newRow("offset plus size wraps")
        << patched(patched(good, offset, 0xFFFFFFF0u), size, 0x20) << "run past the end";
    QTest::newRow("size wraps") << patched(good, size, 0xFFFFFFFFu) << "run past the end";

    const auto rawMember = [](const QByteArray &stored) {
        ArchiveWriter writer;
        writer.addFile(QStringLiteral("/ok.png"), "fine");
        writer.addRaw(QStringLiteral("/a.png"), stored);
        return writer.toByteArray();
    };
    QTest::newRow("no stored data") << rawMember(QByteArray()) << "too short";
    QTest::newRow("stored data of 3 bytes") << rawMember(QByteArray("\0\0\1", 3)) << "too short";
    const QByteArray stream = qCompress(QByteArray("x")).mid(4);
    QTest::newRow("declared length above 256 MiB")
        << rawMember(bigEndian(256u * 1024 * 1024 + 1) + stream) << "above the limit";
    QTest::newRow("declared length 4 GiB") << rawMember(bigEndian(0xFFFFFFFFu) + stream) << "above the limit";

    // Member data that only unpacking can tell apart from sound ones.
    const auto lyingLength = [](const QByteArray &content, quint32 declared) {
        return bigEndian(declared) + qCompress(content).mid(4);
    };
    QTest::newRow("bomb: 10 MiB declared as 100 bytes")
        << rawMember(lyingLength(QByteArray(10 * 1024 * 1024, '\0'), 100))
        << "\"/a.png\" unpacks to more than the 100 bytes it declares";
    QTest::newRow("one byte more than declared")
        << rawMember(lyingLength("hello", 4)) << "unpacks to more than the 4 bytes it declares";
    QTest::newRow("content where none is declared")
        << rawMember(lyingLength("hello", 0)) << "unpacks to more than the 0 bytes it declares";
    QTest::newRow("declared length larger than the output")
        << rawMember(lyingLength("hello", 6)) << "unpacks to 5 bytes, not the 6 it declares";
    QTest::newRow("not a zlib stream")
        << rawMember(bigEndian(100) + "not a zlib stream") << "\"/a.png\" holds broken zlib data";
    QByteArray badCheck = qCompress(QByteArray("hello"));
    badCheck[badCheck.size() - 1] = char(badCheck.at(badCheck.size() - 1) ^ 0x01);
    QTest::newRow("checksum wrong") << rawMember(badCheck) << "holds broken zlib data";
    QTest::newRow("raw deflate without zlib header")
        << rawMember(bigEndian(5) + qCompress(QByteArray("hello")).mid(6)) << "holds broken zlib data";
    // A stream made against a preset dictionary the archive does not carry.
    QTest::newRow("needs a dictionary")
        << rawMember(bigEndian(11) + QByteArray::fromHex("78bb622008b3cb408802001a0b045d"))
        << "holds broken zlib data";
    QTest::newRow("stream cut short")
        << rawMember(qCompress(QByteArray(5000, 'z')).left(12)) << "ends inside its zlib stream";
    QTest::newRow("length without stream") << rawMember(bigEndian(5)) << "has no zlib data";
    // Each member alone is within its limit, together they are not.
    ArchiveWriter many;
    many.addRaw(QStringLiteral("/a.png"), bigEndian(200u * 1024 * 1024) + stream);
    many.addRaw(QStringLiteral("/b.png"), bigEndian(200u * 1024 * 1024) + stream);
    QTest::newRow("members together above the limit") << many.toByteArray() << "above the limit of";

    const auto named = [](const QString &name) {
        ArchiveWriter writer;
        writer.addFile(QStringLiteral("/ok.png"), "fine");
        writer.addFile(name, "evil");
        return writer.toByteArray();
    };
    const QString unsafe = QStringLiteral("unsafe member name");
    QTest::newRow("empty name") << named(QString()) << unsafe;
    QTest::newRow("no leading slash") << named("a.png") << unsafe;
    QTest::newRow("slash only") << named("/") << unsafe;
    QTest::newRow("trailing slash") << named("/a/") << unsafe;
    QTest::newRow("empty component") << named("//a.png") << unsafe;
    QTest::newRow("dot component") << named("/./a.png") << unsafe;
    QTest::newRow("dot-dot at top") << named("/../a.png") << unsafe;
    QTest::newRow("dot-dot climbs out") << named("/a/../../b.png") << unsafe;
    QTest::newRow("dot-dot at end") << named("/a/..") << unsafe;
    QTest::newRow("backslash") << named("/a\\..\\..\\b.png") << unsafe;
    QTest::newRow("colon") << named("/C:/a.png") << unsafe;
    QTest::newRow("NUL") << named(QStringLiteral("/a") + QChar(0) + QStringLiteral("b.png")) << unsafe;
    QTest::newRow("control character") << named("/a\nb.png") << unsafe;
    QTest::newRow("marker name") << named(QStringLiteral("/") + Marker) << "is reserved";
    // Unpacked, the later member would overwrite the earlier one, while
    // extractedPath answers the earlier one's name.
    QTest::newRow("same name twice") << named("/ok.png") << "names the member \"/ok.png\" twice";
    ArchiveWriter twice;
    twice.addFile(QStringLiteral("/x.cpf"), "<VDS><Scenes/></VDS>");
    twice.addFile(QStringLiteral("/image/a.png"), "a");
    twice.addFile(QStringLiteral("/x.cpf"), "later");
    QTest::newRow("same name apart") << twice.toByteArray() << "names the member \"/x.cpf\" twice";
}

void TstUArchive::malformed()
{
    QFETCH(QByteArray, archive);
    QFETCH(QString, reason);

    const QString path = inputPath(QStringLiteral("bad.cpz"));
    QVERIFY(writeBytes(path, archive));
    QVERIFY(UArchive::isArchive(path));
    const auto before = FolderSnapshot::take(m_sandbox);

    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(RefusalWarning + ".*"
                                                          + QRegularExpression::escape(reason)));
    QVERIFY(!UArchive::instance().open(path));
    QCOMPARE(FolderSnapshot::take(m_sandbox), before);
    verifyBaseIntact();
    QVERIFY(m_errors.isEmpty());
}

void TstUArchive::bareFileKeepsProject_data()
{
    QTest::addColumn<QByteArray>("content");

    QTest::newRow("UTF-16BE panel file") << utf16BigEndian(QStringLiteral("<?xml version=\"1.0\"?><Canvas/>"));
    QTest::newRow("UTF-8 panel file") << QByteArray("<?xml version=\"1.0\"?><Canvas/>");
}

void TstUArchive::bareFileKeepsProject()
{
    QFETCH(QByteArray, content);

    const QString path = inputPath(QStringLiteral("bare.cpf"));
    QVERIFY(writeBytes(path, content));
    const auto before = FolderSnapshot::take(m_sandbox);
    QVERIFY(!UArchive::instance().open(path));
    QCOMPARE(FolderSnapshot::take(m_sandbox), before);
    verifyBaseIntact();
    QVERIFY(m_errors.isEmpty());
}

void TstUArchive::deepMember()
{
    ArchiveWriter writer;
    writer.addFile(QStringLiteral("/a/b/x.png"), "two folders down");
    writer.addFile(QStringLiteral("/c/d/e/f.txt"), "three folders down");
    const QString root = openWritten(writer, QStringLiteral("deep.cpz"));
    QCOMPARE(root, m_baseRoot);
    QCOMPARE(readBytes(root + QStringLiteral("/a/b/x.png")), QByteArray("two folders down"));
    QCOMPARE(readBytes(root + QStringLiteral("/c/d/e/f.txt")), QByteArray("three folders down"));
    QCOMPARE(UArchive::instance().extractedPath(QStringLiteral("x.png")), root + QStringLiteral("/a/b/x.png"));
    QVERIFY(m_errors.isEmpty());
}

void TstUArchive::unusualButSoundMembers_data()
{
    QTest::addColumn<QByteArray>("stored");
    QTest::addColumn<QByteArray>("content");

    // qCompress writes an empty content as the length alone.
    QTest::newRow("empty as qCompress writes it") << QByteArray(4, '\0') << QByteArray();
    QTest::newRow("empty with a stream") << bigEndian(0) + QByteArray::fromHex("789c030000000001")
                                         << QByteArray();
    // Bytes after the end of the stream are ignored, as qUncompress does.
    QTest::newRow("bytes after the stream") << qCompress(QByteArray("hello")) + "trailing"
                                            << QByteArray("hello");
    QByteArray large(3 * int(UArchiveInflater::ChunkSize) + 17, Qt::Uninitialized);
    QRandomGenerator random(7);
    for (char &c : large)
        c = char(random.bounded(256));
    QTest::newRow("several chunks in and out") << qCompress(large) << large;
}

void TstUArchive::unusualButSoundMembers()
{
    QFETCH(QByteArray, stored);
    QFETCH(QByteArray, content);

    ArchiveWriter writer;
    writer.addRaw(QStringLiteral("/image/Member.png"), stored);
    writer.addFile(QStringLiteral("/image/Good.png"), "good");
    const QString root = openWritten(writer, QStringLiteral("unusual.cpz"));
    QCOMPARE(root, m_baseRoot);
    const QFileInfo info(root + QStringLiteral("/image/Member.png"));
    QVERIFY(info.isFile());
    QCOMPARE(readBytes(info.filePath()), content);
    QCOMPARE(readBytes(root + QStringLiteral("/image/Good.png")), QByteArray("good"));
}

void TstUArchive::memberFileCannotBeCreated()
{
    // Every member's folders are made before the first member is written, so
    // "/x" finds a folder where its file should go.
    ArchiveWriter writer;
    writer.addFile(QStringLiteral("/x"), "a folder is in the way");
    writer.addFile(QStringLiteral("/x/y.png"), "y");
    writer.addFile(QStringLiteral("/after.png"), "after");
    const QString root = openWritten(writer, QStringLiteral("clash.cpz"));
    QCOMPARE(root, m_baseRoot);

    QVERIFY(QFileInfo(root + QStringLiteral("/x")).isDir());
    QCOMPARE(readBytes(root + QStringLiteral("/x/y.png")), QByteArray("y"));
    QCOMPARE(readBytes(root + QStringLiteral("/after.png")), QByteArray("after"));
    QVERIFY(m_errors.isEmpty());
}

VR_TEST_MAIN(TstUArchive)
#include "tst_uarchive.moc"
