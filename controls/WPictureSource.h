#pragma once

#include <QObject>
#include <QPointer>
#include <QQuickItem>
#include <QUrl>

// Feeds an image item's picture from its "path" and "maxCachedImageWidth":
// the picture is decoded at that width, but never wider than the picture
// itself, since a wider decode would only scale it up. A new width is set
// while the picture has no source, so that no load starts at a width it
// does not keep. Done natively: a panel holds many images, and a script
// function per change cost more than the rest of the item.
class WPictureSource : public QObject
{
    Q_OBJECT

public:
    // pRoot holds the two properties; pPicture is the Image item it shows.
    WPictureSource(QQuickItem *pRoot, QQuickItem *pPicture, QObject *parent = nullptr);

    // The picture's own width, read from its file's header; 0 when the URL
    // names no readable local or resource picture. Each header is read once,
    // a file's again only once it has changed.
    static int pictureWidth(const QUrl &url);

public slots:
    void update();

private:
    QPointer<QQuickItem> m_pRoot;
    QPointer<QQuickItem> m_pPicture;
};
