#include "XmlFileReader.h"

#include <QFile>
#include <QXmlDefaultHandler>
#include <QXmlInputSource>
#include <QXmlSimpleReader>

bool XmlFileReader::parse(const QString &path, QXmlDefaultHandler &handler)
{
    // Never QIODevice::Text: it drops every 0x0D byte, and in a UTF-16 file
    // that byte is half of characters such as U+010D or U+4E0D. The input
    // source decodes the bytes itself (byte-order mark, XML declaration).
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    return parse(file, handler);
}

bool XmlFileReader::parse(QIODevice &device, QXmlDefaultHandler &handler)
{
    if (!device.isOpen() && !device.open(QIODevice::ReadOnly))
        return false;
    if (!device.isReadable())
        return false;
    device.setTextModeEnabled(false);

    QXmlSimpleReader reader;
    QXmlInputSource source(&device);
    reader.setContentHandler(&handler);
    reader.setErrorHandler(&handler);
    return reader.parse(&source);
}
