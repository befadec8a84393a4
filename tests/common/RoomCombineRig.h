#pragma once

#include "FakePanelHost.h"
#include "FakeProtocolHost.h"
#include "SimulatedVdsDevice.h"
#include "SimulatedVdsRoomCombiner.h"
#include "devices/HRoot.h"

#include <QObject>
#include <QString>
#include <QTimer>

#include <memory>
#include <vector>

class CControl;
class HChassis;
class HRCGroup;
class HRCRoom;
class PProtocol;

// A design of four rooms in room-combining group 1 ("Hall-One" ..
// "Hall-Four"), read from a design file, its processor played by the
// simulated device on 127.0.0.1 with the room combiner, and a panel of one
// control per room polled as the model polls the visible panel.
//
// Each room has what its room-selection widget will do: it sends the
// commands the room passes on through its control's transform and the
// processor's protocol, shows the operator's message in the panel host's
// warning box, and takes the room's colour from its node after every
// state report.
class RoomCombineRig : public QObject
{
    Q_OBJECT

public:
    // What the panel shows of one room.
    struct Room
    {
        HRCRoom *pNode = nullptr;
        CControl *pControl = nullptr;
        QString colour = QStringLiteral("lightgray");
        // Every colour the room took, in order, repeats left out.
        QStringList history;
        int reports = 0;

        void show(const QString &newColour)
        {
            colour = newColour;
            if (history.isEmpty() || history.last() != newColour)
                history.append(newColour);
        }
    };

    RoomCombineRig();
    ~RoomCombineRig() override;

    // Reads the design, with rooms of the block title given (a combiner's
    // or the conference router's, then in a row: 1|2, 2|3, 3|4), makes the
    // panel and connects it, the device accepting the connection
    // subscription or not. What went wrong, or empty.
    QString start(bool subscribe, const QString &blockTitle = QStringLiteral("Standard Room Combiner"));

    // The design: the processor (node 1) at 127.0.0.1 on the port, four
    // rooms of the block title in group 1 (block node ids 11 to 14, names
    // "Hall-One" .. "Hall-Four"), the group node 30 labelled "Hall Group".
    static QString designXml(quint16 port, const QString &blockTitle);

    HChassis *chassis() const { return m_pChassis; }
    HRCGroup *group() const { return m_pGroup; }
    Room &room(int number) { return m_rooms.at(size_t(number - 1)); }
    QStringList colours() const;
    // A click on the room's outline, as its widget makes it.
    void click(int number);
    void select(int combo);

    SimulatedVdsDevice device;
    SimulatedVdsRoomCombiner combiner{&device};
    FakeProtocolHost protocolHost;
    FakePanelHost panelHost;

private:
    bool readDesign(const QString &blockTitle);
    void addRoomControl(HRCRoom *pNode);
    void sweep();

    HRoot m_root;
    HChassis *m_pChassis = nullptr;
    HRCGroup *m_pGroup = nullptr;
    std::vector<Room> m_rooms;
    std::vector<std::unique_ptr<CControl>> m_controls;
    // The model's polling period.
    QTimer m_polling;
};
