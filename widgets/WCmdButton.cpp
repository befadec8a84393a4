#include "WCmdButton.h"

#include "project/XmlWriter.h"
#include "widgets/WButton.h"

WCmdButton::WCmdButton(QQuickItem *parent)
    : WWidget(parent)
{
}

WCmdButton::~WCmdButton() = default;

void WCmdButton::initialize(QQuickItem *pItem)
{
    Q_UNUSED(pItem);
}

void WCmdButton::destroy()
{
}

void WCmdButton::applyAttributes(CAttributes *pAttributes)
{
    Q_UNUSED(pAttributes);
}

void WCmdButton::setCanvasItem(QQuickItem *pCanvasItem)
{
    Q_UNUSED(pCanvasItem);
}

void WCmdButton::setText(const QString &text)
{
    setItemProperty("text", text);
    setItemProperty("hasText", true);
}

void WCmdButton::outputPressed()
{
    if (WWidget *pLinked = linkedWidget())
        pLinked->setAuxiliaryText(QString(m_command));
}

QString WCmdButton::picturePath(const QString &value)
{
    if (value.contains(QLatin1Char('.')))
        return value;
    return QStringLiteral("../images/") + value + QStringLiteral(".png");
}

bool WCmdButton::readAttribute(const QString &name, const QString &value)
{
    if (!item())
        return false;
    if (processRect(name, value) || readIdAttribute(name, value))
        return true;
    if (name == QLatin1String("command")) {
        m_command = value;
    } else if (name == QLatin1String("title")) {
        setText(value);
    } else if (name == QLatin1String("onimage")) {
        if (value.isEmpty()) {
            setItemProperty("hasImage", false);
        } else {
            setPictureProperty("onImage", picturePath(value));
            setItemProperty("hasImage", true);
        }
    } else if (name == QLatin1String("imagesize")) {
        setItemProperty("imageSize", double(value.toFloat()));
    } else if (name == QLatin1String("hasBorder")) {
        bool ok = false;
        const int number = value.toInt(&ok, 10);
        setItemProperty("hasBorder", ok && number != 0);
    } else {
        return false;
    }
    return true;
}

void WCmdButton::writeAttributes(XmlWriter &writer) const
{
    if (!item())
        return;
    writer.writeStartElement(typeName());
    writeBaseAttributes(writer);
    if (itemProperty("hasText").toBool())
        writer.writeTextElement(QStringLiteral("title"), itemProperty("text").toString());
    if (itemProperty("hasImage").toBool()) {
        writer.writeTextElement(QStringLiteral("onimage"), WButton::pictureBaseName(itemProperty("onImage").toString()));
        writer.writeTextElement(QStringLiteral("offimage"), WButton::pictureBaseName(itemProperty("offImage").toString()));
        writer.writeFloatElement(QStringLiteral("imagesize"), itemProperty("imageSize").toDouble());
    }
    writer.writeIntElement(QStringLiteral("hasBorder"), itemProperty("hasBorder").toBool() ? 1 : 0);
    writer.writeTextElement(QStringLiteral("command"), m_command);
    writer.writeEndElement(typeName());
}
