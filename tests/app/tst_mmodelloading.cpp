#include "VrTest.h"

#include "ArchiveWriter.h"
#include "FakeWidgetFactory.h"
#include "ModelFixture.h"
#include "TestDevices.h"
#include "app/MModel.h"
#include "app/MQmlInterface.h"
#include "comms/TTransform.h"
#include "controls/CComposite.h"
#include "controls/CControl.h"
#include "controls/WLabel.h"
#include "controls/WDelegate.h"
#include "devices/HChassis.h"
#include "devices/HRoot.h"
#include "project/MProject.h"
#include "project/UArchive.h"

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QSignalSpy>

namespace {
QStringList s_warnings;

void recordWarnings(QtMsgType type, const QMessageLogContext &, const QString &message)
{
    if (type == QtWarningMsg || type == QtCriticalMsg)
        s_warnings.append(message);
}

void setDesignsFolder(const QString &folder)
{
    QSettings settings(QStringLiteral("Halvern"), QStringLiteral("Varolin Remote 3.1"));
    if (folder.isNull())
        settings.remove(QStringLiteral("Path/Designs"));
    else
        settings.setValue(QStringLiteral("Path/Designs"), folder);
}

bool writeFile(const QString &path, const QByteArray &data)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(data) == data.size();
}

QByteArray resourceBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The one-fader panel as the design tool writes it, with its file version.
QByteArray versionedPanel(const QByteArray &version)
{
    QByteArray panel = TestDevices::oneFaderPanel();
    panel.replace("<VDS>\n", "<VDS>\n\t<Version>\n\t\t<appVersion>4.3.0</appVersion>\n\t\t<fileVersion>"
                                + version + "</fileVersion>\n\t</Version>\n");
    return panel;
}

// A design file cut off inside its first node: the reader stops.
QByteArray brokenDesign()
{
    return QByteArrayLiteral("<Project version=\"4.3\"><Nodes><Node");
}

// A project archive of the one-fader panel (version 2.7) and the design,
// each only when given.
bool writeSite(const QString &path, bool withPanel, const QByteArray &design)
{
    ArchiveWriter writer;
    if (withPanel)
        writer.addFile("/Site.cpf", versionedPanel("2.7"));
    if (!design.isEmpty())
        writer.addFile("/project/Site.vpj", design);
    writer.addFile("/image/none.png", QByteArray("x"));
    return writer.writeTo(path);
}

int chassisCount(HRoot *pRoot)
{
    int count = 0;
    for (int i = 0; pRoot->childAt(i); ++i) {
        if (qobject_cast<HChassis *>(pRoot->childAt(i)))
            ++count;
    }
    return count;
}
} // namespace

class TestMModelLoading : public QObject
{
    Q_OBJECT

private slots:
    void init();
    // First: no archive has been opened in this process yet.
    void bareFileFirstLeavesNoDevices();
    void projectFilePath_data();
    void projectFilePath();
    void demoLoadsWithoutWarnings();
    void eachLoadStartsFromAnEmptyRecord();
    void archiveMembers_data();
    void archiveMembers();
    void missingFileStillEnablesConnection();
    void clearScenesEmptiesBothTrees();
    void labelsShowTheirTextOnceTheFileIsRead_data();
    void labelsShowTheirTextOnceTheFileIsRead();
};

void TestMModelLoading::init()
{
    setDesignsFolder(QString());
    QFile::remove("download.cpn");
    QFile::remove("download.cpf");
}

void TestMModelLoading::projectFilePath_data()
{
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<QString>("expected");
    QTest::newRow("received project first") << "designs" << QStringList{"download.cpn", "download.cpf"}
                                            << "designs/download.cpn";
    QTest::newRow("stored panel file next") << "designs" << QStringList{"download.cpf"}
                                            << "designs/download.cpf";
    QTest::newRow("else the demo") << "designs" << QStringList() << ":/data/Varolin/Demo.cpz";
    QTest::newRow("no setting: working folder") << QString() << QStringList{"download.cpf"}
                                                << "./download.cpf";
    QTest::newRow("no setting, no files") << QString() << QStringList() << ":/data/Varolin/Demo.cpz";
}

void TestMModelLoading::projectFilePath()
{
    QFETCH(QString, folder);
    QFETCH(QStringList, files);
    QFETCH(QString, expected);
    const QString base = folder.isNull() ? QStringLiteral(".") : QDir::current().filePath(folder);
    QDir().mkpath(base);
    if (!folder.isNull())
        setDesignsFolder(base);
    for (const QString &name : files)
        QVERIFY(writeFile(base + "/" + name, TestDevices::oneFaderPanel()));
    if (!folder.isNull() && expected.startsWith("designs/"))
        expected = QDir::current().filePath(expected);
    QCOMPARE(MModel::projectFilePath(), expected);
    for (const QString &name : files)
        QFile::remove(base + "/" + name);
}

void TestMModelLoading::demoLoadsWithoutWarnings()
{
    ModelFixture f;
    QSignalSpy enabled(f.model.get(), &MModel::enableConnection);
    s_warnings.clear();
    const QtMessageHandler previous = qInstallMessageHandler(recordWarnings);
    f.model->loadProject(MModel::projectFilePath());
    qInstallMessageHandler(previous);
    QVERIFY2(s_warnings.isEmpty(), qPrintable(s_warnings.join('\n')));

    QCOMPARE(enabled.size(), 1);
    QCOMPARE(enabled.first().first().toBool(), true);
    CComposite *pScenes = f.model->scenes();
    QCOMPARE(pScenes->name(), QString("Demo.cpf"));
    QVERIFY(pScenes->childCount() >= 2);
    int panels = 0;
    int bound = 0;
    for (int s = 0; s < pScenes->childCount(); ++s) {
        CControl *pScene = pScenes->childAt(s);
        panels += pScene->childCount();
        for (int p = 0; p < pScene->childCount(); ++p) {
            CControl *pPanel = pScene->childAt(p);
            for (int c = 0; c < pPanel->childCount(); ++c) {
                const CControl *pControl = pPanel->childAt(c);
                if (pControl->node() && pControl->transform()) {
                    ++bound;
                    static const QStringList kDemoNodes = {"Music Gain", "Mic Gain",   "Mic Inputs",
                                                           "Zone Out", "In 1",       "In 2",
                                                           "Out A",      "Out B",      "Out C", "Out D",
                                                           "Hall Scenes", "Music Source", "Tel",
                                                           "Logic Out",  "Zone Volume", "Hall Rooms",
                                                           "[Hall-North]", "[Hall-East]", "[Hall-South]",
                                                           "[Hall-West]"};
                    QVERIFY2(kDemoNodes.contains(pControl->node()->label()),
                             qPrintable(pControl->node()->label()));
                }
            }
        }
    }
    QVERIFY(panels >= 3);
    QVERIFY(bound >= 4 + 11);
    QCOMPARE(chassisCount(f.model->root()), 3); // the processor, the array and the ARX amplifier
    QCOMPARE(f.model->currentPanel()->name(), QString("Overview"));
    QCOMPARE(f.model->project()->siteName(), QString("Demo Site"));
    QCOMPARE(f.model->getInterfaceProperty("sceneTitle").toString(), QString("Demo"));
    QCOMPARE(f.model->getInterfaceProperty("pageCount").toInt(), 2);
    QCOMPARE(f.model->versionText(), QString("3.1"));
}

void TestMModelLoading::eachLoadStartsFromAnEmptyRecord()
{
    ModelFixture f;
    f.model->loadProject(MModel::projectFilePath());
    QCOMPARE(f.model->project()->businessManagerName(), QString("Jordan Avery"));
    MProject::setExitPin("1234");
    // The next site's archive has neither a design nor a project section.
    ArchiveWriter writer;
    writer.addFile("/Next.cpf", TestDevices::oneFaderPanel());
    const QString path = QDir::current().filePath("next.cpz");
    QVERIFY(writer.writeTo(path));
    f.model->loadProject(path);
    QCOMPARE(MProject::exitPin(), QString());
    QCOMPARE(f.model->project()->businessManagerName(), QString());
    QCOMPARE(f.model->project()->customerAddress(), QString());
    QCOMPARE(f.model->scenes()->name(), QString("Next.cpf"));
}

void TestMModelLoading::archiveMembers_data()
{
    QTest::addColumn<QStringList>("before");
    QTest::addColumn<bool>("withPanel");
    QTest::addColumn<QByteArray>("design");
    QTest::addColumn<int>("scenes");
    QTest::addColumn<int>("chassis");
    QTest::addColumn<bool>("designKept");
    QTest::addColumn<bool>("bound");
    QTest::addColumn<QString>("version");
    const QByteArray demo = resourceBytes(QFINDTESTDATA("../../resources/demo/project/Demo.vpj"));
    const QByteArray none;
    const QByteArray broken = brokenDesign();
    const QStringList fresh;
    const QStringList afterDemo = {QStringLiteral("demo")};
    // The demo design holds the processor, the loudspeaker array and the ARX amplifier.
    QTest::newRow("both members") << fresh << true << demo << 1 << 3 << true << true << "2.7";
    QTest::newRow("no panel member") << fresh << false << demo << 0 << 3 << true << false << "3.1";
    QTest::newRow("no design member") << fresh << true << none << 1 << 0 << false << false << "2.7";
    // After the demo project (whose own design is the same): the second
    // design joins the devices read before instead of adding them again.
    QTest::newRow("both members, after a design") << afterDemo << true << demo << 1 << 3 << true << true << "2.7";
    // Without a design the devices of the one before go, and so does its path.
    QTest::newRow("no design member, after a design") << afterDemo << true << none << 1 << 0 << false << false
                                                     << "2.7";
    // A design that fails forgets the path but prunes nothing: the devices
    // read before stay, and the panel binds to them.
    QTest::newRow("unreadable design, after a design") << afterDemo << true << broken << 1 << 3 << false << true
                                                       << "2.7";
    // The first design after a project without one is read afresh.
    QTest::newRow("both members, after a panel-only project")
        << QStringList{"demo", "panel only"} << true << demo << 1 << 3 << true << true << "2.7";
    // With no design remembered, what a failed design left is pruned
    // before the next one is read afresh: its devices are not doubled.
    QTest::newRow("both members, after an unreadable design")
        << QStringList{"demo", "unreadable design"} << true << demo << 1 << 3 << true << true << "2.7";
}

void TestMModelLoading::archiveMembers()
{
    QFETCH(QStringList, before);
    QFETCH(bool, withPanel);
    QFETCH(QByteArray, design);
    QFETCH(int, scenes);
    QFETCH(int, chassis);
    QFETCH(bool, designKept);
    QFETCH(bool, bound);
    QFETCH(QString, version);
    const QString path = QDir::current().filePath("site.cpz");
    QVERIFY(writeSite(path, withPanel, design));

    ModelFixture f;
    for (const QString &step : before) {
        if (step == QLatin1String("demo")) {
            f.model->loadProject(MModel::projectFilePath());
            QCOMPARE(chassisCount(f.model->root()), 3);
            QVERIFY(!f.model->designPath().isEmpty());
        } else {
            const QString earlier = QDir::current().filePath("earlier.cpz");
            const bool unreadable = step == QLatin1String("unreadable design");
            QVERIFY(writeSite(earlier, true, unreadable ? brokenDesign() : QByteArray()));
            f.model->loadProject(earlier);
            QVERIFY(f.model->designPath().isEmpty());
            QCOMPARE(chassisCount(f.model->root()), unreadable ? 3 : 0);
        }
    }
    QSignalSpy enabled(f.model.get(), &MModel::enableConnection);
    f.model->loadProject(path);
    QCOMPARE(enabled.size(), 1);
    QCOMPARE(f.model->scenes()->childCount(), scenes);
    QCOMPARE(chassisCount(f.model->root()), chassis);
    QCOMPARE(!f.model->designPath().isEmpty(), designKept);
    // The panel file's version differs from the program's default.
    QCOMPARE(f.model->versionText(), version);
    if (withPanel) {
        CControl *pControl = f.model->scenes()->childAt(0)->childAt(0)->childAt(0);
        // Without the chassis the control stays unbound.
        QCOMPARE(pControl->node() != nullptr, bound);
    }
}

void TestMModelLoading::bareFileFirstLeavesNoDevices()
{
    QVERIFY(writeFile("first.cpf", TestDevices::oneFaderPanel()));
    ModelFixture f;
    f.model->loadProject(QDir::current().filePath("first.cpf"));
    QCOMPARE(chassisCount(f.model->root()), 0);
    QVERIFY(f.model->designPath().isEmpty());
    QCOMPARE(f.model->scenes()->childCount(), 1);
    QCOMPARE(f.model->scenes()->childAt(0)->childAt(0)->childAt(0)->node(), nullptr);
}

void TestMModelLoading::missingFileStillEnablesConnection()
{
    ModelFixture f;
    QSignalSpy enabled(f.model.get(), &MModel::enableConnection);
    f.model->loadProject(QDir::current().filePath("no-such-file.cpf"));
    QCOMPARE(enabled.size(), 1);
    QCOMPARE(f.model->scenes()->childCount(), 0);
    QCOMPARE(f.model->currentPanel(), nullptr);
}

void TestMModelLoading::clearScenesEmptiesBothTrees()
{
    ModelFixture f;
    f.model->loadProject(MModel::projectFilePath());
    QVERIFY(f.model->scenes()->childCount() > 0);
    const QString design = f.model->designPath();
    QSignalSpy selected(f.model.get(), &MModel::selectState);
    f.model->clearScenes();
    QCOMPARE(f.model->scenes()->childCount(), 0);
    QCOMPARE(chassisCount(f.model->root()), 0);
    QCOMPARE(f.model->currentPanel(), nullptr);
    QCOMPARE(selected.size(), 1);
    QCOMPARE(f.model->designPath(), design);
}

VR_TEST_MAIN(TestMModelLoading)
#include "tst_mmodelloading.moc"

void TestMModelLoading::labelsShowTheirTextOnceTheFileIsRead_data()
{
    QTest::addColumn<bool>("cutShort");
    QTest::newRow("whole file") << false;
    // The reader stops inside the third control: the two labels before it
    // still show what they read.
    QTest::newRow("file cut short") << true;
}

void TestMModelLoading::labelsShowTheirTextOnceTheFileIsRead()
{
    QFETCH(bool, cutShort);
    QByteArray panel = R"(<?xml version="1.0"?>
<VDS><Scenes><Scene name="Only"><Panels><Panel name="Page"><Controls>
<Control name="A" type="Passive"><Property name="widget"><label><x>1</x><text>Hall</text><face>bold</face><align>center</align></label></Property></Control>
<Control name="B" type="Passive"><Property name="widget"><label><x>1</x><align>right</align><text>Lobby</text></label></Property></Control>
<Control name="C" type="Passive"><Property name="widget"><label><x>1</x><text>Stage</text></label></Property></Control>
</Controls></Panel></Panels></Scene></Scenes></VDS>
)";
    if (cutShort)
        panel.truncate(panel.indexOf("<text>Stage"));
    QVERIFY(writeFile("labels.cpf", panel));
    ModelFixture f;
    f.model->loadProject(QDir::current().filePath("labels.cpf"));
    QVERIFY(f.model->scenes()->childAt(0));
    const CControl *pPanel = f.model->scenes()->childAt(0)->childAt(0);
    QVERIFY(pPanel);

    const struct { const char *text; int alignment; } expected[] = {
        {"<b>Hall</b>", Qt::AlignHCenter},
        {"Lobby", Qt::AlignRight},
        {"Stage", Qt::AlignLeft},
    };
    const int read = cutShort ? 2 : 3;
    QVERIFY(pPanel->childCount() >= read);
    for (int i = 0; i < read; ++i) {
        const QList<WWidget *> widgets = pPanel->childAt(i)->widgets();
        QCOMPARE(widgets.size(), 1);
        auto *pLabel = qobject_cast<WLabel *>(widgets.first());
        QVERIFY(pLabel);
        QCOMPARE(pLabel->itemText(), QString(expected[i].text));
        QCOMPARE(pLabel->itemProperty("textFormat").toInt(), int(Qt::RichText));
        QCOMPARE(pLabel->itemProperty("horizontalAlignment").toInt(), expected[i].alignment);
    }
}
