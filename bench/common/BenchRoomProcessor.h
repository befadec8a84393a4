#pragma once

#include "comms/ITcpClient.h"
#include "comms/PProtocolHost.h"
#include "devices/HChassis.h"
#include "devices/HNodeFactory.h"

#include "SimulatedVdsDevice.h"
#include "SimulatedVdsRoomCombiner.h"

#include <QElapsedTimer>

#include <memory>
#include <vector>

class CAttributes;
class HNode;
class HRCGroup;
class TTransform;

// A processor of room groups for the room-combining benchmarks: the
// simulated VDS device on 127.0.0.1 playing the room combiner, a chassis
// with the groups and their rooms, and a connected ITcpClient whose reads
// are time-stamped, so a figure can run from a reply's bytes arriving.
class BenchRoomProcessor
{
public:
    BenchRoomProcessor(int groups, int roomsPerGroup);
    ~BenchRoomProcessor();

    // Connects and waits for the subscription state; false (and a line
    // printed) when the device cannot be reached.
    bool connect();

    SimulatedVdsDevice &device() { return m_device; }
    SimulatedVdsRoomCombiner &combiner() { return m_combiner; }
    PProtocol *protocol() { return m_chassis.protocol(); }
    const std::vector<HRCGroup *> &groups() const { return m_groups; }

    // Nanoseconds on the benchmark's clock; the last read's stamp.
    qint64 nowNs() const { return m_clock.nsecsElapsed(); }
    qint64 readAtNs() const { return m_readAtNs; }

private:
    class QuietHost : public PProtocolHost
    {
    public:
        void setPollingActive(bool) override {}
        void runReceiveDialog(PFileProtocol *, IInterface *) override {}
        void showReceiveFailure(const QString &) override {}
    };

    SimulatedVdsDevice m_device;
    SimulatedVdsRoomCombiner m_combiner;
    HChassis m_chassis;
    HNodeFactory m_factory;
    std::vector<HRCGroup *> m_groups;
    ITcpClient m_client;
    QuietHost m_host;
    QElapsedTimer m_clock;
    qint64 m_readAtNs = -1;
};

// One bound control: its binding record and its transform.
struct BenchBinding
{
    BenchBinding();
    ~BenchBinding();
    std::unique_ptr<CAttributes> attributes;
    std::unique_ptr<TTransform> transform;
};

std::unique_ptr<BenchBinding> benchBind(HNode *pNode, quint32 kind, const char *transformName, int index = 0);
