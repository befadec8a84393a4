#include "VrTest.h"

#include "ScriptedSender.h"
#include "TestDevices.h"
#include "app/DQmlMessageDialog.h"
#include "app/MConnections.h"
#include "app/MNetworkInfo.h"
#include "app/MReceiveMode.h"
#include "comms/ITcpServer.h"
#include "project/FolderSettings.h"

#include <QAbstractButton>
#include <QDir>
#include <QFile>
#include <QMessageBox>
#include <QSettings>
#include <QSignalSpy>
#include <QTcpServer>

namespace {

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void setDesignsFolder(const QString &folder)
{
    QSettings(FolderSettings::organisation(), FolderSettings::application())
        .setValue(FolderSettings::designsFolderKey(), folder);
}

void pressCancel(QMessageBox *pBox)
{
    if (QAbstractButton *pButton = pBox ? pBox->button(QMessageBox::Cancel) : nullptr)
        pButton->click();
}

// Receive mode over a connection service of its own, listening on
// 127.0.0.1 at a free port, its designs folder in the test's folder.
struct Rig
{
    Rig()
    {
        setDesignsFolder(QDir::current().filePath("designs"));
        connections.setUpPolling(nullptr);
        mode.setPort(0);
        mode.setListenAddress(QHostAddress::LocalHost);
    }

    MConnections connections;
    MReceiveMode mode{connections};
};

} // namespace

class TestMReceiveMode : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void receivedProjectIsStoredThenLoaded();
    void cancelResumesPollingAsItWas_data();
    void cancelResumesPollingAsItWas();
    void failuresShowInTheirBox();

private:
    QStringList m_boxes;
};

void TestMReceiveMode::init()
{
    QDir(QDir::current().filePath("designs")).removeRecursively();
    m_boxes.clear();
    DQmlMessageDialog::setMessageBoxRunner([this](QMessageBox &box) {
        m_boxes.append(box.windowTitle() + "|" + box.text());
        return int(QMessageBox::Ok);
    });
    MNetworkInfo::setAddressSource([] { return QList<QHostAddress>{QHostAddress("192.0.2.7")}; });
}

void TestMReceiveMode::cleanup()
{
    DQmlMessageDialog::setMessageBoxRunner(nullptr);
    MNetworkInfo::setAddressSource(nullptr);
}

// The file goes to the designs folder (made on the way); the project is
// loaded while the reports are still held, and once the receive has ended
// the indicator is announced. Polling stays stopped: bringing the new
// project on line is the loader's.
void TestMReceiveMode::receivedProjectIsStoredThenLoaded()
{
    Rig rig;
    rig.connections.pollingTimer()->start(MConnections::PollingIntervalMs);
    const QByteArray panel = TestDevices::oneFaderPanel();
    ScriptedSender sender;
    sender.writeInChunks(panel, 100).close();
    QString boxTitle;
    QString boxText;
    rig.mode.setWaitHook([&](QMessageBox *pBox) {
        boxTitle = pBox ? pBox->windowTitle() : QString();
        boxText = pBox ? pBox->text() : QString();
        QVERIFY(!rig.connections.pollingTimer()->isActive());
        sender.start(rig.mode.receiveServer()->serverPort());
    });
    QSignalSpy announced(&rig.connections, &MConnections::changedStatusIndicator);
    int loads = 0;
    const QString target = rig.mode.receivedDesignPath(false);

    QVERIFY(rig.mode.receiveAndLoad([&] {
        ++loads;
        QVERIFY(rig.mode.isReceiving());
        QVERIFY(rig.connections.isHoldingReports());
        QCOMPARE(readAll(target), panel);
        QCOMPARE(announced.size(), 0);
    }));
    QCOMPARE(loads, 1);
    QCOMPARE(boxTitle, QString("Receive Control Panel..."));
    QCOMPARE(boxText, QString("Mobile IP Address:\n\n192.0.2.7\n"));
    QCOMPARE(target, QDir::current().filePath("designs") + "/download.cpn");
    QVERIFY(!rig.mode.isReceiving());
    QVERIFY(!rig.connections.isHoldingReports());
    QCOMPARE(announced.size(), 1);
    QCOMPARE(rig.mode.receiveServer(), nullptr);
    QVERIFY(!rig.connections.pollingTimer()->isActive());
    QVERIFY2(m_boxes.isEmpty(), qPrintable(m_boxes.join('\n')));
}

void TestMReceiveMode::cancelResumesPollingAsItWas_data()
{
    QTest::addColumn<bool>("polling");
    QTest::addColumn<bool>("portTaken");
    QTest::newRow("polling before") << true << false;
    QTest::newRow("stopped before") << false << false;
    // Another program listens on the port: no box, no wait.
    QTest::newRow("port in use") << true << true;
}

// Nothing is loaded; polling is as it was before the receive.
void TestMReceiveMode::cancelResumesPollingAsItWas()
{
    QFETCH(bool, polling);
    QFETCH(bool, portTaken);
    Rig rig;
    QTcpServer other;
    if (portTaken) {
        QVERIFY(other.listen(QHostAddress::LocalHost, 0));
        rig.mode.setPort(other.serverPort());
        QTest::ignoreMessage(QtWarningMsg, "Failed to open receive mode server.");
    }
    if (polling)
        rig.connections.pollingTimer()->start(MConnections::PollingIntervalMs);
    bool waited = false;
    rig.mode.setWaitHook([&waited](QMessageBox *pBox) {
        waited = true;
        pressCancel(pBox);
    });
    QSignalSpy announced(&rig.connections, &MConnections::changedStatusIndicator);
    int loads = 0;

    QVERIFY(!rig.mode.receiveAndLoad([&] { ++loads; }));
    QCOMPARE(waited, !portTaken);
    QCOMPARE(rig.mode.receiveServer(), nullptr);
    QCOMPARE(loads, 0);
    QCOMPARE(rig.connections.pollingTimer()->isActive(), polling);
    QVERIFY(rig.connections.isPollingActive());
    QCOMPARE(announced.size(), 1);
    QVERIFY(!QFile::exists(rig.mode.receivedDesignPath(false)));
    QVERIFY(m_boxes.isEmpty());
}

// A designs folder that cannot be made fails before anything listens; the
// failure box carries the text and the advice.
void TestMReceiveMode::failuresShowInTheirBox()
{
    Rig rig;
    QFile blocker(QDir::current().filePath("blocker-file"));
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    setDesignsFolder(blocker.fileName() + "/designs");
    bool waited = false;
    rig.mode.setWaitHook([&](QMessageBox *) { waited = true; });

    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("^Receive Mode Failure: Cannot create the folder"));
    QVERIFY(!rig.mode.receiveDesign());
    QVERIFY(!waited);
    QCOMPARE(rig.mode.receiveServer(), nullptr);
    QCOMPARE(m_boxes.size(), 1);
    QVERIFY2(m_boxes.first().startsWith("Receive Control Panel...|Receive Mode Failure: Cannot create the folder"),
             qPrintable(m_boxes.first()));
    QVERIFY(m_boxes.first().endsWith("\n\nTry both re-installing and running this application with "
                                     "Administrator priveleges."));
}

VR_TEST_MAIN(TestMReceiveMode)
#include "tst_mreceivemode.moc"
