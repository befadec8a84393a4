#pragma once

#include "controls/WWidget.h"
#include "widgets/WMeterCore.h"

struct ArxWebSocketModel;

// The native half of the image meter: one of four pictures (grey, green,
// yellow, orange) tells in which colour zone the level lies. It gets its
// level as the bar meter does; it has no peak, marker or units.
class WMeterImage : public WWidget
{
    Q_OBJECT

public:
    static const QString GreyPicture;
    static const QString GreenPicture;
    static const QString YellowPicture;
    static const QString OrangePicture;

    explicit WMeterImage(QQuickItem *parent = nullptr);
    ~WMeterImage() override;

    void initialize(QQuickItem *pItem) override;
    void applyAttributes(CAttributes *pAttributes) override;
    void bound() override;
    void writeAttributes(XmlWriter &writer) const override;
    bool readAttribute(const QString &name, const QString &value) override;
    void setState() override;
    void setText(const QString &text) override;
    void setTransform(TTransform *pTransform) override;
    void setItemVisible(bool visible) override;
    bool providesToolTip() const override { return true; }
    void release() override {}

    double minimum() const { return m_core.scale().minimum; }
    double maximum() const { return m_core.scale().maximum; }
    double colorBreakValue1() const { return m_core.scale().break1; }
    double colorBreakValue2() const { return m_core.scale().break2; }
    QString meterRate() const { return m_core.rate(); }
    QString channelName() const { return m_core.channelName(); }
    int indexOffset() const { return m_core.indexOffset(); }
    WMeterCore &core() { return m_core; }
    // The picture shown, as set (before the archive resolves it).
    QString picture() const { return m_picture; }

public slots:
    void onOnlineStateChanged(bool online) override;
    void onGetStatusTimerTimeout();
    void onArxWebSocketUpdate(const ArxWebSocketModel &model);

private:
    // The picture for a level on a scale whose breaks lie at b1 and b2.
    QString pictureFor(double level, double bottom, double b1, double b2) const;
    void showPicture(const QString &path);

    QString m_picture;
    WMeterCore m_core;
};
