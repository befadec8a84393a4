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

#include "comms/ITcpClient.h"
#include "comms/PProtocolHost.h"
#include "comms/PVDSProtocol.h"
#include "comms/TTransform.h"
#include "comms/TTransformFactory.h"
#include "controls/CAttributes.h"
#include "controls/WWidgetFactory.h"
#include "devices/HChassis.h"
#include "devices/HNode.h"
#include "devices/HNodeFactory.h"
#include "roomcombine/HRCGroup.h"
#include "roomcombine/HRCGroupInfo.h"
#include "roomcombine/WRoomSelection.h"

#include "BenchMessages.h"
#include "BenchTiming.h"
#include "SimulatedVdsDevice.h"
#include "SimulatedVdsRoomCombiner.h"

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QHostAddress>
#include <QQmlComponent>
#include <QQmlEngine>
#include <QQuickItem>
#include <QTcpSocket>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

namespace {

constexpr int Groups = 4;
constexpr int RoomsPerGroup = 8;
constexpr int Rounds = 150;

class QuietHost : public PProtocolHost
{
public:
    void setPollingActive(bool) override {}
    void runReceiveDialog(PFileProtocol *, IInterface *) override {}
    void showReceiveFailure(const QString &) override {}
};

// The room-query binding of one room, as its control has it.
struct Binding
{
    CAttributes attributes;
    std::unique_ptr<TTransform> transform;
};

std::unique_ptr<Binding> bind(HNode *pNode)
{
    auto pBinding = std::make_unique<Binding>();
    pBinding->attributes.setAddressStruct(CAttributes::StructRawCommand);
    pBinding->transform.reset(TTransformFactory::createTransform(QStringLiteral("passThrough")));
    pBinding->transform->setOwner(&pBinding->attributes);
    pBinding->transform->setOwnerNode(pNode);
    pBinding->transform->configure();
    return pBinding;
}

struct Figures
{
    double meanUs = 0;
    double medianUs = 0;
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
    f.medianUs = double(ns.at(ns.size() / 2)) / 1e3;
    f.p99Us = double(ns.at(std::min(ns.size() - 1, size_t(double(ns.size()) * 0.99)))) / 1e3;
    return f;
}

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
    WWidgetFactory::registerWidgetTypes();

    SimulatedVdsDevice device;
    device.setValueStoreEnabled(true);
    device.setSubscriptionAccepted(false);
    SimulatedVdsRoomCombiner combiner(&device);
    device.addBehaviour(&combiner);

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

    ITcpClient client;
    client.setAddress(QHostAddress(QHostAddress::LocalHost));
    client.setPort(device.port());
    PProtocol *pProtocol = chassis.protocol();
    pProtocol->setInterface(&client);
    client.setOwner(pProtocol);
    QuietHost host;
    pProtocol->setHost(&host);
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
    QObject::connect(pSocket, &QTcpSocket::readyRead, &client, [&]() { readAtNs = clock.nsecsElapsed(); });
    QObject::connect(pSocket, &QTcpSocket::readyRead, &client, &ITcpClient::dataReady);

    // One query binding per group (its first room's), and the rooms.
    std::vector<std::unique_ptr<Binding>> queries;
    for (HRCGroup *pGroup : groups)
        queries.push_back(bind(pGroup->childAt(0)));

    // How many of the group's rooms (nodes or widgets) have heard of its
    // report. One query is out at a time and nothing else is read in the
    // meantime, so the last read is the one that carried the report.
    int heard = 0;
    qint64 lastHeardNs = -1;
    const auto heardOne = [&]() {
        ++heard;
        lastHeardNs = clock.nsecsElapsed() - readAtNs;
    };

    int round = 0;
    const auto runRounds = [&](std::vector<qint64> *pNs) -> bool {
        for (int i = 0; i < Rounds; ++i, ++round) {
            for (int g = 0; g < Groups; ++g) {
                combiner.setCombinations(g + 1, stateOf(round));
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

    const Figures widgets = figures(widgetNs);
    const Figures base = figures(floorNs);
    std::printf("%d rooms in %d groups, one report per group and round, %d rounds, 127.0.0.1, poll mode\n",
                Groups * RoomsPerGroup, Groups, Rounds);
    std::printf("GRC reply read -> last room widget's new colour     mean %8.1f us  median %8.1f us  p99 %8.1f us  (n = %lld)\n",
                widgets.meanUs, widgets.medianUs, widgets.p99Us, static_cast<long long>(widgets.n));
    std::printf("floor: GRC reply read -> last room node's report    mean %8.1f us  median %8.1f us  p99 %8.1f us  (n = %lld)\n",
                base.meanUs, base.medianUs, base.p99Us, static_cast<long long>(base.n));
    std::printf("ratio to the floor                                  mean %8.1f     median %8.1f     p99 %8.1f\n",
                base.meanUs > 0 ? widgets.meanUs / base.meanUs : 0.0,
                base.medianUs > 0 ? widgets.medianUs / base.medianUs : 0.0,
                base.p99Us > 0 ? widgets.p99Us / base.p99Us : 0.0);
    items.clear();
    client.close();
    device.removeBehaviour(&combiner);
    return 0;
}
