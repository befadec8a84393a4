#pragma once

#include <QPointer>
#include <QQuickItem>
#include <QString>

// The native half of a panel widget. Each widget type has a QML file whose
// root item draws it and which declares one item of this class (object name
// "widget") as a child; the native side keeps the root item and works
// through its properties, it never draws itself.
class WWidget : public QQuickItem
{
    Q_OBJECT

public:
    explicit WWidget(QQuickItem *parent = nullptr);
    ~WWidget() override;

    // The root item of the widget's QML file; not owned.
    QObject *widget() const { return m_pWidget; }
    void setWidget(QObject *pWidget) { m_pWidget = pWidget; }

    // The widget type name from the panel file ("label", "frame", ...).
    QString typeName() const { return m_typeName; }
    void setTypeName(const QString &typeName) { m_typeName = typeName; }

    // Called by the factory right after the root item was stored.
    virtual void initialize(QQuickItem *pItem);
    virtual bool providesToolTip() const;

protected:
    QPointer<QObject> m_pWidget;

private:
    QString m_typeName;
};
