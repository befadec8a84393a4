#include "DemoAtPort.h"

#include "ArchiveWriter.h"

#include <QDir>
#include <QFile>
#include <QTest>

namespace {

QByteArray demoFile(const QString &relative, quint16 port)
{
    QFile file(QFINDTESTDATA("../../resources/demo/" + relative));
    QByteArray content = file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    content.replace("10055", QByteArray::number(port));
    return content;
}

} // namespace

QString writeDemoArchive(quint16 port)
{
    ArchiveWriter writer;
    writer.addFile("/Demo.cpf", demoFile("Demo.cpf", port));
    writer.addFile("/project/Demo.vpj", demoFile("project/Demo.vpj", port));
    const QString path = QDir::current().filePath("demo-at-test-port.cpz");
    return writer.writeTo(path) ? path : QString();
}
