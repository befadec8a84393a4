#include "WImage.h"

#include <QDebug>
#include <QImageReader>
#include <QUrl>

#include <algorithm>

WImage::WImage(QQuickItem *parent)
    : WWidget(parent)
{
}

WImage::~WImage() = default;

void WImage::initialize(QQuickItem *pItem)
{
    Q_UNUSED(pItem);
    m_savedX = m_savedY = m_savedWidth = m_savedHeight = kNothingSaved;
    // Not an archive member: the QML file resolves it against its own
    // folder to the default picture of the resources.
    setImagePath("path", QStringLiteral("../images/default.png"));
    setBackgroundFillMode(-1);
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

int WImage::pictureWidth(const QUrl &url) const
{
    QString path;
    if (url.isLocalFile())
        path = url.toLocalFile();
    else if (url.scheme() == QLatin1String("qrc"))
        path = QLatin1Char(':') + url.path();
    if (path.isEmpty())
        return 0;
    const QSize size = QImageReader(path).size();
    return size.isValid() ? size.width() : 0;
}
