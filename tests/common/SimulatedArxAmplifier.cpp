#include "SimulatedArxAmplifier.h"

#include <QAbstractHttpServer>
#include <QHostAddress>
#include <QHttpServerRequest>
#include <QHttpServerResponder>
#include <QJsonArray>
#include <QTcpSocket>
#include <QWebSocket>

#include <cmath>
#include <functional>

namespace {

const QByteArray kCredentialPair = QByteArrayLiteral("harmonica:harmonica");
constexpr int kMaxChannels = 1 << 20;
// The amplifier's channel count: c, s, m and b of the paths run 0..3.
constexpr int kStoreChannels = 4;

// Spelled out here rather than taken from the program, so that a path the
// program gets wrong finds nothing.
const QString kLive = QStringLiteral("/Device/Audio/Presets/Live/");

QString n(int value)
{
    return QString::number(value);
}

QJsonObject boolData(bool value)
{
    return QJsonObject{{QStringLiteral("type"), QStringLiteral("BOOL")},
                       {QStringLiteral("boolValue"), value}};
}

QJsonObject intData(int value)
{
    return QJsonObject{{QStringLiteral("type"), QStringLiteral("INT")},
                       {QStringLiteral("intValue"), value}};
}

QJsonObject floatData(double value)
{
    return QJsonObject{{QStringLiteral("type"), QStringLiteral("FLOAT")},
                       {QStringLiteral("floatValue"), value}};
}

// The value whose meter display level is the fraction f of the scale, for
// a reading that the program scales by factor: the scale spans 50 dB below
// 40 V, on the amplifier's 0.8328... dB weighting.
double valueAtFraction(double f, double factor)
{
    const double dB = -52.0 + 54.0 * qBound(0.0, f, 1.0);
    return 40.0 * std::pow(10.0, dB / (20.0 * 0.8328567561957783)) / factor;
}

} // namespace

// Qt's HTTP server with the request handler and the socket of each request
// handed to the amplifier, which decides how (and whether) to answer.
class SimulatedArxAmplifier::Server : public QAbstractHttpServer
{
public:
    std::function<bool(const QHttpServerRequest &, QTcpSocket *)> onRequest;

    static QHttpServerResponder responderFor(const QHttpServerRequest &request, QTcpSocket *pSocket)
    {
        return makeResponder(request, pSocket);
    }

protected:
    bool handleRequest(const QHttpServerRequest &request, QTcpSocket *pSocket) override
    {
        return onRequest && onRequest(request, pSocket);
    }
    void missingHandler(const QHttpServerRequest &request, QTcpSocket *pSocket) override
    {
        makeResponder(request, pSocket).write(QHttpServerResponder::StatusCode::NotFound);
    }
};

SimulatedArxAmplifier::SimulatedArxAmplifier(QObject *parent)
    : QObject(parent)
{
    m_clock.start();
    m_feedTimer.setSingleShot(false);
    connect(&m_feedTimer, &QTimer::timeout, this, &SimulatedArxAmplifier::onFeedTick);
    resetStore();
    listen();
}

void SimulatedArxAmplifier::resetStore()
{
    m_store.clear();
    for (int b = 0; b < kStoreChannels; ++b) {
        // Every strategy starts as "Force": all three switches off.
        const QString strategy =
            kLive + QStringLiteral("SourceSelection/BackupStrategy/BackupStrategy-") + n(b);
        m_store.insert(strategy + QStringLiteral("/Enable/Value"), boolData(false));
        m_store.insert(strategy + QStringLiteral("/PilotTone/Enable/Value"), boolData(false));
        m_store.insert(strategy + QStringLiteral("/CustomThresholdSignalDetect/Enable/Value"),
                       boolData(false));
    }
    for (int c = 0; c < kStoreChannels; ++c) {
        // Channel c: its own analog input first, then its own Dante input.
        const int sources[kStoreChannels] = {4 * c, 4 * c + 2, -1, -1};
        for (int s = 0; s < kStoreChannels; ++s)
            m_store.insert(kLive + QStringLiteral("SourceSelection/RoutingChannel-") + n(c)
                               + QStringLiteral("/Src-") + n(s) + QStringLiteral("/Value"),
                           intData(sources[s]));
        // Each output hears its own input only.
        for (int m = 0; m < kStoreChannels; ++m)
            m_store.insert(kLive + QStringLiteral("InputMatrix/Channels/Channel-") + n(c)
                               + QStringLiteral("/Mute-") + n(m) + QStringLiteral("/Value"),
                           boolData(m != c));
        const QString output = kLive + QStringLiteral("OutputProcess/Channels/Channel-") + n(c);
        for (const char *check : {"/PilotToneGenerator", "/PilotTone", "/LoadMonitor", "/NominalImpedance"})
            m_store.insert(output + QLatin1String(check) + QStringLiteral("/Enable/Value"), boolData(false));
        m_store.insert(output + QStringLiteral("/Gain/Value"), floatData(1.0));
        m_store.insert(output + QStringLiteral("/Mute/Value"), boolData(false));
        // Blocks of the channel with gains of their own.
        m_store.insert(output + QStringLiteral("/PeakLimiter/Gain/Value"), floatData(0.125));
        m_store.insert(output + QStringLiteral("/ThermalLimiter/Gain/Value"), floatData(0.0625));
        m_store.insert(kLive + QStringLiteral("InputMatrix/InMute-") + n(c) + QStringLiteral("/Value"),
                       boolData(false));
    }
    m_store.insert(kLive + QStringLiteral("Generals/Standby/Value"), boolData(false));
}

void SimulatedArxAmplifier::setBool(const QString &path, bool value)
{
    m_store.insert(path, boolData(value));
}

void SimulatedArxAmplifier::setInt(const QString &path, int value)
{
    m_store.insert(path, intData(value));
}

void SimulatedArxAmplifier::setFloat(const QString &path, double value)
{
    m_store.insert(path, floatData(value));
}

QJsonObject SimulatedArxAmplifier::storedValue(const QString &path) const
{
    return m_store.value(path);
}

QStringList SimulatedArxAmplifier::storedPaths() const
{
    return m_store.keys();
}

QJsonObject SimulatedArxAmplifier::itemFor(const QString &path, const QJsonObject &data) const
{
    QJsonObject out = data;
    const QString boolName = QStringLiteral("boolValue");
    if (m_numericBools && out.contains(boolName))
        out.insert(boolName, out.value(boolName).toBool() ? 1 : 0);
    return QJsonObject{{QStringLiteral("id"), path}, {QStringLiteral("data"), out}};
}

bool SimulatedArxAmplifier::answerFromStore(const QJsonObject &requestAction, QJsonObject *pAction)
{
    const QString type = requestAction.value(QStringLiteral("type")).toString();
    const QJsonArray items = requestAction.value(QStringLiteral("values")).toArray();
    QJsonArray values;
    if (type == QLatin1String("WRITE")) {
        if (m_refuseWrites)
            return false;
        ++m_writeCount;
        for (const QJsonValue &item : items) {
            const QString id = item.toObject().value(QStringLiteral("id")).toString();
            const QJsonObject data = item.toObject().value(QStringLiteral("data")).toObject();
            if (id.isEmpty() || data.isEmpty())
                continue;
            m_store.insert(id, data);
            values.append(itemFor(id, data));
        }
    } else {
        ++m_readCount;
        for (const QJsonValue &item : items) {
            QString folder = item.toObject().value(QStringLiteral("id")).toString();
            while (folder.endsWith(QLatin1Char('/')))
                folder.chop(1);
            if (folder.isEmpty())
                continue;
            // The leaf itself, or every leaf below the folder.
            for (auto it = m_store.constBegin(); it != m_store.constEnd(); ++it) {
                if (it.key() == folder || it.key().startsWith(folder + QLatin1Char('/')))
                    values.append(itemFor(it.key(), it.value()));
            }
        }
    }
    if (m_emptyValues)
        values = QJsonArray();
    *pAction = QJsonObject{{QStringLiteral("type"), type}, {QStringLiteral("values"), values}};
    return true;
}

SimulatedArxAmplifier::~SimulatedArxAmplifier()
{
    m_feedTimer.stop();
    for (const QPointer<QWebSocket> &pFeed : std::as_const(m_feeds)) {
        if (pFeed) {
            pFeed->disconnect(this);
            pFeed->abort();
            delete pFeed.data();
        }
    }
    for (const QPointer<QTcpSocket> &pSocket : std::as_const(m_held)) {
        if (pSocket)
            pSocket->abort();
    }
}

bool SimulatedArxAmplifier::listen(quint16 port)
{
    auto pServer = std::make_unique<Server>();
    pServer->onRequest = [this](const QHttpServerRequest &request, QTcpSocket *pSocket) {
        return handleRequest(request, pSocket);
    };
    const quint16 bound = pServer->listen(QHostAddress::LocalHost, port);
    if (bound == 0)
        return false;
    connect(pServer.get(), &QAbstractHttpServer::newWebSocketConnection, this,
            &SimulatedArxAmplifier::onNewWebSocketConnection);
    m_pServer = std::move(pServer);
    m_port = bound;
    return true;
}

QByteArray SimulatedArxAmplifier::expectedCredential()
{
    return kCredentialPair;
}

bool SimulatedArxAmplifier::handleRequest(const QHttpServerRequest &request, QTcpSocket *pSocket)
{
    // WebSocket upgrades go on to the feed (see onNewWebSocketConnection).
    if (!request.value(QByteArrayLiteral("upgrade")).isEmpty())
        return true;
    using Status = QHttpServerResponder::StatusCode;
    if (request.url().path() != QLatin1String("/am")
        || request.method() != QHttpServerRequest::Method::Post) {
        Server::responderFor(request, pSocket).write(Status::NotFound);
        return true;
    }

    Post post;
    post.authorization = request.value(QByteArrayLiteral("authorization"));
    post.contentType = request.value(QByteArrayLiteral("content-type"));
    post.body = request.body();
    post.atMs = m_clock.elapsed();
    m_posts.append(post);
    emit postReceived();

    const QByteArray expected = QByteArrayLiteral("Basic ") + kCredentialPair.toBase64();
    if (post.authorization != expected) {
        Server::responderFor(request, pSocket).write(Status::Unauthorized);
        return true;
    }
    // No answer at all: no responder is made for these.
    if (m_restMode == RestMode::Silent) {
        m_held.append(pSocket);
        return true;
    }
    if (m_restMode == RestMode::CloseSocket) {
        pSocket->abort();
        return true;
    }
    QHttpServerResponder responder = Server::responderFor(request, pSocket);

    const QByteArray json = QByteArrayLiteral("application/json");
    const QJsonObject requestObject = QJsonDocument::fromJson(post.body).object();
    const QJsonObject requestAction = requestObject.value(QStringLiteral("payload"))
                                          .toObject()
                                          .value(QStringLiteral("action"))
                                          .toObject();
    QJsonObject action{{QStringLiteral("type"), requestAction.value(QStringLiteral("type"))},
                       {QStringLiteral("values"), QJsonArray()}};
    const QJsonValue clientId = m_replyClientId.isEmpty()
        ? requestObject.value(QStringLiteral("clientId"))
        : QJsonValue(m_replyClientId);
    auto answer = [&](const QJsonObject &actionObject) {
        const QJsonObject reply{
            {QStringLiteral("clientId"), clientId},
            {QStringLiteral("payload"), QJsonObject{{QStringLiteral("type"), QStringLiteral("ACTION")},
                                                    {QStringLiteral("action"), actionObject}}}};
        responder.write(QJsonDocument(reply).toJson(QJsonDocument::Compact), json);
    };

    switch (m_restMode) {
    case RestMode::Answer:
        if (answerFromStore(requestAction, &action))
            answer(action);
        else
            responder.write(Status::Forbidden);
        break;
    case RestMode::Unauthorized:
        responder.write(Status::Unauthorized);
        break;
    case RestMode::ServerError:
        responder.write(Status::InternalServerError);
        break;
    case RestMode::NotJson:
        responder.write(QByteArrayLiteral("<html>not json</html>"), QByteArrayLiteral("text/html"));
        break;
    case RestMode::ArrayBody:
        responder.write(QByteArrayLiteral("[1,2,3]"), json);
        break;
    case RestMode::BadValues:
        action.insert(QStringLiteral("values"), QStringLiteral("not a list"));
        answer(action);
        break;
    case RestMode::HugeChannels: {
        const QString path = QStringLiteral(
            "/Device/Audio/Presets/Live/OutputProcess/Channels/Channel-99999999/Gain/Value");
        QJsonArray values;
        values.append(QJsonObject{
            {QStringLiteral("id"), path},
            {QStringLiteral("data"), QJsonObject{{QStringLiteral("type"), QStringLiteral("FLOAT")},
                                                 {QStringLiteral("floatValue"), 0.5}}}});
        action.insert(QStringLiteral("values"), values);
        answer(action);
        break;
    }
    case RestMode::HugeBody: {
        const QByteArray filler(2 * 1024 * 1024, 'x');
        responder.write(QByteArrayLiteral("{\"filler\":\"") + filler + QByteArrayLiteral("\"}"), json);
        break;
    }
    case RestMode::Silent:
    case RestMode::CloseSocket:
        break; // answered above
    }
    return true;
}

void SimulatedArxAmplifier::onNewWebSocketConnection()
{
    while (m_pServer && m_pServer->hasPendingWebSocketConnections()) {
        QWebSocket *pFeed = m_pServer->nextPendingWebSocketConnection().release();
        if (!pFeed)
            break;
        pFeed->setParent(this);
        if (pFeed->requestUrl().path() != QLatin1String("/socket.io")) {
            pFeed->close(QWebSocketProtocol::CloseCodePolicyViolated);
            pFeed->deleteLater();
            continue;
        }
        ++m_feedConnections;
        m_feeds.append(pFeed);
        connect(pFeed, &QWebSocket::disconnected, this, [this, pFeed]() {
            m_feeds.removeAll(pFeed);
            pFeed->deleteLater();
        });
        connect(pFeed, &QWebSocket::bytesWritten, this, [this, pFeed]() { floodFeed(pFeed); });
        // socket.io opens with its engine.io handshake; the program ignores it.
        pFeed->sendTextMessage(QStringLiteral("0{\"sid\":\"simulated\",\"pingInterval\":25000}"));
        emit feedClientConnected();
        floodFeed(pFeed);
    }
}

int SimulatedArxAmplifier::feedClientCount() const
{
    int count = 0;
    for (const QPointer<QWebSocket> &pFeed : m_feeds) {
        if (pFeed && pFeed->state() == QAbstractSocket::ConnectedState)
            ++count;
    }
    return count;
}

void SimulatedArxAmplifier::setInputCount(int count)
{
    m_inputs.resize(qBound(0, count, kMaxChannels));
    readingsChanged();
}

void SimulatedArxAmplifier::setOutputCount(int count)
{
    m_outputs.resize(qBound(0, count, kMaxChannels));
    readingsChanged();
}

void SimulatedArxAmplifier::setInputReading(int channel, const InputReading &reading)
{
    if (channel < 0 || channel >= kMaxChannels)
        return;
    if (channel >= m_inputs.size())
        m_inputs.resize(channel + 1);
    m_inputs[channel] = reading;
    readingsChanged();
}

void SimulatedArxAmplifier::setOutputRms(int channel, double volts)
{
    if (channel < 0 || channel >= kMaxChannels)
        return;
    if (channel >= m_outputs.size())
        m_outputs.resize(channel + 1);
    m_outputs[channel] = volts;
    readingsChanged();
}

void SimulatedArxAmplifier::startFeed(int framesPerSecond)
{
    const int rate = qBound(1, framesPerSecond, 1000);
    m_ticksPerSlows = rate;
    m_feedTimer.start(1000 / rate);
}

void SimulatedArxAmplifier::stopFeed()
{
    m_feedTimer.stop();
}

void SimulatedArxAmplifier::startFlood(qint64 frames)
{
    m_flooding = true;
    m_floodLimit = frames > 0 ? m_floodFramesSent + frames : 0;
    const QList<QPointer<QWebSocket>> feeds = m_feeds;
    for (const QPointer<QWebSocket> &pFeed : feeds)
        floodFeed(pFeed);
}

void SimulatedArxAmplifier::stopFlood()
{
    m_flooding = false;
}

void SimulatedArxAmplifier::floodFeed(QWebSocket *pFeed)
{
    if (!m_flooding || !pFeed || pFeed->state() != QAbstractSocket::ConnectedState)
        return;
    // The socket has room for another frame once fewer than the backlog
    // wait to be written.
    while (m_flooding && pFeed->bytesToWrite() < FloodBacklog * m_floodFrameBytes) {
        emit floodFrameDue(m_floodFramesSent);
        if (m_floodFrame.isEmpty())
            m_floodFrame = metersFrame();
        m_floodFrameBytes = qMax<qint64>(1, m_floodFrame.size());
        pFeed->sendTextMessage(m_floodFrame);
        ++m_framesSent;
        ++m_floodFramesSent;
        if (m_floodLimit > 0 && m_floodFramesSent >= m_floodLimit) {
            m_flooding = false;
            emit floodFinished();
        }
    }
}

void SimulatedArxAmplifier::pushText(const QString &text)
{
    const QList<QPointer<QWebSocket>> feeds = m_feeds;
    for (const QPointer<QWebSocket> &pFeed : feeds) {
        if (pFeed && pFeed->state() == QAbstractSocket::ConnectedState) {
            pFeed->sendTextMessage(text);
            ++m_framesSent;
        }
    }
}

void SimulatedArxAmplifier::closeFeeds()
{
    const QList<QPointer<QWebSocket>> feeds = m_feeds;
    for (const QPointer<QWebSocket> &pFeed : feeds) {
        if (pFeed)
            pFeed->close(QWebSocketProtocol::CloseCodeGoingAway);
    }
}

QJsonObject SimulatedArxAmplifier::readingsMeters() const
{
    QJsonArray inputs;
    for (const InputReading &reading : m_inputs) {
        inputs.append(QJsonObject{{QStringLiteral("meter_peak_0"), reading.peak0},
                                  {QStringLiteral("meter_peak_1"), reading.peak1},
                                  {QStringLiteral("meter_peak_2"), reading.peak2},
                                  {QStringLiteral("meter_peak_3"), reading.peak3},
                                  {QStringLiteral("signal_presence_active"), reading.peak1 > 0.02},
                                  {QStringLiteral("signal_clipping_active"), false},
                                  {QStringLiteral("selected_backup"), 0}});
    }
    QJsonArray outputs;
    for (double volts : m_outputs) {
        outputs.append(QJsonObject{{QStringLiteral("meter_v_post_rms"), volts},
                                   {QStringLiteral("signal_presence"), volts > 0.05 ? 1 : 0},
                                   {QStringLiteral("meter_headroom"), 10.0},
                                   {QStringLiteral("user_gain_reduction_total"), 1.0}});
    }
    return QJsonObject{{QStringLiteral("source_selection"), inputs},
                       {QStringLiteral("output_process"), outputs},
                       {QStringLiteral("dsp_tskmgr"),
                        QJsonObject{{QStringLiteral("dsp_load_avg"), 21.5}}}};
}

QString SimulatedArxAmplifier::metersFrame() const
{
    const QJsonObject payload{
        {QStringLiteral("readings"), QJsonObject{{QStringLiteral("meters"), readingsMeters()}}}};
    const QJsonArray event{QStringLiteral("meters"),
                           QJsonObject{{QStringLiteral("payload"), payload}}};
    return QStringLiteral("42") + QString::fromUtf8(QJsonDocument(event).toJson(QJsonDocument::Compact));
}

QJsonObject SimulatedArxAmplifier::readingsSlows() const
{
    const bool standby = m_store.value(kLive + QStringLiteral("Generals/Standby/Value"))
                             .value(QStringLiteral("boolValue"))
                             .toBool();
    QJsonArray channels;
    QJsonArray outputs;
    for (int i = 0; i < m_outputs.size(); ++i) {
        channels.append(QJsonObject{{QStringLiteral("protection_thermal_limiting"), false},
                                    {QStringLiteral("protection"), standby},
                                    {QStringLiteral("protection_unrecoverable"), false},
                                    {QStringLiteral("pilot_tone_voltage"), true},
                                    {QStringLiteral("load_monitor"), true}});
        outputs.append(QJsonObject{{QStringLiteral("detected_nominal_impedence"), true},
                                   {QStringLiteral("pilot_tone_detection_impedence_rms"), 8.2},
                                   {QStringLiteral("detection_nominal_impedence_rms"), 7.9},
                                   {QStringLiteral("pilot_tone_detection_rms"), 1.5}});
    }
    return QJsonObject{
        {QStringLiteral("ext_state"), QJsonObject{{QStringLiteral("standby"), standby ? 1 : 0},
                                                  {QStringLiteral("mains"), m_mains},
                                                  {QStringLiteral("fan"), 0},
                                                  {QStringLiteral("generic_hw_fault"), 0},
                                                  {QStringLiteral("power_supply"), 0}}},
        {QStringLiteral("arm_info_slow"), QJsonObject{{QStringLiteral("cpu_usage"), 12.0},
                                                      {QStringLiteral("memory_usage"), 40.0},
                                                      {QStringLiteral("memory_free_mb"), 200.0},
                                                      {QStringLiteral("disk_usage"), 30.0},
                                                      {QStringLiteral("disk_free_mb"), 900.0}}},
        {QStringLiteral("conf_slow"), QJsonObject{{QStringLiteral("dip_switch_energy_save"), 0}}},
        {QStringLiteral("ampli"), QJsonArray{QJsonObject{{QStringLiteral("temp_ch_a_peak"), 41.0},
                                                         {QStringLiteral("temp_ch_b_peak"), 44.0}},
                                             QJsonObject{{QStringLiteral("temp_ch_a_peak"), 50.0},
                                                         {QStringLiteral("temp_ch_b_peak"), 53.0}}}},
        {QStringLiteral("output_channels"), channels},
        {QStringLiteral("output_process"), outputs}};
}

QString SimulatedArxAmplifier::slowsFrame() const
{
    const QJsonObject payload{
        {QStringLiteral("readings"), QJsonObject{{QStringLiteral("slows"), readingsSlows()}}}};
    const QJsonArray event{QStringLiteral("slows"),
                           QJsonObject{{QStringLiteral("payload"), payload}}};
    return QStringLiteral("42") + QString::fromUtf8(QJsonDocument(event).toJson(QJsonDocument::Compact));
}

void SimulatedArxAmplifier::animate()
{
    readingsChanged();
    // Each channel swings on its own period, with a little flicker.
    const double t = double(m_clock.elapsed()) / 1000.0;
    for (int i = 0; i < m_inputs.size(); ++i) {
        const double swing = 0.5 + 0.45 * std::sin(t * (0.9 + 0.37 * i) + i);
        const double flicker = 0.05 * std::sin(t * 11.0 + 3.0 * i);
        const double value = valueAtFraction(swing + flicker, 2.5);
        m_inputs[i] = InputReading{value * 0.9, value, value * 0.5, 0.0};
    }
    for (int i = 0; i < m_outputs.size(); ++i) {
        const double swing = 0.5 + 0.45 * std::sin(t * (0.7 + 0.29 * i) + 2.0 * i);
        m_outputs[i] = valueAtFraction(swing + 0.04 * std::sin(t * 13.0 + i), 1.0);
    }
}

void SimulatedArxAmplifier::onFeedTick()
{
    if (m_animated)
        animate();
    pushText(metersFrame());
    if (++m_tick % m_ticksPerSlows == 0)
        pushText(slowsFrame());
}
