#pragma once

#include <QByteArray>
#include <QJsonDocument>
#include <QNetworkAccessManager>
#include <QObject>
#include <QString>
#include <QUrl>

#include <functional>
#include <memory>

class QNetworkReply;
class QTimer;

// Posts one JSON document to an ARX amplifier's REST endpoint and hands the
// JSON reply, or a failure text, back through the callbacks and signals.
//
// Every request ends exactly once: in onSuccess and apiCallSuccess with an
// object document, or in onFailure and apiCallFailed with one text. A
// network or HTTP error, a request that takes longer than the transfer
// time-out and a reply body beyond MaxReplyBytes fail with the translated
// network-error text in front; a body that is no JSON object fails with the
// JSON parsing text. Callbacks never run after the client is gone.
class IRestAPIClient : public QObject
{
    Q_OBJECT

public:
    using SuccessHandler = std::function<void(const QJsonDocument &jsonResponse)>;
    using FailureHandler = std::function<void(const QString &errorString)>;

    static constexpr int DefaultTransferTimeoutMs = 5000;
    static constexpr qint64 MaxReplyBytes = 1024 * 1024;

    explicit IRestAPIClient(QObject *parent = nullptr);
    ~IRestAPIClient() override;

    // POSTs the document, indented, to "/am" of the address. Returns false
    // when nothing could be posted (an address that names no host); the
    // failure is then reported on the next turn of the event loop. Either
    // callback may be empty.
    bool postRequest(const QString &ip, const QJsonDocument &body, SuccessHandler onSuccess,
                     FailureHandler onFailure);

    // The whole time a request may take, from the post to the last byte.
    void setTransferTimeout(int ms) { m_transferTimeoutMs = ms > 0 ? ms : DefaultTransferTimeoutMs; }
    int transferTimeout() const { return m_transferTimeoutMs; }
    // Requests posted and not yet ended.
    int pendingCount() const;
    // Test seam: the deadline of each request posted and not yet ended.
    QList<const QTimer *> deadlines() const;

    // The user name and password of every amplifier.
    static QString credential();
    // The "Authorization" header value: "Basic " and the Base64 of
    // "user:password".
    static QByteArray authorizationHeader();

signals:
    void apiCallSuccess(QJsonDocument jsonResponse);
    void apiCallFailed(QString errorString);

private:
    struct Request;

    void onReadyRead(const std::shared_ptr<Request> &pRequest);
    void onFinished(const std::shared_ptr<Request> &pRequest);
    void fail(const std::shared_ptr<Request> &pRequest, const QString &text);
    void succeed(const std::shared_ptr<Request> &pRequest, const QJsonDocument &document);
    // Forgets the request and hands its reply to deferred deletion.
    void retire(const std::shared_ptr<Request> &pRequest);

    QNetworkAccessManager m_manager;
    int m_transferTimeoutMs = DefaultTransferTimeoutMs;
    QList<std::shared_ptr<Request>> m_requests;
};
