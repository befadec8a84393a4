#include "SimulatedVdsRoomCombiner.h"

#include <QTimer>

namespace {

bool positiveNumber(const QByteArray &text, int *pValue)
{
    bool ok = false;
    const int value = text.toInt(&ok);
    if (!ok || value <= 0)
        return false;
    *pValue = value;
    return true;
}

// Keeps the sets disjoint and drops those that combine nothing.
SimulatedVdsRoomCombiner::Sets normalised(SimulatedVdsRoomCombiner::Sets sets)
{
    SimulatedVdsRoomCombiner::Sets kept;
    QList<int> seen;
    for (QList<int> &set : sets) {
        QList<int> rooms;
        for (int room : std::as_const(set)) {
            if (!seen.contains(room) && !rooms.contains(room))
                rooms.append(room);
        }
        seen += rooms;
        if (rooms.size() >= 2)
            kept.append(rooms);
    }
    return kept;
}

} // namespace

SimulatedVdsRoomCombiner::SimulatedVdsRoomCombiner(SimulatedVdsDevice *pDevice)
    : m_pDevice(pDevice)
{
}

SimulatedVdsRoomCombiner::~SimulatedVdsRoomCombiner() = default;

void SimulatedVdsRoomCombiner::addGroup(int groupId)
{
    if (!m_groups.contains(groupId))
        m_groups.insert(groupId, Sets());
}

void SimulatedVdsRoomCombiner::setCombinations(int groupId, const Sets &sets)
{
    addGroup(groupId);
    changeState(groupId, sets);
}

QByteArray SimulatedVdsRoomCombiner::stateLine(int groupId) const
{
    QByteArray line = "GRC " + QByteArray::number(groupId) + ',';
    for (const QList<int> &set : m_groups.value(groupId)) {
        QList<QByteArray> rooms;
        for (int room : set)
            rooms.append(QByteArray::number(room));
        line += '[' + rooms.join(',') + ']';
    }
    return line + '\r';
}

void SimulatedVdsRoomCombiner::changeState(int groupId, Sets sets)
{
    sets = normalised(sets);
    if (m_groups.value(groupId) == sets)
        return;
    m_groups.insert(groupId, sets);
    if (!m_subscribed.contains(groupId) || !m_pDevice)
        return;
    // After the answer to the command that made the change, as a device
    // reports on its own.
    const QByteArray line = stateLine(groupId);
    SimulatedVdsDevice *pDevice = m_pDevice;
    QTimer::singleShot(0, pDevice, [pDevice, line]() { pDevice->push(line); });
}

bool SimulatedVdsRoomCombiner::respond(const QByteArray &command,
                                       SimulatedVdsDevice::Response *pResponse)
{
    using Response = SimulatedVdsDevice::Response;
    // The program repeats a refused line before it sends anything else:
    // those repeats are refused too, and the next other command ends that.
    const bool repeat = !m_refusing.isEmpty() && command == m_refusing;
    if (!repeat)
        m_refusing.clear();
    if (command.startsWith("SRC ")) {
        if (m_refuseNext || repeat) {
            m_refuseNext = false;
            m_refusing = command;
            ++m_refused;
            *pResponse = Response::refuse();
            return true;
        }
        const bool taken = applySrc(command.mid(4));
        taken ? ++m_accepted : ++m_refused;
        *pResponse = taken ? Response::acknowledge() : Response::refuse();
        return true;
    }
    if (command.startsWith("GRC ")) {
        int groupId = 0;
        if (!m_queryAnswer.isEmpty()) {
            *pResponse = Response::answer(m_queryAnswer);
        } else if (positiveNumber(command.mid(4), &groupId) && m_groups.contains(groupId)) {
            *pResponse = Response::answer(stateLine(groupId));
        } else {
            *pResponse = Response::refuse();
        }
        return true;
    }
    const bool subscribing = command.startsWith("SUB \"GRC ");
    if ((subscribing || command.startsWith("UNS \"GRC ")) && command.endsWith('"')) {
        int groupId = 0;
        if (!positiveNumber(command.mid(9, command.size() - 10), &groupId)
            || !m_groups.contains(groupId))
            return false;
        if (subscribing) {
            m_subscribed.insert(groupId);
            *pResponse = Response::answer(command + ",yes\r" + stateLine(groupId));
        } else {
            m_subscribed.remove(groupId);
            *pResponse = Response::answer(command + ",yes\r");
        }
        return true;
    }
    return false;
}

bool SimulatedVdsRoomCombiner::applySrc(const QByteArray &arguments)
{
    const qsizetype comma = arguments.indexOf(',');
    int groupId = 0;
    if (comma < 0 || !positiveNumber(arguments.left(comma), &groupId)
        || !m_groups.contains(groupId))
        return false;
    const QByteArray rest = arguments.mid(comma + 1);
    if (rest.isEmpty() || rest.startsWith('[')) {
        Sets sets;
        if (!parseSets(rest, &sets))
            return false;
        changeState(groupId, sets);
        return true;
    }
    return applyJoinOrSplit(groupId, rest.split(','));
}

bool SimulatedVdsRoomCombiner::applyJoinOrSplit(int groupId, const QList<QByteArray> &fields)
{
    int other = 0;
    int room = 0;
    if (fields.size() != 3 || !positiveNumber(fields.at(0), &other)
        || !positiveNumber(fields.at(1), &room) || other == room
        || (fields.at(2) != "J" && fields.at(2) != "S"))
        return false;
    Sets sets = m_groups.value(groupId);
    if (fields.at(2) == "J") {
        for (QList<int> &set : sets)
            set.removeAll(room);
        bool placed = false;
        for (QList<int> &set : sets) {
            if (set.contains(other)) {
                set.append(room);
                placed = true;
            }
        }
        if (!placed)
            sets.append({other, room});
    } else {
        for (QList<int> &set : sets) {
            if (set.contains(other))
                set.removeAll(room);
        }
    }
    changeState(groupId, sets);
    return true;
}

bool SimulatedVdsRoomCombiner::parseSets(const QByteArray &text, Sets *pSets)
{
    Sets sets;
    QByteArray rest = text;
    while (!rest.isEmpty()) {
        const qsizetype close = rest.indexOf(']');
        if (!rest.startsWith('[') || close < 0)
            return false;
        QList<int> set;
        for (const QByteArray &field : rest.mid(1, close - 1).split(',')) {
            int room = 0;
            if (!positiveNumber(field, &room))
                return false;
            set.append(room);
        }
        sets.append(set);
        rest = rest.mid(close + 1);
    }
    QList<int> seen;
    for (const QList<int> &set : std::as_const(sets)) {
        for (int room : set) {
            if (seen.contains(room))
                return false; // a room in two combinations
            seen.append(room);
        }
    }
    *pSets = sets;
    return true;
}
