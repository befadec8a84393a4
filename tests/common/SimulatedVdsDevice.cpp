#include "SimulatedVdsDevice.h"

#include <QHostAddress>
#include <QTcpSocket>
#include <QTimer>

#include <sys/socket.h>

SimulatedVdsDevice::SimulatedVdsDevice(QObject *parent)
    : QObject(parent)
{
    m_clock.start();
    connect(&m_server, &QTcpServer::newConnection, this, &SimulatedVdsDevice::onNewConnection);
    listen();
}

SimulatedVdsDevice::~SimulatedVdsDevice()
{
    m_server.close();
    for (const QPointer<QTcpSocket> &pSocket : std::as_const(m_clients)) {
        if (pSocket) {
            pSocket->disconnect(this);
            pSocket->abort();
        }
    }
}

bool SimulatedVdsDevice::listen(quint16 port)
{
    if (m_server.isListening())
        return true;
    if (!m_server.listen(QHostAddress::LocalHost, port))
        return false;
    m_port = m_server.serverPort();
    return true;
}

void SimulatedVdsDevice::stopListening()
{
    m_server.close();
}

void SimulatedVdsDevice::setResponse(const QByteArray &prefix, const Response &response)
{
    for (auto &entry : m_responses) {
        if (entry.first == prefix) {
            entry.second = response;
            return;
        }
    }
    m_responses.append({prefix, response});
}

void SimulatedVdsDevice::clearResponses()
{
    m_responses.clear();
    m_defaultResponse = Response::acknowledge();
}

SimulatedVdsDevice::Response SimulatedVdsDevice::responseFor(const QByteArray &command) const
{
    const Response *pBest = &m_defaultResponse;
    qsizetype bestLength = -1;
    for (const auto &entry : m_responses) {
        if (command.startsWith(entry.first) && entry.first.size() > bestLength) {
            pBest = &entry.second;
            bestLength = entry.first.size();
        }
    }
    return *pBest;
}

void SimulatedVdsDevice::push(const QByteArray &bytes)
{
    for (const QPointer<QTcpSocket> &pSocket : std::as_const(m_clients)) {
        if (pSocket)
            writeTo(pSocket, bytes);
    }
}

void SimulatedVdsDevice::dropClients()
{
    const QList<QPointer<QTcpSocket>> clients = m_clients;
    for (const QPointer<QTcpSocket> &pSocket : clients) {
        if (pSocket)
            pSocket->disconnectFromHost();
    }
}

void SimulatedVdsDevice::resetClients()
{
    const QList<QPointer<QTcpSocket>> clients = m_clients;
    for (const QPointer<QTcpSocket> &pSocket : clients) {
        if (pSocket && pSocket->state() == QAbstractSocket::ConnectedState)
            reset(pSocket);
    }
}

void SimulatedVdsDevice::reset(QTcpSocket *pSocket)
{
    // No lingering: closing then sends a reset instead of a clean end.
    struct linger noLinger = {1, 0};
    ::setsockopt(int(pSocket->socketDescriptor()), SOL_SOCKET, SO_LINGER, &noLinger,
                 sizeof(noLinger));
    pSocket->abort();
}

QList<QByteArray> SimulatedVdsDevice::commandTexts() const
{
    QList<QByteArray> texts;
    for (const Command &command : m_commands)
        texts.append(command.text);
    return texts;
}

QList<QByteArray> SimulatedVdsDevice::commandTextsOn(int connection) const
{
    QList<QByteArray> texts;
    for (const Command &command : m_commands) {
        if (command.connection == connection)
            texts.append(command.text);
    }
    return texts;
}

int SimulatedVdsDevice::commandCount(const QByteArray &prefix) const
{
    int count = 0;
    for (const Command &command : m_commands) {
        if (command.text.startsWith(prefix))
            ++count;
    }
    return count;
}

int SimulatedVdsDevice::openConnectionCount() const
{
    int count = 0;
    for (const QPointer<QTcpSocket> &pSocket : m_clients) {
        if (pSocket && pSocket->state() == QAbstractSocket::ConnectedState)
            ++count;
    }
    return count;
}

void SimulatedVdsDevice::onNewConnection()
{
    while (QTcpSocket *pSocket = m_server.nextPendingConnection()) {
        pSocket->setParent(this);
        m_clients.append(pSocket);
        m_connectionNumbers.insert(pSocket, ++m_connectionCount);
        connect(pSocket, &QTcpSocket::readyRead, this, [this, pSocket]() { onReadyRead(pSocket); });
        connect(pSocket, &QTcpSocket::disconnected, this, [this, pSocket]() {
            m_buffers.remove(pSocket);
            m_hung.removeAll(pSocket);
            m_connectionNumbers.remove(pSocket);
            pSocket->deleteLater();
        });
        emit clientConnected();
    }
}

void SimulatedVdsDevice::onReadyRead(QTcpSocket *pSocket)
{
    QByteArray &buffer = m_buffers[pSocket];
    buffer.append(pSocket->readAll());
    qsizetype end;
    while ((end = buffer.indexOf('\r')) >= 0) {
        Command command;
        command.text = buffer.left(end);
        command.atMs = m_clock.elapsed();
        command.connection = m_connectionNumbers.value(pSocket);
        buffer.remove(0, end + 1);
        m_commands.append(command);
        emit commandReceived(command.text);
        if (m_silent || m_hung.contains(pSocket))
            continue;
        const bool scripted = isScripted(command.text);
        Response response;
        if (!scripted && behaviourResponse(command.text, &response))
            respond(pSocket, response);
        else
            respond(pSocket, m_storeEnabled && !scripted ? storeResponse(command.text)
                                                         : responseFor(command.text));
        if (pSocket->state() != QAbstractSocket::ConnectedState)
            return; // closed or reset by the answer; the buffer went with it
    }
}

void SimulatedVdsDevice::respond(QTcpSocket *pSocket, const Response &response)
{
    QPointer<QTcpSocket> pGuard(pSocket);
    switch (response.action) {
    case Action::Acknowledge:
        writeTo(pSocket, QByteArray(1, '\x06'));
        break;
    case Action::Refuse:
        writeTo(pSocket, QByteArray(1, '\x15'));
        break;
    case Action::Answer:
        writeTo(pSocket, response.pieces.value(0));
        break;
    case Action::AnswerLate:
        QTimer::singleShot(response.delayMs, this, [this, pGuard, response]() {
            if (pGuard)
                writeTo(pGuard, response.pieces.value(0));
        });
        break;
    case Action::AnswerSplit:
        for (int i = 0; i < response.pieces.size(); ++i) {
            const QByteArray piece = response.pieces.at(i);
            QTimer::singleShot(i * response.delayMs, this, [this, pGuard, piece]() {
                if (pGuard)
                    writeTo(pGuard, piece);
            });
        }
        break;
    case Action::Silent:
        break;
    case Action::Close:
        pSocket->disconnectFromHost();
        break;
    case Action::Reset:
        reset(pSocket);
        break;
    case Action::Hang:
        m_hung.append(pSocket);
        break;
    }
}

void SimulatedVdsDevice::writeTo(QTcpSocket *pSocket, const QByteArray &bytes)
{
    if (m_silent || pSocket->state() != QAbstractSocket::ConnectedState || m_hung.contains(pSocket))
        return;
    pSocket->write(bytes);
    pSocket->flush();
}

void SimulatedVdsDevice::addBehaviour(SimulatedVdsBehaviour *pBehaviour)
{
    if (pBehaviour && !m_behaviours.contains(pBehaviour))
        m_behaviours.append(pBehaviour);
}

void SimulatedVdsDevice::removeBehaviour(SimulatedVdsBehaviour *pBehaviour)
{
    m_behaviours.removeAll(pBehaviour);
}

bool SimulatedVdsDevice::behaviourResponse(const QByteArray &command, Response *pResponse)
{
    for (SimulatedVdsBehaviour *pBehaviour : std::as_const(m_behaviours)) {
        if (pBehaviour->respond(command, pResponse))
            return true;
    }
    return false;
}

bool SimulatedVdsDevice::isScripted(const QByteArray &command) const
{
    for (const auto &entry : m_responses) {
        if (command.startsWith(entry.first))
            return true;
    }
    return false;
}

void SimulatedVdsDevice::setValue(const QByteArray &getKey, const QByteArray &value)
{
    m_values.insert(getKey, value);
}

void SimulatedVdsDevice::setLevelList(const QByteArray &slot, const QList<QByteArray> &entries)
{
    m_levelLists.insert(slot, entries);
}

QByteArray SimulatedVdsDevice::replyLine(const QByteArray &getKey) const
{
    const QByteArray value = m_values.value(getKey);
    if (getKey == "GS")
        return "S " + value + '\r';
    if (getKey.startsWith("GG ") || getKey.startsWith("GN "))
        return getKey + ',' + value + '\r';
    return getKey + '=' + value + '\r';
}

QByteArray SimulatedVdsDevice::getKeyOfSet(const QByteArray &command, QByteArray *pValue)
{
    if (command.startsWith("SS ")) {
        *pValue = command.mid(3).trimmed();
        return "GS";
    }
    if (command.startsWith("SG ") || command.startsWith("SN ")) {
        const qsizetype comma = command.indexOf(',');
        if (comma < 0)
            return QByteArray();
        *pValue = command.mid(comma + 1);
        return (command.startsWith("SG") ? "GG" : "GN") + command.mid(2, comma - 2);
    }
    if (command.startsWith("SA")) {
        const qsizetype equals = command.indexOf('=');
        if (equals < 0)
            return QByteArray();
        *pValue = command.mid(equals + 1);
        // "SA \"n\">i" is read back by "GA\"n\">i"; the compact "SA\"l\">i"
        // by "GA\"l\">i".
        QByteArray address = command.mid(2, equals - 2);
        if (address.startsWith(' '))
            address.remove(0, 1);
        return "GA" + address;
    }
    return QByteArray();
}

SimulatedVdsDevice::Response SimulatedVdsDevice::storeResponse(const QByteArray &command)
{
    if (command == "SUB")
        return Response::answer(m_subscriptionAccepted ? "SUB,yes\r" : "SUB,no\r");
    if (command.startsWith("SUB \"") && command.endsWith('"')) {
        const QByteArray subscribed = command.mid(5, command.size() - 6);
        if (!m_subscriptions.contains(subscribed))
            m_subscriptions.append(subscribed);
        return Response::answer(command + ",yes\r");
    }
    if (command.startsWith("UNS \"") && command.endsWith('"')) {
        m_subscriptions.removeAll(command.mid(5, command.size() - 6));
        return Response::answer(command + ",yes\r");
    }
    if (command.startsWith("GL ")) {
        const QByteArray slot = command.mid(3);
        if (!m_levelLists.contains(slot))
            return Response::refuse();
        return Response::answer(command + " [" + m_levelLists.value(slot).join(',') + "]\r");
    }
    if (command.startsWith("GS")) {
        if (!m_values.contains("GS"))
            return Response::refuse();
        return Response::answer(replyLine("GS"));
    }
    if (command.startsWith("GA") || command.startsWith("GG ") || command.startsWith("GN ")) {
        if (!m_values.contains(command))
            return Response::refuse();
        return Response::answer(replyLine(command));
    }
    QByteArray value;
    const QByteArray key = getKeyOfSet(command, &value);
    if (key.isEmpty())
        return Response::refuse();
    m_values.insert(key, value);
    // A subscribed value is reported after the acknowledge, as the device
    // does on its own.
    const QByteArray subscribedAs = key == "GS" ? QByteArray("GS") : key;
    if (m_subscriptions.contains(subscribedAs)) {
        const QByteArray line = replyLine(key);
        QTimer::singleShot(0, this, [this, line]() { push(line); });
    }
    return Response::acknowledge();
}
