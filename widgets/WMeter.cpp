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
    if (pItem)
        connect(pItem, &QQuickItem::visibleChanged, this, &WMeter::onVisibleChanged,
                Qt::UniqueConnection);
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
    } else if (name == QLatin1String("meterRate")) {
        m_core.setRate(value);
    } else if (name == QLatin1String("channelName")) {
        m_channelName = value;
    } else if (name == QLatin1String("indexOffset")) {
        bool ok = false;
        const int offset = value.toInt(&ok, 10);
        m_indexOffset = ok ? offset : 0;
    } else if (name == QLatin1String("unitsText")) {
        m_unitsText = value;
        emit unitsTextChanged();
    } else if (!node()) {
        return false;
    } else if (name == QLatin1String("minimum")) {
        m_minimum = numberOf(value);
        emit minimumChanged();
        m_core.devicePeak().peak = m_minimum;
    } else if (name == QLatin1String("maximum")) {
        m_maximum = numberOf(value);
        emit maximumChanged();
    } else if (name == QLatin1String("colorBreakValue1")) {
        m_colorBreakValue1 = numberOf(value);
    } else if (name == QLatin1String("colorBreakValue2")) {
        m_colorBreakValue2 = numberOf(value);
    } else {
        return false;
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
    writer.writeFloatElement(QStringLiteral("minimum"), m_minimum);
    writer.writeFloatElement(QStringLiteral("maximum"), m_maximum);
    writer.writeFloatElement(QStringLiteral("colorBreakValue1"), m_colorBreakValue1);
    writer.writeFloatElement(QStringLiteral("colorBreakValue2"), m_colorBreakValue2);
    writer.writeTextElement(QStringLiteral("unitsText"), m_unitsText);
    if (itemProperty("isMarkerEnabled").toBool()) {
        const double point = itemProperty("markerLevelPoint").toDouble();
        writer.writeFloatElement(QStringLiteral("markerLevelPoint"), point * range() + m_minimum);
    }
    writer.writeTextElement(QStringLiteral("meterRate"), m_core.rate());
    if (!m_channelName.isEmpty())
        writer.writeTextElement(QStringLiteral("channelName"), m_channelName);
    if (m_indexOffset > 0)
        writer.writeIntElement(QStringLiteral("indexOffset"), m_indexOffset);
    writer.writeEndElement(typeName());
}

void WMeter::applyAttributes(CAttributes *pAttributes)
{
    m_core.markTransform(pAttributes);
}

void WMeter::bound()
{
    const QString text = itemText();
    const QString shown = m_core.finishBinding(&m_channelName, m_indexOffset, text);
    if (shown != text)
        setItemProperty("text", shown);
}

void WMeter::setTransform(TTransform *pTransform)
{
    if (TTransform *pOld = transform(); pOld && pOld != pTransform)
        disconnect(pOld, &TTransform::replyValueReady, this, &WMeter::setState);
    WWidget::setTransform(pTransform);
    if (!pTransform) {
        qWarning() << "Setting a null TTransform on WMeter";
        return;
    }
    if (isArxChassis()) {
        ArxModelRepository *pRepository = chassisModelRepository(chassis());
        if (!pRepository) {
            qWarning() << "The parent chassis for a ARX meter does not have a ARX repository";
            return;
        }
        m_core.attachArx(pRepository);
        return;
    }
    connect(pTransform, &TTransform::replyValueReady, this, &WMeter::setState, Qt::UniqueConnection);
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
    const QQuickItem *pItem = item();
    m_core.setShown(pItem ? pItem->isVisible() : visible);
}

void WMeter::onVisibleChanged()
{
    if (const QQuickItem *pItem = item())
        m_core.setShown(pItem->isVisible());
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
    m_core.devicePeak().peak = m_minimum;
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
    const double point = hasRange() ? qBound(0.0, level - m_minimum, range()) / range() : 0.0;
    setItemProperty("markerLevelPoint", point);
}

void WMeter::setState()
{
    TTransform *pTransform = transform();
    if (!pTransform)
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
    setItemProperty("peakLevelPoint", (peak.peak - m_minimum - 0.1) / r);

    showSegments(level, m_minimum, m_colorBreakValue1, m_colorBreakValue2, (level - m_minimum) / r);
    setOutputEnabled(true);
}

void WMeter::onSendDelayTimerTimeout()
{
    // The device went quiet: the shown peak sinks a dB each time.
    if (!hasRange())
        return;
    const double r = range();
    const double shown = itemProperty("peakLevelPoint").toDouble() * r + m_minimum;
    const double lower = shown - 1.0;
    if (lower > m_minimum - 1.0 && lower < m_maximum) {
        m_core.devicePeak().peak = lower;
        setItemProperty("peakLevelPoint", (lower - m_minimum) / r);
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
    showSegments(level, 0.0, m_colorBreakValue1 + 60.0, m_colorBreakValue2 + 60.0, g);
    setOutputEnabled(true);
}

void WMeter::showSegments(double level, double bottom, double break1, double break2,
                          double greenStop)
{
    // The segment lengths are fractions of the scale, the zone edges on
    // the level's own scale.
    const double r = range();
    const double green = (m_colorBreakValue1 - m_minimum) / r;
    switch (WMeterCore::zoneOf(level, bottom, break1, break2)) {
    case WMeterCore::Zone::Unlit:
        setGrey();
        break;
    case WMeterCore::Zone::Green:
        setItemProperty("colorStopPoint1", greenStop);
        setColours(Green, Grey, Grey);
        break;
    case WMeterCore::Zone::Yellow:
        setStops(green, (level - break1) / r, (m_maximum - m_colorBreakValue2) / r);
        setColours(Green, Yellow, Grey);
        break;
    case WMeterCore::Zone::Orange:
        setStops(green, (m_colorBreakValue2 - m_colorBreakValue1) / r, (level - break2) / r);
        setColours(Green, Yellow, Orange);
        break;
    }
}

void WMeter::onWebsocketDisconnect()
{
    setGrey();
}
