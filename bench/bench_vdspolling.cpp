// Figures for VDS polling: a panel of 200 bound transforms polled round
// after round through a connected ITcpClient and PVDSProtocol against a
// small VDS responder on 127.0.0.1. Prints the replies routed per second
// and the time from a reply's bytes arriving at the client's read to the
// transform's replyValueReady, mean and 99th percentile. It asserts
// nothing.

#include "app/MModel.h"
#include "comms/ITcpClient.h"
#include "comms/ITcpClientThread.h"
#include "comms/PVDSProtocol.h"
#include "comms/TTransform.h"
#include "controls/CAttributes.h"
#include "controls/TTransformFactory.h"
#include "devices/HNode.h"

#include "BenchMessages.h"
#include "BenchTiming.h"
#include "LineResponder.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QHash>
#include <QHostAddress>
#include <QList>
#include <QTcpServer>
#include <QTcpSocket>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>
#include <vector>

namespace {

constexpr int PanelSize = 200;
constexpr int Rounds = 5;

// The device end: answers each carriage-return terminated get from its
// value store at once, refuses the connection subscription (poll mode) and
// acknowledges everything else.
class VdsResponder : public LineResponder
{
public:
    VdsResponder() = default;

    void setValue(const QByteArray &getKey, const QByteArray &value) { m_values[getKey] = value; }

protected:
    QByteArray answer(const QByteArray &command) override
    {
        if (command == "SUB")
            return "SUB,no\r";
        const auto it = m_values.constFind(command);
        if (it == m_values.cend())
            return command.startsWith('G') ? "\x15" : "\x06";
        const char separator = command.startsWith("GA") ? '=' : ',';
        return command + separator + it.value() + '\r';
    }

private:
    QHash<QByteArray, QByteArray> m_values;
};

// One bound control of the panel.
struct Control
{
    HNode node;
    CAttributes attributes;
    std::unique_ptr<TTransform> transform;
};

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    hideAllMessages();
    VdsResponder device;

    // Faders, gains and switches across 50 modules: 150 named-index gets
    // ("GA\"Gain<n>\">i") and 50 gain-code gets ("GG <hex>").
    static const char *const kTransforms[] = {"strV", "grpV", "bin8"};
    std::vector<std::unique_ptr<Control>> panel;
    for (int i = 0; i < PanelSize; ++i) {
        auto pControl = std::make_unique<Control>();
        const int module = i / 4;
        const int slot = i % 4;
        pControl->node.setLabel(QStringLiteral("Gain%1").arg(module));
        if (slot < 3) {
            pControl->attributes.setAddressStruct(CAttributes::StructNamedIndex);
            pControl->attributes.setIndex1(slot + 1);
            device.setValue("GA\"Gain" + QByteArray::number(module) + "\">"
                                + QByteArray::number(slot + 1),
                            QByteArray::number(-(i % 60) * 0.5, 'f', 1));
        } else {
            pControl->attributes.setAddressStruct(CAttributes::StructGain);
            pControl->attributes.setIndex1(module);
            device.setValue("GG " + QByteArray::number(module, 16), "78");
        }
        pControl->transform.reset(
            TTransformFactory::createTransform(QLatin1String(kTransforms[i % 3])));
        pControl->transform->setOwner(&pControl->attributes);
        pControl->transform->setOwnerNode(&pControl->node);
        pControl->transform->configure();
        panel.push_back(std::move(pControl));
    }

    ITcpClient client;
    client.setAddress(QHostAddress(QHostAddress::LocalHost));
    client.setPort(device.port());
    PVDSProtocol protocol;
    protocol.setInterface(&client);
    client.setOwner(&protocol);
    MModel model;
    protocol.setModel(&model);
    if (!client.open() || !waitFor([&]() { return client.isConnected(); }, 5000)) {
        std::printf("could not connect to the local device\n");
        return 1;
    }
    // Poll mode: the connection subscription is asked for and refused.
    waitFor([&]() { return client.hasSubscriptionState(); }, 5000);

    // The moment the latest reply bytes were read: stamped on the socket's
    // readyRead ahead of the client's own read.
    QElapsedTimer clock;
    clock.start();
    qint64 readAtNs = -1;
    QTcpSocket *pSocket = client.socket();
    QObject::disconnect(pSocket, &QTcpSocket::readyRead, &client, &ITcpClient::dataReady);
    QObject::connect(pSocket, &QTcpSocket::readyRead, &client,
                     [&]() { readAtNs = clock.nsecsElapsed(); });
    QObject::connect(pSocket, &QTcpSocket::readyRead, &client, &ITcpClient::dataReady);

    QList<qint64> latenciesNs;
    latenciesNs.reserve(PanelSize * Rounds);
    int ready = 0;
    for (const auto &pControl : panel) {
        QObject::connect(pControl->transform.get(), &TTransform::replyValueReady,
                         pControl->transform.get(), [&]() {
                             ++ready;
                             if (readAtNs >= 0)
                                 latenciesNs.append(clock.nsecsElapsed() - readAtNs);
                         });
    }

    std::printf("%d bound transforms, %d polling rounds, 127.0.0.1, poll mode\n", PanelSize,
                Rounds);
    std::printf("dispatcher tick %d ms\n\n", ITcpClientThread::DispatchIntervalMs);

    const qint64 start = clock.nsecsElapsed();
    int requested = 0;
    for (int round = 0; round < Rounds; ++round) {
        // One polling period: every control asks, as the model's timer
        // makes them, and the round ends when every reply is in.
        for (const auto &pControl : panel) {
            if (protocol.requestValue(pControl->transform.get()))
                ++requested;
        }
        if (!waitFor([&]() { return ready >= requested; }, 60000)) {
            std::printf("round %d: only %d of %d replies arrived\n", round, ready, requested);
            break;
        }
    }
    const double seconds = double(clock.nsecsElapsed() - start) / 1e9;

    std::sort(latenciesNs.begin(), latenciesNs.end());
    double sumNs = 0;
    for (qint64 ns : std::as_const(latenciesNs))
        sumNs += double(ns);
    const qsizetype n = latenciesNs.size();
    const double meanUs = n ? sumNs / double(n) / 1e3 : 0.0;
    const double p99Us = n ? double(latenciesNs.at(std::min(n - 1, qsizetype(double(n) * 0.99))))
            / 1e3
                           : 0.0;
    std::printf("requests sent          %8d\n", requested);
    std::printf("replies routed         %8d in %.2f s = %.1f replies/s\n", ready, seconds,
                seconds > 0 ? ready / seconds : 0.0);
    std::printf("read -> replyValueReady  mean %8.1f us   p99 %8.1f us   (n = %lld)\n", meanUs,
                p99Us, static_cast<long long>(n));
    std::printf("failed attempts        %8d\n", client.failureCount());
    client.close();
    return 0;
}
