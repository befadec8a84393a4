#pragma once

#include "FakePanelHost.h"
#include "NodeProperties.h"
#include "RecordingProtocol.h"
#include "controls/CControl.h"
#include "controls/TTransformFactory.h"
#include "controls/WDelegate.h"
#include "controls/WWidgetFactory.h"
#include "devices/HBlock.h"
#include "devices/HComposite.h"

#include <QCoreApplication>
#include <QList>
#include <QMouseEvent>
#include <QPair>
#include <QPointF>
#include <QQmlContext>
#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickWindow>
#include <QStringList>
#include <QTest>

#include <memory>
#include <vector>

using Leaves = QList<QPair<QString, QString>>;

// Button-like controls (buttons, level buttons, command buttons) made by the
// real widget factory from the shipped QML, in an offscreen window that
// takes mouse input, bound to nodes below one device. The controls' panel
// host is the rig's fake (skin "Light", accent "Blue"); the nodes' protocol
// is the rig's recording one unless a test gives them another.
class ButtonRig
{
public:
    ButtonRig()
    {
        window.resize(500, 400);
        auto *pFactory = new WWidgetFactory;
        pFactory->setParentItem(window.contentItem());
        pFactory->setContext(engine.rootContext());
        WDelegate::instance()->setFactory(pFactory);
    }

    ~ButtonRig()
    {
        // The controls hand their items to deferred deletion; let that
        // happen while the window and the engine are still there.
        m_controls.clear();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        TTransformFactory::clearRegistry();
        WDelegate::destroyInstance();
    }

    // A block below the device, from design-file properties
    // ("title=Gain", "label=Music Gain", "index=3").
    HNode *addBlock(const QStringList &properties) { return addNode(new HBlock, properties); }

    // A node made elsewhere; the device owns it from then on.
    HNode *addNode(HNode *pNode, const QStringList &properties)
    {
        NodeProperties::read(*pNode, properties);
        device.addChild(pNode);
        pNode->setProtocol(&protocol);
        return pNode;
    }

    // A control of the kind with one widget of the type, its binding
    // ("list" or "range" leaves; none for an unbound widget) and the
    // widget's leaves after a default geometry. Not bound yet.
    CControl *addControl(const QString &kind, const QString &widgetType, HNode *pNode,
                         const QString &element, const Leaves &binding, const Leaves &widgetLeaves,
                         const QString &name = QStringLiteral("Control"))
    {
        auto pControl = std::make_unique<CControl>();
        pControl->setType(QStringLiteral("Control"));
        pControl->setName(name);
        pControl->setKind(kind);
        pControl->setModel(&host);
        if (pNode)
            pControl->setNode(pNode);
        for (const auto &leaf : binding)
            pControl->setAttribute(element, leaf.first, leaf.second);
        pControl->updateDecimals();
        const Leaves geometry = {{"x", "20"}, {"y", "20"}, {"width", "100"}, {"height", "60"}};
        for (const auto &leaf : geometry + widgetLeaves)
            pControl->setWidgetAttribute(widgetType, leaf.first, leaf.second);
        pControl->endWidget(widgetType);
        m_controls.push_back(std::move(pControl));
        return m_controls.back().get();
    }

    // A "Button" control with a "list" binding.
    CControl *addButton(HNode *pNode, const Leaves &list, const Leaves &buttonLeaves)
    {
        return addControl(QStringLiteral("Button"), QStringLiteral("button"), pNode,
                          QStringLiteral("list"), list, buttonLeaves);
    }

    // Binds the control and shows its widgets; its first widget.
    template<typename W>
    static W *bind(CControl *pControl)
    {
        pControl->bind();
        pControl->setVisible(true);
        const QList<WWidget *> widgets = pControl->widgets();
        return widgets.isEmpty() ? nullptr : qobject_cast<W *>(widgets.constFirst());
    }

    bool showWindow()
    {
        window.show();
        return QTest::qWaitForWindowExposed(&window);
    }

    // The middle of a child item (or of the item itself) in window
    // coordinates.
    static QPointF centreOf(const QQuickItem *pItem)
    {
        return pItem ? pItem->mapToScene(QPointF(pItem->width() / 2, pItem->height() / 2)) : QPointF();
    }

    // Mouse events delivered at once, without a turn of the event loop.
    void press(const QPointF &at) { sendMouse(QEvent::MouseButtonPress, at, Qt::LeftButton, Qt::LeftButton); }
    void release(const QPointF &at) { sendMouse(QEvent::MouseButtonRelease, at, Qt::LeftButton, Qt::NoButton); }
    void click(const QPointF &at)
    {
        press(at);
        release(at);
    }

    QQmlEngine engine;
    QQuickWindow window;
    RecordingProtocol protocol;
    HComposite device;
    FakePanelHost host;

private:
    void sendMouse(QEvent::Type type, const QPointF &at, Qt::MouseButton button, Qt::MouseButtons buttons)
    {
        QMouseEvent event(type, at, window.mapToGlobal(at), button, buttons, Qt::NoModifier);
        // Far apart: two clicks are never taken for a double click.
        event.setTimestamp(m_timestamp += 500);
        QCoreApplication::sendEvent(&window, &event);
    }

    std::vector<std::unique_ptr<CControl>> m_controls;
    ulong m_timestamp = 1000;
};
