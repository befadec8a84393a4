#pragma once

#include "CControl.h"

#include <QList>

// A container of the panel tree: the root ("Scenes"), a scene ("Panels") or
// a panel ("Controls"). It owns its children and keeps a current one.
class CComposite : public CControl
{
    Q_OBJECT

public:
    explicit CComposite(QObject *parent = nullptr);
    ~CComposite() override;

    void setModel(MModel *pModel) override;

    QRectF bounds() const override;
    void setVisible(bool visible) override;
    void scale(float factor, float extent, bool multiply) override;
    void moveBy(const QPointF &delta) override;
    bool centerHorizontally(const QString &kind, float width) override;

    int childCount() const override { return m_children.size(); }
    CControl *childAt(int index) const override;
    // Takes ownership of the child.
    void addChild(CControl *pChild);

    int currentIndex() const { return m_currentIndex; }
    void setCurrentIndex(int index) { m_currentIndex = index; }

private:
    QList<CControl *> m_children;
    int m_currentIndex = 0;
};
