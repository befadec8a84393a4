#pragma once

#include "comms/TTransform.h"

#include <QStringList>

// An index into the list of texts that the binding record's "set" gives
// ("chrL"); the device sees the entry text.
class TChrL : public TTransform
{
    Q_OBJECT

public:
    using TTransform::TTransform;

    void configure() override;
    void setData(quint8 value) override;
    void setText(const QString &text) override;
    void setReplyText(const QString &text) override;
    quint8 byteValue() const override { return m_index; }
    quint8 replyByteValue() const override { return m_replyIndex; }
    QString text() const override;
    QString replyText() const override;
    void receiveText(const QString &text) override;
    int dataSize() const override { return 1; }
    QString typeName() const override { return QStringLiteral("ChrL"); }

    QStringList entries() const { return m_entries; }

private:
    QString entryAt(int index) const;
    quint8 indexOf(const QString &text) const;

    QStringList m_entries;
    quint8 m_index = 0;
    quint8 m_replyIndex = 0;
};
