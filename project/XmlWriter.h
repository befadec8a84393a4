#pragma once

#include <QString>

class QIODevice;

// Writes panel-file elements with tab indentation, one element per line.
// Widgets save themselves through it: an element named by the widget type
// that holds one child element per attribute.
class XmlWriter
{
public:
    // The device must be open for writing; it is not owned.
    explicit XmlWriter(QIODevice *pDevice);

    void writeStartElement(const QString &name);
    void writeEndElement(const QString &name);
    void writeTextElement(const QString &name, const QString &text);
    void writeIntElement(const QString &name, qint64 value);
    void writeFloatElement(const QString &name, double value);
    // Picture paths are written as they stand.
    QString filePath(const QString &path) const { return path; }

    int indent() const { return m_indent; }

private:
    void writeLine(const QString &line);

    QIODevice *m_pDevice = nullptr;
    int m_indent = 0;
};
