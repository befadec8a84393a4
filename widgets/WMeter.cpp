#include "WMeter.h"

#include "amplifiers/ArxWebSocketModel.h"
#include "comms/PProtocol.h"
#include "comms/TTransform.h"
#include "controls/CAttributes.h"
#include "controls/CControl.h"
#include "devices/HNode.h"
#include "project/XmlWriter.h"

#include <QColor>
#include <QDebug>

#include <cmath>

namespace {

const WMeterCore::Texts kTexts = {
    "Setting a null TTransform on WMeter",
    "The parent chassis for a ARX meter does not have a ARX repository",
    nullptr,
    "WMeter can't tell if it is input or output.",
    "No analog input meter data available for arx channel ",
    "No digital input meter data available for arx channel ",
    "No output meter data available for arx channel ",
};

double numberOf(const QString &text)
{
    bool ok = false;
    const double value = text.toDouble(&ok);
    return ok && std::isfinite(value) ? value : 0.0;
}

QString colourName(const QColor &colour)
{
    return colour.name(colour.alpha() == 255 ? QColor::HexRgb : QColor::HexArgb);
}

} // namespace

const char *const WMeter::Grey = "#C3C3C3";
const char *const WMeter::Green = "#21f321";
const char *const WMeter::Yellow = "#fff780";
const char *const WMeter::Orange = "#ff8000";

WMeter::WMeter(QQuickItem *parent)
    : WWidget(parent)
    , m_core(this, kTexts)
{
    m_peakFallTimer.setSingleShot(false);
    m_peakFallTimer.setInterval(PeakFallIntervalMs);
    connect(&m_peakFallTimer, &QTimer::timeout, this, &WMeter::onSendDelayTimerTimeout);
    connect(&m_core, &WMeterCore::arxModel, this, &WMeter::onArxWebSocketUpdate);
    connect(&m_core, &WMeterCore::arxDisconnected, this, &WMeter::onWebsocketDisconnect);
}

WMeter::~WMeter()
{
    m_peakFallTimer.stop();
}

void WMeter::initialize(QQuickItem *pItem)
{
    m_core.watchItem(pItem);
}

bool WMeter::readAttribute(const QString &name, const QString &value)
{
    if (!m_pWidget)
        return false;
    if (processRect(name, value) || readIdAttribute(name, value) || readFractionAttribute(name, value))
        return true;
    if (name == QLatin1String("text")) {
        QString text = value;
        if (CControl *pControl = control())
            text.replace(QStringLiteral("*LABEL*"), pControl->nodeLabel());
        setItemProperty("text", text);
    } else if (name == QLatin1String("color")) {
        setColorProperty("textColor", value);
    } else if (name == QLatin1String("markerLevelPoint")) {
        setItemProperty("isMarkerEnabled", true);
        setMarker(numberOf(value));
    } else if (name == QLatin1String("unitsText")) {
        m_unitsText = value;
        emit unitsTextChanged();
    } else {
        switch (m_core.readAttribute(name, value)) {
        case WMeterCore::Read::NotMine:
            return false;
        case WMeterCore::Read::Taken:
            break;
        case WMeterCore::Read::Minimum:
            emit minimumChanged();
            m_core.devicePeak().peak = minimum();
            break;
        case WMeterCore::Read::Maximum:
            emit maximumChanged();
            break;
        }
    }
    return true;
}

void WMeter::writeAttributes(XmlWriter &writer) const
{
    if (!m_pWidget)
        return;
    writer.writeStartElement(typeName());
    writeBaseAttributes(writer);
    writer.writeTextElement(QStringLiteral("text"), itemText());
    writer.writeTextElement(QStringLiteral("color"), colourName(itemProperty("textColor").value<QColor>()));
    writer.writeFloatElement(QStringLiteral("minimum"), minimum());
    writer.writeFloatElement(QStringLiteral("maximum"), maximum());
    writer.writeFloatElement(QStringLiteral("colorBreakValue1"), colorBreakValue1());
    writer.writeFloatElement(QStringLiteral("colorBreakValue2"), colorBreakValue2());
    writer.writeTextElement(QStringLiteral("unitsText"), m_unitsText);
    if (itemProperty("isMarkerEnabled").toBool()) {
        const double point = itemProperty("markerLevelPoint").toDouble();
        writer.writeFloatElement(QStringLiteral("markerLevelPoint"), point * range() + minimum());
    }
    writer.writeTextElement(QStringLiteral("meterRate"), m_core.rate());
    if (!channelName().isEmpty())
        writer.writeTextElement(QStringLiteral("channelName"), channelName());
    if (indexOffset() > 0)
        writer.writeIntElement(QStringLiteral("indexOffset"), indexOffset());
    writer.writeEndElement(typeName());
}

void WMeter::applyAttributes(CAttributes *pAttributes)
{
    m_core.markTransform(pAttributes);
}

void WMeter::bound()
{
    const QString text = itemText();
    const QString shown = m_core.finishBinding(text);
    if (shown != text)
        setItemProperty("text", shown);
}

void WMeter::setTransform(TTransform *pTransform)
{
    WWidget::setTransform(pTransform);
    m_core.followTransform(pTransform);
}

void WMeter::setText(const QString &text)
{
    setItemProperty("text", text);
}

void WMeter::setItemVisible(bool visible)
{
    WWidget::setItemVisible(visible);
    qDebug().noquote() << QStringLiteral("Meter visibility changed: ")
                              + (visible ? QStringLiteral("true") : QStringLiteral("false"));
    m_core.syncShown(visible);
}

void WMeter::onVisibleChanged()
{
    m_core.syncShown(m_core.isShown());
}

void WMeter::onOnlineStateChanged(bool online)
{
    m_core.setOnline(online);
    if (online)
        return;
    setOutputEnabled(false);
    setGrey();
    setItemProperty("isPeakEnabled", false);
    setItemProperty("peakLevelPoint", 0.0);
    setOutputEnabled(true);
    m_core.devicePeak().peak = minimum();
}

void WMeter::onGetStatusTimerTimeout()
{
    m_core.requestLevel();
}

void WMeter::setColours(const char *first, const char *second, const char *third)
{
    setColorProperty("colorAtPoint1", QLatin1String(first));
    setColorProperty("colorAtPoint2", QLatin1String(second));
    setColorProperty("colorAtPoint3", QLatin1String(third));
}

void WMeter::setStops(double first, double second, double third)
{
    setItemProperty("colorStopPoint1", first);
    setItemProperty("colorStopPoint2", second);
    setItemProperty("colorStopPoint3", third);
}

void WMeter::setMarker(double level)
{
    const double point = hasRange() ? qBound(0.0, level - minimum(), range()) / range() : 0.0;
    setItemProperty("markerLevelPoint", point);
}

void WMeter::setState()
{
    TTransform *pTransform = transform();
    if (!pTransform || !pTransform->replyIsNumber())
        return;
    const double level = pTransform->replyFloatValue() + WMeterCore::outputOffset(node());
    if (!std::isfinite(level))
        return;
    setOutputEnabled(false);
    m_peakFallTimer.start(PeakFallIntervalMs);
    if (!hasRange()) {
        // No scale to place anything on.
        setGrey();
        setItemProperty("isPeakEnabled", false);
        setOutputEnabled(true);
        return;
    }
    const double r = range();
    WMeterCore::DevicePeak &peak = m_core.devicePeak();
    peak.update(level);
    setItemProperty("isPeakEnabled", true);
    setItemProperty("peakLevelPoint", (peak.peak - minimum() - 0.1) / r);

    showSegments(level, minimum(), colorBreakValue1(), colorBreakValue2(), (level - minimum()) / r);
    setOutputEnabled(true);
}

void WMeter::onSendDelayTimerTimeout()
{
    // The device went quiet: the shown peak sinks a dB each time.
    if (!hasRange())
        return;
    const double r = range();
    const double shown = itemProperty("peakLevelPoint").toDouble() * r + minimum();
    const double lower = shown - 1.0;
    if (lower > minimum() - 1.0 && lower < maximum()) {
        m_core.devicePeak().peak = lower;
        setItemProperty("peakLevelPoint", (lower - minimum()) / r);
    }
}

void WMeter::onArxWebSocketUpdate(const ArxWebSocketModel &model)
{
    HNode *pNode = node() ? node() : transformNode();
    double x = 0.0;
    if (!m_core.arxLevel(model, pNode, &x))
        return;
    setOutputEnabled(false);
    if (!hasRange()) {
        setGrey();
        setItemProperty("isPeakEnabled", false);
        setOutputEnabled(true);
        return;
    }
    const double r = range();
    const double level = 60.0 * x; // dB above -60
    const double g = level / r;
    WMeterCore::ArxPeak &peak = m_core.arxPeak();
    peak.update(g);
    setItemProperty("isPeakEnabled", true);
    setItemProperty("peakLevelPoint", peak.peak);

    // The breaks taken 60 up, onto the level's scale.
    showSegments(level, 0.0, colorBreakValue1() + 60.0, colorBreakValue2() + 60.0, g);
    setOutputEnabled(true);
}

void WMeter::showSegments(double level, double bottom, double break1, double break2,
                          double greenStop)
{
    // The segment lengths are fractions of the scale, the zone edges on
    // the level's own scale.
    const double r = range();
    const double green = (colorBreakValue1() - minimum()) / r;
    switch (WMeterCore::zoneOf(level, bottom, break1, break2)) {
    case WMeterCore::Zone::Unlit:
        setGrey();
        break;
    case WMeterCore::Zone::Green:
        setItemProperty("colorStopPoint1", greenStop);
        setColours(Green, Grey, Grey);
        break;
    case WMeterCore::Zone::Yellow:
        setStops(green, (level - break1) / r, (maximum() - colorBreakValue2()) / r);
        setColours(Green, Yellow, Grey);
        break;
    case WMeterCore::Zone::Orange:
        setStops(green, (colorBreakValue2() - colorBreakValue1()) / r, (level - break2) / r);
        setColours(Green, Yellow, Orange);
        break;
    }
}

void WMeter::onWebsocketDisconnect()
{
    setGrey();
}
