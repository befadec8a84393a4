#include "MLayout.h"

#include "app/MQmlInterface.h"
#include "controls/CCanvas.h"
#include "controls/CComposite.h"

#include <QGuiApplication>
#include <QScreen>

namespace {
const QString kControlsKind = QStringLiteral("Controls");
}

void MLayout::setInterface(MQmlInterface *pInterface)
{
    m_pInterface = pInterface;
}

QObject *MLayout::viewItem() const
{
    return m_pInterface ? m_pInterface->viewItem() : nullptr;
}

bool MLayout::computeViewScale()
{
    if (!m_pInterface)
        return false;
    float h = m_pInterface->property("maxControlHeight").toFloat();
    if (m_pScenes) {
        const QRectF b = m_pScenes->bounds();
        if (b.height() > 0)
            h = float((2.0 * b.y() + b.height()) / m_scale);
    }
    if (QObject *pView = viewItem()) {
        m_viewHeight = pView->property("height").toFloat();
        m_viewWidth = pView->property("width").toFloat();
    }
    if (m_viewHeight <= 0 || h <= 0)
        return false;
    m_scale = m_viewHeight / h;
    m_pInterface->setProperty("viewScale", m_scale);
    return true;
}

bool MLayout::layoutCanvas()
{
    if (!m_pInterface || !computeViewScale())
        return false;
    if (m_pScenes) {
        const bool multiply = m_pCanvas && m_pCanvas->multiplyScaleFactor();
        // A portrait screen twice as tall as wide lays out against the width.
        float extent = m_viewHeight;
        if (const QScreen *pScreen = QGuiApplication::primaryScreen()) {
            const QRect geometry = pScreen->geometry();
            if (geometry.width() > 0 && double(geometry.height()) / geometry.width() >= 2.0)
                extent = m_viewWidth;
        }
        m_pScenes->scale(1.0f, extent, multiply);
    }
    m_pInterface->setProperty("textSize", int(12.0f * m_scale));
    m_pInterface->setProperty("pixelScale", m_scale);
    return true;
}

bool MLayout::centerControls(const CComposite *pCurrentPanel)
{
    if (!m_pCanvas || !m_pCanvas->horizCenter()) {
        if (!pCurrentPanel || !pCurrentPanel->name().contains(QLatin1String("ToneEQ")))
            return false;
    }
    QObject *pView = viewItem();
    if (!m_pScenes || !pView)
        return false;
    m_pScenes->centerHorizontally(kControlsKind, pView->property("width").toFloat());
    return true;
}
