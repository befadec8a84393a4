#include "SimulatedVentraArray.h"

#include <QNetworkDatagram>
#include <QTimer>

namespace {

const QByteArray kDeviceWords[] = {"AUDIOLEVEL", "QINMODE", "GBKSTG",  "GINPUT",
                                   "GETSBST",    "GETSBTIME", "GCP"};

// A decimal number in 1..max, else 0.
int numberIn(const QByteArray &text, int max)
{
    bool ok = false;
    const int value = text.toInt(&ok);
    return ok && value >= 1 && value <= max ? value : 0;
}

} // namespace

SimulatedVentraArray::SimulatedVentraArray(QObject *parent)
    : QObject(parent)
{
    m_clock.start();
    m_values = {{"AUDIOLEVEL", "1"}, {"QINMODE", "AUTO"}, {"GBKSTG", "FORCE"},
                {"GINPUT", "ANALOG"}, {"GETSBST", "0"},   {"GETSBTIME", "0"},
                {"GCP", "1"}};
    connect(&m_socket, &QUdpSocket::readyRead, this, &SimulatedVentraArray::onReadyRead);
    listen(0);
}

SimulatedVentraArray::~SimulatedVentraArray() = default;

bool SimulatedVentraArray::listen(quint16 port)
{
    m_socket.close();
    if (!m_socket.bind(QHostAddress(QHostAddress::LocalHost), port)) {
        m_port = 0;
        return false;
    }
    m_port = m_socket.localPort();
    return true;
}

void SimulatedVentraArray::stopListening()
{
    m_socket.close();
    m_port = 0;
}

SimulatedVentraArray::Module &SimulatedVentraArray::module(int number)
{
    return m_modules[qBound(1, number, MaxModules) - 1];
}

void SimulatedVentraArray::addFault(const QByteArray &requestPrefix, const Fault &fault)
{
    m_faults.append({requestPrefix, fault});
}

int SimulatedVentraArray::moduleCount() const
{
    bool ok = false;
    const int count = m_moduleCount.toInt(&ok);
    return ok ? qBound(0, count, MaxModules) : 0;
}

QByteArray SimulatedVentraArray::answerFor(const QByteArray &request) const
{
    const QList<QByteArray> words = request.split(' ');
    const QByteArray &word = words.first();
    if (request == "ARRAY")
        return "ARRAY " + m_moduleCount;
    if (request == "REBOOT")
        return "REBOOT OK";
    for (const QByteArray &deviceWord : kDeviceWords) {
        if (request == deviceWord)
            return request + ' ' + m_values.value(deviceWord);
    }
    if (word == "GDESC" && words.size() >= 3 && words.at(1) == "1")
        return request + ' ' + m_presetName;
    const QByteArray answer = moduleAnswer(words);
    return answer.isEmpty() ? "NACK " + request : answer;
}

// The requests that name a module; empty when the module is not there or
// the request is not understood.
QByteArray SimulatedVentraArray::moduleAnswer(const QList<QByteArray> &words) const
{
    const int count = moduleCount();
    const QByteArray request = words.join(' ');
    const QByteArray &word = words.first();
    int number = words.size() >= 2 ? numberIn(words.at(1), count) : 0;
    if (word == "GDATA" && words.size() == 3) {
        // A two-module array is asked for its second module as number 3.
        if (count == 2 && words.at(1) == "3")
            number = 2;
        if (!number)
            return QByteArray();
        const Module &m = m_modules[number - 1];
        const QByteArray mdn = m.mdn.isEmpty() ? QByteArray::number(number) : m.mdn;
        const QByteArray mdc = m.mdc.isEmpty() ? QByteArray::number(count) : m.mdc;
        return request + " MDN" + mdn + ":MDC" + mdc + ':';
    }
    if (!number)
        return QByteArray();
    const Module &m = m_modules[number - 1];
    if (word == "STATUS" && words.size() == 3 && words.at(2) == "1")
        return request + ' ' + m.fault;
    if (word == "STATUS" && words.size() == 3 && words.at(2) == "0")
        return request + ' ' + m.warning;
    if (word == "DRIVERFAULTS" && words.size() == 2)
        return request + ' ' + m.driver;
    if (word == "VERSION" && words.size() == 2)
        return "FW " + request + ' ' + m.firmware;
    if (word == "TEMPERATURE" && words.size() == 3) {
        const int sensor = numberIn(words.at(2), int(m.temperatures.size()));
        if (sensor)
            return request + ' ' + m.temperatures.at(sensor - 1);
    }
    return QByteArray();
}

void SimulatedVentraArray::onReadyRead()
{
    while (m_socket.hasPendingDatagrams()) {
        const QNetworkDatagram datagram = m_socket.receiveDatagram();
        m_lastSender = datagram.senderAddress();
        m_lastSenderPort = quint16(datagram.senderPort());
        const QByteArray bytes = datagram.data();
        m_datagrams.append({bytes, m_clock.elapsed()});
        emit datagramReceived(bytes);
        respond(bytes, m_lastSender, m_lastSenderPort);
    }
}

SimulatedVentraArray::FaultRule *SimulatedVentraArray::faultFor(const QList<QByteArray> &requests)
{
    for (FaultRule &rule : m_faults) {
        if (rule.fault.times == 0)
            continue;
        for (const QByteArray &request : requests) {
            if (request.startsWith(rule.prefix)) {
                if (rule.fault.times > 0)
                    --rule.fault.times;
                return &rule;
            }
        }
    }
    return nullptr;
}

void SimulatedVentraArray::respond(const QByteArray &bytes, const QHostAddress &sender,
                                   quint16 senderPort)
{
    QList<QByteArray> requests;
    for (const QByteArray &piece : bytes.split('\r')) {
        if (!piece.trimmed().isEmpty())
            requests.append(piece.trimmed());
    }
    if (requests.isEmpty())
        return;
    const FaultRule *pRule = faultFor(requests);
    const Fault::Kind kind = pRule ? pRule->fault.kind : Fault::Silence; // read only with pRule
    const int delayMs = pRule ? pRule->fault.delayMs : 0;
    if (pRule && kind == Fault::Silence)
        return;
    if (pRule && kind == Fault::Busy) {
        sendTo("NACK BUSY\r", sender, senderPort);
        return;
    }

    QList<QByteArray> lines;
    for (const QByteArray &request : requests) {
        QByteArray line = answerFor(request);
        if (pRule && request.startsWith(pRule->prefix)) {
            if (kind == Fault::Refuse)
                line = "NACK " + request;
            else if (kind == Fault::AckOnly)
                line = "ACK";
            else if (kind == Fault::ReplaceLine)
                line = pRule->fault.text;
        }
        if (m_ackPrefix && !line.startsWith("ACK") && !line.startsWith("NACK"))
            line.prepend("ACK ");
        lines.append(line);
    }
    if (pRule && kind == Fault::StrayLine)
        lines.prepend(pRule->fault.text);
    if (pRule && kind == Fault::Reorder) {
        QList<QByteArray> reordered;
        for (const int position : pRule->fault.order) {
            if (position >= 0 && position < lines.size())
                reordered.append(lines.at(position));
        }
        lines = reordered;
    }

    if (pRule && kind == Fault::Split && lines.size() > 1) {
        const qsizetype half = (lines.size() + 1) / 2;
        sendTo(lines.mid(0, half).join('\r') + '\r', sender, senderPort);
        sendLater(lines.mid(half).join('\r') + '\r', sender, senderPort, delayMs);
        return;
    }
    QByteArray answer = lines.join('\r');
    answer += (pRule && kind == Fault::TrailingSemicolon) ? ";\r" : "\r";
    if (pRule && kind == Fault::Late)
        sendLater(answer, sender, senderPort, delayMs);
    else
        sendTo(answer, sender, senderPort);
}

void SimulatedVentraArray::sendLater(const QByteArray &bytes, const QHostAddress &to,
                                     quint16 port, int delayMs)
{
    ++m_answersPending;
    QTimer::singleShot(delayMs, this, [this, bytes, to, port]() {
        --m_answersPending;
        sendTo(bytes, to, port);
    });
}

void SimulatedVentraArray::sendTo(const QByteArray &bytes, const QHostAddress &to, quint16 port)
{
    if (m_socket.state() != QAbstractSocket::BoundState)
        return;
    m_socket.writeDatagram(bytes, to, port);
    ++m_answersSent;
    emit answered(bytes);
}

void SimulatedVentraArray::push(const QByteArray &bytes)
{
    if (m_lastSenderPort)
        sendTo(bytes, m_lastSender, m_lastSenderPort);
}

int SimulatedVentraArray::datagramCount(const QByteArray &prefix) const
{
    int count = 0;
    for (const Datagram &datagram : m_datagrams) {
        if (prefix.isEmpty()) {
            ++count;
            continue;
        }
        for (const QByteArray &piece : datagram.bytes.split('\r')) {
            if (piece.startsWith(prefix)) {
                ++count;
                break;
            }
        }
    }
    return count;
}
