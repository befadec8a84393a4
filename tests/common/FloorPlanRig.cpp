#include "FloorPlanRig.h"

#include "InterfaceQml.h"
#include "QuickItemSearch.h"
#include "RoomCombineRig.h"
#include "comms/IInterface.h"
#include "comms/PProtocol.h"
#include "controls/CComposite.h"
#include "controls/CControl.h"
#include "controls/TTransformFactory.h"
#include "controls/WDelegate.h"
#include "controls/WWidgetFactory.h"
#include "controls/XControlHandler.h"
#include "devices/HChassis.h"
#include "devices/ParseProjectXml.h"
#include "project/XmlFileReader.h"
#include "roomcombine/HRCGroup.h"
#include "roomcombine/WActiveCombo.h"
#include "roomcombine/WComboSelection.h"
#include "roomcombine/WRoomSelection.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QQmlContext>
#include <QTest>

namespace {

constexpr int Patience = 10000;
constexpr int RoomWidth = 150;
constexpr int RoomHeight = 100;
constexpr int RoomTop = 100;

int roomLeft(int number)
{
    return 20 + (number - 1) * (RoomWidth + 10);
}

QString roomControl(int number)
{
    return QStringLiteral(R"(
<Control name="Room %1" type="RoomSelector">
	<block>[Hall-%2]</block>
	<nodeID>%3</nodeID>
	<nodeCategory>RCRooms</nodeCategory>
	<connection>Chassis|||1</connection>
	<id>%4</id>
	<Property name="widget">
		<roomselector>
			<x>%5</x>
			<y>%6</y>
			<width>%7</width>
			<height>%8</height>
			<z>1</z>
			<bordercolor>#231f20</bordercolor>
			<borderwidth>2</borderwidth>
			<polygon>0,0 %7,0 %7,%8 0,%8 </polygon>
			<selectedOpacity>0.7</selectedOpacity>
			<unselectedOpacity>0.3</unselectedOpacity>
		</roomselector>
	</Property>
	<Property name="attributes">
		<room>
			<struct>9</struct>
			<transform>passThrough</transform>
		</room>
	</Property>
</Control>
<Control name="Names %1" type="ActiveRoomCombo">
	<block>[Hall-%2]</block>
	<nodeID>%3</nodeID>
	<nodeCategory>RCRooms</nodeCategory>
	<connection>Chassis|||1</connection>
	<id>%9</id>
	<Property name="widget">
		<activeroomcombo>
			<x>%5</x>
			<y>%10</y>
			<width>%7</width>
			<height>40</height>
			<z>1</z>
			<separator>, </separator>
		</activeroomcombo>
	</Property>
	<Property name="attributes">
		<room>
			<struct>9</struct>
			<transform>passThrough</transform>
		</room>
	</Property>
</Control>)")
        .arg(number)
        .arg(QStringList{"One", "Two", "Three", "Four"}.at(number - 1))
        .arg(10 + number)
        .arg(100 + number)
        .arg(roomLeft(number))
        .arg(RoomTop)
        .arg(RoomWidth)
        .arg(RoomHeight)
        .arg(200 + number)
        .arg(RoomTop + RoomHeight + 10);
}

QByteArray panelFile(const QString &controlsXml)
{
    return QStringLiteral(R"(<?xml version="1.0" encoding="UTF-8"?>
<VDS>
	<Scenes>
		<Scene name="Rooms">
			<Panels>
				<Panel name="Floor Plan" type="custom">
					<Controls>
%1
					</Controls>
				</Panel>
			</Panels>
		</Scene>
	</Scenes>
</VDS>
)")
        .arg(controlsXml)
        .toUtf8();
}

void collectLeaves(CControl *pParent, QList<CControl *> *pLeaves)
{
    for (int i = 0; i < pParent->childCount(); ++i) {
        CControl *pChild = pParent->childAt(i);
        if (pChild->childCount() == 0 && !pChild->widgets().isEmpty())
            pLeaves->append(pChild);
        collectLeaves(pChild, pLeaves);
    }
}

} // namespace

QString FloorPlanRig::panelControlsXml()
{
    QString xml;
    for (int n = 1; n <= 4; ++n)
        xml += roomControl(n);
    xml += QStringLiteral(R"(
<Control name="Combinations" type="ComboSelector">
	<block>Hall Group</block>
	<nodeID>30</nodeID>
	<nodeCategory>RCGroups</nodeCategory>
	<connection>Chassis|||1</connection>
	<id>300</id>
	<Property name="widget">
		<comboselector>
			<x>20</x>
			<y>30</y>
			<width>300</width>
			<height>40</height>
			<z>1</z>
			<sideMargins>4</sideMargins>
		</comboselector>
	</Property>
	<Property name="attributes" />
</Control>)");
    return xml;
}

FloorPlanRig::FloorPlanRig()
    : m_pScenes(std::make_unique<CComposite>())
{
    WWidgetFactory::registerWidgetTypes();
    device.setValueStoreEnabled(true);
    device.addBehaviour(&combiner);
    combiner.addGroup(1);
    window.resize(700, 300);
    m_pInterface = InterfaceQml::create(m_engine);
    m_engine.rootContext()->setContextProperty(QStringLiteral("intrf"), m_pInterface.get());
    panelHost.pInterface = m_pInterface.get();
    auto *pFactory = new WWidgetFactory;
    pFactory->setParentItem(window.contentItem());
    pFactory->setContext(m_engine.rootContext());
    WDelegate::instance()->setFactory(pFactory);
    m_polling.setInterval(250);
    connect(&m_polling, &QTimer::timeout, this, &FloorPlanRig::sweep);
}

FloorPlanRig::~FloorPlanRig()
{
    m_polling.stop();
    device.removeBehaviour(&combiner);
    m_leaves.clear();
    // The controls hand their widget items to deferred deletion; they must
    // go while the engine and the window are still there.
    m_pScenes.reset();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    TTransformFactory::clearRegistry();
    WDelegate::destroyInstance();
    // The chassis hands its transport to deferred deletion: let that run
    // while the device is still here.
    if (m_pChassis && m_root.removeChild(m_pChassis))
        delete m_pChassis;
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

QString FloorPlanRig::start(bool subscribe, const QString &blockTitle)
{
    device.setSubscriptionAccepted(subscribe);
    if (!m_pInterface)
        return QStringLiteral("the interface QML did not load");

    const QString path = QDir::current().filePath(QStringLiteral("floorplan.vpj"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return QStringLiteral("the design could not be written");
    file.write(RoomCombineRig::designXml(device.port(), blockTitle).toUtf8());
    file.close();
    if (!parseProjectXml(&m_root, path, nullptr, false))
        return QStringLiteral("the design was not read");
    m_pChassis = qobject_cast<HChassis *>(m_root.childAt(0));
    if (!m_pChassis)
        return QStringLiteral("the design has no chassis");
    m_pGroup = qobject_cast<HRCGroup *>(m_pChassis->findByCategoryAndNodeID(QStringLiteral("RCGroups"), 30));
    if (!m_pGroup || m_pGroup->childCount() != 4)
        return QStringLiteral("the design was not read as four rooms of group 1");

    m_pScenes->setKind(QStringLiteral("Scenes"));
    m_pScenes->setModel(&panelHost);
    XControlHandler handler;
    handler.setRootComposite(m_pScenes.get());
    handler.setDeviceRoot(&m_root);
    QByteArray text = panelFile(panelControlsXml());
    QBuffer buffer(&text);
    if (!XmlFileReader::parse(buffer, handler))
        return QStringLiteral("the panel file was not read");
    collectLeaves(m_pScenes.get(), &m_leaves);
    for (int n = 1; n <= 4; ++n) {
        if (!room(n) || !names(n))
            return QStringLiteral("room %1 has not its widgets").arg(n);
    }
    if (!selector())
        return QStringLiteral("the panel has no combination selector");

    window.show();
    if (!QTest::qWaitForWindowExposed(&window))
        return QStringLiteral("the window was not shown");

    PProtocol *pProtocol = m_pChassis->protocol();
    pProtocol->setHost(&protocolHost);
    m_pChassis->setOnline(true);
    IInterface *pTransport = m_pChassis->transport();
    if (!pTransport)
        return QStringLiteral("the chassis made no transport");
    connect(pTransport, &IInterface::interfaceStateChanged, this, &FloorPlanRig::showIndicator);
    showIndicator();
    if (!QTest::qWaitFor([pTransport]() { return pTransport->isConnected(); }, Patience))
        return QStringLiteral("no connection to the device");
    if (!QTest::qWaitFor([pTransport]() { return pTransport->hasSubscriptionState(); }, Patience)
        || pProtocol->isSubscribed() != subscribe)
        return QStringLiteral("the connection subscription did not settle");
    for (CControl *pControl : std::as_const(m_leaves)) {
        pControl->bind();
        pControl->setVisible(true);
    }
    m_polling.start();
    return QString();
}

void FloorPlanRig::showIndicator()
{
    // As the model shows the connections: red for none, yellow for some,
    // green for all.
    QString colour = QStringLiteral("red");
    if (isConnected())
        colour = QStringLiteral("grn");
    else if (otherDeviceConnected)
        colour = QStringLiteral("ylw");
    m_pInterface->setProperty("connectInd",
                              QStringLiteral("../../images/skins/Light/indicator_%1.png").arg(colour));
}

bool FloorPlanRig::isConnected() const
{
    const IInterface *pTransport = m_pChassis ? m_pChassis->transport() : nullptr;
    return pTransport && pTransport->isConnected();
}

void FloorPlanRig::setEditMode(bool on)
{
    m_pInterface->setProperty("editModeEnable", on);
}

void FloorPlanRig::sweep()
{
    for (CControl *pControl : std::as_const(m_leaves))
        pControl->requestState();
}

CControl *FloorPlanRig::control(const QString &name) const
{
    for (CControl *pControl : m_leaves) {
        if (pControl->name() == name)
            return pControl;
    }
    return nullptr;
}

WRoomSelection *FloorPlanRig::room(int number) const
{
    const CControl *pControl = control(QStringLiteral("Room %1").arg(number));
    return pControl ? qobject_cast<WRoomSelection *>(pControl->widgetByType(QStringLiteral("roomselector")))
                    : nullptr;
}

WActiveCombo *FloorPlanRig::names(int number) const
{
    const CControl *pControl = control(QStringLiteral("Names %1").arg(number));
    return pControl ? qobject_cast<WActiveCombo *>(pControl->widgetByType(QStringLiteral("activeroomcombo")))
                    : nullptr;
}

WComboSelection *FloorPlanRig::selector() const
{
    const CControl *pControl = control(QStringLiteral("Combinations"));
    return pControl ? qobject_cast<WComboSelection *>(pControl->widgetByType(QStringLiteral("comboselector")))
                    : nullptr;
}

QStringList FloorPlanRig::colours() const
{
    QStringList list;
    for (int n = 1; n <= 4; ++n)
        list.append(room(n)->fillColor());
    return list;
}

QStringList FloorPlanRig::shownNames() const
{
    QStringList list;
    for (int n = 1; n <= 4; ++n)
        list.append(names(n)->roomNames().join(QLatin1Char('+')));
    return list;
}

void FloorPlanRig::clickRoom(int number)
{
    const QPoint at(roomLeft(number) + RoomWidth / 2, RoomTop + RoomHeight / 2);
    QTest::mousePress(&window, Qt::LeftButton, {}, at);
    QTest::mouseRelease(&window, Qt::LeftButton, {}, at);
}

bool FloorPlanRig::clickSwatch(int index)
{
    QQuickItem *pSwatch = findQuickItem(qobject_cast<QQuickItem *>(selector()->widget()),
                                        QStringLiteral("swatch%1").arg(index));
    if (!pSwatch)
        return false;
    const QPointF at = pSwatch->mapToScene(QPointF(pSwatch->width() / 2, pSwatch->height() / 2));
    QTest::mouseClick(&window, Qt::LeftButton, {}, at.toPoint());
    return true;
}
