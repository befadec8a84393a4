#pragma once

#include <QMutex>
#include <QObject>
#include <QString>
#include <QTimer>

#include <memory>

class QFile;

// The program's file logger, reached through instance(). It keeps what a
// log file needs (the documents folder, a separator, a trim timer) but
// writes nothing: callers may log freely and rely only on log() returning.
class ULogger : public QObject
{
    Q_OBJECT

public:
    // The log file's name inside the documents folder.
    static const QString LogFileName;

    // The one logger, created on first use; it lives until the process ends.
    static ULogger *instance();

    ~ULogger() override;

    void log(const QString &text);

    // The user's documents location when the logger was created.
    QString documentsFolder() const { return m_documentsFolder; }

private slots:
    void _onLogTrimLoopTick();

private:
    ULogger();

    std::unique_ptr<QFile> m_pLogFile;
    QString m_documentsFolder;
    bool m_isOpen = false;
    QString m_separator = QStringLiteral(" | ");
    QTimer m_trimTimer;
    QMutex m_mutex;
};
