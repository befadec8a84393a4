#pragma once

#include <QString>
#include <QXmlDefaultHandler>

class QObject;

// Applies a skin file to an object: every leaf of the "string" group sets
// the object's property named by the leaf to the leaf's text. Leaves of any
// other group (the format also knows "int") are read and not applied.
class XSkinHandler : public QXmlDefaultHandler
{
public:
    XSkinHandler() = default;
    ~XSkinHandler() override = default;

    bool startDocument() override;
    bool endDocument() override;
    bool startElement(const QString &namespaceURI, const QString &localName,
                      const QString &qName, const QXmlAttributes &atts) override;
    bool endElement(const QString &namespaceURI, const QString &localName,
                    const QString &qName) override;
    bool characters(const QString &ch) override;
    bool processingInstruction(const QString &target, const QString &data) override;
    bool fatalError(const QXmlParseException &exception) override;

    // Not owned; without a target nothing is applied.
    void setTarget(QObject *target) { m_pTarget = target; }
    QObject *target() const { return m_pTarget; }

    // Property names are the key's low bytes, cut to this length.
    static constexpr int MaxPropertyNameLength = 63;

private:
    enum State {
        OutsideSkin = 0,
        InSkin = 1,
        InGroup = 2,
    };

    // Applies the text gathered for the current key, then forgets it.
    void flushText();
    void applyValue() const;

    QObject *m_pTarget = nullptr;
    QString m_key;
    QString m_group;
    int m_state = OutsideSkin;
    // The parser may hand one text node over in several pieces (entity
    // references, CDATA sections, buffer ends): the leaf's text is gathered
    // here and applied whole when the key ends or another element starts.
    QString m_text;
    bool m_hasText = false;
};
