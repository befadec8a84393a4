#include "amplifiers/ArxRestApiRepository.h"

#include "amplifiers/ArxRequestConstants.h"
#include "amplifiers/ArxRequestDocument.h"
#include "amplifiers/ArxRestReplyDecoder.h"
#include "comms/IArxAddress.h"
#include "comms/IRestAPIClient.h"

#include <QDebug>
#include <QNetworkProxy>
#include <QNetworkRequest>

namespace {

// Marks our replies, so that the manager's other replies (none today)
// never count as outstanding.
const char *const kOwnReply = "vrArxRestReply";

} // namespace

ArxRestApiRepository::ArxRestApiRepository(QObject *parent)
    : QObject(parent)
    , m_pManager(new QNetworkAccessManager(this))
{
    // The amplifiers sit on the local network; no proxy stands between.
    m_pManager->setProxy(QNetworkProxy::NoProxy);
    connect(m_pManager, &QNetworkAccessManager::finished, this,
            &ArxRestApiRepository::onNetworkReplyFinished);
    startPolling(PollIntervalMs);
}

ArxRestApiRepository::~ArxRestApiRepository()
{
    // Replies still running must not reach a half-destroyed repository.
    m_pManager->disconnect(this);
}

QString ArxRestApiRepository::clientId()
{
    return QStringLiteral("x8-panel");
}

QString ArxRestApiRepository::outputChannelsPath()
{
    return ArxRequestConstants::livePrefix() + QStringLiteral("OutputProcess/Channels/");
}

QString ArxRestApiRepository::inputMatrixPath()
{
    return ArxRequestConstants::livePrefix() + QStringLiteral("InputMatrix");
}

void ArxRestApiRepository::startPolling(int intervalMs)
{
    if (m_pPollTimer)
        return;
    m_pPollTimer = new QTimer(this);
    m_pPollTimer->setInterval(intervalMs);
    m_pPollTimer->setSingleShot(false);
    connect(m_pPollTimer, &QTimer::timeout, this, &ArxRestApiRepository::onPollLoopTimeout);
}

void ArxRestApiRepository::pollNow()
{
    if (!m_pPollTimer)
        return;
    onPollLoopTimeout();
    m_pPollTimer->start();
}

void ArxRestApiRepository::stopPolling()
{
    if (m_pPollTimer && m_pPollTimer->isActive())
        m_pPollTimer->stop();
    setAnswering(false);
}

void ArxRestApiRepository::setAnswering(bool answering)
{
    if (m_answering == answering)
        return;
    m_answering = answering;
    emit answeringChanged(answering);
}

void ArxRestApiRepository::onPollLoopTimeout()
{
    if (m_outstanding > 0) {
        qDebug() << "ARX REST poll skipped: the last poll's replies are outstanding.";
        return;
    }
    ++m_pollCount;
    readOutputChannels();
    readInputMatrix();
}

void ArxRestApiRepository::readOutputChannels()
{
    post(ArxRequestDocument::build(QJsonArray{ArxRequestDocument::readItem(outputChannelsPath())},
                                   ArxRequestDocument::readAction(), clientId()));
}

void ArxRestApiRepository::readInputMatrix()
{
    post(ArxRequestDocument::build(QJsonArray{ArxRequestDocument::readItem(inputMatrixPath())},
                                   ArxRequestDocument::readAction(), clientId()));
}

void ArxRestApiRepository::post(const QJsonDocument &document)
{
    if (m_arxIp.isEmpty()) {
        qWarning() << "Trying to POST while ARX IP is not set.";
        return;
    }
    const QUrl url = IArxAddress::restUrl(m_arxIp);
    if (!url.isValid()) {
        qWarning().noquote() << "Not an amplifier address: " + m_arxIp;
        return;
    }
    QNetworkRequest request(url);
    request.setHeader(QNetworkRequest::ContentTypeHeader, QStringLiteral("application/json"));
    request.setRawHeader(QByteArrayLiteral("Authorization"), IRestAPIClient::authorizationHeader());
    request.setTransferTimeout(m_transferTimeoutMs);
    QNetworkReply *pReply = m_pManager->post(request, document.toJson(QJsonDocument::Indented));
    pReply->setProperty(kOwnReply, true);
    ++m_outstanding;
    connect(pReply, &QNetworkReply::readyRead, this, [pReply]() {
        if (pReply->bytesAvailable() > MaxReplyBytes) {
            qWarning().noquote() << QStringLiteral("ARX REST reply larger than %1 bytes").arg(MaxReplyBytes);
            pReply->abort();
        }
    });
}

void ArxRestApiRepository::onNetworkReplyFinished(QNetworkReply *pReply)
{
    if (!pReply)
        return;
    if (pReply->property(kOwnReply).toBool()) {
        pReply->setProperty(kOwnReply, false);
        if (m_outstanding > 0)
            --m_outstanding;
        // Any status line is the amplifier's answer, a refusal included; a
        // reply without one was refused, broken off or timed out.
        setAnswering(pReply->attribute(QNetworkRequest::HttpStatusCodeAttribute).isValid());
    }
    if (pReply->error() != QNetworkReply::NoError) {
        pReply->readAll();
        qWarning().noquote() << "REST API Error Response: " + pReply->errorString();
        pReply->deleteLater();
        emit arxRestReplyError(pReply->errorString(), pReply->error());
        return;
    }
    const QByteArray body = pReply->readAll();
    pReply->deleteLater();
    if (ArxRestReplyDecoder::apply(body, &m_model))
        emit arxRestPostSuccess(m_model);
}
