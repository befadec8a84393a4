#include "BenchMessages.h"

#include <QString>

#include <cstdio>

namespace {

int severity(QtMsgType type)
{
    switch (type) {
    case QtDebugMsg:
        return 0;
    case QtInfoMsg:
        return 1;
    case QtWarningMsg:
        return 2;
    case QtCriticalMsg:
        return 3;
    case QtFatalMsg:
        return 4;
    }
    return 4;
}

int s_lowestShown = 0;

void showOnlySevere(QtMsgType type, const QMessageLogContext &, const QString &message)
{
    if (severity(type) >= s_lowestShown)
        std::fprintf(stderr, "%s\n", qPrintable(message));
}

void showNothing(QtMsgType, const QMessageLogContext &, const QString &)
{
}

} // namespace

void showMessagesFrom(QtMsgType lowest)
{
    s_lowestShown = severity(lowest);
    qInstallMessageHandler(showOnlySevere);
}

void hideAllMessages()
{
    qInstallMessageHandler(showNothing);
}

void preferOffscreenPlatform()
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
}
