#include "WMeterCore.h"

#include "amplifiers/ArxModelRepository.h"
#include "comms/PProtocol.h"
#include "comms/TTransform.h"
#include "controls/CAttributes.h"
#include "controls/CControl.h"
#include "controls/WWidget.h"
#include "devices/HNode.h"

#include <QDebug>
#include <QQuickItem>
#include <QRegularExpression>

#include <cmath>

namespace {

double numberOf(const QString &text)
{
    bool ok = false;
    const double value = text.toDouble(&ok);
    return ok && std::isfinite(value) ? value : 0.0;
}

} // namespace

void WMeterCore::DevicePeak::update(double level)
{
    if (peak > level)
        peak -= decay;
    if (level >= peak) {
        peak = level;
        decay = 0.0;
        hold = HoldUpdates;
    } else if (hold > 0) {
        hold -= 1;
    } else {
        decay = Fall;
    }
}

void WMeterCore::ArxPeak::update(double fraction)
{
    if (peak <= fraction) {
        peak = fraction;
        hold = HoldUpdates;
    } else if (hold > 0) {
        --hold;
    } else {
        peak -= Fall;
    }
}

WMeterCore::WMeterCore(WWidget *pMeter, const Texts &texts)
    : QObject(pMeter)
    , m_pMeter(pMeter)
    , m_texts(texts)
{
    m_statusTimer.setInterval(DefaultIntervalMs);
    m_statusTimer.setSingleShot(false);
    connect(&m_statusTimer, &QTimer::timeout, this, &WMeterCore::requestLevel);
}

WMeterCore::~WMeterCore()
{
    m_statusTimer.stop();
}

WMeterCore::Read WMeterCore::readAttribute(const QString &name, const QString &value)
{
    if (name == QLatin1String("meterRate")) {
        setRate(value);
    } else if (name == QLatin1String("channelName")) {
        m_channelName = value;
    } else if (name == QLatin1String("indexOffset")) {
        bool ok = false;
        const int offset = value.toInt(&ok, 10);
        m_indexOffset = ok ? offset : 0;
    } else if (!m_pMeter->node()) {
        return Read::NotMine;
    } else if (name == QLatin1String("minimum")) {
        m_scale.minimum = numberOf(value);
        return Read::Minimum;
    } else if (name == QLatin1String("maximum")) {
        m_scale.maximum = numberOf(value);
        return Read::Maximum;
    } else if (name == QLatin1String("colorBreakValue1")) {
        m_scale.break1 = numberOf(value);
    } else if (name == QLatin1String("colorBreakValue2")) {
        m_scale.break2 = numberOf(value);
    } else {
        return Read::NotMine;
    }
    return Read::Taken;
}

int WMeterCore::rateInterval(const QString &rate)
{
    struct Rate
    {
        const char *text;
        int ms;
    };
    static const Rate kRates[] = {
        {"1x/s", 1000}, {"2x/s", 500}, {"3x/s", 333}, {"4x/s", 250}, {"5x/s", 200},
    };
    for (const Rate &entry : kRates) {
        if (rate == QLatin1String(entry.text))
            return entry.ms;
    }
    return 0;
}

void WMeterCore::setRate(const QString &rate)
{
    m_rate = rate;
    if (const int ms = rateInterval(rate))
        m_statusTimer.setInterval(ms);
}

void WMeterCore::setOnline(bool online)
{
    m_online = online;
    if (online)
        m_onlineSeen = true;
    if (online && m_shown)
        start();
    else if (!online)
        m_statusTimer.stop();
}

void WMeterCore::syncShown(bool shown)
{
    const QQuickItem *pItem = m_pMeter->item();
    setShown(pItem ? pItem->isVisible() : shown);
}

void WMeterCore::watchItem(QQuickItem *pItem)
{
    if (pItem)
        connect(pItem, &QQuickItem::visibleChanged, this, &WMeterCore::onItemVisibleChanged,
                Qt::UniqueConnection);
}

void WMeterCore::onItemVisibleChanged()
{
    syncShown(m_shown);
}

void WMeterCore::setShown(bool shown)
{
    if (shown == m_shown)
        return;
    m_shown = shown;
    if (!m_onlineSeen)
        return;
    if (!shown)
        m_statusTimer.stop();
    else if (m_online)
        start();
}

void WMeterCore::start()
{
    if (m_statusTimer.isActive())
        return;
    requestLevel();
    m_statusTimer.start();
}

void WMeterCore::requestLevel()
{
    PProtocol *pProtocol = m_pMeter->protocol();
    TTransform *pTransform = m_pMeter->transform();
    if (pProtocol && pTransform && pTransform->isSelected())
        pProtocol->requestMeterStatus(pTransform);
}

WMeterCore::Zone WMeterCore::zoneOf(double level, double bottom, double break1, double break2)
{
    if (level <= bottom)
        return Zone::Unlit;
    if (level <= break1)
        return Zone::Green;
    if (level <= break2)
        return Zone::Yellow;
    return Zone::Orange;
}

void WMeterCore::followTransform(TTransform *pTransform)
{
    if (!pTransform) {
        qWarning() << m_texts.nullTransform;
        return;
    }
    // The base shows the transform's replies; an ARX amplifier's levels
    // come from its meter feed instead, never from a device reply.
    if (!m_pMeter->isArxChassis())
        return;
    QObject::disconnect(pTransform, &TTransform::replyValueReady, m_pMeter, &WWidget::setState);
    if (m_texts.arxSetUp)
        qDebug().noquote() << QLatin1String(m_texts.arxSetUp) + m_pMeter->chassisTitle();
    ArxModelRepository *pRepository = m_pMeter->chassisModelRepository(m_pMeter->chassis());
    if (!pRepository) {
        qWarning() << m_texts.noRepository;
        return;
    }
    attachArx(pRepository);
}

void WMeterCore::markTransform(CAttributes *pAttributes)
{
    TTransform *pTransform = m_pMeter->transform();
    if (!m_pMeter->node() || !pTransform || !pAttributes)
        return;
    pTransform->setDanteChannel(pAttributes->cardPin());
    pTransform->setSelected(true);
}

QString WMeterCore::finishBinding(const QString &text)
{
    TTransform *pTransform = m_pMeter->transform();
    if (pTransform) {
        if (!m_channelName.isEmpty())
            pTransform->setOwnText(m_channelName);
        pTransform->setUsbChannel(m_indexOffset);
    }
    QString channelLabel;
    const QString shown = placeholderText(text, &channelLabel);
    if (!channelLabel.isEmpty()) {
        m_channelName = channelLabel;
        if (pTransform)
            pTransform->setOwnText(channelLabel);
    }
    PProtocol *pProtocol = m_pMeter->protocol();
    if (pProtocol && pProtocol->isOnline())
        setOnline(true);
    return shown;
}

QString WMeterCore::placeholderText(const QString &text, QString *pChannelLabel) const
{
    const HNode *pNode = m_pMeter->node();
    if (!pNode)
        return text;
    if (text == QLatin1String("*LABEL*"))
        return pNode->label();
    if (text == QLatin1String("*USB*"))
        return pNode->label() + QLatin1Char(' ') + pNode->portLabel(m_indexOffset);
    if (text == QLatin1String("*TITLE*")) {
        const QString controlText = m_pMeter->control() ? m_pMeter->control()->name() : QString();
        const QString title = pNode->title();
        if (!title.startsWith(QLatin1String("DXRLink")) && !title.startsWith(QLatin1String("Vexlink")))
            return controlText;
        // A control named like "In 3" shows the card's third channel.
        static const QRegularExpression blanks(QStringLiteral("\\s+"));
        const QStringList words = controlText.split(blanks, Qt::SkipEmptyParts);
        bool ok = false;
        const int number = words.value(1).toInt(&ok, 10);
        const QString label = pNode->channelLabelAt(ok ? number - 1 : -2);
        if (pChannelLabel)
            *pChannelLabel = label;
        return label;
    }
    if (text == QLatin1String("*CHLABEL*") && pNode->title().contains(QLatin1String("Dante"))
        && m_pMeter->transform() && m_pMeter->attributes()) {
        const QString label = m_pMeter->attributes()->channelLabel();
        if (pChannelLabel)
            *pChannelLabel = label;
        return label;
    }
    return text;
}

double WMeterCore::outputOffset(const HNode *pNode)
{
    if (pNode && pNode->title().startsWith(QLatin1String("Output "))
        && pNode->typenum() == QLatin1String("2"))
        return 24.0;
    return 0.0;
}

void WMeterCore::attachArx(ArxModelRepository *pRepository)
{
    if (!pRepository)
        return;
    if (pRepository != m_pRepository) {
        if (m_pRepository)
            m_pRepository->disconnect(this);
        m_pRepository = pRepository;
        connect(pRepository, &ArxModelRepository::audioModelUpdate, this, &WMeterCore::arxModel);
        connect(pRepository, &ArxModelRepository::websocketDisconnect, this,
                &WMeterCore::arxDisconnected);
    }
    if (!pRepository->isWebSocketConnected())
        pRepository->reconnectWebSocket();
}

WMeterCore::ArxList WMeterCore::arxListOf(HNode *pNode) const
{
    if (m_pMeter->isInputNode(pNode)) {
        const bool digital = pNode->category().contains(QLatin1String("digital"), Qt::CaseInsensitive)
            || pNode->title().contains(QLatin1String("digital"), Qt::CaseInsensitive);
        return digital ? ArxList::DigitalInputs : ArxList::AnalogInputs;
    }
    if (m_pMeter->isOutputNode(pNode))
        return ArxList::Outputs;
    qWarning() << m_texts.unknownDirection;
    return ArxList::None;
}

bool WMeterCore::arxLevel(const ArxWebSocketModel &model, HNode *pNode, double *pLevel) const
{
    const ArxList list = arxListOf(pNode);
    const QList<double> *pLevels = nullptr;
    const char *missing = nullptr;
    switch (list) {
    case ArxList::None:
        return false;
    case ArxList::AnalogInputs:
        pLevels = &model.analogInputLevels;
        missing = m_texts.noAnalog;
        break;
    case ArxList::DigitalInputs:
        pLevels = &model.digitalInputLevels;
        missing = m_texts.noDigital;
        break;
    case ArxList::Outputs:
        pLevels = &model.outputLevels;
        missing = m_texts.noOutput;
        break;
    }
    // The node's I/O index is -1 when unknown; the amplifier decides the
    // list's length.
    const int n = m_pMeter->ioIndexOfNode(pNode);
    if (n < 0 || n >= pLevels->size()) {
        qDebug().noquote() << QLatin1String(missing) + QString::number(qint64(n) + 1);
        return false;
    }
    *pLevel = pLevels->at(n);
    return true;
}
