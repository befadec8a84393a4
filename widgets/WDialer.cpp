#include "WDialer.h"

#include "comms/PProtocol.h"
#include "comms/TTransform.h"
#include "controls/CAttributes.h"
#include "project/XmlWriter.h"

#include <QCoreApplication>
#include <QHash>

namespace {

const QLatin1Char kQuote('"');

// The state texts of the block; case matters.
const QHash<QString, WDialer::DialerState> &stateTexts()
{
    static const QHash<QString, WDialer::DialerState> texts = {
        {QStringLiteral("HANGUP"), WDialer::State_HangUp},
        {QStringLiteral("IDLE"), WDialer::State_HangUp},
        {QStringLiteral("ACTIVE"), WDialer::State_Active},
        {QStringLiteral("INCOMING"), WDialer::State_Incoming},
        {QStringLiteral("ACTIVE_INCOMING"), WDialer::State_ActiveIncoming},
        {QStringLiteral("OUTGOING"), WDialer::State_Outgoing},
        {QStringLiteral("RINGBACK"), WDialer::State_RingBack},
        {QStringLiteral("BUSY"), WDialer::State_Busy},
        {QStringLiteral("DIALING"), WDialer::State_Dialing},
        {QStringLiteral("DIALTONE"), WDialer::State_DialTone},
        {QStringLiteral("HOLD"), WDialer::State_Hold},
    };
    return texts;
}

bool isDigitsOnly(const QString &text)
{
    for (const QChar c : text) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
    }
    return !text.isEmpty();
}

QString twoDigits(qint64 value)
{
    return QStringLiteral("%1").arg(value, 2, 10, QLatin1Char('0'));
}

// States in which the block is worth asking every poll: a call is being
// set up or is ringing.
bool isFastPolled(WDialer::DialerState state)
{
    switch (state) {
    case WDialer::State_Incoming:
    case WDialer::State_ActiveIncoming:
    case WDialer::State_Outgoing:
    case WDialer::State_RingBack:
    case WDialer::State_Dialing:
    case WDialer::State_DialTone:
        return true;
    default:
        return false;
    }
}

QString unknownText()
{
    return WDialer::tr("UNKNOWN");
}

QString conferenceText()
{
    return WDialer::tr("CONFERENCE");
}

} // namespace

WDialer::WDialer(QQuickItem *parent)
    : WWidget(parent)
{
    m_durationTimer.setInterval(DurationInterval);
    m_callEndedTimer.setInterval(CallEndedInterval);
    m_callEndedTimer.setSingleShot(true);
    m_statusTimer.setInterval(StatusInterval);
    m_statusTimer.setSingleShot(true);
    m_toggleTimer.setInterval(IdentityToggleInterval);
    connect(&m_durationTimer, &QTimer::timeout, this, &WDialer::onDurationTimeout);
    connect(&m_callEndedTimer, &QTimer::timeout, this, &WDialer::onCallEndedTimeout);
    connect(&m_statusTimer, &QTimer::timeout, this, &WDialer::onStatusTimeout);
    connect(&m_toggleTimer, &QTimer::timeout, this, &WDialer::onIdentityToggleTimeout);
    connect(this, &WDialer::clear, this, &WDialer::onClear);
    emit displayTextChanged();
}

WDialer::~WDialer()
{
    m_durationTimer.stop();
    m_callEndedTimer.stop();
    m_statusTimer.stop();
    m_toggleTimer.stop();
}

// --- The item --------------------------------------------------------------

void WDialer::componentComplete()
{
    WWidget::componentComplete();
    // Declared as the root's (non-visual) child: the root is the item that
    // emits the operator's keys.
    if (auto *pRoot = qobject_cast<QQuickItem *>(parent()))
        connectItem(pRoot);
}

void WDialer::connectItem(QObject *pItem)
{
    if (!pItem || m_pConnectedItem == pItem)
        return;
    m_pConnectedItem = pItem;
    const struct
    {
        const char *signal;
        const char *slot;
    } pairs[] = {
        {SIGNAL(accept()), SLOT(onAccept())},
        {SIGNAL(backspace()), SLOT(onBackspace())},
        {SIGNAL(backspaceHeld()), SLOT(onBackspaceHeld())},
        {SIGNAL(clear()), SLOT(onClear())},
        {SIGNAL(end()), SLOT(onEnd())},
        {SIGNAL(callOrEnd(bool)), SLOT(onCallOrEnd(bool))},
        {SIGNAL(digit(QString)), SLOT(onDigit(QString))},
        {SIGNAL(digitHeld(QString)), SLOT(onDigitHeld(QString))},
        {SIGNAL(digitHeldFiveSeconds(QString)), SLOT(onDigitHeldFiveSeconds(QString))},
        {SIGNAL(directory()), SLOT(onDirectory())},
        {SIGNAL(hold()), SLOT(onHold())},
        {SIGNAL(addCallOrFlash()), SLOT(onAddCallOrFlash())},
        {SIGNAL(endAndAccept()), SLOT(onEndAndAccept())},
        {SIGNAL(declineAndStayActive()), SLOT(onDeclineAndStayActive())},
        {SIGNAL(holdAndAccept()), SLOT(onHoldAndAccept())},
        {SIGNAL(adjustHeight(double)), SLOT(onAdjustHeight(double))},
        {SIGNAL(adjustWidth(double)), SLOT(onAdjustWidth(double))},
    };
    for (const auto &pair : pairs) {
        // An item without the signal (not the dialer's QML) simply gets no
        // connection for it.
        if (pItem->metaObject()->indexOfSignal(QMetaObject::normalizedSignature(pair.signal + 1)) < 0)
            continue;
        connect(pItem, pair.signal, this, pair.slot, Qt::UniqueConnection);
    }
}

QQuickItem *WDialer::sizedItem() const
{
    // The root asks while it is being built, before the factory stored it.
    if (auto *pRoot = qobject_cast<QQuickItem *>(m_pConnectedItem.data()))
        return pRoot;
    return item();
}

void WDialer::onAdjustWidth(double width)
{
    if (QQuickItem *pItem = sizedItem())
        pItem->setWidth(width);
}

void WDialer::onAdjustHeight(double height)
{
    if (QQuickItem *pItem = sizedItem())
        pItem->setHeight(height);
}

// --- Properties --------------------------------------------------------------

void WDialer::setDisplayText(const QString &text)
{
    if (m_displayText == text)
        return;
    m_displayText = text;
    emit displayTextChanged();
}

void WDialer::setStatusText(const QString &text)
{
    if (m_statusText == text)
        return;
    m_statusText = text;
    emit statusTextChanged();
}

void WDialer::setIdString(const QString &text)
{
    if (m_idString == text)
        return;
    m_idString = text;
    emit idStringChanged();
}

void WDialer::setCallType(const QString &text)
{
    if (m_callType == text)
        return;
    m_callType = text;
    emit callTypeChanged();
}

void WDialer::setHoldActive(bool active)
{
    if (m_isHoldActive == active)
        return;
    m_isHoldActive = active;
    emit holdStateChanged(active);
}

void WDialer::setAspectRatioCorrectionActive(bool active)
{
    if (m_isAspectRatioCorrectionActive == active)
        return;
    m_isAspectRatioCorrectionActive = active;
    emit aspectRatioCorrectionActivationChanged();
}

void WDialer::setReadSubIndex(int subIndex)
{
    if (TTransform *pTransform = transform())
        pTransform->setIndexes(0, subIndex, pTransform->isSelected());
}

// --- Texts -------------------------------------------------------------------

QString WDialer::noConnectionText()
{
    return tr("No Connection");
}

QString WDialer::formatNumber(const QString &entry)
{
    const qsizetype length = entry.size();
    if (length < 4 || length > 10 || !isDigitsOnly(entry))
        return entry;
    if (length >= 8)
        return QLatin1Char('(') + entry.left(3) + QStringLiteral(") ") + entry.mid(3, 3)
            + QLatin1Char('-') + entry.mid(6);
    return entry.left(3) + QLatin1Char('-') + entry.mid(3);
}

QString WDialer::durationText(qint64 seconds)
{
    if (seconds < 0)
        seconds = 0;
    const qint64 minutes = seconds / 60;
    QString text;
    if (minutes > 59)
        text = QString::number(minutes / 60) + QLatin1Char(':');
    return text + twoDigits(minutes % 60) + QLatin1Char(':') + twoDigits(seconds % 60);
}

WDialer::DialerState WDialer::stateOfText(const QString &text)
{
    return stateTexts().value(text, State_OTHER);
}

QString WDialer::statusTextOf(DialerState state)
{
    switch (state) {
    case State_Active:
        return tr("Active");
    case State_Incoming:
        return tr("Incoming");
    case State_ActiveIncoming:
        return tr("Active + Incoming");
    case State_Busy:
        return tr("Busy");
    case State_Hold:
        return tr("Hold");
    case State_Outgoing:
    case State_RingBack:
    case State_Dialing:
    case State_DialTone:
        return tr("Dialing");
    case State_HangUp:
    case State_OTHER:
    case State_Startup:
        break;
    }
    return QString();
}

void WDialer::refreshDisplay()
{
    setDisplayText(formatNumber(m_entry));
}

void WDialer::refreshStatusText(DialerState state)
{
    const QString text = statusTextOf(state);
    // The dialling states pass through the empty text, so the item sees a
    // change whenever one of them begins.
    if (text == tr("Dialing"))
        setStatusText(QString());
    setStatusText(text);
    setHoldActive(state == State_Hold);
}

void WDialer::showDuration()
{
    setStatusText(durationText(m_callStart.secsTo(QDateTime::currentDateTime())));
}

bool WDialer::isIdle() const
{
    return m_state == State_HangUp || m_state == State_OTHER || m_state == State_Startup;
}

// --- Commands ----------------------------------------------------------------

bool WDialer::sendCommand(DialerCommand code, const QString &text)
{
    TTransform *pTransform = transform();
    PProtocol *pProtocol = protocol();
    if (!pTransform || !pTransform->owner() || !pProtocol)
        return false;
    pTransform->setWriteIndexes(int(code), -1);
    pTransform->setText(text);
    return pProtocol->sendValue(pTransform);
}

void WDialer::onDigit(const QString &digit)
{
    if (isIdle()) {
        m_entry += digit;
        refreshDisplay();
    } else if (m_state == State_Active || m_state == State_DialTone) {
        m_entry += digit;
        refreshDisplay();
        sendCommand(Command_Digit, digit);
    }
}

void WDialer::onDigitHeld(const QString &text)
{
    onDigit(text);
}

void WDialer::onDigitHeldFiveSeconds(const QString &text)
{
    Q_UNUSED(text);
}

void WDialer::onDirectory()
{
}

void WDialer::onBackspace()
{
    if (!isIdle() || m_entry.isEmpty())
        return;
    m_entry.chop(1);
    refreshDisplay();
}

void WDialer::onBackspaceHeld()
{
    if (isIdle())
        emit clear();
}

void WDialer::onClear()
{
    m_entry.clear();
    refreshDisplay();
}

void WDialer::onCallOrEnd(bool doNotSendEnd)
{
    // The key that ended a call does not start the next one by accident.
    if (m_callEndedTimer.isActive())
        return;
    if (m_state == State_HangUp || m_state == State_DialTone || m_state == State_OTHER) {
        if (m_entry.isEmpty()) {
            // Call on an empty display recalls the last number; there is
            // nothing to dial before anything was dialled.
            if (!m_lastDialled.isEmpty()) {
                m_entry = m_lastDialled;
                refreshDisplay();
            }
            return;
        }
        m_lastDialled = m_entry;
        sendCommand(Command_Dial, kQuote + m_entry + kQuote);
        return;
    }
    if (!doNotSendEnd)
        sendCommand(Command_End);
}

void WDialer::onEnd()
{
    sendCommand(Command_End);
}

void WDialer::onDeclineAndStayActive()
{
    sendCommand(Command_End);
}

void WDialer::onAccept()
{
    sendCommand(Command_Accept);
}

void WDialer::onEndAndAccept()
{
    sendCommand(Command_Accept);
}

void WDialer::onHoldAndAccept()
{
    sendCommand(Command_Hold);
    sendCommand(Command_Accept);
}

void WDialer::onHold()
{
    if (m_state == State_Active)
        sendCommand(Command_Hold);
}

void WDialer::onAddCallOrFlash()
{
    if (m_state == State_Active && m_idString != conferenceText()) {
        // Swap the shown party with the saved one.
        const QString keptId = m_savedId;
        const QString keptText = m_savedText;
        if (m_isSaved) {
            m_savedId = m_idString;
            m_savedText = m_entry;
        } else {
            m_savedId = conferenceText();
            m_savedText.clear();
        }
        setIdString(keptId);
        m_entry = keptText;
        refreshDisplay();
    }
    if (m_state == State_Active || m_state == State_ActiveIncoming)
        sendCommand(Command_Digit, QStringLiteral("!"));
}

// --- Call state ----------------------------------------------------------------

void WDialer::setDialerState(DialerState state)
{
    m_statusTimer.start();
    if (m_statusText == noConnectionText())
        refreshStatusText(m_state);
    TTransform *pTransform = transform();
    if (state == m_state || !pTransform)
        return;

    const bool fast = isFastPolled(state) || (state == State_Active && m_idString == unknownText());
    pTransform->setDivider(fast ? 1 : 4);

    const DialerState oldState = m_state;
    m_state = state;
    const QString reported = m_reportedIdentity;
    m_reportedIdentity.clear();

    bool askIdentity = false;
    bool settled = false;
    if (state == State_Active) {
        m_callStart = QDateTime::currentDateTime();
        showDuration();
        m_durationTimer.start();
        if (m_idString == unknownText()) {
            askIdentity = true;
        } else {
            m_toggleTimer.stop();
            emit dialerStateChanged();
            return;
        }
    } else {
        m_durationTimer.stop();
        if (state == State_HangUp && oldState != State_Startup) {
            setStatusText(tr("Call Ended"));
            m_callEndedTimer.start();
            setIdString(QString());
            setDisplayText(QString());
            settled = true;
        } else {
            refreshStatusText(state);
            if (state == State_Incoming || state == State_ActiveIncoming) {
                if (state == State_ActiveIncoming) {
                    // The call in progress, to be swapped back in by a flash.
                    m_savedId = m_idString;
                    m_savedText = m_displayText;
                    m_isSaved = true;
                }
                setIdString(unknownText());
                askIdentity = true;
            } else {
                settled = true;
            }
        }
    }

    if (askIdentity) {
        setReadSubIndex(2);
        m_toggleTimer.start();
        m_toggleCount = 0;
        // Reported before the call rang: taken as the answer to the query.
        if (!reported.isEmpty()) {
            showIdentity(reported);
            setReadSubIndex(1);
        }
    } else if (settled) {
        m_toggleTimer.stop();
        m_savedId.clear();
        m_savedText.clear();
        m_isSaved = false;
        setReadSubIndex(1);
    }
    emit dialerStateChanged();
}

void WDialer::setState()
{
    TTransform *pTransform = transform();
    if (!pTransform || pTransform->replyIndex() != 0)
        return;
    const int subIndex = pTransform->replySubIndex();
    if (subIndex == 1) {
        stateReply(pTransform->replyText());
    } else if (subIndex == 2) {
        identityReply(pTransform->replyText());
        setReadSubIndex(1);
    }
}

void WDialer::stateReply(QString text)
{
    text.remove(kQuote);
    if (text == QLatin1String("ERROR")
        || text == QCoreApplication::translate("PVDSProtocol", "SYNC_ERROR")) {
        m_statusTimer.start();
        return;
    }
    setDialerState(stateOfText(text));
}

bool WDialer::isWaitingForCaller() const
{
    return m_state == State_Incoming || m_state == State_ActiveIncoming || m_idString == unknownText();
}

void WDialer::identityReply(QString text)
{
    text.remove(kQuote);
    // Shown at once, it would take the place of the party on the line, and
    // a waiting call would then save the new caller as the call in progress.
    if (!isWaitingForCaller()) {
        m_reportedIdentity = text;
        return;
    }
    showIdentity(text);
}

void WDialer::showIdentity(const QString &text)
{
    if (m_callType == QLatin1String("VoIP")) {
        setIdString(text);
        m_entry.clear();
    } else {
        // "&"-separated: the number second, the name third; a name may
        // itself hold "&".
        QStringList parts = text.split(QLatin1Char('&'));
        if (parts.size() > 3) {
            parts[2] = parts.mid(2).join(QLatin1Char('&'));
            parts.erase(parts.begin() + 3, parts.end());
        }
        if (parts.size() == 3 && !parts.at(2).isEmpty())
            setIdString(parts.at(2));
        if (parts.size() >= 2 && !parts.at(1).isEmpty())
            m_entry = parts.at(1);
    }
    if (!m_idString.isEmpty() && m_idString != unknownText())
        m_toggleTimer.stop();
    refreshDisplay();
}

// --- Timers --------------------------------------------------------------------

void WDialer::onDurationTimeout()
{
    if (m_state == State_Active)
        showDuration();
}

void WDialer::onCallEndedTimeout()
{
    m_entry.clear();
    refreshDisplay();
    // A lost connection found meanwhile stays on the status line.
    if (m_statusText != noConnectionText())
        refreshStatusText(m_state);
}

void WDialer::onStatusTimeout()
{
    if (!model())
        return;
    PProtocol *pProtocol = protocol();
    if (pProtocol && pProtocol->isOnline()) {
        m_statusTimer.start();
        return;
    }
    setDialerState(State_HangUp);
    setStatusText(noConnectionText());
}

void WDialer::onIdentityToggleTimeout()
{
    TTransform *pTransform = transform();
    if (!pTransform || pTransform->readSubIndex() != 1)
        return;
    if (!m_idString.isEmpty() && m_idString != unknownText())
        return;
    setReadSubIndex(2);
    if (++m_toggleCount > MaxIdentityToggles)
        m_toggleTimer.stop();
}

// --- Binding and the panel file -------------------------------------------------

void WDialer::applyAttributes(CAttributes *pAttributes)
{
    if (!m_pWidget || !pAttributes)
        return;
    setCallType(pAttributes->callType());
    m_secondaryColor = QColor(m_secondaryRed, m_secondaryGreen, m_secondaryBlue);
    emit secondaryColorChanged();
    setReadSubIndex(1);
}

bool WDialer::readAttribute(const QString &name, const QString &value)
{
    if (!m_pWidget)
        return false;
    if (processRect(name, value) || readIdAttribute(name, value) || readFractionAttribute(name, value))
        return true;
    const auto component = [&value]() {
        bool ok = false;
        const uint number = value.toUInt(&ok, 10);
        return ok ? quint8(number & 0xFF) : quint8(0);
    };
    if (name == QLatin1String("primaryColor")) {
        m_primaryColor = value;
        emit primaryColorChanged();
    } else if (name == QLatin1String("secondaryColorRed")) {
        m_secondaryRed = component();
    } else if (name == QLatin1String("secondaryColorGreen")) {
        m_secondaryGreen = component();
    } else if (name == QLatin1String("secondaryColorBlue")) {
        m_secondaryBlue = component();
    } else if (name == QLatin1String("alwaysShowCallAndEnd")) {
        const bool show = value.toInt() != 0;
        if (show != m_alwaysShowCallAndEnd) {
            m_alwaysShowCallAndEnd = show;
            emit alwaysShowCallAndEndChanged();
        }
    } else {
        return false;
    }
    return true;
}

void WDialer::writeAttributes(XmlWriter &writer) const
{
    if (!m_pWidget)
        return;
    writer.writeStartElement(typeName());
    writeBaseAttributes(writer);
    writer.writeTextElement(QStringLiteral("primaryColor"), m_primaryColor);
    writer.writeIntElement(QStringLiteral("secondaryColorRed"), m_secondaryRed);
    writer.writeIntElement(QStringLiteral("secondaryColorGreen"), m_secondaryGreen);
    writer.writeIntElement(QStringLiteral("secondaryColorBlue"), m_secondaryBlue);
    writer.writeIntElement(QStringLiteral("alwaysShowCallAndEnd"), m_alwaysShowCallAndEnd ? 1 : 0);
    writer.writeEndElement(typeName());
}

// --- Placement: exact, without the item's aspect correction -------------------------

void WDialer::scale(float factor, bool multiply)
{
    setAspectRatioCorrectionActive(false);
    WWidget::scale(factor, multiply);
    setAspectRatioCorrectionActive(true);
}

void WDialer::moveBy(const QPointF &delta)
{
    setAspectRatioCorrectionActive(false);
    WWidget::moveBy(delta);
    setAspectRatioCorrectionActive(true);
}

void WDialer::layoutIn(const QRectF &parentRect)
{
    setAspectRatioCorrectionActive(false);
    WWidget::layoutIn(parentRect);
    setAspectRatioCorrectionActive(true);
}

void WDialer::relayout(const QRectF &oldRect, const QRectF &newRect)
{
    QQuickItem *pItem = item();
    if (!pItem)
        return;
    setAspectRatioCorrectionActive(false);
    if (newRect.width() > 0.0
        && (newRect.width() != oldRect.width() || newRect.x() != oldRect.x())) {
        pItem->setX(newRect.width() * xFraction() + newRect.x());
        const double width = widthFraction() * newRect.width();
        if (pItem->width() != width)
            pItem->setWidth(width);
    }
    if (newRect.height() > 0.0
        && (newRect.height() != oldRect.height() || newRect.y() != oldRect.y())) {
        pItem->setY(newRect.height() * yFraction() + newRect.y());
        const double height = heightFraction() * newRect.height();
        if (pItem->height() != height)
            pItem->setHeight(height);
    }
    setAspectRatioCorrectionActive(true);
}
