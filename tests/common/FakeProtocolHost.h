#pragma once

#include "comms/PProtocolHost.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

// A protocol host for tests: it records what the protocols ask of the
// application. The receive wait runs the test's step, if any, in place of
// a box.
class FakeProtocolHost : public PProtocolHost
{
public:
    void setPollingActive(bool active) override { pollingCalls.append(active); }
    void runReceiveDialog(PFileProtocol *pProtocol, IInterface *pServer) override;
    void showReceiveFailure(const QString &text) override { failures.append(text); }

    QList<bool> pollingCalls;
    QStringList failures;
    int receiveWaits = 0;
    std::function<void(PFileProtocol *, IInterface *)> onReceiveWait;
};
