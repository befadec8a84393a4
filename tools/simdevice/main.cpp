// simdevice: a VDS device on 127.0.0.1 that the program can connect to.
//
//   simdevice [--port N] [--poll] [--value KEY=VALUE ...] [--set-list LABEL ...]
//             [--room-groups G,...] [--telephone] [--refuse KEY ...]
//             [--refuse-set KEY ...] [--hang] [--quiet]
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
// are answered without being printed. A set recalled on a parameter-set
// list (the demo's "Hall Scenes", or those named with --set-list) becomes
// the list's current set, read back at the list's second index.
//
// With --room-groups it also plays a room combiner for those groups: it
// takes the program's "SRC" lines, answers "GRC g" with the combined rooms
// and pushes changes to subscribers. Typed lines then change it as the
// device's front panel would: "rc state 1 [1,2][3,4]" sets group 1's
// combinations, "rc refuse" refuses the next "SRC", "rc garble TEXT"
// answers every query with TEXT (and "rc garble" alone stops that).
//
// With --telephone it also plays the demo project's telephone block ("Tel"):
// a number dialled on the panel rings and is answered, the panel's end,
// accept and hold keys act on the call, and the typed line "ring" (or
// "ring TIME&NUMBER&NAME") lets a call come in; "tel STATE" sets the call
// state as it stands ("tel HANGUP", "tel ACTIVE", ...).
//
// --refuse makes it refuse (0x15) everything of one parameter, as a device
// does for one it lacks; --refuse-set only the sets of one, whose value it
// still reports.
//
// The typed line "hang" makes it behave as a device whose application
// hangs: it keeps its connections open and takes new ones, but answers
// nothing until the line "answer"; --hang starts it so. "drop" closes its
// open connections, "reset" resets them, as a device that restarts.

#include "SimulatedVdsDevice.h"
#include "SimulatedVdsParameterSetList.h"
#include "SimulatedVdsRoomCombiner.h"
#include "SimulatedVdsTelephone.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QSocketNotifier>
#include <QElapsedTimer>
#include <QTimer>

#include <cmath>
#include <cstdio>
#include <memory>
#include <unistd.h>

namespace {

// The demo project's processor and the level parameters of its gain blocks.
constexpr quint16 kDemoPort = 10055;
const QStringList kDemoValues = {
    QStringLiteral("GA\"Music Gain\">1=-10.0"),
    QStringLiteral("GA\"Mic Gain\">1=-20.0"),
    // The drop lists' panel: the music source, and the scene recalled last.
    QStringLiteral("GA\"Music Source\">1=1"),
    QStringLiteral("GA\"Hall Scenes\">1=1"),
    QStringLiteral("GA\"Hall Scenes\">2=1"),
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
// The demo project's parameter-set list.
const QStringList kDemoSetLists = {QStringLiteral("Hall Scenes")};

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

// The set command of a get key: GA"x">1 is written by SA "x">1=...
QByteArray setPrefixOf(const QByteArray &getKey)
{
    return "SA " + getKey.mid(2) + '=';
}

// Refuses the sets of a get key, and with everything also its gets and
// subscriptions.
bool addRefusal(SimulatedVdsDevice &device, const QString &entry, bool everything)
{
    const QByteArray key = entry.toUtf8();
    if (!key.startsWith("GA\"") || key.size() < 5)
        return false;
    const SimulatedVdsDevice::Response refuse = SimulatedVdsDevice::Response::refuse();
    device.setResponse(setPrefixOf(key), refuse);
    if (everything) {
        device.setResponse(key, refuse);
        device.setResponse("SUB \"" + key + '"', refuse);
    }
    return true;
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

// A typed line for the room combiner: "rc state G [a,b][c,d]", "rc refuse",
// "rc garble [TEXT]".
void roomCommand(SimulatedVdsRoomCombiner &combiner, const QString &line)
{
    const QStringList words = line.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    const QString verb = words.value(1);
    bool ok = false;
    if (verb == QLatin1String("state") && words.size() >= 3) {
        const int group = words.at(2).toInt(&ok);
        SimulatedVdsRoomCombiner::Sets sets;
        const QString lists = words.mid(3).join(QString());
        for (const QString &list : lists.split(QLatin1Char('['), Qt::SkipEmptyParts)) {
            QList<int> rooms;
            for (const QString &room : QString(list).remove(QLatin1Char(']')).split(QLatin1Char(',')))
                rooms.append(room.toInt());
            sets.append(rooms);
        }
        if (ok && combiner.hasGroup(group)) {
            combiner.setCombinations(group, sets);
            std::printf("room group %d set by hand: %s", group,
                        combiner.stateLine(group).replace('\r', '\n').constData());
        } else {
            std::fprintf(stderr, "simdevice: no room group %s\n", qPrintable(words.at(2)));
        }
    } else if (verb == QLatin1String("refuse")) {
        combiner.refuseNextSrc();
        std::printf("the next SRC line will be refused\n");
    } else if (verb == QLatin1String("garble")) {
        const QString text = line.section(QLatin1Char(' '), 2, -1, QString::SectionSkipEmpty);
        combiner.setQueryAnswer(text.isEmpty() ? QByteArray() : text.toUtf8() + '\r');
        std::printf(text.isEmpty() ? "queries answered again\n" : "queries answered with: %s\n",
                    qPrintable(text));
    } else {
        std::fprintf(stderr, "simdevice: rc state G [a,b][c,d] | rc refuse | rc garble [TEXT]\n");
    }
    std::fflush(stdout);
}

// The demo project's telephone block and the caller a typed "ring" brings.
const QByteArray kTelephoneLabel = "Tel";
const QByteArray kDefaultCaller = "10:42&5551234567&Pat Lee";

// A typed "ring [IDENTITY]" or "tel STATE"; false for any other line.
bool telephoneLine(SimulatedVdsTelephone &telephone, const QString &line)
{
    const QString command = line.section(QLatin1Char(' '), 0, 0);
    const QByteArray argument = line.section(QLatin1Char(' '), 1).trimmed().toUtf8();
    if (command == QLatin1String("ring")) {
        telephone.ringIn(argument.isEmpty() ? kDefaultCaller : argument);
        return true;
    }
    if (command == QLatin1String("tel") && !argument.isEmpty()) {
        telephone.stopPlaying();
        telephone.setState(argument);
        return true;
    }
    return false;
}

// A typed "hang", "answer", "drop" or "reset"; false for any other line.
bool connectionLine(SimulatedVdsDevice &device, const QString &line)
{
    const char *told = nullptr;
    if (line == QLatin1String("hang")) {
        device.setSilent(true);
        told = "the device answers nothing now; its connections stay open";
    } else if (line == QLatin1String("answer")) {
        device.setSilent(false);
        told = "the device answers again";
    } else if (line == QLatin1String("drop")) {
        device.dropClients();
        told = "connections closed";
    } else if (line == QLatin1String("reset")) {
        device.resetClients();
        told = "connections reset";
    } else {
        return false;
    }
    std::printf("%8lld ms  %s\n", static_cast<long long>(device.elapsedMs()), told);
    std::fflush(stdout);
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
    const QCommandLineOption setListOption(
        QStringLiteral("set-list"),
        QStringLiteral("A parameter-set list by its label: a set recalled on it is read back at "
                       "its second index. Repeatable; replaces the demo project's list."),
        QStringLiteral("label"));
    const QCommandLineOption quietOption(QStringLiteral("quiet"),
                                         QStringLiteral("Do not print the received commands."));
    const QCommandLineOption roomOption(
        QStringLiteral("room-groups"),
        QStringLiteral("Also play a room combiner for these groups, e.g. '1,2'. Typed lines "
                       "'rc state G [a,b][c,d]', 'rc refuse' and 'rc garble [TEXT]' change it."),
        QStringLiteral("groups"));
    const QCommandLineOption telephoneOption(
        QStringLiteral("telephone"),
        QStringLiteral("Play the demo project's telephone block \"Tel\": dialled numbers ring and "
                       "are answered; type \"ring\" for an incoming call, \"tel STATE\" to set "
                       "the call state."));
    const QCommandLineOption refuseOption(
        QStringLiteral("refuse"),
        QStringLiteral("Refuse everything of one parameter, named by its get command, e.g. "
                       "'GA\"Mic Gain\">1': its gets, sets and subscription. Repeatable."),
        QStringLiteral("key"));
    const QCommandLineOption refuseSetOption(
        QStringLiteral("refuse-set"),
        QStringLiteral("Refuse the sets of one parameter, named by its get command; its value "
                       "is still reported. Repeatable."),
        QStringLiteral("key"));
    const QCommandLineOption hangOption(
        QStringLiteral("hang"),
        QStringLiteral("Answer nothing, keeping every connection open, as a device whose "
                       "application hangs; the typed line \"answer\" ends it, \"hang\" starts it "
                       "again."));
    parser.addOptions({portOption, pollOption, valueOption, setListOption, quietOption, roomOption,
                       telephoneOption, refuseOption, refuseSetOption, hangOption});
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
    device.setSilent(parser.isSet(hangOption));
    const QStringList values = parser.isSet(valueOption) ? parser.values(valueOption) : kDemoValues;
    for (const QString &entry : values) {
        if (!addValue(device, entry)) {
            std::fprintf(stderr, "simdevice: not KEY=VALUE: %s\n", qPrintable(entry));
            return 2;
        }
    }

    QList<QByteArray> setLists;
    const QStringList setListLabels =
        parser.isSet(setListOption) ? parser.values(setListOption) : kDemoSetLists;
    for (const QString &label : setListLabels)
        setLists.append(label.toUtf8());
    SimulatedVdsParameterSetList parameterSets(&device, setLists);
    device.addBehaviour(&parameterSets);

    SimulatedVdsRoomCombiner combiner(&device);
    if (parser.isSet(roomOption)) {
        for (const QString &text : parser.value(roomOption).split(QLatin1Char(','))) {
            const int group = text.trimmed().toInt(&ok);
            if (!ok || group <= 0) {
                std::fprintf(stderr, "simdevice: not a room group: %s\n", qPrintable(text));
                return 2;
            }
            combiner.addGroup(group);
        }
        device.addBehaviour(&combiner);
    }

    // The telephone block, when asked for; it tells what happens to the call.
    std::unique_ptr<SimulatedVdsTelephone> pTelephone;
    if (parser.isSet(telephoneOption)) {
        pTelephone = std::make_unique<SimulatedVdsTelephone>(&device, kTelephoneLabel);
        pTelephone->setLineSimulation(true);
        QObject::connect(pTelephone.get(), &SimulatedVdsTelephone::stateChanged, &device,
                         [&device](const QByteArray &state) {
                             std::printf("%8lld ms  telephone: %s\n",
                                         static_cast<long long>(device.elapsedMs()), state.constData());
                             std::fflush(stdout);
                         });
    }

    QList<QByteArray> refusedKeys;
    for (const QString &entry : parser.values(refuseOption) + parser.values(refuseSetOption)) {
        const bool everything = parser.values(refuseOption).contains(entry);
        if (everything)
            refusedKeys.append(entry.toUtf8());
        if (!addRefusal(device, entry, everything)) {
            std::fprintf(stderr, "simdevice: not a get command such as GA\"Mic Gain\">1: %s\n",
                         qPrintable(entry));
            return 2;
        }
        std::printf("simdevice: refusing %s of %s\n", everything ? "everything" : "the sets",
                    qPrintable(entry));
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
                     [&device, quiet, refusedKeys](const QByteArray &text) {
                         if (!quiet && !text.startsWith("GL ")) {
                             std::printf("%8lld ms  %s\n", static_cast<long long>(device.elapsedMs()),
                                         text.constData());
                             std::fflush(stdout);
                         }
                         // A new subscriber learns the current value at once,
                         // right after the confirmation.
                         if (text.startsWith("SUB \"") && text.endsWith('"') && text.size() > 6) {
                             const QByteArray key = text.mid(5, text.size() - 6);
                             if (!device.value(key).isNull() && !refusedKeys.contains(key)) {
                                 QTimer::singleShot(0, &device, [&device, key]() {
                                     device.push(device.replyLine(key));
                                 });
                             }
                         }
                     });

    // Values changed by hand, one KEY=VALUE line at a time.
    const bool subscribing = !parser.isSet(pollOption);
    QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
    QObject::connect(&input, &QSocketNotifier::activated, &device,
                     [&device, &combiner, &input, subscribing, &pTelephone]() {
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
            if (text == QLatin1String("rc") || text.startsWith(QLatin1String("rc "))) {
                roomCommand(combiner, text);
                continue;
            }
            if (pTelephone && telephoneLine(*pTelephone, text))
                continue;
            if (connectionLine(device, text))
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
    if (device.isSilent())
        std::printf("simdevice: answering nothing; type \"answer\" to end it\n");
    if (parser.isSet(roomOption))
        std::printf("simdevice: room combiner for groups %s\n", qPrintable(parser.value(roomOption)));
    if (pTelephone)
        std::printf("simdevice: telephone block \"%s\" on hook; type \"ring\" for a call\n",
                    kTelephoneLabel.constData());
    std::fflush(stdout);
    return app.exec();
}
