#pragma once

#include "comms/TBoundNode.h"

#include <QList>
#include <QMap>
#include <QObject>
#include <QString>
#include <QStringList>

class HChassis;
class HComposite;
class HNodeFactory;
class HRCGroupInfo;
class PProtocol;
class QXmlAttributes;

// A node of the device tree: a device, an I/O card, a processing block, a
// control group, a parameter set or a room. It holds what every kind of node
// shares, the flag word that drives pruning after a project was loaded, and
// the virtual operations through which the tree is searched, pruned and
// walked. Subclasses override what their kind does differently.
//
// Nodes are made without a QObject parent: the composite that holds a node
// owns it through its child list and deletes it. The transforms and
// protocols see a node through its TBoundNode side.
class HNode : public QObject, public TBoundNode
{
    Q_OBJECT

public:
    // The flag word.
    enum ProjectNodeFlag : quint32 {
        ChassisFlag = 0x01,
        // Set at construction; the design reader clears it for every node
        // the design names, so only nodes added on the fly get pruned.
        PrunableFlag = 0x02,
        UsedFlag = 0x04,
        KeptFlag = 0x08,
        MainChassisFlag = 0x10,
        HasUsedChildrenFlag = 0x20,
        PlacedFlag = 0x40,
    };

    HNode();
    ~HNode() override;

    // --- Reading the design -------------------------------------------------

    // One "Property" element of the node.
    virtual void readAttributes(const QXmlAttributes &atts);
    // One assignment element naming this node; merging is true when the file
    // is merged into a loaded project.
    virtual void readAssignment(const QXmlAttributes &atts, bool merging);
    // One value of the panel file's connection section.
    virtual void setConnectionProperty(const QString &name, const QString &value);
    virtual void connectionPropertyDone(const QString &name);
    // Called when the node's element ends; false: the node is dropped.
    virtual bool finishParsing();
    // Takes over what a merge brings for this node.
    virtual void updateFrom(HNode *pOther);

    // --- Searching ----------------------------------------------------------
    // Each answers the node itself when it matches, else null; a composite
    // searches its children depth-first instead.

    virtual HNode *findByCategory(const QString &category);
    virtual HNode *findByNodeID(int nodeID);
    virtual HNode *findByCategoryAndNodeID(const QString &category, int nodeID);
    virtual HNode *findByProperty(const QString &key, const QString &value);
    virtual HNode *findByCategoryAndProperty(const QString &category, const QString &key,
                                             const QString &value);
    // Whether a search by category and nodeID may answer the node itself:
    // a composite answers only for the nodes below it, unless its class
    // says otherwise. A class that changes how it answers such a search
    // says here whether it answers for itself.
    virtual bool searchedItself() const { return true; }
    // The node's own category and nodeID are these (the id is compared first).
    bool isCategoryAndNodeID(const QString &category, int nodeID) const;

    // --- Pruning and use marks ----------------------------------------------
    // The prune operations answer true when the node is to go: the
    // composite that holds it then takes it out of its list and deletes it
    // (a caller holding a node outside any tree deletes it itself).

    // Takes the child out of the list without deleting it.
    virtual bool removeChild(HNode *pChild);
    // True when the node is not used and may be pruned.
    virtual bool pruneIfNotUsed();
    virtual void clearUsed();
    // True when the node has a parent and its use equals the argument.
    virtual bool pruneByUse(bool used);
    // Marks the node used (and its parent as having used children); does
    // nothing without a parent.
    virtual void setUsed(bool used);
    virtual bool isUsed() const;
    // Clears the placed mark.
    virtual void clearAttached(bool keepOwn);
    // True when the node lacks the kept mark.
    virtual bool pruneUnkept();

    // --- Collecting ---------------------------------------------------------
    // The collectors append to the list (they never empty it) and answer
    // whether they appended anything. A null list collects nothing.

    // Appends the node when its category equals the text.
    virtual bool appendIfCategory(const QString &category, QList<HNode *> *pList);
    // Appends the devices shown in the device-status view.
    virtual bool collectStatusDevices(QList<HNode *> *pList);
    // Sorts the list by each node's order, keeping equal keys in place.
    virtual void sortByOrder(QList<HNode *> *pList);
    // Appends the node when it belongs to the category; cards widen the
    // match (see HAudioIO).
    virtual bool collectByCategory(const QString &category, QList<HNode *> *pList);

    // Connects each transport's state signal to the receiver's slot
    // interfaceStatusChanged(bool), once; a receiver without that slot is
    // not connected.
    virtual void connectInterfaceStatus(QObject *pReceiver);

    // --- Children -----------------------------------------------------------

    virtual void addChild(HNode *pChild);
    virtual void moveChildToEnd(HNode *pChild);
    virtual HNode *childAt(int index) const;
    // Runs on the parent after the design reader placed a node under it.
    virtual void childAttached(HNode *pChild);

    // --- Room combining -----------------------------------------------------
    // Inert here; the room-combining nodes and the chassis give them meaning.

    virtual void shareRoomCombineState(HChassis *pChassis, const QString &groupId);
    virtual void registerRoomCombine(HRCGroupInfo *pInfo);
    virtual void setRoomCombineText(int groupId, const QString &text);
    virtual void buildChildren(HNodeFactory *pFactory, bool merging);
    virtual void controlClicked();
    virtual QString roomColor(int roomId) const;
    virtual int selectedCombo() const;
    virtual void setSelectedCombo(int index);
    virtual QStringList combos() const;
    virtual void combinedRoomNames(int roomId, QStringList *pNames) const;
    bool isQueryPending() const override;
    QString stateQueryCommand() override;
    void handleQueryResponse(const QString &reply) override;
    QString roomCombineName() const override;

    // --- Protocol, placement and presentation -------------------------------

    // Stores the protocol of the node's chassis (borrowed, never owned).
    virtual void setProtocol(PProtocol *pProtocol);
    // The parent a parsed node goes to; device nodes answer the active one.
    virtual HNode *selectParent(HChassis *pMainChassis, HChassis *pActiveChassis);
    virtual QString channelLabelAt(int index) const;
    virtual int cardPinAt(int index) const;
    // The folder of the node's device data; asked of the parent.
    virtual QString resourceFolder() const;
    // The node of equal identity under scope (another tree), or null.
    virtual HNode *findCounterpart(HNode *pScope);
    virtual QString category() const;
    virtual void setParent(HComposite *pParent);
    virtual bool parameterSets(QStringList *pNames, QList<int> *pIds) const;
    virtual bool channelNames(QStringList *pNames) const;
    int indexOfChannelLabel(const QString &label) const override;

    // --- Flags --------------------------------------------------------------

    void setFlags(quint32 mask) { m_flags |= mask; }
    void clearFlags(quint32 mask) { m_flags &= ~mask; }
    bool hasFlags(quint32 mask) const { return (m_flags & mask) == mask; }
    quint32 flags() const { return m_flags; }

    // --- Lookups ------------------------------------------------------------

    // "category", "id", "label", "title" or "typenum"; empty for other keys.
    QString getProperty(const QString &key) const;
    // The value of the first attribute with that local name; empty if none.
    static QString xmlAttribute(const QXmlAttributes &atts, const QString &name);
    // The node a transform or protocol was given; null for any other kind
    // of bound node.
    static HNode *fromBound(TBoundNode *pNode) { return dynamic_cast<HNode *>(pNode); }
    // The node itself or the nearest HChassis above it; null (with a
    // warning) when there is none.
    HChassis *getChassis() const;
    HChassis *findChassisAncestor() const;
    // The label of the nearest node with the chassis flag; "???" when none.
    QString chassisLabel() const;
    // The key by which panel controls find their device again: the chassis
    // label when its nodeID is below 1, else "Chassis|||<nodeID>".
    QString chassisKey() const;

    // --- Labels, ranges and card slots --------------------------------------

    // "noPortLabel" for an index outside the list.
    QString portLabel(int index) const;
    // Empty for an index outside the list.
    QString inputLabelAt(int index) const;
    QString phoneLabel(const QString &key) const;
    QString prefixLabel(const QString &key) const;
    void setPhoneLabel(const QString &key, const QString &label);
    void setPrefixLabel(const QString &key, const QString &label);
    // Replaces the part of text that matches "Phone[1-8]" (or, by prefix,
    // the text up to its last blank) with its mapped label. True when the
    // pattern matched, whether or not a label was found.
    bool substitutePortLabel(QString &text, bool byPrefix) const;
    // Stores "max,min" of the element under the property name.
    void readRange(const QString &propertyName, const QXmlAttributes &atts);
    // The stored "max,min" text; a null text when none was stored.
    QString rangeFor(const QString &propertyName) const;
    // The slot of an I/O card in its device, as the device protocol
    // addresses it; -1 without a parent.
    int cardSlotIndex() const final;
    // The ARX proxy address stored in the settings, else the design's.
    QString arxProxyIpSetting() const;

    // --- Fields -------------------------------------------------------------

    HComposite *parentNode() const { return m_pParent; }
    // The parent's title; empty without a parent.
    QString parentTitle() const final;
    PProtocol *protocol() const { return m_pProtocol; }

    QString label() const final { return m_label; }
    void setLabel(const QString &label) { m_label = label; }
    QString title() const final { return m_title; }
    void setTitle(const QString &title) { m_title = title; }
    QString scriptFile() const { return m_scriptFile; }
    int module() const { return m_module; }
    int channel() const { return m_channel; }
    int index() const { return m_index; }
    void setIndex(int index) { m_index = index; }
    int nodeID() const { return m_nodeID; }
    void setNodeID(int nodeID);
    // Where the node's level sits in its card's level list: the level
    // channel picks the entry of a 4- or 8-entry list, the level index the
    // entry of a VoIP block or of an AV or AR amplifier's input. Read with
    // the design's "channel" and "index".
    int levelChannel() const final { return m_levelChannel; }
    void setLevelChannel(int channel) { m_levelChannel = channel; }
    int levelIndex() const final { return m_levelIndex; }
    void setLevelIndex(int index) { m_levelIndex = index; }
    QString typenum() const final { return m_typenum; }
    void setTypenum(const QString &typenum) { m_typenum = typenum; }
    QString id() const { return m_id; }
    void setId(const QString &id) { m_id = id; }
    int order() const { return m_order; }
    void setOrder(int order) { m_order = order; }

    int logicValue() const { return m_logicValue; }
    int ammChannelCount() const { return m_ammChannelCount; }
    int logicPinCount() const { return m_logicPinCount; }
    int teleconInputs() const { return m_teleconInputs; }
    int micInputs() const { return m_micInputs; }
    int roomNumber() const { return m_roomNumber; }
    void setRoomNumber(int roomNumber) { m_roomNumber = roomNumber; }
    int rcGroupNumber() const { return m_rcGroupNumber; }
    QString roomCombine() const { return m_roomCombine; }
    QString maxText() const { return m_maxText; }
    QString minText() const { return m_minText; }
    QStringList inputLabels() const { return m_inputLabels; }
    QStringList portLabels() const { return m_portLabels; }

    int portIndex() const { return m_portIndex; }
    void setPortIndex(int portIndex) { m_portIndex = portIndex; }
    int pinIndex() const { return m_pinIndex; }
    void setPinIndex(int pinIndex) { m_pinIndex = pinIndex; }

    HChassis *mainChassis() const { return m_pMainChassis; }
    void setMainChassis(HChassis *pChassis) { m_pMainChassis = pChassis; }
    bool arxProxyOnPc() const { return m_arxProxyOnPc; }
    void setArxProxyOnPc(bool onPc) { m_arxProxyOnPc = onPc; }
    QString arxProxyIpOnPc() const { return m_arxProxyIpOnPc; }
    void setArxProxyIpOnPc(const QString &address) { m_arxProxyIpOnPc = address; }

    // The index transform shows "N" for 0 on such a node.
    bool noneSelection() const final { return m_noneSelection; }
    // The comma-separated entries a drop list offers for this node ("item"
    // in the panel file); no property of the design fills it.
    QString entriesText() const { return m_entriesText; }
    void setEntriesText(const QString &text) { m_entriesText = text; }
    // Controls bound to such a node never share a transform.
    bool exclusiveTransform() const { return m_exclusiveTransform; }

signals:
    void queryResponseReady();
    void updateComboColorList();
    void updateRoomColor(const QString &color, int id);
    void sendMessage(const QString &message, int id);
    void showErrorDialog(const QString &message, int id);

protected:
    // Design files carry numbers as decimal texts. A text that is not one
    // leaves the field as it was, so the field keeps its default; the
    // answer is whether the text was a number.
    static bool readNumber(const QString &text, int *pField);
    // As readNumber, for counts: a negative count reads as 0, so it can
    // never become a size or an index.
    static void readCount(const QString &text, int *pField);

    HComposite *m_pParent = nullptr;
    PProtocol *m_pProtocol = nullptr;
    QString m_label;
    QString m_title;
    QString m_scriptFile;
    int m_module = 0;
    int m_channel = 0;
    int m_index = 0;
    int m_nodeID = 0;
    int m_levelChannel = 0;
    int m_levelIndex = 0;
    QString m_typenum;
    QString m_id;
    quint32 m_flags = PrunableFlag;
    int m_order = -1;
    int m_logicValue = 0;
    int m_ammChannelCount = -1;
    int m_logicPinCount = 0;
    int m_teleconInputs = -1;
    int m_micInputs = -1;
    QMap<QString, QString> m_phoneLabels;
    QMap<QString, QString> m_prefixLabels;
    int m_roomNumber = -1;
    int m_rcGroupNumber = -1;
    QString m_roomCombine;
    QString m_maxText;
    QString m_minText;
    QMap<QString, QString> m_ranges;
    QStringList m_inputLabels;
    int m_portIndex = -1;
    int m_pinIndex = -1;
    QStringList m_portLabels;
    HChassis *m_pMainChassis = nullptr;
    bool m_arxProxyOnPc = false;
    QString m_arxProxyIpOnPc;
    bool m_noneSelection = false;
    QString m_entriesText;
    bool m_exclusiveTransform = false;

private:
    friend class HComposite;

    // The composites' indexes follow a placed node's id.
    void nodeIdChanged(int before);

    // How many composites list the node: more than one makes the tree
    // irregular (see HNodeIndex).
    int m_listCount = 0;

    HChassis *chassisAbove(const char *warning) const;
    const HNode *flaggedChassis() const;
};
