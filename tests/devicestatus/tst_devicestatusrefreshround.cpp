#include "VrTest.h"

#include "devicestatus/DeviceStatusRefreshRound.h"

#include <QSignalSpy>

#include <memory>

// A refresh is over when every device asked has reported once: the round
// keeps which devices it still waits for, not how many reports came.
class TestDeviceStatusRefreshRound : public QObject
{
    Q_OBJECT

private slots:
    void reports_data();
    void reports();
    void noDevicesCompletesAtOnce();
    void deviceGoneMidRoundCompletes();
    void guardListsTheSilent();
    void stoppedRoundCompletesNoMore();
};

void TestDeviceStatusRefreshRound::reports_data()
{
    QTest::addColumn<QString>("reports");
    QTest::addColumn<int>("completedAfter");

    // Devices a, b and c are asked; x is not. 0: never completes.
    QTest::newRow("each once") << "abc" << 3;
    QTest::newRow("other order") << "cab" << 3;
    QTest::newRow("one twice does not stand for another") << "aab" << 0;
    QTest::newRow("twice, then the last") << "aabbc" << 5;
    QTest::newRow("a stranger counts for nothing") << "xab" << 0;
    QTest::newRow("late second report after completion") << "abca" << 3;
}

void TestDeviceStatusRefreshRound::reports()
{
    QFETCH(QString, reports);
    QFETCH(int, completedAfter);
    QObject a, b, c, x;
    const auto device = [&](QChar name) -> QObject * {
        return name == QLatin1Char('a') ? &a : name == QLatin1Char('b') ? &b : name == QLatin1Char('c') ? &c : &x;
    };
    DeviceStatusRefreshRound round;
    QSignalSpy completed(&round, &DeviceStatusRefreshRound::completed);
    round.start({&a, &b, &c});
    int at = 0;
    for (int i = 0; i < reports.size(); ++i) {
        round.report(device(reports.at(i)));
        if (!completed.isEmpty() && at == 0)
            at = i + 1;
    }
    QCOMPARE(at, completedAfter);
    QCOMPARE(completed.count(), completedAfter ? 1 : 0);
    QCOMPARE(round.isRunning(), completedAfter == 0);
}

void TestDeviceStatusRefreshRound::noDevicesCompletesAtOnce()
{
    DeviceStatusRefreshRound round;
    QSignalSpy completed(&round, &DeviceStatusRefreshRound::completed);
    round.start({});
    QCOMPARE(completed.count(), 1);
    QVERIFY(!round.isRunning());
    QVERIFY(!round.guardTimer().isActive());
}

void TestDeviceStatusRefreshRound::deviceGoneMidRoundCompletes()
{
    QObject a;
    auto pB = std::make_unique<QObject>();
    DeviceStatusRefreshRound round;
    QSignalSpy completed(&round, &DeviceStatusRefreshRound::completed);
    round.start({&a, pB.get()});
    QVERIFY(round.report(&a));
    QCOMPARE(completed.count(), 0);
    pB.reset();
    QCOMPARE(completed.count(), 1);
}

void TestDeviceStatusRefreshRound::guardListsTheSilent()
{
    QObject a, b, c;
    DeviceStatusRefreshRound round;
    QCOMPARE(round.guardTimer().interval(), 30000);
    QVERIFY(round.guardTimer().isSingleShot());
    round.guardTimer().setInterval(20);
    QSignalSpy completed(&round, &DeviceStatusRefreshRound::completed);
    QSignalSpy expired(&round, &DeviceStatusRefreshRound::guardExpired);
    QList<QObject *> silent;
    connect(&round, &DeviceStatusRefreshRound::guardExpired, this,
            [&]() { silent = round.unanswered(); });
    round.start({&a, &b, &c});
    round.report(&b);
    QVERIFY(expired.wait(5000));
    QCOMPARE(silent, QList<QObject *>({&a, &c}));
    QVERIFY(!round.isRunning());
    // Over: a late report completes nothing.
    QVERIFY(!round.report(&a));
    QVERIFY(!round.report(&c));
    QCOMPARE(completed.count(), 0);
}

void TestDeviceStatusRefreshRound::stoppedRoundCompletesNoMore()
{
    QObject a;
    DeviceStatusRefreshRound round;
    QSignalSpy completed(&round, &DeviceStatusRefreshRound::completed);
    round.start({&a});
    round.stop();
    QVERIFY(!round.report(&a));
    QVERIFY(!round.guardTimer().isActive());
    QCOMPARE(completed.count(), 0);
    QCOMPARE(round.answeredCount(), 0);
}

VR_TEST_MAIN(TestDeviceStatusRefreshRound)
#include "tst_devicestatusrefreshround.moc"
