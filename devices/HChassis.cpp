#include "HChassis.h"

#include "HArxProxyChoice.h"
#include "NodeCategory.h"
#include "ProxySettings.h"
#include "amplifiers/PARXProtocol.h"
#include "comms/IInterface.h"
#include "comms/IInterfaceFactory.h"
#include "comms/INullInterface.h"
#include "comms/PProtocol.h"
#include "comms/PProtocolFactory.h"

#include <QDebug>
#include <QFile>
#include <QHostAddress>
#include <QMetaMethod>
#include <QSettings>

namespace {
const QString kArrayClass = QStringLiteral("Kestrel");
const QString kArrayModel = QStringLiteral("Ventra");
const QString kChassisList = QStringLiteral("Chassis.dict");
constexpr int kProxyMonitorMs = 1000;
} // namespace

HChassis::HChassis()
    : m_roomCombineInfo(this)
    , m_arxModelRepository(this)
    , m_arxRestApiRepository(this)
    , m_arxWebSocket(this)
{
    setUp(false);
}

HChassis::HChassis(const QString &className)
    : m_roomCombineInfo(this)
    , m_arxModelRepository(this)
    , m_arxRestApiRepository(this)
    , m_arxWebSocket(this)
{
    setUp(className == kArrayClass);
}

void HChassis::setUp(bool isArray)
{
    setFlags(ChassisFlag);
    if (isArray) {
        m_isStatusDevice = true;
        m_serialPort = QStringLiteral("49494");
        m_platform = kArrayModel;
    }
    // The protocol follows the platform known now; a device type read later
    // does not change it.
    m_pProtocol = PProtocolFactory().createProtocol(m_platform);
    m_proxyMonitorTimer.setInterval(kProxyMonitorMs);
    m_proxyMonitorTimer.setSingleShot(false);
    connect(&m_proxyMonitorTimer, &QTimer::timeout, this, &HChassis::onPcProxyIpMonitorTimeout);
}

HChassis::~HChassis()
{
    m_proxyMonitorTimer.stop();
    // Deferred: a transport or protocol may be the sender of the signal
    // that led here.
    if (m_pProtocol) {
        m_pProtocol->deleteLater();
        m_pProtocol = nullptr;
    }
    if (m_pInterface) {
        m_pInterface->setChassis(nullptr);
        m_pInterface->deleteLater();
        m_pInterface = nullptr;
    }
    if (m_pArxProtocol) {
        m_pArxProtocol->deleteLater();
        m_pArxProtocol = nullptr;
    }
    m_roomCombineInfo.clear();
}

void HChassis::setDeviceType(const QString &deviceType)
{
    struct Rule
    {
        const char *prefix;
        const char *platform;
        bool interfaceDevice;
        bool statusDevice;
    };
    // First match wins: "ARX" must come before "AR".
    static const Rule kRules[] = {
        {"DXR", "DXR", false, false}, {"VPJ", "DXR", false, false}, {"ZRB", "DXR", true, false},
        {"IN", "DXR", true, false},   {"AV", "AV", false, false},   {"ARX", "AR", false, true},
        {"AR", "AR", false, false},
    };
    for (const Rule &rule : kRules) {
        if (deviceType.startsWith(QLatin1String(rule.prefix))) {
            m_platform = QLatin1String(rule.platform);
            if (rule.interfaceDevice)
                m_isInterfaceDevice = true;
            if (rule.statusDevice)
                m_isStatusDevice = true;
            return;
        }
    }
    m_platform = QString();
}

quint16 HChassis::controlPort() const
{
    bool ok = false;
    const uint port = m_serialPort.toUInt(&ok, 10);
    return (ok && port <= 0xffff) ? quint16(port) : quint16(0);
}

void HChassis::createInterface()
{
    if (!m_pProtocol || m_pInterface)
        return;
    const bool arx = isArx();
    m_pInterface = IInterfaceFactory::createInterface(arx ? QStringLiteral("ARX") : m_platform);
    if (!m_pInterface)
        return;

    QString address = m_ipAddress;
    if (arx)
        address = chooseArxProxy();
    else
        HArxProxyChoice::forgetUnlessDesignHasArx(*this);

    m_pInterface->setOwner(m_pProtocol);
    m_pInterface->setAddress(QHostAddress(address));
    m_pInterface->setPort(controlPort());
    m_pInterface->setChassis(this);
    m_pProtocol->setInterface(m_pInterface);
}

QString HChassis::chooseArxProxy()
{
    const HArxProxyChoice::Decision decision = HArxProxyChoice::decide(*this);
    if (decision.kind == HArxProxyChoice::Kind::None) {
        // No proxy: the VDS side goes nowhere, and the amplifier counts by
        // its own network API, connected while it answers the REST poll.
        delete m_pInterface;
        auto *pNull = new INullInterface;
        pNull->setDeviceConnected(m_arxRestApiRepository.isAnswering());
        connect(&m_arxRestApiRepository, &ArxRestApiRepository::answeringChanged, pNull,
                &INullInterface::setDeviceConnected);
        m_pInterface = pNull;
    }
    m_usesPcProxy = decision.kind == HArxProxyChoice::Kind::Vds;
    if (m_usesPcProxy) {
        m_lastProxyIp = decision.address;
        m_proxyMonitorTimer.start();
    }
    qDebug().noquote() << "Decided on Proxy Address: " + decision.address;
    return decision.address;
}

void HChassis::setOnline(bool on)
{
    if (!m_pInterface)
        createInterface();
    if (isArx()) {
        if (on) {
            qDebug() << "Starting ARX Rest Poll and Websocket Listener.";
            m_arxRestApiRepository.pollNow();
            m_arxModelRepository.connectWebSocketIfClosed();
        } else {
            qDebug() << "Stopping ARX Rest Poll and Websocket Listener.";
            m_arxRestApiRepository.stopPolling();
            m_arxModelRepository.closeWebSocket();
        }
    }
    if (!hasFlags(HasUsedChildrenFlag) || !m_pInterface)
        return;
    emit onlineStateChanged(on);
    if (on)
        m_pInterface->open();
    else
        m_pInterface->close();
}

IDevice::Family HChassis::deviceFamily() const
{
    if (m_title.contains(QLatin1String("arx"), Qt::CaseInsensitive))
        return Family::ArxAmplifier;
    if (m_platform == kArrayModel)
        return Family::Array;
    return Family::Vds;
}

bool HChassis::isArx() const
{
    return deviceFamily() == Family::ArxAmplifier;
}

bool HChassis::dictContains(const QString &fileName, const QString &text) const
{
    QFile file(QStringLiteral(":/data/") + resourceFolder() + QLatin1Char('/') + fileName);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return false;
    while (!file.atEnd()) {
        QString line = QString::fromUtf8(file.readLine());
        line.remove(QLatin1Char('\n'));
        line.remove(QLatin1Char('\r'));
        if (line == text)
            return true;
    }
    return false;
}

QString HChassis::modelName() const
{
    const qsizetype bracket = m_title.lastIndexOf(QLatin1Char('('));
    if (bracket > 0)
        return m_title.left(bracket - 1);
    return m_title;
}

void HChassis::readAttributes(const QXmlAttributes &atts)
{
    HComposite::readAttributes(atts);
    const QString name = xmlAttribute(atts, QStringLiteral("name"));
    const QString value = xmlAttribute(atts, QStringLiteral("value"));
    if (name == QLatin1String("ipAddress")) {
        m_ipAddress = value;
        m_arxRestApiRepository.setArxIp(m_ipAddress);
        if (isArx() && !m_arxRestApiRepository.isPolling())
            m_arxRestApiRepository.pollNow();
    } else if (name == QLatin1String("serialPortNumber")) {
        m_serialPort = value;
    } else if (name == QLatin1String("deviceType")) {
        setDeviceType(value);
    } else if (name == QLatin1String("isMainDXR")) {
        if (value == QLatin1String("True"))
            setFlags(MainChassisFlag);
    }
}

void HChassis::setConnectionProperty(const QString &name, const QString &value)
{
    if (name == QLatin1String("title"))
        m_title = value;
    else if (name == QLatin1String("ipaddress"))
        m_ipAddress = value;
    else if (name == QLatin1String("serialport"))
        m_serialPort = value;
    else if (name == QLatin1String("platform"))
        m_platform = value;
}

bool HChassis::finishParsing()
{
    const QString model = modelName();
    if (model == kArrayModel)
        return true;
    if (isArx())
        wireArx();
    if (dictContains(kChassisList, model))
        return true;
    qWarning().noquote()
        << "Failed to find the chassis title in resource file :data/Chassis.dict. This can "
           "happen when a new device has been added to VDS but not VRM. Make sure the resurce "
           "file has the string "
               + model;
    return false;
}

// Runs for every acceptance check of an ARX chassis; only the first one
// makes the protocol and attaches the feed, later ones refresh the address.
void HChassis::wireArx()
{
    if (!m_pArxProtocol) {
        m_arxWebSocket.connectToHost(m_ipAddress);
        m_pArxProtocol = new PARXProtocol;
        m_pArxProtocol->attachWebSocket(&m_arxWebSocket);
        m_arxModelRepository.attachWebSocket(&m_arxWebSocket);
    }
    m_pArxProtocol->setDeviceAddress(m_ipAddress);
    m_arxRestApiRepository.setArxIp(m_ipAddress);
    if (!m_arxRestApiRepository.isPolling())
        m_arxRestApiRepository.pollNow();
}

void HChassis::updateFrom(HNode *)
{
}

HNode *HChassis::findByCategory(const QString &category)
{
    return this->category() == category ? this : nullptr;
}

HNode *HChassis::findByCategoryAndNodeID(const QString &category, int nodeID)
{
    if (HNode *pSelf = HNode::findByCategoryAndNodeID(category, nodeID))
        return pSelf;
    return HComposite::findByCategoryAndNodeID(category, nodeID);
}

HNode *HChassis::findByCategoryAndProperty(const QString &category, const QString &key,
                                           const QString &value)
{
    if (HNode *pSelf = HNode::findByCategoryAndProperty(category, key, value))
        return pSelf;
    return HComposite::findByCategoryAndProperty(category, key, value);
}

bool HChassis::appendIfCategory(const QString &category, QList<HNode *> *pList)
{
    if (category == NodeCategory::chassis())
        return HNode::appendIfCategory(category, pList);
    return HComposite::appendIfCategory(category, pList);
}

bool HChassis::collectStatusDevices(QList<HNode *> *pList)
{
    if (!pList)
        return false;
    if (m_isStatusDevice)
        pList->append(this);
    return m_isStatusDevice;
}

bool HChassis::collectByCategory(const QString &category, QList<HNode *> *pList)
{
    if (category == NodeCategory::chassis())
        return HNode::appendIfCategory(category, pList);
    return HComposite::collectByCategory(category, pList);
}

void HChassis::connectInterfaceStatus(QObject *pReceiver)
{
    // By the slot's signature: the receiver is the application's model,
    // whose class this layer does not know.
    if (m_pInterface && pReceiver) {
        const QMetaObject *pMeta = pReceiver->metaObject();
        const int slot = pMeta->indexOfSlot("interfaceStatusChanged(bool)");
        if (slot >= 0) {
            connect(m_pInterface, QMetaMethod::fromSignal(&IInterface::interfaceStateChanged),
                    pReceiver, pMeta->method(slot), Qt::UniqueConnection);
            // The link the indicator counts in the transport's place.
            if (IInterface *pLink = m_pInterface->deviceLink()) {
                connect(pLink, QMetaMethod::fromSignal(&IInterface::interfaceStateChanged), pReceiver,
                        pMeta->method(slot), Qt::UniqueConnection);
            }
        }
    }
    HComposite::connectInterfaceStatus(pReceiver);
}

void HChassis::childAttached(HNode *pChild)
{
    if (pChild)
        pChild->registerRoomCombine(&m_roomCombineInfo);
}

void HChassis::shareRoomCombineState(HChassis *pChassis, const QString &groupId)
{
    if (pChassis)
        m_roomCombineInfo.copyGroupTo(pChassis->roomCombineInfo(), groupId);
}

void HChassis::setRoomCombineText(int groupId, const QString &text)
{
    m_roomCombineInfo.setGroupName(groupId, text);
}

void HChassis::setProtocol(PProtocol *)
{
    HComposite::setProtocol(m_pProtocol);
}

QString HChassis::resourceFolder() const
{
    return m_platform;
}

HNode *HChassis::findCounterpart(HNode *pScope)
{
    if (!pScope)
        return nullptr;
    QList<HNode *> devices;
    if (!pScope->collectByCategory(NodeCategory::chassis(), &devices))
        return nullptr;
    const QString mainTitle = m_title + QStringLiteral(" (Main)");
    for (HNode *pDevice : std::as_const(devices)) {
        if (pDevice == this)
            continue;
        if (pDevice->nodeID() == m_nodeID
            && (pDevice->title() == m_title || pDevice->title() == mainTitle)
            && pDevice->typenum() == m_typenum && pDevice->index() == m_index)
            return pDevice;
    }
    return nullptr;
}

QString HChassis::category() const
{
    return NodeCategory::chassis();
}

void HChassis::onPcProxyIpMonitorTimeout()
{
    if (!m_usesPcProxy) {
        m_proxyMonitorTimer.stop();
        qDebug() << "Not using the PC for Proxy. Ending the monitor.";
        return;
    }
    const QSettings settings(ProxySettings::organisation(), ProxySettings::application());
    const QString address = settings.value(ProxySettings::arxIpKey(), m_lastProxyIp).toString();
    if (address == m_lastProxyIp)
        return;
    qDebug().noquote() << "Proxy IP Changed from " + m_lastProxyIp + " to " + address;
    m_lastProxyIp = address;
    if (m_pInterface)
        m_pInterface->setAddress(QHostAddress(address));
}
