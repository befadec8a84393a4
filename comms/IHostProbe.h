#pragma once

#include <QObject>
#include <QString>

// Asks whether a host answers on the network, without blocking: start()
// returns at once and finished() reports the outcome later. The TCP client
// uses it when a connection has been silent for a long time.
class IHostProbe : public QObject
{
    Q_OBJECT

public:
    enum HostState {
        Reachable,
        Unreachable,
        // The check could not be made (no tool, no address, no answer in time).
        Unknown,
    };
    Q_ENUM(HostState)

    explicit IHostProbe(QObject *parent = nullptr);
    ~IHostProbe() override;

    // Starts one check of the address unless one is running. Every start
    // ends in exactly one finished().
    virtual void start(const QString &address) = 0;
    virtual bool isRunning() const = 0;

signals:
    void finished(IHostProbe::HostState state);
};
