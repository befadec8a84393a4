#include "amplifiers/ArxMeterFrame.h"

#include "amplifiers/ArxEventDocument.h"
#include "amplifiers/ArxWebSocketModel.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonValue>

#include <cmath>

namespace {

// The scaled peak of one member, or -1 when it is absent or too small.
double scaledPeak(const QJsonObject &entry, const QString &name)
{
    const QJsonValue value = entry.value(name);
    if (value.isUndefined())
        return -1.0;
    const double scaled = ArxMeterFrame::PeakScale * value.toDouble();
    return scaled > ArxMeterFrame::PeakFloor ? scaled : -1.0;
}

ArxMeterFrame::Result malformed(QString *pWarning, const QString &text)
{
    if (pWarning)
        *pWarning = text;
    return ArxMeterFrame::Result::Malformed;
}

void readInputs(const QJsonArray &inputs, ArxWebSocketModel *pModel)
{
    const qsizetype count = inputs.size();
    pModel->analogInputValues.resize(count);
    pModel->digitalInputValues.resize(count);
    pModel->analogInputLevels.resize(count);
    pModel->digitalInputLevels.resize(count);
    static const QString peak0 = QStringLiteral("meter_peak_0");
    static const QString peak1 = QStringLiteral("meter_peak_1");
    static const QString peak2 = QStringLiteral("meter_peak_2");
    static const QString peak3 = QStringLiteral("meter_peak_3");
    for (qsizetype i = 0; i < count; ++i) {
        // An entry that is no object reads as one without members.
        const QJsonObject entry = inputs.at(i).toObject();
        double analog = scaledPeak(entry, peak1);
        if (analog <= 0.0)
            analog = scaledPeak(entry, peak2);
        if (analog <= 0.0)
            analog = scaledPeak(entry, peak3);
        const double digital = scaledPeak(entry, peak0);
        pModel->analogInputValues[i] = analog;
        pModel->digitalInputValues[i] = digital;
        pModel->analogInputLevels[i] = ArxMeterFrame::meterDisplayLevel(analog);
        pModel->digitalInputLevels[i] = ArxMeterFrame::meterDisplayLevel(digital);
    }
}

void readOutputs(const QJsonArray &outputs, ArxWebSocketModel *pModel)
{
    const qsizetype count = outputs.size();
    pModel->outputValues.resize(count);
    pModel->outputLevels.resize(count);
    static const QString rms = QStringLiteral("meter_v_post_rms");
    for (qsizetype i = 0; i < count; ++i) {
        // Kept at the amplifier's single precision.
        const double volts = double(float(outputs.at(i).toObject().value(rms).toDouble()));
        pModel->outputValues[i] = volts;
        pModel->outputLevels[i] = ArxMeterFrame::meterDisplayLevel(volts);
    }
}

} // namespace

double ArxMeterFrame::meterDisplayLevel(double value)
{
    if (!(value > 0.0))
        return 0.0;
    const double dB = 20.0 * std::log10(value / 40.0) * 0.8328567561957783;
    if (dB > 0.0)
        return 1.0;
    if (dB > -50.0) {
        const double f = 0.05 + (dB + 50.0) / 50.0;
        return f <= 0.055 ? 0.0 : std::min(f, 1.0);
    }
    return 0.0;
}

ArxMeterFrame::Result ArxMeterFrame::decode(const QString &message, ArxWebSocketModel *pModel,
                                            QString *pWarning)
{
    // "42[": an engine.io message (4) carrying a socket.io event (2).
    if (!pModel || !message.startsWith(QLatin1String("42[")))
        return Result::Ignored;
    // The JSON text, for the warnings only.
    const auto text = [&message] { return message.mid(2); };
    const QJsonDocument document = ArxEventDocument::parse(message);
    if (!document.isArray())
        return malformed(pWarning, QStringLiteral("Invalid JSON Received from WebSocket: ") + text());
    const QJsonArray event = document.array();
    if (event.size() <= 1 || !event.at(1).isObject())
        return malformed(pWarning,
                         QStringLiteral("Unexpected JSON structure obtained from WebSocket: ") + text());
    const QJsonObject body = event.at(1).toObject();
    if (!body.contains(QLatin1String("payload")))
        return malformed(pWarning, QStringLiteral("WebSocket JSON does not have payload member: ") + text());
    if (!body.value(QLatin1String("payload")).isObject())
        return malformed(pWarning, QStringLiteral("WebSocket payload member is not an object: ") + text());
    const QJsonObject payload = body.value(QLatin1String("payload")).toObject();
    if (!payload.contains(QLatin1String("readings")))
        return malformed(pWarning,
                         QStringLiteral("WebSocket payload does not contain readings member: ") + text());
    if (!payload.value(QLatin1String("readings")).isObject())
        return malformed(pWarning, QStringLiteral("WebSocket readings member is not an object."));
    const QJsonObject readings = payload.value(QLatin1String("readings")).toObject();
    if (!readings.contains(QLatin1String("meters")))
        return Result::NoMeters;
    if (!readings.value(QLatin1String("meters")).isObject())
        return malformed(pWarning, QStringLiteral("WebSocket readings member is not an array: ") + text());
    const QJsonObject meters = readings.value(QLatin1String("meters")).toObject();

    if (!meters.contains(QLatin1String("source_selection")))
        return malformed(pWarning,
                         QStringLiteral("WebSocket meters does not contain source_selection member: ")
                             + text());
    if (!meters.value(QLatin1String("source_selection")).isArray())
        return malformed(pWarning,
                         QStringLiteral("WebSocket source_selection member is not an array: ") + text());
    readInputs(meters.value(QLatin1String("source_selection")).toArray(), pModel);

    // From here on the model already holds this frame's inputs.
    if (!meters.contains(QLatin1String("output_process")))
        return malformed(pWarning,
                         QStringLiteral("WebSocket meters does not contain output_process member: ")
                             + text());
    if (!meters.value(QLatin1String("output_process")).isArray())
        return malformed(pWarning, QStringLiteral("WebSocket output_process is not an array: ") + text());
    readOutputs(meters.value(QLatin1String("output_process")).toArray(), pModel);
    return Result::Filled;
}
