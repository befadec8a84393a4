#pragma once

#include <QObject>
#include <QPointer>

// Process-wide registry of the desktop QML's canvas item and of the QML item
// that is modal at the moment (a pop-up menu or a message box). Both are
// guarded: the QML items go away with the view, which may be before us.
class VModeManager
{
public:
    // The one instance, made on first use.
    static VModeManager *instance();
    // Deletes the instance; the next instance() call makes a fresh one. The
    // model calls it when it is destroyed.
    static void destroyInstance();

    virtual ~VModeManager();

    QObject *canvasItem() const { return m_pCanvasItem; }
    void setCanvasItem(QObject *pItem) { m_pCanvasItem = pItem; }

    QObject *modalItem() const { return m_pModalItem; }
    void setModalItem(QObject *pItem) { m_pModalItem = pItem; }

private:
    VModeManager() = default;
    Q_DISABLE_COPY(VModeManager)

    QPointer<QObject> m_pCanvasItem;
    QPointer<QObject> m_pModalItem;
};
