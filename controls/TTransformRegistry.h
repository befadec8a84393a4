#pragma once

#include <QHash>
#include <QList>
#include <QPointer>
#include <QString>
#include <QVarLengthArray>

#include <vector>

class CControl;
class HNode;
class TTransform;

// The process-wide list of controls that own a transform, in registration
// order, with what lets binding ask it in constant time: which control,
// registered last, shares a node, name and kind with another, and which
// holds a given transform.
//
// The list holds guarded pointers: a control destroyed without
// unregistering drops out by itself. Each lookup is filed under what its
// control had when it was registered, and every answer is checked against
// what the control has now; when a registered control changes what it is
// filed under, the owner says so (changed()) and the lookups are made anew
// before the next answer. GUI thread only.
class TTransformRegistry
{
public:
    void add(CControl *pControl);
    // Takes out the control's earliest registration; nothing when it has none.
    void remove(const CControl *pControl);
    void clear();
    bool contains(const CControl *pControl) const;
    // The living registered controls, in registration order.
    QList<CControl *> controls() const;

    // The control registered last, other than the asking one, that holds a
    // transform and has the asking control's node (the same object, or both
    // none), name and kind; null when there is none.
    CControl *lastSharing(const CControl *pAsking);
    // The control registered last, other than pExcept, that holds the
    // transform; null when there is none.
    CControl *lastHolding(const TTransform *pTransform, const CControl *pExcept);

    // A registered control's node, name, kind or transform changed.
    void changed() { m_stale = true; }

private:
    struct Key
    {
        const HNode *pNode;
        QString name;
        QString kind;
        bool operator==(const Key &other) const
        {
            return pNode == other.pNode && name == other.name && kind == other.kind;
        }
    };
    friend size_t qHash(const Key &key, size_t seed) noexcept
    {
        return qHashMulti(seed, key.pNode, key.name, key.kind);
    }

    using Positions = QVarLengthArray<qsizetype, 1>;

    struct Entry
    {
        QPointer<CControl> pControl;
        bool removed = false;
    };

    bool isLiving(qsizetype at) const;
    void file(qsizetype at);
    // Drops removed and gone entries and files everything again.
    void rebuild();
    void refresh();

    std::vector<Entry> m_entries;
    QHash<const CControl *, Positions> m_byControl;
    QHash<Key, Positions> m_byKey;
    QHash<const TTransform *, Positions> m_byTransform;
    qsizetype m_removedCount = 0;
    bool m_stale = false;
};
