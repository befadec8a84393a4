#pragma once

#include "amplifiers/ArxModelRepository.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>

class CAttributes;
class HNode;
class QQuickItem;
class TTransform;
class WWidget;

// What the bar meter and the image meter share: their scale and channel
// attributes, the poll rate and its timer, polling the level list only
// while the meter is shown and its device online, following the transform
// or, on an ARX amplifier, the chassis's meter feed, the choice of an ARX
// amplifier's list, the colour zones, and the falling peaks of the level.
class WMeterCore : public QObject
{
    Q_OBJECT

public:
    enum class ArxList { None, AnalogInputs, DigitalInputs, Outputs };
    // The colour zone of a level: unlit at or below the bottom, green to
    // the first break, yellow to the second, orange above.
    enum class Zone { Unlit, Green, Yellow, Orange };
    // What readAttribute made of an attribute.
    enum class Read { NotMine, Taken, Minimum, Maximum };

    // Texts a meter names itself by in its diagnostics.
    struct Texts
    {
        const char *nullTransform;    // "Setting a null TTransform on ..."
        const char *noRepository;     // "The parent chassis for a ARX ... does not have ..."
        const char *arxSetUp;         // a debug line naming the chassis, or null
        const char *unknownDirection; // "... can't tell if it is input or output."
        const char *noAnalog;         // "No ... input meter data available for arx channel "
        const char *noDigital;
        const char *noOutput;
    };

    // The scale from minimum to maximum with its two colour breaks.
    struct Scale
    {
        double minimum = -60.0;
        double maximum = 0.0;
        double break1 = -20.0;
        double break2 = -6.0;
        double range() const { return maximum - minimum; }
        // A scale whose minimum is its maximum has nothing to divide by.
        bool hasRange() const { return range() > 0.0; }
    };

    // The peak of device levels (in dB): held for a few updates after a
    // new high, then falling on each update until the level meets it.
    struct DevicePeak
    {
        static constexpr int HoldUpdates = 3;
        static constexpr double Fall = 0.08;
        double peak = -60.0;
        double decay = 0.0;
        double hold = 4.0;
        void update(double level);
    };

    // The peak of ARX levels (a fraction of the bar): held for 30 updates,
    // then falling by a thousandth on each.
    struct ArxPeak
    {
        static constexpr int HoldUpdates = 30;
        static constexpr double Fall = 0.001;
        double peak = 0.0;
        int hold = 0;
        void update(double fraction);
    };

    static constexpr int DefaultIntervalMs = 250;

    // The meter is the parent; its protocol and transform are asked for
    // each request.
    WMeterCore(WWidget *pMeter, const Texts &texts);
    ~WMeterCore() override;

    // --- Attributes ---------------------------------------------------------

    // "meterRate", "channelName", "indexOffset" and, only for a meter with
    // a node, "minimum", "maximum", "colorBreakValue1" and
    // "colorBreakValue2" (names compared case-sensitively).
    Read readAttribute(const QString &name, const QString &value);
    const Scale &scale() const { return m_scale; }
    QString channelName() const { return m_channelName; }
    int indexOffset() const { return m_indexOffset; }

    // The rate table: "1x/s" to "5x/s" give 1000, 500, 333, 250 and
    // 200 ms; any other text gives 0.
    static int rateInterval(const QString &rate);
    // Stores the rate; one of the table also sets the poll interval.
    void setRate(const QString &rate);
    QString rate() const { return m_rate; }
    int interval() const { return m_statusTimer.interval(); }
    QTimer &statusTimer() { return m_statusTimer; }

    // --- Binding ------------------------------------------------------------

    // Follows the item's own visibility as well as what the control sets.
    void watchItem(QQuickItem *pItem);
    // On an ARX chassis the feed's models reach arxModel (the widget base
    // shows the transform's values otherwise).
    void followTransform(TTransform *pTransform);
    // The transform takes the binding's card pin and is marked as the one
    // whose level list the status timer asks for.
    void markTransform(CAttributes *pAttributes);
    // The end of binding: the transform takes the channel name (when not
    // empty) and the index offset, and a device already online starts
    // polling. Answers the text to show: the meter's text with a
    // placeholder ("*LABEL*", "*USB*", "*TITLE*", "*CHLABEL*") resolved
    // from the node. A channel label found for one becomes the channel
    // name and the transform's channel text.
    QString finishBinding(const QString &text);

    // --- Polling ------------------------------------------------------------

    // Polling runs while the meter is shown and online, starting with one
    // request at once.
    void setOnline(bool online);
    void setShown(bool shown);
    // Shown as the item is, or as given without an item.
    void syncShown(bool shown);
    bool isOnlineSeen() const { return m_onlineSeen; }
    bool isShown() const { return m_shown; }
    bool isPolling() const { return m_statusTimer.isActive(); }
    // One level request through the meter's protocol, for a transform
    // marked for level lists.
    void requestLevel();

    // --- Levels -------------------------------------------------------------

    static Zone zoneOf(double level, double bottom, double break1, double break2);
    // 24 for an amplifier output ("Output ..." of type number 2): its
    // levels come 24 dB down.
    static double outputOffset(const HNode *pNode);

    ArxModelRepository *arxRepository() const { return m_pRepository; }
    // Which list of the model the node's meter reads, with the warning for
    // a node that is neither input nor output.
    ArxList arxListOf(HNode *pNode) const;
    // The display level (0..1) of the node's channel in the model; false,
    // with the debug line, when the chosen list holds no such entry.
    bool arxLevel(const ArxWebSocketModel &model, HNode *pNode, double *pLevel) const;

    DevicePeak &devicePeak() { return m_devicePeak; }
    ArxPeak &arxPeak() { return m_arxPeak; }

signals:
    void arxModel(const ArxWebSocketModel &model);
    void arxDisconnected();

private slots:
    void onItemVisibleChanged();

private:
    void start();
    // Listens to the feed (only one other than the current one is
    // connected) and opens it again when it is not connected.
    void attachArx(ArxModelRepository *pRepository);
    QString placeholderText(const QString &text, QString *pChannelLabel) const;

    WWidget *m_pMeter;
    Texts m_texts;
    Scale m_scale;
    QString m_channelName;
    int m_indexOffset = 0;
    QString m_rate = QStringLiteral("4x/s");
    QTimer m_statusTimer;
    bool m_onlineSeen = false;
    bool m_online = false;
    bool m_shown = false;
    QPointer<ArxModelRepository> m_pRepository;
    DevicePeak m_devicePeak;
    ArxPeak m_arxPeak;
};
