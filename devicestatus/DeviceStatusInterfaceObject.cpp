#include "devicestatus/DeviceStatusInterfaceObject.h"

#include "amplifiers/PARXProtocol.h"
#include "comms/PProtocol.h"
#include "comms/ReplyTags.h"
#include "comms/TText.h"
#include "devices/HChassis.h"
#include "devicestatus/DeviceNetworkState.h"
#include "devicestatus/DeviceStatusArxDecoder.h"
#include "devicestatus/DeviceStatusInterfaceFeatureDisplayObject.h"
#include "devicestatus/DeviceStatusInterfaceVentraModuleObject.h"
#include "devicestatus/DeviceStatusVentraDecoder.h"

#include <QDebug>
#include <QTimer>

namespace {

using Row = DeviceStatusInterfaceFeatureDisplayObject;

// Command ids of the array's requests (the protocol's table).
constexpr int ArrayQueryId = 1;
constexpr int CurrentPresetId = 8;
constexpr int PresetDescriptionId = 33;
constexpr int PresetDataId = 65;
constexpr int FirstDeviceReplyId = 2;
constexpr int LastDeviceReplyId = 7;

// The device-level batch: with firmware older than 1.56 the input mode
// query replaces the backup strategy and active input queries.
const QList<int> kDeviceRequests{4, 5, 2, 6, 7, CurrentPresetId};
const QList<int> kOldFirmwareDeviceRequests{3, 2, 6, 7, CurrentPresetId};

const QString kArxProtocolName = QStringLiteral("ARXProtocol");

void drop(QList<QPointer<TText>> *pRequests, QObject *pReceiver, bool owned)
{
    for (const QPointer<TText> &pText : std::as_const(*pRequests)) {
        if (!pText)
            continue;
        pText->disconnect(pReceiver);
        if (owned)
            pText->deleteLater();
    }
    pRequests->clear();
}

bool contains(const QList<QPointer<TText>> &requests, const QObject *pObject)
{
    for (const QPointer<TText> &pText : requests) {
        if (pText && pText.data() == pObject)
            return true;
    }
    return false;
}

} // namespace

DeviceStatusInterfaceObject::DeviceStatusInterfaceObject(QObject *parent)
    : QObject(parent)
{
}

DeviceStatusInterfaceObject::~DeviceStatusInterfaceObject()
{
    // Requests still in flight must not call back into a half-destroyed
    // object; the array's are children and go with it, an amplifier's stay
    // with their protocol.
    drop(&m_arxRequests, this, false);
}

DeviceStatusInterfaceObject *DeviceStatusInterfaceObject::createFor(HChassis *pChassis)
{
    auto *pDevice = new DeviceStatusInterfaceObject(pChassis);
    if (pChassis->isArx()) {
        pDevice->setDeviceType(QStringLiteral("ARX"));
        pDevice->setProtocol(pChassis->arxProtocol());
    } else {
        pDevice->setDeviceType(pChassis->resourceFolder());
        pDevice->setProtocol(pChassis->protocol());
    }
    pDevice->setName(pChassis->label());
    pDevice->setAddress(pChassis->ipAddress());
    return pDevice;
}

void DeviceStatusInterfaceObject::setDeviceType(const QString &type)
{
    if (type == QLatin1String("Ventra"))
        m_kind = Ventra;
    else if (type == QLatin1String("ARX"))
        m_kind = Arx;
    else
        m_kind = Other;
}

QString DeviceStatusInterfaceObject::networkStateName() const
{
    return DeviceNetworkState::name(m_networkState);
}

QString DeviceStatusInterfaceObject::networkStateColor() const
{
    return DeviceNetworkState::color(m_networkState);
}

QString DeviceStatusInterfaceObject::statusMessage() const
{
    return DeviceNetworkState::message(m_networkState);
}

QString DeviceStatusInterfaceObject::statusImage() const
{
    return DeviceNetworkState::image(m_networkState);
}

QString DeviceStatusInterfaceObject::secondaryText() const
{
    if (m_kind != Ventra || m_modules.isEmpty())
        return QString();
    return QStringLiteral("Module Count: ") + QString::number(m_modules.size());
}

// --- Refresh --------------------------------------------------------------

void DeviceStatusInterfaceObject::reset()
{
    ++m_round;
    m_reported = false;
    m_networkState = DeviceNetworkState::Connecting;
    m_firmwareOld = false;
    m_firmwareVersion.clear();
    m_modulesAnswered = 0;
    m_deviceReplies = 0;
    m_presetReplies = 0;
    m_presetRequests = 0;
    m_presetCheckDone = false;
    m_faultPresent = false;
    m_presetErrorReported = false;
    m_moduleCountErrorReported = false;

    for (DeviceStatusInterfaceVentraModuleObject *pModule : std::as_const(m_modules)) {
        pModule->dropRequests();
        pModule->disconnect(this);
        pModule->deleteLater();
    }
    m_modules.clear();
    drop(&m_requests, this, true);
    drop(&m_arrayRequests, this, true);
    drop(&m_arxRequests, this, false);
    disconnect(this, &DeviceStatusInterfaceObject::interfaceObjectDataReady, nullptr, nullptr);
    disconnect(this, &DeviceStatusInterfaceObject::deviceRebooted, nullptr, nullptr);
    m_rows.clear();
}

void DeviceStatusInterfaceObject::requestStatus()
{
    reset();
    if (!m_pProtocol || (m_kind != Ventra && m_kind != Arx)) {
        // Nothing can be asked; the dashboard still hears from the device.
        m_networkState = DeviceNetworkState::UnknownStatus;
        reportLater();
        return;
    }
    if (m_kind == Ventra) {
        TText *pText = makeRequest(ArrayQueryId);
        m_arrayRequests.append(pText);
        if (!m_pProtocol->sendValue(pText)) {
            m_networkState = DeviceNetworkState::DeviceUnreachable;
            reportLater();
        }
        return;
    }
    // The ARX protocol takes the request over: no parent here.
    auto *pText = new TText;
    pText->setCommandId(StatusCommandId);
    connect(pText, SIGNAL(replyValueReady()), this, SLOT(responseReceivedForTransform()));
    m_arxRequests.append(pText);
    if (!m_pProtocol->sendValue(pText)) {
        m_arxRequests.removeAll(pText);
        pText->deleteLater();
        m_networkState = DeviceNetworkState::UnknownStatus;
        reportLater();
    }
}

void DeviceStatusInterfaceObject::reboot()
{
    if (m_pProtocol && m_kind == Ventra) {
        TText *pText = makeRequest(VentraRebootCommandId);
        m_arrayRequests.append(pText);
        if (m_pProtocol->sendValue(pText))
            return;
        m_arrayRequests.removeAll(pText);
        pText->deleteLater();
    } else if (m_pProtocol && m_kind == Arx) {
        auto *pText = new TText;
        pText->setCommandId(ArxRebootCommandId);
        connect(pText, SIGNAL(replyValueReady()), this, SLOT(responseReceivedForTransform()));
        m_arxRequests.append(pText);
        if (m_pProtocol->sendValue(pText))
            return;
        m_arxRequests.removeAll(pText);
        pText->deleteLater();
    }
    emit deviceRebooted(false);
}

TText *DeviceStatusInterfaceObject::makeRequest(int id, const QString &text)
{
    auto *pText = new TText(this);
    pText->setCommandId(id);
    pText->setText(text);
    connect(pText, SIGNAL(replyValueReady()), this, SLOT(responseReceivedForTransform()));
    return pText;
}

void DeviceStatusInterfaceObject::reportLater()
{
    const quint64 round = m_round;
    QTimer::singleShot(0, this, [this, round]() {
        if (round == m_round)
            report();
    });
}

void DeviceStatusInterfaceObject::report()
{
    if (m_reported)
        return;
    m_reported = true;
    emit interfaceObjectDataReady();
}

bool DeviceStatusInterfaceObject::isCurrentRequest(const QObject *pSender) const
{
    return contains(m_requests, pSender) || contains(m_arrayRequests, pSender)
        || contains(m_arxRequests, pSender);
}

void DeviceStatusInterfaceObject::responseReceivedForTransform()
{
    auto *pText = qobject_cast<TText *>(sender());
    // A request of an earlier round, or something that is no request.
    if (!pText || !isCurrentRequest(pText))
        return;
    if (m_kind == Arx) {
        onArxAnswer(pText);
        return;
    }
    if (m_kind != Ventra)
        return;
    DeviceStatusVentraDecoder decoder(this);
    const int id = pText->commandId();
    if (id == VentraRebootCommandId) {
        emit deviceRebooted(pText->auxText().isEmpty());
        return;
    }
    if (m_reported)
        return;
    if (id == ArrayQueryId) {
        decoder.arrayQueryAnswered(pText);
    } else if (id == CurrentPresetId) {
        decoder.currentPresetAnswered(pText);
    } else if (id == PresetDataId) {
        ++m_presetReplies;
        decoder.presetDataAnswered(pText);
    } else if (id == PresetDescriptionId) {
        decoder.deviceReplyAnswered(pText);
        m_presetCheckDone = true;
        ++m_deviceReplies;
    } else if (id >= FirstDeviceReplyId && id <= LastDeviceReplyId) {
        decoder.deviceReplyAnswered(pText);
        ++m_deviceReplies;
    } else {
        return;
    }
    decoder.completeIfDone();
}

void DeviceStatusInterfaceObject::onModuleObjectDataReady()
{
    if (m_kind == Arx) {
        report();
        return;
    }
    if (m_kind != Ventra || m_reported)
        return;
    auto *pModule = qobject_cast<DeviceStatusInterfaceVentraModuleObject *>(sender());
    if (pModule && !m_modules.contains(pModule))
        return;
    ++m_modulesAnswered;
    if (m_modulesAnswered != m_modules.size())
        return;

    DeviceStatusVentraDecoder(this).decodeModules();

    drop(&m_requests, this, true);
    QList<TTransform *> batch;
    for (int id : m_firmwareOld ? kOldFirmwareDeviceRequests : kDeviceRequests) {
        TText *pText = makeRequest(id);
        m_requests.append(pText);
        batch.append(pText);
    }
    if (!m_pProtocol || !m_pProtocol->sendBatch(batch)) {
        // The array went between the module answers and this batch.
        mergeNetworkState(DeviceNetworkState::RestartRequired);
        report();
    }
}

void DeviceStatusInterfaceObject::onArxAnswer(TText *pText)
{
    const QString error = pText->auxText();
    qDebug().noquote() << "Ampora got response  error " + error + " " + m_address;
    m_arxRequests.removeAll(pText);
    if (pText->commandId() == ArxRebootCommandId) {
        emit deviceRebooted(error.isEmpty());
        return;
    }
    if (m_reported)
        return;
    if (error.startsWith(ReplyTags::jsonParsingError()))
        mergeNetworkState(DeviceNetworkState::UnknownStatus);
    else if (error.startsWith(ReplyTags::networkError()))
        mergeNetworkState(DeviceNetworkState::DeviceUnreachable);
    else if (!error.isEmpty())
        mergeNetworkState(errorState(error));
    else if (auto *pArx = qobject_cast<PARXProtocol *>(m_pProtocol.data());
             pArx && m_pProtocol->protocolName() == kArxProtocolName)
        DeviceStatusArxDecoder(this).decode(pArx->deviceStatus());
    else
        mergeNetworkState(DeviceNetworkState::UnknownStatus);
    report();
}

// --- State -----------------------------------------------------------------

int DeviceStatusInterfaceObject::mergeNetworkState(int state)
{
    const int previous = m_networkState;
    if (m_kind == Arx && (state == DeviceNetworkState::Standby || previous == DeviceNetworkState::Standby))
        m_networkState = DeviceNetworkState::Standby;
    else if (previous == DeviceNetworkState::Connecting || state < previous)
        m_networkState = state;
    return previous;
}

int DeviceStatusInterfaceObject::errorState(const QString &errorText)
{
    return errorText == ReplyTags::networkError() ? DeviceNetworkState::DeviceUnreachable
                                                  : DeviceNetworkState::UnknownStatus;
}

QString DeviceStatusInterfaceObject::stripEcho(const QString &reply, const QString &request)
{
    if (!reply.startsWith(request))
        return reply;
    return reply.mid(request.size()).trimmed();
}

QString DeviceStatusInterfaceObject::temperatureText(int celsius)
{
    const double fahrenheit = celsius * 9.0 / 5.0 + 32.0;
    return QString::number(celsius) + QStringLiteral("C / ") + QString::number(fahrenheit, 'g', 6)
        + QLatin1Char('F');
}

bool DeviceStatusInterfaceObject::decodeModuleCode(int module, ModuleCodeKind kind,
                                                   const QString &code)
{
    if (code == QLatin1String("0"))
        return false;
    const bool fault = kind == FaultCode;
    const QString name = (fault ? QStringLiteral("Fault at Module: ") : QStringLiteral("Warning at Module: "))
        + QString::number(module);
    const DeviceStatusVentraDecoder::CodeText text = DeviceStatusVentraDecoder::codeText(kind, code);
    addErrorRow(name, fault ? Row::Red : Row::Yellow, fault ? 13 : 15, text.code, text.explanation);
    mergeNetworkState(fault ? DeviceNetworkState::FaultDetected : DeviceNetworkState::WarningDetected);
    return true;
}

// --- Rows --------------------------------------------------------------------

DeviceStatusInterfaceFeatureDisplayObject *DeviceStatusInterfaceObject::appendRow(int type,
                                                                                 const QString &name,
                                                                                 int order)
{
    auto *pRow = new DeviceStatusInterfaceFeatureDisplayObject(this);
    pRow->setDisplayType(type);
    pRow->setDisplayName(name);
    pRow->setOrder(order);
    m_rows.append(pRow);
    return pRow;
}

DeviceStatusInterfaceFeatureDisplayObject *DeviceStatusInterfaceObject::addIndicatorRow(
    const QString &name, int color, int order)
{
    Row *pRow = appendRow(Row::TypeIndicator, name, order);
    pRow->setIndicatorColor(color);
    return pRow;
}

DeviceStatusInterfaceFeatureDisplayObject *DeviceStatusInterfaceObject::addTextRow(
    const QString &name, const QString &value, int order)
{
    Row *pRow = appendRow(Row::TypeText, name, order);
    pRow->setDisplayValue(value);
    return pRow;
}

DeviceStatusInterfaceFeatureDisplayObject *DeviceStatusInterfaceObject::addWarningTextRow(
    const QString &name, const QString &value, const QString &explanation, int order)
{
    Row *pRow = appendRow(Row::TypeWarning, name, order);
    pRow->setDisplayValue(value);
    pRow->setErrorDisplayValue(explanation);
    return pRow;
}

DeviceStatusInterfaceFeatureDisplayObject *DeviceStatusInterfaceObject::addStandbyRow(
    const QString &name, const QString &value, int order)
{
    Row *pRow = appendRow(Row::TypeIndicator, name, order);
    pRow->setDisplayValue(value);
    if (value == QLatin1String("0")) {
        pRow->setIndicatorColor(Row::Gray);
    } else {
        pRow->setIndicatorColor(Row::Yellow);
        mergeNetworkState(DeviceNetworkState::Standby);
    }
    return pRow;
}

DeviceStatusInterfaceFeatureDisplayObject *DeviceStatusInterfaceObject::addErrorRow(
    const QString &name, int color, int order, const QString &errorCode, const QString &explanation)
{
    Row *pRow = appendRow(Row::TypeError, name, order);
    pRow->setIndicatorColor(color);
    pRow->setErrorCode(errorCode);
    pRow->setErrorDisplayValue(explanation);
    return pRow;
}

DeviceStatusInterfaceFeatureDisplayObject *DeviceStatusInterfaceObject::addHeaderRow(
    const QString &name, int order)
{
    return appendRow(Row::TypeHeader, name, order);
}

void DeviceStatusInterfaceObject::moveRow(DeviceStatusInterfaceFeatureDisplayObject *pRow,
                                          int position)
{
    const qsizetype from = m_rows.indexOf(pRow);
    if (from < 0)
        return;
    m_rows.removeAt(from);
    m_rows.insert(qBound(qsizetype(0), qsizetype(position), m_rows.size()), pRow);
}
