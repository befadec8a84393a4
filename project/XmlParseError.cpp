#include "XmlParseError.h"

#include <QXmlParseException>
#include <QtDebug>

QString XmlParseError::describe(const QXmlParseException &exception)
{
    return QStringLiteral("Fatal error on line %1 , column %2 : %3")
        .arg(exception.lineNumber())
        .arg(exception.columnNumber())
        .arg(exception.message());
}

void XmlParseError::report(const QXmlParseException &exception)
{
    qWarning().noquote() << describe(exception);
}
