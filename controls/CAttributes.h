#pragma once

#include <QPointer>
#include <QString>

class CControl;
class TTransform;

// A control's binding record: which device parameter the control
// addresses (addressing kind and indexes, channel label) and the texts
// its transform reads (list entries, units, decimals).
//
// Only the fields that the device protocols and the transforms read are
// here so far; the panel-file reader fills the rest when it comes.
class CAttributes
{
public:
    // The command family that addresses the parameter.
    enum AddressStruct : quint32 {
        StructNamedIndex = 0,
        StructNamedIndexAlt = 1,
        StructNamedPair = 2,
        StructNamedSub = 3,
        StructSystem = 4,
        StructGain = 5,
        StructNumber = 6,
        StructNamedIndexCompact = 7,
        StructMultiAssign = 8,
        StructRawCommand = 9,
        StructLevelList = 10,
    };

    CAttributes() = default;
    virtual ~CAttributes();

    int index1() const { return m_index1; }
    void setIndex1(int index) { m_index1 = index; }
    int index2() const { return m_index2; }
    // Stores the second index and answers the previous one.
    int setIndex2(int index);
    quint32 link() const { return m_link; }
    void setLink(quint32 link) { m_link = link; }
    QString set() const { return m_set; }
    void setSet(const QString &set) { m_set = set; }
    QString units() const { return m_units; }
    void setUnits(const QString &units) { m_units = units; }
    int decimals() const { return m_decimals; }
    // Stores the decimals and lets the owner's transform re-read them.
    void setDecimals(int decimals);
    quint32 field() const { return m_field; }
    void setField(quint32 field) { m_field = field; }
    quint32 addressStruct() const { return m_struct; }
    void setAddressStruct(quint32 kind) { m_struct = kind; }
    QString channelLabel() const { return m_channelLabel; }
    void setChannelLabel(const QString &label) { m_channelLabel = label; }
    QString transformName() const { return m_transform; }
    void setTransformName(const QString &name) { m_transform = name; }
    bool doNotPoll() const { return m_doNotPoll; }
    void setDoNotPoll(bool doNotPoll) { m_doNotPoll = doNotPoll; }

    CControl *owner() const { return m_pOwner; }
    void setOwner(CControl *pOwner) { m_pOwner = pOwner; }

    // The transform of the control named by the link; null when there is
    // none. The control tree resolves link ids and stores the result here.
    TTransform *linkedTransform() const { return m_pLinkedTransform; }
    void setLinkedTransform(TTransform *pTransform) { m_pLinkedTransform = pTransform; }
    // The transform this record's control uses; configure() follows
    // decimal changes through it.
    void setOwnerTransform(TTransform *pTransform) { m_pOwnerTransform = pTransform; }

private:
    int m_index1 = 0;
    int m_index2 = 0;
    quint32 m_link = 0;
    QString m_set;
    QString m_units;
    int m_decimals = 0;
    quint32 m_field = 0;
    quint32 m_struct = StructNamedIndex;
    QString m_channelLabel;
    QString m_transform;
    bool m_doNotPoll = false;
    CControl *m_pOwner = nullptr;
    QPointer<TTransform> m_pLinkedTransform;
    QPointer<TTransform> m_pOwnerTransform;
};
