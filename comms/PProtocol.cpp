#include "comms/PProtocol.h"

#include "comms/IInterface.h"
#include "comms/PProtocolHost.h"

#include <QDebug>

PProtocol::PProtocol(QObject *parent)
    : QObject(parent)
{
}

PProtocol::~PProtocol() = default;

bool PProtocol::sendValue(TTransform *pTransform)
{
    Q_UNUSED(pTransform);
    return false;
}

bool PProtocol::requestValue(TTransform *pTransform)
{
    Q_UNUSED(pTransform);
    return false;
}

bool PProtocol::sendBatch(const QList<TTransform *> &transforms)
{
    Q_UNUSED(transforms);
    return false;
}

bool PProtocol::sendFile(const QString &path)
{
    Q_UNUSED(path);
    return false;
}

bool PProtocol::receiveFile(const QString &path)
{
    Q_UNUSED(path);
    return false;
}

bool PProtocol::onDataReceived(const QByteArray &data, const QString &errorText)
{
    Q_UNUSED(data);
    Q_UNUSED(errorText);
    return false;
}

void PProtocol::onReplyTimeout(const QString &expected)
{
    Q_UNUSED(expected);
}

void PProtocol::onMessageRefused(const QByteArray &message)
{
    Q_UNUSED(message);
}

QString PProtocol::protocolName() const
{
    return QStringLiteral("----");
}

void PProtocol::setInterface(IInterface *pInterface)
{
    m_pInterface = pInterface;
}

void PProtocol::setModel(MModel *pModel)
{
    m_pModel = pModel;
    setHost(PProtocolHost::ofModel(pModel));
}

void PProtocol::setHost(PProtocolHost *pHost)
{
    m_pHost = pHost;
}

void PProtocol::resetSubscriptions()
{
}

bool PProtocol::isSubscribed() const
{
    return false;
}

void PProtocol::requestMeterStatus(TTransform *pTransform)
{
    Q_UNUSED(pTransform);
}

QString PProtocol::interfaceAddress() const
{
    return m_pInterface ? m_pInterface->address() : QString();
}

IInterface *PProtocol::transport() const
{
    return m_pInterface;
}

bool PProtocol::isOnline() const
{
    return m_pInterface && m_pInterface->isConnected();
}

void PProtocol::dump() const
{
    qDebug() << this << protocolName() << static_cast<QObject *>(m_pInterface.data());
}

bool PProtocol::onOnlineStateChanged(bool online)
{
    Q_UNUSED(online);
    return false;
}

void PProtocol::releaseModelBusy()
{
    if (m_pHost)
        m_pHost->setPollingActive(false);
}
