#pragma once

#include "SimulatedVdsDevice.h"

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QTimer>

// A telephone block of the simulated VDS device, addressed by its label:
//   GA"<label>">0>1            answered with the call state ("HANGUP", ...)
//   GA"<label>">0>2            answered with the caller identity
//   MA "<label>">code[=text]   acknowledged and recorded
//   SUB / UNS of those gets    confirmed; a subscribed value is pushed at
//                              once and again on every change
// The state can be set at once or scripted as a sequence of steps. With the
// line simulation on, the commands move the call as a telephone line would:
// a dial rings and is answered, an end hangs up, an accept takes the call,
// a hold holds or resumes.
//
//     SimulatedVdsTelephone telephone(&device, "Tel");
//     telephone.play({{"DIALING", 0}, {"RINGBACK", 300}, {"ACTIVE", 300}});
class SimulatedVdsTelephone : public QObject, public SimulatedVdsBehaviour
{
    Q_OBJECT

public:
    // One state of a script, delayMs after the step before it.
    struct Step
    {
        QByteArray state;
        int delayMs = 0;
    };

    // One multi-assign command received.
    struct Action
    {
        int code = 0;
        QByteArray text; // empty when the command carried no "="
        bool hasText = false;
    };

    // Adds itself to the device, and removes itself when it goes.
    SimulatedVdsTelephone(SimulatedVdsDevice *pDevice, const QByteArray &label,
                          QObject *parent = nullptr);
    ~SimulatedVdsTelephone() override;

    QByteArray label() const { return m_label; }
    QByteArray stateKey() const;
    QByteArray identityKey() const;

    QByteArray state() const { return m_state; }
    // Changes the state now (a running script goes on).
    void setState(const QByteArray &state);
    QByteArray identity() const { return m_identity; }
    void setIdentity(const QByteArray &identity);

    // Plays the states in order; a new script replaces what is left of the
    // previous one.
    void play(const QList<Step> &steps);
    void stopPlaying();
    bool isPlaying() const { return !m_script.isEmpty(); }

    // A call comes in: the identity, then INCOMING, or ACTIVE_INCOMING
    // while a call is active.
    void ringIn(const QByteArray &identity);

    void setLineSimulation(bool enabled) { m_lineSimulation = enabled; }
    // State and identity replies in double quotes, as some blocks send them.
    void setQuotedReplies(bool quoted) { m_quoted = quoted; }
    // Gets of the state and the identity go unanswered.
    void setSilent(bool silent) { m_silent = silent; }

    QList<Action> actions() const { return m_actions; }
    int stateRequests() const { return m_stateRequests; }
    int identityRequests() const { return m_identityRequests; }
    bool isStateSubscribed() const { return m_stateSubscribed; }
    bool isIdentitySubscribed() const { return m_identitySubscribed; }

    bool respond(const QByteArray &command, SimulatedVdsDevice::Response *pResponse) override;

signals:
    void stateChanged(const QByteArray &state);
    void actionReceived(int code, const QByteArray &text);

private:
    QByteArray replyLine(const QByteArray &key, const QByteArray &value) const;
    void pushIfSubscribed(bool subscribed, const QByteArray &key, const QByteArray &value);
    bool subscription(const QByteArray &command, SimulatedVdsDevice::Response *pResponse);
    void takeAction(const Action &action);
    void playNext();

    QPointer<SimulatedVdsDevice> m_pDevice;
    QByteArray m_label;
    QByteArray m_state = "HANGUP";
    QByteArray m_identity;
    QList<Step> m_script;
    QTimer m_scriptTimer;
    QList<Action> m_actions;
    int m_stateRequests = 0;
    int m_identityRequests = 0;
    bool m_stateSubscribed = false;
    bool m_identitySubscribed = false;
    bool m_lineSimulation = false;
    bool m_quoted = false;
    bool m_silent = false;
};
