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

#include "comms/ITcpClient.h"
#include "comms/PProtocolHost.h"
#include "comms/PVDSProtocol.h"
#include "comms/TTransform.h"
#include "comms/TTransformFactory.h"
#include "controls/CAttributes.h"
#include "devices/HChassis.h"
#include "devices/HNode.h"
#include "devices/HNodeFactory.h"
#include "roomcombine/HRCGroup.h"
#include "roomcombine/HRCGroupInfo.h"

#include "BenchMessages.h"
#include "BenchTiming.h"
#include "SimulatedVdsDevice.h"
#include "SimulatedVdsRoomCombiner.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QHostAddress>
#include <QTcpSocket>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

namespace {

constexpr int Groups = 4;
constexpr int RoomsPerGroup = 8;
constexpr int Rounds = 100;

// The protocol asks nothing of the application here.
class QuietHost : public PProtocolHost
{
public:
    void setPollingActive(bool) override {}
    void runReceiveDialog(PFileProtocol *, IInterface *) override {}
    void showReceiveFailure(const QString &) override {}
};

// One bound control: its binding record and its transform.
struct Binding
{
    CAttributes attributes;
    std::unique_ptr<TTransform> transform;
};

std::unique_ptr<Binding> bind(HNode *pNode, quint32 kind, const char *transformName, int index = 0)
{
    auto pBinding = std::make_unique<Binding>();
    pBinding->attributes.setAddressStruct(kind);
    pBinding->attributes.setIndex1(index);
    pBinding->transform.reset(TTransformFactory::createTransform(QLatin1String(transformName)));
    pBinding->transform->setOwner(&pBinding->attributes);
    pBinding->transform->setOwnerNode(pNode);
    pBinding->transform->configure();
    return pBinding;
}

struct Figures
{
    double meanUs = 0;
    double p99Us = 0;
    qsizetype n = 0;
};

Figures figures(std::vector<qint64> ns)
{
    Figures f;
    f.n = qsizetype(ns.size());
    if (ns.empty())
        return f;
    std::sort(ns.begin(), ns.end());
    double sum = 0;
    for (qint64 value : ns)
        sum += double(value);
    f.meanUs = sum / double(ns.size()) / 1e3;
    f.p99Us = double(ns.at(std::min(ns.size() - 1, size_t(double(ns.size()) * 0.99)))) / 1e3;
    return f;
}

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

    SimulatedVdsDevice device;
    device.setValueStoreEnabled(true);
    device.setSubscriptionAccepted(false);
    device.setValue("GA\"Gain\">1", "-10.0");
    SimulatedVdsRoomCombiner combiner(&device);
    device.addBehaviour(&combiner);

    // The processor's tree: groups 1..4, each with its eight rooms.
    HChassis chassis;
    HNodeFactory factory;
    std::vector<HRCGroup *> groups;
    for (int g = 1; g <= Groups; ++g) {
        combiner.addGroup(g);
        for (int r = 1; r <= RoomsPerGroup; ++r)
            chassis.roomCombineInfo()->addRoom(r, QStringLiteral("Hall%1-Room%2").arg(g).arg(r), g, 1,
                                               100 * g + r, {});
        auto *pGroup = new HRCGroup;
        pGroup->setId(QString::number(g));
        chassis.addChild(pGroup);
        pGroup->buildChildren(&factory, false);
        groups.push_back(pGroup);
    }
    HNode gainNode;
    gainNode.setLabel(QStringLiteral("Gain"));

    ITcpClient client;
    client.setAddress(QHostAddress(QHostAddress::LocalHost));
    client.setPort(device.port());
    PProtocol *pProtocol = chassis.protocol();
    pProtocol->setInterface(&client);
    client.setOwner(pProtocol);
    QuietHost host;
    pProtocol->setHost(&host);
    gainNode.setProtocol(pProtocol);
    if (!client.open() || !waitFor([&]() { return client.isConnected(); }, 5000)
        || !waitFor([&]() { return client.hasSubscriptionState(); }, 5000)) {
        std::printf("could not connect to the local device\n");
        return 1;
    }

    QElapsedTimer clock;
    clock.start();
    qint64 readAtNs = -1;
    QTcpSocket *pSocket = client.socket();
    QObject::disconnect(pSocket, &QTcpSocket::readyRead, &client, &ITcpClient::dataReady);
    QObject::connect(pSocket, &QTcpSocket::readyRead, &client,
                     [&]() { readAtNs = clock.nsecsElapsed(); });
    QObject::connect(pSocket, &QTcpSocket::readyRead, &client, &ITcpClient::dataReady);

    // One control per room; the last room of a group is the last to hear
    // of each report.
    std::vector<std::unique_ptr<Binding>> rooms;
    std::vector<qint64> lastHeardNs(Groups, -1);
    std::vector<int> heard(Groups, 0);
    for (int g = 0; g < Groups; ++g) {
        HRCGroup *pGroup = groups.at(size_t(g));
        for (int r = 0; r < pGroup->childCount(); ++r)
            rooms.push_back(bind(pGroup->childAt(r), CAttributes::StructRawCommand, "passThrough"));
        HNode *pLast = pGroup->childAt(pGroup->childCount() - 1);
        QObject::connect(pLast, &HNode::queryResponseReady, pLast, [&, g]() {
            lastHeardNs[size_t(g)] = clock.nsecsElapsed() - readAtNs;
            ++heard[size_t(g)];
        });
    }
    const int perReport = RoomsPerGroup; // every room's transform hands the report over

    std::vector<qint64> roomNs;
    for (int round = 0; round < Rounds; ++round) {
        for (int g = 1; g <= Groups; ++g)
            combiner.setCombinations(g, stateOf(round + g));
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
    std::unique_ptr<Binding> gain = bind(&gainNode, CAttributes::StructNamedIndex, "strV", 1);
    std::vector<qint64> floorNs;
    int ready = 0;
    QObject::connect(gain->transform.get(), &TTransform::replyValueReady, gain->transform.get(), [&]() {
        ++ready;
        floorNs.push_back(clock.nsecsElapsed() - readAtNs);
    });
    for (int round = 0; round < Rounds * Groups; ++round) {
        pProtocol->requestValue(gain->transform.get());
        if (!waitFor([&]() { return ready > round; }, 20000)) {
            std::printf("floor round %d: no reply\n", round);
            return 1;
        }
    }

    const Figures room = figures(roomNs);
    const Figures base = figures(floorNs);
    std::printf("%d rooms in %d groups, one control per room, %d rounds, 127.0.0.1, poll mode\n",
                Groups * RoomsPerGroup, Groups, Rounds);
    std::printf("GRC reply read -> last room's queryResponseReady  mean %8.1f us   p99 %8.1f us   (n = %lld)\n",
                room.meanUs, room.p99Us, static_cast<long long>(room.n));
    std::printf("floor: GA reply read -> replyValueReady          mean %8.1f us   p99 %8.1f us   (n = %lld)\n",
                base.meanUs, base.p99Us, static_cast<long long>(base.n));
    std::printf("ratio to the floor                                mean %8.1f      p99 %8.1f\n",
                base.meanUs > 0 ? room.meanUs / base.meanUs : 0.0,
                base.p99Us > 0 ? room.p99Us / base.p99Us : 0.0);
    client.close();
    device.removeBehaviour(&combiner);
    return 0;
}
