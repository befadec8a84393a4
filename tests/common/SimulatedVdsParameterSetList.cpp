#include "SimulatedVdsParameterSetList.h"

#include <QTimer>

SimulatedVdsParameterSetList::SimulatedVdsParameterSetList(SimulatedVdsDevice *pDevice,
                                                           const QList<QByteArray> &labels)
    : m_pDevice(pDevice)
    , m_labels(labels)
{
}

QByteArray SimulatedVdsParameterSetList::currentKey(const QByteArray &label)
{
    return "GA\"" + label + "\">2";
}

bool SimulatedVdsParameterSetList::respond(const QByteArray &command, SimulatedVdsDevice::Response *)
{
    if (!m_pDevice)
        return false;
    for (const QByteArray &label : std::as_const(m_labels)) {
        const QByteArray recall = "SA \"" + label + "\">1=";
        if (!command.startsWith(recall))
            continue;
        const QByteArray key = currentKey(label);
        m_pDevice->setValue(key, command.mid(recall.size()));
        if (m_pDevice->subscriptions().contains(key)) {
            // After the recall's own answer, as a device reports changes.
            QPointer<SimulatedVdsDevice> pDevice = m_pDevice;
            QTimer::singleShot(0, pDevice, [pDevice, key]() {
                if (pDevice)
                    pDevice->push(pDevice->replyLine(key));
            });
        }
        break;
    }
    // The value store answers the recall.
    return false;
}
