#include "WButton.h"

#include "comms/PProtocol.h"
#include "comms/TTransform.h"
#include "controls/CAttributes.h"
#include "controls/CControl.h"
#include "controls/CPanelHost.h"
#include "devices/HNode.h"
#include "project/XmlWriter.h"

#include <QDebug>

#include <iterator>

namespace {

const QString kLabelMarker = QStringLiteral("*LABEL*");
const QString kChannelMarker = QStringLiteral("*Channel*");

// Codes in table order.
const char *const kActionTexts[] = {"alternating", "sequence",     "sendOthenF",    "toggle",
                                    "pulse",       "none",         "showSetupMenu", "showConnectionStatus"};
const char *const kTypeTexts[] = {"mute",       "logicChannel", "logicSet", "logicReset",
                                  "virtualGPI", "virtualGPO",   "setup",    "connectionIndicator"};

int indexIn(const char *const *texts, int count, const QString &text)
{
    for (int i = 0; i < count; ++i) {
        if (text == QLatin1String(texts[i]))
            return i;
    }
    return -1;
}

// A decimal number of the panel file; 0 when the text is none.
int intOf(const QString &text)
{
    bool ok = false;
    const int number = text.toInt(&ok, 10);
    return ok ? number : 0;
}

bool isLogicType(int type)
{
    return type == WButton::TypeLogicChannel || type == WButton::TypeLogicSet
        || type == WButton::TypeLogicReset;
}

} // namespace

WButton::WButton(QQuickItem *parent)
    : WWidget(parent)
{
    m_pulseTimer.setSingleShot(true);
    m_pulseTimer.setInterval(pulseInterval);
    connect(&m_pulseTimer, &QTimer::timeout, this, &WButton::onPulseTimerTimeout);
    m_holdOffTimer.setSingleShot(true);
    m_holdOffTimer.setInterval(holdOffInterval);
}

WButton::~WButton()
{
    m_pulseTimer.stop();
    m_holdOffTimer.stop();
    if (m_indicatorConnection)
        QObject::disconnect(m_indicatorConnection);
}

void WButton::initialize(QQuickItem *pItem)
{
    Q_UNUSED(pItem);
}

void WButton::destroy()
{
}

void WButton::setCanvasItem(QQuickItem *pCanvasItem)
{
    Q_UNUSED(pCanvasItem);
}

void WButton::release()
{
}

void WButton::setNode(HNode *pNode)
{
    WWidget::setNode(pNode);
}

void WButton::setTransform(TTransform *pTransform)
{
    if (!pTransform)
        qDebug() << "Setting a null TTranform on WButton.";
    TTransform *pOld = transform();
    if (pOld && pOld != pTransform)
        disconnect(pOld, &TTransform::valueRefused, this, &WButton::onValueRefused);
    WWidget::setTransform(pTransform);
    if (pTransform)
        connect(pTransform, &TTransform::valueRefused, this, &WButton::onValueRefused, Qt::UniqueConnection);
}

int WButton::actionFromText(const QString &text)
{
    return indexIn(kActionTexts, int(std::size(kActionTexts)), text);
}

int WButton::typeFromText(const QString &text)
{
    return indexIn(kTypeTexts, int(std::size(kTypeTexts)), text);
}

QString WButton::actionText(int action)
{
    if (action < 0 || action >= int(std::size(kActionTexts)))
        action = ActionAlternating;
    return QLatin1String(kActionTexts[action]);
}

QString WButton::typeText(int type)
{
    if (type < 0 || type >= int(std::size(kTypeTexts)))
        type = TypeMute;
    return QLatin1String(kTypeTexts[type]);
}

// --- Presses and device values ----------------------------------------------

void WButton::setChecked(bool checked)
{
    m_checked = checked;
    setItemProperty("checked", checked);
}

bool WButton::sendByte(quint8 value)
{
    TTransform *pTransform = transform();
    if (!pTransform) {
        qDebug() << "WButton press on a button with no TTransform.";
        return false;
    }
    PProtocol *pProtocol = protocol();
    if (!pProtocol)
        return false;
    pTransform->setData(value);
    return pProtocol->sendValue(pTransform);
}

void WButton::outputClicked(bool checked)
{
    Q_UNUSED(checked);
}

void WButton::outputPressed()
{
    if (!item()) {
        qDebug() << "WButton::m_pWidget is null on button press.";
        return;
    }
    if (m_action >= ActionNone || !isOutputEnabled())
        return;
    // A toggle or pulse needs its entry in the set list: without one there
    // is no value that means it, and the button stays as it is.
    const int position = m_action == ActionToggle ? m_togglePosition
                       : m_action == ActionPulse  ? m_pulsePosition
                                                  : 0;
    if (position < 0 || position > 0xFE) {
        qDebug() << "WButton: no" << (m_action == ActionToggle ? "\"T\"" : "\"P\"")
                 << "in the set list, nothing sent.";
        return;
    }

    m_previousChecked = m_checked;
    m_holdOffTimer.start();
    // A device value above 1 counts as checked: the next alternating press
    // sends 0, never the value with its lowest bit flipped.
    setChecked(m_action == ActionSendOthenF ? true : !m_checked);

    quint8 value = 0;
    if (m_action == ActionToggle) {
        value = quint8(position);
    } else if (m_action == ActionPulse) {
        value = quint8(position);
        // A second press while the pulse runs does not lengthen it.
        if (!m_pulseTimer.isActive())
            m_pulseTimer.start();
    } else {
        value = m_checked ? 1 : 0;
        m_sentValue = value;
    }
    sendByte(value);
}

void WButton::outputReleased()
{
    if (!item())
        return;
    m_holdOffTimer.start();
    if (!isOutputEnabled())
        return;
    if (m_action == ActionSequence) {
        setChecked(m_sentValue == 0);
        sendByte(m_checked ? 1 : 0);
    } else if (m_action == ActionSendOthenF) {
        // A logic channel that was off before the press stays lit.
        if (!(m_type == TypeLogicChannel && !m_previousChecked))
            setChecked(false);
        sendByte(0);
    }
}

void WButton::onPulseTimerTimeout()
{
    setChecked(!m_checked);
}

void WButton::onValueRefused()
{
    // Nothing of the device's answer is the operator's own switching now.
    m_holdOffTimer.stop();
}

void WButton::setState()
{
    TTransform *pTransform = transform();
    if (!item() || !pTransform || m_holdOffTimer.isActive())
        return;
    setOutputEnabled(false);
    setChecked(pTransform->replyByteValue() != 0);
    setOutputEnabled(true);
}

// --- Binding and look -------------------------------------------------------

void WButton::applyAttributes(CAttributes *pAttributes)
{
    if (!pAttributes) {
        updateLook();
        return;
    }
    if (isLogicType(m_type) && !m_channel.isEmpty()) {
        bool ok = false;
        int channel = m_channel.toInt(&ok, 10);
        if (!ok) {
            qWarning().noquote() << QStringLiteral("m_channel is not convertable to int. Value is: ")
                    + m_channel;
            channel = 0;
        }
        pAttributes->setIndex2(channel);
        // A logic channel may read its state at another index than it sets.
        if (m_type == TypeLogicChannel && m_index1ForQuery > 0) {
            if (TTransform *pTransform = transform())
                pTransform->setIndexes(m_index1ForQuery, -1, true);
        }
    }
    const QStringList entries = pAttributes->set().split(QLatin1Char(','));
    m_togglePosition = int(entries.indexOf(QStringLiteral("T")));
    m_pulsePosition = int(entries.indexOf(QStringLiteral("P")));
    updateLook();
}

void WButton::setText(const QString &text)
{
    setItemProperty("text", text);
    setItemProperty("hasText", true);
}

void WButton::updateLook()
{
    if (m_action != ActionShowConnectionStatus)
        return;
    CPanelHost *pHost = model();
    if (!pHost)
        return;
    connectIndicator(pHost);
    onChangedStatusIndicator();
}

void WButton::connectIndicator(CPanelHost *pHost)
{
    // One connection, however often the look is refreshed.
    if (m_indicatorConnection && m_pIndicatorHost == pHost)
        return;
    if (m_indicatorConnection)
        QObject::disconnect(m_indicatorConnection);
    m_pIndicatorHost = pHost;
    m_indicatorConnection = pHost->connectStatusIndicator(this, [this]() { onChangedStatusIndicator(); });
}

void WButton::onChangedStatusIndicator()
{
    const CPanelHost *pHost = model();
    if (!item() || !pHost)
        return;
    const QString path = pHost->statusIndicatorPath();
    const bool connected = path.contains(QLatin1String("grn"));
    const bool partly = !connected && path.contains(QLatin1String("ylw"));
    setChecked(connected);
    setItemProperty("isPartialStateActive", partly);
}

QString WButton::picturePath(const QString &text, const CPanelHost *pHost)
{
    // Checked in this order: "led_off" is also inside "green_led_off".
    static const struct {
        const char *key;
        const char *path; // %1 the skin, %2 the accent
    } pictures[] = {
        {"mute_on", "../images/skins/Accent/%2/mute_on.png"},
        {"mute_off", "../images/skins/%1/mute_off.png"},
        {"green_led_off", "../images/ledOffGreen.png"},
        {"led_off", "../images/ledOffRed.png"},
        {"led_on", "../images/ledOn.png"},
        {"red_led", "../images/ledRed.png"},
        {"reset_all", "../images/skins/%1/resetAll.png"},
        {"set_all", "../images/skins/%1/setAll.png"},
        {"setup_button", "../images/skins/%1/menu.png"},
        {"connection_indicator_off", "../images/skins/%1/indicator_red.png"},
        {"connection_indicator_on", "../images/skins/%1/indicator_grn.png"},
        {"connection_indicator_partial", "../images/skins/%1/indicator_ylw.png"},
    };
    for (const auto &picture : pictures) {
        if (!text.contains(QLatin1String(picture.key)))
            continue;
        if (!pHost)
            return QString();
        QString path = QLatin1String(picture.path);
        path.replace(QLatin1String("%1"), pHost->getSkinName());
        path.replace(QLatin1String("%2"), pHost->getAccentName());
        return path;
    }
    return text;
}

QString WButton::pictureBaseName(const QString &path)
{
    QString name = path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    if (dot >= 0)
        name.truncate(dot);
    return name;
}

QString WButton::imageSetOf(const QString &onImage, const QString &offImage, const QString &partialImage)
{
    const QString on = pictureBaseName(onImage);
    const QString off = pictureBaseName(offImage);
    const QString partial = pictureBaseName(partialImage);
    if (on == QLatin1String("mute_on") && off == QLatin1String("mute_off"))
        return tr("Mute/Unmute");
    if (on == QLatin1String("led_on") && off == QLatin1String("led_off"))
        return tr("Green LED");
    if (off == QLatin1String("setup_button"))
        return tr("Setup Icon");
    if (off == QLatin1String("connection_indicator_off") && on == QLatin1String("connection_indicator_on")
        && partial == QLatin1String("connection_indicator_partial"))
        return tr("Connection Status Icon");
    if (off == QLatin1String("set_all"))
        return tr("Set All");
    if (off == QLatin1String("reset_all"))
        return tr("Reset All");
    return tr("Custom");
}

void WButton::setPicture(const char *property, const QString &text)
{
    setPictureProperty(property, picturePath(text, model()));
    setItemProperty("hasImage", true);
    m_imageSet = imageSetOf(m_onImage, m_offImage, m_partialImage);
}

QString WButton::preparedText(const QString &text, bool isOnText) const
{
    QString prepared = text;
    if (const CControl *pControl = control())
        prepared.replace(kLabelMarker, pControl->nodeLabel());
    prepared.replace(kChannelMarker, QStringLiteral("Ch") + m_channel);
    const HNode *pNode = node();
    if (!pNode)
        return prepared;
    if (pNode->teleconInputs() > 0)
        pNode->substitutePortLabel(prepared, false);
    // An automatic mixer's "Mic N ..." names its N-th input.
    if (pNode->title().startsWith(QLatin1String("AMM")) && prepared.startsWith(QLatin1String("Mic"))) {
        const QStringList words = prepared.split(QLatin1Char(' '));
        bool ok = false;
        const int number = words.value(1).toInt(&ok, 10);
        const QString label = ok ? pNode->inputLabelAt(number - 1) : QString();
        prepared = label + (isOnText ? QStringLiteral(" UNMUTE") : QStringLiteral(" MUTE"));
    }
    return prepared;
}

// --- Panel file -------------------------------------------------------------

bool WButton::readAttribute(const QString &name, const QString &value)
{
    if (!item())
        return false;
    if (processRect(name, value) || readIdAttribute(name, value))
        return true;

    if (name == QLatin1String("action")) {
        const int action = actionFromText(value);
        setItemProperty("isSequence", action == ActionSequence || action == ActionSendOthenF);
        setItemProperty("isSetupButton", action == ActionShowSetupMenu);
        if (action >= 0)
            m_action = ButtonAction(action);
        if (action == ActionShowConnectionStatus)
            setItemProperty("isTristateButton", true);
    } else if (name == QLatin1String("buttonType")) {
        const int type = typeFromText(value);
        m_type = type < 0 ? TypeMute : ButtonType(type);
        if (const HNode *pNode = node()) {
            if (m_type == TypeLogicSet)
                m_channel = QString::number(pNode->index() + 1);
            else if (m_type == TypeLogicReset)
                m_channel = QString::number(pNode->index() + 2);
        }
    } else if (name == QLatin1String("title")) {
        setItemProperty("onText", value);
        setItemProperty("offText", value);
        setItemProperty("hasText", true);
    } else if (name == QLatin1String("channel")) {
        m_channel = value;
    } else if (name == QLatin1String("ontext") || name == QLatin1String("offtext")) {
        const bool isOn = name == QLatin1String("ontext");
        setItemProperty(isOn ? "onText" : "offText", preparedText(value, isOn));
        setItemProperty("hasText", true);
    } else if (name == QLatin1String("partialText")) {
        setItemProperty("partialText", value);
        setItemProperty("hasText", true);
    } else if (name == QLatin1String("onimage")) {
        m_onImage = value;
        setPicture("onImage", value);
    } else if (name == QLatin1String("offimage")) {
        m_offImage = value;
        setPicture("offImage", value);
    } else if (name == QLatin1String("partialImage")) {
        m_partialImage = value;
        setPicture("partialImage", value);
    } else if (name == QLatin1String("imageSet")) {
        m_imageSet = value;
    } else if (name == QLatin1String("imagesize")) {
        setItemProperty("imageSize", double(value.toFloat()));
    } else if (name == QLatin1String("hasBorder")) {
        setItemProperty("hasBorder", intOf(value) != 0);
    } else if (name == QLatin1String("index1ForQuery")) {
        m_index1ForQuery = intOf(value);
    } else {
        return false;
    }
    return true;
}

void WButton::writeAttributes(XmlWriter &writer) const
{
    if (!item())
        return;
    writer.writeStartElement(typeName());
    writeBaseAttributes(writer);
    if (itemProperty("hasText").toBool()) {
        writer.writeTextElement(QStringLiteral("ontext"), itemProperty("onText").toString());
        writer.writeTextElement(QStringLiteral("offtext"), itemProperty("offText").toString());
        const QString partial = itemProperty("partialText").toString();
        if (!partial.isEmpty())
            writer.writeTextElement(QStringLiteral("partialText"), partial);
    }
    if (itemProperty("hasImage").toBool()) {
        writer.writeTextElement(QStringLiteral("onimage"), pictureBaseName(itemProperty("onImage").toString()));
        writer.writeTextElement(QStringLiteral("offimage"), pictureBaseName(itemProperty("offImage").toString()));
        const QString partial = itemProperty("partialImage").toString();
        if (!partial.isEmpty())
            writer.writeTextElement(QStringLiteral("partialImage"), pictureBaseName(partial));
        writer.writeFloatElement(QStringLiteral("imagesize"), itemProperty("imageSize").toDouble());
    }
    writer.writeIntElement(QStringLiteral("hasBorder"), itemProperty("hasBorder").toBool() ? 1 : 0);
    writer.writeTextElement(QStringLiteral("action"), actionText(m_action));
    writer.writeTextElement(QStringLiteral("buttonType"), typeText(m_type));
    writer.writeTextElement(QStringLiteral("channel"), m_channel);
    writer.writeTextElement(QStringLiteral("imageSet"), m_imageSet);
    writer.writeIntElement(QStringLiteral("index1ForQuery"), m_index1ForQuery);
    writer.writeEndElement(typeName());
}
