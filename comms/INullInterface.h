#pragma once

#include "comms/IInterface.h"

// The transport of a device that its chassis cannot reach this way: an ARX
// amplifier whose VDS side has no proxy to go to. Like the base class it
// never connects and swallows what it is given, and so its protocol stays
// off line; the connection indicator does not wait for it either, but
// counts the device by its own link (deviceLink), whose state the chassis
// reports with setDeviceConnected.
class INullInterface : public IInterface
{
    Q_OBJECT

public:
    explicit INullInterface(QObject *parent = nullptr);
    ~INullInterface() override;

    bool hasConnectionState() const override { return false; }
    IInterface *deviceLink() override { return &m_deviceLink; }
    // The transport itself has nothing to report; its device's link does.
    void notifyState() override;

    void setDeviceConnected(bool connected) { m_deviceLink.setConnected(connected); }

private:
    // The device's own connection, as the indicator counts it.
    class DeviceLink : public IInterface
    {
    public:
        using IInterface::setConnected;
        QString typeName() const override { return QStringLiteral("Device Link"); }
    };

    DeviceLink m_deviceLink;
};
