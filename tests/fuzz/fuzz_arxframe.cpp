// Feeds arbitrary WebSocket text frames to the ARX meter feed: the frame
// decoder directly, and the repository through a client's delivery, with a
// listener that reads every announced model as a meter does. Lines of the
// input are separate frames. The first byte picks the mode: bit 0 puts
// "42[" in front of every frame (so most reach the JSON reader), bit 1
// disconnects the feed after every frame.
//
// Beyond the sanitizers it checks what the meters rely on: after a frame
// that filled the model, the four input lists and the two output lists
// each have one length, and every display level is a number in 0..1.

#include "amplifiers/ArxMeterFrame.h"
#include "amplifiers/ArxModelRepository.h"
#include "amplifiers/ArxWebSocketModel.h"
#include "comms/IWebSocketClient.h"

#include <QCoreApplication>
#include <QObject>

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace {

void quiet(QtMsgType, const QMessageLogContext &, const QString &)
{
}

bool isLevel(double level)
{
    return std::isfinite(level) && level >= 0.0 && level <= 1.0;
}

void check(const ArxWebSocketModel &model)
{
    const qsizetype inputs = model.analogInputValues.size();
    if (model.digitalInputValues.size() != inputs || model.analogInputLevels.size() != inputs
        || model.digitalInputLevels.size() != inputs
        || model.outputLevels.size() != model.outputValues.size())
        std::abort();
    for (qsizetype i = 0; i < inputs; ++i) {
        if (!isLevel(model.analogInputLevels.at(i)) || !isLevel(model.digitalInputLevels.at(i)))
            std::abort();
    }
    for (double level : model.outputLevels) {
        if (!isLevel(level))
            std::abort();
    }
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
    const QByteArray input(reinterpret_cast<const char *>(data + 1), qsizetype(size - 1));

    IWebSocketClient client;
    ArxModelRepository repository;
    repository.attachWebSocket(&client);
    QObject::connect(&repository, &ArxModelRepository::audioModelUpdate, &repository,
                     [](const ArxWebSocketModel &model) { check(model); });
    ArxWebSocketModel direct;

    for (const QByteArray &line : input.split('\n')) {
        QString frame = QString::fromUtf8(line);
        if (mode & 1)
            frame.prepend(QStringLiteral("42["));
        QString warning;
        if (ArxMeterFrame::decode(frame, &direct, &warning) == ArxMeterFrame::Result::Filled)
            check(direct);
        client.deliverMessage(frame);
        if (mode & 2) {
            emit client.websocketDisconnected();
            if (!repository.model().isEmpty())
                std::abort();
        }
    }
    (void)ArxModelRepository::meterDisplayLevel(double(input.size()) / 7.0);
    return 0;
}
