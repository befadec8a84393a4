#include "amplifiers/ArxRestReplyDecoder.h"

#include "amplifiers/ArxReply.h"

#include <QDebug>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStringList>

#include <cmath>

namespace {

// What a warning quotes of a reply body: enough to recognise it, never a
// whole megabyte.
QString quoted(const QByteArray &body)
{
    return QString::fromUtf8(body.left(1024));
}

struct ChannelTexts
{
    const char *marker;
    const char *notFound;
    const char *noNumber;
    const char *nonNumeric;
    const char *noSegment;
};

const ChannelTexts kOutput{
    "Channel-",
    "Channel Index not found in Output result id: ",
    "Channel node in resposne's value id does not contain a channel number: ",
    "Channel node in response's value id and a non-numeric id: ",
    "No Channel number found in response id: ",
};

const ChannelTexts kInput{
    "InMute-",
    "Channel Index not found in Input Mute result id: ",
    "Channel node for Input Response's value id does not contain a channel number: ",
    "Channel node for Input response's value id is a non-numeric id: ",
    "No Channel number found for Input response id: ",
};

int channelOf(const QString &id, const ChannelTexts &texts)
{
    const QString marker = QLatin1String(texts.marker);
    if (!id.contains(marker)) {
        qWarning().noquote() << QLatin1String(texts.notFound) + id;
        return -1;
    }
    const QStringList segments = id.split(QLatin1Char('/'));
    for (const QString &segment : segments) {
        if (!segment.contains(marker))
            continue;
        const QStringList pieces = segment.split(QLatin1Char('-'));
        if (pieces.size() < 2) {
            qWarning().noquote() << QLatin1String(texts.noNumber) + segment;
            return -1;
        }
        bool ok = false;
        const int channel = pieces.at(1).toInt(&ok, 10);
        if (!ok) {
            qWarning().noquote() << QLatin1String(texts.nonNumeric) + segment;
            return -1;
        }
        // No amplifier has so many channels; storing it would grow the
        // lists as far as the number says.
        if (channel < 0 || channel >= ArxRestReplyDecoder::MaxChannels) {
            qWarning().noquote() << QLatin1String(texts.noNumber) + segment;
            return -1;
        }
        return channel;
    }
    qWarning().noquote() << QLatin1String(texts.noSegment) + id;
    return -1;
}

bool contains(const QString &id, const char *text)
{
    return id.contains(QLatin1String(text));
}

bool applySingle(const QJsonValue &item, const QByteArray &body, ArxRestModel *pModel)
{
    if (!item.isObject()) {
        qWarning() << "Values list item is not an object.";
        return false;
    }
    const QJsonObject object = item.toObject();
    if (!object.contains(QStringLiteral("id"))) {
        qWarning() << "Value Object does not contain member: id";
        return false;
    }
    const QString id = object.value(QStringLiteral("id")).toString();
    const QJsonObject data = object.value(QStringLiteral("data")).toObject();
    if (contains(id, "Mute")) {
        if (!contains(id, "OutputProcess"))
            return true;
        const int channel = ArxRestReplyDecoder::outputChannel(id);
        if (channel < 0)
            return false;
        const QJsonValue value = data.value(QStringLiteral("boolValue"));
        if (!value.isBool() && !value.isDouble())
            qWarning().noquote() << "Response JSON boolValue is not a bool: " + quoted(body);
        ArxRestReplyDecoder::storeOutputMute(pModel, channel, ArxReply::boolOf(value));
        return true;
    }
    if (ArxRestReplyDecoder::isOutputGainId(id)) {
        if (!contains(id, "OutputProcess"))
            return true;
        const int channel = ArxRestReplyDecoder::outputChannel(id);
        if (channel < 0)
            return false;
        const QJsonValue value = data.value(QStringLiteral("floatValue"));
        if (!value.isDouble())
            qWarning().noquote() << "Response JSON floatValue is NaN: " + quoted(body);
        ArxRestReplyDecoder::storeGain(pModel, channel, ArxReply::doubleOf(value));
        return true;
    }
    qDebug().noquote() << "Unhandled response command: " + id;
    return true;
}

void applyList(const QJsonArray &values, ArxRestModel *pModel)
{
    for (const QJsonValue &item : values) {
        if (!item.isObject()) {
            qWarning() << "Found non-object in ARX response value list.";
            continue;
        }
        const QJsonObject object = item.toObject();
        const QJsonValue idValue = object.value(QStringLiteral("id"));
        if (idValue.isUndefined()) {
            qWarning() << "Json object does not contain expected member: id";
            continue;
        }
        if (!idValue.isString()) {
            qWarning() << "Json member is not a string: id";
            continue;
        }
        const QString id = idValue.toString();
        const QJsonObject data = object.value(QStringLiteral("data")).toObject();
        if (!contains(id, "Mute")) {
            if (ArxRestReplyDecoder::isOutputGainId(id) && contains(id, "OutputProcess")) {
                const int channel = ArxRestReplyDecoder::outputChannel(id);
                if (channel >= 0)
                    ArxRestReplyDecoder::storeGain(
                        pModel, channel, ArxReply::doubleOf(data.value(QStringLiteral("floatValue"))));
            }
        } else if (contains(id, "OutputProcess")) {
            const int channel = ArxRestReplyDecoder::outputChannel(id);
            if (channel >= 0)
                ArxRestReplyDecoder::storeOutputMute(
                    pModel, channel, ArxReply::boolOf(data.value(QStringLiteral("boolValue"))));
        } else if (contains(id, "InMute")) {
            const int input = ArxRestReplyDecoder::inputChannel(id);
            if (input >= 0)
                ArxRestReplyDecoder::storeInputMute(
                    pModel, input, ArxReply::boolOf(data.value(QStringLiteral("boolValue"))));
        }
    }
}

} // namespace

bool ArxRestReplyDecoder::apply(const QByteArray &body, ArxRestModel *pModel)
{
    const QJsonDocument document = QJsonDocument::fromJson(body);
    if (!document.isObject()) {
        qWarning().noquote() << "Invalid JSON Response from ARX API: " + quoted(body);
        return false;
    }
    const QJsonArray values = ArxReply::values(document.object());
    if (values.isEmpty())
        return false;
    if (values.size() == 1)
        return applySingle(values.first(), body, pModel);
    applyList(values, pModel);
    return true;
}

bool ArxRestReplyDecoder::isOutputGainId(const QString &id)
{
    static const char *const kOwnGains[] = {
        "DynamicEq",      "IIR",          "TruePowerLimiter",  "CurrentLimiterRMS", "CurrentClamp",
        "ClipLimiter",    "PeakLimiter",  "VoltageLimiterRMS", "ThermalLimiter",
    };
    if (!contains(id, "Gain"))
        return false;
    for (const char *block : kOwnGains) {
        if (contains(id, block))
            return false;
    }
    return true;
}

ArxRestReplyDecoder::IdClass ArxRestReplyDecoder::classOf(const QString &id)
{
    if (contains(id, "Mute")) {
        if (contains(id, "OutputProcess"))
            return IdClass::OutputMute;
        return contains(id, "InMute") ? IdClass::InputMute : IdClass::Other;
    }
    return isOutputGainId(id) ? IdClass::OutputGain : IdClass::Other;
}

int ArxRestReplyDecoder::outputChannel(const QString &id)
{
    return channelOf(id, kOutput);
}

int ArxRestReplyDecoder::inputChannel(const QString &id)
{
    return channelOf(id, kInput);
}

int ArxRestReplyDecoder::gainPercent(double gain)
{
    if (!(gain > 0.0) || !std::isfinite(gain))
        return 0;
    // (log2(g) + 10) / 10 * 100, multiplied out so that round gains give
    // round percents.
    const double percent = (std::log2(gain) + 10.0) * 10.0;
    return int(qBound(0.0, percent, 100.0));
}

void ArxRestReplyDecoder::storeGain(ArxRestModel *pModel, int channel, double gain)
{
    if (channel < 0 || channel >= MaxChannels)
        return;
    if (pModel->outputGains.size() <= channel)
        pModel->outputGains.resize(channel + 1, 0.0);
    if (pModel->outputGainPercents.size() <= channel)
        pModel->outputGainPercents.resize(channel + 1, 0);
    pModel->outputGains[channel] = gain;
    pModel->outputGainPercents[channel] = gainPercent(gain);
}

void ArxRestReplyDecoder::storeOutputMute(ArxRestModel *pModel, int channel, bool muted)
{
    if (channel < 0 || channel >= MaxChannels)
        return;
    if (pModel->outputMutes.size() <= channel)
        pModel->outputMutes.resize(channel + 1, false);
    pModel->outputMutes[channel] = muted;
}

void ArxRestReplyDecoder::storeInputMute(ArxRestModel *pModel, int input, bool muted)
{
    if (input < 0 || input >= MaxChannels)
        return;
    if (pModel->inputMutes.size() <= input)
        pModel->inputMutes.resize(input + 1, -1);
    pModel->inputMutes[input] = muted ? 1 : 0;
}
