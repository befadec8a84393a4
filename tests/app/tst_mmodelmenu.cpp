#include "VrTest.h"

#include "MarkingTranslator.h"
#include "ModelFixture.h"
#include "SimulatedVdsDevice.h"
#include "TestDevices.h"
#include "app/DQmlMessageDialog.h"
#include "app/MModel.h"
#include "app/MQmlInterface.h"
#include "controls/VModeManager.h"
#include "comms/IInterface.h"
#include "devices/HChassis.h"
#include "devices/HRoot.h"
#include "project/MProject.h"

#include <QMessageBox>
#include <QSignalSpy>
#include <QTimer>

namespace {

constexpr int Patience = 10000;

// What a modal box showed before the test closed it.
struct ShownBox
{
    bool shown = false;
    QString objectName;
    QVariant title;
    QVariant text;
    QVariant button;
};

// Runs the menu entry with the model's boxes laid over the fixture's view
// item; the first box that opens is read and closed through its own
// "cancel" property, as its QML does.
bool runEntry(ModelFixture &f, const QString &entry, ShownBox *pBox)
{
    VModeManager::instance()->setCanvasItem(&f.viewItem);
    QTimer::singleShot(0, f.model.get(), [pBox] {
        QObject *pItem = VModeManager::instance()->modalItem();
        if (!pItem)
            return;
        pBox->shown = true;
        pBox->objectName = pItem->objectName();
        pBox->title = pItem->property("title");
        pBox->text = pItem->property("text");
        pBox->button = pItem->property("button");
        pItem->setProperty("cancel", true);
    });
    const bool result = f.model->showMenu(entry);
    // Boxes go with deferred deletion.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return result;
}

} // namespace

class TestMModelMenu : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void boxes_data();
    void boxes();
    void unknownEntriesDoNothing_data();
    void unknownEntriesDoNothing();
    void projectInfoNeedsARecord();
    void exitWithoutPinQuits();
    void exitWithPinAsksForIt();
    void exitWithoutInterface();

    void mobileAddressHasItsHeading();
    void networkStatusListsDevicesWithTransports();
    void textsAreTranslatedAsTheModels();
};

void TestMModelMenu::init()
{
    MProject::setExitPin(QString());
}

void TestMModelMenu::cleanup()
{
    MProject::setExitPin(QString());
}

void TestMModelMenu::boxes_data()
{
    QTest::addColumn<QString>("entry");
    QTest::addColumn<QString>("box");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("titled");

    QTest::newRow("IP address") << "IP Address" << "messageDialog" << MModel::addressListText()
                                << true;
    QTest::newRow("network status") << "Network Status..." << "messageDialog"
                                    << "No network information available." << true;
    QTest::newRow("project information") << "Project Information..." << "messageDialog"
                                         << "Facility\nHarbour Hall\n\n" << true;
    QTest::newRow("about") << "About Varolin Remote..." << "" << MQmlInterface::versionText()
                           << false;
}

// Each entry opens its box over the canvas, titled with the entry's text.
void TestMModelMenu::boxes()
{
    QFETCH(QString, entry);
    QFETCH(QString, box);
    QFETCH(QString, text);
    QFETCH(bool, titled);

    ModelFixture f;
    f.model->project()->setFacilityValue(QStringLiteral("name"), QStringLiteral("Harbour Hall"));
    ShownBox shown;
    QVERIFY(runEntry(f, entry, &shown));
    QVERIFY(shown.shown);
    if (!box.isEmpty())
        QCOMPARE(shown.objectName, box);
    QVERIFY(shown.text.toString().startsWith(text));
    if (titled) {
        QCOMPARE(shown.title.toString(), entry);
        QCOMPARE(shown.button.toString(), QStringLiteral("OK"));
    } else {
        // The About box has neither a title nor a button.
        QVERIFY(!shown.title.isValid());
        QVERIFY(!shown.button.isValid());
    }
    QCOMPARE(VModeManager::instance()->modalItem(), nullptr);
}

void TestMModelMenu::unknownEntriesDoNothing_data()
{
    QTest::addColumn<QString>("entry");
    QTest::newRow("empty") << "";
    QTest::newRow("unknown") << "Settings...";
    QTest::newRow("lower case") << "about Varolin Remote...";
    QTest::newRow("word not at the start") << " Network Status...";
}

void TestMModelMenu::unknownEntriesDoNothing()
{
    QFETCH(QString, entry);
    ModelFixture f;
    ShownBox shown;
    QVERIFY(!runEntry(f, entry, &shown));
    QVERIFY(!shown.shown);
}

void TestMModelMenu::projectInfoNeedsARecord()
{
    MModel model; // never initialised: no project record
    QVERIFY(!model.showMenu(QStringLiteral("Project Information...")));
}

void TestMModelMenu::exitWithoutPinQuits()
{
    ModelFixture f;
    QSignalSpy passcode(f.model->getInterface(), &MQmlInterface::showExitPasscodeDialog);
    QVERIFY(f.model->showMenu(QStringLiteral("Exit")));
    QVERIFY(f.model->getInterface()->exitTimer().isActive());
    QCOMPARE(QCoreApplication::exec(), 0);
    QCOMPARE(passcode.count(), 0);
}

void TestMModelMenu::exitWithPinAsksForIt()
{
    ModelFixture f;
    MProject::setExitPin(QStringLiteral("4711"));
    QSignalSpy passcode(f.model->getInterface(), &MQmlInterface::showExitPasscodeDialog);
    QVERIFY(f.model->showMenu(QStringLiteral("Exit")));
    QCOMPARE(passcode.count(), 1);
    QVERIFY(!f.model->getInterface()->exitTimer().isActive());
}

void TestMModelMenu::exitWithoutInterface()
{
    MModel model;
    model.initialize();
    QVERIFY(model.showMenu(QStringLiteral("Exit")));
}

void TestMModelMenu::mobileAddressHasItsHeading()
{
    ModelFixture f;
    QCOMPARE(f.model->mobileIpAddressText(),
             QStringLiteral("Mobile IP Address:\n\n") + MModel::addressListText());
    QCOMPARE(f.model->getInterface()->getMobileIPAddressString(), f.model->mobileIpAddressText());
}

// Only a chassis with a transport is listed, its label followed at once by
// the transport's state.
void TestMModelMenu::networkStatusListsDevicesWithTransports()
{
    ModelFixture f;
    SimulatedVdsDevice device;
    QVERIFY(device.listen());
    HChassis *pMain = TestDevices::addLocalChassis(f.model->root(), QStringLiteral("Main"), device.port());
    f.model->setConnectionsEnabled(true);
    // Joins after connections were turned on: it has no transport.
    TestDevices::addLocalChassis(f.model->root(), QStringLiteral("Late"), device.port());
    QTRY_VERIFY_WITH_TIMEOUT(pMain->transport()->isConnected(), Patience);

    QCOMPARE(f.model->networkStatusText(), QStringLiteral("Main - Online - Running\n\n"));
    QCOMPARE(f.model->getInterface()->getNetworkStatusString(), f.model->networkStatusText());
}

// The menu words, the boxes' texts and the warnings are the model's, in
// its own context: a translation for the model reaches all of them.
void TestMModelMenu::textsAreTranslatedAsTheModels()
{
    MarkingTranslator translator("MModel");
    ModelFixture f;

    ShownBox shown;
    QVERIFY(runEntry(f, QStringLiteral("[Network Status]..."), &shown));
    QVERIFY(shown.shown);
    QCOMPARE(shown.text.toString(), QStringLiteral("[No network information available.]"));
    QCOMPARE(shown.button.toString(), QStringLiteral("[OK]"));
    QVERIFY(!runEntry(f, QStringLiteral("Network Status..."), &shown));
    QVERIFY(f.model->mobileIpAddressText().startsWith(QStringLiteral("[Mobile IP Address:\n\n]")));

    QStringList warnings;
    MModel::setWarningBoxRunner([&warnings](QMessageBox &box) {
        warnings.append(box.windowTitle() + "|" + box.text());
        return int(QMessageBox::Ok);
    });
    f.model->followLink(QStringLiteral("..\\Nowhere"));
    MModel::setWarningBoxRunner(nullptr);
    QCOMPARE(warnings.size(), 1);
    QVERIFY2(warnings.first().startsWith("[Warning]|[Error - No link"), qPrintable(warnings.first()));

    QStringList boxes;
    DQmlMessageDialog::setMessageBoxRunner([&boxes](QMessageBox &box) {
        boxes.append(box.windowTitle());
        return int(QMessageBox::Ok);
    });
    f.model->showReceiveFailure(QStringLiteral("failed"));
    DQmlMessageDialog::setMessageBoxRunner(nullptr);
    QCOMPARE(boxes, QStringList{"[Receive Control Panel...]"});
}

VR_TEST_MAIN(TestMModelMenu)
#include "tst_mmodelmenu.moc"
