#pragma once

#include "app/MQmlInterface.h"
#include "comms/PProtocolHost.h"
#include "controls/CPanelHost.h"
#include "devicestatus/DQmlDeviceStatusDialog.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <QVariant>

#include <QHostAddress>

#include <functional>
#include <memory>

class CCanvas;
class CComposite;
class CControl;
class DeviceStatusInterfaceObject;
class HChassis;
class HRoot;
class IComposite;
class IInterface;
class ITcpServer;
class MProject;
class MQmlInterface;
class PFileProtocol;
class QHostAddress;
class QMessageBox;
class QQmlContext;
class VModeManager;
class WDelegate;

// The central model: owns the device tree, the control tree, the project
// record and the set of transports, knows the QML interface object and the
// canvas, and carries out what crosses them.
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
    IComposite *interfaces() const { return m_pInterfaces; }
    CComposite *currentPanel() const { return m_pCurrentPanel; }
    DQmlDeviceStatusDialog &deviceStatusDialog() { return m_deviceStatusDialog; }
    QString versionText() const override { return m_versionText; }
    void setVersionText(const QString &text) override { m_versionText = text; }
    // The loaded design project; empty before one was loaded.
    QString designPath() const { return m_designPath; }
    float viewScale() const { return m_scale; }
    // The protocols pause polling with false before every set: while the
    // polling timer runs it is restarted, so the next poll comes one full
    // period after the set.
    void setPollingActive(bool active) override;
    bool isPollingActive() const { return m_pollingActive; }
    QTimer *pollingTimer() { return &m_pollingTimer; }

    // Brings every chassis on line, links its protocol to the model, runs
    // the 250 ms polling and has each transport report its state here.
    // Repeating it connects nothing twice.
    void setConnectionsEnabled(bool on);
    // Lists every chassis's transport in the composite and recomputes the
    // connection indicator.
    void rebuildInterfaceSet();
    // The current panel asks for its controls' states.
    void refreshCurrentPanel();
    // The last connection-indicator image path, for the indicator button;
    // empty before the first update.
    static QString currentIndicatorPath();

    QString getSkinName() const override;
    QString getAccentName() const override;
    bool applySkin(const QString &skinName) override;
    bool panelSetup();

    // Layout and scaling of the control tree on the view.
    bool computeViewScale();
    bool layoutCanvas();
    bool centerControls();

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
    bool selectScene(const QString &name);
    bool selectSceneByIndex(int index);
    bool showPage(int index);
    bool stepPage(int step);
    bool pageArrow(const QString &key);
    void showCurrentPanel(bool visible);
    bool followLink(const QString &path) override;

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

    void updatePageProperties();
    void updateSceneTitle();
    void updateHeaderTitle();
    void updateSceneMenu();

    // The system menu, network information and status devices.
    bool showMenu(const QString &entry);
    // Modal boxes titled with the menu text; each answers the box's result.
    bool showIpAddressBox(const QString &title);
    bool showNetworkStatusBox(const QString &title);
    bool showProjectInfoBox(const QString &title);
    bool showAboutBox(const QString &title);
    bool openDeviceStatus();
    // The dashboard's devices: one status object per ARX amplifier and
    // loudspeaker array, each a child of its chassis.
    void buildStatusDevices();
    // Rebuilds the status devices; true when there is one.
    bool hasStatusDevices();
    QList<DeviceStatusInterfaceObject *> statusDevices() const;
    QString aboutText() const;
    QString networkStatusText() const;
    QString mobileIpAddressText() const;
    // This machine's IPv4 addresses but 127.0.0.x, one a line.
    static QString addressListText();
    static QString addressListText(const QList<QHostAddress> &addresses);

    // Receive mode: the design software pushes a project over TCP, it is
    // stored as "download.cpn" in the designs folder and opened at once.
    static constexpr int ReceiveModePort = 10056;
    // From start to end; true when a project was received and opened.
    bool receiveAndLoadDesign();
    // The transfer alone; true when a file was received and stored.
    bool receiveDesign();
    // The wait with the receive box; returns once the reception has ended.
    void runReceiveDialog(PFileProtocol *pProtocol, IInterface *pServer) override;
    // The failure box of receive mode.
    void showReceiveFailure(const QString &text) override;
    // Where a received project is stored; with createFolder the designs
    // folder is made with every missing level, and when that fails the
    // result is empty.
    QString receivedDesignPath(bool createFolder) const;
    bool isReceiving() const { return m_receiving; }
    // The receive-mode server while a receive runs, else null.
    ITcpServer *receiveServer() const { return m_pReceiveServer.get(); }

    // Test seams: where receive mode listens, how much it takes, and a call
    // made once the receive box is open and the server listens (tests start
    // their sender or press Cancel there).
    using ReceiveWaitHook = std::function<void(QMessageBox *pReceiveBox)>;
    void setReceivePort(int port) { m_receivePort = port; }
    void setReceiveListenAddress(const QHostAddress &address) { m_receiveListenAddress = address; }
    void setReceiveSizeLimit(qint64 bytes) { m_receiveSizeLimit = bytes; }
    void setReceiveWaitHook(ReceiveWaitHook hook) { m_receiveWaitHook = std::move(hook); }
    // The machine's addresses as the address list sees them; an empty
    // source brings QNetworkInterface back.
    using AddressSource = std::function<QList<QHostAddress>()>;
    static void setAddressSource(AddressSource source);

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
    void doPolling();
    void interfaceStatusChanged(bool isConnected);
    void onExtraRefreshTimerTimeout();
    bool getIsScaleMultiply() const;

private:
    void setInterfaceProperty(const char *name, const QVariant &value);
    QObject *viewItem() const;
    // The current scene's current panel, looked up again.
    CComposite *findCurrentPanel() const;
    CControl *currentScene() const;
    void showWarning(const QString &text);
    // The chassis of the device tree, in tree order.
    QList<HChassis *> chassisList() const;
    bool runMessageBox(const QString &qmlFile, const QString &title, const QString &text,
                       const QString &buttonText);
    void requestExit();
    // Deletes the status objects of earlier lists that the dashboard no
    // longer shows.
    void releaseRetiredStatusDevices();
    // After a receive that brought no project: polling runs again when it
    // ran before, and a connection loss that the receive kept quiet is
    // passed on, so the protocols subscribe again.
    void resumeAfterFailedReceive(bool wasPolling, bool wasActive);
    void watchTransportsDuringReceive(bool watch);
    void noteTransportStateDuringReceive(bool isConnected);

    // The QML side may go before us (the view is deleted first), so both
    // are guarded.
    QPointer<MQmlInterface> m_pInterface;
    QPointer<QQmlContext> m_pQmlContext;
    HRoot *m_pRoot = nullptr;
    IComposite *m_pInterfaces = nullptr;
    CComposite *m_pScenes = nullptr;
    QTimer m_pollingTimer;
    bool m_pollingActive = true;
    MProject *m_pProject = nullptr;
    QList<QPointer<DeviceStatusInterfaceObject>> m_statusDevices;
    // Dropped from the list while the dashboard still showed them.
    QList<QPointer<DeviceStatusInterfaceObject>> m_retiredStatusDevices;
    float m_viewHeight = 0.0f;
    float m_viewWidth = 0.0f;
    CComposite *m_pCurrentPanel = nullptr;
    WDelegate *m_pDelegate = nullptr;
    VModeManager *m_pModeManager = nullptr;
    float m_scale = 1.0f;
    QObject *m_pMainWindow = nullptr;
    QString m_designPath;
    CCanvas *m_pCanvas = nullptr;
    bool m_receiving = false;
    // Owned for the length of one receive (longer only after a failed
    // protocol lookup).
    std::unique_ptr<ITcpServer> m_pReceiveServer;
    bool m_receiveRunning = false;
    bool m_lostDuringReceive = false;
    int m_receivePort = ReceiveModePort;
    QHostAddress m_receiveListenAddress = QHostAddress(QHostAddress::Any);
    // Negative: the file protocol's own cap.
    qint64 m_receiveSizeLimit = -1;
    ReceiveWaitHook m_receiveWaitHook;
    QString m_versionText = QStringLiteral("3.1");
    DQmlDeviceStatusDialog m_deviceStatusDialog;
};
