// What the program costs while it idles: it is started as a child process
// under the offscreen platform (or the platform QT_QPA_PLATFORM names) on a
// project of 8 processors, each one a simulated VDS device of this process
// on 127.0.0.1. Once every device has a connection the program idles for
// 30 s (IDLE_SECONDS sets another time); its CPU time per second and its
// resident and anonymous memory are read from /proc. Beside it, started and
// measured the same way, stands a bare QQuickView showing one rectangle
// (this program again, with --bare-view). Prints the figures; asserts
// nothing.
//
//     bench_idle [--exe PROGRAM]     (default: the program of this build)

#include "ArchiveWriter.h"
#include "BenchMessages.h"
#include "BenchSandbox.h"
#include "SimulatedVdsDevice.h"

#include <QBuffer>
#include <QColor>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QProcess>
#include <QQmlEngine>
#include <QQuickView>
#include <QThread>
#include <QTimer>
#include <QUrl>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>
#include <vector>

#include <unistd.h>

namespace {

constexpr int ChassisCount = 8;
constexpr int BlocksPerChassis = 20;
constexpr int PanelsPerChassis = 2;
constexpr int ControlsPerPanel = 10;

int chassisId(int chassis) { return 100 * (chassis + 1); }
int blockId(int chassis, int block) { return chassisId(chassis) + block + 1; }

QByteArray designFile(const std::vector<quint16> &ports)
{
    QByteArray xml = "<?xml version=\"1.0\" encoding=\"Windows-1252\"?>\n<Project version=\"4.3\">\n"
                     "<ProjectInfo><Facility name=\"Idle Site\" /></ProjectInfo>\n<Nodes>\n";
    for (int c = 0; c < ChassisCount; ++c) {
        const QByteArray n = QByteArray::number(c);
        xml += "<Node className=\"Halvern.Quillon.Nodes.Wren\" typeNumber=\"1\" portIndex=\"0\">"
               "<Property name=\"title\" value=\"DXR-880\" />"
               "<Property name=\"label\" value=\"Processor " + n + "\" />"
               "<Property name=\"nodeID\" value=\"" + QByteArray::number(chassisId(c)) + "\" />"
               "<Property name=\"deviceType\" value=\"DXR-880\" />"
               "<Property name=\"ipAddress\" value=\"127.0.0.1\" />"
               "<Property name=\"serialPortNumber\" value=\"" + QByteArray::number(ports[size_t(c)]) + "\" />"
               "<Property name=\"isMainDXR\" value=\"" + (c == 0 ? "True" : "False") + "\" />"
               "</Node>\n";
        for (int b = 0; b < BlocksPerChassis; ++b) {
            xml += "<Node className=\"Halvern.Quillon.Nodes.Gain\" typeNumber=\"20\">"
                   "<Property name=\"title\" value=\"Gain\" />"
                   "<Property name=\"label\" value=\"Gain " + n + "." + QByteArray::number(b) + "\" />"
                   "<Property name=\"nodeID\" value=\"" + QByteArray::number(blockId(c, b)) + "\" />"
                   "<Property name=\"channel\" value=\"1\" />"
                   "<Property name=\"level\" value=\"-10\" min=\"-60\" max=\"12\" /></Node>\n";
        }
    }
    xml += "</Nodes>\n<Groups />\n<RCGroups />\n<ParameterSets />\n<ParameterSetLists />\n"
           "<Assignment />\n</Project>\n";
    return xml;
}

// One scene per processor, each of two panels of faders on its gains and a
// banner picture.
QByteArray panelFile(const std::vector<quint16> &ports)
{
    QByteArray xml = "<?xml version=\"1.0\"?>\n<VDS>\n<Canvas><Property name=\"attributes\">"
                     "<size>10</size><orientation>2</orientation></Property></Canvas>\n<Connections>\n";
    for (int c = 0; c < ChassisCount; ++c) {
        xml += "<Connection name=\"Chassis|||" + QByteArray::number(chassisId(c))
               + "\"><Property name=\"attributes\"><ipaddress>127.0.0.1</ipaddress><ipport>"
               + QByteArray::number(ports[size_t(c)]) + "</ipport><platform>DXR</platform></Property></Connection>\n";
    }
    xml += "</Connections>\n<Scenes>\n";
    int id = 100000;
    for (int c = 0; c < ChassisCount; ++c) {
        const QByteArray n = QByteArray::number(c);
        xml += "<Scene name=\"Processor " + n + "\"><Panels>\n";
        for (int p = 0; p < PanelsPerChassis; ++p) {
            xml += "<Panel name=\"Page " + QByteArray::number(p) + "\" type=\"complete\"><Controls>\n";
            // The panel's banner: a picture of the archive, fitted into its rectangle.
            xml += "<Control name=\"Banner\" type=\"Passive\"><id>" + QByteArray::number(++id)
                   + "</id><Property name=\"widget\"><image><x>10</x><y>240</y><width>300</width>"
                     "<height>60</height><path>D:/Idle/image/Banner.png</path></image></Property></Control>\n";
            for (int i = 0; i < ControlsPerPanel; ++i) {
                const int b = (p * ControlsPerPanel + i) % BlocksPerChassis;
                xml += "<Control name=\"Level\" type=\"Slider\"><block>Gain " + n + "." + QByteArray::number(b)
                       + "</block><nodeID>" + QByteArray::number(blockId(c, b))
                       + "</nodeID><nodeCategory>Blocks</nodeCategory><connection>Chassis|||"
                       + QByteArray::number(chassisId(c)) + "</connection><id>" + QByteArray::number(++id)
                       + "</id><Property name=\"widget\"><slider><x>" + QByteArray::number(10 + 60 * i)
                       + "</x><y>20</y><width>40</width><height>200</height></slider></Property>"
                         "<Property name=\"attributes\"><range><index1>1</index1>"
                         "<minimum>-60</minimum><maximum>12</maximum><step>0.5</step>"
                         "<units>dB</units><format>nn.n</format><transform>strV</transform>"
                         "</range></Property></Control>\n";
            }
            xml += "</Controls></Panel>\n";
        }
        xml += "</Panels></Scene>\n";
    }
    return xml + "</Scenes>\n</VDS>\n";
}

// A 300 x 60 banner, as a panel's pictures come: small beside the width
// an image widget decodes at.
QByteArray bannerPicture()
{
    QImage image(300, 60, QImage::Format_ARGB32);
    image.fill(QColor(QStringLiteral("#336699")));
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return png;
}

struct Sample
{
    double cpuSeconds = 0; // user + system
    double rssMiB = 0;
    double anonMiB = 0;
};

bool readSample(qint64 pid, Sample *pSample)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return false;
    const QByteArray line = stat.readAll();
    // The fields after the command name, which ends at the last ')'.
    const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
    if (fields.size() < 13)
        return false;
    const double ticks = double(sysconf(_SC_CLK_TCK));
    pSample->cpuSeconds = (fields.at(11).toDouble() + fields.at(12).toDouble()) / ticks;

    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return false;
    const QList<QByteArray> lines = status.readAll().split('\n');
    for (const QByteArray &entry : lines) {
        const QList<QByteArray> parts = entry.simplified().split(' ');
        if (parts.size() < 2)
            continue;
        if (parts.first() == "VmRSS:")
            pSample->rssMiB = parts.at(1).toDouble() / 1024.0;
        else if (parts.first() == "RssAnon:")
            pSample->anonMiB = parts.at(1).toDouble() / 1024.0;
    }
    return true;
}

struct Figures
{
    double cpuPercent = 0;
    double rssMiB = 0;     // at the end of the idle time
    double anonMiB = 0;
    double peakRssMiB = 0; // the largest sample while idling
};

// Lets the child idle, sampling once a second, and kills it after.
bool measureIdle(QProcess &child, int seconds, Figures *pFigures)
{
    const qint64 pid = child.processId();
    Sample first;
    if (!readSample(pid, &first))
        return false;
    QElapsedTimer clock;
    clock.start();
    Sample last = first;
    double peak = first.rssMiB;
    while (clock.elapsed() < seconds * 1000) {
        QEventLoop loop;
        QTimer::singleShot(1000, &loop, &QEventLoop::quit);
        loop.exec();
        if (!readSample(pid, &last))
            return false;
        peak = std::max(peak, last.rssMiB);
    }
    const double wall = clock.elapsed() / 1000.0;
    pFigures->cpuPercent = 100.0 * (last.cpuSeconds - first.cpuSeconds) / wall;
    pFigures->rssMiB = last.rssMiB;
    pFigures->anonMiB = last.anonMiB;
    pFigures->peakRssMiB = peak;
    child.kill();
    child.waitForFinished(5000);
    return true;
}

bool waitFor(const std::function<bool()> &done, int timeoutMs)
{
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > timeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    }
    return true;
}

int runBareView(int argc, char **argv)
{
    QGuiApplication app(argc, argv);
    QQuickView view;
    view.setResizeMode(QQuickView::SizeRootObjectToView);
    const QString qml = QStringLiteral("import QtQuick\nRectangle { color: \"#336699\" }\n");
    QFile file(QDir::temp().filePath(QStringLiteral("bench_idle_%1.qml").arg(QCoreApplication::applicationPid())));
    if (!file.open(QIODevice::WriteOnly) || file.write(qml.toUtf8()) < 0)
        return 1;
    file.close();
    view.setSource(QUrl::fromLocalFile(file.fileName()));
    file.remove();
    view.resize(640, 480);
    view.show();
    return app.exec();
}

void print(const char *what, const Figures &f)
{
    std::printf("%-34s %6.2f %% of a core  %7.1f MiB resident (peak %.1f)  %7.1f MiB anonymous\n", what,
                f.cpuPercent, f.rssMiB, f.peakRssMiB, f.anonMiB);
}

} // namespace

int main(int argc, char **argv)
{
    for (int i = 1; i < argc; ++i) {
        if (qstrcmp(argv[i], "--bare-view") == 0)
            return runBareView(argc, argv);
    }

    BenchSandbox dir;
    if (!dir.isValid())
        return 1;
    preferOffscreenPlatform();
    QCoreApplication app(argc, argv);
    hideAllMessages();

    QString exe = QCoreApplication::applicationDirPath() + QStringLiteral("/../varolinremote");
    const QStringList args = app.arguments();
    const qsizetype exeAt = args.indexOf(QStringLiteral("--exe"));
    if (exeAt > 0 && exeAt + 1 < args.size())
        exe = args.at(exeAt + 1);
    const int seconds = qEnvironmentVariableIsSet("IDLE_SECONDS") ? qEnvironmentVariableIntValue("IDLE_SECONDS") : 30;

    std::vector<std::unique_ptr<SimulatedVdsDevice>> devices;
    std::vector<quint16> ports;
    for (int c = 0; c < ChassisCount; ++c) {
        devices.push_back(std::make_unique<SimulatedVdsDevice>());
        if (!devices.back()->listen())
            return 1;
        ports.push_back(devices.back()->port());
    }

    // The program's first choice at start: a received project in its
    // designs folder, which is its working folder when none is set.
    const QString work = dir.path() + QStringLiteral("/work");
    QDir().mkpath(work);
    ArchiveWriter writer;
    writer.addFile(QStringLiteral("/Idle.cpf"), panelFile(ports));
    writer.addFile(QStringLiteral("/project/Idle.vpj"), designFile(ports));
    writer.addFile(QStringLiteral("/image/Banner.png"), bannerPicture());
    if (!writer.writeTo(work + QStringLiteral("/download.cpn")))
        return 1;

    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), qEnvironmentVariable("QT_QPA_PLATFORM"));

    QProcess program;
    program.setProcessEnvironment(environment);
    program.setWorkingDirectory(work);
    program.setStandardOutputFile(QProcess::nullDevice());
    program.setStandardErrorFile(QProcess::nullDevice());
    program.start(exe, {});
    if (!program.waitForStarted(10000)) {
        std::fprintf(stderr, "cannot start %s\n", qPrintable(exe));
        return 1;
    }
    const bool connected = waitFor(
        [&devices] {
            for (const auto &pDevice : devices) {
                if (pDevice->openConnectionCount() < 1)
                    return false;
            }
            return true;
        },
        60000);
    if (!connected) {
        std::fprintf(stderr, "not every simulated device was connected within 60 s\n");
        program.kill();
        program.waitForFinished(5000);
        return 1;
    }
    Figures programFigures;
    if (!measureIdle(program, seconds, &programFigures))
        return 1;
    int commands = 0;
    for (const auto &pDevice : devices)
        commands += pDevice->commandCount();

    QProcess bare;
    bare.setProcessEnvironment(environment);
    bare.setStandardOutputFile(QProcess::nullDevice());
    bare.setStandardErrorFile(QProcess::nullDevice());
    bare.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--bare-view")});
    if (!bare.waitForStarted(10000))
        return 1;
    // Its first frame, give or take: the same settling time as the program had.
    QThread::msleep(2000);
    Figures bareFigures;
    if (!measureIdle(bare, seconds, &bareFigures))
        return 1;

    std::printf("idle for %d s on the %s platform; the program connected to %d simulated devices on "
                "127.0.0.1 (%d commands received in all); its panels hold faders and a 300 x 60 picture\n",
                seconds, qPrintable(environment.value(QStringLiteral("QT_QPA_PLATFORM"))), ChassisCount,
                commands);
    print("program, 8 processors", programFigures);
    print("bare QQuickView, one rectangle", bareFigures);
    std::printf("program - bare view                %+6.2f %% of a core  %+7.1f MiB resident             "
                "%+7.1f MiB anonymous\n",
                programFigures.cpuPercent - bareFigures.cpuPercent, programFigures.rssMiB - bareFigures.rssMiB,
                programFigures.anonMiB - bareFigures.anonMiB);
    return 0;
}
