#pragma once

#include <QString>
#include <QXmlDefaultHandler>

#include <array>

// Base of the SAX readers of the project files: keeps the names of the open
// elements from the document element down, looks attributes up by name and
// reports fatal parse errors.
//
// A subclass that overrides startElement/endElement calls pushElement and
// popElement itself, and reads the open elements only through elementAt()
// and its helpers: below the stored levels they read as empty texts.
class XmlHandler : public QXmlDefaultHandler
{
public:
    // How many open element names are kept.
    static constexpr int MaxStoredDepth = 12;

    XmlHandler() = default;
    ~XmlHandler() override = default;

    bool startDocument() override;
    bool endDocument() override;
    bool startElement(const QString &namespaceURI, const QString &localName,
                      const QString &qName, const QXmlAttributes &atts) override;
    bool endElement(const QString &namespaceURI, const QString &localName,
                    const QString &qName) override;
    bool characters(const QString &ch) override;
    bool processingInstruction(const QString &target, const QString &data) override;
    bool fatalError(const QXmlParseException &exception) override;

    // The value of the first attribute whose local name equals the name
    // (case-sensitive); empty when there is none.
    static QString getAttribute(const QXmlAttributes &atts, const QString &name);

    // The name of the open element at nesting level index (0 = document
    // element); empty for a level that is not open or not stored.
    QString elementAt(int index) const;
    // The parent and grandparent of the innermost open element.
    QString parentElement() const;
    QString grandparentElement() const;

protected:
    void pushElement(const QString &name);
    void popElement();

    bool m_textFlag = false;
    // Open elements, counting on past MaxStoredDepth.
    int m_depth = 0;
    // Free for subclasses: the element whose end they wait for.
    QString m_currentElement;

private:
    std::array<QString, MaxStoredDepth> m_elementStack;
};
