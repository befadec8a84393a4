#pragma once

#include "HComposite.h"
#include "HRCGroupInfo.h"
#include "amplifiers/ArxModelRepository.h"
#include "amplifiers/ArxRestApiRepository.h"
#include "comms/IDevice.h"
#include "comms/IWebSocketClient.h"

#include <QTimer>

class IInterface;
class PARXProtocol;

// One device of the design: a processor, an expander, an interface unit, an
// amplifier, an ARX networked amplifier or the loudspeaker array. Its cards
// and blocks hang below it and borrow its protocol.
//
// The chassis owns what the tree needs to talk to the device: the protocol
// (made with the chassis), the transport (made when connections are first
// turned on), the ARX objects and the room-combining tables of its rooms.
// Reading a design makes no connection: the transport comes only with
// setOnline.
//
// Which family the device is (VDS device, loudspeaker array or ARX
// amplifier) the chassis decides in one place, deviceFamily(); the
// transport, the widgets and the meters ask it there.
class HChassis : public HComposite, public IDevice
{
    Q_OBJECT

public:
    HChassis();
    // "Kestrel" makes the loudspeaker array: platform "Ventra", port 49494,
    // shown in the status view. Any other class name gives the defaults.
    explicit HChassis(const QString &className);
    ~HChassis() override;

    // Sets the platform and the marks from the design's device type.
    void setDeviceType(const QString &deviceType);
    // Makes and wires the transport, once; nothing without a protocol.
    void createInterface();
    // Makes the transport when missing and, when a node below is in use,
    // opens or closes it. An ARX amplifier also starts or stops its REST
    // poll and meter feed.
    void setOnline(bool on);
    // An ARX amplifier when the title holds "arx" in any case; else the
    // loudspeaker array when the platform is "Ventra"; else a VDS device.
    Family deviceFamily() const override;
    // The family is the ARX amplifiers'.
    bool isArx() const;
    // Whether a line of the platform's data file equals the text.
    bool dictContains(const QString &fileName, const QString &text) const;
    // The title without a trailing " (...)" such as " (Main)": the model
    // name the device lists carry.
    QString modelName() const;

    QString ipAddress() const { return m_ipAddress; }
    QString serialPort() const { return m_serialPort; }
    // The control port as a number; 0 when the text is not one.
    quint16 controlPort() const;
    QString platform() const { return m_platform; }
    // An interface unit; its link cards name themselves "Vexlink".
    bool isInterfaceDevice() const { return m_isInterfaceDevice; }
    // Listed in the device-status view (the ARX amplifiers and the array).
    bool isStatusDevice() const { return m_isStatusDevice; }
    HRCGroupInfo *roomCombineInfo() { return &m_roomCombineInfo; }

    IInterface *transport() const { return m_pInterface; }
    PARXProtocol *arxProtocol() const { return m_pArxProtocol; }
    ArxModelRepository *arxModelRepository() { return &m_arxModelRepository; }
    ArxRestApiRepository *arxRestApiRepository() { return &m_arxRestApiRepository; }
    IWebSocketClient *arxWebSocket() { return &m_arxWebSocket; }
    // The transport is aimed at the ARX proxy on this PC.
    bool usesPcProxy() const { return m_usesPcProxy; }
    QString lastProxyIp() const { return m_lastProxyIp; }
    const QTimer &proxyMonitorTimer() const { return m_proxyMonitorTimer; }

    void readAttributes(const QXmlAttributes &atts) override;
    void setConnectionProperty(const QString &name, const QString &value) override;
    // Accepts the chassis when its model is listed for its platform (the
    // array by name), after wiring an ARX amplifier's objects.
    bool finishParsing() override;
    void updateFrom(HNode *pOther) override;
    // The chassis answers for itself; its cards are not searched.
    HNode *findByCategory(const QString &category) override;
    HNode *findByCategoryAndNodeID(const QString &category, int nodeID) override;
    // Found by category and nodeID itself, before the nodes below it.
    bool searchedItself() const override { return true; }
    HNode *findByCategoryAndProperty(const QString &category, const QString &key,
                                     const QString &value) override;
    // "Chassis" collects the chassis itself; other categories its nodes.
    bool appendIfCategory(const QString &category, QList<HNode *> *pList) override;
    bool collectStatusDevices(QList<HNode *> *pList) override;
    bool collectByCategory(const QString &category, QList<HNode *> *pList) override;
    // Connects the transport's state to the receiver (the model).
    void connectInterfaceStatus(QObject *pReceiver) override;
    // A node placed below registers its rooms with this chassis's tables.
    void childAttached(HNode *pChild) override;
    // Copies the rooms of the group into the given chassis's tables.
    void shareRoomCombineState(HChassis *pChassis, const QString &groupId) override;
    void setRoomCombineText(int groupId, const QString &text) override;
    // The nodes below keep this chassis's own protocol, whatever the parent
    // hands down.
    void setProtocol(PProtocol *pProtocol) override;
    // The platform names the chassis's folder of device data.
    QString resourceFolder() const override;
    // The chassis of the other tree with the same node id, title (or title
    // with " (Main)"), type number and index.
    HNode *findCounterpart(HNode *pScope) override;
    QString category() const override;

signals:
    void onlineStateChanged(bool online);

public slots:
    // Follows changes of the stored PC proxy address.
    void onPcProxyIpMonitorTimeout();

private:
    void setUp(bool isArray);
    void wireArx();
    // The ARX proxy choice; returns the address the transport is aimed at.
    QString chooseArxProxy();

    IInterface *m_pInterface = nullptr;
    QString m_ipAddress;
    QString m_serialPort = QStringLiteral("10055");
    QString m_platform = QStringLiteral("DXR");
    bool m_isInterfaceDevice = false;
    HRCGroupInfo m_roomCombineInfo;
    ArxModelRepository m_arxModelRepository;
    ArxRestApiRepository m_arxRestApiRepository;
    PARXProtocol *m_pArxProtocol = nullptr;
    IWebSocketClient m_arxWebSocket;
    bool m_isStatusDevice = false;
    bool m_usesPcProxy = false;
    QTimer m_proxyMonitorTimer;
    QString m_lastProxyIp;
};
