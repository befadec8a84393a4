#pragma once

#include <QByteArray>
#include <QElapsedTimer>
#include <QJsonDocument>
#include <QJsonObject>
#include <QList>
#include <QMap>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <memory>

class QHttpServerRequest;
class QTcpSocket;
class QWebSocket;

// An ARX networked amplifier for tests, the benchmarks and the demo
// launcher, on 127.0.0.1 only. One port serves both of its interfaces, on
// Qt's HTTP server:
// - POST "/am": the REST endpoint. Every post is recorded; one without the
//   amplifiers' credential is answered 401; the others as the REST mode
//   says. By default it answers as an amplifier does, from its value store
//   (see below), echoing the request's "clientId".
// - "/socket.io": the WebSocket feed. It pushes socket.io event frames,
//   "42[\"meters\",{...}]" at the frame rate and a "42[\"slows\",{...}]"
//   once a second, built from the readings set here; or, flooding,
//   "meters" frames as fast as each client's socket takes them.
//
//     SimulatedArxAmplifier amplifier;
//     IArxAddress::setPort(amplifier.port());
//     amplifier.setInputCount(4);
//     amplifier.startFeed(20);
//
// The value store holds a value ("data": {"type", "boolValue" | "intValue"
// | "floatValue"}) for each parameter path the program reads: the status
// paths under "/Device/Audio/Presets/Live/" (backup strategies, routing
// sources, input matrix, output checks, standby) and the output channels'
// gains (with two limiter gains of their own) and mutes and the input
// mutes. A READ item names a leaf or a folder; a folder answers every leaf
// below it. A WRITE stores its values and echoes them. Switches make it
// answer as a faulty amplifier would.
class SimulatedArxAmplifier : public QObject
{
    Q_OBJECT

public:
    // How POST "/am" answers a post that carries the right credential.
    enum class RestMode {
        Answer,       // 200, an object echoing "clientId"
        Unauthorized, // 401
        ServerError,  // 500
        Silent,       // never answers, keeps the connection open
        NotJson,      // 200, a body that is no JSON
        ArrayBody,    // 200, a JSON array
        BadValues,    // 200, an object whose "values" is a text
        HugeChannels, // 200, values naming channel 99999999
        HugeBody,     // 200, a JSON object of about 2 MiB
        CloseSocket,  // closes the connection without an answer
    };

    struct Post
    {
        QByteArray authorization;
        QByteArray contentType;
        QByteArray body;
        qint64 atMs = 0;
    };

    // The readings of one input channel: its four peak meters.
    struct InputReading
    {
        double peak0 = 0.0;
        double peak1 = 0.0;
        double peak2 = 0.0;
        double peak3 = 0.0;
    };

    // Starts listening on 127.0.0.1, on a free port.
    explicit SimulatedArxAmplifier(QObject *parent = nullptr);
    ~SimulatedArxAmplifier() override;

    // Listens on 127.0.0.1 at the port (0: any free one) instead.
    bool listen(quint16 port = 0);
    quint16 port() const { return m_port; }

    // --- REST ---------------------------------------------------------------
    void setRestMode(RestMode mode) { m_restMode = mode; }
    RestMode restMode() const { return m_restMode; }
    QList<Post> posts() const { return m_posts; }
    int postCount() const { return int(m_posts.size()); }
    // The credential the amplifier accepts, as "user:password".
    static QByteArray expectedCredential();

    // --- value store (REST mode Answer) --------------------------------------
    // Full paths; setting a path that is not stored adds it.
    void setBool(const QString &path, bool value);
    void setInt(const QString &path, int value);
    void setFloat(const QString &path, double value);
    // The "data" object of a path; empty when it is not stored.
    QJsonObject storedValue(const QString &path) const;
    QStringList storedPaths() const;
    // Back to the values it starts with.
    void resetStore();
    // Replies carry this client id instead of echoing the request's (empty:
    // echo).
    void setReplyClientId(const QString &clientId) { m_replyClientId = clientId; }
    // Replies carry an empty values list.
    void setEmptyValues(bool empty) { m_emptyValues = empty; }
    // Booleans go out as the numbers 0 and 1, as some firmware sends them.
    void setNumericBools(bool numeric) { m_numericBools = numeric; }
    // A WRITE is refused (403) and nothing is stored.
    void setRefuseWrites(bool refuse) { m_refuseWrites = refuse; }
    // How many READ and WRITE posts it answered from the store.
    int readCount() const { return m_readCount; }
    int writeCount() const { return m_writeCount; }

    // --- WebSocket feed -----------------------------------------------------
    // The channels the frames carry; readings not set read as 0.
    void setInputCount(int count);
    void setOutputCount(int count);
    void setInputReading(int channel, const InputReading &reading);
    void setOutputRms(int channel, double volts);
    // The power-supply condition the "slows" frames report ("mains": 0
    // normal, 1 near overvoltage, 2 undervoltage, 3 overvoltage, 4 fuse
    // blown). Default 1, as the amplifier on the bench reports.
    void setMains(int mains) { m_mains = mains; }
    // Readings that move by themselves, for a person watching the meters.
    void setAnimated(bool animated) { m_animated = animated; }
    // Pushes frames at the rate (per second) to every feed client.
    void startFeed(int framesPerSecond);
    void stopFeed();
    bool isFeeding() const { return m_feedTimer.isActive(); }
    // Floods every feed client with "meters" frames of the current
    // readings, as fast as its socket takes them: whenever fewer than
    // FloodBacklog frames wait in the socket's send buffer, another goes
    // in. Before each frame floodFrameDue(index) is emitted, so that a
    // listener may change the readings. Ends after `frames` frames in all
    // (0: not until stopFlood), with floodFinished().
    void startFlood(qint64 frames = 0);
    void stopFlood();
    bool isFlooding() const { return m_flooding; }
    qint64 floodFramesSent() const { return m_floodFramesSent; }
    static constexpr int FloodBacklog = 8;
    // Sends one text frame, as it stands, to every feed client.
    void pushText(const QString &text);
    // One "meters" frame of the current readings, and one "slows" frame.
    QString metersFrame() const;
    QString slowsFrame() const;
    // Closes every feed connection from the amplifier's side.
    void closeFeeds();
    int feedClientCount() const;
    int feedConnectionCount() const { return m_feedConnections; }
    qint64 framesSent() const { return m_framesSent; }
    qint64 elapsedMs() const { return m_clock.elapsed(); }

signals:
    void postReceived();
    void feedClientConnected();
    void floodFrameDue(qint64 index);
    void floodFinished();

private:
    class Server;

    bool handleRequest(const QHttpServerRequest &request, QTcpSocket *pSocket);
    void onNewWebSocketConnection();
    void onFeedTick();
    // Tops the flooded client's send buffer up.
    void floodFeed(QWebSocket *pFeed);
    // The readings changed: the next flood frame is built anew.
    void readingsChanged() { m_floodFrame.clear(); }
    QJsonObject readingsMeters() const;
    QJsonObject readingsSlows() const;
    // The action object answering a READ or WRITE request; false when the
    // request is refused.
    bool answerFromStore(const QJsonObject &requestAction, QJsonObject *pAction);
    QJsonObject itemFor(const QString &path, const QJsonObject &data) const;
    void animate();

    std::unique_ptr<Server> m_pServer;
    quint16 m_port = 0;
    RestMode m_restMode = RestMode::Answer;
    QMap<QString, QJsonObject> m_store;
    QString m_replyClientId;
    bool m_emptyValues = false;
    bool m_numericBools = false;
    bool m_refuseWrites = false;
    int m_readCount = 0;
    int m_writeCount = 0;
    QList<Post> m_posts;
    // Connections of silent answers, kept open.
    QList<QPointer<QTcpSocket>> m_held;
    QList<QPointer<QWebSocket>> m_feeds;
    int m_feedConnections = 0;
    QList<InputReading> m_inputs;
    QList<double> m_outputs;
    bool m_animated = false;
    int m_mains = 1;
    QTimer m_feedTimer;
    int m_ticksPerSlows = 1;
    qint64 m_tick = 0;
    qint64 m_framesSent = 0;
    bool m_flooding = false;
    qint64 m_floodLimit = 0;
    qint64 m_floodFramesSent = 0;
    // The flood frame of the current readings, built once.
    QString m_floodFrame;
    qint64 m_floodFrameBytes = 1;
    QElapsedTimer m_clock;
};
