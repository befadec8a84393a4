#pragma once

#include "controls/WWidget.h"

#include <QColor>
#include <QDateTime>
#include <QString>
#include <QTimer>

class CAttributes;

// The native half of the telephone keypad of a telephone-interface block.
// It keeps the number being typed and its display form, sends call-control
// commands through the control's text transform (multi-assign addressing:
// the write index is the command code, the text its argument), follows the
// block's call state and caller identity by polling, and drives the status
// line and its timers. The QML item (QmlDialer.qml) draws everything from
// this side's properties and reports the operator's keys as signals, which
// are connected to the "on" slots below.
//
// The read sub-index of the transform selects what a poll asks for: 1 the
// call state, 2 the caller identity.
class WDialer : public WWidget
{
    Q_OBJECT
    Q_PROPERTY(DialerState dialerState READ dialerState NOTIFY dialerStateChanged)
    Q_PROPERTY(bool isHoldActive READ isHoldActive NOTIFY holdStateChanged)
    Q_PROPERTY(QString callType READ callType NOTIFY callTypeChanged)
    Q_PROPERTY(QString idString READ idString NOTIFY idStringChanged)
    Q_PROPERTY(QString displayText READ displayText WRITE setDisplayText NOTIFY displayTextChanged)
    Q_PROPERTY(QString statusText READ statusText NOTIFY statusTextChanged)
    Q_PROPERTY(bool isAspectRatioCorrectionActive READ isAspectRatioCorrectionActive
                   NOTIFY aspectRatioCorrectionActivationChanged)
    Q_PROPERTY(QString primaryColor READ primaryColor NOTIFY primaryColorChanged)
    Q_PROPERTY(QColor secondaryColor READ secondaryColor NOTIFY secondaryColorChanged)
    Q_PROPERTY(bool alwaysShowCallAndEnd READ alwaysShowCallAndEnd NOTIFY alwaysShowCallAndEndChanged)

public:
    enum DialerState {
        State_HangUp = 0,
        State_Active = 1,
        State_Incoming = 2,
        State_ActiveIncoming = 3,
        State_Outgoing = 4,
        State_RingBack = 5,
        State_Busy = 6,
        State_Dialing = 7,
        State_DialTone = 8,
        State_Hold = 9,
        State_OTHER = 10,
        State_Startup = 11,
    };
    Q_ENUM(DialerState)

    // The write index that selects the block's action. 5 is never sent.
    enum DialerCommand {
        Command_Digit = 1, // a key digit, or "!" for a flash
        Command_Dial = 2,  // the number in double quotes
        Command_End = 3,   // end or decline
        Command_Accept = 4,
        Command_Hold = 6,
    };
    Q_ENUM(DialerCommand)

    static constexpr int DurationInterval = 1000;
    static constexpr int CallEndedInterval = 2000;
    static constexpr int StatusInterval = 5000;
    static constexpr int IdentityToggleInterval = 490;
    // Identity queries per call event: the toggle stops once the count
    // exceeds this.
    static constexpr int MaxIdentityToggles = 40;

    explicit WDialer(QQuickItem *parent = nullptr);
    ~WDialer() override;

    void applyAttributes(CAttributes *pAttributes) override;
    bool readAttribute(const QString &name, const QString &value) override;
    void writeAttributes(XmlWriter &writer) const override;
    void setState() override;
    void scale(float factor, bool multiply) override;
    void moveBy(const QPointF &delta) override;
    void layoutIn(const QRectF &parentRect) override;
    void relayout(const QRectF &oldRect, const QRectF &newRect) override;

    DialerState dialerState() const { return m_state; }
    bool isHoldActive() const { return m_isHoldActive; }
    QString callType() const { return m_callType; }
    QString idString() const { return m_idString; }
    QString displayText() const { return m_displayText; }
    void setDisplayText(const QString &text);
    QString statusText() const { return m_statusText; }
    bool isAspectRatioCorrectionActive() const { return m_isAspectRatioCorrectionActive; }
    QString primaryColor() const { return m_primaryColor; }
    QColor secondaryColor() const { return m_secondaryColor; }
    bool alwaysShowCallAndEnd() const { return m_alwaysShowCallAndEnd; }

    // What the operator typed, and the number dialled last.
    QString entry() const { return m_entry; }
    QString lastDialledNumber() const { return m_lastDialled; }
    int identityToggleCount() const { return m_toggleCount; }
    bool isCallEndedPending() const { return m_callEndedTimer.isActive(); }
    bool isIdentityToggleRunning() const { return m_toggleTimer.isActive(); }
    bool isStatusWatchRunning() const { return m_statusTimer.isActive(); }

    // Test seams: the four timers, and shorter waits; the defaults are the
    // constants above.
    const QTimer *durationTimer() const { return &m_durationTimer; }
    const QTimer *callEndedTimer() const { return &m_callEndedTimer; }
    const QTimer *statusTimer() const { return &m_statusTimer; }
    const QTimer *identityToggleTimer() const { return &m_toggleTimer; }
    void setStatusInterval(int ms) { m_statusTimer.setInterval(ms); }
    void setCallEndedInterval(int ms) { m_callEndedTimer.setInterval(ms); }
    void setIdentityToggleInterval(int ms) { m_toggleTimer.setInterval(ms); }

    // A new call state from the block.
    void setDialerState(DialerState state);

    // The entry as shown: ten digits as "(555) 123-4567", seven as
    // "555-1234"; anything else as it is.
    static QString formatNumber(const QString &entry);
    // A call's length: "01:05", or "1:02:05" from the first hour on.
    static QString durationText(qint64 seconds);
    // The state a state reply names; OTHER for any unknown text.
    static DialerState stateOfText(const QString &text);
    // The status line of a state (the empty text for the idle states).
    static QString statusTextOf(DialerState state);
    // Shown while the block cannot be reached.
    static QString noConnectionText();

signals:
    void dialerStateChanged();
    void holdStateChanged(bool isActive);
    void callTypeChanged();
    void idStringChanged();
    void displayTextChanged();
    void statusTextChanged();
    void aspectRatioCorrectionActivationChanged();
    void primaryColorChanged();
    void secondaryColorChanged();
    void alwaysShowCallAndEndChanged();
    // Empties the entry (a held backspace asks for it).
    void clear();

public slots:
    void onAccept();
    void onBackspace();
    void onBackspaceHeld();
    void onClear();
    void onEnd();
    void onCallOrEnd(bool doNotSendEnd);
    void onDigit(const QString &digit);
    void onDigitHeld(const QString &text);
    void onDigitHeldFiveSeconds(const QString &text);
    void onDirectory();
    void onHold();
    void onAddCallOrFlash();
    void onEndAndAccept();
    void onDeclineAndStayActive();
    void onHoldAndAccept();
    // The item asks for its smallest (or its aspect's) size.
    void onAdjustWidth(double width);
    void onAdjustHeight(double height);

protected:
    // Connects the item's signals once the QML around this item is built.
    void componentComplete() override;

private:
    void connectItem(QObject *pItem);
    // The item whose size the item's own requests set.
    QQuickItem *sizedItem() const;
    // Sends the command through the transform; false when it was dropped.
    bool sendCommand(DialerCommand code, const QString &text = QString());
    bool isIdle() const;
    void refreshDisplay();
    void refreshStatusText(DialerState state);
    void showDuration();
    void setStatusText(const QString &text);
    void setIdString(const QString &text);
    void setCallType(const QString &text);
    void setHoldActive(bool active);
    void setAspectRatioCorrectionActive(bool active);
    void setReadSubIndex(int subIndex);
    void stateReply(QString text);
    void identityReply(QString text);
    // Shows the caller an identity report names.
    void showIdentity(const QString &text);
    // Whether a caller is to be shown: a call rings, or one was taken
    // before its caller was known.
    bool isWaitingForCaller() const;
    void onDurationTimeout();
    void onCallEndedTimeout();
    void onStatusTimeout();
    void onIdentityToggleTimeout();

    DialerState m_state = State_Startup;
    bool m_isHoldActive = false;
    QString m_lastDialled;
    QString m_entry;
    QString m_callType;
    QString m_idString;
    QString m_displayText;
    QString m_statusText = QStringLiteral("---");
    bool m_isAspectRatioCorrectionActive = true;
    QDateTime m_callStart;
    QTimer m_durationTimer;
    QTimer m_callEndedTimer;
    QTimer m_statusTimer;
    QTimer m_toggleTimer;
    bool m_alwaysShowCallAndEnd = false;
    QString m_primaryColor = QStringLiteral("black");
    quint8 m_secondaryRed = 128;
    quint8 m_secondaryGreen = 128;
    quint8 m_secondaryBlue = 128;
    QColor m_secondaryColor = QColor(128, 128, 128);
    // The other party of a waiting or held call, swapped in by a flash.
    QString m_savedId;
    QString m_savedText;
    bool m_isSaved = false;
    // An identity report that came while no caller was to be shown: a
    // device that reports by itself names the next caller before its call
    // rings. Kept for that call, dropped at any other change of state.
    QString m_reportedIdentity;
    int m_toggleCount = 0;
    QPointer<QObject> m_pConnectedItem;
};
