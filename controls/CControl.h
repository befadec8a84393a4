#pragma once

#include "comms/TTransform.h"
#include "controls/CAttributes.h"
#include "devices/HNode.h"

#include <QList>
#include <QObject>
#include <QPointF>
#include <QPointer>
#include <QRectF>
#include <QString>

class CPanelHost;
class WWidget;

// One control of a panel, and the base of the panel tree's containers
// (CComposite). It ties one device node, its binding record and its QML
// widgets together through one transform, which it shares with every
// control bound to the same parameter of the same node.
class CControl : public QObject
{
    Q_OBJECT

public:
    // Widget links up to this value stay inside the control; above it they
    // name a widget anywhere in the parent panel. This value links nothing.
    static constexpr quint32 PanelLinkBase = 0x8000;

    explicit CControl(QObject *parent = nullptr);
    ~CControl() override;

    virtual void bind();
    virtual void unbind();
    // Asks the node's protocol for the bound value; always true, so a
    // sweep moves on.
    virtual bool requestState();
    virtual QRectF bounds() const;
    virtual void setVisible(bool visible);
    virtual void scale(float factor, float extent, bool multiply);
    virtual void moveBy(const QPointF &delta);
    virtual bool centerHorizontally(const QString &kind, float width);
    virtual void linkTransform(int mode);
    virtual WWidget *widgetById(int id) const;
    virtual WWidget *widgetByType(const QString &typeName) const;
    virtual CControl *controlByName(const QString &name);
    virtual CControl *controlById(quint32 id);
    virtual bool contains(const CControl *pControl) const;
    virtual void addChild(CControl *pChild);
    virtual void removeChild(CControl *pChild, bool deleteChild);
    virtual void detach();
    virtual bool isNameFree(const QString &name, const CControl *pAsking) const;
    virtual CControl *currentChild(const QString &kind) const;
    virtual bool selectChild(const QString &kind, const QString &name);
    // Consumes the head of a "\"-separated path when it names this control.
    virtual bool selectPath(QString &path);
    virtual int hasTransform() const;
    virtual QString toolTipText() const;
    virtual QString pathOf(const CControl *pTarget) const;
    virtual void dump() const;
    virtual void setNode(HNode *pNode);
    // The application, as the panels see it.
    virtual void setModel(CPanelHost *pModel) { m_pModel = pModel; }

    // The children of a container; none for a leaf control.
    virtual int childCount() const { return 0; }
    virtual CControl *childAt(int index) const;

    // "Scene" and "Panel" also set the kind and a default name.
    void setType(const QString &type);
    QString type() const { return m_type; }
    QString name() const { return m_name; }
    void setName(const QString &name);
    // For a leaf: the "type" attribute of its Control element; for a
    // composite the element name of its child list ("Scenes", "Panels",
    // "Controls").
    QString kind() const { return m_kind; }
    void setKind(const QString &kind);
    quint32 id() const { return m_id; }
    void setId(quint32 id) { m_id = id; }

    HNode *node() const { return m_pNode; }
    QString nodeLabel() const;
    CControl *parentControl() const { return m_pParent; }
    void setParentControl(CControl *pParent) { m_pParent = pParent; }
    CControl *rootControl();
    CPanelHost *model() const { return m_pModel; }
    CAttributes &attributes() { return m_attributes; }
    const CAttributes &attributes() const { return m_attributes; }
    TTransform *transform() const { return m_pTransform; }
    QList<WWidget *> widgets() const;

    // The panel reader's entry points.
    void setAttribute(const QString &element, const QString &name, const QString &value);
    void updateDecimals();
    // Makes the widget at its first attribute; false when no widget could
    // be made for the type.
    bool setWidgetAttribute(const QString &widgetType, const QString &name, const QString &value);
    void endWidget(const QString &widgetType);

    // Counting the transform while the control moves between composites.
    void retainTransform();
    void releaseTransform();

    void expandMinimumSize(int width, int height);
    int minimumWidth() const { return m_minimumWidth; }
    int minimumHeight() const { return m_minimumHeight; }

    // Set when a fader of the control is turned on its side (rotation 90).
    bool isRotatedLayout() const { return m_rotatedLayout; }
    void setRotatedLayout(bool rotated) { m_rotatedLayout = rotated; }

    quint8 pollingActive() const { return m_pollingActive; }
    void setPollingActive(quint8 active) { m_pollingActive = active; }

protected:
    // Whether this control's head of the path is its name or "..".
    QString pathName() const;
    void showWidgets();

private:
    void linkWidgets();
    void linkWidgetsInParent();
    void applyToWidgets();
    void resolveTransform();
    void dropTransform();
    // The transform registry files a registered control by its node, name,
    // kind and transform; it hears of every change to them.
    void registryKeyChanged();

    QPointer<HNode> m_pNode;
    CControl *m_pParent = nullptr;
    CPanelHost *m_pModel = nullptr;
    QString m_name;
    QString m_kind;
    QString m_type;
    quint32 m_id = 0;
    QPointer<WWidget> m_pPendingWidget;
    CAttributes m_attributes;
    QPointer<TTransform> m_pTransform;
    QList<QPointer<WWidget>> m_widgets;
    quint8 m_pollingActive = 0;
    int m_minimumHeight = 15;
    int m_minimumWidth = 15;
    bool m_rotatedLayout = false;
};
