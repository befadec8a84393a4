// Figures for reading a large design-project file: the whole design reader
// (nodes made, properties read, placement, the device-list check of every
// chassis) beside a bare QXmlStreamReader pass over the same bytes and a
// bare SAX pass with an empty handler. Prints medians of several runs and
// the ratios; it asserts nothing.

#include "devices/HChassis.h"
#include "devices/HRoot.h"
#include "devices/ParseProjectXml.h"
#include "project/MProject.h"
#include "project/XmlFileReader.h"
#include "project/XmlHandler.h"

#include "BenchMessages.h"
#include "BenchSandbox.h"
#include "BenchTiming.h"
#include "EngineTypes.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QXmlStreamReader>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

constexpr int kChassis = 50;
constexpr int kNodesPerChassis = 100; // the chassis included
constexpr int kRuns = 9;

QByteArray property(const QByteArray &name, const QByteArray &value)
{
    return "\t\t\t<Property name=\"" + name + "\" value=\"" + value + "\" />\n";
}

// A design as the design software writes one: each chassis followed by
// its cards and blocks, each block with a snapshot copy of its values;
// then groups, parameter sets, a panel list and their assignments.
QByteArray largeDesign()
{
    static const char *const kModels[] = {"DXR-880", "DXR-1240", "EX-440", "DXR-412", "EX-1280"};
    QByteArray xml = "<?xml version=\"1.0\" encoding=\"Windows-1252\"?>\n<Project version=\"4.3\">\n"
                     "\t<ProjectInfo>\n\t\t<Facility name=\"Benchmark Site\" />\n\t</ProjectInfo>\n"
                     "\t<Nodes>\n";
    int nodeID = 1;
    for (int c = 0; c < kChassis; ++c) {
        const QByteArray model = kModels[c % 5];
        xml += "\t\t<Node className=\"Halvern.Quillon.Nodes.Wren\" typeNumber=\"1\" portIndex=\"0\">\n";
        xml += property("title", c == 0 ? model + " (Main)" : model);
        xml += property("label", "Device " + QByteArray::number(c));
        xml += property("nodeID", QByteArray::number(nodeID++));
        xml += property("deviceType", "DXR-880");
        xml += property("ipAddress", "127.0.0.1");
        xml += property("serialPortNumber", "10055");
        if (c == 0)
            xml += property("isMainDXR", "True");
        xml += "\t\t</Node>\n";
        for (int n = 1; n < kNodesPerChassis; ++n) {
            const bool card = n % 10 == 0;
            const QByteArray label = "Node " + QByteArray::number(c) + "." + QByteArray::number(n);
            xml += card ? "\t\t<Node className=\"Halvern.Quillon.Nodes.Devices.Input\" cardType=\"AIN-4\" "
                          "typeNumber=\"5\" portIndex=\""
                              + QByteArray::number(n / 10) + "\" pinIndex=\"\">\n"
                        : "\t\t<Node className=\"Halvern.Quillon.Nodes.Gain\" typeNumber=\"20\">\n";
            xml += property("title", card ? "Input " + QByteArray::number(n / 10) : "Gain");
            xml += property("label", label);
            xml += property("nodeID", QByteArray::number(nodeID++));
            xml += property("channel", QByteArray::number(n % 8 + 1));
            xml += "\t\t\t<Property name=\"level\" value=\"-10\" min=\"-60\" max=\"12\" />\n";
            xml += property("mute", "False");
            xml += "\t\t\t<Snapshots>\n\t\t\t\t<Snapshot name=\"Default\">\n"
                   "\t\t\t\t\t<Property name=\"level\" value=\"-10\" min=\"-60\" max=\"12\" />\n"
                   "\t\t\t\t\t<Property name=\"mute\" value=\"False\" />\n"
                   "\t\t\t\t</Snapshot>\n\t\t\t</Snapshots>\n";
            xml += "\t\t</Node>\n";
        }
    }
    xml += "\t</Nodes>\n\t<Groups>\n";
    for (int g = 1; g <= 20; ++g) {
        xml += "\t\t<Group id=\"" + QByteArray::number(g) + "\">\n"
               + property("label", "Group " + QByteArray::number(g)) + property("groupType", "Level")
               + "\t\t</Group>\n";
    }
    xml += "\t</Groups>\n\t<ParameterSets>\n";
    for (int p = 1; p <= 20; ++p) {
        xml += "\t\t<ParameterSet id=\"" + QByteArray::number(100 + p) + "\">\n"
               + property("title", "Scene " + QByteArray::number(p))
               + property("label", "Scene " + QByteArray::number(p)) + "\t\t</ParameterSet>\n";
    }
    xml += "\t</ParameterSets>\n\t<ParameterSetLists>\n\t\t<PanelList id=\"200\">\n"
           + property("label", "Scenes") + "\t\t</PanelList>\n\t</ParameterSetLists>\n\t<Assignment>\n";
    for (int p = 1; p <= 20; ++p)
        xml += "\t\t<ParameterSet id=\"" + QByteArray::number(100 + p) + "\" />\n";
    for (int g = 1; g <= 20; ++g) {
        xml += "\t\t<Group id=\"" + QByteArray::number(g) + "\">\n";
        for (int t = 0; t < 10; ++t)
            xml += "\t\t\t<Assign targetID=\"" + QByteArray::number(g * 10 + t) + "\" targetProp=\"level\" />\n";
        xml += "\t\t</Group>\n";
    }
    xml += "\t\t<PanelList id=\"200\">\n";
    for (int p = 1; p <= 20; ++p)
        xml += "\t\t\t<Assign targetID=\"" + QByteArray::number(100 + p) + "\" />\n";
    xml += "\t\t</PanelList>\n\t</Assignment>\n</Project>\n";
    return xml;
}

int countNodes(HNode *pNode)
{
    int count = 0;
    for (int i = 0; HNode *pChild = pNode->childAt(i); ++i)
        count += 1 + countNodes(pChild);
    return count;
}

} // namespace

int main(int argc, char **argv)
{
    BenchSandbox dir;
    if (!dir.isValid())
        return 1;
    QCoreApplication app(argc, argv);
    showMessagesFrom(QtWarningMsg);
    EngineTypes::registerAll();

    const QByteArray bytes = largeDesign();
    const QString path = dir.path() + QStringLiteral("/large.vpj");
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        return 1;
    file.close();

    int nodes = 0;
    bool parsed = true;
    const double designMs = medianMs(kRuns, [&] {
        HRoot root;
        MProject project;
        parsed = parseProjectXml(&root, path, &project, false) && parsed;
        nodes = countNodes(&root);
    });

    int elements = 0;
    const double streamMs = medianMs(kRuns, [&] {
        QFile in(path);
        if (!in.open(QIODevice::ReadOnly))
            return;
        QXmlStreamReader reader(&in);
        int count = 0;
        while (!reader.atEnd()) {
            if (reader.readNext() == QXmlStreamReader::StartElement)
                ++count;
        }
        elements = count;
    });

    const double saxMs = medianMs(kRuns, [&] {
        XmlHandler handler;
        XmlFileReader::parse(path, handler);
    });

    std::printf("design file: %d chassis, %d elements, %.1f MiB; %d nodes in the tree\n", kChassis,
                elements, bytes.size() / (1024.0 * 1024.0), nodes);
    std::printf("design reader (parseProjectXml)          %8.1f ms%s\n", designMs,
                parsed ? "" : "  (FAILED)");
    std::printf("bare QXmlStreamReader pass               %8.1f ms\n", streamMs);
    std::printf("bare SAX pass (empty handler)            %8.1f ms\n", saxMs);
    std::printf("ratio design reader / QXmlStreamReader   %8.2f\n", designMs / streamMs);
    std::printf("ratio design reader / bare SAX           %8.2f\n", designMs / saxMs);
    return parsed ? 0 : 1;
}
