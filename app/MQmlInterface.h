#pragma once

#include "app/DQmlMessageDialog.h"
#include "controls/WWidget.h"

#include <QObject>
#include <QPointer>
#include <QQmlContext>
#include <QString>
#include <QTimer>

#include <memory>

class CControl;
class MModel;
class MeterGaugeLocalization;

// The one object through which QML and the program talk: the root element
// of the interface QML, published to all QML as "intrf". The look-and-feel
// properties are declared by that QML; this class offers the operations.
class MQmlInterface : public QObject
{
    Q_OBJECT

public:
    explicit MQmlInterface(QObject *parent = nullptr);
    ~MQmlInterface() override;

    // Called by the view host and the model, not by QML.
    void linkModel(MModel *pModel);
    // "Version 3.1.18.0", a blank line and the legal notice; also the About
    // box text.
    static QString versionText();
    MModel *model() const;
    void setContext(QQmlContext *pContext);
    QQmlContext *context() const { return m_pContext; }
    void loadSceneMenu(CControl *pSceneRoot);
    void setupMenuData(const QString &text);
    // The control view item the desktop QML registered as "QmlView".
    QObject *viewItem() const { return m_pViewItem; }
    MeterGaugeLocalization *meterGaugeLocalization() const { return m_pMeterGaugeLocalization.get(); }
    DQmlMessageDialog &messageDialog() { return m_messageDialog; }
    const QTimer &exitTimer() const { return m_exitTimer; }

    Q_INVOKABLE void doubleClickControl();
    Q_INVOKABLE void exitApplication();
    Q_INVOKABLE QString getExitPIN();
    Q_INVOKABLE void setObject(QString name, QObject *pObject);
    Q_INVOKABLE void canvasResize();
    Q_INVOKABLE bool shouldDisplayDeviceStatusDashboardIcon();
    Q_INVOKABLE void onDeviceStatusDashboardOpen();
    Q_INVOKABLE QString getVersionText();
    Q_INVOKABLE QString getFileVersionString();
    Q_INVOKABLE QString getProjectInfoString();
    Q_INVOKABLE QString getNetworkStatusString();
    Q_INVOKABLE QString getMobileIPAddressString();
    Q_INVOKABLE QString getReceivePanelString();
    Q_INVOKABLE QString getDesktopOrMobile();
    Q_INVOKABLE void saveFullScreenState(bool isFullscreen);
    Q_INVOKABLE bool loadFullScreenState();
    Q_INVOKABLE QString getArxPcIp();
    Q_INVOKABLE void setArxPcIp(QString ipValue);
    Q_INVOKABLE void clearArxPcIp();
    Q_INVOKABLE QString getProxyInfoMsg();
    Q_INVOKABLE QString getProxyType();
    Q_INVOKABLE bool isBuilder();
    Q_INVOKABLE bool postCommand(QString cmd, QString msg);
    Q_INVOKABLE void dropSite(QString text, QString data, WWidget *pDropSite);
    Q_INVOKABLE void dropPanel(QString text, QString data);
    Q_INVOKABLE void panelSetup();
    Q_INVOKABLE void headerText();
    Q_INVOKABLE int getAppFunction();
    Q_INVOKABLE void cancelEdit();

signals:
    void showReceiveDialog();
    void closeReceiveDialog();
    void receiveDialogCanceled();
    void showMessageDialog(QString title, QString text);
    void messageDialogClosed();
    void showRegionDialog(QString title, QString text);
    void regionDialogClosed();
    void showExitPasscodeDialog();
    void closeSignal();

public slots:
    void onExitTimerTimeout();
    void onReceiveModeDialogClosed();

private:
    QPointer<QQmlContext> m_pContext;
    QPointer<QObject> m_pViewItem;
    QPointer<MModel> m_pModel;
    QTimer m_exitTimer;
    DQmlMessageDialog m_messageDialog;
    std::unique_ptr<MeterGaugeLocalization> m_pMeterGaugeLocalization;
};
