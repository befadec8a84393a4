// Figures for room combining: a processor with 32 rooms in 4 groups of 8,
// each room a node with a panel control of its own (a pass-through
// transform, as a room's widget binds), polled through a connected
// ITcpClient and the chassis's PVDSProtocol against the simulated VDS
// device on 127.0.0.1 playing the room combiner. Each round the device's
// front panel changes every group's combinations, and each group is asked
// once. The figure is the time from a "GRC" reply's bytes arriving at the
// client's read to the last room node of that group announcing
// queryResponseReady, against the floor measured in the same run: one "GA"
// reply routed to one transform, the figure of the VDS routing benchmark.
// It asserts nothing.

#include "comms/PProtocol.h"
#include "comms/TTransform.h"
#include "controls/CAttributes.h"
#include "devices/HNode.h"
#include "roomcombine/HRCGroup.h"

#include "BenchMessages.h"
#include "BenchRoomProcessor.h"
#include "BenchTiming.h"
#include "EngineTypes.h"

#include <QCoreApplication>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

namespace {

constexpr int Groups = 4;
constexpr int RoomsPerGroup = 8;
constexpr int Rounds = 100;

// The two states each group's front panel alternates between.
SimulatedVdsRoomCombiner::Sets stateOf(int round)
{
    if (round % 2 == 0)
        return {{1, 2, 3}, {4, 5}, {6, 7, 8}};
    return {{1, 8}, {2, 7}, {3, 6}, {4, 5}};
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    hideAllMessages();
    EngineTypes::registerAll();

    BenchRoomProcessor processor(Groups, RoomsPerGroup);
    processor.device().setValue("GA\"Gain\">1", "-10.0");
    const std::vector<HRCGroup *> &groups = processor.groups();
    PProtocol *pProtocol = processor.protocol();
    HNode gainNode;
    gainNode.setLabel(QStringLiteral("Gain"));
    gainNode.setProtocol(pProtocol);
    if (!processor.connect())
        return 1;

    // One control per room; the last room of a group is the last to hear
    // of each report.
    std::vector<std::unique_ptr<BenchBinding>> rooms;
    std::vector<qint64> lastHeardNs(Groups, -1);
    std::vector<int> heard(Groups, 0);
    for (int g = 0; g < Groups; ++g) {
        HRCGroup *pGroup = groups.at(size_t(g));
        for (int r = 0; r < pGroup->childCount(); ++r)
            rooms.push_back(benchBind(pGroup->childAt(r), CAttributes::StructRawCommand, "passThrough"));
        HNode *pLast = pGroup->childAt(pGroup->childCount() - 1);
        QObject::connect(pLast, &HNode::queryResponseReady, pLast, [&, g]() {
            lastHeardNs[size_t(g)] = processor.nowNs() - processor.readAtNs();
            ++heard[size_t(g)];
        });
    }
    const int perReport = RoomsPerGroup; // every room's transform hands the report over

    std::vector<qint64> roomNs;
    for (int round = 0; round < Rounds; ++round) {
        for (int g = 1; g <= Groups; ++g)
            processor.combiner().setCombinations(g, stateOf(round + g));
        std::fill(heard.begin(), heard.end(), 0);
        for (const auto &pRoom : rooms)
            pProtocol->requestValue(pRoom->transform.get());
        const bool done = waitFor(
            [&]() {
                return std::all_of(heard.begin(), heard.end(), [perReport](int n) { return n >= perReport; });
            },
            20000);
        if (!done) {
            std::printf("round %d: not every group's report arrived\n", round);
            return 1;
        }
        roomNs.insert(roomNs.end(), lastHeardNs.begin(), lastHeardNs.end());
    }

    // The floor: one reply routed to one transform.
    std::unique_ptr<BenchBinding> gain = benchBind(&gainNode, CAttributes::StructNamedIndex, "strV", 1);
    std::vector<qint64> floorNs;
    int ready = 0;
    QObject::connect(gain->transform.get(), &TTransform::replyValueReady, gain->transform.get(), [&]() {
        ++ready;
        floorNs.push_back(processor.nowNs() - processor.readAtNs());
    });
    for (int round = 0; round < Rounds * Groups; ++round) {
        pProtocol->requestValue(gain->transform.get());
        if (!waitFor([&]() { return ready > round; }, 20000)) {
            std::printf("floor round %d: no reply\n", round);
            return 1;
        }
    }

    const LatencyFigures room = latencyFigures(roomNs, 1e3);
    const LatencyFigures base = latencyFigures(floorNs, 1e3);
    std::printf("%d rooms in %d groups, one control per room, %d rounds, 127.0.0.1, poll mode\n",
                Groups * RoomsPerGroup, Groups, Rounds);
    std::printf("GRC reply read -> last room's queryResponseReady  mean %8.1f us   p99 %8.1f us   (n = %d)\n",
                room.mean, room.p99, room.count);
    std::printf("floor: GA reply read -> replyValueReady          mean %8.1f us   p99 %8.1f us   (n = %d)\n",
                base.mean, base.p99, base.count);
    std::printf("ratio to the floor                                mean %8.1f      p99 %8.1f\n",
                base.mean > 0 ? room.mean / base.mean : 0.0,
                base.p99 > 0 ? room.p99 / base.p99 : 0.0);
    return 0;
}
