#include "RoomCombineRig.h"

#include "comms/IInterface.h"
#include "comms/PProtocol.h"
#include "comms/TTransform.h"
#include "controls/CAttributes.h"
#include "controls/CControl.h"
#include "controls/TTransformFactory.h"
#include "devices/HChassis.h"
#include "devices/ParseProjectXml.h"
#include "roomcombine/HRCGroup.h"
#include "roomcombine/HRCRoom.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTest>

namespace {

constexpr int Patience = 10000;

QString designProperty(const QString &name, const QString &value)
{
    return QStringLiteral("\t\t\t<Property name=\"%1\" value=\"%2\" />\n").arg(name, value);
}

} // namespace

RoomCombineRig::RoomCombineRig()
{
    device.setValueStoreEnabled(true);
    device.addBehaviour(&combiner);
    combiner.addGroup(1);
    m_polling.setInterval(250);
    connect(&m_polling, &QTimer::timeout, this, &RoomCombineRig::sweep);
}

RoomCombineRig::~RoomCombineRig()
{
    m_polling.stop();
    device.removeBehaviour(&combiner);
    m_controls.clear();
    TTransformFactory::clearRegistry();
    // The chassis hands its transport to deferred deletion: let that run
    // while the device is still here.
    if (m_pChassis && m_root.removeChild(m_pChassis))
        delete m_pChassis;
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

QString RoomCombineRig::designXml(quint16 port, const QString &blockTitle)
{
    static const QStringList kNames = {"One", "Two", "Three", "Four"};
    QString xml = QStringLiteral("<?xml version=\"1.0\" encoding=\"Windows-1252\"?>\n"
                                 "<Project version=\"4.3\">\n\t<Nodes>\n"
                                 "\t\t<Node className=\"Halvern.Quillon.Nodes.Wren\" typeNumber=\"1\" "
                                 "portIndex=\"0\">\n");
    xml += designProperty(QStringLiteral("title"), QStringLiteral("DXR-880 (Main)"))
        + designProperty(QStringLiteral("label"), QStringLiteral("Main Processor"))
        + designProperty(QStringLiteral("nodeID"), QStringLiteral("1"))
        + designProperty(QStringLiteral("deviceType"), QStringLiteral("DXR-880"))
        + designProperty(QStringLiteral("ipAddress"), QStringLiteral("127.0.0.1"))
        + designProperty(QStringLiteral("serialPortNumber"), QString::number(port))
        + designProperty(QStringLiteral("isMainDXR"), QStringLiteral("True"));
    xml += QStringLiteral("\t\t</Node>\n");
    for (int n = 1; n <= kNames.size(); ++n) {
        xml += QStringLiteral("\t\t<Node className=\"Halvern.Quillon.Nodes.RoomCombiner\" "
                              "typeNumber=\"30\">\n");
        xml += designProperty(QStringLiteral("title"), blockTitle)
            + designProperty(QStringLiteral("label"), QStringLiteral("Hall"))
            + designProperty(QStringLiteral("nodeID"), QString::number(10 + n))
            + designProperty(QStringLiteral("roomNumber"), QString::number(n))
            + designProperty(QStringLiteral("rcGroupNumber"), QStringLiteral("1"))
            + designProperty(QStringLiteral("roomName"), kNames.at(n - 1))
            + designProperty(QStringLiteral("roomCombine"), QStringLiteral("{1|2}{2|3}{3|4}"));
        xml += QStringLiteral("\t\t</Node>\n");
    }
    xml += QStringLiteral("\t</Nodes>\n\t<RCGroups>\n\t\t<RCGroup id=\"1\">\n")
        + designProperty(QStringLiteral("label"), QStringLiteral("Hall Group"))
        + designProperty(QStringLiteral("nodeID"), QStringLiteral("30"))
        + designProperty(QStringLiteral("index"), QStringLiteral("1"))
        + QStringLiteral("\t\t</RCGroup>\n\t</RCGroups>\n"
                         "\t<Assignment>\n\t\t<RCGroup id=\"1\" />\n\t</Assignment>\n</Project>\n");
    return xml;
}

bool RoomCombineRig::readDesign(const QString &blockTitle)
{
    const QString xml = designXml(device.port(), blockTitle);
    const QString path = QDir::current().filePath(QStringLiteral("rooms.vpj"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    file.write(xml.toUtf8());
    file.close();
    if (!parseProjectXml(&m_root, path, nullptr, false))
        return false;
    m_pChassis = qobject_cast<HChassis *>(m_root.childAt(0));
    if (!m_pChassis)
        return false;
    m_pGroup = qobject_cast<HRCGroup *>(
        m_pChassis->findByCategoryAndProperty(QStringLiteral("RCGroups"), QStringLiteral("id"),
                                              QStringLiteral("1")));
    return m_pGroup && m_pGroup->childCount() == 4;
}

QString RoomCombineRig::start(bool subscribe, const QString &blockTitle)
{
    device.setSubscriptionAccepted(subscribe);
    if (!readDesign(blockTitle))
        return QStringLiteral("the design was not read as four rooms of group 1");
    m_rooms.reserve(4);
    for (int i = 0; i < m_pGroup->childCount(); ++i) {
        auto *pRoom = qobject_cast<HRCRoom *>(m_pGroup->childAt(i));
        if (!pRoom)
            return QStringLiteral("a child of the group is no room");
        pRoom->setUsed(true);
        addRoomControl(pRoom);
    }
    PProtocol *pProtocol = m_pChassis->protocol();
    pProtocol->setHost(&protocolHost);
    m_pChassis->setOnline(true);
    IInterface *pTransport = m_pChassis->transport();
    if (!pTransport)
        return QStringLiteral("the chassis made no transport");
    if (!QTest::qWaitFor([pTransport]() { return pTransport->isConnected(); }, Patience))
        return QStringLiteral("no connection to the device");
    // The panel shows once the device said whether it takes
    // subscriptions, as after the model's start.
    if (!QTest::qWaitFor([pTransport]() { return pTransport->hasSubscriptionState(); }, Patience)
        || pProtocol->isSubscribed() != subscribe)
        return QStringLiteral("the connection subscription did not settle");
    for (const auto &pControl : m_controls)
        pControl->bind();
    m_polling.start();
    return QString();
}

void RoomCombineRig::addRoomControl(HRCRoom *pNode)
{
    auto pControl = std::make_unique<CControl>();
    pControl->setType(QStringLiteral("Control"));
    pControl->setName(pNode->label());
    pControl->setKind(QStringLiteral("RoomSelector"));
    pControl->setNode(pNode);
    pControl->setModel(&panelHost);
    pControl->attributes().setAddressStruct(CAttributes::StructRawCommand);
    pControl->attributes().setTransformName(QStringLiteral("passThrough"));
    Room room;
    room.pNode = pNode;
    room.pControl = pControl.get();
    m_rooms.push_back(room);
    const size_t at = m_rooms.size() - 1;
    CControl *pRaw = pControl.get();
    m_controls.push_back(std::move(pControl));

    // What the room's widget does with what its room node passes on.
    connect(pNode, &HNode::updateRoomColor, this,
            [this, at](const QString &colour) { m_rooms.at(at).show(colour); });
    connect(pNode, &HNode::sendMessage, this, [pRaw, pNode](const QString &message) {
        TTransform *pTransform = pRaw->transform();
        if (message.isEmpty() || !pTransform || !pNode->protocol())
            return;
        pTransform->setText(message);
        pNode->protocol()->sendValue(pTransform);
    });
    connect(pNode, &HNode::showErrorDialog, this, [this](const QString &message) {
        panelHost.showWarningBox(QStringLiteral("Room Combine Failure"), message);
    });
    connect(
        pNode, &HNode::queryResponseReady, this,
        [this, at]() {
            Room &room = m_rooms.at(at);
            room.show(room.pNode->roomColor(0));
            ++room.reports;
        },
        Qt::QueuedConnection);
}

void RoomCombineRig::sweep()
{
    for (const auto &pControl : m_controls)
        pControl->requestState();
}

QStringList RoomCombineRig::colours() const
{
    QStringList list;
    for (const Room &room : m_rooms)
        list.append(room.colour);
    return list;
}

void RoomCombineRig::click(int number)
{
    room(number).pNode->controlClicked();
}

void RoomCombineRig::select(int combo)
{
    m_pGroup->setSelectedCombo(combo);
}
