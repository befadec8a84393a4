#pragma once

#include <QObject>
#include <QPointer>
#include <QQuickItem>

// The measuring aid of an image (its painted size and aspect ratios over the
// picture): made from the image file's one Component while the item's
// "showsDimensions" is true, and taken down when it turns false. Made on
// demand because a panel holds many pictures and hardly any shows it.
class WDimensionsAid : public QObject
{
    Q_OBJECT

public:
    explicit WDimensionsAid(QQuickItem *pItem, QObject *parent = nullptr);
    ~WDimensionsAid() override;

    // The aid while it is shown, else null.
    QQuickItem *aid() const { return m_pAid; }

public slots:
    void update();

private:
    QPointer<QQuickItem> m_pItem;
    QPointer<QQuickItem> m_pAid;
};
