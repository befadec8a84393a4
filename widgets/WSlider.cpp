#include "WSlider.h"

#include "comms/PProtocol.h"
#include "comms/TTransform.h"
#include "controls/CAttributes.h"
#include "controls/CControl.h"
#include "devices/HNode.h"
#include "project/XmlWriter.h"

#include <QColor>
#include <QDebug>
#include <QRegularExpression>

#include <climits>
#include <cmath>

namespace {

const QString kLabelMarker = QStringLiteral("*LABEL*");
const QString kTitleMarker = QStringLiteral("*TITLE*");

// A slider position as the item's whole number; also for values far out of
// any range.
int positionOf(double sliderValue)
{
    if (!std::isfinite(sliderValue))
        return 0;
    return int(std::lround(qBound(-2.0e9, sliderValue, 2.0e9)));
}

bool isLinkTitle(const QString &title)
{
    return title.startsWith(QLatin1String("DXRLink")) || title.startsWith(QLatin1String("Vexlink"));
}

bool isToneEqTitle(const QString &title)
{
    return title == QLatin1String("Tone EQ") || title == QLatin1String("ToneEQ");
}

// A number of the design file; 0 when the text is none (or no finite one).
float limitOf(const QString &text)
{
    bool ok = false;
    const float number = text.toFloat(&ok);
    return ok && std::isfinite(number) ? number : 0.0f;
}

// The parameter of a link block: "level" and the channel's number.
QString linkParameter(const HNode *pNode, const QString &channelLabel)
{
    static const QRegularExpression digit(QStringLiteral("[0-9]"));
    const QRegularExpressionMatch match = digit.match(channelLabel);
    if (match.hasMatch())
        return QStringLiteral("level") + match.captured(0);
    // No number in the label: the channel's place on the card counts from
    // 1, and a key holds one character after "level".
    const int position = pNode->indexOfChannelLabel(channelLabel);
    if (position < 0)
        return QString();
    return QStringLiteral("level") + QString::number(position + 1).left(1);
}

QString toneEqParameter(const QString &labelText)
{
    if (labelText == QLatin1String("LOW"))
        return QStringLiteral("low");
    if (labelText == QLatin1String("MID"))
        return QStringLiteral("mid");
    if (labelText == QLatin1String("HIGH"))
        return QStringLiteral("high");
    return QString();
}

QString routerParameter(const QString &controlName)
{
    if (controlName == QLatin1String("Program Level"))
        return QStringLiteral("programLevel");
    if (controlName == QLatin1String("Non-Mic Mix Level"))
        return QStringLiteral("programMixLevel");
    if (controlName == QLatin1String("Mic Mix Level"))
        return QStringLiteral("micMixLevel");
    if (controlName == QLatin1String("Master Volume"))
        return QStringLiteral("masterVolume");
    if (controlName == QLatin1String("Far End 1 Level"))
        return QStringLiteral("teleconLevel1");
    return QString();
}

QString combinerParameter(const QString &controlName)
{
    if (controlName == QLatin1String("Input Level"))
        return QStringLiteral("inputLevel");
    if (controlName == QLatin1String("Background Music Level"))
        return QStringLiteral("bgmLevel");
    if (controlName == QLatin1String("Output Level"))
        return QStringLiteral("level");
    return QString();
}

} // namespace

WSlider::WSlider(QQuickItem *parent)
    : WWidget(parent)
{
    m_sendDelayTimer.setSingleShot(true);
    m_sendDelayTimer.setInterval(sendDelayInterval);
    connect(&m_sendDelayTimer, &QTimer::timeout, this, &WSlider::onSendDelayTimerTimeout);
}

WSlider::~WSlider()
{
    m_sendDelayTimer.stop();
}

float WSlider::stepOf(float bindingStep)
{
    // Also guards every division by the step below.
    if (!std::isfinite(bindingStep) || !(bindingStep >= 0.02f))
        return 1.0f;
    return bindingStep;
}

double WSlider::displayValueOf(double position) const
{
    if (!m_isPercent)
        return position * double(m_step);
    // A range of one value has no share to show.
    if (!hasRange())
        return 0.0;
    return (position - double(m_minimum)) * 100.0 / (double(m_maximum) - double(m_minimum));
}

void WSlider::outputValue(int value)
{
    // The item reports the values this side writes into it: they are
    // device values (or a linked widget's), never the operator's.
    if (isWritingItem())
        return;
    // A range of one value leaves the operator nothing to choose.
    if (!hasRange())
        return;
    // Only whole positions inside the binding's range are ever sent.
    const double lowest = std::ceil(double(m_minimum));
    const double highest = std::floor(double(m_maximum));
    if (!(lowest <= highest) || highest < double(INT_MIN) || lowest > double(INT_MAX))
        return;
    value = int(qBound(lowest, double(value), highest));
    const float deviceValue = float(value) * m_step;
    if (m_pendingValue != noPendingValue) {
        // The latest position goes out, even when the drag came back to the
        // value last sent.
        m_pendingValue = deviceValue;
        m_pendingPosition = value;
        if (!m_sendDelayTimer.isActive())
            m_sendDelayTimer.start();
        return;
    }
    if (deviceValue == m_value && m_isValueAtDevice)
        return;
    m_pendingValue = deviceValue;
    m_pendingPosition = value;
    // A running delay is not restarted: the first change after a send
    // starts it, later ones only replace the value.
    if (!m_sendDelayTimer.isActive())
        m_sendDelayTimer.start();
}

void WSlider::setIsSendNeeded(bool state)
{
    if (isWritingItem())
        return;
    m_isSendNeeded = state;
}

void WSlider::onSendDelayTimerTimeout()
{
    if (m_pendingValue == noPendingValue || isUpdating())
        return;
    m_value = m_pendingValue;
    m_isValueAtDevice = false;
    TTransform *pTransform = transform();
    PProtocol *pProtocol = protocol();
    if (pTransform && pProtocol && isOutputEnabled()) {
        pTransform->setFloatValue(double(m_pendingValue));
        pTransform->setDisplayValue(displayValueOf(double(m_pendingPosition)));
        if (m_isSendNeeded) {
            m_isValueAtDevice = pProtocol->sendValue(pTransform);
            passLinkValue(this);
        }
    }
    m_pendingValue = noPendingValue;
}

void WSlider::setState()
{
    TTransform *pTransform = transform();
    if (!pTransform) {
        qWarning() << "Cannot set state on WSlider with no TTransform";
        return;
    }
    // A reply that is no number (the sync-error text) says nothing of
    // where the knob belongs.
    if (!pTransform->replyIsNumber())
        return;
    const double reply = pTransform->replyFloatValue();
    if (!std::isfinite(reply))
        return; // nothing that a position could show
    double v = reply / double(m_step);
    if (v < double(m_minimum))
        v = double(m_minimum);
    else if (v > double(m_maximum))
        v = double(m_maximum);
    pTransform->setDisplayValue(displayValueOf(v));

    setOutputEnabled(false);
    setItemProperty("value", positionOf(v));
    // Another value at the device than the one sent last (also one beyond
    // the range): the next position is sent even when it equals that one.
    m_isValueAtDevice =
        positionOf(reply / double(m_step)) == positionOf(double(m_value) / double(m_step));
    passLinkValue(this);
    setOutputEnabled(true);
}

void WSlider::applyAttributes(CAttributes *pAttributes)
{
    if (!m_pWidget || !pAttributes)
        return;
    m_step = stepOf(pAttributes->step());
    m_upperLimit = pAttributes->maximum();
    m_lowerLimit = pAttributes->minimum();
    if (!m_rangeApplied) {
        chooseParameterLimits(pAttributes);
        m_step = stepOf(pAttributes->step());
    }
    const float minimum = pAttributes->minimum();
    const float maximum = pAttributes->maximum();

    setOutputEnabled(false);
    m_minimum = minimum / m_step;
    m_maximum = maximum / m_step;
    // The value is a device value: it is checked against the device range.
    if (m_value < minimum || m_value > maximum) {
        m_value = maximum;
        m_isValueAtDevice = false;
    }
    if (!m_rangeApplied) {
        setItemProperty("value", positionOf(double(m_value) / double(m_step)));
        m_rangeApplied = true;
    }
    if (pAttributes->units() == QLatin1String("pct")) {
        m_isPercent = true;
        pAttributes->setDecimals(0);
    }
    setItemProperty("maximumValue", double(m_maximum));
    setItemProperty("minimumValue", double(m_minimum));
    setItemProperty("bipolar", -m_maximum == m_minimum);
    setOutputEnabled(true);
}

void WSlider::bound()
{
    TTransform *pTransform = transform();
    if (linkedWidget() && pTransform) {
        pTransform->setFloatValue(double(m_value));
        if (m_isPercent)
            pTransform->setDisplayValue(displayValueOf(double(m_value) / double(m_step)));
        else
            pTransform->setDisplayValue(double(m_value));
        passLinkValue(this);
    }
    fillLabelText();
}

void WSlider::linkValue(WWidget *pSource)
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
    if (m_pWidget) {
        qDebug() << "WSlider::linkValue setting value: " << v;
        setItemProperty("value", positionOf(double(v) / double(m_step)));
    }
    m_value = v;
    // Shown, not sent by this widget: whether the device holds it is not
    // known here.
    m_isValueAtDevice = false;
    setUpdating(false);
    passLinkValue(pSource);
}

void WSlider::setNode(HNode *pNode)
{
    WWidget::setNode(pNode);
    if (!pNode)
        return;
    m_isToneEqControl = isToneEqTitle(pNode->title());
    emit isToneEqControlChanged();
}

void WSlider::setTransform(TTransform *pTransform)
{
    WWidget::setTransform(pTransform);
    if (!pTransform)
        qWarning() << "Setting a null TTransform on WSlider";
}

bool WSlider::isType(const QString &typeName) const
{
    // Every text contains the empty name: a widget without one is no type.
    return !this->typeName().isEmpty() && typeName.contains(this->typeName());
}

void WSlider::writeAttributes(XmlWriter &writer) const
{
    if (!m_pWidget)
        return;
    writer.writeStartElement(typeName());
    writeBaseAttributes(writer);
    writer.writeTextElement(QStringLiteral("orient"), QStringLiteral("vertical"));
    const QColor knobColor = itemProperty("knobColor").value<QColor>();
    writer.writeTextElement(QStringLiteral("knobcolor"),
                            knobColor.name(knobColor.alpha() == 255 ? QColor::HexRgb : QColor::HexArgb));
    if (m_rotation != 0.0f)
        writer.writeFloatElement(QStringLiteral("rotation"), double(m_rotation));
    writer.writeEndElement(typeName());
}

bool WSlider::readAttribute(const QString &name, const QString &value)
{
    if (!m_pWidget)
        return false;
    if (processRect(name, value) || readIdAttribute(name, value) || readFractionAttribute(name, value))
        return true;
    if (name == QLatin1String("orient"))
        return true; // always drawn upright; "rotation" turns it
    if (name == QLatin1String("knobcolor")) {
        setColorProperty("knobColor", value);
        return true;
    }
    if (name == QLatin1String("rotation")) {
        bool ok = false;
        const int degrees = value.toInt(&ok, 10);
        m_rotation = ok ? float(degrees) : 0.0f;
        setItemProperty("rotation", double(m_rotation));
        if (m_rotation == 90.0f) {
            if (CControl *pControl = control())
                pControl->setRotatedLayout(true);
        }
        return true;
    }
    return false;
}

void WSlider::fillLabelText()
{
    CControl *pControl = control();
    if (!pControl)
        return;
    WWidget *pLabel = pControl->widgetByType(QStringLiteral("label"));
    if (!pLabel || pLabel == this)
        return;
    const QString text = pLabel->itemText();
    HNode *pNode = node();
    if (text == kLabelMarker) {
        pLabel->setItemProperty("text", pControl->nodeLabel());
    } else if (text.startsWith(kLabelMarker)) {
        QString shown = text;
        shown.replace(0, kLabelMarker.size(), pControl->nodeLabel());
        if (pNode && !pNode->portLabels().isEmpty())
            pNode->substitutePortLabel(shown, false);
        pLabel->setItemProperty("text", shown);
    } else if (text == kTitleMarker) {
        if (!pNode) {
            pLabel->setItemProperty("text", pControl->name());
        } else if (isLinkTitle(pNode->title())) {
            // A control named like "Out 3" shows the card's third channel.
            static const QRegularExpression blanks(QStringLiteral("\\s+"));
            const QStringList words = pControl->name().split(blanks, Qt::SkipEmptyParts);
            bool ok = false;
            const int number = words.value(1).toInt(&ok, 10);
            pLabel->setItemProperty("text", pNode->channelLabelAt(ok ? number - 1 : -2));
        }
    }
}

void WSlider::chooseParameterLimits(CAttributes *pAttributes)
{
    const HNode *pNode = node();
    if (!pNode || !pAttributes)
        return;
    const QString title = pNode->title();
    const CControl *pControl = control();
    const QString controlName = pControl ? pControl->name() : QString();

    QString parameter;
    if (title == QLatin1String("Vexlink") || title == QLatin1String("DXRLink")) {
        parameter = linkParameter(pNode, pAttributes->channelLabel());
    } else if (isToneEqTitle(title)) {
        const WWidget *pLabel = pControl ? pControl->widgetByType(QStringLiteral("label")) : nullptr;
        if (pLabel && pLabel != this)
            parameter = toneEqParameter(pLabel->itemText());
    } else if (title == QLatin1String("Conference Room Router")) {
        parameter = routerParameter(controlName);
    } else if (title == QLatin1String("Standard Room Combiner")) {
        parameter = combinerParameter(controlName);
    } else if (title == QLatin1String("Group")) {
        const float upper = limitOf(pNode->maxText());
        m_upperLimit = upper;
        m_lowerLimit = -60.0f;
        if (upper != -60.0f)
            setLimits(pAttributes, upper, -60.0f);
        return;
    } else {
        const float upper = limitOf(pNode->maxText());
        const float lower = limitOf(pNode->minText());
        m_upperLimit = upper;
        m_lowerLimit = lower;
        if (upper != lower)
            setLimits(pAttributes, upper, lower);
        return;
    }
    applyRangeText(pAttributes, parameter.isEmpty() ? QString() : pNode->rangeFor(parameter));
}

void WSlider::applyRangeText(CAttributes *pAttributes, const QString &rangeText)
{
    const QStringList parts = rangeText.split(QLatin1Char(','), Qt::KeepEmptyParts);
    // An absent or one-part range keeps the binding's own maximum and minimum.
    if (parts.size() < 2)
        return;
    const float upper = limitOf(parts.at(0));
    const float lower = limitOf(parts.at(1));
    m_upperLimit = upper;
    m_lowerLimit = lower;
    if (upper != lower)
        setLimits(pAttributes, upper, lower);
}

void WSlider::setLimits(CAttributes *pAttributes, float upper, float lower)
{
    pAttributes->setMaxLimit(upper);
    pAttributes->setMinLimit(lower);
}
