#pragma once

#include <QString>
#include <QTemporaryDir>

// A throw-away home for one test process. Construct it before the
// application object so that Qt reads the redirected environment.
class TestSandbox
{
public:
    TestSandbox();
    ~TestSandbox();

    bool isValid() const { return m_dir.isValid(); }
    QString path() const { return m_dir.path(); }
    QString home() const { return m_dir.path() + QStringLiteral("/home"); }
    QString workDir() const { return m_dir.path() + QStringLiteral("/work"); }

    // The sandbox of the running test, or null outside a test.
    static TestSandbox *current();

private:
    QTemporaryDir m_dir;
    QString m_previousDir;
};
