#include "amplifiers/ArxRestApiRepository.h"

ArxRestApiRepository::ArxRestApiRepository(QObject *parent)
    : QObject(parent)
{
    startPolling(PollIntervalMs);
}

ArxRestApiRepository::~ArxRestApiRepository() = default;

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
}

void ArxRestApiRepository::readOutputChannels()
{
}

void ArxRestApiRepository::readInputMatrix()
{
}

void ArxRestApiRepository::onPollLoopTimeout()
{
    ++m_pollCount;
    readOutputChannels();
    readInputMatrix();
}
