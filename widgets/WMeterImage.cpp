#include "WMeterImage.h"

#include "amplifiers/ArxWebSocketModel.h"
#include "comms/PProtocol.h"
#include "comms/TTransform.h"
#include "controls/CAttributes.h"
#include "controls/CControl.h"
#include "devices/HNode.h"
#include "project/XmlWriter.h"

#include <QDebug>

#include <cmath>

namespace {

const WMeterCore::Texts kTexts = {
    "Setting a null TTransform on WMeterImage",
    "The parent chassis for a ARX meterImage does not have a ARX repository",
    "Setting meterImage for ARX: ",
    "WMeterImage can't tell if it is input or output.",
    "No input meter data available for arx channel ",
    "No digital input meter data available for arx channel ",
    "No output meter data available for arx channel ",
};

double numberOf(const QString &text)
{
    bool ok = false;
    const double value = text.toDouble(&ok);
    return ok && std::isfinite(value) ? value : 0.0;
}

} // namespace

const QString WMeterImage::GreyPicture = QStringLiteral("../images/meterGrey.png");
const QString WMeterImage::GreenPicture = QStringLiteral("../images/meterGreen.png");
const QString WMeterImage::YellowPicture = QStringLiteral("../images/meterYellow.png");
const QString WMeterImage::OrangePicture = QStringLiteral("../images/meterOrange.png");

WMeterImage::WMeterImage(QQuickItem *parent)
    : WWidget(parent)
    , m_core(this, kTexts)
{
    connect(&m_core, &WMeterCore::arxModel, this, &WMeterImage::onArxWebSocketUpdate);
}

WMeterImage::~WMeterImage() = default;

void WMeterImage::initialize(QQuickItem *pItem)
{
    showPicture(GreyPicture);
    setItemProperty("imageOpacity", 1.0);
    m_core.watchItem(pItem);
}

void WMeterImage::showPicture(const QString &path)
{
    if (!m_pWidget || path == m_picture)
        return;
    m_picture = path;
    setPictureProperty("path", path);
}

bool WMeterImage::readAttribute(const QString &name, const QString &value)
{
    if (!m_pWidget)
        return false;
    if (processRect(name, value) || readIdAttribute(name, value))
        return true;
    // The panel file is written with "image"; both name the picture.
    if (name == QLatin1String("path") || name == QLatin1String("image")) {
        showPicture(value);
    } else if (name == QLatin1String("imagesize")) {
        setItemProperty("imageSize", numberOf(value));
    } else if (name == QLatin1String("imageOpacity")) {
        setItemProperty("imageOpacity", qBound(0.01, numberOf(value), 1.0));
    } else if (name == QLatin1String("text")) {
        setText(value);
    } else {
        return m_core.readAttribute(name, value) != WMeterCore::Read::NotMine;
    }
    return true;
}

void WMeterImage::writeAttributes(XmlWriter &writer) const
{
    if (!m_pWidget)
        return;
    writer.writeStartElement(typeName());
    writeBaseAttributes(writer);
    writer.writeFloatElement(QStringLiteral("minimum"), minimum());
    writer.writeFloatElement(QStringLiteral("maximum"), maximum());
    writer.writeTextElement(QStringLiteral("image"), itemProperty("path").toString());
    writer.writeTextElement(QStringLiteral("imagesize"), itemProperty("imageSize").toString());
    writer.writeFloatElement(QStringLiteral("imageOpacity"), itemProperty("imageOpacity").toDouble());
    writer.writeTextElement(QStringLiteral("text"), itemText());
    writer.writeTextElement(QStringLiteral("meterRate"), m_core.rate());
    writer.writeFloatElement(QStringLiteral("colorBreakValue1"), colorBreakValue1());
    writer.writeFloatElement(QStringLiteral("colorBreakValue2"), colorBreakValue2());
    if (!channelName().isEmpty())
        writer.writeTextElement(QStringLiteral("channelName"), channelName());
    if (indexOffset() > 0)
        writer.writeIntElement(QStringLiteral("indexOffset"), indexOffset());
    writer.writeEndElement(typeName());
}

void WMeterImage::applyAttributes(CAttributes *pAttributes)
{
    m_core.markTransform(pAttributes);
}

void WMeterImage::bound()
{
    const QString text = itemText();
    const QString shown = m_core.finishBinding(text);
    if (shown != text)
        setText(shown);
}

void WMeterImage::setTransform(TTransform *pTransform)
{
    WWidget::setTransform(pTransform);
    // No disconnection handling: the last picture stays.
    m_core.followTransform(pTransform);
}

void WMeterImage::setText(const QString &text)
{
    setItemProperty("text", text);
}

void WMeterImage::setItemVisible(bool visible)
{
    WWidget::setItemVisible(visible);
    m_core.syncShown(visible);
}

void WMeterImage::onOnlineStateChanged(bool online)
{
    m_core.setOnline(online);
    if (!online)
        showPicture(GreyPicture);
}

void WMeterImage::onGetStatusTimerTimeout()
{
    m_core.requestLevel();
}

QString WMeterImage::pictureFor(double level, double bottom, double b1, double b2) const
{
    switch (WMeterCore::zoneOf(level, bottom, b1, b2)) {
    case WMeterCore::Zone::Unlit:
        break;
    case WMeterCore::Zone::Green:
        return GreenPicture;
    case WMeterCore::Zone::Yellow:
        return YellowPicture;
    case WMeterCore::Zone::Orange:
        return OrangePicture;
    }
    return GreyPicture;
}

void WMeterImage::setState()
{
    TTransform *pTransform = transform();
    if (!pTransform || !pTransform->replyIsNumber())
        return;
    const double level = pTransform->replyFloatValue() + WMeterCore::outputOffset(node());
    if (!std::isfinite(level))
        return;
    showPicture(pictureFor(level, minimum(), colorBreakValue1(), colorBreakValue2()));
}

void WMeterImage::onArxWebSocketUpdate(const ArxWebSocketModel &model)
{
    HNode *pNode = node() ? node() : transformNode();
    double x = 0.0;
    if (!m_core.arxLevel(model, pNode, &x))
        return;
    // The display level in dB above -60.
    const double level = 60.0 * x;
    showPicture(pictureFor(level, 0.0, colorBreakValue1() + 60.0, colorBreakValue2() + 60.0));
}
