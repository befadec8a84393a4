#include "comms/IInterface.h"

#include "comms/IDevice.h"
#include "comms/PProtocol.h"

#include <QDebug>
#include <QHostAddress>

IInterface::IInterface(QObject *parent)
    : QObject(parent)
{
}

IInterface::~IInterface() = default;

bool IInterface::open()
{
    return false;
}

bool IInterface::close()
{
    return false;
}

void IInterface::startConnection()
{
}

void IInterface::stopConnection()
{
}

int IInterface::send(const char *data, int length, int messageType, const char *expectedReply,
                     int timeoutMs)
{
    Q_UNUSED(data);
    Q_UNUSED(length);
    Q_UNUSED(messageType);
    Q_UNUSED(expectedReply);
    Q_UNUSED(timeoutMs);
    return 0;
}

bool IInterface::waitForWrite(int ms)
{
    Q_UNUSED(ms);
    return false;
}

void IInterface::notifyState()
{
    emit interfaceStateChanged(m_isConnected);
}

QString IInterface::stateText() const
{
    return QStringLiteral("?");
}

void IInterface::dump() const
{
    qDebug() << this << typeName();
}

QString IInterface::typeName() const
{
    return QStringLiteral("Null Interface");
}

QString IInterface::address() const
{
    return QString();
}

void IInterface::setAddress(const QHostAddress &address)
{
    Q_UNUSED(address);
}

void IInterface::setPort(int port)
{
    Q_UNUSED(port);
}

int IInterface::connectionState() const
{
    return 0;
}

void IInterface::setOwner(PProtocol *pOwner)
{
    m_pOwner = pOwner;
}

bool IInterface::hasSubscriptionState() const
{
    return false;
}

void IInterface::notifyOwner()
{
}

bool IInterface::isSubscribed() const
{
    return false;
}

void IInterface::setSubscribed(bool subscribed)
{
    Q_UNUSED(subscribed);
}

void IInterface::startHostStatusTimer()
{
}

bool IInterface::hasConnectionState() const
{
    return true;
}

IInterface *IInterface::deviceLink()
{
    return nullptr;
}

PProtocol *IInterface::owner() const
{
    return m_pOwner;
}

bool IInterface::dropsLevelRequests() const
{
    return m_pChassis && m_pChassis->deviceFamily() == IDevice::Family::ArxAmplifier;
}

void IInterface::setConnected(bool connected)
{
    if (m_isConnected == connected)
        return;
    m_isConnected = connected;
    emit interfaceStateChanged(connected);
}
