#pragma once

#include "comms/TTransform.h"

// A gain ("grpV") as the device writes it: two hex digits in half-dB steps,
// code = 2 x dB + 120 (0 = -60 dB, 0x78 = 0 dB, 0x90 = +12 dB, the most),
// and "FF" for off.
class TGrpV : public TTransform
{
    Q_OBJECT

public:
    static constexpr int ZeroDbCode = 120;
    static constexpr int MaxCode = 144;

    using TTransform::TTransform;

    void configure() override;
    void setUIntValue(quint32 value) override;
    void setFloatValue(double value) override;
    void setData(quint8 value) override;
    void setText(const QString &text) override;
    void setReplyText(const QString &text) override;
    quint32 uintValue() const override;
    double floatValue() const override;
    quint8 byteValue() const override;
    QString text() const override { return m_text; }
    quint32 replyUIntValue() const override;
    double replyFloatValue() const override;
    quint8 replyByteValue() const override;
    QString replyText() const override { return m_replyText; }
    void receiveText(const QString &text) override;
    QString displayText() const override;
    bool replyIsNumber() const override;
    void setDisplayValue(double value) override;
    int dataSize() const override { return int(m_text.size()); }
    QString typeName() const override { return QStringLiteral("GrpV"); }

    // The wire text of a code: lower-case hex, "FF" below 0, capped at 144.
    static QString codeText(int code);

private:
    QString m_text;
    QString m_replyText;
    QString m_displayText;
    int m_decimals = 0;
    bool m_percent = false;
};
