#pragma once

#include "comms/PProtocol.h"

#include <QList>
#include <QMap>
#include <QSharedPointer>
#include <QString>
#include <QStringList>

#include <functional>

class RoutingInfo;
class TText;

// The protocol of the loudspeaker array. Each request is a TText carrying
// a command id; the id picks a short text command from a fixed table, which
// goes to the array over its UDP transport together with the reply prefix
// it expects. Every reply line, or failure, is routed back to the TText
// that asked: its second text gets the failure tag (empty on success), its
// reply the line, and replyValueReady announces it.
//
// A request that sendValue() or sendBatch() accepts is answered exactly
// once; one they refuse (false) never is. Requests are kept per message in
// sending order: a reply line can only answer a request of the message in
// flight (the oldest one still waiting), and of two requests with the same
// prefix the older one first. The lines of a batch's answer may come in any
// order: each goes to the request it answers, found by the table search,
// and a request the answer gives no line of its own ends with
// IDS_UNKNOWN_RECEIVED once the whole answer has been read.
//
// The protocol does not own the TTexts; one that goes before its answer is
// simply skipped. It keeps no values, polls nothing and never pauses the
// model's polling.
class PVentraProtocol : public PProtocol
{
    Q_OBJECT

public:
    using VentraCommandId = int;

    static constexpr VentraCommandId FirstCommandId = 1;
    static constexpr VentraCommandId LastCommandId = 65;
    static constexpr int ReplyTimeoutMs = 200;

    explicit PVentraProtocol(QObject *parent = nullptr);
    ~PVentraProtocol() override;

    // One request for a TText. False, with nothing sent or kept, for a
    // transform that is not a TText, an id outside the table, an outgoing
    // text that would break the command, no transport, or a transport that
    // cannot be opened.
    bool sendValue(TTransform *pTransform) override;
    // The requests of several TTexts in one datagram, in list order. Other
    // transforms, ids outside the table and repeats of one TText are left
    // out; false when nothing is left or the transport is missing.
    bool sendBatch(const QList<TTransform *> &transforms) override;
    // One reply line from the transport with the expected text, a failure
    // tag in front of it when the request failed.
    bool onDataReceived(const QByteArray &data, const QString &expected) override;
    QString protocolName() const override { return QStringLiteral("Ventra"); }
    // Kept only; the array's requests never touch the model.
    void setModel(MModel *pModel) override;

    // The table's request of an id with its carriage return; ids 33 and 65
    // with an empty text. Empty for an id not in the table.
    QString requestText(VentraCommandId id) const;
    // What the reply to the id's table request begins with.
    QString replyPrefix(VentraCommandId id) const;
    // The reply prefix of the lowest id with which the line begins; empty
    // when none.
    QString tableSearch(const QString &line) const;
    static bool isCommandId(VentraCommandId id)
    {
        return id >= FirstCommandId && id <= LastCommandId;
    }

    // Requests sent and not yet answered.
    int pendingCount() const;

public slots:
    // On line opens the transport; off line closes it and answers every
    // request still waiting with the network error.
    bool onOnlineStateChanged(bool online) override;

private:
    using Pending = QSharedPointer<RoutingInfo>;

    void buildCommandTable();
    // The request of the id with the given outgoing text, with its CR.
    QString buildRequest(VentraCommandId id, const QString &text) const;
    static QString prefixOf(VentraCommandId id, const QString &request);
    bool openTransport();
    bool sendRequest(const QString &prefix, TText *pText, const QString &request, int timeoutMs);
    // Starts the record of a new message; registerRequest() adds to it.
    void beginMessage();
    void registerRequest(const QString &prefix, TText *pText);
    // Takes the oldest waiting request of the message in flight with this
    // prefix out of the records; null when there is none.
    Pending getRoutingInfoForReply(const QString &prefix);
    bool isWaiting(const QString &prefix);
    bool routeReplyLine(const QString &line, const QString &prefix, const QString &tag);
    // Routes to the first of the prefixes that has a request waiting.
    bool routeToFirstWaiting(const QString &line, const QStringList &prefixes, const QString &tag);
    // After the answer being read, ends with IDS_UNKNOWN_RECEIVED every
    // request of the message in flight that it left waiting.
    void endUnansweredOnceRead();
    // Takes the request out of the records; false when it is not there.
    bool takePending(const Pending &pInfo);
    void answerAllPending(const QString &tag);
    static void answer(const Pending &pInfo, const QString &line, const QString &tag);

    QMap<VentraCommandId, std::function<QString(const QString &)>> m_commandTable;
    // The table's reply prefixes in id order: the order of the search.
    QStringList m_tablePrefixes;
    // One list per message sent, oldest first; each holds its requests
    // still waiting, in sending order.
    QList<QList<Pending>> m_messages;
    bool m_isEndScheduled = false;
};
