#pragma once

#include "devicestatus/DQmlDeviceStatusDialog.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <QVariant>

#include <functional>

class CCanvas;
class CComposite;
class CControl;
class DeviceStatusInterfaceObject;
class HRoot;
class IComposite;
class MProject;
class MQmlInterface;
class QMessageBox;
class QQmlContext;
class VModeManager;
class WDelegate;

// The central model: owns the device tree, the control tree, the project
// record and the set of transports, knows the QML interface object and the
// canvas, and carries out what crosses them.
class MModel : public QObject
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
    CCanvas *canvas() const { return m_pCanvas; }

    void setInterface(MQmlInterface *pInterface);
    MQmlInterface *getInterface() const;
    void setQmlContext(QQmlContext *pContext);
    QQmlContext *qmlContext() const;
    // A QML property of the interface object; invalid without one.
    QVariant getInterfaceProperty(const QString &name) const;

    HRoot *root() const { return m_pRoot; }
    CComposite *scenes() const { return m_pScenes; }
    MProject *project() const { return m_pProject; }
    IComposite *interfaces() const { return m_pInterfaces; }
    CComposite *currentPanel() const { return m_pCurrentPanel; }
    DQmlDeviceStatusDialog &deviceStatusDialog() { return m_deviceStatusDialog; }
    QString versionText() const { return m_versionText; }
    void setVersionText(const QString &text) { m_versionText = text; }
    // The loaded design project; empty before one was loaded.
    QString designPath() const { return m_designPath; }
    float viewScale() const { return m_scale; }
    // The protocols pause polling with false before every set: while the
    // polling timer runs it is restarted, so the next poll comes one full
    // period after the set.
    void setPollingActive(bool active);
    bool isPollingActive() const { return m_pollingActive; }
    QTimer *pollingTimer() { return &m_pollingTimer; }

    QString getSkinName() const;
    QString getAccentName() const;
    bool applySkin(const QString &skinName);
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
    bool followLink(const QString &path);

    // Shows the box modally and answers its result; tests put a recorder
    // here. An empty runner brings the real box back.
    using WarningBoxRunner = std::function<int(QMessageBox &box)>;
    static void setWarningBoxRunner(WarningBoxRunner runner);

    void updatePageProperties();
    void updateSceneTitle();
    void updateHeaderTitle();
    void updateSceneMenu();

    // The system menu, network information and status devices.
    bool showMenu(const QString &entry);
    bool hasStatusDevices() const;
    QString aboutText() const;
    QString networkStatusText() const;
    QString mobileIpAddressText() const;

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
    QString m_versionText = QStringLiteral("3.1");
    DQmlDeviceStatusDialog m_deviceStatusDialog;
};
