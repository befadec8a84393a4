#include "WActiveCombo.h"

#include "controls/CControl.h"
#include "devices/HNode.h"
#include "project/XmlWriter.h"

#include <QColor>

WActiveCombo::WActiveCombo(QQuickItem *parent)
    : WWidget(parent)
{
}

WActiveCombo::~WActiveCombo()
{
    disconnect(m_reportConnection);
}

void WActiveCombo::initialize(QQuickItem *pItem)
{
    Q_UNUSED(pItem);
}

void WActiveCombo::destroy()
{
}

void WActiveCombo::setCanvasItem(QQuickItem *pCanvasItem)
{
    Q_UNUSED(pCanvasItem);
}

void WActiveCombo::setState()
{
    HNode *pNode = node();
    if (!pNode)
        return;
    QStringList names;
    pNode->combinedRoomNames(0, &names);
    m_roomNames = names;
    const QString text = names.join(QLatin1Char(','));
    if (text == m_shownText)
        return;
    m_shownText = text;
    emit otherRoomNamesChanged();
}

void WActiveCombo::onQueryResponseReady()
{
    setState();
}

void WActiveCombo::setNode(HNode *pNode)
{
    disconnect(m_reportConnection);
    WWidget::setNode(pNode);
    if (pNode)
        m_reportConnection = connect(pNode, &HNode::queryResponseReady, this,
                                     &WActiveCombo::onQueryResponseReady, Qt::QueuedConnection);
}

void WActiveCombo::release()
{
    disconnect(m_reportConnection);
    WWidget::release();
}

void WActiveCombo::setControl(CControl *pControl)
{
    WWidget::setControl(pControl);
    if (pControl)
        pControl->expandMinimumSize(MinimumWidth, MinimumHeight);
}

bool WActiveCombo::readAttribute(const QString &name, const QString &value)
{
    if (!item())
        return false;
    if (processRect(name, value) || readIdAttribute(name, value) || readFractionAttribute(name, value))
        return true;
    if (name == QLatin1String("color")) {
        setColorProperty("textColor", value);
    } else if (name == QLatin1String("scale")) {
        setItemProperty("textScale", double(value.toFloat()));
    } else if (name == QLatin1String("bordercolor")) {
        setColorProperty("borderColor", value);
    } else if (name == QLatin1String("borderwidth")) {
        setItemProperty("borderWidth", double(value.toFloat()));
    } else if (name == QLatin1String("separator")) {
        m_separator = value;
        emit separatorChanged();
    } else if (name == QLatin1String("sideMargins")) {
        m_sideMargins = value.toInt();
        emit sideMarginsChanged();
    } else if (name == QLatin1String("autosize")) {
        setItemProperty("autoSize", value == QLatin1String("true"));
    } else {
        return false;
    }
    return true;
}

namespace {

QString colourName(const QVariant &value)
{
    const QColor colour = value.value<QColor>();
    if (!colour.isValid())
        return QString();
    return colour.name(colour.alpha() == 255 ? QColor::HexRgb : QColor::HexArgb);
}

} // namespace

void WActiveCombo::writeAttributes(XmlWriter &writer) const
{
    if (!item())
        return;
    writer.writeStartElement(typeName());
    writeBaseAttributes(writer);
    writer.writeTextElement(QStringLiteral("color"), colourName(itemProperty("textColor")));
    writer.writeTextElement(QStringLiteral("bordercolor"), colourName(itemProperty("borderColor")));
    writer.writeFloatElement(QStringLiteral("borderwidth"), double(itemProperty("borderWidth").toFloat()));
    writer.writeTextElement(QStringLiteral("separator"), m_separator);
    writer.writeIntElement(QStringLiteral("sideMargins"), m_sideMargins);
    writer.writeTextElement(QStringLiteral("scale"),
                            QString::number(double(itemProperty("textScale").toFloat()), 'g', 6));
    writer.writeEndElement(typeName());
}
