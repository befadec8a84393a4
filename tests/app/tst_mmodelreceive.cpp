#include "VrTest.h"

#include "ArchiveWriter.h"
#include "FolderSnapshot.h"
#include "ModelFixture.h"
#include "ScriptedSender.h"
#include "SimulatedVdsDevice.h"
#include "TestDevices.h"
#include "app/DQmlMessageDialog.h"
#include "app/MModel.h"
#include "app/MQmlInterface.h"
#include "comms/IComposite.h"
#include "comms/ITcpServer.h"
#include "comms/PProtocol.h"
#include "controls/CComposite.h"
#include "devices/HChassis.h"
#include "devices/HRoot.h"
#include "project/UArchive.h"

#include <QAbstractButton>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMessageBox>
#include <QPointer>
#include <QRandomGenerator>
#include <QSettings>
#include <QSignalSpy>
#include <QTcpSocket>
#include <QTimer>
#include <QtEndian>

#include <functional>
#include <memory>

namespace {

QByteArray sourceFile(const QString &relative)
{
    QFile file(QFINDTESTDATA("../../resources/demo/" + relative));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// A demo file with its processor moved to a test port.
QByteArray atPort(const QString &relative, quint16 port)
{
    QByteArray content = sourceFile(relative);
    content.replace("10055", QByteArray::number(port));
    return content;
}

QByteArray designAt(quint16 port)
{
    return atPort("project/Demo.vpj", port);
}

// The demo project as the design software would push it, its processor
// at a test port.
QByteArray demoArchive(quint16 port)
{
    ArchiveWriter writer;
    writer.addFile("/Demo.cpf", atPort("Demo.cpf", port));
    writer.addFile("/project/Demo.vpj", designAt(port));
    for (const char *image : {"Demo.png", "MusicPlayer.png", "HandheldMic.png"})
        writer.addFile(QStringLiteral("/image/") + image, sourceFile(QStringLiteral("image/") + image));
    return writer.toByteArray();
}

// The project shown before a receive: one scene "Only", same processor.
QByteArray oldArchive(quint16 port)
{
    ArchiveWriter writer;
    writer.addFile("/Old.cpf", TestDevices::oneFaderPanel());
    writer.addFile("/project/Old.vpj", designAt(port));
    return writer.toByteArray();
}

// A member as it goes into a pushed archive: its content, or (raw) its
// stored bytes as they are.
struct PushedMember
{
    QString name;
    QByteArray bytes;
    bool raw = false;
};

QByteArray archiveOf(const QList<PushedMember> &members)
{
    ArchiveWriter writer;
    for (const PushedMember &member : members) {
        if (member.raw)
            writer.addRaw(member.name, member.bytes);
        else
            writer.addFile(member.name, member.bytes);
    }
    return writer.toByteArray();
}

QByteArray bigEndian(quint32 value)
{
    char bytes[4];
    qToBigEndian(value, bytes);
    return QByteArray(bytes, 4);
}

// Stored bytes that declare a length other than what the stream gives.
QByteArray declaring(quint32 length, const QByteArray &content)
{
    return bigEndian(length) + qCompress(content).mid(4);
}

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writeFile(const QString &path, const QByteArray &data)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(data) == data.size();
}

void setDesignsFolder(const QString &folder)
{
    QSettings settings(QStringLiteral("Halvern"), QStringLiteral("Varolin Remote 3.1"));
    settings.setValue(QStringLiteral("Path/Designs"), folder);
}

void pressCancel(QMessageBox *pBox)
{
    if (QAbstractButton *pButton = pBox ? pBox->button(QMessageBox::Cancel) : nullptr)
        pButton->click();
}

} // namespace

class TestMModelReceive : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void pushedProjectReplacesTheOldOne();
    void barePanelFileIsTaken();
    void failedPushKeepsTheOldProject_data();
    void failedPushKeepsTheOldProject();
    void pushedArchiveIsCheckedWhole_data();
    void pushedArchiveIsCheckedWhole();
    void secondClientIsNotHeard();
    void unmakeableDesignsFolderFailsBeforeListening();
    void targetThatCannotBeReplaced();
    void secondReceiveIsRefused();
    void lostConnectionSubscribesAgainAfterCancel();
    void lossDuringReceiveReachesTheProtocol();

private:
    // A model showing the old project with its connections on, receiving
    // on 127.0.0.1 at a free port.
    std::unique_ptr<ModelFixture> makeModel();
    bool keptTheOldProject(ModelFixture &f);

    SimulatedVdsDevice m_device;
    QString m_designs;
    QString m_target;
    QByteArray m_old;
    QStringList m_boxes;
};

void TestMModelReceive::initTestCase()
{
    QVERIFY(m_device.listen());
    // The demo's gain is answered and may be subscribed to.
    m_device.setValueStoreEnabled(true);
    m_device.setValue("GA\"Music Gain\">0", "-6.0");
    DQmlMessageDialog::setMessageBoxRunner([this](QMessageBox &box) {
        m_boxes.append(box.text());
        return int(QMessageBox::Ok);
    });
    UArchive::setErrorReporter([this](const QString &message) { m_boxes.append(message); });
}

void TestMModelReceive::init()
{
    m_boxes.clear();
    // Missing levels: the first receive has to make them all.
    m_designs = QDir::current().filePath(QStringLiteral("designs-%1/a/b").arg(QTest::currentTestFunction()));
    setDesignsFolder(m_designs);
    m_target = m_designs + "/download.cpn";
    m_old = oldArchive(m_device.port());
}

void TestMModelReceive::cleanup()
{
    MModel::setAddressSource(nullptr);
    QDir(QDir::current().filePath(QStringLiteral("designs-%1").arg(QTest::currentTestFunction())))
        .removeRecursively();
}

std::unique_ptr<ModelFixture> TestMModelReceive::makeModel()
{
    auto f = std::make_unique<ModelFixture>();
    if (QDir().mkpath(m_designs))
        writeFile(m_target, m_old);
    f->model->loadProject(MModel::projectFilePath());
    f->model->setConnectionsEnabled(true);
    f->model->rebuildInterfaceSet();
    f->model->receiveMode().setPort(0);
    f->model->receiveMode().setListenAddress(QHostAddress::LocalHost);
    MModel::setAddressSource([] {
        return QList<QHostAddress>{QHostAddress("192.0.2.7"), QHostAddress::LocalHost};
    });
    return f;
}

bool TestMModelReceive::keptTheOldProject(ModelFixture &f)
{
    MModel &model = *f.model;
    bool ok = true;
    auto check = [&ok](bool condition, const char *what) {
        if (!condition)
            qWarning("not kept: %s", what);
        ok = ok && condition;
    };
    check(readAll(m_target) == m_old, "stored project");
    check(!QFileInfo::exists(m_target + "t"), "no temporary file left");
    check(model.scenes()->name() == "Old.cpf", "panels shown");
    check(model.getInterfaceProperty("sceneTitle").toString() == "Only", "scene shown");
    check(model.pollingTimer()->isActive(), "polling runs");
    check(model.isPollingActive(), "panel polls");
    check(model.receiveServer() == nullptr, "server gone");
    check(!model.isReceiving(), "receive mode over");
    return ok;
}

void TestMModelReceive::pushedProjectReplacesTheOldOne()
{
    // The designs folder and its parents do not exist yet: the receive
    // makes them all. The old project comes from elsewhere.
    QVERIFY(!QFileInfo::exists(m_designs.section('/', 0, -3)));
    auto f = std::make_unique<ModelFixture>();
    const QString oldPath = QDir::current().filePath("old.cpz");
    QVERIFY(writeFile(oldPath, m_old));
    f->model->loadProject(oldPath);
    f->model->setConnectionsEnabled(true);
    f->model->rebuildInterfaceSet();
    f->model->receiveMode().setPort(0);
    f->model->receiveMode().setListenAddress(QHostAddress::LocalHost);
    MModel::setAddressSource([] { return QList<QHostAddress>{QHostAddress("192.0.2.7")}; });
    QCOMPARE(f->model->scenes()->name(), QString("Old.cpf"));
    QTRY_COMPARE(f->model->interfaces()->connectedCount(), 1);
    const int connectionsBefore = m_device.connectionCount();

    const QByteArray pushed = demoArchive(m_device.port());
    ScriptedSender sender;
    sender.writeInChunks(pushed, 4000).close();
    QString boxText;
    f->model->receiveMode().setWaitHook([&](QMessageBox *pBox) {
        QVERIFY(pBox);
        boxText = pBox->text();
        QVERIFY(!f->model->pollingTimer()->isActive());
        sender.start(f->model->receiveServer()->serverPort());
    });

    QVERIFY(f->model->showMenu("Receive..."));
    QVERIFY(sender.finished());
    QCOMPARE(boxText, QString("Mobile IP Address:\n\n192.0.2.7\n"));
    QVERIFY2(m_boxes.isEmpty(), qPrintable(m_boxes.join('\n')));
    QCOMPARE(readAll(m_target), pushed);
    QVERIFY(!QFileInfo::exists(m_target + "t"));
    QCOMPARE(f->model->scenes()->name(), QString("Demo.cpf"));
    QCOMPARE(f->model->getInterfaceProperty("sceneTitle").toString(), QString("Demo"));
    QCOMPARE(f->model->currentPanel()->name(), QString("Overview"));
    QVERIFY(f->model->pollingTimer()->isActive());
    QCOMPARE(f->model->receiveServer(), nullptr);
    QVERIFY(!f->model->isReceiving());
    // The new project's processor is reached again, and so is the proxy
    // through which its ARX amplifier is reached (the same device here).
    QCOMPARE(f->model->interfaces()->interfaceCount(), 2);
    QTRY_COMPARE(f->model->interfaces()->connectedCount(), 2);
    QVERIFY(m_device.connectionCount() > connectionsBefore);
    QTRY_VERIFY(f->model->getInterfaceProperty("connectInd").toString().endsWith("/indicator_grn.png"));
}

void TestMModelReceive::barePanelFileIsTaken()
{
    auto f = makeModel();
    QByteArray panel = TestDevices::oneFaderPanel();
    panel.replace("<Scene name=\"Only\">", "<Scene name=\"Bare\">");
    ScriptedSender sender;
    sender.writeInChunks(panel, 100).close();
    f->model->receiveMode().setWaitHook(
        [&](QMessageBox *) { sender.start(f->model->receiveServer()->serverPort()); });

    QVERIFY(f->model->receiveAndLoadDesign());
    QCOMPARE(readAll(m_target), panel);
    QCOMPARE(f->model->getInterfaceProperty("sceneTitle").toString(), QString("Bare"));
    QVERIFY(m_boxes.isEmpty());
}

void TestMModelReceive::failedPushKeepsTheOldProject_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<QString>("boxText"); // "" no box, "*" either way
    QTest::newRow("empty push") << "empty" << "";
    QTest::newRow("cut short, closed") << "short" << "not a usable project";
    QTest::newRow("cut short, connection reset") << "reset" << "*";
    QTest::newRow("not a project") << "garbage" << "not a usable project";
    QTest::newRow("cancel part-way") << "cancel" << "";
    QTest::newRow("more than the cap") << "oversized" << "more than 1000 bytes";
    QTest::newRow("temporary file cannot be made") << "blocked" << "Cannot open file at";
}

void TestMModelReceive::failedPushKeepsTheOldProject()
{
    QFETCH(QString, how);
    QFETCH(QString, boxText);
    auto f = makeModel();
    QCOMPARE(f->model->scenes()->name(), QString("Old.cpf"));
    const QByteArray pushed = demoArchive(m_device.port());

    ScriptedSender sender;
    QPointer<QMessageBox> pBox;
    bool waited = false;
    if (how == "empty") {
        sender.close();
    } else if (how == "short") {
        sender.writeInChunks(pushed.left(pushed.size() / 2), 3000).close();
    } else if (how == "reset") {
        sender.writeInChunks(pushed.left(pushed.size() / 2), 3000).wait(100).reset();
    } else if (how == "garbage") {
        sender.write("<VDS><Scenes>not closed").close();
    } else if (how == "cancel") {
        sender.writeInChunks(pushed.left(5000), 2500).wait(100).then([&] { pressCancel(pBox); });
        // What still comes after the cancel goes nowhere.
        sender.write(pushed.mid(5000)).close();
    } else if (how == "oversized") {
        f->model->receiveMode().setSizeLimit(1000);
        sender.writeInChunks(pushed, 700).close();
    } else if (how == "blocked") {
        QVERIFY(QDir().mkpath(m_target + "t"));
    }
    f->model->receiveMode().setWaitHook([&](QMessageBox *pReceiveBox) {
        waited = true;
        pBox = pReceiveBox;
        sender.start(f->model->receiveServer()->serverPort());
    });

    QVERIFY(!f->model->receiveAndLoadDesign());
    QCOMPARE(waited, how != "blocked");
    if (how == "blocked")
        QVERIFY(QDir().rmdir(m_target + "t"));
    QVERIFY(keptTheOldProject(*f));
    if (boxText.isEmpty())
        QVERIFY2(m_boxes.isEmpty(), qPrintable(m_boxes.join('\n')));
    else if (boxText != "*") {
        QCOMPARE(m_boxes.size(), 1);
        QVERIFY2(m_boxes.first().contains(boxText), qPrintable(m_boxes.first()));
        QVERIFY(m_boxes.first().startsWith("Receive Mode Failure: "));
    }
    // The program goes on with the old panels.
    QVERIFY(f->model->selectSceneByIndex(0));
    QTRY_COMPARE(f->model->interfaces()->connectedCount(), 1);
}

void TestMModelReceive::pushedArchiveIsCheckedWhole_data()
{
    QTest::addColumn<QByteArray>("pushed");
    QTest::addColumn<bool>("reset");
    QTest::addColumn<QString>("refusal"); // empty: the push is taken
    QTest::addColumn<QStringList>("unpacked"); // of a push that is taken

    const quint16 port = m_device.port();
    const PushedMember panel{"/Demo.cpf", atPort("Demo.cpf", port)};
    const PushedMember design{"/project/Demo.vpj", designAt(port)};
    const PushedMember image{"/image/Demo.png", sourceFile("image/Demo.png")};
    const QString unusable = QStringLiteral("The received file is not a usable project: ");
    const QStringList none;

    QTest::newRow("bomb with a small declared length")
        << archiveOf({panel, design,
                      {"/image/Demo.png", declaring(100, QByteArray(16 * 1024 * 1024, '\0')), true}})
        << false << unusable + "\"/image/Demo.png\" unpacks to more than the 100 bytes it declares" << none;
    QTest::newRow("broken zlib stream")
        << archiveOf({{"/Demo.cpf", bigEndian(quint32(panel.bytes.size())) + "no zlib stream", true},
                      design, image})
        << false << unusable + "\"/Demo.cpf\" holds broken zlib data" << none;
    QTest::newRow("no members") << archiveOf({}) << false << unusable + "the archive holds no panel file"
                                << none;
    QTest::newRow("no panel member")
        << archiveOf({design, image}) << false << unusable + "the archive holds no panel file" << none;
    QTest::newRow("declared length larger than the output")
        << archiveOf({{"/Demo.cpf", declaring(quint32(panel.bytes.size()) + 1, panel.bytes), true},
                      design, image})
        << false << unusable + "\"/Demo.cpf\" unpacks to" << none;
    QTest::newRow("reset after all bytes")
        << archiveOf({panel, design, image}) << true
        << QStringLiteral("The connection to the sender failed.") << none;
    QTest::newRow("no design member") << archiveOf({panel, image}) << false << QString()
                                      << QStringList({"/.varolin-archive", "/Demo.cpf", "/image/", "/image/Demo.png"});
    QTest::newRow("members folders deep")
        << archiveOf({{"/site/hall/Demo.cpf", panel.bytes}, design, {"/image/a/b/Demo.png", image.bytes}})
        << false << QString()
        << QStringList({"/.varolin-archive", "/image/", "/image/a/", "/image/a/b/", "/image/a/b/Demo.png",
                        "/project/", "/project/Demo.vpj", "/site/", "/site/hall/", "/site/hall/Demo.cpf"});

    // Sound as archives, but their panel member cannot be shown.
    const QString panelNot = unusable + "the panel file \"/Demo.cpf\" ";
    const auto withPanel = [&](const QByteArray &bytes) { return archiveOf({{"/Demo.cpf", bytes}, design, image}); };
    QTest::newRow("panel member of plain text")
        << withPanel("This is the panel, honestly.\n") << false << panelNot + "is not well-formed XML (line 1"
        << none;
    QByteArray noise(5000, Qt::Uninitialized);
    QRandomGenerator random(3);
    for (char &c : noise)
        c = char(random.bounded(256));
    QTest::newRow("panel member of random bytes")
        << withPanel(noise) << false << panelNot + "is not well-formed XML (line " << none;
    QTest::newRow("empty panel member")
        << withPanel(QByteArray()) << false << panelNot + "is not well-formed XML (line 1" << none;
    QTest::newRow("panel member cut in half")
        << withPanel(panel.bytes.left(panel.bytes.size() / 2)) << false
        << panelNot + "is not well-formed XML (line " << none;
    QTest::newRow("panel member without a panel root")
        << withPanel(designAt(port)) << false
        << panelNot + "holds no panel: its document element <Project> has none of" << none;

    // Unpacked, the later of two members of one name overwrites the earlier.
    QTest::newRow("panel member named twice")
        << archiveOf({panel, design, image, {"/Demo.cpf", "Not the panel that was checked."}}) << false
        << unusable + "the archive names the member \"/Demo.cpf\" twice" << none;
    QTest::newRow("image named twice")
        << archiveOf({panel, design, image, image}) << false
        << unusable + "the archive names the member \"/image/Demo.png\" twice" << none;
    // Every member's folders are made first: the panel file could not be written.
    QTest::newRow("panel member named as a folder")
        << archiveOf({panel, design, {"/Demo.cpf/Demo.png", image.bytes}}) << false
        << unusable + "the panel file \"/Demo.cpf\" cannot be unpacked: \"/Demo.cpf/Demo.png\" needs a folder "
                      "of that name"
        << none;
}

// A pushed archive replaces the stored project only when it is whole: the
// stored project, the unpacked files and the panels shown stay exactly as
// they were otherwise.
void TestMModelReceive::pushedArchiveIsCheckedWhole()
{
    QFETCH(QByteArray, pushed);
    QFETCH(bool, reset);
    QFETCH(QString, refusal);
    QFETCH(QStringList, unpacked);
    auto f = makeModel();
    const QString root = UArchive::instance().extractionRoot();
    QVERIFY(QFileInfo::exists(root + "/Old.cpf"));
    const auto unpackedBefore = FolderSnapshot::take(root);

    ScriptedSender sender;
    sender.writeInChunks(pushed, 4000);
    if (reset)
        sender.wait(100).reset();
    else
        sender.close();
    f->model->receiveMode().setWaitHook(
        [&](QMessageBox *) { sender.start(f->model->receiveServer()->serverPort()); });

    const bool taken = f->model->receiveAndLoadDesign();
    QVERIFY(sender.finished());
    if (refusal.isEmpty()) {
        QVERIFY(taken);
        QVERIFY2(m_boxes.isEmpty(), qPrintable(m_boxes.join('\n')));
        QCOMPARE(readAll(m_target), pushed);
        QCOMPARE(FolderSnapshot::names(root), unpacked);
        QCOMPARE(f->model->scenes()->name(), QString("Demo.cpf"));
        QCOMPARE(f->model->getInterfaceProperty("sceneTitle").toString(), QString("Demo"));
        QVERIFY(f->model->currentPanel());
        return;
    }
    QVERIFY(!taken);
    QVERIFY(keptTheOldProject(*f));
    QVERIFY(FolderSnapshot::take(root) == unpackedBefore);
    QCOMPARE(m_boxes.size(), 1);
    QVERIFY2(m_boxes.first().startsWith("Receive Mode Failure: " + refusal), qPrintable(m_boxes.first()));
}

void TestMModelReceive::secondClientIsNotHeard()
{
    auto f = makeModel();
    ScriptedSender first;
    ScriptedSender second;
    quint16 port = 0;
    // The first client says nothing; a second one tries to push a whole
    // project meanwhile; then the first leaves.
    first.then([&] { second.start(port); }).wait(500).close();
    second.write(demoArchive(m_device.port())).close();
    f->model->receiveMode().setWaitHook([&](QMessageBox *) {
        port = f->model->receiveServer()->serverPort();
        first.start(port);
    });

    QVERIFY(!f->model->receiveAndLoadDesign());
    QVERIFY(first.finished());
    QVERIFY(keptTheOldProject(*f));
    QVERIFY2(m_boxes.isEmpty(), qPrintable(m_boxes.join('\n')));
}

void TestMModelReceive::unmakeableDesignsFolderFailsBeforeListening()
{
    auto f = makeModel();
    // A file where a folder level should be: the folder cannot be made.
    const QString blocker = QDir::current().filePath("blocker-file");
    QVERIFY(writeFile(blocker, "x"));
    setDesignsFolder(blocker + "/designs");
    bool waited = false;
    f->model->receiveMode().setWaitHook([&](QMessageBox *) { waited = true; });

    QVERIFY(!f->model->showMenu("Receive..."));
    QVERIFY(!waited);
    QCOMPARE(m_boxes.size(), 1);
    QVERIFY2(m_boxes.first().startsWith("Receive Mode Failure: Cannot create the folder"),
             qPrintable(m_boxes.first()));
    QVERIFY(m_boxes.first().contains("blocker-file"));
    setDesignsFolder(m_designs);
    QVERIFY(keptTheOldProject(*f));
    QFile::remove(blocker);
}

void TestMModelReceive::targetThatCannotBeReplaced()
{
    auto f = makeModel();
    // The stored project's name is taken by a folder with content: the
    // rename fails, and so must the receive.
    QVERIFY(QFile::remove(m_target));
    QVERIFY(QDir().mkpath(m_target + "/inside"));
    ScriptedSender sender;
    sender.write(demoArchive(m_device.port())).close();
    f->model->receiveMode().setWaitHook(
        [&](QMessageBox *) { sender.start(f->model->receiveServer()->serverPort()); });

    QVERIFY(!f->model->receiveAndLoadDesign());
    QVERIFY(QFileInfo(m_target).isDir());
    QVERIFY(!QFileInfo::exists(m_target + "t"));
    QCOMPARE(f->model->scenes()->name(), QString("Old.cpf"));
    QCOMPARE(m_boxes.size(), 1);
    QVERIFY2(m_boxes.first().contains("Cannot replace"), qPrintable(m_boxes.first()));
    QVERIFY(QDir(m_target).removeRecursively());
}

void TestMModelReceive::secondReceiveIsRefused()
{
    auto f = makeModel();
    const QByteArray pushed = demoArchive(m_device.port());
    ScriptedSender sender;
    ITcpServer *pServer = nullptr;
    bool lowerCase = true;
    bool again = true;
    sender.writeInChunks(pushed, 5000)
        .then([&] {
            // The menu is still served during the wait.
            lowerCase = f->model->showMenu("receive...");
            again = f->model->showMenu("Receive...");
            QCOMPARE(f->model->receiveServer(), pServer);
        })
        .close();
    int waits = 0;
    f->model->receiveMode().setWaitHook([&](QMessageBox *) {
        ++waits;
        pServer = f->model->receiveServer();
        sender.start(pServer->serverPort());
    });

    QVERIFY(f->model->showMenu("Receive..."));
    QCOMPARE(waits, 1);
    QVERIFY(!lowerCase);
    QVERIFY(!again);
    QCOMPARE(readAll(m_target), pushed);
    QCOMPARE(f->model->scenes()->name(), QString("Demo.cpf"));
}

void TestMModelReceive::lostConnectionSubscribesAgainAfterCancel()
{
    const int connectionsBefore = m_device.connectionCount();
    auto f = makeModel();
    auto subscriptionsOn = [this](int connection) {
        int count = 0;
        for (const SimulatedVdsDevice::Command &command : m_device.commands()) {
            if (command.connection == connection && command.text.startsWith("SUB \""))
                ++count;
        }
        return count;
    };
    QTRY_VERIFY(m_device.connectionCount() > connectionsBefore);
    const int firstConnection = m_device.connectionCount();
    QTRY_VERIFY_WITH_TIMEOUT(subscriptionsOn(firstConnection) > 0, 10000);

    // During the receive the processor drops the line and is reached
    // again; then the user cancels.
    QPointer<QMessageBox> pBox;
    f->model->receiveMode().setWaitHook([&](QMessageBox *pReceiveBox) {
        pBox = pReceiveBox;
        m_device.dropClients();
    });
    QMetaObject::Connection reconnected =
        connect(&m_device, &SimulatedVdsDevice::clientConnected, this, [&] {
            QTimer::singleShot(300, this, [&] { pressCancel(pBox); });
        });

    QVERIFY(!f->model->receiveAndLoadDesign());
    disconnect(reconnected);
    const int secondConnection = m_device.connectionCount();
    QVERIFY(secondConnection > firstConnection);
    QVERIFY(keptTheOldProject(*f));
    // The panel's values are subscribed again on the new connection.
    QTRY_VERIFY_WITH_TIMEOUT(subscriptionsOn(secondConnection) > 0, 10000);
}

void TestMModelReceive::lossDuringReceiveReachesTheProtocol()
{
    SimulatedVdsDevice device;
    QVERIFY(device.listen());
    m_old = oldArchive(device.port());
    auto f = makeModel();
    QTRY_COMPARE(f->model->interfaces()->connectedCount(), 1);
    auto *pChassis = qobject_cast<HChassis *>(f->model->root()->childAt(0));
    QVERIFY(pChassis && pChassis->protocol());
    QSignalSpy online(pChassis->protocol(), &PProtocol::onlineStateChanged);

    // The processor goes away during the receive and stays away.
    QPointer<QMessageBox> pBox;
    f->model->receiveMode().setWaitHook([&](QMessageBox *pReceiveBox) {
        pBox = pReceiveBox;
        device.stopListening();
        device.dropClients();
    });
    connect(pChassis->transport(), &IInterface::interfaceStateChanged, this, [&](bool isConnected) {
        if (!isConnected)
            QTimer::singleShot(100, this, [&] { pressCancel(pBox); });
    });
    QSignalSpy changed(f->model.get(), &MModel::changedStatusIndicator);

    QVERIFY(!f->model->receiveAndLoadDesign());
    QVERIFY(keptTheOldProject(*f));
    QCOMPARE(changed.size(), 1);
    // Held back while receiving, told once it is over: the panels show the
    // processor off line.
    QCOMPARE(online.size(), 1);
    QCOMPARE(online.first().first().toBool(), false);
    QVERIFY(f->model->getInterfaceProperty("connectInd").toString().endsWith("/indicator_red.png"));
}

VR_TEST_MAIN(TestMModelReceive)
#include "tst_mmodelreceive.moc"
