// Figures for loading a large project the way the model does at start:
// unpacking the archive, reading the design into the device tree, reading
// the panel file into the control tree and binding every control. Beside
// the whole load stands its floor: a bare unpack plus one QXmlStreamReader
// pass over both members. Prints medians of several runs; asserts nothing.

#include "ArchiveWriter.h"
#include "BenchMessages.h"
#include "BenchSandbox.h"
#include "BenchTiming.h"
#include "app/MModel.h"
#include "controls/CComposite.h"
#include "devices/HRoot.h"
#include "project/UArchive.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QSettings>
#include <QXmlStreamReader>

#include <cstdio>
#include <vector>

namespace {

constexpr int ChassisCount = 20;
constexpr int BlocksPerChassis = 100;
constexpr int SceneCount = 5;
constexpr int PanelsPerScene = 20;
constexpr int ControlsPerPanel = 20;

int chassisId(int chassis) { return 1000 * (chassis + 1); }
int blockId(int chassis, int block) { return chassisId(chassis) + block + 1; }

QByteArray designFile()
{
    QByteArray xml = "<?xml version=\"1.0\" encoding=\"Windows-1252\"?>\n<Project version=\"4.3\">\n"
                     "<ProjectInfo><Facility name=\"Bench Site\" /></ProjectInfo>\n<Nodes>\n";
    for (int c = 0; c < ChassisCount; ++c) {
        const QByteArray n = QByteArray::number(c);
        xml += "<Node className=\"Halvern.Quillon.Nodes.Wren\" typeNumber=\"1\" portIndex=\"0\">"
               "<Property name=\"title\" value=\"DXR-880\" />"
               "<Property name=\"label\" value=\"Processor " + n + "\" />"
               "<Property name=\"nodeID\" value=\"" + QByteArray::number(chassisId(c)) + "\" />"
               "<Property name=\"deviceType\" value=\"DXR-880\" />"
               "<Property name=\"ipAddress\" value=\"127.0.0." + QByteArray::number(c + 1) + "\" />"
               "<Property name=\"ipPort\" value=\"10055\" />"
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

QByteArray panelFile()
{
    QByteArray xml = "<?xml version=\"1.0\"?>\n<VDS>\n<Connections>\n";
    for (int c = 0; c < ChassisCount; ++c) {
        xml += "<Connection name=\"Chassis|||" + QByteArray::number(chassisId(c))
               + "\"><Property name=\"attributes\"><ipaddress>127.0.0.1</ipaddress>"
                 "<ipport>10055</ipport><platform>DXR</platform></Property></Connection>\n";
    }
    xml += "</Connections>\n<Scenes>\n";
    int control = 0;
    for (int s = 0; s < SceneCount; ++s) {
        xml += "<Scene name=\"Scene " + QByteArray::number(s) + "\"><Panels>\n";
        for (int p = 0; p < PanelsPerScene; ++p) {
            xml += "<Panel name=\"Page " + QByteArray::number(p) + "\" type=\"complete\"><Controls>\n";
            for (int i = 0; i < ControlsPerPanel; ++i, ++control) {
                const int chassis = control % ChassisCount;
                const int block = (control / ChassisCount) % BlocksPerChassis;
                xml += "<Control name=\"Level " + QByteArray::number(i) + "\" type=\"Slider\">"
                       "<block>Gain " + QByteArray::number(chassis) + "." + QByteArray::number(block)
                       + "</block><nodeID>" + QByteArray::number(blockId(chassis, block))
                       + "</nodeID><nodeCategory>Blocks</nodeCategory>"
                         "<connection>Chassis|||" + QByteArray::number(chassisId(chassis))
                       + "</connection><id>" + QByteArray::number(100000 + control) + "</id>"
                         "<Property name=\"widget\"><slider><x>" + QByteArray::number(40 * i)
                       + "</x><y>20</y><width>30</width><height>200</height></slider></Property>"
                         "<Property name=\"attributes\"><range><index1>1</index1>"
                         "<minimum>-60</minimum><maximum>12</maximum><step>0.5</step>"
                         "<units>dB</units><format>nn.n</format><transform>strV</transform>"
                         "</range></Property></Control>\n";
            }
            xml += "</Controls></Panel>\n";
        }
        xml += "</Panels></Scene>\n";
    }
    xml += "</Scenes>\n</VDS>\n";
    return xml;
}

int streamPass(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return -1;
    QXmlStreamReader reader(&file);
    int tokens = 0;
    while (!reader.atEnd()) {
        reader.readNext();
        ++tokens;
    }
    return reader.hasError() ? -1 : tokens;
}

int countControls(const CControl *pRoot)
{
    int count = 0;
    for (int s = 0; s < pRoot->childCount(); ++s) {
        const CControl *pScene = pRoot->childAt(s);
        for (int p = 0; p < pScene->childCount(); ++p)
            count += pScene->childAt(p)->childCount();
    }
    return count;
}

} // namespace

int main(int argc, char **argv)
{
    BenchSandbox dir;
    if (!dir.isValid())
        return 1;
    preferOffscreenPlatform();
    QApplication app(argc, argv);
    QSettings(QStringLiteral("Halvern"), QStringLiteral("Varolin Remote 3.1"))
        .setValue(QStringLiteral("Path/Archive"), dir.path());

    ArchiveWriter writer;
    writer.addFile(QStringLiteral("/Bench.cpf"), panelFile());
    writer.addFile(QStringLiteral("/project/Bench.vpj"), designFile());
    const QString archive = dir.path() + QStringLiteral("/bench.cpz");
    if (!writer.writeTo(archive))
        return 1;

    // Quiet the readers' progress lines while timing.
    showMessagesFrom(QtInfoMsg);

    constexpr int Runs = 7;
    std::vector<double> unpackMs, designMs, panelMs, wholeMs, floorMs;
    int controls = 0;
    int bound = 0;
    for (int run = 0; run < Runs; ++run) {
        MModel model;
        model.initialize();
        QElapsedTimer timer;
        timer.start();
        QString panelPath = archive;
        model.openArchive(panelPath);
        const qint64 t1 = timer.nsecsElapsed();
        model.loadDesignFromArchive();
        const qint64 t2 = timer.nsecsElapsed();
        model.scenes()->loadChildren(panelPath, model.root(), nullptr, &model);
        const qint64 t3 = timer.nsecsElapsed();
        unpackMs.push_back(t1 / 1e6);
        designMs.push_back((t2 - t1) / 1e6);
        panelMs.push_back((t3 - t2) / 1e6);
        wholeMs.push_back(t3 / 1e6);
        controls = countControls(model.scenes());
        bound = model.scenes()->hasTransform();
    }

    int tokens = 0;
    for (int run = 0; run < Runs; ++run) {
        QElapsedTimer timer;
        timer.start();
        UArchive &unpacker = UArchive::instance();
        unpacker.open(archive);
        tokens = streamPass(unpacker.extractedPath(QStringLiteral(".cpf")))
                 + streamPass(unpacker.extractedPath(QStringLiteral(".vpj")));
        floorMs.push_back(timer.nsecsElapsed() / 1e6);
    }

    const double whole = median(wholeMs);
    const double floor = median(floorMs);
    std::printf("project: %d panels, %d controls (%d bound) across %d chassis, %.1f KiB archive\n",
                SceneCount * PanelsPerScene, controls, bound, ChassisCount,
                QFile(archive).size() / 1024.0);
    std::printf("unpack                                   %8.1f ms\n", median(unpackMs));
    std::printf("design parse                             %8.1f ms\n", median(designMs));
    std::printf("panel parse + binding                    %8.1f ms\n", median(panelMs));
    std::printf("whole load                               %8.1f ms\n", whole);
    std::printf("floor: unpack + QXmlStreamReader pass     %8.1f ms  (%d tokens)\n", floor, tokens);
    std::printf("whole load / floor                       %8.1fx\n", floor > 0 ? whole / floor : 0.0);
    return (controls == SceneCount * PanelsPerScene * ControlsPerPanel && tokens > 0) ? 0 : 1;
}
