#pragma once

#include <QString>

// Where an I/O card sits in its device: the slot number by which the device
// protocol addresses the card. The slot depends on the device model, the
// kind of card and the card's number, all read from titles.
class HCardSlots
{
public:
    // deviceTitle: the title of the card's device; cardTitle: the card's
    // own title, such as "Input 6"; portIndex: the card's port index, which
    // numbers the cards of an amplifier (-1 when unknown).
    static int slotIndex(const QString &deviceTitle, const QString &cardTitle, int portIndex);
};
