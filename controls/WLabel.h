#pragma once

#include "controls/WWidget.h"

// The native half of the label widget: a text on a panel, fixed or made
// from the label of the control's device node.
class WLabel : public WWidget
{
    Q_OBJECT

public:
    explicit WLabel(QQuickItem *parent = nullptr);
    ~WLabel() override;

    bool readAttribute(const QString &name, const QString &value) override;
    // While the panel reader passes the attributes, the text, its format and
    // the alignment are held back: a rich text is laid out anew on each of
    // those writes, and a label would pay for three layouts instead of one.
    void beginAttributes() override;
    void endAttributes() override;
    void setText(const QString &text) override;

    // Every text the label shows is rich text.
    void setRichText(const QString &text);

public slots:
    void properties();
    void redraw(QQuickItem *pParent);

private:
    // The value with every "*LABEL*" replaced by the node's label.
    QString expandLabel(const QString &value) const;
    // The text the label holds: the held-back one, else the item's.
    QString currentText() const;
    void writeText(const QString &text);
    void writeAlignment(int alignment);

    bool m_holdingBack = false;
    bool m_heldText = false;
    bool m_heldRichText = false;
    bool m_heldAlignment = false;
    QString m_text;
    int m_alignment = Qt::AlignLeft;
};
