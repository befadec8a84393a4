#include "XmlWriter.h"

#include <QIODevice>

XmlWriter::XmlWriter(QIODevice *pDevice)
    : m_pDevice(pDevice)
{
}

void XmlWriter::writeStartElement(const QString &name)
{
    writeLine(QLatin1Char('<') + name + QLatin1Char('>'));
    ++m_indent;
}

void XmlWriter::writeEndElement(const QString &name)
{
    // An unbalanced end never drives the indent below the margin.
    if (m_indent > 0)
        --m_indent;
    writeLine(QLatin1String("</") + name + QLatin1Char('>'));
}

void XmlWriter::writeTextElement(const QString &name, const QString &text)
{
    writeLine(QLatin1Char('<') + name + QLatin1Char('>') + text.toHtmlEscaped() + QLatin1String("</") + name
              + QLatin1Char('>'));
}

void XmlWriter::writeIntElement(const QString &name, qint64 value)
{
    writeTextElement(name, QString::number(value));
}

void XmlWriter::writeFloatElement(const QString &name, double value)
{
    writeTextElement(name, QString::number(value, 'g', 6));
}

void XmlWriter::writeLine(const QString &line)
{
    if (!m_pDevice)
        return;
    m_pDevice->write(QString(m_indent, QLatin1Char('\t')).toUtf8() + line.toUtf8() + '\n');
}
