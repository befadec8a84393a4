// simdevice: a VDS device on 127.0.0.1 that the program can connect to.
//
//   simdevice [--port N] [--poll] [--value KEY=VALUE ...] [--quiet]
//
// It stores what the program sets, answers gets from that store, accepts
// the connection subscription (unless --poll) and then reports every change
// of a subscribed value by itself, as a device does. Without --value it
// holds the values of the built-in demo project's blocks: the levels of its
// two gain blocks and the values of its "Buttons" scene. Every
// command it receives is printed with the time since start. A line
// KEY=VALUE typed on its standard input changes a value on the device side,
// as an operator at the device would; subscribers are told at once. The
// level lists of the demo processor's input and output cards ("GL 1",
// "GL 2") move by themselves, so its meters show something; those requests
// are answered without being printed.

#include "SimulatedVdsDevice.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QSocketNotifier>
#include <QElapsedTimer>
#include <QTimer>

#include <cmath>
#include <cstdio>
#include <unistd.h>

namespace {

// The demo project's processor and the level parameters of its gain blocks.
constexpr quint16 kDemoPort = 10055;
const QStringList kDemoValues = {
    QStringLiteral("GA\"Music Gain\">1=-10.0"),
    QStringLiteral("GA\"Mic Gain\">1=-20.0"),
    // The "Buttons" scene: the two mutes, the logic outputs with their
    // set-all and reset-all channels, and the zone volume in percent.
    QStringLiteral("GA\"Music Gain\">2=0"),
    QStringLiteral("GA\"Mic Gain\">2=0"),
    QStringLiteral("GA\"Logic Out\">1>1=0"),
    QStringLiteral("GA\"Logic Out\">1>2=0"),
    QStringLiteral("GA\"Logic Out\">1>5=0"),
    QStringLiteral("GA\"Logic Out\">1>6=0"),
    QStringLiteral("GA\"Zone Volume\">1=50"),
};

// The card slots of the demo processor's input and output cards.
const QList<QByteArray> kLevelSlots = {"1", "2"};
constexpr int kLevelEntries = 4;

// Levels in dB that swing between -60 and 0, each entry on its own period.
QList<QByteArray> levelsAt(double seconds, int slot)
{
    QList<QByteArray> entries;
    for (int i = 0; i < kLevelEntries; ++i) {
        const double phase = seconds * (0.6 + 0.23 * i + 0.31 * slot) + 1.7 * i + slot;
        const double dB = -33.0 + 30.0 * std::sin(phase) + 3.0 * std::sin(seconds * 9.0 + i);
        entries.append(QByteArray::number(qBound(-60.0, dB, 0.0), 'f', 1));
    }
    return entries;
}

// "KEY=VALUE" split at its last "=": keys such as GA"x">1 hold none, but
// the value may be empty.
bool addValue(SimulatedVdsDevice &device, const QString &entry)
{
    const qsizetype equals = entry.lastIndexOf(QLatin1Char('='));
    if (equals <= 0)
        return false;
    device.setValue(entry.left(equals).toUtf8(), entry.mid(equals + 1).toUtf8());
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("simdevice"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "A simulated VDS device listening on 127.0.0.1 only. Start it, then start the "
        "program (tools/run.sh): the demo project's processor is 127.0.0.1:10055."));
    parser.addHelpOption();
    const QCommandLineOption portOption(QStringLiteral("port"),
                                        QStringLiteral("TCP port to listen on (default 10055)."),
                                        QStringLiteral("port"), QString::number(kDemoPort));
    const QCommandLineOption pollOption(QStringLiteral("poll"),
                                        QStringLiteral("Refuse the connection subscription, so "
                                                       "the program polls every value."));
    const QCommandLineOption valueOption(
        QStringLiteral("value"),
        QStringLiteral("A stored value under its get command, e.g. 'GA\"Music Gain\">1=-10.0'. "
                       "Repeatable; replaces the demo project's values."),
        QStringLiteral("key=value"));
    const QCommandLineOption quietOption(QStringLiteral("quiet"),
                                         QStringLiteral("Do not print the received commands."));
    parser.addOptions({portOption, pollOption, valueOption, quietOption});
    parser.process(app);

    bool ok = false;
    const uint port = parser.value(portOption).toUInt(&ok);
    if (!ok || port == 0 || port > 65535) {
        std::fprintf(stderr, "simdevice: not a port: %s\n", qPrintable(parser.value(portOption)));
        return 2;
    }

    SimulatedVdsDevice device;
    device.setValueStoreEnabled(true);
    device.setSubscriptionAccepted(!parser.isSet(pollOption));
    const QStringList values = parser.isSet(valueOption) ? parser.values(valueOption) : kDemoValues;
    for (const QString &entry : values) {
        if (!addValue(device, entry)) {
            std::fprintf(stderr, "simdevice: not KEY=VALUE: %s\n", qPrintable(entry));
            return 2;
        }
    }

    // The test device starts on a free port; move it to the one asked for.
    device.stopListening();
    if (!device.listen(quint16(port))) {
        std::fprintf(stderr, "simdevice: cannot listen on 127.0.0.1:%u\n", port);
        return 1;
    }

    // The demo processor's meters: level lists that move on their own.
    QElapsedTimer clock;
    clock.start();
    const auto updateLevels = [&device, &clock]() {
        const double seconds = double(clock.elapsed()) / 1000.0;
        for (int i = 0; i < kLevelSlots.size(); ++i)
            device.setLevelList(kLevelSlots.at(i), levelsAt(seconds, i));
    };
    updateLevels();
    QTimer levels;
    QObject::connect(&levels, &QTimer::timeout, &device, updateLevels);
    levels.start(100);

    const bool quiet = parser.isSet(quietOption);
    QObject::connect(&device, &SimulatedVdsDevice::clientConnected, &device, [&device]() {
        std::printf("%8lld ms  client connected\n", static_cast<long long>(device.elapsedMs()));
        std::fflush(stdout);
    });
    QObject::connect(&device, &SimulatedVdsDevice::commandReceived, &device,
                     [&device, quiet](const QByteArray &text) {
                         if (!quiet && !text.startsWith("GL ")) {
                             std::printf("%8lld ms  %s\n", static_cast<long long>(device.elapsedMs()),
                                         text.constData());
                             std::fflush(stdout);
                         }
                         // A new subscriber learns the current value at once,
                         // right after the confirmation.
                         if (text.startsWith("SUB \"") && text.endsWith('"') && text.size() > 6) {
                             const QByteArray key = text.mid(5, text.size() - 6);
                             if (!device.value(key).isNull()) {
                                 QTimer::singleShot(0, &device, [&device, key]() {
                                     device.push(device.replyLine(key));
                                 });
                             }
                         }
                     });

    // Values changed by hand, one KEY=VALUE line at a time.
    const bool subscribing = !parser.isSet(pollOption);
    QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
    QObject::connect(&input, &QSocketNotifier::activated, &device, [&device, &input, subscribing]() {
        char line[1024];
        const ssize_t count = ::read(STDIN_FILENO, line, sizeof line - 1);
        if (count <= 0) {
            input.setEnabled(false); // end of input: keep serving
            return;
        }
        for (const QByteArray &entry : QByteArray(line, int(count)).split('\n')) {
            const QString text = QString::fromUtf8(entry.trimmed());
            if (text.isEmpty())
                continue;
            if (!addValue(device, text)) {
                std::fprintf(stderr, "simdevice: not KEY=VALUE: %s\n", qPrintable(text));
                continue;
            }
            const QByteArray key = text.left(text.lastIndexOf(QLatin1Char('='))).toUtf8();
            if (subscribing)
                device.push(device.replyLine(key));
            std::printf("%8lld ms  set by hand: %s\n", static_cast<long long>(device.elapsedMs()),
                        qPrintable(text));
            std::fflush(stdout);
        }
    });

    std::printf("simdevice: listening on 127.0.0.1:%u (%s mode), %lld values; Ctrl+C ends it\n",
                port, subscribing ? "subscribe" : "poll",
                static_cast<long long>(values.size()));
    std::fflush(stdout);
    return app.exec();
}
