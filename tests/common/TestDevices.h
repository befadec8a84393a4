#pragma once

#include <QByteArray>
#include <QString>

class HChassis;
class HRoot;

// Small device trees and panels shared by the model tests.
namespace TestDevices {

// A processor at 127.0.0.1 on the port, with one used gain block ("Gain 1"),
// so that going on line opens its transport. The root owns it.
HChassis *addLocalChassis(HRoot *pRoot, const QString &label, quint16 port);

// A panel file with one scene ("Only"), one page ("Page") and one fader
// bound to the block "Music Gain" (nodeID 2) of "Chassis|||1".
QByteArray oneFaderPanel();

} // namespace TestDevices
