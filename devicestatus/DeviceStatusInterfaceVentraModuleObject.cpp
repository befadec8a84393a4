#include "devicestatus/DeviceStatusInterfaceVentraModuleObject.h"

#include "comms/PProtocol.h"
#include "comms/TText.h"

namespace {

// The first command id of each request kind for module 1; module m adds
// m - 1 (four temperatures per module).
constexpr int FaultStatusId = 9;
constexpr int WarningStatusId = 12;
constexpr int DriverFaultsId = 15;
constexpr int FirmwareVersionId = 18;
constexpr int FirstTemperatureId = 21;
constexpr int Sensors = 4;

} // namespace

DeviceStatusInterfaceVentraModuleObject::DeviceStatusInterfaceVentraModuleObject(
    int moduleNumber, PProtocol *pProtocol, const QString &address, const QString &name,
    QObject *parent)
    : QObject(parent)
    , m_moduleNumber(moduleNumber)
    , m_pProtocol(pProtocol)
    , m_address(address)
    , m_name(name)
{
}

DeviceStatusInterfaceVentraModuleObject::~DeviceStatusInterfaceVentraModuleObject() = default;

QList<int> DeviceStatusInterfaceVentraModuleObject::commandIds(int moduleNumber)
{
    if (moduleNumber < 1 || moduleNumber > MaxModules)
        return {};
    const int m = moduleNumber - 1;
    QList<int> ids{FaultStatusId + m, WarningStatusId + m, DriverFaultsId + m, FirmwareVersionId + m};
    for (int s = 0; s < Sensors; ++s)
        ids.append(FirstTemperatureId + Sensors * m + s);
    return ids;
}

bool DeviceStatusInterfaceVentraModuleObject::start()
{
    const QList<int> ids = commandIds(m_moduleNumber);
    if (ids.isEmpty() || !m_pProtocol)
        return false;
    QList<TTransform *> batch;
    for (int id : ids) {
        auto *pText = new TText(this);
        pText->setCommandId(id);
        connect(pText, SIGNAL(replyValueReady()), this, SLOT(responseReceivedForTransform()));
        m_requests.append(pText);
        batch.append(pText);
    }
    return m_pProtocol->sendBatch(batch);
}

void DeviceStatusInterfaceVentraModuleObject::dropRequests()
{
    for (const QPointer<TText> &pText : std::as_const(m_requests)) {
        if (!pText)
            continue;
        pText->disconnect(this);
        pText->deleteLater();
    }
    m_requests.clear();
}

QList<TText *> DeviceStatusInterfaceVentraModuleObject::requests() const
{
    QList<TText *> texts;
    for (const QPointer<TText> &pText : m_requests)
        texts.append(pText.data());
    return texts;
}

void DeviceStatusInterfaceVentraModuleObject::responseReceivedForTransform()
{
    auto *pText = qobject_cast<TText *>(sender());
    if (!pText || !m_requests.contains(pText) || m_reported)
        return;
    ++m_replyCount;
    if (m_replyCount >= m_requests.size()) {
        m_reported = true;
        emit moduleObjectDataReady();
    }
}
