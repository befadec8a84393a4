#pragma once

#include "amplifiers/ArxRestModel.h"

#include <QAbstractSocket>
#include <QJsonDocument>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QObject>
#include <QString>
#include <QTimer>

// The REST access of one ARX amplifier: once polling runs it reads the
// output channels and then the input matrix every 5000 ms, keeps what the
// replies say in one ArxRestModel and announces the whole model after every
// reply it took in (arxRestPostSuccess). Every chassis holds one; only an
// ARX chassis gives it an address and starts and stops it.
//
// A poll round is skipped while replies of the last one are outstanding,
// so an amplifier that does not answer never has more than one round
// queued; every post ends within the transfer time-out.
class ArxRestApiRepository : public QObject
{
    Q_OBJECT

public:
    static constexpr int PollIntervalMs = 5000;
    static constexpr int DefaultTransferTimeoutMs = 5000;
    // A reply body beyond this is no amplifier's answer; it is cut off.
    static constexpr qint64 MaxReplyBytes = 1024 * 1024;

    // Sets polling up with its timer, not started.
    explicit ArxRestApiRepository(QObject *parent = nullptr);
    ~ArxRestApiRepository() override;

    // Only the first call acts: makes the repeating poll timer, not started.
    void startPolling(int intervalMs);
    // When polling was set up: reads at once and (re)starts the timer.
    void pollNow();
    void stopPolling();
    bool isPolling() const { return m_pPollTimer && m_pPollTimer->isActive(); }
    // Null until polling was set up.
    QTimer *pollTimer() const { return m_pPollTimer; }

    void setArxIp(const QString &address) { m_arxIp = address; }
    QString arxIp() const { return m_arxIp; }

    // READ of the output channels' folder and of the input matrix's.
    void readOutputChannels();
    void readInputMatrix();

    const ArxRestModel &model() const { return m_model; }
    // Poll rounds begun (at once or on the timer), skipped ones not counted.
    int pollCount() const { return m_pollCount; }
    // Posts whose replies have not come yet.
    int outstandingCount() const { return m_outstanding; }
    // Whether the amplifier answered the last post whose reply came: set by
    // a reply with an HTTP status, cleared by one without (refused, broken
    // off, timed out) and when polling stops. Announced by answeringChanged.
    bool isAnswering() const { return m_answering; }
    void setTransferTimeout(int ms) { m_transferTimeoutMs = ms > 0 ? ms : DefaultTransferTimeoutMs; }

    // The client id of every request of the repository.
    static QString clientId(); // "x8-panel"
    static QString outputChannelsPath();
    static QString inputMatrixPath();

signals:
    void arxRestPostSuccess(ArxRestModel dataModel);
    // Declared for listeners of the socket's errors; nothing emits it.
    void arxRestPostError(QString errorText, QAbstractSocket::SocketError error);
    void arxRestReplyError(QString errorText, QNetworkReply::NetworkError error);
    void answeringChanged(bool answering);

public slots:
    void onNetworkReplyFinished(QNetworkReply *pReply);
    void onPollLoopTimeout();

private:
    void post(const QJsonDocument &document);
    void setAnswering(bool answering);

    ArxRestModel m_model;
    QString m_arxIp;
    QNetworkAccessManager *m_pManager = nullptr;
    QTimer *m_pPollTimer = nullptr;
    int m_pollCount = 0;
    int m_outstanding = 0;
    int m_transferTimeoutMs = DefaultTransferTimeoutMs;
    bool m_answering = false;
};
