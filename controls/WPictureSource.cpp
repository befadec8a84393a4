#include "WPictureSource.h"

#include "controls/PropertyNotify.h"

#include <QDateTime>
#include <QFileInfo>
#include <QHash>
#include <QImageReader>
#include <QQmlContext>
#include <QSize>

#include <algorithm>

namespace {

// A panel shows the same few pictures in many widgets; resources never
// change.
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

WPictureSource::WPictureSource(QQuickItem *pRoot, QQuickItem *pPicture, QObject *parent)
    : QObject(parent)
    , m_pRoot(pRoot)
    , m_pPicture(pPicture)
{
    connectPropertyNotify(pRoot, "path", this, "update()");
    connectPropertyNotify(pRoot, "maxCachedImageWidth", this, "update()");
}

int WPictureSource::pictureWidth(const QUrl &url)
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

void WPictureSource::update()
{
    if (!m_pRoot || !m_pPicture)
        return;
    const QString path = m_pRoot->property("path").toString();
    // Resolved as the QML file resolves a source it is given: against its
    // own folder.
    const QQmlContext *pContext = qmlContext(m_pRoot);
    const QUrl url = pContext ? pContext->resolvedUrl(QUrl(path)) : QUrl(path);
    const int maxWidth = m_pRoot->property("maxCachedImageWidth").toInt();
    const int own = pictureWidth(url);
    const int width = std::min(maxWidth, own > 0 ? own : maxWidth);

    // The same picture at the same width: nothing to load again.
    if (m_pPicture->property("source").toUrl() == url
        && m_pPicture->property("sourceSize").toSize().width() == width)
        return;
    m_pPicture->setProperty("source", QUrl());
    // Read once the old picture is gone: with one loaded, an unset height
    // reads as that picture's height and would constrain the next decode.
    QSize size = m_pPicture->property("sourceSize").toSize();
    size.setWidth(width);
    m_pPicture->setProperty("sourceSize", size);
    m_pPicture->setProperty("source", url);
}
