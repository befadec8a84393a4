#pragma once

#include "app/MConnections.h"
#include "app/MLayout.h"
#include "app/MNavigation.h"
#include "app/MNetworkInfo.h"
#include "app/MQmlInterface.h"
#include "app/MReceiveMode.h"
#include "app/MStatusDevices.h"
#include "comms/PProtocolHost.h"
#include "controls/CPanelHost.h"
#include "devicestatus/DQmlDeviceStatusDialog.h"

#include <QHostAddress>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <QVariant>

#include <functional>

class CCanvas;
class CComposite;
class DeviceStatusInterfaceObject;
class HRoot;
class IComposite;
class IInterface;
class ITcpServer;
class MProject;
class PFileProtocol;
class QMessageBox;
class QQmlContext;
class VModeManager;
class WDelegate;

// The central model: owns the device tree, the control tree and the project
// record, knows the QML interface object and the canvas, and is the one
// object that the QML side and the rest of the program talk to. Its jobs
// are done by services of their own: navigation and layout of the panels,
// the device connections and polling, receive mode and the dashboard's
// devices; the model loads projects, runs the system menu and forwards the
// rest. It is the host of the protocols and of the panels.
class MModel : public QObject, public PProtocolHost, public CPanelHost
{
    Q_OBJECT

public:
    MModel();
    ~MModel() override;

    void initialize();

    void setMainWindow(QObject *pMainWindow) { m_pMainWindow = pMainWindow; }
    QObject *mainWindow() const { return m_pMainWindow; }
    // Links model and canvas both ways.
    void setCanvas(CCanvas *pCanvas);
    CCanvas *canvas() const override { return m_pCanvas; }

    void setInterface(MQmlInterface *pInterface);
    MQmlInterface *getInterface() const override;
    void setQmlContext(QQmlContext *pContext);
    QQmlContext *qmlContext() const;
    // A QML property of the interface object; invalid without one.
    QVariant getInterfaceProperty(const QString &name) const override;

    HRoot *root() const { return m_pRoot; }
    CComposite *scenes() const { return m_pScenes; }
    MProject *project() const override { return m_pProject; }
    IComposite *interfaces() const { return m_connections.interfaces(); }
    CComposite *currentPanel() const { return m_navigation.currentPanel(); }
    DQmlDeviceStatusDialog &deviceStatusDialog() { return m_deviceStatusDialog; }
    QString versionText() const override { return m_versionText; }
    void setVersionText(const QString &text) override { m_versionText = text; }
    // The loaded design project; empty before one was loaded.
    QString designPath() const { return m_designPath; }
    float viewScale() const { return m_layout.scale(); }

    // The services.
    MConnections &connections() { return m_connections; }
    MNavigation &navigation() { return m_navigation; }
    MReceiveMode &receiveMode() { return m_receiveMode; }

    // Connections, polling and the indicator.
    // The protocols pause polling with false before every set: while the
    // polling timer runs it is restarted, so the next poll comes one full
    // period after the set.
    void setPollingActive(bool active) override { m_connections.setPollingActive(active); }
    bool isPollingActive() const { return m_connections.isPollingActive(); }
    QTimer *pollingTimer() { return m_connections.pollingTimer(); }
    void setConnectionsEnabled(bool on) { m_connections.setConnectionsEnabled(on); }
    void rebuildInterfaceSet() { m_connections.rebuildInterfaceSet(); }
    void refreshCurrentPanel() { m_connections.refreshCurrentPanel(); }
    static QString currentIndicatorPath() { return MConnections::currentIndicatorPath(); }

    QString getSkinName() const override;
    QString getAccentName() const override;
    bool applySkin(const QString &skinName) override;
    bool panelSetup();

    // Layout and scaling of the control tree on the view.
    bool computeViewScale() { return m_layout.computeViewScale(); }
    bool layoutCanvas() { return m_pRoot && m_layout.layoutCanvas(); }
    bool centerControls() { return m_layout.centerControls(currentPanel()); }

    // Project loading.
    // The project to open at start: the received project, else the stored
    // panel file in the designs folder, else the built-in demo.
    static QString projectFilePath();
    void loadProject(const QString &path);
    // When the file is a project archive, the path becomes its unpacked
    // panel file.
    void openArchive(QString &path);
    void loadDesignFromArchive();
    bool loadDesignProject(const QString &path);
    void clearHardware();
    void clearScenes();

    // Navigation between scenes and pages.
    bool selectScene(const QString &name) { return m_navigation.selectScene(name); }
    bool selectSceneByIndex(int index) { return m_navigation.selectSceneByIndex(index); }
    bool showPage(int index) { return m_navigation.showPage(index); }
    bool stepPage(int step) { return m_navigation.stepPage(step); }
    bool pageArrow(const QString &key) { return m_navigation.pageArrow(key); }
    void showCurrentPanel(bool visible) { m_navigation.showCurrentPanel(visible); }
    bool followLink(const QString &path) override { return m_navigation.followLink(path); }
    void updatePageProperties() { m_navigation.updatePageProperties(); }
    void updateSceneTitle() { m_navigation.updateSceneTitle(); }
    void updateHeaderTitle();
    void updateSceneMenu();

    // Shows the box modally and answers its result; tests put a recorder
    // here. An empty runner brings the real box back.
    using WarningBoxRunner = std::function<int(QMessageBox &box)>;
    static void setWarningBoxRunner(WarningBoxRunner runner);
    void showWarningBox(const QString &title, const QString &text) override;

    // The canvas's notifications to the desktop QML, as signals.
    void resetDesktop() override { emit resetCanvas(); }
    void reloadDesktop() override { emit reloadCanvas(); }
    QString statusIndicatorPath() const override { return currentIndicatorPath(); }
    QMetaObject::Connection connectStatusIndicator(QObject *pContext,
                                                   std::function<void()> slot) override;

    // The system menu, network information and status devices.
    bool showMenu(const QString &entry);
    // Modal boxes titled with the menu text; each answers the box's result.
    bool showIpAddressBox(const QString &title);
    bool showNetworkStatusBox(const QString &title);
    bool showProjectInfoBox(const QString &title);
    bool showAboutBox(const QString &title);
    // The dashboard's result (always 1).
    int openDeviceStatus();
    // The dashboard's devices: one status object per ARX amplifier and
    // loudspeaker array, each a child of its chassis.
    void buildStatusDevices();
    // Rebuilds the status devices; true when there is one.
    bool hasStatusDevices();
    QList<DeviceStatusInterfaceObject *> statusDevices() const { return m_statusDevices.devices(); }
    QString aboutText() const;
    QString networkStatusText() const;
    QString mobileIpAddressText() const { return MNetworkInfo::mobileIpAddressText(); }
    // This machine's IPv4 addresses but 127.0.0.x, one a line.
    static QString addressListText() { return MNetworkInfo::addressListText(); }
    static QString addressListText(const QList<QHostAddress> &addresses)
    {
        return MNetworkInfo::addressListText(addresses);
    }
    using AddressSource = MNetworkInfo::AddressSource;
    static void setAddressSource(AddressSource source) { MNetworkInfo::setAddressSource(std::move(source)); }

    // Receive mode: the design software pushes a project over TCP, it is
    // stored as "download.cpn" in the designs folder and opened at once.
    static constexpr int ReceiveModePort = MReceiveMode::ReceiveModePort;
    // From start to end; true when a project was received and opened.
    bool receiveAndLoadDesign();
    // The transfer alone; true when a file was received and stored.
    bool receiveDesign() { return m_receiveMode.receiveDesign(); }
    // The wait with the receive box; returns once the reception has ended.
    void runReceiveDialog(PFileProtocol *pProtocol, IInterface *pServer) override;
    void showReceiveFailure(const QString &text) override { m_receiveMode.showReceiveFailure(text); }
    QString receivedDesignPath(bool createFolder) const { return m_receiveMode.receivedDesignPath(createFolder); }
    bool isReceiving() const { return m_receiveMode.isReceiving(); }
    // The receive-mode server while a receive runs, else null.
    ITcpServer *receiveServer() const { return m_receiveMode.receiveServer(); }

    // The part of the path after its last "/" (empty without one); without
    // keepExtension also cut before its last ".".
    static QString fileName(const QString &path, bool keepExtension);

signals:
    void resetQMLFocus();
    void enableConnection(bool enabled);
    void displayMessage(QString msg);
    void selectState(bool selected);
    void ccpState(bool selected);
    void reloadCanvas();
    void resetCanvas();
    void changedStatusIndicator();

public slots:
    void doPolling() { m_connections.doPolling(); }
    void interfaceStatusChanged(bool isConnected) { m_connections.interfaceStatusChanged(isConnected); }
    void onExtraRefreshTimerTimeout();
    bool getIsScaleMultiply() const;

private:
    void showWarning(const QString &text);
    bool runMessageBox(const QString &qmlFile, const QString &title, const QString &text,
                       const QString &buttonText);
    void requestExit();

    // The QML side may go before us (the view is deleted first), so both
    // are guarded.
    QPointer<MQmlInterface> m_pInterface;
    QPointer<QQmlContext> m_pQmlContext;
    HRoot *m_pRoot = nullptr;
    CComposite *m_pScenes = nullptr;
    MProject *m_pProject = nullptr;
    WDelegate *m_pDelegate = nullptr;
    VModeManager *m_pModeManager = nullptr;
    QObject *m_pMainWindow = nullptr;
    QString m_designPath;
    CCanvas *m_pCanvas = nullptr;
    QString m_versionText = QStringLiteral("3.1");
    DQmlDeviceStatusDialog m_deviceStatusDialog;
    MStatusDevices m_statusDevices{m_deviceStatusDialog};
    MLayout m_layout;
    MNavigation m_navigation{m_layout};
    MConnections m_connections;
    MReceiveMode m_receiveMode{m_connections};
};
