#include "MConnections.h"

#include "comms/IComposite.h"
#include "comms/PProtocol.h"
#include "controls/CCanvas.h"
#include "controls/CComposite.h"
#include "devices/HChassis.h"
#include "devices/NodeCategory.h"

namespace {
QString &indicatorPath()
{
    static QString s_path;
    return s_path;
}
} // namespace

MConnections::MConnections(QObject *parent)
    : QObject(parent)
    , m_pInterfaces(new IComposite)
{
}

MConnections::~MConnections()
{
    delete m_pInterfaces;
}

QList<HChassis *> MConnections::chassisOf(HNode *pRoot)
{
    QList<HChassis *> list;
    if (!pRoot)
        return list;
    QList<HNode *> nodes;
    pRoot->appendIfCategory(NodeCategory::chassis(), &nodes);
    for (HNode *pNode : std::as_const(nodes)) {
        if (auto *pChassis = qobject_cast<HChassis *>(pNode))
            list.append(pChassis);
    }
    return list;
}

void MConnections::setUpPolling(QObject *pOwner)
{
    m_pollingTimer.stop();
    m_pollingTimer.setObjectName(QStringLiteral("polling"));
    m_pollingTimer.setParent(pOwner ? pOwner : this);
    connect(&m_pollingTimer, &QTimer::timeout, this, &MConnections::doPolling, Qt::UniqueConnection);
}

void MConnections::setConnectionsEnabled(bool on)
{
    if (!m_pRoot)
        return;
    for (HChassis *pChassis : chassisOf(m_pRoot)) {
        PProtocol *pProtocol = pChassis->protocol();
        if (!pProtocol) {
            pChassis->setOnline(on);
            continue;
        }
        // Unique: connections may be turned on again for the same tree.
        connect(pChassis, &HChassis::onlineStateChanged, pProtocol,
                &PProtocol::onOnlineStateChanged, Qt::UniqueConnection);
        // The chassis announces the change only when it has nodes in use;
        // otherwise its protocol is told here. Either way, once.
        bool announced = false;
        const QMetaObject::Connection heard = connect(
            pChassis, &HChassis::onlineStateChanged, this, [&announced]() { announced = true; });
        pChassis->setOnline(on);
        disconnect(heard);
        if (!announced)
            pProtocol->onOnlineStateChanged(on);
        if (m_protocolLink)
            m_protocolLink(pProtocol);
    }
    if (on) {
        m_pollingTimer.start(PollingIntervalMs);
        setPollingActive(true);
    } else {
        m_pollingTimer.stop();
    }
    // Each chassis connects its transport uniquely.
    m_pRoot->connectInterfaceStatus(m_pStatusReceiver);
}

void MConnections::rebuildInterfaceSet()
{
    if (!m_pRoot || !m_pInterfaces)
        return;
    m_pInterfaces->clearInterfaces(false);
    for (const HChassis *pChassis : chassisOf(m_pRoot))
        m_pInterfaces->addInterface(pChassis->transport());
    if (m_pInterfaces->interfaceCount() > 0) {
        m_pInterfaces->notifyState();
    } else {
        // No transport reports: the previous project's indicator would
        // stay. With nothing listed there is no loss to pass on.
        interfaceStatusChanged(true);
    }
}

void MConnections::refreshCurrentPanel()
{
    if (CComposite *pPanel = currentPanel())
        pPanel->requestState();
}

void MConnections::doPolling()
{
    CComposite *pPanel = currentPanel();
    if (!pPanel)
        return;
    pPanel->requestState();
    // A set paused the panel; this tick only re-arms it, so the sweep
    // resumes with the next one.
    setPollingActive(true);
}

void MConnections::setPollingActive(bool active)
{
    m_pollingActive = active;
    if (CComposite *pPanel = currentPanel())
        pPanel->setPollingActive(active ? 1 : 0);
    if (!active && m_pollingTimer.isActive())
        m_pollingTimer.start();
}

QString MConnections::currentIndicatorPath()
{
    return indicatorPath();
}

void MConnections::interfaceStatusChanged(bool isConnected)
{
    if (!m_pIndicatorTarget || !m_pInterfaces)
        return;
    const int connected = m_pInterfaces->connectedCount();
    const int count = m_pInterfaces->interfaceCount();
    // The counts decide, not the reporting transport's own state.
    const char *image = "/indicator_ylw.png";
    if (connected == 0)
        image = "/indicator_red.png";
    else if (connected == count)
        image = "/indicator_grn.png";
    const QString skin = m_pCanvas ? m_pCanvas->skin() : QString();
    const QString path = QStringLiteral("../../images/skins/") + skin + QLatin1String(image);
    m_pIndicatorTarget->setProperty("connectInd", path);
    indicatorPath() = path;
    if (m_holding)
        return;
    emit changedStatusIndicator();
    if (!isConnected)
        m_pInterfaces->notifyOwner();
}

void MConnections::holdReports(bool hold)
{
    m_holding = hold;
    if (hold)
        m_lostWhileHeld = false;
}

void MConnections::watchForLosses(bool watch)
{
    for (int i = 0; i < m_pInterfaces->interfaceCount(); ++i) {
        IInterface *pTransport = m_pInterfaces->interfaceAt(i);
        if (!pTransport)
            continue;
        if (watch) {
            connect(pTransport, &IInterface::interfaceStateChanged, this,
                    &MConnections::noteStateWhileHeld, Qt::UniqueConnection);
        } else {
            disconnect(pTransport, &IInterface::interfaceStateChanged, this,
                       &MConnections::noteStateWhileHeld);
        }
    }
}

void MConnections::noteStateWhileHeld(bool isConnected)
{
    if (m_holding && !isConnected)
        m_lostWhileHeld = true;
}

void MConnections::passHeldLoss()
{
    if (m_lostWhileHeld && m_pInterfaces)
        m_pInterfaces->notifyOwner();
    m_lostWhileHeld = false;
}
