#pragma once

#include "comms/TTransform.h"

#include <array>

// An index into a table of up to 16 byte codes that the binding record's
// "set" gives as hex numbers ("hexL"); the device sees the code's
// character.
class THexL : public TTransform
{
    Q_OBJECT

public:
    static constexpr int TableSize = 16;

    explicit THexL(QObject *parent = nullptr);

    void configure() override;
    void setData(quint8 value) override;
    void setReplyText(const QString &text) override;
    quint8 byteValue() const override { return codeAt(m_index); }
    quint8 replyByteValue() const override { return codeAt(m_replyIndex); }
    QString text() const override { return textAt(m_index); }
    QString replyText() const override { return textAt(m_replyIndex); }
    int dataSize() const override { return 1; }
    QString typeName() const override { return QStringLiteral("HexL"); }

    void setReplyIndex(quint8 index) { m_replyIndex = index; }

private:
    quint8 codeAt(int index) const;
    QString textAt(int index) const;

    quint8 m_index = 0;
    quint8 m_replyIndex = 0;
    std::array<quint8, TableSize> m_table;
};
