#include "WWidget.h"

#include "comms/PProtocol.h"
#include "comms/TTransform.h"
#include "controls/CControl.h"
#include "devices/HAudioIO.h"
#include "devices/HChassis.h"
#include "devices/HComposite.h"
#include "devices/HNode.h"
#include "project/UArchive.h"
#include "project/XmlWriter.h"

#include <QColor>
#include <QDebug>
#include <QScopedValueRollback>

#include <cmath>

WWidget::WWidget(QQuickItem *parent)
    : QQuickItem(parent)
{
}

WWidget::~WWidget() = default;

void WWidget::initialize(QQuickItem *pItem)
{
    Q_UNUSED(pItem);
}

void WWidget::destroy()
{
}

void WWidget::applyAttributes(CAttributes *pAttributes)
{
    Q_UNUSED(pAttributes);
}

void WWidget::bound()
{
}

void WWidget::setCanvasItem(QQuickItem *pCanvasItem)
{
    Q_UNUSED(pCanvasItem);
}

void WWidget::writeAttributes(XmlWriter &writer) const
{
    if (!item())
        return;
    writer.writeStartElement(m_typeName);
    writeBaseAttributes(writer);
    writer.writeEndElement(m_typeName);
}

void WWidget::writeBaseAttributes(XmlWriter &writer) const
{
    const QQuickItem *pItem = item();
    if (!pItem)
        return;
    writer.writeIntElement(QStringLiteral("id"), m_id);
    if (m_link != 0)
        writer.writeIntElement(QStringLiteral("link"), m_link);
    writer.writeFloatElement(QStringLiteral("x"), pItem->x());
    writer.writeFloatElement(QStringLiteral("y"), pItem->y());
    writer.writeFloatElement(QStringLiteral("width"), pItem->width());
    writer.writeFloatElement(QStringLiteral("height"), pItem->height());
    writer.writeIntElement(QStringLiteral("z"), qint64(pItem->z()));
    // The near edges first: reading "xfract" moves the width as well.
    writer.writeFloatElement(QStringLiteral("xfract"), m_xFraction);
    writer.writeFloatElement(QStringLiteral("yfract"), m_yFraction);
    writer.writeFloatElement(QStringLiteral("widthfract"), m_widthFraction);
    writer.writeFloatElement(QStringLiteral("heightfract"), m_heightFraction);
}

void WWidget::beginAttributes()
{
}

void WWidget::endAttributes()
{
}

bool WWidget::readAttribute(const QString &name, const QString &value)
{
    if (!item())
        return false;
    if (processRect(name, value) || readIdAttribute(name, value) || readFractionAttribute(name, value))
        return true;
    if (name == QLatin1String("title")) {
        setItemProperty("text", value);
        return true;
    }
    return false;
}

namespace {

// A panel file's geometry is nearly always whole numbers: those take the
// integer parser, many times quicker than the floating-point one and with
// the same float; anything else (fractions, exponents) takes the latter.
float geometryNumber(const QString &value)
{
    bool ok = false;
    const int whole = value.toInt(&ok);
    return ok ? float(whole) : value.toFloat();
}

} // namespace

bool WWidget::processRect(const QString &name, const QString &value)
{
    QQuickItem *pItem = item();
    if (!pItem) {
        qWarning() << "WWidget::processRect m_pWidget is not defined";
        return false;
    }
    if (name == QLatin1String("z")) {
        bool ok = false;
        const int z = value.toInt(&ok);
        pItem->setZ(ok ? z : 0);
        return true;
    }
    // Every attribute passes through here first: only a geometry value is
    // worth parsing.
    if (name == QLatin1String("x"))
        pItem->setX(geometryNumber(value));
    else if (name == QLatin1String("y"))
        pItem->setY(geometryNumber(value));
    else if (name == QLatin1String("width"))
        pItem->setWidth(geometryNumber(value));
    else if (name == QLatin1String("height"))
        pItem->setHeight(geometryNumber(value));
    else
        return false;
    return true;
}

bool WWidget::readIdAttribute(const QString &name, const QString &value)
{
    quint32 *pTarget = nullptr;
    if (name == QLatin1String("id"))
        pTarget = &m_id;
    else if (name == QLatin1String("link"))
        pTarget = &m_link;
    else
        return false;
    bool ok = false;
    const quint32 number = value.toUInt(&ok);
    *pTarget = ok ? number : 0;
    return true;
}

bool WWidget::readFractionAttribute(const QString &name, const QString &value)
{
    // A label inside a slider control is drawn as the slider's caption.
    if (m_typeName == QLatin1String("label") && m_pControl
        && m_pControl->kind() == QLatin1String("Slider"))
        setItemProperty("sliderLabel", true);

    const auto number = [&value] { return double(value.toFloat()); };
    if (name == QLatin1String("xfract")) {
        // The near edge moves, the far edge stays.
        const double delta = number() - m_xFraction;
        m_xFraction += delta;
        m_widthFraction -= delta;
    } else if (name == QLatin1String("yfract")) {
        const double delta = number() - m_yFraction;
        m_yFraction += delta;
        m_heightFraction -= delta;
    } else if (name == QLatin1String("widthfract")) {
        m_widthFraction = number();
    } else if (name == QLatin1String("heightfract")) {
        m_heightFraction = number();
    } else {
        return false;
    }
    return true;
}

void WWidget::scale(float factor, bool multiply)
{
    QQuickItem *pItem = item();
    // Dividing by a zero (or endless) factor would leave the item nowhere.
    if (!pItem || !m_pControl || factor == 0.0f || !std::isfinite(factor))
        return;
    pItem->setY(pItem->y() * factor);
    pItem->setHeight(pItem->height() * factor);
    if (multiply) {
        pItem->setX(pItem->x() * factor);
        pItem->setWidth(pItem->width() * factor);
    } else {
        pItem->setX(pItem->x() / factor);
        pItem->setWidth(pItem->width() / factor);
    }
}

void WWidget::moveBy(const QPointF &delta)
{
    if (QQuickItem *pItem = item()) {
        pItem->setX(pItem->x() + delta.x());
        pItem->setY(pItem->y() + delta.y());
    }
}

void WWidget::layoutIn(const QRectF &parentRect)
{
    // An axis of zero extent has nothing to place the item in.
    if (parentRect.width() > 0.0) {
        setItemProperty("x", parentRect.width() * m_xFraction + parentRect.x());
        setItemProperty("width", m_widthFraction * parentRect.width());
    }
    if (parentRect.height() > 0.0) {
        setItemProperty("y", parentRect.height() * m_yFraction + parentRect.y());
        setItemProperty("height", parentRect.height() * m_heightFraction);
    }
}

void WWidget::relayout(const QRectF &oldRect, const QRectF &newRect)
{
    if (newRect.width() > 0.0
        && (newRect.width() != oldRect.width() || newRect.x() != oldRect.x())) {
        setItemProperty("x", newRect.width() * m_xFraction + newRect.x());
        setItemProperty("width", m_widthFraction * newRect.width());
    }
    if (newRect.height() > 0.0
        && (newRect.height() != oldRect.height() || newRect.y() != oldRect.y())) {
        setItemProperty("y", newRect.height() * m_yFraction + newRect.y());
        setItemProperty("height", newRect.height() * m_heightFraction);
    }
}

void WWidget::placeAt(const QPointF &point, int index, bool flag)
{
    Q_UNUSED(point);
    Q_UNUSED(index);
    Q_UNUSED(flag);
}

void WWidget::setTransform(TTransform *pTransform)
{
    if (m_pTransform && m_pTransform != pTransform)
        disconnect(m_pTransform, &TTransform::replyValueReady, this, &WWidget::setState);
    m_pTransform = pTransform;
    if (pTransform)
        connect(pTransform, &TTransform::replyValueReady, this, &WWidget::setState,
                Qt::UniqueConnection);
}

void WWidget::setState()
{
}

bool WWidget::canDrop(const QString &controlType) const
{
    Q_UNUSED(controlType);
    return false;
}

void WWidget::setText(const QString &text)
{
    Q_UNUSED(text);
}

void WWidget::setChildControl(CControl *pControl)
{
    Q_UNUSED(pControl);
}

CControl *WWidget::childControl() const
{
    return nullptr;
}

void WWidget::setItemVisible(bool visible)
{
    setItemProperty("visible", visible);
}

QRectF WWidget::geometry() const
{
    const QQuickItem *pItem = item();
    if (!pItem)
        return QRectF(0, 0, 0, 0);
    return QRectF(pItem->x(), pItem->y(), pItem->width(), pItem->height());
}

void WWidget::setTargetPanel(CControl *pPanel)
{
    Q_UNUSED(pPanel);
}

void WWidget::setAuxiliaryText(const QString &text)
{
    Q_UNUSED(text);
}

bool WWidget::hasProperties() const
{
    return false;
}

void WWidget::showProperties(CAttributes *pAttributes)
{
    Q_UNUSED(pAttributes);
}

bool WWidget::providesToolTip() const
{
    return true;
}

void WWidget::dump() const
{
    qDebug().noquote() << "WWidget" << m_typeName << m_pWidget.data();
}

void WWidget::updateLook()
{
}

void WWidget::release()
{
}

void WWidget::passLinkValue(WWidget *pSource)
{
    if (!m_pLinkedWidget || m_isPassingLink)
        return;
    const QScopedValueRollback<bool> passing(m_isPassingLink, true);
    m_pLinkedWidget->linkValue(pSource);
}

void WWidget::linkValue(WWidget *pSource)
{
    qDebug().noquote().nospace() << "WWidget::linkValue: " << this << ' ' << pSource;
}

void WWidget::setProtocol(PProtocol *pProtocol)
{
    if (m_pProtocol == pProtocol)
        return;
    if (m_pProtocol)
        disconnect(m_pProtocol, &PProtocol::onlineStateChanged, this, &WWidget::onOnlineStateChanged);
    m_pProtocol = pProtocol;
    if (m_pProtocol)
        connect(m_pProtocol, &PProtocol::onlineStateChanged, this, &WWidget::onOnlineStateChanged);
}

CPanelHost *WWidget::model() const
{
    return m_pControl ? m_pControl->model() : nullptr;
}

CAttributes *WWidget::attributes() const
{
    return m_pControl ? &m_pControl->attributes() : nullptr;
}

void WWidget::setItemProperty(const char *name, const QVariant &value)
{
    if (m_pWidget)
        m_pWidget->setProperty(name, value);
}

QVariant WWidget::itemProperty(const char *name) const
{
    return m_pWidget ? m_pWidget->property(name) : QVariant();
}

void WWidget::setPictureProperty(const char *name, const QString &path)
{
    QString resolved = path;
    UArchive::instance().resolveFileUrl(resolved);
    setItemProperty(name, resolved);
}

void WWidget::setColorProperty(const char *name, const QString &text)
{
    setItemProperty(name, QColor::fromString(text));
}

QString WWidget::itemColorName(const char *name) const
{
    const QColor colour = itemProperty(name).value<QColor>();
    if (!colour.isValid())
        return QString();
    return colour.name(colour.alpha() == 255 ? QColor::HexRgb : QColor::HexArgb);
}

QString WWidget::itemText() const
{
    return itemProperty("text").toString();
}

void WWidget::setItemGeometry(const QRectF &rect)
{
    setItemProperty("x", rect.x());
    setItemProperty("y", rect.y());
    setItemProperty("width", rect.width());
    setItemProperty("height", rect.height());
}

QRectF WWidget::itemGeometry() const
{
    if (!m_pWidget)
        return QRectF(0, 0, 0, 0);
    return QRectF(m_pWidget->property("x").toReal(), m_pWidget->property("y").toReal(),
                  m_pWidget->property("width").toReal(), m_pWidget->property("height").toReal());
}

QString WWidget::toneEqToolTip() const
{
    if (!m_pNode)
        return QString();
    QString text = m_pNode->label();
    if (text.startsWith(QLatin1String("ToneEQ")) || text.startsWith(QLatin1String("Tone_EQ"))) {
        // The control's name tells which band of the EQ it works.
        const QString name = m_pControl ? m_pControl->name() : QString();
        if (name.startsWith(QLatin1String("Level 1")) || name.startsWith(QLatin1String("Bypass 1")))
            text += QLatin1String(":Low");
        else if (name.startsWith(QLatin1String("Level 2")) || name.startsWith(QLatin1String("Bypass 2")))
            text += QLatin1String(":Mid");
        if (name.startsWith(QLatin1String("Level 3")) || name.startsWith(QLatin1String("Bypass 3")))
            text += QLatin1String(":High");
    }
    if (const HNode *pParent = m_pNode->parentNode())
        text = pParent->label() + QLatin1String(" : ") + text;
    return text;
}

HNode *WWidget::transformNode() const
{
    if (!m_pTransform) {
        qWarning() << "Attempting to get Transform Node witout a Transform set on the WMeter.";
        return nullptr;
    }
    HNode *pNode = HNode::fromBound(m_pTransform->ownerNode());
    if (!pNode)
        qWarning() << "Attempting to get Transform Node and Transform doesn't have a Node set.";
    return pNode;
}

int WWidget::ioIndex() const
{
    const HNode *pNode = m_pTransform ? HNode::fromBound(m_pTransform->ownerNode()) : nullptr;
    if (!pNode) {
        qWarning() << "Cannot get I/O index. WWidget does not have a Transform node.";
        return -1;
    }
    return pNode->pinIndex();
}

int WWidget::ioIndexOfNode(HNode *pNode) const
{
    if (!pNode) {
        qWarning() << "The Meter does not have a transformNode";
        return -1;
    }
    return pNode->pinIndex();
}

bool WWidget::hasIoDirection(HNode *pNode, int direction) const
{
    if (!pNode) {
        qWarning() << "Trying to get Meter IO Type and WMeter doesn't have a transform node.";
        return false;
    }
    const auto *pAudioIO = qobject_cast<const HAudioIO *>(pNode);
    return pAudioIO && pAudioIO->direction() == direction;
}

bool WWidget::isInputNode(HNode *pNode) const
{
    return hasIoDirection(pNode, HAudioIO::Input);
}

bool WWidget::isOutputNode(HNode *pNode) const
{
    return hasIoDirection(pNode, HAudioIO::Output);
}

bool WWidget::isInputWidget() const
{
    HNode *pNode = m_pTransform ? HNode::fromBound(m_pTransform->ownerNode()) : nullptr;
    if (!pNode) {
        qWarning() << "Cannot check if is input widget. WWidget does not have a Transform node.";
        return false;
    }
    return isInputNode(pNode);
}

bool WWidget::isOutputWidget() const
{
    HNode *pNode = m_pTransform ? HNode::fromBound(m_pTransform->ownerNode()) : nullptr;
    if (!pNode) {
        qWarning() << "Cannot check if is output widget. WWidget does not have a Transform node.";
        return false;
    }
    return isOutputNode(pNode);
}

HChassis *WWidget::chassis()
{
    if (m_pChassis)
        return m_pChassis;
    const HNode *pNode = m_pTransform ? HNode::fromBound(m_pTransform->ownerNode()) : nullptr;
    if (pNode)
        m_pChassis = pNode->getChassis();
    return m_pChassis;
}

QString WWidget::chassisIpAddress()
{
    const HChassis *pChassis = chassis();
    return pChassis ? pChassis->ipAddress() : QString();
}

QString WWidget::chassisTitle()
{
    const HChassis *pChassis = chassis();
    return pChassis ? pChassis->title() : QString();
}

bool WWidget::isArxChassis()
{
    const HChassis *pChassis = chassis();
    return pChassis && pChassis->deviceFamily() == HChassis::Family::ArxAmplifier;
}

ArxRestApiRepository *WWidget::arxRestRepository()
{
    HChassis *pChassis = chassis();
    if (!pChassis) {
        qWarning() << "Cannot get ARX Rest Repository. WWidget does not have an HChasis parent.";
        return nullptr;
    }
    return pChassis->arxRestApiRepository();
}

ArxModelRepository *WWidget::chassisModelRepository(HChassis *pChassis) const
{
    if (!pChassis) {
        qWarning() << "The Meter does not have a chassis.";
        return nullptr;
    }
    return pChassis->arxModelRepository();
}

void WWidget::onOnlineStateChanged(bool online)
{
    Q_UNUSED(online);
}

void WWidget::outputValue(int value)
{
    qDebug().noquote().nospace() << "WWidget::outputValue: " << value << ' ' << this;
}

void WWidget::outputChecked(bool state)
{
    qDebug().noquote().nospace() << "WWidget::outputChecked: " << (state ? "true" : "false") << ' ' << this;
}

void WWidget::outputCurrentIndex(int index)
{
    qDebug().noquote().nospace() << "WWidget::outputCurrentIndex: " << index << ' ' << this;
}

void WWidget::outputCurrentText(const QString &text)
{
    qDebug().noquote().nospace() << "WWidget::outputCurrentText: " << text << ' ' << this;
}

void WWidget::onTextChanged()
{
    qDebug().noquote().nospace() << "WWidget::onTextChanged: " << this;
}

QString WWidget::getToolTip(bool hover) const
{
    if (!hover || !m_pControl)
        return QString();
    return m_pControl->toolTipText();
}
