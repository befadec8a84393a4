#pragma once

#include "comms/TTransform.h"

// Raw texts for the protocols that dispatch by command id: the outgoing
// text, the request last sent, the reply and a second text that carries an
// error tag or failure text.
class TText : public TTransform
{
    Q_OBJECT

public:
    using TTransform::TTransform;

    void setText(const QString &text) override { m_text = text; }
    QString text() const override { return m_text; }
    void setReplyText(const QString &text) override;
    QString replyText() const override { return m_replyText; }
    void receiveText(const QString &text) override { setReplyText(text); }
    int dataSize() const override { return int(m_text.size()); }
    QString typeName() const override { return QStringLiteral("Text"); }

    void setCommandId(int id) { m_commandId = id; }
    int commandId() const { return m_commandId; }
    void setRequestText(const QString &text) { m_requestText = text; }
    QString requestText() const { return m_requestText; }
    void setAuxText(const QString &text) { m_auxText = text; }
    QString auxText() const { return m_auxText; }

private:
    QString m_text;
    int m_commandId = 0;
    QString m_replyText;
    QString m_requestText;
    QString m_auxText;
};
