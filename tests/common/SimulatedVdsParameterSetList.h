#pragma once

#include "SimulatedVdsDevice.h"

#include <QByteArray>
#include <QList>
#include <QPointer>

// The parameter-set lists of a simulated VDS device. A set recalled on a
// list ("SA \"<list>\">1=N") becomes the list's current set, which the
// device reports under the list's second index ("GA\"<list>\">2"), and
// tells subscribers of it at once. The recall itself is stored and
// acknowledged by the device's value store as any set is.
//
//     SimulatedVdsParameterSetList sets(&device, {"Hall Scenes"});
//     device.addBehaviour(&sets);
class SimulatedVdsParameterSetList : public SimulatedVdsBehaviour
{
public:
    SimulatedVdsParameterSetList(SimulatedVdsDevice *pDevice, const QList<QByteArray> &labels);

    // The get key of a list's current set.
    static QByteArray currentKey(const QByteArray &label);

    bool respond(const QByteArray &command, SimulatedVdsDevice::Response *pResponse) override;

private:
    QPointer<SimulatedVdsDevice> m_pDevice;
    QList<QByteArray> m_labels;
};
