#include "CComposite.h"

#include "controls/CCanvas.h"
#include "controls/CPanelHost.h"
#include "controls/TTransformFactory.h"
#include "controls/WAttributeBatch.h"
#include "controls/WDelegate.h"
#include "controls/WWidget.h"
#include "controls/XControlHandler.h"
#include "project/XmlFileReader.h"

#include <QDebug>
#include <QGuiApplication>
#include <QScreen>

#include <cmath>

namespace {
const QString kBoundsWidget = QStringLiteral("bounds");
const QString kPanelType = QStringLiteral("Panel");
} // namespace

CComposite::CComposite(QObject *parent)
    : CControl(parent)
{
    setKind(QStringLiteral("Composite"));
    setPollingActive(1);
    m_pollTimer.setInterval(SweepIntervalMs);
    m_pollTimer.setSingleShot(true);
    connect(&m_pollTimer, &QTimer::timeout, this, &CComposite::onGetStateTimerTimeout);
}

CComposite::~CComposite()
{
    detach();
}

void CComposite::bind()
{
    for (CControl *pChild : std::as_const(m_children))
        pChild->bind();
}

void CComposite::unbind()
{
    for (CControl *pChild : std::as_const(m_children))
        pChild->unbind();
}

bool CComposite::requestState()
{
    if (!pollingActive())
        return true;
    if (m_children.isEmpty())
        return true;
    if (m_pollIndex <= 0 || m_pollIndex >= m_children.size())
        m_pollIndex = 0;
    CControl *pChild = m_children.at(m_pollIndex);
    if (!pChild || !pChild->requestState())
        return true;
    ++m_pollIndex;
    if (m_pollIndex < m_children.size())
        m_pollTimer.start();
    return true;
}

void CComposite::onGetStateTimerTimeout()
{
    if (m_pollIndex >= m_children.size()) {
        m_pollIndex = 0;
        return;
    }
    CControl *pChild = m_pollIndex >= 0 ? m_children.at(m_pollIndex) : nullptr;
    if (pChild && pollingActive() && pChild->requestState()) {
        ++m_pollIndex;
        if (m_pollIndex < m_children.size())
            m_pollTimer.start();
    }
}

QRectF CComposite::bounds() const
{
    for (const CControl *pChild : m_children) {
        if (const WWidget *pBounds = pChild->widgetByType(kBoundsWidget))
            return pBounds->itemGeometry();
    }
    QRectF united;
    for (const CControl *pChild : m_children)
        united = united.united(pChild->bounds());
    return united;
}

void CComposite::setVisible(bool visible)
{
    // A page that leaves the screen stops asking for its controls' state.
    if (!visible)
        m_pollTimer.stop();
    for (CControl *pChild : std::as_const(m_children))
        pChild->setVisible(visible);
}

void CComposite::scale(float factor, float extent, bool multiply)
{
    if (type() != kPanelType) {
        for (CControl *pChild : std::as_const(m_children))
            pChild->scale(factor, extent, multiply);
        return;
    }
    const QRectF b = bounds();
    float reference = float(b.height());
    if (const QScreen *pScreen = QGuiApplication::primaryScreen()) {
        const QRect g = pScreen->geometry();
        const double screenWidth = g.right() - g.left() + 1;
        const double screenHeight = g.bottom() - g.top() + 1;
        if (screenWidth > 0 && screenHeight / screenWidth >= 2.0)
            reference = float(b.width());
    }
    // A panel of zero extent (only a background, or nothing placed yet)
    // has nothing to scale against.
    if (!(reference > 0.0f))
        return;
    const float panelFactor = extent / reference;
    if (!std::isfinite(panelFactor) || !(panelFactor > 0.0f))
        return;
    for (CControl *pChild : std::as_const(m_children))
        pChild->scale(panelFactor, extent, multiply);
}

void CComposite::moveBy(const QPointF &delta)
{
    for (CControl *pChild : std::as_const(m_children))
        pChild->moveBy(delta);
}

bool CComposite::centerHorizontally(const QString &kind, float width)
{
    if (width <= 0)
        return false;
    if (m_panelKind == PanelCustom) {
        layoutCustomPanel(width);
        return true;
    }
    if (this->kind() == kind) {
        CControl::centerHorizontally(kind, width);
        return false;
    }
    for (CControl *pChild : std::as_const(m_children))
        pChild->centerHorizontally(kind, width);
    return false;
}

void CComposite::layoutCustomPanel(float width)
{
    if (!model() || !model()->canvas() || !model()->canvas()->horizCenter())
        return;
    const QRectF b = customLayoutBounds();
    double dx = 0.0;
    if (b.width() > 0 && b.height() > 0)
        dx = (width - (b.width() + b.x()) - b.x()) * 0.5;
    moveBy(QPointF(dx, 0.0));
}

QRectF CComposite::customLayoutBounds() const
{
    QRectF united;
    QList<const CControl *> setAside;
    for (const CControl *pChild : m_children) {
        const QString k = pChild->kind().toLower();
        if (pChild->widgetByType(kBoundsWidget) && k != QLatin1String("dialer"))
            continue;
        if (k == QLatin1String("comboselector") || k == QLatin1String("activeroomcombo")) {
            setAside.append(pChild);
            continue;
        }
        united = united.united(pChild->bounds());
    }
    for (const CControl *pChild : std::as_const(setAside)) {
        const QRectF merged = united.united(pChild->bounds());
        united.setTop(merged.top());
        united.setHeight(merged.height());
    }
    return united;
}

void CComposite::linkTransform(int mode)
{
    for (CControl *pChild : std::as_const(m_children))
        pChild->linkTransform(mode);
}

WWidget *CComposite::widgetById(int id) const
{
    for (const CControl *pChild : m_children) {
        if (WWidget *pWidget = pChild->widgetById(id))
            return pWidget;
    }
    return nullptr;
}

WWidget *CComposite::widgetByType(const QString &typeName) const
{
    for (const CControl *pChild : m_children) {
        if (WWidget *pWidget = pChild->widgetByType(typeName))
            return pWidget;
    }
    return nullptr;
}

CControl *CComposite::controlByName(const QString &name)
{
    for (CControl *pChild : std::as_const(m_children)) {
        if (CControl *pFound = pChild->controlByName(name))
            return pFound;
    }
    return nullptr;
}

CControl *CComposite::controlById(quint32 id)
{
    for (CControl *pChild : std::as_const(m_children)) {
        if (CControl *pFound = pChild->controlById(id))
            return pFound;
    }
    return nullptr;
}

bool CComposite::contains(const CControl *pControl) const
{
    return pControl && m_children.contains(const_cast<CControl *>(pControl));
}

void CComposite::addChild(CControl *pChild)
{
    if (!pChild || m_children.contains(pChild))
        return;
    pChild->setParentControl(this);
    pChild->retainTransform();
    m_children.append(pChild);
}

void CComposite::removeChild(CControl *pChild, bool deleteChild)
{
    if (!pChild || !m_children.contains(pChild))
        return;
    m_children.removeOne(pChild);
    m_currentIndex = 0;
    if (m_pollIndex > m_children.size())
        m_pollIndex = 0;
    pChild->setParentControl(nullptr);
    if (deleteChild) {
        pChild->unbind();
        TTransformFactory::unregisterControl(pChild);
        pChild->deleteLater();
    } else {
        pChild->releaseTransform();
    }
}

void CComposite::detach()
{
    m_pollTimer.stop();
    const QList<CControl *> children = m_children;
    m_children.clear();
    m_currentIndex = 0;
    m_pollIndex = 0;
    for (CControl *pChild : children) {
        pChild->detach();
        delete pChild;
    }
}

bool CComposite::isNameFree(const QString &name, const CControl *pAsking) const
{
    if (!pAsking)
        return CControl::isNameFree(name, pAsking);
    for (const CControl *pChild : m_children) {
        if (pChild != pAsking && pChild->name() == name)
            return false;
    }
    return true;
}

CControl *CComposite::currentChild(const QString &kind) const
{
    if (m_currentIndex < 0 || m_currentIndex >= m_children.size())
        return nullptr;
    CControl *pCurrent = m_children.at(m_currentIndex);
    if (this->kind() == kind)
        return pCurrent;
    return pCurrent ? pCurrent->currentChild(kind) : nullptr;
}

bool CComposite::selectChild(const QString &kind, const QString &name)
{
    if (this->kind() == kind) {
        for (int i = 0; i < m_children.size(); ++i) {
            if (m_children.at(i)->name() == name) {
                m_currentIndex = i;
                return true;
            }
        }
    }
    for (CControl *pChild : std::as_const(m_children)) {
        if (pChild->selectChild(kind, name))
            return true;
    }
    return false;
}

bool CComposite::selectPath(QString &path)
{
    if (!CControl::selectPath(path))
        return false;
    if (path.isEmpty())
        return true;
    for (int i = 0; i < m_children.size(); ++i) {
        QString rest = path;
        if (m_children.at(i)->selectPath(rest)) {
            path = rest;
            m_currentIndex = i;
            return true;
        }
    }
    return false;
}

int CComposite::hasTransform() const
{
    int count = 0;
    for (const CControl *pChild : m_children)
        count += pChild->hasTransform();
    return count;
}

QString CComposite::toolTipText() const
{
    if (m_children.size() != 1)
        return QString();
    const CControl *pChild = m_children.first();
    const QString tip = pChild->toolTipText();
    return tip.isEmpty() ? pChild->kind() : pChild->kind() + QStringLiteral(" : ") + tip;
}

QString CComposite::pathOf(const CControl *pTarget) const
{
    if (pTarget == this)
        return name();
    for (const CControl *pChild : m_children) {
        const QString childPath = pChild->pathOf(pTarget);
        if (!childPath.isEmpty())
            return (parentControl() ? name() : QStringLiteral("..")) + QStringLiteral("\\") + childPath;
    }
    return QString();
}

void CComposite::dump() const
{
    CControl::dump();
    for (const CControl *pChild : m_children)
        pChild->dump();
}

void CComposite::setModel(CPanelHost *pModel)
{
    CControl::setModel(pModel);
    for (CControl *pChild : std::as_const(m_children))
        pChild->setModel(pModel);
}

CControl *CComposite::childAt(int index) const
{
    return (index >= 0 && index < m_children.size()) ? m_children.at(index) : nullptr;
}

int CComposite::indexOfChild(const CControl *pChild) const
{
    return int(m_children.indexOf(const_cast<CControl *>(pChild)));
}

void CComposite::setPanelKind(const QString &kind)
{
    if (this->kind() != QLatin1String("Controls"))
        return;
    if (kind == QLatin1String("complete"))
        m_panelKind = PanelComplete;
    else if (kind == QLatin1String("template"))
        m_panelKind = PanelTemplate;
    else if (kind == QLatin1String("custom"))
        m_panelKind = PanelCustom;
    else if (kind.isEmpty())
        m_panelKind = m_children.size() == 1 ? PanelCustom : PanelComplete;
}

void CComposite::loadChildren(const QString &path, HNode *pDeviceRoot, HNode *pDefaultNode,
                              CPanelHost *pModel)
{
    CControl::setModel(pModel);
    loadControlsFile(pDeviceRoot, pDefaultNode, path, QString());
    setModel(pModel);
}

bool CComposite::loadControlsFile(HNode *pDeviceRoot, HNode *pDefaultNode, const QString &path,
                                  const QString &filter)
{
    WDelegate::instance()->setPanelFilePath(path);
    CPanelHost *pModel = model();
    // An archive without a panel member gives an empty path: nothing to read.
    if (!pModel || path.isEmpty())
        return false;
    XControlHandler handler;
    handler.setRootComposite(this);
    handler.setDefaultNode(pDefaultNode);
    handler.setDeviceRoot(pDeviceRoot);
    handler.setControlFilter(filter);
    handler.setProject(pModel->project());
    handler.setCanvas(pModel->canvas());
    bool read = false;
    {
        // Held-back widget writes are made once the whole file is read,
        // and before the controls bind, whether or not the file was whole.
        WAttributeBatch batch;
        read = XmlFileReader::parse(path, handler);
    }
    if (!read)
        return false;
    bind();
    linkTransform(0);
    linkTransform(1);
    return true;
}
