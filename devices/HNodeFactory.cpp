#include "HNodeFactory.h"

#include "HAudioIO.h"
#include "HBlock.h"
#include "HChassis.h"
#include "HDXRLink.h"
#include "HDante.h"
#include "HGroup.h"
#include "HParameterSet.h"
#include "HParameterSetList.h"
#include "TranslatedText.h"

#include <QObject>

#include <vector>

namespace {

enum class Kind {
    None,
    Chassis,
    NamedChassis,
    Input,
    Output,
    Link,
    DanteIn,
    DanteOut,
};

struct Entry
{
    const char *className;
    Kind kind;
};

// The device classes of the design files. Names that share a kind are
// alternatives the design software uses for the same thing.
const Entry kDeviceEntries[] = {
    {"DXR", Kind::Chassis},       {"CinderDxr", Kind::Chassis}, {"Wren", Kind::Chassis},
    {"Kestrel", Kind::NamedChassis}, {"Osprey", Kind::Chassis}, {"Heron", Kind::Chassis},
    {"Plover", Kind::Chassis},    {"Input", Kind::Input},       {"Output", Kind::Output},
    {"DXRLinkTx", Kind::Link},    {"Vexlink", Kind::Link},      {"PstnRx", Kind::Input},
    {"PstnTx", Kind::Output},     {"VoipRx", Kind::Input},      {"VoipTx", Kind::Output},
    {"UsbRx", Kind::Input},       {"UsbTx", Kind::Output},      {"DanteRx", Kind::DanteIn},
    {"DanteTx", Kind::DanteOut},  {"Finch", Kind::None},        {"Serialin", Kind::None},
    {"Serialout", Kind::None},    {"GPO", Kind::None},          {"GPI", Kind::None},
    {"DeviceNode", Kind::None},
};

struct RegisteredNode
{
    TranslatedText className;
    HNodeFactory::Maker maker;
};

std::vector<RegisteredNode> &registeredNodes()
{
    static std::vector<RegisteredNode> s_nodes;
    return s_nodes;
}

HNode *createDevice(Kind kind, const QString &className, const QString &cardType)
{
    switch (kind) {
    case Kind::None:
        return nullptr;
    case Kind::Chassis:
        return new HChassis;
    case Kind::NamedChassis:
        return new HChassis(className);
    case Kind::Input:
        return new HAudioIO(cardType, HAudioIO::Input);
    case Kind::Output:
        return new HAudioIO(cardType, HAudioIO::Output);
    case Kind::Link:
        return new HDXRLink;
    case Kind::DanteIn:
        return new HDante(cardType, HAudioIO::Input);
    case Kind::DanteOut:
        return new HDante(cardType, HAudioIO::Output);
    }
    return nullptr;
}

} // namespace

void HNodeFactory::registerNode(const char *className, Maker maker)
{
    registeredNodes().push_back(RegisteredNode{TranslatedText(className), maker});
}

HNode *HNodeFactory::createNode(const QString &className, const QString &cardType) const
{
    if (className.isEmpty())
        return nullptr;
    for (const Entry &entry : kDeviceEntries) {
        if (className == QLatin1String(entry.className))
            return createDevice(entry.kind, className, cardType);
    }
    // The node kinds the reader asks for by their element names.
    if (className == QLatin1String("Group"))
        return new HGroup;
    for (const RegisteredNode &node : registeredNodes()) {
        if (className == node.className.text())
            return node.maker();
    }
    if (className == QLatin1String("ParameterSet"))
        return new HParameterSet;
    if (className == QLatin1String("PanelList"))
        return new HParameterSetList;
    return new HBlock;
}
