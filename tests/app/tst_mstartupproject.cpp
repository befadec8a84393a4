#include "VrTest.h"

#include "ArchiveWriter.h"
#include "app/DQmlMessageDialog.h"
#include "app/MModel.h"
#include "app/MainWindow.h"
#include "app/MStartupProject.h"
#include "controls/CComposite.h"
#include "project/UArchive.h"
#include "project/UArchiveHeader.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMessageBox>
#include <QRandomGenerator>
#include <QSettings>
#include <QtEndian>

#include <zlib.h>

#include <memory>

namespace {

QByteArray bigEndian(quint32 value)
{
    char bytes[4];
    qToBigEndian(value, bytes);
    return QByteArray(bytes, 4);
}

// A zlib stream of size zero bytes, made in steps: the bytes themselves are
// never held.
QByteArray zerosStream(qint64 size)
{
    z_stream stream = {};
    if (deflateInit(&stream, Z_BEST_COMPRESSION) != Z_OK)
        return QByteArray();
    QByteArray zeros(1024 * 1024, '\0');
    QByteArray out;
    char buffer[64 * 1024];
    qint64 left = size;
    int result = Z_OK;
    while (result != Z_STREAM_END) {
        const qint64 step = qMin<qint64>(left, zeros.size());
        left -= step;
        stream.next_in = reinterpret_cast<Bytef *>(zeros.data());
        stream.avail_in = uInt(step);
        const int flush = left == 0 ? Z_FINISH : Z_NO_FLUSH;
        do {
            stream.next_out = reinterpret_cast<Bytef *>(buffer);
            stream.avail_out = sizeof buffer;
            result = deflate(&stream, flush);
            out.append(buffer, qsizetype(sizeof buffer - stream.avail_out));
        } while (stream.avail_out == 0 || (flush == Z_FINISH && result != Z_STREAM_END));
    }
    deflateEnd(&stream);
    return out;
}

QByteArray panelFile(const QString &scene)
{
    return QStringLiteral("<?xml version=\"1.0\"?><VDS><Scenes><Scene name=\"%1\"><Panels>"
                          "<Panel name=\"P\"/></Panels></Scene></Scenes></VDS>")
        .arg(scene)
        .toUtf8();
}

// A sound project whose member at name is replaced by stored bytes.
QByteArray projectWith(const QString &name, const QByteArray &stored)
{
    ArchiveWriter writer;
    writer.addFile(QStringLiteral("/Stored.cpf"), panelFile(QStringLiteral("Stored")));
    writer.addRaw(name, stored);
    return writer.toByteArray();
}

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writeFile(const QString &path, const QByteArray &data)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(data) == data.size();
}

// One figure from a /proc/self file: "name: value ..." (kB in status).
qint64 procFigure(const char *file, const QByteArray &name)
{
    QFile proc(QString::fromLatin1(file));
    if (!proc.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : proc.readAll().split('\n')) {
        if (line.startsWith(name + ':'))
            return line.mid(name.size() + 1).trimmed().split(' ').first().toLongLong();
    }
    return -1;
}

// Bytes this process has handed to write() and its kin so far.
qint64 bytesWritten()
{
    return procFigure("/proc/self/io", "wchar");
}

// The resident-memory peak since the last reset, in bytes.
qint64 peakMemory()
{
    return procFigure("/proc/self/status", "VmHWM") * 1024;
}

bool resetPeakMemory()
{
    QFile refs(QStringLiteral("/proc/self/clear_refs"));
    return refs.open(QIODevice::WriteOnly) && refs.write("5") == 1;
}

} // namespace

class TestMStartupProject : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanupTestCase();
    void refusedProjectOpensTheDemo_data();
    void refusedProjectOpensTheDemo();
    void soundProjectOpensWithoutABox();
    void unusualProjectsStillOpen_data();
    void unusualProjectsStillOpen();
    void startUpBombStaysWithinBounds();

private:
    QString m_designs;
    QStringList m_boxes;
};

void TestMStartupProject::initTestCase()
{
    DQmlMessageDialog::setMessageBoxRunner([this](QMessageBox &box) {
        m_boxes.append(box.text());
        return int(QMessageBox::Ok);
    });
    UArchive::setErrorReporter([this](const QString &message) { m_boxes.append(message); });
}

void TestMStartupProject::init()
{
    m_boxes.clear();
    m_designs = QDir::current().filePath(QStringLiteral("designs-%1-%2")
                                             .arg(QTest::currentTestFunction(), QTest::currentDataTag())
                                             .replace(' ', '-'));
    QSettings settings(QStringLiteral("Halvern"), QStringLiteral("Varolin Remote 3.1"));
    settings.setValue(QStringLiteral("Path/Designs"), m_designs);
}

void TestMStartupProject::cleanupTestCase()
{
    DQmlMessageDialog::setMessageBoxRunner(nullptr);
    UArchive::setErrorReporter(nullptr);
}

void TestMStartupProject::refusedProjectOpensTheDemo_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("reason");

    const QByteArray smallBomb = bigEndian(100) + zerosStream(8 * 1024 * 1024);
    QTest::newRow("bomb") << "download.cpn" << projectWith("/image/Logo.png", smallBomb)
                          << "\"/image/Logo.png\" unpacks to more than the 100 bytes it declares";
    QTest::newRow("unsafe name") << "download.cpn"
                                 << projectWith("/../../outside.png", qCompress("evil"))
                                 << "unsafe member name \"/../../outside.png\"";
    QByteArray brokenTable = projectWith("/image/Logo.png", qCompress("logo"));
    qToBigEndian(quint32(0x7FFFFFFF), brokenTable.data() + 4);
    QTest::newRow("broken table") << "download.cpn" << brokenTable
                                  << "the member table runs past the end of the file";
    ArchiveWriter noPanel;
    noPanel.addFile(QStringLiteral("/project/Stored.vpj"), "<Project version=\"4.3\"/>");
    QTest::newRow("no panel file") << "download.cpn" << noPanel.toByteArray()
                                   << "the archive holds no panel file";
    QTest::newRow("panel file not XML") << "download.cpf" << QByteArray("<VDS><Scenes>not closed")
                                        << "the panel file is not well-formed XML";

    // Sound archives whose panel member cannot be shown.
    const auto withPanel = [](const QByteArray &panel) {
        ArchiveWriter writer;
        writer.addFile(QStringLiteral("/Stored.cpf"), panel);
        writer.addFile(QStringLiteral("/project/Stored.vpj"), "<Project version=\"4.3\"/>");
        writer.addFile(QStringLiteral("/image/Logo.png"), "logo");
        return writer.toByteArray();
    };
    const QString notXml = QStringLiteral("the panel file \"/Stored.cpf\" is not well-formed XML (line ");
    QTest::newRow("panel member of plain text") << "download.cpn" << withPanel("Stored panels\n") << notXml;
    QByteArray noise(4000, Qt::Uninitialized);
    QRandomGenerator random(9);
    for (char &c : noise)
        c = char(random.bounded(256));
    QTest::newRow("panel member of random bytes") << "download.cpn" << withPanel(noise) << notXml;
    QTest::newRow("empty panel member") << "download.cpn" << withPanel(QByteArray()) << notXml;
    const QByteArray stored = panelFile(QStringLiteral("Stored"));
    QTest::newRow("panel member cut in half")
        << "download.cpn" << withPanel(stored.left(stored.size() / 2)) << notXml;
    QTest::newRow("panel member without a panel root")
        << "download.cpn" << withPanel("<?xml version=\"1.0\"?><Project version=\"4.3\"><Nodes/></Project>")
        << "the panel file \"/Stored.cpf\" holds no panel: its document element <Project> has none of";
    ArchiveWriter twice;
    twice.addFile(QStringLiteral("/Stored.cpf"), stored);
    twice.addFile(QStringLiteral("/Stored.cpf"), "Not the panel that was checked.");
    QTest::newRow("panel member named twice") << "download.cpn" << twice.toByteArray()
                                              << "the archive names the member \"/Stored.cpf\" twice";
}

// Whatever is wrong with the stored project, the program starts on the
// demo and says which file it could not open and why; the stored file
// stays as it is.
void TestMStartupProject::refusedProjectOpensTheDemo()
{
    QFETCH(QString, file);
    QFETCH(QByteArray, content);
    QFETCH(QString, reason);
    const QString path = m_designs + QLatin1Char('/') + file;
    QVERIFY(writeFile(path, content));
    QCOMPARE(MModel::projectFilePath(), path);

    MainWindow window;
    QCOMPARE(m_boxes.size(), 1);
    QVERIFY2(m_boxes.first().contains(QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath())),
             qPrintable(m_boxes.first()));
    QVERIFY2(m_boxes.first().contains(reason), qPrintable(m_boxes.first()));
    QCOMPARE(window.model()->scenes()->name(), QString("Demo.cpf"));
    QVERIFY(window.model()->currentPanel());
    QCOMPARE(readAll(path), content);
    QVERIFY(!QFileInfo::exists(m_designs + "/../outside.png"));
}

void TestMStartupProject::soundProjectOpensWithoutABox()
{
    const QString path = m_designs + QStringLiteral("/download.cpn");
    QVERIFY(writeFile(path, projectWith("/image/Logo.png", qCompress("logo"))));

    MainWindow window;
    QVERIFY2(m_boxes.isEmpty(), qPrintable(m_boxes.join('\n')));
    QCOMPARE(window.model()->scenes()->name(), QString("Stored.cpf"));
    QCOMPARE(MStartupProject::checked(MStartupProject::demoPath()), MStartupProject::demoPath());
}

void TestMStartupProject::unusualProjectsStillOpen_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("shown");

    ArchiveWriter noDesign;
    noDesign.addFile(QStringLiteral("/Stored.cpf"), panelFile(QStringLiteral("Stored")));
    QTest::newRow("no design member") << "download.cpn" << noDesign.toByteArray() << "Stored.cpf";
    ArchiveWriter deep;
    deep.addFile(QStringLiteral("/site/hall/Deep.cpf"), panelFile(QStringLiteral("Deep")));
    deep.addFile(QStringLiteral("/project/a/b/Deep.vpj"), "<Project version=\"4.3\"/>");
    deep.addFile(QStringLiteral("/image/a/b/c/Logo.png"), "logo");
    QTest::newRow("members folders deep") << "download.cpn" << deep.toByteArray() << "Deep.cpf";
    ArchiveWriter otherRoot;
    otherRoot.addFile(QStringLiteral("/Other.cpf"),
                      "<Panels><Scenes><Scene name=\"Other\"><Panels><Panel name=\"P\"/></Panels></Scene>"
                      "</Scenes></Panels>");
    QTest::newRow("document element of another name") << "download.cpn" << otherRoot.toByteArray()
                                                      << "Other.cpf";
    QTest::newRow("bare panel file") << "download.cpf" << panelFile(QStringLiteral("Bare")) << "download.cpf";
}

// Archives and panel files that opened before the panel member was read
// through still open, without a box.
void TestMStartupProject::unusualProjectsStillOpen()
{
    QFETCH(QString, file);
    QFETCH(QByteArray, content);
    QFETCH(QString, shown);
    const QString path = m_designs + QLatin1Char('/') + file;
    QVERIFY(writeFile(path, content));

    MainWindow window;
    QVERIFY2(m_boxes.isEmpty(), qPrintable(m_boxes.join('\n')));
    QCOMPARE(window.model()->scenes()->name(), shown);
    QVERIFY(window.model()->currentPanel());
    QCOMPARE(readAll(path), content);
}

// A stored archive of 1 MB whose image unpacks to 1 GiB while declaring
// 100 bytes: the start writes next to nothing and needs no more memory
// than a normal start.
void TestMStartupProject::startUpBombStaysWithinBounds()
{
    constexpr qint64 BombSize = qint64(1024) * 1024 * 1024;
    // A start on the demo first, for the figures to compare with.
    qint64 demoWritten = 0;
    qint64 demoPeak = 0;
    {
        QVERIFY(resetPeakMemory());
        const qint64 before = bytesWritten();
        const qint64 base = peakMemory();
        MainWindow window;
        QCOMPARE(window.model()->scenes()->name(), QString("Demo.cpf"));
        demoWritten = bytesWritten() - before;
        demoPeak = peakMemory() - base;
    }
    QVERIFY2(m_boxes.isEmpty(), qPrintable(m_boxes.join('\n')));

    const QString path = m_designs + QStringLiteral("/download.cpn");
    {
        const QByteArray bomb = projectWith("/image/Logo.png", bigEndian(100) + zerosStream(BombSize));
        QVERIFY(bomb.size() < 2 * 1024 * 1024);
        QVERIFY(writeFile(path, bomb));
    }
    QVERIFY(resetPeakMemory());
    const qint64 before = bytesWritten();
    const qint64 base = peakMemory();
    QVERIFY(before >= 0 && base > 0);
    QString shown;
    {
        MainWindow window;
        shown = window.model()->scenes()->name();
    }
    const qint64 written = bytesWritten() - before;
    const qint64 peak = peakMemory() - base;
    qInfo("start on the demo: %lld bytes written, peak memory +%lld KiB", demoWritten, demoPeak / 1024);
    qInfo("start on the bomb: %lld bytes written, peak memory +%lld KiB", written, peak / 1024);
    // Far below the unpacking cap, let alone the bomb's real size.
    QVERIFY2(written < 16 * 1024 * 1024, qPrintable(QString::number(written)));
    QVERIFY(written < qint64(UArchiveHeader::MaxUnpackedTotal));
    QVERIFY2(peak < demoPeak + 64 * 1024 * 1024,
             qPrintable(QStringLiteral("%1 against %2").arg(peak).arg(demoPeak)));
    QCOMPARE(m_boxes.size(), 1);
    QVERIFY2(m_boxes.first().contains("unpacks to more than the 100 bytes"), qPrintable(m_boxes.first()));
    QCOMPARE(shown, QString("Demo.cpf"));
}

VR_TEST_MAIN(TestMStartupProject)
#include "tst_mstartupproject.moc"
