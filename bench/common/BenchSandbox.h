#pragma once

#include <QString>
#include <QTemporaryDir>

// A temporary folder for a benchmark's files, with the per-user settings and
// data folders pointed into it. Make it before the application object, so
// the benchmark never writes the user's settings or unpacked projects.
class BenchSandbox
{
public:
    BenchSandbox();

    bool isValid() const { return m_dir.isValid(); }
    QString path() const { return m_dir.path(); }

private:
    QTemporaryDir m_dir;
};
