#pragma once

#include "comms/IHostProbe.h"

#include <QProcess>
#include <QTimer>

// The host probe through the system "ping": one echo request with a two
// second wait. The exit status decides: 0 reachable, 1 unreachable, anything
// else (also a ping that cannot be started or has to be killed) unknown.
// The command is started with an argument list, never through a shell.
class IPingProbe : public IHostProbe
{
    Q_OBJECT

public:
    static constexpr int KillAfterMs = 5000;

    explicit IPingProbe(QObject *parent = nullptr);
    ~IPingProbe() override;

    void start(const QString &address) override;
    bool isRunning() const override;

    // The command to run instead of "ping" (it gets the same arguments) and
    // how long it may take; for tests.
    void setProgram(const QString &program) { m_program = program; }
    void setKillAfterMs(int ms) { m_killTimer.setInterval(ms); }

    static QStringList arguments(const QString &address);

private:
    void onFinished(int exitCode, QProcess::ExitStatus exitStatus);
    void onErrorOccurred(QProcess::ProcessError error);
    void report(HostState state);

    QProcess m_process;
    QTimer m_killTimer;
    QString m_program = QStringLiteral("ping");
    bool m_running = false;
};
