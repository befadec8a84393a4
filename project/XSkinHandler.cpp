#include "XSkinHandler.h"

#include "XmlParseError.h"

#include <QByteArray>
#include <QObject>
#include <QVariant>

#include <algorithm>

namespace {
const QString kSkin = QStringLiteral("Skin");
const QString kStringGroup = QStringLiteral("string");
} // namespace

bool XSkinHandler::startDocument()
{
    // A handler normally serves one parse; start clean all the same.
    m_key.clear();
    m_group.clear();
    m_text.clear();
    m_hasText = false;
    m_state = OutsideSkin;
    return true;
}

bool XSkinHandler::endDocument()
{
    return true;
}

bool XSkinHandler::startElement(const QString &, const QString &localName, const QString &,
                                const QXmlAttributes &)
{
    switch (m_state) {
    case OutsideSkin:
        if (localName == kSkin)
            m_state = InSkin;
        break;
    case InSkin:
        m_group = localName;
        m_state = InGroup;
        break;
    case InGroup:
        flushText();
        m_key = localName;
        break;
    }
    return true;
}

bool XSkinHandler::endElement(const QString &, const QString &localName, const QString &)
{
    switch (m_state) {
    case InGroup:
        flushText();
        m_key.clear();
        if (localName == m_group)
            m_state = InSkin;
        break;
    case InSkin:
        m_group.clear();
        break;
    case OutsideSkin:
        break;
    }
    return true;
}

bool XSkinHandler::characters(const QString &ch)
{
    // Text between elements falls where no key is open and is dropped.
    if (m_state == InGroup && !m_key.isEmpty()) {
        m_text += ch;
        m_hasText = true;
    }
    return true;
}

bool XSkinHandler::processingInstruction(const QString &, const QString &)
{
    return true;
}

bool XSkinHandler::fatalError(const QXmlParseException &exception)
{
    XmlParseError::report(exception);
    return false;
}

void XSkinHandler::flushText()
{
    if (!m_key.isEmpty() && m_hasText)
        applyValue();
    m_text.clear();
    m_hasText = false;
}

void XSkinHandler::applyValue() const
{
    if (!m_pTarget || m_group != kStringGroup)
        return;

    QByteArray name;
    const int length = std::min<int>(m_key.size(), MaxPropertyNameLength);
    name.reserve(length);
    for (int i = 0; i < length; ++i)
        name.append(static_cast<char>(m_key.at(i).unicode() & 0xFF));
    // A key whose low bytes run into a zero would name a cut-off property.
    if (name.isEmpty() || name.contains('\0'))
        return;
    m_pTarget->setProperty(name.constData(), QVariant(m_text));
}
