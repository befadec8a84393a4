#pragma once

#include "HAudioIO.h"

// The link card that joins devices: category "Digital I/O", direction 3,
// with the channel labels the design gave it. Under an interface unit it
// names itself "Vexlink".
class HDXRLink : public HAudioIO
{
    Q_OBJECT

public:
    HDXRLink();
    ~HDXRLink() override;

    QStringList channelLabels() const { return m_channelLabels; }

    // "label" names the card, "label1", "label2" ... its channels in file
    // order, "level..." store ranges; the rest goes to the node.
    void readAttributes(const QXmlAttributes &atts) override;
    void updateFrom(HNode *pOther) override;
    // The card label, "-" and the channel's label; empty out of range.
    QString channelLabelAt(int index) const override;
    void setParent(HComposite *pParent) override;
    int indexOfChannelLabel(const QString &label) const override;

private:
    QStringList m_channelLabels;
};
