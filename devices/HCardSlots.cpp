#include "HCardSlots.h"

#include <QList>
#include <QRegularExpression>
#include <QStringList>

#include <array>

namespace {

// The device families that place their cards differently, in the order in
// which their model names are looked for in the device title. The first
// name found decides, so a variant whose name extends a listed model (such
// as "EX-1280P") falls into that model's family.
enum class DeviceGroup { None, G1, G2, G3, G4, G5, G6, G7 };

struct ModelName
{
    const char *name;
    DeviceGroup group;
};

const std::array<ModelName, 7> kModels = {{
    {"EX-1280", DeviceGroup::G1}, // expander with every card kind
    {"DXR-8", DeviceGroup::G2},   // the DXR-8xx processors
    {"DXR-12", DeviceGroup::G3},  // the DXR-12xx processors
    {"DXR-412", DeviceGroup::G4},
    {"DXR-1600", DeviceGroup::G5},
    {"EX-440", DeviceGroup::G6},
    {"EX-DN8", DeviceGroup::G7}, // network-audio expander
}};

// Card numbers first..last go to slot.
struct SlotRange
{
    int first;
    int last;
    int slot;
};

// One card kind of a family: the title keywords that name it and either
// one fixed slot or slots by card number.
struct CardKind
{
    QStringList keywords;
    int fixedSlot; // -1: by ranges
    QList<SlotRange> ranges;
};

const QStringList kLinkOnlyVexlink = {QStringLiteral("Vexlink")};
const QStringList kLinkBoth = {QStringLiteral("Vexlink"), QStringLiteral("DXRLink")};

CardKind byNumber(const QString &keyword, const QList<SlotRange> &ranges)
{
    return CardKind{{keyword}, -1, ranges};
}

CardKind fixed(const QStringList &keywords, int slot)
{
    return CardKind{keywords, slot, {}};
}

CardKind fixed(const QString &keyword, int slot)
{
    return CardKind{{keyword}, slot, {}};
}

// The card kinds of each family, in the order their keywords are tested.
QList<CardKind> cardKinds(DeviceGroup group)
{
    const QString in = QStringLiteral("Input");
    const QString out = QStringLiteral("Output");
    const QString dante = QStringLiteral("Dante");
    const QString voip = QStringLiteral("VoIP");
    const QString usb = QStringLiteral("USB");
    const QString pstn = QStringLiteral("PSTN");
    switch (group) {
    case DeviceGroup::G1:
        return {byNumber(in, {{1, 4, 3}, {5, 8, 4}, {9, 12, 5}}),
                byNumber(out, {{1, 4, 1}, {5, 8, 2}}),
                fixed(kLinkOnlyVexlink, 6), fixed(dante, 7), fixed(voip, 9), fixed(usb, 10),
                fixed(pstn, 11)};
    case DeviceGroup::G2:
        return {byNumber(in, {{1, 4, 1}, {5, 8, 3}}), byNumber(out, {{1, 4, 2}, {5, 8, 4}}),
                fixed(kLinkBoth, 5), fixed(dante, 6)};
    case DeviceGroup::G3:
        return {byNumber(in, {{1, 4, 1}, {5, 8, 3}, {9, 12, 4}}), byNumber(out, {{1, 4, 2}}),
                fixed(kLinkBoth, 5), fixed(dante, 6)};
    case DeviceGroup::G4:
        return {byNumber(in, {{1, 4, 1}}), byNumber(out, {{1, 4, 2}, {5, 8, 3}, {9, 12, 4}}),
                fixed(kLinkBoth, 5)};
    case DeviceGroup::G5:
        return {byNumber(in, {{1, 4, 1}, {5, 8, 2}, {9, 12, 3}, {13, 16, 4}}),
                fixed(kLinkBoth, 5)};
    case DeviceGroup::G6:
        return {byNumber(in, {{1, 4, 3}}), byNumber(out, {{1, 4, 1}}),
                fixed(kLinkOnlyVexlink, 6), fixed(dante, 7), fixed(voip, 9), fixed(usb, 10),
                fixed(pstn, 11)};
    case DeviceGroup::G7:
        return {fixed(dante, 7)};
    case DeviceGroup::None:
        break;
    }
    return {};
}

DeviceGroup groupOf(const QString &deviceTitle)
{
    for (const ModelName &model : kModels) {
        if (deviceTitle.contains(QLatin1String(model.name)))
            return model.group;
    }
    return DeviceGroup::None;
}

bool containsAny(const QString &text, const QStringList &keywords)
{
    for (const QString &keyword : keywords) {
        if (text.contains(keyword))
            return true;
    }
    return false;
}

// The card number: the second word of the card title, 0 when that is not a
// number and -1 when the title has a single word.
int cardNumber(const QString &cardTitle)
{
    static const QRegularExpression whitespace(QStringLiteral("\\s+"));
    const QStringList words = cardTitle.split(whitespace, Qt::SkipEmptyParts);
    if (words.size() < 2)
        return -1;
    bool ok = false;
    const int number = words.at(1).toInt(&ok, 10);
    return ok ? number : 0;
}

int amplifierSlot(const QString &cardTitle, int number)
{
    const bool inRange = number >= 1 && number <= 8;
    if (cardTitle.contains(QLatin1String("Analog In")) || cardTitle.contains(QLatin1String("Digital In")))
        return inRange ? 1 : number;
    if (cardTitle.contains(QLatin1String("Out")))
        return inRange ? 2 : number;
    return number;
}

} // namespace

int HCardSlots::slotIndex(const QString &deviceTitle, const QString &cardTitle, int portIndex)
{
    const int number = cardNumber(cardTitle);
    const DeviceGroup group = groupOf(deviceTitle);
    if (group == DeviceGroup::None) {
        if (deviceTitle.contains(QLatin1String("AV")) || deviceTitle.contains(QLatin1String("AR")))
            return amplifierSlot(cardTitle, portIndex >= 0 ? portIndex + 1 : number);
        return number;
    }

    const QList<CardKind> kinds = cardKinds(group);
    for (const CardKind &kind : kinds) {
        if (!containsAny(cardTitle, kind.keywords))
            continue;
        // The first keyword found decides, even when its numbers don't fit.
        if (kind.fixedSlot >= 0)
            return kind.fixedSlot;
        for (const SlotRange &range : kind.ranges) {
            if (number >= range.first && number <= range.last)
                return range.slot;
        }
        return number;
    }
    return number;
}
