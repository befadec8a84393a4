#include "BenchSandbox.h"

#include <QFile>

BenchSandbox::BenchSandbox()
{
    if (!m_dir.isValid())
        return;
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_dir.path() + QStringLiteral("/config")));
    qputenv("XDG_DATA_HOME", QFile::encodeName(m_dir.path() + QStringLiteral("/data")));
}
