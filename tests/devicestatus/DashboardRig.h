#pragma once

#include "InterfaceQml.h"
#include "NodeProperties.h"
#include "SimulatedArxAmplifier.h"
#include "SimulatedVentraArray.h"
#include "amplifiers/PARXProtocol.h"
#include "comms/IArxAddress.h"
#include "controls/VModeManager.h"
#include "devices/HChassis.h"
#include "devices/HRoot.h"
#include "devicestatus/DQmlDeviceStatusDialog.h"
#include "devicestatus/DeviceStatusInterfaceObject.h"

#include <QQmlContext>
#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickWindow>
#include <QTest>

#include <memory>

// The dashboard as the program shows it, without the rest of the program:
// the shipped root view made in an engine with the interface QML ("intrf"),
// laid over a canvas item in an offscreen window, and the devices it is
// given: chassis of a tree of their own, at 127.0.0.1, aimed at the
// simulators' ports.
struct DashboardRig
{
    static QString rootViewQml()
    {
        return QStringLiteral("qrc:/qml/objects/deviceStatusObjects/QmlDeviceStatusRootView.qml");
    }

    QQmlEngine engine;
    std::unique_ptr<QObject> pInterface;
    QQuickWindow window;
    QQuickItem *pCanvas = nullptr;
    HRoot root;
    DQmlDeviceStatusDialog dialog;

    DashboardRig()
    {
        pInterface = InterfaceQml::create(engine);
        engine.rootContext()->setContextProperty(QStringLiteral("intrf"), pInterface.get());
        engine.rootContext()->setContextProperty(QStringLiteral("deviceStatusController"), &dialog);
        window.resize(1000, 680);
        pCanvas = new QQuickItem(window.contentItem());
        pCanvas->setSize(QSizeF(1000, 680));
        VModeManager::instance()->setCanvasItem(pCanvas);
        dialog.setQmlFile(rootViewQml());
        dialog.setContext(engine.rootContext());
        window.show();
    }

    ~DashboardRig()
    {
        dialog.closeDeviceStatusDialog();
        VModeManager::instance()->setCanvasItem(nullptr);
    }

    // An array chassis on the simulated array's port, on line.
    HChassis *addArray(const QString &label, quint16 port)
    {
        auto *pChassis = new HChassis(QStringLiteral("Kestrel"));
        NodeProperties::read(*pChassis, {QStringLiteral("title=Ventra"), "label=" + label,
                                         QStringLiteral("ipAddress=127.0.0.1"),
                                         "serialPortNumber=" + QString::number(port)});
        root.addChild(pChassis);
        pChassis->setOnline(true);
        return pChassis;
    }

    // An ARX amplifier chassis; its clients reach the simulated amplifier
    // (IArxAddress::setPort first).
    HChassis *addAmplifier(const QString &label)
    {
        auto *pChassis = new HChassis;
        NodeProperties::read(*pChassis, {QStringLiteral("title=ARX-4800"), "label=" + label,
                                         QStringLiteral("ipAddress=127.0.0.1"),
                                         QStringLiteral("deviceType=ARX-4800")});
        root.addChild(pChassis);
        pChassis->finishParsing();
        // The gains' poll is not the dashboard's business.
        pChassis->arxRestApiRepository()->stopPolling();
        return pChassis;
    }

    // Whether the amplifier's meter feed has brought both kinds of reading,
    // as it has long before anyone opens the dashboard.
    static bool hasReadings(HChassis *pChassis)
    {
        return pChassis->arxProtocol() && pChassis->arxProtocol()->readings().complete();
    }

    // The status object of a chassis, made as the model makes it.
    static DeviceStatusInterfaceObject *statusOf(HChassis *pChassis)
    {
        return DeviceStatusInterfaceObject::createFor(pChassis);
    }

    QQuickItem *view() const { return qobject_cast<QQuickItem *>(dialog.viewItem()); }

    // Every visible-tree item of the name below the item, in tree order
    // (delegates are items of their view, not QObject children).
    static void collect(QQuickItem *pItem, const QString &name, QList<QQuickItem *> *pFound)
    {
        if (!pItem)
            return;
        if (pItem->objectName() == name)
            pFound->append(pItem);
        for (QQuickItem *pChild : pItem->childItems())
            collect(pChild, name, pFound);
    }

    QList<QQuickItem *> findAll(const QString &name, QQuickItem *pBelow = nullptr) const
    {
        QList<QQuickItem *> found;
        collect(pBelow ? pBelow : view(), name, &found);
        return found;
    }

    QQuickItem *find(const QString &name, QQuickItem *pBelow = nullptr) const
    {
        return findAll(name, pBelow).value(0);
    }

    // The items of the name that are shown (a hidden ancestor hides them).
    QList<QQuickItem *> findShown(const QString &name, QQuickItem *pBelow = nullptr) const
    {
        QList<QQuickItem *> shown;
        for (QQuickItem *pItem : findAll(name, pBelow)) {
            if (pItem->isVisible())
                shown.append(pItem);
        }
        return shown;
    }

    // What a click on the QML button does: its own clicked handler runs.
    static bool click(QObject *pButton)
    {
        return pButton && QMetaObject::invokeMethod(pButton, "clicked");
    }
};
