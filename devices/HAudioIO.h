#pragma once

#include "HNode.h"

// An input or output card of a device: analog, digital, telephone, VoIP,
// USB or amplifier I/O. It carries its I/O category, by which the category
// searches find it, and its direction, which the meters test.
class HAudioIO : public HNode
{
    Q_OBJECT

public:
    enum Direction { Unset = 0, Input = 1, Output = 2, Link = 3 };

    // Used by the subclasses: no card name, no direction, no category.
    HAudioIO();
    // A card made from the design: category "Analog I/O". Every VoIP card
    // name is taken as "VOIP".
    HAudioIO(const QString &cardType, int direction);
    ~HAudioIO() override;

    QString cardType() const { return m_cardType; }
    int direction() const { return m_direction; }

    void updateFrom(HNode *pOther) override;
    // "Analog I/O" collects every card, "Digital I/O" the digital ones, a
    // text beginning with "Dante" the network-audio ones; other texts none.
    bool collectByCategory(const QString &category, QList<HNode *> *pList) override;
    QString category() const override;

protected:
    QString m_cardType;
    QString m_ioCategory;
    int m_direction = Unset;
};
