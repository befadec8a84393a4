#include "controls/TTransformRegistry.h"

#include "controls/CControl.h"

namespace {
// Removed entries are dropped once they outnumber the living ones by this.
constexpr qsizetype kCompactAbove = 64;
} // namespace

bool TTransformRegistry::isLiving(qsizetype at) const
{
    const Entry &entry = m_entries[size_t(at)];
    return !entry.removed && entry.pControl;
}

void TTransformRegistry::file(qsizetype at)
{
    CControl *pControl = m_entries[size_t(at)].pControl;
    m_byControl[pControl].append(at);
    m_byKey[Key{pControl->node(), pControl->name(), pControl->kind()}].append(at);
    m_byTransform[pControl->transform()].append(at);
}

void TTransformRegistry::add(CControl *pControl)
{
    if (!pControl)
        return;
    refresh();
    m_entries.push_back(Entry{pControl, false});
    file(qsizetype(m_entries.size()) - 1);
}

void TTransformRegistry::remove(const CControl *pControl)
{
    refresh();
    const auto it = m_byControl.find(pControl);
    if (it == m_byControl.end())
        return;
    Positions &positions = it.value();
    for (qsizetype i = 0; i < positions.size(); ++i) {
        const qsizetype at = positions.at(i);
        // A gone control whose address came back is not this one.
        if (!isLiving(at) || m_entries[size_t(at)].pControl != pControl)
            continue;
        m_entries[size_t(at)].removed = true;
        ++m_removedCount;
        positions.remove(i);
        break;
    }
    if (positions.isEmpty())
        m_byControl.erase(it);
    if (m_removedCount > kCompactAbove && m_removedCount > qsizetype(m_entries.size()) / 2)
        rebuild();
}

void TTransformRegistry::clear()
{
    m_entries.clear();
    m_byControl.clear();
    m_byKey.clear();
    m_byTransform.clear();
    m_removedCount = 0;
    m_stale = false;
}

bool TTransformRegistry::contains(const CControl *pControl) const
{
    const auto it = m_byControl.constFind(pControl);
    if (it == m_byControl.cend())
        return false;
    for (const qsizetype at : it.value()) {
        if (isLiving(at) && m_entries[size_t(at)].pControl == pControl)
            return true;
    }
    return false;
}

QList<CControl *> TTransformRegistry::controls() const
{
    QList<CControl *> living;
    for (qsizetype at = 0; at < qsizetype(m_entries.size()); ++at) {
        if (isLiving(at))
            living.append(m_entries[size_t(at)].pControl);
    }
    return living;
}

CControl *TTransformRegistry::lastSharing(const CControl *pAsking)
{
    if (!pAsking)
        return nullptr;
    refresh();
    const auto shares = [pAsking](const CControl *pOther) {
        return pOther != pAsking && pOther->transform() && pOther->node() == pAsking->node()
               && pOther->name() == pAsking->name() && pOther->kind() == pAsking->kind();
    };
    if (!pAsking->node()) {
        // Controls whose node has gone have none now, whatever they were
        // filed under: the whole list answers.
        for (qsizetype at = qsizetype(m_entries.size()) - 1; at >= 0; --at) {
            if (isLiving(at) && shares(m_entries[size_t(at)].pControl))
                return m_entries[size_t(at)].pControl;
        }
        return nullptr;
    }
    const auto it = m_byKey.constFind(Key{pAsking->node(), pAsking->name(), pAsking->kind()});
    if (it == m_byKey.cend())
        return nullptr;
    const Positions &positions = it.value();
    for (qsizetype i = positions.size() - 1; i >= 0; --i) {
        const qsizetype at = positions.at(i);
        if (isLiving(at) && shares(m_entries[size_t(at)].pControl))
            return m_entries[size_t(at)].pControl;
    }
    return nullptr;
}

CControl *TTransformRegistry::lastHolding(const TTransform *pTransform, const CControl *pExcept)
{
    if (!pTransform)
        return nullptr;
    refresh();
    const auto it = m_byTransform.constFind(pTransform);
    if (it == m_byTransform.cend())
        return nullptr;
    const Positions &positions = it.value();
    for (qsizetype i = positions.size() - 1; i >= 0; --i) {
        const qsizetype at = positions.at(i);
        if (!isLiving(at))
            continue;
        CControl *pControl = m_entries[size_t(at)].pControl;
        if (pControl != pExcept && pControl->transform() == pTransform)
            return pControl;
    }
    return nullptr;
}

void TTransformRegistry::refresh()
{
    if (m_stale)
        rebuild();
}

void TTransformRegistry::rebuild()
{
    std::vector<Entry> entries;
    entries.reserve(m_entries.size() - size_t(m_removedCount));
    for (qsizetype at = 0; at < qsizetype(m_entries.size()); ++at) {
        if (isLiving(at))
            entries.push_back(m_entries[size_t(at)]);
    }
    clear();
    m_entries = std::move(entries);
    for (qsizetype at = 0; at < qsizetype(m_entries.size()); ++at)
        file(at);
}
