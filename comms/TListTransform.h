#pragma once

#include "comms/TTransform.h"

#include <QStringList>

// The shared half of the list transforms ("chrL", "strL"): an outgoing and a
// reply index into a list of entry texts, which the binding record's "set"
// gives. The device sees the entry text; a text is taken back as the index
// of the first entry equal to it.
class TListTransform : public TTransform
{
    Q_OBJECT

public:
    using TTransform::TTransform;

    void setData(quint8 value) override;
    void setText(const QString &text) override { m_index = indexOf(text); }
    void setReplyText(const QString &text) override;
    quint8 byteValue() const override { return m_index; }
    quint8 replyByteValue() const override { return m_replyIndex; }
    QString text() const override { return entryAt(m_index); }
    QString replyText() const override { return entryAt(m_replyIndex); }
    int dataSize() const override { return 1; }

    QStringList entries() const { return m_entries; }

protected:
    // The position of the first entry equal to the text; 0 when none is.
    virtual quint8 indexOf(const QString &text) const;

    QStringList m_entries;

private:
    // "?" past the list.
    QString entryAt(int index) const;

    quint8 m_index = 0;
    quint8 m_replyIndex = 0;
};
