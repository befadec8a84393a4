#pragma once

#include "comms/IHostProbe.h"
#include "comms/IInterface.h"

#include <QAbstractSocket>
#include <QByteArray>
#include <QHostAddress>
#include <QList>
#include <QSemaphore>
#include <QTimer>

class ITcpClientThread;
class QTcpSocket;

// The TCP transport of a VDS device: one connection to the device's control
// port that it restores by itself, a dispatcher that writes the queued
// messages and checks their replies, and a check that probes the line when
// it has been silent for long.
//
// Incoming bytes are framed at carriage returns: TCP keeps no write
// boundaries, so an unterminated tail waits for the rest of its line (or is
// handed on after a short while), and a lone acknowledge or refusal byte
// counts as a whole reply. Each framed block is split at ";" into replies.
//
// The connection is renewed when MaxSendFailures attempts in a row went
// unanswered: any bytes from the device end the row, so a device that
// refuses a command (0x15) is alive and keeps its connection.
//
// A socket that connects, or stays open, tells nothing of the application
// behind it: every connection counts as connected only once the device has
// answered on it. A line silent for long is probed, and an unanswered probe
// takes the connection out of the count until the device answers again;
// meanwhile the line is probed at a quick pace, each unanswered probe a
// failure toward the renewal. The owner that was told its device went
// offline hears when it is back.
//
// Everything runs on the thread that made the client. The dispatcher's own
// thread is started but stays idle; destroying the client ends it.
class ITcpClient : public IInterface
{
    Q_OBJECT

public:
    enum ConnectionState {
        Idle = 0,
        Connecting = 1,
        Running = 2,
        Reconnecting = 3,
        Resetting = 4,
    };

    static constexpr int RetryIntervalMs = 1500;
    static constexpr int RetryConnectWaitMs = 30;
    static constexpr int HostStatusIntervalMs = 30000;
    static constexpr int MaxSendFailures = 13;
    // How long close() lets pending bytes drain before it aborts. It blocks
    // the GUI thread, so it stays short: a device whose application hangs
    // with TCP open would otherwise freeze the program for the whole wait.
    static constexpr int DisconnectWaitMs = 500;
    // How long an unterminated tail waits for the rest of its line. A
    // message that waits for its reply does not wait that long: at its
    // time-out the dispatcher takes the tail as the reply.
    static constexpr int TailFlushMs = 200;
    // While a connection waits for its device's answer, the line is probed
    // at this pace; each unanswered probe counts as a failure.
    static constexpr int RenewalProbeIntervalMs = 200;
    // How long the silence check's probe waits for its answer: as long as
    // any message waits for its reply.
    static constexpr int ProbeReplyTimeoutMs = 200;
    static constexpr int MaxTailBytes = 64 * 1024;

    explicit ITcpClient(QObject *parent = nullptr);
    ~ITcpClient() override;

    bool open() override;
    bool close() override;
    void startConnection() override;
    void stopConnection() override;
    int send(const char *data, int length, int messageType, const char *expectedReply,
             int timeoutMs) override;
    bool waitForWrite(int ms) override;
    QString stateText() const override;
    void dump() const override;
    QString typeName() const override;
    QString address() const override;
    void setAddress(const QHostAddress &address) override;
    void setPort(int port) override;
    int connectionState() const override;
    void setOwner(PProtocol *pOwner) override;
    bool hasSubscriptionState() const override;
    void notifyOwner() override;
    bool isSubscribed() const override;
    void setSubscribed(bool subscribed) override;
    void startHostStatusTimer() override;

    int port() const { return m_port; }
    // The socket of the current connection; null while closed.
    QTcpSocket *socket() const { return m_pTcpSocket; }
    ITcpClientThread *dispatcher() const { return m_pDispatcher; }

    // Takes ownership of the probe used by the silence check.
    void setHostProbe(IHostProbe *pProbe);
    IHostProbe *hostProbe() const { return m_pHostProbe; }
    // How long the line may be silent before it is checked.
    void setHostStatusInterval(int ms) { m_hostStatusTimer.setInterval(ms); }
    // How long an unterminated tail waits for its line end.
    void setTailFlushInterval(int ms) { m_tailTimer.setInterval(ms); }

    // The timers, for a look at their settings.
    const QTimer *retryTimer() const { return &m_retryTimer; }
    const QTimer *hostStatusTimer() const { return &m_hostStatusTimer; }
    const QTimer *renewalProbeTimer() const { return &m_renewalProbeTimer; }
    const QTimer *silenceProbeTimer() const { return &m_silenceProbeTimer; }
    // True while a connection is up but its device has not answered on it
    // yet, or has left the silence check's probe unanswered; meanwhile the
    // client does not count as connected.
    bool isAwaitingAnswer() const { return m_awaitingAnswer; }

    // True when the command word of the message is "GL", a level-list
    // request.
    static bool isLevelRequest(const QByteArray &bytes);

signals:
    void startMessageProcessing();
    void quitMessageProcessing();
    void replyReady();
    // A message was queued; wakes the dispatcher's tick.
    void messageQueued();
    // The first connection after open is up (not sent after a reconnect).
    void connectionActive();

public slots:
    void onConnected();
    void onDisconnected();
    void retry();
    void dataReady();
    void error(QAbstractSocket::SocketError socketError);
    void stateChanged(QAbstractSocket::SocketState socketState);
    void onMessageSendError(const QByteArray &bytes);
    void onSendMessage(const QByteArray &bytes, uint &bytesWritten);
    void onHostStatusTimerTimesout();
    void onHostProbeFinished(IHostProbe::HostState state);
    // The dispatcher is about to give a reply up: an unterminated tail that
    // came within the time-out is taken as the reply.
    void onReplyOverdue();

private:
    void step();
    void enterRunning(bool firstConnection);
    void leaveRunning(ConnectionState next);
    // Gives up a connection that no longer answers: stop the dispatcher,
    // drop the socket and start over.
    void resetConnection();
    void finishReset();
    void clearSubscription();
    qint64 writeNow(const QByteArray &bytes);
    // Queues the replies of a block; with announce, tells the dispatcher.
    void handOnReplies(QByteArray block, bool announce = true);
    void flushTail();
    void heardFromDevice();
    void onRenewalProbeTimeout();
    // Writes the line probe "SUB"; false when it did not go out.
    bool writeProbe();
    void writeRenewalProbe();
    void writeSilenceProbe();
    // The dispatcher has a message in flight or to write again.
    bool isAskingDevice() const;
    void onSilenceProbeTimeout();
    // The connection has no answering device behind it for now.
    void awaitAnswer();
    void releaseSocket();

    QTcpSocket *m_pTcpSocket = nullptr;
    QHostAddress m_address;
    int m_port = 0;
    int m_lastError = -1;
    int m_socketState = QAbstractSocket::UnconnectedState;
    int m_connectionState = Idle;
    QTimer m_retryTimer;
    QTimer m_hostStatusTimer;
    QTimer m_tailTimer;
    QTimer m_renewalProbeTimer;
    QTimer m_silenceProbeTimer;
    ITcpClientThread *m_pDispatcher = nullptr;
    QList<Message> m_queue;
    QSemaphore m_queueSemaphore;
    QList<QByteArray> m_replies;
    QSemaphore m_replySemaphore;
    bool m_subscribed = false;
    bool m_hasSubscriptionState = false;
    IHostProbe *m_pHostProbe = nullptr;
    // Received bytes after the last carriage return.
    QByteArray m_tail;
    // An overlong line was cut; its rest is skipped up to its end.
    bool m_skippingLine = false;
    // Bytes came from the device since the dispatcher's last write: a
    // failed attempt then was answered (a refusal, say) and is no sign of
    // a dead line.
    bool m_heardSinceWrite = false;
    bool m_awaitingAnswer = false;
    // A probe went out on the renewal pace and nothing came since.
    bool m_probeOutstanding = false;
    // The owner was told its device went offline and has not heard since
    // that it is back.
    bool m_ownerToldOffline = false;
};
