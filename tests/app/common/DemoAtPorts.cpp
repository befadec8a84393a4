#include "DemoAtPorts.h"

#include "ArchiveWriter.h"

#include <QDir>
#include <QFile>
#include <QtTest/QtTest>

namespace {

QByteArray demoFile(const QString &relative, quint16 processorPort, quint16 arrayPort)
{
    // Found from the test's own source folder, tests/app.
    QFile file(QFINDTESTDATA("../../resources/demo/" + relative));
    QByteArray content = file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    content.replace("10055", QByteArray::number(processorPort));
    if (arrayPort != 0)
        content.replace("49494", QByteArray::number(arrayPort));
    return content;
}

} // namespace

QString writeDemoAtPorts(quint16 processorPort, quint16 arrayPort)
{
    ArchiveWriter writer;
    writer.addFile("/Demo.cpf", demoFile("Demo.cpf", processorPort, arrayPort));
    writer.addFile("/project/Demo.vpj", demoFile("project/Demo.vpj", processorPort, arrayPort));
    const QString path = QDir::current().filePath("demo-at-test-ports.cpz");
    return writer.writeTo(path) ? path : QString();
}
