#pragma once

#include <QObject>
#include <QString>

// The category texts of the device tree. Each node class answers one of them
// through HNode::category, and the finders and collectors match them exactly.
// The names marked translated go through the translator (context QObject),
// since panels of a translated design carry the translated text.
namespace NodeCategory {
inline QString composite() { return QStringLiteral("Composite"); }
inline QString root() { return QStringLiteral("Root"); }
inline QString chassis() { return QStringLiteral("Chassis"); }
// Translated.
inline QString blocks() { return QObject::tr("Blocks"); }
inline QString groups() { return QObject::tr("Groups"); }
inline QString parameterSets() { return QObject::tr("ParameterSets"); }
inline QString parameterSetLists() { return QObject::tr("ParameterSetLists"); }
inline QString rcRooms() { return QObject::tr("RCRooms"); }
inline QString rcGroups() { return QObject::tr("RCGroups"); }
} // namespace NodeCategory

// The categories of the audio I/O cards, all translated. "Analog I/O" is the
// default; asking the cards for it collects every kind of card.
namespace IoCategory {
inline QString analog() { return QObject::tr("Analog I/O"); }
inline QString digital() { return QObject::tr("Digital I/O"); }
inline QString amp() { return QObject::tr("Amp I/O"); }
inline QString pstn() { return QObject::tr("PSTN I/O"); }
inline QString voip() { return QObject::tr("VoIP I/O"); }
inline QString usb() { return QObject::tr("USB I/O"); }
inline QString dante() { return QObject::tr("Dante I/O"); }
} // namespace IoCategory
