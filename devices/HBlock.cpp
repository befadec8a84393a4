#include "HBlock.h"

#include "HRCGroupInfo.h"
#include "NodeCategory.h"

#include <QRegularExpression>

namespace {
const QString kConferenceRouter = QStringLiteral("Conference Room Router");
const QString kGeneralCombiner = QStringLiteral("General Purpose Room Combiner");
const QString kStandardCombiner = QStringLiteral("Standard Room Combiner");
const QString kNone = QStringLiteral("None");

const QStringList kKeptTitles = {
    QStringLiteral("Gain"), QStringLiteral("Selector"), kConferenceRouter, kGeneralCombiner,
    kStandardCombiner,      QStringLiteral("Tone EQ"),  QStringLiteral("ToneEQ"),
};
const QStringList kKeptPrefixes = {
    QStringLiteral("AMM"),         QStringLiteral("Virtual GPI"), QStringLiteral("Logic Input"),
    QStringLiteral("Virtual GPO"), QStringLiteral("Logic Output"), QStringLiteral("Ventra"),
};
} // namespace

HBlock::HBlock() = default;

HBlock::~HBlock() = default;

void HBlock::readAttributes(const QXmlAttributes &atts)
{
    const QString name = xmlAttribute(atts, QStringLiteral("name"));
    const QString value = xmlAttribute(atts, QStringLiteral("value"));
    if (name.startsWith(QLatin1String("name")) || name.startsWith(QLatin1String("inLchName"))) {
        // Channel names of other blocks; nothing of the block's own.
    } else if (name == QLatin1String("leftLabelList")) {
        m_channelNames = value.split(QLatin1Char(','));
    } else if (name == QLatin1String("inputCount")) {
        readCount(value, &m_inputCount);
    } else if (name == QLatin1String("bgmCount")) {
        readBgmCount(value);
    } else if (name == QLatin1String("roomName")) {
        m_roomName = value;
    }
    HNode::readAttributes(atts);
}

// The selector then offers "None" and the background-music inputs that
// follow the first inputCount names.
void HBlock::readBgmCount(const QString &value)
{
    readCount(value, &m_bgmCount);
    m_noneSelection = true;
    if (m_bgmCount == 0) {
        m_channelNames = QStringList{kNone};
        return;
    }
    const qsizetype skipped = qMin<qsizetype>(m_inputCount, m_channelNames.size());
    m_channelNames.remove(0, skipped);
    const QStringList music = m_channelNames.mid(0, m_bgmCount);
    if (!music.isEmpty())
        m_channelNames = QStringList{kNone} + music;
}

bool HBlock::finishParsing()
{
    HNode::finishParsing();
    if (kKeptTitles.contains(m_title))
        return true;
    for (const QString &prefix : kKeptPrefixes) {
        if (m_title.startsWith(prefix))
            return true;
    }
    return m_title == QLatin1String("Logic") && m_scriptFile.contains(QLatin1String("toggleff"));
}

void HBlock::updateFrom(HNode *)
{
}

void HBlock::registerRoomCombine(HRCGroupInfo *pInfo)
{
    if (!pInfo)
        return;
    const QString roomName = m_label + QLatin1Char('-') + m_roomName;
    if (m_title == kConferenceRouter) {
        pInfo->addRoom(m_roomNumber, roomName, m_rcGroupNumber, 0, m_nodeID, parseNeighbourList());
    } else if (m_title == kGeneralCombiner || m_title == kStandardCombiner) {
        pInfo->addRoom(m_roomNumber, roomName, m_rcGroupNumber, 1, m_nodeID, QList<int>());
    }
}

QString HBlock::category() const
{
    return NodeCategory::blocks();
}

bool HBlock::channelNames(QStringList *pNames) const
{
    if (pNames)
        *pNames = m_channelNames;
    return true;
}

// The text holds braced pairs of rooms that adjoin ("{3|5}{2+3}") or
// bracketed lists of rooms ("[3,5,7]").
QList<int> HBlock::parseNeighbourList() const
{
    static const QRegularExpression pairSeparator(QStringLiteral("[|+]"));
    const QChar opening = m_roomCombine.startsWith(QLatin1Char('{')) ? QLatin1Char('{')
                                                                     : QLatin1Char('[');
    QList<int> neighbours;
    const QStringList pieces = m_roomCombine.split(opening, Qt::SkipEmptyParts);
    for (const QString &piece : pieces) {
        if (piece.endsWith(QLatin1Char('}'))) {
            const QStringList parts = piece.chopped(1).split(pairSeparator);
            int first = 0;
            int second = 0;
            if (parts.size() != 2 || !readNumber(parts.at(0), &first)
                || !readNumber(parts.at(1), &second))
                continue;
            if (first == m_roomNumber)
                neighbours.append(second);
            else if (second == m_roomNumber)
                neighbours.append(first);
        } else if (piece.endsWith(QLatin1Char(']'))) {
            const QStringList items = piece.chopped(1).split(QLatin1Char(','));
            for (const QString &item : items) {
                int room = 0;
                if (readNumber(item, &room))
                    neighbours.append(room);
            }
        }
    }
    return neighbours;
}
