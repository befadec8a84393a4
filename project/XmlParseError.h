#pragma once

#include <QString>

class QXmlParseException;

// The one wording of a fatal XML parse error. Every SAX reader reports
// through here, whichever handler base it derives from, so the log lines
// of all project, panel and skin files look alike.
class XmlParseError
{
public:
    // "Fatal error on line <line> , column <column> : <message>"
    static QString describe(const QXmlParseException &exception);

    // Writes describe() as one warning line.
    static void report(const QXmlParseException &exception);
};
