#include "VrTest.h"

#include "controls/ULogger.h"

#include <QDir>
#include <QStandardPaths>

class TestULogger : public QObject
{
    Q_OBJECT

private slots:
    void oneInstance();
    void logWritesNothing();
};

void TestULogger::oneInstance()
{
    ULogger *logger = ULogger::instance();
    QVERIFY(logger);
    QCOMPARE(ULogger::instance(), logger);
    QCOMPARE(logger->parent(), nullptr);
    QCOMPARE(logger->documentsFolder(),
             QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation));
}

// Callers log freely, also in bulk; nothing lands in the documents folder.
void TestULogger::logWritesNothing()
{
    ULogger *logger = ULogger::instance();
    for (int i = 0; i < 1000; ++i)
        logger->log(QStringLiteral("Test Log Write Success"));
    logger->log(QString());
    QCOMPARE(ULogger::LogFileName, QStringLiteral("vrmlog.txt"));
    QVERIFY(!QDir(logger->documentsFolder()).exists(ULogger::LogFileName));
}

VR_TEST_MAIN(TestULogger)
#include "tst_ulogger.moc"
