#pragma once

#include "comms/TTransform.h"

// Bound to room-combining nodes: queries and replies are the node's own,
// the transform only carries them.
class TPassThrough : public TTransform
{
    Q_OBJECT

public:
    using TTransform::TTransform;

    void setText(const QString &text) override { m_text = text; }
    QString text() const override { return m_text; }
    // Handed to the node; nothing is kept here.
    void setReplyText(const QString &text) override;
    QString replyText() const override;
    QString sourceText() override;
    // Fires only while the node has no query outstanding.
    bool tick() override;
    QString typeName() const override { return QStringLiteral("PassThrough"); }

    void setSecondText(const QString &text) { m_secondText = text; }
    QString secondText() const { return m_secondText; }
    void setFlag(quint8 flag) { m_flag = flag; }
    quint8 flag() const { return m_flag; }

private:
    QString m_text;
    QString m_secondText;
    quint8 m_flag = 0;
};
