#pragma once

#include "comms/TTransform.h"

#include <array>

// An index into up to 8 texts that the binding record's "set" gives
// ("strL"); the device sees the entry text.
class TStrL : public TTransform
{
    Q_OBJECT

public:
    static constexpr int EntryCount = 8;

    using TTransform::TTransform;

    void configure() override;
    void setData(quint8 value) override;
    void setText(const QString &text) override;
    void setReplyText(const QString &text) override;
    quint8 byteValue() const override { return m_index; }
    quint8 replyByteValue() const override { return m_replyIndex; }
    QString text() const override { return entryAt(m_index); }
    QString replyText() const override { return entryAt(m_replyIndex); }
    int dataSize() const override { return 1; }
    QString typeName() const override { return QStringLiteral("StrL"); }

private:
    QString entryAt(int index) const;
    quint8 indexOf(const QString &text) const;

    quint8 m_index = 0;
    quint8 m_replyIndex = 0;
    std::array<QString, EntryCount> m_entries;
};
