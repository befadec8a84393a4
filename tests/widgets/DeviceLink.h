#pragma once

#include "FakeProtocolHost.h"
#include "SimulatedVdsDevice.h"
#include "comms/ITcpClient.h"
#include "comms/PVDSProtocol.h"
#include "comms/TTransform.h"

#include <QHostAddress>
#include <QSignalSpy>
#include <QTest>

// The simulated VDS device on 127.0.0.1 (a free port) with a VDS protocol
// connected to it, in poll mode (each set waits for the device's
// acknowledge) unless subscriptions are accepted.
struct DeviceLink
{
    static constexpr int Patience = 5000;

    explicit DeviceLink(bool subscribe = false)
    {
        device.setValueStoreEnabled(true);
        device.setSubscriptionAccepted(subscribe);
        client.setAddress(QHostAddress::LocalHost);
        client.setPort(device.port());
        protocol.setInterface(&client);
        client.setOwner(&protocol);
        protocol.setHost(&host);
    }

    ~DeviceLink() { client.close(); }

    // Connects and waits until the subscription state is known.
    bool open()
    {
        return client.open() && QTest::qWaitFor([this]() { return client.isConnected(); }, Patience)
            && QTest::qWaitFor([this]() { return client.hasSubscriptionState(); }, Patience);
    }

    // Asks for the transform's value and waits for the device's answer. (A
    // get of the same value asked before may be the one answered: this is
    // no barrier for what was sent meanwhile; barrier() is.)
    bool poll(TTransform *pTransform)
    {
        QSignalSpy answered(pTransform, &TTransform::replyValueReady);
        return protocol.requestValue(pTransform) && answered.wait(Patience);
    }

    // Sends a get of a value no control shows straight through the client
    // and waits until it arrived: what was queued before has arrived too.
    bool barrier()
    {
        static const QByteArray key = "GA\"Barrier\">1";
        device.setValue(key, "0");
        const int before = device.commandCount(key);
        const QByteArray bytes = key + '\r';
        client.send(bytes.constData(), int(bytes.size()), IInterface::SendNoReply, "", 200);
        return QTest::qWaitFor([&]() { return device.commandCount(key) > before; }, Patience);
    }

    // The device's set commands, without their carriage return.
    QList<QByteArray> sets() const
    {
        QList<QByteArray> found;
        const QList<QByteArray> texts = device.commandTexts();
        for (const QByteArray &text : texts) {
            if (text.startsWith("SA"))
                found.append(text);
        }
        return found;
    }

    SimulatedVdsDevice device;
    ITcpClient client;
    PVDSProtocol protocol;
    FakeProtocolHost host;
};
