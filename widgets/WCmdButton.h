#pragma once

#include "controls/WWidget.h"

// The native half of the command button: it carries a fixed command text
// from the panel file and, when pressed, hands it to the widget it is
// linked to. It has no device value of its own and shows no state.
class WCmdButton : public WWidget
{
    Q_OBJECT

public:
    explicit WCmdButton(QQuickItem *parent = nullptr);
    ~WCmdButton() override;

    void initialize(QQuickItem *pItem) override;
    void destroy() override;
    void applyAttributes(CAttributes *pAttributes) override;
    void setCanvasItem(QQuickItem *pCanvasItem) override;
    bool providesToolTip() const override { return true; }
    // Shows the text: "text", with "hasText" set.
    void setText(const QString &text) override;
    bool readAttribute(const QString &name, const QString &value) override;
    // Writes "command" always, even when it is empty.
    void writeAttributes(XmlWriter &writer) const override;

    QString command() const { return m_command; }

    // The picture path of an "onimage" value, before the archive's
    // resolution: a bare name is a picture of the program's resources.
    static QString picturePath(const QString &value);

public slots:
    // Hands the command to the linked widget; nothing without one.
    void outputPressed();

private:
    QString m_command;
};
