#pragma once

#include "comms/IHostProbe.h"

#include <QStringList>

// A host probe that runs nothing: each check ends, on the next turn of the
// event loop, with the state it was told to give. It records the addresses
// it was asked about.
class FakeHostProbe : public IHostProbe
{
    Q_OBJECT

public:
    explicit FakeHostProbe(HostState answer = Reachable, QObject *parent = nullptr);

    void start(const QString &address) override;
    bool isRunning() const override { return m_running; }

    void setAnswer(HostState answer) { m_answer = answer; }
    QStringList addresses() const { return m_addresses; }
    int checkCount() const { return int(m_addresses.size()); }

private:
    HostState m_answer;
    bool m_running = false;
    QStringList m_addresses;
};
