#pragma once

#include "devices/HRoot.h"

#include <QQmlEngine>
#include <QQuickWindow>

#include <memory>
#include <vector>

class CControl;
class HChassis;

// Bar meters (the shipped QML items and their WMeter) bound to outputs 0,
// 1, ... of an ARX amplifier chassis at 127.0.0.1, whose WebSocket client
// and meter model are the program's own. Its REST poll is stopped. Make it
// once the application object exists and the amplifiers' port is set; it
// takes the widget factory and the transforms down with it.
class ArxMeterRig
{
public:
    explicit ArxMeterRig(int meters);
    ~ArxMeterRig();

    // How many of the meters were made and bound.
    int boundCount() const { return m_bound; }
    HChassis *chassis() const { return m_pChassis; }

private:
    QQmlEngine m_engine;
    QQuickWindow m_window;
    HRoot m_root;
    HChassis *m_pChassis = nullptr;
    std::vector<std::unique_ptr<CControl>> m_controls;
    int m_bound = 0;
};
