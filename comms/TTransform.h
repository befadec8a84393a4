#pragma once

#include <QObject>
#include <QPointer>
#include <QString>

class TBinding;
class TBoundNode;

// Stands between a panel control and the device text of the parameter the
// control shows: a widget writes a value in its own terms, the protocol
// reads the device text out to build a command, and a reply goes back in
// through setReplyText(), which announces it with replyValueReady().
//
// Controls bound to the same parameter share one transform; the use count
// says how many, and the last user to go deletes it. Transforms chain: the
// next pointer leads to the transform of a linked control, the root
// pointer back to the first member of the chain.
class TTransform : public QObject
{
    Q_OBJECT

public:
    explicit TTransform(QObject *parent = nullptr);
    ~TTransform() override;

    virtual void configure();
    virtual void setUIntValue(quint32 value);
    virtual void setFloatValue(double value);
    virtual void setData(quint8 value);
    virtual void setText(const QString &text);
    virtual void setReplyText(const QString &text);
    virtual quint32 uintValue() const;
    virtual double floatValue() const;
    virtual quint8 byteValue() const;
    virtual QString text() const;
    virtual quint32 replyUIntValue() const;
    virtual double replyFloatValue() const;
    virtual quint8 replyByteValue() const;
    virtual QString replyText() const;
    virtual void receiveText(const QString &text);
    virtual QString displayText() const;
    virtual void setDisplayValue(double value);
    // True on one call in every divider calls, the first call included.
    virtual bool tick();
    virtual QString sourceText();
    virtual int dataSize() const;
    virtual QString typeName() const;
    // Whether the last reply reads as a number in the transform's own
    // terms. A reply that does not (the sync-error text, a stray word)
    // gives no value for a widget to show. The transforms that keep a
    // reply text check it; the others answer true.
    virtual bool replyIsNumber() const;

    // The binding of the control that owns the transform, and its device
    // node: where the default indexes, the link and the addressing come
    // from.
    void setOwner(TBinding *pOwner) { m_pOwner = pOwner; }
    TBinding *owner() const { return m_pOwner; }
    void setOwnerNode(TBoundNode *pNode) { m_pOwnerNode = pNode; }
    TBoundNode *ownerNode() const { return m_pOwnerNode; }

    void setIndexes(int readIndex, int readSubIndex, bool selected);
    bool isSelected() const { return m_selected; }
    // The same flag alone, the read indexes left as they are: a meter sets
    // it on the transform whose level list it polls.
    void setSelected(bool selected) { m_selected = selected; }
    // The own index when it is 0 or more, else the binding record's.
    int readIndex() const;
    int readSubIndex() const;
    int writeIndex() const;
    int writeSubIndex() const;
    void setWriteIndexes(int writeIndex, int writeSubIndex);

    void setDivider(int divider);
    int divider() const { return m_divider; }

    // The address numbers carried by the last multi-assign reply.
    void setReplyIndexes(int index, int subIndex);
    int replyIndex() const { return m_replyIndex; }
    int replySubIndex() const { return m_replySubIndex; }

    // The channel text of level-list requests.
    void setOwnText(const QString &text) { m_ownText = text; }
    QString ownText() const { return m_ownText; }
    void setDanteChannel(int channel) { m_danteChannel = channel; }
    int danteChannel() const { return m_danteChannel; }
    void setUsbChannel(int channel) { m_usbChannel = channel; }
    int usbChannel() const { return m_usbChannel; }

    // Mode 0: the linked control's transform becomes the next one and this
    // its root; mode 1: the next one takes this chain's root. A link that
    // would close a cycle is refused.
    bool linkTransform(int mode);
    bool attachNext() { return linkTransform(0); }
    bool relinkRoot() { return linkTransform(1); }
    // Makes pNext the next member; false (nothing changed) when it would
    // close a cycle.
    bool setNext(TTransform *pNext);
    TTransform *next() const { return m_pNext; }
    TTransform *chainRoot() const;
    void dumpChain() const;

    // Sharing between controls.
    void retain() { ++m_useCount; }
    // Drops one use; at the last use the transform is handed to deferred
    // deletion.
    void release();
    // Drops one use without ever deleting: the control keeps using it
    // while it moves to another composite.
    void releaseUse() { if (m_useCount > 0) --m_useCount; }
    int useCount() const { return m_useCount; }
    // Set while a control holding it sits in a composite that took it over.
    void setAttached(bool attached) { m_attached = attached; }
    bool isAttached() const { return m_attached; }
    bool isBusy() const { return m_busy; }
    void setBusy(bool busy) { m_busy = busy; }

signals:
    void replyValueReady();
    // The device refused the value last sent for this transform; what it
    // holds instead is being read back.
    void valueRefused();

protected:
    static constexpr int MaxChainLength = 1024;

private:
    TBinding *m_pOwner = nullptr;
    TBoundNode *m_pOwnerNode = nullptr;
    QPointer<TTransform> m_pNext;
    QPointer<TTransform> m_pRoot;
    int m_readIndex = -1;
    int m_readSubIndex = -1;
    bool m_selected = false;
    int m_countdown = 0;
    int m_divider = 4;
    int m_replyIndex = -1;
    int m_replySubIndex = -1;
    int m_writeIndex = -1;
    int m_writeSubIndex = -1;
    QString m_ownText;
    int m_danteChannel = -1;
    int m_usbChannel = 0;
    int m_useCount = 0;
    bool m_busy = false;
    bool m_attached = false;
};
