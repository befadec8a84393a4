#include "CControl.h"

#include "comms/PProtocol.h"
#include "comms/TTransform.h"
#include "controls/TTransformFactory.h"
#include "controls/WAttributeBatch.h"
#include "controls/WDelegate.h"
#include "controls/WWidget.h"
#include "controls/WWidgetFactory.h"
#include "devices/HComposite.h"
#include "devices/HNode.h"

#include <QDebug>

namespace {
const QString kPathSeparator = QStringLiteral("\\");
const QString kParentPath = QStringLiteral("..");
} // namespace

CControl::CControl(QObject *parent)
    : QObject(parent)
    , m_id(WDelegate::instance()->nextId())
{
    m_attributes.setOwner(this);
}

CControl::~CControl()
{
    TTransformFactory::unregisterControl(this);
    dropTransform();
    // Widgets that were never unbound still go with their control.
    for (const QPointer<WWidget> &pWidget : std::as_const(m_widgets)) {
        if (!pWidget)
            continue;
        if (QObject *pItem = pWidget->widget())
            pItem->deleteLater();
        else
            pWidget->deleteLater();
    }
    if (m_pPendingWidget)
        m_pPendingWidget->deleteLater();
    // A node made only for this control belongs to nobody else.
    if (m_pNode && !m_pNode->parentNode())
        delete m_pNode.data();
}

void CControl::dropTransform()
{
    TTransform *pTransform = m_pTransform;
    m_pTransform = nullptr;
    if (!pTransform)
        return;
    if (pTransform->owner() == &m_attributes) {
        // A transform shared with another control now speaks for that one;
        // it never keeps pointing into this control.
        CControl *pNext = TTransformFactory::lastHolder(pTransform, this);
        pTransform->setOwner(pNext ? &pNext->m_attributes : nullptr);
        pTransform->setOwnerNode(pNext ? pNext->node() : nullptr);
    }
    pTransform->release();
}

void CControl::setType(const QString &type)
{
    m_type = type;
    if (type == QLatin1String("Scene")) {
        m_kind = QStringLiteral("Panels");
        m_name = QStringLiteral("Scene");
        registryKeyChanged();
    } else if (type == QLatin1String("Panel")) {
        m_kind = QStringLiteral("Controls");
        m_name = QStringLiteral("Panel");
        registryKeyChanged();
    }
}

void CControl::setName(const QString &name)
{
    m_name = name;
    registryKeyChanged();
}

void CControl::setKind(const QString &kind)
{
    m_kind = kind;
    registryKeyChanged();
}

void CControl::registryKeyChanged()
{
    if (TTransformFactory::isRegistered(this))
        TTransformFactory::registeredControlChanged();
}

QString CControl::nodeLabel() const
{
    return m_pNode ? m_pNode->label() : QString();
}

CControl *CControl::rootControl()
{
    CControl *pRoot = this;
    while (pRoot->m_pParent)
        pRoot = pRoot->m_pParent;
    return pRoot;
}

QList<WWidget *> CControl::widgets() const
{
    QList<WWidget *> living;
    for (const QPointer<WWidget> &pWidget : m_widgets) {
        if (pWidget)
            living.append(pWidget);
    }
    return living;
}

void CControl::setNode(HNode *pNode)
{
    m_pNode = pNode;
    registryKeyChanged();
}

void CControl::setAttribute(const QString &element, const QString &name, const QString &value)
{
    m_attributes.setAttribute(element, name, value);
}

void CControl::updateDecimals()
{
    m_attributes.decimalsFromFormat();
}

bool CControl::setWidgetAttribute(const QString &widgetType, const QString &name, const QString &value)
{
    if (!m_pPendingWidget) {
        WWidgetFactory *pFactory = WDelegate::instance()->factory();
        if (!pFactory)
            return false;
        WWidget *pWidget = pFactory->create(widgetType);
        if (!pWidget)
            return false;
        pWidget->setNode(m_pNode);
        pWidget->setControl(this);
        pWidget->setCanvasItem(pFactory->parentItem());
        pWidget->setTypeName(widgetType);
        pWidget->beginAttributes();
        m_pPendingWidget = pWidget;
    }
    m_pPendingWidget->readAttribute(name, value);
    return true;
}

void CControl::endWidget(const QString &widgetType)
{
    if (!m_pPendingWidget)
        return;
    WAttributeBatch::endAttributes(m_pPendingWidget);
    m_pPendingWidget->setTypeName(widgetType);
    m_widgets.append(m_pPendingWidget);
    m_pPendingWidget = nullptr;
}

void CControl::bind()
{
    linkWidgets();
    if (m_pParent)
        linkWidgetsInParent();
    applyToWidgets();
    if (m_pNode) {
        PProtocol *pProtocol = m_pNode->protocol();
        for (WWidget *pWidget : widgets())
            pWidget->setProtocol(pProtocol);
    }
    if (!m_attributes.doNotPoll())
        requestState();
    for (WWidget *pWidget : widgets())
        pWidget->bound();
}

void CControl::linkWidgets()
{
    for (WWidget *pWidget : widgets()) {
        if (pWidget->widgetId() == 0 || pWidget->linkId() >= PanelLinkBase)
            continue;
        WWidget *pLinked = widgetById(int(pWidget->linkId()));
        if (pLinked && pLinked != pWidget)
            pWidget->setLinkedWidget(pLinked);
    }
}

void CControl::linkWidgetsInParent()
{
    for (WWidget *pWidget : widgets()) {
        if (pWidget->widgetId() == 0 || pWidget->linkId() <= PanelLinkBase)
            continue;
        WWidget *pLinked = m_pParent->widgetById(int(pWidget->linkId()));
        if (pLinked && pLinked != pWidget)
            pWidget->setLinkedWidget(pLinked);
    }
}

void CControl::applyToWidgets()
{
    resolveTransform();
    for (WWidget *pWidget : widgets()) {
        pWidget->setTransform(m_pTransform);
        pWidget->applyAttributes(&m_attributes);
    }
}

void CControl::resolveTransform()
{
    if (m_pTransform)
        return;
    const QString name = m_attributes.transformName();
    if (name.isEmpty())
        return;

    // The last registered control on the same node with the same name and
    // kind shares its transform.
    bool needsOwn = true;
    if (CControl *pOther = TTransformFactory::lastSharingControl(this)) {
        m_pTransform = pOther->m_pTransform;
        needsOwn = m_pNode ? m_pNode->exclusiveTransform() : false;
    }
    bool made = false;
    if (needsOwn) {
        m_pTransform = TTransformFactory::createTransform(name);
        made = true;
    }
    if (!m_pTransform)
        return;
    m_pTransform->retain();
    m_pTransform->setOwner(&m_attributes);
    m_pTransform->setOwnerNode(m_pNode);
    m_pTransform->configure();
    if (made)
        TTransformFactory::registerControl(this);
    else
        registryKeyChanged();
}

void CControl::unbind()
{
    if (m_pNode)
        m_pNode->setUsed(false);
    for (const QPointer<WWidget> &pWidget : std::as_const(m_widgets)) {
        if (!pWidget)
            continue;
        pWidget->release();
        if (QObject *pItem = pWidget->widget())
            pItem->deleteLater();
        else
            pWidget->deleteLater();
    }
    m_widgets.clear();
}

bool CControl::requestState()
{
    if (m_attributes.doNotPoll() || !m_pTransform)
        return true;
    if (!m_pNode || !m_pNode->protocol())
        return true;
    if (m_pTransform->isBusy() || !m_pTransform->tick())
        return true;
    m_pNode->protocol()->requestValue(m_pTransform);
    return true;
}

QRectF CControl::bounds() const
{
    QRectF united;
    for (const WWidget *pWidget : widgets())
        united = united.united(pWidget->geometry());
    return united;
}

void CControl::setVisible(bool visible)
{
    for (WWidget *pWidget : widgets())
        pWidget->setItemVisible(visible);
}

void CControl::showWidgets()
{
    // Only its own widgets: a container's children stay as they are.
    for (WWidget *pWidget : widgets())
        pWidget->setItemVisible(true);
}

void CControl::scale(float factor, float extent, bool multiply)
{
    Q_UNUSED(extent);
    for (WWidget *pWidget : widgets())
        pWidget->scale(factor, multiply);
}

void CControl::moveBy(const QPointF &delta)
{
    for (WWidget *pWidget : widgets())
        pWidget->moveBy(delta);
}

bool CControl::centerHorizontally(const QString &kind, float width)
{
    if (kind != m_kind)
        return false;
    const QRectF b = bounds();
    moveBy(QPointF((width - (b.width() + b.x()) - b.x()) * 0.5, 0.0));
    return true;
}

void CControl::linkTransform(int mode)
{
    if (m_pTransform)
        m_pTransform->linkTransform(mode);
}

WWidget *CControl::widgetById(int id) const
{
    for (WWidget *pWidget : widgets()) {
        if (int(pWidget->widgetId()) == id)
            return pWidget;
    }
    return nullptr;
}

WWidget *CControl::widgetByType(const QString &typeName) const
{
    for (WWidget *pWidget : widgets()) {
        if (pWidget->isType(typeName))
            return pWidget;
    }
    return nullptr;
}

CControl *CControl::controlByName(const QString &name)
{
    return name == m_name ? this : nullptr;
}

CControl *CControl::controlById(quint32 id)
{
    return (id != 0 && id == m_id) ? this : nullptr;
}

bool CControl::contains(const CControl *pControl) const
{
    return pControl == this;
}

void CControl::addChild(CControl *pChild)
{
    Q_UNUSED(pChild);
}

void CControl::removeChild(CControl *pChild, bool deleteChild)
{
    Q_UNUSED(pChild);
    Q_UNUSED(deleteChild);
}

void CControl::detach()
{
    unbind();
    TTransformFactory::unregisterControl(this);
}

bool CControl::isNameFree(const QString &name, const CControl *pAsking) const
{
    Q_UNUSED(pAsking);
    if (!m_pParent)
        return false;
    return m_pParent->isNameFree(name, this);
}

CControl *CControl::currentChild(const QString &kind) const
{
    Q_UNUSED(kind);
    return nullptr;
}

bool CControl::selectChild(const QString &kind, const QString &name)
{
    Q_UNUSED(kind);
    Q_UNUSED(name);
    return false;
}

QString CControl::pathName() const
{
    return m_pParent ? m_name : kParentPath;
}

bool CControl::selectPath(QString &path)
{
    const int separator = path.indexOf(kPathSeparator);
    if (separator < 0) {
        if (path != pathName())
            return false;
        showWidgets();
        path.clear();
        return true;
    }
    if (path.left(separator) != pathName())
        return false;
    path = path.mid(separator + 1);
    showWidgets();
    return true;
}

int CControl::hasTransform() const
{
    return m_pTransform ? 1 : 0;
}

QString CControl::toolTipText() const
{
    for (const WWidget *pWidget : widgets()) {
        if (pWidget->providesToolTip())
            return pWidget->toneEqToolTip();
    }
    return QString();
}

QString CControl::pathOf(const CControl *pTarget) const
{
    return pTarget == this ? m_name : QString();
}

void CControl::dump() const
{
    qDebug().noquote() << this << m_name << m_kind;
    for (const WWidget *pWidget : widgets())
        pWidget->dump();
    qDebug().noquote() << QString(23, QLatin1Char('^'));
}

CControl *CControl::childAt(int index) const
{
    Q_UNUSED(index);
    return nullptr;
}

void CControl::retainTransform()
{
    if (!m_pTransform)
        return;
    m_pTransform->retain();
    m_pTransform->setAttached(true);
}

void CControl::releaseTransform()
{
    if (!m_pTransform)
        return;
    const int before = m_pTransform->useCount();
    m_pTransform->releaseUse();
    if (before == 1) {
        TTransformFactory::unregisterControl(this);
        m_pTransform->setAttached(false);
    }
}

void CControl::expandMinimumSize(int width, int height)
{
    m_minimumWidth = qMax(m_minimumWidth, width);
    m_minimumHeight = qMax(m_minimumHeight, height);
}
