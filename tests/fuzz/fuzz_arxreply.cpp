// Feeds arbitrary reply bodies to the ARX amplifiers' REST decoders: the
// REST repository's (gains and mutes) and the ARX protocol's (the four
// status reads in the order a status request makes them, then the body
// read as "meters" and "slows" readings), and the body as a frame of the
// meter feed to the protocol's readings cache. The first byte picks the
// mode: bit 0 decodes into a record that already holds four channels and
// entries, bit 1 wraps the body in a socket.io event frame for the cache.
//
// Beyond the sanitizers it checks what the status view and the widgets
// rely on: lists within the amplifier's range, gain and percent lists of
// one length, percents in 0..100, channel lists of four or none, entries
// that link only to channels that exist, and levels in 0..1.

#include "amplifiers/ArxReadingsCache.h"
#include "amplifiers/ArxReply.h"
#include "amplifiers/ArxRequestConstants.h"
#include "amplifiers/ArxRestReplyDecoder.h"
#include "amplifiers/ArxStatusDecoder.h"

#include <QCoreApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace {

void quiet(QtMsgType, const QMessageLogContext &, const QString &)
{
}

bool isLevel(float level)
{
    return std::isfinite(level) && level >= 0.0f && level <= 1.0f;
}

void check(const ArxRestModel &model)
{
    const int max = ArxRestReplyDecoder::MaxChannels;
    if (model.outputGains.size() > max || model.outputMutes.size() > max || model.inputMutes.size() > max
        || model.outputGains.size() != model.outputGainPercents.size())
        std::abort();
    for (int percent : model.outputGainPercents) {
        if (percent < 0 || percent > 100)
            std::abort();
    }
    for (int muted : model.inputMutes) {
        if (muted < -1 || muted > 1)
            std::abort();
    }
}

void check(const ArxDeviceStatus &status)
{
    const qsizetype channels = status.channels.size();
    if ((channels != 0 && channels != 4) || (status.entries.size() != 0 && status.entries.size() != 4))
        std::abort();
    for (const ArxChannelStatus &channel : status.channels) {
        if (channel.selectedSource < -1 || channel.selectedSource >= channel.sources.size()
            || !isLevel(channel.peakLevel))
            std::abort();
        (void)channel.selectedSourceName();
    }
    for (const ArxStatusEntry &entry : status.entries) {
        if (!isLevel(entry.outputLevelFraction))
            std::abort();
        for (int index : entry.channels) {
            if (index < 0 || index >= channels)
                std::abort();
        }
    }
}

QJsonArray fourOf(ArxRequestGroup group)
{
    QJsonArray values;
    for (const QString &path : ArxRequestConstants::pathsOf(group))
        values.append(QJsonObject{{QStringLiteral("id"), path}});
    return values;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    static QCoreApplication app(*argc, *argv);
    qInstallMessageHandler(quiet);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0)
        return 0;
    const uint8_t mode = data[0];
    const QByteArray body(reinterpret_cast<const char *>(data + 1), qsizetype(size - 1));

    ArxRestModel model;
    if (ArxRestReplyDecoder::apply(body, &model) || !model.outputGains.isEmpty())
        check(model);
    // A second reply on top of the first, as the next poll would bring.
    ArxRestReplyDecoder::apply(body, &model);
    check(model);

    ArxDeviceStatus status;
    if (mode & 1) {
        ArxStatusDecoder::decodeReply(ArxRequestGroup::BackupStrategyMode,
                                      fourOf(ArxRequestGroup::BackupStrategyMode), &status);
        ArxStatusDecoder::decodeReply(ArxRequestGroup::MatrixSelection,
                                      fourOf(ArxRequestGroup::MatrixSelection), &status);
    }
    const QJsonObject root = QJsonDocument::fromJson(body).object();
    QString tag;
    (void)ArxReply::tagOf(root, &tag);
    const QJsonArray values = ArxReply::values(root);
    for (ArxRequestGroup group : ArxRequestConstants::groups()) {
        ArxStatusDecoder::decodeReply(group, values, &status);
        check(status);
    }
    ArxStatusDecoder::decodeMeters(root, &status);
    ArxStatusDecoder::decodeMeters(root.value(QStringLiteral("meters")).toObject(), &status);
    check(status);
    ArxStatusDecoder::decodeSlows(root, &status);
    ArxStatusDecoder::decodeSlows(root.value(QStringLiteral("slows")).toObject(), &status);
    check(status);

    ArxReadingsCache cache;
    const QString text = QString::fromUtf8(body);
    cache.takeMessage((mode & 2) ? QStringLiteral("42[\"readings\",") + text + QStringLiteral("]") : text);
    if (cache.complete()) {
        ArxStatusDecoder::decodeMeters(cache.meters(), &status);
        ArxStatusDecoder::decodeSlows(cache.slows(), &status);
        check(status);
    }
    return 0;
}
