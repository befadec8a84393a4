#include "amplifiers/PARXProtocol.h"

#include "amplifiers/ArxReply.h"
#include "amplifiers/ArxRequestDocument.h"
#include "amplifiers/ArxStatusDecoder.h"
#include "comms/IRestAPIClient.h"
#include "comms/IWebSocketClient.h"
#include "comms/TText.h"

#include <QDebug>
#include <QJsonObject>

// One accepted request: its TText, the step it waits for and, for a status
// request, the record it decodes into. The callbacks of its posts share
// it; the last one to let go deletes the TText.
struct PARXProtocol::Request
{
    QPointer<TText> pText;
    bool standbyCycle = false;
    ArxRequestGroup step = ArxRequestGroup::BackupStrategyMode;
    ArxDeviceStatus working;
    bool waitingForMeters = false;
    bool ended = false;

    ~Request()
    {
        if (pText)
            pText->deleteLater();
    }
};

QString PARXProtocol::errorDecodingJsonText()
{
    return QStringLiteral("Error decoding JSON");
}

QString PARXProtocol::couldNotParseText()
{
    return QStringLiteral("Could not parse API response");
}

QString PARXProtocol::clientIdNotRecognizedText()
{
    return QStringLiteral("Client ID not recognized");
}

QString PARXProtocol::waitingForMeterDataText()
{
    return QStringLiteral("Waiting for meter Data");
}

PARXProtocol::PARXProtocol()
    : m_pRestClient(new IRestAPIClient)
{
    m_meterCheck.setInterval(MeterCheckMs);
    connect(&m_meterCheck, &QTimer::timeout, this, &PARXProtocol::onMeterCheck);
}

PARXProtocol::~PARXProtocol()
{
    // The client may outlive us; it must not call into a deleted protocol.
    if (m_pWebSocket) {
        m_pWebSocket->setProtocolMessageHandler(nullptr);
        m_pWebSocket->setProtocolErrorHandler(nullptr);
        m_pWebSocket->disconnect(this);
    }
    for (const RequestPtr &pRequest : std::as_const(m_requests))
        pRequest->ended = true;
    m_requests.clear();
    // Deferred: this may run inside one of the client's own callbacks,
    // under its network manager's reply. Its callbacks find no protocol
    // and do nothing; deleting it ends the posts still in flight.
    m_pRestClient->deleteLater();
    m_pRestClient = nullptr;
}

QString PARXProtocol::protocolName() const
{
    return QStringLiteral("ARXProtocol");
}

void PARXProtocol::setInterface(IInterface *pInterface)
{
    Q_UNUSED(pInterface);
}

void PARXProtocol::setModel(MModel *pModel)
{
    Q_UNUSED(pModel);
}

QJsonDocument PARXProtocol::buildRequestDocument(const QJsonArray &values, const QString &action,
                                                 const QString &tag)
{
    return ArxRequestDocument::build(values, action, ArxRequestConstants::clientIdPrefix() + tag);
}

void PARXProtocol::attachWebSocket(IWebSocketClient *pClient)
{
    if (!pClient || pClient == m_pWebSocket)
        return;
    if (m_pWebSocket) {
        m_pWebSocket->setProtocolMessageHandler(nullptr);
        m_pWebSocket->setProtocolErrorHandler(nullptr);
        m_pWebSocket->disconnect(this);
    }
    m_pWebSocket = pClient;
    pClient->setProtocolMessageHandler([this](const QString &message) { onReadings(message); });
    pClient->setProtocolErrorHandler([this](const QString &error) { onFeedError(error); });
    connect(pClient, &IWebSocketClient::websocketDisconnected, this,
            &PARXProtocol::onWebsocketDisconnect, Qt::UniqueConnection);
}

void PARXProtocol::onReadings(const QString &message)
{
    m_readings.takeMessage(message);
}

void PARXProtocol::onFeedError(const QString &errorText)
{
    m_readings.takeError(errorText);
}

void PARXProtocol::onWebsocketDisconnect()
{
    m_readings.forget();
    emit websocketDisconnect();
}

bool PARXProtocol::sendValue(TTransform *pTransform)
{
    if (m_pWebSocket && !m_pWebSocket->isConnected())
        m_pWebSocket->reconnect();
    if (!pTransform || pTransform->typeName() != QLatin1String("Text"))
        return false;
    auto *pText = qobject_cast<TText *>(pTransform);
    if (!pText)
        return false;
    const int id = pText->commandId();
    if (id != StatusCommandId && id != StandbyCycleCommandId) {
        pText->deleteLater();
        return false;
    }
    auto pRequest = std::make_shared<Request>();
    pRequest->pText = pText;
    pRequest->standbyCycle = id == StandbyCycleCommandId;
    m_requests.append(pRequest);
    postRequest(pRequest, pRequest->standbyCycle ? ArxRequestGroup::StandbyOn
                                                 : ArxRequestGroup::BackupStrategyMode);
    return true;
}

void PARXProtocol::postRequest(const RequestPtr &pRequest, ArxRequestGroup group)
{
    pRequest->step = group;
    const QJsonDocument document = ArxRequestDocument::forGroup(group);
    const QPointer<PARXProtocol> self(this);
    m_pRestClient->postRequest(
        m_deviceAddress, document,
        [self, pRequest](const QJsonDocument &reply) {
            if (self)
                self->onApiReply(pRequest, reply);
        },
        [self, pRequest](const QString &errorText) {
            if (self)
                self->onApiFailure(pRequest, errorText);
        });
    qDebug().noquote() << "API Call Enqueued:"
                       << document.object().value(QStringLiteral("clientId")).toString();
}

void PARXProtocol::onApiFailure(RequestPtr pRequest, const QString &errorText)
{
    if (pRequest->ended)
        return;
    qDebug().noquote() << "API Call Failed:" << errorText;
    deliver(pRequest, errorText);
}

void PARXProtocol::onApiReply(RequestPtr pRequest, const QJsonDocument &reply)
{
    if (pRequest->ended)
        return;
    const QJsonObject root = reply.object();
    QString tag;
    if (!ArxReply::tagOf(root, &tag)) {
        deliver(pRequest, errorDecodingJsonText());
        return;
    }
    const QJsonArray values = ArxReply::values(root);
    if (values.isEmpty()) {
        deliver(pRequest, couldNotParseText());
        return;
    }
    // Only the answer to what this request posted is a step of it.
    ArxRequestGroup group;
    if (!ArxRequestConstants::groupOfTag(tag, &group) || group != pRequest->step) {
        qWarning().noquote() << "ARX reply for " + tag + " while waiting for "
                                    + ArxRequestConstants::tag(pRequest->step);
        deliver(pRequest, clientIdNotRecognizedText());
        return;
    }
    ArxStatusDecoder::decodeReply(group, values, &pRequest->working);

    switch (group) {
    case ArxRequestGroup::BackupStrategyMode:
        postRequest(pRequest, ArxRequestGroup::InputPriorities);
        break;
    case ArxRequestGroup::InputPriorities:
        postRequest(pRequest, ArxRequestGroup::MatrixSelection);
        break;
    case ArxRequestGroup::MatrixSelection:
        postRequest(pRequest, ArxRequestGroup::PilotToneFaults);
        break;
    case ArxRequestGroup::PilotToneFaults:
        waitForMeterData(pRequest);
        break;
    case ArxRequestGroup::StandbyOn: {
        // The timer only knows the request weakly: once it is over (or the
        // protocol gone) the timer does nothing.
        const std::weak_ptr<Request> pWeak = pRequest;
        QTimer::singleShot(StandbyHoldMs, Qt::PreciseTimer, this, [this, pWeak]() {
            const RequestPtr pLater = pWeak.lock();
            if (pLater && !pLater->ended)
                postRequest(pLater, ArxRequestGroup::StandbyOff);
        });
        break;
    }
    case ArxRequestGroup::StandbyOff:
        deliver(pRequest, QString());
        break;
    }
}

void PARXProtocol::waitForMeterData(const RequestPtr &pRequest)
{
    if (m_readings.readingsMissing()) {
        deliver(pRequest, waitingForMeterDataText());
        return;
    }
    if (m_readings.complete()) {
        finishStatus(pRequest);
        return;
    }
    // No nested event loop: the caller (the status view) may delete this
    // protocol meanwhile. The request waits on the protocol's timers.
    pRequest->waitingForMeters = true;
    const std::weak_ptr<Request> pWeak = pRequest;
    QTimer::singleShot(MeterWaitMs, Qt::PreciseTimer, this, [this, pWeak]() {
        const RequestPtr pLater = pWeak.lock();
        if (pLater && !pLater->ended && pLater->waitingForMeters)
            deliver(pLater, waitingForMeterDataText());
    });
    if (!m_meterCheck.isActive())
        m_meterCheck.start();
}

void PARXProtocol::onMeterCheck()
{
    QList<RequestPtr> waiting;
    for (const RequestPtr &pRequest : std::as_const(m_requests)) {
        if (pRequest->waitingForMeters)
            waiting.append(pRequest);
    }
    if (waiting.isEmpty()) {
        m_meterCheck.stop();
        return;
    }
    if (!m_readings.complete())
        return;
    const QPointer<PARXProtocol> self(this);
    for (const RequestPtr &pRequest : std::as_const(waiting)) {
        if (!self)
            return;
        if (!pRequest->ended)
            finishStatus(pRequest);
    }
}

void PARXProtocol::finishStatus(RequestPtr pRequest)
{
    ArxStatusDecoder::decodeMeters(m_readings.meters(), &pRequest->working);
    ArxStatusDecoder::decodeSlows(m_readings.slows(), &pRequest->working);
    deliver(pRequest, QString());
}

void PARXProtocol::deliver(RequestPtr pRequest, const QString &errorText)
{
    if (pRequest->ended)
        return;
    pRequest->ended = true;
    pRequest->waitingForMeters = false;
    m_requests.removeOne(pRequest);
    if (errorText.isEmpty() && !pRequest->standbyCycle)
        m_status = pRequest->working;
    TText *pText = pRequest->pText;
    if (!pText)
        return;
    pText->setAuxText(errorText);
    // The receiver may start another request or delete this protocol here.
    pText->setReplyText(QString());
}
