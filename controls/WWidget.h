#pragma once

#include "comms/PProtocol.h"
#include "comms/TTransform.h"
#include "devices/HNode.h"

#include <QPointF>
#include <QPointer>
#include <QQuickItem>
#include <QRectF>
#include <QString>
#include <QVariant>

class ArxModelRepository;
class ArxRestApiRepository;
class CAttributes;
class CControl;
class HChassis;
class CPanelHost;
class XmlWriter;

// The native half of a panel widget. Each widget type has a QML file whose
// root item draws it and which declares one item of this class (object name
// "widget") as a child; the native side keeps the root item and works
// through its properties, it never draws itself. The files declare it among
// the root's resources, not its visual children: an item that draws nothing
// would still cost the scene its share of every frame.
class WWidget : public QQuickItem
{
    Q_OBJECT

public:
    explicit WWidget(QQuickItem *parent = nullptr);
    ~WWidget() override;

    // The root item of the widget's QML file; not owned.
    QObject *widget() const { return m_pWidget; }
    void setWidget(QObject *pWidget) { m_pWidget = pWidget; }
    // The root item when it is a QQuickItem; null otherwise.
    QQuickItem *item() const { return qobject_cast<QQuickItem *>(m_pWidget.data()); }

    // The widget type name from the panel file ("label", "frame", ...).
    QString typeName() const { return m_typeName; }
    void setTypeName(const QString &typeName) { m_typeName = typeName; }

    // Called by the factory right after the root item was stored.
    virtual void initialize(QQuickItem *pItem);
    virtual void destroy();
    virtual void applyAttributes(CAttributes *pAttributes);
    // The last step of the control's binding.
    virtual void bound();
    virtual void setCanvasItem(QQuickItem *pCanvasItem);
    // Saves the widget as an element named by its type; nothing without an
    // item.
    virtual void writeAttributes(XmlWriter &writer) const;
    // One attribute of the widget's element; true when it was handled.
    virtual bool readAttribute(const QString &name, const QString &value);
    // The panel reader brackets the attributes of a widget's element with
    // these two. In between, a widget may hold item writes back and make
    // them once at the end, where each write would cost a new layout.
    virtual void beginAttributes();
    virtual void endAttributes();
    // Scales y and height; x and width are multiplied when multiply is set
    // and divided otherwise. A zero factor leaves the item where it is.
    virtual void scale(float factor, bool multiply);
    virtual void moveBy(const QPointF &delta);
    // Places the item from its fractions of the parent rectangle.
    virtual void layoutIn(const QRectF &parentRect);
    // Re-places the item on the axes whose rectangle changed.
    virtual void relayout(const QRectF &oldRect, const QRectF &newRect);
    virtual void placeAt(const QPointF &point, int index, bool flag);
    // Shows the transform's value; widgets without a value ignore it.
    virtual void setState();
    virtual bool canDrop(const QString &controlType) const;
    virtual void setText(const QString &text);
    virtual void setChildControl(CControl *pControl);
    virtual CControl *childControl() const;
    virtual void setControl(CControl *pControl) { m_pControl = pControl; }
    virtual void setNode(HNode *pNode) { m_pNode = pNode; }
    // Stores the transform and shows its replies: replyValueReady is
    // connected once to setState, and the previous transform is let go.
    virtual void setTransform(TTransform *pTransform);
    virtual void setItemVisible(bool visible);
    virtual QRectF geometry() const;
    virtual void setTargetPanel(CControl *pPanel);
    // Exact, case-sensitive comparison with the type name.
    virtual bool isType(const QString &typeName) const { return typeName == m_typeName; }
    virtual void setAuxiliaryText(const QString &text);
    virtual bool hasProperties() const;
    virtual void showProperties(CAttributes *pAttributes);
    virtual bool providesToolTip() const;
    virtual void dump() const;
    virtual void updateLook();
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
    // The control's panel host (the application's model) and its binding
    // record; null without a control.
    CPanelHost *model() const;
    CAttributes *attributes() const;

    double xFraction() const { return m_xFraction; }
    double yFraction() const { return m_yFraction; }
    double widthFraction() const { return m_widthFraction; }
    double heightFraction() const { return m_heightFraction; }

    // Set while the widget itself writes a device value into the item.
    bool isUpdating() const { return m_updateGuard != 0; }
    void setUpdating(bool updating) { m_updateGuard = updating ? 1 : 0; }
    // Cleared while a device value is being shown.
    bool isOutputEnabled() const { return m_outputEnabled != 0; }
    void setOutputEnabled(bool enabled) { m_outputEnabled = enabled ? 1 : 0; }

    // Item properties; nothing (or an empty value) without an item.
    void setItemProperty(const char *name, const QVariant &value);
    QVariant itemProperty(const char *name) const;
    // An unparsable text gives an invalid colour.
    void setColorProperty(const char *name, const QString &text);
    // A colour property as the panel file writes colours: "#rrggbb", or
    // "#aarrggbb" when it is not opaque; empty for no colour.
    QString itemColorName(const char *name) const;
    QString itemText() const;
    // Sets the property to the path, or to the file URL of the unpacked
    // archive member of that file name.
    void setPictureProperty(const char *name, const QString &path);
    void setItemGeometry(const QRectF &rect);
    // The item's x, y, width and height as properties; zero without an item.
    QRectF itemGeometry() const;

    // The tool tip naming the node, its block and, for tone EQs, the band.
    QString toneEqToolTip() const;

    // The device behind the transform.
    HNode *transformNode() const;
    int ioIndex() const;
    int ioIndexOfNode(HNode *pNode) const;
    bool isInputNode(HNode *pNode) const;
    bool isOutputNode(HNode *pNode) const;
    bool isInputWidget() const;
    bool isOutputWidget() const;
    HChassis *chassis();
    QString chassisIpAddress();
    QString chassisTitle();
    bool isArxChassis();
    ArxRestApiRepository *arxRestRepository();
    ArxModelRepository *chassisModelRepository(HChassis *pChassis) const;

public slots:
    virtual void onOnlineStateChanged(bool online);
    virtual void outputValue(int value);
    virtual void outputChecked(bool state);
    virtual void outputCurrentIndex(int index);
    virtual void outputCurrentText(const QString &text);
    virtual void onTextChanged();
    QString getToolTip(bool hover) const;

protected:
    bool processRect(const QString &name, const QString &value);
    bool readIdAttribute(const QString &name, const QString &value);
    bool readFractionAttribute(const QString &name, const QString &value);
    // The attributes every widget writes inside its element.
    void writeBaseAttributes(XmlWriter &writer) const;
    // Hands a value on to the linked widget, naming where it started. A
    // widget that is passing a value on already does not pass again, so
    // links that close a ring (with or without the source) end.
    void passLinkValue(WWidget *pSource);

    QPointer<QObject> m_pWidget;

private:
    bool hasIoDirection(HNode *pNode, int direction) const;

    QString m_typeName;
    double m_xFraction = 0.0;
    double m_yFraction = 0.0;
    double m_widthFraction = 1.0;
    double m_heightFraction = 1.0;
    quint32 m_id = 0;
    quint32 m_link = 0;
    quint8 m_updateGuard = 0;
    quint8 m_outputEnabled = 1;
    bool m_isPassingLink = false;
    QPointer<WWidget> m_pLinkedWidget;
    QPointer<TTransform> m_pTransform;
    QPointer<PProtocol> m_pProtocol;
    QPointer<HNode> m_pNode;
    CControl *m_pControl = nullptr;
    QPointer<HChassis> m_pChassis;
};
