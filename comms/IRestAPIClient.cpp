#include "comms/IRestAPIClient.h"

#include "comms/IArxAddress.h"
#include "comms/ReplyTags.h"

#include <QDebug>
#include <QJsonObject>
#include <QNetworkProxy>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QPointer>
#include <QTimer>

namespace {
// The same for every amplifier: the user name is the password.
const QString kCredential = QStringLiteral("harmonica");
} // namespace

struct IRestAPIClient::Request
{
    QPointer<QNetworkReply> pReply;
    SuccessHandler onSuccess;
    FailureHandler onFailure;
    QByteArray body;
    QTimer deadline;
    bool ended = false;
};

IRestAPIClient::IRestAPIClient(QObject *parent)
    : QObject(parent)
    , m_manager(this)
{
    // The amplifiers sit on the local network; no proxy stands between.
    m_manager.setProxy(QNetworkProxy::NoProxy);
}

IRestAPIClient::~IRestAPIClient()
{
    // Nothing in flight may call back into a caller that goes with us.
    const QList<std::shared_ptr<Request>> requests = m_requests;
    m_requests.clear();
    for (const std::shared_ptr<Request> &pRequest : requests) {
        pRequest->ended = true;
        pRequest->deadline.stop();
        if (QNetworkReply *pReply = pRequest->pReply) {
            pReply->disconnect(this);
            pReply->abort();
            delete pReply;
        }
    }
}

QString IRestAPIClient::credential()
{
    return kCredential;
}

QByteArray IRestAPIClient::authorizationHeader()
{
    const QByteArray pair = (kCredential + QLatin1Char(':') + kCredential).toLocal8Bit();
    return QByteArrayLiteral("Basic ") + pair.toBase64();
}

int IRestAPIClient::pendingCount() const
{
    return int(m_requests.size());
}

QList<const QTimer *> IRestAPIClient::deadlines() const
{
    QList<const QTimer *> timers;
    for (const std::shared_ptr<Request> &pRequest : m_requests)
        timers.append(&pRequest->deadline);
    return timers;
}

bool IRestAPIClient::postRequest(const QString &ip, const QJsonDocument &body,
                                 SuccessHandler onSuccess, FailureHandler onFailure)
{
    auto pRequest = std::make_shared<Request>();
    pRequest->onSuccess = std::move(onSuccess);
    pRequest->onFailure = std::move(onFailure);
    m_requests.append(pRequest);

    const QUrl url = IArxAddress::restUrl(ip);
    if (!url.isValid()) {
        qWarning().noquote() << "Not an amplifier address: " + ip;
        QTimer::singleShot(0, this, [this, pRequest, ip]() {
            fail(pRequest, ReplyTags::networkError() + QStringLiteral("Not an amplifier address: ") + ip);
        });
        return false;
    }

    QNetworkRequest request(url);
    request.setHeader(QNetworkRequest::ContentTypeHeader, QStringLiteral("application/json"));
    request.setRawHeader(QByteArrayLiteral("Authorization"), authorizationHeader());
    QNetworkReply *pReply = m_manager.post(request, body.toJson(QJsonDocument::Indented));
    pRequest->pReply = pReply;

    connect(pReply, &QNetworkReply::readyRead, this, [this, pRequest]() { onReadyRead(pRequest); });
    connect(pReply, &QNetworkReply::finished, this, [this, pRequest]() { onFinished(pRequest); });
    connect(pReply, &QNetworkReply::errorOccurred, this, [pReply](QNetworkReply::NetworkError) {
        qDebug().noquote() << "Network Reply Error. " + pReply->errorString();
    });

    pRequest->deadline.setSingleShot(true);
    // The timer belongs to the request: a weak link, or the two would keep
    // each other alive.
    const std::weak_ptr<Request> pWeak = pRequest;
    connect(&pRequest->deadline, &QTimer::timeout, this, [this, pWeak]() {
        if (const std::shared_ptr<Request> pLate = pWeak.lock())
            fail(pLate, ReplyTags::networkError()
                            + QStringLiteral("No answer within %1 ms").arg(m_transferTimeoutMs));
    });
    pRequest->deadline.start(m_transferTimeoutMs);
    return true;
}

void IRestAPIClient::onReadyRead(const std::shared_ptr<Request> &pRequest)
{
    QNetworkReply *pReply = pRequest->pReply;
    if (pRequest->ended || !pReply)
        return;
    pRequest->body.append(pReply->readAll());
    if (pRequest->body.size() > MaxReplyBytes) {
        pRequest->body.clear();
        fail(pRequest, ReplyTags::networkError()
                           + QStringLiteral("Reply larger than %1 bytes").arg(MaxReplyBytes));
    }
}

void IRestAPIClient::onFinished(const std::shared_ptr<Request> &pRequest)
{
    QNetworkReply *pReply = pRequest->pReply;
    if (pRequest->ended || !pReply) {
        retire(pRequest);
        return;
    }
    if (pReply->error() != QNetworkReply::NoError) {
        qWarning().noquote() << ReplyTags::networkError() + QStringLiteral("API Error Response: ")
                                    + pReply->errorString();
        fail(pRequest, ReplyTags::networkError() + pReply->errorString());
        return;
    }
    onReadyRead(pRequest);
    if (pRequest->ended)
        return;
    const QJsonDocument document = QJsonDocument::fromJson(pRequest->body);
    if (document.isNull() || !document.isObject()) {
        qWarning().noquote() << "Invalid JSON Response from ARX API: "
                                    + QString::fromUtf8(pRequest->body.left(1024));
        fail(pRequest, ReplyTags::jsonParsingError());
        return;
    }
    succeed(pRequest, document);
}

void IRestAPIClient::fail(const std::shared_ptr<Request> &pRequest, const QString &text)
{
    if (pRequest->ended)
        return;
    pRequest->ended = true;
    retire(pRequest);
    const QPointer<IRestAPIClient> self(this);
    if (pRequest->onFailure)
        pRequest->onFailure(text);
    if (self)
        emit apiCallFailed(text);
}

void IRestAPIClient::succeed(const std::shared_ptr<Request> &pRequest, const QJsonDocument &document)
{
    if (pRequest->ended)
        return;
    pRequest->ended = true;
    retire(pRequest);
    const QPointer<IRestAPIClient> self(this);
    if (pRequest->onSuccess)
        pRequest->onSuccess(document);
    if (self)
        emit apiCallSuccess(document);
}

void IRestAPIClient::retire(const std::shared_ptr<Request> &pRequest)
{
    pRequest->deadline.stop();
    m_requests.removeOne(pRequest);
    if (QNetworkReply *pReply = pRequest->pReply) {
        pRequest->pReply = nullptr;
        pReply->disconnect(this);
        // Aborting an unfinished reply ends its transfer (a time-out or a
        // body too large); its signals no longer reach us.
        if (pReply->isRunning())
            pReply->abort();
        pReply->deleteLater();
    }
}
