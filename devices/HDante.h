#pragma once

#include "HAudioIO.h"

// The network-audio card: category "Dante I/O", with the channel labels
// and card pins the design gave it.
class HDante : public HAudioIO
{
    Q_OBJECT

public:
    HDante();
    HDante(const QString &cardType, int direction);
    ~HDante() override;

    QStringList channelLabels() const { return m_channelLabels; }
    QList<int> cardPins() const { return m_cardPins; }

    // "label" names the card, "label..." its channels, "cardPin..." its
    // pins, in file order; the rest goes to the node.
    void readAttributes(const QXmlAttributes &atts) override;
    void updateFrom(HNode *pOther) override;
    QString channelLabelAt(int index) const override;
    // -1 out of range, and for a pin the design did not give as a number.
    int cardPinAt(int index) const override;
    int indexOfChannelLabel(const QString &label) const override;

private:
    QStringList m_channelLabels;
    QList<int> m_cardPins;
};
