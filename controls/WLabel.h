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
    void setText(const QString &text) override;

    // Every text the label shows is rich text.
    void setRichText(const QString &text);

public slots:
    void properties();
    void redraw(QQuickItem *pParent);

private:
    // The value with every "*LABEL*" replaced by the node's label.
    QString expandLabel(const QString &value) const;
};
