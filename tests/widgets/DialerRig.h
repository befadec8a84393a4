#pragma once

#include "FakePanelHost.h"
#include "NodeProperties.h"
#include "StubInterface.h"
#include "comms/PVDSProtocol.h"
#include "comms/TTransform.h"
#include "controls/CControl.h"
#include "controls/TTransformFactory.h"
#include "controls/WDelegate.h"
#include "controls/WWidgetFactory.h"
#include "devices/HBlock.h"
#include "devices/HComposite.h"
#include "widgets/WDialer.h"

#include <QCoreApplication>
#include <QList>
#include <QMouseEvent>
#include <QPair>
#include <QPointF>
#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickWindow>
#include <QStringList>
#include <QTest>

#include <memory>
#include <vector>

using DialerLeaves = QList<QPair<QString, QString>>;

// The VDS protocol with its transport left out: every command a widget
// sends or asks for is built as the device would receive it and kept, and
// reply lines go through the protocol's own parsing. Online while its stub
// transport is connected.
class CommandLog : public PVDSProtocol
{
public:
    CommandLog()
    {
        setInterface(&stub);
        stub.setConnected(true);
    }
    ~CommandLog() override { setInterface(nullptr); }

    bool sendValue(TTransform *pTransform) override
    {
        QStringList commands;
        if (!pTransform || !isOnline() || !buildSetCommands(pTransform, &commands))
            return false;
        sets += commands;
        return true;
    }
    bool requestValue(TTransform *pTransform) override
    {
        Command command;
        if (!pTransform || !isOnline() || !buildGetCommand(pTransform, &command))
            return false;
        gets.append(command.text);
        return true;
    }
    // A reply line of the multi-assign kind, as the device sends it.
    void reply(const QByteArray &line, TTransform *pTransform)
    {
        dispatchReply(line, CAttributes::StructMultiAssign, pTransform);
    }

    StubInterface stub;
    QStringList sets;
    QStringList gets;
};

// Dialer controls made by the real widget factory from the shipped QML, in
// an offscreen window that takes mouse input, bound to a telephone block
// labelled "Tel" whose protocol is the rig's command log (unless a test
// gives the block another one). The controls' host is the rig's panel host.
class DialerRig
{
public:
    DialerRig()
    {
        window.resize(400, 600);
        auto *pFactory = new WWidgetFactory;
        pFactory->setParentItem(window.contentItem());
        pFactory->setContext(engine.rootContext());
        WDelegate::instance()->setFactory(pFactory);
        pBlock = new HBlock;
        NodeProperties::read(*pBlock, {"title=Telephone", "label=Tel"});
        device.addChild(pBlock);
        pBlock->setProtocol(&protocol);
    }

    ~DialerRig()
    {
        m_controls.clear();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        TTransformFactory::clearRegistry();
        WDelegate::destroyInstance();
    }

    // The binding the telephone blocks use, with a call type.
    static DialerLeaves binding(const QString &callType)
    {
        return {{"index1", "0"},          {"index2", "1"}, {"struct", "8"},
                {"callType", callType},   {"transform", "text"}};
    }

    // A "Dialer" control with a dialer widget of three 60-pixel keys a row,
    // bound and shown; its dialer.
    WDialer *addDialer(const QString &callType = QStringLiteral("PSTN"),
                       const DialerLeaves &widgetLeaves = DialerLeaves())
    {
        auto pControl = std::make_unique<CControl>();
        pControl->setType(QStringLiteral("Control"));
        pControl->setName(QStringLiteral("Telephone"));
        pControl->setKind(QStringLiteral("Dialer"));
        pControl->setNode(pBlock);
        pControl->setModel(&host);
        for (const auto &leaf : binding(callType))
            pControl->setAttribute(QStringLiteral("range"), leaf.first, leaf.second);
        const DialerLeaves geometry = {{"x", "10"}, {"y", "10"}, {"width", "186"}, {"height", "375"}};
        for (const auto &leaf : geometry + widgetLeaves)
            pControl->setWidgetAttribute(QStringLiteral("dialer"), leaf.first, leaf.second);
        pControl->endWidget(QStringLiteral("dialer"));
        m_controls.push_back(std::move(pControl));
        CControl *pAdded = m_controls.back().get();
        pAdded->bind();
        pAdded->setVisible(true);
        return dialerOf(pAdded);
    }

    CControl *control(int index = 0) const { return m_controls.at(std::size_t(index)).get(); }

    static WDialer *dialerOf(const CControl *pControl)
    {
        return qobject_cast<WDialer *>(pControl->widgetByType(QStringLiteral("dialer")));
    }

    bool showWindow()
    {
        window.show();
        return QTest::qWaitForWindowExposed(&window);
    }

    // A key by its name ("5", "star", "call", ...): items a repeater made
    // have no object parent, so the search goes through the visual tree.
    static QQuickItem *key(const WDialer *pDialer, const QString &name)
    {
        return pDialer->item() ? findItem(pDialer->item(), QStringLiteral("key_") + name) : nullptr;
    }

    static QQuickItem *findItem(QQuickItem *pItem, const QString &objectName)
    {
        const QList<QQuickItem *> children = pItem->childItems();
        for (QQuickItem *pChild : children) {
            if (pChild->objectName() == objectName)
                return pChild;
            if (QQuickItem *pFound = findItem(pChild, objectName))
                return pFound;
        }
        return nullptr;
    }

    // Whether the key is on screen: it and every item above it visible.
    static bool isShown(const QQuickItem *pItem) { return pItem && pItem->isVisible() && pItem->opacity() > 0.99; }

    static QPointF centreOf(const QQuickItem *pItem)
    {
        return pItem ? pItem->mapToScene(QPointF(pItem->width() / 2, pItem->height() / 2)) : QPointF();
    }

    // A short press on the key.
    void click(const WDialer *pDialer, const QString &name)
    {
        const QPointF at = centreOf(key(pDialer, name));
        press(at);
        release(at);
    }

    // Presses the key and keeps it down until it counts as held.
    bool pressAndHold(const WDialer *pDialer, const QString &name)
    {
        QQuickItem *pKey = key(pDialer, name);
        if (!pKey)
            return false;
        press(centreOf(pKey));
        return QTest::qWaitFor([pKey]() { return pKey->property("isHeld").toBool(); }, 5000);
    }

    void releaseOn(const WDialer *pDialer, const QString &name) { release(centreOf(key(pDialer, name))); }

    // A state or identity reply of the block, through the protocol.
    void replyState(const WDialer *pDialer, const QByteArray &state)
    {
        protocol.reply("GA\"Tel\">0>1=" + state + '\r', pDialer->transform());
    }
    void replyIdentity(const WDialer *pDialer, const QByteArray &identity)
    {
        protocol.reply("GA\"Tel\">0>2=" + identity + '\r', pDialer->transform());
    }

    void press(const QPointF &at) { sendMouse(QEvent::MouseButtonPress, at, Qt::LeftButton, Qt::LeftButton); }
    void release(const QPointF &at) { sendMouse(QEvent::MouseButtonRelease, at, Qt::LeftButton, Qt::NoButton); }

    QQmlEngine engine;
    QQuickWindow window;
    CommandLog protocol;
    FakePanelHost host;
    HComposite device;
    HBlock *pBlock = nullptr;

private:
    void sendMouse(QEvent::Type type, const QPointF &at, Qt::MouseButton button, Qt::MouseButtons buttons)
    {
        QMouseEvent event(type, at, window.mapToGlobal(at), button, buttons, Qt::NoModifier);
        event.setTimestamp(m_timestamp += 16);
        QCoreApplication::sendEvent(&window, &event);
    }

    std::vector<std::unique_ptr<CControl>> m_controls;
    ulong m_timestamp = 1000;
};
