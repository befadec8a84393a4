#pragma once

#include "comms/TTransform.h"

#include <QString>

// A transform stand-in whose reply and display text a test sets directly,
// and which keeps what a widget gives it.
class StubTransform : public TTransform
{
    Q_OBJECT

public:
    using TTransform::TTransform;

    void setUIntValue(quint32 value) override { m_value = value; }
    quint32 uintValue() const override { return m_value; }
    void setText(const QString &text) override { m_text = text; }
    QString text() const override { return m_text; }
    quint32 replyUIntValue() const override
    {
        ++replyReads;
        return m_replyValue;
    }
    QString displayText() const override { return m_displayText; }
    QString typeName() const override { return QStringLiteral("Stub"); }

    // Sets the reply and announces it, as a device answer would.
    void reply(quint32 value)
    {
        m_replyValue = value;
        emit replyValueReady();
    }
    void setDisplayText(const QString &text) { m_displayText = text; }

    // How often the reply was read.
    mutable int replyReads = 0;

private:
    quint32 m_value = 0;
    quint32 m_replyValue = 0;
    QString m_text;
    QString m_displayText;
};
