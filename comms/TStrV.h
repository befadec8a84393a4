#pragma once

#include "comms/TTransform.h"

// A value as the device writes it in decimal text ("strV").
class TStrV : public TTransform
{
    Q_OBJECT

public:
    using TTransform::TTransform;

    void configure() override;
    void setUIntValue(quint32 value) override;
    void setFloatValue(double value) override;
    void setData(quint8 value) override;
    void setText(const QString &text) override { m_text = text; }
    void setReplyText(const QString &text) override;
    quint32 uintValue() const override { return toUInt(m_text); }
    double floatValue() const override { return m_text.toDouble(); }
    quint8 byteValue() const override { return quint8(toUInt(m_text) & 0xFF); }
    QString text() const override { return m_text; }
    quint32 replyUIntValue() const override { return toUInt(m_replyText); }
    double replyFloatValue() const override { return m_replyText.toDouble(); }
    quint8 replyByteValue() const override { return quint8(toUInt(m_replyText) & 0xFF); }
    QString replyText() const override { return m_replyText; }
    void receiveText(const QString &text) override;
    QString displayText() const override;
    void setDisplayValue(double value) override;
    int dataSize() const override { return int(m_text.size()); }
    QString typeName() const override { return QStringLiteral("StrV"); }
    bool replyIsNumber() const override;

private:
    // The text as a decimal integer; 0 when it is none or does not fit.
    static quint32 toUInt(const QString &text);

    QString m_text;
    QString m_replyText;
    QString m_displayText;
    int m_decimals = 0;
    bool m_percent = false;
};
