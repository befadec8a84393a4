#include "VrTest.h"

#include "FakeHostProbe.h"
#include "comms/IPingProbe.h"
#include "comms/ITcpClient.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>

namespace {

constexpr int Patience = 8000; // ms

// A stand-in for "ping" that notes its arguments and ends as told. The real
// command never runs in tests.
QString writeScript(const QString &name, const QByteArray &body)
{
    const QString path = QDir::current().absoluteFilePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return QString();
    file.write("#!/bin/sh\necho \"$@\" > \"$(dirname \"$0\")/" + name.toUtf8() + ".args\"\n"
               + body + "\n");
    file.close();
    file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner
                        | QFileDevice::ExeOwner);
    return path;
}

} // namespace

class TestIPingProbe : public QObject
{
    Q_OBJECT

private slots:
    void judgesByExitStatus_data();
    void judgesByExitStatus();
    void probeWithoutProgramIsUnknown();
    void probeWithoutAddressIsUnknown();
    void clientUsesPingByDefault();
};

void TestIPingProbe::judgesByExitStatus_data()
{
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<IHostProbe::HostState>("state");
    QTest::newRow("answer") << QByteArray("exit 0") << IHostProbe::Reachable;
    QTest::newRow("no answer") << QByteArray("exit 1") << IHostProbe::Unreachable;
    QTest::newRow("other error") << QByteArray("exit 2") << IHostProbe::Unknown;
    QTest::newRow("hangs and is killed") << QByteArray("exec sleep 30") << IHostProbe::Unknown;
}

void TestIPingProbe::judgesByExitStatus()
{
    QFETCH(QByteArray, body);
    QFETCH(IHostProbe::HostState, state);
    const QString script = writeScript(QStringLiteral("fakeping"), body);
    QVERIFY(!script.isEmpty());

    IPingProbe probe;
    probe.setProgram(script);
    probe.setKillAfterMs(300);
    QSignalSpy finished(&probe, &IHostProbe::finished);
    probe.start(QStringLiteral("127.0.0.1"));
    // It never waits for the command.
    QVERIFY(probe.isRunning());
    QCOMPARE(finished.size(), 0);
    probe.start(QStringLiteral("127.0.0.2")); // ignored while one runs

    QVERIFY(finished.wait(Patience));
    QCOMPARE(finished.at(0).at(0).value<IHostProbe::HostState>(), state);
    QVERIFY(!probe.isRunning());
    QFile args(script + QStringLiteral(".args"));
    QVERIFY(args.open(QIODevice::ReadOnly));
    QCOMPARE(args.readAll().trimmed(), QByteArray("-c 1 -W 2 127.0.0.1"));
    QCOMPARE(finished.size(), 1);
}

void TestIPingProbe::probeWithoutProgramIsUnknown()
{
    IPingProbe probe;
    probe.setProgram(QDir::current().absoluteFilePath(QStringLiteral("no-such-ping")));
    QSignalSpy finished(&probe, &IHostProbe::finished);
    probe.start(QStringLiteral("127.0.0.1"));
    QVERIFY(finished.wait(Patience));
    QCOMPARE(finished.size(), 1);
    QCOMPARE(finished.at(0).at(0).value<IHostProbe::HostState>(), IHostProbe::Unknown);
    QVERIFY(!probe.isRunning());
}

// Nothing but a well-formed address reaches a command line.
void TestIPingProbe::probeWithoutAddressIsUnknown()
{
    const QString script = writeScript(QStringLiteral("neverrun"), "exit 0");
    IPingProbe probe;
    probe.setProgram(script);
    QSignalSpy finished(&probe, &IHostProbe::finished);
    probe.start(QStringLiteral("-f 127.0.0.1"));
    QVERIFY(finished.wait(Patience));
    QCOMPARE(finished.at(0).at(0).value<IHostProbe::HostState>(), IHostProbe::Unknown);
    QVERIFY(!QFile::exists(script + QStringLiteral(".args")));
}

void TestIPingProbe::clientUsesPingByDefault()
{
    ITcpClient client;
    auto *pProbe = qobject_cast<IPingProbe *>(client.hostProbe());
    QVERIFY(pProbe);
    QCOMPARE(pProbe->parent(), &client);
    QCOMPARE(IPingProbe::arguments(QStringLiteral("10.0.0.5")),
             (QStringList{"-c", "1", "-W", "2", "10.0.0.5"}));

    // A probe handed over replaces it.
    auto *pFake = new FakeHostProbe;
    client.setHostProbe(pFake);
    QCOMPARE(client.hostProbe(), pFake);
    QCOMPARE(pFake->parent(), &client);
}

VR_TEST_MAIN(TestIPingProbe)
#include "tst_ipingprobe.moc"
