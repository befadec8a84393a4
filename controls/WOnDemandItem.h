#pragma once

#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QQuickItem>

// Makes the item of a widget file's one Component while a boolean property
// of the file's root is true, and takes it down when the property turns
// false. For parts that hardly any widget of a panel shows (an image's
// measuring aid, a panel link's picture): as standing items, hidden or
// behind a Loader, they would cost every widget of every panel.
class WOnDemandItem : public QObject
{
    Q_OBJECT

public:
    WOnDemandItem(QQuickItem *pRoot, const char *property, QObject *parent = nullptr);
    ~WOnDemandItem() override;

    // The item while it is shown, else null.
    QQuickItem *item() const { return m_pItem; }

public slots:
    void update();

private:
    QPointer<QQuickItem> m_pRoot;
    QByteArray m_property;
    QPointer<QQuickItem> m_pItem;
};
