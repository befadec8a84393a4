#include "MReceiveMode.h"

#include "app/DQmlMessageDialog.h"
#include "app/MConnections.h"
#include "app/MNetworkInfo.h"
#include "app/MQmlInterface.h"
#include "comms/ITcpServer.h"
#include "comms/PFileProtocol.h"
#include "comms/PProtocolFactory.h"
#include "project/FolderSettings.h"
#include "project/UProjectFileCheck.h"

#include <QCoreApplication>
#include <QDebug>
#include <QDir>
#include <QEventLoop>
#include <QFileInfo>
#include <QMessageBox>
#include <QTimer>

namespace {
// The receive texts are the model's.
QString translated(const char *text)
{
    return QCoreApplication::translate("MModel", text);
}
} // namespace

MReceiveMode::MReceiveMode(MConnections &connections, QObject *parent)
    : QObject(parent)
    , m_connections(connections)
{
}

MReceiveMode::~MReceiveMode() = default;

void MReceiveMode::setInterface(MQmlInterface *pInterface)
{
    m_pInterface = pInterface;
}

bool MReceiveMode::receiveAndLoad(const std::function<void()> &loadReceived)
{
    // The wait serves the QML, whose menu can ask again meanwhile; the
    // running receive keeps its server.
    if (m_receiving) {
        qDebug() << "Receive mode is already running.";
        return false;
    }
    const bool wasPolling = m_connections.pollingTimer()->isActive();
    const bool wasActive = m_connections.isPollingActive();
    m_receiving = true;
    m_connections.holdReports(true);
    m_connections.watchForLosses(true);
    const bool received = receiveDesign();
    m_connections.watchForLosses(false);
    if (received && loadReceived)
        loadReceived();
    m_receiving = false;
    m_connections.holdReports(false);
    if (!received)
        resumeAfterFailedReceive(wasPolling, wasActive);
    m_connections.announceIndicator();
    return received;
}

void MReceiveMode::resumeAfterFailedReceive(bool wasPolling, bool wasActive)
{
    // The old panels stay; they are kept in step with the devices again.
    QTimer *pTimer = m_connections.pollingTimer();
    if (wasPolling && !pTimer->isActive())
        pTimer->start();
    m_connections.setPollingActive(wasPolling || wasActive);
    // The loss reports were held back while receiving; a transport that
    // went down (and maybe came back) must still make its protocol drop
    // and renew its subscriptions.
    m_connections.passHeldLoss();
}

bool MReceiveMode::receiveDesign()
{
    if (m_transferRunning) {
        qDebug() << "Receive mode is already running.";
        return false;
    }
    std::unique_ptr<PProtocol> pProtocol(PProtocolFactory().createProtocol(QStringLiteral("File")));
    auto *pFileProtocol = qobject_cast<PFileProtocol *>(pProtocol.get());

    if (m_pServer) {
        qDebug() << "Closing a pre-existing TCP server.";
        m_pServer->close();
        m_pServer.reset();
    }
    m_pServer = std::make_unique<ITcpServer>();
    if (!pFileProtocol) {
        qWarning() << "Failed to get protocol for 'File'";
        return false;
    }

    // Nowhere to store the project: nothing is listened for.
    const QString target = receivedDesignPath(true);
    if (target.isEmpty()) {
        const QString folder =
            QDir::toNativeSeparators(QFileInfo(FolderSettings::designsFolder()).absoluteFilePath());
        const QString text = translated("Receive Mode Failure: ") + translated("Cannot create the folder ")
            + QLatin1Char('`') + folder + QLatin1Char('`');
        qWarning().noquote() << text;
        showReceiveFailure(PFileProtocol::failureMessage(text));
        m_pServer.reset();
        return false;
    }

    m_transferRunning = true;
    ITcpServer *pServer = m_pServer.get();
    pServer->setOwner(pFileProtocol);
    pServer->setPort(m_port);
    pServer->setListenAddress(m_listenAddress);
    m_connections.pollingTimer()->stop();
    m_connections.setPollingActive(false);

    bool received = false;
    if (!pServer->open()) {
        qWarning() << "Failed to open receive mode server.";
    } else {
        pFileProtocol->setInterface(pServer);
        pFileProtocol->setHost(this);
        if (m_sizeLimit >= 0)
            pFileProtocol->setMaxReceiveBytes(m_sizeLimit);
        pFileProtocol->setFileCheck(&UProjectFileCheck::isLoadable);
        received = pFileProtocol->receiveFile(target);
        qDebug() << (received ? "Received new design." : "Did not receive new design.");
        qDebug() << "Closing the server after receive process.";
        pServer->close();
    }
    pProtocol.reset();
    qDebug() << "Deleting the server, received or not.";
    m_pServer.reset();
    m_transferRunning = false;
    return received;
}

void MReceiveMode::setPollingActive(bool active)
{
    m_connections.setPollingActive(active);
}

void MReceiveMode::runReceiveDialog(PFileProtocol *pProtocol, IInterface *pServer)
{
    if (!pProtocol || !pServer)
        return;
    // Cancel (or closing the box) drops the transfer.
    QMetaObject::Connection cancelLink;
    if (m_pInterface) {
        cancelLink = connect(m_pInterface, &MQmlInterface::receiveDialogCanceled, pProtocol,
                             &PFileProtocol::connectionClose);
    }

    DQmlMessageDialog dialog;
    QMessageBox *pBox = dialog.showReceiveBox(translated("Receive Control Panel..."),
                                              MNetworkInfo::mobileIpAddressText());
    if (m_pInterface) {
        connect(&dialog, &DQmlMessageDialog::receiveModeDialogClosed, m_pInterface,
                &MQmlInterface::onReceiveModeDialogClosed);
    } else {
        connect(&dialog, &DQmlMessageDialog::receiveModeDialogClosed, pProtocol,
                &PFileProtocol::connectionClose);
    }

    QEventLoop loop;
    connect(pServer, &IInterface::connectionClose, &loop, &QEventLoop::quit);
    connect(pProtocol, &PFileProtocol::receiveEnded, &loop, &QEventLoop::quit);
    if (m_pInterface)
        connect(m_pInterface, &MQmlInterface::receiveDialogCanceled, &loop, &QEventLoop::quit);
    if (m_waitHook)
        m_waitHook(pBox);
    // The hook may have ended the reception already.
    if (pProtocol->isReceiving())
        loop.exec();

    // Closing the box reports a cancel once more; a reception that has
    // ended stays as it ended.
    if (pBox)
        pBox->reject();
    if (cancelLink)
        disconnect(cancelLink);
}

void MReceiveMode::showReceiveFailure(const QString &text)
{
    DQmlMessageDialog dialog;
    dialog.showMessageBox(translated("Receive Control Panel..."), text);
}

QString MReceiveMode::receivedDesignPath(bool createFolder) const
{
    const QString folder = FolderSettings::designsFolder();
    // Every missing level is made, not only the last one.
    if (createFolder && !QFileInfo(folder).isDir() && !QDir().mkpath(folder))
        return QString();
    return QDir(folder).path() + QStringLiteral("/download.cpn");
}
