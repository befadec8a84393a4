// Figures for the floor plan's widgets: a processor with 32 rooms in 4
// groups of 8, polled through a connected ITcpClient and the chassis's
// PVDSProtocol against the simulated VDS device on 127.0.0.1 playing the
// room combiner. Each round the device's front panel changes one group's
// combinations (every room changes colour) and the group is asked once.
//
// The figure is the time from the "GRC" reply's bytes arriving at the
// client's read to the last of the group's eight room widgets (each a
// WRoomSelection in the shipped QML item, bound to its room node) taking
// its new colour. The floor, measured in the same run with the same
// replies, is the time to the last of the group's room nodes announcing
// queryResponseReady, with no widget bound. It asserts nothing.

#include "comms/PProtocol.h"
#include "comms/TTransform.h"
#include "controls/CAttributes.h"
#include "controls/WWidgetFactory.h"
#include "devices/HNode.h"
#include "roomcombine/HRCGroup.h"
#include "roomcombine/WRoomSelection.h"

#include "BenchMessages.h"
#include "BenchRoomProcessor.h"
#include "BenchTiming.h"
#include "EngineTypes.h"

#include <QGuiApplication>
#include <QQmlComponent>
#include <QQmlEngine>
#include <QQuickItem>

#include <cstdio>
#include <memory>
#include <vector>

namespace {

constexpr int Groups = 4;
constexpr int RoomsPerGroup = 8;
constexpr int Rounds = 150;

// Every room of a group in a pair, then none: each report changes every
// room's colour.
SimulatedVdsRoomCombiner::Sets stateOf(int round)
{
    if (round % 2 == 0)
        return {{1, 2}, {3, 4}, {5, 6}, {7, 8}};
    return {};
}

} // namespace

int main(int argc, char **argv)
{
    preferOffscreenPlatform();
    QGuiApplication app(argc, argv);
    hideAllMessages();
    EngineTypes::registerAll();

    BenchRoomProcessor processor(Groups, RoomsPerGroup);
    const std::vector<HRCGroup *> &groups = processor.groups();
    PProtocol *pProtocol = processor.protocol();
    if (!processor.connect())
        return 1;

    // One query binding per group (its first room's), and the rooms.
    std::vector<std::unique_ptr<BenchBinding>> queries;
    for (HRCGroup *pGroup : groups)
        queries.push_back(benchBind(pGroup->childAt(0), CAttributes::StructRawCommand, "passThrough"));

    // How many of the group's rooms (nodes or widgets) have heard of its
    // report. One query is out at a time and nothing else is read in the
    // meantime, so the last read is the one that carried the report.
    int heard = 0;
    qint64 lastHeardNs = -1;
    const auto heardOne = [&]() {
        ++heard;
        lastHeardNs = processor.nowNs() - processor.readAtNs();
    };

    int round = 0;
    const auto runRounds = [&](std::vector<qint64> *pNs) -> bool {
        for (int i = 0; i < Rounds; ++i, ++round) {
            for (int g = 0; g < Groups; ++g) {
                processor.combiner().setCombinations(g + 1, stateOf(round));
                heard = 0;
                pProtocol->requestValue(queries.at(size_t(g))->transform.get());
                if (!waitFor([&]() { return heard >= RoomsPerGroup; }, 20000)) {
                    std::printf("round %d, group %d: not every room heard of the report\n", round, g + 1);
                    return false;
                }
                pNs->push_back(lastHeardNs);
            }
        }
        return true;
    };

    // The floor: the room nodes alone.
    std::vector<QMetaObject::Connection> nodeConnections;
    for (HRCGroup *pGroup : groups) {
        for (int r = 0; r < pGroup->childCount(); ++r)
            nodeConnections.push_back(
                QObject::connect(pGroup->childAt(r), &HNode::queryResponseReady, pGroup, heardOne));
    }
    std::vector<qint64> floorNs;
    if (!runRounds(&floorNs))
        return 1;
    for (const QMetaObject::Connection &connection : nodeConnections)
        QObject::disconnect(connection);

    // The same reports with a room widget on every room.
    QQmlEngine engine;
    QQmlComponent component(&engine, QUrl(QStringLiteral("qrc:/qmlcontrol/QmlRoomSelector.qml")));
    std::vector<std::unique_ptr<QQuickItem>> items;
    for (HRCGroup *pGroup : groups) {
        for (int r = 0; r < pGroup->childCount(); ++r) {
            std::unique_ptr<QQuickItem> pItem(qobject_cast<QQuickItem *>(component.create()));
            auto *pRoom = pItem ? pItem->findChild<WRoomSelection *>(QStringLiteral("widget")) : nullptr;
            if (!pRoom) {
                std::printf("the room's QML item did not load: %s\n", qPrintable(component.errorString()));
                return 1;
            }
            pRoom->setWidget(pItem.get());
            pRoom->initialize(pItem.get());
            pRoom->readAttribute(QStringLiteral("polygon"), QStringLiteral("0,0 100,0 100,80 0,80 "));
            pRoom->setNode(pGroup->childAt(r));
            QObject::connect(pRoom, &WRoomSelection::fillColorChanged, pRoom, heardOne);
            items.push_back(std::move(pItem));
        }
    }
    std::vector<qint64> widgetNs;
    if (!runRounds(&widgetNs))
        return 1;

    const LatencyFigures widgets = latencyFigures(widgetNs, 1e3);
    const LatencyFigures base = latencyFigures(floorNs, 1e3);
    std::printf("%d rooms in %d groups, one report per group and round, %d rounds, 127.0.0.1, poll mode\n",
                Groups * RoomsPerGroup, Groups, Rounds);
    std::printf("GRC reply read -> last room widget's new colour     mean %8.1f us  median %8.1f us  p99 %8.1f us  (n = %d)\n",
                widgets.mean, widgets.median, widgets.p99, widgets.count);
    std::printf("floor: GRC reply read -> last room node's report    mean %8.1f us  median %8.1f us  p99 %8.1f us  (n = %d)\n",
                base.mean, base.median, base.p99, base.count);
    std::printf("ratio to the floor                                  mean %8.1f     median %8.1f     p99 %8.1f\n",
                base.mean > 0 ? widgets.mean / base.mean : 0.0,
                base.median > 0 ? widgets.median / base.median : 0.0,
                base.p99 > 0 ? widgets.p99 / base.p99 : 0.0);
    items.clear();
    return 0;
}
