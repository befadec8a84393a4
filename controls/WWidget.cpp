#include "WWidget.h"

#include "comms/PProtocol.h"
#include "comms/TTransform.h"
#include "devices/HNode.h"

#include <QDebug>

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

bool WWidget::readAttribute(const QString &name, const QString &value)
{
    QQuickItem *pItem = item();
    if (!pItem)
        return false;
    if (processRect(name, value) || readIdAttribute(name, value))
        return true;
    if (name == QLatin1String("title")) {
        pItem->setProperty("text", value);
        return true;
    }
    return false;
}

bool WWidget::processRect(const QString &name, const QString &value)
{
    QQuickItem *pItem = item();
    if (!pItem)
        return false;
    if (name == QLatin1String("z")) {
        bool ok = false;
        const int z = value.toInt(&ok);
        pItem->setZ(ok ? z : 0);
        return true;
    }
    const float number = value.toFloat();
    if (name == QLatin1String("x"))
        pItem->setX(number);
    else if (name == QLatin1String("y"))
        pItem->setY(number);
    else if (name == QLatin1String("width"))
        pItem->setWidth(number);
    else if (name == QLatin1String("height"))
        pItem->setHeight(number);
    else
        return false;
    return true;
}

bool WWidget::readIdAttribute(const QString &name, const QString &value)
{
    bool ok = false;
    const quint32 number = value.toUInt(&ok);
    if (name == QLatin1String("id"))
        m_id = ok ? number : 0;
    else if (name == QLatin1String("link"))
        m_link = ok ? number : 0;
    else
        return false;
    return true;
}

void WWidget::scale(float factor, bool multiply)
{
    QQuickItem *pItem = item();
    // A zero or endless factor would leave the item nowhere.
    if (!pItem || !m_pControl || !(factor > 0.0f) || !std::isfinite(factor))
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

void WWidget::setItemVisible(bool visible)
{
    if (QQuickItem *pItem = item())
        pItem->setVisible(visible);
}

QRectF WWidget::geometry() const
{
    const QQuickItem *pItem = item();
    if (!pItem)
        return QRectF(0, 0, 0, 0);
    return QRectF(pItem->x(), pItem->y(), pItem->width(), pItem->height());
}

QRectF WWidget::itemGeometry() const
{
    if (!m_pWidget)
        return QRectF(0, 0, 0, 0);
    return QRectF(m_pWidget->property("x").toReal(), m_pWidget->property("y").toReal(),
                  m_pWidget->property("width").toReal(), m_pWidget->property("height").toReal());
}

bool WWidget::providesToolTip() const
{
    return true;
}

QString WWidget::toneEqToolTip() const
{
    return QString();
}

void WWidget::dump() const
{
    qDebug() << "WWidget" << m_typeName << m_pWidget.data();
}

void WWidget::release()
{
}

void WWidget::linkValue(WWidget *pSource)
{
    qDebug() << "WWidget::linkValue: " << this << pSource;
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

void WWidget::onOnlineStateChanged(bool online)
{
    Q_UNUSED(online);
}
