// simarray: a loudspeaker array on 127.0.0.1 that the program can talk to.
//
//   simarray [--port N] [--modules N] [--fault M=CODE] [--warning M=CODE]
//            [--driver M=WORD] [--firmware M=VERSION] [--temperature M=A,B,C,D]
//            [--standby VALUE] [--preset N] [--ack] [--quiet]
//
// It answers every datagram of requests with one datagram, one line per
// request, and prints what it receives and sends with the time since start.
// The module options are repeatable, one module each (M is 1 to 4).

#include "SimulatedVentraArray.h"

#include <QCommandLineParser>
#include <QCoreApplication>

#include <cstdio>

namespace {

constexpr quint16 kArrayPort = 49494;

// "M=VALUE" with M a module number; false when it is not one.
bool moduleEntry(const QString &entry, int *pModule, QByteArray *pValue)
{
    const qsizetype equals = entry.indexOf(QLatin1Char('='));
    if (equals <= 0)
        return false;
    bool ok = false;
    const int module = entry.left(equals).toInt(&ok);
    if (!ok || module < 1 || module > SimulatedVentraArray::MaxModules)
        return false;
    *pModule = module;
    *pValue = entry.mid(equals + 1).toUtf8();
    return true;
}

QByteArray printable(QByteArray bytes)
{
    bytes.replace('\r', "\\r");
    return bytes;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("simarray"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "A simulated loudspeaker array listening on 127.0.0.1 only (UDP). Start it, then start "
        "the program (tools/run.sh): the demo project's array is 127.0.0.1:49494."));
    parser.addHelpOption();
    const QCommandLineOption portOption(QStringLiteral("port"),
                                        QStringLiteral("UDP port to listen on (default 49494)."),
                                        QStringLiteral("port"), QString::number(kArrayPort));
    const QCommandLineOption modulesOption(
        QStringLiteral("modules"),
        QStringLiteral("The module count the array reports, 0 to 4 (default 3); any other text "
                       "is reported as it stands."),
        QStringLiteral("count"), QStringLiteral("3"));
    const QCommandLineOption faultOption(QStringLiteral("fault"),
                                         QStringLiteral("A module's fault code, e.g. 1=1101."),
                                         QStringLiteral("m=code"));
    const QCommandLineOption warningOption(QStringLiteral("warning"),
                                           QStringLiteral("A module's warning code, e.g. 2=18."),
                                           QStringLiteral("m=code"));
    const QCommandLineOption driverOption(
        QStringLiteral("driver"),
        QStringLiteral("A module's driver-fault word, e.g. 1=0x00000004."),
        QStringLiteral("m=word"));
    const QCommandLineOption firmwareOption(
        QStringLiteral("firmware"), QStringLiteral("A module's firmware version, e.g. 1=1.55."),
        QStringLiteral("m=version"));
    const QCommandLineOption temperatureOption(
        QStringLiteral("temperature"),
        QStringLiteral("A module's four sensor readings, e.g. 3=45,46,90,44."),
        QStringLiteral("m=a,b,c,d"));
    const QCommandLineOption standbyOption(QStringLiteral("standby"),
                                           QStringLiteral("The standby state (default 0)."),
                                           QStringLiteral("value"));
    const QCommandLineOption presetOption(QStringLiteral("preset"),
                                          QStringLiteral("The current preset number (default 1)."),
                                          QStringLiteral("number"));
    const QCommandLineOption ackOption(QStringLiteral("ack"),
                                       QStringLiteral("Start every answer line with \"ACK \"."));
    const QCommandLineOption quietOption(QStringLiteral("quiet"),
                                         QStringLiteral("Do not print the datagrams."));
    parser.addOptions({portOption, modulesOption, faultOption, warningOption, driverOption,
                       firmwareOption, temperatureOption, standbyOption, presetOption, ackOption,
                       quietOption});
    parser.process(app);

    bool ok = false;
    const uint port = parser.value(portOption).toUInt(&ok);
    if (!ok || port == 0 || port > 65535) {
        std::fprintf(stderr, "simarray: not a port: %s\n", qPrintable(parser.value(portOption)));
        return 2;
    }

    SimulatedVentraArray array;
    array.setModuleCount(parser.value(modulesOption).toUtf8());
    array.setAckPrefix(parser.isSet(ackOption));
    if (parser.isSet(standbyOption))
        array.setStandby(parser.value(standbyOption).toUtf8());
    if (parser.isSet(presetOption))
        array.setPreset(parser.value(presetOption).toUtf8());

    using Module = SimulatedVentraArray::Module;
    struct ModuleOption
    {
        const QCommandLineOption &option;
        void (*apply)(Module &, const QByteArray &);
    };
    const ModuleOption moduleOptions[] = {
        {faultOption, [](Module &m, const QByteArray &v) { m.fault = v; }},
        {warningOption, [](Module &m, const QByteArray &v) { m.warning = v; }},
        {driverOption, [](Module &m, const QByteArray &v) { m.driver = v; }},
        {firmwareOption, [](Module &m, const QByteArray &v) { m.firmware = v; }},
        {temperatureOption, [](Module &m, const QByteArray &v) { m.temperatures = v.split(','); }},
    };
    for (const ModuleOption &entry : moduleOptions) {
        for (const QString &value : parser.values(entry.option)) {
            int module = 0;
            QByteArray text;
            if (!moduleEntry(value, &module, &text)) {
                std::fprintf(stderr, "simarray: not M=VALUE with M from 1 to %d: %s\n",
                             SimulatedVentraArray::MaxModules, qPrintable(value));
                return 2;
            }
            entry.apply(array.module(module), text);
        }
    }

    // The array starts on a free port; move it to the one asked for.
    if (!array.listen(quint16(port))) {
        std::fprintf(stderr, "simarray: cannot listen on 127.0.0.1:%u\n", port);
        return 1;
    }

    if (!parser.isSet(quietOption)) {
        QObject::connect(&array, &SimulatedVentraArray::datagramReceived, &array,
                         [&array](const QByteArray &bytes) {
                             std::printf("%8lld ms  <- %s\n",
                                         static_cast<long long>(array.elapsedMs()),
                                         printable(bytes).constData());
                             std::fflush(stdout);
                         });
        QObject::connect(&array, &SimulatedVentraArray::answered, &array,
                         [&array](const QByteArray &bytes) {
                             std::printf("%8lld ms  -> %s\n",
                                         static_cast<long long>(array.elapsedMs()),
                                         printable(bytes).constData());
                             std::fflush(stdout);
                         });
    }

    std::printf("simarray: listening on 127.0.0.1:%u (UDP), %s modules; Ctrl+C ends it\n", port,
                qPrintable(parser.value(modulesOption)));
    std::fflush(stdout);
    return app.exec();
}
