#include "HNode.h"

#include "HCardSlots.h"
#include "HChassis.h"
#include "HComposite.h"
#include "HNodeIndex.h"
#include "ProxySettings.h"
#include "project/XmlHandler.h"

#include <QDebug>
#include <QRegularExpression>
#include <QSettings>
#include <QXmlAttributes>

namespace {
const QString kUnknownChassis = QStringLiteral("???");

const QStringList kRoomCombinerTitles = {
    QStringLiteral("Conference Room Router"),
    QStringLiteral("General Purpose Room Combiner"),
    QStringLiteral("Standard Room Combiner"),
};
const QString kConferenceRouter = QStringLiteral("Conference Room Router");
// The level properties of the conference router that carry a range.
const QStringList kRouterRanges = {
    QStringLiteral("masterVolume"),   QStringLiteral("micMixLevel"),
    QStringLiteral("programMixLevel"), QStringLiteral("preAecMicsLevel"),
    QStringLiteral("programLevel"),   QStringLiteral("teleconLevel1"),
};
} // namespace

HNode::HNode()
    : QObject(nullptr)
{
}

HNode::~HNode()
{
    HNodeIndex::treeChanged();
}

void HNode::readAttributes(const QXmlAttributes &atts)
{
    const QString name = xmlAttribute(atts, QStringLiteral("name"));
    const QString value = xmlAttribute(atts, QStringLiteral("value"));

    if (name == QLatin1String("title")) {
        m_title = value;
    } else if (name == QLatin1String("label")) {
        m_label = value;
    } else if (name == QLatin1String("scriptFile")) {
        m_scriptFile = value;
    } else if (name == QLatin1String("module")) {
        readNumber(value, &m_module);
    } else if (name == QLatin1String("channel")) {
        readNumber(value, &m_channel);
        // The design gives no level-list place of its own: the channel it is.
        m_levelChannel = m_channel;
    } else if (name == QLatin1String("actionCount")) {
        if (m_title.startsWith(QLatin1String("Virtual GPO"))
            || m_title.startsWith(QLatin1String("Logic Output"))) {
            readCount(value, &m_logicPinCount);
            m_exclusiveTransform = true;
        }
    } else if (name == QLatin1String("controlCount")) {
        if (m_title.startsWith(QLatin1String("Virtual GPI"))
            || m_title.startsWith(QLatin1String("Logic Input"))) {
            readCount(value, &m_logicPinCount);
            m_exclusiveTransform = true;
        } else if (m_title == QLatin1String("Logic")) {
            readCount(value, &m_logicValue);
            m_exclusiveTransform = true;
        }
    } else if (name == QLatin1String("index")) {
        readNumber(value, &m_index);
        m_levelIndex = m_index;
    } else if (name == QLatin1String("nodeID")) {
        const int before = m_nodeID;
        readNumber(value, &m_nodeID);
        nodeIdChanged(before);
    } else if (m_title.left(3) == QLatin1String("AMM")) {
        // The mixers take their channel count and nothing else.
        if (name == QLatin1String("channelCount")) {
            readCount(value, &m_ammChannelCount);
            m_exclusiveTransform = true;
        }
    } else if (kRoomCombinerTitles.contains(m_title)) {
        if (name == QLatin1String("roomNumber")) {
            readNumber(value, &m_roomNumber);
        } else if (name == QLatin1String("rcGroupNumber")) {
            readNumber(value, &m_rcGroupNumber);
        } else if (name == QLatin1String("bgmLevel") || name == QLatin1String("inputLevel")
                   || name == QLatin1String("level")) {
            readRange(name, atts);
        } else if (m_title == kConferenceRouter) {
            if (name == QLatin1String("teleconInputs"))
                readCount(value, &m_teleconInputs);
            else if (name == QLatin1String("micInputs"))
                readCount(value, &m_micInputs);
            else if (name == QLatin1String("roomCombine"))
                m_roomCombine = value;
            else if (kRouterRanges.contains(name))
                readRange(name, atts);
        }
    } else if (name == QLatin1String("level")) {
        m_maxText = xmlAttribute(atts, QStringLiteral("max"));
        m_minText = xmlAttribute(atts, QStringLiteral("min"));
    } else if (name == QLatin1String("low") || name == QLatin1String("mid")
               || name == QLatin1String("high")) {
        readRange(name, atts);
    } else if (m_title.startsWith(QLatin1String("USB")) && name.startsWith(QLatin1String("level"))) {
        m_maxText = xmlAttribute(atts, QStringLiteral("max"));
        m_minText = xmlAttribute(atts, QStringLiteral("min"));
    } else if (m_title == QLatin1String("USB In") && name.startsWith(QLatin1String("outName"))) {
        m_portLabels.append(value);
    } else if (m_title == QLatin1String("USB Out") && name.startsWith(QLatin1String("label"))
               && name.size() == 6) {
        // label1 .. label9 name the ports; longer names are other labels.
        m_portLabels.append(value);
    }

    if (name.startsWith(QLatin1String("inputLabel")))
        m_inputLabels.append(value);
}

void HNode::readAssignment(const QXmlAttributes &, bool)
{
}

void HNode::setConnectionProperty(const QString &, const QString &)
{
}

void HNode::connectionPropertyDone(const QString &)
{
}

bool HNode::finishParsing()
{
    if (m_pParent)
        m_pProtocol = m_pParent->protocol();
    return true;
}

void HNode::updateFrom(HNode *)
{
}

HNode *HNode::findByCategory(const QString &category)
{
    return this->category() == category ? this : nullptr;
}

HNode *HNode::findByNodeID(int nodeID)
{
    return m_nodeID == nodeID ? this : nullptr;
}

HNode *HNode::findByCategoryAndNodeID(const QString &category, int nodeID)
{
    return isCategoryAndNodeID(category, nodeID) ? this : nullptr;
}

bool HNode::isCategoryAndNodeID(const QString &category, int nodeID) const
{
    // The id first: the category text is a translation, dearer to make.
    return m_nodeID == nodeID && this->category() == category;
}

HNode *HNode::findByProperty(const QString &key, const QString &value)
{
    return getProperty(key) == value ? this : nullptr;
}

HNode *HNode::findByCategoryAndProperty(const QString &category, const QString &key,
                                        const QString &value)
{
    return (getProperty(key) == value && this->category() == category) ? this : nullptr;
}

bool HNode::removeChild(HNode *)
{
    return false;
}

bool HNode::pruneIfNotUsed()
{
    return !hasFlags(UsedFlag) && hasFlags(PrunableFlag);
}

void HNode::clearUsed()
{
    if (hasFlags(UsedFlag))
        setUsed(false);
}

bool HNode::pruneByUse(bool used)
{
    return m_pParent && isUsed() == used;
}

void HNode::setUsed(bool used)
{
    if (!m_pParent)
        return;
    if (used) {
        setFlags(UsedFlag);
        m_pParent->setFlags(HasUsedChildrenFlag);
    } else {
        clearFlags(UsedFlag);
    }
}

bool HNode::isUsed() const
{
    return hasFlags(UsedFlag);
}

void HNode::clearAttached(bool)
{
    clearFlags(PlacedFlag);
}

bool HNode::pruneUnkept()
{
    return !hasFlags(KeptFlag);
}

bool HNode::appendIfCategory(const QString &category, QList<HNode *> *pList)
{
    if (!pList || this->category() != category)
        return false;
    pList->append(this);
    return true;
}

bool HNode::collectStatusDevices(QList<HNode *> *)
{
    return false;
}

void HNode::sortByOrder(QList<HNode *> *)
{
}

bool HNode::collectByCategory(const QString &category, QList<HNode *> *pList)
{
    return appendIfCategory(category, pList);
}

void HNode::connectInterfaceStatus(QObject *)
{
}

void HNode::addChild(HNode *pChild)
{
    qDebug().noquote() << "Adding node: " + (pChild ? pChild->label() : QString());
}

void HNode::moveChildToEnd(HNode *)
{
}

HNode *HNode::childAt(int) const
{
    return nullptr;
}

void HNode::childAttached(HNode *)
{
}

void HNode::shareRoomCombineState(HChassis *, const QString &)
{
}

void HNode::registerRoomCombine(HRCGroupInfo *)
{
}

void HNode::setRoomCombineText(int, const QString &)
{
}

void HNode::buildChildren(HNodeFactory *, bool)
{
}

void HNode::controlClicked()
{
}

QString HNode::roomColor(int) const
{
    return QStringLiteral("black");
}

int HNode::selectedCombo() const
{
    return 0;
}

void HNode::setSelectedCombo(int)
{
}

QStringList HNode::combos() const
{
    return QStringList();
}

void HNode::combinedRoomNames(int, QStringList *) const
{
}

bool HNode::isQueryPending() const
{
    return false;
}

QString HNode::stateQueryCommand()
{
    return QString();
}

void HNode::handleQueryResponse(const QString &)
{
}

QString HNode::roomCombineName() const
{
    return QString();
}

void HNode::setProtocol(PProtocol *pProtocol)
{
    m_pProtocol = pProtocol;
}

HNode *HNode::selectParent(HChassis *, HChassis *pActiveChassis)
{
    return pActiveChassis;
}

QString HNode::channelLabelAt(int) const
{
    return QString();
}

int HNode::cardPinAt(int) const
{
    return -1;
}

QString HNode::resourceFolder() const
{
    return m_pParent ? m_pParent->resourceFolder() : QString();
}

HNode *HNode::findCounterpart(HNode *pScope)
{
    if (!pScope)
        return nullptr;
    QList<HNode *> candidates;
    if (!pScope->collectByCategory(category(), &candidates))
        return nullptr;
    for (HNode *pCandidate : std::as_const(candidates)) {
        if (pCandidate->nodeID() == m_nodeID && pCandidate->title() == m_title
            && pCandidate->typenum() == m_typenum && pCandidate->index() == m_index)
            return pCandidate;
    }
    return nullptr;
}

QString HNode::category() const
{
    return QString();
}

void HNode::setParent(HComposite *pParent)
{
    // A listed node that another composite claims is then listed twice.
    if (m_listCount > 0 && pParent != m_pParent)
        HNodeIndex::markIrregular();
    m_pParent = pParent;
}

void HNode::setNodeID(int nodeID)
{
    const int before = m_nodeID;
    m_nodeID = nodeID;
    nodeIdChanged(before);
}

void HNode::nodeIdChanged(int before)
{
    if (m_nodeID != before && m_listCount > 0)
        HNodeIndex::treeChanged();
}

bool HNode::parameterSets(QStringList *, QList<int> *) const
{
    return false;
}

bool HNode::channelNames(QStringList *) const
{
    return false;
}

int HNode::indexOfChannelLabel(const QString &) const
{
    return -1;
}

QString HNode::getProperty(const QString &key) const
{
    if (key == QLatin1String("category"))
        return category();
    if (key == QLatin1String("id"))
        return m_id;
    if (key == QLatin1String("label"))
        return m_label;
    if (key == QLatin1String("title"))
        return m_title;
    if (key == QLatin1String("typenum"))
        return m_typenum;
    return QString();
}

QString HNode::xmlAttribute(const QXmlAttributes &atts, const QString &name)
{
    return XmlHandler::getAttribute(atts, name);
}

HChassis *HNode::getChassis() const
{
    return chassisAbove("No chassis found in a parent search from ");
}

HChassis *HNode::findChassisAncestor() const
{
    return chassisAbove("No chassis node found in a parent search from ");
}

HChassis *HNode::chassisAbove(const char *warning) const
{
    const HNode *pNode = this;
    const HNode *pTop = this;
    while (pNode) {
        if (const auto *pChassis = qobject_cast<const HChassis *>(pNode))
            return const_cast<HChassis *>(pChassis);
        pTop = pNode;
        pNode = pNode->parentNode();
    }
    qWarning().noquote() << QLatin1String(warning) + pTop->label();
    return nullptr;
}

const HNode *HNode::flaggedChassis() const
{
    for (const HNode *pNode = this; pNode; pNode = pNode->parentNode()) {
        if (pNode->hasFlags(ChassisFlag))
            return pNode;
    }
    return nullptr;
}

QString HNode::chassisLabel() const
{
    const HNode *pChassis = flaggedChassis();
    return pChassis ? pChassis->label() : kUnknownChassis;
}

QString HNode::chassisKey() const
{
    const HNode *pChassis = flaggedChassis();
    if (!pChassis)
        return kUnknownChassis;
    if (pChassis->nodeID() < 1)
        return pChassis->label();
    return QStringLiteral("%1|||%2").arg(QStringLiteral("Chassis")).arg(pChassis->nodeID());
}

QString HNode::portLabel(int index) const
{
    if (index < 0 || index >= m_portLabels.size())
        return QStringLiteral("noPortLabel");
    return m_portLabels.at(index);
}

QString HNode::inputLabelAt(int index) const
{
    if (index < 0 || index >= m_inputLabels.size())
        return QString();
    return m_inputLabels.at(index);
}

QString HNode::phoneLabel(const QString &key) const
{
    return m_phoneLabels.value(key);
}

QString HNode::prefixLabel(const QString &key) const
{
    return m_prefixLabels.value(key);
}

void HNode::setPhoneLabel(const QString &key, const QString &label)
{
    m_phoneLabels.insert(key, label);
}

void HNode::setPrefixLabel(const QString &key, const QString &label)
{
    m_prefixLabels.insert(key, label);
}

bool HNode::substitutePortLabel(QString &text, bool byPrefix) const
{
    QString pattern = QStringLiteral("Phone[1-8]");
    if (byPrefix) {
        const int lastBlank = text.lastIndexOf(QLatin1Char(' '));
        pattern = lastBlank > 0 ? text.left(lastBlank) : text;
    }
    const QRegularExpression expression(pattern);
    if (!expression.isValid())
        return false;
    const QRegularExpressionMatch match = expression.match(text);
    if (!match.hasMatch())
        return false;
    const QString matched = match.captured(0);
    const QString replacement = byPrefix ? prefixLabel(matched) : phoneLabel(matched);
    if (!replacement.isEmpty())
        text.replace(match.capturedStart(0), match.capturedLength(0), replacement);
    return true;
}

void HNode::readRange(const QString &propertyName, const QXmlAttributes &atts)
{
    m_ranges.insert(propertyName, xmlAttribute(atts, QStringLiteral("max")) + QLatin1Char(',')
                                      + xmlAttribute(atts, QStringLiteral("min")));
}

QString HNode::rangeFor(const QString &propertyName) const
{
    return m_ranges.value(propertyName);
}

QString HNode::parentTitle() const
{
    return m_pParent ? m_pParent->title() : QString();
}

int HNode::cardSlotIndex() const
{
    if (!m_pParent)
        return -1;
    return HCardSlots::slotIndex(m_pParent->title(), m_title, m_portIndex);
}

QString HNode::arxProxyIpSetting() const
{
    const QSettings settings(ProxySettings::organisation(), ProxySettings::application());
    const QString address = settings.value(ProxySettings::arxIpKey(), m_arxProxyIpOnPc).toString();
    qDebug().noquote() << "Getting Pc Proxy value: " + address;
    return address;
}

bool HNode::readNumber(const QString &text, int *pField)
{
    bool ok = false;
    const int number = text.toInt(&ok, 10);
    if (ok)
        *pField = number;
    return ok;
}

void HNode::readCount(const QString &text, int *pField)
{
    bool ok = false;
    const int number = text.toInt(&ok, 10);
    if (ok)
        *pField = qMax(0, number);
}
