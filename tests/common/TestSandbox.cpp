#include "TestSandbox.h"

#include "ClosedPort.h"
#include "comms/IArxAddress.h"

#include <QDir>
#include <QFile>

namespace {
TestSandbox *s_current = nullptr;
}

TestSandbox::TestSandbox()
    : m_dir(QDir::tempPath() + QStringLiteral("/vrtest-XXXXXX"))
{
    if (!m_dir.isValid())
        return;
    const QString root = m_dir.path();
    const struct {
        const char *variable;
        const char *folder;
    } folders[] = {
        {"HOME", "/home"},
        {"XDG_CONFIG_HOME", "/home/.config"},
        {"XDG_DATA_HOME", "/home/.local/share"},
        {"XDG_CACHE_HOME", "/home/.cache"},
        {"XDG_RUNTIME_DIR", "/runtime"},
    };
    for (const auto &f : folders) {
        const QString dir = root + QLatin1String(f.folder);
        QDir().mkpath(dir);
        qputenv(f.variable, QFile::encodeName(dir));
    }
    QFile::setPermissions(root + QStringLiteral("/runtime"),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    QDir().mkpath(workDir());
    m_previousDir = QDir::currentPath();
    QDir::setCurrent(workDir());
    // Designs with ARX amplifiers open their clients while they are read;
    // in tests these reach a closed port on this machine unless a test
    // points them at its simulated amplifier.
    IArxAddress::setPort(closedLocalPort());
    s_current = this;
}

TestSandbox::~TestSandbox()
{
    if (s_current == this)
        s_current = nullptr;
    if (!m_previousDir.isEmpty())
        QDir::setCurrent(m_previousDir);
}

TestSandbox *TestSandbox::current()
{
    return s_current;
}
