#pragma once

#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>

#include <functional>

class CCanvas;
class CComposite;
class HChassis;
class HNode;
class IComposite;
class PProtocol;

// The device connections of the loaded tree: every chassis brought on line,
// its protocol linked to the application, the 250 ms polling of the visible
// panel with its pause before a set, and the set of transports that drives
// the connection indicator ("connectInd": red for none connected, yellow
// for some, green for all).
class MConnections : public QObject
{
    Q_OBJECT

public:
    static constexpr int PollingIntervalMs = 250;

    explicit MConnections(QObject *parent = nullptr);
    ~MConnections() override;

    void setRoot(HNode *pRoot) { m_pRoot = pRoot; }
    // Where "connectInd" is written: the interface object.
    void setIndicatorTarget(QObject *pTarget) { m_pIndicatorTarget = pTarget; }
    // Its skin names the indicator images.
    void setCanvas(CCanvas *pCanvas) { m_pCanvas = pCanvas; }
    // The panel that polling asks, looked up at each use.
    using PanelSource = std::function<CComposite *()>;
    void setCurrentPanelSource(PanelSource source) { m_currentPanel = std::move(source); }
    // Links each chassis's protocol to the application as it goes on line.
    using ProtocolLink = std::function<void(PProtocol *)>;
    void setProtocolLink(ProtocolLink link) { m_protocolLink = std::move(link); }
    // The object whose slot interfaceStatusChanged(bool) the transports
    // report to; this object unless set.
    void setStatusReceiver(QObject *pReceiver) { m_pStatusReceiver = pReceiver; }

    // Names the polling timer, makes it a child of the owner (the model,
    // whose timer it is) and has it poll; it starts with connections.
    void setUpPolling(QObject *pOwner);
    // Brings every chassis on line, links its protocol, runs the polling
    // and has each transport report its state. Repeating it connects
    // nothing twice.
    void setConnectionsEnabled(bool on);
    // Lists every chassis's transport and recomputes the indicator.
    void rebuildInterfaceSet();
    // The current panel asks for its controls' states.
    void refreshCurrentPanel();
    // With false the panel's sweep pauses and a running timer restarts, so
    // the next poll comes one full period later.
    void setPollingActive(bool active);
    bool isPollingActive() const { return m_pollingActive; }
    QTimer *pollingTimer() { return &m_pollingTimer; }
    IComposite *interfaces() const { return m_pInterfaces; }

    // The last connection-indicator image path; empty before the first
    // update.
    static QString currentIndicatorPath();

    // While held (receive mode), the indicator is still computed but
    // neither announced nor are losses passed to the protocols.
    void holdReports(bool hold);
    bool isHoldingReports() const { return m_holding; }
    // While watched, a transport of the set that goes down is noted.
    void watchForLosses(bool watch);
    // A loss noted while the reports were held goes to every protocol now,
    // so that each drops and renews its subscriptions.
    void passHeldLoss();
    void announceIndicator() { emit changedStatusIndicator(); }

    // The chassis below the root, in tree order.
    static QList<HChassis *> chassisOf(HNode *pRoot);

public slots:
    void doPolling();
    void interfaceStatusChanged(bool isConnected);

signals:
    void changedStatusIndicator();

private slots:
    void noteStateWhileHeld(bool isConnected);

private:
    CComposite *currentPanel() const { return m_currentPanel ? m_currentPanel() : nullptr; }

    HNode *m_pRoot = nullptr;
    QPointer<QObject> m_pIndicatorTarget;
    CCanvas *m_pCanvas = nullptr;
    PanelSource m_currentPanel;
    ProtocolLink m_protocolLink;
    QObject *m_pStatusReceiver = this;
    // Lists the transports of all chassis; owns none of them.
    IComposite *m_pInterfaces = nullptr;
    QTimer m_pollingTimer;
    bool m_pollingActive = true;
    bool m_holding = false;
    bool m_lostWhileHeld = false;
};
