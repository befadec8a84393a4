#pragma once

#include "SimulatedVdsDevice.h"

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QSet>

// The room combiner a simulated VDS device can play: per group, the sets
// of rooms that are combined, disjoint, each of two rooms or more.
//
//     SimulatedVdsRoomCombiner combiner(&device);
//     combiner.addGroup(1);
//     combiner.setCombinations(1, {{1, 2}});   // as if set at the device
//
// It answers the join ("SRC g,a,b,J"), split ("SRC g,a,b,S") and whole
// state ("SRC g,[a,b][c,d]") lines with 0x06 (0x15 for a line it cannot
// read or a group it does not have), the query "GRC g" with
// "GRC g,[a,b][c,d]" and the subscription 'SUB "GRC g"' with its
// confirmation and the state; while a group is subscribed, every change of
// its state is pushed. Switches refuse the next "SRC", and answer queries
// with bytes of the test's choosing.
class SimulatedVdsRoomCombiner : public SimulatedVdsBehaviour
{
public:
    using Sets = QList<QList<int>>;

    // Pushes go out through the device; it must outlive the combiner.
    explicit SimulatedVdsRoomCombiner(SimulatedVdsDevice *pDevice);
    ~SimulatedVdsRoomCombiner() override;

    // A group the device combines, with nothing combined.
    void addGroup(int groupId);
    bool hasGroup(int groupId) const { return m_groups.contains(groupId); }
    // Changes the state as the device's own front panel would; sets of
    // fewer than two rooms are dropped. Subscribers hear of a change.
    void setCombinations(int groupId, const Sets &sets);
    Sets combinations(int groupId) const { return m_groups.value(groupId); }
    // "GRC g,[a,b][c,d]\r", each set in the order its rooms joined.
    QByteArray stateLine(int groupId) const;

    // The next "SRC" line is refused, and so are the program's repeats of
    // it, until another command comes.
    void refuseNextSrc() { m_refuseNext = true; }
    // While not empty, every query is answered with these bytes instead.
    void setQueryAnswer(const QByteArray &bytes) { m_queryAnswer = bytes; }
    bool isSubscribed(int groupId) const { return m_subscribed.contains(groupId); }
    // "SRC" lines taken and refused.
    int acceptedCount() const { return m_accepted; }
    int refusedCount() const { return m_refused; }

    bool respond(const QByteArray &command, SimulatedVdsDevice::Response *pResponse) override;

private:
    bool applySrc(const QByteArray &arguments);
    bool applyJoinOrSplit(int groupId, const QList<QByteArray> &fields);
    // Sets the state; pushes it to subscribers when it changed.
    void changeState(int groupId, Sets sets);
    static bool parseSets(const QByteArray &text, Sets *pSets);

    SimulatedVdsDevice *m_pDevice;
    QMap<int, Sets> m_groups;
    QSet<int> m_subscribed;
    bool m_refuseNext = false;
    QByteArray m_refusing;
    QByteArray m_queryAnswer;
    int m_accepted = 0;
    int m_refused = 0;
};
