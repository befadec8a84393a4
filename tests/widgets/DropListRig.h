#pragma once

#include "QuickItemSearch.h"
#include "controls/CControl.h"
#include "controls/TTransformFactory.h"
#include "controls/VModeManager.h"
#include "controls/WDelegate.h"
#include "controls/WWidgetFactory.h"
#include "devices/HRoot.h"
#include "devices/XVPJHandler.h"
#include "project/XmlFileReader.h"
#include "widgets/WDropList.h"

#include <QCoreApplication>
#include <QList>
#include <QMouseEvent>
#include <QPair>
#include <QPointF>
#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickWindow>
#include <QSignalSpy>
#include <QTest>

#include <memory>
#include <vector>

using Leaves = QList<QPair<QString, QString>>;

// Drop-list controls made by the real widget factory from the shipped QML,
// in an offscreen window that takes mouse input; the window's content item
// is the canvas that the pop-up lists are laid over. The device tree is a
// fixture design file, or empty.
class DropListRig
{
public:
    // The binding of a list value: "SA \"<label>\">1=<value>", read back
    // with "GA\"<label>\">1".
    static Leaves listBinding() { return {{"index1", "1"}, {"transform", "bin8"}}; }

    DropListRig()
    {
        WWidgetFactory::registerWidgetTypes();
        window.resize(640, 480);
        auto *pFactory = new WWidgetFactory;
        pFactory->setParentItem(window.contentItem());
        pFactory->setContext(engine.rootContext());
        WDelegate::instance()->setFactory(pFactory);
        VModeManager::instance()->setCanvasItem(window.contentItem());
    }

    ~DropListRig()
    {
        // The controls hand their items to deferred deletion; let that
        // happen while the window and the engine are still there.
        m_controls.clear();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        TTransformFactory::clearRegistry();
        WDelegate::destroyInstance();
        VModeManager::destroyInstance();
    }

    // A design file of tests/data/design into the rig's device tree.
    bool loadDesign(const QString &name)
    {
        XVPJHandler handler;
        handler.setRoot(&root);
        return XmlFileReader::parse(qEnvironmentVariable("VR_TEST_DATA") + QStringLiteral("/design/") + name,
                                    handler);
    }

    HNode *node(const QString &label) { return root.findByProperty(QStringLiteral("label"), label); }

    // A "DropList" control with its binding and a drop-list widget placed
    // at (x, y), 160 by 30, with the list attributes in order. Not bound.
    CControl *addDropList(const QString &name, HNode *pNode, const Leaves &binding, const Leaves &list,
                          int x = 40, int y = 40)
    {
        auto pControl = std::make_unique<CControl>();
        pControl->setType(QStringLiteral("Control"));
        pControl->setName(name);
        pControl->setKind(QStringLiteral("DropList"));
        pControl->setNode(pNode);
        for (const auto &leaf : binding)
            pControl->setAttribute(QStringLiteral("list"), leaf.first, leaf.second);
        const Leaves geometry = {{"x", QString::number(x)}, {"y", QString::number(y)},
                                 {"width", "160"}, {"height", "30"}};
        for (const auto &leaf : geometry + list)
            pControl->setWidgetAttribute(QStringLiteral("droplist"), leaf.first, leaf.second);
        pControl->endWidget(QStringLiteral("droplist"));
        m_controls.push_back(std::move(pControl));
        return m_controls.back().get();
    }

    // Binds the control and shows its widget; its drop list.
    static WDropList *bind(CControl *pControl)
    {
        pControl->bind();
        pControl->setVisible(true);
        return dropListOf(pControl);
    }

    static WDropList *dropListOf(const CControl *pControl)
    {
        return qobject_cast<WDropList *>(pControl->widgetByType(QStringLiteral("droplist")));
    }

    // Drops the control (and its widgets, at the next deferred deletion).
    void removeControl(CControl *pControl)
    {
        for (auto it = m_controls.begin(); it != m_controls.end(); ++it) {
            if (it->get() == pControl) {
                m_controls.erase(it);
                return;
            }
        }
    }

    bool showWindow()
    {
        window.show();
        return QTest::qWaitForWindowExposed(&window);
    }

    // The pop-up's entry at the index, once the list has made it. A list
    // view's entries are its visual children only.
    static QQuickItem *entry(const WDropList *pList, int index)
    {
        return findQuickItem(qobject_cast<QQuickItem *>(pList->popup()), QStringLiteral("entry%1").arg(index));
    }

    static QPointF centreOf(const QQuickItem *pItem)
    {
        return pItem ? pItem->mapToScene(QPointF(pItem->width() / 2, pItem->height() / 2)) : QPointF();
    }

    // Opens the list's pop-up with a click on its item and waits until the
    // window has synchronised a scene with it: its entries are made and
    // laid out by then.
    bool openPopup(const WDropList *pList)
    {
        QSignalSpy synced(&window, &QQuickWindow::afterSynchronizing);
        click(centreOf(pList->item()));
        return pList->popup() && synced.wait(5000);
    }

    // A press and release at the point, in window coordinates. Clicks are
    // spaced apart in time, so that two never make a double click.
    void click(const QPointF &at)
    {
        m_timestamp += 1000;
        sendMouse(QEvent::MouseButtonPress, at, Qt::LeftButton, Qt::LeftButton);
        m_timestamp += 20;
        sendMouse(QEvent::MouseButtonRelease, at, Qt::LeftButton, Qt::NoButton);
    }

    QQmlEngine engine;
    QQuickWindow window;
    HRoot root;

private:
    void sendMouse(QEvent::Type type, const QPointF &at, Qt::MouseButton button, Qt::MouseButtons buttons)
    {
        QMouseEvent event(type, at, window.mapToGlobal(at), button, buttons, Qt::NoModifier);
        event.setTimestamp(m_timestamp);
        QCoreApplication::sendEvent(&window, &event);
    }

    std::vector<std::unique_ptr<CControl>> m_controls;
    ulong m_timestamp = 1000;
};
