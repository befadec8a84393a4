#pragma once

#include "comms/TBinding.h"

#include <QPointer>
#include <QString>

class CControl;
class TTransform;

// A control's binding record, read from the control's "attributes"
// property in the panel file: which device parameter the control addresses
// (addressing kind, indexes, field, channel label), how its value is shown
// (transform, format and decimals, units, range, step and limits), the raw
// set text, the polling switch and the link to another control. The
// transforms and protocols read it through its TBinding side, which also
// holds the addressing kinds (AddressStruct).
class CAttributes : public TBinding
{
public:
    CAttributes() = default;
    ~CAttributes() override;

    // One leaf of the "list" or "range" element. Always true: names it does
    // not know are passed over.
    bool setAttribute(const QString &element, const QString &name, const QString &value);

    // "0x..." as hexadecimal, anything else as decimal; 0 when the text is
    // no such number or does not fit 32 bits.
    static quint32 parseNumber(const QString &text);
    // The decimals follow the characters after the first "." of the format.
    void decimalsFromFormat();

    // "list" or "range": fixed by the first leaf read.
    QString element() const { return m_element; }

    int index1() const final { return m_index1; }
    void setIndex1(int index) { m_index1 = index; }
    // Stores index1 only when it is still 0; answers the previous value.
    int setDefaultIndex1(int index);
    int index2() const final { return m_index2; }
    // Stores the second index and answers the previous one.
    int setIndex2(int index);
    quint32 link() const { return m_link; }
    void setLink(quint32 link) { m_link = link; }
    QString set() const final { return m_set; }
    void setSet(const QString &set) { m_set = set; }
    QString format() const { return m_format; }
    QString transformName() const { return m_transform; }
    void setTransformName(const QString &name) { m_transform = name; }
    QString units() const final { return m_units; }
    void setUnits(const QString &units) { m_units = units; }
    float minimum() const { return m_minimum; }
    float minLimit() const { return m_minLimit; }
    void setMinLimit(float limit) { m_minLimit = limit; }
    float maximum() const { return m_maximum; }
    float maxLimit() const { return m_maxLimit; }
    void setMaxLimit(float limit) { m_maxLimit = limit; }
    float step() const { return m_step; }
    int decimals() const final { return m_decimals; }
    // Stores the decimals and lets the owner's transform re-read them.
    void setDecimals(int decimals);
    quint32 field() const { return m_field; }
    void setField(quint32 field) { m_field = field; }
    quint32 addressStruct() const final { return m_struct; }
    void setAddressStruct(quint32 kind) { m_struct = kind; }
    QString channelLabel() const final { return m_channelLabel; }
    // Two or more characters are the label; a shorter text takes the label
    // of channel index1 from the owner's node, when there is one.
    void setChannelLabel(const QString &label);
    int cardPin() const { return m_cardPin; }
    QString callType() const { return m_callType; }
    bool enableEdit() const { return m_enableEdit; }
    bool isActionSet() const { return m_actionSet; }
    bool isActionReset() const { return m_actionReset; }
    bool doNotPoll() const { return m_doNotPoll; }
    void setDoNotPoll(bool doNotPoll) { m_doNotPoll = doNotPoll; }

    CControl *owner() const { return m_pOwner; }
    void setOwner(CControl *pOwner) { m_pOwner = pOwner; }

    // The transform of the control whose id is the link, found from the
    // owner's tree root; null when there is none. A record without an
    // owner answers the transform set with setLinkedTransform().
    TTransform *linkedTransform() const final;
    void setLinkedTransform(TTransform *pTransform) { m_pLinkedTransform = pTransform; }
    // The transform that setDecimals() reconfigures when the record has no
    // owner (an owner's own transform is used otherwise).
    void setOwnerTransform(TTransform *pTransform) { m_pOwnerTransform = pTransform; }

private:
    static int parseInt(const QString &text);
    static float parseFloat(const QString &text);
    static bool parseFlag(const QString &text);

    QString m_element;
    int m_index1 = 0;
    int m_index2 = 0;
    quint32 m_link = 0;
    QString m_set;
    QString m_format;
    QString m_transform;
    QString m_units;
    float m_minimum = 0.0f;
    float m_minLimit = -40.0f;
    float m_maximum = 0.0f;
    float m_maxLimit = 0.0f;
    float m_step = 0.0f;
    int m_decimals = 0;
    quint32 m_field = 0;
    quint32 m_struct = StructNamedIndex;
    QString m_channelLabel;
    int m_cardPin = -1;
    QString m_callType;
    bool m_enableEdit = true;
    CControl *m_pOwner = nullptr;
    bool m_actionSet = false;
    bool m_actionReset = false;
    bool m_doNotPoll = false;
    QPointer<TTransform> m_pLinkedTransform;
    QPointer<TTransform> m_pOwnerTransform;
};
