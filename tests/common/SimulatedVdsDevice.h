#pragma once

#include <QByteArray>
#include <QElapsedTimer>
#include <QHash>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QTcpServer>

class QTcpSocket;
class SimulatedVdsBehaviour;

// A VDS device for tests: a TCP server on 127.0.0.1 that takes
// carriage-return terminated commands, records every one of them and
// answers each as it was scripted for the command's beginning.
//
//     SimulatedVdsDevice device;
//     device.setResponse("SA ", SimulatedVdsDevice::Response::refuse());
//     client.setPort(device.port());
class SimulatedVdsDevice : public QObject
{
    Q_OBJECT

public:
    enum class Action {
        Acknowledge, // the byte 0x06
        Refuse,      // the byte 0x15
        Answer,      // the given bytes at once
        AnswerLate,  // the given bytes after a delay
        AnswerSplit, // the given pieces in separate writes, a gap apart
        Silent,      // nothing
        Close,       // closes the connection
        Reset,       // resets the connection
        Hang,        // never answers again on this connection, keeps it open
    };

    struct Response
    {
        Action action = Action::Acknowledge;
        QList<QByteArray> pieces;
        int delayMs = 0;

        static Response acknowledge() { return {Action::Acknowledge, {}, 0}; }
        static Response refuse() { return {Action::Refuse, {}, 0}; }
        static Response answer(const QByteArray &bytes) { return {Action::Answer, {bytes}, 0}; }
        static Response answerLate(const QByteArray &bytes, int delayMs)
        {
            return {Action::AnswerLate, {bytes}, delayMs};
        }
        static Response answerSplit(const QList<QByteArray> &pieces, int gapMs = 40)
        {
            return {Action::AnswerSplit, pieces, gapMs};
        }
        static Response silent() { return {Action::Silent, {}, 0}; }
        static Response close() { return {Action::Close, {}, 0}; }
        static Response reset() { return {Action::Reset, {}, 0}; }
        static Response hang() { return {Action::Hang, {}, 0}; }
    };

    // One received command.
    struct Command
    {
        QByteArray text; // without its carriage return
        qint64 atMs = 0; // since the device was made
        int connection = 0;
    };

    explicit SimulatedVdsDevice(QObject *parent = nullptr);
    ~SimulatedVdsDevice() override;

    // Listens on 127.0.0.1 at the port (0: any free one).
    bool listen(quint16 port = 0);
    // Stops taking new connections; open ones stay.
    void stopListening();
    quint16 port() const { return m_port; }

    // The answer to every command that begins with prefix; the longest
    // matching prefix wins. Unscripted commands get the default answer,
    // at first an acknowledge.
    void setResponse(const QByteArray &prefix, const Response &response);
    void setDefaultResponse(const Response &response) { m_defaultResponse = response; }
    void clearResponses();

    // A block the device plays (a telephone, a room combiner ...): it is
    // asked first, in the order added, for every command no script
    // matches. Not owned; it must outlive the device or be removed.
    void addBehaviour(SimulatedVdsBehaviour *pBehaviour);
    void removeBehaviour(SimulatedVdsBehaviour *pBehaviour);

    // Writes bytes to every open connection, as a device does on its own.
    void push(const QByteArray &bytes);
    // Closes every open connection.
    void dropClients();
    // Resets every open connection, as a device that restarts does.
    void resetClients();
    // Silent, the device's application hangs while its network stays up:
    // it takes connections, keeps them open and records every command, but
    // answers nothing and reports nothing, also on connections made later,
    // until it is made to answer again.
    void setSilent(bool silent) { m_silent = silent; }
    bool isSilent() const { return m_silent; }

    // --- VDS behaviour ------------------------------------------------------
    // With the value store on, commands that no script matches are answered
    // as a VDS device does: sets are stored and acknowledged, gets answered
    // from the store (refused when unknown), "SUB"/"UNS" confirmed, and
    // while a get is subscribed every set of it is pushed as its get reply.
    void setValueStoreEnabled(bool enabled) { m_storeEnabled = enabled; }
    // A value under its get key, as "GA\"Gain1\">2", "GG 1a" or "GS".
    void setValue(const QByteArray &getKey, const QByteArray &value);
    QByteArray value(const QByteArray &getKey) const { return m_values.value(getKey); }
    // The answer to "GL <slot>": "GL <slot> [e0,e1,...]".
    void setLevelList(const QByteArray &slot, const QList<QByteArray> &entries);
    // Whether the connection subscription "SUB" is accepted ("SUB,yes").
    void setSubscriptionAccepted(bool accepted) { m_subscriptionAccepted = accepted; }
    // The subscribed get commands, without their carriage return.
    QList<QByteArray> subscriptions() const { return m_subscriptions; }
    // The get reply line of a key with its stored value.
    QByteArray replyLine(const QByteArray &getKey) const;

    QList<Command> commands() const { return m_commands; }
    QList<QByteArray> commandTexts() const;
    // The commands received on one connection (numbered from 1 in the
    // order they were taken).
    QList<QByteArray> commandTextsOn(int connection) const;
    int commandCount(const QByteArray &prefix = QByteArray()) const;
    int connectionCount() const { return m_connectionCount; }
    int openConnectionCount() const;
    qint64 elapsedMs() const { return m_clock.elapsed(); }

signals:
    void commandReceived(const QByteArray &text);
    void clientConnected();

protected:
    // The answer to one command; a subclass may decide by more than the
    // command's beginning.
    virtual Response responseFor(const QByteArray &command) const;

private:
    void onNewConnection();
    void onReadyRead(QTcpSocket *pSocket);
    void respond(QTcpSocket *pSocket, const Response &response);
    void writeTo(QTcpSocket *pSocket, const QByteArray &bytes);
    static void reset(QTcpSocket *pSocket);
    bool isScripted(const QByteArray &command) const;
    bool behaviourResponse(const QByteArray &command, Response *pResponse);
    Response storeResponse(const QByteArray &command);
    // The get key a set command writes, or empty.
    static QByteArray getKeyOfSet(const QByteArray &command, QByteArray *pValue);

    QTcpServer m_server;
    quint16 m_port = 0;
    QList<QPair<QByteArray, Response>> m_responses;
    QList<SimulatedVdsBehaviour *> m_behaviours;
    Response m_defaultResponse;
    QList<QPointer<QTcpSocket>> m_clients;
    QHash<QTcpSocket *, QByteArray> m_buffers;
    QHash<QTcpSocket *, int> m_connectionNumbers;
    QList<QTcpSocket *> m_hung;
    QList<Command> m_commands;
    int m_connectionCount = 0;
    bool m_storeEnabled = false;
    bool m_silent = false;
    bool m_subscriptionAccepted = true;
    QHash<QByteArray, QByteArray> m_values;
    QHash<QByteArray, QList<QByteArray>> m_levelLists;
    QList<QByteArray> m_subscriptions;
    QElapsedTimer m_clock;
};

// One block of a simulated VDS device, kept in a file of its own
// (SimulatedVds<Block>.cpp builds into the same library).
class SimulatedVdsBehaviour
{
public:
    virtual ~SimulatedVdsBehaviour() = default;
    // True when the command is this block's; the answer goes in *pResponse.
    virtual bool respond(const QByteArray &command, SimulatedVdsDevice::Response *pResponse) = 0;
};
