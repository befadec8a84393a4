#pragma once

#include "amplifiers/ArxDeviceStatus.h"
#include "amplifiers/ArxReadingsCache.h"
#include "amplifiers/ArxRequestConstants.h"
#include "comms/IWebSocketClient.h"
#include "comms/PProtocol.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QList>
#include <QPointer>
#include <QString>
#include <QTimer>

#include <memory>

class IRestAPIClient;
class TText;

// The protocol through which the status view reads an ARX amplifier and
// puts it through a standby cycle. It does not use the chassis's transport:
// it posts JSON documents to the amplifier's REST endpoint through a client
// of its own and keeps the latest readings of the chassis's meter feed.
//
// The caller hands it a TText and waits for that TText's replyValueReady:
//   - command id 1 (StatusCommandId): the status request. Four READs, each
//     posted after the last reply was decoded (backup strategies, input
//     priorities, input matrix, output checks), then the meter feed's
//     latest "meters" and "slows" readings. On success deviceStatus() holds
//     the new record.
//   - command id 2 (StandbyCycleCommandId): standby on, StandbyHoldMs after
//     its reply standby off; success comes with the second reply.
// Every accepted TText gets exactly one delivery: auxText() empty on
// success, else the failure text (one of the texts below, or the REST
// client's error text), then replyValueReady (with an empty reply text).
// The protocol owns an accepted TText from then on and deletes it (later)
// once its request is over; a TText of another id is deleted at once and a
// transform that is no TText is left alone.
//
// Requests run side by side and never mix: each status request decodes
// into a record of its own, published only when it succeeds, and a reply
// is only ever a step of the request that posted it. A protocol deleted
// while requests run drops them without a delivery (their TTexts go too).
class PARXProtocol : public PProtocol
{
    Q_OBJECT

public:
    static constexpr int StatusCommandId = 1;
    static constexpr int StandbyCycleCommandId = 2;
    // Between the standby-on reply and the standby-off write.
    static constexpr int StandbyHoldMs = 5000;
    // How long a status request waits for both kinds of readings, and how
    // often it looks.
    static constexpr int MeterWaitMs = 5000;
    static constexpr int MeterCheckMs = 100;

    // Failure texts (auxText) besides the REST client's own.
    static QString errorDecodingJsonText();      // the reply's client id is not ours
    static QString couldNotParseText();          // empty or malformed values list
    static QString clientIdNotRecognizedText();  // a reply for another request
    static QString waitingForMeterDataText();    // no readings, or not both in time

    PARXProtocol();
    ~PARXProtocol() override;

    QString protocolName() const override; // "ARXProtocol"
    // Starts a status request or a standby cycle; true when one started.
    // Reopens the meter feed first when it is not connected.
    bool sendValue(TTransform *pTransform) override;
    // The chassis's transport and the model are not used.
    void setInterface(IInterface *pInterface) override;
    void setModel(MModel *pModel) override;

    void setDeviceAddress(const QString &address) { m_deviceAddress = address; }
    QString deviceAddress() const { return m_deviceAddress; }

    // Keeps the client (borrowed) and takes its frames, errors and
    // disconnection.
    void attachWebSocket(IWebSocketClient *pClient);
    IWebSocketClient *webSocket() const { return m_pWebSocket; }

    // The record of the last status request that succeeded (empty before).
    const ArxDeviceStatus &deviceStatus() const { return m_status; }
    const ArxReadingsCache &readings() const { return m_readings; }
    IRestAPIClient *restClient() const { return m_pRestClient; }
    // Requests accepted and not yet delivered.
    int pendingRequestCount() const { return int(m_requests.size()); }

    // {"clientId": "VRM-" + tag, "payload": {"type": "ACTION", "action":
    //  {"type": action, "values": values}}}
    static QJsonDocument buildRequestDocument(const QJsonArray &values, const QString &action,
                                              const QString &tag);

signals:
    void websocketDisconnect();

public slots:
    void onWebsocketDisconnect();

private:
    struct Request;
    using RequestPtr = std::shared_ptr<Request>;

    void postRequest(const RequestPtr &pRequest, ArxRequestGroup group);
    void onApiReply(RequestPtr pRequest, const QJsonDocument &reply);
    void onApiFailure(RequestPtr pRequest, const QString &errorText);
    void waitForMeterData(const RequestPtr &pRequest);
    void onMeterCheck();
    void finishStatus(RequestPtr pRequest);
    // Ends the request with its one delivery; may re-enter or delete this.
    void deliver(RequestPtr pRequest, const QString &errorText);
    void onReadings(const QString &message);
    void onFeedError(const QString &errorText);

    QString m_deviceAddress;
    // The client belongs to the chassis, which may go before this protocol
    // (the protocol is deleted later).
    QPointer<IWebSocketClient> m_pWebSocket;
    ArxDeviceStatus m_status;
    // Owned; handed to deferred deletion by the destructor.
    IRestAPIClient *m_pRestClient = nullptr;
    ArxReadingsCache m_readings;
    QList<RequestPtr> m_requests;
    // Runs while a status request waits for readings.
    QTimer m_meterCheck;
};
