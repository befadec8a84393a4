#pragma once

#include <QString>

class QIODevice;
class QXmlDefaultHandler;

// Runs a SAX handler over an XML file: one reader, one input source, the
// handler as content and error handler. Every XML reader of the program
// goes through here.
class XmlFileReader
{
public:
    // Opens the file and parses it. False when the file cannot be opened,
    // else the parser's result (false after a fatal error or when the
    // handler stopped the parse).
    static bool parse(const QString &path, QXmlDefaultHandler &handler);

    // The same over a device; one that is not open yet is opened read-only.
    static bool parse(QIODevice &device, QXmlDefaultHandler &handler);
};
