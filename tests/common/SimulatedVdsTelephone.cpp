#include "SimulatedVdsTelephone.h"

namespace {

// How long the simulated line takes to ring and to be answered.
constexpr int kDialToRingMs = 1000;
constexpr int kRingToAnswerMs = 2500;

} // namespace

SimulatedVdsTelephone::SimulatedVdsTelephone(SimulatedVdsDevice *pDevice, const QByteArray &label,
                                             QObject *parent)
    : QObject(parent)
    , m_pDevice(pDevice)
    , m_label(label)
{
    m_scriptTimer.setSingleShot(true);
    connect(&m_scriptTimer, &QTimer::timeout, this, &SimulatedVdsTelephone::playNext);
    if (m_pDevice)
        m_pDevice->addBehaviour(this);
}

SimulatedVdsTelephone::~SimulatedVdsTelephone()
{
    if (m_pDevice)
        m_pDevice->removeBehaviour(this);
}

QByteArray SimulatedVdsTelephone::stateKey() const
{
    return "GA\"" + m_label + "\">0>1";
}

QByteArray SimulatedVdsTelephone::identityKey() const
{
    return "GA\"" + m_label + "\">0>2";
}

QByteArray SimulatedVdsTelephone::replyLine(const QByteArray &key, const QByteArray &value) const
{
    return key + '=' + (m_quoted ? '"' + value + '"' : value) + '\r';
}

void SimulatedVdsTelephone::pushIfSubscribed(bool subscribed, const QByteArray &key,
                                             const QByteArray &value)
{
    if (subscribed && m_pDevice && !m_silent)
        m_pDevice->push(replyLine(key, value));
}

void SimulatedVdsTelephone::setState(const QByteArray &state)
{
    m_state = state;
    pushIfSubscribed(m_stateSubscribed, stateKey(), m_state);
    emit stateChanged(m_state);
}

void SimulatedVdsTelephone::setIdentity(const QByteArray &identity)
{
    m_identity = identity;
    pushIfSubscribed(m_identitySubscribed, identityKey(), m_identity);
}

void SimulatedVdsTelephone::play(const QList<Step> &steps)
{
    m_script = steps;
    m_scriptTimer.stop();
    if (m_script.isEmpty())
        return;
    m_scriptTimer.start(qMax(0, m_script.first().delayMs));
}

void SimulatedVdsTelephone::stopPlaying()
{
    m_script.clear();
    m_scriptTimer.stop();
}

void SimulatedVdsTelephone::playNext()
{
    if (m_script.isEmpty())
        return;
    const Step step = m_script.takeFirst();
    if (!m_script.isEmpty())
        m_scriptTimer.start(qMax(0, m_script.first().delayMs));
    setState(step.state);
}

void SimulatedVdsTelephone::ringIn(const QByteArray &identity)
{
    stopPlaying();
    setIdentity(identity);
    setState(m_state == "ACTIVE" ? QByteArray("ACTIVE_INCOMING") : QByteArray("INCOMING"));
}

bool SimulatedVdsTelephone::subscription(const QByteArray &command,
                                         SimulatedVdsDevice::Response *pResponse)
{
    const bool subscribe = command.startsWith("SUB \"");
    if (!subscribe && !command.startsWith("UNS \""))
        return false;
    if (!command.endsWith('"') || command.size() < 6)
        return false;
    const QByteArray key = command.mid(5, command.size() - 6);
    const bool isState = key == stateKey();
    if (!isState && key != identityKey())
        return false;
    (isState ? m_stateSubscribed : m_identitySubscribed) = subscribe;
    *pResponse = SimulatedVdsDevice::Response::answer(command + ",yes\r");
    if (subscribe) {
        // A new subscriber learns the value right after the confirmation.
        const QByteArray line = replyLine(key, isState ? m_state : m_identity);
        QPointer<SimulatedVdsDevice> pDevice = m_pDevice;
        QTimer::singleShot(0, this, [this, pDevice, line]() {
            if (pDevice && !m_silent)
                pDevice->push(line);
        });
    }
    return true;
}

bool SimulatedVdsTelephone::respond(const QByteArray &command, SimulatedVdsDevice::Response *pResponse)
{
    if (subscription(command, pResponse))
        return true;
    if (command == stateKey() || command == identityKey()) {
        const bool isState = command == stateKey();
        ++(isState ? m_stateRequests : m_identityRequests);
        *pResponse = m_silent ? SimulatedVdsDevice::Response::silent()
                              : SimulatedVdsDevice::Response::answer(
                                  replyLine(command, isState ? m_state : m_identity));
        return true;
    }
    const QByteArray prefix = "MA \"" + m_label + "\">";
    if (!command.startsWith(prefix))
        return false;
    const QByteArray rest = command.mid(prefix.size());
    const qsizetype equals = rest.indexOf('=');
    bool ok = false;
    Action action;
    action.code = (equals < 0 ? rest : rest.left(equals)).toInt(&ok);
    if (!ok) {
        *pResponse = SimulatedVdsDevice::Response::refuse();
        return true;
    }
    action.hasText = equals >= 0;
    action.text = equals < 0 ? QByteArray() : rest.mid(equals + 1);
    m_actions.append(action);
    *pResponse = SimulatedVdsDevice::Response::acknowledge();
    emit actionReceived(action.code, action.text);
    if (m_lineSimulation)
        takeAction(action);
    return true;
}

void SimulatedVdsTelephone::takeAction(const Action &action)
{
    switch (action.code) {
    case 1:
        // A flash takes the waiting call.
        if (action.text == "!" && m_state == "ACTIVE_INCOMING") {
            stopPlaying();
            setState("ACTIVE");
        }
        break;
    case 2:
        setIdentity(QByteArray());
        play({{"DIALING", 0}, {"RINGBACK", kDialToRingMs}, {"ACTIVE", kRingToAnswerMs}});
        break;
    case 3:
        stopPlaying();
        // With a call waiting, the waiting one is declined.
        if (m_state == "ACTIVE_INCOMING") {
            setState("ACTIVE");
        } else {
            setIdentity(QByteArray());
            setState("HANGUP");
        }
        break;
    case 4:
        if (m_state == "INCOMING" || m_state == "ACTIVE_INCOMING" || m_state == "HOLD") {
            stopPlaying();
            setState("ACTIVE");
        }
        break;
    case 6:
        if (m_state == "ACTIVE")
            setState("HOLD");
        else if (m_state == "HOLD")
            setState("ACTIVE");
        break;
    default:
        break;
    }
}
