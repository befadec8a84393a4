#include "WLevelButtons.h"

#include "comms/PProtocol.h"
#include "comms/TTransform.h"
#include "controls/CControl.h"
#include "devices/HNode.h"
#include "project/XmlWriter.h"

#include <QColor>
#include <QDebug>
#include <QRegularExpression>

#include <cmath>

namespace {

const QString kLabelMarker = QStringLiteral("*LABEL*");
const QString kTitleMarker = QStringLiteral("*TITLE*");

// A position as the item's whole number; also for values far out of any
// range.
int positionOf(double position)
{
    if (!std::isfinite(position))
        return 0;
    return int(std::lround(qBound(-2.0e9, position, 2.0e9)));
}

bool isLinkTitle(const QString &title)
{
    return title.startsWith(QLatin1String("DXRLink")) || title.startsWith(QLatin1String("Vexlink"));
}

// A link card's channel label for a control named like "Out 3": the third.
QString linkChannelLabel(const HNode *pNode, const QString &controlName)
{
    static const QRegularExpression blanks(QStringLiteral("\\s+"));
    const QStringList words = controlName.split(blanks, Qt::SkipEmptyParts);
    bool ok = false;
    const int number = words.value(1).toInt(&ok, 10);
    return pNode->channelLabelAt((ok ? number : -1) - 1);
}

// A flag of the panel file: a decimal number, 0 when it is none.
bool flagOf(const QString &text)
{
    bool ok = false;
    const int number = text.toInt(&ok, 10);
    return ok && number != 0;
}

} // namespace

WLevelButtons::WLevelButtons(QQuickItem *parent)
    : WSlider(parent)
{
}

WLevelButtons::~WLevelButtons() = default;

double WLevelButtons::valueText(double position)
{
    double number = 0.0;
    QString text;
    if (m_isPercent) {
        // A range of one value has no share to show.
        if (m_maximum != m_minimum)
            number = 100.0 * (position - double(m_minimum)) / (double(m_maximum) - double(m_minimum));
        text = QString::number(number, 'f', 0) + QLatin1Char('%');
    } else {
        number = position * double(m_step);
        text = QString::number(number, 'f', 1);
    }
    setItemProperty("valueText", text);
    return number;
}

void WLevelButtons::outputValue(int value)
{
    // The item reports no value that this side writes, but a step must
    // never be taken from a device value or a linked widget's being shown.
    if (isWritingItem())
        return;
    m_pendingPosition = value;
    m_pendingValue = float(value) * m_step;
    if (!m_sendDelayTimer.isActive()) {
        m_value = m_pendingValue;
        TTransform *pTransform = transform();
        PProtocol *pProtocol = protocol();
        if (pTransform && pProtocol) {
            pTransform->setFloatValue(double(m_pendingValue));
            pTransform->setDisplayValue(valueText(double(m_pendingPosition)));
            pProtocol->sendValue(pTransform);
            passLinkValue(this);
        }
        m_pendingValue = noPendingValue;
    }
    passLinkValue(this);
}

void WLevelButtons::setState()
{
    TTransform *pTransform = transform();
    if (!pTransform)
        return;
    const double reply = pTransform->replyFloatValue();
    if (!std::isfinite(reply))
        return; // nothing a position could show
    double v = reply / double(m_step);
    if (v < double(m_minimum))
        v = double(m_minimum);
    else if (v > double(m_maximum))
        v = double(m_maximum);
    pTransform->setDisplayValue(valueText(v));
    setOutputEnabled(false);
    setItemProperty("value", positionOf(v));
    passLinkValue(this);
    setOutputEnabled(true);
}

void WLevelButtons::bound()
{
    TTransform *pTransform = transform();
    if (linkedWidget() && pTransform) {
        pTransform->setFloatValue(double(m_value));
        pTransform->setDisplayValue(valueText(double(m_value) / double(m_step)));
        passLinkValue(this);
    }
    fillMarkers();
    valueText(double(m_value) / double(m_step));
}

void WLevelButtons::fillMarkers()
{
    const CControl *pControl = control();
    if (!pControl || !item())
        return;
    const QString text = itemText();
    const HNode *pNode = node();
    if (text == kLabelMarker) {
        if (pNode && isLinkTitle(pNode->title()))
            setItemProperty("text", linkChannelLabel(pNode, pControl->name()));
        else if (pNode)
            setItemProperty("text", pControl->nodeLabel());
    } else if (text.startsWith(kLabelMarker)) {
        QString shown = text;
        shown.replace(0, kLabelMarker.size(), pControl->nodeLabel());
        if (pNode && !pNode->portLabels().isEmpty())
            pNode->substitutePortLabel(shown, false);
        setItemProperty("text", shown);
    } else if (text == kTitleMarker) {
        if (!pNode)
            setItemProperty("text", pControl->name());
        else if (isLinkTitle(pNode->title()))
            setItemProperty("text", linkChannelLabel(pNode, pControl->name()));
    }
}

void WLevelButtons::linkValue(WWidget *pSource)
{
    // Back at the source: the value went round every linked widget.
    if (pSource == this)
        return;
    TTransform *pTransform = transform();
    if (!pTransform)
        return;
    const float v = float(pTransform->floatValue());
    if (v == m_value || !std::isfinite(v))
        return;
    setUpdating(true);
    setItemProperty("value", positionOf(double(v) / double(m_step)));
    m_value = v;
    setUpdating(false);
    passLinkValue(pSource);
}

void WLevelButtons::setNode(HNode *pNode)
{
    WWidget::setNode(pNode);
}

void WLevelButtons::setTransform(TTransform *pTransform)
{
    WWidget::setTransform(pTransform);
    if (!pTransform)
        qWarning() << "Setting a null TTransform on WLevelButtons";
}

bool WLevelButtons::isType(const QString &typeName) const
{
    const QString own = this->typeName();
    // Every text contains the empty name: a widget without one is no type.
    return (!own.isEmpty() && typeName.contains(own)) || own.startsWith(QLatin1String("type"));
}

bool WLevelButtons::readAttribute(const QString &name, const QString &value)
{
    if (!item())
        return false;
    if (processRect(name, value) || readIdAttribute(name, value) || readFractionAttribute(name, value))
        return true;
    if (name == QLatin1String("knobcolor")) {
        setColorProperty("knobColor", value);
    } else if (name == QLatin1String("text")) {
        // Markers are resolved once the control is bound.
        setItemProperty("text", value);
    } else if (name == QLatin1String("hasBorder")) {
        setItemProperty("hasBorder", flagOf(value));
    } else if (name == QLatin1String("isCircularEnabled")) {
        setItemProperty("isCircularEnabled", flagOf(value));
    } else {
        return false;
    }
    return true;
}

void WLevelButtons::writeAttributes(XmlWriter &writer) const
{
    if (!item())
        return;
    writer.writeStartElement(typeName());
    writeBaseAttributes(writer);
    const QColor knobColor = itemProperty("knobColor").value<QColor>();
    writer.writeTextElement(QStringLiteral("knobcolor"),
                            knobColor.name(knobColor.alpha() == 255 ? QColor::HexRgb : QColor::HexArgb));
    writer.writeTextElement(QStringLiteral("text"), itemText());
    writer.writeIntElement(QStringLiteral("hasBorder"), itemProperty("hasBorder").toBool() ? 1 : 0);
    writer.writeIntElement(QStringLiteral("isCircularEnabled"),
                           itemProperty("isCircularEnabled").toBool() ? 1 : 0);
    writer.writeEndElement(typeName());
}
