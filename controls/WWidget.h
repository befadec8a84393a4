#pragma once

#include "comms/PProtocol.h"
#include "comms/TTransform.h"
#include "devices/HNode.h"

#include <QPointer>
#include <QQuickItem>
#include <QRectF>
#include <QString>

class CAttributes;
class CControl;

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
    QQuickItem *item() const { return qobject_cast<QQuickItem *>(m_pWidget.data()); }

    // The widget type name from the panel file ("label", "frame", ...).
    QString typeName() const { return m_typeName; }
    void setTypeName(const QString &typeName) { m_typeName = typeName; }

    // Called by the factory right after the root item was stored.
    virtual void initialize(QQuickItem *pItem);
    virtual void applyAttributes(CAttributes *pAttributes);
    // The last step of the control's binding.
    virtual void bound();
    virtual void setCanvasItem(QQuickItem *pCanvasItem);
    // One attribute of the widget's element; true when it was handled.
    virtual bool readAttribute(const QString &name, const QString &value);
    virtual void scale(float factor, bool multiply);
    virtual void moveBy(const QPointF &delta);
    virtual void setControl(CControl *pControl) { m_pControl = pControl; }
    virtual void setNode(HNode *pNode) { m_pNode = pNode; }
    virtual void setTransform(TTransform *pTransform) { m_pTransform = pTransform; }
    virtual void setItemVisible(bool visible);
    virtual QRectF geometry() const;
    virtual bool isType(const QString &typeName) const { return typeName == m_typeName; }
    virtual bool providesToolTip() const;
    virtual QString toneEqToolTip() const;
    virtual void dump() const;
    // Called before the control drops the widget.
    virtual void release();
    // A linked widget sent a value.
    virtual void linkValue(WWidget *pSource);

    CControl *control() const { return m_pControl; }
    HNode *node() const { return m_pNode; }
    TTransform *transform() const { return m_pTransform; }
    PProtocol *protocol() const { return m_pProtocol; }
    // Stores the protocol and follows its online state.
    void setProtocol(PProtocol *pProtocol);
    quint32 widgetId() const { return m_id; }
    quint32 linkId() const { return m_link; }
    WWidget *linkedWidget() const { return m_pLinkedWidget; }
    void setLinkedWidget(WWidget *pWidget) { m_pLinkedWidget = pWidget; }
    // The item's x, y, width and height as properties; zero without an item.
    QRectF itemGeometry() const;

public slots:
    virtual void onOnlineStateChanged(bool online);

protected:
    bool processRect(const QString &name, const QString &value);
    bool readIdAttribute(const QString &name, const QString &value);

    QPointer<QObject> m_pWidget;

private:
    QString m_typeName;
    CControl *m_pControl = nullptr;
    QPointer<HNode> m_pNode;
    QPointer<TTransform> m_pTransform;
    QPointer<PProtocol> m_pProtocol;
    quint32 m_id = 0;
    quint32 m_link = 0;
    QPointer<WWidget> m_pLinkedWidget;
};
