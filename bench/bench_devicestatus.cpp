// Figures for the dashboard's refresh: one loudspeaker array and 30 ARX
// amplifiers, each simulated on 127.0.0.1 and answering at once (one
// simulated amplifier serves all thirty, as thirty amplifiers would each
// serve their own). Prints the median time from the refresh's start to
// deviceListReloadingCompleted, through the real root view offscreen.
//
// The floor comes from the same run: each kind of device asked alone
// (its status requests with nothing else under way), the slower of the two
// medians. A dashboard that asks its devices side by side stays near 1; one
// that asked them one after the other would be near 31. Beside it, the same
// devices asked by hand side by side, without the dashboard: the share of
// the simulators themselves (one amplifier simulator serves all thirty).
// It asserts nothing.

#include "BenchMessages.h"
#include "BenchSandbox.h"
#include "BenchTiming.h"
#include "EngineTypes.h"
#include "NodeProperties.h"
#include "SimulatedArxAmplifier.h"
#include "SimulatedVentraArray.h"
#include "amplifiers/PARXProtocol.h"
#include "comms/IArxAddress.h"
#include "controls/VModeManager.h"
#include "amplifiers/ArxRestApiRepository.h"
#include "devices/HChassis.h"
#include "devices/HRoot.h"
#include "devicestatus/DQmlDeviceStatusDialog.h"
#include "devicestatus/DeviceStatusInterfaceObject.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QQmlComponent>
#include <QQmlContext>
#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickWindow>

#include <cstdio>
#include <memory>
#include <vector>

namespace {

constexpr int Amplifiers = 30;
constexpr int Runs = 7;
constexpr int Patience = 60000;

// One device's status requests, alone, until it reports.
double aloneMs(DeviceStatusInterfaceObject *pDevice)
{
    std::vector<double> times;
    for (int i = 0; i < Runs; ++i) {
        bool done = false;
        QElapsedTimer clock;
        clock.start();
        pDevice->requestStatus();
        QObject::connect(pDevice, &DeviceStatusInterfaceObject::interfaceObjectDataReady, pDevice,
                         [&done]() { done = true; });
        if (!waitFor([&done]() { return done; }, Patience))
            return 0;
        times.push_back(clock.nsecsElapsed() / 1e6);
    }
    pDevice->reset();
    return median(times);
}

// All the devices asked side by side, without the dashboard, until each
// has reported.
double togetherMs(const QList<DeviceStatusInterfaceObject *> &devices)
{
    std::vector<double> times;
    for (int i = 0; i < Runs; ++i) {
        int reported = 0;
        QElapsedTimer clock;
        clock.start();
        for (DeviceStatusInterfaceObject *pDevice : devices) {
            pDevice->requestStatus();
            QObject::connect(pDevice, &DeviceStatusInterfaceObject::interfaceObjectDataReady, pDevice,
                             [&reported]() { ++reported; });
        }
        if (!waitFor([&]() { return reported >= devices.size(); }, Patience))
            return 0;
        times.push_back(clock.nsecsElapsed() / 1e6);
    }
    for (DeviceStatusInterfaceObject *pDevice : devices)
        pDevice->reset();
    return median(times);
}

} // namespace

int main(int argc, char **argv)
{
    BenchSandbox sandbox;
    preferOffscreenPlatform();
    QApplication app(argc, argv);
    showMessagesFrom(QtCriticalMsg);
    EngineTypes::registerAll();

    SimulatedVentraArray array;
    if (!array.listen()) {
        std::fprintf(stderr, "bench_devicestatus: the simulated array cannot listen\n");
        return 1;
    }
    SimulatedArxAmplifier amplifier;
    amplifier.setInputCount(2);
    amplifier.setOutputCount(4);
    amplifier.setMains(0);
    amplifier.startFeed(20);
    IArxAddress::setPort(amplifier.port());

    HRoot root;
    auto *pArrayChassis = new HChassis(QStringLiteral("Kestrel"));
    NodeProperties::read(*pArrayChassis, {QStringLiteral("title=Ventra"), QStringLiteral("label=Array"),
                                          QStringLiteral("ipAddress=127.0.0.1"),
                                          "serialPortNumber=" + QString::number(array.port())});
    root.addChild(pArrayChassis);
    pArrayChassis->setOnline(true);
    QList<HChassis *> amps;
    for (int i = 0; i < Amplifiers; ++i) {
        auto *pChassis = new HChassis;
        NodeProperties::read(*pChassis, {QStringLiteral("title=ARX-4800"),
                                         QStringLiteral("label=Amp %1").arg(i + 1),
                                         QStringLiteral("ipAddress=127.0.0.1"),
                                         QStringLiteral("deviceType=ARX-4800")});
        root.addChild(pChassis);
        pChassis->finishParsing();
        pChassis->arxRestApiRepository()->stopPolling();
        amps.append(pChassis);
    }
    // Every amplifier's meter feed open, and its readings of both kinds in.
    waitFor(
        [&]() {
            for (HChassis *pChassis : std::as_const(amps)) {
                if (!pChassis->arxProtocol()->readings().complete())
                    return false;
            }
            return true;
        },
        Patience);

    // The floor: each kind alone.
    DeviceStatusInterfaceObject *pLoneArray = DeviceStatusInterfaceObject::createFor(pArrayChassis);
    DeviceStatusInterfaceObject *pLoneAmp = DeviceStatusInterfaceObject::createFor(amps.first());
    const double arrayMs = aloneMs(pLoneArray);
    const double ampMs = aloneMs(pLoneAmp);
    const double floorMs = std::max(arrayMs, ampMs);

    // The dashboard over all of them, as the program shows it.
    QQmlEngine engine;
    static const bool s_registered = qmlRegisterType<QObject>("mqmlinterface", 1, 0, "MQmlInterface") >= 0;
    Q_UNUSED(s_registered);
    QQmlComponent interfaceComponent(&engine, QUrl(QStringLiteral("qrc:/qml/QmlInterface.qml")));
    std::unique_ptr<QObject> pInterface(interfaceComponent.create());
    QQuickWindow window;
    window.resize(1000, 680);
    auto *pCanvas = new QQuickItem(window.contentItem());
    pCanvas->setSize(QSizeF(1000, 680));
    window.show();
    VModeManager::instance()->setCanvasItem(pCanvas);
    DQmlDeviceStatusDialog dialog;
    engine.rootContext()->setContextProperty(QStringLiteral("intrf"), pInterface.get());
    engine.rootContext()->setContextProperty(QStringLiteral("deviceStatusController"), &dialog);
    dialog.setQmlFile(QStringLiteral("qrc:/qml/objects/deviceStatusObjects/QmlDeviceStatusRootView.qml"));
    dialog.setContext(engine.rootContext());

    QList<DeviceStatusInterfaceObject *> devices{DeviceStatusInterfaceObject::createFor(pArrayChassis)};
    for (HChassis *pChassis : std::as_const(amps))
        devices.append(DeviceStatusInterfaceObject::createFor(pChassis));

    // The same devices asked by hand, side by side: what the simulators
    // themselves take (one simulated amplifier serves all thirty).
    const double bareMs = togetherMs(devices);

    std::vector<double> times;
    for (int i = 0; i < Runs; ++i) {
        bool done = false;
        QObject::connect(&dialog, &DQmlDeviceStatusDialog::deviceListReloadingCompleted, &dialog,
                         [&done]() { done = true; });
        QElapsedTimer clock;
        clock.start();
        if (i == 0)
            dialog.DoModal(devices);
        else
            dialog.refreshDataNow();
        if (!waitFor([&done]() { return done; }, Patience)) {
            std::fprintf(stderr, "bench_devicestatus: a refresh did not complete\n");
            return 1;
        }
        times.push_back(clock.nsecsElapsed() / 1e6);
        QObject::disconnect(&dialog, &DQmlDeviceStatusDialog::deviceListReloadingCompleted, &dialog,
                            nullptr);
    }
    const double fullMs = median(times);
    int connected = 0;
    for (const DeviceStatusInterfaceObject *pDevice : std::as_const(devices))
        connected += pDevice->networkState() == 7 ? 1 : 0;
    dialog.closeDeviceStatusDialog();
    VModeManager::instance()->setCanvasItem(nullptr);

    std::printf("dashboard refresh: 1 array + %d ARX amplifiers, simulators on 127.0.0.1, "
                "median of %d runs\n",
                Amplifiers, Runs);
    std::printf("floor, measured now: the array alone %.1f ms, one amplifier alone %.1f ms; "
                "slowest %.1f ms\n",
                arrayMs, ampMs, floorMs);
    std::printf("all %d devices (%d ended Connected): %.1f ms to deviceListReloadingCompleted, "
                "%.2f x the floor\n",
                int(devices.size()), connected, fullMs, floorMs > 0 ? fullMs / floorMs : 0.0);
    std::printf("the same %d devices asked side by side without the dashboard: %.1f ms; the "
                "dashboard's own share %.2f x that\n",
                int(devices.size()), bareMs, bareMs > 0 ? fullMs / bareMs : 0.0);
    return 0;
}
