#include "FakeHostProbe.h"

FakeHostProbe::FakeHostProbe(HostState answer, QObject *parent)
    : IHostProbe(parent)
    , m_answer(answer)
{
}

void FakeHostProbe::start(const QString &address)
{
    if (m_running)
        return;
    m_running = true;
    m_addresses.append(address);
    QMetaObject::invokeMethod(
        this,
        [this]() {
            m_running = false;
            emit finished(m_answer);
        },
        Qt::QueuedConnection);
}
