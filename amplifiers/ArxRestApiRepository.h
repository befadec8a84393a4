#pragma once

#include <QObject>
#include <QString>
#include <QTimer>

// The REST access of one ARX amplifier: it reads the output channels and the
// input matrix every 5000 ms once polling runs. Every chassis holds one;
// only an ARX chassis gives it an address and starts and stops it.
//
// So far it keeps the address and runs the poll timer; the requests
// themselves come with the amplifier access, so polling sends nothing yet.
class ArxRestApiRepository : public QObject
{
    Q_OBJECT

public:
    static constexpr int PollIntervalMs = 5000;

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

    void readOutputChannels();
    void readInputMatrix();

    // How many poll rounds ran (at once or on the timer).
    int pollCount() const { return m_pollCount; }

public slots:
    void onPollLoopTimeout();

private:
    QString m_arxIp;
    QTimer *m_pPollTimer = nullptr;
    int m_pollCount = 0;
};
