#pragma once

#include "controls/WWidget.h"
#include "widgets/WMeterCore.h"

#include <QTimer>

struct ArxWebSocketModel;

// The native half of the bar meter. It shows a level between minimum and
// maximum as up to three coloured segments from the bottom (green to the
// first colour break, yellow to the second, orange above), with a falling
// peak and an optional fixed marker. The level comes from the device's
// level list, polled at the meter rate while the meter is shown and its
// device online, or, on an ARX amplifier, from the chassis's meter feed.
class WMeter : public WWidget
{
    Q_OBJECT
    Q_PROPERTY(double minimum READ minimum NOTIFY minimumChanged)
    Q_PROPERTY(double maximum READ maximum NOTIFY maximumChanged)
    Q_PROPERTY(QString unitsText READ unitsText NOTIFY unitsTextChanged)

public:
    static constexpr int PeakFallIntervalMs = 2500;
    static const char *const Grey;
    static const char *const Green;
    static const char *const Yellow;
    static const char *const Orange;

    explicit WMeter(QQuickItem *parent = nullptr);
    ~WMeter() override;

    void initialize(QQuickItem *pItem) override;
    void applyAttributes(CAttributes *pAttributes) override;
    void bound() override;
    void writeAttributes(XmlWriter &writer) const override;
    bool readAttribute(const QString &name, const QString &value) override;
    void setState() override;
    void setText(const QString &text) override;
    void setTransform(TTransform *pTransform) override;
    void setItemVisible(bool visible) override;
    void release() override {}

    double minimum() const { return m_core.scale().minimum; }
    double maximum() const { return m_core.scale().maximum; }
    QString unitsText() const { return m_unitsText; }
    double colorBreakValue1() const { return m_core.scale().break1; }
    double colorBreakValue2() const { return m_core.scale().break2; }
    QString meterRate() const { return m_core.rate(); }
    QString channelName() const { return m_core.channelName(); }
    int indexOffset() const { return m_core.indexOffset(); }
    WMeterCore &core() { return m_core; }
    const QTimer &peakFallTimer() const { return m_peakFallTimer; }

signals:
    void minimumChanged();
    void maximumChanged();
    void unitsTextChanged();

public slots:
    void onOnlineStateChanged(bool online) override;
    void onSendDelayTimerTimeout();
    void onGetStatusTimerTimeout();
    void onArxWebSocketUpdate(const ArxWebSocketModel &model);
    void onVisibleChanged();
    void onWebsocketDisconnect();

private:
    double range() const { return m_core.scale().range(); }
    bool hasRange() const { return m_core.scale().hasRange(); }
    void setColours(const char *first, const char *second, const char *third);
    void setGrey() { setColours(Grey, Grey, Grey); }
    void setStops(double first, double second, double third);
    void setMarker(double level);
    // The segments of a level on a scale from bottom with its two breaks;
    // the green segment is greenStop long while the level is green.
    void showSegments(double level, double bottom, double break1, double break2, double greenStop);

    QString m_unitsText = QStringLiteral("dBFS");
    WMeterCore m_core;
    QTimer m_peakFallTimer;
};
