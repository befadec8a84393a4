#include "comms/PFileProtocol.h"

#include "comms/IInterface.h"
#include "comms/ITcpServer.h"
#include "comms/PProtocolHost.h"

#include <QCoreApplication>
#include <QDebug>
#include <QDir>
#include <QFileInfo>
#include <QProgressDialog>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>

PFileProtocol::PFileProtocol(QObject *parent)
    : PProtocol(parent)
{
}

PFileProtocol::~PFileProtocol()
{
    // A reception cut off by our end leaves no half file behind.
    if (m_receiveState == ReceiveState::Receiving)
        failReceive(QString());
}

QString PFileProtocol::protocolName() const
{
    return QStringLiteral("File");
}

bool PFileProtocol::sendFile(const QString &path)
{
    IInterface *pInterface = transport();
    if (!pInterface)
        return false;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;

    QProgressDialog progress(QObject::tr("Sending to Mobile Device..."), QObject::tr("Abort"), 0,
                             int(qMin<qint64>(file.size(), INT_MAX)));
    // Reaching the maximum must not reset the dialog: that would forget an
    // Abort pressed just before the last chunk.
    progress.setAutoReset(false);
    progress.setAutoClose(false);
    progress.setWindowModality(Qt::WindowModal);
    progress.setWindowFlags(progress.windowFlags() | Qt::WindowStaysOnTopHint);
    progress.show();

    bool whole = true;
    while (!file.atEnd()) {
        const QByteArray chunk = file.read(ChunkSize);
        if (chunk.isEmpty()) {
            // A read error before the end.
            whole = false;
            break;
        }
        progress.setValue(int(qMin<qint64>(file.pos(), INT_MAX)));
        QCoreApplication::processEvents();
        if (progress.wasCanceled() || !transport()) {
            whole = false;
            break;
        }
        const int written = pInterface->send(chunk.constData(), int(chunk.size()),
                                             IInterface::SendDirect, "", 0);
        if (written < chunk.size()) {
            whole = false;
            break;
        }
        pInterface->waitForWrite(ChunkWriteWaitMs);
    }
    if (transport())
        pInterface->waitForWrite(FinalWriteWaitMs);
    const bool sent = whole && file.atEnd();
    file.close();
    progress.close();
    return sent;
}

bool PFileProtocol::receiveFile(const QString &path)
{
    IInterface *pInterface = transport();
    if (!pInterface || !host()) {
        reportFailure(QObject::tr("Receive Mode Failure: ")
                      + QObject::tr("Interface or Model is null."));
        return false;
    }
    // One reception at a time per protocol.
    if (m_receiveState == ReceiveState::Receiving)
        return false;

    const QString tempPath = path + QLatin1Char('t');
    m_pFile = std::make_unique<QFile>(tempPath);
    if (!m_pFile->open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        const QString folder = QDir::toNativeSeparators(QFileInfo(tempPath).absolutePath());
        reportFailure(QObject::tr("Receive Mode Failure: ") + QObject::tr("Cannot open file at ")
                      + QLatin1Char('`') + folder + QLatin1Char('`') + QObject::tr(" because ")
                      + m_pFile->errorString());
        m_pFile.reset();
        return false;
    }
    m_receiveState = ReceiveState::Receiving;
    m_receivedBytes = 0;
    m_failure.clear();
    connect(pInterface, &IInterface::connectionClose, this, &PFileProtocol::senderFinished,
            Qt::UniqueConnection);

    host()->runReceiveDialog(this, pInterface);

    if (transport())
        transport()->disconnect(this);
    // The wait ended without an outcome: nothing was finished.
    if (m_receiveState == ReceiveState::Receiving)
        failReceive(QString());
    if (m_pFile && m_pFile->isOpen())
        m_pFile->close();
    const bool swapped = swapFile(path, tempPath);
    m_pFile.reset();
    m_receiveState = ReceiveState::Idle;
    if (!m_failure.isEmpty())
        reportFailure(m_failure);
    return swapped;
}

bool PFileProtocol::onDataReceived(const QByteArray &data, const QString &errorText)
{
    Q_UNUSED(errorText);
    if (m_receiveState != ReceiveState::Receiving || !m_pFile)
        return false;
    if (data.size() > m_maxReceiveBytes - m_receivedBytes) {
        failReceive(QObject::tr("Receive Mode Failure: ")
                    + QObject::tr("The sender sent more than %1 bytes.").arg(m_maxReceiveBytes));
        return false;
    }
    const qint64 written = m_pFile->write(data);
    if (written != data.size()) {
        failReceive(writeFailureText());
        return false;
    }
    m_receivedBytes += written;
    return true;
}

void PFileProtocol::senderFinished()
{
    if (m_receiveState != ReceiveState::Receiving || !m_pFile)
        return;
    const auto *pServer = qobject_cast<const ITcpServer *>(transport());
    if (pServer && !pServer->clientEndedCleanly()) {
        failReceive(QObject::tr("Receive Mode Failure: ")
                    + QObject::tr("The connection to the sender failed."));
        return;
    }
    // The last bytes reach the disk here; a full disk shows up now.
    if (!m_pFile->flush()) {
        failReceive(writeFailureText());
        return;
    }
    m_pFile->close();
    m_receiveState = ReceiveState::Complete;
    emit receiveEnded();
}

void PFileProtocol::connectionClose()
{
    if (m_receiveState != ReceiveState::Receiving)
        return;
    qDebug() << "RM: reception cancelled after" << m_receivedBytes << "bytes.";
    failReceive(QString());
}

void PFileProtocol::failReceive(const QString &reason)
{
    m_receiveState = ReceiveState::Failed;
    if (m_pFile) {
        m_pFile->close();
        m_pFile->remove();
    }
    if (m_failure.isEmpty())
        m_failure = reason;
    emit receiveEnded();
}

bool PFileProtocol::swapFile(const QString &path, const QString &tempPath)
{
    qDebug() << "RM: PFileProtocol::swapFile()";
    if (!m_pFile)
        return false;
    if (m_receiveState != ReceiveState::Complete) {
        QFile::remove(tempPath);
        return false;
    }
    if (QFileInfo(tempPath).size() <= 0) {
        QFile::remove(tempPath);
        return false;
    }
    QString reason;
    if (m_fileCheck && !m_fileCheck(tempPath, &reason)) {
        QFile::remove(tempPath);
        if (m_failure.isEmpty()) {
            m_failure = QObject::tr("Receive Mode Failure: ")
                + QObject::tr("The received file is not a usable project: ") + reason;
        }
        return false;
    }
    // rename() replaces the target in one step: the old file stays whole
    // until the new one is in place.
    if (std::rename(QFile::encodeName(tempPath).constData(), QFile::encodeName(path).constData())
        != 0) {
        const QString error = QString::fromLocal8Bit(std::strerror(errno));
        QFile::remove(tempPath);
        if (m_failure.isEmpty()) {
            m_failure = QObject::tr("Receive Mode Failure: ") + QObject::tr("Cannot replace ")
                + QLatin1Char('`') + QDir::toNativeSeparators(path) + QLatin1Char('`')
                + QObject::tr(" because ") + error;
        }
        return false;
    }
    return true;
}

QString PFileProtocol::writeFailureText() const
{
    return QObject::tr("Receive Mode Failure: ") + QObject::tr("Cannot write file at ") + QLatin1Char('`')
        + QDir::toNativeSeparators(m_pFile->fileName()) + QLatin1Char('`') + QObject::tr(" because ")
        + m_pFile->errorString();
}

QString PFileProtocol::failureMessage(const QString &text)
{
    return text
        + QObject::tr("\n\nTry both re-installing and running this application "
                      "with Administrator priveleges.");
}

void PFileProtocol::reportFailure(const QString &text)
{
    qWarning().noquote() << text;
    if (host())
        host()->showReceiveFailure(failureMessage(text));
}
