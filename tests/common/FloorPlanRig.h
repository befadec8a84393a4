#pragma once

#include "FakePanelHost.h"
#include "FakeProtocolHost.h"
#include "SimulatedVdsDevice.h"
#include "SimulatedVdsRoomCombiner.h"
#include "devices/HRoot.h"

#include <QObject>
#include <QQmlEngine>
#include <QQuickWindow>
#include <QString>
#include <QTimer>

#include <memory>

class CComposite;
class CControl;
class HChassis;
class HRCGroup;
class WActiveCombo;
class WComboSelection;
class WRoomSelection;

// A floor plan of four rooms read from a panel file, drawn by the shipped
// QML in an offscreen window that takes mouse input: one room outline per
// room ("Room 1" .. "Room 4", 150 by 100 each, side by side from (20, 100)),
// a combination selector ("Combinations") and one active-combination label
// per room ("Names 1" ..). The design is RoomCombineRig's (rooms "Hall-One"
// .. "Hall-Four" of group 1); its processor is the simulated device on
// 127.0.0.1 playing the room combiner. The panel is polled as the model
// polls the visible panel, and the interface object's connection indicator
// follows the processor's connection (and another device's, when the test
// says one is connected) as the model sets it.
class FloorPlanRig : public QObject
{
    Q_OBJECT

public:
    FloorPlanRig();
    ~FloorPlanRig() override;

    // The panel file's controls (the inside of its "Controls" element).
    static QString panelControlsXml();

    // Reads the design and the panel, shows the window and connects, the
    // device accepting the connection subscription or not. What went
    // wrong, or empty.
    QString start(bool subscribe, const QString &blockTitle = QStringLiteral("Standard Room Combiner"));

    HChassis *chassis() const { return m_pChassis; }
    HRCGroup *group() const { return m_pGroup; }
    WRoomSelection *room(int number) const;
    WActiveCombo *names(int number) const;
    WComboSelection *selector() const;
    QStringList colours() const;
    QStringList shownNames() const;
    // A press and release at the middle of the room's outline, through the
    // window.
    void clickRoom(int number);
    // A click on the selector's swatch; false when there is no such swatch.
    bool clickSwatch(int index);
    bool isConnected() const;
    // The interface object's edit mode, in which room corners are dragged.
    void setEditMode(bool on);

    SimulatedVdsDevice device;
    SimulatedVdsRoomCombiner combiner{&device};
    FakeProtocolHost protocolHost;
    FakePanelHost panelHost;
    QQuickWindow window;
    // Another device of the project stays connected whatever the
    // processor does: the indicator shows yellow, not red, while the
    // processor is down.
    bool otherDeviceConnected = false;

private:
    CControl *control(const QString &name) const;
    void sweep();
    void showIndicator();

    QQmlEngine m_engine;
    std::unique_ptr<QObject> m_pInterface;
    HRoot m_root;
    std::unique_ptr<CComposite> m_pScenes;
    QList<CControl *> m_leaves;
    HChassis *m_pChassis = nullptr;
    HRCGroup *m_pGroup = nullptr;
    QTimer m_polling;
};
