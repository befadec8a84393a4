// arxdemo: the program on its demo project with a simulated ARX amplifier.
//
//   arxdemo [--port N] [--rate N] [--panel SCENE/PANEL] [--workdir DIR]
//           [--reply-client-id TEXT] [--empty-values] [--numeric-bools]
//           [--refuse-writes] [--mains N]
//
// It starts the simulated ARX amplifier on 127.0.0.1 (a free port unless
// --port), aims the program's ARX clients at that port and opens the
// program in the working folder (or --workdir), where, as for the program
// itself, a received project would take the demo's place. The demo's "Stage
// Amplifier" is at 127.0.0.1, so its meters move with the amplifier's
// readings. The processor's meters need the simulated VDS device
// (build/tools/simdevice/simdevice) as well. Every post to the amplifier's
// REST endpoint is printed; the last four options make it answer as a
// faulty amplifier would. --mains sets the power-supply condition its
// readings report (0 normal, the default 1 near overvoltage, 2 to 4 faults),
// which the device-status dashboard shows.

#include "SimulatedArxAmplifier.h"
#include "app/MModel.h"
#include "app/MainWindow.h"
#include "comms/IArxAddress.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cstdio>

namespace {

constexpr int kInputs = 2;
constexpr int kOutputs = 4;

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "The program on its demo project, with a simulated ARX amplifier on 127.0.0.1. "
        "Start build/tools/simdevice/simdevice first for the processor's meters."));
    parser.addHelpOption();
    const QCommandLineOption portOption(QStringLiteral("port"),
                                        QStringLiteral("Port of the simulated amplifier (default: a free one)."),
                                        QStringLiteral("port"), QStringLiteral("0"));
    const QCommandLineOption rateOption(QStringLiteral("rate"),
                                        QStringLiteral("Meter frames per second (default 20)."),
                                        QStringLiteral("frames"), QStringLiteral("20"));
    const QCommandLineOption panelOption(QStringLiteral("panel"),
                                         QStringLiteral("Panel to show at start, e.g. Meters/Meters."),
                                         QStringLiteral("scene/panel"));
    const QCommandLineOption workdirOption(
        QStringLiteral("workdir"),
        QStringLiteral("Working folder to start in (default: the current one), e.g. build/run."),
        QStringLiteral("folder"));
    const QCommandLineOption clientIdOption(
        QStringLiteral("reply-client-id"),
        QStringLiteral("Answer every post with this client id instead of the request's."),
        QStringLiteral("text"));
    const QCommandLineOption emptyValuesOption(QStringLiteral("empty-values"),
                                               QStringLiteral("Answer every post with an empty values list."));
    const QCommandLineOption numericBoolsOption(QStringLiteral("numeric-bools"),
                                                QStringLiteral("Send booleans as 0 and 1."));
    const QCommandLineOption refuseWritesOption(QStringLiteral("refuse-writes"),
                                                QStringLiteral("Refuse every WRITE (HTTP 403)."));
    const QCommandLineOption mainsOption(
        QStringLiteral("mains"),
        QStringLiteral("Power-supply condition to report: 0 normal, 1 near overvoltage (default), "
                       "2 undervoltage, 3 overvoltage, 4 fuse blown."),
        QStringLiteral("n"), QStringLiteral("1"));
    parser.addOptions({portOption, rateOption, panelOption, workdirOption, clientIdOption,
                       emptyValuesOption, numericBoolsOption, refuseWritesOption, mainsOption});
    parser.process(app);

    bool ok = false;
    const uint port = parser.value(portOption).toUInt(&ok);
    const int rate = parser.value(rateOption).toInt();
    if (!ok || port > 65535 || rate <= 0) {
        std::fprintf(stderr, "arxdemo: bad --port or --rate\n");
        return 2;
    }

    SimulatedArxAmplifier amplifier;
    if (port != 0 && !amplifier.listen(quint16(port))) {
        std::fprintf(stderr, "arxdemo: cannot listen on 127.0.0.1:%u\n", port);
        return 1;
    }
    amplifier.setInputCount(kInputs);
    amplifier.setOutputCount(kOutputs);
    amplifier.setAnimated(true);
    amplifier.startFeed(rate);
    amplifier.setReplyClientId(parser.value(clientIdOption));
    amplifier.setEmptyValues(parser.isSet(emptyValuesOption));
    amplifier.setNumericBools(parser.isSet(numericBoolsOption));
    amplifier.setRefuseWrites(parser.isSet(refuseWritesOption));
    amplifier.setMains(parser.value(mainsOption).toInt());
    QObject::connect(&amplifier, &SimulatedArxAmplifier::postReceived, &amplifier, [&amplifier]() {
        const QJsonObject body = QJsonDocument::fromJson(amplifier.posts().last().body).object();
        const QJsonObject action =
            body.value(QStringLiteral("payload")).toObject().value(QStringLiteral("action")).toObject();
        std::printf("arxdemo: POST %s %s, %d values\n",
                    qPrintable(body.value(QStringLiteral("clientId")).toString()),
                    qPrintable(action.value(QStringLiteral("type")).toString()),
                    int(action.value(QStringLiteral("values")).toArray().size()));
        std::fflush(stdout);
    });
    IArxAddress::setPort(amplifier.port());
    std::printf("arxdemo: simulated ARX amplifier on 127.0.0.1:%u, %d inputs and %d outputs, "
                "%d frames a second\n",
                unsigned(amplifier.port()), kInputs, kOutputs, rate);
    std::fflush(stdout);

    // Like tools/run.sh, a folder of its own: the demo project opens there
    // unless a received project is stored.
    if (parser.isSet(workdirOption)) {
        const QString workdir = parser.value(workdirOption);
        if (!QDir().mkpath(workdir) || !QDir::setCurrent(workdir)) {
            std::fprintf(stderr, "arxdemo: cannot work in %s\n", qPrintable(workdir));
            return 1;
        }
    }

    MainWindow window;
    window.setApplication(&app);
    window.show();
    if (parser.isSet(panelOption) && window.model()) {
        QString path = parser.value(panelOption);
        path.replace(QLatin1Char('/'), QLatin1Char('\\'));
        if (!window.model()->followLink(QStringLiteral("..\\") + path))
            std::fprintf(stderr, "arxdemo: no panel %s\n", qPrintable(parser.value(panelOption)));
    }
    return app.exec();
}
