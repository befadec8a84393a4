#include "VrTest.h"

#include "DashboardRig.h"
#include "devicestatus/DeviceStatusSettings.h"

#include <QDateTime>
#include <QPointer>
#include <QRegularExpression>
#include <QSettings>
#include <QSignalSpy>

namespace {

constexpr int Patience = 15000;

const QRegularExpression kLastUpdated(
    QStringLiteral("^Last updated at: \\d\\d [A-Z][a-z]{2} \\d{4} \\d\\d:\\d\\d (AM|PM)$"));

QString textOf(QQuickItem *pItem)
{
    return pItem ? pItem->property("text").toString() : QString();
}

// The rows the QML list shows: "title|state" each, top to bottom.
QStringList shownRows(const DashboardRig &rig)
{
    QList<QQuickItem *> rows = rig.findAll(QStringLiteral("deviceRow"));
    std::sort(rows.begin(), rows.end(),
              [](QQuickItem *pA, QQuickItem *pB) { return pA->y() < pB->y(); });
    QStringList texts;
    for (QQuickItem *pRow : std::as_const(rows)) {
        if (!pRow->isVisible())
            continue;
        texts.append(textOf(rig.find(QStringLiteral("deviceTitle"), pRow)) + QLatin1Char('|')
                     + textOf(rig.find(QStringLiteral("deviceState"), pRow)));
    }
    return texts;
}

QQuickItem *rowOf(const DashboardRig &rig, const QString &title)
{
    for (QQuickItem *pRow : rig.findAll(QStringLiteral("deviceRow"))) {
        if (textOf(rig.find(QStringLiteral("deviceTitle"), pRow)) == title)
            return pRow;
    }
    return nullptr;
}

// The feature rows an open device row shows, by name.
QStringList featureNames(const DashboardRig &rig, QQuickItem *pRow)
{
    QStringList names;
    for (QQuickItem *pName : rig.findShown(QStringLiteral("featureName"), pRow))
        names.append(textOf(pName));
    return names;
}

bool clickItem(const DashboardRig &rig, const QString &name, QQuickItem *pBelow = nullptr)
{
    QQuickItem *pItem = rig.find(name, pBelow);
    if (!pItem)
        return false;
    // The mouse areas of the rows take the click where the operator would.
    const QPointF centre = pItem->mapToScene(QPointF(pItem->width() / 2, pItem->height() / 2));
    QTest::mouseClick(const_cast<QQuickWindow *>(&rig.window), Qt::LeftButton, Qt::NoModifier,
                      centre.toPoint());
    return true;
}

} // namespace

class TestDQmlDeviceStatusDialog : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void refreshOfArrayAndAmplifiers();
    void silentAndZeroModuleDevicesComplete();
    void lastGuardMarksSilentDevicesUnreachable();
    void closeDuringRefreshThenReopen();
    void doModalWhileShownRefreshesOpenView();
    void emptyListShowsNothingAndRefreshCompletes();
    void completionStampsItsTime();
    void loadFailureRunsClosePath();
    void refreshWithoutViewDoesNothing();
    void refreshDeferredWhileRunning();
    void refreshDeferredWhilePopupOpen();
    void pollingSwitchUnderItsKey();
    void pollingSwitchStartsTheTimer_data();
    void pollingSwitchStartsTheTimer();
    void arrayRebootThroughPopup();
    void amplifierRebootRefreshesLater();
    void rebootOfUnlistedDeviceDoesNothing();
    void closingStopsRebootRefresh();
    void closingForgetsTheRebootPopup();
    void quittingCloses();
};

void TestDQmlDeviceStatusDialog::init()
{
    QSettings(DeviceStatusSettings::organisation(), DeviceStatusSettings::application()).clear();
}

// One array and two amplifiers: each row shows as its device reports, and
// the refresh completes with the time it did.
void TestDQmlDeviceStatusDialog::refreshOfArrayAndAmplifiers()
{
    SimulatedVentraArray array;
    QVERIFY(array.listen());
    SimulatedArxAmplifier amplifier;
    amplifier.setInputCount(2);
    amplifier.setOutputCount(4);
    // A healthy power supply: a clean amplifier ends "Connected".
    amplifier.setMains(0);
    amplifier.startFeed(20);
    IArxAddress::setPort(amplifier.port());

    DashboardRig rig;
    DeviceStatusInterfaceObject *pArray = rig.statusOf(rig.addArray(QStringLiteral("Array"), array.port()));
    HChassis *pChassis1 = rig.addAmplifier(QStringLiteral("Amp One"));
    HChassis *pChassis2 = rig.addAmplifier(QStringLiteral("Amp Two"));
    QTRY_VERIFY_WITH_TIMEOUT(DashboardRig::hasReadings(pChassis1) && DashboardRig::hasReadings(pChassis2),
                             Patience);
    DeviceStatusInterfaceObject *pAmp1 = rig.statusOf(pChassis1);
    DeviceStatusInterfaceObject *pAmp2 = rig.statusOf(pChassis2);
    QSignalSpy completed(&rig.dialog, &DQmlDeviceStatusDialog::deviceListReloadingCompleted);
    QSignalSpy timeChanged(&rig.dialog, &DQmlDeviceStatusDialog::lastUpdatedTimeChanged);

    QTest::ignoreMessage(QtDebugMsg, "Device Status Dialog DoModal called.");
    QCOMPARE(rig.dialog.DoModal({pArray, pAmp1, pAmp2}), 1);
    QVERIFY(rig.dialog.isShown());
    QCOMPARE(VModeManager::instance()->modalItem(), rig.dialog.viewItem());
    QCOMPARE(rig.view()->parentItem(), rig.pCanvas);
    QVERIFY(rig.dialog.isReloading());
    QVERIFY(rig.find(QStringLiteral("refreshSpinner"))->isVisible());
    QCOMPARE(textOf(rig.find(QStringLiteral("lastUpdatedText"))), QString());

    QVERIFY(completed.wait(Patience));
    QCOMPARE(completed.count(), 1);
    QCOMPARE(timeChanged.count(), 1);
    QVERIFY(!rig.dialog.isReloading());
    QVERIFY2(kLastUpdated.match(rig.dialog.lastUpdatedTime()).hasMatch(),
             qPrintable(rig.dialog.lastUpdatedTime()));
    QCOMPARE(textOf(rig.find(QStringLiteral("lastUpdatedText"))), rig.dialog.lastUpdatedTime());
    QTRY_VERIFY(!rig.find(QStringLiteral("refreshSpinner"))->isVisible());
    QCOMPARE(rig.dialog.answeredCount(), 0);

    // The array is shown first; its tab counts one device, the amplifiers'
    // two.
    QTRY_COMPARE(shownRows(rig), QStringList{QStringLiteral("Array|Connected")});
    QCOMPARE(textOf(rig.find(QStringLiteral("kindCount"), rig.find(QStringLiteral("ventraTab")))),
             QStringLiteral("1"));
    QCOMPARE(textOf(rig.find(QStringLiteral("kindCount"), rig.find(QStringLiteral("arxTab")))),
             QStringLiteral("2"));
    QCOMPARE(textOf(rig.find(QStringLiteral("deviceSubtitle"), rowOf(rig, QStringLiteral("Array")))),
             QStringLiteral("127.0.0.1   Module Count: 3"));
    QCOMPARE(textOf(rig.find(QStringLiteral("legendText"), rig.find(QStringLiteral("arxTab")))),
             QStringLiteral("Connected: 2"));

    // Opening the array's row shows its rows in their order.
    QVERIFY(clickItem(rig, QStringLiteral("expandArea"), rowOf(rig, QStringLiteral("Array"))));
    QTRY_VERIFY(pArray->isExpanded());
    QTRY_VERIFY(!featureNames(rig, rowOf(rig, QStringLiteral("Array"))).isEmpty());
    const QStringList arrayRows = featureNames(rig, rowOf(rig, QStringLiteral("Array")));
    QCOMPARE(arrayRows.value(0), QStringLiteral("Firmware Version"));
    QVERIFY2(arrayRows.contains(QStringLiteral("Module 3 Temperature")), qPrintable(arrayRows.join(',')));
    QVERIFY(arrayRows.contains(QStringLiteral("Standby Status")));
    QCOMPARE(arrayRows.last(), QStringLiteral("Driver Faults"));

    // The amplifiers' tab lists both, each with its rows.
    QVERIFY(clickItem(rig, QStringLiteral("arxTab")));
    QTRY_COMPARE(shownRows(rig).size(), 2);
    QVERIFY(shownRows(rig).contains(QStringLiteral("Amp One|Connected")));
    QVERIFY(shownRows(rig).contains(QStringLiteral("Amp Two|Connected")));
    QVERIFY(clickItem(rig, QStringLiteral("expandArea"), rowOf(rig, QStringLiteral("Amp Two"))));
    QTRY_VERIFY(!featureNames(rig, rowOf(rig, QStringLiteral("Amp Two"))).isEmpty());
    const QStringList ampRows = featureNames(rig, rowOf(rig, QStringLiteral("Amp Two")));
    QCOMPARE(ampRows.value(0), QStringLiteral("Standby Status"));
    QVERIFY2(ampRows.contains(QStringLiteral("Output Channel: 4")), qPrintable(ampRows.join(',')));

    // The close button ends it all.
    QVERIFY(DashboardRig::click(rig.find(QStringLiteral("closeButton"))));
    QVERIFY(!rig.dialog.isShown());
    QCOMPARE(VModeManager::instance()->modalItem(), nullptr);
    QVERIFY(rig.dialog.devices().isEmpty());
}

// An array that never answers, one that reports no modules and one whose
// count is no number: each ends in its state and the refresh completes.
void TestDQmlDeviceStatusDialog::silentAndZeroModuleDevicesComplete()
{
    SimulatedVentraArray silent;
    QVERIFY(silent.listen());
    silent.addFault(QByteArray(), SimulatedVentraArray::Fault(SimulatedVentraArray::Fault::Silence));
    SimulatedVentraArray empty;
    QVERIFY(empty.listen());
    empty.setModuleCount("0");
    SimulatedVentraArray garbled;
    QVERIFY(garbled.listen());
    garbled.setModuleCount("x");

    DashboardRig rig;
    const QList<DeviceStatusInterfaceObject *> devices = {
        rig.statusOf(rig.addArray(QStringLiteral("Silent"), silent.port())),
        rig.statusOf(rig.addArray(QStringLiteral("Empty"), empty.port())),
        rig.statusOf(rig.addArray(QStringLiteral("Garbled"), garbled.port())),
    };
    QSignalSpy completed(&rig.dialog, &DQmlDeviceStatusDialog::deviceListReloadingCompleted);
    rig.dialog.DoModal(devices);
    QVERIFY(completed.wait(Patience));
    // Completed by the devices themselves, well before the last guard.
    QVERIFY(rig.dialog.refreshRound().guardTimer().interval() == DeviceStatusRefreshRound::GuardMs);
    QTRY_COMPARE(shownRows(rig).size(), 3);
    QVERIFY(shownRows(rig).contains(QStringLiteral("Silent|Device Unreachable")));
    QVERIFY(shownRows(rig).contains(QStringLiteral("Empty|Unknown Status")));
    QVERIFY(shownRows(rig).contains(QStringLiteral("Garbled|Unknown Status")));
    QCOMPARE(completed.count(), 1);
    QVERIFY(kLastUpdated.match(rig.dialog.lastUpdatedTime()).hasMatch());
}

// Answers that come later than the last guard: the device still silent is
// shown unreachable, the refresh completes, and the late answers change
// nothing.
void TestDQmlDeviceStatusDialog::lastGuardMarksSilentDevicesUnreachable()
{
    SimulatedVentraArray slow;
    QVERIFY(slow.listen());
    // Every answer just within the transport's patience, so the device
    // itself never gives up, but its many steps outlast the guard.
    slow.addFault(QByteArray(), SimulatedVentraArray::Fault(SimulatedVentraArray::Fault::Late, -1, 150));

    DashboardRig rig;
    DeviceStatusInterfaceObject *pSlow = rig.statusOf(rig.addArray(QStringLiteral("Slow"), slow.port()));
    QSignalSpy completed(&rig.dialog, &DQmlDeviceStatusDialog::deviceListReloadingCompleted);
    QCOMPARE(rig.dialog.refreshRound().guardTimer().interval(), 30000);
    rig.dialog.refreshRound().guardTimer().setInterval(250);
    rig.dialog.DoModal({pSlow});

    QVERIFY(completed.wait(Patience));
    QCOMPARE(pSlow->networkState(), 2);
    QTRY_COMPARE(shownRows(rig), QStringList{QStringLiteral("Slow|Device Unreachable")});
    QVERIFY(!rig.dialog.isReloading());
    QVERIFY(kLastUpdated.match(rig.dialog.lastUpdatedTime()).hasMatch());
    // The late answers reach nobody.
    QTRY_COMPARE_WITH_TIMEOUT(slow.answersPending(), 0, Patience);
    QVERIFY(!completed.wait(300));
    QCOMPARE(pSlow->networkState(), 2);
    QCOMPARE(completed.count(), 1);
}

// Closed with answers still on their way: the dashboard is idle at once,
// without telling the view that has gone; opened again on a new list it
// refreshes that list.
void TestDQmlDeviceStatusDialog::closeDuringRefreshThenReopen()
{
    SimulatedVentraArray array;
    QVERIFY(array.listen());
    array.addFault(QByteArray(), SimulatedVentraArray::Fault(SimulatedVentraArray::Fault::Late, -1, 150));

    DashboardRig rig;
    HChassis *pChassis = rig.addArray(QStringLiteral("Array"), array.port());
    const QPointer<DeviceStatusInterfaceObject> pFirst = rig.statusOf(pChassis);
    rig.dialog.DoModal({pFirst});
    QVERIFY(rig.dialog.isReloading());
    QTRY_VERIFY(array.datagramCount("ARRAY") > 0);
    const QPointer<QObject> pView = rig.dialog.viewItem();
    QSignalSpy reloading(&rig.dialog, &DQmlDeviceStatusDialog::isReloadingChanged);
    rig.dialog.closeDeviceStatusDialog();
    QVERIFY(!rig.dialog.isReloading());
    QCOMPARE(reloading.count(), 0);
    QTRY_VERIFY(!pView);
    QTRY_COMPARE_WITH_TIMEOUT(array.answersPending(), 0, Patience);
    QCOMPARE(rig.dialog.answeredCount(), 0);

    // A new list, as the model makes one: the old object goes.
    array.clearFaults();
    DeviceStatusInterfaceObject *pSecond = rig.statusOf(pChassis);
    delete pFirst.data();
    QSignalSpy completed(&rig.dialog, &DQmlDeviceStatusDialog::deviceListReloadingCompleted);
    rig.dialog.DoModal({pSecond});
    QVERIFY(completed.wait(Patience));
    QCOMPARE(pSecond->networkState(), 7);
    QTRY_COMPARE(shownRows(rig), QStringList{QStringLiteral("Array|Connected")});
}

// The menu entry chosen again while the dashboard is open: the same view
// takes the new list.
void TestDQmlDeviceStatusDialog::doModalWhileShownRefreshesOpenView()
{
    SimulatedVentraArray array;
    QVERIFY(array.listen());
    DashboardRig rig;
    HChassis *pChassis = rig.addArray(QStringLiteral("Array"), array.port());
    QSignalSpy completed(&rig.dialog, &DQmlDeviceStatusDialog::deviceListReloadingCompleted);
    rig.dialog.DoModal({rig.statusOf(pChassis)});
    QVERIFY(completed.wait(Patience));
    QObject *pView = rig.dialog.viewItem();

    HChassis *pOther = rig.addArray(QStringLiteral("Second"), array.port());
    DeviceStatusInterfaceObject *pNew = rig.statusOf(pOther);
    QCOMPARE(rig.dialog.DoModal({rig.statusOf(pChassis), pNew}), 1);
    QCOMPARE(rig.dialog.viewItem(), pView);
    QCOMPARE(rig.findAll(QStringLiteral("deviceStatusRootView"), rig.pCanvas).size(), 1);
    QVERIFY(rig.dialog.isReloading());
    QVERIFY(completed.wait(Patience));
    QTRY_COMPARE(shownRows(rig).size(), 2);
    QVERIFY(shownRows(rig).contains(QStringLiteral("Second|Connected")));
}

void TestDQmlDeviceStatusDialog::emptyListShowsNothingAndRefreshCompletes()
{
    DashboardRig rig;
    QSignalSpy completed(&rig.dialog, &DQmlDeviceStatusDialog::deviceListReloadingCompleted);
    QCOMPARE(rig.dialog.DoModal({}), 1);
    QVERIFY(rig.dialog.isShown());
    QVERIFY(!rig.dialog.isReloading());
    QCOMPARE(completed.count(), 0);
    QCOMPARE(rig.dialog.lastUpdatedTime(), QString());
    QVERIFY(rig.find(QStringLiteral("noDevicesText"))->isVisible());
    QVERIFY(shownRows(rig).isEmpty());

    // Nothing to wait for: the refresh button's refresh completes at once.
    QVERIFY(DashboardRig::click(rig.find(QStringLiteral("refreshButton"))));
    QCOMPARE(completed.count(), 1);
    QVERIFY(!rig.dialog.isReloading());
    QVERIFY(kLastUpdated.match(rig.dialog.lastUpdatedTime()).hasMatch());
}

// A completed refresh says when, on a twelve-hour clock, and then that it
// is over: the time, the spinner, the completion, in that order.
void TestDQmlDeviceStatusDialog::completionStampsItsTime()
{
    DashboardRig rig;
    QCOMPARE(DQmlDeviceStatusDialog::lastUpdatedFormat(), QStringLiteral("dd MMM yyyy hh:mm AP"));
    rig.dialog.DoModal({});
    QStringList heard;
    connect(&rig.dialog, &DQmlDeviceStatusDialog::lastUpdatedTimeChanged, this,
            [&heard]() { heard << QStringLiteral("time"); });
    connect(&rig.dialog, &DQmlDeviceStatusDialog::isReloadingChanged, this,
            [&heard]() { heard << QStringLiteral("reloading"); });
    connect(&rig.dialog, &DQmlDeviceStatusDialog::deviceListReloadingCompleted, this,
            [&heard]() { heard << QStringLiteral("completed"); });
    const QDateTime before = QDateTime::currentDateTime();
    rig.dialog.refreshDataNow();
    const QDateTime after = QDateTime::currentDateTime();
    QCOMPARE(heard, (QStringList{"reloading", "time", "reloading", "completed"}));
    const QString format = QStringLiteral("dd MMM yyyy hh:mm AP");
    const QStringList expected = {"Last updated at: " + before.toString(format),
                                  "Last updated at: " + after.toString(format)};
    QVERIFY2(expected.contains(rig.dialog.lastUpdatedTime()), qPrintable(rig.dialog.lastUpdatedTime()));
}

// A root view that cannot be made: nothing is shown and nobody asked.
void TestDQmlDeviceStatusDialog::loadFailureRunsClosePath()
{
    SimulatedVentraArray array;
    QVERIFY(array.listen());
    DashboardRig rig;
    DeviceStatusInterfaceObject *pDevice = rig.statusOf(rig.addArray(QStringLiteral("Array"), array.port()));
    rig.dialog.setQmlFile(QStringLiteral("qrc:/qml/objects/deviceStatusObjects/NoSuchView.qml"));
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("^Error loading component:")));
    QCOMPARE(rig.dialog.DoModal({pDevice}), 1);
    QVERIFY(!rig.dialog.isShown());
    QVERIFY(!rig.dialog.isReloading());
    QVERIFY(rig.dialog.devices().isEmpty());
    QVERIFY(!rig.dialog.refreshRound().isRunning());
    QCOMPARE(VModeManager::instance()->modalItem(), nullptr);

    // Without a context there is no view either.
    rig.dialog.setQmlFile(DashboardRig::rootViewQml());
    rig.dialog.setContext(nullptr);
    rig.dialog.DoModal({pDevice});
    QVERIFY(!rig.dialog.isShown());
    QVERIFY(!rig.dialog.isReloading());
    QCOMPARE(array.datagramCount(), 0);
}

void TestDQmlDeviceStatusDialog::refreshWithoutViewDoesNothing()
{
    DashboardRig rig;
    QSignalSpy reloading(&rig.dialog, &DQmlDeviceStatusDialog::isReloadingChanged);
    QSignalSpy completed(&rig.dialog, &DQmlDeviceStatusDialog::deviceListReloadingCompleted);
    rig.dialog.refreshDataNow();
    rig.dialog.onPollingTimerDispatch();
    QCOMPARE(reloading.count(), 0);
    QCOMPARE(completed.count(), 0);
    QVERIFY(rig.dialog.lastUpdatedTime().isEmpty());
}

// A refresh asked while one runs does nothing but, with the switch on,
// start the 10 s timer; the running one completes once.
void TestDQmlDeviceStatusDialog::refreshDeferredWhileRunning()
{
    SimulatedVentraArray array;
    QVERIFY(array.listen());
    array.addFault(QByteArray(), SimulatedVentraArray::Fault(SimulatedVentraArray::Fault::Late, -1, 100));
    DashboardRig rig;
    DeviceStatusInterfaceObject *pDevice = rig.statusOf(rig.addArray(QStringLiteral("Array"), array.port()));
    QSignalSpy completed(&rig.dialog, &DQmlDeviceStatusDialog::deviceListReloadingCompleted);
    rig.dialog.DoModal({pDevice});
    QTRY_COMPARE(array.datagramCount("ARRAY"), 1);

    rig.dialog.refreshDataNow();
    QVERIFY(rig.dialog.isReloading());
    QVERIFY(!rig.dialog.pollingTimer().isActive());
    rig.dialog.setPollingSwitchState(true);
    QVERIFY(rig.dialog.pollingTimer().isActive());
    rig.dialog.refreshDataNow();
    QVERIFY(rig.dialog.pollingTimer().isActive());
    QCOMPARE(rig.dialog.pollingTimer().interval(), 10000);
    QCOMPARE(array.datagramCount("ARRAY"), 1);

    QVERIFY(completed.wait(Patience));
    QCOMPARE(completed.count(), 1);
    QCOMPARE(array.datagramCount("ARRAY"), 1);
    // With the switch on, the completed refresh starts the next one's timer.
    QVERIFY(rig.dialog.pollingTimer().isActive());
}

// While the reboot pop-up is open the timer keeps being restarted and no
// refresh starts; the first timeout after it closed refreshes.
void TestDQmlDeviceStatusDialog::refreshDeferredWhilePopupOpen()
{
    SimulatedVentraArray array;
    QVERIFY(array.listen());
    DashboardRig rig;
    DeviceStatusInterfaceObject *pDevice = rig.statusOf(rig.addArray(QStringLiteral("Array"), array.port()));
    QSignalSpy completed(&rig.dialog, &DQmlDeviceStatusDialog::deviceListReloadingCompleted);
    rig.dialog.DoModal({pDevice});
    QVERIFY(completed.wait(Patience));

    // The row's reboot button opens the pop-up, which tells the dialog.
    QSignalSpy popupChanged(&rig.dialog, &DQmlDeviceStatusDialog::isRebootDialogOpenChanged);
    QTRY_VERIFY(rowOf(rig, QStringLiteral("Array")));
    QVERIFY(DashboardRig::click(rig.find(QStringLiteral("rebootButton"), rowOf(rig, QStringLiteral("Array")))));
    QVERIFY(rig.dialog.property("isRebootDialogOpen").toBool());
    QCOMPARE(popupChanged.count(), 1);
    QVERIFY(rig.find(QStringLiteral("rebootPopup"))->isVisible());

    rig.dialog.pollingTimer().setInterval(50);
    rig.dialog.refreshDataNow();
    QVERIFY(!rig.dialog.isReloading());
    QVERIFY(rig.dialog.pollingTimer().isActive());
    // Its timeouts keep finding the pop-up open.
    QSignalSpy timeouts(&rig.dialog.pollingTimer(), &QTimer::timeout);
    QTRY_VERIFY(timeouts.count() >= 3);
    QVERIFY(!rig.dialog.isReloading());
    QCOMPARE(array.datagramCount("ARRAY"), 1);

    QVERIFY(DashboardRig::click(rig.find(QStringLiteral("rebootCancelButton"))));
    QVERIFY(!rig.dialog.property("isRebootDialogOpen").toBool());
    QTRY_COMPARE(array.datagramCount("ARRAY"), 2);
    QVERIFY(completed.wait(Patience));
    // The switch is off: nothing more.
    QVERIFY(!rig.dialog.pollingTimer().isActive());
}

void TestDQmlDeviceStatusDialog::pollingSwitchUnderItsKey()
{
    DashboardRig rig;
    QSettings store(QStringLiteral("Halvern"), QStringLiteral("Varolin Remote"));
    QVERIFY(!store.contains(QStringLiteral("healthDashboardollingEnabled")));
    QVERIFY(!rig.dialog.getCurrentPollingSwitchState());

    rig.dialog.setPollingSwitchState(true);
    store.sync();
    QCOMPARE(store.value(QStringLiteral("healthDashboardollingEnabled")).toBool(), true);
    QVERIFY(rig.dialog.pollingTimer().isActive());
    QVERIFY(rig.dialog.pollingTimer().isSingleShot());

    rig.dialog.setPollingSwitchState(false);
    store.sync();
    QCOMPARE(store.value(QStringLiteral("healthDashboardollingEnabled")).toBool(), false);
    QVERIFY(!rig.dialog.getCurrentPollingSwitchState());

    store.setValue(QStringLiteral("healthDashboardollingEnabled"), true);
    store.sync();
    QVERIFY(rig.dialog.getCurrentPollingSwitchState());
}

void TestDQmlDeviceStatusDialog::pollingSwitchStartsTheTimer_data()
{
    QTest::addColumn<bool>("running");
    QTest::addColumn<bool>("enabled");
    QTest::addColumn<bool>("active");
    QTest::newRow("switched on") << false << true << true;
    QTest::newRow("switched off") << false << false << false;
    // Nothing stops a refresh already timed; the next is not.
    QTest::newRow("switched off while timed") << true << false << true;
}

// Switched on, the next refresh is 10 s away; switched off, none comes.
void TestDQmlDeviceStatusDialog::pollingSwitchStartsTheTimer()
{
    QFETCH(bool, running);
    QFETCH(bool, enabled);
    QFETCH(bool, active);
    DashboardRig rig;
    if (running)
        rig.dialog.pollingTimer().start();
    QVERIFY(rig.dialog.pollingTimer().isActive() == running);
    rig.dialog.setPollingSwitchState(enabled);
    QCOMPARE(rig.dialog.pollingTimer().isActive(), active);
    QCOMPARE(rig.dialog.pollingTimer().interval(), 10000);
}

// The array's reboot from its row: the pop-up asks, the array is sent its
// reboot command, the pop-up says so and closes 2 s later, and the
// dashboard looks at the array again 6 s after its answer.
void TestDQmlDeviceStatusDialog::arrayRebootThroughPopup()
{
    SimulatedVentraArray array;
    QVERIFY(array.listen());
    DashboardRig rig;
    DeviceStatusInterfaceObject *pDevice = rig.statusOf(rig.addArray(QStringLiteral("Array"), array.port()));
    QSignalSpy completed(&rig.dialog, &DQmlDeviceStatusDialog::deviceListReloadingCompleted);
    rig.dialog.DoModal({pDevice});
    QVERIFY(completed.wait(Patience));
    QSignalSpy rebooted(&rig.dialog, &DQmlDeviceStatusDialog::deviceRebootedSuccessfully);
    QSignalSpy failed(&rig.dialog, &DQmlDeviceStatusDialog::deviceRebootingFailed);

    QTRY_VERIFY(rowOf(rig, QStringLiteral("Array")));
    QVERIFY(DashboardRig::click(rig.find(QStringLiteral("rebootButton"), rowOf(rig, QStringLiteral("Array")))));
    QCOMPARE(textOf(rig.find(QStringLiteral("rebootTitle"))), QStringLiteral("Reboot Array"));
    // Timed from the answer itself, not from when the wait saw it.
    QElapsedTimer sinceAnswer;
    connect(&rig.dialog, &DQmlDeviceStatusDialog::deviceRebootedSuccessfully, this,
            [&sinceAnswer]() { sinceAnswer.start(); });
    QVERIFY(DashboardRig::click(rig.find(QStringLiteral("rebootConfirmButton"))));
    QVERIFY(rebooted.wait(Patience));
    QCOMPARE(failed.count(), 0);
    QCOMPARE(array.datagramCount("REBOOT"), 1);
    QCOMPARE(textOf(rig.find(QStringLiteral("rebootText"))), QStringLiteral("The device is rebooting."));
    QVERIFY(rig.dialog.rebootRefreshTimer().isActive());
    QCOMPARE(rig.dialog.rebootRefreshTimer().interval(), 6000);

    QTRY_VERIFY_WITH_TIMEOUT(!rig.find(QStringLiteral("rebootPopup"))->isVisible(), 4000);
    // Timers may fire a little early (coarse timers by up to 5 %).
    QVERIFY(sinceAnswer.elapsed() >= 1800);
    QVERIFY(!rig.dialog.property("isRebootDialogOpen").toBool());
    QCOMPARE(array.datagramCount("ARRAY"), 1);
    QTRY_COMPARE_WITH_TIMEOUT(array.datagramCount("ARRAY"), 2, 9000);
    QVERIFY2(sinceAnswer.elapsed() >= 5600, qPrintable(QString::number(sinceAnswer.elapsed())));
    QVERIFY(completed.wait(Patience));
}

// The amplifier's reboot is its standby cycle; the answer comes with the
// second write and is followed by a refresh 6 s later.
void TestDQmlDeviceStatusDialog::amplifierRebootRefreshesLater()
{
    SimulatedArxAmplifier amplifier;
    amplifier.setInputCount(2);
    amplifier.setOutputCount(4);
    amplifier.startFeed(20);
    IArxAddress::setPort(amplifier.port());
    DashboardRig rig;
    HChassis *pChassis = rig.addAmplifier(QStringLiteral("Amp"));
    QTRY_VERIFY_WITH_TIMEOUT(DashboardRig::hasReadings(pChassis), Patience);
    DeviceStatusInterfaceObject *pDevice = rig.statusOf(pChassis);
    QSignalSpy completed(&rig.dialog, &DQmlDeviceStatusDialog::deviceListReloadingCompleted);
    rig.dialog.DoModal({pDevice});
    QVERIFY(completed.wait(Patience));
    QSignalSpy rebooted(&rig.dialog, &DQmlDeviceStatusDialog::deviceRebootedSuccessfully);

    const int writesBefore = amplifier.writeCount();
    QVERIFY(rig.dialog.rebootDevice(pDevice));
    QVERIFY(rebooted.wait(Patience));
    QCOMPARE(amplifier.writeCount(), writesBefore + 2);
    const int readsAfterAnswer = amplifier.readCount();
    QVERIFY(rig.dialog.rebootRefreshTimer().isActive());
    QVERIFY(completed.wait(Patience));
    QVERIFY(amplifier.readCount() > readsAfterAnswer);
    QCOMPARE(completed.count(), 2);
}

void TestDQmlDeviceStatusDialog::rebootOfUnlistedDeviceDoesNothing()
{
    SimulatedVentraArray array;
    QVERIFY(array.listen());
    DashboardRig rig;
    HChassis *pChassis = rig.addArray(QStringLiteral("Array"), array.port());
    DeviceStatusInterfaceObject *pListed = rig.statusOf(pChassis);
    DeviceStatusInterfaceObject *pStranger = rig.statusOf(pChassis);
    QSignalSpy completed(&rig.dialog, &DQmlDeviceStatusDialog::deviceListReloadingCompleted);
    rig.dialog.DoModal({pListed});
    QVERIFY(completed.wait(Patience));
    QSignalSpy rebooted(&rig.dialog, &DQmlDeviceStatusDialog::deviceRebootedSuccessfully);
    QSignalSpy failed(&rig.dialog, &DQmlDeviceStatusDialog::deviceRebootingFailed);

    QVERIFY(!rig.dialog.rebootDevice(nullptr));
    QVERIFY(!rig.dialog.rebootDevice(pStranger));
    QVERIFY(!rig.dialog.rebootRefreshTimer().isActive());
    QCOMPARE(rebooted.count() + failed.count(), 0);
    QCOMPARE(array.datagramCount("REBOOT"), 0);

    // The pop-up does not wait for an answer that cannot come.
    QVERIFY(QMetaObject::invokeMethod(rig.find(QStringLiteral("rebootPopup")), "ask",
                                      Q_ARG(QVariant, QVariant::fromValue<QObject *>(nullptr)),
                                      Q_ARG(QVariant, QStringLiteral("Gone"))));
    QVERIFY(rig.dialog.property("isRebootDialogOpen").toBool());
    QVERIFY(DashboardRig::click(rig.find(QStringLiteral("rebootConfirmButton"))));
    QCOMPARE(textOf(rig.find(QStringLiteral("rebootText"))),
             QStringLiteral("The device could not be rebooted."));
    QTRY_VERIFY_WITH_TIMEOUT(!rig.dialog.property("isRebootDialogOpen").toBool(), 4000);
}

// A reboot answered, then the dashboard closed: the refresh 6 s later does
// not come.
void TestDQmlDeviceStatusDialog::closingStopsRebootRefresh()
{
    SimulatedVentraArray array;
    QVERIFY(array.listen());
    DashboardRig rig;
    DeviceStatusInterfaceObject *pDevice = rig.statusOf(rig.addArray(QStringLiteral("Array"), array.port()));
    QSignalSpy completed(&rig.dialog, &DQmlDeviceStatusDialog::deviceListReloadingCompleted);
    rig.dialog.DoModal({pDevice});
    QVERIFY(completed.wait(Patience));
    QSignalSpy rebooted(&rig.dialog, &DQmlDeviceStatusDialog::deviceRebootedSuccessfully);
    QVERIFY(rig.dialog.rebootDevice(pDevice));
    QVERIFY(rebooted.wait(Patience));
    QVERIFY(rig.dialog.rebootRefreshTimer().isActive());
    rig.dialog.closeDeviceStatusDialog();
    QVERIFY(!rig.dialog.rebootRefreshTimer().isActive());
    QVERIFY(!rig.dialog.pollingTimer().isActive());
}

// Closed with the reboot pop-up open: opened again, the dashboard
// refreshes, as nothing of the old view is open any more.
void TestDQmlDeviceStatusDialog::closingForgetsTheRebootPopup()
{
    DashboardRig rig;
    rig.dialog.DoModal({});
    QVERIFY(rig.dialog.setProperty("isRebootDialogOpen", true));
    rig.dialog.closeDeviceStatusDialog();
    QVERIFY(!rig.dialog.property("isRebootDialogOpen").toBool());

    QSignalSpy completed(&rig.dialog, &DQmlDeviceStatusDialog::deviceListReloadingCompleted);
    rig.dialog.DoModal({});
    QVERIFY(DashboardRig::click(rig.find(QStringLiteral("refreshButton"))));
    QCOMPARE(completed.count(), 1);
    QVERIFY(!rig.dialog.pollingTimer().isActive());
}

// The application's quit closes the dashboard, as its close button does.
void TestDQmlDeviceStatusDialog::quittingCloses()
{
    DashboardRig rig;
    rig.dialog.DoModal({});
    QVERIFY(rig.dialog.isShown());
    QVERIFY(QMetaObject::invokeMethod(qApp, "aboutToQuit", Qt::DirectConnection));
    QVERIFY(!rig.dialog.isShown());
    QCOMPARE(VModeManager::instance()->modalItem(), nullptr);
}

VR_TEST_MAIN(TestDQmlDeviceStatusDialog)
#include "tst_dqmldevicestatusdialog.moc"
