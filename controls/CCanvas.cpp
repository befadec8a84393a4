#include "CCanvas.h"

#include "controls/CDesktopView.h"
#include "controls/CPanelHost.h"
#include "controls/VModeManager.h"
#include "project/SkinLoader.h"

#include <QDebug>
#include <QFile>
#include <QStringList>
#include <QUrl>

#include <cmath>

namespace {

const QString kDesktopResource = QStringLiteral(":/qml/QmlDesktop.qml");

float toFloat(const QString &value)
{
    bool ok = false;
    const float number = value.toFloat(&ok);
    return ok ? number : 0.0f;
}

int toInt(const QString &value)
{
    bool ok = false;
    const int number = value.toInt(&ok, 10);
    return ok ? number : 0;
}

} // namespace

CCanvas::CCanvas() = default;

CCanvas::~CCanvas() = default;

void CCanvas::reset()
{
    m_size = 6.0f;
    m_aspect = 16.0f / 9.0f;
    m_orientation = 1;
    m_horizcenter = true;
    m_device.clear();
    m_multiplyScaleFactor = false;
}

void CCanvas::resetAndNotify()
{
    reset();
    if (m_pModel) {
        m_pModel->resetDesktop();
        m_pModel->reloadDesktop();
    }
    computePixelSize();
}

void CCanvas::setAttribute(const QString &name, const QString &value)
{
    if (name == QLatin1String("size")) {
        m_size = toFloat(value);
    } else if (name == QLatin1String("device")) {
        // A device brings back the default look; skin and accent settings
        // that follow it win.
        m_device = value;
        setSkin(QStringLiteral("Light"));
        m_accent = QStringLiteral("Blue");
    } else if (name == QLatin1String("skin")) {
        setSkin(value);
    } else if (name == QLatin1String("accent")) {
        m_accent = value;
    } else if (name == QLatin1String("aspect")) {
        m_aspect = toFloat(value);
    } else if (name == QLatin1String("orientation")) {
        m_orientation = toInt(value);
    } else if (name == QLatin1String("text")) {
        m_text = value;
    } else if (name == QLatin1String("horizcenter")) {
        m_horizcenter = toInt(value) != 0;
    } else if (name == QLatin1String("topRow")) {
        setCanvasProperty("topRow", value);
    } else if (name == QLatin1String("bottomRow")) {
        setCanvasProperty("bottomRow", value);
    } else if (name == QLatin1String("multiplyScaleFactor")) {
        m_multiplyScaleFactor = true;
    }
}

void CCanvas::propertyDone(const QString &name)
{
    // The look takes effect once the orientation, the last setting the
    // design tool writes, has been read.
    if (name != QLatin1String("orientation"))
        return;
    applySkinAndAccent();
    if (m_pModel)
        m_pModel->reloadDesktop();
    computePixelSize();
}

void CCanvas::setCanvasProperty(const char *name, const QVariant &value)
{
    if (QObject *pItem = VModeManager::instance()->canvasItem())
        pItem->setProperty(name, value);
}

bool CCanvas::loadDesktop(CDesktopView *pView)
{
    if (!pView)
        return false;
    m_pView = pView;
    computePixelSize();
    if (!QFile::exists(kDesktopResource)) {
        qDebug().noquote() << "File at " + kDesktopResource + " does not exist.";
        return false;
    }
    pView->showDesktop(QUrl(QStringLiteral("qrc") + kDesktopResource));
    return true;
}

void CCanvas::resetQMLFocus()
{
}

int CCanvas::computePixelSize()
{
    const double dpi = m_pView ? m_pView->logicalDpi() : 0.0;
    // Squares and quotient in single precision, root and product in double.
    const float squareRatio = (m_size * m_size) / (m_aspect * m_aspect + 1.0f);
    const float shortSide = float(std::sqrt(double(squareRatio)) * dpi);
    const float longSide = m_aspect * shortSide;
    if (m_orientation == 1) {
        m_pixelWidth = int(shortSide);
        m_pixelHeight = int(longSide);
    } else {
        m_pixelWidth = int(longSide);
        m_pixelHeight = int(shortSide);
    }
    return m_pixelHeight;
}

void CCanvas::setSkin(const QString &name)
{
    QStringList skins;
    if (!SkinLoader::readTextLines(QStringLiteral(":/skins/SkinList.txt"), &skins))
        return;
    if (skins.contains(name))
        m_skin = name;
    else if (!skins.isEmpty())
        m_skin = skins.first();
}

void CCanvas::applySkinAndAccent()
{
    if (!m_pModel)
        return;
    m_pModel->applySkin(m_skin);
    m_pModel->applySkin(m_accent);
}
