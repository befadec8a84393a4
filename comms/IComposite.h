#pragma once

#include "comms/IInterface.h"

#include <QList>
#include <QPointer>

#include <functional>

// The set of all transports of the loaded project. It lists them, owns
// none, and drives the connection indicator from their states. A listed
// transport that its chassis deletes simply drops out of the counts.
class IComposite : public IInterface
{
    Q_OBJECT

public:
    explicit IComposite(QObject *parent = nullptr);
    ~IComposite() override;

    // Appends the transport unless it is null or listed already.
    void addInterface(IInterface *pInterface);
    // Takes a listed transport out, closes it and deletes it.
    void removeInterface(IInterface *pInterface);
    // Empties the list; with closeAndDelete each transport is closed and
    // deleted first.
    void clearInterfaces(bool closeAndDelete);

    // The counts and the index cover the transports that have a connection
    // state; one without (the array's UDP transport) is listed and driven
    // like the others but never keeps the indicator from green. Where such
    // a transport's device is reached by a link of its own (an ARX
    // amplifier without a proxy), that link is counted in its place.
    int interfaceCount() const;
    int connectedCount() const;
    // Null for an index out of range.
    IInterface *interfaceAt(int index) const;

    // True only when every listed transport returned true.
    bool open() override;
    bool close() override;
    void startConnection() override;
    void stopConnection() override;
    void notifyState() override;
    void notifyOwner() override;
    void dump() const override;

private:
    // The listed transports that still exist, in list order.
    QList<IInterface *> liveInterfaces() const;
    // The connections the indicator counts: the listed transports that
    // report one, and the device links of those that do not.
    QList<IInterface *> countedInterfaces() const;
    void forEachInterface(const std::function<void(IInterface *)> &operation);

    QList<QPointer<IInterface>> m_interfaces;
};
