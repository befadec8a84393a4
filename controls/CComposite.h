#pragma once

#include "CControl.h"

#include <QList>
#include <QTimer>

class HNode;

// A container of the panel tree: the root ("Scenes"), a scene ("Panels") or
// a panel ("Controls"). It owns its children, keeps a current one and, as
// the panel on screen, asks its controls for their state one at a time.
class CComposite : public CControl
{
    Q_OBJECT

public:
    enum PanelKind { PanelNone = 0, PanelComplete = 1, PanelTemplate = 2, PanelCustom = 3 };
    // Pause between two controls of a state sweep.
    static constexpr int SweepIntervalMs = 5;

    explicit CComposite(QObject *parent = nullptr);
    ~CComposite() override;

    void bind() override;
    void unbind() override;
    bool requestState() override;
    QRectF bounds() const override;
    void setVisible(bool visible) override;
    void scale(float factor, float extent, bool multiply) override;
    void moveBy(const QPointF &delta) override;
    bool centerHorizontally(const QString &kind, float width) override;
    void linkTransform(int mode) override;
    WWidget *widgetById(int id) const override;
    WWidget *widgetByType(const QString &typeName) const override;
    CControl *controlByName(const QString &name) override;
    CControl *controlById(quint32 id) override;
    bool contains(const CControl *pControl) const override;
    // Takes ownership of the child.
    void addChild(CControl *pChild) override;
    void removeChild(CControl *pChild, bool deleteChild) override;
    void detach() override;
    bool isNameFree(const QString &name, const CControl *pAsking) const override;
    CControl *currentChild(const QString &kind) const override;
    bool selectChild(const QString &kind, const QString &name) override;
    bool selectPath(QString &path) override;
    int hasTransform() const override;
    QString toolTipText() const override;
    QString pathOf(const CControl *pTarget) const override;
    void dump() const override;
    void setModel(CPanelHost *pModel) override;

    int childCount() const override { return int(m_children.size()); }
    CControl *childAt(int index) const override;
    int indexOfChild(const CControl *pChild) const;

    int currentIndex() const { return m_currentIndex; }
    void setCurrentIndex(int index) { m_currentIndex = index; }
    int panelKind() const { return m_panelKind; }
    void setPanelKind(const QString &kind);
    int pollIndex() const { return m_pollIndex; }
    bool isSweepRunning() const { return m_pollTimer.isActive(); }

    // Reads the panel file into this composite and hands the model down.
    void loadChildren(const QString &path, HNode *pDeviceRoot, HNode *pDefaultNode, CPanelHost *pModel);
    // Reads a panel file into this composite and binds what it read; only
    // Control elements named filter when it is not empty.
    bool loadControlsFile(HNode *pDeviceRoot, HNode *pDefaultNode, const QString &path,
                          const QString &filter);

public slots:
    void onGetStateTimerTimeout();

private:
    void layoutCustomPanel(float width);
    QRectF customLayoutBounds() const;

    QList<CControl *> m_children;
    int m_currentIndex = 0;
    int m_panelKind = PanelNone;
    int m_pollIndex = 0;
    QTimer m_pollTimer;
};
