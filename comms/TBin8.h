#pragma once

#include "comms/TTransform.h"

// A small number or an index ("bin8", "idx8"): decimal digits on the wire,
// "N" for 0 on nodes that offer no selection.
class TBin8 : public TTransform
{
    Q_OBJECT

public:
    using TTransform::TTransform;

    void setUIntValue(quint32 value) override;
    void setData(quint8 value) override;
    void setText(const QString &text) override;
    void setReplyText(const QString &text) override;
    quint32 uintValue() const override;
    quint8 byteValue() const override;
    QString text() const override;
    quint32 replyUIntValue() const override;
    quint8 replyByteValue() const override;
    QString replyText() const override;
    void receiveText(const QString &text) override;
    int dataSize() const override { return 1; }
    QString typeName() const override { return QStringLiteral("Bin8"); }
    bool replyIsNumber() const override { return m_replyIsNumber; }

    // "0x" and hex digits, or decimal digits; 0 unless it fits 16 bits signed.
    static qint16 parseNumber(const QString &text);

private:
    quint32 m_value = 0;
    qint16 m_replyValue = 0;
    bool m_replyIsNumber = true;
};
