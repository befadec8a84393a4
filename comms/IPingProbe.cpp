#include "comms/IPingProbe.h"

#include <QDebug>
#include <QHostAddress>

IPingProbe::IPingProbe(QObject *parent)
    : IHostProbe(parent)
{
    m_killTimer.setSingleShot(true);
    m_killTimer.setInterval(KillAfterMs);
    m_process.setProcessChannelMode(QProcess::MergedChannels);
    m_process.setStandardInputFile(QProcess::nullDevice());
    connect(&m_process, &QProcess::finished, this, &IPingProbe::onFinished);
    connect(&m_process, &QProcess::errorOccurred, this, &IPingProbe::onErrorOccurred);
    connect(&m_killTimer, &QTimer::timeout, this, [this]() {
        qWarning() << "Host probe took too long, stopping it";
        m_process.kill();
    });
}

IPingProbe::~IPingProbe()
{
    m_process.disconnect(this);
    if (m_process.state() != QProcess::NotRunning) {
        m_process.kill();
        m_process.waitForFinished(1000);
    }
}

QStringList IPingProbe::arguments(const QString &address)
{
    return {QStringLiteral("-c"), QStringLiteral("1"), QStringLiteral("-W"), QStringLiteral("2"),
            address};
}

void IPingProbe::start(const QString &address)
{
    if (m_running)
        return;
    m_running = true;
    // Only a well-formed address goes on a command line.
    if (QHostAddress(address).isNull()) {
        qWarning() << "Host probe without a valid address";
        QMetaObject::invokeMethod(this, [this]() { report(Unknown); }, Qt::QueuedConnection);
        return;
    }
    m_process.start(m_program, arguments(address), QIODevice::ReadOnly);
    m_killTimer.start();
}

bool IPingProbe::isRunning() const
{
    return m_running;
}

void IPingProbe::onFinished(int exitCode, QProcess::ExitStatus exitStatus)
{
    m_process.readAll();
    if (exitStatus != QProcess::NormalExit)
        report(Unknown);
    else if (exitCode == 0)
        report(Reachable);
    else if (exitCode == 1)
        report(Unreachable);
    else
        report(Unknown);
}

void IPingProbe::onErrorOccurred(QProcess::ProcessError error)
{
    // A crash or kill also ends in finished(); only a failed start does not.
    if (error != QProcess::FailedToStart)
        return;
    qWarning() << "Host probe could not start" << m_program;
    report(Unknown);
}

void IPingProbe::report(HostState state)
{
    if (!m_running)
        return;
    m_running = false;
    m_killTimer.stop();
    emit finished(state);
}
