#pragma once

#include "controls/WWidget.h"

#include <QMetaObject>
#include <QPointer>
#include <QTimer>

class CPanelHost;

// The native half of the panel push button. Presses and releases of its
// QML item become values written to the control's transform and sent
// through the node's protocol; device replies show as the item's checked
// state; short picture names pick the skin's pictures; a button of the
// connection-status action mirrors the program's connection indicator.
//
// While this side writes a device value into the item it clears the base's
// output-enabled flag: the item's change handlers run inside that write,
// and whatever they report then is never taken for the operator's press.
//
// The text link derives from it and shares its attribute reading, look,
// text and attribute writing.
class WButton : public WWidget
{
    Q_OBJECT

public:
    // What a press and a release do ("action").
    enum ButtonAction {
        ActionAlternating = 0,
        ActionSequence = 1,
        ActionSendOthenF = 2,
        ActionToggle = 3,
        ActionPulse = 4,
        ActionNone = 5,
        ActionShowSetupMenu = 6,
        ActionShowConnectionStatus = 7,
    };
    Q_ENUM(ButtonAction)

    // What the button switches ("buttonType").
    enum ButtonType {
        TypeMute = 0,
        TypeLogicChannel = 1,
        TypeLogicSet = 2,
        TypeLogicReset = 3,
        TypeVirtualGPI = 4,
        TypeVirtualGPO = 5,
        TypeSetup = 6,
        TypeConnectionIndicator = 7,
    };
    Q_ENUM(ButtonType)

    // A pulse button flips back this long after its press.
    static constexpr int pulseInterval = 200;
    // Device values are not shown this long after a press or release: the
    // device's answers to the operator's own switching would make the
    // button flicker. A refused set ends it: the device keeps its value,
    // and what it reads back is shown.
    static constexpr int holdOffInterval = 5000;

    explicit WButton(QQuickItem *parent = nullptr);
    ~WButton() override;

    void initialize(QQuickItem *pItem) override;
    void destroy() override;
    void setCanvasItem(QQuickItem *pCanvasItem) override;
    void release() override;
    bool providesToolTip() const override { return true; }
    void setNode(HNode *pNode) override;
    void setTransform(TTransform *pTransform) override;
    void applyAttributes(CAttributes *pAttributes) override;
    void writeAttributes(XmlWriter &writer) const override;
    bool readAttribute(const QString &name, const QString &value) override;
    // Shows the device value as "checked", unless the hold-off runs.
    void setState() override;
    // Shows the text: "text", with "hasText" set.
    void setText(const QString &text) override;
    // A connection-status button follows the program's indicator.
    void updateLook() override;

    // The action and type texts of the panel file; -1 for an unknown text.
    static int actionFromText(const QString &text);
    static int typeFromText(const QString &text);
    // The text of a code; unknown codes as the defaults.
    static QString actionText(int action);
    static QString typeText(int type);

    // A picture name of the panel file as the path the item shows, before
    // the archive's resolution; the host gives skin and accent.
    static QString picturePath(const QString &text, const CPanelHost *pHost);
    // A picture path's file name without its extension: what the panel
    // file names a picture by.
    static QString pictureBaseName(const QString &path);
    // The image set that the raw picture names make up.
    static QString imageSetOf(const QString &onImage, const QString &offImage,
                              const QString &partialImage);

    ButtonAction action() const { return m_action; }
    ButtonType buttonType() const { return m_type; }
    QString channel() const { return m_channel; }
    bool isChecked() const { return m_checked; }
    quint8 sentValue() const { return m_sentValue; }
    int togglePosition() const { return m_togglePosition; }
    int pulsePosition() const { return m_pulsePosition; }
    int index1ForQuery() const { return m_index1ForQuery; }
    QString imageSet() const { return m_imageSet; }

    // Test seams: the two timers, shorter intervals, and whether they run.
    const QTimer *pulseTimer() const { return &m_pulseTimer; }
    const QTimer *holdOffTimer() const { return &m_holdOffTimer; }
    void setHoldOffInterval(int ms) { m_holdOffTimer.setInterval(ms); }
    void setPulseInterval(int ms) { m_pulseTimer.setInterval(ms); }
    bool isHoldingOff() const { return m_holdOffTimer.isActive(); }
    bool isPulsing() const { return m_pulseTimer.isActive(); }
    int pulseRemainingMs() const { return m_pulseTimer.remainingTime(); }

public slots:
    void outputClicked(bool checked);
    void outputPressed();
    void outputReleased();
    void onPulseTimerTimeout();
    void onChangedStatusIndicator();

private:
    void setChecked(bool checked);
    void onValueRefused();
    // Writes the byte to the transform and sends it; false when nothing
    // could be sent.
    bool sendByte(quint8 value);
    QString preparedText(const QString &text, bool isOnText) const;
    void setPicture(const char *property, const QString &text);
    void connectIndicator(CPanelHost *pHost);

    bool m_checked = false;
    bool m_previousChecked = false;
    quint8 m_sentValue = 0;
    QString m_channel = QStringLiteral("1");
    ButtonType m_type = TypeMute;
    int m_togglePosition = -1;
    int m_pulsePosition = -1;
    ButtonAction m_action = ActionAlternating;
    QTimer m_pulseTimer;
    QTimer m_holdOffTimer;
    QString m_imageSet;
    QString m_onImage;
    QString m_offImage;
    QString m_partialImage;
    int m_index1ForQuery = -1;
    // The host whose indicator this button follows, and the one connection.
    CPanelHost *m_pIndicatorHost = nullptr;
    QMetaObject::Connection m_indicatorConnection;
};
