#pragma once

#include <QApplication>
#include <QTest>

#include "TestSandbox.h"

// Like QTEST_MAIN, but the test runs inside a fresh sandbox: its own HOME,
// XDG folders and working folder, removed when the test ends. The program
// writes per-user settings and unpacks archives, and tests must neither touch
// the user's files nor each other's when CTest runs them in parallel.
#define VR_TEST_MAIN(TestObject)                                  \
    int main(int argc, char **argv)                               \
    {                                                             \
        TestSandbox sandbox;                                      \
        if (!sandbox.isValid())                                   \
            return 2;                                             \
        QApplication app(argc, argv);                             \
        app.setAttribute(Qt::AA_Use96Dpi, true);                  \
        TestObject tc;                                            \
        QTEST_SET_MAIN_SOURCE_PATH                                \
        return QTest::qExec(&tc, argc, argv);                     \
    }
