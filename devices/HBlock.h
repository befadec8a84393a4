#pragma once

#include "HNode.h"

// A signal-processing block of a device: gain, selector, the mixers, room
// combiners, logic and the others. Every node class the factory does not
// know becomes a block; only the blocks the panels can operate stay.
class HBlock : public HNode
{
    Q_OBJECT

public:
    HBlock();
    ~HBlock() override;

    int inputCount() const { return m_inputCount; }
    int bgmCount() const { return m_bgmCount; }
    QString roomName() const { return m_roomName; }

    void readAttributes(const QXmlAttributes &atts) override;
    // False for a block of a kind the panels cannot operate.
    bool finishParsing() override;
    void updateFrom(HNode *pOther) override;
    // A room-combiner block registers its room with the chassis's tables.
    void registerRoomCombine(HRCGroupInfo *pInfo) override;
    QString category() const override;
    bool channelNames(QStringList *pNames) const override;

    // The rooms that the "roomCombine" text names as neighbours of this
    // block's room, in text order.
    QList<int> parseNeighbourList() const;

private:
    void readBgmCount(const QString &value);

    QStringList m_channelNames;
    int m_inputCount = 0;
    int m_bgmCount = 0;
    QString m_roomName;
};
