#include "WImage.h"

#include <QDateTime>
#include <QDebug>
#include <QFileInfo>
#include <QHash>
#include <QImageReader>
#include <QUrl>

#include <algorithm>

namespace {

// The widths of the pictures read so far. A panel shows the same few
// pictures in many widgets; each header is read once, and a file's again
// only once it has changed. Resources never change.
struct KnownWidth
{
    QDateTime modified;
    qint64 size = -1;
    int width = 0;
};

int readPictureWidth(const QString &path)
{
    static QHash<QString, KnownWidth> s_known;
    const bool resource = path.startsWith(QLatin1Char(':'));
    QDateTime modified;
    qint64 size = -1;
    if (!resource) {
        const QFileInfo info(path);
        modified = info.lastModified();
        size = info.exists() ? info.size() : -1;
    }
    const auto known = s_known.constFind(path);
    if (known != s_known.cend() && known->modified == modified && known->size == size)
        return known->width;
    const QSize pictureSize = QImageReader(path).size();
    const int width = pictureSize.isValid() ? pictureSize.width() : 0;
    s_known.insert(path, KnownWidth{modified, size, width});
    return width;
}

} // namespace

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
    return readPictureWidth(path);
}
