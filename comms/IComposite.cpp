#include "comms/IComposite.h"

IComposite::IComposite(QObject *parent)
    : IInterface(parent)
{
}

IComposite::~IComposite() = default;

void IComposite::addInterface(IInterface *pInterface)
{
    if (!pInterface || liveInterfaces().contains(pInterface))
        return;
    m_interfaces.removeAll(QPointer<IInterface>());
    m_interfaces.append(pInterface);
}

void IComposite::removeInterface(IInterface *pInterface)
{
    if (!pInterface || !liveInterfaces().contains(pInterface))
        return;
    m_interfaces.removeAll(pInterface);
    pInterface->close();
    delete pInterface;
}

void IComposite::clearInterfaces(bool closeAndDelete)
{
    if (closeAndDelete) {
        forEachInterface([](IInterface *pInterface) {
            pInterface->close();
            delete pInterface;
        });
    }
    m_interfaces.clear();
}

int IComposite::interfaceCount() const
{
    return int(countedInterfaces().size());
}

int IComposite::connectedCount() const
{
    int count = 0;
    for (const IInterface *pInterface : countedInterfaces()) {
        if (pInterface->isConnected())
            ++count;
    }
    return count;
}

IInterface *IComposite::interfaceAt(int index) const
{
    const QList<IInterface *> list = countedInterfaces();
    if (index < 0 || index >= list.size())
        return nullptr;
    return list.at(index);
}

bool IComposite::open()
{
    bool all = true;
    forEachInterface([&all](IInterface *pInterface) { all = pInterface->open() && all; });
    return all;
}

bool IComposite::close()
{
    bool all = true;
    forEachInterface([&all](IInterface *pInterface) { all = pInterface->close() && all; });
    return all;
}

void IComposite::startConnection()
{
    forEachInterface([](IInterface *pInterface) { pInterface->startConnection(); });
}

void IComposite::stopConnection()
{
    forEachInterface([](IInterface *pInterface) { pInterface->stopConnection(); });
}

void IComposite::notifyState()
{
    forEachInterface([](IInterface *pInterface) { pInterface->notifyState(); });
}

void IComposite::notifyOwner()
{
    forEachInterface([](IInterface *pInterface) { pInterface->notifyOwner(); });
}

void IComposite::dump() const
{
    for (const IInterface *pInterface : liveInterfaces())
        pInterface->dump();
}

void IComposite::forEachInterface(const std::function<void(IInterface *)> &operation)
{
    // A transport may go while another one acts, so each is looked at
    // through its guard right before its turn.
    const QList<QPointer<IInterface>> snapshot = m_interfaces;
    for (const QPointer<IInterface> &pInterface : snapshot) {
        if (pInterface)
            operation(pInterface.data());
    }
}

QList<IInterface *> IComposite::liveInterfaces() const
{
    QList<IInterface *> list;
    list.reserve(m_interfaces.size());
    for (const QPointer<IInterface> &pInterface : m_interfaces) {
        if (pInterface)
            list.append(pInterface.data());
    }
    return list;
}

QList<IInterface *> IComposite::countedInterfaces() const
{
    QList<IInterface *> list;
    for (IInterface *pInterface : liveInterfaces()) {
        IInterface *pCounted = pInterface->hasConnectionState() ? pInterface : pInterface->deviceLink();
        if (pCounted && !list.contains(pCounted))
            list.append(pCounted);
    }
    return list;
}
