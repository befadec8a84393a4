// Figures for loading a large project the way the model does at start:
// unpacking the archive, reading the design into the device tree, reading
// the panel file into the control tree and binding every control. Beside
// the whole load stands its floor: a bare unpack plus one QXmlStreamReader
// pass over both members. The same project is then made with ten times the
// panels (the device tree stays), to show how the load grows with the
// number of controls. Prints medians of several runs; asserts nothing.

#include "ArchiveWriter.h"
#include "BenchMessages.h"
#include "BenchSandbox.h"
#include "BenchTiming.h"
#include "EngineTypes.h"
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
// The larger project has this many times the scenes.
constexpr int Scale = 10;

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

QByteArray panelFile(int sceneCount)
{
    QByteArray xml = "<?xml version=\"1.0\"?>\n<VDS>\n<Connections>\n";
    for (int c = 0; c < ChassisCount; ++c) {
        xml += "<Connection name=\"Chassis|||" + QByteArray::number(chassisId(c))
               + "\"><Property name=\"attributes\"><ipaddress>127.0.0.1</ipaddress>"
                 "<ipport>10055</ipport><platform>DXR</platform></Property></Connection>\n";
    }
    xml += "</Connections>\n<Scenes>\n";
    int control = 0;
    for (int s = 0; s < sceneCount; ++s) {
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

struct Figures
{
    double unpack = 0;
    double design = 0;
    double panel = 0;
    double whole = 0;
    double floor = 0;
    int panels = 0;
    int controls = 0;
    int bound = 0;
    int tokens = 0;
    double kib = 0;
};

// Loads the project of that many scenes several times, then runs its
// floor as often; the medians.
bool measure(const QString &folder, int sceneCount, int runs, Figures *pFigures)
{
    ArchiveWriter writer;
    writer.addFile(QStringLiteral("/Bench.cpf"), panelFile(sceneCount));
    writer.addFile(QStringLiteral("/project/Bench.vpj"), designFile());
    const QString archive = folder + QStringLiteral("/bench%1.cpz").arg(sceneCount);
    if (!writer.writeTo(archive))
        return false;

    std::vector<double> unpackMs, designMs, panelMs, wholeMs, floorMs;
    for (int run = 0; run < runs; ++run) {
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
        pFigures->controls = countControls(model.scenes());
        pFigures->bound = model.scenes()->hasTransform();
    }

    for (int run = 0; run < runs; ++run) {
        QElapsedTimer timer;
        timer.start();
        UArchive &unpacker = UArchive::instance();
        unpacker.open(archive);
        pFigures->tokens = streamPass(unpacker.extractedPath(QStringLiteral(".cpf")))
                           + streamPass(unpacker.extractedPath(QStringLiteral(".vpj")));
        floorMs.push_back(timer.nsecsElapsed() / 1e6);
    }

    pFigures->unpack = median(unpackMs);
    pFigures->design = median(designMs);
    pFigures->panel = median(panelMs);
    pFigures->whole = median(wholeMs);
    pFigures->floor = median(floorMs);
    pFigures->panels = sceneCount * PanelsPerScene;
    pFigures->kib = QFile(archive).size() / 1024.0;
    return pFigures->controls == pFigures->panels * ControlsPerPanel && pFigures->tokens > 0;
}

void print(const Figures &f)
{
    std::printf("project: %d panels, %d controls (%d bound) across %d chassis, %.1f KiB archive\n",
                f.panels, f.controls, f.bound, ChassisCount, f.kib);
    std::printf("unpack                                   %8.1f ms\n", f.unpack);
    std::printf("design parse                             %8.1f ms\n", f.design);
    std::printf("panel parse + binding                    %8.1f ms\n", f.panel);
    std::printf("whole load                               %8.1f ms\n", f.whole);
    std::printf("floor: unpack + QXmlStreamReader pass     %8.1f ms  (%d tokens)\n", f.floor, f.tokens);
    std::printf("whole load / floor                       %8.1fx\n", f.floor > 0 ? f.whole / f.floor : 0.0);
}

} // namespace

int main(int argc, char **argv)
{
    BenchSandbox dir;
    if (!dir.isValid())
        return 1;
    preferOffscreenPlatform();
    QApplication app(argc, argv);
    EngineTypes::registerAll();
    QSettings(QStringLiteral("Halvern"), QStringLiteral("Varolin Remote 3.1"))
        .setValue(QStringLiteral("Path/Archive"), dir.path());

    // Quiet the readers' progress lines while timing.
    showMessagesFrom(QtInfoMsg);

    Figures small;
    Figures large;
    const bool ok = measure(dir.path(), SceneCount, 7, &small)
                    && measure(dir.path(), SceneCount * Scale, 3, &large);
    print(small);
    print(large);
    std::printf("whole load, %d / %d controls            %8.1fx  (%dx the controls)\n", large.controls,
                small.controls, small.whole > 0 ? large.whole / small.whole : 0.0, Scale);
    return ok ? 0 : 1;
}
