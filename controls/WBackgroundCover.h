#pragma once

#include <QObject>
#include <QPointer>
#include <QQuickItem>
#include <QRectF>

// Makes an image item a background: while its "backgroundFillMode" is 0 or
// more and it has a parent item, it sits at the parent's origin with the
// parent's size (following it, until something else sets the size), and
// when it stops being one it returns to the geometry it had before. Done
// natively: every image is briefly a background while the factory makes it,
// and a QML State's apply and revert cost more than the rest of the item.
class WBackgroundCover : public QObject
{
    Q_OBJECT

public:
    explicit WBackgroundCover(QQuickItem *pItem, QObject *parent = nullptr);

public slots:
    void update();

private:
    void follow(QQuickItem *pParent);

    QPointer<QQuickItem> m_pItem;
    QPointer<QQuickItem> m_pFollowed;
    bool m_covering = false;
    QRectF m_kept;
};
