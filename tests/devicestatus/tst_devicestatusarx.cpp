#include "VrTest.h"

#include "ClosedPort.h"
#include "SimulatedArxAmplifier.h"
#include "amplifiers/PARXProtocol.h"
#include "comms/IArxAddress.h"
#include "comms/IRestAPIClient.h"
#include "comms/IWebSocketClient.h"
#include "comms/TText.h"
#include "devicestatus/DeviceStatusInterfaceFeatureDisplayObject.h"
#include "devicestatus/DeviceStatusInterfaceObject.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPointer>
#include <QSignalSpy>

#include <memory>

namespace {

constexpr int Patience = 15000;
const QString kHost = QStringLiteral("127.0.0.1");
const QString kStandbyPath = QStringLiteral("/Device/Audio/Presets/Live/Generals/Standby/Value");

using Device = DeviceStatusInterfaceObject;
using Row = DeviceStatusInterfaceFeatureDisplayObject;

// One amplifier as the model builds it: its meter feed, its ARX protocol
// and the status device object on that protocol.
struct Amplifier
{
    std::unique_ptr<IWebSocketClient> pClient = std::make_unique<IWebSocketClient>();
    QPointer<PARXProtocol> pProtocol = new PARXProtocol;
    std::unique_ptr<Device> pDevice = std::make_unique<Device>();

    explicit Amplifier(const QString &name)
    {
        pClient->connectToHost(kHost);
        pProtocol->attachWebSocket(pClient.get());
        pProtocol->setDeviceAddress(kHost);
        pDevice->setDeviceType(QStringLiteral("ARX"));
        pDevice->setProtocol(pProtocol);
        pDevice->setName(name);
        pDevice->setAddress(kHost);
    }

    ~Amplifier()
    {
        pDevice.reset();
        delete pProtocol.data();
        pClient.reset();
    }
};

QStringList rowNames(const Device &device)
{
    QStringList names;
    for (const Row *pRow : device.rows())
        names << pRow->displayName();
    return names;
}

QJsonArray valuesOf(const SimulatedArxAmplifier::Post &post)
{
    return QJsonDocument::fromJson(post.body)
        .object()
        .value(QStringLiteral("payload"))
        .toObject()
        .value(QStringLiteral("action"))
        .toObject()
        .value(QStringLiteral("values"))
        .toArray();
}

} // namespace

// The amplifiers' status devices against the simulated amplifier on
// 127.0.0.1: status, unreachable amplifiers, the standby cycle as reboot,
// and a device deleted with its request under way.
class TestDeviceStatusArx : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void twoHealthyAmplifiersAreConnected();
    void standbyAmplifier();
    void closedPortIsUnreachable();
    void failedStatusChain_data();
    void failedStatusChain();
    void rebootRunsTheStandbyCycle();
    void refusedRebootFails();
    void requestsBelongToTheProtocol();
    void deletedWithRequestInFlight();

private:
    void feed();

    std::unique_ptr<SimulatedArxAmplifier> m_pAmplifier;
};

void TestDeviceStatusArx::init()
{
    m_pAmplifier = std::make_unique<SimulatedArxAmplifier>();
    m_pAmplifier->setMains(0);
    IArxAddress::setPort(m_pAmplifier->port());
}

void TestDeviceStatusArx::cleanup()
{
    m_pAmplifier.reset();
    IArxAddress::setPort(closedLocalPort());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

void TestDeviceStatusArx::feed()
{
    m_pAmplifier->setInputCount(4);
    m_pAmplifier->setOutputCount(4);
    for (int c = 0; c < 4; ++c) {
        m_pAmplifier->setInputReading(c, SimulatedArxAmplifier::InputReading{0.5, 0.5, 0.0, 0.0});
        m_pAmplifier->setOutputRms(c, 1.0);
    }
    m_pAmplifier->startFeed(20);
}

void TestDeviceStatusArx::twoHealthyAmplifiersAreConnected()
{
    feed();
    Amplifier first(QStringLiteral("Stage Left"));
    Amplifier second(QStringLiteral("Stage Right"));
    QTRY_VERIFY_WITH_TIMEOUT(first.pProtocol->readings().complete() && second.pProtocol->readings().complete(),
                             Patience);
    first.pDevice->requestStatus();
    second.pDevice->requestStatus();
    QSignalSpy firstReported(first.pDevice.get(), &Device::interfaceObjectDataReady);
    QSignalSpy secondReported(second.pDevice.get(), &Device::interfaceObjectDataReady);
    QTRY_VERIFY_WITH_TIMEOUT(firstReported.size() == 1 && secondReported.size() == 1, Patience);
    for (Amplifier *pAmplifier : {&first, &second}) {
        const Device &device = *pAmplifier->pDevice;
        QCOMPARE(device.networkState(), 7);
        QCOMPARE(device.networkStateName(), QStringLiteral("Connected"));
        const QStringList names = rowNames(device);
        QCOMPARE(names.mid(0, 6),
                 (QStringList{"Standby Status", "Auto Standby (NRG SAVE)", "Amp Temp. CH 1 and CH 2",
                              "Amp Temp. CH 3 and CH 4", "Warning", "Fault"}));
        QCOMPARE(names.count(QStringLiteral("Output Channel: 4")), 1);
        QVERIFY(!names.contains(QStringLiteral("Fault: protection")));
        QCOMPARE(device.secondaryText(), QString());
    }
    QVERIFY(!firstReported.wait(200));
    QCOMPARE(firstReported.size(), 1);
    QCOMPARE(secondReported.size(), 1);
}

void TestDeviceStatusArx::standbyAmplifier()
{
    m_pAmplifier->setBool(kStandbyPath, true);
    feed();
    Amplifier amplifier(QStringLiteral("Stage"));
    QTRY_VERIFY_WITH_TIMEOUT(amplifier.pProtocol->readings().complete(), Patience);
    amplifier.pDevice->requestStatus();
    QSignalSpy reported(amplifier.pDevice.get(), &Device::interfaceObjectDataReady);
    QVERIFY(reported.wait(Patience));
    QCOMPARE(amplifier.pDevice->networkState(), 5);
    const QStringList names = rowNames(*amplifier.pDevice);
    QCOMPARE(names.count(QStringLiteral("Fault: Standby")), 4);
    // The outputs off count as a fault: no green "Fault" anywhere.
    QCOMPARE(names.count(QStringLiteral("Fault")), 0);
}

void TestDeviceStatusArx::closedPortIsUnreachable()
{
    feed();
    Amplifier amplifier(QStringLiteral("Stage"));
    QTRY_VERIFY_WITH_TIMEOUT(amplifier.pProtocol->readings().complete(), Patience);
    IArxAddress::setPort(closedLocalPort());
    amplifier.pDevice->requestStatus();
    QSignalSpy reported(amplifier.pDevice.get(), &Device::interfaceObjectDataReady);
    QVERIFY(reported.wait(Patience));
    QCOMPARE(amplifier.pDevice->networkState(), 2);
    QCOMPARE(amplifier.pDevice->networkStateName(), QStringLiteral("Device Unreachable"));
    QVERIFY(amplifier.pDevice->rows().isEmpty());
    QVERIFY(!reported.wait(200));
    QCOMPARE(reported.size(), 1);
}

void TestDeviceStatusArx::failedStatusChain_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<int>("state");
    // An answer that cannot be read says nothing of the amplifier's health.
    QTest::newRow("no JSON") << int(SimulatedArxAmplifier::RestMode::NotJson) << 6;
    // A refused request: the network error, with the server's reason.
    QTest::newRow("server error") << int(SimulatedArxAmplifier::RestMode::ServerError) << 2;
}

// An amplifier whose REST answers fail: no rows, the state its error
// stands for, one report.
void TestDeviceStatusArx::failedStatusChain()
{
    QFETCH(int, mode);
    QFETCH(int, state);
    feed();
    Amplifier amplifier(QStringLiteral("Stage"));
    QTRY_VERIFY_WITH_TIMEOUT(amplifier.pProtocol->readings().complete(), Patience);
    m_pAmplifier->setRestMode(SimulatedArxAmplifier::RestMode(mode));
    amplifier.pDevice->requestStatus();
    QSignalSpy reported(amplifier.pDevice.get(), &Device::interfaceObjectDataReady);
    QVERIFY(reported.wait(Patience));
    QCOMPARE(amplifier.pDevice->networkState(), state);
    QVERIFY(amplifier.pDevice->rows().isEmpty());
    QVERIFY(!reported.wait(200));
    QCOMPARE(reported.size(), 1);
}

// Reboot is standby on, a hold, standby off; answered once the amplifier
// is awake again.
void TestDeviceStatusArx::rebootRunsTheStandbyCycle()
{
    Amplifier amplifier(QStringLiteral("Stage"));
    const int before = m_pAmplifier->postCount();
    QSignalSpy rebooted(amplifier.pDevice.get(), &Device::deviceRebooted);
    amplifier.pDevice->reboot();
    QVERIFY(rebooted.wait(PARXProtocol::StandbyHoldMs + Patience));
    QCOMPARE(rebooted.size(), 1);
    QCOMPARE(rebooted.first().first().toBool(), true);
    const QList<SimulatedArxAmplifier::Post> posts = m_pAmplifier->posts().mid(before);
    QCOMPARE(posts.size(), 2);
    const QJsonObject on = valuesOf(posts.at(0)).at(0).toObject();
    const QJsonObject off = valuesOf(posts.at(1)).at(0).toObject();
    QCOMPARE(on.value(QStringLiteral("id")).toString(), kStandbyPath);
    QCOMPARE(on.value(QStringLiteral("data")).toObject().value(QStringLiteral("boolValue")).toBool(), true);
    QCOMPARE(off.value(QStringLiteral("id")).toString(), kStandbyPath);
    QCOMPARE(off.value(QStringLiteral("data")).toObject().value(QStringLiteral("boolValue")).toBool(), false);
    QVERIFY(posts.at(1).atMs - posts.at(0).atMs >= PARXProtocol::StandbyHoldMs - 100);
    QCOMPARE(m_pAmplifier->storedValue(kStandbyPath).value(QStringLiteral("boolValue")).toBool(), false);
}

// An amplifier that refuses the standby write has not rebooted.
void TestDeviceStatusArx::refusedRebootFails()
{
    m_pAmplifier->setRefuseWrites(true);
    Amplifier amplifier(QStringLiteral("Stage"));
    QSignalSpy rebooted(amplifier.pDevice.get(), &Device::deviceRebooted);
    amplifier.pDevice->reboot();
    QVERIFY(rebooted.wait(PARXProtocol::StandbyHoldMs + Patience));
    QCOMPARE(rebooted.size(), 1);
    QCOMPARE(rebooted.first().first().toBool(), false);
    QCOMPARE(m_pAmplifier->storedValue(kStandbyPath).value(QStringLiteral("boolValue")).toBool(), false);
}

// The protocol owns the amplifier's requests: a reset leaves them alone,
// and the protocol deletes them once answered.
void TestDeviceStatusArx::requestsBelongToTheProtocol()
{
    feed();
    Amplifier amplifier(QStringLiteral("Stage"));
    QTRY_VERIFY_WITH_TIMEOUT(amplifier.pProtocol->readings().complete(), Patience);
    m_pAmplifier->setRestMode(SimulatedArxAmplifier::RestMode::Silent);
    amplifier.pProtocol->restClient()->setTransferTimeout(500);
    amplifier.pDevice->requestStatus();
    QCOMPARE(amplifier.pProtocol->pendingRequestCount(), 1);
    QVERIFY(amplifier.pDevice->findChildren<TText *>().isEmpty());
    amplifier.pDevice->reset();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    // Still the protocol's, still running.
    QCOMPARE(amplifier.pProtocol->pendingRequestCount(), 1);
    QSignalSpy reported(amplifier.pDevice.get(), &Device::interfaceObjectDataReady);
    QTRY_COMPARE_WITH_TIMEOUT(amplifier.pProtocol->pendingRequestCount(), 0, Patience);
    // Its late answer reached nobody.
    QCOMPARE(reported.size(), 0);
    QCOMPARE(amplifier.pDevice->networkState(), 0);
}

void TestDeviceStatusArx::deletedWithRequestInFlight()
{
    feed();
    Amplifier amplifier(QStringLiteral("Stage"));
    QTRY_VERIFY_WITH_TIMEOUT(amplifier.pProtocol->readings().complete(), Patience);
    const int before = m_pAmplifier->postCount();
    amplifier.pDevice->requestStatus();
    QTRY_VERIFY_WITH_TIMEOUT(m_pAmplifier->postCount() > before, Patience);
    amplifier.pDevice.reset();
    QTRY_COMPARE_WITH_TIMEOUT(amplifier.pProtocol->pendingRequestCount(), 0, Patience);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

VR_TEST_MAIN(TestDeviceStatusArx)
#include "tst_devicestatusarx.moc"
