#include "ULogger.h"

#include <QFile>
#include <QStandardPaths>

const QString ULogger::LogFileName = QStringLiteral("vrmlog.txt");

ULogger::ULogger()
    : QObject(nullptr)
    , m_documentsFolder(QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation))
{
}

ULogger::~ULogger()
{
    if (m_pLogFile && m_isOpen)
        m_pLogFile->close();
    m_pLogFile.reset();
    m_isOpen = false;
}

ULogger *ULogger::instance()
{
    // Deliberately never deleted: loggers are called from destructors too.
    static ULogger *s_instance = new ULogger;
    return s_instance;
}

void ULogger::log(const QString &text)
{
    Q_UNUSED(text);
}

void ULogger::_onLogTrimLoopTick()
{
}
