#pragma once

#include "controls/WWidget.h"

// The native half of the text-edit widget: shows a value as text and
// passes text on to its linked widget.
class WTextEdit : public WWidget
{
    Q_OBJECT

public:
    explicit WTextEdit(QQuickItem *parent = nullptr);
    ~WTextEdit() override;

    void initialize(QQuickItem *pItem) override;
    void destroy() override;
    void setCanvasItem(QQuickItem *pCanvasItem) override;
    // Geometry, "id", "link" and the fractions.
    bool readAttribute(const QString &name, const QString &value) override;
    // Shows the transform's text and passes it further down the chain.
    void linkValue(WWidget *pSource) override;

    // The last text taken from the item or from QML.
    QString text() const { return m_text; }

public slots:
    // The item's text changed: sends a new text and passes it on.
    void onTextChanged() override;
    // Stores a new text, without sending, and passes it on.
    void outputCurrentText(const QString &text) override;

private:
    QString m_text;
};
