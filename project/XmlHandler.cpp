#include "XmlHandler.h"

#include "XmlParseError.h"

#include <QXmlAttributes>

#include <algorithm>

bool XmlHandler::startDocument()
{
    m_depth = 0;
    m_textFlag = false;
    return true;
}

bool XmlHandler::endDocument()
{
    return true;
}

bool XmlHandler::startElement(const QString &, const QString &localName, const QString &,
                              const QXmlAttributes &)
{
    pushElement(localName);
    return true;
}

bool XmlHandler::endElement(const QString &, const QString &, const QString &)
{
    --m_depth;
    m_textFlag = false;
    return true;
}

bool XmlHandler::characters(const QString &)
{
    return true;
}

bool XmlHandler::processingInstruction(const QString &, const QString &)
{
    return true;
}

bool XmlHandler::fatalError(const QXmlParseException &exception)
{
    XmlParseError::report(exception);
    return false;
}

QString XmlHandler::getAttribute(const QXmlAttributes &atts, const QString &name)
{
    for (int i = 0; i < atts.count(); ++i) {
        if (atts.localName(i) == name)
            return atts.value(i);
    }
    return QString();
}

QString XmlHandler::elementAt(int index) const
{
    const int stored = std::min(m_depth, MaxStoredDepth);
    if (index < 0 || index >= stored)
        return QString();
    return m_elementStack[static_cast<size_t>(index)];
}

QString XmlHandler::parentElement() const
{
    return elementAt(m_depth - 2);
}

QString XmlHandler::grandparentElement() const
{
    return elementAt(m_depth - 3);
}

void XmlHandler::pushElement(const QString &name)
{
    // Levels past the capacity are only counted, so the stack is right
    // again once the parser is back within it.
    if (m_depth >= 0 && m_depth < MaxStoredDepth)
        m_elementStack[static_cast<size_t>(m_depth)] = name;
    ++m_depth;
}

void XmlHandler::popElement()
{
    --m_depth;
}
