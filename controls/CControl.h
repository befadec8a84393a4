#pragma once

#include <QObject>
#include <QPointF>
#include <QRectF>
#include <QString>

class MModel;

// One control of a panel, and the base of the panel tree's containers
// (CComposite). The binding to device nodes, transforms and widgets is
// added with the control tree; this class carries the tree operations the
// model's layout and navigation use.
class CControl : public QObject
{
    Q_OBJECT

public:
    explicit CControl(QObject *parent = nullptr);
    ~CControl() override;

    QString name() const { return m_name; }
    void setName(const QString &name) { m_name = name; }
    // For a leaf: the "type" attribute of its Control element; for a
    // composite the element name of its child list ("Scenes", "Panels",
    // "Controls").
    QString kind() const { return m_kind; }
    void setKind(const QString &kind) { m_kind = kind; }
    // "Control", "Panel" or "Scene".
    QString type() const { return m_type; }
    void setType(const QString &type) { m_type = type; }

    CControl *parentControl() const { return m_pParent; }
    void setParentControl(CControl *pParent) { m_pParent = pParent; }
    MModel *model() const { return m_pModel; }
    virtual void setModel(MModel *pModel) { m_pModel = pModel; }

    virtual QRectF bounds() const;
    virtual void setVisible(bool visible);
    virtual void scale(float factor, float extent, bool multiply);
    virtual void moveBy(const QPointF &delta);
    virtual bool centerHorizontally(const QString &kind, float width);

    // The children of a container; none for a leaf control.
    virtual int childCount() const { return 0; }
    virtual CControl *childAt(int index) const;

private:
    CControl *m_pParent = nullptr;
    MModel *m_pModel = nullptr;
    QString m_name;
    QString m_kind;
    QString m_type;
};
