#include "WImage.h"

#include "controls/WBackgroundCover.h"
#include "controls/WOnDemandItem.h"
#include "controls/WPictureSource.h"

#include <QDebug>

#include <algorithm>

WImage::WImage(QQuickItem *parent)
    : WWidget(parent)
{
}

WImage::~WImage() = default;

void WImage::initialize(QQuickItem *pItem)
{
    m_savedX = m_savedY = m_savedWidth = m_savedHeight = kNothingSaved;
    if (pItem && !m_pPictureSource)
        m_pPictureSource = new WPictureSource(pItem, pItem->findChild<QQuickItem *>(QStringLiteral("picture")), this);
    // Not an archive member: resolved against the QML file's own folder to
    // the default picture of the resources.
    setImagePath("path", QStringLiteral("../images/default.png"));
    setBackgroundFillMode(-1);
    // Only now: the QML default makes every new image a background for the
    // moment between its parent and this -1.
    if (pItem && !m_pCover)
        m_pCover = new WBackgroundCover(pItem, this);
    if (pItem && !m_pDimensionsAid)
        m_pDimensionsAid = new WOnDemandItem(pItem, "showsDimensions", this);
    setItemProperty("imageOpacity", 1.0);
    setItemProperty("maxCachedImageWidth", 2048);
}

void WImage::applyAttributes(CAttributes *pAttributes)
{
    Q_UNUSED(pAttributes);
}

bool WImage::readAttribute(const QString &name, const QString &value)
{
    if (!item())
        return false;
    if (processRect(name, value) || readIdAttribute(name, value))
        return true;
    if (name == QLatin1String("path"))
        setImagePath("path", value);
    else if (name == QLatin1String("imagesize"))
        setItemProperty("imageSize", value.toDouble());
    else if (name == QLatin1String("backgroundFillMode"))
        setBackgroundFillMode(value.toInt());
    else if (name == QLatin1String("imageOpacity"))
        setImageOpacity(value.toDouble());
    else if (name == QLatin1String("maxCachedImageWidth"))
        setItemProperty("maxCachedImageWidth", value.toInt());
    else
        return false;
    return true;
}

QRectF WImage::geometry() const
{
    if (item() && itemProperty("backgroundFillMode").toInt() >= 0) {
        qDebug() << "Returning empty bounds for image";
        return QRectF(0, 0, 0, 0);
    }
    return WWidget::geometry();
}

void WImage::setImagePath(const char *propertyName, const QString &path)
{
    if (item())
        setPictureProperty(propertyName, path);
}

void WImage::setBackgroundFillMode(int mode)
{
    QQuickItem *pItem = item();
    if (!pItem)
        return;
    if (mode >= 0) {
        m_savedX = int(pItem->x());
        m_savedY = int(pItem->y());
        m_savedWidth = int(pItem->width());
        m_savedHeight = int(pItem->height());
    }
    setItemProperty("backgroundFillMode", mode);
    if (mode < 0 && m_savedX != kNothingSaved) {
        setItemGeometry(QRectF(m_savedX, m_savedY, m_savedWidth, m_savedHeight));
        m_savedX = m_savedY = m_savedWidth = m_savedHeight = kNothingSaved;
    }
}

void WImage::setImageOpacity(double opacity)
{
    setItemProperty("imageOpacity", std::clamp(opacity, 0.01, 1.0));
}
