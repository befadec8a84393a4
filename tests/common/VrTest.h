#pragma once

#include <QApplication>
#include <QTest>

#include "EngineTypes.h"
#include "TestSandbox.h"

// Like QTEST_MAIN, but the test runs inside a fresh sandbox: its own HOME,
// XDG folders and working folder, removed when the test ends. The program
// writes per-user settings and unpacks archives, and tests must neither touch
// the user's files nor each other's when CTest runs them in parallel. As the
// program's start-up does, every family of the engine registers its types
// first.
#define VR_TEST_MAIN(TestObject) VR_TEST_MAIN_WITH(TestObject, EngineTypes::registerAll())

// The same without the registration, for a test of the registration itself.
#define VR_TEST_MAIN_UNREGISTERED(TestObject) VR_TEST_MAIN_WITH(TestObject, (void)0)

#define VR_TEST_MAIN_WITH(TestObject, registration)               \
    int main(int argc, char **argv)                               \
    {                                                             \
        TestSandbox sandbox;                                      \
        if (!sandbox.isValid())                                   \
            return 2;                                             \
        QApplication app(argc, argv);                             \
        app.setAttribute(Qt::AA_Use96Dpi, true);                  \
        registration;                                             \
        TestObject tc;                                            \
        QTEST_SET_MAIN_SOURCE_PATH                                \
        return QTest::qExec(&tc, argc, argv);                     \
    }
